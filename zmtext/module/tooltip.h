// CZMToolTipWnd: the popup that shows an edit control's ToolTip text while the pointer rests on
// the control. The edit engine decides when a tip shows and goes; this is the window's handle.
//
// Creating one builds, places and shows the window at once: the tip is sized to its text in the
// status font, centred under the pointer and kept on the screen, drawn in the info colours with
// a thin frame, owned by the control's window and shown without taking the focus or activating.
// Destroying the handle destroys the window. The control's window may go first (it takes the
// tip with it); the handle then holds nothing and its destruction does nothing.
#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>
#include <string>
#include <string_view>

namespace ctl {
class ToolTipWindow;
}

namespace zmtext {

class CZMToolTipWnd {
public:
    // `text` is cp1252; the pointer position is in screen coordinates.
    CZMToolTipWnd(QWidget* parent, std::string_view text, int pointerX, int pointerY);
    ~CZMToolTipWnd();
    CZMToolTipWnd(const CZMToolTipWnd&) = delete;
    CZMToolTipWnd& operator=(const CZMToolTipWnd&) = delete;

    // The window while it exists, else null.
    QWidget* Window() const;
    bool IsShown() const;
    // The window's screen rectangle (empty once the window is gone).
    QRect ScreenRect() const;

private:
    QPointer<ctl::ToolTipWindow> window_;
};

}  // namespace zmtext
