// Focus gain and loss, end-of-field tab, mouse placement and selection, scrolling, the clipboard,
// the edit commands, tooltip timing and the key and character handlers' hooks, on the headless
// field.
#include <gtest/gtest.h>

#include "platform/win/beep.h"
#include "platform/win/clock.h"
#include "zmtext/engine/tests/keystroke_script.h"

namespace zmtext::testing {
namespace {

constexpr const char* kPhone = "(###) %%%-%%%%";

// --- Focus -------------------------------------------------------------------------------------

TEST(EngineFocus, GainBuildsTheEditingStateAndTheCaret) {
    EditTestField f;
    f.SetMask(kPhone);
    f.SetData("12");
    f.Focus();
    EXPECT_EQ(f.GetCurPos(), 1) << "the first data position";
    EXPECT_EQ(f.caretWidth, 2);
    EXPECT_TRUE(f.caretShown);
    EXPECT_EQ(f.caretX, 2 + 8);
    EXPECT_EQ(f.CaretHeightNow(), 14) << "font height plus external leading";
    EXPECT_EQ(f.StartTextY(), 5) << "(24 - 14 - 1) / 2 + 1";
    EXPECT_FALSE(f.IsFieldModified());
    EXPECT_EQ(f.notifications, std::vector<int>{EN_SETFOCUS});
}

TEST(EngineFocus, FocusSelectSelectsTheWholeData) {
    EditTestField f;
    f.SetMask(kPhone);
    f.SetData("1234");
    f.SetFocusSelect(true);
    f.Focus();
    EXPECT_EQ(f.GetHiAnchor(), 0);
    EXPECT_EQ(f.GetHiNew(), 7);
    EXPECT_EQ(f.GetCurPos(), 7) << "the caret at the end of the data";
}

TEST(EngineFocus, OutsideRunModeNothingIsBuilt) {
    EditTestField f;
    f.SetMask(kPhone);
    f.userMode = false;
    f.Focus();
    EXPECT_EQ(f.caretCreates, 0);
    EXPECT_TRUE(f.notifications.empty());
}

TEST(EngineFocus, LossValidatesOnlyTowardASibling) {
    struct Row {
        const char* name;
        const char* data;
        bool inRange;
        std::int32_t gaining;
        bool parent, sameTop;
        const char* events;
    };
    const Row rows[] = {
        {"incomplete to a sibling", "12", true, 77, false, true, "Invalid 77;"},
        {"complete and out of range", "123", false, 78, false, true, "OutOfRange 78;"},
        {"incomplete and out of range: Invalid only", "1", false, 77, false, true, "Invalid 77;"},
        {"valid", "123", true, 77, false, true, ""},
        {"another top-level window", "1", false, 77, false, false, ""},
        {"focus leaves the application", "1", false, 0, false, false, ""},
        {"the control's own parent", "1", false, 77, true, true, ""},
    };
    for (const auto& row : rows) {
        EditTestField f;
        f.SetMask("###");
        f.SetData(row.data);
        f.inRange = row.inRange;
        f.Focus();
        f.events.clear();
        f.Blur(row.gaining, row.parent, row.sameTop);
        EXPECT_EQ(EditEvents(f), row.events) << row.name;
        EXPECT_EQ(f.caretWidth == 0, !row.parent) << row.name << ": the caret goes unless the focus went to the parent";
    }
}

TEST(EngineFocus, TripToTheParentKeepsTheEditingState) {
    EditTestField f;
    f.SetMask(kPhone);
    f.Focus();
    RunScript(f, "123{+Left}");
    const int anchor = f.GetHiAnchor(), caret = f.GetCurPos(), creates = f.caretCreates;
    f.Blur(77, true, true);
    f.Focus();
    EXPECT_EQ(f.GetHiAnchor(), anchor);
    EXPECT_EQ(f.GetCurPos(), caret);
    EXPECT_EQ(f.caretCreates, creates);
    EXPECT_TRUE(f.IsFieldModified()) << "the edit of this visit still counts";
    f.Blur(77, false, true);
    f.Focus();
    EXPECT_EQ(f.caretCreates, creates + 1) << "a real focus gain rebuilds";
}

// --- End-of-field tab --------------------------------------------------------------------------

TEST(EngineTab, MovesToTheNextTabIndexAndWrapsToZero) {
    struct Row {
        std::int32_t own;
        std::vector<std::int32_t> siblings;
        int focused;   // index into siblings, -1 none
    };
    const Row rows[] = {
        {1, {0, 1, 2, 3}, 2},
        {3, {0, 1, 2, 3}, 0},   // the last control wraps to 0
        {0, {2, 0, 1}, 2},
        {5, {1, 2, 3}, -1},      // nothing at own + 1 and no 0
    };
    for (const auto& row : rows) {
        EditTestField f;
        f.SetMask("##");
        f.SetFlags(false, true, true);
        f.extender = FakeExtender::Create(row.own);
        for (auto t : row.siblings) f.siblings.push_back(FakeExtender::Create(t));
        f.Focus();
        RunScript(f, "12");
        for (std::size_t i = 0; i < f.siblings.size(); ++i)
            EXPECT_EQ(f.siblings[i]->focusCalls, static_cast<int>(i) == row.focused ? 1 : 0)
                << "own " << row.own << ", sibling " << i;
    }
}

TEST(EngineTab, NoTabWithoutTheFlagOrOutsideRunModeOrWithoutAnExtender) {
    for (int variant = 0; variant < 3; ++variant) {
        EditTestField f;
        f.SetMask("#");
        f.SetFlags(false, true, variant != 0);
        if (variant != 2) f.extender = FakeExtender::Create(0);
        f.siblings.push_back(FakeExtender::Create(1));
        f.Focus();
        if (variant == 1) f.userMode = false;
        RunScript(f, "1");
        EXPECT_EQ(f.siblings[0]->focusCalls, 0) << variant;
        EXPECT_EQ(EditEvents(f), "EndOfLine;Change;") << variant;
    }
}

// --- Mouse -------------------------------------------------------------------------------------

TEST(EngineMouse, ClickPlacesTheCaretAtTheNearerBoundaryNeverPastTheData) {
    // Characters are 8 pixels wide and the text starts 2 pixels in.
    struct Row {
        const char* mask;
        const char* data;
        int x;
        int caret;
    };
    const Row rows[] = {
        {"", "abcdef", 21, 2},   {"", "abcdef", 23, 3},   {"", "abcdef", 0, 0},
        {"", "abcdef", 150, 6},  {kPhone, "1", 60, 2},     {kPhone, "1", 3, 0},
        {kPhone, "1234", 40, 5}, {kPhone, "", 90, 1},
    };
    for (const auto& row : rows) {
        EditTestField f;
        f.SetMask(row.mask);
        f.SetData(row.data);
        f.Focus();
        f.HandleLButtonDown(ctl::MK_LBUTTON, QPoint(row.x, 5));
        EXPECT_EQ(f.GetCurPos(), row.caret) << row.mask << " " << row.data << " x=" << row.x;
        EXPECT_EQ(f.caretX, 2 + 8 * row.caret);
    }
}

TEST(EngineMouse, ShiftClickDragAndDoubleClickSelect) {
    EditTestField f;
    f.SetData("hello big world");
    f.Focus();
    f.HandleLButtonDown(ctl::MK_LBUTTON, QPoint(2 + 8 * 1, 5));
    f.HandleLButtonDown(ctl::MK_LBUTTON | ctl::MK_SHIFT, QPoint(2 + 8 * 4, 5));
    EXPECT_EQ(f.GetHiAnchor(), 1);
    EXPECT_EQ(f.GetHiNew(), 4) << "shift+click extends from the anchor";

    f.HandleLButtonDown(ctl::MK_LBUTTON, QPoint(2, 5));
    f.capture = true;
    f.HandleMouseMove(ctl::MK_LBUTTON, QPoint(2 + 8 * 3, 5));
    EXPECT_EQ(f.GetHiAnchor(), 0);
    EXPECT_EQ(f.GetHiNew(), 3) << "drag selection";
    f.HandleLButtonUp();
    f.capture = false;

    f.HandleLButtonDblClk(ctl::MK_LBUTTON, QPoint(2 + 8 * 7, 5));
    EXPECT_EQ(f.GetHiAnchor(), 6);
    EXPECT_EQ(f.GetHiNew(), 10) << "the word and the blank after it";
}

TEST(EngineMouse, ButtonUpOnPositionZeroOfAMaskGoesToTheFirstDataPosition) {
    EditTestField f;
    f.SetMask(kPhone);
    f.Focus();
    f.HandleLButtonDown(ctl::MK_LBUTTON, QPoint(0, 5));
    ASSERT_EQ(f.GetCurPos(), 0);
    f.capture = true;
    f.HandleLButtonUp();
    EXPECT_EQ(f.GetCurPos(), 1);
}

// --- Scrolling ---------------------------------------------------------------------------------

TEST(EngineScroll, CaretLeavingTheVisiblePartScrollsByHalfTheWidth) {
    EditTestField f;
    f.size = QSize(60, 24);   // 56 usable pixels, 7 characters
    f.Focus();
    RunScript(f, std::string(20, 'x'));
    EXPECT_EQ(f.GetFirstVisPos(), 15);
    EXPECT_EQ(f.caretX, 2 + 8 * 5);
    RunScript(f, "{Home}");
    EXPECT_EQ(f.GetFirstVisPos(), 0);
    EXPECT_EQ(f.caretX, 2);
    RunScript(f, "{End}");
    EXPECT_EQ(f.GetFirstVisPos(), 16);
    EXPECT_EQ(f.caretX, 2 + 8 * 4);
    RunScript(f, "{^Left}{Left}");
    EXPECT_EQ(f.GetCurPos(), 0);
}

TEST(EngineScroll, WithoutAutoScrollTypingStopsAtTheVisibleWidth) {
    win::CountingBeepSink beeps;
    win::InstallBeepSink(&beeps);
    EditTestField f;
    f.size = QSize(60, 24);
    f.SetFlags(false, false, false);
    f.SetErrorBeep(true);
    f.Focus();
    RunScript(f, std::string(9, 'y'));
    win::InstallBeepSink(nullptr);
    EXPECT_EQ(f.GetRawData(), std::string(6, 'y')) << "the 7th character would reach the inner width - 4";
    EXPECT_EQ(EditEvents(f), Repeat("Change;", 6) + Repeat("EndOfLine;", 3));
    EXPECT_EQ(beeps.count, 3);
}

// --- Clipboard and commands --------------------------------------------------------------------

class EngineClipboard : public ::testing::Test {
protected:
    ctl::ScriptedClipboard clipboard_;
    ctl::ScopedClipboard use_{&clipboard_};
};

TEST_F(EngineClipboard, CopyWithAndWithoutPlaceholdersOnly) {
    struct Row {
        int anchor, caret;
        std::int16_t dataProperty;
        const char* copied;
    };
    const Row rows[] = {
        {0, 14, 0, "(123) 456-7890"}, {0, 14, 1, "1234567890"}, {0, 14, 2, "(123) 456-7890"},
        {5, 10, 0, " 456-"},          {5, 10, 1, "456"},        {10, 5, 1, "456"},
        {3, 3, 0, "unchanged"},
    };
    for (const auto& row : rows) {
        clipboard_.content = QString("unchanged");
        EditTestField f;
        f.SetMask(kPhone);
        f.SetData("1234567890");
        f.SetDataProperty(row.dataProperty);
        f.Focus();
        f.PutSelection(row.anchor, row.caret);
        RunScript(f, "{^C}");
        EXPECT_EQ(clipboard_.content.value_or(""), QString(row.copied)) << row.anchor << "-" << row.caret;
    }
}

TEST_F(EngineClipboard, NoCopyWithoutTheFocusAndAFailedWriteChangesNothing) {
    EditTestField f;
    f.SetData("abc");
    f.Focus();
    f.PutSelection(0, 3);
    f.hasFocus = false;
    clipboard_.content = QString("before");
    f.CopyToClipboard();
    EXPECT_EQ(clipboard_.content, QString("before"));
    f.hasFocus = true;
    clipboard_.failWrites = true;
    f.CopyToClipboard();
    EXPECT_EQ(clipboard_.content, QString("before"));
}

TEST_F(EngineClipboard, PasteInsertsTheValidCharactersWithoutKeyEvents) {
    clipboard_.content = QString("1a2b3");
    EditTestField f;
    f.SetMask("###-#");
    f.Focus();
    f.events.clear();
    RunScript(f, "{^V}");
    EXPECT_EQ(f.GetRawData(), "123");
    std::string all;
    for (const auto& e : f.events) all += e + ";";
    EXPECT_EQ(all, "KeyDown 86/2;Bound;Change;KeyPress 22;") << "one Change; no KeyPress or InvalidKey from pasting";
    RunScript(f, "{Home}{+End}{+Ins}");
    EXPECT_EQ(f.GetRawData(), "123") << "shift+insert pastes over the selection";
}

// Cut copies and removes; on a read-only field it only copies, and neither Cut nor the Delete
// command marks the field modified or fires Change there.
TEST_F(EngineClipboard, CutAndDeleteOnAReadOnlyFieldChangeNothing) {
    struct Row {
        int command;
        bool readOnly;
        const char* raw;
        const char* clipboard;
        const char* events;
    };
    const Row rows[] = {{ID_EDIT_CUT, false, "adef", "bc", "Change;"}, {ID_EDIT_CUT, true, "abcdef", "bc", ""},
                        {ID_EDIT_CLEAR, false, "adef", "", "Change;"}, {ID_EDIT_CLEAR, true, "abcdef", "", ""}};
    for (const auto& row : rows) {
        clipboard_.content.reset();
        EditTestField f;
        f.SetData("abcdef");
        f.SetFlags(row.readOnly);
        f.Focus();
        f.PutSelection(1, 3);
        f.events.clear();
        f.RunEditCommand(row.command);
        EXPECT_EQ(clipboard_.content.value_or(""), QString(row.clipboard)) << row.command << row.readOnly;
        EXPECT_EQ(f.GetRawData(), row.raw) << row.command << row.readOnly;
        EXPECT_EQ(EditEvents(f), row.events) << row.command << row.readOnly;
        EXPECT_EQ(f.IsFieldModified(), !row.readOnly) << row.command << row.readOnly;
    }
}

TEST_F(EngineClipboard, EditCommandsAndTheirEnableState) {
    EditTestField f;
    f.SetData("abcdef");
    f.Focus();
    clipboard_.content.reset();
    struct Enabled {
        int command;
        bool noSelection, withSelection;
    };
    const Enabled rows[] = {{ID_EDIT_CLEAR, false, true},  {ID_EDIT_COPY, false, true},
                            {ID_EDIT_CUT, false, true},    {ID_EDIT_PASTE, false, false},
                            {ID_EDIT_SELECT_ALL, true, true}, {ID_EDIT_UNDO, false, false}};
    for (const auto& row : rows) {
        f.PutSelection(2, 2);
        EXPECT_EQ(f.EditCommandEnabled(row.command), row.noSelection) << row.command;
        f.PutSelection(2, 4);
        EXPECT_EQ(f.EditCommandEnabled(row.command), row.withSelection) << row.command;
    }
    clipboard_.content = QString("x");
    EXPECT_TRUE(f.EditCommandEnabled(ID_EDIT_PASTE));

    f.menuPick = ID_EDIT_SELECT_ALL;
    f.ShowContextMenu(QPoint(3, 3));
    EXPECT_EQ(f.GetHiAnchor(), 0);
    EXPECT_EQ(f.GetHiNew(), 6);
    ASSERT_EQ(f.menuShown.size(), 8u);
    EXPECT_EQ(f.menuShown[0].text, "&Undo");
    EXPECT_EQ(f.menuShown[7].text, "Select &All");

    f.menuPick = ID_EDIT_CLEAR;
    f.ShowContextMenu(QPoint(3, 3));
    EXPECT_EQ(f.GetRawData(), "");
    EXPECT_TRUE(f.EditCommandEnabled(ID_EDIT_UNDO));
    f.menuPick = ID_EDIT_UNDO;
    f.ShowContextMenu(QPoint(3, 3));
    EXPECT_EQ(f.GetRawData(), "abcdef");
}

// --- Tooltip timing ----------------------------------------------------------------------------

TEST(EngineToolTip, WaitShowAndCancel) {
    win::OffsetClock clock;
    win::InstallClock(&clock);
    clock.Freeze({2024, 6, 11, 10, 0, 0});
    EditTestField f;
    f.SetToolTip("Tip");
    CZMEditEngine::RestartRestClock();
    f.HandleMouseMove(0, QPoint(5, 5));
    EXPECT_EQ(f.GetToolTipState(), 1);
    EXPECT_EQ(f.timerMs, 250) << "less than a second since the last rest";
    EXPECT_TRUE(f.capture);

    f.cursorPos = QPoint(500, 5);
    f.ZMToolTipTimerCheck();
    EXPECT_EQ(f.GetToolTipState(), 1) << "the mouse left before the timer";
    f.cursorPos = QPoint(5, 5);
    f.ZMToolTipTimerCheck();
    EXPECT_EQ(f.GetToolTipState(), 2);
    EXPECT_EQ(f.tipsShown, 1);

    f.HandleMouseMove(0, QPoint(300, 5));
    EXPECT_EQ(f.GetToolTipState(), 0) << "leaving the control";
    EXPECT_EQ(f.tipsShown, 0);
    EXPECT_FALSE(f.capture);

    clock.Freeze({2024, 6, 11, 10, 0, 5});
    f.HandleMouseMove(0, QPoint(5, 5));
    EXPECT_EQ(f.timerMs, 1000) << "after a rest of a second or more";
    f.HandleKeyDown(ctl::VK_HOME, 0);
    EXPECT_EQ(f.GetToolTipState(), 0) << "a key cancels";
    EXPECT_EQ(f.timerMs, 0);

    f.tipFails = true;
    f.HandleMouseMove(0, QPoint(5, 5));
    f.ZMToolTipTimerCheck();
    EXPECT_EQ(f.GetToolTipState(), 1) << "a tip that cannot be made leaves the wait";
    win::InstallClock(nullptr);
}

TEST(EngineToolTip, NoWaitWithoutAText) {
    EditTestField f;
    f.HandleMouseMove(0, QPoint(5, 5));
    EXPECT_EQ(f.GetToolTipState(), 0);
    EXPECT_FALSE(f.capture);
}

// --- Hooks of the key and character handlers --------------------------------------------------

TEST(EngineHooks, KeyDownAndKeyPressHandlersCanChangeOrCancel) {
    EditTestField f;
    f.SetData("abc");
    f.Focus();
    f.keyDownReplacement = 0;
    RunScript(f, "{Del}");
    EXPECT_EQ(f.GetRawData(), "abc") << "KeyDown set to 0 cancels";
    f.keyDownReplacement = ctl::VK_END;
    RunScript(f, "{Del}");
    EXPECT_EQ(f.GetCurPos(), 3) << "KeyDown changed Delete into End";
    f.keyDownReplacement = -1;
    f.keyPressReplacement = 0;
    f.events.clear();
    RunScript(f, "x");
    EXPECT_EQ(f.GetRawData(), "abc");
    EXPECT_EQ(EditEvents(f), "") << "no Change when KeyPress clears the character";
    f.keyPressReplacement = 'Z';
    RunScript(f, "x");
    EXPECT_EQ(f.GetRawData(), "abcZ");
}

TEST(EngineHooks, RefusedKeysBeepOnlyWithErrorBeep) {
    win::CountingBeepSink beeps;
    win::InstallBeepSink(&beeps);
    for (bool errorBeep : {false, true}) {
        EditTestField f;
        f.SetMask("##");
        f.SetErrorBeep(errorBeep);
        f.Focus();
        RunScript(f, "a");
    }
    win::InstallBeepSink(nullptr);
    EXPECT_EQ(beeps.count, 1);
}

TEST(EngineHooks, TypingASeparatorInADateIsNoInvalidKey) {
    for (ZMControlKind kind : {ZMControlKind::Text, ZMControlKind::Date}) {
        EditTestField f;
        f.SetKind(kind);
        f.SetMask("%%/%%/%%%%");
        f.Focus();
        RunScript(f, "12/");
        EXPECT_EQ(EditEvents(f), kind == ZMControlKind::Date ? "Change;Change;" : "Change;Change;InvalidKey 47;") << ZMKindIndex(kind);
    }
}

TEST(EngineHooks, NumericKindsRefuseADeletionThatBreaksTheValue) {
    win::CountingBeepSink beeps;
    win::InstallBeepSink(&beeps);
    for (ZMControlKind kind : {ZMControlKind::Text, ZMControlKind::Long, ZMControlKind::Double, ZMControlKind::Currency}) {
        EditTestField f;
        f.SetKind(kind);
        f.SetMask("###");   // the field's value is valid only when complete
        f.SetData("123");
        f.SetErrorBeep(true);
        f.Focus();
        f.events.clear();
        RunScript(f, "{Home}{Del}");
        const bool refused = kind == ZMControlKind::Double || kind == ZMControlKind::Currency;
        EXPECT_EQ(f.GetRawData(), refused ? "123" : "23") << ZMKindIndex(kind);
        EXPECT_EQ(EditEvents(f), refused ? "" : "Change;") << ZMKindIndex(kind);
    }
    win::InstallBeepSink(nullptr);
    EXPECT_EQ(beeps.count, 2);
}

TEST(EngineHooks, NoEditingWhileReadOnlyFromTheBindingOrDuringCapture) {
    EditTestField f;
    f.SetData("ab");
    f.Focus();
    f.SetDataReadOnly(true);
    RunScript(f, "x{Del}");
    EXPECT_EQ(f.GetRawData(), "ab");
    f.SetDataReadOnly(false);
    f.capture = true;
    RunScript(f, "x");
    EXPECT_EQ(f.GetRawData(), "ab");
}

TEST(EngineHooks, NotificationsToTheParentOnlyInRunMode) {
    EditTestField f;
    f.SetMask("###");
    f.Focus();
    f.notifications.clear();
    RunScript(f, "1");
    EXPECT_EQ(f.notifications, (std::vector<int>{EN_UPDATE, EN_CHANGE}));
    f.userMode = false;
    f.notifications.clear();
    RunScript(f, "2");
    EXPECT_TRUE(f.notifications.empty());
}

}  // namespace
}  // namespace zmtext::testing
