// The report state the catalogue window shares with the query builder (this folder) and, through
// report/core/windows.h, with the consolidation.
//
// Flags are the strings "S" and "N". Everything lives on the user-interface thread.
#pragma once

#include <array>
#include <string>

namespace report::reports {

// The most tables or queries the query builder offers for one report.
inline constexpr std::size_t kMaxTabelasRelatorio = 11;

extern std::string CodRelatorio;      // the report the query builder was opened for
extern std::array<std::string, kMaxTabelasRelatorio> TabelasRelatorio;
extern std::string TextoCriterio;     // "" or " Where " + condition
extern std::string NomeCriterio;      // the saved criterion's name, "" for a new one
extern std::string RetornoCriterio;   // "S": the builder handed back a criterion to run

// For tests: empties the shared report state.
void ResetReportState();

}  // namespace report::reports
