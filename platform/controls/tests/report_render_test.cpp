#include "platform/controls/report/report_render.h"

#include <QFontMetricsF>
#include <QTemporaryDir>

#include <cmath>
#include <map>

#include "platform/controls/report/report_errors.h"
#include "platform/controls/tests/report_test_support.h"

namespace {

using namespace controls::report;
using namespace report_test;

class ReportRenderTest : public ::testing::Test {
protected:
    static LaidOutReport Build(const std::string& file, const MemoryTable& table,
                               const std::vector<Formula>& formulas = {
                                   {"Criterio", "Vendas Where Loja = 1"}}) {
        MemoryDataConnector connector;
        connector.AddTable("Produto.mdb", "Relato001", table);
        const ReportDefinition def = ParseReportFile(file, "Vendas.rpt");
        const auto source = connector.Open("Produto.mdb", "", def.source);
        return LayOut(def, ReadReportData(def, *source), formulas, "09/12/2026");
    }
};

// Every page repeats title, date, criterion, page number and column headings.
TEST_F(ReportRenderTest, EveryPageCarriesTheHeaderAndColumnHeadings) {
    const LaidOutReport report = Build(kSalesReport, SalesTable(4, 60));
    const std::size_t count = report.pages.size();
    ASSERT_GE(count, 4u);
    for (std::size_t p = 0; p < count; ++p) {
        SCOPED_TRACE(p);
        const Page& page = report.pages[p];
        EXPECT_EQ(TextsOf(page, TextRole::Title), std::vector<std::string>{"Vendas por Loja"});
        EXPECT_EQ(TextsOf(page, TextRole::Date), std::vector<std::string>{"09/12/2026"});
        EXPECT_EQ(TextsOf(page, TextRole::Header),
                  std::vector<std::string>{"Critério: Vendas Where Loja = 1"});
        EXPECT_EQ(
            TextsOf(page, TextRole::PageNumber),
            std::vector<std::string>{"Página " + std::to_string(p + 1) + " de " + std::to_string(count)});
        EXPECT_EQ(TextsOf(page, TextRole::ColumnHeading),
                  (std::vector<std::string>{"Produto", "Data", "Qtde", "Valor"}));
        for (const auto& text : page.texts) {
            EXPECT_LE(text.rect.bottom(), report.pageSize.height()) << text.text;
        }
    }
}

// Each store's subtotal is the sum of its rows; the grand total is the sum of all.
TEST_F(ReportRenderTest, SubtotalsAndGrandTotalAddUpTheRows) {
    const LaidOutReport report = Build(kSalesReport, SalesTable(3, 70));
    std::vector<std::string> subtotals, grand, rows;
    for (const auto& page : report.pages) {
        for (const auto& t : TextsOf(page, TextRole::Subtotal)) subtotals.push_back(t);
        for (const auto& t : TextsOf(page, TextRole::GrandTotal)) grand.push_back(t);
        for (const auto& t : TextsOf(page, TextRole::Cell)) rows.push_back(t);
    }
    // Per store: 1 + ... + 70 = 2485 units, 2485 * 1.5 = 3727.5.
    const std::vector<std::string> expected = {"Total Loja 1", "2485", "3.727,50",
                                               "Total Loja 2", "2485", "3.727,50",
                                               "Total Loja 3", "2485", "3.727,50"};
    EXPECT_EQ(subtotals, expected);
    EXPECT_EQ(grand, (std::vector<std::string>{"Total Geral", "7455", "11.182,50"}));
    ASSERT_EQ(rows.size(), 3u * 70 * 4);
    EXPECT_EQ((std::vector<std::string>(rows.begin(), rows.begin() + 4)),
              (std::vector<std::string>{"Produto 1", "01/01/2024", "1", "1,50"}));
}

// A group broken by a page shows its heading again; a heading never ends a page.
TEST_F(ReportRenderTest, GroupHeadingsRepeatAcrossPagesAndNeverEndAPage) {
    const LaidOutReport report = Build(kSalesReport, SalesTable(5, 45));
    int headings = 0, continued = 0;
    for (const auto& page : report.pages) {
        const PageText* last = nullptr;
        for (const auto& text : page.texts) {
            if (text.role == TextRole::GroupHeading) {
                text.text.ends_with("(continuação)") ? ++continued : ++headings;
            }
            if (text.role == TextRole::GroupHeading || text.role == TextRole::Cell) last = &text;
        }
        ASSERT_NE(last, nullptr);
        EXPECT_NE(last->role, TextRole::GroupHeading) << last->text;
    }
    EXPECT_EQ(headings, 5);
    EXPECT_GE(continued, 1);
    EXPECT_EQ(TextsOf(report.pages[1], TextRole::GroupHeading).front().rfind("Loja: Loja ", 0), 0u);
}

TEST_F(ReportRenderTest, EmptySourceGivesOnePageWithHeadingsAndZeroTotals) {
    const LaidOutReport report = Build(kSalesReport, SalesTable(0, 0));
    ASSERT_EQ(report.pages.size(), 1u);
    EXPECT_EQ(TextsOf(report.pages[0], TextRole::ColumnHeading).size(), 4u);
    EXPECT_EQ(TextsOf(report.pages[0], TextRole::GrandTotal),
              (std::vector<std::string>{"Total Geral", "0", "0,00"}));
}

TEST_F(ReportRenderTest, FaultsInLayoutRaiseTheControlsErrors) {
    MemoryTable withText = SalesTable(1, 3);
    withText.rows[1][3] = CellValue::Text("doze");
    ExpectError([&] { Build(kSalesReport, withText); }, err::NotANumber, "'Valor' holds 'doze' in row 2");
    const std::string wide = "Source=Relato001\nColumn=P|Produto|150|L|\nColumn=V|Valor|60|R|\n";
    ExpectError([&] { Build(wide, SalesTable(1, 1)); }, err::ColumnsTooWide,
                "210 mm wide but the page holds 190 mm");
    EXPECT_EQ(Build(wide + "Orientation=Landscape\n", SalesTable(1, 1)).pages.size(), 1u);
    ExpectError([&] { Build("Source=Relato001\nColumn=X|Preco|20|R|\n", SalesTable(1, 1)); },
                err::FieldMissing, "no field 'Preco'");
    ExpectError([&] { Build(std::string(kSalesReport) + "Group=Filial\n", SalesTable(1, 1)); },
                err::DuplicateKey, "Group=");
    // A header that fills the page would otherwise start page after page without a row.
    std::string tall = kSalesReport;
    for (int i = 0; i < 70; ++i) tall += "Header=linha " + std::to_string(i) + "\n";
    ExpectError([&] { Build(tall, SalesTable(1, 1)); }, err::HeaderTooTall, "no room for rows");
}

// Null values print empty and add nothing; a long criterion wraps and pushes the body down.
TEST_F(ReportRenderTest, NullsAndLongCriteria) {
    MemoryTable table = SalesTable(1, 2);
    table.rows[0][3] = CellValue::Null();
    const std::string criterion(250, 'x');
    const LaidOutReport shortHeader = Build(kSalesReport, table, {{"Criterio", "curto"}});
    const LaidOutReport longHeader = Build(kSalesReport, table, {{"Criterio", criterion + " " + criterion}});
    EXPECT_EQ(TextsOf(shortHeader.pages[0], TextRole::Cell)[3], "");
    EXPECT_EQ(TextsOf(shortHeader.pages[0], TextRole::GrandTotal).back(), "3,00");
    const auto top = [](const LaidOutReport& r) {
        for (const auto& t : r.pages[0].texts) {
            if (t.role == TextRole::Cell) return t.rect.top();
        }
        return 0.0;
    };
    EXPECT_GT(top(longHeader), top(shortHeader) + 10);
}

// The PDF has the laid-out pages, and a page image shows ink where texts are.
TEST_F(ReportRenderTest, PdfHasThePagesAndImagesAreDrawn) {
    const LaidOutReport report = Build(kSalesReport, SalesTable(4, 50));
    QTemporaryDir dir;
    const std::filesystem::path pdf = dir.filePath("vendas.pdf").toStdString();
    WritePdf(report, pdf);
    EXPECT_EQ(PdfPageCount(pdf), static_cast<int>(report.pages.size()));
    const QImage image = PageImage(report, 0, 100, 72);
    EXPECT_EQ(image.size(), QSize(595, 842));
    int dark = 0;
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 128;
    }
    EXPECT_GT(dark, 100);
    ExpectError([&] { WritePdf(report, dir.filePath("missing/x.pdf").toStdString()); }, err::PrintFailed,
                "Cannot write the PDF file");
}

