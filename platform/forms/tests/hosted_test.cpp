// Library controls in the runtime's windows, with the control layer's test field library
// (TESTFLD.OCX) registered in a temporary machine root.
#include "platform/forms/hosted.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <QKeyEvent>

#include "platform/ctl/control_site.h"
#include "platform/ctl/tests/support/field_library.h"
#include "platform/ctl/tests/support/test_field.h"
#include "platform/forms/app.h"
#include "platform/forms/services.h"
#include "platform/forms/tests/support/library_window_test.h"
#include "platform/forms/tests/support/qt_app.h"
#include "platform/forms/tests/support/raises.h"
#include "platform/forms/window.h"

namespace {

using com::Variant;
using forms::testing::ErrorNumberOf;
using forms::testing::QtApp;

std::string TextOf(const Variant& v) { return v.AsStr().ToUtf8(); }

// A window with a text box and two fields of the library; the first field's layout gives it a
// Limit of 42.
class FieldWindow : public forms::Window {
public:
    FieldWindow() : Window("FrmCampos") {}

    forms::TextBox* text = nullptr;
    forms::HostedControl* field = nullptr;
    forms::HostedControl* second = nullptr;
    std::function<void(int&)> onKeyDown;

protected:
    void CreateControls() override {
        text = &Add<forms::TextBox>("TxtNome");
        com::PropertyBag layout;
        EXPECT_EQ(layout.WriteVariant("Limit", Variant::I2(42)), com::S_OK);
        field = &AddHosted(ctl::testlib::kFieldProgId, "Field1", &layout, 150, 300, 1800, 360);
        second = &AddHosted(ctl::testlib::kFieldClsid.ToString(), "Field2", nullptr, 150, 750, 1800, 360);
    }
    void Form_KeyDown(int& keyCode, int) override {
        if (onKeyDown) onKeyDown(keyCode);
    }
};

class HostedTest : public forms::testing::LibraryWindowTest<FieldWindow> {
protected:
    static void Key(QWidget* target, QEvent::Type type, int qtKey, const QString& text) {
        QKeyEvent event(type, qtKey, Qt::NoModifier, text);
        QApplication::sendEvent(target, &event);
    }
};

TEST_F(HostedTest, CreatedByClassIdWithItsSavedPropertiesAndPlace) {
    FieldWindow& w = Shown();
    EXPECT_EQ(w.FindControl("Field1"), w.field);
    EXPECT_EQ(w.field->Get("Limit").AsI2(), 42);   // from the layout's bag
    EXPECT_EQ(w.second->Get("Limit").AsI2(), 10);  // no bag: the control's default
    // A new control takes the ambient display name as its text; a loaded one keeps its layout's.
    EXPECT_EQ(TextOf(w.second->Get(com::DISPID_TEXT)), "Field2");
    EXPECT_EQ(TextOf(w.field->Get(com::DISPID_TEXT)), "");
    EXPECT_EQ(w.field->Widget()->parentWidget(), w.Widget());
    EXPECT_EQ(w.field->Widget()->geometry(), QRect(10, 20, 120, 24));
    EXPECT_EQ(w.field->Left(), 150);
    EXPECT_EQ(w.HostContainer().Count(), 2u);

    com::PropertyBag saved;
    w.field->Set("Limit", Variant::I2(7));
    w.field->SaveProperties(saved);
    Variant limit;
    ASSERT_EQ(saved.ReadVariant("Limit", &limit), com::S_OK);
    EXPECT_EQ(limit.Deref().AsI2(), 7);
}

TEST_F(HostedTest, AClassThatCannotBeCreatedRaisesAndLeavesNothing) {
    FieldWindow& w = Shown();
    struct Row { const char* clsid; long number; };
    const Row rows[] = {
        {"{6C7A0002-0000-4000-8000-00000000DEAD}", 429},   // not registered
        {"NOSUCH.Control.1", 429},                         // no such ProgID
        {"{not a class id}", 429},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(ErrorNumberOf([&] { w.AddHosted(r.clsid, "Broken", nullptr, 0, 0, 600, 300); }), r.number)
            << r.clsid;
        EXPECT_EQ(w.FindControl("Broken"), nullptr);
        EXPECT_EQ(w.HostContainer().Count(), 2u);
        EXPECT_EQ(w.Controls().size(), 3u);
    }
}

TEST_F(HostedTest, MembersBySetAndGetThroughDispIdAndName) {
    FieldWindow& w = Shown();
    const com::DispId limit = w.field->IdOf("limit");   // names compare without case
    struct Row { const char* member; Variant value; long number; };
    const Row rows[] = {
        {"Limit", Variant::I2(200), 0},
        {"Limit", Variant::I2(300), 380},              // the control's own error
        {"MousePointer", Variant::I2(14), 481},
        {"hWnd", Variant::I4(5), 383},                 // read-only
        {"NoSuchMember", Variant::I2(1), 438},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(ErrorNumberOf([&] { w.field->Set(r.member, r.value); }), r.number) << r.member;
    }
    EXPECT_EQ(w.field->Get(limit).AsI2(), 200);   // the failed sets changed nothing
    w.field->Set(limit, Variant::I2(9));
    EXPECT_EQ(w.field->Get("Limit").AsI2(), 9);
    EXPECT_EQ(ErrorNumberOf([&] { w.field->Get("NoSuchMember"); }), 438);
    EXPECT_EQ(ErrorNumberOf([&] { w.field->Call("ClearMessages"); }), 0);
    EXPECT_EQ(TextOf(w.field->Get("Messages")), "");
}

TEST_F(HostedTest, AWindowHandlerChangesTheKeyByReference) {
    FieldWindow& w = Shown();
    std::vector<std::string> seen;
    w.field->On("keypress", [&](std::span<Variant> args) {
        seen.push_back("KeyPress " + std::to_string(args[0].Deref().AsI2()));
        const auto ch = args[0].Deref().AsI2();
        if (ch >= 'a' && ch <= 'z') {
            EXPECT_EQ(args[0].AssignThroughRef(Variant::I2(static_cast<std::int16_t>(ch - 32))), com::S_OK);
        }
    });
    w.field->On(com::DISPID_KEYDOWN, [&](std::span<Variant> args) {
        seen.push_back("KeyDown " + std::to_string(args[0].Deref().AsI2()) + " " +
                       std::to_string(args[1].AsI2()));
        EXPECT_TRUE(args[0].IsByRef());
    });
    int changes = 0;
    w.field->On("Change", [&](std::span<Variant>) { ++changes; });

    Key(w.field->Widget(), QEvent::KeyPress, Qt::Key_X, "x");
    EXPECT_EQ(TextOf(w.field->Get("Text")), "X");
    EXPECT_EQ(seen, (std::vector<std::string>{"KeyDown 88 0", "KeyPress 120"}));
    EXPECT_EQ(changes, 1);

    // A handler removed hears nothing more; an unknown event name is an error.
    w.field->On("KeyPress", nullptr);
    Key(w.field->Widget(), QEvent::KeyPress, Qt::Key_Y, "y");
    EXPECT_EQ(TextOf(w.field->Get("Text")), "Xy");
    EXPECT_EQ(ErrorNumberOf([&] { w.field->On("Chnage", [](std::span<Variant>) {}); }), 438);
}

// Event names come from the control's own event interface in its type library, then the stock
// events; a name given by the window goes first.
TEST_F(HostedTest, EventNamesAreTheControlsOwnFromItsTypeLibrary) {
    FieldWindow& w = Shown();
    struct Row {
        const char* name;
        com::DispId id;
    };
    const Row rows[] = {
        {"Change", ctl::testlib::kEventChange}, {"menucommand", ctl::testlib::kEventMenuCommand},
        {"Invalid", ctl::testlib::kEventInvalid}, {"Timer", ctl::testlib::kEventTimer},
        {"KeyDown", com::DISPID_KEYDOWN}, {"Click", com::DISPID_CLICK},
    };
    for (const Row& row : rows) EXPECT_EQ(w.field->EventIdOf(row.name), row.id) << row.name;
    EXPECT_EQ(ErrorNumberOf([&] { w.field->EventIdOf("EndOfLine"); }), 438);
    w.second->NameEvent("Change", 77);
    EXPECT_EQ(w.second->EventIdOf("Change"), 77);
}

TEST_F(HostedTest, KeyPreviewRunsBeforeTheLibraryControl) {
    FieldWindow& w = Shown();
    w.SetKeyPreview(true);
    w.field->Call("ClearMessages");
    int controlKeyDowns = 0;
    w.field->On("KeyDown", [&](std::span<Variant>) { ++controlKeyDowns; });
    struct Row { int qtKey; const char* typed; bool swallow; const char* messages; int keyDowns; };
    const Row rows[] = {
        {Qt::Key_A, "a", false, "KeyDown 65;Char 97;", 1},
        {Qt::Key_B, "b", true, "", 0},   // the window kept the key
    };
    for (const Row& r : rows) {
        w.field->Call("ClearMessages");
        controlKeyDowns = 0;
        w.onKeyDown = [&](int& code) { if (r.swallow) code = 0; };
        Key(w.field->Widget(), QEvent::KeyPress, r.qtKey, r.typed);
        EXPECT_EQ(TextOf(w.field->Get("Messages")), r.messages) << r.typed;
        EXPECT_EQ(controlKeyDowns, r.keyDowns) << r.typed;
    }
}

TEST_F(HostedTest, TakesPartInTheWindowsTabOrderAndFocus) {
    FieldWindow& w = Shown();
    const auto extenderIndex = [](forms::HostedControl* c) {
        com::IDispatch* ext = c->Site().Extender().Get();
        return com::GetProperty(ext, com::IdOfName(ext, "TabIndex")).AsI2();
    };
    // The controls' names in the focus chain from the text box (the window itself is in it too).
    const auto chain = [&w] {
        std::string names;
        QWidget* at = w.text->Widget();
        for (int i = 0; i < 8 && names.size() < 40; ++i, at = at->nextInFocusChain()) {
            for (forms::Control* c : w.Controls()) {
                if (c->Widget() == at) names += c->Name() + " ";
            }
        }
        return names.substr(0, names.find("TxtNome", 1));
    };
    EXPECT_EQ(w.text->TabIndex(), 0);
    EXPECT_EQ(w.field->TabIndex(), 1);
    EXPECT_EQ(w.second->TabIndex(), 2);
    EXPECT_EQ(chain(), "TxtNome Field1 Field2 ");

    w.second->SetTabIndex(1);
    EXPECT_EQ(chain(), "TxtNome Field2 Field1 ");
    EXPECT_EQ(extenderIndex(w.second), 0);   // the container's order follows the window's
    EXPECT_EQ(extenderIndex(w.field), 1);

    std::string log;
    w.field->GotFocus = [&] { log += "Field1.GotFocus "; };
    w.field->LostFocus = [&] { log += "Field1.LostFocus "; };
    w.field->SetFocus();
    QApplication::processEvents();
    w.text->SetFocus();
    QApplication::processEvents();
    EXPECT_EQ(log, "Field1.GotFocus Field1.LostFocus ");
}

TEST_F(HostedTest, AnUntrappedErrorInAnEventHandlerEndsTheProgram) {
    FieldWindow& w = Shown();
    w.field->On("KeyPress", [&](std::span<Variant>) { w.field->Set("Limit", Variant::I2(999)); });
    Key(w.field->Widget(), QEvent::KeyPress, Qt::Key_Z, "z");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Run-time error '380':\n\nLimit must be between 0 and 255");
    EXPECT_TRUE(forms::App().EndRequested());
}

TEST_F(HostedTest, AnUnloadedWindowLoadsItsControlsAfresh) {
    FieldWindow& w = Shown();
    w.field->Set("Limit", Variant::I2(3));
    ASSERT_TRUE(w.Unload());
    forms::App().CollectUnloaded();
    EXPECT_EQ(ErrorNumberOf([&] { w.HostContainer(); }), 5);
    w.Show();
    EXPECT_EQ(w.field->Get("Limit").AsI2(), 42);
    EXPECT_EQ(w.HostContainer().Count(), 2u);
}

}  // namespace

// A library control whose class was not registered is missing: its text is empty and setting it
// does nothing, so a window without the library still opens.
TEST(HostedTextTest, AMissingControlHasNoText) {
    forms::SetHostedText(nullptr, "ignored");
    EXPECT_EQ(forms::HostedText(nullptr), "");
}
