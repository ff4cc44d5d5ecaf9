// The text field as the program uses it: ZMTEXT32.OCX registered in a temporary machine root, the
// field created by its ProgID in a forms window, typed into through Qt key events, its members
// set by name and by DISPID, its events in the window's handlers, and its properties saved to a
// bag and loaded back.
#ifdef ZMTEXT_WITH_FORMS
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

#include "platform/ctl/control_site.h"
#include "platform/forms/hosted.h"
#include "platform/forms/window.h"
#include "platform/win/registry.h"
#include "platform/win/testing/raises.h"
#include "zmtext/controls/tests/hosted_test_support.h"
#include "zmtext/controls/text_ctrl.h"
#include "zmtext/engine/tests/keystroke_script.h"

namespace zmtext::testing {
namespace {

using com::Variant;
using win::testing::ErrorNumberOf;

// The log-in window's shape: a password field and a name field of the library.
class LoginWindow : public forms::Window {
public:
    LoginWindow() : Window("FrmLogin") {}
    forms::HostedControl* name = nullptr;
    forms::HostedControl* password = nullptr;
    const com::PropertyBag* savedName = nullptr;

protected:
    void CreateControls() override {
        name = &AddHosted("ZMTEXT.ZMTextCtrl.1", "ZmNome", savedName, 150, 300, 2400, 360);
        password = &AddHosted("{A5CC20A3-B5F5-11CD-98EC-0020AF234C9D}", "ZmSenha", nullptr, 150, 750, 2400, 360);
    }
};

class HostedText : public HostedFieldTest<LoginWindow> {
protected:
    LoginWindow& Shown(const com::PropertyBag* savedName = nullptr) {
        return Open([&](LoginWindow& w) { w.savedName = savedName; });
    }
};

TEST_F(HostedText, TheLibraryRegistersTheFieldAndItsPages) {
    namespace reg = win::registry;
    const std::pair<const char*, const char*> keys[] = {
        {"ZMTEXT.ZMTextCtrl.1\\CLSID", "{A5CC20A3-B5F5-11CD-98EC-0020AF234C9D}"},
        {"CLSID\\{A5CC20A3-B5F5-11CD-98EC-0020AF234C9D}", "Halvern Text Control"},
        {"CLSID\\{F15F3DEE-F5B1-11CD-A9B5-0020AF234C9D}", "Halvern Text Additional Properties"},
        {"CLSID\\{9CCAC100-F673-11CD-A9B5-0020AF234C9D}", "Halvern Text Characters Property"},
        {"CLSID\\{A5CC20A7-B5F5-11CD-98EC-0020AF234C9D}", "Halvern Text Property Page"},
    };
    for (const auto& [key, value] : keys)
        EXPECT_EQ(reg::QueryString(win::RootKey::ClassesRoot, key, "").value_or("(absent)"), value) << key;
}

TEST_F(HostedText, TypingGivesTheEngineStateAndTheEvents) {
    LoginWindow& w = Shown();
    forms::HostedControl& f = *w.name;
    EXPECT_EQ(TextOf(f.Get("RawData")), "ZmNome") << "a new field shows its name";
    f.Set("RawData", Variant::Utf8(""));
    f.Set(kTextMask, Variant::Utf8("(###) %%%-%%%%"));
    std::vector<std::string> seen;
    f.NameEvent("Change", kTextChange);
    f.NameEvent("InvalidKey", kTextInvalidKey);
    f.On("Change", [&](std::span<Variant>) { seen.push_back("Change"); });
    f.On("InvalidKey", [&](std::span<Variant> a) { seen.push_back("InvalidKey " + std::to_string(a[0].Deref().AsI2())); });
    f.On("KeyPress", [&](std::span<Variant> a) { seen.push_back("KeyPress " + std::to_string(a[0].Deref().AsI2())); });
    Focus(f);
    Type(f, "12x3");
    EXPECT_EQ(TextOf(f.Get("RawData")), "123");
    EXPECT_EQ(TextOf(f.Get(com::DISPID_TEXT)), "(123) ___-____");
    EXPECT_EQ(f.Get("SelStart").AsI4(), 6) << "a full group sends the caret past the literals after it";
    // A refused key is an InvalidKey alone: KeyPress is for the characters the field takes.
    EXPECT_EQ(seen, (std::vector<std::string>{"KeyPress 49", "Change", "KeyPress 50", "Change", "InvalidKey 120",
                                              "KeyPress 51", "Change"}));
    Press(f, Qt::Key_Backspace);
    EXPECT_EQ(TextOf(f.Get("RawData")), "12");
    EXPECT_EQ(TextOf(f.Get(0)), "(12_) ___-____") << "the default member is the text";
}

// A text copied from another program and pasted with Ctrl+V or Shift+Insert: its line breaks
// become blanks between the words (a copied line's own break at its end goes), never nothing.
TEST_F(HostedText, PastedLineBreaksBecomeBlanks) {
    struct Row {
        const char* copied;
        const char* raw;
    };
    const Row rows[] = {
        {"ANA\r\nMARIA", "ANA MARIA"},   {"ANA\nMARIA", "ANA MARIA"},     {"ANA\rMARIA", "ANA MARIA"},
        {"RUA A\r\n\r\nN 5", "RUA A  N 5"}, {"ANA MARIA\r\n", "ANA MARIA"}, {"\r\n", ""},
        {"ANA", "ANA"},
    };
    const std::pair<Qt::Key, Qt::KeyboardModifier> pastes[] = {{Qt::Key_V, Qt::ControlModifier},
                                                               {Qt::Key_Insert, Qt::ShiftModifier}};
    LoginWindow& w = Shown();
    forms::HostedControl& f = *w.name;
    for (const auto& [key, modifier] : pastes) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.copied) + (key == Qt::Key_V ? " Ctrl+V" : " Shift+Insert"));
            f.Set("RawData", Variant::Utf8(""));
            Focus(f);
            QGuiApplication::clipboard()->setText(QString::fromUtf8(row.copied));
            QTest::keyClick(f.Widget(), key, modifier);
            EXPECT_EQ(TextOf(f.Get("RawData")), row.raw);
        }
    }
}

