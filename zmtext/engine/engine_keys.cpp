// Keys, typing, deleting, moving by position and by word, selection by keyboard, the clipboard,
// undo and the edit commands.
#include <algorithm>

#include "platform/ctl/keys.h"
#include "platform/ctl/services.h"
#include "platform/win/beep.h"
#include "zmtext/engine/edit_engine.h"

namespace zmtext {

using ctl::VK_DELETE;
using ctl::VK_END;
using ctl::VK_HOME;
using ctl::VK_INSERT;
using ctl::VK_LEFT;
using ctl::VK_RIGHT;

namespace {

constexpr int kShift = ctl::kShiftMask;
constexpr int kCtrl = ctl::kCtrlMask;
constexpr int kAlt = ctl::kAltMask;

}  // namespace

// --- Typing ------------------------------------------------------------------------------------

void CZMEditEngine::HandleChar(unsigned char ch) {
    if (!Editable() || Side->WindowHasCapture()) return;
    RebuildDisplay();
    TypedChar = static_cast<char>(ch);
    // Typing on a literal goes to the next placeholder.
    if (CurPos < DisplayBuffer.Length() && !IsPlaceholder(CurPos)) MoveRight(0);
    const int k = DataIndexOf(CurPos);
    if (k > MaxDataChars) return;
    if (static_cast<int>(RawData.size()) < k) MoveCaret(VK_END, EndOfData());
    if (ch >= 32 && !Rules->IsValidKey()) {
        const int jumpEnd = Kind->separatorJumpEnd;
        if (CurPos < jumpEnd) {
            // A typed separator jumps to the next part of the field.
            int placeholders = 0;
            for (int p = CurPos; p < jumpEnd && p < PatternBuffer.Length(); ++p) {
                if (IsPlaceholder(p)) {
                    ++placeholders;
                } else if (PatternBuffer.At(p) == static_cast<char>(ch)) {
                    for (int i = 0; i < placeholders; ++i) MoveRight(0);
                    return;
                }
            }
        }
        ErrorBeepIfSet();
        std::int16_t refused = ch;
        Side->FireInvalidKey(refused);
        return;
    }
    std::int16_t c = static_cast<std::int16_t>(ch >= 32 ? static_cast<unsigned char>(TypedChar) : ch);
    Side->FireKeyPress(c);
    BeginEdit();
    if (c >= 32 && c <= 255) {
        TypedChar = static_cast<char>(c);
        if (InsertChar()) CommitEdit(true);
    } else if (c == 8) {
        if (!HasSelection()) {
            Backspace();
            return;
        }
        Clear();
        CommitEdit();
    }
}

bool CZMEditEngine::InsertAtCaret(char ch, bool insertMode) {
    const int k = DataIndexOf(CurPos);
    std::string data = RawData;
    const int n = static_cast<int>(data.size());
    // Invariant 3: the caret's placeholder is at most one past the data, so a character
    // appended lands at data index k.
    assert(k <= n);
    const auto [groupFirst, groupEnd] = GroupOf(CurPos);
    (void)groupFirst;
    const int groupEndData = DataIndexOf(groupEnd);
    if (insertMode) {
        if (CurNumDataChars >= Rules->GetMaxLength(MaxDataChars)) NotifyParent(EN_MAXTEXT);
        if (k < n) {
            // The group's characters from k on move one place right; one pushed past the
            // group's last position is dropped rather than moved into the next group.
            const int last = std::min(groupEndData, n) - 1;
            if (last == groupEndData - 1) data.erase(static_cast<std::size_t>(last), 1);
            data.insert(static_cast<std::size_t>(k), 1, ch);
        } else {
            data.push_back(ch);
        }
    } else if (k < n) {
        data[static_cast<std::size_t>(k)] = ch;
    } else {
        data.push_back(ch);
    }
    const std::size_t keep = static_cast<std::size_t>(std::max(CurNumDataChars + 1, k + 1));
    if (data.size() > keep) data.resize(keep);
    // The buffers hold kZMMaxPositions characters: a full text takes nothing more.
    if (data.size() > static_cast<std::size_t>(kZMMaxPositions)) return false;
    RawData = std::move(data);
    return true;
}

bool CZMEditEngine::AutoScrollOverflow() const {
    std::string_view shown = DisplayBuffer.View();
    const char fill = Rules->GetDisplayFillChar();
    while (!shown.empty() && shown.back() == fill) shown.remove_suffix(1);
    const QSize size = Side->GetControlSize();
    const int inner = InnerRect({0, 0, size.width(), size.height()}).Width();
    return Side->FieldMetrics().Extent(shown) >= inner - 4;
}

bool CZMEditEngine::InsertChar() {
    const std::string remembered = RawData;
    bool insertMode = Insert;
    if (HasSelection()) {
        Clear();
        insertMode = true;
    }
    if (CurPos >= PatternBuffer.Length()) {
        ErrorBeepIfSet();
        return false;
    }
    if (DataIndexOf(CurPos) > static_cast<int>(RawData.size())) CurPos = EndOfData();
    if (!IsPlaceholder(CurPos)) {
        ErrorBeepIfSet();
        return false;
    }
    const int k = DataIndexOf(CurPos);
    assert(k <= static_cast<int>(RawData.size()));   // invariant 3, for the character before k
    char ch = TypedChar;
    if (k == 0 || RawData[static_cast<std::size_t>(k - 1)] == ' ') ch = Rules->ConvertCase(ch);
    if (!InsertAtCaret(ch, insertMode)) {
        ErrorBeepIfSet();
        return false;
    }
    RebuildDisplay();
    if (!AutoScroll && AutoScrollOverflow()) {
        RawData = remembered;
        RebuildDisplay();
        if (k >= DisplayBuffer.Length() - 1) {
            Side->FireEndOfLine();
            if (EOLTab && Side->AmbientUserMode()) TabToNextControl();
            else ErrorBeepIfSet();
        } else {
            ErrorBeepIfSet();
        }
        return false;
    }
    MoveRight(0);
    return true;
}

// --- Deleting ----------------------------------------------------------------------------------

void CZMEditEngine::RemoveDataAt(int pos) {
    const int k = DataIndexOf(pos);
    std::string data = RawData;
    const int n = static_cast<int>(data.size());
    if (k >= n || !IsPlaceholder(pos)) return;
    const int groupEndData = DataIndexOf(GroupOf(pos).second);
    const int end = std::min(groupEndData, n);
    data.erase(static_cast<std::size_t>(k), 1);
    char filler = '\0';
    switch (Kind->freedPlace) {
    case ZMFreedPlace::kClosed: break;
    case ZMFreedPlace::kFillChar: filler = FillChar; break;
    case ZMFreedPlace::kMaskDisplay:
        if (!Mask.empty() && n > groupEndData) filler = Rules->GetDisplayFillChar();
        break;
    }
    // The freed last place of the group keeps the following groups where they are.
    if (filler) data.insert(static_cast<std::size_t>(end - 1), 1, filler);
    const char fill = Rules->GetDisplayFillChar();
    while (!data.empty() && data.back() == fill) data.pop_back();
    RawData = std::move(data);
}

void CZMEditEngine::DeleteSelection() {
    if (!HasSelection()) return;
    RebuildDisplay();
    const int n = DisplayBuffer.Length();
    const int a = std::clamp(std::min(HiAnchor, HiNew), 0, n);
    const int b = std::clamp(std::max(HiAnchor, HiNew), 0, n);
    int first = a;
    while (first < b && !IsPlaceholder(first)) ++first;
    CurPos = first < b ? first : a;
    // Group by group, each removal at the group's first selected placeholder; right to left,
    // so that removing in one group does not move the positions of the others still to do.
    std::vector<std::pair<int, int>> removals;
    for (int p = a; p < b;) {
        const int end = std::max(std::min(GroupOf(p).second, b), p + 1);
        int count = 0, at = -1;
        for (int q = p; q < end; ++q) {
            if (!IsPlaceholder(q)) continue;
            if (at < 0) at = q;
            ++count;
        }
        if (count > 0) removals.emplace_back(at, count);
        p = end;
    }
    for (auto it = removals.rbegin(); it != removals.rend(); ++it)
        for (int i = 0; i < it->second; ++i) RemoveDataAt(it->first);
    HiAnchor = HiNew = 0;
    RebuildDisplay();
    if (CurPos < FirstVisPos) {
        MoveCaret(VK_HOME, CurPos);
    } else {
        PlaceCaretAtCurPos();
        Side->InvalidateField();
    }
}

bool CZMEditEngine::Clear() {
    if (!Editable() || !HasSelection()) return false;
    const std::string before = RawData;
    DeleteSelection();
    return RawData != before;
}

void CZMEditEngine::DeleteAtCaret() {
    if (!Editable()) return;
    BeginEdit();
    RemoveDataAt(CurPos);
    // A kind may refuse a deletion that leaves no valid value.
    CommitEdit(false, Kind->deletionKeepsValue);
}

void CZMEditEngine::Backspace() {
    if (!Editable() || CurPos <= FirstDataPos) return;
    MoveLeft(0);
    DeleteAtCaret();
}

// --- Moves -------------------------------------------------------------------------------------

void CZMEditEngine::MoveRight(int shift) {
    const int n = DisplayBuffer.Length();
    if (CurPos < n) {
        const int k = DataIndexOf(CurPos);
        if (k >= CurNumDataChars && IsPlaceholder(CurPos)) return;
        bool atLast = k == MaxDataChars - 1;
        Rules->BeforeMoveRight(atLast);
        int target = std::min(CurPos + 1, n);
        if (shift == 0) {
            int next = CurPos + 1;
            while (next < n && !IsPlaceholder(next)) ++next;
            if (next < n) target = next;
            else if (!IsPlaceholder(CurPos)) return;
        }
        MoveCaret(VK_RIGHT, std::clamp(target, 0, n));
        if (!atLast) return;
        Side->FireEndOfLine();
    }
    if (Side->AmbientUserMode() && EOLTab) TabToNextControl();
}

void CZMEditEngine::MoveLeft(int shift) {
    if (CurPos <= 0) return;
    int target = CurPos - 1;
    if (shift == 0) {
        while (target >= 0 && !IsPlaceholder(target)) --target;
        if (target < 0) return;
    }
    MoveCaret(VK_LEFT, target);
}

void CZMEditEngine::MoveHome(int shift) {
    MoveCaret(VK_HOME, shift != 0 ? 0 : FirstDataPos);
}

void CZMEditEngine::WordLeft() {
    int p = CurPos - 1;
    if (p < 0) return;
    const auto d = [&](int i) { return DisplayBuffer.At(i); };
    while (p > 0 && (d(p) == ' ' || !IsPlaceholder(p) || (IsPlaceholder(p - 1) && d(p - 1) != ' '))) --p;
    if (p == 0 && !IsPlaceholder(0)) return;
    MoveCaret(VK_LEFT, p);
}

void CZMEditEngine::WordRight() {
    const int n = DisplayBuffer.Length();
    if (CurPos >= n || DataIndexOf(CurPos) >= CurNumDataChars) return;
    const auto d = [&](int i) { return DisplayBuffer.At(i); };
    int p = CurPos;
    while (p < n - 1 && ((IsPlaceholder(p) && d(p) != ' ' && DataIndexOf(p) < CurNumDataChars) ||
                         d(p + 1) == ' ' || !IsPlaceholder(p + 1)))
        ++p;
    MoveCaret(VK_RIGHT, std::min(p + 1, n));
    if (DataIndexOf(CurPos) == MaxDataChars) Side->FireEndOfLine();
}

void CZMEditEngine::HandleMoveKey(int key, int shift) {
    if (HasSelection() && (shift & kShift) == 0) ClearSelection();
    else if ((shift & kShift) != 0 && !HasSelection()) HiAnchor = HiNew = CurPos;
    const bool ctrl = (shift & kCtrl) != 0;
    switch (key) {
    case VK_HOME: MoveHome(shift); break;
    case VK_END: MoveCaret(VK_END, EndOfData()); break;
    case VK_LEFT:
        if (ctrl) WordLeft();
        else MoveLeft(shift);
        break;
    case VK_RIGHT:
        if (ctrl) WordRight();
        else MoveRight(shift);
        break;
    default: break;
    }
    if ((shift & kShift) != 0) DrawSelection();
}

void CZMEditEngine::HandleDeleteKey(int shift) {
    if ((shift & kShift) != 0) {
        if (HasSelection()) Cut();
        else Backspace();
        return;
    }
    if ((shift & kCtrl) == 0 && (shift & kAlt) != 0) return;
    if (HasSelection()) {
        BeginEdit();
        Clear();
        CommitEdit();
        return;
    }
    if ((shift & kCtrl) == 0) {
        DeleteAtCaret();
        return;
    }
    if (!Editable()) return;
    HiAnchor = CurPos;
    HiNew = EndOfData();
    BeginEdit();
    Clear();
    CommitEdit();
}

void CZMEditEngine::HandleKeyDown(int key, int shift) {
    if (ToolTipState != 0) ZMCancelToolTip();
    if (Side->WindowHasCapture()) return;
    std::int16_t code = static_cast<std::int16_t>(key);
    Side->FireKeyDown(code, static_cast<std::int16_t>(shift));
    if (code == 0) return;
    key = code;
    RebuildDisplay();
    const bool ctrlAlone = shift == kCtrl;
    switch (key) {
    case VK_HOME:
    case VK_END:
    case VK_LEFT:
    case VK_RIGHT: HandleMoveKey(key, shift); break;
    case VK_INSERT:
        if (shift == 0) SetInsertMode(Insert ? 0 : 1);
        else if (shift == kShift) PasteFromClipboard();
        else if (ctrlAlone) CopyToClipboard();
        break;
    case VK_DELETE: HandleDeleteKey(shift); break;
    case 'C':
        if (ctrlAlone) CopyToClipboard();
        break;
    case 'V':
        if (ctrlAlone) PasteFromClipboard();
        break;
    case 'X':
        if (ctrlAlone && HasSelection()) Cut();
        break;
    case 'Z':
        if (ctrlAlone && Modified) UndoEdit();
        break;
    default: break;
    }
}

void CZMEditEngine::HandleSysKeyDown(int key, int shift) {
    if (key == ctl::VK_BACK && (shift & (kShift | kCtrl)) == 0) UndoEdit();
}

// --- Clipboard, selection text, undo --------------------------------------------------------

void CZMEditEngine::CopyToClipboard() {
    if (!Side->WindowHasFocus()) return;
    RebuildDisplay();
    if (!HasSelection()) return;
    const int n = DisplayBuffer.Length();
    const int a = std::clamp(std::min(HiAnchor, HiNew), 0, n);
    const int b = std::clamp(std::max(HiAnchor, HiNew), 0, n);
    std::string text;
    for (int p = a; p < b; ++p)
        if (DataProperty != 1 || IsPlaceholder(p)) text += DisplayBuffer.At(p);
    ctl::SetClipboardText(text);   // a clipboard that cannot be written is left as it was
}

void CZMEditEngine::Cut() {
    if (!Side->WindowHasFocus()) return;
    CopyToClipboard();
    BeginEdit();
    Clear();
    CommitEdit();
}

namespace {

// The clipboard's text as one line: a copied line's own line break at the end goes, and each line
// break inside (CR LF, CR or LF) becomes one blank, so that the words on either side stay apart.
std::string PastedLine(std::string_view text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        line += text[i] == '\r' || text[i] == '\n' ? ' ' : text[i];
    }
    return line;
}

}  // namespace

