#include "platform/controls/report/report_printer.h"

#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "platform/controls/report/report_errors.h"
#include "platform/controls/report/report_preview.h"
#include "platform/controls/tests/report_test_support.h"
#include "platform/win/clock.h"
#include "platform/win/testing/temp_machine_root.h"

namespace {

using namespace controls::report;
using namespace report_test;

// A control set up as the program sets it, over an in-memory data file and a report file in a
// temporary folder; printing goes to PDF files counted in `printed`.
class ReportPrinterTest : public ::testing::Test {
protected:
    void SetUp() override {
        connector_->AddTable("F:\\LOJA01\\Produto.mdb", "Relato001", SalesTable(3, 40), "TORPAL");
        WriteFile(Path("Vendas.rpt"), kSalesReport);
        ReportPrinter::Hooks hooks;
        hooks.connector = connector_;
        hooks.hostPath = [this](const std::string& name) { return Path(name); };
        hooks.today = [] { return std::string("09/12/2026"); };
        hooks.printer = [this] {
            auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(
                QString::fromStdString(Path("printed" + std::to_string(++printed_) + ".pdf").string()));
            return printer;
        };
        control_ = std::make_unique<ReportPrinter>(std::move(hooks));
    }

    std::filesystem::path Path(const std::string& name) const {
        return std::filesystem::path(dir_.path().toStdString()) / name;
    }

    // Members as the program sets them before a run.
    void SetUpRun() {
        control_->SetPrintAllowed(true);
        control_->SetDestination(0);
        control_->SetPassword("\nTORPAL");
        control_->SetDataFile(0, "F:\\LOJA01\\Produto.mdb");
        control_->SetReportFileName("Vendas.rpt");
        control_->SetFormula(0, "Criterio= \"Vendas de dezembro Where Loja = 1\"");
    }

