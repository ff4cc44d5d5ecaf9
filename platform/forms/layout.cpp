#include "platform/forms/layout.h"

#include "platform/forms/hosted.h"
#include "platform/win/error.h"

namespace forms {

namespace {

constexpr long kNoSuchMember = 438;

Control* ContainerOf(const Window& window, const ControlSpec& row) {
    if (row.container.empty()) return nullptr;
    Control* container = window.FindControl(std::string(row.container));
    if (container == nullptr) win::Raise(win::err::InvalidProcedureCall, std::string(row.name));
    return container;
}

Control& CreateIntrinsic(Window& window, const ControlSpec& row, Control* container) {
    if (!row.properties.empty()) win::Raise(kNoSuchMember, std::string(row.name));
    Control& control = row.kind.make(window, std::string(row.name), container);
    if (row.width > 0 || row.height > 0) control.Move(row.left, row.top, row.width, row.height);
    if (row.caption != nullptr) {
        if (row.kind.caption == nullptr) win::Raise(kNoSuchMember, std::string(row.name));
        row.kind.caption(control, row.caption);
    }
    return control;
}

HostedControl* CreateLibrary(Window& window, const ControlSpec& row, Control* container, const MissingControl& missing) {
    HostedControl* control = nullptr;
    try {
        control = &window.AddHosted(row.kind.progId, std::string(row.name), nullptr, row.left, row.top, row.width,
                                    row.height, row.properties, container);
    } catch (const win::RuntimeError& error) {
        if (!missing) throw;
        missing(error, row);
        return nullptr;
    }
    if (row.caption != nullptr) SetHostedText(control, row.caption);
    return control;
}

}  // namespace

ControlKind Library(std::string_view progId) {
    ControlKind kind;
    kind.progId = progId;
    return kind;
}

ControlKind Library(std::string_view progId, HostedControl*& keep) {
    ControlKind kind = Library(progId);
    kind.keep = [&keep](Control* control) { keep = static_cast<HostedControl*>(control); };
    return kind;
}

void CreateFromTable(Window& window, std::span<const ControlSpec> layout, const MissingControl& missing) {
    for (const ControlSpec& row : layout) {
        Control* container = ContainerOf(window, row);
        Control* control = row.kind.make ? &CreateIntrinsic(window, row, container)
                                         : CreateLibrary(window, row, container, missing);
        if (control != nullptr && !row.visible) control->SetVisible(false);
        if (row.kind.keep) row.kind.keep(control);
    }
}

}  // namespace forms
