// ZMEditControlSide: what the edit engine asks of the control it edits for: its window and the
// window's services (focus, capture, caret, timers, tooltip, menu, cursor), its colours and font,
// its events and its binding notifications, and its own part of the old property format.
//
// The engine holds its control side by reference, as it holds its value rules (kind_traits.h),
// and reaches the control only through it, so its rules run and are tested without any window:
// the edit controls implement it over the control base (edit_control.h), the engine's tests with
// a recording fake. The interface is the whole of what the engine may ask; it is not a place for
// editing rules.
#pragma once

#include <QFont>
#include <QPoint>
#include <QSize>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/com/propexchange.h"
#include "platform/ctl/colors.h"
#include "platform/ctl/geometry.h"
#include "platform/ctl/services.h"
#include "platform/ctl/text_metrics.h"

class QCursor;

namespace zmtext {

class ZMEditControlSide {
public:
    virtual bool GetEnabled() const = 0;
    virtual bool HasWindow() const = 0;
    virtual bool AmbientUserMode() const = 0;
    virtual com::OleColor GetBackColor() const = 0;
    virtual com::OleColor GetForeColor() const = 0;
    virtual void SetBackColor(com::OleColor color) = 0;
    virtual void SetForeColor(com::OleColor color) = 0;
    virtual ctl::Rect GetClientRect() const = 0;
    // Repaints `r`, or the text area inside the border.
    virtual void InvalidateField(const ctl::Rect* r = nullptr) = 0;
    virtual void NotifyBoundProperty() = 0;
    // The data changed: reports RawData and sets the binding's DataChanged.
    virtual void SetDataChanged() = 0;
    virtual void FireChange() = 0;
    virtual void FireKeyDown(std::int16_t& key, std::int16_t shift) = 0;
    virtual void FireEndOfLine() = 0;
    virtual void FireInvalidKey(std::int16_t& ch) = 0;
    virtual void FireKeyPress(std::int16_t& ch) = 0;
    virtual void FireInvalid(std::int32_t hwnd) = 0;
    virtual void FireOutOfRange(std::int32_t hwnd) = 0;
    virtual QSize GetControlSize() const = 0;
    // The control's own part of an old-format flag block.
    virtual void ImportOldProperties(const com::Blob& /*flags*/) {}
    // Font: whether the control has one, and its attributes.
    virtual bool HasFont() const = 0;
    virtual com::FontDesc GetFontDesc() const = 0;
    virtual void SetFontDesc(const com::FontDesc& desc) = 0;
    // The font's metrics for layout, and the font for drawing.
    virtual const ctl::TextMetrics& FieldMetrics() const = 0;
    virtual QFont FieldFont() const = 0;

    // Window services (each does nothing without a window).
    virtual bool WindowHasFocus() const = 0;
    virtual bool WindowHasCapture() const = 0;
    virtual void CaptureMouse() = 0;
    virtual void ReleaseMouse() = 0;
    virtual void CreateFieldCaret(int width, int height) = 0;
    virtual void DestroyFieldCaret() = 0;
    virtual void ShowFieldCaret() = 0;
    virtual void HideFieldCaret() = 0;
    virtual void PlaceFieldCaret(int x, int y) = 0;
    virtual void StartTimer(int id, int milliseconds) = 0;
    virtual void StopTimer(int id) = 0;
    // The mouse position in client coordinates.
    virtual QPoint CursorClientPos() const = 0;
    // Shows the tooltip window at a client point; false when it cannot be created.
    virtual bool CreateToolTipWindow(QPoint clientPoint, const std::string& text) = 0;
    virtual void DestroyToolTipWindow() = 0;
    virtual int TrackContextMenu(const std::vector<ctl::MenuItem>& items, QPoint clientPoint) = 0;
    virtual void SetFieldCursor(const QCursor* cursor) = 0;
    // Sends WM_COMMAND with `code` to the parent window.
    virtual void SendParentNotification(int code) = 0;
    // The control's extender and the container's objects (for the end-of-field tab).
    virtual com::ComPtr<com::IDispatch> GetExtender() const = 0;
    virtual std::vector<com::ComPtr<com::IUnknown>> GetContainerObjects() const = 0;

protected:
    ~ZMEditControlSide() = default;
};

}  // namespace zmtext
