// CZMEditEngine: the editing core shared by the library's edit controls (text, date, time, long,
// double, currency). It holds two seams, both set by the control once, when it is made: its
// control side (control_side.h: window, font, colours, events, binding), through which alone it
// reaches its control, so its rules run and are tested without any window; and its value rules
// with its kind traits (kind_traits.h: pattern, keys, parse, format, valid, in range, undo), which
// it asks what the field's kind decides, never the kind itself.
//
// State. `PatternBuffer` holds the field's pattern, one byte per display position: a position
// that takes a data character holds the `FillChar` marker (a placeholder), every other position
// its literal. `DisplayBuffer` is the text shown while the field has the focus. `RawData` holds
// the data characters alone. All text is cp1252 bytes.
//
// Invariants:
//   1. PatternBuffer and DisplayBuffer hold at most kZMMaxPositions characters; every routine
//      that writes them stops there (a longer mask is cut, a full text takes no insertion).
//   2. CurPos, HiAnchor and HiNew are display indexes in 0..kZMMaxPositions; wherever the
//      engine indexes a buffer with them it clips them to the buffer's length first.
//   3. The data has no gaps: a placeholder takes the k-th data character only when the k-1
//      before it are there.
//   4. Every edit runs BeginEdit (which arms the undo copy once per focus) and ends in
//      CommitEdit, the one place that validates the result where the kind asks for it, takes
//      the changed data into the control (binding flag, the value rules' ParseText and
//      FormatText, EN_UPDATE, repaint) and then marks the field modified, announces the bound property and fires
//      Change. An edit that changed nothing notifies nobody.
// Each is asserted (debug and sanitizer builds) where the engine relies on it.
//
// Focus cycle: HandleSetFocus rebuilds the editing state from RawData and takes the undo copy;
// keys, mouse and clipboard edit it; HandleKillFocus parses it back and validates (Invalid, else
// OutOfRange) when the focus goes to a sibling under the same top-level window. A trip of the
// focus to the control's own parent window and back keeps the state untouched.
#pragma once

#include <QFont>
#include <QPoint>
#include <array>
#include <cassert>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/com/propexchange.h"
#include "platform/ctl/colors.h"
#include "platform/ctl/geometry.h"
#include "platform/ctl/services.h"
#include "platform/ctl/text_metrics.h"
#include "zmtext/engine/control_side.h"
#include "zmtext/engine/kind_traits.h"
#include "zmtext/values/zm_strings.h"

class QPainter;
class QCursor;

namespace zmtext {

// A fixed 257-byte buffer of at most kZMMaxPositions characters.
class ZMFieldBuffer {
public:
    std::string_view View() const { return {bytes_.data(), static_cast<std::size_t>(length_)}; }
    int Length() const { return length_; }
    // The character at `i`, 0 outside the text.
    char At(int i) const { return i >= 0 && i < length_ ? bytes_[static_cast<std::size_t>(i)] : '\0'; }
    void Clear() { Truncate(0); }
    // Takes at most kZMMaxPositions characters of `text`.
    void Assign(std::string_view text);
    // False (nothing done) when the buffer is full.
    bool Append(char c);
    void Truncate(int n);

private:
    std::array<char, kZMMaxPositions + 1> bytes_{};
    int length_ = 0;
};

// Notification codes the field sends its parent window.
enum ZMEditNotify : int { EN_SETFOCUS = 0x100, EN_KILLFOCUS = 0x200, EN_CHANGE = 0x300,
                          EN_UPDATE = 0x400, EN_MAXTEXT = 0x501 };

// The edit commands of the context menu.
enum ZMEditCommand : int { ID_EDIT_CLEAR = 57632, ID_EDIT_COPY = 57634, ID_EDIT_CUT = 57635,
                           ID_EDIT_PASTE = 57637, ID_EDIT_SELECT_ALL = 57642, ID_EDIT_UNDO = 57643 };

// The context menu's items in order ("&Undo", a separator, "Cu&t", ...), from the library's
// menu resource.
const std::vector<ctl::MenuItem>& ZMEditMenuItems();

// The style-flag word of the old property format and of the defaults file's "Style Flags" key:
// bits 0-1 Justification, 3 EOLTab, 4-5 BorderEffect (3 reads as 1, pop), 8 AutoScroll,
// 9 Insert, 10 Modified, 12 FocusSelect, 13 ReadOnly, 14 ErrorBeep, 15 BorderStyle.
struct ZMStyleFlags {
    std::int16_t justification = 0;
    std::int16_t borderEffect = 0;
    std::int16_t borderStyle = 0;
    bool eolTab = false, autoScroll = false, insert = false, modified = false;
    bool focusSelect = false, readOnly = false, errorBeep = false;
};
ZMStyleFlags ZMDecodeStyleFlags(unsigned word);

class CZMEditEngine {
public:
    CZMEditEngine();
    virtual ~CZMEditEngine();
    CZMEditEngine(const CZMEditEngine&) = delete;
    CZMEditEngine& operator=(const CZMEditEngine&) = delete;

