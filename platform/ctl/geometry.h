// Rectangles and points with the platform's geometry: a rectangle's right and bottom edges lie
// just outside it, so a rectangle from (0, 0) to (10, 5) is 10 pixels wide and holds x = 0..9.
// Drawing code of the controls computes with these and turns them into Qt rectangles only when
// it paints, so that "right - 1" in a border means the same pixel it meant on the platform.
#pragma once

#include <QPoint>
#include <QRect>

namespace ctl {

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    static Rect FromQt(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
    QRect ToQt() const { return QRect(left, top, right - left, bottom - top); }

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(QPoint p) const { return p.x() >= left && p.x() < right && p.y() >= top && p.y() < bottom; }
    // Shrinks by n on every side (grows for negative n).
    Rect Deflated(int n) const { return {left + n, top + n, right - n, bottom - n}; }
    Rect Deflated(int dx, int dy) const { return {left + dx, top + dy, right - dx, bottom - dy}; }
    Rect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    // The common part; an empty rectangle when they do not meet.
    Rect Intersected(const Rect& o) const;
    // True when this rectangle lies wholly inside `o`.
    bool Inside(const Rect& o) const {
        return left >= o.left && top >= o.top && right <= o.right && bottom <= o.bottom;
    }

    friend bool operator==(const Rect&, const Rect&) = default;
};

inline Rect Rect::Intersected(const Rect& o) const {
    Rect r{left > o.left ? left : o.left, top > o.top ? top : o.top,
           right < o.right ? right : o.right, bottom < o.bottom ? bottom : o.bottom};
    if (r.IsEmpty()) return {};
    return r;
}

}  // namespace ctl