// Keys of a script as Qt delivers them.
int QtKeyOf(std::string_view name) {
    static constexpr std::pair<std::string_view, int> kKeys[] = {
        {"Home", Qt::Key_Home}, {"End", Qt::Key_End}, {"Left", Qt::Key_Left}, {"Right", Qt::Key_Right},
        {"Del", Qt::Key_Delete}, {"Bksp", Qt::Key_Backspace}, {"Ins", Qt::Key_Insert}};
    for (const auto& [n, key] : kKeys)
        if (n == name) return key;
    return 0;
}

// The events a script's comparison looks at.
std::string EditEventsOf(const std::vector<std::string>& events) {
    std::string out;
    for (const auto& e : events)
        if (e.rfind("KeyDown", 0) != 0 && e != "Bound") out += e + ";";
    return out;
}

TEST_F(HostedText, AHostedFieldTypesAsTheHeadlessEngineDoes) {
    struct Row {
        const char* mask;
        const char* script;
    };
    const Row rows[] = {
        {"(###) %%%-%%%%", "5"},        {"(###) %%%-%%%%", "12x345{Left}{Left}{Bksp}9"},
        {"(###) %%%-%%%%", "123{Home}{Del}{End}7"}, {"UU-LL", "abCD{Left}{Bksp}e"},
        {"\\##", "12"},                {"", "hello{Home}{Right}{Del}a{End}!"},
        {"##/##/####", "010120{Bksp}{Bksp}99"},
    };
    LoginWindow& w = Shown();
    forms::HostedControl& f = *w.name;
    auto* control = dynamic_cast<CZMTextCtrl*>(f.Site().Control());
    ASSERT_NE(control, nullptr);
    std::vector<std::string> hosted;
    f.NameEvent("Change", kTextChange);
    f.NameEvent("InvalidKey", kTextInvalidKey);
    f.NameEvent("EndOfLine", kTextEndOfLine);
    f.On("Change", [&](std::span<Variant>) { hosted.push_back("Change"); });
    f.On("EndOfLine", [&](std::span<Variant>) { hosted.push_back("EndOfLine"); });
    f.On("InvalidKey", [&](std::span<Variant> a) { hosted.push_back("InvalidKey " + std::to_string(a[0].Deref().AsI2())); });
    f.On("KeyPress", [&](std::span<Variant> a) { hosted.push_back("KeyPress " + std::to_string(a[0].Deref().AsI2())); });
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.mask) + " " + r.script);
        EditTestField headless;
        headless.SetMask(r.mask);
        headless.Focus();
        RunScript(headless, r.script);

        Focus(*w.password);
        f.Set("RawData", Variant::Utf8(""));
        f.Set("Mask", Variant::Utf8(r.mask));
        Focus(f);
        hosted.clear();
        const std::string_view script = r.script;
        for (std::size_t i = 0; i < script.size(); ++i) {
            if (script[i] != '{') {
                Type(f, std::string(1, script[i]));
                continue;
            }
            const auto close = script.find('}', i);
            Press(f, QtKeyOf(script.substr(i + 1, close - i - 1)));
            i = close;
        }
        EXPECT_EQ(control->GetRawData(), headless.GetRawData());
        EXPECT_EQ(control->GetDisplay(), headless.GetDisplay());
        EXPECT_EQ(control->GetCurPos(), headless.GetCurPos());
        EXPECT_EQ(EditEventsOf(hosted), EditEventsOf(headless.events));
    }
}