    QTemporaryDir dir_;
    std::shared_ptr<MemoryDataConnector> connector_ = std::make_shared<MemoryDataConnector>();
    std::unique_ptr<ReportPrinter> control_;
    int printed_ = 0;
};

TEST(ReportFormulaTest, ReadsNameAndQuotedLiteral) {
    const struct {
        const char* text;
        const char* name;
        const char* value;
    } rows[] = {
        {"Criterio= \"Vendas Where x = 'a'\"", "Criterio", "Vendas Where x = 'a'"},
        {"Criterio=\"\"", "Criterio", ""},
        {"  Titulo \t=\t \"a \"\"b\"\"\"  ", "Titulo", "a \"b\""},
        {"Criterio= \"a = b\"", "Criterio", "a = b"},
    };
    for (const auto& row : rows) {
        const Formula formula = ParseFormula(row.text, 0);
        EXPECT_EQ(formula.name, row.name) << row.text;
        EXPECT_EQ(formula.text, row.value) << row.text;
    }
    for (const char* bad : {"Criterio", "Criterio= x", "Criterio= \"open", "= \"x\"", "Crit erio= \"x\"",
                            "Criterio= \"a\" b", "Criterio= \"a\"\""}) {
        ExpectError([&] { ParseFormula(bad, 3); }, err::MalformedFormula, "Formula 3 '");
    }
}

TEST_F(ReportPrinterTest, MembersKeepWhatTheProgramSetsAndRefuseBadValues) {
    SetUpRun();
    EXPECT_EQ(control_->Password(), "TORPAL");
    control_->SetPassword("\r\nX\nY");
    EXPECT_EQ(control_->Password(), "X\nY");
    EXPECT_EQ(control_->DataFile(0), "F:\\LOJA01\\Produto.mdb");
    EXPECT_EQ(control_->DataFile(5), "");
    EXPECT_EQ(control_->Formula(0), "Criterio= \"Vendas de dezembro Where Loja = 1\"");
    ExpectError([&] { control_->SetDataFile(-1, "x"); }, err::InvalidIndex, "data file index -1");
    ExpectError([&] { control_->Formula(100); }, err::InvalidIndex, "formula index 100");
    ExpectError([&] { control_->SetDestination(2); }, err::InvalidDestination, "Destination 2");
    ExpectError([&] { control_->Zoom(0); }, err::InvalidZoom, "Zoom 0 %");
    ExpectError([&] { control_->SetAction(0); }, err::InvalidAction, "Action 0");
    ExpectError([&] { control_->SetFormula(1, "Criterio x"); }, err::MalformedFormula, "Formula 1");
    EXPECT_EQ(control_->Formula(1), "");
    EXPECT_EQ(control_->Destination(), 0);
    EXPECT_EQ(control_->ZoomPercent(), 100);
}

// A failed start shows nothing: the error names what to correct.
TEST_F(ReportPrinterTest, FailedStartsRaiseNumberedErrorsAndOpenNoPreview) {
    WriteFile(Path("Quebrado.rpt"), "Source=Relato001\nColumn=A|Produto|20|L|\nCor=azul\n");
    WriteFile(Path("SemFonte.rpt"), "Source=Relato999\nColumn=A|Produto|20|L|\n");
    const struct {
        std::function<void(ReportPrinter&)> change;
        long number;
        const char* fragment;
    } rows[] = {
        {[](ReportPrinter& c) { c.SetReportFileName(""); }, err::NoReportFile, "No report file"},
        {[](ReportPrinter& c) { c.SetReportFileName("Falta.rpt"); }, err::ReportFileNotFound,
         "'Falta.rpt' not found"},
        {[](ReportPrinter& c) { c.SetReportFileName("Quebrado.rpt"); }, err::UnknownKey,
         "line 3: unknown key 'Cor'"},
        {[](ReportPrinter& c) { c.SetReportFileName("SemFonte.rpt"); }, err::DataSourceMissing,
         "'Relato999'"},
        {[](ReportPrinter& c) { c.SetDataFile(0, ""); }, err::NoDataFile, "No data file"},
        {[](ReportPrinter& c) { c.SetDataFile(0, "F:\\LOJA02\\Produto.mdb"); }, err::DataFileNotFound,
         "LOJA02"},
        {[](ReportPrinter& c) { c.SetPassword("\nOUTRA"); }, err::CannotOpenDataFile, "password"},
        {[](ReportPrinter& c) { c.SetPassword("TORPAL\n"); }, err::CannotOpenDataFile, "password"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fragment);
        SetUpRun();
        row.change(*control_);
        ExpectError([&] { control_->SetAction(1); }, row.number, row.fragment);
        EXPECT_EQ(control_->Preview(), nullptr);
    }
}

TEST_F(ReportPrinterTest, PreviewOpensModelessWithThePrintButtonAsAllowed) {
    for (const bool allowed : {false, true}) {
        SCOPED_TRACE(allowed);
        SetUpRun();
        control_->SetPrintAllowed(allowed);
        control_->SetAction(1);
        control_->Zoom(80);
        PreviewWindow* preview = control_->Preview();
        ASSERT_NE(preview, nullptr);
        EXPECT_TRUE(preview->isVisible());
        EXPECT_FALSE(preview->isModal());
        EXPECT_EQ(preview->PrintButton().isVisible(), allowed);
        EXPECT_EQ(preview->Zoom(), 80);
        EXPECT_EQ(preview->PageView().pixmap().width(), qRound(595.28 * preview->logicalDpiX() / 72.0 * 0.8));
        control_->SetPrintAllowed(!allowed);
        EXPECT_EQ(preview->PrintButton().isVisible(), !allowed);
    }
}

TEST_F(ReportPrinterTest, PreviewNavigatesPagesAndPrintsOnlyWhenAllowed) {
    SetUpRun();
    control_->SetPrintAllowed(false);
    control_->PrintReport();
    PreviewWindow* preview = control_->Preview();
    ASSERT_NE(preview, nullptr);
    const int pages = preview->PageCount();
    ASSERT_GE(pages, 3);
    EXPECT_EQ(preview->PageLabel().text(), QStringLiteral("Página 1 de %1").arg(pages));
    QTest::keyClick(preview, Qt::Key_PageDown);
    EXPECT_EQ(preview->CurrentPage(), 1);
    QTest::keyClick(preview, Qt::Key_End);
    QTest::keyClick(preview, Qt::Key_PageDown);
    EXPECT_EQ(preview->CurrentPage(), pages - 1);
    EXPECT_EQ(preview->PageLabel().text(), QStringLiteral("Página %1 de %1").arg(pages));
    QApplication::processEvents();
    const QScrollBar* bar = preview->Scroller().verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    QTest::keyClick(preview, Qt::Key_Down);
    EXPECT_GT(bar->value(), 0);
    QTest::keyClick(preview, Qt::Key_Up);
    EXPECT_EQ(bar->value(), 0);
    QTest::keyClick(preview, Qt::Key_Home);
    QTest::keyClick(preview, Qt::Key_PageUp);
    EXPECT_EQ(preview->CurrentPage(), 0);
    QTest::keyClick(preview, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(printed_, 0);
    control_->SetPrintAllowed(true);
    QTest::keyClick(preview, Qt::Key_P, Qt::ControlModifier);
    ASSERT_EQ(printed_, 1);
    EXPECT_EQ(PdfPageCount(Path("printed1.pdf")), pages);
    QTest::keyClick(preview, Qt::Key_Escape);
    EXPECT_EQ(control_->Preview(), nullptr);
}

// Ctrl+P of the catalogue window: destination 1 and start print without a dialog; the preview
// stays as it was.
TEST_F(ReportPrinterTest, PrinterDestinationPrintsEveryPage) {
    SetUpRun();
    control_->SetAction(1);
    const int pages = control_->Preview()->PageCount();
    control_->SetDestination(1);
    control_->SetAction(1);
    ASSERT_EQ(printed_, 1);
    EXPECT_EQ(PdfPageCount(Path("printed1.pdf")), pages);
    EXPECT_NE(control_->Preview(), nullptr);
}

TEST_F(ReportPrinterTest, ExportedPdfCarriesTheCriterionOnEveryPage) {
    SetUpRun();
    const LaidOutReport report = control_->Render();
    for (const auto& page : report.pages) {
        EXPECT_EQ(TextsOf(page, TextRole::Header),
                  std::vector<std::string>{"Critério: Vendas de dezembro Where Loja = 1"});
    }
    control_->ExportPdf(Path("vendas.pdf"));
    EXPECT_EQ(PdfPageCount(Path("vendas.pdf")), static_cast<int>(report.pages.size()));
    // The preview without criterion sets no formula: the reference reads as empty.
    control_->SetFormula(0, "");
    EXPECT_EQ(TextsOf(control_->Render().pages[0], TextRole::Header), std::vector<std::string>{"Critério: "});
}

// The real hooks: a Windows report path resolves through the machine root, case-insensitively,
// and the header's date comes from the clock in force.
TEST(ReportPrinterDefaultsTest, ResolvesWindowsPathsAndDatesFromTheClock) {
    win::testing::TempMachineRoot root;
    std::filesystem::create_directories(root.DriveC() / "Relatorios");
    WriteFile(root.DriveC() / "Relatorios" / "Vendas.RPT", kSalesReport);
    win::OffsetClock clock;
    clock.Freeze({2026, 3, 7, 10, 0, 0});
    win::InstallClock(&clock);
    const std::shared_ptr<void> restoreClock(nullptr, [](void*) { win::InstallClock(nullptr); });
    ReportPrinter::Hooks hooks = ReportPrinter::DefaultHooks();
    auto connector = std::make_shared<MemoryDataConnector>();
    connector->AddTable("C:\\Produto.mdb", "Relato001", SalesTable(1, 2));
    hooks.connector = connector;
    ReportPrinter control(std::move(hooks));
    control.SetDataFile(0, "C:\\Produto.mdb");
    control.SetReportFileName("C:\\RELATORIOS\\vendas.rpt");
    const LaidOutReport report = control.Render();
    EXPECT_EQ(TextsOf(report.pages[0], TextRole::Date), std::vector<std::string>{"07/03/2026"});
    control.SetReportFileName("C:\\RELATORIOS\\outro.rpt");
    ExpectError([&] { control.Render(); }, err::ReportFileNotFound, "C:\\RELATORIOS\\outro.rpt");
    control.SetReportFileName("Q:\\vendas.rpt");   // no drive Q: on this machine
    ExpectError([&] { control.Render(); }, err::ReportFileNotFound, "'Q:\\vendas.rpt' not found (Device unavailable)");
}

}  // namespace
