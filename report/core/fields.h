// The properties the program's windows give the library's edit fields they create, as the
// windows' stored layouts give them: a new field of the library shows its own name and reads
// dates in the order of the machine's settings, and the program's stores are Brazilian.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/forms/window.h"

namespace report {

// A text field that starts empty, the caret at its start.
std::vector<forms::Window::HostedProperty> EmptyTextField();
// An empty text field that shows no character typed into it.
std::vector<forms::Window::HostedProperty> PasswordField();
// A date field typed and shown day first, "dd/mm/yyyy", whatever the machine's short-date
// setting: its Text is what the runtime's date functions read day first.
std::vector<forms::Window::HostedProperty> DayFirstDateField();

}  // namespace report
