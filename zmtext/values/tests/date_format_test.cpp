// Date formats from the properties and from sShortDate, the display text, raw text and pattern
// builders, the raw and display parsers with their two-digit-year rules, and text round trips.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/win/testing/temp_machine_root.h"
#include "zmtext/values/date_format.h"
#include "zmtext/values/date_time_digits.h"
#include "zmtext/values/tests/date_test_print.h"

namespace zmtext {
namespace {

ZMDate D(int year, int month, int day) {
    return {static_cast<std::int16_t>(month), static_cast<std::int16_t>(day), static_cast<std::int16_t>(year)};
}

ZMDateFormat F(int order, char separator, int dayForm, int monthForm, int yearForm) {
    return {order, separator, dayForm, monthForm, yearForm};
}

constexpr int MDY = kDateOrderMDY, DMY = kDateOrderDMY, YMD = kDateOrderYMD;

TEST(DateFormatSettings, ReadFromShortDateWhenFmtControlIsZero) {
    struct Row {
        const char* shortDate;
        ZMDateFormat expected;
    } rows[] = {
        {"M/d/yy", F(MDY, '/', 1, 1, 1)},      {"dd/MM/yyyy", F(MDY, '/', 2, 2, 2)},
        {"d.M.yyyy", F(MDY, '.', 1, 1, 2)},    {"yyyy-MM-dd", F(YMD, '-', 2, 2, 2)},
        {"yy.MM.dd", F(YMD, '.', 2, 2, 1)},    {"yyy/M/d", F(YMD, '/', 1, 1, 1)},
        {"yyyyy/M/d", F(YMD, '/', 1, 1, 1)},   {"MMM d yyyy", F(MDY, ' ', 1, 3, 2)},
        {"dd-MMMM-yy", F(MDY, '-', 2, 4, 1)},  {"d/M", F(MDY, '/', 1, 1, 1)},
        {"yyyy", F(YMD, '-', 0, 0, 2)},        {"", F(MDY, '-', 0, 0, 1)},
        {"MM/dd/yy/yyyy", F(MDY, '/', 2, 2, 1)}, {"Md", F(MDY, 'd', 1, 1, 1)},
    };
    const ZMDateFormatProps props;   // FmtControl 0: the properties are not used
    for (const auto& row : rows) {
        SCOPED_TRACE(row.shortDate);
        EXPECT_EQ(ZMResolveDateFormat(props, row.shortDate), row.expected);
    }
}

TEST(DateFormatSettings, PropertiesWhenFmtControlIsNotZero) {
    struct Row {
        ZMDateFormatProps props;
        ZMDateFormat expected;
    } rows[] = {
        {{1, 1, 3, 1, '-'}, F(MDY, '-', 1, 3, 1)},
        {{2, 2, 2, 2, '.'}, F(DMY, '.', 2, 2, 2)},
        {{3, 0, 4, 0, '/'}, F(YMD, '/', 0, 4, 0)},
        {{2, 1, 1, 2, '\0'}, F(DMY, '-', 1, 1, 2)},   // a separator of 0 is "-"
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.props.fmtControl);
        EXPECT_EQ(ZMResolveDateFormat(row.props, "yyyy.MM.dd"), row.expected);
    }
}

TEST(DateFormatSettings, WinIniIsReadAtEveryUse) {
    win::testing::TempMachineRoot root;
    const ZMDateFormatProps props;
    EXPECT_EQ(ZMResolveDateFormat(props), F(MDY, '/', 1, 1, 1));   // no WIN.INI: "M/d/yy"
    const auto winIni = root.DriveC() / "WINDOWS" / "WIN.INI";
    std::ofstream(winIni) << "[intl]\r\nsShortDate=yyyy.MM.dd\r\n";
    EXPECT_EQ(ZMResolveDateFormat(props), F(YMD, '.', 2, 2, 2));
    std::ofstream(winIni) << "[intl]\r\nsShortDate=dd/MM/yyyy\r\n";
    EXPECT_EQ(ZMResolveDateFormat(props), F(MDY, '/', 2, 2, 2));
    // The control's own properties do not look at WIN.INI.
    EXPECT_EQ(ZMResolveDateFormat({2, 1, 4, 2, '-'}), F(DMY, '-', 1, 4, 2));
}

struct TextRow {
    ZMDate date;
    ZMDateFormat format;
    char fill;
    const char* text;
};

TEST(DateDisplayText, PartsFormsOrderAndFill) {
    const TextRow rows[] = {
        {D(1998, 3, 5), F(MDY, '-', 1, 3, 1), '_', "Mar-5-98"},
        {{}, F(MDY, '-', 1, 3, 1), '_', "___-_-__"},
        {{}, F(MDY, '/', 1, 1, 1), '_', "_/_/__"},
        {{}, F(DMY, '.', 2, 4, 2), '*', "**.*********.****"},
        {D(1998, 12, 25), F(MDY, '/', 1, 1, 1), '_', "12/25/98"},
        {D(1998, 12, 25), F(DMY, '/', 2, 2, 2), '_', "25/12/1998"},
        {D(1998, 12, 25), F(YMD, '/', 2, 2, 2), '_', "1998/12/25"},
        {D(1998, 12, 25), F(YMD, '-', 2, 2, 1), '_', "98-12-25"},
        {D(2005, 1, 2), F(MDY, '/', 2, 2, 1), '_', "01/02/05"},
        {D(2005, 1, 2), F(MDY, '/', 1, 1, 1), '_', "1/2/05"},
        {D(2005, 1, 2), F(DMY, ' ', 1, 4, 2), '_', "2 January 2005"},
        {D(2005, 9, 30), F(DMY, '-', 2, 4, 1), '_', "30-September-05"},
        {D(5, 1, 2), F(MDY, '/', 1, 1, 2), '_', "1/2/0005"},
        {D(1998, 3, 5), F(MDY, '-', 0, 3, 1), '_', "Mar-98"},          // no day
        {D(1998, 3, 5), F(MDY, '-', 1, 3, 0), '_', "Mar-5"},           // no year: the last separator goes
        {D(1998, 3, 5), F(DMY, '-', 1, 0, 2), '_', "5-1998"},
        {D(1998, 3, 5), F(YMD, '-', 0, 0, 2), '_', "1998"},
        {D(1998, 3, 5), F(MDY, '-', 0, 0, 0), '_', ""},
        {D(1998, 0, 5), F(MDY, '/', 2, 2, 2), '_', "__/05/1998"},      // a partly typed date
        {D(0, 12, 25), F(DMY, '/', 2, 3, 2), '#', "25/Dec/####"},
        {D(1998, 13, 5), F(MDY, '-', 1, 3, 1), '_', "13-5-98"},        // a month with no name
        {D(1998, 12, 5), F(MDY, '-', 1, 5, 1), '_', "5-98"},           // an unknown form shows nothing
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(ZMFormatDateText(row.date, row.format, row.fill), row.text);
    }
}

TEST(DateRawText, EightCharactersInTheOrder) {
    struct Row {
        ZMDate date;
        ZMDateFormat format;
        bool force;
        const char* raw;
    } rows[] = {
        {D(1998, 12, 25), F(DMY, '/', 1, 1, 1), false, "251298__"},
        {D(1998, 12, 25), F(DMY, '/', 1, 1, 1), true, "25121998"},
        {D(1998, 12, 25), F(YMD, '/', 1, 1, 1), false, "19981225"},
        {D(1998, 12, 25), F(MDY, '/', 1, 1, 2), false, "12251998"},
        {D(1998, 12, 25), F(MDY, '/', 1, 1, 0), false, "12251998"},
        {D(2005, 1, 2), F(MDY, '/', 1, 1, 1), false, "010205__"},
        {{}, F(MDY, '/', 1, 1, 1), true, "________"},
        {D(0, 0, 25), F(DMY, '/', 1, 1, 2), false, "25______"},
        {D(0, 12, 25), F(MDY, '/', 1, 1, 2), false, "1225____"},
        {D(1998, 0, 0), F(YMD, '/', 1, 1, 2), false, "1998____"},
        {D(5, 1, 2), F(MDY, '/', 1, 1, 2), false, "01020005"},
        {D(1998, 123, 5), F(MDY, '/', 1, 1, 2), false, "__051998"},   // too wide for two digits
        {D(1998, 12, -5), F(DMY, '/', 1, 1, 2), false, "__121998"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.raw);
        const std::string raw = ZMFormatDateRaw(row.date, row.format, '_', row.force);
        EXPECT_EQ(raw, row.raw);
        EXPECT_EQ(raw.size(), 8u);
    }
    EXPECT_EQ(ZMFormatDateRaw({}, F(MDY, '/', 1, 1, 1), '*', false), "********");
}

TEST(DatePattern, SeparatorsAfterTheFirstTwoParts) {
    EXPECT_EQ(ZMDatePattern(F(MDY, '/', 1, 1, 1), '_'), "__/__/____");
    EXPECT_EQ(ZMDatePattern(F(DMY, '.', 1, 1, 1), '#'), "##.##.####");
    EXPECT_EQ(ZMDatePattern(F(YMD, '-', 1, 1, 1), '_'), "____-__-__");
}

struct RawParseRow {
    const char* raw;
    int order;
    ZMDate current;
    ZMDate expected;
};

TEST(DateRawParse, PartsAsTypedAndTheCenturyRule) {
    const RawParseRow rows[] = {
        {"12251998", MDY, {}, D(1998, 12, 25)},
        {"25121998", DMY, {}, D(1998, 12, 25)},
        {"19981225", YMD, {}, D(1998, 12, 25)},
        {"", MDY, D(1998, 12, 25), {}},
        {"________", MDY, D(1998, 12, 25), {}},
        {"010105__", DMY, {}, D(1905, 1, 1)},               // blank field: 03..99 -> 19xx
        {"010105__", DMY, D(2003, 6, 1), D(2005, 1, 1)},    // the field's own century
        {"010102__", DMY, {}, D(2002, 1, 1)},               // 00..02 -> 20xx
        {"010100__", DMY, {}, D(2000, 1, 1)},
        {"010103__", DMY, {}, D(1903, 1, 1)},
        {"010199__", DMY, D(2003, 6, 1), D(2099, 1, 1)},
        {"010102__", DMY, D(1998, 6, 1), D(1902, 1, 1)},
        {"251298__", DMY, D(1998, 12, 25), D(1998, 12, 25)},
        {"2512_98_", DMY, {}, D(1998, 12, 25)},             // spaces inside the year part
        {"0101__05", DMY, {}, D(1905, 1, 1)},
        {"01010005", DMY, {}, D(1905, 1, 1)},               // a year below 100 however typed
        {"01010105", DMY, {}, D(105, 1, 1)},
        {"13011998", MDY, {}, D(1998, 13, 1)},              // not validated here
        {"04311998", MDY, {}, D(1998, 4, 31)},
        {"1225____", MDY, {}, D(0, 12, 25)},
        {"25______", DMY, {}, D(0, 0, 25)},
        {"2_______", DMY, {}, D(0, 0, 2)},
        {"_2______", DMY, {}, D(0, 0, 2)},
        {"2512", DMY, {}, D(0, 12, 25)},                    // a short text: missing parts are 0
        {"1225-199", MDY, {}, D(-199, 12, 25)},             // a negative year is no two-digit year
        {"98______", YMD, D(2010, 1, 1), D(2098, 0, 0)},
        {"1998____", YMD, {}, D(1998, 0, 0)},
        {"010105__", DMY, D(32767, 1, 1), D(1905, 1, 1)},   // a field year past 9999 lends no century
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.raw);
        EXPECT_EQ(ZMParseDateRaw(row.raw, row.order, '_', row.current), row.expected);
    }
    EXPECT_EQ(ZMParseDateRaw("0105****", DMY, '*', {}), D(0, 5, 1));
}

