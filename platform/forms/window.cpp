#include "platform/forms/window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <optional>

#include "platform/ctl/control_site.h"
#include "platform/ctl/font_picture.h"
#include "platform/forms/app.h"
#include "platform/forms/errors.h"
#include "platform/forms/hosted.h"
#include "platform/forms/keys.h"
#include "platform/forms/services.h"
#include "platform/win/error.h"

namespace forms {

namespace {

constexpr int kAltShift = 4;

// The window's own events: the close box, activation, resizing, and keys while no control of
// the window has the focus.
class WindowEvents : public QObject {
public:
    explicit WindowEvents(Window& window) : window_(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Close:
                event->ignore();
                window_.Close();
                return true;
            case QEvent::WindowActivate:
                window_.RouteActivate();
                return false;
            case QEvent::Resize:
                window_.RouteResize();
                return false;
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
                return RouteOwnKey(watched, static_cast<QKeyEvent*>(event));
            default:
                return false;
        }
    }

private:
    bool RouteOwnKey(QObject* watched, QKeyEvent* event) {
        // A key a control let through reaches the window too; only keys aimed at the window
        // itself go to its handlers here (controls route theirs through the preview).
        QWidget* focus = QApplication::focusWidget();
        if (window_.TakeControlKey(event) || (focus && focus != watched)) return false;
        int code = KeyCodeOf(event->key(), event->modifiers().toInt());
        if (code == 0) return false;
        window_.RouteKey(event->type() == QEvent::KeyPress, code, ShiftStateOf(event->modifiers().toInt()), nullptr);
        return code == 0;
    }

    Window& window_;
};

}  // namespace

// What exists while the window is loaded. Controls go first, last-created first, so children
// are released before their containers (a library control leaves the library controls'
// container as it goes); then that container, then the window's widget with whatever Qt still
// owns.
struct Window::Loaded {
    std::unique_ptr<QWidget> root;
    std::unique_ptr<WindowEvents> events;
    std::unique_ptr<ctl::ControlContainer> hosts;
    std::vector<std::unique_ptr<Control>> controls;
    bool unloading = false;

    ~Loaded() {
        while (!controls.empty()) controls.pop_back();
        if (root && events) root->removeEventFilter(events.get());
    }
};

Window::Window(std::string name) : name_(std::move(name)), caption_(name_) {}

Window::~Window() {
    if (loaded_) {
        App().WindowUnloaded(this);
        loaded_.reset();
    }
}

void Window::Load() {
    // After End nothing loads: the code that asked for the end may still be returning.
    if (loaded_ || App().EndRequested()) return;
    loaded_ = std::make_unique<Loaded>();
    loaded_->root = std::make_unique<QWidget>();
    loaded_->root->setWindowTitle(QString::fromStdString(caption_));
    // The layouts are in twips measured with this font; every control inherits it.
    loaded_->root->setFont(ctl::DefaultQFont());
    loaded_->events = std::make_unique<WindowEvents>(*this);
    loaded_->root->installEventFilter(loaded_->events.get());
    App().WindowLoaded(this);
    CreateControls();
    ApplyTabOrder();
    Dispatch([this] { Form_Load(); });
}

void Window::Show() {
    Load();
    if (!loaded_) return;   // the load unloaded the window
    QWidget* root = loaded_->root.get();
    root->show();
    if (QGuiApplication::platformName() != "offscreen") root->raise();
    root->activateWindow();
}

void Window::Hide() {
    if (loaded_) loaded_->root->hide();
}

bool Window::Unload() { return UnloadWithMode(unload::Code); }

bool Window::Close() { return UnloadWithMode(unload::ControlMenu); }

bool Window::UnloadWithMode(int mode) {
    if (!loaded_ || loaded_->unloading) return true;
    loaded_->unloading = true;
    int cancel = 0;
    Dispatch([&] { Form_QueryUnload(cancel, mode); });
    if (loaded_ && cancel == 0) Dispatch([&] { Form_Unload(cancel); });
    if (!loaded_) return true;
    loaded_->unloading = false;
    if (cancel != 0) return false;
    Discard();
    return true;
}

