#include "platform/controls/report/report_file.h"

#include "platform/controls/report/report_errors.h"
#include "platform/controls/tests/report_test_support.h"

namespace {

using namespace controls::report;
using report_test::ExpectError;

TEST(ReportFileTest, ReadsEveryKeyWithCommentsBomCrLfAndAnyCase) {
    const std::string text =
        "\xEF\xBB\xBF# comment\r\n"
        "TITLE = Vendas  por Loja \r\n"
        "\r\n"
        "source=Relato001\r\n"
        "Orientation=landscape\r\n"
        "Header=Loja {Loja} - {{literal}} {Criterio}\r\n"
        "Header=\r\n"
        "Column=Produto|Produto|60|L|\r\n"
        "Column= Valor | Valor |30.5| r |#,##0.00;(#,##0.00)|x\r\n"
        "Column=Qtde|Quantidade|20|R\r\n"
        "Group=Loja\r\n"
        "Sum=Valor\r\n";
    const ReportDefinition def = ParseReportFile(text, "Vendas.rpt");
    EXPECT_EQ(def.title, "Vendas  por Loja");
    EXPECT_EQ(def.source, "Relato001");
    EXPECT_EQ(def.orientation, Orientation::Landscape);
    ASSERT_EQ(def.headers.size(), 2u);
    EXPECT_EQ(HeaderText(def.headers[0], {{"Criterio", "Where x"}, {"LOJA", "01"}}),
              "Loja 01 - {literal} Where x");
    EXPECT_EQ(HeaderText(def.headers[0], {}), "Loja  - {literal} ");
    EXPECT_TRUE(def.headers[1].empty());
    ASSERT_EQ(def.columns.size(), 3u);
    EXPECT_EQ(def.columns[1].heading, "Valor");
    EXPECT_EQ(def.columns[1].field, "Valor");
    EXPECT_DOUBLE_EQ(def.columns[1].widthMm, 30.5);
    EXPECT_EQ(def.columns[1].alignment, Alignment::Right);
    EXPECT_EQ(def.columns[1].format.Pattern(), "#,##0.00;(#,##0.00)|x");
    EXPECT_EQ(def.columns[0].alignment, Alignment::Left);
    EXPECT_EQ(def.columns[2].format.Pattern(), "");
    EXPECT_EQ(def.groupField, "Loja");
    EXPECT_EQ(def.sums, std::vector<std::string>{"Valor"});
}

TEST(ReportFileTest, DefaultsToPortraitWithoutTitleHeadersOrGroups) {
    const ReportDefinition def = ParseReportFile("Source=T\nColumn=A|A|10|L|\n", "r");
    EXPECT_EQ(def.orientation, Orientation::Portrait);
    EXPECT_EQ(def.title, "");
    EXPECT_TRUE(def.headers.empty());
    EXPECT_TRUE(def.groupField.empty());
}

// Each malformed file gives its number and names the line at fault.
TEST(ReportFileTest, MalformedFilesNameTheLine) {
    const std::string ok = "Source=T\nColumn=A|A|10|L|\n";
    const struct {
        std::string text;
        long number;
        const char* fragment;
    } rows[] = {
        {ok + "just text\n", err::MalformedLine, "line 3: expected Key=Value"},
        {ok + "Footer=x\n", err::UnknownKey, "line 3: unknown key 'Footer'"},
        {"Title=a\n" + ok + "title=b\n", err::DuplicateKey, "line 4: Title= was already given on line 1"},
        {ok + "Source=U\n", err::DuplicateKey, "line 3: Source="},
        {ok + "Orientation=Sideways\n", err::MalformedLine, "line 3: Orientation must be"},
        {ok + "Column=B|B|abc|L|\n", err::MalformedLine, "line 3: column width"},
        {ok + "Column=B|B|0|L|\n", err::MalformedLine, "line 3: column width"},
        {ok + "Column=B|B|-4|L|\n", err::MalformedLine, "line 3: column width"},
        {ok + "Column=B|B|12mm|L|\n", err::MalformedLine, "line 3: column width"},
        {ok + "Column=B|B|12,5|L|\n", err::MalformedLine, "line 3: column width"},
        {ok + "Column=B|B|10|C|\n", err::MalformedLine, "line 3: column alignment"},
        {ok + "Column=B|B|10\n", err::MalformedLine, "line 3: Column= needs"},
        {ok + "Column=B||10|L|\n", err::MalformedLine, "line 3: Column= needs a field"},
        {ok + "Group=\n", err::MalformedLine, "line 3: Group= needs"},
        {ok + "Sum=A\nSum=a\n", err::DuplicateKey, "line 4: field 'A' is already summed"},
        {ok + "\n\nSum=B\n", err::MalformedLine, "line 5: summed field 'B'"},
        {ok + "Header=x {Criterio\n", err::MalformedLine, "line 3: '{'"},
        {ok + "Header=x {} y\n", err::MalformedLine, "line 3: '{'"},
        {ok + "Header=x } y\n", err::MalformedLine, "line 3: '}'"},
        {"Source=\n", err::MalformedLine, "line 1: Source= needs"},
        {"Column=A|A|10|L|\n", err::MissingKey, "no Source= line"},
        {"Source=T\n", err::MissingKey, "no Column= line"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        ExpectError([&] { ParseReportFile(row.text, "C:\\REL\\X.rpt"); }, row.number, row.fragment);
        ExpectError([&] { ParseReportFile(row.text, "C:\\REL\\X.rpt"); }, row.number, "'C:\\REL\\X.rpt'");
    }
}

// Files, lines and Format patterns beyond the stated limits are refused before any work that
// grows with them, naming the file and the line.
TEST(ReportFileTest, FilesLinesAndPatternsBeyondTheLimitsAreRefused) {
    const std::string ok = "Source=T\nColumn=A|A|10|L|\n";
    std::string largest = ok;
    while (largest.size() + 80 <= kMaxReportFileBytes) largest += "; " + std::string(77, 'c') + "\n";
    largest += std::string(kMaxReportFileBytes - largest.size(), '\n');
    const struct {
        std::string text;
        long number;   // 0: read without error
        const char* fragment;
    } rows[] = {
        {ok + "Header=" + std::string(kMaxLineBytes - 7, 'h') + "\n", 0, ""},
        {ok + "Header=" + std::string(kMaxLineBytes - 7, 'h') + "\r\n", 0, ""},
        {ok + "Header=" + std::string(kMaxLineBytes - 6, 'h') + "\n", err::LimitExceeded,
         "line 3: the line is longer than 4096 bytes"},
        {ok + "; " + std::string(100000, 'c'), err::LimitExceeded, "line 3: the line is longer"},
        {ok + "Column=B|B|10|L|" + std::string(kMaxPatternChars, 'd') + "\n", 0, ""},
        {ok + "Column=B|B|10|L|" + std::string(kMaxPatternChars + 1, 'd') + "\n", err::LimitExceeded,
         "line 3: the column's Format pattern is longer than 255 characters"},
        {largest, 0, ""},
        {largest + "\n", err::LimitExceeded, "holds 1048577 bytes, more than the 1048576"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text.substr(0, 80));
        if (row.number == 0) {
            EXPECT_NO_THROW(ParseReportFile(row.text, "C:\\REL\\X.rpt"));
        } else {
            ExpectError([&] { ParseReportFile(row.text, "C:\\REL\\X.rpt"); }, row.number, row.fragment);
            ExpectError([&] { ParseReportFile(row.text, "C:\\REL\\X.rpt"); }, row.number, "'C:\\REL\\X.rpt'");
        }
    }
    // 255 characters, not bytes: 'ç' takes two.
    std::string accented;
    for (std::size_t i = 0; i < kMaxPatternChars; ++i) accented += "\xC3\xA7";
    EXPECT_NO_THROW(ParseReportFile(ok + "Column=B|B|10|L|" + accented + "\n", "r"));
}

// A file saved as "ANSI" (cp1252) reads as the same file saved as UTF-8: its accented names
// match the source's fields. Valid UTF-8 is never read as cp1252.
TEST(ReportFileTest, AFileThatIsNotUtf8IsReadAsCp1252) {
    const struct {
        std::string text;
        std::string title;
        std::string field;
        std::string pattern;
    } rows[] = {
        {"Title=Vendas por Per\xEDodo\r\nSource=Relato001\r\nColumn=N\xFAmero|N\xFAmero Venda|25|R|0\r\n",
         "Vendas por Período", "Número Venda", "0"},
        {"Title=Vendas por Período\nSource=Relato001\nColumn=Número|Número Venda|25|R|0\n", "Vendas por Período",
         "Número Venda", "0"},
        {"\xEF\xBB\xBFTitle=A\xE7\xE3o\nSource=T\nColumn=Pre\xE7o|Pre\xE7o|20|R|\x80 #,##0.00\n", "Ação", "Preço",
         "€ #,##0.00"},
        // One stray byte makes the whole file cp1252, its UTF-8-looking pair included.
        {"Title=\xC3\xA9 \xE9\nSource=T\nColumn=A|A|10|L|\n", "Ã© é", "A", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const ReportDefinition def = ParseReportFile(row.text, "Vendas.rpt");
        EXPECT_EQ(def.title, row.title);
        ASSERT_EQ(def.columns.size(), 1u);
        EXPECT_EQ(def.columns[0].field, row.field);
        EXPECT_EQ(def.columns[0].format.Pattern(), row.pattern);
    }
    // The line limit counts the file's bytes: 4,096 accented cp1252 bytes are one line in bounds,
    // although they take twice as many in UTF-8.
    const std::string header = "Header=" + std::string(kMaxLineBytes - 7, '\xE9') + "\n";
    const ReportDefinition def = ParseReportFile("Source=T\nColumn=A|A|10|L|\n" + header, "r");
    ASSERT_EQ(def.headers.size(), 1u);
    EXPECT_EQ(HeaderText(def.headers[0], {}).size(), 2 * (kMaxLineBytes - 7));
}

// Many Sum= and Column= lines: every name is checked, whatever its place in the file.
TEST(ReportFileTest, ManySumsAreCheckedAgainstTheColumnsAndEachOther) {
    constexpr int kFields = 20000;
    std::string text = "Source=T\n";
    for (int i = 0; i < kFields; ++i) text += "Column=F|Campo" + std::to_string(i) + "|0.01|R|0\n";
    for (int i = 0; i < kFields; ++i) text += "Sum=CAMPO" + std::to_string(i) + "\n";
    const ReportDefinition def = ParseReportFile(text, "big.rpt");
    EXPECT_EQ(def.sums.size(), std::size_t{kFields});
    EXPECT_EQ(def.sums.back(), "CAMPO19999");
    ExpectError([&] { ParseReportFile(text + "Sum=campo123\n", "big.rpt"); }, err::DuplicateKey,
                "line 40002: field 'CAMPO123' is already summed");
    ExpectError([&] { ParseReportFile(text + "Sum=Outro\n", "big.rpt"); }, err::MalformedLine,
                "line 40002: summed field 'Outro' is not shown");
    // Names match as the database engine matches them, accented capitals included.
    EXPECT_NO_THROW(ParseReportFile("Source=T\nColumn=A|Ação|10|R|\nSum=AÇÃO\n", "r"));
    ExpectError([&] { ParseReportFile("Source=T\nColumn=A|Ação|10|R|\nSum=AÇÃO\nSum=ação\n", "r"); },
                err::DuplicateKey, "line 4");
}

}  // namespace
