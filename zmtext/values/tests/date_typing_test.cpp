// Typing a date digit by digit: the field's raw text fills one position per key and is parsed
// after each key with the value the previous key left, as the edit engine commits every
// keystroke. Every date must come out as typed, and an impossible one must stay as typed (and
// invalid) instead of turning into another date.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "zmtext/values/date_format.h"
#include "zmtext/values/date_time_digits.h"
#include "zmtext/values/tests/date_test_print.h"

namespace zmtext {
namespace {

constexpr char kFill = '_';

// The digits a user types for a date in an order, year with `yearDigits` digits.
std::string TypedDigits(int order, int year, int month, int day, int yearDigits = 4) {
    std::string m, d, y;
    ZMAppendDigits(m, month, 2);
    ZMAppendDigits(d, day, 2);
    ZMAppendDigits(y, yearDigits == 4 ? year : year % 100, yearDigits);
    if (order == kDateOrderDMY) return d + m + y;
    if (order == kDateOrderYMD) return y + m + d;
    return m + d + y;
}

// Types `digits` into a field whose raw text is `raw` and whose value is `value`, from the first
// position on; returns the value after the last key.
ZMDate TypeInto(std::string raw, ZMDate value, int order, const std::string& digits) {
    for (std::size_t i = 0; i < digits.size(); ++i) {
        raw[i] = digits[i];
        value = ZMParseDateRaw(raw, order, kFill, value);
    }
    return value;
}

ZMDate TypeIntoEmpty(int order, const std::string& digits) {
    return TypeInto(std::string(8, kFill), {}, order, digits);
}

TEST(DateTyping, EveryDateFrom1990To2030InDayFirstAndMonthFirstOrder) {
    const ZMDate first = {1, 1, 1990};
    const ZMDate last = {12, 31, 2030};
    int count = 0;
    for (std::int32_t n = ZMDateToDayNumber(kDateTypeHalvern, first);
         n <= ZMDateToDayNumber(kDateTypeHalvern, last); ++n) {
        const ZMDate date = ZMDayNumberToDate(kDateTypeHalvern, n);
        for (int order : {kDateOrderDMY, kDateOrderMDY}) {
            const ZMDate typed = TypeIntoEmpty(order, TypedDigits(order, date.year, date.month, date.day));
            ASSERT_EQ(typed, date) << order << ": " << n;
            ASSERT_TRUE(ZMIsValidDate(kDateTypeHalvern, typed));
            ASSERT_EQ(ZMDateToDayNumber(kDateTypeHalvern, typed), n);
        }
        ++count;
    }
    EXPECT_EQ(count, 14975);
}

TEST(DateTyping, ImpossibleDatesStayAsTypedAndInvalid) {
    struct Impossible {
        int month, day;
    };
    constexpr Impossible kEveryYear[] = {{4, 31}, {6, 31}, {9, 31}, {11, 31}, {2, 30}, {2, 31}, {13, 1}, {0, 15}, {5, 0}, {5, 32}};
    for (int year = 1990; year <= 2030; ++year) {
        std::vector<Impossible> impossible(std::begin(kEveryYear), std::end(kEveryYear));
        const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
        if (!leap) impossible.push_back({2, 29});
        for (const auto& bad : impossible) {
            for (int order : {kDateOrderDMY, kDateOrderMDY}) {
                SCOPED_TRACE(testing::Message() << year << '-' << bad.month << '-' << bad.day << " order " << order);
                const ZMDate typed = TypeIntoEmpty(order, TypedDigits(order, year, bad.month, bad.day));
                const ZMDate asTyped = {static_cast<std::int16_t>(bad.month), static_cast<std::int16_t>(bad.day),
                                        static_cast<std::int16_t>(year)};
                ASSERT_EQ(typed, asTyped);
                ASSERT_FALSE(ZMIsValidDate(kDateTypeHalvern, typed));
                ASSERT_FALSE(ZMIsValidDate(kDateTypeVisualBasic, typed));
            }
        }
    }
}

// Types over the raw text a field shows for `before` (overwrite mode, from the first position).
ZMDate TypeOver(const ZMDate& before, int order, int yearForm, const std::string& digits) {
    const ZMDateFormat format{order, '/', 2, 2, yearForm};
    return TypeInto(ZMFormatDateRaw(before, format, kFill, false), before, order, digits);
}

// A two-digit year borrows the century of the year the field holds at that key. Into an empty
// field the first year digit already makes a year (0..2 -> 2000..2002, 3..9 -> 1903..1909), whose
// century the second digit keeps: typed 00..29 land in 2000..2029 and 30..99 in 1930..1999.
TEST(DateTyping, TwoDigitYearsTakeTheFieldsCenturyOrTheWindow) {
    struct Row {
        const char* digits;     // typed into a DMY field that shows two-digit years
        ZMDate before;
        ZMDate expected;
    } rows[] = {
        {"251298", {}, {12, 25, 1998}},
        {"010110", {}, {1, 1, 2010}},
        {"010129", {}, {1, 1, 2029}},
        {"010130", {}, {1, 1, 1930}},
        {"010105", {}, {1, 1, 2005}},
        {"010102", {}, {1, 1, 2002}},
        {"010100", {}, {1, 1, 2000}},
        {"010109", {}, {1, 1, 2009}},
        {"010105", {6, 1, 2003}, {1, 1, 2005}},
        {"010199", {6, 1, 2003}, {1, 1, 2099}},
        {"010105", {6, 1, 1998}, {1, 1, 1905}},
        {"311230", {6, 1, 1998}, {12, 31, 1930}},
        {"311229", {6, 1, 2026}, {12, 31, 2029}},
        {"290200", {6, 1, 1998}, {2, 29, 1900}},   // kept as typed: 1900 has no 29 February
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.digits << " over " << row.before.year);
        const ZMDate typed = TypeOver(row.before, kDateOrderDMY, 1, row.digits);
        EXPECT_EQ(typed, row.expected);
        EXPECT_EQ(ZMIsValidDate(kDateTypeVisualBasic, typed), row.expected.day != 29);
    }
}

// Typing a full date over a field that holds a date of another century, in both year forms.
TEST(DateTyping, FourDigitYearOverAnotherCentury) {
    for (const ZMDate before : {ZMDate{6, 1, 1850}, ZMDate{6, 1, 1998}, ZMDate{6, 1, 2003}, ZMDate{12, 31, 2065}}) {
        for (int year : {1990, 1999, 2000, 2001, 2002, 2003, 2029, 2030}) {
            for (int yearForm : {1, 2}) {
                SCOPED_TRACE(testing::Message() << before.year << " -> " << year << " form " << yearForm);
                const std::string digits = TypedDigits(kDateOrderMDY, year, 2, 28);
                EXPECT_EQ(TypeOver(before, kDateOrderMDY, yearForm, digits), (ZMDate{2, 28, static_cast<std::int16_t>(year)}));
            }
        }
    }
}

TEST(DateTyping, YearFirstOrder) {
    for (const auto& date : {ZMDate{1, 1, 1990}, ZMDate{2, 29, 2000}, ZMDate{12, 31, 2030}, ZMDate{7, 4, 2001}}) {
        const ZMDate typed = TypeIntoEmpty(kDateOrderYMD, TypedDigits(kDateOrderYMD, date.year, date.month, date.day));
        EXPECT_EQ(typed, date);
    }
}

}  // namespace
}  // namespace zmtext
