// A window's controls laid out as data: one row per control, as a form's stored description holds
// it (its name, kind, container, place, caption, whether it shows, and a library control's
// properties), and one call that creates the rows in order, intrinsic and library controls alike.
//
// The rows' order is the creation order, so the tab order (TabIndex) and the stacking of
// overlapping controls (a later control lies above an earlier one). A container precedes its
// controls; a control's place is measured from its container, which shows and hides it with
// itself, whatever its kind.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/forms/window.h"

namespace win {
class RuntimeError;
}  // namespace win

namespace forms {

class HostedControl;

// What a row creates, and where the window keeps the control it creates.
struct ControlKind {
    // An intrinsic control: created on `container` (nullptr: the window), captioned when the row
    // has a caption. Null for a library control.
    Control& (*make)(Window& window, std::string name, Control* container) = nullptr;
    void (*caption)(Control& control, const std::string& caption) = nullptr;
    // A library control's class id or ProgID.
    std::string_view progId;
    // Takes the created control (nullptr: a library control that could not be created).
    std::function<void(Control*)> keep;
};

// An intrinsic control of type T, kept (when asked) in `keep`.
template <class T>
ControlKind Intrinsic() {
    ControlKind kind;
    kind.make = [](Window& window, std::string name, Control* container) -> Control& {
        return window.Add<T>(std::move(name), container);
    };
    if constexpr (requires(T& control) { control.SetCaption(std::string()); }) {
        kind.caption = [](Control& control, const std::string& caption) { static_cast<T&>(control).SetCaption(caption); };
    }
    return kind;
}
template <class T>
ControlKind Intrinsic(T*& keep) {
    ControlKind kind = Intrinsic<T>();
    kind.keep = [&keep](Control* control) { keep = static_cast<T*>(control); };
    return kind;
}
// A library control of class id or ProgID `progId`, kept (when asked) in `keep`.
ControlKind Library(std::string_view progId);
ControlKind Library(std::string_view progId, HostedControl*& keep);

// One control of a window's layout.
struct ControlSpec {
    std::string_view name;
    ControlKind kind;
    std::string_view container;   // a row above, by name; empty: the window itself
    // Twips from the container's top-left corner. A row without a size keeps the control's own
    // place (a control the window never shows).
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    // The caption (a library control's default member: a label's Caption, an edit's Text); none
    // keeps the control's own. A caption given to a control without one raises 438.
    const char* caption = nullptr;
    bool visible = true;
    // A library control's properties, given in order once it is created (438 on an intrinsic
    // control).
    std::vector<Window::HostedProperty> properties = {};
};

// What a window does with a library control that cannot be created (its class not registered, a
// property it lacks): the row's control is then missing (kept as nullptr) and the creation goes
// on with the next row. Without it the failure's runtime error propagates.
using MissingControl = std::function<void(const win::RuntimeError& error, const ControlSpec& row)>;

// Creates the rows of `layout` on `window`, in order. A container named but not created above
// raises 5.
void CreateFromTable(Window& window, std::span<const ControlSpec> layout, const MissingControl& missing = {});

}  // namespace forms
