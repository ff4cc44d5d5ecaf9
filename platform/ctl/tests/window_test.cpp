#include <gtest/gtest.h>

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include "platform/ctl/caret.h"
#include "platform/ctl/control_window.h"
#include "platform/ctl/keys.h"
#include "platform/ctl/tests/support/app.h"
#include "platform/ctl/tests/support/recording_handler.h"

namespace ctl {
namespace {

using Log = std::vector<std::string>;

struct KeyRow {
    int qtKey;
    Qt::KeyboardModifiers mods;
    QString text;
    Log expected;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::App();
        top.resize(200, 100);
        window = std::make_unique<ControlWindow>(&handler, &top);
        window->setObjectName("control");
        window->setGeometry(10, 10, 100, 30);
        other = std::make_unique<QLineEdit>(&top);
        other->setObjectName("other");
        other->setGeometry(10, 50, 100, 30);
        top.show();
        top.activateWindow();
        window->setFocus();
        QApplication::processEvents();
        handler.log.clear();
    }
    void TearDown() override { window->Detach(); }

    void Press(const KeyRow& r) {
        QKeyEvent press(QEvent::KeyPress, r.qtKey, r.mods, r.text);
        QApplication::sendEvent(window.get(), &press);
    }

    QApplication& app = testing::App();
    QWidget top;
    testing::RecordingHandler handler;
    std::unique_ptr<ControlWindow> window;
    std::unique_ptr<QLineEdit> other;
};

TEST_F(WindowTest, KeyPressGivesKeyDownThenItsCharacters) {
    const KeyRow rows[] = {
        {Qt::Key_A, Qt::NoModifier, "a", {"KeyDown 65 0", "Char 97"}},
        {Qt::Key_A, Qt::ShiftModifier, "A", {"KeyDown 65 1", "Char 65"}},
        {Qt::Key_A, Qt::ControlModifier, "\x01", {"KeyDown 65 2", "Char 1"}},
        {Qt::Key_Z, Qt::ControlModifier, "", {"KeyDown 90 2", "Char 26"}},
        {Qt::Key_Backspace, Qt::NoModifier, "\b", {"KeyDown 8 0", "Char 8"}},
        {Qt::Key_Return, Qt::NoModifier, "\r", {"KeyDown 13 0", "Char 13"}},
        {Qt::Key_Escape, Qt::NoModifier, "\x1b", {"KeyDown 27 0", "Char 27"}},
        {Qt::Key_Left, Qt::ShiftModifier, "", {"KeyDown 37 1"}},
        {Qt::Key_Delete, Qt::NoModifier, "\x7f", {"KeyDown 46 0"}},
        {Qt::Key_Insert, Qt::ControlModifier | Qt::ShiftModifier, "", {"KeyDown 45 3"}},
        {Qt::Key_F4, Qt::NoModifier, "", {"KeyDown 115 0"}},
        {Qt::Key_5, Qt::KeypadModifier, "5", {"KeyDown 101 0", "Char 53"}},
        {Qt::Key_Aacute, Qt::NoModifier, QString::fromUtf8("á"), {"KeyDown 0 0", "Char 225"}},
        {Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("€"), {"Char 128"}},
        {Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("ą"), {}},   // no cp1252 byte
        // Alt goes to the system-key path and makes no character.
        {Qt::Key_Backspace, Qt::AltModifier, "", {"SysKeyDown 8 4"}},
        {Qt::Key_F, Qt::AltModifier, "f", {"SysKeyDown 70 4"}},
    };
    for (const KeyRow& r : rows) {
        handler.log.clear();
        Press(r);
        // Key_Aacute has no virtual key of its own: only its character is delivered.
        Log expected = r.expected;
        std::erase(expected, std::string("KeyDown 0 0"));
        EXPECT_EQ(handler.log, expected) << r.qtKey;
    }
}

TEST_F(WindowTest, ReleaseGivesKeyUpButNotForAutoRepeat) {
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_B, Qt::ShiftModifier, "B");
    QApplication::sendEvent(window.get(), &release);
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_B, Qt::NoModifier, "b", true);
    QApplication::sendEvent(window.get(), &repeat);
    QKeyEvent alt(QEvent::KeyRelease, Qt::Key_X, Qt::AltModifier, "x");
    QApplication::sendEvent(window.get(), &alt);
    EXPECT_EQ(handler.log, (Log{"KeyUp 66 1", "SysKeyUp 88 4"}));
}

