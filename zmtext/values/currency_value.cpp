#include "zmtext/values/currency_value.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <optional>

#include "platform/com/bstr.h"
#include "zmtext/engine/zm_strings.h"

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

// Writes the amount without its sign at `p` (the whole part grouped by `thousands` unless that is
// 0) and returns the end. The digits come from to_chars: no locale, no conversion of texts.
char* WriteAmount(char* p, const AmountParts& a, char decimal, char thousands) {
    char whole[24];
    const char* end = std::to_chars(whole, whole + sizeof whole, a.whole).ptr;
    const int n = static_cast<int>(end - whole);
    for (int i = 0; i < n; ++i) {
        if (thousands != '\0' && i > 0 && (n - i) % 3 == 0) *p++ = thousands;
        *p++ = whole[i];
    }
    if (a.digits == 0) return p;
    *p++ = decimal == '\0' ? kPoint : decimal;
    unsigned rest = a.decimals;
    for (int i = a.shown - 1; i >= 0; --i, rest /= 10) p[i] = static_cast<char>('0' + rest % 10);
    p += a.shown;
    for (int i = a.shown; i < a.digits; ++i) *p++ = '0';
    return p;
}

// The conversions' reading of a plain amount -- an optional "-", 1 to 14 digits, and at most four
// decimals behind "." or the first `decimal` -- without the round trip through a text variant.
// Nothing for any other text (an exponent, blanks, a sign "+", separators, more digits), which
// the conversions read instead.
std::optional<Currency> PlainAmount(std::string_view text, char decimal) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) ++i;
    std::int64_t whole = 0, fraction = 0;
    int wholeDigits = 0, decimals = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            if (point) {
                if (++decimals > 4) return std::nullopt;
                fraction = fraction * 10 + (c - '0');
            } else {
                if (++wholeDigits > 14) return std::nullopt;
                whole = whole * 10 + (c - '0');
            }
        } else if (!point && (c == kPoint || c == decimal)) {
            point = true;
        } else {
            return std::nullopt;
        }
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
    if (const std::optional<Currency> plain = PlainAmount(text, decimal == '\0' ? kPoint : decimal)) {
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
    std::string clean(text.substr(0, kMaxNumberText));
    ParseNumberText(clean, decimal);
    return TextToCurrency(out, clean, kPoint);
}

CurrencyLayout EffectiveCurrencyLayout(std::int16_t fmtControl, std::string_view fmtCurrency,
                                       const IntlNumberSettings& intl) {
    if (fmtControl != kFmtControlWinIni) return {fmtControl - 1, std::string(fmtCurrency)};
    const int pattern = intl.negativeCurrency;
    return {pattern >= 0 && pattern < kCurrencyLayoutCount ? pattern : 0, intl.currencySymbol};
}

std::string GetCurrencyPattern(std::string_view number, bool negative, const CurrencyLayout& layout) {
    const int pattern = layout.pattern >= 0 && layout.pattern < kCurrencyLayoutCount ? layout.pattern : 0;
    const LayoutForms& forms = kLayouts[static_cast<std::size_t>(pattern)];
    std::string_view form = negative ? forms.negative : forms.positive;
    std::string out;
    out.reserve(form.size() + number.size() + 2 * layout.symbol.size());
    for (std::size_t i = 0; i < form.size(); ++i) {
        const char c = form[i];
        const bool blankBeforeNoSymbol = pattern == kNumberBlankSymbolLayout && c == ' ' &&
                                         i + 1 < form.size() && form[i + 1] == 'C' && layout.symbol.empty();
        if (c == 'N') out += number;
        else if (c == 'C') out += layout.symbol;
        else if (!blankBeforeNoSymbol) out += c;
    }
    if (out.size() > kMaxCurrencyText) out.resize(kMaxCurrencyText);
    return out;
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
    char buf[kMaxAmount];
    const char* end = WriteAmount(buf, a, format.decimal, format.thousands);
    return {GetCurrencyPattern(std::string_view(buf, static_cast<std::size_t>(end - buf)), a.negative, layout),
            a.negative};
}

}  // namespace zmtext
