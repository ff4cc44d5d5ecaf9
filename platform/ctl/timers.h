// Timers by id for one window: Set(id, ms) (re)starts the timer `id`, which fires once and
// calls the handler with its id; Kill(id) stops it and tells whether it was running.
#pragma once

#include <QTimer>
#include <functional>
#include <map>
#include <memory>

namespace ctl {

class TimerSet {
public:
    explicit TimerSet(std::function<void(int id)> onTimer) : onTimer_(std::move(onTimer)) {}

    void Set(int id, int milliseconds);
    bool Kill(int id);
    bool IsRunning(int id) const;
    void KillAll();

private:
    std::function<void(int)> onTimer_;
    std::map<int, std::unique_ptr<QTimer>> timers_;
};

}  // namespace ctl
