// The control's links to the outside world: where report files are, and which data files it can
// open.
#include "platform/controls/report/report_printer.h"
#include "platform/win/paths.h"

namespace controls::report {

ReportPrinter::Hooks ReportPrinter::DefaultHooks() {
    Hooks hooks;
    hooks.hostPath = [](const std::string& path) { return win::HostPath(path); };
    return hooks;
}

}  // namespace controls::report
