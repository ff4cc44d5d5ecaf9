#include "report/reports/report_state.h"

namespace report::reports {

std::string CodRelatorio;
std::array<std::string, kMaxTabelasRelatorio> TabelasRelatorio;
std::string TextoCriterio;
std::string NomeCriterio;
std::string RetornoCriterio = "N";

void ResetReportState() {
    CodRelatorio.clear();
    TabelasRelatorio.fill({});
    TextoCriterio.clear();
    NomeCriterio.clear();
    RetornoCriterio = std::string(1, 'N');
}

}  // namespace report::reports
