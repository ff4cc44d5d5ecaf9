// The host side of controls: a container that creates controls by class id inside a parent
// widget, gives each a client site (ambient properties, an extender, the container of its
// siblings), loads its saved properties from a bag and receives its events.
//
// The forms layer builds its windows' control arrays on this. Per control the container keeps:
//   - a site with the ambients UserMode, DisplayName (the control's name), BackColor, ForeColor
//     and Font, which the container sets for all its controls;
//   - an extender with Name, TabIndex (the container keeps tab indexes 0..n-1 without gaps:
//     setting one moves the control in the tab order and renumbers the others), Visible, Left,
//     Top, Width, Height and the method SetFocus (error 5, "Invalid procedure call", when the
//     control cannot take the focus: no window, disabled or hidden);
//   - an event sink on the control's event interface and a property-notification sink, both
//     reporting to the container's handlers. Event arguments are handed over as they came, so a
//     handler can write through a by-reference argument (a key code) before the control reads it
//     back.
//   - the control's mnemonics (its control information), asked again when the control says they
//     changed, for the window to route its access keys.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ctl/font_picture.h"
#include "platform/ctl/interfaces.h"

namespace ctl {

class ControlContainer;
class SiteObject;
class ExtenderObject;
class EventSinkObject;

class ControlSite {
public:
    ControlSite(ControlContainer& container, std::string name, ComPtr<IControl> control);
    ~ControlSite();
    ControlSite(const ControlSite&) = delete;
    ControlSite& operator=(const ControlSite&) = delete;

    const std::string& Name() const { return name_; }
    ControlContainer& Container() const { return container_; }
    IControl* Control() const { return control_.Get(); }
    // The control's own dispatch interface (its properties and methods).
    com::IDispatch* Dispatch() const { return dispatch_.Get(); }
    ComPtr<com::IDispatch> Extender() const;
    IClientSite* Site() const;
    QWidget* Widget() const { return control_ ? control_->ControlWindowWidget() : nullptr; }
    // The control's event interface, which the site listens to.
    const Guid& EventInterface() const { return eventIid_; }

    int TabIndex() const;
    void SetTabIndex(int index);
    // Gives the control the focus; false when it cannot take it.
    bool SetFocus();
    // The control's keyboard mnemonics, as it reports them now (none when it reports none).
    std::vector<Accelerator> Mnemonics() const;
    bool ActsLikeLabel() const;

private:
    friend class ControlContainer;
    HResult Connect();
    void Disconnect();

    ControlContainer& container_;
    std::string name_;
    ComPtr<IControl> control_;
    ComPtr<com::IDispatch> dispatch_;
    ComPtr<SiteObject> site_;
    ComPtr<ExtenderObject> extender_;
    ComPtr<EventSinkObject> sink_;
    Guid eventIid_;
    std::uint32_t eventCookie_ = 0;
    std::uint32_t notifyCookie_ = 0;
};

class ControlContainer {
public:
    struct Ambients {
        bool userMode = true;
        std::uint32_t backColor = 0x8000000Fu;   // button face
        std::uint32_t foreColor = 0x80000012u;   // button text
        com::FontDesc font = DefaultFontDesc();
    };

    using EventHandler = std::function<void(ControlSite& site, DispId id, std::span<Variant> args)>;
    using ChangeHandler = std::function<void(ControlSite& site, DispId id)>;
    using FocusHandler = std::function<void(ControlSite& site, bool gotFocus)>;
    using ControlInfoHandler = std::function<void(ControlSite& site)>;

    explicit ControlContainer(QWidget* parent);
    ~ControlContainer();
    ControlContainer(const ControlContainer&) = delete;
    ControlContainer& operator=(const ControlContainer&) = delete;

    QWidget* Parent() const { return parent_; }
    const Ambients& GetAmbients() const { return ambients_; }
    // Changes the ambients and tells every control which ones changed.
    void SetAmbients(const Ambients& ambients);

    void SetEventHandler(EventHandler h) { onEvent_ = std::move(h); }
    void SetChangeHandler(ChangeHandler h) { onChange_ = std::move(h); }
    void SetFocusHandler(FocusHandler h) { onFocus_ = std::move(h); }
    // Called when a control says its mnemonics changed.
    void SetControlInfoHandler(ControlInfoHandler h) { onControlInfo_ = std::move(h); }

    // Creates the control of a class id or ProgID, loads `saved` (or resets it to its defaults
    // when null), and creates its window at `rect`, in `in` (a widget inside the container's
    // parent, such as a panel, `rect` then measured from it) or, when null, in the parent. The
    // status of the step that failed, with nothing left behind.
    HResult CreateControl(std::string_view progIdOrClsid, std::string name, const Rect& rect,
                          const com::PropertyBag* saved, ControlSite** out, QWidget* in = nullptr);
    // The same for a control object made otherwise.
    HResult AddControl(ComPtr<IControl> control, std::string name, const Rect& rect,
                       const com::PropertyBag* saved, ControlSite** out, QWidget* in = nullptr);
    // Saves a control's properties (clearing its modified flag).
    HResult SaveControl(const ControlSite& site, com::PropertyBag* bag) const;
    void RemoveControl(ControlSite* site);

    ControlSite* Find(std::string_view name) const;
    std::size_t Count() const { return sites_.size(); }
    ControlSite& At(std::size_t i) const { return *sites_.at(i); }
    // The controls in tab order.
    const std::vector<ControlSite*>& TabOrder() const { return tabOrder_; }

    // Called by the sites' component objects.
    void RaiseEvent(ControlSite& site, DispId id, std::span<Variant> args);
    void RaiseChange(ControlSite& site, DispId id);
    void RaiseFocus(ControlSite& site, bool got);
    void RaiseControlInfoChanged(ControlSite& site);
    HResult AmbientOf(const ControlSite& site, DispId id, Variant* out) const;
    std::vector<ComPtr<com::IUnknown>> Objects() const;
    void MoveInTabOrder(ControlSite* site, int index);

private:
    QWidget* parent_;
    Ambients ambients_;
    ComPtr<FontObject> ambientFont_;
    std::vector<std::unique_ptr<ControlSite>> sites_;
    std::vector<ControlSite*> tabOrder_;
    EventHandler onEvent_;
    ChangeHandler onChange_;
    FocusHandler onFocus_;
    ControlInfoHandler onControlInfo_;
};

}  // namespace ctl
