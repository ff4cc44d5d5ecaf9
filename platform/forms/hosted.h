// A control of a component library hosted in a window.
//
// The window creates it from its CreateControls (Window::AddHosted) by class id or ProgID, with
// the saved properties of its layout and its place in twips; the window's control container
// (ctl::ControlContainer over the window's widget) gives it its site, ambients and extender.
// As a Control it has a place in the window's TabIndex order, GotFocus/LostFocus, Move and
// Visible, and its keys pass the window's key preview first, like the intrinsic controls.
//
// Its own members are reached through its dispatch interface, by DISPID or by name; a failed
// call raises win::RuntimeError with the runtime number of the failure (438 for a member the
// control does not have, the control's own number and text for an error it raises).
//
// Its events reach the handlers the window registers with On(), by DISPID or by name, each run
// through the window's dispatch. The arguments are the control's own: a by-reference argument
// (the key code of KeyDown, KeyAscii of KeyPress) is written with AssignThroughRef and the
// control reads the new value back when the handler returns. The control's keys are its own
// KeyDown/KeyPress/KeyUp events; the Control members KeyDown and KeyUp see the same keys
// first, as the window's routing does for every control.
//
// The control's mnemonics (its control information) are the window's access keys while it is
// shown and enabled: Alt+key gives the focus to the control after it in tab order when the
// control acts as a label, else tells the control and gives it the focus. They are asked again
// whenever the control says they changed (a label's new caption).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/com/propexchange.h"
#include "platform/com/typelib.h"
#include "platform/com/variant.h"
#include "platform/forms/controls.h"
#include "platform/forms/guarded.h"

class QShortcut;

namespace ctl {
class ControlSite;
}  // namespace ctl

namespace forms {

class HostedControl : public Control {
public:
    using EventHandler = std::function<void(std::span<com::Variant> args)>;

    // Takes over `site`, which the window's container made; the control leaves the container
    // (and its window is destroyed) with this object.
    HostedControl(Window& window, ctl::ControlSite& site);
    ~HostedControl() override;

    ctl::ControlSite& Site() const { return site_; }
    // The control's dispatch interface (its own properties and methods).
    com::IDispatch* Object() const;

    // The DISPID of a member; raises 438 when the control has none of that name.
    com::DispId IdOf(std::string_view member) const;
    com::Variant Get(com::DispId id) const;
    com::Variant Get(std::string_view member) const { return Get(IdOf(member)); }
    void Set(com::DispId id, com::Variant value);
    void Set(std::string_view member, com::Variant value) { Set(IdOf(member), std::move(value)); }
    com::Variant Call(com::DispId id, std::vector<com::Variant> args = {});
    com::Variant Call(std::string_view member, std::vector<com::Variant> args = {}) {
        return Call(IdOf(member), std::move(args));
    }

    // Saves the control's properties into `bag` (for the window's layout).
    void SaveProperties(com::PropertyBag& bag) const;

    // Registers (or, with an empty handler, removes) the handler of one event. A name is looked
    // up, case-insensitively, among those given with NameEvent, then in the control's own event
    // interface as its type library describes it (each control numbers its events its own way:
    // the time field's Change is not the text field's), then among the stock events (Click,
    // DblClick, KeyDown, KeyPress, KeyUp, MouseDown, MouseMove, MouseUp); any other raises 438.
    void On(com::DispId event, EventHandler handler);
    void On(std::string_view event, EventHandler handler);
    // Gives an event a name for On() that the control's type library does not give it.
    void NameEvent(std::string_view name, com::DispId event);
    com::DispId EventIdOf(std::string_view name) const;

    // Delivers an event of the control to its handler (called by the window's container).
    void RaiseEvent(com::DispId event, std::span<com::Variant> args);
    // Takes the control's mnemonics again (called by the window's container).
    void RefreshMnemonics();

private:
    std::optional<com::DispId> OwnEventId(std::string_view name) const;
    void OnMnemonic(std::size_t index);

    ctl::ControlSite& site_;
    // The control's event interface from its type library, read on the first look-up by name.
    mutable bool eventsRead_ = false;
    mutable std::shared_ptr<const com::TypeLib> eventLibrary_;
    mutable const com::TypeInfoData* events_ = nullptr;
    std::vector<Guarded<QShortcut>> mnemonics_;
    std::map<com::DispId, EventHandler> handlers_;
    std::vector<std::pair<std::string, com::DispId>> eventNames_;
};

// The text of a library control's default member (Text of an edit, Caption of a label): set to
// `text` (or to a number, which the control shows as its text), nothing when the control is
// missing (its class was not registered); read as text, empty when missing.
void SetHostedText(HostedControl* control, const std::string& text);
void SetHostedNumber(HostedControl* control, double number);
std::string HostedText(const HostedControl* control);

}  // namespace forms
