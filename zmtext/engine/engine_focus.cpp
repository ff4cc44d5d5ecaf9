// Focus, the caret and horizontal scrolling, the mouse, the context menu and the end-of-field
// tab to the next control of the container.
#include <algorithm>

#include "platform/ctl/interfaces.h"
#include "platform/ctl/keys.h"
#include "zmtext/engine/edit_engine.h"

namespace zmtext {

using ctl::VK_END;
using ctl::VK_HOME;
using ctl::VK_LEFT;
using ctl::VK_RIGHT;

// --- Focus -------------------------------------------------------------------------------------

void CZMEditEngine::HandleSetFocus() {
    if (FocusToParent) {
        FocusToParent = false;
        return;
    }
    if (!Side->AmbientUserMode()) return;
    ZMCancelToolTip();
    RestartRestClock();
    PatternBuffer.Clear();
    Rules->FormatRawData();
    Rules->GetPattern();
    Rules->SaveUndo();
    undoArmed_ = true;
    int placeholders = 0;
    FirstDataPos = -1;
    for (int i = 0; i < PatternBuffer.Length(); ++i) {
        if (!IsPlaceholder(i)) continue;
        if (FirstDataPos < 0) FirstDataPos = i;
        ++placeholders;
    }
    FirstDataPos = std::max(FirstDataPos, 0);
    MaxLen = PatternBuffer.Length();
    Rules->TruncateBuffer(placeholders);
    ComputeTextMetrics();
    RebuildDisplay();
    const int e = EndOfData();
    FirstVisPos = std::min(FirstVisPos, DisplayBuffer.Length());
    if (FocusSelect) {
        HiAnchor = 0;
        MoveCaret(VK_END, e);
        HiNew = e;
    }
    HiAnchor = std::min(HiAnchor, e);
    if (HiNew > e) {
        MoveCaret(VK_END, e);
        HiNew = e;
    }
    if (CurPos > e) CurPos = e;
    if (CurPos == 0) CurPos = FirstDataPos;
    Side->CreateFieldCaret(Insert ? 2 : 6, CaretHeight);
    Modified = false;
    Side->InvalidateField();
    PlaceCaretAtCurPos();
    Side->ShowFieldCaret();
    NotifyParent(EN_SETFOCUS);
}

void CZMEditEngine::HandleKillFocus(std::int32_t gaining, bool gainingIsParent, bool sameTopLevel) {
    ZMCancelToolTip();
    RestartRestClock();
    if (gainingIsParent) {
        FocusToParent = true;
        return;
    }
    FocusToParent = false;
    if (Side->AmbientUserMode()) Side->DestroyFieldCaret();
    Rules->ParseText();
    // Only a move to a sibling validates: leaving for another window must not raise events.
    if (gaining != 0 && sameTopLevel) {
        if (!Rules->IsValidValue()) Side->FireInvalid(gaining);
        else if (!Rules->IsInRange()) Side->FireOutOfRange(gaining);
    }
    Side->InvalidateField();
    NotifyParent(EN_KILLFOCUS);
    undoArmed_ = false;
}

// --- Caret and scrolling -----------------------------------------------------------------------

void CZMEditEngine::MoveCaret(int key, int pos) {
    pos = std::clamp(pos, 0, kZMMaxPositions);
    const int usable = Side->GetControlSize().width() - 2 * StartText.x;
    const int half = usable / 2;
    bool redraw = false;
    if (FirstVisPos >= pos) {
        if (key == VK_LEFT) {
            int b = FirstVisPos;
            for (int steps = 0; b > 0 && steps < FirstVisPos && Extent(b, FirstVisPos) < half; ++steps) --b;
            FirstVisPos = std::min(b, pos);
        } else {
            FirstVisPos = pos;
        }
        redraw = true;
    }
    int cx = Extent(FirstVisPos, pos);
    if (key == VK_RIGHT && cx > usable && pos < MaxLen) {
        // Scroll by about half the usable width.
        int m = 0;
        while (FirstVisPos + m < pos && Extent(FirstVisPos, FirstVisPos + m) < half) ++m;
        FirstVisPos = std::min(FirstVisPos + m + 1, pos);
        cx = Extent(FirstVisPos, pos);
        redraw = true;
    }
    if (key == VK_END && cx > usable) {
        int f = pos;
        while (f > 0 && Extent(f, pos) < half) --f;
        FirstVisPos = f;
        cx = Extent(FirstVisPos, pos);
        redraw = true;
    }
    CurPos = pos;
    Side->PlaceFieldCaret(StartText.x + cx, StartText.y);
    if (redraw) Side->InvalidateField();
}

int CZMEditEngine::PositionFromPoint(int& x) {
    if (x < StartText.x && FirstVisPos > 0) {
        MoveCaret(VK_LEFT, FirstVisPos - 1);
        x = CaretX(FirstVisPos);
        return FirstVisPos;
    }
    RebuildDisplay();
    const int n = DisplayBuffer.Length();
    // Never beyond the end of the data: a click right of it lands just after the last character.
    const int limit = std::min(n, std::max(EndOfData(), FirstVisPos));
    const int rel = x - StartText.x;
    int r = FirstVisPos;
    while (r < limit && rel >= Extent(FirstVisPos, r + 1)) ++r;
    if (r < limit) {
        const int left = Extent(FirstVisPos, r);
        const int right = Extent(FirstVisPos, r + 1);
        if (right - rel < rel - left) ++r;
    }
    x = CaretX(r);
    const QSize size = Side->GetControlSize();
    if (x > InnerRect({0, 0, size.width(), size.height()}).right) {
        MoveCaret(VK_RIGHT, r);
        x = CaretX(r);
    }
    return r;
}

// --- Mouse -------------------------------------------------------------------------------------

void CZMEditEngine::HandleLButtonDown(int flags, QPoint point) {
    if (!Side->AmbientUserMode()) return;
    ZMCancelToolTip();
    RestartRestClock();
    int x = point.x();
    CurPos = PositionFromPoint(x);
    if ((flags & ctl::MK_SHIFT) != 0) {
        HiNew = CurPos;
        Side->InvalidateField();
    } else {
        ClearSelection();
        HiAnchor = HiNew = CurPos;
    }
    Side->PlaceFieldCaret(x, StartText.y);
}

void CZMEditEngine::HandleMouseMove(int flags, QPoint point) {
    if (ToolTipState != 0 || ToolTip.empty() || Side->WindowHasCapture()) {
        if (!Side->GetClientRect().Contains(point)) {
            ZMCancelToolTip();
            RestartRestClock();
        }
    } else {
        Side->CaptureMouse();
        Side->StartTimer(1, ZMRestClockSeconds() >= 1 ? 1000 : 250);
        ToolTipState = 1;
    }
    if (Side->WindowHasFocus() && Side->WindowHasCapture() && (flags & ctl::MK_LBUTTON) != 0) {
        int x = point.x();
        CurPos = PositionFromPoint(x);
        HiNew = CurPos;
        Side->InvalidateField();
        Side->PlaceFieldCaret(x, StartText.y);
    }
}

void CZMEditEngine::HandleLButtonUp() {
    if (!Side->WindowHasCapture()) return;
    DrawSelection();
    Rules->SnapCaretToData();
}

void CZMEditEngine::HandleLButtonDblClk(int /*flags*/, QPoint point) {
    RebuildDisplay();
    if (CurPos != 0) {
        int x = point.x();
        int p = PositionFromPoint(x);
        while (p > 0 && DisplayBuffer.At(p - 1) != ' ') --p;
        CurPos = p;
    }
    HiAnchor = HiNew = CurPos;
    const int e = EndOfData();
    int q = CurPos;
    while (q < e && DisplayBuffer.At(q) != ' ') ++q;
    while (q < e && DisplayBuffer.At(q) == ' ') ++q;
    MoveCaret(VK_END, q);
    HiNew = CurPos;
    Side->InvalidateField();
}

void CZMEditEngine::HandleOtherButtonDown() {
    if (ToolTipState != 0) ZMCancelToolTip();
    RestartRestClock();
}

void CZMEditEngine::ShowContextMenu(QPoint point) {
    if (!NewShell) return;
    const int command = Side->TrackContextMenu(ZMEditMenuItems(), point);
    if (command != 0) RunEditCommand(command);
}

// --- End-of-field tab --------------------------------------------------------------------------

namespace {

bool ReadTabIndex(com::IDispatch* d, std::int32_t* out) {
    if (!d) return false;
    com::DispId id = 0;
    if (com::Failed(d->GetIDsOfNames("TabIndex", &id))) return false;
    com::DispParams none;
    com::Variant value;
    if (com::Failed(d->Invoke(id, com::DISPATCH_PROPERTYGET, none, &value, nullptr, nullptr))) return false;
    com::Variant converted;
    if (com::Failed(com::ChangeType(converted, value, com::VT_I4))) return false;
    *out = converted.AsI4();
    return true;
}

void InvokeSetFocus(com::IDispatch* d) {
    com::DispId id = 0;
    if (com::Failed(d->GetIDsOfNames("SetFocus", &id))) return;
    com::DispParams none;
    com::Variant ignored;
    d->Invoke(id, com::DISPATCH_METHOD, none, &ignored, nullptr, nullptr);
}

// The extender of a container object (through its client site), else its own dispatch.
com::ComPtr<com::IDispatch> ExtenderOf(const com::ComPtr<com::IUnknown>& object) {
    if (const auto control = object.As<ctl::IControl>()) {
        ctl::IClientSite* rawSite = nullptr;
        if (com::Succeeded(control->GetClientSite(&rawSite)) && rawSite) {
            const auto site = com::ComPtr<ctl::IClientSite>::Adopt(rawSite);
            com::IDispatch* rawExtender = nullptr;
            if (com::Succeeded(site->GetExtendedControl(&rawExtender)) && rawExtender)
                return com::ComPtr<com::IDispatch>::Adopt(rawExtender);
        }
    }
    return object.As<com::IDispatch>();
}

}  // namespace

void CZMEditEngine::TabToNextControl() {
    const auto own = Side->GetExtender();
    std::int32_t ownIndex = 0;
    if (!ReadTabIndex(own.Get(), &ownIndex)) return;
    com::ComPtr<com::IDispatch> first;
    for (const auto& object : Side->GetContainerObjects()) {
        const auto extender = ExtenderOf(object);
        std::int32_t index = 0;
        if (!ReadTabIndex(extender.Get(), &index)) continue;
        if (index == ownIndex + 1) {
            InvokeSetFocus(extender.Get());
            return;
        }
        if (index == 0 && !first) first = extender;
    }
    // The tab order wraps to the first control.
    if (first) InvokeSetFocus(first.Get());
}

}  // namespace zmtext
