#include "zmtext/values/currency_value.h"

#include <algorithm>
#include <array>
#include <limits>

#include "platform/com/bstr.h"
#include "zmtext/engine/zm_strings.h"

namespace zmtext {
namespace {

// The conversions' decimal point.
constexpr char kPoint = '.';

// The component layer's text of a currency: "-1234.5", no trailing zeros, no point when whole.
std::string ConversionText(Currency value) {
    com::Variant text;
    if (com::Failed(com::ChangeType(text, com::Variant::Cy(value), com::VT_BSTR))) return "0";
    return text.AsStr().ToAnsi();
}

// Exactly `digits` decimals: cut, padded with zeros, or the point dropped for none.
void ForceDecimals(std::string& text, int digits) {
    auto point = text.find(kPoint);
    if (point == std::string::npos) {
        if (digits == 0) return;
        point = text.size();
        text += kPoint;
    }
    if (digits == 0) {
        text.resize(point);
        return;
    }
    text.resize(point + 1 + static_cast<std::size_t>(digits), '0');
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
    digits = std::clamp(digits, 0, kMaxDecimalDigits);
    std::string text = ConversionText(RoundCurrency(value, digits));
    ForceDecimals(text, digits);
    if (text.front() == '-' && text.find_first_of("123456789") == std::string::npos) text.erase(0, 1);
    if (decimal != kPoint && decimal != '\0')
        if (const auto point = text.find(kPoint); point != std::string::npos) text[point] = decimal;
    return text;
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
    std::string digits = CurrencyToText(value, format.decimal, format.digits);
    const bool negative = digits.front() == '-';
    if (negative) digits.erase(0, 1);
    return {GetCurrencyPattern(GroupThousands(digits, format.decimal, format.thousands), negative, layout),
            negative};
}

}  // namespace zmtext
