// Painting the field (text, selection, border), the mouse cursor, the keys the field keeps from
// its container, and the tooltip's timing.
#include <QPainter>
#include <algorithm>

#include "platform/ctl/cursors.h"
#include "platform/ctl/draw.h"
#include "platform/ctl/font_picture.h"
#include "platform/ctl/keys.h"
#include "platform/win/clock.h"
#include "zmtext/engine/edit_engine.h"

namespace zmtext {

namespace {

std::int64_t NowSeconds() {
    const auto t = win::LocalTimeT(win::SystemClock().Now());
    return t ? static_cast<std::int64_t>(*t) : 0;
}

// The rest clock is one value for every control of the library in the process.
std::int64_t& RestClock() {
    static std::int64_t restartedAt = 0;
    return restartedAt;
}

}  // namespace

void CZMEditEngine::RestartRestClock() {
    RestClock() = NowSeconds();
}

std::int64_t ZMRestClockSeconds() {
    return NowSeconds() - RestClock();
}

// --- Painting ----------------------------------------------------------------------------------

namespace {

// Grey text that would vanish on a grey background is drawn 64 steps darker per component.
ctl::ColorRef DisabledTextColor(ctl::ColorRef back) {
    const ctl::ColorRef gray = ctl::GetSysColor(ctl::COLOR_GRAYTEXT);
    if (gray != back) return gray;
    auto darker = [](int c) { return c >= 64 ? c - 64 : c; };
    return ctl::Rgb(darker(ctl::RedOf(gray)), darker(ctl::GreenOf(gray)), darker(ctl::BlueOf(gray)));
}

}  // namespace

void CZMEditEngine::ZMPaintField(QPainter& p, const ctl::Rect& bounds, const ctl::Rect& invalid) {
    const ctl::Rect inner = InnerRect(bounds);
    const ctl::ColorRef back = ctl::TranslateColor(Side->GetBackColor().value);
    ctl::FillRect(p, invalid, back);
    p.save();
    p.setFont(Side->FieldFont());
    const bool editing = Side->AmbientUserMode() && Side->WindowHasFocus();
    std::string_view shown;
    if (editing) {
        RebuildDisplay();
        shown = DisplayBuffer.View().substr(static_cast<std::size_t>(std::min(FirstVisPos, DisplayBuffer.Length())));
    } else {
        DisplayBuffer.Clear();
        CopyText();
        shown = DisplayBuffer.View();
    }
    ctl::TextOutStyle style;
    style.color = Side->GetEnabled() ? ctl::TranslateColor(Side->GetForeColor().value) : DisabledTextColor(back);
    style.clip = &inner;
    int x = bounds.left + StartText.x;
    if (!editing && Justification == 1) {
        x = (bounds.left + bounds.right) / 2;
        style.align = ctl::TA_CENTER;
    } else if (!editing && Justification == 2) {
        x = bounds.right - StartText.x;
        style.align = ctl::TA_RIGHT;
    }
    ctl::TextOut(p, x, bounds.top + StartText.y, shown, style);
    // The caret is drawn by the window after the field, so it needs no hiding here.
    if (Side->AmbientUserMode() && (editing || !HideSelection)) DrawSelectionRange(p, true, bounds.left, bounds.top);
    p.restore();
    ZMPaintBorder(p, bounds, invalid);
}

void CZMEditEngine::DrawSelectionRange(QPainter& p, bool highlight, int dx, int dy) {
    if (!HasSelection()) return;
    assert(PositionsInRange());
    const int n = DisplayBuffer.Length();
    const int hiNew = std::min(HiNew, n);
    const int a = std::max(std::min(std::min(HiAnchor, n), hiNew), FirstVisPos);
    const int b = std::max(std::min(HiAnchor, n), hiNew);
    if (b <= a) return;
    int x = StartText.x + Extent(FirstVisPos, a);
    const QSize size = Side->GetControlSize();
    if (highlight && FirstVisPos == 0 && !Side->WindowHasFocus() && Justification != 0) {
        const int total = Extent(0, n);
        x += Justification == 1 ? size.width() / 2 - total / 2 - StartText.x
                                : size.width() - 2 * StartText.x - total;
    }
    const ctl::Rect inner = InnerRect({dx, dy, dx + size.width(), dy + size.height()});
    const std::string_view text = DisplayBuffer.View().substr(static_cast<std::size_t>(a), static_cast<std::size_t>(b - a));
    ctl::TextOutStyle style;
    style.clip = &inner;
    p.save();
    p.setFont(Side->FieldFont());
    if (highlight) {
        style.color = ctl::GetSysColor(ctl::COLOR_HIGHLIGHTTEXT);
        style.background = ctl::GetSysColor(ctl::COLOR_HIGHLIGHT);
    } else {
        const ctl::Rect range{dx + x, dy + StartText.y, dx + x + Extent(a, b), dy + StartText.y + CaretHeight + 1};
        ctl::FillRect(p, range.Intersected(inner), ctl::TranslateColor(Side->GetBackColor().value));
        style.color = Side->GetEnabled() ? ctl::TranslateColor(Side->GetForeColor().value) : DisabledTextColor(ctl::TranslateColor(Side->GetBackColor().value));
    }
    ctl::TextOut(p, dx + x, dy + StartText.y, text, style);
    p.restore();
}

void CZMEditEngine::DrawSelection() {
    HiNew = CurPos;
    Side->InvalidateField();
}

void CZMEditEngine::ZMPaintBorder(QPainter& p, const ctl::Rect& bounds, const ctl::Rect& invalid) {
    ctl::PaintEditBorder(p, bounds, invalid, BorderEffect, BorderStyle, NewShell);
}

void CZMEditEngine::ZMFillBackground(QPainter& p, const ctl::Rect& r) {
    ctl::FillRect(p, r, ctl::TranslateColor(Side->GetBackColor().value));
}

// --- Cursor and keys ---------------------------------------------------------------------------

bool CZMEditEngine::OnSetCursor(bool inClientArea) {
    if (MousePointer == 0 || !inClientArea) return false;
    const auto icon = MousePointer == ctl::kMousePointerMax ? ctl::CursorOfPicture(MouseIcon) : std::nullopt;
    const auto cursor = ctl::CursorForPointer(MousePointer, icon ? &*icon : nullptr);
    if (!cursor) return false;
    Side->SetFieldCursor(&*cursor);
    return true;
}

bool CZMEditEngine::PreTranslateKey(int key) {
    return (key >= ctl::VK_PRIOR && key <= ctl::VK_DOWN) || key == ctl::VK_INSERT || key == ctl::VK_DELETE;
}

// --- Tooltip -----------------------------------------------------------------------------------

void CZMEditEngine::ZMToolTipTimerCheck() {
    const QPoint at = Side->CursorClientPos();
    if (!Side->GetClientRect().Contains(at)) return;
    if (ToolTipState == 2) Side->DestroyToolTipWindow();
    if (Side->CreateToolTipWindow(at, ToolTip)) ToolTipState = 2;
}

void CZMEditEngine::ZMCancelToolTip() {
    if (ToolTipState == 2) Side->DestroyToolTipWindow();
    else if (ToolTipState == 1) Side->StopTimer(1);
    // The wait for the tip holds the capture; a press of a button keeps its own.
    if (ToolTipState != 0) Side->ReleaseMouse();
    ToolTipState = 0;
}

}  // namespace zmtext