    // The kind-traits member (kind_traits.h): the field's kind and the rules the engine takes
    // from it; the value rules the field supplies are `Rules`.
    ZMControlKind GetFieldKind() const { return Kind->kind; }
    const ZMKindTraits& KindTraits() const { return *Kind; }

    // ===== Engine operations ==================================================================
    // Formats Text and copies the text shown without the focus (the value rules' ShownText)
    // into DisplayBuffer.
    void CopyText();
    // Keyboard and editing.
    void HandleChar(unsigned char ch);
    void HandleKeyDown(int key, int shift);
    void HandleSysKeyDown(int key, int shift);
    bool InsertChar();
    void DeleteAtCaret();
    void Backspace();
    // Removes the selected data; false when read-only or nothing was removed.
    bool Clear();
    void CopyToClipboard();
    void Cut();
    void PasteFromClipboard();
    std::string GetSelText();
    void SetSelText(std::string_view text);
    void SelectAll();
    void UndoEdit();
    void RunEditCommand(int command);
    bool EditCommandEnabled(int command);

    // Focus, mouse, caret.
    void HandleSetFocus();
    // `gaining`: handle of the window getting the focus (0 none); whether it is the control's
    // own parent; whether it lies under the same top-level window as the control.
    void HandleKillFocus(std::int32_t gaining, bool gainingIsParent, bool sameTopLevel);
    void HandleLButtonDown(int flags, QPoint point);
    void HandleMouseMove(int flags, QPoint point);
    void HandleLButtonUp();
    void HandleLButtonDblClk(int flags, QPoint point);
    void HandleOtherButtonDown();
    void ShowContextMenu(QPoint point);
    void MoveCaret(int key, int pos);
    int PositionFromPoint(int& x);
    void TabToNextControl();

    // Drawing, cursor, tooltip.
    void ZMPaintField(QPainter& p, const ctl::Rect& bounds, const ctl::Rect& invalid);
    void DrawSelectionRange(QPainter& p, bool highlight, int dx, int dy);
    void DrawSelection();
    void ZMPaintBorder(QPainter& p, const ctl::Rect& bounds, const ctl::Rect& invalid);
    void ZMFillBackground(QPainter& p, const ctl::Rect& r);
    bool OnSetCursor(bool inClientArea);
    // Navigation keys the field keeps from its container.
    static bool PreTranslateKey(int key);
    void ZMToolTipTimerCheck();
    void ZMCancelToolTip();
    static void RestartRestClock();

    // Property helpers and persistence.
    bool SetInsertMode(int mode);
    void ExchangeCommonProps(com::PropExchange& px);
    void ResetCommonDefaults();
    void ComputeTextMetrics() { ComputeTextMetricsFor(Side->GetControlSize()); }
    // Caret height and the text's top from the font, for a control of `size`.
    void ComputeTextMetricsFor(QSize size);
    int SetTextFromValue(std::string_view raw);
    bool SetValueChecked(std::string_view text);
    void SetModifiedAndNotify();
    // After a value set from outside: EN_UPDATE, the caret to the field's start (or no
    // selection without the focus), a redraw, then the change notifications.
    void AnnounceValueSet();
    void NotifyParent(int code);
    // Selection as the SelStart/SelLength properties see it, bounded to the text.
    int GetSelStart() const;
    int GetSelLength() const;
    void SetSelStart(int n);
    void SetSelLength(int n);
    // StartText.x from the border: 3 with an effect, else 2 with a single border, else 1.
    void ApplyBorderLayout();
    ctl::Rect InnerRect(const ctl::Rect& bounds) const;

    // Read access for the controls' getters and for tests.
    const std::string& GetRawData() const { return RawData; }
    std::string_view GetDisplay() const { return DisplayBuffer.View(); }
    std::string_view GetPatternView() const { return PatternBuffer.View(); }
    int GetCurPos() const { return CurPos; }
    int GetHiAnchor() const { return HiAnchor; }
    int GetHiNew() const { return HiNew; }
    int GetFirstVisPos() const { return FirstVisPos; }
    bool IsFieldModified() const { return Modified; }
    int GetToolTipState() const { return ToolTipState; }

protected:
    // A control sets its kind, its value rules and its control side once, when it is made.
    void SetFieldKind(ZMControlKind kind) { Kind = &ZMKindTraitsOf(kind); }
    void SetValueRules(ZMValueRules& rules) { Rules = &rules; }
    void SetControlSide(ZMEditControlSide& side) { Side = &side; }

