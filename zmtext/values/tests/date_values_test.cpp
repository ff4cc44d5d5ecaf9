// Day numbers of both date types in both directions over the calendar's edges, their blank,
// error and limit values, validity, range, today from the clock, and OLE dates of bound columns.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/win/clock.h"
#include "zmtext/values/date_values.h"
#include "zmtext/values/tests/date_test_print.h"

namespace zmtext {
namespace {

ZMDate D(int year, int month, int day) {
    return {static_cast<std::int16_t>(month), static_cast<std::int16_t>(day), static_cast<std::int16_t>(year)};
}

struct DayRow {
    int year, month, day;
    std::int32_t typeZero;
};

// Numbers taken from an independent calendar; type 1 is always the type-0 number less 29220.
constexpr DayRow kDays[] = {
    {1899, 12, 30, 0},       {1899, 12, 31, 1},       {1900, 1, 1, 2},         {1900, 1, 20, 21},
    {1900, 2, 28, 60},       {1900, 3, 1, 61},        {1899, 12, 29, -1},      {1899, 1, 1, -363},
    {1800, 1, 1, -36522},    {1700, 3, 1, -72987},    {1600, 2, 29, -109512},  {1000, 6, 15, -328551},
    {100, 1, 1, -657434},    {100, 3, 1, -657375},    {1904, 2, 29, 1521},     {1970, 1, 1, 25569},
    {1979, 12, 31, 29220},   {1980, 1, 1, 29221},     {1985, 11, 17, 31368},   {1996, 2, 29, 35124},
    {1998, 3, 5, 35859},     {1998, 12, 25, 36154},   {1999, 12, 31, 36525},   {2000, 1, 1, 36526},
    {2000, 2, 29, 36585},    {2000, 3, 1, 36586},     {2001, 9, 9, 37143},     {2024, 2, 29, 45351},
    {2029, 12, 31, 47483},   {2030, 1, 1, 47484},     {2038, 1, 19, 50424},    {2065, 10, 28, 60568},
    {2065, 11, 17, 60588},   {2065, 11, 18, 60589},   {2100, 2, 28, 73109},    {2100, 3, 1, 73110},
    {2400, 2, 29, 182682},   {9999, 1, 1, 2958101},   {9999, 12, 31, 2958465},
};

bool InTypeOne(const DayRow& row) {
    const std::int32_t n = row.typeZero - 29220;
    return row.year >= 1900 && n >= -29219 && n <= 31368;
}

TEST(DayNumbers, DatesToNumbersAndBackInBothTypes) {
    for (const auto& row : kDays) {
        SCOPED_TRACE(testing::Message() << row.year << '-' << row.month << '-' << row.day);
        const ZMDate date = D(row.year, row.month, row.day);
        EXPECT_EQ(ZMDateToDayNumber(kDateTypeVisualBasic, date), row.typeZero);
        EXPECT_EQ(ZMDayNumberToDate(kDateTypeVisualBasic, row.typeZero), date);
        if (InTypeOne(row)) {
            EXPECT_EQ(ZMDateToDayNumber(kDateTypeHalvern, date), row.typeZero - 29220);
            EXPECT_EQ(ZMDayNumberToDate(kDateTypeHalvern, row.typeZero - 29220), date);
        } else {
            EXPECT_EQ(ZMDateToDayNumber(kDateTypeHalvern, date), -32768);
        }
    }
}

TEST(DayNumbers, LimitsOfEachType) {
    const auto& zero = ZMDateLimits(kDateTypeVisualBasic);
    EXPECT_EQ(zero.blank, -693959);
    EXPECT_EQ(zero.error, -693960);
    EXPECT_EQ(zero.minimum, -657434);
    EXPECT_EQ(zero.maximum, 2958465);
    EXPECT_EQ(zero.newMinimum, -657434);
    EXPECT_EQ(zero.newMaximum, 2958465);
    const auto& one = ZMDateLimits(kDateTypeHalvern);
    // The 16-bit patterns the type library publishes for type 1.
    EXPECT_EQ(static_cast<std::uint16_t>(one.blank), 0x8001);
    EXPECT_EQ(static_cast<std::uint16_t>(one.error), 0x8000);
    EXPECT_EQ(static_cast<std::uint16_t>(one.minimum), 0x8DDD);
    EXPECT_EQ(static_cast<std::uint16_t>(one.maximum), 0x7A88);
    EXPECT_EQ(ZMDayNumberToDate(kDateTypeHalvern, one.newMinimum), D(1900, 1, 20));
    EXPECT_EQ(ZMDayNumberToDate(kDateTypeHalvern, one.newMaximum), D(2065, 10, 28));
}

struct ForwardRow {
    int type, year, month, day;
    std::int32_t expected;
};

TEST(DayNumbers, BlankErrorAndRunOnTriples) {
    constexpr ForwardRow rows[] = {
        {0, 0, 0, 0, -693959},         {1, 0, 0, 0, -32767},          // the blank date
        {0, 1998, 13, 1, -693960},     {1, 1998, 13, 1, -32768},      // month 13 as typed
        {0, 1998, 0, 25, -693960},     {1, 1998, 0, 25, -32768},
        {0, 1998, -1, 25, -693960},    {0, 0, 12, 25, -693960},       // no year: "1225____"
        {0, 99, 12, 31, -693960},      {0, 10000, 1, 1, -693960},     // outside 100..9999
        {0, -5, 6, 1, -693960},        {0, 100, 1, 0, -693960},       // 0099-12-31
        {0, 99, 12, 33, -693960},      {0, 10000, 1, -5, -693960},    // run on into range: still no year
        {0, 9999, 12, 32, -693960},    {0, 9999, 12, 99, -693960},    // past 9999-12-31
        {1, 1899, 12, 31, -32768},     {1, 2065, 11, 18, -32768},     // outside type 1
        {1, 2065, 12, 1, -32768},      {1, 2066, 1, 1, -32768},
        {1, 2065, 10, 99, -32768},     {1, 1900, 1, 0, -29219},       // 1899-12-31 by run-on
        {0, 1998, 4, 31, 35916},       {1, 1998, 4, 31, 6696},        // 31 April is 1 May
        {0, 1900, 2, 29, 61},          {0, 1900, 2, 30, 62},          // 1900 has no 29 February
        {0, 2000, 2, 30, 36586},       {0, 1998, 3, 0, 35854},        // day 0: the month before
        {0, 1998, 1, -5, 35790},       {0, 2065, 11, 17, 60588},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.type << ": " << row.year << '-' << row.month << '-' << row.day);
        EXPECT_EQ(ZMDateToDayNumber(row.type, row.month, row.day, row.year), row.expected);
    }
}

// Whatever a field holds, its day number is the blank value, the error value or a number within
// the limits: never one the Value setter would refuse as out of range.
TEST(DayNumbers, EveryTripleGivesBlankErrorOrANumberWithinTheLimits) {
    constexpr int kYears[] = {-32768, -5, 0, 1, 99, 100, 101, 1899, 1900, 1901, 1999, 2000,
                              2065, 2066, 9998, 9999, 10000, 32767};
    for (int type : {kDateTypeVisualBasic, kDateTypeHalvern}) {
        const auto& limits = ZMDateLimits(type);
        for (int year : kYears) {
            for (int month = -1; month <= 14; ++month) {
                for (int day : {-32768, -40, -1, 0, 1, 15, 28, 29, 30, 31, 32, 99, 400, 32767}) {
                    const std::int32_t n = ZMDateToDayNumber(type, month, day, year);
                    ASSERT_TRUE(n == limits.blank || n == limits.error || ZMIsDayNumberInRange(type, n))
                        << type << ": " << year << '-' << month << '-' << day << " -> " << n;
                }
            }
        }
    }
}

TEST(DayNumbers, NumbersOutsideTheLimitsGiveTheBlankDate) {
    constexpr std::int32_t rows[][2] = {
        {0, -693959}, {0, -693960}, {0, -657435}, {0, 2958466}, {0, std::numeric_limits<std::int32_t>::min()},
        {1, -32767},  {1, -32768},  {1, -29220},  {1, 31369},   {1, std::numeric_limits<std::int32_t>::max()},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row[1]);
        EXPECT_TRUE(ZMDayNumberToDate(row[0], row[1]).IsBlank());
        EXPECT_FALSE(ZMIsDayNumberInRange(row[0], row[1]));
    }
    EXPECT_TRUE(ZMIsDayNumberInRange(kDateTypeHalvern, -29219));
    EXPECT_TRUE(ZMIsDayNumberInRange(kDateTypeVisualBasic, 2958465));
}

