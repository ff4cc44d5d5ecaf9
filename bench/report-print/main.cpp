// Times the catalogue window's run of the grouped report "Vendas por Vendedor" (every sale of the
// large sample store, grouped by salesman): from the click on Executar to the preview showing its
// first page, and the whole report written to PDF. Targets: at most 1 s and at most 10 s.
//
// Usage: report_print_bench [--root DIR] [--keep] [--sales N] [--dump FILE] [--first-page]
// --root  the machine root of a large sample chain; built there when it holds none yet (the build
//         takes a while, so a kept root makes repeated runs quick). Default: a temporary folder.
// --keep  leaves the temporary machine root in place and prints its path.
// --sales the large store's number of sales when the chain is built (default 200,000).
// --dump  writes every page of the report as text (each text with its box, flags, role and font,
//         each line), to compare the pages of two builds.
// --first-page  stops after the first page's figures (no layout of every page, no PDF).
#include <QApplication>
#include <QPrinter>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <filesystem>
#include <memory>
#include <string>
#include <time.h>

#include "platform/controls/grid/data_grid.h"
#include "platform/controls/report/report_preview.h"
#include "platform/forms/app.h"
#include "platform/forms/datacontrol.h"
#include "platform/forms/services.h"
#include "platform/win/error.h"
#include "platform/win/module.h"
#include "platform/win/paths.h"
#include "report/core/connections.h"
#include "report/core/state.h"
#include "report/reports/inicio.h"
#include "tools/sample-chain/chain.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// Seconds of processor time this thread has used: on a busy machine the wall clock mostly
// measures waiting for a processor, the thread's CPU time still measures the work.
double ThreadCpu() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// A figure of /proc/self/status in kB ("VmRSS", "VmHWM").
long StatusKb(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key + ":", 0) == 0) return std::stol(line.substr(key.size() + 1));
    }
    return 0;
}

// Starts the peak resident size over from the present size.
void ResetPeakRss() { std::ofstream("/proc/self/clear_refs") << "5"; }

void DumpPages(const controls::report::LaidOutReport& report, const std::filesystem::path& file) {
    std::ofstream out(file);
    for (std::size_t p = 0; p < report.pages.size(); ++p) {
        out << "page " << p + 1 << '\n';
        for (const auto& t : report.pages[p].texts) {
            out << t.rect.x() << ' ' << t.rect.y() << ' ' << t.rect.width() << ' ' << t.rect.height() << ' '
                << t.flags << ' ' << static_cast<int>(t.role) << ' ' << t.pointSize << ' ' << t.bold << ' '
                << t.text << '\n';
        }
        for (const auto& l : report.pages[p].lines) {
            out << "line " << l.x1() << ' ' << l.y1() << ' ' << l.x2() << ' ' << l.y2() << '\n';
        }
    }
}