TEST_F(WindowTest, InputMethodCommitArrivesAsCharacters) {
    // A Brazilian keyboard: the dead acute key, then "a", commits "á"; "~" then "o" commits "õ".
    for (const char* text : {"á", "õ", "ç"}) {
        QInputMethodEvent preedit(QString::fromUtf8("´"), {});
        QApplication::sendEvent(window.get(), &preedit);
        QInputMethodEvent commit;
        commit.setCommitString(QString::fromUtf8(text));
        QApplication::sendEvent(window.get(), &commit);
    }
    EXPECT_EQ(handler.log, (Log{"Char 225", "Char 245", "Char 231"}));
    EXPECT_TRUE(window->testAttribute(Qt::WA_InputMethodEnabled));
}

TEST_F(WindowTest, FocusOutNamesTheWidgetGainingTheFocus) {
    other->setFocus();
    QApplication::processEvents();
    window->setFocus();
    QApplication::processEvents();
    QWidget elsewhere;
    elsewhere.setObjectName("elsewhere");
    QLineEdit field(&elsewhere);
    field.setObjectName("field");
    elsewhere.show();
    elsewhere.activateWindow();
    field.setFocus();
    QApplication::processEvents();
    ASSERT_GE(handler.log.size(), 4u);
    EXPECT_EQ(handler.log[0], "KillFocus other same");
    EXPECT_EQ(handler.log[1], "SetFocus");
    // The deactivated top-level window cancels the mode of its child (a tooltip, a capture)...
    EXPECT_EQ(handler.log[2], "CancelMode");
    // ...which then loses the focus to the other window's field or to nothing (the top-level
    // lost activation first).
    EXPECT_TRUE(handler.log[3] == "KillFocus field other" || handler.log[3] == "KillFocus - other")
        << handler.log[3];
}

TEST_F(WindowTest, MouseMessagesComeInThePlatformsOrder) {
    // What Qt delivers for a shift-click, a double click and a right click with Ctrl.
    struct Ev { QEvent::Type type; Qt::MouseButton button; Qt::MouseButtons held; Qt::KeyboardModifiers mods; QPoint at; };
    const Ev events[] = {
        {QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier, {5, 6}},
        {QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, Qt::ShiftModifier, {7, 6}},
        {QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier, {7, 6}},
        {QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, Qt::NoModifier, {7, 6}},
        {QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier, {7, 6}},
        {QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, Qt::NoModifier, {7, 6}},
        {QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, Qt::ControlModifier, {8, 9}},
        {QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, Qt::ControlModifier, {8, 9}},
    };
    for (const Ev& e : events) {
        QMouseEvent ev(e.type, QPointF(e.at), QPointF(e.at), window->mapToGlobal(QPointF(e.at)),
                       e.button, e.held, e.mods);
        QApplication::sendEvent(window.get(), &ev);
    }
    EXPECT_EQ(handler.log, (Log{
        "Down 1 5 5,6", "Up 1 4 7,6",                 // MK_LBUTTON | MK_SHIFT while down
        "Down 1 1 7,6", "Up 1 0 7,6", "DblClk 1 1 7,6", "Up 1 0 7,6",
        "Down 2 10 8,9", "Up 2 8 8,9", "ContextMenu",
    }));
}

TEST_F(WindowTest, MovesAreTrackedWithoutAButton) {
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 4), QPointF(3, 4), window->mapToGlobal(QPointF(3, 4)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &move);
    EXPECT_EQ(handler.log, (Log{"Move 0 3,4"}));
    EXPECT_TRUE(window->hasMouseTracking());
}

