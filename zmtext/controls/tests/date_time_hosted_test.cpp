// The date and time fields as the program uses them: ZMTEXT32.OCX registered in a temporary
// machine root, both fields created by their ProgIDs in a forms window, typed into through Qt
// keys, bound to date columns of a cursor, and their properties saved and loaded in a new window.
#ifdef ZMTEXT_WITH_FORMS
#include <gtest/gtest.h>

#include "platform/forms/hosted.h"
#include "platform/forms/window.h"
#include "platform/win/registry.h"
#include "zmtext/controls/date_ctrl.h"
#include "zmtext/controls/tests/date_time_test_support.h"
#include "zmtext/controls/tests/hosted_test_support.h"
#include "zmtext/controls/time_ctrl.h"
#include "zmtext/module/tests/fake_cursor.h"

namespace zmtext::testing {
namespace {

using com::Variant;

// The log-in window's clock check: a date and a time field.
class ClockWindow : public forms::Window {
public:
    ClockWindow() : Window("FrmLogin") {}
    forms::HostedControl* date = nullptr;
    forms::HostedControl* time = nullptr;
    const com::PropertyBag* savedDate = nullptr;
    const com::PropertyBag* savedTime = nullptr;

protected:
    void CreateControls() override {
        date = &AddHosted("ZMTEXT.ZMDateCtrl.1", "ZmData", savedDate, 150, 300, 1800, 360);
        time = &AddHosted("ZMTEXT.ZMTimeCtrl.1", "ZmHora", savedTime, 150, 750, 1800, 360);
    }
};

class HostedDateTime : public HostedFieldTest<ClockWindow> {
protected:
    ClockWindow& Shown(const com::PropertyBag* date = nullptr, const com::PropertyBag* time = nullptr) {
        return Open([&](ClockWindow& w) {
            w.savedDate = date;
            w.savedTime = time;
        });
    }
};

TEST_F(HostedDateTime, TheLibraryRegistersBothFieldsAndTheirPages) {
    namespace reg = win::registry;
    const std::pair<const char*, const char*> keys[] = {
        {"ZMTEXT.ZMDateCtrl.1\\CLSID", "{A5CC20A8-B5F5-11CD-98EC-0020AF234C9D}"},
        {"ZMTEXT.ZMTimeCtrl.1\\CLSID", "{A5CC20AD-B5F5-11CD-98EC-0020AF234C9D}"},
        {"CLSID\\{A5CC20A8-B5F5-11CD-98EC-0020AF234C9D}", "Halvern Date Control"},
        {"CLSID\\{A5CC20AD-B5F5-11CD-98EC-0020AF234C9D}", "Halvern Time Control"},
        {"CLSID\\{A5CC20AC-B5F5-11CD-98EC-0020AF234C9D}", "Halvern Date Property Page"},
        {"CLSID\\{95FDF781-0ACE-11CE-A9B5-0020AF234C9D}", "Halvern Date Values Property Page"},
        {"CLSID\\{A5CC20B1-B5F5-11CD-98EC-0020AF234C9D}", "Halvern Time Property Page"},
        {"CLSID\\{95FDF780-0ACE-11CE-A9B5-0020AF234C9D}", "Halvern Time Values Property Page"},
    };
    for (const auto& [key, value] : keys)
        EXPECT_EQ(reg::QueryString(win::RootKey::ClassesRoot, key, "").value_or("(absent)"), value) << key;
}

TEST_F(HostedDateTime, TypedDatesAndTimesReachTheWindowsHandlers) {
    ClockWindow& w = Shown();
    forms::HostedControl& d = *w.date;
    forms::HostedControl& t = *w.time;
    ASSERT_NE(dynamic_cast<CZMDateCtrl*>(d.Site().Control()), nullptr);
    ASSERT_NE(dynamic_cast<CZMTimeCtrl*>(t.Site().Control()), nullptr);
    d.Set("DateType", Variant::I2(0));
    d.Set("FmtControl", Variant::I2(2));
    d.Set("FmtSeparator", Variant::Utf8("/"));
    t.Set("FmtHours", Variant::I2(2));
    std::vector<std::string> seen;
    d.NameEvent("Change", kDateChange);
    d.NameEvent("Invalid", kDateInvalid);
    t.NameEvent("Change", kTimeChange);
    d.On("Change", [&](std::span<Variant>) { seen.push_back("date"); });
    d.On("Invalid", [&](std::span<Variant>) { seen.push_back("invalid"); });
    t.On("Change", [&](std::span<Variant>) { seen.push_back("time"); });
    Focus(d);
    Type(d, "25121998");
    EXPECT_EQ(d.Get("Value").AsI4(), 36154);
    Focus(t);
    Type(t, "1405");
    EXPECT_EQ(TextOf(d.Get(com::DISPID_TEXT)), "25/12/1998");
    EXPECT_EQ(t.Get("Value").AsI4(), 14 * 3600 + 5 * 60);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "date"), 8);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "time"), 4);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "invalid"), 0);
    d.Set("Value", Variant::I4(-693959));
    Focus(d);
    Type(d, "31042015");
    Focus(t);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "invalid"), 1);
}

