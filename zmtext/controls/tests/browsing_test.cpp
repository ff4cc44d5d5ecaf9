// What a property browser asks the controls through their per-property browsing interface (the
// page that edits a property, the text shown for a value, the values offered in a list), the
// About boxes of every control and page, and the font of a property set of the older format.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include "platform/ctl/property_sheet.h"
#include "platform/ctl/services.h"
#include "zmtext/controls/currency_ctrl.h"
#include "zmtext/controls/date_ctrl.h"
#include "zmtext/controls/double_ctrl.h"
#include "zmtext/controls/label_ctrl.h"
#include "zmtext/controls/long_ctrl.h"
#include "zmtext/controls/tests/field_test_support.h"
#include "zmtext/controls/text_ctrl.h"
#include "zmtext/controls/time_ctrl.h"
#include "zmtext/module/tests/fake_cursor.h"
#include "zmtext/pages/date_pages.h"
#include "zmtext/pages/label_page.h"
#include "zmtext/pages/number_pages.h"
#include "zmtext/pages/text_pages.h"
#include "zmtext/pages/time_pages.h"

namespace zmtext::testing {
namespace {

using com::ComPtr;
using com::Variant;

// A control as a property browser holds it: its dispatch interface.
template <class C>
ComPtr<com::IDispatch> Browsed() {
    return ComPtr<com::IDispatch>(static_cast<com::IDispatch*>(C::Create().Get()));
}

ComPtr<ctl::IPerPropertyBrowsing> BrowsingOf(com::IDispatch* control) {
    ComPtr<ctl::IPerPropertyBrowsing> browsing;
    EXPECT_EQ(control->QueryInterface(ctl::IPerPropertyBrowsing::kIid, browsing.PutVoid()), com::S_OK);
    return browsing;
}

com::DispId IdOf(com::IDispatch* control, const char* name) {
    com::DispId id = 0;
    EXPECT_EQ(control->GetIDsOfNames(name, &id), com::S_OK) << name;
    return id;
}

constexpr const char* kColor = "{0BE35201-8F91-11CE-9DE3-00AA004BB851}";
constexpr const char* kFont = "{0BE35200-8F91-11CE-9DE3-00AA004BB851}";
constexpr const char* kPicture = "{0BE35202-8F91-11CE-9DE3-00AA004BB851}";
constexpr const char* kNone = nullptr;

TEST(PropertyBrowsing, EachPropertyMapsToThePageThatEditsIt) {
    EngineTestApp();
    const ComPtr<com::IDispatch> controls[] = {Browsed<CZMTextCtrl>(), Browsed<CZMDateCtrl>(), Browsed<CZMTimeCtrl>(),
                                               Browsed<CZMLongCtrl>(), Browsed<CZMDoubleCtrl>(),
                                               Browsed<CZMCurrencyCtrl>(), Browsed<CZMLabelCtrl>()};
    const struct {
        int control;   // index in `controls`
        const char* property;
        const char* page;
    } rows[] = {
        {0, "MouseIcon", kPicture}, {0, "ForeColor", kColor}, {0, "BackColor", kColor}, {0, "Font", kFont},
        {0, "Characters", "{9CCAC100-F673-11CD-A9B5-0020AF234C9D}"}, {0, "Mask", kNone}, {0, "FontName", kNone},
        {1, "MouseIcon", kPicture}, {1, "BackColor", kColor}, {1, "Font", kFont}, {1, "Value", kNone},
        {2, "MouseIcon", kPicture}, {2, "ForeColor", kColor}, {2, "MaxValue", kNone},
        {3, "MouseIcon", kPicture}, {3, "Font", kFont}, {3, "Value", kNone},
        {4, "MouseIcon", kPicture}, {4, "BackColor", kColor},
        {5, "MouseIcon", kPicture}, {5, "ForeColor", kColor}, {5, "FmtCurrency", kNone},
        {6, "MouseIcon", kPicture}, {6, "ForeColor", kColor}, {6, "Font", kFont}, {6, "ChiselColor", kNone},
        {6, "Caption", kNone},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.control) + " " + row.property);
        com::IDispatch* control = controls[row.control].Get();
        const auto browsing = BrowsingOf(control);
        ASSERT_TRUE(browsing);
        com::Guid page;
        const com::HResult hr = browsing->MapPropertyToPage(IdOf(control, row.property), &page);
        if (row.page) {
            EXPECT_EQ(hr, com::S_OK);
            EXPECT_EQ(page.ToString(), row.page);
        } else {
            EXPECT_EQ(hr, ctl::PERPROP_E_NOPAGEAVAILABLE);
        }
    }
}

