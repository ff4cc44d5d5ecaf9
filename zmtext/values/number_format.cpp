#include "zmtext/values/number_format.h"

#include <algorithm>

#include "zmtext/values/zm_strings.h"

namespace zmtext {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int ClampDigits(int digits) { return std::clamp(digits, 0, kMaxDecimalDigits); }

char DecimalOrPoint(char c) { return c == '\0' ? '.' : c; }

}  // namespace

char GetDecimalSeparator(const NumberSettings& s, const IntlNumberSettings& intl) {
    switch (s.fmtControl) {
        case kFmtControlWinIni: return DecimalOrPoint(intl.decimal);
        case kFmtControlUser: return DecimalOrPoint(s.decimal);
        default: return '.';
    }
}

char GetThousandSeparator(const NumberSettings& s, const IntlNumberSettings& intl) {
    return s.fmtControl == kFmtControlWinIni ? intl.thousands : s.thousands;
}

int GetDecimalDigits(const NumberSettings& s, const IntlNumberSettings& intl) {
    return ClampDigits(s.fmtControl == kFmtControlWinIni ? intl.digits : s.decimalDigits);
}

NumberFormat EffectiveNumberFormat(const NumberSettings& s, const IntlNumberSettings& intl) {
    return {GetDecimalSeparator(s, intl), GetThousandSeparator(s, intl), GetDecimalDigits(s, intl)};
}

NumberFormat EffectiveCurrencyFormat(const NumberSettings& s, const IntlNumberSettings& intl) {
    if (s.fmtControl == kFmtControlWinIni)
        return {DecimalOrPoint(intl.decimal), intl.thousands, ClampDigits(intl.currencyDigits)};
    return {DecimalOrPoint(s.decimal), s.thousands, ClampDigits(s.decimalDigits)};
}

std::string GroupThousands(std::string_view digits, char decimal, char thousands) {
    std::string out(digits.substr(0, kMaxNumberText));
    if (thousands == '\0') return out;
    const int point = ZMFindChar(out, decimal);
    const int n = point > 0 ? point - 1 : static_cast<int>(out.size());
    for (int at = n - 3; at > 0; at -= 3) out.insert(static_cast<std::size_t>(at), 1, thousands);
    if (out.size() > kMaxNumberText) out.resize(kMaxNumberText);
    return out;
}

bool CheckNumberText(std::string_view text, bool allowNegative, int intDigits, char decimal,
                     int decDigits) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative && !allowNegative) return false;
    const int space = ZMFindChar(text, ' ');
    const int end = space > 0 ? space : static_cast<int>(text.size()) + 1;
    const int point = ZMFindChar(text, decimal);
    const int g = point > 0 ? point : end;
    return g - 1 - (negative ? 1 : 0) <= intDigits && end - g - 1 <= decDigits;
}

bool LongKeyAccepted(const NumberKeyState& state, char c) {
    const int s = state.selStart;
    if (c == '-') return s == 0 && state.allowNegative;
    if (!IsDigit(c)) return false;
    const int space = ZMFindChar(state.display, ' ');
    const int minus = ZMFindChar(state.display, '-');
    if (space - 1 < minus + state.intDigits) return true;
    const bool overwritesOrReplaces = !state.insertMode || state.selEnd != state.selStart;
    return overwritesOrReplaces && s != space - 1;
}

// The rules of the integer part and of the decimals, on the entry with the selection removed.
bool DoubleKeyAccepted(const NumberKeyState& state, char c) {
    std::string work(state.display);
    const int lo = std::clamp(state.selStart, 0, static_cast<int>(work.size()));
    const int hi = std::clamp(state.selEnd, lo, static_cast<int>(work.size()));
    work.erase(static_cast<std::size_t>(lo), static_cast<std::size_t>(hi - lo));
    const int q = state.selStart + 1;
    if (c == '-') return q == 1 && state.allowNegative;

    int e = std::max(0, ZMFindChar(work, ' ') - 1);
    const int d = state.decDigits;
    const char k = state.decimal;
    const int f = d > 0 ? ZMFindChar(work, k) : 0;
    if (d > 0 && f > 0) {
        if (f == q && c == k && !state.insertMode) return true;
        if (f < q && e - f >= d && (state.insertMode || e < q)) return false;
    }
    if (d > 0 && f == 0 && c == k) return d >= (state.insertMode ? 1 : 0) + e - q;
    if (f > 0 && f < q) return IsDigit(c);
    if (f > 0) e = f - 1;
    const int minus = ZMFindChar(work, '-');
    if (e >= minus + state.intDigits && (state.insertMode || e == q - 1)) return false;
    return IsDigit(c);
}

int LongPatternLength(int intDigits, bool allowNegative, std::string_view raw) {
    const bool signSlot = allowNegative && (raw.empty() || raw.front() == '-');
    return intDigits + (signSlot ? 1 : 0);
}

int DecimalPatternLength(int intDigits, int decDigits, bool allowNegative) {
    return (decDigits > 0 ? decDigits + 1 : 0) + intDigits + (allowNegative ? 1 : 0);
}

bool NumberFieldEndReached(std::string_view display, int curPos, char decimal, int decDigits) {
    if (decDigits == 0) return false;
    const int point = ZMFindChar(display, decimal);
    return point > 0 && curPos >= point + decDigits - 1;
}

}  // namespace zmtext
