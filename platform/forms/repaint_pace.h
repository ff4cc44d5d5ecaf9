// The pace of repaints while a long task yields.
//
// A task that yields often (DoEvents after each line of its progress) would have the windows
// repainted at every yield, and a repaint of a window full of text costs far more than the task's
// own step. A yield that comes within kRepaintIntervalMs of the last repaint let through takes the
// windows' pending repaints off the queue instead and a timer hands them back when the interval is
// over, so the user still sees the progress, a few tens of milliseconds late at most. Everything
// else the yield finds (keys, clicks, timers, layout) is handled at once as before; a repaint asked
// for synchronously (Refresh) is never held back.
#pragma once

namespace forms {

inline constexpr int kRepaintIntervalMs = 30;

// Called by the yield before it runs the pending events.
void PaceRepaints();

}  // namespace forms
