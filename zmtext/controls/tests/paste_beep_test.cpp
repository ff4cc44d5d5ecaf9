// A paste is one edit: however many of its characters a field refuses, it sounds one error beep
// (with ErrorBeep), fires one Change when anything went in, and no KeyPress or InvalidKey.
#include "platform/ctl/services.h"
#include "platform/win/beep.h"
#include "zmtext/controls/date_ctrl.h"
#include "zmtext/controls/long_ctrl.h"
#include "zmtext/controls/tests/date_time_test_support.h"
#include "zmtext/controls/text_ctrl.h"

namespace zmtext::testing {
namespace {

using com::Variant;

class PasteBeep : public FieldTest {
protected:
    void SetUp() override {
        FieldTest::SetUp();
        win::InstallBeepSink(&beeps_);
    }
    void TearDown() override {
        win::InstallBeepSink(nullptr);
        FieldTest::TearDown();
    }
    void CtrlV(int i) {
        QWidget* w = sites_.at(static_cast<std::size_t>(i))->Widget();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, "\x16");
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_V, Qt::ControlModifier, "\x16");
        QApplication::sendEvent(w, &release);
    }
    // The field's events of one DISPID since the last clear.
    int Fired(com::DispId id) const { return Count("F", id); }

    win::CountingBeepSink beeps_;
    ctl::ScriptedClipboard clipboard_;
    ctl::ScopedClipboard use_{&clipboard_};
};

std::string Digits(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += static_cast<char>('0' + (i * 7 + 1) % 10);
    return s;
}

TEST_F(PasteBeep, APasteBeepsOnceWhateverItsLengthAndFiresOneChange) {
    enum class Field { Date, MaskedText, Long };
    const struct {
        const char* name;
        Field field;
        bool errorBeep;
        std::string pasted;
        const char* raw;   // RawData after the paste
        int beeps, changes;
        com::DispId change, invalidKey;
    } rows[] = {
        // The date's key test takes every digit: those past the end are refused by the insertion.
        {"5000 digits into a date", Field::Date, true, Digits(5000), "18529630", 1, 1, 1, 3},
        {"a date's 8 digits", Field::Date, true, "12251998", "12251998", 0, 1, 1, 3},
        {"letters into a date", Field::Date, true, "abcdefgh", "________", 0, 0, 1, 3},
        {"5000 digits without ErrorBeep", Field::Date, false, Digits(5000), "18529630", 0, 1, 1, 3},
        // A full mask refuses the rest by its key test: skipped without a sound.
        {"too much for a mask", Field::MaskedText, true, "123456", "123", 0, 1, 1, 3},
        {"3000 digits into a long", Field::Long, true, Digits(3000), "1852963074", 1, 1, 3, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        container_ = std::make_unique<ctl::ControlContainer>(top_.get());
        container_->SetEventHandler([this](ctl::ControlSite& s, com::DispId id, std::span<com::Variant> args) {
            events_.push_back(EventText(s, id, args));
        });
        sites_.clear();
        Show();
        com::ComPtr<com::IDispatch> f;
        if (row.field == Field::Date) {
            auto d = AddField<CZMDateCtrl>("F");
            Put(*d, "FmtControl", Variant::I2(1));
            f = com::ComPtr<com::IDispatch>(static_cast<com::IDispatch*>(d.Get()));
        } else if (row.field == Field::MaskedText) {
            auto t = AddField<CZMTextCtrl>("F");
            Put(*t, "Mask", S("###"));
            Put(*t, "RawData", S(""));
            f = com::ComPtr<com::IDispatch>(static_cast<com::IDispatch*>(t.Get()));
        } else {
            auto l = AddField<CZMLongCtrl>("F");
            Put(*l, "MinValue", Variant::I4(0));
            f = com::ComPtr<com::IDispatch>(static_cast<com::IDispatch*>(l.Get()));
        }
        Put(f.Get(), "ErrorBeep", Variant::Bool(row.errorBeep));
        Focus(0);
        clipboard_.content = QString::fromStdString(row.pasted);
        events_.clear();
        beeps_.count = 0;
        CtrlV(0);
        EXPECT_EQ(Get(f.Get(), "RawData"), row.raw);
        EXPECT_EQ(beeps_.count, row.beeps);
        EXPECT_EQ(Fired(row.change), row.changes) << "Change";
        EXPECT_EQ(Fired(row.invalidKey), 0) << "InvalidKey";
        EXPECT_EQ(Fired(-603), 1) << "KeyPress: Ctrl+V's own character, none for the pasted ones";
    }
}

// SelText inserts without the key test; what does not fit is one refused edit too.
TEST_F(PasteBeep, SelTextBeepsOnceForWhatDoesNotFit) {
    Show();
    auto t = AddField<CZMTextCtrl>("F");
    Put(*t, "Mask", S("####"));
    Put(*t, "RawData", S(""));
    Put(*t, "ErrorBeep", Variant::Bool(true));
    Focus(0);
    beeps_.count = 0;
    Put(*t, "SelText", S(Digits(400).c_str()));
    EXPECT_EQ(Get(t.Get(), "RawData"), "1852");
    EXPECT_EQ(beeps_.count, 1);
}

}  // namespace
}  // namespace zmtext::testing
