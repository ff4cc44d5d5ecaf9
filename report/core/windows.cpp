#include "report/core/windows.h"

#include <utility>

namespace report {

std::string RelatorioConsolidado = "N";
forms::Value Resposta;

namespace {

WindowHook& CatalogueHook() {
    static WindowHook hook;
    return hook;
}
WindowHook& ConsolidationHook() {
    static WindowHook hook;
    return hook;
}
WindowHook& ReportRunHook() {
    static WindowHook hook;
    return hook;
}

void Call(const WindowHook& hook) {
    if (hook) hook();
}

}  // namespace

void SetCatalogueWindow(WindowHook show) { CatalogueHook() = std::move(show); }
void ShowCatalogueWindow() { Call(CatalogueHook()); }

void SetConsolidationWindow(WindowHook show) { ConsolidationHook() = std::move(show); }
void ShowConsolidationWindow() { Call(ConsolidationHook()); }

void SetReportRun(WindowHook run) { ReportRunHook() = std::move(run); }
void RunReport() {
    // A copy: the run may unload the window that installed the hook.
    const WindowHook run = ReportRunHook();
    Call(run);
}

void ResetWindowHooks() {
    CatalogueHook() = nullptr;
    ConsolidationHook() = nullptr;
    ReportRunHook() = nullptr;
    RelatorioConsolidado = std::string(1, 'N');
    Resposta = forms::Value();
}

}  // namespace report