void CZMEditEngine::PasteFromClipboard() {
    if (!Side->WindowHasFocus() || !Editable()) return;
    const auto text = ctl::GetClipboardText();
    if (!text) return;
    RebuildDisplay();
    const HeldBeeps oneBeep(*this);
    BeginEdit();
    Clear();
    bool inserted = false;
    for (char c : PastedLine(*text)) {
        TypedChar = c;
        if (Rules->IsValidKey() && InsertChar()) inserted = true;
    }
    CommitEdit(inserted);
}

std::string CZMEditEngine::GetSelText() {
    RebuildDisplay();
    const int n = DisplayBuffer.Length();
    const int a = std::clamp(std::min(HiAnchor, HiNew), 0, n);
    const int b = std::clamp(std::max(HiAnchor, HiNew), 0, n);
    return std::string(DisplayBuffer.View().substr(static_cast<std::size_t>(a), static_cast<std::size_t>(b - a)));
}

void CZMEditEngine::SetSelText(std::string_view text) {
    RebuildDisplay();
    const int n = DisplayBuffer.Length();
    HiAnchor = std::clamp(HiAnchor, 0, n);
    HiNew = std::clamp(HiNew, 0, n);
    const HeldBeeps oneBeep(*this);
    BeginEdit();
    DeleteSelection();
    for (char c : text) {
        TypedChar = c;
        InsertChar();
    }
    HiAnchor = HiNew = CurPos;
    CommitEdit(true);
}

