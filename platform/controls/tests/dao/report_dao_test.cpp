// The control over a real data file of the database engine, opened with the program's password.
#include "platform/controls/report/dao/dao_connector.h"
#include "platform/controls/report/report_errors.h"
#include "platform/controls/report/report_printer.h"
#include "platform/controls/tests/report_test_support.h"
#include "platform/dao/dao.h"
#include "platform/win/testing/temp_machine_root.h"

namespace {

using namespace controls::report;
using namespace report_test;

constexpr const char* kDataFile = "C:\\LOJA01\\Produto.mdb";

// A store database with table Vendas (written out of order) and the run query Relato001 that
// orders it by store and product, protected by the stores' password.
class ReportDaoTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(root_.DriveC() / "LOJA01");
        dao::DBEngine engine;
        dao::Database db = engine.CreateDatabase(kDataFile);
        dao::TableDef table = db.CreateTableDef("Vendas");
        table.Fields().Append(table.CreateField("Loja", dao::Value(10), dao::Value(20)));
        table.Fields().Append(table.CreateField("Produto", dao::Value(10), dao::Value(40)));
        table.Fields().Append(table.CreateField("Quantidade", dao::Value(4)));
        table.Fields().Append(table.CreateField("Valor", dao::Value(5)));
        table.Fields().Append(table.CreateField("Data", dao::Value(8)));
        db.TableDefs().Append(table);
        dao::Recordset rs = db.OpenRecordset("Vendas", dao::dbOpenTable);
        for (int i = 6; i >= 1; --i) {
            rs.AddNew();
            rs("Loja").SetValue(dao::Value("Loja " + std::to_string((i + 1) / 2)));
            rs("Produto").SetValue(dao::Value("Produto " + std::to_string(i)));
            rs("Quantidade").SetValue(dao::Value::Long(i));
            rs("Valor").SetValue(i == 6 ? dao::Value::Null() : dao::Value::CurrencyFromDouble(i * 10.25));
            rs("Data").SetValue(dao::Value::Date(45292 + i));
            rs.Update();
        }
        rs.Close();
        db.CreateQueryDef("Relato001", "SELECT * FROM Vendas ORDER BY Loja, Produto;");
        db.CreateQueryDef("RelatoErr", "SELECT Vendas.Preco FROM Vendas;");
        db.NewPassword("", "TORPAL");
        db.Close();
        WriteFile(root_.DriveC() / "Vendas.rpt", kSalesReport);
        control_.SetPassword("\nTORPAL");
        control_.SetDataFile(0, kDataFile);
        control_.SetReportFileName("C:\\Vendas.rpt");
        control_.SetFormula(0, "Criterio= \"Todas\"");
    }

    win::testing::TempMachineRoot root_;
    ReportPrinter control_;  // the real hooks: engine and machine root
};

TEST_F(ReportDaoTest, RendersTheRunQueryInItsOrderWithTotals) {
    const LaidOutReport report = control_.Render();
    ASSERT_EQ(report.pages.size(), 1u);
    const Page& page = report.pages[0];
    EXPECT_EQ(TextsOf(page, TextRole::GroupHeading),
              (std::vector<std::string>{"Loja: Loja 1", "Loja: Loja 2", "Loja: Loja 3"}));
    const auto cells = TextsOf(page, TextRole::Cell);
    ASSERT_EQ(cells.size(), 6u * 4);
    EXPECT_EQ((std::vector<std::string>(cells.begin(), cells.begin() + 4)),
              (std::vector<std::string>{"Produto 1", "02/01/2024", "1", "10,25"}));
    EXPECT_EQ(cells[5 * 4 + 3], "");  // Null value
    EXPECT_EQ(TextsOf(page, TextRole::Subtotal),
              (std::vector<std::string>{"Total Loja 1", "3", "30,75", "Total Loja 2", "7", "71,75",
                                        "Total Loja 3", "11", "51,25"}));
    EXPECT_EQ(TextsOf(page, TextRole::GrandTotal), (std::vector<std::string>{"Total Geral", "21", "153,75"}));
}

