#include "platform/controls/report/report_printer.h"

#include <QDialog>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QTemporaryDir>
#include <QTest>

#include "platform/controls/report/report_errors.h"
#include "platform/controls/report/report_file.h"
#include "platform/controls/report/report_preview.h"
#include "platform/controls/report/report_render.h"
#include "platform/controls/tests/report_test_support.h"
#include "platform/forms/tests/support/screenshot.h"
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
        // The user in the print dialog: picks a PDF file, or cancels.
        hooks.printDialog = [this](QPrinter& printer, QWidget* parent) {
            dialogParents_.push_back(parent);
            dialogTitles_.push_back(printer.docName().toStdString());
            if (cancelDialog_) return false;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(
                QString::fromStdString(Path("printed" + std::to_string(++printed_) + ".pdf").string()));
            return true;
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
    bool cancelDialog_ = false;
    std::vector<QWidget*> dialogParents_;
    std::vector<std::string> dialogTitles_;
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

// Bytes this process has asked read() for, as the kernel counts them.
std::uint64_t BytesRead() {
    std::ifstream io("/proc/self/io");
    for (std::string key; io >> key;) {
        std::uint64_t value = 0;
        io >> value;
        if (key == "rchar:") return value;
    }
    ADD_FAILURE() << "/proc/self/io has no rchar";
    return 0;
}

// A report file over the limit is refused on its size: a sparse file costs nothing to make, and the
// kernel's count of bytes read shows that the refusal read none of it.
TEST_F(ReportPrinterTest, AReportFileOverTheLimitIsRefusedBeforeItIsRead) {
    const std::uintmax_t sizes[] = {kMaxReportFileBytes + 1, 200ull * 1024 * 1024};
    for (const std::uintmax_t size : sizes) {
        SCOPED_TRACE(size);
        std::filesystem::resize_file(Path("Vendas.rpt"), size);
        SetUpRun();
        const std::uint64_t before = BytesRead();
        ExpectError([&] { control_->Render(); }, err::LimitExceeded,
                    "Report file 'Vendas.rpt' holds " + std::to_string(size) +
                        " bytes, more than the 1048576 a report file may hold: check that it is the right file.");
        EXPECT_LT(BytesRead() - before, 64u * 1024);
    }
    // At the limit the file is read: the parse finds its padding, one line too long.
    WriteFile(Path("Vendas.rpt"), kSalesReport);
    std::filesystem::resize_file(Path("Vendas.rpt"), kMaxReportFileBytes);
    ExpectError([&] { control_->Render(); }, err::LimitExceeded, "the line is longer than 4096 bytes");
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
    ASSERT_TRUE(WaitForPaging(*control_));
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
    ASSERT_TRUE(WaitForPaging(*control_));
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


// A PDF's document title as Qt writes it: UTF-16 with its byte-order mark.
bool PdfHasTitle(const std::filesystem::path& file, const QString& title) {
    QFile pdf(QString::fromStdString(file.string()));
    if (!pdf.open(QIODevice::ReadOnly)) return false;
    QByteArray utf16("/Title (\xFE\xFF");
    for (const QChar c : title) {
        utf16.append(static_cast<char>(c.unicode() >> 8));
        utf16.append(static_cast<char>(c.unicode() & 0xFF));
    }
    return pdf.readAll().contains(utf16);
}

// The preview's print button: the print dialog over the preview, opened on the report's title;
// a cancelled dialog prints nothing, an accepted one prints every page, titled as the report.
TEST_F(ReportPrinterTest, PrintFromThePreviewAsksThePrintDialogAndACancelPrintsNothing) {
    SetUpRun();
    control_->SetAction(1);
    PreviewWindow* preview = control_->Preview();
    ASSERT_NE(preview, nullptr);
    cancelDialog_ = true;
    const_cast<QPushButton&>(preview->PrintButton()).click();
    EXPECT_EQ(printed_, 0);
    ASSERT_EQ(dialogParents_.size(), 1u);
    EXPECT_EQ(dialogParents_[0], preview) << "the dialog belongs to the preview";
    EXPECT_EQ(dialogTitles_[0], "Vendas por Loja");
    EXPECT_FALSE(std::filesystem::exists(Path("printed1.pdf")));
    cancelDialog_ = false;
    const_cast<QPushButton&>(preview->PrintButton()).click();
    ASSERT_EQ(printed_, 1);
    EXPECT_EQ(PdfPageCount(Path("printed1.pdf")), preview->PageCount());
    EXPECT_TRUE(PdfHasTitle(Path("printed1.pdf"), QStringLiteral("Vendas por Loja")));
    control_->ExportPdf(Path("vendas.pdf"));
    EXPECT_TRUE(PdfHasTitle(Path("vendas.pdf"), QStringLiteral("Vendas por Loja")));
}

// The real dialog: Qt's, in Portuguese; closing it with its cancel button prints nothing.
TEST_F(ReportPrinterTest, SystemPrintDialogSpeaksPortuguese) {
    SetUpRun();
    control_->SetAction(1);
    QPrinter printer(QPrinter::HighResolution);
    PreparePrinter(printer, control_->Render());
    QString title;
    QStringList buttons;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        title = dialog->windowTitle();
        for (const QPushButton* button : dialog->findChildren<QPushButton*>())
            if (button->isVisible()) buttons << button->text().remove(QLatin1Char('&'));
        dialog->grab().save(QStringLiteral(QT_TESTCASE_BUILDDIR "/print_dialog.png"));
        dialog->reject();
    });
    EXPECT_FALSE(ShowPrintDialog(printer, control_->Preview()));
    EXPECT_EQ(title.toStdString(), "Imprimir");
    EXPECT_TRUE(buttons.contains(QStringLiteral("Cancelar"))) << buttons.join(QLatin1Char(',')).toStdString();
    EXPECT_TRUE(buttons.contains(QStringLiteral("Imprimir"))) << buttons.join(QLatin1Char(',')).toStdString();
}

