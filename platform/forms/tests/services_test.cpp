#include "platform/forms/services.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <stdexcept>

#include "platform/forms/app.h"
#include "platform/forms/window.h"
#include "platform/forms/tests/support/qt_app.h"
#include "platform/win/testing/temp_machine_root.h"

namespace {

using forms::testing::QtApp;

class ServicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        QtApp();
        forms::InstallMessageBoxes(&boxes);
    }
    void TearDown() override {
        forms::InstallMessageBoxes(nullptr);
        forms::InstallEventPump(nullptr);
        forms::InstallProgramStarter(nullptr);
        forms::App().ResetForTests();
    }
    forms::ScriptedMessageBoxes boxes;
};

TEST_F(ServicesTest, EachStyleHasItsButtonsDefaultAndEscape) {
    const struct {
        int style;
        std::vector<int> buttons;
        int defaultAnswer;
        std::optional<int> escape;
    } rows[] = {
        {0, {1}, 1, 1},
        {48, {1}, 1, 1},
        {1, {1, 2}, 1, 2},
        {2, {3, 4, 5}, 3, std::nullopt},
        {36, {6, 7}, 6, std::nullopt},
        {292, {6, 7}, 7, std::nullopt},
        {291, {6, 7, 2}, 7, 2},
        {35, {6, 7, 2}, 6, 2},
        {547, {6, 7, 2}, 2, 2},
        {5 + 16, {4, 2}, 4, 2},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(forms::ButtonsOf(row.style), row.buttons) << row.style;
        EXPECT_EQ(forms::DefaultAnswer(row.style), row.defaultAnswer) << row.style;
        EXPECT_EQ(forms::EscapeAnswer(row.style), row.escape) << row.style;
    }
}

TEST_F(ServicesTest, ScriptedBoxesAnswerFromTheScriptAndRecordEveryBox) {
    forms::App().SetTitle("report");
    boxes.answers = {forms::mb::No, forms::mb::Cancel, forms::ScriptedMessageBoxes::kEscape};
    EXPECT_EQ(forms::MsgBox("A Data e Hora do computador estão corretos ? ", 292, "Mensagem"), 7);
    EXPECT_EQ(forms::MsgBox("Salvar ?", 291, "Mensagem"), 2);
    EXPECT_EQ(forms::MsgBox("Loja Não Encontrada!", 48, "Mensagem"), 1) << "Esc closes an OK box";
    EXPECT_EQ(forms::MsgBox("Ocorreu um Erro de Sistema !"), 1) << "unscripted: the default button";
    ASSERT_EQ(boxes.shown.size(), 4u);
    EXPECT_EQ(boxes.shown[0].text, "A Data e Hora do computador estão corretos ? ");
    EXPECT_EQ(boxes.shown[0].style, 292);
    EXPECT_EQ(boxes.shown[0].title, "Mensagem");
    EXPECT_EQ(boxes.shown[3].style, 0);
    EXPECT_EQ(boxes.shown[3].title, "report") << "no title: the application's";
}

TEST_F(ServicesTest, AScriptThatPressesAMissingButtonIsAnError) {
    boxes.answers = {forms::mb::Cancel};
    EXPECT_THROW(forms::MsgBox("Sim ou Não ?", 36, "Mensagem"), std::logic_error);
    boxes.answers = {forms::ScriptedMessageBoxes::kEscape};
    EXPECT_THROW(forms::MsgBox("Sim ou Não ?", 292, "Mensagem"), std::logic_error);
}

TEST_F(ServicesTest, InputBoxAnswersTheScriptOrEmptyWhenCancelled) {
    boxes.inputs = {std::string("01"), std::nullopt};
    EXPECT_EQ(forms::InputBox("Loja ?", "Mensagem"), "01");
    EXPECT_EQ(forms::InputBox("Loja ?", "Mensagem", "02"), "");
    EXPECT_EQ(forms::InputBox("Loja ?", "Mensagem", "03"), "03");
}

class ButtonWindow : public forms::Window {
public:
    ButtonWindow() : Window("Consolida") {}
    forms::CommandButton* button = nullptr;

protected:
    void CreateControls() override { button = &Add<forms::CommandButton>("BtnCancelar"); }
};

TEST_F(ServicesTest, AYieldDeliversAQueuedClickAndTheHookCountsYields) {
    ButtonWindow window;
    window.Show();
    int clicks = 0;
    window.button->Click = [&] { ++clicks; };
    forms::ScriptedEventPump pump;
    forms::InstallEventPump(&pump);
    window.button->QueueClick();
    EXPECT_EQ(clicks, 0) << "a queued click waits for the yield";
    EXPECT_EQ(forms::DoEvents(), 1);
    EXPECT_EQ(clicks, 1);
    pump.actions.push_back([&] { window.button->QueueClick(); });   // injected at the next yield
    forms::DoEvents();
    forms::DoEvents();
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(pump.count, 3);
    window.Unload();
}

