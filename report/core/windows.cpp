#include "report/core/windows.h"

#include <functional>

namespace report {

std::string RelatorioConsolidado = "N";
forms::Value Resposta;

Hooks& ProgramHooks() {
    static Hooks hooks;
    return hooks;
}

namespace {

void Call(const std::function<void()>& hook) {
    if (hook) hook();
}

}  // namespace

void ShowCatalogueWindow() { Call(ProgramHooks().showCatalogue); }

void ShowConsolidationWindow() { Call(ProgramHooks().showConsolidation); }

void CloseConsolidationWindow() { Call(ProgramHooks().closeConsolidation); }

void RunReport() {
    // A copy: the run may unload the window that filled the hook.
    const std::function<void()> run = ProgramHooks().runReport;
    Call(run);
}

void ResetWindowHooks() {
    Hooks& hooks = ProgramHooks();
    hooks.showCatalogue = nullptr;
    hooks.showConsolidation = nullptr;
    hooks.closeConsolidation = nullptr;
    hooks.runReport = nullptr;
    RelatorioConsolidado = std::string(1, 'N');
    Resposta = forms::Value();
}

}  // namespace report
