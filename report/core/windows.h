// The calls through which one subsystem shows another's window (over the hooks of hooks.h), and
// the report state that the catalogue window shares with the consolidation.
#pragma once

#include <string>

#include "platform/forms/value.h"
#include "report/core/hooks.h"

namespace report {

void ShowCatalogueWindow();
void ShowConsolidationWindow();
void CloseConsolidationWindow();
void RunReport();

// "S" while the chosen report must be preceded by the consolidation; the consolidation run sets it
// back to "N" before it calls RunReport.
extern std::string RelatorioConsolidado;
// The consolidation's answer. While it holds anything but Empty or "", a row change of the
// catalogue keeps the current criterion (the row change the consolidation's return causes).
extern forms::Value Resposta;

// For tests: empties the window hooks (catalogue, consolidation, its close, report run) and the shared
// report state.
void ResetWindowHooks();

}  // namespace report
