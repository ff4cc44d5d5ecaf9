#include "platform/forms/busy.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <algorithm>
#include <memory>
#include <vector>

#include "platform/forms/app.h"
#include "platform/forms/controls.h"
#include "platform/forms/window.h"

namespace forms {

namespace {

// The widget property that marks a control's widget as serving the long steps.
constexpr const char* kServes = "formsServesWhileBusy";

bool IsCloseKeys(const QKeyEvent& key) {
    return key.key() == Qt::Key_F4 && (key.modifiers() & ~Qt::KeypadModifier) == Qt::AltModifier;
}

// Holds back the user's input to the program's windows while a step runs (installed on the
// application, so it sees every event before the widget's own filters do).
class BusyFilter : public QObject {
public:
    std::vector<Window*> closes;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!IsInput(event->type()) || !watched->isWidgetType()) return false;
        auto* widget = static_cast<QWidget*>(watched);
        Window* window = ProgramWindowOf(widget);
        if (window == nullptr) return false;
        const bool closeKeys = event->type() == QEvent::KeyPress && IsCloseKeys(*static_cast<QKeyEvent*>(event));
        if (event->type() == QEvent::Close || closeKeys) {
            if (std::find(closes.begin(), closes.end(), window) == closes.end()) closes.push_back(window);
            event->ignore();
            return true;
        }
        return !Serves(widget, window->Widget());
    }

private:
    static bool IsInput(QEvent::Type type) {
        switch (type) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::Shortcut:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::ContextMenu:
            case QEvent::Close:
                return true;
            default:
                return false;
        }
    }

    static Window* ProgramWindowOf(QWidget* widget) {
        QWidget* top = widget->window();
        for (Window* window : App().LoadedWindows()) {
            if (window->Widget() == top) return window;
        }
        return nullptr;
    }

    static bool Serves(QWidget* widget, QWidget* root) {
        for (QWidget* at = widget; at != nullptr && at != root; at = at->parentWidget()) {
            if (at->property(kServes).toBool()) return true;
        }
        return false;
    }
};

struct BusyState {
    int depth = 0;
    std::unique_ptr<BusyFilter> filter;
};

BusyState& State() {
    static BusyState state;
    return state;
}

}  // namespace

BusyScope::BusyScope(Window& window) : window_(window) {
    BusyState& state = State();
    if (state.depth++ == 0) {
        state.filter = std::make_unique<BusyFilter>();
        qApp->installEventFilter(state.filter.get());
    }
}

BusyScope::~BusyScope() {
    BusyState& state = State();
    if (--state.depth > 0) return;
    qApp->removeEventFilter(state.filter.get());
    const std::vector<Window*> closes = std::move(state.filter->closes);
    state.filter.reset();
    const auto& loaded = App().LoadedWindows();
    for (Window* window : closes) {
        if (std::find(loaded.begin(), loaded.end(), window) != loaded.end()) window->PostClose();
    }
}

bool BusyScope::CloseAsked() const {
    const BusyState& state = State();
    return state.filter && std::find(state.filter->closes.begin(), state.filter->closes.end(), &window_) !=
                               state.filter->closes.end();
}

bool Busy() { return State().depth > 0; }

void ServeWhileBusy(Control& control) {
    if (QWidget* widget = control.Widget()) widget->setProperty(kServes, true);
}

}  // namespace forms