// A text the quick test lets through is one the measuring would have left whole: checked over
// the report's faces and sizes, on a screen and a 300 dpi page, for texts of the widest
// characters, at every width up to past the text's own.
TEST_F(ReportRenderTest, ATextThatSurelyFitsIsNeverCut) {
    const QString texts[] = {"1.870,88", "06/01/2000", "WWWWWWWW", "@@@@@", "ÆÆÆMMM", "mmmmmmmmmm",
                             "Vendedor: 01", "Página 1 de 3391", "ÿÿÿ ¼½¾", "i"};
    const struct {
        double pointSize;
        bool bold;
        int dpi;
    } fonts[] = {{8, false, 96}, {8.5, true, 96}, {9, false, 300}, {13, true, 300}};
    int letThrough = 0;
    for (const auto& f : fonts) {
        QImage device(10, 10, QImage::Format_RGB32);
        device.setDotsPerMeterX(qRound(f.dpi / 0.0254));
        device.setDotsPerMeterY(qRound(f.dpi / 0.0254));
        const QFontMetricsF metrics(ReportFont(f.pointSize, f.bold), &device);
        const LatinAdvances advances(metrics);
        for (const QString& text : texts) {
            const qreal natural = metrics.horizontalAdvance(text);
            for (qreal width = 0; width <= 3 * natural; width += natural / 16) {
                if (!SurelyFits(text, advances, width)) continue;
                ++letThrough;
                EXPECT_EQ(metrics.elidedText(text, Qt::ElideRight, width), text)
                    << text.toStdString() << " in " << width << " at " << f.pointSize << " pt, " << f.dpi << " dpi";
            }
        }
    }
    EXPECT_GT(letThrough, 0);
}

