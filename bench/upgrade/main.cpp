// The start-up upgrade's cost, in one run:
//
//   upgrade_bench [gate runs] [--before <an earlier build's upgrade_bench>] [--large]
//                 [--window-runs N]                   (default 200 gate runs, 3 window runs)
//
// 1. A store from the schema alone: Produto.MDB holds only UltimaVenda (one row, no Versao) and
//    the other four databases are empty, so the upgrade adds the stamp field, creates every
//    described table, field and property of the five databases, and runs the data steps. The
//    schema describes only the fields the upgrade checks, while the data steps also name the key
//    and data fields a store's tables hold from the start ([Itens TransEnt].NroTrans, Cartao.Taxa,
//    ...): on this store seven Null defaults raise 3061, AtualizaAntigo stops at its first
//    statement with its bare box, and CriarRelacao finds no fields (3264), nine boxes in all.
// 2. The gate on the store the first part left current: the median and the slowest of the runs.
// 3. The sample chain's LOJA01 as the chain builds it (older stamp, every field the program
//    names, no Format yet, a Single to widen and a text to lengthen), upgraded at its log-in: the
//    full upgrade as a store meets it, with no box and no error report.
// 4. The same store upgraded through the log-in window itself: the administrator logs in to LOJA01
//    on a shown window, so every progress line goes into the window's list and every yield runs
//    the window system's events (painting included), as the user meets it. Several runs, each on
//    a freshly built chain; wall and processor time apart (processor time tells the program's own
//    cost on a loaded machine).
// 5. With --large, the same store with benchmark volumes.
// Each figure is printed beside its goal, with the load average the run met (the figures of a
// loaded machine are several times those of a quiet one: the upgrade waits on the disk).
// With --before, the earlier build's bench runs first in the same run (a child process, its own
// temporary store) and both sets of figures are printed side by side.
// The machine root is a temporary folder; the figures go to standard output; nothing is checked.
#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/admin_log_in.h"
#include "platform/dao/dao.h"
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
#include "report/upgrade/progress.h"
#include "report/upgrade/upgrade.h"
#include "tools/sample-chain/chain.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

// The processor time of the whole process so far, in milliseconds.
double ProcessorMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

dao::Database CreateStoreFile(const std::string& path) {
    dao::Database db = report::ProgramEngine().CreateDatabase(path);
    db.NewPassword("", report::kSenhaLoja);
    return db;
}

// C:\REPORT with its Produto.MDB, and F:\LOJA01 with the five store files of an empty structure.
void BuildEmptyStore(const win::testing::TempMachineRoot& root) {
    std::filesystem::create_directories(root.DriveC() / "REPORT");
    win::MapDrive('f', root.MakeFolder("drive-f"));
    std::filesystem::create_directories(root.Root() / "drive-f" / "LOJA01");
    CreateStoreFile("C:\\REPORT\\Produto.MDB").Close();
    dao::Database produto = CreateStoreFile("F:\\LOJA01\\Produto.MDB");
    dao::TableDef table = produto.CreateTableDef("UltimaVenda");
    table.Fields().Append(table.CreateField("UltimoCodigo", dao::Value::Long(4)));
    produto.TableDefs().Append(table);
    dao::Recordset rs = produto.OpenRecordset("UltimaVenda", dao::dbOpenTable);
    rs.AddNew();
    rs("UltimoCodigo").SetValue(dao::Value::Long(1));
    rs.Update();
    rs.Close();
    produto.Close();
    for (const char* name : {"Antigo", "Backup", "Modem", "Transfer"}) {
        CreateStoreFile(std::string("F:\\LOJA01\\") + name + ".MDB").Close();
    }
}

struct Figures {
    double upgrade = -1;
    double gateMedian = -1;
    double gateSlowest = -1;
    double chain = -1;
};

// The goals: the full upgrade within kGoalQuietMs on a quiet machine and kGoalLoadedMs at a load
// average of 15; the large store within kGoalLargeMs.
constexpr double kGoalQuietMs = 500;
constexpr double kGoalLoadedMs = 1000;
constexpr double kGoalLargeMs = 3000;
// The same upgrade through the log-in window, its progress painted as it comes.
constexpr double kGoalWindowQuietMs = 400;
constexpr double kGoalWindowLoadedMs = 800;

std::string LoadAverage() {
    FILE* file = std::fopen("/proc/loadavg", "r");
    if (file == nullptr) return "unknown";
    char text[64] = {};
    const bool read = std::fgets(text, sizeof text, file) != nullptr;
    std::fclose(file);
    if (!read) return "unknown";
    std::string load(text);
    // The 1, 5 and 15 minute averages.
    for (int field = 0, at = 0; at < static_cast<int>(load.size()); ++at) {
        if (load[static_cast<std::size_t>(at)] == ' ' && ++field == 3) return load.substr(0, static_cast<std::size_t>(at));
    }
    return load;
}

