// The program's process entry: the Qt application, then the program's own Main, then the event
// loop while a window is loaded.
#include <QApplication>

#include "platform/forms/app.h"
#include "report/consolidation/consolidacao.h"
#include "report/core/startup.h"
#include "report/login/acesso.h"
#include "report/upgrade/upgrade.h"
#include "report/reports/inicio.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    report::upgrade::InstallUpgrade();
    report::login::InstallLoginWindow();
    report::reports::InstallReports();
    report::consolidation::InstallConsolidation();
    report::Main();
    return forms::App().Run();
}
