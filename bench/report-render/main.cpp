// Renders a 10,000-row grouped report and prints how long the control takes to show the first
// preview page and to write the whole PDF. Targets: under 1 s and under 10 s.
//
// Usage: report_render_bench [rows] [output.pdf]
// The rows (20 stores, spread evenly) come first from an in-memory data file, so the figures are
// the control's own: report file, layout, painting and PDF writing; then, when the database
// engine is built in, from a password-protected data file read through it, as the program runs.
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

#ifdef ZM_CONTROLS_WITH_DAO
#include "platform/controls/report/dao/dao_connector.h"
#include "platform/dao/dao.h"
#include "platform/win/testing/temp_machine_root.h"
#endif

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

double Seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

}  // namespace

// Starts the control on the preview and then writes the PDF, printing both times.
int Measure(const char* label, std::shared_ptr<DataConnector> connector, const std::string& dataFile,
            const std::filesystem::path& folder, const std::filesystem::path& pdf) {
    ReportPrinter::Hooks hooks;
    hooks.connector = std::move(connector);
    hooks.hostPath = [&](const std::string& name) { return folder / name; };
    ReportPrinter control(std::move(hooks));
    control.SetDestination(0);
    control.SetPassword("\nTORPAL");
    control.SetDataFile(0, dataFile);
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

        std::printf("%s: %d pages\n", label, pages);
        std::printf("  first preview page: %.3f s (target < 1 s)\n", firstPage);
        std::printf("  whole PDF: %.3f s (target < 10 s), %ju bytes\n", wholePdf,
                    static_cast<std::uintmax_t>(std::filesystem::file_size(pdf)));
    } catch (const win::RuntimeError& e) {
        std::fprintf(stderr, "error %ld: %s\n", e.Number(), e.Description().c_str());
        return 1;
    }
    return 0;
}

#ifdef ZM_CONTROLS_WITH_DAO
// Writes the rows into table Vendas of a new data file with the stores' password, and the run
// query Relato001 over it.
void WriteDataFile(const std::string& name, const MemoryTable& table) {
    dao::DBEngine engine;
    dao::Database db = engine.CreateDatabase(name);
    dao::TableDef def = db.CreateTableDef("Vendas");
    const int types[] = {10, 10, 4, 5, 8};
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        def.Fields().Append(
            def.CreateField(table.columns[i], dao::Value(types[i]), dao::Value(types[i] == 10 ? 40 : 0)));
    }
    db.TableDefs().Append(def);
    engine.BeginTrans();
    dao::Recordset rs = db.OpenRecordset("Vendas", dao::dbOpenTable);
    for (const Row& row : table.rows) {
        rs.AddNew();
        rs("Loja").SetValue(dao::Value(row[0].text));
        rs("Produto").SetValue(dao::Value(row[1].text));
        rs("Quantidade").SetValue(dao::Value::Long(static_cast<std::int32_t>(row[2].number)));
        rs("Valor").SetValue(dao::Value::CurrencyFromDouble(row[3].number));
        rs("Data").SetValue(dao::Value::Date(row[4].number));
        rs.Update();
    }
    rs.Close();
    engine.CommitTrans();
    db.CreateQueryDef("Relato001", "SELECT * FROM Vendas ORDER BY Loja;");
    db.NewPassword("", "TORPAL");
    db.Close();
}
#endif

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int rows = 10000;
    if (argc > 1) std::from_chars(argv[1], argv[1] + std::strlen(argv[1]), rows);
    QTemporaryDir dir;
    const std::filesystem::path folder = dir.path().toStdString();
    const std::filesystem::path pdf = argc > 2 ? std::filesystem::path(argv[2]) : folder / "report.pdf";
    std::ofstream(folder / "Vendas.rpt") << kReport;
    const MemoryTable sales = Sales(rows);
    std::printf("rows: %d\n", rows);

    auto memory = std::make_shared<MemoryDataConnector>();
    memory->AddTable("C:\\LOJA01\\Produto.mdb", "Relato001", sales, "TORPAL");
    if (Measure("in-memory data file", memory, "C:\\LOJA01\\Produto.mdb", folder, pdf) != 0) return 1;
#ifdef ZM_CONTROLS_WITH_DAO
    win::testing::TempMachineRoot root;
    std::filesystem::create_directories(root.DriveC() / "LOJA01");
    WriteDataFile("C:\\LOJA01\\Produto.mdb", sales);
    if (Measure("data file through the database engine", std::make_shared<DaoDataConnector>(),
                "C:\\LOJA01\\Produto.mdb", folder, pdf) != 0) {
        return 1;
    }
#endif
    return 0;
}