void Window::Discard() {
    // A key still on its way up to the widget that goes ends with it: the record would match a
    // later key of the next load built where this one was.
    controlKey_.reset();
    const bool wasActive = loaded_->root->isActiveWindow() || QApplication::activeWindow() == nullptr;
    loaded_->root->hide();
    std::shared_ptr<Loaded> remains(std::move(loaded_));
    App().WindowUnloaded(this);
    App().Bury(std::move(remains));
    // The window that goes passes activation to the program's window shown before it, which
    // hears its Form_Activate (as a window returning from a modeless helper expects).
    if (wasActive && !App().EndRequested()) {
        if (Window* next = App().ActiveWindow(); next && next->Widget()) next->Widget()->activateWindow();
    }
}

void Window::PostClose() {
    if (!loaded_) return;
    QPointer<QWidget> root = loaded_->root.get();
    QMetaObject::invokeMethod(
        qApp,
        [this, root] {
            if (root && loaded_ && loaded_->root.get() == root) Close();
        },
        Qt::QueuedConnection);
}

void Window::Drop() {
    if (loaded_) Discard();
}

void SendCloseKeys(bool wait) {
    if (Window* active = App().ActiveWindow()) active->PostClose();
    if (wait) DoEvents();
}

std::string Window::Caption() const { return caption_; }

void Window::SetCaption(const std::string& caption) {
    caption_ = caption;
    if (loaded_) loaded_->root->setWindowTitle(QString::fromStdString(caption));
}

bool Window::Visible() const { return loaded_ && loaded_->root->isVisible(); }

void Window::SetSize(int widthTwips, int heightTwips) {
    if (loaded_) loaded_->root->resize(widthTwips / kTwipsPerPixel, heightTwips / kTwipsPerPixel);
}

QWidget* Window::Widget() const { return loaded_ ? loaded_->root.get() : nullptr; }

bool Window::Enabled() const { return Widget() != nullptr && Widget()->isEnabled(); }

void Window::SetEnabled(bool enabled) {
    if (QWidget* widget = Widget()) widget->setEnabled(enabled);
}

void Window::AddControl(std::unique_ptr<Control> control) {
    if (!loaded_) win::Raise(win::err::InvalidProcedureCall, name_);
    control->SetTabIndex(static_cast<int>(loaded_->controls.size()));
    loaded_->controls.push_back(std::move(control));
}

ctl::ControlContainer& Window::HostContainer() {
    if (!loaded_) win::Raise(win::err::InvalidProcedureCall, name_);
    if (!loaded_->hosts) {
        loaded_->hosts = std::make_unique<ctl::ControlContainer>(loaded_->root.get());
        loaded_->hosts->SetEventHandler([this](ctl::ControlSite& site, com::DispId id, std::span<com::Variant> args) {
            RouteHostedEvent(site, id, args);
        });
        loaded_->hosts->SetControlInfoHandler([this](ctl::ControlSite& site) {
            for (Control* control : Controls()) {
                auto* hosted = dynamic_cast<HostedControl*>(control);
                if (hosted && &hosted->Site() == &site) hosted->RefreshMnemonics();
            }
        });
    }
    return *loaded_->hosts;
}

Control* Window::FindControl(const std::string& name) const {
    if (!loaded_) return nullptr;
    for (const auto& control : loaded_->controls) {
        if (control->Name() == name) return control.get();
    }
    return nullptr;
}

std::vector<Control*> Window::Controls() const {
    std::vector<Control*> controls;
    if (loaded_) {
        for (const auto& control : loaded_->controls) controls.push_back(control.get());
    }
    return controls;
}

