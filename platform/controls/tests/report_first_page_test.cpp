// The preview of a long report: its first page from the source's first rows, shown before every
// row is read, the page count filled in when the paging thread is done, and what waits for it.
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <condition_variable>
#include <mutex>

#include "platform/controls/report/report_errors.h"
#include "platform/controls/report/report_preview.h"
#include "platform/controls/report/report_printer.h"
#include "platform/controls/tests/report_test_support.h"

namespace {

using namespace controls::report;
using namespace report_test;

// A closed gate holds back every read of the source past its first `held` rows, so that a test
// sees the preview while its paging is still under way.
class Gate {
public:
    void Open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        opened_.notify_all();
    }
    void Pass() {
        std::unique_lock lock(mutex_);
        opened_.wait(lock, [this] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = false;
};

class GatedSource : public RowSource {
public:
    GatedSource(std::unique_ptr<RowSource> rows, std::shared_ptr<Gate> gate, std::size_t held)
        : rows_(std::move(rows)), gate_(std::move(gate)), held_(held) {}
    const std::vector<std::string>& Columns() const override { return rows_->Columns(); }
    bool Next(Row& row) override {
        if (read_++ == held_) gate_->Pass();
        return rows_->Next(row);
    }

private:
    std::unique_ptr<RowSource> rows_;
    std::shared_ptr<Gate> gate_;
    std::size_t held_;
    std::size_t read_ = 0;
};

class GatedConnector : public DataConnector {
public:
    GatedConnector(std::shared_ptr<MemoryDataConnector> data, std::shared_ptr<Gate> gate, std::size_t held)
        : data_(std::move(data)), gate_(std::move(gate)), held_(held) {}
    std::unique_ptr<RowSource> Open(const std::string& file, const std::string& password,
                                    const std::string& source) override {
        return std::make_unique<GatedSource>(data_->Open(file, password, source), gate_, held_);
    }

private:
    std::shared_ptr<MemoryDataConnector> data_;
    std::shared_ptr<Gate> gate_;
    std::size_t held_;
};

// Sales of `stores` stores with `perStore` rows each; `bad` (1-based, 0 for none) holds a text
// where the summed Quantidade is.
MemoryTable Sales(int stores, int perStore, std::size_t bad = 0) {
    MemoryTable table = SalesTable(stores, perStore);
    if (bad > 0) table.rows[bad - 1][2] = CellValue::Text("doze");
    return table;
}

QPushButton* Button(QWidget* window, const QString& text) {
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        if (button->text() == text) return button;
    }
    return nullptr;
}

class ReportFirstPageTest : public ::testing::Test {
protected:
    // Rows past the first page's that the gate holds back.
    static constexpr std::size_t kHeld = 100;

