// The base of the program's windows.
//
// A Window object lives as long as the program; it is loaded (its widget and controls exist) or
// not. Transitions:
//   unloaded --Load()/Show()--> loaded: CreateControls(), then Form_Load
//   loaded --Show()--> visible (modeless, no owner; Form_Activate when it becomes active)
//   loaded --Hide()--> hidden, still loaded
//   loaded --Unload()/Close()--> Form_QueryUnload, Form_Unload (either may cancel) --> unloaded
// A window that unloads itself inside Form_Load is not shown, and Show() returns quietly.
// An unloaded window's widget and controls are destroyed only when no handler runs
// (Application::CollectUnloaded), never under a handler still on the stack.
//
// Key preview: with KeyPreview on, a key goes to Form_KeyDown/Form_KeyUp before the focused
// control's KeyDown/KeyUp; a window handler that sets the key code to 0 keeps it from the control.
#pragma once

#include <functional>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/forms/controls.h"
#include "platform/forms/guarded.h"

class QEvent;
class QWidget;

namespace com {
class PropertyBag;
}  // namespace com

namespace ctl {
class ControlContainer;
class ControlSite;
}  // namespace ctl

namespace forms {

class HostedControl;

// Why a window is closing (the QueryUnload mode).
namespace unload {
inline constexpr int ControlMenu = 0;   // the close box or Alt+F4
inline constexpr int Code = 1;          // an Unload statement
}  // namespace unload

class Window {
public:
    explicit Window(std::string name);
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    const std::string& Name() const { return name_; }
    bool IsLoaded() const { return loaded_ != nullptr; }

    void Load();
    void Show();
    void Hide();
    // Unload statement; false when a handler cancelled.
    bool Unload();
    // The close box: QueryUnload with mode ControlMenu, then Unload.
    bool Close();
    // The keys of a window close (Alt+F4): the window closes when the events next run.
    void PostClose();
    // For the application's End: drops the window without running its handlers.
    void Drop();

    std::string Caption() const;
    void SetCaption(const std::string& caption);
    bool Visible() const;
    // Enabled: a disabled window takes no keys or clicks; false while it is not loaded.
    bool Enabled() const;
    void SetEnabled(bool enabled);
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool on) { keyPreview_ = on; }
    void SetSize(int widthTwips, int heightTwips);

    // The window's widget while loaded, else nullptr.
    QWidget* Widget() const;

    // Creates a control of type T named `name`, on `container` or on the window itself.
    template <class T>
    T& Add(std::string name, Control* container = nullptr) {
        auto control = std::make_unique<T>(*this, std::move(name), container ? container->Widget() : Widget());
        T& result = *control;
        AddControl(std::move(control));
        return result;
    }
    // A property the window gives a library control it creates: set before the control is
    // shown or heard, as the window's stored layout gives it to the control.
    struct HostedProperty {
        std::string_view name;
        com::Variant value;
    };
    // Creates a control of a component library by class id or ProgID, named `name`, with its
    // saved properties (its defaults when `saved` is null) at a place in twips, on `container`
    // (its place measured from the container, which shows and hides it with itself) or on the
    // window itself, then gives it `properties` in order. A new control's defaults are the
    // library's (a text field shows its own name), so a window gives a field it creates at run
    // time the values a user expects of it. Raises the runtime error of the failure (429 for a
    // class that is not registered, 438 for a property the control lacks), leaving no control
    // behind.
    HostedControl& AddHosted(std::string_view classIdOrProgId, std::string name, const com::PropertyBag* saved,
                             int left, int top, int width, int height,
                             const std::vector<HostedProperty>& properties = {}, Control* container = nullptr);
    // The container of the window's library controls, over its widget; raises 5 when the
    // window is not loaded.
    ctl::ControlContainer& HostContainer();
    Control* FindControl(const std::string& name) const;
    std::vector<Control*> Controls() const;
    // Orders the focus chain by TabIndex.
    void ApplyTabOrder();

    // Runs one handler of this window: counts the handler depth while it runs (however it
    // leaves) and turns an untrapped error into the runtime's error box followed by the end of
    // the program. No exception leaves it: one that is not a runtime error is shown as the
    // runtime's error 51.
    void Dispatch(const std::function<void()>& handler);

    // Routing of the window's own events and of key preview (called by the widget filters).
    // `event` is the widget's key event. A key reaches the window's preview and handlers once,
    // however deep the control that has the focus lies: a key the focused control lets through
    // travels up through its container controls to the window's widget, and none of them routes
    // it again. Nothing is routed while the window is not loaded.
    void RouteKey(bool down, int& keyCode, int shift, Control* target, const QEvent* event = nullptr);
    // True when `event`, seen at `widget`, is the key a control inside `widget` routed last, on
    // its way up to the window.
    bool RoutedBelow(const QEvent* event, const QWidget* widget) const;
    // The same question asked at the window's own widget, where the key's way ends: the record
    // is used up by the question, so it never matches a later key.
    bool TakeControlKey(const QEvent* event);
    void RouteActivate();
    void RouteResize();

    // What identifies a key event while it travels from a control to its window, beside its
    // address: a later event may be built where an earlier one was.
    struct KeyStamp {
        int type = 0;
        int key = 0;
        int modifiers = 0;
        std::uint64_t time = 0;
        bool autoRepeat = false;
        std::uint32_t scanCode = 0;
        friend bool operator==(const KeyStamp&, const KeyStamp&) = default;
    };

protected:
    virtual void CreateControls() {}
    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_Resize() {}
    virtual void Form_KeyDown(int& /*keyCode*/, int /*shift*/) {}
    virtual void Form_KeyUp(int& /*keyCode*/, int /*shift*/) {}
    virtual void Form_QueryUnload(int& /*cancel*/, int /*mode*/) {}
    virtual void Form_Unload(int& /*cancel*/) {}

private:
    struct Loaded;
    // The key a control routed last: the event (its content and its address, the same object all
    // along its way up) and the control's widget it was routed at.
    struct RoutedKey {
        KeyStamp stamp;
        const void* address = nullptr;
        Guarded<QWidget> at;
    };
    static std::optional<RoutedKey> RecordOf(const QEvent* event, QWidget* at);
    void AddControl(std::unique_ptr<Control> control);
    void RouteHostedEvent(ctl::ControlSite& site, com::DispId event, std::span<com::Variant> args);
    bool UnloadWithMode(int mode);
    void Discard();

    std::string name_;
    std::string caption_;
    bool keyPreview_ = false;
    std::optional<RoutedKey> controlKey_;
    std::unique_ptr<Loaded> loaded_;
};

// Sends the keys of a window close (Alt+F4) to the active window of the program; with `wait`,
// yields once so that it is processed before the caller goes on (SendKeys "%{F4}", True).
void SendCloseKeys(bool wait);

}  // namespace forms
