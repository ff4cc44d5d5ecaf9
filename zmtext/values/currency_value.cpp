#include "zmtext/values/currency_value.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <optional>

#include "platform/com/bstr.h"
#include "zmtext/values/zm_strings.h"

namespace zmtext {
namespace {

// The conversions' decimal point.
constexpr char kPoint = '.';

// An amount at a digit count, taken apart for writing: the sign as shown (none when every shown
// digit is 0), the whole part, and the first `shown` (at most four) of its `digits` decimals.
struct AmountParts {
    bool negative = false;
    std::uint64_t whole = 0;
    unsigned decimals = 0;   // the first `shown` decimals as a number ("05" is 5)
    int shown = 0;
    int digits = 0;
};

AmountParts PartsOf(Currency value, int digits) {
    static constexpr std::array<unsigned, 5> kCut = {10000, 1000, 100, 10, 1};
    AmountParts a;
    a.digits = std::clamp(digits, 0, kMaxDecimalDigits);
    a.shown = std::min(a.digits, 4);
    const std::int64_t scaled = RoundCurrency(value, a.digits).scaled;
    const std::uint64_t mag = scaled < 0 ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
    a.whole = mag / Currency::kScale;
    a.decimals = static_cast<unsigned>(mag % Currency::kScale) / kCut[static_cast<std::size_t>(a.shown)];
    a.negative = scaled < 0 && (a.whole != 0 || a.decimals != 0);
    return a;
}

// The longest amount: a sign, 15 whole digits with 4 separators, the decimal character and 15
// decimals.
constexpr std::size_t kMaxAmount = 40;

// The three digits of each number below 1000 ("007" for 7).
constexpr std::array<std::array<char, 3>, 1000> kTriples = [] {
    std::array<std::array<char, 3>, 1000> t{};
    for (int i = 0; i < 1000; ++i) {
        t[static_cast<std::size_t>(i)] = {static_cast<char>('0' + i / 100), static_cast<char>('0' + i / 10 % 10),
                                          static_cast<char>('0' + i % 10)};
    }
    return t;
}();

int DigitCount(std::uint64_t n) {
    int count = 1;
    for (; n >= 1000; n /= 1000) count += 3;
    return count + (n >= 10 ? 1 : 0) + (n >= 100 ? 1 : 0);
}

// Writes the amount without its sign at `p` (the whole part grouped by `thousands` unless that is
// 0) and returns the end. The whole part is written from its last digit back, three at a time.
char* WriteAmount(char* p, const AmountParts& a, char decimal, char thousands) {
    const int digits = DigitCount(a.whole);
    const int length = digits + (thousands != '\0' ? (digits - 1) / 3 : 0);
    char* q = p + length;
    std::uint64_t rest = a.whole;
    for (; rest >= 1000; rest /= 1000) {
        const auto& three = kTriples[static_cast<std::size_t>(rest % 1000)];
        *--q = three[2];
        *--q = three[1];
        *--q = three[0];
        if (thousands != '\0') *--q = thousands;
    }
    const auto& lead = kTriples[static_cast<std::size_t>(rest)];
    *--q = lead[2];
    if (rest >= 10) *--q = lead[1];
    if (rest >= 100) *--q = lead[0];
    p += length;
    if (a.digits == 0) return p;
    *p++ = decimal == '\0' ? kPoint : decimal;
    unsigned decimals = a.decimals;
    for (int i = a.shown - 1; i >= 0; --i, decimals /= 10) p[i] = static_cast<char>('0' + decimals % 10);
    p += a.shown;
    for (int i = a.shown; i < a.digits; ++i) *p++ = '0';
    return p;
}

// The conversions' reading of a plain amount -- an optional "-", 1 to 14 digits, and at most four
// decimals behind "." -- without the round trip through a text variant. `map` gives for each
// character of `text` what it reads as: a digit, ".", "-", any other character (which ends the
// reading) or 0 for one to pass over; with `leadingMinus` a "-" that begins the text is the sign
// whatever `map` makes of it. Nothing for any other text (an exponent, blanks, a sign "+",
// separators, more digits), which the conversions read instead.
template <typename Map>
std::optional<Currency> PlainAmount(std::string_view text, bool leadingMinus, Map&& map) {
    bool negative = false, point = false, any = false;
    if (leadingMinus && !text.empty() && text.front() == '-') {
        negative = any = true;
        text.remove_prefix(1);
    }
    std::int64_t whole = 0, fraction = 0;
    int wholeDigits = 0, decimals = 0;
    for (const char raw : text) {
        const char c = map(raw);
        if (c == '\0') continue;
        if (static_cast<unsigned>(c - '0') < 10u) {
            if (point) {
                if (++decimals > 4) return std::nullopt;
                fraction = fraction * 10 + (c - '0');
            } else {
                if (++wholeDigits > 14) return std::nullopt;
                whole = whole * 10 + (c - '0');
            }
        } else if (c == kPoint && !point && wholeDigits > 0) {
            point = true;
        } else if (c == '-' && !any) {
            negative = true;
        } else {
            return std::nullopt;
        }
        any = true;
    }
    if (wholeDigits == 0 || (point && decimals == 0)) return std::nullopt;
    static constexpr std::array<std::int64_t, 5> kScale = {10000, 1000, 100, 10, 1};
    const std::int64_t scaled = whole * Currency::kScale + fraction * kScale[static_cast<std::size_t>(decimals)];
    return Currency{negative ? -scaled : scaled};
}

// Negative and positive forms; N is the number, C the symbol, every other character stands.
struct LayoutForms {
    std::string_view negative;
    std::string_view positive;
};
constexpr std::array<LayoutForms, kCurrencyLayoutCount> kLayouts = {{
    {"(CN)", " CN"},  {"-CN", " CN"},   {"C-N", "CN"},    {"CN-", "CN"},
    {"(NC)", " NC"},  {"-NC", " NC"},   {"N-C", "N C"},   {"NC-", "NC"},
    {"-N C", " N C"}, {"-C N", " C N"}, {"N C-", "N C "},
}};
constexpr int kNumberBlankSymbolLayout = 8;

}  // namespace

Currency RoundCurrency(Currency value, int digits) {
    static constexpr std::array<std::int64_t, 4> kHalf = {5000, 500, 50, 5};
    if (digits < 0 || digits > 3) return value;
    const std::int64_t half = kHalf[static_cast<std::size_t>(digits)];
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    if (value.scaled >= 0) return value.scaled > kMax - half ? value : Currency{value.scaled + half};
    return value.scaled < kMin + half ? value : Currency{value.scaled - half};
}

std::string CurrencyToText(Currency value, char decimal, int digits) {
    const AmountParts a = PartsOf(value, digits);
    char buf[kMaxAmount];
    char* p = buf;
    if (a.negative) *p++ = '-';
    p = WriteAmount(p, a, decimal, '\0');
    return std::string(buf, p);
}

Currency CurrencyAtDigits(Currency value, int digits) {
    digits = std::clamp(digits, 0, kMaxDecimalDigits);
    if (digits >= 4) return value;
    static constexpr std::array<std::int64_t, 4> kUnit = {10000, 1000, 100, 10};
    const Currency rounded = RoundCurrency(value, digits);
    return Currency{rounded.scaled - rounded.scaled % kUnit[static_cast<std::size_t>(digits)]};
}

bool TextToCurrency(Currency& out, std::string_view text, char decimal) {
    if (text.empty()) {
        out = Currency{};
        return true;
    }
    // Digits, the decimal character or "." as the point, and every other character as it is
    // (a 0 byte too, which ends the reading).
    const char point = decimal == '\0' ? kPoint : decimal;
    const auto asWritten = [point](char c) {
        if (static_cast<unsigned>(c - '0') < 10u) return c;
        return c == point || c == kPoint ? kPoint : c == '\0' ? 'x' : c;
    };
    if (const std::optional<Currency> plain = PlainAmount(text, true, asWritten)) {
        out = *plain;
        return true;
    }
    std::string own(text);
    if (decimal != kPoint && decimal != '\0')
        if (const auto point = own.find(decimal); point != std::string::npos) own[point] = kPoint;
    com::Variant value;
    if (com::Failed(com::ChangeType(value, com::Variant::Str(com::Bstr::FromAnsi(own)), com::VT_CY)))
        return false;
    out = value.AsCy();
    return true;
}

int CompareCurrency(Currency a, Currency b) { return a.scaled < b.scaled ? -1 : a.scaled > b.scaled ? 1 : 0; }

bool CurrencyFromText(std::string_view text, char decimal, Currency& out) {
    text = text.substr(0, kMaxNumberText);
    // A display text whose kept characters make a plain amount is read in one pass, passing over
    // what stripping drops; any other is stripped and read as the conversions read it.
    if (const std::optional<Currency> plain =
            PlainAmount(text, false, [decimal](char c) { return NumberTextChar(c, decimal); })) {
        out = *plain;
        return true;
    }
    char clean[kMaxNumberText];
    const std::size_t n = StripNumberText(text, decimal, clean);
    return TextToCurrency(out, std::string_view(clean, n), kPoint);
}

CurrencyLayout EffectiveCurrencyLayout(std::int16_t fmtControl, std::string_view fmtCurrency,
                                       const IntlNumberSettings& intl) {
    if (fmtControl != kFmtControlWinIni) return {fmtControl - 1, std::string(fmtCurrency)};
    const int pattern = intl.negativeCurrency;
    return {pattern >= 0 && pattern < kCurrencyLayoutCount ? pattern : 0, intl.currencySymbol};
}

namespace {

// Lays out a number with the sign and the symbol into `out` (room for kMaxCurrencyText + the
// longest number) and answers the length kept, at most kMaxCurrencyText: what the full layout
// shows up to that length. `writeNumber(char*)` writes the number and returns its end; it runs
// only while fewer than kMaxCurrencyText characters are written.
template <typename WriteNumber>
std::size_t LayOut(char* out, bool negative, const CurrencyLayout& layout, WriteNumber&& writeNumber) {
    const int pattern = layout.pattern >= 0 && layout.pattern < kCurrencyLayoutCount ? layout.pattern : 0;
    const LayoutForms& forms = kLayouts[static_cast<std::size_t>(pattern)];
    const std::string_view form = negative ? forms.negative : forms.positive;
    char* p = out;
    char* const full = out + kMaxCurrencyText;
    for (std::size_t i = 0; i < form.size() && p < full; ++i) {
        const char c = form[i];
        if (c == 'N') {
            p = writeNumber(p);
        } else if (c == 'C') {
            const std::size_t n = std::min(layout.symbol.size(), static_cast<std::size_t>(full - p));
            for (std::size_t k = 0; k < n; ++k) *p++ = layout.symbol[k];
        } else if (!(pattern == kNumberBlankSymbolLayout && c == ' ' && i + 1 < form.size() && form[i + 1] == 'C' &&
                     layout.symbol.empty())) {
            *p++ = c;
        }
    }
    return std::min(static_cast<std::size_t>(p - out), kMaxCurrencyText);
}

}  // namespace

std::string GetCurrencyPattern(std::string_view number, bool negative, const CurrencyLayout& layout) {
    char out[kMaxCurrencyText + 1];
    const std::size_t size = LayOut(out, negative, layout, [&](char* p) {
        const std::size_t n = std::min(number.size(), static_cast<std::size_t>(out + kMaxCurrencyText + 1 - p));
        return std::copy_n(number.data(), n, p);
    });
    return std::string(out, size);
}

CurrencyDisplay CurrencyDisplayText(Currency value, const NumberFormat& format,
                                    const CurrencyLayout& layout, bool showZero) {
    if (value.scaled == 0 && !showZero) return {};
    const AmountParts a = PartsOf(value, format.digits);
    // A digit for a decimal character would be found among the whole digits by the grouping
    // rule; that case keeps the general grouping.
    if (format.decimal >= '0' && format.decimal <= '9') {
        std::string digits = CurrencyToText(value, format.decimal, format.digits);
        if (a.negative) digits.erase(0, 1);
        return {GetCurrencyPattern(GroupThousands(digits, format.decimal, format.thousands), a.negative, layout),
                a.negative};
    }
    // The amount is written straight into its place in the layout.
    char out[kMaxCurrencyText + kMaxAmount];
    const std::size_t size = LayOut(out, a.negative, layout,
                                    [&](char* p) { return WriteAmount(p, a, format.decimal, format.thousands); });
    return {std::string(out, size), a.negative};
}

}  // namespace zmtext
