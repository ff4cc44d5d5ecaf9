// One key press reaches the window's key preview and handlers once, however deep the focused
// control lies in container controls: typed through Qt on the focused widget of a shown window.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QTest>

#include "platform/forms/app.h"
#include "platform/forms/controls.h"
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

}  // namespace