void CZMEditEngine::SelectAll() {
    RebuildDisplay();
    HiAnchor = 0;
    MoveCaret(VK_END, EndOfData());
    HiNew = CurPos;
    Side->InvalidateField();
}

void CZMEditEngine::UndoEdit() {
    if (!Side->WindowHasFocus() || !Modified) return;
    ClearSelection();
    Rules->Undo();
}

void CZMEditEngine::RunEditCommand(int command) {
    switch (command) {
    case ID_EDIT_CLEAR:
        BeginEdit();
        Clear();
        CommitEdit();
        break;
    case ID_EDIT_COPY: CopyToClipboard(); break;
    case ID_EDIT_CUT: Cut(); break;
    case ID_EDIT_PASTE: PasteFromClipboard(); break;
    case ID_EDIT_SELECT_ALL: SelectAll(); break;
    case ID_EDIT_UNDO: UndoEdit(); break;
    default: break;
    }
}

bool CZMEditEngine::EditCommandEnabled(int command) {
    switch (command) {
    case ID_EDIT_CLEAR:
    case ID_EDIT_COPY:
    case ID_EDIT_CUT: return HasSelection();
    case ID_EDIT_PASTE: return ctl::ClipboardHasText();
    case ID_EDIT_SELECT_ALL: return true;
    case ID_EDIT_UNDO: return Modified;
    default: return false;
    }
}

}  // namespace zmtext
