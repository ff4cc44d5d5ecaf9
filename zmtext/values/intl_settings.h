// The regional settings of WIN.INI's "intl" section that the value controls format with. The
// controls read them at every use, so a change to WIN.INI shows at the next formatting (the
// profile layer keeps the parsed file only while the file on disk is unchanged, which makes a
// read cheap enough for every key); the value functions take them as plain structs and never read
// files themselves.
#pragma once

#include <string>

namespace zmtext {

// ----- Dates and times --------------------------------------------------------------------------

// The date and time keys, with the defaults that stand in for an absent key or file.
struct IntlDateTimeSettings {
    std::string shortDate = "M/d/yy";   // "sShortDate", at most 11 characters
    char timeSeparator = ':';           // "sTime", its first character (0 when the value is empty)
    int timeFormat = 0;                 // "iTime": non-zero for a 24-hour clock
    int timeLeadingZero = 0;            // "iTLZero": non-zero for a leading zero on the hour
    std::string morningSuffix = "AM";   // "s1159", at most 5 characters
    std::string afternoonSuffix = "PM"; // "s2359", at most 5 characters
};

// Reads the date and time keys of WIN.INI in the Windows folder now.
IntlDateTimeSettings ReadIntlDateTimeSettings();

// ----- Numbers and currency ---------------------------------------------------------------------

// The most decimal digits a number field shows. A WIN.INI count beyond it (or below 0) is
// clamped into 0..kMaxDecimalDigits, which keeps every lookup by digit count inside its table
// and every number text inside the field's buffer.
inline constexpr int kMaxDecimalDigits = 15;

// The longest currency symbol.
inline constexpr int kMaxCurrencySymbol = 6;

// The number keys, with the defaults that stand in for an absent key or file.
struct IntlNumberSettings {
    char decimal = '.';                 // "sDecimal", its first character (0 when the value is empty)
    char thousands = ',';               // "sThousand", its first character (0: no grouping)
    int digits = 0;                     // "iDigits" (long and double fields), 0..15
    int currencyDigits = 0;             // "iCurrDigits" (currency field), 0..15
    std::string currencySymbol = "$";   // "sCurrency", at most kMaxCurrencySymbol characters
    int negativeCurrency = 0;           // "iNegCurr": the currency layout, not range-checked
};

// Reads the number keys of WIN.INI in the Windows folder now.
IntlNumberSettings ReadIntlNumberSettings();

}  // namespace zmtext
