// The pace of repaints while a long task yields.
//
// A task that yields often (DoEvents after each line of its progress) would have the windows
// repainted at every yield, and a repaint of a window full of text costs far more than the task's
// own step. A yield that comes before the interval since the last repaint let through is over
// takes the windows' pending repaints off the queue instead, and a timer hands them back when the
// interval is over, so the user still sees the progress, a few tens of milliseconds late at most.
// The interval is kRepaintIntervalMs, longer only when repainting itself takes longer than a
// kPaintShare-th of it (a loaded machine), so that a task spends at most that share repainting.
// Everything else the yield finds (keys, clicks, timers, layout) is handled at once as before; a
// repaint asked for synchronously (Refresh) is never held back.
#pragma once

#include <chrono>

namespace forms {

inline constexpr int kRepaintIntervalMs = 30;
inline constexpr int kPaintShare = 6;

// One turn of the yield, from before it runs the pending events to after: holds the windows'
// repaints back when the interval is not over, and otherwise times the turn that repaints.
class PacedTurn {
public:
    PacedTurn();
    ~PacedTurn();
    PacedTurn(const PacedTurn&) = delete;
    PacedTurn& operator=(const PacedTurn&) = delete;

private:
    std::chrono::steady_clock::time_point start_;
    bool repaints_ = false;
};

}  // namespace forms
