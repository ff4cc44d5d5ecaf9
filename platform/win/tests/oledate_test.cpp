#include "platform/win/oledate.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/win/error.h"
#include "platform/win/testing/raises.h"

namespace {

using win::testing::ErrorNumberOf;

TEST(OleDateTest, CalendarAndSerialAgreeBothWays) {
    const struct {
        win::CivilTime when;
        double serial;
    } rows[] = {
        {{1899, 12, 30, 0, 0, 0}, 0.0},
        {{1899, 12, 31, 0, 0, 0}, 1.0},
        {{1900, 1, 1, 0, 0, 0}, 2.0},
        {{1900, 3, 1, 0, 0, 0}, 61.0},
        {{2000, 2, 29, 0, 0, 0}, 36585.0},
        {{2024, 12, 25, 18, 0, 0}, 45651.75},
        {{1899, 12, 29, 6, 0, 0}, -1.25},       // negative dates: the fraction counts forward
        {{1899, 12, 30, 12, 0, 0}, 0.5},
        {{100, 1, 1, 0, 0, 0}, -657434.0},
        {{9999, 12, 31, 0, 0, 0}, 2958465.0},
    };
    for (const auto& row : rows) {
        EXPECT_DOUBLE_EQ(win::OleDateFromCivil(row.when), row.serial) << row.serial;
        EXPECT_EQ(win::CivilFromOleDate(row.serial), row.when) << row.serial;
    }
}

TEST(OleDateTest, PartsRoundToTheNearestSecondAndWeekdayCountsFromSunday) {
    const double christmas = win::OleDateFromCivil({2024, 12, 25, 23, 59, 59}) + 0.4 / 86400;
    EXPECT_EQ(win::Second(christmas), 59);
    EXPECT_EQ(win::Day(christmas + 0.6 / 86400), 26);   // rounds past midnight into the next day
    EXPECT_EQ(win::Weekday(0.0), 7);                     // 1899-12-30 was a Saturday
    EXPECT_EQ(win::Weekday(45651.0), 4);                 // 2024-12-25 a Wednesday
    EXPECT_EQ(win::Weekday(-1.0), 6);
    // A time that rounds up to midnight moves forward a day on both sides of the epoch.
    EXPECT_EQ(win::CivilFromOleDate(-0.9999999), (win::CivilTime{1899, 12, 31, 0, 0, 0}));
    EXPECT_EQ(win::CivilFromOleDate(-1.9999999), (win::CivilTime{1899, 12, 30, 0, 0, 0}));
    EXPECT_EQ(win::CivilFromOleDate(1.9999999), (win::CivilTime{1900, 1, 1, 0, 0, 0}));
    EXPECT_DOUBLE_EQ(win::DatePart(-1.25), -1.0);
    EXPECT_DOUBLE_EQ(win::TimePart(-1.25), 0.25);
    EXPECT_EQ(ErrorNumberOf([] { win::Year(3.0e6); }), win::err::InvalidProcedureCall);
}

TEST(OleDateTest, DateSerialCarriesAndUsesTheYearWindow) {
    const struct {
        int y, m, d;
        win::CivilTime expected;
    } rows[] = {
        {2024, 13, 1, {2025, 1, 1}},  {2024, 3, 0, {2024, 2, 29}}, {2024, 0, 1, {2023, 12, 1}},
        {2024, -11, 1, {2023, 1, 1}}, {29, 1, 1, {2029, 1, 1}},    {30, 1, 1, {1930, 1, 1}},
        {99, 12, 31, {1999, 12, 31}}, {2023, 2, 29, {2023, 3, 1}}, {2024, 1, 32, {2024, 2, 1}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(win::CivilFromOleDate(win::DateSerial(row.y, row.m, row.d)), row.expected)
            << row.y << "-" << row.m << "-" << row.d;
    }
    EXPECT_EQ(ErrorNumberOf([] { win::DateSerial(10000, 1, 1); }), win::err::InvalidProcedureCall);
    EXPECT_DOUBLE_EQ(win::TimeSerial(18, 0, 0), 0.75);
    EXPECT_DOUBLE_EQ(win::TimeSerial(0, 90, 0), 1.5 / 24);
}

TEST(OleDateTest, DayFirstTextsReadAsTheBrazilianSettingsReadThem) {
    const struct {
        const char* text;
        win::CivilTime expected;
    } rows[] = {
        {"25/12/2024", {2024, 12, 25}},
        {" 01/02/2024 ", {2024, 2, 1}},
        {"1/2/24", {2024, 2, 1}},
        {"01/02/29", {2029, 2, 1}},
        {"01/02/30", {1930, 2, 1}},
        {"31-12-99", {1999, 12, 31}},
        {"5.6.2023", {2023, 6, 5}},
        {"12/25/2024", {2024, 12, 25}},   // impossible day-first, read month-first
        {"2024/12/25", {2024, 12, 25}},
        {"25/12", {2030, 12, 25}},        // the current year completes it
        {"12/2024", {2024, 12, 1}},
        {"25-dez-2024", {2024, 12, 25}},
        {"1 MARÇO 2024", {2024, 3, 1}},
        {"25/12/2024 18:30", {2024, 12, 25, 18, 30, 0}},
        {"25/12/2024 06:30:15 PM", {2024, 12, 25, 18, 30, 15}},
        {"12:00 AM", {1899, 12, 30, 0, 0, 0}},
        {"3 PM", {1899, 12, 30, 15, 0, 0}},
        {"25/12/2024 3 pm", {2024, 12, 25, 15, 0, 0}},
        {"23:59:59", {1899, 12, 30, 23, 59, 59}},
        {"10:05 25/12/2024", {2024, 12, 25, 10, 5, 0}},
    };
    for (const auto& row : rows) {
        const auto date = win::ParseDateText(row.text, 2030);
        ASSERT_TRUE(date.has_value()) << row.text;
        EXPECT_EQ(win::CivilFromOleDate(*date), row.expected) << row.text;
    }
}

TEST(OleDateTest, TextsThatAreNotDatesAreRefused) {
    const char* rows[] = {"",          "   ",        "abc",      "32/12/2024", "29/02/2023",
                          "13/13/2024", "25:00",     "12:60",    "1/2/3/4",    "2024",
                          "25//12/2024", "25/12/2024 10", "1,5",  "/25/12",     "25/12/10000",
                          "13:00 PM",  "25/12/0099x", "PM 3",   "13 PM"};
    for (const char* text : rows) {
        EXPECT_FALSE(win::ParseDateText(text, 2024).has_value()) << text;
    }
}

TEST(OleDateTest, TextFunctionsRaiseTypeMismatchAndSplitDateAndTime) {
    EXPECT_TRUE(win::IsDateText("25/12/2024"));
    EXPECT_FALSE(win::IsDateText("25/13/2024x"));
    EXPECT_EQ(ErrorNumberOf([] { win::CDateText("amanhã"); }), win::err::TypeMismatch);
    EXPECT_EQ(ErrorNumberOf([] { win::DateValue(""); }), win::err::TypeMismatch);
    EXPECT_DOUBLE_EQ(win::DateValue("25/12/2024 18:00"), 45651.0);
    EXPECT_DOUBLE_EQ(win::TimeValue("25/12/2024 18:00"), 0.75);
    EXPECT_DOUBLE_EQ(win::CDateText("25/12/2024 18:00"), 45651.75);
}

TEST(OleDateTest, AddingMonthsClampsToTheLastDayOfTheMonth) {
    const double jan31 = win::OleDateFromCivil({2024, 1, 31, 10, 0, 0});
    EXPECT_EQ(win::CivilFromOleDate(win::AddMonths(jan31, 1)), (win::CivilTime{2024, 2, 29, 10, 0, 0}));
    EXPECT_EQ(win::CivilFromOleDate(win::AddMonths(jan31, -2)), (win::CivilTime{2023, 11, 30, 10, 0, 0}));
    EXPECT_EQ(win::CivilFromOleDate(win::AddMonths(jan31, 12)), (win::CivilTime{2025, 1, 31, 10, 0, 0}));
}

}  // namespace
