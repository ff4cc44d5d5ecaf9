// One key press reaches the window's key preview and handlers once, however deep the focused
// control lies in container controls: typed through Qt on the focused widget of a shown window.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QTest>

#include "platform/forms/app.h"
#include "platform/forms/controls.h"
#include "platform/forms/keys.h"
#include "platform/forms/services.h"
#include "platform/forms/tests/support/qt_app.h"
#include "platform/forms/window.h"

namespace {

using forms::testing::QtApp;

// A text box on the window, a list in a frame, and a list in a frame in a panel; every key
// handler of the window and of the controls counts its calls.
class NestedWindow : public forms::Window {
public:
    NestedWindow() : Window("FrmNested") { SetKeyPreview(true); }

    forms::TextBox* text = nullptr;
    forms::ListBox* inFrame = nullptr;
    forms::ListBox* inPanel = nullptr;
    std::vector<forms::Control*> keyed;
    int windowDowns = 0;
    int windowUps = 0;
    int controlDowns = 0;
    int controlUps = 0;

protected:
    void CreateControls() override {
        text = &Add<forms::TextBox>("TxtNome");
        text->Move(150, 150, 1800, 360);
        auto& frame = Add<forms::Frame>("Frame1");
        frame.Move(150, 600, 3000, 1500);
        inFrame = &Add<forms::ListBox>("LstFrame", &frame);
        inFrame->Move(150, 300, 2700, 1050);
        auto& panel = Add<forms::Panel>("Painel1");
        panel.Move(150, 2250, 3300, 2100);
        auto& inner = Add<forms::Frame>("Frame2", &panel);
        inner.Move(150, 150, 3000, 1800);
        inPanel = &Add<forms::ListBox>("LstPainel", &inner);
        inPanel->Move(150, 300, 2700, 1350);
        for (forms::ListBox* list : {inFrame, inPanel}) {
            for (const char* item : {"Um", "Dois", "Três"}) list->AddItem(item);
        }
        for (forms::Control* control : Controls()) {
            control->KeyDown = [this](int&, int) { ++controlDowns; };
            control->KeyUp = [this](int&, int) { ++controlUps; };
        }
    }
    void Form_KeyDown(int&, int) override { ++windowDowns; }
    void Form_KeyUp(int&, int) override { ++windowUps; }
};

class KeyRoutingTest : public ::testing::Test {
protected:
    void SetUp() override {
        QtApp();
        forms::InstallMessageBoxes(&boxes_);
        forms::App().ResetForTests();
    }
    void TearDown() override {
        forms::DoEvents();
        forms::App().CollectUnloaded();
        forms::InstallMessageBoxes(nullptr);
        forms::App().ResetForTests();
    }
    forms::ScriptedMessageBoxes boxes_;
};

// Clicks a control as a user does (a list on its first item).
void ClickOn(forms::Control& control) {
    QWidget* target = control.Widget();
    if (auto* area = qobject_cast<QAbstractScrollArea*>(target)) target = area->viewport();
    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(8, 6));
}

TEST_F(KeyRoutingTest, AKeyReachesTheWindowOnceWhateverTheNestingOfTheFocusedControl) {
    NestedWindow window;
    window.Show();
    window.Widget()->activateWindow();
    forms::DoEvents();
    const std::pair<const char*, forms::Control*> places[] = {
        {"on the window", window.text}, {"in a frame", window.inFrame}, {"in a frame in a panel", window.inPanel}};
    const std::pair<const char*, Qt::Key> keys[] = {
        {"Esc", Qt::Key_Escape}, {"Enter", Qt::Key_Return}, {"F12", Qt::Key_F12},
        {"PageDown", Qt::Key_PageDown}, {"Down", Qt::Key_Down}, {"Up", Qt::Key_Up},
    };
    for (const auto& [place, focused] : places) {
        forms::Control& control = *focused;
        ClickOn(control);
        ASSERT_EQ(QApplication::focusWidget(), control.Widget()) << place;
        for (const auto& [name, key] : keys) {
            window.windowDowns = window.windowUps = window.controlDowns = window.controlUps = 0;
            QTest::keyClick(QApplication::focusWidget(), key);
            EXPECT_EQ(window.windowDowns, 1) << name << " " << place;
            EXPECT_EQ(window.windowUps, 1) << name << " " << place;
            EXPECT_EQ(window.controlDowns, 1) << name << " " << place;
            EXPECT_EQ(window.controlUps, 1) << name << " " << place;
        }
    }
    // The same key twice in a row is two keys.
    window.windowDowns = 0;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(window.windowDowns, 2);
    window.Unload();
}