// A run query that reads the consolidated database through IN: the rows are that file's, read
// with the data file's engine; a protected other file cannot be read without its password.
TEST_F(ReportDaoTest, ARunQueryReadingAnotherFileThroughInRendersThatFilesRows) {
    WriteFile(root_.DriveC() / "Backup.mdb.rpt", "Source=RelatoBkp\nColumn=Loja|Loja|30|L|\nColumn=Produto|Produto|30|L|\n");
    {
        dao::DBEngine engine;
        dao::Database backup = engine.CreateDatabase("C:\\BACKUP.MDB");
        dao::Database store = engine.OpenDatabase(kDataFile, false, false, ";PWD=TORPAL");
        store.Execute("SELECT * INTO Vendas IN 'C:\\BACKUP.MDB' FROM Vendas");
        store.Execute("DELETE * FROM Vendas");
        store.CreateQueryDef("RelatoBkp", "SELECT Vendas.Loja, Vendas.Produto FROM Vendas IN 'C:\\BACKUP.MDB' "
                                          "WHERE Vendas.Quantidade > 4 ORDER BY Vendas.Produto DESC;");
        store.Close();
        backup.Close();
    }
    control_.SetReportFileName("C:\\Backup.mdb.rpt");
    const LaidOutReport report = control_.Render();
    ASSERT_EQ(report.pages.size(), 1u);
    EXPECT_EQ(TextsOf(report.pages[0], TextRole::Cell),
              (std::vector<std::string>{"Loja 3", "Produto 6", "Loja 3", "Produto 5"}));

    {
        dao::DBEngine engine;
        engine.OpenDatabase("C:\\BACKUP.MDB", true).NewPassword("", "OUTRA");
    }
    ExpectError([&] { control_.Render(); }, err::DataReadFailed, "'RelatoBkp'");
}

TEST_F(ReportDaoTest, DataFileFaultsGiveTheControlsErrors) {
    WriteFile(root_.DriveC() / "Outra.rpt", "Source=Relato999\nColumn=A|Loja|20|L|\n");
    WriteFile(root_.DriveC() / "Erro.rpt", "Source=RelatoErr\nColumn=A|Preco|20|L|\n");
    const struct {
        std::function<void(ReportPrinter&)> change;
        long number;
        const char* fragment;
    } rows[] = {
        {[](ReportPrinter& c) { c.SetPassword("\nERRADA"); }, err::CannotOpenDataFile,
         "password is not valid"},
        {[](ReportPrinter& c) { c.SetDataFile(0, "C:\\LOJA02\\Produto.mdb"); }, err::DataFileNotFound,
         "LOJA02"},
        {[](ReportPrinter& c) { c.SetReportFileName("C:\\Outra.rpt"); }, err::DataSourceMissing,
         "'Relato999'"},
        {[](ReportPrinter& c) { c.SetReportFileName("C:\\Erro.rpt"); }, err::DataReadFailed, "'RelatoErr'"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fragment);
        ReportPrinter control;
        control.SetPassword("\nTORPAL");
        control.SetDataFile(0, kDataFile);
        control.SetReportFileName("C:\\Vendas.rpt");
        row.change(control);
        ExpectError([&] { control.Render(); }, row.number, row.fragment);
    }
}

}  // namespace

namespace {

std::vector<Row> ReadAll(RowSource& source) {
    std::vector<Row> rows;
    for (Row row; source.Next(row);) rows.push_back(row);
    return rows;
}

}  // namespace

// The first rows a first page is made of are the whole read's first rows, whatever the source.
TEST_F(ReportDaoTest, TheHeadOfASourceIsTheStartOfItsWholeRead) {
    {
        dao::DBEngine engine;
        dao::Database db = engine.OpenDatabase(kDataFile, false, false, ";PWD=TORPAL");
        db.CreateQueryDef("PorLoja", "SELECT Loja, Sum(Quantidade) AS Qtde FROM Vendas GROUP BY Loja ORDER BY Loja DESC;");
        db.Close();
    }
    DaoDataConnector connector;
    for (const char* source : {"Relato001", "Vendas", "PorLoja"}) {
        const auto whole = connector.Open(kDataFile, "TORPAL", source);
        const std::vector<Row> all = ReadAll(*whole);
        ASSERT_FALSE(all.empty()) << source;
        for (const std::size_t n : {std::size_t{1}, std::size_t{2}, std::size_t{50}}) {
            const auto head = connector.OpenHead(kDataFile, "TORPAL", source, n);
            EXPECT_EQ(head->Columns(), whole->Columns()) << source;
            const std::vector<Row> expected(all.begin(), all.begin() + static_cast<long>(std::min(n, all.size())));
            EXPECT_EQ(ReadAll(*head), expected) << source << ", " << n << " rows";
        }
    }
    ExpectError([&] { connector.OpenHead(kDataFile, "TORPAL", "Nada", 5); }, err::DataSourceMissing, "'Nada'");
}
