// The control's links to the outside world: where report files are, and which data files it can
// open.
#include "platform/controls/report/report_printer.h"
#include "platform/win/paths.h"

#ifdef ZM_CONTROLS_WITH_DAO
#include "platform/controls/report/dao/dao_connector.h"
#endif

namespace controls::report {

ReportPrinter::Hooks ReportPrinter::DefaultHooks() {
    Hooks hooks;
    hooks.hostPath = [](const std::string& path) { return win::HostPath(path); };
#ifdef ZM_CONTROLS_WITH_DAO
    hooks.connector = std::make_shared<DaoDataConnector>();
#endif
    return hooks;
}

}  // namespace controls::report
