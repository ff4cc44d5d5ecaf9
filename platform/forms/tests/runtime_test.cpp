// The runtime functions as tables: values and their variant rules, strings, dates and the clock.
#include <gtest/gtest.h>

#include "platform/forms/array.h"
#include "platform/forms/datetime.h"
#include "platform/forms/strings.h"
#include "platform/forms/tests/support/raises.h"
#include "platform/forms/value.h"
#include "platform/win/clock.h"
#include "platform/win/oledate.h"

namespace {

using forms::Value;
using forms::testing::ErrorNumberOf;

// Every test here sees 2024-12-25 18:05:09 on the clock.
class RuntimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock.Freeze({2024, 12, 25, 18, 5, 9});
        win::InstallClock(&clock);
    }
    void TearDown() override { win::InstallClock(nullptr); }
    win::OffsetClock clock;
};

TEST_F(RuntimeTest, ConcatenationAndAdditionTreatNullDifferently) {
    const struct {
        Value a, b;
        Value concat, sum;
    } rows[] = {
        {"ab", "cd", "abcd", "abcd"},
        {"ab", Value::Null(), "ab", Value::Null()},
        {Value::Null(), Value::Null(), Value::Null(), Value::Null()},
        {"1", 2, "12", 3.0},
        {1, 2, "12", 3},
        {Value(), "x", "x", "x"},
        {1.5, 1, "1,51", 2.5},
        {"2,5", "1", "2,51", "2,51"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(forms::Concat(row.a, row.b), row.concat) << forms::Format(row.concat);
        EXPECT_EQ(forms::Add(row.a, row.b), row.sum) << forms::Format(row.sum);
    }
    EXPECT_EQ(ErrorNumberOf([] { forms::Add("abc", 1); }), win::err::TypeMismatch);
    EXPECT_EQ(forms::Add(Value::Date(45651.0), 3), Value::Date(45654.0));
    EXPECT_EQ(forms::Subtract(Value::Date(45654.0), Value::Date(45651.0)), Value(3.0));
}

TEST_F(RuntimeTest, ComparisonWithNullIsNeitherTrueNorFalse) {
    const struct {
        Value a, b;
        std::optional<bool> equal;
    } rows[] = {
        {"S", "S", true},   {"S", "s", false},  {"S", Value::Null(), std::nullopt},
        {Value::Null(), Value::Null(), std::nullopt},
        {1, 1.0, true},     {"10", 10, true},   {Value(), "", true},   {Value(), 0, true},
        {Value::Date(45651.0), "25/12/2024", true},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(forms::Equal(row.a, row.b), row.equal) << forms::Format(row.a) << " = " << forms::Format(row.b);
    }
    EXPECT_EQ(forms::Compare("a", "b"), -1);
    EXPECT_EQ(forms::Compare(10, 9), 1);
    EXPECT_EQ(ErrorNumberOf([] { forms::Compare("x", 1); }), win::err::TypeMismatch);
}

TEST_F(RuntimeTest, ConversionsOfVariants) {
    EXPECT_EQ(forms::CStr(Value(1.5)), "1,5");
    EXPECT_EQ(forms::CStr(Value(12)), "12");
    EXPECT_EQ(forms::CStr(Value(true)), "Verdadeiro");
    EXPECT_EQ(forms::CStr(Value::Date(45651.75)), "25/12/2024 18:00:00");
    EXPECT_EQ(forms::CStr(Value()), "");
    EXPECT_EQ(Value(7L), Value(7));
    EXPECT_EQ(forms::CStr(Value(5000000000L)), "5000000000");
    EXPECT_EQ(forms::CLng(Value("2,5")), 2);
    EXPECT_EQ(forms::CLng(Value(3.5)), 4);
    EXPECT_DOUBLE_EQ(forms::CDate(Value("25/12/2024")), 45651.0);
    EXPECT_DOUBLE_EQ(forms::CDate(Value("25/12")), 45651.0) << "the clock's year completes it";
    EXPECT_DOUBLE_EQ(forms::Val(Value("12,5 kg")), 12.0);
    EXPECT_TRUE(forms::IsDate(Value("31/12/99")));
    EXPECT_FALSE(forms::IsDate(Value("31/02/99")));
    EXPECT_FALSE(forms::IsDate(Value(45651.0))) << "a number is not a date";
    const long invalidUseOfNull = 94;
    EXPECT_EQ(ErrorNumberOf([] { forms::CStr(Value::Null()); }), invalidUseOfNull);
    EXPECT_EQ(ErrorNumberOf([] { forms::Val(Value::Null()); }), invalidUseOfNull);
    EXPECT_EQ(ErrorNumberOf([] { forms::CLng(Value("x")); }), win::err::TypeMismatch);
    EXPECT_EQ(ErrorNumberOf([] { forms::CInt(Value(40000)); }), win::err::Overflow);
}

TEST_F(RuntimeTest, FormatOfVariants) {
    const struct {
        Value value;
        const char* pattern;
        const char* expected;
    } rows[] = {
        {5, "00", "05"},
        {Value::Date(forms::Now()), "dd/mm/yy", "25/12/24"},
        {Value::Date(forms::Now()), "hh:mm", "18:05"},
        {Value::Date(forms::Now()), "dddd", "quarta-feira"},
        {" 01/02/2024 ", "D/M/YYYY", "1/2/2024"},
        {Value::Null(), "00", ""},
        {"abc", "00", "abc"},
        {1234.5, "#,##0.00", "1.234,50"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(forms::Format(row.value, row.pattern), row.expected) << row.pattern;
    }
}

TEST_F(RuntimeTest, StringFunctions) {
    const struct {
        std::string got;
        const char* expected;
    } rows[] = {
        {forms::Trim("  a b  "), "a b"},
        {forms::LTrim("  a "), "a "},
        {forms::RTrim(" a  "), " a"},
        {forms::Trim("\ta\t"), "\ta\t"},
        {forms::UCase("ação"), "AÇÃO"},
        {forms::LCase("ÉRICA"), "érica"},
        {forms::UCase("straße ÿ µ"), "STRAßE Ÿ µ"},
        {forms::Left("Operação", 7), "Operaçã"},
        {forms::Left("abc", 10), "abc"},
        {forms::Right("Operação", 3), "ção"},
        {forms::Mid("Operação", 6, 2), "çã"},
        {forms::Mid("abc", 5), ""},
        {forms::Mid("abcdef", 2), "bcdef"},
        {forms::Chr(231), "ç"},
        {forms::Chr(13) + forms::Chr(10), "\r\n"},
        {forms::Space(3), "   "},
        {forms::String(3, "*x"), "***"},
        {forms::String(2, "ç"), "çç"},
    };
    for (const auto& row : rows) EXPECT_EQ(row.got, row.expected);
    EXPECT_EQ(forms::Len("Operação"), 8);
    EXPECT_EQ(forms::Asc("ção"), 231);
    EXPECT_EQ(forms::Asc("A"), 65);
    EXPECT_EQ(forms::InStr("PRODUTO.MDB", ".MDB"), 8);
    EXPECT_EQ(forms::InStr(9, "PRODUTO.MDB", "D"), 10);
    EXPECT_EQ(forms::InStr("abc", "x"), 0);
    EXPECT_EQ(forms::InStr(2, "abc", ""), 2);
    EXPECT_EQ(forms::InStr(1, "ABC", "b", true), 2);
    EXPECT_EQ(forms::InStr("ação", "ão"), 3);
}

TEST_F(RuntimeTest, InvalidArgumentsRaiseFive) {
    const std::function<void()> calls[] = {
        [] { forms::Left("a", -1); },   [] { forms::Right("a", -1); }, [] { forms::Mid("a", 0); },
        [] { forms::Mid("a", 1, -2); }, [] { forms::InStr(0, "a", "a"); }, [] { forms::Chr(256); },
        [] { forms::Asc(""); },         [] { forms::Space(-1); },       [] { forms::String(-1, "a"); },
        [] { forms::DateAdd("x", 1, 0); },
    };
    for (const auto& call : calls) EXPECT_EQ(ErrorNumberOf(call), win::err::InvalidProcedureCall);
}

TEST_F(RuntimeTest, ClockFunctionsReadAndSetThroughTheClockInForce) {
    EXPECT_DOUBLE_EQ(forms::Today(), 45651.0);
    EXPECT_NEAR(forms::TimeOfDay(), (18 * 3600 + 5 * 60 + 9) / 86400.0, 1e-9);
    EXPECT_DOUBLE_EQ(forms::Timer(), 18 * 3600 + 5 * 60 + 9);
    EXPECT_EQ(forms::CurrentYear(), 2024);
    forms::SetDate(win::DateSerial(2025, 1, 2));
    EXPECT_EQ(win::CivilFromOleDate(forms::Now()), (win::CivilTime{2025, 1, 2, 18, 5, 9}));
    forms::SetTime(win::TimeSerial(7, 30, 0));
    const win::CivilTime now = win::CivilFromOleDate(forms::Now());
    EXPECT_EQ(now.day, 2);
    EXPECT_EQ(now.hour, 7);
    EXPECT_EQ(now.minute, 30);
    EXPECT_EQ(clock.SetCount(), 2);
}

TEST_F(RuntimeTest, DateArithmetic) {
    const double jan31 = win::OleDateFromCivil({2024, 1, 31, 23, 0, 0});
    const struct {
        const char* interval;
        double number;
        win::CivilTime expected;
    } adds[] = {
        {"d", 1, {2024, 2, 1, 23, 0, 0}},  {"m", 1, {2024, 2, 29, 23, 0, 0}},
        {"yyyy", -1, {2023, 1, 31, 23, 0, 0}}, {"h", 2, {2024, 2, 1, 1, 0, 0}},
        {"n", -60, {2024, 1, 31, 22, 0, 0}}, {"ww", 1, {2024, 2, 7, 23, 0, 0}},
        {"q", 1, {2024, 4, 30, 23, 0, 0}},
    };
    for (const auto& row : adds) {
        EXPECT_EQ(win::CivilFromOleDate(forms::DateAdd(row.interval, row.number, jan31)), row.expected)
            << row.interval;
    }
    const double dec31 = win::OleDateFromCivil({2023, 12, 31, 23, 59, 0});
    const double jan1 = win::OleDateFromCivil({2024, 1, 1, 0, 1, 0});
    EXPECT_EQ(forms::DateDiff("yyyy", dec31, jan1), 1);
    EXPECT_EQ(forms::DateDiff("m", dec31, jan1), 1);
    EXPECT_EQ(forms::DateDiff("d", dec31, jan1), 1);
    EXPECT_EQ(forms::DateDiff("h", dec31, jan1), 1);
    EXPECT_EQ(forms::DateDiff("n", dec31, jan1), 2);
    EXPECT_EQ(forms::DateDiff("d", jan1, dec31), -1);
    EXPECT_EQ(forms::DateDiff("ww", dec31, jan1), 0) << "2023-12-31 was a Sunday";
}

}  // namespace

namespace {

TEST(BoundedArrayTest, IndexesOutsideTheBoundsRaiseNine) {
    forms::BoundedArray<std::string> tables(0, 10);
    tables(10) = "Venda";
    EXPECT_EQ(tables(10), "Venda");
    EXPECT_EQ(tables.UBound(), 10);
    for (long index : {-1L, 11L}) {
        EXPECT_EQ(forms::testing::ErrorNumberOf([&] { tables(index); }), win::err::SubscriptOutOfRange) << index;
    }
    tables.ReDim(1, 11, true);
    EXPECT_EQ(tables(10), "Venda") << "ReDim Preserve keeps the common part";
    EXPECT_EQ(tables(11), "");
    tables.ReDim(0, 2);
    EXPECT_EQ(tables(2), "") << "a plain ReDim resets";
    EXPECT_EQ(forms::testing::ErrorNumberOf([&] { tables(3); }), win::err::SubscriptOutOfRange);
}

TEST(StrTest, StrUsesAPointAndABlank) {
    EXPECT_EQ(forms::Str(forms::Value(1.5)), " 1.5");
    EXPECT_EQ(forms::Str(forms::Value(-2)), "-2");
    EXPECT_EQ(forms::Str(forms::Value(0.25)), " .25");
    EXPECT_EQ(forms::testing::ErrorNumberOf([] { forms::Str(forms::Value::Null()); }), 94);
}

}  // namespace
