// Pins the pages of long reports to fingerprints taken from the layout as it was before the row
// store and the paging were rewritten: the preview, the PDF and the printer draw exactly these
// page models, so equal fingerprints mean equal output. The reports run over a few thousand rows
// with groups of every awkward size (one row, a group that ends exactly at a page's foot, a
// heading that would be the last line of a page), Null values, a Null group, totals and page
// breaks inside groups.
#include <charconv>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/controls/report/report_file.h"
#include "platform/controls/tests/report_test_support.h"

namespace {

using namespace controls::report;
using namespace report_test;

// Rows: Grupo (text, Null for one group), Codigo (number), Produto, Quantidade (Null every 7th
// row), Valor, Data. Group sizes cycle through sizes around a page's capacity.
MemoryTable LongTable() {
    static const int kSizes[] = {1, 2, 47, 48, 49, 50, 51, 3, 96, 97, 98, 300, 5, 55, 56, 57, 1, 1, 1, 620};
    MemoryTable table{{"Grupo", "Codigo", "Produto", "Quantidade", "Valor", "Data"}, {}};
    int row = 0;
    int group = 0;
    for (const int size : kSizes) {
        ++group;
        for (int j = 0; j < size; ++j, ++row) {
            table.rows.push_back(
                {group == 6 ? CellValue::Null() : CellValue::Text("Grupo " + std::to_string(group)),
                 CellValue::Number(group * 10 + (j % 3 == 0 ? 0 : 1)),
                 CellValue::Text("Produto de nome bem comprido número " + std::to_string(row)),
                 row % 7 == 0 ? CellValue::Null() : CellValue::Number(row % 13),
                 CellValue::Number(row * 0.25 - 100), CellValue::Date(45292.5 + row % 400)});
        }
    }
    return table;
}

const std::string kColumns =
    "Column=Produto|Produto|70|L|\n"
    "Column=Data|Data|30|L|dd/mm/yyyy hh:nn\n"
    "Column=Qtde|Quantidade|20|R|0\n"
    "Column=Valor|Valor|30|R|#,##0.00\n";

std::string Number(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

// Every text and line of every page, in drawing order. Vertical places are taken from the first
// rule of the page (under the header lines), whose place depends on the installed face's
// measures; everything below it is laid out in fixed heights.
std::uint64_t Fingerprint(const LaidOutReport& report) {
    std::string dump;
    for (const Page& page : report.pages) {
        const double top = page.lines.empty() ? 0 : page.lines.front().y1();
        dump += "page\n";
        for (const PageText& t : page.texts) {
            const bool band = t.role == TextRole::Date || t.role == TextRole::Title ||
                              t.role == TextRole::PageNumber || t.role == TextRole::Header;
            dump += Number(t.rect.x()) + ' ' + (band ? Number(t.rect.y()) : Number(t.rect.y() - top)) + ' ' +
                    Number(t.rect.width()) + ' ' + (t.role == TextRole::Header ? "" : Number(t.rect.height())) +
                    ' ' + std::to_string(t.flags) + ' ' + std::to_string(static_cast<int>(t.role)) + ' ' +
                    Number(t.pointSize) + ' ' + (t.bold ? "b " : "n ") + t.text + '\n';
        }
        for (const QLineF& l : page.lines) {
            dump += Number(l.x1()) + ' ' + Number(l.y1() - top) + ' ' + Number(l.x2()) + ' ' + Number(l.y2() - top) + '\n';
        }
    }
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const unsigned char c : dump) hash = (hash ^ c) * 1099511628211ull;
    return hash;
}

LaidOutReport Build(const std::string& file, const MemoryTable& table) {
    MemoryDataConnector connector;
    connector.AddTable("Produto.mdb", "Relato001", table);
    const ReportDefinition def = ParseReportFile(file, "Longo.rpt");
    const auto source = connector.Open("Produto.mdb", "", def.source);
    return LayOut(def, ReadReportData(def, *source), {{"Criterio", "Todas as lojas"}}, "09/12/2026");
}

TEST(ReportPagesReferenceTest, LongReportsLayOutAsBefore) {
    struct Case {
        const char* name;
        std::string file;
        std::size_t pages;
        std::uint64_t fingerprint;
    };
    const std::string head = "Title=Relatório Longo\nSource=Relato001\nHeader=Critério: {Criterio}\n";
    const Case cases[] = {
        {"grouped with totals", head + kColumns + "Group=Grupo\nSum=Quantidade\nSum=Valor\n", 29, 4407715358709554366ull},
        {"grouped without totals", head + kColumns + "Group=Grupo\n", 29, 18399182242614748999ull},
        {"grouped by a number, landscape", head + "Orientation=Landscape\n" + kColumns + "Group=Codigo\nSum=Valor\n", 116, 6791724549813805224ull},
        {"without groups, with totals", head + kColumns + "Sum=Valor\n", 28, 7816718849785165402ull},
        {"without groups or totals", head + kColumns, 28, 6905375698879741181ull},
    };
    const MemoryTable table = LongTable();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LaidOutReport report = Build(c.file, table);
        EXPECT_EQ(report.pages.size(), c.pages);
        EXPECT_EQ(Fingerprint(report), c.fingerprint);
    }
}

}  // namespace