// The end of a program: a window unloaded just before main returns, its remains not yet
// destroyed (they wait for the event loop, which does not turn again). Exits with 0 when the
// window system destroyed them before it went, 3 when it did not.
[[noreturn]] void EndAProgramRightAfterAnUnload() {
    int argc = 1;
    char name[] = "forms_tests";
    char* argv[] = {name, nullptr};
    bool destroyed = false;
    {
        forms::WindowSystem system(argc, argv);
        ButtonWindow window;
        window.Show();
        QObject::connect(window.Widget(), &QObject::destroyed, [&] { destroyed = true; });
        window.Unload();
    }
    std::exit(destroyed ? 0 : 3);
}

// The same in a host that keeps its own QApplication to the end of the process, as the test
// programs do: the remains are left to the process's end. (A first window destroyed while the
// host runs makes Qt keep per-thread state that a widget destroyed at the end would reach.)
[[noreturn]] void EndAHostRightAfterAnUnload() {
    QtApp();
    for (int round = 0; round < 2; ++round) {
        ButtonWindow window;
        window.Show();
        window.Unload();
        if (round == 0) forms::DoEvents();
    }
    std::exit(0);
}

// The end of a program whose event loop stopped while a window of its own (a static object, as
// the program's windows are) was still loaded: the window system takes the window's widgets with
// it, before the QApplication goes.
[[noreturn]] void EndAProgramWithAWindowStillLoaded() {
    int argc = 1;
    char name[] = "forms_tests";
    char* argv[] = {name, nullptr};
    {
        forms::WindowSystem system(argc, argv);
        static ButtonWindow window;
        window.Show();
    }
    std::exit(0);
}

// Each case runs in a fresh process that ends through std::exit, so that static objects are
// destroyed as at the end of a program (destroying a widget then crashed the process).
TEST(ProcessExitTest, AWindowUnloadedJustBeforeTheEndLeavesNoCrash) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(EndAProgramRightAfterAnUnload(), ::testing::ExitedWithCode(0), "")
        << "the program's window system destroys the unloaded window's widgets before it goes";
    EXPECT_EXIT(EndAHostRightAfterAnUnload(), ::testing::ExitedWithCode(0), "")
        << "a test program's own QApplication";
    EXPECT_EXIT(EndAProgramWithAWindowStillLoaded(), ::testing::ExitedWithCode(0), "")
        << "a window still loaded when the window system goes";
}

// A handler that unloads the last window and then shows another (the log-in hands over to the
// catalogue) keeps the program's loop turning for the new window.
TEST_F(ServicesTest, TheLoopGoesOnWhenAHandlerShowsAWindowAfterUnloadingTheLast) {
    ButtonWindow first;
    ButtonWindow second;
    first.Show();
    bool secondClosedByItsHandler = false;
    QTimer::singleShot(0, [&] {
        first.Dispatch([&] {
            first.Unload();
            second.Show();
        });
        QTimer::singleShot(0, [&] {
            secondClosedByItsHandler = second.IsLoaded();
            second.Unload();
        });
    });
    EXPECT_EQ(forms::App().Run(), 0);
    EXPECT_TRUE(secondClosedByItsHandler) << "the loop turned on while the second window was loaded";
    EXPECT_FALSE(second.IsLoaded());
}

TEST_F(ServicesTest, ShellStartsThroughTheStarterInForce) {
    forms::RecordingProgramStarter starter;
    forms::InstallProgramStarter(&starter);
    EXPECT_GT(forms::Shell("calc.exe", 1), 0);
    ASSERT_EQ(starter.started.size(), 1u);
    EXPECT_EQ(starter.started[0].first, "calc.exe");
    EXPECT_EQ(starter.started[0].second, 1);
}

TEST_F(ServicesTest, MousePointerHourglassAndBack) {
    forms::App().SetMousePointer(11);
    EXPECT_EQ(forms::App().MousePointer(), 11);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    forms::App().SetMousePointer(11);
    forms::App().SetMousePointer(0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "one default undoes every hourglass";
}

TEST_F(ServicesTest, ASecondInstanceSeesTheFirstAndActivatesItsWindow) {
    win::testing::TempMachineRoot root;
    forms::App().SetInstanceKey("report-instance-test");
    ASSERT_FALSE(forms::App().PrevInstance());
    ButtonWindow window;
    window.Show();
    window.SetCaption("Acesso");
    window.Hide();

    forms::Application second;
    second.SetInstanceKey("report-instance-test");
    EXPECT_TRUE(second.PrevInstance());
    EXPECT_TRUE(second.ActivateWindow("Acesso"));
    QElapsedTimer waited;
    waited.start();
    while (!window.Visible() && waited.elapsed() < 3000) forms::DoEvents();
    EXPECT_TRUE(window.Visible()) << "the first instance brought its window forward";

    window.Hide();
    EXPECT_TRUE(second.ActivateWindow(forms::App().Title())) << "the first copy's title names it";
    waited.restart();
    while (!window.Visible() && waited.elapsed() < 3000) forms::DoEvents();
    EXPECT_TRUE(window.Visible());
    window.Unload();
}

}  // namespace
