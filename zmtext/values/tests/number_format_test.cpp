// Number settings from the properties or WIN.INI [intl], thousands grouping, the number-text
// check, key acceptance of the long and double fields, field lengths and the end-of-field test.
#include <gtest/gtest.h>

#include <string>

#include "zmtext/values/intl_settings.h"
#include "zmtext/values/number_format.h"
#include "zmtext/values/tests/number_test_support.h"

namespace zmtext {
namespace {

using NumberSettingsTest = testing::IntlTest;

TEST_F(NumberSettingsTest, FieldsFollowingWindowsTakeTheIntlSectionAtEveryUse) {
    const NumberSettings winIni{kFmtControlWinIni, ';', ' ', 7};
    const struct {
        const char* intl;
        char decimal, thousands;
        int digits, currencyDigits;
    } rows[] = {
        {"", '.', ',', 0, 0},                                           // no keys: the defaults
        {"sDecimal=,\r\nsThousand=.\r\niDigits=2\r\n", ',', '.', 2, 0},
        {"sDecimal=.\r\nsThousand=,\r\niCurrDigits=2\r\n", '.', ',', 0, 2},
        {"sDecimal=\r\nsThousand=\r\n", '.', '\0', 0, 0},               // empty: ".", no grouping
        {"sDecimal=,,\r\nsThousand= \r\n", ',', '\0', 0, 0},            // first character only
        {"sThousand='\r\niDigits=15\r\niCurrDigits=4\r\n", '.', '\'', 15, 4},
        {"iDigits=16\r\niCurrDigits=99\r\n", '.', ',', 15, 15},         // clamped to 15
        {"iDigits=-1\r\niCurrDigits=-40\r\n", '.', ',', 0, 0},          // clamped to 0
        {"iDigits=x\r\n", '.', ',', 0, 0},
    };
    for (const auto& row : rows) {
        WriteIntl(row.intl);
        SCOPED_TRACE(row.intl);
        const IntlNumberSettings intl = ReadIntlNumberSettings();
        const NumberFormat f = EffectiveNumberFormat(winIni, intl);
        EXPECT_EQ(f.decimal, row.decimal);
        EXPECT_EQ(f.thousands, row.thousands);
        EXPECT_EQ(f.digits, row.digits);
        EXPECT_EQ(GetDecimalSeparator(winIni, intl), row.decimal);
        EXPECT_EQ(GetThousandSeparator(winIni, intl), row.thousands);
        EXPECT_EQ(GetDecimalDigits(winIni, intl), row.digits);
        const NumberFormat c = EffectiveCurrencyFormat(winIni, intl);
        EXPECT_EQ(c.decimal, row.decimal);
        EXPECT_EQ(c.thousands, row.thousands);
        EXPECT_EQ(c.digits, row.currencyDigits);
    }
}

TEST(NumberSettings, FieldsWithOwnFormatIgnoreWindows) {
    const IntlNumberSettings intl{',', '.', 2, 3, "R$", 9};
    const struct {
        NumberSettings props;
        char decimal, thousands;
        int digits;
        char currencyDecimal;
    } rows[] = {
        {{kFmtControlUser, ';', ' ', 4}, ';', ' ', 4, ';'},
        {{kFmtControlUser, '.', ',', 0}, '.', ',', 0, '.'},
        {{kFmtControlUser, '.', '\0', 3}, '.', '\0', 3, '.'},   // no grouping
        {{kFmtControlUser, '\0', ',', 3}, '.', ',', 3, '.'},    // no decimal character: "."
        {{kFmtControlUser, ',', '.', 20}, ',', '.', 15, ','},   // a stored count beyond 15
        {{kFmtControlUser, ',', '.', -2}, ',', '.', 0, ','},
        // Any other FmtControl (a stored stream): "." for the long and double fields, the
        // property for the currency field, whose FmtControl picks a layout.
        {{2, ',', ' ', 5}, '.', ' ', 5, ','},
        {{11, ',', ' ', 5}, '.', ' ', 5, ','},
        {{-1, ',', ' ', 5}, '.', ' ', 5, ','},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.props.fmtControl);
        const NumberFormat f = EffectiveNumberFormat(row.props, intl);
        EXPECT_EQ(f.decimal, row.decimal);
        EXPECT_EQ(f.thousands, row.thousands);
        EXPECT_EQ(f.digits, row.digits);
        const NumberFormat c = EffectiveCurrencyFormat(row.props, intl);
        EXPECT_EQ(c.decimal, row.currencyDecimal);
        EXPECT_EQ(c.thousands, row.thousands);
        EXPECT_EQ(c.digits, row.digits);
    }
}

TEST_F(NumberSettingsTest, AChangedSettingShowsAtTheNextRead) {
    EXPECT_EQ(ReadIntlNumberSettings().currencySymbol, "$");   // no WIN.INI at all
    EXPECT_EQ(ReadIntlNumberSettings().negativeCurrency, 0);
    UsePointComma();
    EXPECT_EQ(ReadIntlNumberSettings().decimal, '.');
    UseCommaPoint();
    EXPECT_EQ(ReadIntlNumberSettings().decimal, ',');
    EXPECT_EQ(ReadIntlNumberSettings().thousands, '.');
    WriteIntl("iDigits=3\r\nsCurrency=R$\r\niNegCurr=9\r\n");
    IntlNumberSettings intl = ReadIntlNumberSettings();
    EXPECT_EQ(intl.digits, 3);
    EXPECT_EQ(intl.currencySymbol, "R$");
    EXPECT_EQ(intl.negativeCurrency, 9);
    WriteIntl("sCurrency=ABCDEFGH\r\niNegCurr=14\r\n");
    intl = ReadIntlNumberSettings();
    EXPECT_EQ(intl.currencySymbol, "ABCDEF");   // at most six characters
    EXPECT_EQ(intl.negativeCurrency, 14);
    WriteIntl("sCurrency=\r\n");
    EXPECT_EQ(ReadIntlNumberSettings().currencySymbol, "");
}

TEST(GroupThousands, InsertsSeparatorsFromTheDecimalCharacterLeftward) {
    const struct {
        const char* digits;
        char decimal, thousands;
        const char* grouped;
    } rows[] = {
        {"1234567", '.', ',', "1,234,567"}, {"123", '.', ',', "123"},
        {"1000", '.', ',', "1,000"},        {"100", '.', ',', "100"},
        {"", '.', ',', ""},                 {"1", '.', ',', "1"},
        {"1234", '.', ',', "1,234"},        {"123456", '.', ',', "123,456"},
        {"2147483648", '\0', ',', "2,147,483,648"},
        {"1234567.891", '.', ',', "1,234,567.891"},
        {"1234567.8912", '.', ',', "1,234,567.8912"},   // decimals are never grouped
        {"1234,50", ',', '.', "1.234,50"},  {"0,50", ',', '.', "0,50"},
        {"1234567", '.', '\0', "1234567"},  {"12345", '.', ' ', "12 345"},
        {".5", '.', ',', ".5"},             {"0.500", '.', ',', "0.500"},
        {"922337203685477.5807", '.', ',', "922,337,203,685,477.5807"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(GroupThousands(row.digits, row.decimal, row.thousands), row.grouped) << row.digits;
}

TEST(GroupThousands, ALongNumberIsCutAtTheBufferSize) {
    const std::string grouped = GroupThousands(std::string(300, '9'), '.', ',');
    EXPECT_EQ(grouped.size(), kMaxNumberText);
    EXPECT_EQ(grouped.substr(0, 8), "999,999,");
}

TEST(CheckNumberText, CountsIntegerDigitsAndDecimalsUpToTheFirstSpace) {
    const struct {
        const char* text;
        bool allowNegative;
        int intDigits;
        char decimal;
        int decDigits;
        bool fits;
    } rows[] = {
        {"1234.56", true, 5, '.', 2, true},      {"123456.5", true, 5, '.', 2, false},
        {"-12345.12", true, 5, '.', 2, true},    {"-12345.12", false, 5, '.', 2, false},
        {"12345.12", false, 5, '.', 2, true},    {"1.234", true, 5, '.', 2, false},
        {"1.23   ", true, 5, '.', 2, true},      {"1.2 345", true, 5, '.', 2, true},
        {"", false, 0, '.', 0, true},            {"12.", true, 5, '.', 0, true},
        {"12.3", true, 5, '.', 0, false},        {"1234,50", true, 15, ',', 2, true},
        {"1234,505", true, 15, ',', 2, false},   {"12.5", true, 3, ',', 2, false},
        // The long field: no decimal character, no decimals.
        {"1234567890", true, 10, '\0', 0, true}, {"12345678901", true, 10, '\0', 0, false},
        {"-2147483648", true, 10, '\0', 0, true}, {"-2147483648", false, 10, '\0', 0, false},
        {"123 ", true, 3, '\0', 0, true},        {"1234 ", true, 3, '\0', 0, false},
        // The currency limit with 15 integer digits and 4 decimals.
        {"922337203685477.5807", true, 15, '.', 4, true},
        {"-922337203685477.5807", true, 15, '.', 4, true},
        {"922337203685477.5807", true, 14, '.', 4, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CheckNumberText(row.text, row.allowNegative, row.intDigits, row.decimal, row.decDigits),
                  row.fits)
            << '"' << row.text << '"';
}

struct KeyRow {
    const char* display;
    int selStart, selEnd;
    bool insertMode;
    char key;
    bool accepted;
};

TEST(LongKeyAccepted, TakesADigitWhileTheEntryHasRoomOrTheDigitReplacesOne) {
    const KeyRow rows[] = {
        {"123 ", 3, 3, true, '4', true},
        {"1234567890 ", 10, 10, true, '1', false},   // ten digits entered
        {"1234567890 ", 3, 3, false, '1', true},     // overwrites the fourth digit
        {"1234567890 ", 10, 10, false, '1', false},  // overwrite at the end: nothing to overwrite
        {"1234567890 ", 2, 4, true, '1', true},      // replaces the selection
        {"-1234567890 ", 11, 11, true, '1', false},  // the sign does not count as a digit
        {"-123456789 ", 10, 10, true, '1', true},
        {"1234567890", 10, 10, true, '1', true},     // no free position: the engine decides
        {"", 0, 0, true, '7', true},
        {"12 ", 2, 2, true, 'a', false},             {"12 ", 2, 2, true, '.', false},
        {"12 ", 2, 2, true, ',', false},             {"12 ", 2, 2, true, ' ', false},
        {"12 ", 0, 0, true, '-', true},              {"12 ", 1, 1, true, '-', false},
        {"12 ", 0, 2, true, '-', true},
    };
    for (const auto& row : rows) {
        NumberKeyState state{row.display, row.selStart, row.selEnd, row.insertMode, true, 10, 0, '.'};
        EXPECT_EQ(LongKeyAccepted(state, row.key), row.accepted)
            << '"' << row.display << "\" at " << row.selStart << " key " << row.key;
    }
    NumberKeyState positiveOnly{"12 ", 0, 0, true, false, 10, 0, '.'};
    EXPECT_FALSE(LongKeyAccepted(positiveOnly, '-'));
    NumberKeyState threeDigits{"123 ", 3, 3, true, true, 3, 0, '.'};
    EXPECT_FALSE(LongKeyAccepted(threeDigits, '4'));
    threeDigits.display = "12 ";
    EXPECT_TRUE(LongKeyAccepted(threeDigits, '3'));
}

TEST(DoubleKeyAccepted, KeepsTheIntegerPartAndTheDecimalsWithinTheirCounts) {
    // Five integer digits, two decimals, "." as the decimal character, negatives allowed.
    const KeyRow rows[] = {
        {"12.34 ", 5, 5, true, '5', false},    // both decimals there
        {"12.3 ", 4, 4, true, '5', true},      {"12.3 ", 4, 4, true, 'x', false},
        {"12.34 ", 3, 3, false, '9', true},    // overwrites a decimal
        {"12.34 ", 5, 5, false, '9', false},   // overwrite past the last decimal
        {"12345 ", 5, 5, true, '6', false},    // integer part full
        {"12345 ", 5, 5, true, '.', true},     // the decimal character at the end
        {"12345 ", 2, 2, true, '.', false},    // "345" would make three decimals
        {"12345 ", 3, 3, true, '.', true},     // "45" makes two
        {"12345 ", 2, 2, false, '.', true},    // overwriting "3" leaves "45"
        {"12.34 ", 2, 2, true, '5', true},     // integer part has room
        {"12345.6 ", 2, 2, true, '7', false},  // integer part full in front of the decimals
        {"12345.6 ", 2, 2, false, '7', true},  // overwrite inside the integer part
        {"12.34 ", 2, 2, false, '.', true},    // overwrite the decimal character with itself
        {"12.34 ", 2, 2, true, '.', false},    // a second decimal character
        {"12.34 ", 4, 4, true, '.', false},
        {"12.34 ", 2, 3, true, '5', true},     // the selected "." is gone: "1234"
        {"-12345 ", 6, 6, true, '6', false},   // the sign is not a digit
        {"-1234 ", 5, 5, true, '5', true},
        {"12 ", 0, 0, true, '-', true},        {"12 ", 1, 1, true, '-', false},
        {"", 0, 0, true, '1', true},           {"", 0, 0, true, '.', true},
        {"12 ", 2, 2, true, ',', false},
    };
    for (const auto& row : rows) {
        NumberKeyState state{row.display, row.selStart, row.selEnd, row.insertMode, true, 5, 2, '.'};
        EXPECT_EQ(DoubleKeyAccepted(state, row.key), row.accepted)
            << '"' << row.display << "\" at " << row.selStart << "-" << row.selEnd
            << (row.insertMode ? " insert" : " overwrite") << " key " << row.key;
    }
}

TEST(DoubleKeyAccepted, FollowsTheDecimalCharacterAndCountInForce) {
    const struct {
        const char* display;
        int selStart;
        int decDigits;
        char decimal;
        bool allowNegative;
        char key;
        bool accepted;
    } rows[] = {
        {"12,3 ", 4, 2, ',', true, '5', true},   {"12,3 ", 4, 2, ',', true, '.', false},
        {"12 ", 2, 2, ',', true, ',', true},     {"12 ", 2, 2, ',', true, '.', false},
        {"123 ", 3, 0, '.', true, '.', false},   // no decimals: no decimal character
        {"123 ", 3, 0, '.', true, '4', true},
        {"1.2345 ", 6, 4, '.', true, '6', false}, {"1.234 ", 5, 4, '.', true, '5', true},
        {"12 ", 0, 2, '.', false, '-', false},   // MinValue not below zero
    };
    for (const auto& row : rows) {
        NumberKeyState state{row.display, row.selStart, row.selStart, true, row.allowNegative, 5,
                             row.decDigits, row.decimal};
        EXPECT_EQ(DoubleKeyAccepted(state, row.key), row.accepted)
            << '"' << row.display << "\" key " << row.key;
    }
}

TEST(PatternLength, CountsDigitsDecimalCharacterAndSign) {
    EXPECT_EQ(LongPatternLength(10, true, ""), 11);
    EXPECT_EQ(LongPatternLength(10, true, "-5"), 11);
    EXPECT_EQ(LongPatternLength(10, true, "5"), 10);
    EXPECT_EQ(LongPatternLength(10, false, ""), 10);
    EXPECT_EQ(LongPatternLength(1, false, "-5"), 1);
    EXPECT_EQ(DecimalPatternLength(15, 3, true), 20);
    EXPECT_EQ(DecimalPatternLength(15, 3, false), 19);
    EXPECT_EQ(DecimalPatternLength(15, 0, true), 16);
    EXPECT_EQ(DecimalPatternLength(0, 0, false), 0);
    EXPECT_EQ(DecimalPatternLength(15, 2, true), 19);   // the currency field's defaults
    EXPECT_EQ(DecimalPatternLength(15, 15, true), 32);
}

TEST(NumberFieldEndReached, OnceTheCaretStandsOnTheLastDecimal) {
    const struct {
        const char* display;
        int curPos;
        char decimal;
        int digits;
        bool reached;
    } rows[] = {
        {"12.34 ", 4, '.', 2, true},   {"12.34 ", 3, '.', 2, false}, {"12.34 ", 5, '.', 2, true},
        {"12.3 ", 2, '.', 1, false},   {"12.3 ", 3, '.', 1, true},   {"1234 ", 4, '.', 2, false},
        {"12.34 ", 9, '.', 0, false},  {"12,345 ", 5, ',', 3, true}, {"12,345 ", 5, '.', 3, false},
        {"", 0, '.', 2, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(NumberFieldEndReached(row.display, row.curPos, row.decimal, row.digits), row.reached)
            << '"' << row.display << "\" at " << row.curPos;
}

}  // namespace
}  // namespace zmtext