// The user's home for one test: HOME and the XDG folders pointed at a folder of the test's own.
class TemporaryHome {
public:
    explicit TemporaryHome(const std::filesystem::path& home) {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DOCUMENTS_DIR"}) saved_.emplace_back(name, qgetenv(name));
        qputenv("HOME", QByteArray::fromStdString(home.string()));
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_DOCUMENTS_DIR");
    }
    ~TemporaryHome() {
        for (const auto& [name, value] : saved_) {
            if (value.isNull()) {
                qunsetenv(name);
            } else {
                qputenv(name, value);
            }
        }
    }
    TemporaryHome(const TemporaryHome&) = delete;
    TemporaryHome& operator=(const TemporaryHome&) = delete;

private:
    std::vector<std::pair<const char*, QByteArray>> saved_;
};

// The preview's print button opens the system's dialog; for a PDF file it proposes a file named
// after the report in the user's documents, never a bare folder (which Qt proposes off X11).
TEST_F(ReportPrinterTest, ThePrintDialogProposesAFileNamedAfterTheReport) {
    const std::filesystem::path home = Path("home");
    std::filesystem::create_directories(home / "Documents");
    const TemporaryHome temporaryHome(home);
    ReportPrinter::Hooks hooks;
    hooks.connector = connector_;
    hooks.hostPath = [this](const std::string& name) { return Path(name); };
    control_ = std::make_unique<ReportPrinter>(std::move(hooks));
    SetUpRun();
    control_->SetAction(1);
    PreviewWindow* preview = control_->Preview();
    ASSERT_NE(preview, nullptr);
    QString proposed;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        if (const auto* file = dialog->findChild<QLineEdit*>(QStringLiteral("filename"))) proposed = file->text();
        dialog->reject();
    });
    QTest::mouseClick(const_cast<QPushButton*>(&preview->PrintButton()), Qt::LeftButton);
    EXPECT_EQ(proposed.toStdString(), (home / "Documents" / "Vendas por Loja.pdf").string());
    EXPECT_EQ(control_->Preview(), preview);

    const struct {
        std::string title;
        bool documents;
        std::filesystem::path file;
    } rows[] = {
        {"Vendas por Loja", true, home / "Documents" / "Vendas por Loja.pdf"},
        {"Vendas 1/2: Loja 01.2000", true, home / "Documents" / "Vendas 1_2_ Loja 01.2000.pdf"},
        {"  ", true, home / "Documents" / "Relatório.pdf"},
        {"..", true, home / "Documents" / "Relatório.pdf"},
        {"Vendas por Loja", false, home / "Vendas por Loja.pdf"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.title);
        if (!row.documents) std::filesystem::remove(home / "Documents");
        EXPECT_EQ(ProposedPdfFile(row.title), row.file.string());
    }
}

// On a high-resolution screen the page is drawn with the screen's pixels, not enlarged.
TEST_F(ReportPrinterTest, PreviewDrawsThePageAtTheScreensPixelRatio) {
    SetUpRun();
    const LaidOutReport report = control_->Render();
    const QImage normal = PageImage(report, 0, 100, 96, 1);
    const QImage sharp = PageImage(report, 0, 100, 96, 2);
    EXPECT_NEAR(sharp.width(), normal.width() * 2, 1) << "page sizes round to whole pixels";
    EXPECT_NEAR(sharp.height(), normal.height() * 2, 1);
    EXPECT_EQ(sharp.devicePixelRatio(), 2);
    EXPECT_NEAR(sharp.deviceIndependentSize().width(), normal.width(), 1);
    control_->SetAction(1);
    const PreviewWindow* preview = control_->Preview();
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->PageView().pixmap().devicePixelRatio(), preview->devicePixelRatioF());
}

TEST_F(ReportPrinterTest, PreviewFirstPageLooksAsTheUserExpects) {
    SetUpRun();
    control_->SetAction(1);
    PreviewWindow* preview = control_->Preview();
    ASSERT_NE(preview, nullptr);
    preview->resize(900, 700);
    QApplication::processEvents();
    EXPECT_TRUE(forms::testing::MatchesReference(preview->grab().toImage(),
                                                 QT_TESTCASE_SOURCEDIR "/tests/screens/preview.png"));
}

}  // namespace
