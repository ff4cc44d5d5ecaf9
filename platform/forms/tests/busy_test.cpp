// A long step that yields: the user's keys, clicks and closes during its yields, sent through Qt to
// the focused widget (or the window) as the window system sends them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <functional>
#include <vector>

#include "platform/forms/app.h"
#include "platform/forms/busy.h"
#include "platform/forms/controls.h"
#include "platform/forms/services.h"
#include "platform/forms/tests/support/qt_app.h"
#include "platform/forms/window.h"

namespace {

using forms::testing::QtApp;

// Two buttons: Executar starts a long step that yields `yields` times, running one user action
// at each yield; Cancelar serves the step. Every handler counts its runs.
class StepWindow : public forms::Window {
public:
    StepWindow() : Window("FrmPasso") {}

    forms::CommandButton* executar = nullptr;
    forms::CommandButton* cancelar = nullptr;
    forms::TextBox* campo = nullptr;
    std::vector<std::function<void()>> duringStep;
    int steps = 0;
    int cancels = 0;
    int unloads = 0;
    int keyUps = 0;
    bool closeAsked = false;

protected:
    void CreateControls() override {
        campo = &Add<forms::TextBox>("TxtCampo");
        campo->Move(150, 150, 1800, 360);
        executar = &Add<forms::CommandButton>("BtnExecutar");
        executar->Move(150, 600, 1200, 420);
        cancelar = &Add<forms::CommandButton>("BtnCancelar");
        cancelar->Move(1500, 600, 1200, 420);
        forms::ServeWhileBusy(*cancelar);
        executar->Click = [this] { Executar(); };
        cancelar->Click = [this] { ++cancels; };
        campo->KeyUp = [this](int&, int) { ++keyUps; };
    }
    void Form_Unload(int&) override { ++unloads; }

private:
    void Executar() {
        ++steps;
        const forms::BusyScope busy(*this);
        for (const auto& action : duringStep) {
            action();
            forms::DoEvents();
        }
        closeAsked = busy.CloseAsked();
    }
};

class BusyTest : public ::testing::Test {
protected:
    void SetUp() override {
        QtApp();
        forms::App().ResetForTests();
        window_.Show();
        window_.Widget()->activateWindow();
        forms::DoEvents();
    }
    void TearDown() override {
        if (window_.IsLoaded()) window_.Drop();
        forms::DoEvents();
        forms::App().CollectUnloaded();
        forms::App().ResetForTests();
    }

    static void Click(forms::Control& control) { QTest::mouseClick(control.Widget(), Qt::LeftButton); }
    static void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }

    // Starts the step by a click on Executar, with `actions` run at its yields.
    void RunStep(std::vector<std::function<void()>> actions) {
        window_.duringStep = std::move(actions);
        window_.executar->SetFocus();
        Click(*window_.executar);
        forms::DoEvents();
    }

    StepWindow window_;
};

TEST_F(BusyTest, TheStepsCommandPressedAgainDuringItsYieldsRunsOnce) {
    struct Case {
        const char* how;
        std::function<void(StepWindow&)> press;
    };
    const Case cases[] = {
        {"a click", [](StepWindow& w) { Click(*w.executar); }},
        {"Enter on the focused button", [](StepWindow& w) {
             w.executar->SetFocus();
             Key(Qt::Key_Return);
         }},
        {"Space on the focused button", [](StepWindow& w) {
             w.executar->SetFocus();
             Key(Qt::Key_Space);
         }},
    };
    for (const Case& c : cases) {
        window_.steps = 0;
        RunStep({[&] { c.press(window_); }, [&] { c.press(window_); }, [&] { c.press(window_); }});
        EXPECT_EQ(window_.steps, 1) << c.how;
        EXPECT_FALSE(forms::Busy()) << c.how;
        c.press(window_);
        window_.duringStep.clear();
        EXPECT_EQ(window_.steps, 2) << c.how << " works again once the step has ended";
    }
}

TEST_F(BusyTest, AControlThatServesTheStepTakesClicksAndKeysDuringIt) {
    RunStep({[&] { Click(*window_.cancelar); },
             [&] {
                 window_.cancelar->SetFocus();
                 Key(Qt::Key_Space);
             },
             [&] {
                 window_.campo->SetFocus();
                 Key(Qt::Key_A);
             }});
    EXPECT_EQ(window_.steps, 1);
    EXPECT_EQ(window_.cancels, 2);
    EXPECT_EQ(window_.keyUps, 0) << "a field that does not serve the step hears no key";
}

TEST_F(BusyTest, AWindowClosedDuringTheStepClosesOnceTheStepHasEnded) {
    struct Case {
        const char* how;
        std::function<void(StepWindow&)> close;
    };
    const Case cases[] = {
        {"the close box", [](StepWindow& w) { w.Widget()->close(); }},
        {"Alt+F4", [](StepWindow&) { Key(Qt::Key_F4, Qt::AltModifier); }},
    };
    for (const Case& c : cases) {
        if (!window_.IsLoaded()) SetUp();
        window_.unloads = 0;
        bool loadedDuringStep = false;
        RunStep({[&] { c.close(window_); }, [&] { c.close(window_); },
                 [&] { loadedDuringStep = window_.IsLoaded() && window_.Visible(); }});
        EXPECT_TRUE(loadedDuringStep) << c.how << ": the window stays while the step runs";
        EXPECT_TRUE(window_.closeAsked) << c.how;
        forms::DoEvents();
        EXPECT_FALSE(window_.IsLoaded()) << c.how;
        EXPECT_EQ(window_.unloads, 1) << c.how;
    }
}

TEST_F(BusyTest, AltF4OutsideAStepClosesTheWindowOfTheFocusedControl) {
    window_.campo->SetFocus();
    Key(Qt::Key_F4, Qt::AltModifier);
    forms::DoEvents();
    EXPECT_FALSE(window_.IsLoaded());
    EXPECT_EQ(window_.unloads, 1);
}

}  // namespace