TEST_F(WindowTest, TimersFireOnceByTheirId) {
    window->SetTimer(1, 10);
    window->SetTimer(2, 10);
    EXPECT_TRUE(window->KillTimer(2));
    EXPECT_FALSE(window->KillTimer(2));
    EXPECT_FALSE(window->KillTimer(7));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !handler.log.empty(); }, 5000));
    // A short settle after the first firing, in which a second firing or the killed timer would
    // show.
    QTest::qWait(30);
    EXPECT_EQ(handler.log, (Log{"Timer 1"}));
    EXPECT_FALSE(window->TimerRunning(1));
}

TEST_F(WindowTest, HiddenWindowCancelsModes) {
    window->hide();
    ASSERT_FALSE(handler.log.empty());
    EXPECT_EQ(handler.log[0], "CancelMode");
}

TEST_F(WindowTest, HandlesAreStableAndForgottenWithTheWidget) {
    const std::int32_t h = window->Handle();
    EXPECT_NE(h, 0);
    EXPECT_EQ(window->Handle(), h);
    EXPECT_EQ(WidgetOfHandle(h), window.get());
    EXPECT_NE(HandleOfWidget(other.get()), h);
    const std::int32_t otherHandle = HandleOfWidget(other.get());
    other.reset();
    EXPECT_EQ(WidgetOfHandle(otherHandle), nullptr);
}

TEST_F(WindowTest, CaretKeepsAHideCountAndBelongsToOneWindow) {
    Caret& caret = Caret::Instance();
    ASSERT_TRUE(caret.Create(window.get(), 2, 14));
    EXPECT_EQ(caret.HideCount(), 1);
    EXPECT_FALSE(caret.IsShown());
    EXPECT_TRUE(caret.Show(window.get()));
    EXPECT_TRUE(caret.IsShown());
    EXPECT_TRUE(caret.Hide(window.get()));
    EXPECT_TRUE(caret.Hide(window.get()));
    EXPECT_TRUE(caret.Show(window.get()));
    EXPECT_FALSE(caret.IsShown());   // still hidden once
    EXPECT_TRUE(caret.Show(window.get()));
    EXPECT_TRUE(caret.SetPos(window.get(), 7, 3));
    EXPECT_EQ(caret.Bounds(), QRect(7, 3, 2, 14));
    EXPECT_FALSE(caret.SetPos(other.get(), 1, 1));   // not the owner
    EXPECT_EQ(caret.BlinkInterval(), QApplication::cursorFlashTime() / 2);

    // Painted inverted over the window while drawn.
    const QImage shot = window->grab().toImage();
    EXPECT_NE(shot.pixelColor(8, 10), shot.pixelColor(20, 10));

    ASSERT_TRUE(caret.Create(other.get(), 6, 10));   // takes the caret away
    EXPECT_EQ(caret.Owner(), other.get());
    EXPECT_FALSE(caret.Destroy(window.get()));
    EXPECT_TRUE(caret.Destroy(other.get()));
    EXPECT_EQ(caret.Owner(), nullptr);
}

TEST(Keys, MouseFlagsAndButtons) {
    EXPECT_EQ(MouseFlagsOf(Qt::LeftButton | Qt::MiddleButton, Qt::ControlModifier),
              MK_LBUTTON | MK_MBUTTON | MK_CONTROL);
    EXPECT_EQ(MouseFlagsOf(Qt::RightButton, Qt::ShiftModifier | Qt::AltModifier), MK_RBUTTON | MK_SHIFT);
    EXPECT_EQ(ButtonNumberOf(Qt::LeftButton), 1);
    EXPECT_EQ(ButtonNumberOf(Qt::RightButton), 2);
    EXPECT_EQ(ButtonNumberOf(Qt::MiddleButton), 4);
    EXPECT_EQ(ShiftStateOf(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier), 7);
}

}  // namespace
}  // namespace ctl