TEST_F(HostedDateTime, SavedPropertiesLoadBackInANewWindow) {
    ClockWindow& w = Shown();
    w.date->Set("Value", Variant::I4(7306));
    w.date->Set("FmtControl", Variant::I2(1));
    w.date->Set("FmtMonth", Variant::I2(3));
    w.time->Set("Value", Variant::I4(52200));
    w.time->Set("FmtSeconds", Variant::I2(1));
    com::PropertyBag date, time;
    w.date->SaveProperties(date);
    w.time->SaveProperties(time);
    ClockWindow& again = Shown(&date, &time);
    for (const char* name : {"Value", "Text", "FmtMonth", "DateType", "MaxValue"})
        EXPECT_EQ(TextOf(again.date->Get(name)), TextOf(w.date->Get(name))) << name;
    for (const char* name : {"Value", "Text", "FmtSeconds", "MinValue"})
        EXPECT_EQ(TextOf(again.time->Get(name)), TextOf(w.time->Get(name))) << name;
    EXPECT_EQ(TextOf(again.date->Get("Text")), "Jan-1-2000");
    EXPECT_EQ(TextOf(again.time->Get("Text")), " 2:30 PM");
}

// --- Bound to a cursor's columns -------------------------------------------------------------------

class DateTimeBinding : public FieldTest {
protected:
    void SetUp() override {
        FieldTest::SetUp();
        source_ = std::make_shared<Source>();
        source_->columns = {"Inicio", "Hora"};
        source_->rows = {{Variant::FromDate(com::Date{36526.75}), Variant::FromDate(com::Date{36526.5})}};
        cursor_ = Cursor::Create(source_, false, 0);
    }
    void Bind(com::IDispatch& c) {
        auto* cursor = static_cast<ICursor*>(static_cast<ICursorMove*>(cursor_.Get()));
        Put(c, "DataSource", Variant::Unknown(com::ComPtr<com::IUnknown>(static_cast<com::IUnknown*>(cursor))));
    }
    std::string Pending() const {
        return source_->pending.empty() ? "(none)" : testing::Shown(source_->pending.back().second);
    }

    std::shared_ptr<Source> source_;
    com::ComPtr<Cursor> cursor_;
};

TEST_F(DateTimeBinding, DateColumnsLoadAsValuesAndAreWrittenBackWithTheirTime) {
    auto d = AddField<CZMDateCtrl>("Dt", 0);
    Put(*d, "DateType", Variant::I2(0));
    Put(*d, "DataField", Variant::Utf8("Inicio"));
    Bind(*d);
    EXPECT_EQ(testing::Shown(GetProperty(d.Get(), "Value")), "36526");
    EXPECT_EQ(testing::Shown(GetProperty(d.Get(), "BoundTime")), "64800");
    EXPECT_EQ(testing::Shown(GetProperty(d.Get(), "DataChanged")), "False") << "a load is no edit";
    Put(*d, "Value", Variant::I4(36527));
    EXPECT_EQ(d->WriteColumn(), com::S_OK);
    ASSERT_FALSE(source_->pending.empty());
    EXPECT_DOUBLE_EQ(source_->pending.back().second.AsDate().days, 36527.75);

    auto t = AddField<CZMTimeCtrl>("Tm", 1);
    Put(*t, "DataField", Variant::Utf8("Hora"));
    Bind(*t);
    EXPECT_EQ(testing::Shown(GetProperty(t.Get(), "Value")), "43200");
    EXPECT_EQ(testing::Shown(GetProperty(t.Get(), "BoundDate")), "36526");
    Put(*t, "Value", Variant::I4(3600));
    EXPECT_EQ(t->WriteColumn(), com::S_OK);
    EXPECT_DOUBLE_EQ(source_->pending.back().second.AsDate().days, 36526.0 + 3600.0 / 86400.0);
    // Unbound, the cursor lets go of the fields.
    Put(*d, "DataSource", Variant());
    Put(*t, "DataSource", Variant());
}

}  // namespace
}  // namespace zmtext::testing
#endif
