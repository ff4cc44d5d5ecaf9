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

namespace {

// Values of every kind and shape the row store keeps: empty and long texts (past any small-string
// buffer), a text holding a zero byte, accented texts, zero of both signs, huge and fractional
// numbers, and dates.
const std::vector<CellValue> kStoredValues = {
    CellValue::Null(),
    CellValue::Text(""),
    CellValue::Text("a"),
    CellValue::Text("A"),
    CellValue::Text("ab"),
    CellValue::Text(std::string("a\0b", 3)),
    CellValue::Text("Conceição"),
    CellValue::Text(std::string(300, 'x')),
    CellValue::Number(0),
    CellValue::Number(-0.0),
    CellValue::Number(1),
    CellValue::Number(1e15),
    CellValue::Number(-2.5),
    CellValue::Date(1),
    CellValue::Date(45292.75),
};

// Each value reads back as it went in, whatever its neighbours in the row and the rows before.
TEST(ReportDataTest, ValuesReadBackAsTheyWereAdded) {
    const std::size_t n = kStoredValues.size();
    ReportData data(3);
    for (std::size_t r = 0; r < n; ++r) {
        data.Add({kStoredValues[r], kStoredValues[(r + 1) % n], kStoredValues[(r * 7) % n]});
    }
    data.Add({kStoredValues[6]});  // a short row: the rest reads as Null
    ASSERT_EQ(data.RowCount(), n + 1);
    for (std::size_t r = 0; r < n; ++r) {
        const CellValue want[] = {kStoredValues[r], kStoredValues[(r + 1) % n], kStoredValues[(r * 7) % n]};
        for (std::size_t c = 0; c < 3; ++c) {
            SCOPED_TRACE(std::to_string(r) + "," + std::to_string(c));
            EXPECT_EQ(data.Cell(r, c), want[c]);
            EXPECT_EQ(data.Kind(r, c), want[c].kind);
            EXPECT_EQ(data.Text(r, c), want[c].text);
            EXPECT_EQ(data.Number(r, c), want[c].number);
        }
    }
    EXPECT_EQ(data.Cell(n, 0), kStoredValues[6]);
    EXPECT_EQ(data.Cell(n, 1), CellValue::Null());
    EXPECT_EQ(data.Cell(n, 2), CellValue::Null());
}

// Groups break where values differ as CellValue compares them: a Null is no empty text, a date
// no number of the same value, a text no longer text it begins.
TEST(ReportDataTest, SameValueComparesAsCellValuesDo) {
    ReportData data(1);
    for (const CellValue& value : kStoredValues) data.Add({value});
    for (std::size_t a = 0; a < kStoredValues.size(); ++a) {
        for (std::size_t b = 0; b < kStoredValues.size(); ++b) {
            EXPECT_EQ(data.SameValue(a, b, 0), kStoredValues[a] == kStoredValues[b]) << a << " against " << b;
        }
    }
}

// A source's columns are kept in the definition's order, a group field after them.
TEST(ReportDataTest, ReadKeepsTheDefinitionsFieldsInItsOrder) {
    MemoryTable table{{"A", "Loja", "B", "Valor"},
                      {{CellValue::Text("x"), CellValue::Text("Loja 1"), CellValue::Number(3), CellValue::Number(4)},
                       {CellValue::Null(), CellValue::Text("Loja 2")}}};
    MemoryDataConnector connector;
    connector.AddTable("Produto.mdb", "T", table);
    const ReportDefinition def =
        ParseReportFile("Source=T\nColumn=V|Valor|30|R|\nColumn=A|A|30|L|\nGroup=Loja\n", "r.rpt");
    const auto source = connector.Open("Produto.mdb", "", "T");
    const ReportData data = ReadReportData(def, *source);
    ASSERT_EQ(data.RowCount(), 2u);
    ASSERT_EQ(data.Width(), 3u);
    const CellValue want[2][3] = {{CellValue::Number(4), CellValue::Text("x"), CellValue::Text("Loja 1")},
                                  {CellValue::Null(), CellValue::Null(), CellValue::Text("Loja 2")}};
    for (std::size_t r = 0; r < 2; ++r) {
        for (std::size_t c = 0; c < 3; ++c) EXPECT_EQ(data.Cell(r, c), want[r][c]) << r << "," << c;
    }
}

}  // namespace