void Window::ApplyTabOrder() {
    std::vector<Control*> ordered = Controls();
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const Control* a, const Control* b) { return a->TabIndex() < b->TabIndex(); });
    // The library controls' container keeps their order too (their extender's TabIndex).
    int hostedIndex = 0;
    for (Control* control : ordered) {
        if (auto* hosted = dynamic_cast<HostedControl*>(control)) {
            hosted->Site().Container().MoveInTabOrder(&hosted->Site(), hostedIndex++);
        }
    }
    QWidget* previous = nullptr;
    for (Control* control : ordered) {
        QWidget* widget = control->Widget();
        if (!widget || widget->focusPolicy() == Qt::NoFocus) continue;
        if (previous) QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

namespace {

// Counts a handler as running for as long as it is on the stack, however it leaves it.
class HandlerScope {
public:
    HandlerScope() { App().EnterHandler(); }
    ~HandlerScope() { App().LeaveHandler(); }
    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;
};

// No trap took the error: the runtime reports it and the program ends.
void ReportUntrapped(const win::RuntimeError& error) {
    MsgBox("Run-time error '" + std::to_string(error.Number()) + "':\n\n" + error.Description(), mb::Critical);
    App().End();
}

std::optional<Window::KeyStamp> StampOf(const QEvent* event) {
    if (!event || (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)) return std::nullopt;
    const auto* key = static_cast<const QKeyEvent*>(event);
    return Window::KeyStamp{static_cast<int>(key->type()), key->key(), static_cast<int>(key->modifiers().toInt()),
                            key->timestamp(), key->isAutoRepeat(), key->nativeScanCode()};
}

}  // namespace

void Window::Dispatch(const std::function<void()>& handler) {
    if (App().EndRequested()) return;   // events still queued when the program ends run nothing
    const HandlerScope running;
    // Nothing leaves a handler towards the event loop: an exception that is not a runtime error
    // is a fault of the program, reported as the runtime's internal error.
    try {
        handler();
    } catch (const win::RuntimeError& error) {
        ReportUntrapped(error);
    } catch (const std::exception& error) {
        ReportUntrapped(InternalError(error.what()));
    } catch (...) {
        ReportUntrapped(InternalError({}));
    }
}

std::optional<Window::RoutedKey> Window::RecordOf(const QEvent* event, QWidget* at) {
    const std::optional<KeyStamp> stamp = StampOf(event);
    if (!stamp) return std::nullopt;
    return RoutedKey{*stamp, event, at};
}

void Window::RouteKey(bool down, int& keyCode, int shift, Control* target, const QEvent* event) {
    if (!loaded_) return;
    const std::optional<RoutedKey> routed = target ? RecordOf(event, target->Widget()) : std::nullopt;
    if (routed) controlKey_ = routed;
    if (keyPreview_ || target == nullptr) {
        Dispatch([&] { down ? Form_KeyDown(keyCode, shift) : Form_KeyUp(keyCode, shift); });
    }
    if (target != nullptr && keyCode != 0 && loaded_) {
        auto& own = down ? target->KeyDown : target->KeyUp;
        if (own) {
            const auto handler = own;
            Dispatch([&] { handler(keyCode, shift); });
        }
    }
    // A handler that yielded may have routed other keys meanwhile; this one still has its way up
    // to go.
    if (routed) controlKey_ = routed;
    // Alt+F4 closes the window, as the window system's own key for it does, unless a handler kept
    // the key.
    if (down && keyCode == key::F4 && shift == kAltShift) PostClose();
}

bool Window::RoutedBelow(const QEvent* event, const QWidget* widget) const {
    if (!controlKey_ || controlKey_->address != event || controlKey_->stamp != StampOf(event)) return false;
    // A control widget destroyed by a handler leaves its key on the way up all the same.
    const QWidget* at = controlKey_->at.data();
    return at == nullptr || (widget != nullptr && widget != at && widget->isAncestorOf(at));
}

bool Window::TakeControlKey(const QEvent* event) {
    const bool routed = RoutedBelow(event, Widget());
    controlKey_.reset();
    return routed;
}

void Window::RouteActivate() {
    if (loaded_) Dispatch([this] { Form_Activate(); });
}

void Window::RouteResize() {
    if (loaded_) Dispatch([this] { Form_Resize(); });
}

}  // namespace forms