// A window that unloads on a key hears nothing more of it on its way up.
TEST_F(KeyRoutingTest, AWindowThatUnloadsOnAKeyHearsNothingMoreOfIt) {
    NestedWindow window;
    window.Show();
    window.Widget()->activateWindow();
    forms::DoEvents();
    ClickOn(*window.inPanel);
    window.inPanel->KeyDown = [&window](int&, int) { window.Unload(); };
    QTest::keyPress(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(window.IsLoaded());
    EXPECT_EQ(window.windowDowns, 1);
}

// Enter on a focused command button presses it, once, on the key's press, as the platform's
// dialog keys do; the key is still heard once by the window's preview and the button's KeyDown.
class ButtonsWindow : public forms::Window {
public:
    ButtonsWindow() : Window("FrmBotoes") { SetKeyPreview(true); }

    forms::TextBox* text = nullptr;
    forms::CommandButton* first = nullptr;
    forms::CommandButton* inPanel = nullptr;
    int firstClicks = 0;
    int panelClicks = 0;
    int windowDowns = 0;
    bool keepEnter = false;   // the window's preview keeps Enter (sets its code to 0)

protected:
    void CreateControls() override {
        text = &Add<forms::TextBox>("TxtNome");
        text->Move(150, 150, 1800, 360);
        first = &Add<forms::CommandButton>("BtnPrimeiro");
        first->Move(150, 600, 1200, 420);
        auto& panel = Add<forms::Panel>("Painel1");
        panel.Move(150, 1200, 3000, 900);
        inPanel = &Add<forms::CommandButton>("BtnPainel", &panel);
        inPanel->Move(150, 150, 1200, 420);
        first->Click = [this] { ++firstClicks; };
        inPanel->Click = [this] { ++panelClicks; };
    }
    void Form_KeyDown(int& keyCode, int) override {
        ++windowDowns;
        if (keepEnter && keyCode == forms::key::Return) keyCode = 0;
    }
};

TEST_F(KeyRoutingTest, EnterPressesTheFocusedCommandButtonOnce) {
    ButtonsWindow window;
    window.Show();
    window.Widget()->activateWindow();
    forms::DoEvents();
    struct Case {
        const char* what;
        forms::Control* focused;
        Qt::Key key;
        bool keepEnter;
        int firstClicks;
        int panelClicks;
    };
    const Case cases[] = {
        {"Enter on a button", window.first, Qt::Key_Return, false, 1, 0},
        {"keypad Enter on a button", window.first, Qt::Key_Enter, false, 1, 0},
        {"Enter on a button in a panel", window.inPanel, Qt::Key_Return, false, 0, 1},
        {"Space on a button (its own key)", window.first, Qt::Key_Space, false, 1, 0},
        {"Enter on a text box", window.text, Qt::Key_Return, false, 0, 0},
        {"Enter the window's preview keeps", window.first, Qt::Key_Return, true, 0, 0},
        {"Esc on a button", window.first, Qt::Key_Escape, false, 0, 0},
    };
    for (const Case& c : cases) {
        window.firstClicks = window.panelClicks = window.windowDowns = 0;
        window.keepEnter = c.keepEnter;
        c.focused->SetFocus();
        QTest::keyClick(QApplication::focusWidget(), c.key);
        EXPECT_EQ(window.firstClicks, c.firstClicks) << c.what;
        EXPECT_EQ(window.panelClicks, c.panelClicks) << c.what;
        EXPECT_EQ(window.windowDowns, 1) << c.what << ": the key is routed once";
    }
    // A handler of the key that moves the focus away leaves the button unpressed.
    window.keepEnter = false;
    window.firstClicks = 0;
    window.first->KeyDown = [&window](int&, int) { window.text->SetFocus(); };
    window.first->SetFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(window.firstClicks, 0);
    window.Unload();
}

}  // namespace
