// The Windows regional settings of WIN.INI, section "intl", as the controls read them.
//
// Nothing is cached: every call reads the file through the platform's profile functions, so a
// change of the settings shows at the next reformat of a control that follows them. An absent
// file or key gives the defaults named below.
#pragma once

#include <string>
#include <string_view>

namespace zmtext {

// ----- Number keys ----------------------------------------------------------------------------

// The most decimal digits a number field shows; a larger (or negative) WIN.INI count is clamped
// into 0..kMaxDecimalDigits, which keeps every lookup by digit count inside its table.
inline constexpr int kMaxDecimalDigits = 15;

// The first character of "sDecimal" (default "."); 0 when the key is present but empty.
char IntlDecimalChar();

// The first character of "sThousand" (default ","); 0 when the key is present but empty, which
// means no grouping.
char IntlThousandChar();

// The integer under `key` ("iDigits" for the long and double fields, "iCurrDigits" for the
// currency field), default 0, clamped to 0..kMaxDecimalDigits.
int IntlDigitCount(std::string_view key);

// "sCurrency", at most kMaxCurrencySymbol characters (default "$").
inline constexpr int kMaxCurrencySymbol = 6;
std::string IntlCurrencySymbol();

// "iNegCurr", the layout number of a currency amount (default 0); not range-checked here.
int IntlNegativeCurrencyLayout();

}  // namespace zmtext
