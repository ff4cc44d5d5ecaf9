// Mouse cursors by the number of the controls' MousePointer property:
// 0 the container's default, 1 arrow, 2 cross, 3 I-beam, 4 icon, 5 size (all directions),
// 6 size NE-SW, 7 size N-S, 8 size NW-SE, 9 size W-E, 10 up arrow, 11 hourglass, 12 "no drop",
// 13 the control's own picture. Qt has no icon or up-arrow shape of its own kind for 4 and 12;
// those are the library's cursor resources, drawn in code.
#pragma once

#include <QCursor>
#include <optional>

namespace ctl {

inline constexpr int kMousePointerMax = 13;

// The cursor to set for `pointer`; nothing for 0, for 13 without `custom`, and for numbers
// outside 0-13 (the container's default handling applies).
std::optional<QCursor> CursorForPointer(int pointer, const QCursor* custom = nullptr);

// The library's own cursor resources.
QCursor NoDropCursor();
QCursor IconCursor();

}  // namespace ctl
