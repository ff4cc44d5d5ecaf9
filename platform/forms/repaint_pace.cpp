#include "platform/forms/repaint_pace.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace forms {

namespace {

struct Pace {
    QElapsedTimer sinceLetThrough;        // invalid until a yield first lets the repaints through
    std::vector<QPointer<QWidget>> held;  // the windows whose repaint was taken off the queue
    bool handBackArmed = false;
};

Pace& State() {
    static Pace pace;
    return pace;
}

// A window's repaint is one posted request to the window; the window asks for no other until that
// one has been handled, so the request taken off the queue is handed back, not dropped.
void HandBack() {
    Pace& pace = State();
    pace.handBackArmed = false;
    pace.sinceLetThrough.start();
    const std::vector<QPointer<QWidget>> held = std::move(pace.held);
    pace.held.clear();
    for (const QPointer<QWidget>& window : held) {
        if (window.isNull()) continue;
        QEvent request(QEvent::UpdateRequest);
        QCoreApplication::sendEvent(window.data(), &request);
    }
}

}  // namespace

void PaceRepaints() {
    Pace& pace = State();
    if (!pace.sinceLetThrough.isValid() || pace.sinceLetThrough.hasExpired(kRepaintIntervalMs)) {
        pace.sinceLetThrough.start();
        if (!pace.held.empty()) HandBack();
        return;
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible()) continue;
        QCoreApplication::removePostedEvents(window, QEvent::UpdateRequest);
        bool known = false;
        for (const QPointer<QWidget>& held : pace.held) known = known || held.data() == window;
        if (!known) pace.held.emplace_back(window);
    }
    if (!pace.handBackArmed && !pace.held.empty()) {
        pace.handBackArmed = true;
        const auto wait = kRepaintIntervalMs - pace.sinceLetThrough.elapsed();
        QTimer::singleShot(static_cast<int>(std::max<qint64>(wait, 0)), QCoreApplication::instance(), HandBack);
    }
}

}  // namespace forms