    void Start(MemoryTable table) {
        data_->AddTable("F:\\LOJA01\\Produto.mdb", "Relato001", table, "TORPAL");
        try {
            expected_ = LayOut(ParseReportFile(kSalesReport, "Vendas.rpt"), AllRows(table), {{"Criterio", "dez"}},
                               "09/12/2026");
        } catch (const win::RuntimeError&) {
            expected_ = {};  // a report that cannot be laid out: the test expects its fault
        }
        WriteFile(Path("Vendas.rpt"), kSalesReport);
        ReportPrinter::Hooks hooks;
        hooks.connector = std::make_shared<GatedConnector>(data_, gate_, kHeld);
        hooks.hostPath = [this](const std::string& name) { return Path(name); };
        hooks.today = [] { return std::string("09/12/2026"); };
        hooks.printDialog = [this](QPrinter& printer, QWidget*) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(Path("printed.pdf").string()));
            return true;
        };
        hooks.showError = [this](const std::string& description, QWidget*) { errors_.push_back(description); };
        control_ = std::make_unique<ReportPrinter>(std::move(hooks));
        control_->SetPassword("\nTORPAL");
        control_->SetDataFile(0, "F:\\LOJA01\\Produto.mdb");
        control_->SetReportFileName("Vendas.rpt");
        control_->SetFormula(0, "Criterio= \"dez\"");
        control_->SetAction(1);
        ASSERT_NE(control_->Preview(), nullptr);
        preview_ = control_->Preview();
    }

    ~ReportFirstPageTest() override {
        gate_->Open();  // a paging still held back ends with the control
        control_.reset();
    }

    static ReportData AllRows(const MemoryTable& table) {
        MemoryDataConnector all;
        all.AddTable("x", "s", table);
        const auto source = all.Open("x", "", "s");
        return ReadReportData(ParseReportFile(kSalesReport, "Vendas.rpt"), *source);
    }

    std::filesystem::path Path(const std::string& name) const {
        return std::filesystem::path(dir_.path().toStdString()) / name;
    }

    // The preview's page `index` as the complete report lays it out, but for its page number.
    void ExpectSamePage(std::size_t index, bool countKnown) {
        const Page shown = preview_->Report()->PageAt(index);
        const Page& expected = expected_.pages.at(index);
        ASSERT_EQ(shown.texts.size(), expected.texts.size());
        for (std::size_t t = 0; t < shown.texts.size(); ++t) {
            std::string text = expected.texts[t].text;
            if (!countKnown && expected.texts[t].role == TextRole::PageNumber) {
                text = "Página " + std::to_string(index + 1) + " de ...";
            }
            EXPECT_EQ(shown.texts[t].text, text) << "text " << t;
            EXPECT_EQ(shown.texts[t].rect, expected.texts[t].rect) << "text " << t;
        }
        EXPECT_EQ(shown.lines, expected.lines);
    }

    QTemporaryDir dir_;
    std::shared_ptr<MemoryDataConnector> data_ = std::make_shared<MemoryDataConnector>();
    std::shared_ptr<Gate> gate_ = std::make_shared<Gate>();
    std::unique_ptr<ReportPrinter> control_;
    PreviewWindow* preview_ = nullptr;
    LaidOutReport expected_;
    std::vector<std::string> errors_;
};

TEST_F(ReportFirstPageTest, TheFirstPageShowsBeforeTheCountWhichFollowsWhenThePagingIsDone) {
    Start(Sales(20, 30));
    const int pages = static_cast<int>(expected_.pages.size());
    ASSERT_GT(pages, 5);
    EXPECT_TRUE(control_->Paging());
    EXPECT_FALSE(preview_->CountKnown());
    EXPECT_EQ(preview_->PageLabel().text(), QStringLiteral("Página 1 de ..."));
    EXPECT_TRUE(preview_->PageView().pixmap().width() > 0);
    ExpectSamePage(0, false);
    // The window answers while the rows are held back: its zoom changes and redraws page 1.
    QTest::keyClick(preview_, Qt::Key_Plus);
    EXPECT_EQ(preview_->Zoom(), 110);
    gate_->Open();
    ASSERT_TRUE(WaitForPaging(*control_));
    EXPECT_TRUE(preview_->CountKnown());
    EXPECT_EQ(preview_->PageCount(), pages);
    EXPECT_EQ(preview_->PageLabel().text(), QStringLiteral("Página 1 de %1").arg(pages));
    for (std::size_t p = 0; p < expected_.pages.size(); ++p) ExpectSamePage(p, true);
    EXPECT_TRUE(errors_.empty());
}

