// The currency value: rounding, text and back under both decimal conventions, the limits, the
// eleven layouts with and without a symbol, the display text, the WIN.INI settings, and random
// round trips from text to value to text.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "platform/com/bstr.h"
#include "zmtext/values/zm_strings.h"
#include "zmtext/values/currency_value.h"
#include "zmtext/values/intl_settings.h"
#include "zmtext/values/tests/number_test_support.h"

namespace zmtext {
namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

TEST(RoundCurrency, AddsHalfAUnitAwayFromZeroUnlessItWouldOverflow) {
    const struct {
        std::int64_t value;
        int digits;
        std::int64_t rounded;
    } rows[] = {
        {23450, 2, 23500},        {-23450, 2, -23500},       {0, 2, 50},              {12345, 0, 17345},
        {12345, 1, 12845},        {12345, 3, 12350},         {12345, 4, 12345},       {12345, 5, 12345},
        {12345, -1, 12345},       {-12345, 0, -17345},       {-12345, 3, -12350},
        {kMax, 2, kMax},          {kMax - 50, 2, kMax},      {kMax - 49, 2, kMax - 49},
        {kMax, 0, kMax},          {kMax - 5000, 0, kMax},    {-kMax, 2, -kMax},       {kMin, 0, kMin},
        {kMin + 50, 2, kMin},     {kMin + 49, 2, kMin + 49}, {-kMax, 4, -kMax},
    };
    for (const auto& row : rows)
        EXPECT_EQ(RoundCurrency(Currency{row.value}, row.digits).scaled, row.rounded)
            << row.value << " at " << row.digits;
}

TEST(CurrencyAtDigits, TheValueItsTextShows) {
    const struct {
        std::int64_t value;
        int digits;
        std::int64_t shown;
    } rows[] = {
        {23450, 2, 23500},       {-23450, 2, -23500},     {23449, 2, 23400},
        {-40, 2, 0},             {12345678, 0, 12350000}, {12345678, 1, 12346000},
        {12345678, 3, 12345680}, {12345678, 4, 12345678}, {12345678, 9, 12345678},
        {kMax, 2, kMax - 7},     {kMax, 0, kMax - 5807},  {-kMax, 2, -kMax + 7},
        {kMin, 4, kMin},         {15000, -2, 20000},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CurrencyAtDigits(Currency{row.value}, row.digits).scaled, row.shown)
            << row.value << " at " << row.digits;
}

TEST(CurrencyToText, ExactlyTheDigitsAskedForWithTheFieldsDecimalCharacter) {
    const struct {
        std::int64_t value;
        char decimal;
        int digits;
        const char* text;
    } rows[] = {
        {23450, '.', 2, "2.35"},          {-23450, '.', 2, "-2.35"},         {-40, '.', 2, "0.00"},
        {0, '.', 2, "0.00"},              {0, '.', 0, "0"},                  {0, ',', 4, "0,0000"},
        {12345000, '.', 2, "1234.50"},    {12345000, ',', 2, "1234,50"},     {50000, ',', 2, "5,00"},
        {-12345000, ',', 2, "-1234,50"},  {12345000, '.', 0, "1235"},        {12345678, '.', 4, "1234.5678"},
        {12345678, '.', 1, "1234.6"},     {12345678, '.', 3, "1234.568"},    {12345678, ',', 3, "1234,568"},
        {15000, '.', 0, "2"},             {-15000, '.', 0, "-2"},            {14999, '.', 0, "1"},
        {-4999, '.', 0, "0"},             {5, '.', 3, "0.001"},              {-5, '.', 3, "-0.001"},
        {4, '.', 3, "0.000"},             {-4, '.', 3, "0.000"},             {1, '.', 4, "0.0001"},
        {10000, '.', 6, "1.000000"},      {12345, '.', 15, "1.234500000000000"},
        {12345, '.', 20, "1.234500000000000"},                               {12345, '.', -3, "1"},
        {kMax, '.', 4, "922337203685477.5807"},
        {kMax, '.', 2, "922337203685477.58"},   // rounding would overflow: cut unrounded
        {kMax, '.', 0, "922337203685477"},
        {kMax, ',', 2, "922337203685477,58"},
        {-kMax, '.', 4, "-922337203685477.5807"},
        {-kMax, '.', 2, "-922337203685477.58"},
        {kMin, '.', 4, "-922337203685477.5808"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CurrencyToText(Currency{row.value}, row.decimal, row.digits), row.text)
            << row.value << " at " << row.digits;
}

// A text read as a currency: whether it reads and what (a refused text leaves the value).
struct CurrencyReadRow {
    const char* text;
    char decimal;
    bool ok;
    std::int64_t value;
};

template <typename Read>
void ExpectReads(const std::vector<CurrencyReadRow>& rows, Read read) {
    for (const auto& row : rows) {
        Currency value{-77};
        EXPECT_EQ(read(value, row.text, row.decimal), row.ok) << '"' << row.text << '"';
        EXPECT_EQ(value.scaled, row.ok ? row.value : -77) << '"' << row.text << '"';
    }
}

TEST(TextToCurrency, ReadsTheFieldsDecimalCharacterExactly) {
    ExpectReads({
        {"", '.', true, 0},                    {"1234.5", '.', true, 12345000},
        {"1234,5", ',', true, 12345000},       {"1234,50", ',', true, 12345000},
        {"-2.35", '.', true, -23500},          {"-2,35", ',', true, -23500},
        {",5", ',', true, 5000},               {"12", ',', true, 120000},
        {"0.0001", '.', true, 1},              {"0.00006", '.', true, 1},
        {"1e3", '.', true, 10000000},          {"  12 ", '.', true, 120000},
        {"1,234.5", '.', true, 12345000},      // the conversion's own grouping
        {"922337203685477.5807", '.', true, kMax},
        {"922337203685477,5807", ',', true, kMax},
        {"-922337203685477.5807", '.', true, -kMax},
        {"922337203685477.5808", '.', false, 0},
        {"9223372036854775807", '.', false, 0},
        {"abc", '.', false, 0},                {"1.2.3", '.', false, 0},
        {"1.234,5", ',', false, 0},            {"--5", '.', false, 0},
    }, [](Currency& out, const char* text, char decimal) { return TextToCurrency(out, text, decimal); });
}

TEST(CurrencyFromText, StripsTheFormattingOfAnOutsideText) {
    ExpectReads({
        {"1234,5", ',', true, 12345000},       {"R$ 1.234,50", ',', true, 12345000},
        {"-R$ 1.234,50", ',', true, -12345000}, {"($1,234.50)", '.', true, -12345000},
        {"-1,234.50 $", '.', true, -12345000}, {"$", '.', true, 0},
        {"1e2", '.', true, 1000000},           {"12.7", ',', true, 1270000},
        {"922,337,203,685,477.5807", '.', true, kMax},
        {"922,337,203,685,477.5808", '.', false, 0},
        {"--5", '.', false, 0},
    }, [](Currency& out, const char* text, char decimal) { return CurrencyFromText(text, decimal, out); });
}

TEST(CompareCurrency, SignedComparison) {
    EXPECT_EQ(CompareCurrency(Currency{1}, Currency{2}), -1);
    EXPECT_EQ(CompareCurrency(Currency{2}, Currency{1}), 1);
    EXPECT_EQ(CompareCurrency(Currency{3}, Currency{3}), 0);
    EXPECT_EQ(CompareCurrency(Currency{-1}, Currency{0}), -1);
    EXPECT_EQ(CompareCurrency(Currency{kMin}, Currency{kMax}), -1);
    EXPECT_EQ(CompareCurrency(kCurrencyMax, kCurrencyMin), 1);
}

TEST(GetCurrencyPattern, ElevenLayoutsWithAndWithoutASymbol) {
    const struct {
        int pattern;
        const char *negative, *positive, *negativeNoSymbol, *positiveNoSymbol;
    } rows[] = {
        {0, "($1,234.50)", " $1,234.50", "(1,234.50)", " 1,234.50"},
        {1, "-$1,234.50", " $1,234.50", "-1,234.50", " 1,234.50"},
        {2, "$-1,234.50", "$1,234.50", "-1,234.50", "1,234.50"},
        {3, "$1,234.50-", "$1,234.50", "1,234.50-", "1,234.50"},
        {4, "(1,234.50$)", " 1,234.50$", "(1,234.50)", " 1,234.50"},
        {5, "-1,234.50$", " 1,234.50$", "-1,234.50", " 1,234.50"},
        {6, "1,234.50-$", "1,234.50 $", "1,234.50-", "1,234.50 "},
        {7, "1,234.50$-", "1,234.50$", "1,234.50-", "1,234.50"},
        {8, "-1,234.50 $", " 1,234.50 $", "-1,234.50", " 1,234.50"},   // no blank without a symbol
        {9, "-$ 1,234.50", " $ 1,234.50", "- 1,234.50", "  1,234.50"},
        {10, "1,234.50 $-", "1,234.50 $ ", "1,234.50 -", "1,234.50  "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pattern);
        EXPECT_EQ(GetCurrencyPattern("1,234.50", true, {row.pattern, "$"}), row.negative);
        EXPECT_EQ(GetCurrencyPattern("1,234.50", false, {row.pattern, "$"}), row.positive);
        EXPECT_EQ(GetCurrencyPattern("1,234.50", true, {row.pattern, ""}), row.negativeNoSymbol);
        EXPECT_EQ(GetCurrencyPattern("1,234.50", false, {row.pattern, ""}), row.positiveNoSymbol);
    }
    EXPECT_EQ(GetCurrencyPattern("5", true, {11, "$"}), "($5)");
    EXPECT_EQ(GetCurrencyPattern("5", true, {-1, "$"}), "($5)");
    EXPECT_EQ(GetCurrencyPattern("1.234,50", false, {9, "R$"}), " R$ 1.234,50");
    EXPECT_EQ(GetCurrencyPattern("1.234,50", true, {8, "kr"}), "-1.234,50 kr");
    // Thirty characters at most.
    EXPECT_EQ(GetCurrencyPattern("922,337,203,685,477.5807", true, {0, "ABCDEF"}),
              "(ABCDEF922,337,203,685,477.580");
}

TEST(CurrencyDisplayText, RawTextWithoutSignGroupedAndLaidOut) {
    const NumberFormat point2{'.', ',', 2}, comma2{',', '.', 2}, point4{'.', ',', 4}, point0{'.', ',', 0};
    const struct {
        std::int64_t value;
        NumberFormat format;
        CurrencyLayout layout;
        bool showZero;
        const char* text;
        bool negative;
    } rows[] = {
        {0, point2, {1, "$"}, false, "", false},
        {0, point2, {1, "$"}, true, " $0.00", false},
        {-12345000, point2, {0, "$"}, true, "($1,234.50)", true},
        {-12345000, point2, {8, "$"}, true, "-1,234.50 $", true},
        {-40, point2, {1, "$"}, true, " $0.00", false},
        {-40, point2, {1, "$"}, false, " $0.00", false},
        {12345000, comma2, {9, "R$"}, true, " R$ 1.234,50", false},
        {-12345000, comma2, {9, "R$"}, true, "-R$ 1.234,50", true},
        {12345000, {',', '\0', 2}, {5, "\x80"}, true, " 1234,50\x80", false},
        {kMax, point2, {1, "$"}, true, " $922,337,203,685,477.58", false},
        {-kMax, point4, {0, "$"}, true, "($922,337,203,685,477.5807)", true},
        {15000, point0, {1, "$"}, true, " $2", false},
        {23450, point2, {2, ""}, true, "2.35", false},
        {-23450, point2, {2, ""}, true, "-2.35", true},
    };
    for (const auto& row : rows) {
        const CurrencyDisplay d =
            CurrencyDisplayText(Currency{row.value}, row.format, row.layout, row.showZero);
        EXPECT_EQ(d.text, row.text) << row.value;
        EXPECT_EQ(d.negative, row.negative) << row.value;
    }
}

using CurrencyIntl = testing::IntlTest;

TEST(CurrencyLayout, FromTheFieldOrFromWindows) {
    const struct {
        IntlNumberSettings intl;
        std::int16_t fmtControl;
        const char* fmtCurrency;
        int pattern;
        const char* symbol;
    } rows[] = {
        {{}, 0, "X", 0, "$"},                              // the Windows defaults
        {{',', '.', 2, 2, "R$", 9}, 0, "$", 9, "R$"},
        {{',', '.', 2, 2, "R$", 9}, 3, "\x80", 2, "\x80"},
        {{',', '.', 2, 2, "R$", 9}, 11, "", 10, ""},
        {{'.', ',', 0, 0, "", 10}, 0, "$", 10, ""},
        {{'.', ',', 0, 0, "$", 11}, 0, "$", 0, "$"},       // a layout the field does not have
        {{'.', ',', 0, 0, "$", -1}, 0, "$", 0, "$"},
    };
    for (const auto& row : rows) {
        const CurrencyLayout layout = EffectiveCurrencyLayout(row.fmtControl, row.fmtCurrency, row.intl);
        EXPECT_EQ(layout.pattern, row.pattern) << row.fmtControl;
        EXPECT_EQ(layout.symbol, row.symbol) << row.fmtControl;
    }
}

TEST_F(CurrencyIntl, BrazilianConventionReadsAndShowsExactly) {
    WriteIntl("sDecimal=,\r\nsThousand=.\r\niCurrDigits=2\r\nsCurrency=R$\r\niNegCurr=9\r\n");
    const NumberSettings winIni{kFmtControlWinIni, '.', ',', 4};
    const IntlNumberSettings intl = ReadIntlNumberSettings();
    const NumberFormat format = EffectiveCurrencyFormat(winIni, intl);
    const CurrencyLayout layout = EffectiveCurrencyLayout(winIni.fmtControl, "$", intl);
    Currency value;
    ASSERT_TRUE(CurrencyFromText("1234,5", format.decimal, value));
    EXPECT_EQ(value, Currency{12345000});
    EXPECT_EQ(CurrencyToText(value, format.decimal, format.digits), "1234,50");
    EXPECT_EQ(CurrencyDisplayText(value, format, layout, true).text, " R$ 1.234,50");
    Currency back;
    ASSERT_TRUE(TextToCurrency(back, "1234,50", format.decimal));
    EXPECT_EQ(back, value);
}

TEST_F(CurrencyIntl, OwnDecimalCharacterWhileWindowsUsesThePoint) {
    UsePointComma();
    const NumberFormat format =
        EffectiveCurrencyFormat(NumberSettings{kFmtControlUser, ',', '.', 2}, ReadIntlNumberSettings());
    EXPECT_EQ(CurrencyToText(Currency{12345000}, format.decimal, format.digits), "1234,50");
    EXPECT_EQ(CurrencyToText(Currency::FromUnits(5), format.decimal, format.digits), "5,00");
    Currency value;
    ASSERT_TRUE(TextToCurrency(value, "1234,50", format.decimal));
    EXPECT_EQ(value, Currency{12345000});
}

// A canonical text with exactly `digits` decimals within the field's range: no leading zeros,
// no "-" on a zero.
std::string RandomCurrencyText(std::mt19937_64& rng, int digits, char decimal) {
    std::uniform_int_distribution<int> intLength(0, 15), digit(0, 9), coin(0, 1);
    const int length = intLength(rng);
    // Fifteen integer digits stay below 922337203685477 with a leading digit up to 8.
    std::string text = length == 0 ? "0" : std::to_string(1 + digit(rng) % (length == 15 ? 8 : 9));
    for (int n = length - 1; n > 0; --n) text += static_cast<char>('0' + digit(rng));
    if (digits > 0) {
        text += decimal;
        for (int n = 0; n < digits; ++n) text += static_cast<char>('0' + digit(rng));
    }
    const bool zero = text.find_first_of("123456789") == std::string::npos;
    if (coin(rng) == 1 && !zero) text.insert(0, 1, '-');
    return text;
}

TEST(CurrencyRoundTrip, RandomTextsReadBackToTheSameText) {
    std::mt19937_64 rng(20261209);
    for (int i = 0; i < 20000; ++i) {
        const int digits = static_cast<int>(rng() % 5);
        const char decimal = rng() % 2 == 0 ? '.' : ',';
        const std::string text = RandomCurrencyText(rng, digits, decimal);
        Currency value;
        ASSERT_TRUE(TextToCurrency(value, text, decimal)) << text;
        ASSERT_EQ(CurrencyToText(value, decimal, digits), text);
    }
}

TEST(CurrencyRoundTrip, RandomValuesReadBackToTheSameTextAndTheRoundedValue) {
    std::mt19937_64 rng(1234567);
    constexpr std::int64_t kUnitOf[] = {10000, 1000, 100, 10, 1};
    for (int i = 0; i < 20000; ++i) {
        // Magnitudes of every length, up to the field's limits.
        const int length = 1 + static_cast<int>(rng() % 19);
        std::int64_t magnitude = static_cast<std::int64_t>(rng() % static_cast<std::uint64_t>(kMax));
        for (int n = length; n < 19; ++n) magnitude /= 10;
        const std::int64_t v = rng() % 2 == 0 ? magnitude : -magnitude;
        const int digits = static_cast<int>(rng() % 5);
        const char decimal = rng() % 2 == 0 ? '.' : ',';

        const std::string text = CurrencyToText(Currency{v}, decimal, digits);
        Currency back;
        ASSERT_TRUE(TextToCurrency(back, text, decimal)) << text;
        ASSERT_EQ(CurrencyToText(back, decimal, digits), text) << v;
        ASSERT_EQ(back, CurrencyAtDigits(Currency{v}, digits)) << v << " at " << digits;
        const std::int64_t unit = kUnitOf[digits];
        ASSERT_EQ(back.scaled % unit, 0) << v;
        const std::int64_t diff = back.scaled > v ? back.scaled - v : v - back.scaled;
        const bool nearLimit = magnitude > kMax - unit;
        ASSERT_LE(diff, nearLimit ? unit - 1 : unit / 2) << v << " at " << digits;
    }
}

}  // namespace
}  // namespace zmtext