// The type-1 minimum lies inside the limits but converts to 1899-12-31, a year type 1 does not
// take: it is the one number of either type whose date does not convert back.
TEST(DayNumbers, TypeOneMinimumIsTheOneNumberWithoutARoundTrip) {
    EXPECT_EQ(ZMDayNumberToDate(kDateTypeHalvern, -29219), D(1899, 12, 31));
    EXPECT_EQ(ZMDateToDayNumber(kDateTypeHalvern, D(1899, 12, 31)), -32768);
    EXPECT_FALSE(ZMIsValidDate(kDateTypeHalvern, D(1899, 12, 31)));
}

TEST(DayNumbers, EveryNumberOfBothTypesConvertsBack) {
    for (std::int32_t n = -29218; n <= 31368; ++n) {
        const ZMDate date = ZMDayNumberToDate(kDateTypeHalvern, n);
        ASSERT_TRUE(ZMIsValidDate(kDateTypeHalvern, date)) << n;
        ASSERT_EQ(ZMDateToDayNumber(kDateTypeHalvern, date), n);
    }
    ZMDate previous = ZMDayNumberToDate(kDateTypeVisualBasic, -657434);
    for (std::int32_t n = -657433; n <= 2958465; ++n) {
        const ZMDate date = ZMDayNumberToDate(kDateTypeVisualBasic, n);
        ASSERT_EQ(ZMDateToDayNumber(kDateTypeVisualBasic, date), n);
        // Consecutive numbers are consecutive days: the next day of the month, or day 1 after
        // the month's last day.
        const bool nextDay = date.day == previous.day + 1 && date.month == previous.month;
        const bool nextMonth = date.day == 1 && (date.month == previous.month + 1 ||
                                                 (date.month == 1 && previous.month == 12 && date.year == previous.year + 1));
        ASSERT_TRUE(nextDay || nextMonth) << n;
        previous = date;
    }
}