// Another page, the last one or printing need every page: each completes the paging first, and
// shows or prints exactly the complete report.
TEST_F(ReportFirstPageTest, WhatNeedsEveryPageWaitsForThePaging) {
    struct Case {
        const char* what;
        std::function<void(PreviewWindow*)> act;
        int page;  // -1: the last
    };
    const Case cases[] = {
        {"Page Down", [](PreviewWindow* w) { QTest::keyClick(w, Qt::Key_PageDown); }, 1},
        {"End", [](PreviewWindow* w) { QTest::keyClick(w, Qt::Key_End); }, -1},
        {"the next page's button", [](PreviewWindow* w) { QTest::mouseClick(Button(w, ">"), Qt::LeftButton); }, 1},
        {"Ctrl+P", [](PreviewWindow* w) { QTest::keyClick(w, Qt::Key_P, Qt::ControlModifier); }, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        gate_ = std::make_shared<Gate>();
        data_ = std::make_shared<MemoryDataConnector>();
        Start(Sales(10, 40));
        ASSERT_TRUE(control_->Paging());
        gate_->Open();
        c.act(preview_);
        EXPECT_FALSE(control_->Paging());
        ASSERT_TRUE(preview_->CountKnown());
        const int pages = static_cast<int>(expected_.pages.size());
        EXPECT_EQ(preview_->PageCount(), pages);
        const int page = c.page < 0 ? pages - 1 : c.page;
        EXPECT_EQ(preview_->CurrentPage(), page);
        EXPECT_EQ(preview_->PageLabel().text(), QStringLiteral("Página %1 de %2").arg(page + 1).arg(pages));
        ExpectSamePage(static_cast<std::size_t>(page), true);
        if (c.page == 0) {
            EXPECT_EQ(PdfPageCount(Path("printed.pdf")), pages);
        }
    }
}

// Closing the window while the rows are read stops the reading: nothing is left running, and what
// the paging thread had left to hand over is never delivered.
TEST_F(ReportFirstPageTest, ClosingThePreviewWhileThePagingRunsStopsIt) {
    Start(Sales(50, 2000));
    ASSERT_TRUE(control_->Paging());
    gate_->Open();
    QTest::keyClick(preview_, Qt::Key_Escape);
    EXPECT_FALSE(control_->Paging());
    EXPECT_EQ(control_->Preview(), nullptr);
    QTest::qWait(0);  // a hand-over already queued would run here
    EXPECT_EQ(control_->Preview(), nullptr);
    EXPECT_FALSE(preview_->CountKnown());
    EXPECT_TRUE(errors_.empty());
    // A new start reads the report again and completes it.
    control_->SetAction(1);
    ASSERT_TRUE(WaitForPaging(*control_));
    EXPECT_EQ(control_->Preview()->PageCount(), static_cast<int>(expected_.pages.size()));
}

// A fault in a row past the first page is met by the paging after the window opened: the window
// closes and the user reads the control's description.
TEST_F(ReportFirstPageTest, AFaultThePagingMeetsClosesThePreviewAndIsShown) {
    Start(Sales(10, 40, 350));
    ASSERT_TRUE(control_->Paging());
    gate_->Open();
    ASSERT_TRUE(WaitForPaging(*control_));
    EXPECT_EQ(control_->Preview(), nullptr);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_NE(errors_[0].find("Field 'Quantidade' holds 'doze' in row 350"), std::string::npos) << errors_[0];
}

// The first rows settle the first page only when the page ends before the last of them.
TEST(ReportFirstRowsTest, SettleTheFirstPageOnlyWhenItEndsBeforeTheirLastRow) {
    const ReportDefinition def = ParseReportFile(kSalesReport, "Vendas.rpt");
    struct Case {
        const char* what;
        int stores, perStore;
        bool firstRows, settled;
    };
    const Case cases[] = {
        {"a page and more of rows", 1, 100, true, true},
        {"small groups past the page", 40, 2, true, true},
        {"rows that end on the first page", 1, 40, true, false},
        {"every row", 1, 40, false, true},
        {"no row", 0, 0, true, false},
    };
    for (const auto& c : cases) {
        MemoryDataConnector data;
        data.AddTable("x", "s", SalesTable(c.stores, c.perStore));
        const auto source = data.Open("x", "", "s");
        const PagedReport report(def, ReadReportData(def, *source), {}, "09/12/2026", c.firstRows);
        EXPECT_EQ(report.FirstPageSettled(), c.settled) << c.what;
        EXPECT_EQ(report.CountKnown(), !c.firstRows) << c.what;
    }
}

// A report that its first rows do not settle is read whole before its window opens.
TEST_F(ReportFirstPageTest, ShortReportsAreCompleteAtOnce) {
    struct Case {
        const char* what;
        int rows;
    };
    const Case cases[] = {
        {"fewer rows than the first page's", 20},
        {"no row", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        data_ = std::make_shared<MemoryDataConnector>();
        Start(Sales(1, c.rows));
        EXPECT_FALSE(control_->Paging());
        EXPECT_TRUE(preview_->CountKnown());
        EXPECT_EQ(preview_->PageCount(), static_cast<int>(expected_.pages.size()));
        ExpectSamePage(0, true);
    }
}

}  // namespace
