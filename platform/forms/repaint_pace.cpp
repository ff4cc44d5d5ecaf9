#include "platform/forms/repaint_pace.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace forms {

namespace {

using Clock = std::chrono::steady_clock;

struct Pace {
    bool repainted = false;               // a turn has let the repaints through
    Clock::time_point lastRepaint;        // when the last such turn began
    Clock::duration cost{};               // what repainting costs now (the last turns' time)
    std::vector<QPointer<QWidget>> held;  // the windows whose repaint was taken off the queue
    bool handBackArmed = false;
};

Pace& State() {
    static Pace pace;
    return pace;
}

Clock::duration Interval(const Pace& pace) {
    return std::max<Clock::duration>(std::chrono::milliseconds(kRepaintIntervalMs), kPaintShare * pace.cost);
}

// The cost of a turn that repainted: its own time, or half the cost known before when that was
// more (a turn with little to paint does not make the next one look cheap at once).
void Repainted(Pace& pace, Clock::time_point began) {
    pace.repainted = true;
    pace.lastRepaint = began;
    pace.cost = std::max(Clock::now() - began, pace.cost / 2);
}

// A window's repaint is one posted request to the window; the window asks for no other until that
// one has been handled, so the request taken off the queue is handed back, never dropped.
void DeliverHeld(Pace& pace) {
    const std::vector<QPointer<QWidget>> held = std::move(pace.held);
    pace.held.clear();
    for (const QPointer<QWidget>& window : held) {
        if (window.isNull()) continue;
        QEvent request(QEvent::UpdateRequest);
        QCoreApplication::sendEvent(window.data(), &request);
    }
}

void HandBack() {
    Pace& pace = State();
    pace.handBackArmed = false;
    const Clock::time_point began = Clock::now();
    DeliverHeld(pace);
    Repainted(pace, began);
}

}  // namespace

PacedTurn::PacedTurn() : start_(Clock::now()) {
    Pace& pace = State();
    const Clock::duration since = start_ - pace.lastRepaint;
    if (!pace.repainted || since >= Interval(pace)) {
        repaints_ = true;
        DeliverHeld(pace);
        return;
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible()) continue;
        QCoreApplication::removePostedEvents(window, QEvent::UpdateRequest);
        const bool known = std::any_of(pace.held.begin(), pace.held.end(),
                                       [window](const QPointer<QWidget>& held) { return held.data() == window; });
        if (!known) pace.held.emplace_back(window);
    }
    if (!pace.handBackArmed && !pace.held.empty()) {
        pace.handBackArmed = true;
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(Interval(pace) - since);
        QTimer::singleShot(static_cast<int>(std::max<std::chrono::milliseconds::rep>(wait.count(), 0)),
                           QCoreApplication::instance(), HandBack);
    }
}

PacedTurn::~PacedTurn() {
    if (repaints_) Repainted(State(), start_);
}

}  // namespace forms