TEST(PropertyBrowsing, BorderStyleIsShownByNameAndTheLabelOffersBoth) {
    EngineTestApp();
    const ComPtr<com::IDispatch> text = Browsed<CZMTextCtrl>();
    const ComPtr<com::IDispatch> number = Browsed<CZMDoubleCtrl>();
    const ComPtr<com::IDispatch> label = Browsed<CZMLabelCtrl>();
    const struct {
        com::IDispatch* control;
        const char* property;
        std::int16_t set;   // BorderStyle first set to this (-1: nothing set)
        com::HResult hr;
        const char* shown;
    } rows[] = {
        {text.Get(), "BorderStyle", 1, com::S_OK, "Fixed Single"},
        {text.Get(), "BorderStyle", 0, com::S_OK, "None"},
        {number.Get(), "BorderStyle", 1, com::S_OK, "Fixed Single"},
        {label.Get(), "BorderStyle", 0, com::S_OK, "None"},
        {label.Get(), "BorderStyle", 1, com::S_OK, "Fixed Single"},
        {text.Get(), "Font", -1, com::S_FALSE, ""},   // Font has no display text
        {label.Get(), "Font", -1, com::S_FALSE, ""},
        {text.Get(), "Mask", -1, com::S_FALSE, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.property) + " " + std::to_string(row.set));
        if (row.set >= 0) {
            ASSERT_EQ(PutProperty(row.control, "BorderStyle", Variant::I2(row.set)).hr, com::S_OK);
        }
        std::string shown;
        EXPECT_EQ(BrowsingOf(row.control)->GetDisplayString(IdOf(row.control, row.property), &shown), row.hr);
        EXPECT_EQ(shown, row.shown);
    }

    const auto browsing = BrowsingOf(label.Get());
    std::vector<std::string> texts;
    std::vector<std::uint32_t> cookies;
    ASSERT_EQ(browsing->GetPredefinedStrings(com::DISPID_BORDERSTYLE, &texts, &cookies), com::S_OK);
    EXPECT_EQ(texts, (std::vector<std::string>{"None", "Fixed Single"}));
    EXPECT_EQ(cookies, (std::vector<std::uint32_t>{0, 1}));
    Variant value;
    ASSERT_EQ(browsing->GetPredefinedValue(com::DISPID_BORDERSTYLE, cookies[1], &value), com::S_OK);
    EXPECT_EQ(value.AsI2(), 1);
    EXPECT_EQ(browsing->GetPredefinedValue(com::DISPID_BORDERSTYLE, 2, &value), com::E_INVALIDARG);
    EXPECT_EQ(browsing->GetPredefinedStrings(IdOf(label.Get(), "Alignment"), &texts, &cookies), com::S_FALSE);
    EXPECT_TRUE(texts.empty());
}