namespace zmtext {
namespace {

// The same amounts through the component layer's own conversions (a currency variant to its
// text, then the digits forced, the sign of a zero dropped, the grouping inserted): the texts the
// field built before it wrote its digits itself, and must still build.
std::string ConversionRawText(Currency value, char decimal, int digits) {
    com::Variant text;
    EXPECT_EQ(com::ChangeType(text, com::Variant::Cy(RoundCurrency(value, digits)), com::VT_BSTR), com::S_OK);
    std::string s = text.AsStr().ToAnsi();
    std::size_t point = s.find('.');
    if (point == std::string::npos && digits > 0) {
        point = s.size();
        s += '.';
    }
    if (point != std::string::npos) s.resize(digits == 0 ? point : point + 1 + static_cast<std::size_t>(digits), '0');
    if (s.front() == '-' && s.find_first_of("123456789") == std::string::npos) s.erase(0, 1);
    if (point != std::string::npos && point < s.size() && decimal != '\0') s[s.find('.')] = decimal;
    return s;
}

TEST(CurrencyTexts, DisplayTextsOfNegativesZeroLargeRoundingAndGroupingAreExact) {
    const struct {
        std::int64_t value;
        char decimal, thousands;
        int digits, pattern;
        const char* symbol;
        const char* text;
    } rows[] = {
        {0, '.', ',', 2, 0, "$", " $0.00"},                       {-40, '.', ',', 2, 1, "$", " $0.00"},
        {-12345000, '.', ',', 2, 0, "$", "($1,234.50)"},           {-12345000, '.', ',', 2, 8, "$", "-1,234.50 $"},
        {12345000, ',', '.', 2, 9, "R$", " R$ 1.234,50"},          {-12345000, ',', '.', 2, 9, "R$", "-R$ 1.234,50"},
        {9999999999999, ',', ' ', 0, 5, "kr", " 1 000 000 000kr"}, {999949999, '.', ',', 3, 2, "$", "$99,995.000"},
        {kMax, '.', ',', 4, 1, "$", " $922,337,203,685,477.5807"}, {kMax, '.', ',', 2, 1, "$", " $922,337,203,685,477.58"},
        {-kMax, '.', ',', 0, 3, "$", "$922,337,203,685,477-"},     {kMin, '.', '\0', 4, 1, "$", "-$922337203685477.5808"},
        {10000000, '.', ',', 6, 6, "$", "1,000.000000 $"},         {1234567, '.', ',', 1, 10, "", "123.5  "},
        {1000, '.', ',', 4, 7, "EUR", "0.1000EUR"},                {-5, '.', ',', 3, 4, "$", "(0.001$)"},
        {999999999, '.', ',', 0, 1, "$", " $100,000"},             {1239999, '.', ',', 2, 8, "", " 124.00"},
    };
    for (const auto& row : rows) {
        const NumberFormat format{row.decimal, row.thousands, row.digits};
        EXPECT_EQ(CurrencyDisplayText(Currency{row.value}, format, {row.pattern, row.symbol}, true).text, row.text)
            << row.value;
    }
}

// Every amount of a spread over the whole range, at every digit count and with both decimal
// conventions, shows the text the conversions give and reads back from it as they read it.
TEST(CurrencyTexts, TheWrittenDigitsMatchTheConversionsOverTheRange) {
    std::mt19937_64 rng(42);
    const struct {
        char decimal, thousands;
    } conventions[] = {{'.', ','}, {',', '.'}, {',', ' '}, {'.', '\0'}, {'\0', ','}};
    for (int i = 0; i < 60000; ++i) {
        const int length = static_cast<int>(rng() % 20);
        std::int64_t v = static_cast<std::int64_t>(rng() >> 1);
        for (int n = length; n < 19; ++n) v /= 10;
        if (rng() % 3 == 0) v = -v;
        if (i < 8) v = std::array<std::int64_t, 8>{0, 1, -1, 5, -5000, kMax, -kMax, kMin}[static_cast<std::size_t>(i)];
        const int digits = static_cast<int>(rng() % 7);
        const auto& c = conventions[rng() % std::size(conventions)];
        const std::string raw = ConversionRawText(Currency{v}, c.decimal, digits);
        ASSERT_EQ(CurrencyToText(Currency{v}, c.decimal, digits), raw) << v << " at " << digits;

        const char decimal = c.decimal == '\0' ? '.' : c.decimal;
        std::string unsignedRaw = raw;
        const bool negative = unsignedRaw.front() == '-';
        if (negative) unsignedRaw.erase(0, 1);
        const std::string shown =
            GetCurrencyPattern(GroupThousands(unsignedRaw, decimal, c.thousands), negative, {1, "$"});
        const CurrencyDisplay display =
            CurrencyDisplayText(Currency{v}, {decimal, c.thousands, digits}, {1, "$"}, true);
        ASSERT_EQ(display.text, shown) << v << " at " << digits;
        ASSERT_EQ(display.negative, negative);

        // Read back: the field's reading and the conversions' reading of the same text agree.
        Currency read{-77};
        std::string own = raw;
        if (const auto at = own.find(decimal); at != std::string::npos) own[at] = '.';
        com::Variant expected;
        const bool converts = com::Succeeded(
            com::ChangeType(expected, com::Variant::Str(com::Bstr::FromAnsi(own)), com::VT_CY));
        ASSERT_EQ(TextToCurrency(read, raw, decimal), converts) << raw;
        if (converts) {
            ASSERT_EQ(read, expected.AsCy()) << raw;
        }
    }
}

// Texts the direct reading leaves to the conversions read exactly as they did.
TEST(CurrencyTexts, UnusualTextsReadAsTheConversionsReadThem) {
    ExpectReads({
        {"+5", '.', true, 50000},              {"5.", '.', true, 50000},
        {".5", '.', true, 5000},               {"1.23456", '.', true, 12346},
        {"-0", '.', true, 0},                  {"-", '.', false, 0},
        {"99999999999999.9999", '.', true, 999999999999999999},
        {"099999999999999.9999", '.', true, 999999999999999999},
        {"1,5.5", ',', false, 0},              {"1.5", ',', true, 15000},
        {"12 ", '.', true, 120000},            {"1d2", '.', true, 1000000},
    }, [](Currency& out, const char* text, char decimal) { return TextToCurrency(out, text, decimal); });
}

// A display text is read as its stripped characters read, whatever the layout, the separators
// and the symbol: texts the one-pass reading takes and texts it leaves to the conversions alike.
TEST(CurrencyTexts, DisplayTextsReadAsTheirStrippedTextReads) {
    std::mt19937_64 rng(7);
    const char* const symbols[] = {"$", "R$", "", "kr", "(x)", "-", "E5"};
    const char* const extras[] = {"", "-", "e2", "+", " ", "..", "(", "5", "d"};
    for (int i = 0; i < 40000; ++i) {
        const int length = static_cast<int>(rng() % 20);
        std::int64_t v = static_cast<std::int64_t>(rng() >> 1);
        for (int n = length; n < 19; ++n) v /= 10;
        if (rng() % 3 == 0) v = -v;
        const char decimal = ".,-5"[rng() % 4];
        const char thousands = ".,  "[rng() % 4];
        const CurrencyLayout layout{static_cast<int>(rng() % 11), symbols[rng() % std::size(symbols)]};
        std::string text = CurrencyDisplayText(Currency{v}, {decimal, thousands, static_cast<int>(rng() % 6)}, layout,
                                               true).text;
        if (rng() % 4 == 0) text.insert(rng() % (text.size() + 1), extras[rng() % std::size(extras)]);
        std::string stripped = text.substr(0, kMaxNumberText);
        ParseNumberText(stripped, decimal);
        Currency expected{-77}, read{-77};
        const bool reads = TextToCurrency(expected, stripped, '.');
        ASSERT_EQ(CurrencyFromText(text, decimal, read), reads) << text;
        ASSERT_EQ(read, expected) << text;
    }
}

// A layout keeps its first 30 characters, however long the symbol or the number.
TEST(GetCurrencyPattern, KeepsTheFirstThirtyCharacters) {
    const std::string symbol(40, 'S');
    EXPECT_EQ(GetCurrencyPattern("1,234.50", true, {0, symbol}), "(" + std::string(29, 'S'));
    EXPECT_EQ(GetCurrencyPattern("1,234.50", false, {6, symbol}), "1,234.50 " + std::string(21, 'S'));
    EXPECT_EQ(GetCurrencyPattern(std::string(35, '9'), true, {3, "$"}), "$" + std::string(29, '9'));
    EXPECT_EQ(CurrencyDisplayText(Currency{-12345000}, {'.', ',', 2}, {6, symbol}, true).text,
              "1,234.50-" + std::string(21, 'S'));
}

}  // namespace
}  // namespace zmtext
