// How one subsystem's window reaches another's without linking it, and the report state that the
// catalogue window shares with the consolidation.
//
// Each hook is filled by the subsystem that owns the window (from main.cpp, or by a test) and
// called by the subsystem that shows it:
//   catalogue window  filled by the report subsystem; shown by the log-in after a log-in
//   consolidation     filled by the consolidation subsystem; shown by the catalogue's run of a
//                     consolidated report
//   report run        filled by the catalogue window while it is loaded; called by the
//                     consolidation when it ends or is declined, to print from BACKUP.MDB
// An empty hook does nothing when called; an empty function uninstalls.
#pragma once

#include <functional>
#include <string>

#include "platform/forms/value.h"

namespace report {

using WindowHook = std::function<void()>;

void SetCatalogueWindow(WindowHook show);
void ShowCatalogueWindow();

void SetConsolidationWindow(WindowHook show);
void ShowConsolidationWindow();

void SetReportRun(WindowHook run);
void RunReport();

// "S" while the chosen report must be preceded by the consolidation; the consolidation run sets it
// back to "N" before it calls RunReport.
extern std::string RelatorioConsolidado;
// The consolidation's answer. While it holds anything but Empty or "", a row change of the
// catalogue keeps the current criterion (the row change the consolidation's return causes).
extern forms::Value Resposta;

// For tests: empties the hooks and the shared report state.
void ResetWindowHooks();

}  // namespace report