std::filesystem::path TemporaryRoot() {
    std::string pattern = (std::filesystem::temp_directory_path() / "report-print-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

// Builds the large chain into `root` unless it is there already, and registers the control
// library there as the program's installation does.
win::Module EnsureChain(const std::filesystem::path& root, int sales) {
    win::SetMachineRoot(root);
    if (!std::filesystem::exists(root / "drives" / "f" / "LOJA01")) {
        const auto start = Clock::now();
        sample_chain::Options options;
        options.root = root;
        options.large = true;
        options.largeSales = sales;
        sample_chain::BuildChain(options);
        std::printf("built the large sample chain in %.1f s\n", Seconds(start));
    }
    win::Module library = win::Module::Load(win::WindowsPath(ZMTEXT_OCX_PATH));
    using Register = long (*)();
    if (!library || reinterpret_cast<Register>(library.Export("DllRegisterServer"))() != 0) {
        throw std::runtime_error("cannot register " + std::string(ZMTEXT_OCX_PATH));
    }
    return library;
}

int Run(const std::filesystem::path& root, int sales, const std::filesystem::path& dump, bool firstPageOnly) {
    const win::Module library = EnsureChain(root, sales);
    report::SetProgramFolder("C:\\REPORT");
    forms::SetDataEngine(report::ProgramEngine());
    forms::ScriptedMessageBoxes boxes;
    forms::InstallMessageBoxes(&boxes);
    report::PastaDados = "F:\\LOJA01";
    report::CodUsuarioAtual = 1;
    report::NomeUsuario = "GERENTE";
    report::AbrirBDLoja();

    const std::filesystem::path pdf = root / "VendasVendedor.pdf";
    auto window = std::make_unique<report::reports::Inicio>();
    window->Show();
    window->TbRelatorios().SetRow(5);   // R006, "Vendas por Vendedor"
    window->TbRelatorios_RowColChange();
    if (window->CodAplicacaoAtual() != "R006") throw std::runtime_error("the catalogue does not list R006 sixth");

    const long baseKb = StatusKb("VmRSS");
    ResetPeakRss();
    const auto click = Clock::now();
    const double clickCpu = ThreadCpu();
    window->BtnImprimir_Click();
    const double firstPage = Seconds(click);
    const double firstPageCpu = ThreadCpu() - clickCpu;
    const controls::report::PreviewWindow* preview = window->Report1().Printer().Preview();
    if (preview == nullptr || !boxes.shown.empty()) {
        std::fprintf(stderr, "no preview: %s\n", boxes.shown.empty() ? "" : boxes.shown.back().text.c_str());
        return 1;
    }
    const int pages = preview->PageCount();
    const long peakKb = StatusKb("VmHWM");
    const long heldKb = StatusKb("VmRSS");
    if (firstPageOnly) {
        std::printf("first page: %.3f s, %.3f s of CPU, %d pages, peak %.3f KB a sale\n", firstPage, firstPageCpu,
                    pages, static_cast<double>(peakKb - baseKb) / sales);
        return 0;
    }

    const auto pagingStart = Clock::now();
    const auto paged = window->Report1().Printer().Paged();
    std::printf("the control's rows read and paged (before the first page): %.3f s\n", Seconds(pagingStart));
    const auto layoutStart = Clock::now();
    const auto laidOut = paged->LayOutAll();
    std::printf("every page laid out (not needed for the preview): %.3f s\n", Seconds(layoutStart));
    if (!dump.empty()) DumpPages(laidOut, dump);
    const auto exportStart = Clock::now();
    window->Report1().Printer().ExportPdf(pdf);
    const double wholePdf = Seconds(exportStart);

    std::printf("report: Vendas por Vendedor, %d sales, %d pages\n", sales, pages);
    std::printf("memory beyond the %.0f MB base: peak %.3f KB a sale, %.3f KB a sale held by the preview\n",
                static_cast<double>(baseKb) / 1024, static_cast<double>(peakKb - baseKb) / sales,
                static_cast<double>(heldKb - baseKb) / sales);
    std::printf("print click to first preview page: %.3f s (target <= 1 s), %.3f s of CPU\n", firstPage, firstPageCpu);
    std::printf("whole report to PDF: %.3f s (target <= 10 s), %.1f MB\n", wholePdf,
                static_cast<double>(std::filesystem::file_size(pdf)) / 1e6);
    window->Drop();
    forms::App().CollectUnloaded();
    report::ResetProgramState();
    forms::InstallMessageBoxes(nullptr);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    std::filesystem::path root;
    bool keep = false;
    int sales = sample_chain::LargeVolumes().sales;
    std::filesystem::path dump;
    bool firstPageOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--root" && i + 1 < argc) {
            root = argv[++i];
            keep = true;
        } else if (arg == "--sales" && i + 1 < argc) {
            sales = std::atoi(argv[++i]);
            if (sales <= 0) return 2;
        } else if (arg == "--dump" && i + 1 < argc) {
            dump = std::filesystem::absolute(argv[++i]);
        } else if (arg == "--first-page") {
            firstPageOnly = true;
        } else if (arg == "--keep") {
            keep = true;
        } else {
            std::fprintf(stderr, "usage: report_print_bench [--root DIR] [--keep] [--sales N] [--dump FILE]\n");
            return 2;
        }
    }
    const bool temporary = root.empty();
    if (temporary) root = TemporaryRoot();
    std::filesystem::create_directories(root);
    int result = 1;
    try {
        result = Run(std::filesystem::canonical(root), sales, dump, firstPageOnly);
    } catch (const win::RuntimeError& error) {
        std::fprintf(stderr, "error %ld: %s\n", error.Number(), error.Description().c_str());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
    }
    if (temporary && !keep) std::filesystem::remove_all(root);
    if (temporary && keep) std::printf("machine root kept in %s\n", root.string().c_str());
    return result;
}
