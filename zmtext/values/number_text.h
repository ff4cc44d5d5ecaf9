// Values and texts of the long-integer and double fields: reading a number from a text, and the
// raw text (RawData: plain number, no grouping) and display text (Text: grouped, with a sign
// position) built from a value.
//
// Conversions never consult the process locale. Whole numbers are 32-bit on every platform; a
// text beyond that range saturates. Every built text is cut at kMaxNumberText characters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "zmtext/values/number_format.h"

namespace zmtext {

// ----- Whole numbers ----------------------------------------------------------------------------

// The leading number of `text`: blanks, an optional sign and decimal digits, as the C runtime's
// atol reads it; 0 when there is none. A number beyond the 32-bit range gives the nearer limit
// (2147483647 or -2147483648).
std::int32_t ParseLong(std::string_view text);

// A text given from outside (the Text and RawData properties): stripped to the parse alphabet
// with no decimal character (so "12.7" reads 127 and "(1,234)" reads -1234), then ParseLong.
std::int32_t LongFromText(std::string_view text);

// The value in base 10, "-" in front of a negative one: "-1234".
std::string LongRawText(std::int32_t value);

// The grouped digits with "-" in front of a negative value and one blank in front of any other:
// 1234567 -> " 1,234,567". Empty for 0 when `showZero` is false.
std::string LongDisplayText(std::int32_t value, char thousands, bool showZero);

// The number at the first digit of a control's name ("ZmLong7b2" -> 7), 0 when it has none.
std::int32_t LongFromDisplayName(std::string_view name);

// A real bound value as a whole number: its integer part (toward zero) when that lies in the
// 32-bit range, else 0 (also for NaN).
std::int32_t LongFromBoundReal(double value);

// ----- Doubles ----------------------------------------------------------------------------------

// The leading number of `text` as the C runtime's atof reads it (blanks, sign, digits, a "."
// fraction, an exponent after e, E, d or D). A text without a number gives 0. False, with `out`
// untouched, when the number lies beyond the double range: the fields hold finite values only.
bool ParseDouble(std::string_view text, double& out);

// A text given from outside: stripped to the parse alphabet with `decimal` as the decimal
// character, then ParseDouble.
bool DoubleFromText(std::string_view text, char decimal, double& out);

// The field's own raw text: its first `decimal` read as ".", then ParseDouble.
bool DoubleFromRawText(std::string_view raw, char decimal, double& out);

// The value with exactly `digits` decimals (rounded to nearest, an exact half away from zero),
// `decimal` between the integer part and the decimals, "-" in front of a negative value unless
// every digit shown is 0: 1234.5678 with 3 -> "1234.568", 0.05 -> "0.050", 0.3 with 0 -> "0".
// A value that is not finite is shown as 0.
std::string DoubleRawText(double value, char decimal, int digits);

// The display text: the raw digits grouped, "-" or one blank in front. Empty for a zero value
// (of either sign) when `showZero` is false. -1234.5 with 2 -> "-1,234.50".
std::string DoubleDisplayText(double value, const NumberFormat& format, bool showZero);

// The smallest change the field takes at `digits` decimals: 10^-digits - 1e-15. A new value
// closer to the stored one than that (or equal to it) leaves the stored value, with all its
// digits, as it is.
double DoubleTolerance(int digits);
bool DoubleChangeTaken(double stored, double candidate, int digits);

// The Value setter refuses a value that is not finite (invalid property value); a bound value
// that is not finite reads as 0.0.
bool DoubleValueAccepted(double value);
double DoubleFromBoundValue(double value);

}  // namespace zmtext
