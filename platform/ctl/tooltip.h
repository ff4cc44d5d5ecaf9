// The tooltip window: a small popup with a one-pixel frame that shows a text near the mouse
// pointer, owned by a control's window, shown without taking the focus or activating.
//
// Placement: centred horizontally on the pointer and 5/4 of a menu bar's height below it, kept
// on the screen (pushed left from the right edge, else right from the left edge; pushed up from
// the bottom edge). Size: the text's extent, grown on each side by two border widths and one
// blank horizontally and by two border heights and one pixel vertically.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <memory>
#include <string>
#include <string_view>

namespace ctl {

struct ToolTipPlacement {
    QSize textExtent;
    int blankWidth = 0;
    QPoint pointer;        // screen coordinates
    QRect screen;          // the screen's geometry
    int menuHeight = 19;
    int borderWidth = 1;
    int borderHeight = 1;
};

// The window's screen rectangle.
QRect ToolTipRect(const ToolTipPlacement& in);

class ToolTipWindow : public QWidget {
public:
    // Creates and shows the tip for `owner` at the pointer's screen position. `text` is cp1252.
    ToolTipWindow(QWidget* owner, std::string_view text, QPoint pointer);

    const std::string& Text() const { return text_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string text_;
};

// Holds the one tooltip window of a control: Show replaces any tip shown before, Hide removes
// it. The owner widget may delete the window first (it is the window's parent); the holder then
// simply holds nothing.
class ToolTipHolder {
public:
    ToolTipHolder() = default;
    ToolTipHolder(const ToolTipHolder&) = delete;
    ToolTipHolder& operator=(const ToolTipHolder&) = delete;
    ~ToolTipHolder() { Hide(); }

    ToolTipWindow* Show(QWidget* owner, std::string_view text, QPoint pointer);
    void Hide();
    ToolTipWindow* Window() const { return window_.get(); }
    bool IsShown() const { return window_ != nullptr; }

private:
    std::unique_ptr<ToolTipWindow> window_;
};

}  // namespace ctl
