// The program's process entry: the window system, the hooks through which each subsystem reaches
// another's window, then the program's own Main, then the event loop while a window is loaded.
#include "platform/controls/report/page_buffers.h"
#include "platform/forms/app.h"
#include "report/consolidation/consolidacao.h"
#include "report/core/hooks.h"
#include "report/core/startup.h"
#include "report/login/acesso.h"
#include "report/upgrade/upgrade.h"
#include "report/reports/inicio.h"

int main(int argc, char** argv) {
    // First, before any thread: printing and PDF files reuse their page buffers (page_buffers.h).
    controls::report::KeepPageBuffersInTheHeap();
    forms::WindowSystem windowSystem(argc, argv);
    report::upgrade::InstallUpgrade();
    report::reports::InstallReports();
    report::consolidation::InstallConsolidation();
    report::Hooks& hooks = report::ProgramHooks();
    hooks.showLogin = [] { report::login::AcessoWindow().Show(); };
    hooks.runUpgrade = report::upgrade::AtualizarBD;
    hooks.showCatalogue = [] { report::reports::InicioWindow().Show(); };
    hooks.showConsolidation = [] { report::consolidation::ConsolidationWindow().Show(); };
    hooks.closeConsolidation = [] {
        if (report::consolidation::ConsolidationWindow().IsLoaded()) report::consolidation::ConsolidationWindow().Unload();
    };
    report::Main();
    return forms::App().Run();
}
