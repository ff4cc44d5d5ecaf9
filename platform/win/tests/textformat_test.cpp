#include "platform/win/textformat.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

#include "platform/win/error.h"
#include "platform/win/testing/raises.h"
#include "platform/win/oledate.h"

namespace {

using win::testing::ErrorNumberOf;

TEST(TextFormatTest, NumberTextsUseTheRegionalSeparatorAndFifteenDigits) {
    const struct {
        double value;
        const char* cstr;
        const char* str;
    } rows[] = {
        {0, "0", " 0"},
        {-0.0, "0", " 0"},
        {1.5, "1,5", " 1.5"},
        {-2.25, "-2,25", "-2.25"},
        {1234567, "1234567", " 1234567"},
        {0.1 + 0.2, "0,3", " .3"},
        {1.0 / 3, "0,333333333333333", " .333333333333333"},
        {123456789012345, "123456789012345", " 123456789012345"},
        {1e15, "1E+15", " 1E+15"},
        {-1.5e20, "-1,5E+20", "-1.5E+20"},
        {0.0001, "0,0001", " .0001"},
        {0.00001, "1E-05", " 1E-05"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(win::NumberText(row.value), row.cstr) << row.value;
        EXPECT_EQ(win::StrText(row.value), row.str) << row.value;
    }
}

TEST(TextFormatTest, ValReadsTheLeadingNumberWithAPoint) {
    const struct {
        const char* text;
        double value;
    } rows[] = {
        {"", 0},        {"abc", 0},         {"12abc", 12},      {"  1 2 3", 123},
        {"1.5", 1.5},   {"1,5", 1},         {"-3.25e2", -325},  {"2D1", 20},
        {"&HFF", 255},  {"&HFFFF", -1},     {"&O17", 15},       {".5", 0.5},
        {"+7", 7},      {"1e", 1},          {"--1", 0},         {"12-3", 12},
    };
    for (const auto& row : rows) {
        EXPECT_DOUBLE_EQ(win::Val(row.text), row.value) << row.text;
    }
}

TEST(TextFormatTest, RegionalNumberTextsReadWithCommaDecimals) {
    const struct {
        const char* text;
        bool valid;
        double value;
    } rows[] = {
        {"1,5", true, 1.5},       {" -2,25 ", true, -2.25},  {"1.234,56", true, 1234.56},
        {"1.5", true, 15},        {"12", true, 12},          {"1,5E3", true, 1500},
        {"", false, 0},           {"abc", false, 0},         {"1,2,3", false, 0},
        {"12a", false, 0},        {"-", false, 0},           {"1E", false, 0},
    };
    for (const auto& row : rows) {
        const auto value = win::ParseNumberText(row.text);
        EXPECT_EQ(value.has_value(), row.valid) << row.text;
        if (value && row.valid) {
            EXPECT_DOUBLE_EQ(*value, row.value) << row.text;
        }
    }
    EXPECT_EQ(ErrorNumberOf([] { win::CDblText("x"); }), win::err::TypeMismatch);
}

TEST(TextFormatTest, ConversionsRoundHalfToEvenAndOverflow) {
    const struct {
        double value;
        int expected;
    } rows[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-2.5, -2}, {2.6, 3}, {-0.4, 0}, {32767.4, 32767}};
    for (const auto& row : rows) {
        EXPECT_EQ(win::CInt(row.value), row.expected) << row.value;
        EXPECT_EQ(win::CLng(row.value), row.expected) << row.value;
    }
    EXPECT_EQ(ErrorNumberOf([] { win::CInt(32767.5); }), win::err::Overflow);
    EXPECT_EQ(ErrorNumberOf([] { win::CLng(3e9); }), win::err::Overflow);
    EXPECT_EQ(ErrorNumberOf([] { win::CLng(NAN); }), win::err::Overflow);
    EXPECT_EQ(win::CCurUnits(0.1), 1000);
    EXPECT_EQ(win::CCurUnits(-1.23455), -12346);
    EXPECT_EQ(win::CCurUnits(1.00005), 10000);   // half to even on the fourth decimal
    EXPECT_EQ(ErrorNumberOf([] { win::CCurUnits(1e15); }), win::err::Overflow);
}

TEST(TextFormatTest, NumberPatterns) {
    const struct {
        double value;
        const char* pattern;
        const char* expected;
    } rows[] = {
        {3, "00", "03"},
        {12, "00", "12"},
        {123, "00", "123"},
        {2.5, "00", "03"},
        {-3, "00", "-03"},
        {1234.567, "#,##0.00", "1.234,57"},
        {1234567.5, "#,##0.00", "1.234.567,50"},
        {0.5, "#,##0.00", "0,50"},
        {-0.001, "0.00", "0,00"},
        {1.005, "0.00", "1,01"},
        {0.25, "0%", "25%"},
        {1.5, "0.##", "1,5"},
        {5, "#.##", "5,"},
        {0.5, "#.##", ",5"},
        {-5, "0;(0)", "(5)"},
        {0, "0;(0);\"zero\"", "zero"},
        {1500000, "#,##0,", "1.500"},
        {42, "\"R$ \"0.00", "R$ 42,00"},
        {7, "\\#0", "#7"},
        {1234.5, "Standard", "1.234,50"},
        {1234.5, "Fixed", "1234,50"},
        {1.5, "", "1,5"},
        {45651.75, "dd/mm/yyyy hh:mm", "25/12/2024 18:00"},   // a number with a date pattern
    };
    for (const auto& row : rows) {
        EXPECT_EQ(win::FormatNumber(row.value, row.pattern), row.expected)
            << row.value << " with " << row.pattern;
    }
}

TEST(TextFormatTest, DatePatternsWithBrazilianNames) {
    const double christmas = win::OleDateFromCivil({2024, 12, 25, 18, 5, 9});
    const double saturday = win::OleDateFromCivil({2024, 3, 2, 7, 0, 0});
    const struct {
        double date;
        const char* pattern;
        const char* expected;
    } rows[] = {
        {christmas, "dd/mm/yy", "25/12/24"},
        {christmas, "dd/mm/yyyy", "25/12/2024"},
        {christmas, "hh:mm", "18:05"},
        {christmas, "hh:mm:ss", "18:05:09"},
        {saturday, "D/M/YYYY", "2/3/2024"},
        {christmas, "Short Date", "25/12/2024"},
        {christmas, "Long Time", "18:05:09"},
        {christmas, "General Date", "25/12/2024 18:05:09"},
        {win::DatePart(christmas), "General Date", "25/12/2024"},
        {win::TimePart(christmas), "General Date", "18:05:09"},
        {0.0, "General Date", "00:00:00"},
        {1.0, "General Date", "31/12/1899"},
        {christmas, "dddd", "quarta-feira"},
        {saturday, "dddd", "sábado"},
        {saturday, "ddd", "sáb"},
        {saturday, "mmmm", "março"},
        {christmas, "mmm", "dez"},
        {christmas, "Long Date", "quarta-feira, 25 de dezembro de 2024"},
        {christmas, "h:nn AM/PM", "6:05 PM"},
        {saturday, "hh a/p", "07 a"},
        {christmas, "\"dia\" d", "dia 25"},
        {christmas, "y w q", "360 4 4"},
        {christmas, "ww", "52"},
        {win::DateSerial(2023, 1, 1), "ww", "1"},
        {win::DateSerial(2022, 1, 1), "ww d/m", "1 1/1"},
        {christmas, "", "25/12/2024 18:05:09"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(win::FormatDate(row.date, row.pattern), row.expected) << row.pattern;
    }
}

TEST(TextFormatTest, FormatOfTextsReadsNumbersThenDates) {
    EXPECT_EQ(win::FormatText(" 01/02/2024 ", "D/M/YYYY", 2024), "1/2/2024");
    EXPECT_EQ(win::FormatText("7", "00", 2024), "07");
    EXPECT_EQ(win::FormatText("2,5", "0.00", 2024), "2,50");
    EXPECT_EQ(win::FormatText("loja", "00", 2024), "loja");
}

TEST(TextFormatTest, TextsDoNotFollowTheProcessLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "pt_BR.UTF-8")) {
        std::setlocale(LC_NUMERIC, "C");
    }
    EXPECT_EQ(win::NumberText(1.5), "1,5");
    EXPECT_EQ(win::StrText(1.5), " 1.5");
    EXPECT_DOUBLE_EQ(win::Val("1.5"), 1.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

// A pattern read once formats every value as a fresh Format of it would, copies included.
TEST(TextFormatTest, APatternReadOnceFormatsEveryValueAlike) {
    const char* patterns[] = {"", "#,##0.00;(#,##0.00);\"zero\"", "Short Date", "dd/mm/yyyy hh:nn AM/PM",
                              "Standard", "0%", "\"dia\" d \\m mmmm", "hh:mm:ss", "ttttt ww q"};
    const double values[] = {0, -1234.5, 45657.75, 0.001, 36526.5};
    for (const char* text : patterns) {
        const win::FormatPattern read(text);
        const win::FormatPattern copy = read;
        for (double value : values) {
            EXPECT_EQ(read.Number(value), win::FormatNumber(value, text)) << text << " " << value;
            EXPECT_EQ(copy.Date(value), win::FormatDate(value, text)) << text << " " << value;
        }
    }
    EXPECT_EQ(win::FormatPattern("dd/mm/yyyy").Number(45657), "31/12/2024");
    EXPECT_EQ(win::FormatPattern("hh:mm").Date(45657.75), "18:00");
}

}  // namespace
