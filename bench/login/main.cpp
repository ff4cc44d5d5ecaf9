// login_bench: the time of a log-in into a store of the sample chain that is already current, from
// the button of the log-in window to the catalogue window's hook (the upgrade's version gate
// included), over several runs. The first log-in, which upgrades the store, is timed apart.
//
//   login_bench [RUNS]
#include <QApplication>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/admin_log_in.h"
#include "platform/forms/hosted.h"
#include "platform//controls/grid/data_grid.h"
#include "platform/forms/app.h"
#include "platform/forms/datacontrol.h"
#include "platform/forms/services.h"
#include "platform/win/module.h"
#include "platform/win/paths.h"
#include "platform/win/testing/temp_machine_root.h"
#include "report/core/connections.h"
#include "report/core/state.h"
#include "report/core/windows.h"
#include "report/login/acesso.h"
#include "report/upgrade/upgrade.h"
#include "tools/sample-chain/chain.h"

namespace {

using Clock = std::chrono::steady_clock;

// One log-in as the administrator into F:\LOJA01; the milliseconds from the button to Inicio.
double TimedLogIn(forms::ScriptedMessageBoxes& boxes, int& shown) {
    report::AbrirBD();
    report::login::Acesso window;
    window.Show();
    bench::PrepareAdministratorLogIn(window, boxes);
    const int before = shown;
    const auto start = Clock::now();
    window.BtnProcura_Click();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (shown != before + 1) throw std::runtime_error("the log-in did not reach the catalogue window");
    if (window.IsLoaded()) window.Drop();
    forms::App().CollectUnloaded();
    report::FecharBDLoja();
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    int runs = 10;
    if (argc > 1 && std::from_chars(argv[1], argv[1] + std::strlen(argv[1]), runs).ec != std::errc()) return 2;
    forms::ScriptedMessageBoxes boxes;
    forms::InstallMessageBoxes(&boxes);
    try {
        win::testing::TempMachineRoot root;
        sample_chain::Options options;
        options.root = root.Root();
        sample_chain::BuildChain(options);
        const win::Module library = win::Module::Load(win::WindowsPath(ZMTEXT_OCX_PATH));
        using Register = long (*)();
        if (!library || reinterpret_cast<Register>(library.Export("DllRegisterServer"))() != 0) return 1;
        report::SetProgramFolder("C:\\REPORT");
        forms::SetDataEngine(report::ProgramEngine());
        report::upgrade::InstallUpgrade();
        report::ProgramHooks().runUpgrade = report::upgrade::AtualizarBD;
        int shown = 0;
        report::ProgramHooks().showCatalogue = [&] { ++shown; };
        std::printf("first log-in (upgrades LOJA01): %.1f ms\n", TimedLogIn(boxes, shown));
        std::vector<double> times;
        for (int i = 0; i < runs; ++i) times.push_back(TimedLogIn(boxes, shown));
        std::sort(times.begin(), times.end());
        std::printf("log-in into the current store, %d runs: min %.1f ms, median %.1f ms, max %.1f ms\n", runs,
                    times.front(), times[times.size() / 2], times.back());
        report::ResetProgramState();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "login_bench: %s\n", error.what());
        return 1;
    }
    forms::InstallMessageBoxes(nullptr);
    return 0;
}
