// Renders a 10,000-row grouped report and prints how long the control takes to show the first
// preview page and to write the whole PDF. Targets: under 1 s and under 10 s.
//
// Usage: report_render_bench [rows] [output.pdf]
// The rows come from an in-memory data file (20 stores, rows spread evenly), so the figures are
// the control's own: report file, layout, painting and PDF writing.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/controls/report/report_preview.h"
#include "platform/controls/report/report_printer.h"
#include "platform/win/error.h"

namespace {

using namespace controls::report;
using Clock = std::chrono::steady_clock;

constexpr const char* kReport =
    "Title=Vendas por Loja\n"
    "Source=Relato001\n"
    "Header=Critério: {Criterio}\n"
    "Column=Produto|Produto|60|L|\n"
    "Column=Data|Data|25|L|dd/mm/yyyy\n"
    "Column=Qtde|Quantidade|20|R|#,##0\n"
    "Column=Valor|Valor|30|R|#,##0.00\n"
    "Group=Loja\n"
    "Sum=Quantidade\n"
    "Sum=Valor\n";

MemoryTable Sales(int rows) {
    MemoryTable table{{"Loja", "Produto", "Quantidade", "Valor", "Data"}, {}};
    const int stores = 20;
    for (int i = 0; i < rows; ++i) {
        const int store = i * stores / rows + 1;
        table.rows.push_back({CellValue::Text("Loja " + std::to_string(store)),
                              CellValue::Text("Produto " + std::to_string(i % 977)),
                              CellValue::Number(i % 13 + 1), CellValue::Number((i % 101) * 2.35),
                              CellValue::Date(45292 + i % 365)});
    }
    return table;
}

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int rows = 10000;
    if (argc > 1) std::from_chars(argv[1], argv[1] + std::strlen(argv[1]), rows);
    QTemporaryDir dir;
    const std::filesystem::path folder = dir.path().toStdString();
    const std::filesystem::path pdf = argc > 2 ? std::filesystem::path(argv[2]) : folder / "report.pdf";
    std::ofstream(folder / "Vendas.rpt") << kReport;

    auto connector = std::make_shared<MemoryDataConnector>();
    connector->AddTable("C:\\LOJA01\\Produto.mdb", "Relato001", Sales(rows), "TORPAL");
    ReportPrinter::Hooks hooks;
    hooks.connector = connector;
    hooks.hostPath = [&](const std::string& name) { return folder / name; };
    ReportPrinter control(std::move(hooks));
    control.SetDestination(0);
    control.SetPassword("\nTORPAL");
    control.SetDataFile(0, "C:\\LOJA01\\Produto.mdb");
    control.SetReportFileName("Vendas.rpt");
    control.SetFormula(0, "Criterio= \"Vendas do ano Where Valor > 0\"");

    try {
        auto start = Clock::now();
        control.SetAction(1);
        control.Zoom(80);
        QApplication::processEvents();
        const double firstPage = Seconds(start);
        const int pages = control.Preview()->PageCount();

        start = Clock::now();
        control.ExportPdf(pdf);
        const double wholePdf = Seconds(start);

        std::printf("rows: %d, pages: %d\n", rows, pages);
        std::printf("first preview page: %.3f s (target < 1 s)\n", firstPage);
        std::printf("whole PDF: %.3f s (target < 10 s), %ju bytes\n", wholePdf,
                    static_cast<std::uintmax_t>(std::filesystem::file_size(pdf)));
    } catch (const win::RuntimeError& e) {
        std::fprintf(stderr, "error %ld: %s\n", e.Number(), e.Description().c_str());
        return 1;
    }
    return 0;
}
