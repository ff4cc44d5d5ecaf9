// The program's entry: the second-instance guard, the program-folder databases, and the log-in
// window.
//
// Main's steps, with its trap:
//   instance test --(a copy runs already)--> title "Aberto pela Segunda Vez", bring the first
//                                             copy's window forward, end (no database opened)
//                 --(first copy)--> AbrirBD --(it ended the program)--> return
//                                           --> show the log-in window, return
// Error 5 (no window to bring forward) restarts at the instance test once; a second one is
// reported and ends the program. Any other error is reported ("Geral", "Main ---->> " + the saved
// title) and Main returns; with no window loaded the program then ends by itself.
#pragma once

#include <functional>
#include <string>

namespace report {

// The instance test and the activation of the first copy's window.
class InstanceGuard {
public:
    virtual ~InstanceGuard() = default;
    virtual bool PrevInstance() = 0;
    // Brings forward the window titled `caption`; raises 5 when there is none to bring forward.
    virtual void Activate(const std::string& caption) = 0;
};

// The guard in force: the application object's, unless a test installed another (nullptr
// restores it; not owned).
InstanceGuard& InstanceGuardInForce();
void InstallInstanceGuard(InstanceGuard* guard);

// Shows the log-in window modeless, with no owner (the hook showLogin): at the end of Main and
// again at the catalogue window's close. With the hook empty Main shows nothing and the program
// ends for want of a window.
void ShowLoginWindow();

// Routes the errors the schema builders report by themselves to TrataErro.
void ConnectSchemaErrorReport();

void Main();

inline constexpr const char* kSecondInstanceTitle = "Aberto pela Segunda Vez";

}  // namespace report
