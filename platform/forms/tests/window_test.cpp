#include "platform/forms/window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <optional>
#include <stdexcept>

#include "platform/forms/app.h"
#include "platform/forms/keys.h"
#include "platform/forms/services.h"
#include "platform/forms/tests/support/qt_app.h"
#include "platform/win/error.h"

namespace {

using forms::testing::QtApp;

// A window whose handlers write to a shared log and run hooks set by each test.
class ProbeWindow : public forms::Window {
public:
    ProbeWindow(std::string name, std::string& log) : Window(name), log_(log) {}

    std::function<void()> onLoad;
    std::function<void(int&)> onQueryUnload;
    std::function<void(int&, int)> onKeyDown;
    forms::CommandButton* button = nullptr;
    forms::TextBox* text = nullptr;
    int lastUnloadMode = -1;

protected:
    void CreateControls() override {
        button = &Add<forms::CommandButton>("BtnOk");
        button->SetCaption("&OK");
        text = &Add<forms::TextBox>("TxtNome");
    }
    void Form_Load() override {
        log_ += Name() + ".Load ";
        if (onLoad) onLoad();
    }
    void Form_KeyDown(int& keyCode, int) override {
        log_ += Name() + ".KeyDown" + std::to_string(keyCode) + " ";
        if (onKeyDown) onKeyDown(keyCode, 0);
    }
    void Form_KeyUp(int& keyCode, int) override { log_ += Name() + ".KeyUp" + std::to_string(keyCode) + " "; }
    void Form_QueryUnload(int& cancel, int mode) override {
        lastUnloadMode = mode;
        log_ += Name() + ".QueryUnload ";
        if (onQueryUnload) onQueryUnload(cancel);
    }
    void Form_Unload(int&) override { log_ += Name() + ".Unload "; }

private:
    std::string& log_;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        QtApp();
        forms::InstallMessageBoxes(&boxes);
        forms::App().ResetForTests();
    }
    void TearDown() override {
        forms::DoEvents();
        forms::InstallMessageBoxes(nullptr);
        forms::App().ResetForTests();
    }
    forms::ScriptedMessageBoxes boxes;
    std::string log;
};

TEST_F(WindowTest, AWindowShowsAnotherAndUnloadsItselfFromAClickHandler) {
    ProbeWindow first("Acesso", log), second("Inicio", log);
    first.Show();
    std::string captionAfterUnload;
    first.button->Click = [&] {
        second.Show();
        first.Unload();
        // The handler still runs on the unloaded window's button: it must still be there.
        captionAfterUnload = first.button->Caption();
    };
    first.button->QueueClick();
    forms::DoEvents();
    EXPECT_EQ(log, "Acesso.Load Inicio.Load Acesso.QueryUnload Acesso.Unload ");
    EXPECT_EQ(captionAfterUnload, "&OK");
    EXPECT_FALSE(first.IsLoaded());
    EXPECT_TRUE(second.IsLoaded());
    EXPECT_TRUE(second.Visible());
    EXPECT_EQ(first.lastUnloadMode, forms::unload::Code);
    ASSERT_EQ(forms::App().LoadedWindows().size(), 1u);
    EXPECT_EQ(forms::App().LoadedWindows()[0], &second);
    second.Unload();
}

class ActivationWindow : public forms::Window {
public:
    explicit ActivationWindow(std::string name) : Window(std::move(name)) {}
    int activations = 0;

protected:
    void Form_Activate() override { ++activations; }
};

TEST_F(WindowTest, TheWindowBelowIsActivatedWhenTheActiveOneUnloads) {
    ActivationWindow catalogue("Inicio"), builder("Criterio");
    catalogue.Show();
    forms::DoEvents();
    builder.Show();
    forms::DoEvents();
    const int before = catalogue.activations;
    EXPECT_GE(builder.activations, 1);
    builder.Unload();
    forms::DoEvents();
    EXPECT_EQ(catalogue.activations, before + 1) << "the catalogue hears it is active again";
    catalogue.Unload();
}

