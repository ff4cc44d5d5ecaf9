// Reading and building the texts of the long and double fields: saturating 32-bit reads, the
// parse alphabet, raw and display builders under both decimal conventions, the zero and sign
// rules, the tolerance of the double and the refusal of values that are not finite.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "zmtext/values/number_text.h"
#include "zmtext/values/tests/number_test_support.h"

namespace zmtext {
namespace {

constexpr std::int32_t kLongMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kLongMin = std::numeric_limits<std::int32_t>::min();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
// The double field's default limits (not the largest double).
constexpr double kDoubleLimit = 1.67e308;

TEST(ParseLong, ReadsTheLeadingNumberAndSaturatesAtThe32BitLimits) {
    const struct {
        const char* text;
        std::int32_t value;
    } rows[] = {
        {"0", 0},   {"123", 123},  {"  42", 42},  {"\t-17", -17}, {"+5", 5},    {"12abc", 12},
        {"abc", 0}, {"", 0},       {"-", 0},      {"--5", 0},     {"1 2", 1},   {"12e5", 12},
        {"007", 7}, {"-0", 0},     {"12.9", 12},
        {"2147483647", kLongMax},  {"2147483648", kLongMax},      {"9999999999", kLongMax},
        {"4294967295", kLongMax},  {"4294967296", kLongMax},      {"0002147483647", kLongMax},
        {"99999999999999999999999", kLongMax},
        {"-2147483648", kLongMin}, {"-2147483649", kLongMin},     {"-9999999999", kLongMin},
        {"-4294967297", kLongMin}, {"-2147483647", -2147483647},
    };
    for (const auto& row : rows) EXPECT_EQ(ParseLong(row.text), row.value) << '"' << row.text << '"';
}

TEST(LongFromText, DropsEverythingButTheParseAlphabet) {
    const struct {
        const char* text;
        std::int32_t value;
    } rows[] = {
        {"1,2.5", 125},      {"(1,234)", -1234},        {"12.7", 127},       {"$ 1.234", 1234},
        {" 1,234,567", 1234567}, {"-5", -5},            {"abc", 0},          {"", 0},
        {"1e5", 1},          {" 9,999,999,999", kLongMax}, {"-2,147,483,649", kLongMin},
        {"-2,147,483,648", kLongMin}, {"2,147,483,647", kLongMax},
    };
    for (const auto& row : rows) EXPECT_EQ(LongFromText(row.text), row.value) << '"' << row.text << '"';
    EXPECT_EQ(LongFromText(std::string(300, '1')), kLongMax);
}

TEST(LongTexts, RawHasNoGroupingAndDisplayHasASignPosition) {
    const struct {
        std::int32_t value;
        char thousands;
        bool showZero;
        const char* raw;
        const char* display;
    } rows[] = {
        {1234567, ',', true, "1234567", " 1,234,567"}, {-5, ',', true, "-5", "-5"},
        {0, ',', true, "0", " 0"},                     {0, ',', false, "0", ""},
        {-1234, ',', false, "-1234", "-1,234"},        {1234, '.', true, "1234", " 1.234"},
        {1234, '\0', true, "1234", " 1234"},           {999, ',', true, "999", " 999"},
        {kLongMax, ',', true, "2147483647", " 2,147,483,647"},
        {kLongMin, ',', true, "-2147483648", "-2,147,483,648"},
        {kLongMin, '\0', true, "-2147483648", "-2147483648"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(LongRawText(row.value), row.raw);
        EXPECT_EQ(LongDisplayText(row.value, row.thousands, row.showZero), row.display) << row.value;
    }
}

TEST(LongFromDisplayName, TakesTheNumberAtTheFirstDigit) {
    EXPECT_EQ(LongFromDisplayName("silgEdit12"), 12);
    EXPECT_EQ(LongFromDisplayName("ZmLong7b2"), 7);
    EXPECT_EQ(LongFromDisplayName("silgEdit"), 0);
    EXPECT_EQ(LongFromDisplayName(""), 0);
    EXPECT_EQ(LongFromDisplayName("x-5"), 5);
    EXPECT_EQ(LongFromDisplayName("a99999999999"), kLongMax);
}

TEST(LongFromBoundReal, TakesTheIntegerPartWithinTheRangeElseZero) {
    const struct {
        double value;
        std::int32_t result;
    } rows[] = {
        {3e10, 0},  {2.9, 2},  {-2.9, -2}, {-0.5, 0}, {2147483647.9, kLongMax}, {-2147483648.9, kLongMin},
        {2147483648.0, 0}, {-2147483649.0, 0}, {kNaN, 0}, {kInf, 0}, {-kInf, 0},
    };
    for (const auto& row : rows) EXPECT_EQ(LongFromBoundReal(row.value), row.result) << row.value;
}

TEST(ParseDouble, ReadsWhatTheRuntimeReadsAndRefusesNumbersBeyondTheRange) {
    const struct {
        const char* text;
        bool readable;
        double value;
    } rows[] = {
        {"1.5", true, 1.5},      {"  -2.25", true, -2.25}, {"+3", true, 3},      {".5", true, 0.5},
        {"5.", true, 5},         {"1e3", true, 1000},      {"1E-2", true, 0.01}, {"1d2", true, 100},
        {"1D+2", true, 100},     {"12abc", true, 12},      {"abc", true, 0},     {"", true, 0},
        {"-", true, 0},          {".", true, 0},           {"1e", true, 1},      {"1e+", true, 1},
        {"1,5", true, 1},        {"2.5.3", true, 2.5},     {"0.1", true, 0.1},
        {"1.67e308", true, kDoubleLimit},                  {"-1.67e308", true, -kDoubleLimit},
        {"1.7976931348623157e308", true, std::numeric_limits<double>::max()},
        {"0.000001e310", true, 1e304},
        {"123456789012345678901234567890", true, 1.2345678901234568e29},
        {"1e-400", true, 0},     {"0e999999", true, 0},
        {"1e309", false, 0},     {"-1e309", false, 0},     {"1e99999999999999", false, 0},
        {"1.8e308", false, 0},
    };
    for (const auto& row : rows) {
        double value = -42.0;
        EXPECT_EQ(ParseDouble(row.text, value), row.readable) << '"' << row.text << '"';
        EXPECT_EQ(value, row.readable ? row.value : -42.0) << '"' << row.text << '"';
    }
}

TEST(DoubleFromText, CleansWithTheFieldsDecimalCharacter) {
    const struct {
        const char* text;
        char decimal;
        double value;
    } rows[] = {
        {"1.234,5", ',', 1234.5},   {"(1,234.50)", '.', -1234.5}, {"$ 12", '.', 12},
        {"1 234,56", ',', 1234.56}, {"12.7", ',', 127},            {" 1,234.50", '.', 1234.5},
        {"-0,050", ',', -0.05},     {"1.5e2", '.', 150},           {"x", '.', 0},
    };
    for (const auto& row : rows) {
        double value = -42.0;
        EXPECT_TRUE(DoubleFromText(row.text, row.decimal, value));
        EXPECT_EQ(value, row.value) << '"' << row.text << '"';
    }
    double value = -42.0;
    EXPECT_FALSE(DoubleFromText("1e999", '.', value));
    EXPECT_EQ(value, -42.0);

    const struct {
        const char* raw;
        char decimal;
        double value;
    } raws[] = {{"1234,50", ',', 1234.5}, {"1234.50", '.', 1234.5}, {"-0,050", ',', -0.05}, {"7", ',', 7}};
    for (const auto& row : raws) {
        EXPECT_TRUE(DoubleFromRawText(row.raw, row.decimal, value));
        EXPECT_EQ(value, row.value) << row.raw;
    }
}

TEST(DoubleRawText, FixedDecimalsWithTheFieldsDecimalCharacter) {
    const struct {
        double value;
        char decimal;
        int digits;
        const char* raw;
    } rows[] = {
        {1234.5678, '.', 3, "1234.568"}, {0.05, '.', 3, "0.050"},     {-0.5, '.', 3, "-0.500"},
        {0, '.', 3, "0.000"},            {0, '.', 0, "0"},            {2.4, '.', 0, "2"},
        {1234.5, ',', 2, "1234,50"},     {5, ',', 2, "5,00"},         {-1234.5, '.', 2, "-1234.50"},
        {1.00049, '.', 3, "1.000"},      {0.0005, '.', 3, "0.001"},   {1.005, '.', 2, "1.00"},
        // An exact binary half rounds away from zero.
        {2.5, '.', 0, "3"},              {-2.5, '.', 0, "-3"},        {0.125, '.', 2, "0.13"},
        {-0.125, '.', 2, "-0.13"},       {0.5, '.', 0, "1"},          {1.5, '.', 0, "2"},
        // Below one half with no decimals: "0", never an empty text; and no "-" on a zero text.
        {0.3, '.', 0, "0"},              {-0.3, '.', 0, "0"},         {0.49, '.', 0, "0"},
        {-0.0004, '.', 3, "0.000"},      {-0.0, '.', 3, "0.000"},
        {1e20, '.', 0, "100000000000000000000"},
        {1e20, '.', 3, "100000000000000000000.000"},
        {123.456, '.', 15, "123.456000000000003"},
        {123.456, '.', 20, "123.456000000000003"},   // a count beyond 15 shows 15
        {1.5, '.', -1, "2"},
        {kNaN, '.', 2, "0.00"},          {kInf, '.', 2, "0.00"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(DoubleRawText(row.value, row.decimal, row.digits), row.raw)
            << row.value << " / " << row.digits;
}

TEST(DoubleRawText, TheLimitsAreCutAtTheBufferSize) {
    const std::string max = DoubleRawText(kDoubleLimit, '.', 3);
    EXPECT_EQ(max.size(), kMaxNumberText);
    EXPECT_EQ(max.substr(0, 20), "16699999999999999305");
    const std::string min = DoubleRawText(-kDoubleLimit, '.', 15);
    EXPECT_EQ(min.size(), kMaxNumberText);
    EXPECT_EQ(min.substr(0, 4), "-166");
    // 1e253 with 3 decimals: 254 integer digits and the point fit, the decimals do not.
    EXPECT_EQ(DoubleRawText(1e253, '.', 3).size(), kMaxNumberText);
}

TEST(DoubleDisplayText, GroupsTheRawDigitsBehindASignPosition) {
    const NumberFormat point2{'.', ',', 2}, comma2{',', '.', 2}, point3{'.', ',', 3}, point0{'.', ',', 0};
    const struct {
        double value;
        NumberFormat format;
        bool showZero;
        const char* display;
    } rows[] = {
        {-1234.5, point2, true, "-1,234.50"},   {1234.5, comma2, true, " 1.234,50"},
        {0, point3, true, " 0.000"},            {0, point3, false, ""},
        {-0.0, point3, false, ""},              {-0.0, point3, true, " 0.000"},
        {2.4, point0, true, " 2"},              {0.3, point0, true, " 0"},
        {-0.3, point0, true, " 0"},             {0.3, point0, false, " 0"},
        {-0.001, point2, true, " 0.00"},        {1.00049, point3, true, " 1.000"},
        {1e20, point0, true, " 100,000,000,000,000,000,000"},
        {1234567.891, {'.', '\0', 3}, true, " 1234567.891"},
        {-1234567.891, {',', ' ', 2}, true, "-1 234 567,89"},
        {999.995, point2, true, " 1,000.00"},   // 999.99500000000000454... in binary
        {1.005, point2, true, " 1.00"},         // 1.00499999999999989... in binary
    };
    for (const auto& row : rows)
        EXPECT_EQ(DoubleDisplayText(row.value, row.format, row.showZero), row.display) << row.value;
    EXPECT_EQ(DoubleDisplayText(kDoubleLimit, point3, true).size(), kMaxNumberText);
    EXPECT_EQ(DoubleDisplayText(-kDoubleLimit, point3, true).substr(0, 8), "-166,999");
}

using DoubleIntl = testing::IntlTest;

TEST_F(DoubleIntl, CommaPointConventionFromWindows) {
    WriteIntl("sDecimal=,\r\nsThousand=.\r\niDigits=2\r\n");
    const IntlNumberSettings intl = ReadIntlNumberSettings();
    const NumberFormat f = EffectiveNumberFormat(NumberSettings{kFmtControlWinIni, '.', ',', 3}, intl);
    EXPECT_EQ(DoubleDisplayText(1234.5, f, true), " 1.234,50");
    EXPECT_EQ(DoubleRawText(1234.5, f.decimal, f.digits), "1234,50");
    double value = 0;
    ASSERT_TRUE(DoubleFromRawText("1234,50", f.decimal, value));
    EXPECT_EQ(value, 1234.5);
    // The field's own three decimals do not show until it takes its own format.
    const NumberFormat own = EffectiveNumberFormat(NumberSettings{kFmtControlUser, '.', ',', 3}, intl);
    EXPECT_EQ(DoubleDisplayText(1234.5, own, true), " 1,234.500");
}

TEST(DoubleTolerance, AChangeBelowTheLastDecimalIsNotTaken) {
    const struct {
        double stored, candidate;
        int digits;
        bool taken;
    } rows[] = {
        {1.0, 1.0004, 3, false}, {1.0, 1.001, 3, true},   {1.00049, 1.0, 3, false}, {1.0, 1.002, 3, true},
        {0, 0.5, 0, false},      {0, 1, 0, true},         {2.0, 2.01, 2, true},     {2.01, 2.0, 2, true},
        {2.0, 2.009, 2, false},  {1, 1, 15, false},       {1, 1 + 1e-15, 15, true}, {0, kNaN, 3, false},
        {kDoubleLimit, -kDoubleLimit, 3, true},           {5, 5, 0, false},         {5, 6, 20, true},
    };
    for (const auto& row : rows)
        EXPECT_EQ(DoubleChangeTaken(row.stored, row.candidate, row.digits), row.taken)
            << row.stored << " -> " << row.candidate << " at " << row.digits;
    EXPECT_DOUBLE_EQ(DoubleTolerance(3), 0.001 - 1e-15);
    EXPECT_EQ(DoubleTolerance(15), 0.0);
    EXPECT_EQ(DoubleTolerance(40), 0.0);
    EXPECT_EQ(DoubleTolerance(-1), 1.0 - 1e-15);
}

TEST(DoubleValue, OnlyFiniteValuesAreTaken) {
    EXPECT_FALSE(DoubleValueAccepted(kNaN));
    EXPECT_FALSE(DoubleValueAccepted(kInf));
    EXPECT_FALSE(DoubleValueAccepted(-kInf));
    EXPECT_TRUE(DoubleValueAccepted(kDoubleLimit));
    EXPECT_TRUE(DoubleValueAccepted(std::numeric_limits<double>::max()));
    EXPECT_TRUE(DoubleValueAccepted(-0.0));
    EXPECT_EQ(DoubleFromBoundValue(kNaN), 0.0);
    EXPECT_EQ(DoubleFromBoundValue(-kInf), 0.0);
    EXPECT_EQ(DoubleFromBoundValue(2.5), 2.5);
    EXPECT_EQ(DoubleFromBoundValue(-kDoubleLimit), -kDoubleLimit);
}

}  // namespace
}  // namespace zmtext
