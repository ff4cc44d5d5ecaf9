// The window of a control: a QWidget that turns Qt's events into the messages a control's
// handlers expect, in the platform's order and terms.
//
// Order and rules of delivery (each is a MessageHandler call):
//   - Key press: OnKeyDown(key, shift), then OnChar(c) for each character the key produces,
//     whatever OnKeyDown did. With Alt held: OnSysKeyDown(key, shift) and no character. A key
//     release gives OnKeyUp (OnSysKeyUp with Alt); repeated presses of a held key give presses
//     only. Text committed by an input method (a dead key and a letter: "á") gives OnChar for
//     each of its characters. Characters are cp1252 bytes; a character without one is dropped.
//   - Focus: OnSetFocus(); OnKillFocus(gaining, sameTopLevel) with the widget that now has the
//     focus (nullptr when the focus leaves the application or its window) and whether that widget
//     lies under the same top-level window.
//   - Mouse: OnSetCursor() before every move and on entering; OnButtonDown, OnMouseMove (also
//     without a button: the window tracks the mouse), OnButtonUp, and for a double click
//     OnButtonDblClk in place of the second press (down, up, double click, up). After a right
//     button's release, OnContextMenu at the screen position. Leaving the window while the
//     window holds the capture without a button gives a move to a point outside it.
//   - OnTimer(id) for timers set with SetTimer; OnCancelMode() when the window is hidden, its
//     top-level window is deactivated or a modal window blocks it.
//   - Paint: OnEraseBackground then OnPaint with the window's bounds and the invalid rectangle,
//     then the caret when this window owns it.
#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <optional>

#include "platform/ctl/geometry.h"
#include "platform/ctl/timers.h"

namespace ctl {

class MessageHandler {
public:
    virtual ~MessageHandler() = default;
    virtual void OnEraseBackground(QPainter&, const Rect& /*invalid*/) {}
    virtual void OnPaint(QPainter&, const Rect& /*bounds*/, const Rect& /*invalid*/) {}
    virtual void OnKeyDown(int /*key*/, int /*shift*/) {}
    virtual void OnKeyUp(int /*key*/, int /*shift*/) {}
    virtual void OnSysKeyDown(int /*key*/, int /*shift*/) {}
    virtual void OnSysKeyUp(int /*key*/, int /*shift*/) {}
    virtual void OnChar(unsigned char /*ch*/) {}
    virtual void OnSetFocus() {}
    virtual void OnKillFocus(QWidget* /*gaining*/, bool /*sameTopLevel*/) {}
    // button: 1 left, 2 right, 4 middle; flags: MK_* of the buttons held and Shift/Ctrl.
    virtual void OnButtonDown(int /*button*/, int /*flags*/, QPoint) {}
    virtual void OnButtonUp(int /*button*/, int /*flags*/, QPoint) {}
    virtual void OnButtonDblClk(int /*button*/, int /*flags*/, QPoint) {}
    virtual void OnMouseMove(int /*flags*/, QPoint) {}
    virtual void OnContextMenu(QPoint /*global*/) {}
    virtual void OnSetCursor() {}
    virtual void OnTimer(int /*id*/) {}
    virtual void OnCancelMode() {}
    virtual void OnResize(QSize) {}
    virtual void OnWindowDestroyed() {}
    // Asked before a key reaches the container's shortcuts: true keeps it for the control.
    virtual bool WantsKey(int /*key*/, int /*shift*/) { return false; }
};

class ControlWindow : public QWidget {
public:
    ControlWindow(MessageHandler* handler, QWidget* parent);
    ~ControlWindow() override;

    // Detaches the handler: no more messages (the control is going away first).
    void Detach() { handler_ = nullptr; }

    void SetTimer(int id, int milliseconds) { timers_.Set(id, milliseconds); }
    bool KillTimer(int id) { return timers_.Kill(id); }
    bool TimerRunning(int id) const { return timers_.IsRunning(id); }

    // The emulated mouse capture: taken by the control, released by it, and also released when
    // the last button goes up after a press in this window.
    void SetCapture() { capture_ = true; }
    void ReleaseCapture() { capture_ = false; }
    bool HasCapture() const { return capture_; }

    // Sets the mouse cursor over the window, or the container's default for nothing.
    void SetCursorShape(const std::optional<QCursor>& cursor);

    // The platform-style number of the window (for the hWnd property and for events that pass
    // a window): the same number for the same widget while it lives, never 0.
    std::int32_t Handle() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool event(QEvent* event) override;

private:
    MessageHandler* handler_;
    TimerSet timers_;
    bool capture_ = false;
};

// The number of a widget's window (assigned on first use), and the widget of a number.
std::int32_t HandleOfWidget(QWidget* widget);
QWidget* WidgetOfHandle(std::int32_t handle);

}  // namespace ctl
