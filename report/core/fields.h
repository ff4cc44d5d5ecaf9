// How the program's windows create the edit library's controls, and the properties they give the
// fields they create, as the windows' stored layouts give them: a new field of the library shows
// its own name and reads dates in the order of the machine's settings, and the program's stores
// are Brazilian.
//
// One policy for a control that cannot be created (its class not registered, a property it
// lacks): the failure is reported once through the error routine, under the window's name and
// "Form_Load <control>", and the window goes on without that control (a null member, which the
// window's code skips).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/forms/layout.h"
#include "platform/forms/window.h"

namespace report {

// The edit library's controls, by their ProgIDs.
namespace library {
inline constexpr const char* TextEdit = "ZMTEXT.ZMTextCtrl.1";
inline constexpr const char* DateEdit = "ZMTEXT.ZMDateCtrl.1";
inline constexpr const char* TimeEdit = "ZMTEXT.ZMTimeCtrl.1";
inline constexpr const char* Label = "ZMTEXT.ZMLabelCtrl.1";
}  // namespace library

// What a window does with a library control of its layout that cannot be created: reports the
// failure under `tela` and "Form_Load <control>", and goes on without the control.
forms::MissingControl ReportMissingControl(const char* tela);

// A text field that starts empty, the caret at its start.
std::vector<forms::Window::HostedProperty> EmptyTextField();
// An empty text field that shows no character typed into it.
std::vector<forms::Window::HostedProperty> PasswordField();
// A date field typed and shown day first, "dd/mm/yyyy", whatever the machine's short-date
// setting: its Text is what the runtime's date functions read day first.
std::vector<forms::Window::HostedProperty> DayFirstDateField();

}  // namespace report
