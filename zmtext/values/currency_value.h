// Values and texts of the currency field. A value is the component layer's exact currency (a
// signed 64-bit count of ten-thousandths); texts and values convert through that layer's
// conversions, never through floating point.
//
// The conversions' own decimal point is "."; a field's decimal character is put in its place on
// the way out and read for it on the way in.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/com/variant.h"
#include "zmtext/values/number_format.h"

namespace zmtext {

using com::Currency;

// The field's limits: +-922337203685477.5807.
inline constexpr Currency kCurrencyMax{INT64_MAX};
inline constexpr Currency kCurrencyMin{-INT64_MAX};

// Rounds half away from zero at `digits` (0..3) decimals, leaving the digits behind to be cut
// off: adds (subtracts, for a negative value) 5000, 500, 50 or 5 ten-thousandths. A value the
// addition would carry past the type's range, and any other digit count, comes back unchanged.
Currency RoundCurrency(Currency value, int digits);

// The value with exactly `digits` decimals (0..15; four are significant) and `decimal` as the
// decimal character, rounded first with RoundCurrency; a text that shows zero has no "-".
// 2.345 with 2 -> "2.35"; -0.004 with 2 -> "0.00".
std::string CurrencyToText(Currency value, char decimal, int digits);

// The value as CurrencyToText shows it at `digits` decimals: the stored value the field compares
// a newly read value with. 2.345 at 2 -> 2.35; the largest value at 2 -> 922337203685477.58.
Currency CurrencyAtDigits(Currency value, int digits);

// Reads a text whose first `decimal` is the decimal character; an empty text is 0. False, with
// `out` untouched, when the text is no number or lies beyond the range.
bool TextToCurrency(Currency& out, std::string_view text, char decimal);

// -1, 0 or 1.
int CompareCurrency(Currency a, Currency b);

// A text given from outside (the Text and RawData properties): stripped to the parse alphabet
// with `decimal` as the decimal character, then read with ".".
bool CurrencyFromText(std::string_view text, char decimal, Currency& out);

// ----- Display layouts -------------------------------------------------------------------------

// The layout numbers 0..10 (FmtControl 1..11, or WIN.INI "iNegCurr").
inline constexpr int kCurrencyLayoutCount = 11;
// The most characters a laid-out amount keeps.
inline constexpr std::size_t kMaxCurrencyText = 30;

struct CurrencyLayout {
    int pattern = 0;
    std::string symbol = "$";
};

// With FmtControl 1..11 the layout FmtControl - 1 and FmtCurrency; with 0 the Windows layout
// "iNegCurr" (a number without a layout gives 0) and symbol "sCurrency".
CurrencyLayout EffectiveCurrencyLayout(std::int16_t fmtControl, std::string_view fmtCurrency,
                                       const IntlNumberSettings& intl);

// Lays out an unsigned (already grouped) number with the sign and the symbol; at most
// kMaxCurrencyText characters. Layout 1 of -1,234.50 with "$" -> "-$1,234.50". A layout number
// outside 0..10 lays out as 0.
std::string GetCurrencyPattern(std::string_view number, bool negative, const CurrencyLayout& layout);

struct CurrencyDisplay {
    std::string text;
    bool negative = false;
};

// The display text: empty for 0 when `showZero` is false; otherwise the raw text without its
// "-", grouped and laid out.
CurrencyDisplay CurrencyDisplayText(Currency value, const NumberFormat& format,
                                    const CurrencyLayout& layout, bool showZero);

}  // namespace zmtext