struct TextParseRow {
    const char* text;
    ZMDateFormat format;
    ZMDate current;
    ZMDate expected;
};

TEST(DateTextParse, SeparatorsNamesAndTheYearWindow) {
    const ZMDate c = D(1998, 3, 5);   // the field's value before
    const TextParseRow rows[] = {
        {"12/25/98", F(MDY, '/', 1, 1, 1), {}, D(1998, 12, 25)},
        {"12/25/28", F(MDY, '/', 1, 1, 1), {}, D(2028, 12, 25)},
        {"12/25/29", F(MDY, '/', 1, 1, 1), {}, D(2029, 12, 25)},
        {"12/25/30", F(MDY, '/', 1, 1, 1), {}, D(1930, 12, 25)},
        {"12/25/00", F(MDY, '/', 1, 1, 1), {}, D(2000, 12, 25)},
        {"12/25/1998", F(MDY, '/', 1, 1, 2), {}, D(1998, 12, 25)},
        {"12-25-0005", F(MDY, '/', 1, 1, 2), {}, D(2005, 12, 25)},   // any separator character
        {"25.12.1998", F(DMY, '.', 2, 2, 2), {}, D(1998, 12, 25)},
        {"1998/12/25", F(YMD, '/', 2, 2, 2), {}, D(1998, 12, 25)},
        {"98/12/25", F(YMD, '/', 2, 2, 1), {}, D(1998, 12, 25)},
        {"Mar-5-98", F(MDY, '-', 1, 3, 1), {}, D(1998, 3, 5)},
        {"mar-5-98", F(MDY, '-', 1, 3, 1), {}, D(1998, 3, 5)},
        {"Ju-5-98", F(MDY, '-', 1, 3, 1), {}, D(1998, 7, 5)},        // December down: July first
        {"J-5-98", F(MDY, '-', 1, 3, 1), {}, D(1998, 7, 5)},
        {"JA-5-98", F(MDY, '-', 1, 3, 1), {}, D(1998, 1, 5)},
        {"June-5-98", F(MDY, '-', 1, 3, 1), {}, D(1998, 0, 5)},      // longer than the short name
        {"June-5-98", F(MDY, '-', 1, 4, 1), {}, D(1998, 6, 5)},
        {"5 September 2005", F(DMY, ' ', 1, 4, 2), {}, D(2005, 9, 5)},
        {"5 Sept 2005", F(DMY, ' ', 1, 4, 2), {}, D(2005, 9, 5)},
        {"5-Xyz-2005", F(DMY, '-', 1, 3, 2), {}, D(2005, 0, 5)},
        {"2005-Dec-25", F(YMD, '-', 2, 3, 2), {}, D(2005, 12, 25)},
        {"12/25", F(MDY, '/', 1, 1, 1), {}, D(2026, 12, 25)},         // no year: this year
        {"25/12/", F(DMY, '/', 1, 1, 1), {}, D(2026, 12, 25)},
        {"25/12/xx", F(DMY, '/', 1, 1, 1), c, D(2026, 12, 25)},
        {"7", F(MDY, '/', 1, 1, 1), c, D(2026, 7, 5)},                // day kept from the field
        {"1999", F(YMD, '/', 1, 1, 2), c, D(1999, 3, 5)},             // YMD keeps its month and day
        {"", F(MDY, '/', 1, 1, 1), c, {}},
        {"___-_-__", F(MDY, '-', 1, 3, 1), {}, {}},                   // the blank text stays blank
        {"___-_-__", F(MDY, '-', 1, 3, 1), c, {}},
        {"_/_/__", F(MDY, '/', 1, 1, 1), c, {}},
        {"*********.**.****", F(MDY, '.', 2, 4, 2), c, {}},
        {"__/__/1998", F(DMY, '/', 2, 2, 2), c, {}},                  // fill characters separate too
        {"12/25/-5", F(MDY, '/', 1, 1, 1), {}, D(-5, 12, 25)},        // a negative year stays, no date
        {"12/25/99999", F(MDY, '/', 1, 1, 2), {}, D(32767, 12, 25)},  // saturates: no wrap to a year
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(ZMParseDateText(row.text, row.format, row.current, 2026), row.expected);
    }
}

