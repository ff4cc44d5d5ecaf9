// The number fields' tests: fields of any numeric kind in a container over a top-level widget,
// typed into through Qt key events, their members reached by name as a host reaches them.
#pragma once

#include "zmtext/controls/tests/text_test_support.h"

namespace zmtext::testing {

class NumberControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        EngineTestApp();
        top_ = std::make_unique<QWidget>();
        top_->resize(400, 200);
        container_ = std::make_unique<ctl::ControlContainer>(top_.get());
        container_->SetEventHandler([this](ctl::ControlSite& s, com::DispId id, std::span<com::Variant>) {
            events_.push_back(s.Name() + ":" + std::to_string(id));
        });
    }
    void TearDown() override {
        container_.reset();
        top_.reset();
    }

    // A new field of type C named `name` in row `row` (its saved properties when given).
    template <class C>
    com::ComPtr<C> Add(const std::string& name, int row = 0, const com::PropertyBag* saved = nullptr) {
        auto control = C::Create();
        ctl::ControlSite* site = nullptr;
        EXPECT_EQ(container_->AddControl(com::ComPtr<ctl::IControl>(control), name,
                                         {10, 10 + 30 * row, 210, 34 + 30 * row}, saved, &site),
                  com::S_OK);
        sites_.push_back(site);
        return control;
    }
    void Show() {
        top_->show();
        top_->activateWindow();
        QApplication::processEvents();
    }
    void Focus(int i) {
        ASSERT_TRUE(sites_.at(static_cast<std::size_t>(i))->SetFocus());
        QApplication::processEvents();
    }
    void Type(int i, std::string_view text) {
        QWidget* w = sites_.at(static_cast<std::size_t>(i))->Widget();
        for (char c : text) {
            const QString s(QChar(static_cast<char16_t>(static_cast<unsigned char>(c))));
            const int key = s.at(0).toUpper().unicode();
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, s);
            QApplication::sendEvent(w, &press);
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, s);
            QApplication::sendEvent(w, &release);
        }
    }
    // How many times event `id` of field `name` fired since the last Clear.
    int Count(const std::string& name, com::DispId id) const {
        return static_cast<int>(std::count(events_.begin(), events_.end(), name + ":" + std::to_string(id)));
    }
    static std::string Get(com::IDispatch* c, std::string_view name) { return Shown(GetProperty(c, name)); }
    static void Put(com::IDispatch* c, std::string_view name, com::Variant v) {
        const CallResult r = PutProperty(c, name, std::move(v));
        EXPECT_EQ(r.hr, com::S_OK) << name << " " << r.excep.description;
    }
    static com::Variant S(const char* utf8) { return com::Variant::Utf8(utf8); }

    // Each row's refused value raises 380 (or its own code) with its text and help context and
    // leaves the property as it was.
    struct ErrorRow {
        const char* property;
        com::Variant bad;
        const char* text;
        std::int32_t context;
    };
    static void ExpectRefused(com::IDispatch* c, const std::vector<ErrorRow>& rows) {
        for (const ErrorRow& row : rows) {
            const std::string before = Get(c, row.property);
            const CallResult r = PutProperty(c, row.property, row.bad);
            EXPECT_EQ(r.hr, com::DISP_E_EXCEPTION) << row.property;
            EXPECT_EQ(r.excep.scode, com::CTL_E_INVALIDPROPERTYVALUE) << row.property;
            EXPECT_EQ(r.excep.description, row.text) << row.property;
            EXPECT_EQ(r.excep.helpContext, static_cast<std::uint32_t>(row.context)) << row.property;
            EXPECT_EQ(Get(c, row.property), before) << row.property << " kept its value";
        }
    }
public:
    static void ExpectDispIds(const com::DispatchMap& map, const std::vector<std::pair<const char*, com::DispId>>& rows) {
        for (const auto& [name, id] : rows) {
            com::DispId found = 99999;
            EXPECT_EQ(map.GetIDsOfNames(name, &found), com::S_OK) << name;
            EXPECT_EQ(found, id) << name;
        }
    }

protected:
    std::unique_ptr<QWidget> top_;
    std::unique_ptr<ctl::ControlContainer> container_;
    std::vector<ctl::ControlSite*> sites_;
    std::vector<std::string> events_;
};

// The stock members every number field lists after its own.
inline const std::vector<std::pair<const char*, com::DispId>>& NumberStockIds() {
    static const std::vector<std::pair<const char*, com::DispId>> rows = {
        {"Text", -517}, {"_Text", 0}, {"BorderStyle", -504}, {"BackColor", -501}, {"ForeColor", -513},
        {"Enabled", -514}, {"hWnd", -515}, {"Font", -512}, {"AboutBox", -552}};
    return rows;
}

}  // namespace zmtext::testing