TEST(PropertyBrowsing, DataFieldOffersTheColumnsOfTheBoundSource) {
    EngineTestApp();
    auto source = std::make_shared<Source>();
    source->columns = {"Codigo", "Nome", "Descri\xE7\xE3o"};
    source->rows = {{Variant::I4(1), Variant::Utf8("Centro"), Variant::Utf8("Loja")}};
    auto cursor = Cursor::Create(source, false, 0);
    auto site = BindingSite::Create(
        ComPtr<com::ICursor>(static_cast<com::ICursor*>(static_cast<com::ICursorMove*>(cursor.Get()))));

    for (const ComPtr<com::IDispatch>& control : {Browsed<CZMTextCtrl>(), Browsed<CZMCurrencyCtrl>()}) {
        const auto browsing = BrowsingOf(control.Get());
        const com::DispId dataField = IdOf(control.Get(), "DataField");
        std::vector<std::string> texts;
        std::vector<std::uint32_t> cookies;
        ASSERT_EQ(browsing->GetPredefinedStrings(dataField, &texts, &cookies), com::S_OK);
        EXPECT_TRUE(texts.empty()) << "no site, no source: an empty list";

        ASSERT_EQ(control.As<ctl::IControl>()->SetClientSite(site.Get()), com::S_OK);
        ASSERT_EQ(browsing->GetPredefinedStrings(dataField, &texts, &cookies), com::S_OK);
        EXPECT_EQ(texts, (std::vector<std::string>{"Codigo", "Nome", "Descrição"}));
        EXPECT_EQ(cookies, (std::vector<std::uint32_t>{0, 1, 2}));
        Variant value;
        ASSERT_EQ(browsing->GetPredefinedValue(dataField, cookies[2], &value), com::S_OK);
        EXPECT_EQ(value.AsStr().ToUtf8(), "Descrição");
        EXPECT_EQ(browsing->GetPredefinedValue(dataField, 3, &value), com::E_INVALIDARG);
        // Choosing it sets the property as a browser would.
        ASSERT_EQ(PutProperty(control.Get(), "DataField", value).hr, com::S_OK);
        EXPECT_EQ(Shown(GetProperty(control.Get(), "DataField")), "Descrição");
        control.As<ctl::IControl>()->SetClientSite(nullptr);
    }
}

// --- About boxes ---------------------------------------------------------------------------------

struct AboutRow {
    const char* what;
    const char* title;
    const char* name;
};

void ExpectAboutBox(const ctl::ScriptedNotices& notices, const AboutRow& row) {
    ASSERT_EQ(notices.aboutBoxes.size(), 1u);
    EXPECT_EQ(notices.aboutBoxes[0].first, row.title);
    EXPECT_EQ(notices.aboutBoxes[0].second, (std::vector<std::string>{row.name, "Version 4.1", "ZMTEXT32.OCX"}));
    EXPECT_TRUE(notices.messages.empty());
}

template <class C>
void CallAboutBox(const AboutRow& row) {
    SCOPED_TRACE(row.what);
    ctl::ScriptedNotices notices;
    ctl::ScopedNotices scoped(&notices);
    const ComPtr<com::IDispatch> control = Browsed<C>();
    com::DispParams none;
    ASSERT_EQ(control->Invoke(com::DISPID_ABOUTBOX, com::DISPATCH_METHOD, none, nullptr, nullptr, nullptr), com::S_OK);
    ExpectAboutBox(notices, row);
}

TEST(AboutBoxes, EachControlsAboutBoxNamesItAndTheVersion) {
    EngineTestApp();
    CallAboutBox<CZMTextCtrl>({"text", "About ZMText Control", "Halvern Text Control"});
    CallAboutBox<CZMDateCtrl>({"date", "About ZMDate Control", "Halvern Date Control"});
    CallAboutBox<CZMTimeCtrl>({"time", "About ZMTime Control", "Halvern Time Control"});
    CallAboutBox<CZMLongCtrl>({"long", "About ZMLong Control", "Halvern Long Control"});
    CallAboutBox<CZMDoubleCtrl>({"double", "About ZMDouble Control", "Halvern Double Control"});
    CallAboutBox<CZMCurrencyCtrl>({"currency", "About ZMCurrency Control", "Halvern Currency Control"});
    CallAboutBox<CZMLabelCtrl>({"label", "About ZMLabel Control", "Halvern Label Control"});
}