TEST(DateValidity, MonthLengthsLeapYearsAndTypeLimits) {
    struct Row {
        int type, year, month, day;
        bool valid;
    } rows[] = {
        {0, 1900, 2, 29, false}, {0, 2000, 2, 29, true},  {0, 1996, 2, 29, true},  {0, 1999, 2, 29, false},
        {0, 2100, 2, 29, false}, {0, 2400, 2, 29, true},  {0, 1998, 4, 31, false}, {0, 1998, 4, 30, true},
        {0, 1998, 6, 31, false}, {0, 1998, 9, 31, false}, {0, 1998, 11, 31, false}, {0, 1998, 12, 31, true},
        {0, 1998, 1, 0, false},  {0, 1998, 13, 1, false}, {0, 0, 0, 0, false},     {0, 0, 12, 25, false},
        {0, 100, 1, 1, true},    {0, 99, 12, 31, false},  {0, 9999, 12, 31, true}, {1, 1899, 12, 31, false},
        {1, 1900, 1, 1, true},   {1, 2065, 11, 17, true}, {1, 2065, 11, 18, false}, {0, 2065, 11, 18, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.type << ": " << row.year << '-' << row.month << '-' << row.day);
        EXPECT_EQ(ZMIsValidDate(row.type, D(row.year, row.month, row.day)), row.valid);
    }
}