    // Display helpers.
    void RebuildDisplay();
    bool IsPlaceholder(int pos) const;
    int DataIndexOf(int pos) const;
    int EndOfData() const;
    int Extent(int a, int b) const;
    int CaretX(int pos) const { return StartText.x + Extent(FirstVisPos, pos); }
    // Invariant 2: the caret and both ends of the selection are display indexes.
    bool PositionsInRange() const {
        auto in = [](int pos) { return pos >= 0 && pos <= kZMMaxPositions; };
        return in(CurPos) && in(HiAnchor) && in(HiNew);
    }
    bool HasSelection() const { return HiAnchor != HiNew; }
    bool Editable() const { return !ReadOnly && !DataReadOnly; }
    void ClearSelection();
    // The error beep (with ErrorBeep); inside a HeldBeeps scope it waits for the scope's end.
    void ErrorBeepIfSet() const;
    // One edit made of many insertions (a paste, SelText) sounds at most one beep, at its end,
    // however many of its characters were refused.
    class HeldBeeps {
    public:
        explicit HeldBeeps(CZMEditEngine& e) : engine_(e) { ++engine_.beepsHeld_; }
        ~HeldBeeps();
        HeldBeeps(const HeldBeeps&) = delete;
        HeldBeeps& operator=(const HeldBeeps&) = delete;

    private:
        CZMEditEngine& engine_;
    };
    // The display positions [first, end) of the mask group of `pos`.
    std::pair<int, int> GroupOf(int pos) const;
    void RemoveDataAt(int pos);
    void DeleteSelection();
    // Edit transaction (invariant 4).
    void BeginEdit();
    // Takes the edit since BeginEdit into the control and announces it. With
    // `requireValidValue` an edit that leaves no valid value is undone (with the error beep).
    bool CommitEdit(bool notifyEvenIfUnchanged = false, bool requireValidValue = false);
    void ApplyDataChange();
    // A rebuilt raw text: stored, and reported with SetDataChanged, when it changed; returns
    // RawData's length (what FormatRawData returns).
    int StoreRaw(std::string raw);

    // Moves.
    void MoveRight(int shift);
    void MoveLeft(int shift);
    void MoveHome(int shift);
    void WordLeft();
    void WordRight();
    void HandleMoveKey(int key, int shift);
    void HandleDeleteKey(int shift);
    void PlaceCaretAtCurPos();
    void ScrollToCaretOrPlace();
    void RecreateCaret();

    // ===== Field state ========================================================================
    const ZMKindTraits* Kind = &ZMKindTraitsOf(ZMControlKind::Text);
    ZMValueRules* Rules = nullptr;   // set by the control before any editing
    ZMEditControlSide* Side = nullptr;   // likewise
    ZMFieldBuffer PatternBuffer;
    ZMFieldBuffer DisplayBuffer;
    bool AutoScroll = true;
    bool HideSelection = true;
    std::int16_t BorderStyle = 1;
    std::int16_t BorderEffect = 0;
    std::int16_t DataProperty = 0;
    bool ReadOnly = false;
    bool EOLTab = false;
    bool ErrorBeep = false;
    com::PictureData MouseIcon;
    std::int16_t MousePointer = 3;
    char FillChar = '_';
    bool FocusSelect = false;
    bool Insert = true;
    std::int16_t Justification = 0;
    bool Modified = false;
    std::string RawData;
    std::string Text;
    std::string Mask;
    struct { std::int32_t x = 2, y = 1; } StartText;
    int FirstVisPos = 0;
    int FirstDataPos = 0;
    int HiAnchor = 0;
    int HiNew = 0;
    int CurNumDataChars = 0;
    int MaxDataChars = 0;
    int CurPos = 0;
    int MaxLen = 0;
    int CaretHeight = 46;
    char TypedChar = '\0';
    bool DataReadOnly = false;
    std::string ToolTip;
    int ToolTipState = 0;   // 0 idle, 1 rest timer running, 2 tooltip shown
    bool NewShell = true;
    bool FocusToParent = false;

private:
    bool InsertAtCaret(char ch, bool insertMode);
    bool AutoScrollOverflow() const;
    void ExchangeOldFormat(com::PropExchange& px);
    void ResetEditingState();
    void ReadStyleDefaults(int kind);
    // Takes every flag of `f` but Modified, which only a stored property set carries.
    void ApplyStyleFlags(const ZMStyleFlags& f);

    std::string editBefore_;   // RawData when the edit in progress began
    bool editOpen_ = false;    // BeginEdit has run since the last CommitEdit
    bool undoArmed_ = false;   // the undo copy of this focus has been taken
    int beepsHeld_ = 0;        // HeldBeeps scopes open
    mutable bool beepWaiting_ = false;   // a beep was asked for inside them
};

// Seconds since the library-wide rest clock was last restarted (a button pressed, the focus
// changed, a control left). A tooltip waits 1000 ms after a rest of a second or more, else 250.
std::int64_t ZMRestClockSeconds();

}  // namespace zmtext