template <class Page>
void PressAbout(const AboutRow& row) {
    SCOPED_TRACE(row.what);
    ctl::ScriptedNotices notices;
    ctl::ScopedNotices scoped(&notices);
    Page page;
    QPushButton* about = nullptr;
    for (QPushButton* b : page.template findChildren<QPushButton*>())
        if (b->text() == QStringLiteral("About...")) about = b;
    ASSERT_NE(about, nullptr);
    const bool modified = page.IsModified();
    about->click();
    ExpectAboutBox(notices, row);
    EXPECT_EQ(page.IsModified(), modified) << "About... is no edit of the page";
}

TEST(AboutBoxes, ThePagesAboutButtonsShowTheirControlsAboutBox) {
    EngineTestApp();
    PressAbout<CZMText2PropPage>({"text page", "About ZMText Control", "Halvern Text Control"});
    PressAbout<CZMDatePropPage>({"date page", "About ZMDate Control", "Halvern Date Control"});
    PressAbout<CZMTimePropPage>({"time page", "About ZMTime Control", "Halvern Time Control"});
    PressAbout<CZMLongPropPage>({"long page", "About ZMLong Control", "Halvern Long Control"});
    PressAbout<CZMDoublePropPage>({"double page", "About ZMDouble Control", "Halvern Double Control"});
    PressAbout<CZMCurrencyPropPage>({"currency page", "About ZMCurrency Control", "Halvern Currency Control"});
    PressAbout<CZMLabelPropPage>({"label page", "About ZMLabel Control", "Halvern Label Control"});
}

TEST(AboutBoxes, TheDialogShowsTheTitleAndEachLine) {
    EngineTestApp();
    const auto dialog = ctl::MakeAboutBox(nullptr, "About ZMLong Control", {"Halvern Long Control", "Version 4.1"});
    EXPECT_EQ(dialog->windowTitle().toStdString(), "About ZMLong Control");
    std::vector<std::string> shown;
    for (const QLabel* l : dialog->findChildren<QLabel*>()) shown.push_back(l->text().toStdString());
    EXPECT_EQ(shown, (std::vector<std::string>{"Halvern Long Control", "Version 4.1"}));
    const auto buttons = dialog->findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->text().toStdString(), "OK");
}

// --- The older format's font ---------------------------------------------------------------------

TEST(OlderFormat, TheSeparateFontPropertiesBecomeTheControlsFont) {
    EngineTestApp();
    com::PropertyBag old;
    old.oldFormat = true;
    old.version = 0x00040001;
    ASSERT_EQ(old.WriteVariant("FontName", Variant::Utf8("Arial")), com::S_OK);
    ASSERT_EQ(old.WriteVariant("FontSize", Variant::R8(12)), com::S_OK);
    ASSERT_EQ(old.WriteVariant("FontBold", Variant::Bool(true)), com::S_OK);
    ASSERT_EQ(old.WriteVariant("FontUnderline", Variant::Bool(true)), com::S_OK);
    ASSERT_EQ(old.WriteVariant("BorderStyle", Variant::I2(1)), com::S_OK);

    const ComPtr<com::IDispatch> controls[] = {Browsed<CZMTextCtrl>(), Browsed<CZMLongCtrl>(),
                                               Browsed<CZMCurrencyCtrl>(), Browsed<CZMLabelCtrl>()};
    for (const auto& control : controls) {
        ASSERT_EQ(control.As<ctl::IControl>()->Load(old), com::S_OK);
        const std::pair<const char*, const char*> expected[] = {{"FontName", "Arial"},   {"FontSize", "12"},
                                                                {"FontBold", "True"},    {"FontItalic", "False"},
                                                                {"FontUnderline", "True"}};
        for (const auto& [name, value] : expected)
            EXPECT_EQ(Shown(GetProperty(control.Get(), name)), value) << name;
    }

    // Outside the older format those names are not the font's (the stock Font property is).
    com::PropertyBag current = old;
    current.oldFormat = false;
    const auto text = Browsed<CZMTextCtrl>();
    ASSERT_EQ(text.As<ctl::IControl>()->Load(current), com::S_OK);
    EXPECT_NE(Shown(GetProperty(text.Get(), "FontName")), "Arial");
}

}  // namespace
}  // namespace zmtext::testing