TEST(DateValidity, RangeComparesDayNumbersOfTheType) {
    const ZMDate min = D(1990, 1, 1), max = D(2030, 12, 31);
    EXPECT_TRUE(ZMIsDateInRange(kDateTypeHalvern, D(1990, 1, 1), min, max));
    EXPECT_TRUE(ZMIsDateInRange(kDateTypeHalvern, D(2030, 12, 31), min, max));
    EXPECT_FALSE(ZMIsDateInRange(kDateTypeHalvern, D(1989, 12, 31), min, max));
    EXPECT_FALSE(ZMIsDateInRange(kDateTypeHalvern, D(2031, 1, 1), min, max));
    // MinValue above MaxValue is accepted but nothing is in range.
    EXPECT_FALSE(ZMIsDateInRange(kDateTypeVisualBasic, D(2000, 1, 1), max, min));
    // A blank MinValue (the lowest number) admits everything up to MaxValue.
    EXPECT_TRUE(ZMIsDateInRange(kDateTypeVisualBasic, D(100, 1, 1), ZMDate{}, max));
}

TEST(DateToday, ComesFromTheClockInForce) {
    win::OffsetClock clock;
    clock.Freeze({2029, 2, 28, 23, 59, 59});
    win::InstallClock(&clock);
    const ZMDate today = ZMGetToday();
    win::InstallClock(nullptr);
    EXPECT_EQ(today, D(2029, 2, 28));
}

struct OleRow {
    double value;
    double day;
    std::int32_t seconds;
};

TEST(OleDates, SplitKeepsTheTimeForwardFromMidnightOnBothSides) {
    constexpr OleRow rows[] = {
        {36526.75, 36526, 64800},  {36526.5, 36526, 43200},   {36526.0, 36526, 0},
        {-1.25, -1, 21600},        {-1.75, -1, 64800},        {-0.25, 0, 21600},
        {-657434.5, -657434, 43200}, {2958465.999988, 2958465, 86399},
        {36526.1, 36526, 8640},     // 02:24:00, whose fraction is just below 0.1: rounded, not cut
        {-36526.1, -36526, 8640},
        {0.9999999, 1, 0},          // rounds up to midnight: the next day
        {-0.9999999, 1, 0},         // 1899-12-30 23:59:59.99 -> 1899-12-31
        {-1.9999999, 0, 0},         // 1899-12-29 23:59:59.99 -> 1899-12-30
        {-2.0000001, -2, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        const auto parts = ZMSplitOleDate(row.value);
        ASSERT_TRUE(parts.has_value());
        EXPECT_EQ(parts->day, row.day);
        EXPECT_FALSE(std::signbit(parts->day) && parts->day == 0);
        EXPECT_EQ(parts->seconds, row.seconds);
    }
    EXPECT_FALSE(ZMSplitOleDate(std::numeric_limits<double>::quiet_NaN()).has_value());
    EXPECT_FALSE(ZMSplitOleDate(std::numeric_limits<double>::infinity()).has_value());
    EXPECT_FALSE(ZMSplitOleDate(-std::numeric_limits<double>::infinity()).has_value());
}

TEST(OleDates, ComposeSubtractsTheTimeFromANegativeDay) {
    EXPECT_EQ(ZMComposeOleDate(36526, 64800), 36526.75);
    EXPECT_EQ(ZMComposeOleDate(-1, 21600), -1.25);
    EXPECT_EQ(ZMComposeOleDate(-1, 0), -1.0);
    EXPECT_EQ(ZMComposeOleDate(0, 43200), 0.5);
    EXPECT_EQ(ZMComposeOleDate(-657434, 43200), -657434.5);
    for (double day : {-657434.0, -36522.0, -2.0, -1.0, 0.0, 1.0, 36526.0, 2958465.0}) {
        for (std::int32_t seconds = 0; seconds < 86400; seconds += 7) {
            const auto parts = ZMSplitOleDate(ZMComposeOleDate(day, seconds));
            ASSERT_TRUE(parts.has_value());
            ASSERT_EQ(parts->day, day) << seconds;
            ASSERT_EQ(parts->seconds, seconds) << day;
        }
    }
}

}  // namespace
}  // namespace zmtext