// The quick test itself: the characters' own advances and one widest advance more, of Latin-1
// characters only (another script may come from a wider face).
TEST_F(ReportRenderTest, SurelyFitsAddsTheCharactersAdvancesAndOneWidest) {
    QImage device(10, 10, QImage::Format_RGB32);
    const QFontMetricsF metrics(ReportFont(9, false), &device);
    const LatinAdvances advances(metrics);
    const qreal w = advances.Widest();
    const auto of = [&](const char* text) {
        qreal sum = w;
        for (const QChar c : QString::fromUtf8(text)) sum += advances.Of(c.unicode());
        return sum;
    };
    EXPECT_GT(w, advances.Of(u'i'));
    EXPECT_EQ(advances.Of(u'1'), metrics.horizontalAdvance(QChar(u'1')));
    const struct {
        const char* text;
        qreal width;
        bool fits;
    } rows[] = {{"", 0, false},           {"", w, true},
                {"12345", of("12345"), true},   {"12345", of("12345") - 0.01, false},
                {"Ação", of("Ação"), true},     {"Ação", of("Ação") - 0.01, false},
                {"iiii", of("iiii"), true},     {"iiii", 4 * w, true},
                {"\u0410\u0411", 100 * w, false}, {"—", 100 * w, false},
                {"a\u00ffb", of("a\u00ffb"), true}};
    for (const auto& row : rows) {
        EXPECT_EQ(SurelyFits(QString::fromUtf8(row.text), advances, row.width), row.fits)
            << row.text << " in " << row.width;
    }
}

}  // namespace
