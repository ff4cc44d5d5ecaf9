#include "platform/ctl/timers.h"

namespace ctl {

void TimerSet::Set(int id, int milliseconds) {
    auto& slot = timers_[id];
    if (!slot) {
        slot = std::make_unique<QTimer>();
        slot->setSingleShot(true);
        QObject::connect(slot.get(), &QTimer::timeout, [this, id] { onTimer_(id); });
    }
    slot->start(milliseconds < 0 ? 0 : milliseconds);
}

bool TimerSet::Kill(int id) {
    const auto it = timers_.find(id);
    if (it == timers_.end() || !it->second->isActive()) return false;
    it->second->stop();
    return true;
}

bool TimerSet::IsRunning(int id) const {
    const auto it = timers_.find(id);
    return it != timers_.end() && it->second->isActive();
}

void TimerSet::KillAll() {
    for (auto& [id, timer] : timers_) timer->stop();
}

}  // namespace ctl
