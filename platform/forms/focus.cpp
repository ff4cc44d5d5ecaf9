#include "platform/forms/focus.h"

#include "platform/forms/controls.h"
#include "platform/forms/hosted.h"

namespace forms {

namespace {

void SetBack(Control& control, std::uint32_t color) {
    if (auto* hosted = dynamic_cast<HostedControl*>(&control)) {
        hosted->Set("BackColor", com::Variant::I4(static_cast<std::int32_t>(color)));
    } else {
        control.SetBackColor(color);
    }
}

}  // namespace

void HighlightEditOnFocus(Control& edit) {
    edit.GotFocus = [&edit] { SetBack(edit, focus::EditFocused); };
    edit.LostFocus = [&edit] { SetBack(edit, focus::EditPlain); };
}

void HighlightButtonOnFocus(Control& button) {
    button.GotFocus = [&button] { button.SetForeColor(focus::ButtonFocused); };
    button.LostFocus = [&button] { button.SetForeColor(focus::ButtonPlain); };
}

}  // namespace forms
