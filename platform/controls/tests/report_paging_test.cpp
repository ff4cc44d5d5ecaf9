#include <QTemporaryDir>

#include <string>
#include <vector>

#include "platform/controls/report/report_errors.h"
#include "platform/controls/report/report_render.h"
#include "platform/controls/tests/report_test_support.h"

namespace {

using namespace controls::report;
using namespace report_test;

PagedReport Paged(const std::string& file, const MemoryTable& table) {
    MemoryDataConnector connector;
    connector.AddTable("Produto.mdb", "Relato001", table);
    ReportDefinition def = ParseReportFile(file, "Vendas.rpt");
    const auto source = connector.Open("Produto.mdb", "", def.source);
    ReportData data = ReadReportData(def, *source);
    return PagedReport(std::move(def), std::move(data), {{"Criterio", "Todas as lojas"}}, "09/12/2026");
}

void ExpectSamePage(const Page& got, const Page& want) {
    ASSERT_EQ(got.texts.size(), want.texts.size());
    for (std::size_t i = 0; i < got.texts.size(); ++i) {
        const PageText& a = got.texts[i];
        const PageText& b = want.texts[i];
        EXPECT_TRUE(a.rect == b.rect && a.flags == b.flags && a.text == b.text && a.role == b.role &&
                    a.pointSize == b.pointSize && a.bold == b.bold)
            << i << ": '" << a.text << "' against '" << b.text << "'";
    }
    EXPECT_EQ(got.lines, want.lines);
}

// A page laid out on its own, in whatever order pages are asked for, is the same page the whole
// layout has; every row is on exactly one page, and a page starting inside a group repeats its
// heading.
TEST(ReportPagingTest, PagesLaidOutOnDemandMatchTheWholeLayout) {
    const MemoryTable table = SalesTable(7, 53);
    const PagedReport paged = Paged(kSalesReport, table);
    const LaidOutReport whole = paged.LayOutAll();
    ASSERT_EQ(whole.pages.size(), paged.PageCount());
    ASSERT_GE(paged.PageCount(), 6u);
    EXPECT_EQ(whole.pageSize, paged.PageSize());
    for (std::size_t p = paged.PageCount(); p-- > 0;) {
        SCOPED_TRACE(p);
        ExpectSamePage(paged.PageAt(p), whole.pages[p]);
    }
    std::vector<std::string> products;
    int continued = 0;
    for (std::size_t p = 0; p < paged.PageCount(); ++p) {
        const Page page = paged.PageAt(p);
        const auto cells = TextsOf(page, TextRole::Cell);
        for (std::size_t c = 0; c < cells.size(); c += 4) products.push_back(cells[c]);
        for (const auto& heading : TextsOf(page, TextRole::GroupHeading))
            continued += heading.ends_with(" (continuação)") ? 1 : 0;
    }
    ASSERT_EQ(products.size(), table.rows.size());
    for (std::size_t r = 0; r < products.size(); ++r) EXPECT_EQ(products[r], table.rows[r][1].text) << r;
    EXPECT_GT(continued, 0);
    EXPECT_THROW(paged.PageAt(paged.PageCount()), std::out_of_range);
}

// Paging formats no row, yet a value no page could show raises when the report is paged, before
// any page is laid out: in the last row, and in a total that leaves the calendar although each
// of its rows is a date.
TEST(ReportPagingTest, ValuesThatCannotBeShownRaiseWhenTheReportIsPaged) {
    MemoryTable late = SalesTable(3, 40);
    late.rows.back()[4] = CellValue::Number(1e12);
    ExpectError([&] { Paged(kSalesReport, late); }, err::DateOutOfRange, "Field 'Data' holds 1000000000000");

    const std::string datesSummed = std::string(kSalesReport) + "Sum=Data\n";
    MemoryTable far = SalesTable(2, 3);
    for (auto& row : far.rows) row[4] = CellValue::Number(2900000);  // year 9839, valid alone
    ExpectError([&] { Paged(datesSummed, far); }, err::DateOutOfRange, "Field 'Data' holds 8700000");

    // A huge number under a number format is no date and prints.
    MemoryTable big = SalesTable(1, 2);
    big.rows[0][3] = CellValue::Number(1e15);
    const PagedReport paged = Paged(kSalesReport, big);
    EXPECT_EQ(TextsOf(paged.PageAt(0), TextRole::Cell)[3], "1.000.000.000.000.000,00");
}

// The PDF written page by page is the one written from the whole layout.
TEST(ReportPagingTest, PdfWrittenPageByPageEqualsTheWholeLayoutsPdf) {
    const PagedReport paged = Paged(kSalesReport, SalesTable(4, 45));
    QTemporaryDir dir;
    const std::filesystem::path byPage = dir.filePath("porpagina.pdf").toStdString();
    const std::filesystem::path whole = dir.filePath("inteiro.pdf").toStdString();
    WritePdf(paged, byPage);
    WritePdf(paged.LayOutAll(), whole);
    EXPECT_EQ(PdfPageCount(byPage), static_cast<int>(paged.PageCount()));
    EXPECT_EQ(std::filesystem::file_size(byPage), std::filesystem::file_size(whole));
}

}  // namespace