// Assigning back the text of a blank field with month names once read the empty name as December
// and stored 2000-11-30.
TEST(DateTextParse, BlankTextWithMonthNamesIsNotDecember) {
    for (int form : {kMonthFormShortName, kMonthFormLongName}) {
        for (int order : {MDY, DMY, YMD}) {
            const ZMDateFormat format = F(order, '-', 1, form, 1);
            const std::string text = ZMFormatDateText({}, format, '_');
            SCOPED_TRACE(text);
            const ZMDate parsed = ZMParseDateText(text, format, {}, 2026);
            EXPECT_TRUE(parsed.IsBlank());
            EXPECT_EQ(ZMDateToDayNumber(kDateTypeHalvern, parsed), -32767);
        }
    }
}

// Display text -> date -> display text over every type-1 day and a sample of type-0 days, in
// formats that show every part (two-digit years only inside their window).
TEST(DateTextRoundTrip, TextDateText) {
    const ZMDateFormat fourDigit[] = {F(MDY, '/', 1, 1, 2), F(DMY, '.', 2, 2, 2), F(YMD, '-', 2, 2, 2),
                                      F(MDY, '-', 1, 3, 2), F(DMY, ' ', 1, 4, 2), F(YMD, '/', 1, 3, 2)};
    const ZMDateFormat twoDigit[] = {F(MDY, '/', 1, 1, 1), F(DMY, '-', 2, 3, 1)};
    auto check = [](const ZMDate& date, const ZMDateFormat& format) {
        const std::string text = ZMFormatDateText(date, format, '_');
        const ZMDate parsed = ZMParseDateText(text, format, {}, 2026);
        ASSERT_EQ(parsed, date) << text;
        ASSERT_EQ(ZMFormatDateText(parsed, format, '_'), text);
        const std::string raw = ZMFormatDateRaw(date, format, '_', true);
        ASSERT_EQ(ZMParseDateRaw(raw, format.order, '_', {}), date) << raw;
    };
    for (std::int32_t n = -29218; n <= 31368; ++n) {
        const ZMDate date = ZMDayNumberToDate(kDateTypeHalvern, n);
        for (const auto& format : fourDigit) check(date, format);
        if (date.year >= 1930 && date.year <= 2029) {
            for (const auto& format : twoDigit) check(date, format);
        }
    }
    for (std::int32_t n = -657434; n <= 2958465; n += 97) {
        const ZMDate date = ZMDayNumberToDate(kDateTypeVisualBasic, n);
        // Years below 100 are two-digit years to the parsers, and type 0 has none.
        for (const auto& format : fourDigit) check(date, format);
    }
}

TEST(DateDigits, AtoiAndPaddingAsTheRuntime) {
    EXPECT_EQ(ZMAtoi("  42abc"), 42);
    EXPECT_EQ(ZMAtoi("-7/"), -7);
    EXPECT_EQ(ZMAtoi("+7"), 7);
    EXPECT_EQ(ZMAtoi("\t\n 9"), 9);
    EXPECT_EQ(ZMAtoi("- 7"), 0);
    EXPECT_EQ(ZMAtoi(""), 0);
    EXPECT_EQ(ZMAtoi("__"), 0);
    EXPECT_EQ(ZMAtoi("99999999999"), 2147483647);
    EXPECT_EQ(ZMAtoi("-99999999999"), -2147483647 - 1);
    EXPECT_EQ(ZMAtoi16("40000"), 32767);
    EXPECT_EQ(ZMAtoi16("-40000"), -32768);
    std::string out;
    ZMAppendDigits(out, 5, 2);
    ZMAppendDigits(out, 123, 2);
    ZMAppendDigits(out, -5, 4);
    ZMAppendDigits(out, 0, 1);
    EXPECT_EQ(out, "05123-0050");
}

}  // namespace
}  // namespace zmtext
