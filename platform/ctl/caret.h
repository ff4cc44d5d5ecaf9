// The text caret: one per process (the user-interface thread), owned by one window at a time,
// as the platform's caret was.
//
// Contract:
//   1. Create(owner, w, h) destroys any caret of another window and makes a hidden caret
//      (hide count 1) at (0, 0) of `owner`.
//   2. Show() lowers the hide count (not below 0), Hide() raises it; the caret is drawn while
//      the count is 0, blinking: it is on and off for half the platform's flash time each
//      (not blinking when that time is 0 or negative).
//   3. SetPos moves it; Destroy (or the owner's destruction) removes it.
//   4. The owner paints the caret on top of its own drawing by calling Paint from its paint
//      handler; the caret asks the owner to repaint the caret's rectangle when it changes.
// Calls naming a window that does not own the caret do nothing and return false.
#pragma once

#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>

class QPainter;

namespace ctl {

class Caret {
public:
    static Caret& Instance();

    bool Create(QWidget* owner, int width, int height);
    bool Destroy(QWidget* owner);
    bool SetPos(QWidget* owner, int x, int y);
    bool Show(QWidget* owner);
    bool Hide(QWidget* owner);

    QWidget* Owner() const { return owner_.data(); }
    QRect Bounds() const { return QRect(pos_, size_); }
    int HideCount() const { return hideCount_; }
    // Shown (hide count 0), whatever the blink phase.
    bool IsShown() const { return owner_ && hideCount_ == 0; }
    // Shown and in the "on" half of the blink.
    bool IsDrawn() const { return IsShown() && blinkOn_; }
    int BlinkInterval() const;

    // Draws the caret (inverting what lies under it) when `widget` owns it and it is drawn.
    void Paint(QWidget* widget, QPainter& painter) const;

private:
    Caret();
    void Changed();
    void Restart();

    QPointer<QWidget> owner_;
    QPoint pos_;
    QSize size_;
    int hideCount_ = 0;
    bool blinkOn_ = true;
    QTimer blink_;
};

}  // namespace ctl