// Runs an earlier build's bench and reads its two figure lines.
Figures RunBefore(const std::string& program, int gateRuns) {
    Figures figures;
    const std::string command = "'" + program + "' " + std::to_string(gateRuns) + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return figures;
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        if (const char* at = std::strstr(line, "structure: ")) figures.upgrade = std::strtod(at + 11, nullptr);
        if (const char* at = std::strstr(line, "median ")) figures.gateMedian = std::strtod(at + 7, nullptr);
        if (const char* at = std::strstr(line, "slowest ")) figures.gateSlowest = std::strtod(at + 8, nullptr);
        if (const char* at = std::strstr(line, "sample chain: upgrade ")) figures.chain = std::strtod(at + 22, nullptr);
    }
    pclose(pipe);
    return figures;
}

void PrintSideBySide(const Figures& before, const Figures& now) {
    std::printf("%-40s %12s %12s\n", "", "before", "now");
    std::printf("%-40s %12.0f %12.0f\n", "full upgrade, store from the schema (ms)", before.upgrade, now.upgrade);
    std::printf("%-40s %12.0f %12.0f\n", "full upgrade, sample chain store (ms)", before.chain, now.chain);
    std::printf("%-40s %12.3f %12.3f\n", "gate on a current store, median (ms)", before.gateMedian, now.gateMedian);
    std::printf("%-40s %12.3f %12.3f\n", "gate on a current store, slowest (ms)", before.gateSlowest, now.gateSlowest);
}

// The log-in's side of the upgrade for the store in F:\LOJA01, from construction to destruction:
// scripted boxes, a recording progress window, the upgrade installed, Produto.MDB open.
struct LogIn {
    LogIn() {
        forms::InstallMessageBoxes(&boxes);
        report::ProgramHooks().upgradeWindow = &window;
        report::SetProgramFolder("C:\\REPORT");
        report::PastaDados = "F:\\LOJA01";
        report::upgrade::InstallUpgrade();
        report::ProgramHooks().runUpgrade = report::upgrade::AtualizarBD;
        report::BancoProdutoLoja.Set(report::ProgramEngine().OpenDatabase(
            "F:\\LOJA01\\Produto.MDB", false, false, report::ConnectLoja(report::PastaDados, "\\Produto.MDB")));
    }
    ~LogIn() {
        report::upgrade::ResetUpgradeState();
        report::ResetProgramState();
        report::ProgramHooks().upgradeWindow = nullptr;
        forms::InstallMessageBoxes(nullptr);
    }
    LogIn(const LogIn&) = delete;
    LogIn& operator=(const LogIn&) = delete;

    forms::ScriptedMessageBoxes boxes;
    report::upgrade::RecordingUpgradeWindow window;
};

// LOJA01 of the sample chain (with benchmark volumes when `large`): built, then upgraded as its
// log-in does. Prints its line and answers the upgrade's milliseconds.
double UpgradeChainStore(bool large) {
    win::testing::TempMachineRoot root;
    std::filesystem::current_path(root.MakeFolder("cwd"));
    sample_chain::Options options;
    options.root = root.Root();
    options.large = large;
    sample_chain::BuildChain(options);
    const LogIn logIn;
    const auto start = Clock::now();
    report::upgrade::AtualizarBD();
    const double upgrade = Milliseconds(start);
    std::error_code ec;
    const auto reportBytes = std::filesystem::file_size("ERRO.TXT", ec);
    const std::string goal = large ? "goal " + std::to_string(static_cast<int>(kGoalLargeMs)) + " ms"
                                   : "goal " + std::to_string(static_cast<int>(kGoalQuietMs)) + " ms quiet, " +
                                         std::to_string(static_cast<int>(kGoalLoadedMs)) + " ms at load 15";
    std::printf("%s store of the sample chain: upgrade %.0f ms (%s; %zu progress lines, %zu boxes, error report %s)\n",
                large ? "large" : "LOJA01", upgrade, goal.c_str(), logIn.window.lines.size(), logIn.boxes.shown.size(),
                ec ? "empty" : (std::to_string(reportBytes) + " bytes").c_str());
    std::printf("  load average %s\n", LoadAverage().c_str());
    return upgrade;
}

struct WindowRun {
    double wall = -1;
    double processor = -1;
    int lines = 0;
};