TEST_F(HostedText, KeyPressChangesTheCharacterTheFieldTakes) {
    LoginWindow& w = Shown();
    forms::HostedControl& f = *w.password;
    f.Set("RawData", Variant::Utf8(""));
    f.Set("PasswordChar", Variant::Utf8("*"));
    f.On("KeyPress", [&](std::span<Variant> a) {
        const auto ch = a[0].Deref().AsI2();
        // Letters go in upper case; "!" is cancelled.
        const std::int16_t replacement = ch >= 'a' && ch <= 'z' ? static_cast<std::int16_t>(ch - 32) : ch == '!' ? 0 : ch;
        EXPECT_EQ(a[0].AssignThroughRef(Variant::I2(replacement)), com::S_OK);
    });
    Focus(f);
    Type(f, "ab!c");
    EXPECT_EQ(TextOf(f.Get("RawData")), "ABC");
    auto* control = dynamic_cast<CZMTextCtrl*>(f.Site().Control());
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->GetDisplay(), "***");
}

TEST_F(HostedText, MembersByNameAndDispIdAndErrorsAsRuntimeNumbers) {
    LoginWindow& w = Shown();
    forms::HostedControl& f = *w.name;
    f.Set("MaxLength", Variant::I2(5));
    EXPECT_EQ(f.Get(kTextMaxLength).AsI2(), 5);
    f.Set(com::DISPID_BACKCOLOR, Variant::I4(0xFF));
    EXPECT_EQ(f.Get("BackColor").AsI4(), 0xFF);
    EXPECT_EQ(ErrorNumberOf([&] { f.Set("MaxLength", Variant::I2(300)); }), 380);
    EXPECT_EQ(ErrorNumberOf([&] { f.Set("Characters", Variant::I2(-2)); }), 380);
    EXPECT_EQ(ErrorNumberOf([&] { f.Set("HdnWidth", Variant::I4(2)); }), 383);
    EXPECT_EQ(f.Get("HdnWidth").AsI4(), f.Widget()->width());
}

TEST_F(HostedText, SavedPropertiesLoadBackEqualInANewWindow) {
    LoginWindow& w = Shown();
    forms::HostedControl& f = *w.name;
    f.Set("Mask", Variant::Utf8("UU-%%"));
    f.Set("RawData", Variant::Utf8("AB12"));
    f.Set("ToolTip", Variant::Utf8("Nome do usuário"));
    f.Set("Justification", Variant::I2(1));
    f.Set("BorderEffect", Variant::I2(2));
    com::PropertyBag bag;
    f.SaveProperties(bag);
    LoginWindow& again = Shown(&bag);
    for (const char* name : {"Mask", "RawData", "Text", "ToolTip", "Justification", "BorderEffect", "MaxLength"})
        EXPECT_EQ(TextOf(again.name->Get(name)), TextOf(f.Get(name))) << name;
    EXPECT_EQ(TextOf(again.name->Get("Text")), "AB-12");
}

}  // namespace
}  // namespace zmtext::testing
#endif