TEST_F(WindowTest, AWindowThatUnloadsItselfInItsLoadIsNotShown) {
    ProbeWindow window("Acesso", log);
    window.onLoad = [&] { window.Unload(); };
    window.Show();
    EXPECT_FALSE(window.IsLoaded());
    EXPECT_FALSE(window.Visible());
    EXPECT_EQ(log, "Acesso.Load Acesso.QueryUnload Acesso.Unload ");
    EXPECT_TRUE(boxes.shown.empty()) << "nothing raised at the caller of Show";
}

TEST_F(WindowTest, QueryUnloadCancelsAndTheCloseKeysCloseFromTheEventLoop) {
    ProbeWindow window("Inicio", log);
    window.Show();
    bool refuse = true;
    window.onQueryUnload = [&](int& cancel) { cancel = refuse ? 1 : 0; };
    EXPECT_FALSE(window.Unload());
    EXPECT_TRUE(window.IsLoaded());
    refuse = false;
    window.PostClose();
    EXPECT_TRUE(window.IsLoaded()) << "Alt+F4 is processed when the events run";
    forms::DoEvents();
    EXPECT_FALSE(window.IsLoaded());
    EXPECT_EQ(window.lastUnloadMode, forms::unload::ControlMenu);
}

void SendKey(QWidget* target, QEvent::Type type, int qtKey) {
    QKeyEvent event(type, qtKey, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

TEST_F(WindowTest, KeyPreviewGivesTheWindowTheKeyBeforeTheFocusedControl) {
    const struct {
        bool preview;
        bool windowKeepsEsc;
        int qtKey;
        const char* expected;
    } rows[] = {
        {true, false, Qt::Key_Escape, "W.KeyDown27 C.KeyDown27 W.KeyUp27 C.KeyUp27 "},
        {false, false, Qt::Key_Escape, "C.KeyDown27 C.KeyUp27 "},
        {true, true, Qt::Key_Escape, "W.KeyDown27 W.KeyUp27 C.KeyUp27 "},
        {true, false, Qt::Key_F12, "W.KeyDown123 C.KeyDown123 W.KeyUp123 C.KeyUp123 "},
    };
    for (const auto& row : rows) {
        log.clear();
        ProbeWindow window("W", log);
        window.Show();
        window.SetKeyPreview(row.preview);
        window.onKeyDown = [&](int& code, int) {
            if (row.windowKeepsEsc && code == forms::key::Escape) code = 0;
        };
        window.text->KeyDown = [&](int& code, int) { log += "C.KeyDown" + std::to_string(code) + " "; };
        window.text->KeyUp = [&](int& code, int) { log += "C.KeyUp" + std::to_string(code) + " "; };
        log.clear();
        SendKey(window.text->Widget(), QEvent::KeyPress, row.qtKey);
        SendKey(window.text->Widget(), QEvent::KeyRelease, row.qtKey);
        EXPECT_EQ(log, row.expected) << "preview " << row.preview << " keeps " << row.windowKeepsEsc;
        window.Unload();
    }
}

TEST_F(WindowTest, AnUntrappedErrorInAHandlerIsReportedAndEndsTheProgram) {
    ProbeWindow window("Inicio", log);
    window.Show();
    window.button->Click = [] { win::Raise(53, "Dir"); };
    window.button->Press();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Run-time error '53':\n\nFile not found");
    EXPECT_EQ(boxes.shown[0].style, forms::mb::Critical);
    EXPECT_EQ(boxes.shown[0].title, forms::App().Title());
    EXPECT_TRUE(forms::App().EndRequested());
    EXPECT_TRUE(forms::App().LoadedWindows().empty());
    EXPECT_EQ(log, "Inicio.Load ") << "End runs no unload handler";
}

TEST_F(WindowTest, TheProgramRunsUntilTheLastWindowUnloads) {
    ProbeWindow first("Acesso", log), second("Inicio", log);
    first.Show();
    second.Show();
    QTimer::singleShot(0, [&] { first.Unload(); });
    QTimer::singleShot(5, [&] { second.Close(); });
    EXPECT_EQ(forms::App().Run(), 0);
    EXPECT_TRUE(forms::App().LoadedWindows().empty());
    EXPECT_FALSE(forms::App().EndRequested());
    EXPECT_EQ(forms::App().Run(), 0) << "nothing loaded: Run returns at once";
}

TEST_F(WindowTest, TabIndexOrdersTheFocusChain) {
    ProbeWindow window("W", log);
    window.Show();
    EXPECT_EQ(window.button->TabIndex(), 0);
    EXPECT_EQ(window.text->TabIndex(), 1);
    window.text->SetTabIndex(0);
    EXPECT_EQ(window.text->TabIndex(), 0);
    EXPECT_EQ(window.button->TabIndex(), 1);
    QWidget* next = window.text->Widget()->nextInFocusChain();
    while (next != window.button->Widget() && next != window.text->Widget()) next = next->nextInFocusChain();
    EXPECT_EQ(next, window.button->Widget());
    window.Unload();
}

}  // namespace

namespace {

TEST_F(WindowTest, CloseKeysGoToTheActiveWindowAndWaitForIt) {
    ProbeWindow window("Inicio", log);
    window.Show();
    forms::DoEvents();
    ASSERT_EQ(forms::App().ActiveWindow(), &window);
    forms::SendCloseKeys(true);
    EXPECT_FALSE(window.IsLoaded()) << "processed before SendCloseKeys returned";
    EXPECT_EQ(window.lastUnloadMode, forms::unload::ControlMenu);
}

TEST_F(WindowTest, NothingLoadsOrRunsAfterTheEndRequest) {
    ProbeWindow window("Acesso", log), other("Inicio", log);
    window.Show();
    int clicks = 0;
    window.button->Click = [&] { ++clicks; };
    window.button->QueueClick();
    forms::App().End();
    forms::DoEvents();
    other.Show();
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(other.IsLoaded());
    EXPECT_EQ(log, "Acesso.Load ");
}

// A handler that leaves by any exception must still be counted out: a depth left at one keeps
// every unloaded window alive, and an exception must never reach the event loop.
TEST_F(WindowTest, AHandlerLeavingByAnyExceptionIsCountedOutAndReported) {
    const struct {
        const char* name;
        std::function<void()> fault;
        const char* box;
    } rows[] = {
        {"runtime error", [] { win::Raise(53, "Dir"); }, "Run-time error '53':\n\nFile not found"},
        {"standard exception", [] { throw std::runtime_error("boom"); }, "Run-time error '51':\n\nInternal error (boom)"},
        {"anything else", [] { throw 7; }, "Run-time error '51':\n\nInternal error"},
    };
    for (const auto& row : rows) {
        forms::App().ResetForTests();
        boxes.shown.clear();
        ProbeWindow window("Inicio", log);
        window.Show();
        window.button->Click = [&] { window.Dispatch(row.fault); };   // nested: two levels to leave
        EXPECT_NO_THROW(window.button->Press()) << row.name;
        EXPECT_EQ(forms::App().HandlerDepth(), 0) << row.name;
        ASSERT_EQ(boxes.shown.size(), 1u) << row.name;
        EXPECT_EQ(boxes.shown[0].text, row.box) << row.name;
        EXPECT_TRUE(forms::App().EndRequested()) << row.name;
    }
}

// The window skips a key a control already routed when it bubbles up. That record must not
// match a later key that happens to be built at the same address.
TEST_F(WindowTest, AKeyRoutedByAControlNeverHidesALaterKeyAtTheSameAddress) {
    ProbeWindow window("W", log);
    window.Show();
    window.text->KeyDown = [&](int& code, int) { log += "C.KeyDown" + std::to_string(code) + " "; };
    if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();
    std::optional<QKeyEvent> key;
    key.emplace(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    const QEvent* first = &*key;
    log.clear();
    QApplication::sendEvent(window.text->Widget(), &*key);   // routed by the text box, which keeps it
    key.emplace(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier);
    ASSERT_EQ(static_cast<const QEvent*>(&*key), first);
    QApplication::sendEvent(window.Widget(), &*key);         // aimed at the window itself
    EXPECT_EQ(log, "C.KeyDown65 W.KeyDown116 ");

    // Asked about directly: a key the control routed is recognised once, then never again.
    int code = forms::key::Escape;
    window.RouteKey(true, code, 0, window.text, &*key);
    EXPECT_TRUE(window.TakeControlKey(&*key));
    EXPECT_FALSE(window.TakeControlKey(&*key));
    window.Unload();
}

}  // namespace