// LOJA01 of a freshly built sample chain, upgraded by the administrator's log-in on a shown log-in
// window: the upgrade alone is timed (the hook runUpgrade), not the log-in around it.
WindowRun UpgradeThroughLogIn(forms::ScriptedMessageBoxes& boxes) {
    win::testing::TempMachineRoot root;
    std::filesystem::current_path(root.MakeFolder("cwd"));
    sample_chain::Options options;
    options.root = root.Root();
    sample_chain::BuildChain(options);
    // The log-in window's fields come from the control library, registered in the machine root.
    const win::Module library = win::Module::Load(win::WindowsPath(ZMTEXT_OCX_PATH));
    using Register = long (*)();
    if (!library || reinterpret_cast<Register>(library.Export("DllRegisterServer"))() != 0) {
        throw std::runtime_error("cannot register the control library");
    }
    report::SetProgramFolder("C:\\REPORT");
    forms::SetDataEngine(report::ProgramEngine());
    report::upgrade::InstallUpgrade();
    WindowRun run;
    report::ProgramHooks().runUpgrade = [&run] {
        const auto start = Clock::now();
        const double processor = ProcessorMilliseconds();
        report::upgrade::AtualizarBD();
        run.processor = ProcessorMilliseconds() - processor;
        run.wall = Milliseconds(start);
    };
    report::ProgramHooks().showCatalogue = [] {};
    report::AbrirBD();
    {
        report::login::Acesso window;
        window.Show();
        bench::PrepareAdministratorLogIn(window, boxes);
        window.BtnProcura_Click();
        run.lines = window.ListCount();
        if (run.wall < 0) throw std::runtime_error("the log-in did not run the upgrade");
        if (window.IsLoaded()) window.Drop();
        forms::App().CollectUnloaded();
    }
    report::upgrade::ResetUpgradeState();
    report::ResetProgramState();
    report::ProgramHooks().runUpgrade = nullptr;
    report::ProgramHooks().showCatalogue = nullptr;
    return run;
}

void UpgradesThroughLogIn(int runs) {
    forms::ScriptedMessageBoxes boxes;
    forms::InstallMessageBoxes(&boxes);
    std::vector<WindowRun> all;
    for (int i = 0; i < runs; ++i) {
        all.push_back(UpgradeThroughLogIn(boxes));
        std::printf("LOJA01 through the log-in window, run %d: upgrade %.0f ms, processor %.0f ms (goal %.0f ms quiet, "
                    "%.0f ms at load 15; %d progress lines) load average %s\n",
                    i + 1, all.back().wall, all.back().processor, kGoalWindowQuietMs, kGoalWindowLoadedMs,
                    all.back().lines, LoadAverage().c_str());
    }
    forms::InstallMessageBoxes(nullptr);
    std::sort(all.begin(), all.end(), [](const WindowRun& a, const WindowRun& b) { return a.wall < b.wall; });
    std::printf("LOJA01 through the log-in window, %d runs: min %.0f ms, median %.0f ms, max %.0f ms\n", runs,
                all.front().wall, all[all.size() / 2].wall, all.back().wall);
}

void Run(int gateRuns, const std::string& beforeProgram, bool large, int windowRuns) {
    const Figures before = beforeProgram.empty() ? Figures{} : RunBefore(beforeProgram, gateRuns);
    Figures now;

    {
        win::testing::TempMachineRoot root;
        std::filesystem::current_path(root.MakeFolder("cwd"));  // where an error report would go
        BuildEmptyStore(root);
        const LogIn logIn;
        const auto start = Clock::now();
        report::upgrade::AtualizarBD();
        const double upgrade = Milliseconds(start);
        const std::size_t lines = logIn.window.lines.size();

        std::vector<double> gates;
        for (int i = 0; i < gateRuns; ++i) {
            const auto begin = Clock::now();
            report::upgrade::AtualizarBD();
            gates.push_back(Milliseconds(begin));
        }
        std::sort(gates.begin(), gates.end());

        std::printf("load average at the start %s\n", LoadAverage().c_str());
        std::printf("store from the schema: upgrade from an empty structure: %.0f ms (goal %.0f ms quiet, %.0f ms at "
                    "load 15; %zu progress lines, %zu boxes)\n",
                    upgrade, kGoalQuietMs, kGoalLoadedMs, lines, logIn.boxes.shown.size());
        std::printf("gate on a current store: median %.3f ms, slowest %.3f ms over %d runs\n",
                    gates[gates.size() / 2], gates.back(), gateRuns);
        now = {upgrade, gates[gates.size() / 2], gates.back(), -1};
    }
    now.chain = UpgradeChainStore(false);
    if (!beforeProgram.empty()) PrintSideBySide(before, now);
    if (windowRuns > 0) UpgradesThroughLogIn(windowRuns);
    if (large) UpgradeChainStore(true);
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    int gateRuns = 200;
    std::string beforeProgram;
    bool large = false;
    int windowRuns = 3;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--large") == 0) {
            large = true;
        } else if (std::strcmp(argv[i], "--before") == 0 && i + 1 < argc) {
            beforeProgram = argv[++i];
        } else if (std::strcmp(argv[i], "--window-runs") == 0 && i + 1 < argc) {
            windowRuns = std::max(0, std::atoi(argv[++i]));
        } else {
            gateRuns = std::max(1, std::atoi(argv[i]));
        }
    }
    try {
        Run(gateRuns, beforeProgram, large, windowRuns);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "upgrade_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
