// Number formats of the long, double and currency fields: where the decimal character, the
// thousands separator and the decimal-digit count come from, thousands grouping, the number-text
// check, key acceptance, the field lengths and the end-of-field test.
//
// All are pure functions of their arguments; a field that follows the Windows settings reads
// them (ReadIntlNumberSettings) at each formatting step and passes them in. Positions in texts
// are 1-based where the rules speak of positions (0 = not found); texts are cp1252 bytes, one
// byte one character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "zmtext/values/intl_settings.h"

namespace zmtext {

// The longest text a field builds: its buffers hold 256 positions and a terminating zero, so
// every built number text is cut to this many characters.
inline constexpr std::size_t kMaxNumberText = 255;

// Values of FmtControl for the long and double fields.
enum : std::int16_t { kFmtControlWinIni = 0, kFmtControlUser = 1 };

// The number settings a field holds as properties.
struct NumberSettings {
    std::int16_t fmtControl = kFmtControlWinIni;   // 0: WIN.INI; otherwise the properties
    char decimal = '.';                             // FmtDecimal
    char thousands = ',';                           // FmtThousands; 0 = no grouping
    std::int16_t decimalDigits = 0;                 // FmtDecDigits
};

// The settings in force for one formatting or parsing step.
struct NumberFormat {
    char decimal = '.';     // never 0
    char thousands = ',';   // 0 = no grouping
    int digits = 0;         // 0..kMaxDecimalDigits
};

// The long and double fields' settings. The decimal character is the property with FmtControl
// 1, the Windows character with 0 and "." for any other value (only a stored stream holds one);
// a 0 character becomes ".". The thousands separator and the digit count ("iDigits") are the
// properties for every FmtControl other than 0. A digit count is kept to 0..kMaxDecimalDigits.
char GetDecimalSeparator(const NumberSettings& s, const IntlNumberSettings& intl);
char GetThousandSeparator(const NumberSettings& s, const IntlNumberSettings& intl);
int GetDecimalDigits(const NumberSettings& s, const IntlNumberSettings& intl);
NumberFormat EffectiveNumberFormat(const NumberSettings& s, const IntlNumberSettings& intl);

// The currency field's settings: its FmtControl runs 0..11 (layouts), and every value but 0
// takes all three from the properties; 0 takes them from Windows, the digits from "iCurrDigits".
NumberFormat EffectiveCurrencyFormat(const NumberSettings& s, const IntlNumberSettings& intl);

// Inserts `thousands` into an unsigned digit text: (n - 1) / 3 separators from the right, n being
// the number of characters in front of `decimal` (the whole text without one). Nothing happens
// for a `thousands` of 0. The result is cut at kMaxNumberText. "1234567" -> "1,234,567".
std::string GroupThousands(std::string_view digits, char decimal, char thousands);

// Whether a raw number text fits the field: not negative unless allowed, at most `intDigits`
// digits in front of `decimal` (0 = the text has none) and at most `decDigits` behind it, the
// text ending at its first space.
bool CheckNumberText(std::string_view text, bool allowNegative, int intDigits, char decimal,
                     int decDigits);

// What key acceptance sees of a field while the user types into it.
struct NumberKeyState {
    std::string_view display;   // the field's display buffer; the entry ends at its first space
    int selStart = 0;           // lower end of the selection, or the caret
    int selEnd = 0;             // upper end of the selection (selStart when nothing is selected)
    bool insertMode = true;
    bool allowNegative = false;   // MinValue < 0
    int intDigits = 10;
    int decDigits = 0;   // effective decimal digits (double and currency)
    char decimal = '.';  // effective decimal character (double and currency)
};

// Whether the long field takes the typed character `c`.
bool LongKeyAccepted(const NumberKeyState& state, char c);

// Whether the double and currency fields take the typed character `c`.
bool DoubleKeyAccepted(const NumberKeyState& state, char c);

// The field lengths (number of positions of the pattern).
int LongPatternLength(int intDigits, bool allowNegative, std::string_view raw);
int DecimalPatternLength(int intDigits, int decDigits, bool allowNegative);

// Whether the caret at `curPos` (0-based) has passed the last decimal of the display: true only
// with decimals and a decimal character in the display. The field then reports its end.
bool NumberFieldEndReached(std::string_view display, int curPos, char decimal, int decDigits);

}  // namespace zmtext
