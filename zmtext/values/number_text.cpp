#include "zmtext/values/number_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "zmtext/values/zm_strings.h"

namespace zmtext {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The C runtime's white space, which atol and atof skip.
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string_view SkipSpace(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    return s;
}

// An optional sign; true for "-".
bool TakeSign(std::string_view& s) {
    if (s.empty() || (s.front() != '+' && s.front() != '-')) return false;
    const bool negative = s.front() == '-';
    s.remove_prefix(1);
    return negative;
}

std::string_view TakeDigits(std::string_view& s) {
    std::size_t n = 0;
    while (n < s.size() && IsDigit(s[n])) ++n;
    const std::string_view digits = s.substr(0, n);
    s.remove_prefix(n);
    return digits;
}

void CutToLimit(std::string& text) {
    if (text.size() > kMaxNumberText) text.resize(kMaxNumberText);
}

// A text from outside as the fields read it: at most one buffer's worth, stripped to the parse
// alphabet.
std::string CleanedOutsideText(std::string_view text, char decimal) {
    std::string clean(text.substr(0, kMaxNumberText));
    ParseNumberText(clean, decimal);
    return clean;
}

// The parts of an atof number: its digits (integer part then fraction) and the power of ten
// they are scaled by.
struct DecimalNumber {
    bool negative = false;
    std::string digits;
    long exponent = 0;
};

bool ReadDecimalNumber(std::string_view s, DecimalNumber& out) {
    s = SkipSpace(s);
    out.negative = TakeSign(s);
    out.digits = std::string(TakeDigits(s));
    if (!s.empty() && s.front() == '.') {
        s.remove_prefix(1);
        const std::string_view fraction = TakeDigits(s);
        out.digits += fraction;
        out.exponent = -static_cast<long>(fraction.size());
    }
    if (out.digits.empty()) return false;
    if (s.size() >= 2 && (s.front() == 'e' || s.front() == 'E' || s.front() == 'd' || s.front() == 'D')) {
        std::string_view rest = s.substr(1);
        const bool negativeExponent = TakeSign(rest);
        long e = 0;
        for (const char c : TakeDigits(rest)) e = std::min(100000L, e * 10 + (c - '0'));
        out.exponent += negativeExponent ? -e : e;
    }
    return true;
}

// |value| in fixed notation with `digits` decimals and "." as the point. The library's
// conversion rounds an exact tie to even; the fields round it away from zero, so a tie is
// nudged up by one unit in the last place first.
std::string FixedDigits(double value, int digits) {
    double a = std::isfinite(value) ? std::fabs(value) : 0.0;
    const auto isWhole = [](double x) { return std::trunc(x) == x; };
    if (isWhole(std::ldexp(a, digits + 1)) && !isWhole(std::ldexp(a, digits)))
        a = std::nextafter(a, std::numeric_limits<double>::infinity());
    // 309 integer digits at most, the point and up to 15 decimals.
    std::array<char, 352> buffer{};
    const auto r = std::to_chars(buffer.data(), buffer.data() + buffer.size(), a,
                                 std::chars_format::fixed, digits);
    return std::string(buffer.data(), r.ptr);
}

bool AllZero(std::string_view digits) { return digits.find_first_of("123456789") == std::string_view::npos; }

// The unsigned raw text of a double with the field's decimal character, and whether a "-"
// belongs in front of it.
std::string UnsignedDoubleText(double value, char decimal, int digits, bool& negative) {
    std::string text = FixedDigits(value, std::clamp(digits, 0, kMaxDecimalDigits));
    negative = value < 0 && !AllZero(text);
    if (const auto point = text.find('.'); point != std::string::npos) text[point] = decimal;
    return text;
}

constexpr std::array<double, kMaxDecimalDigits + 1> kTolerance = {
    1, 1e-1, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6, 1e-7, 1e-8, 1e-9, 1e-10, 1e-11, 1e-12, 1e-13, 1e-14, 1e-15};

}  // namespace

std::int32_t ParseLong(std::string_view text) {
    std::string_view s = SkipSpace(text);
    const bool negative = TakeSign(s);
    constexpr std::int64_t kLimit = std::int64_t{1} << 31;   // one past the largest magnitude
    std::int64_t magnitude = 0;
    for (const char c : TakeDigits(s)) magnitude = std::min(kLimit, magnitude * 10 + (c - '0'));
    if (negative) return static_cast<std::int32_t>(-magnitude);
    return static_cast<std::int32_t>(std::min(magnitude, kLimit - 1));
}

std::int32_t LongFromText(std::string_view text) { return ParseLong(CleanedOutsideText(text, '\0')); }

std::string LongRawText(std::int32_t value) { return std::to_string(value); }

std::string LongDisplayText(std::int32_t value, char thousands, bool showZero) {
    if (value == 0 && !showZero) return {};
    const std::int64_t magnitude = value < 0 ? -std::int64_t{value} : value;
    return (value < 0 ? "-" : " ") + GroupThousands(std::to_string(magnitude), '\0', thousands);
}

std::int32_t LongFromDisplayName(std::string_view name) {
    const auto first = std::find_if(name.begin(), name.end(), IsDigit);
    return ParseLong(name.substr(static_cast<std::size_t>(first - name.begin())));
}

std::int32_t LongFromBoundReal(double value) {
    const double whole = std::trunc(value);
    if (!(whole >= -2147483648.0 && whole <= 2147483647.0)) return 0;
    return static_cast<std::int32_t>(whole);
}

bool ParseDouble(std::string_view text, double& out) {
    DecimalNumber number;
    if (!ReadDecimalNumber(text, number)) {
        out = 0.0;
        return true;
    }
    const std::string normal = number.digits + "e" + std::to_string(number.exponent);
    double magnitude = 0.0;
    const auto r = std::from_chars(normal.data(), normal.data() + normal.size(), magnitude,
                                   std::chars_format::scientific);
    if (r.ec == std::errc::result_out_of_range) {
        // Too large or too small: the power of ten of the leading significant digit decides.
        const auto lead = number.digits.find_first_not_of('0');
        if (lead == std::string::npos) return false;
        const long order = static_cast<long>(number.digits.size() - lead) - 1 + number.exponent;
        if (order > 0) return false;
        magnitude = 0.0;
    }
    out = number.negative ? -magnitude : magnitude;
    return true;
}

bool DoubleFromText(std::string_view text, char decimal, double& out) {
    return ParseDouble(CleanedOutsideText(text, decimal), out);
}

bool DoubleFromRawText(std::string_view raw, char decimal, double& out) {
    std::string text(raw);
    if (const auto point = text.find(decimal); point != std::string::npos) text[point] = '.';
    return ParseDouble(text, out);
}

std::string DoubleRawText(double value, char decimal, int digits) {
    bool negative = false;
    std::string text = UnsignedDoubleText(value, decimal, digits, negative);
    if (negative) text.insert(0, 1, '-');
    CutToLimit(text);
    return text;
}

std::string DoubleDisplayText(double value, const NumberFormat& format, bool showZero) {
    if (value == 0.0 && !showZero) return {};
    bool negative = false;
    const std::string digits = UnsignedDoubleText(value, format.decimal, format.digits, negative);
    std::string text = (negative ? "-" : " ") + GroupThousands(digits, format.decimal, format.thousands);
    CutToLimit(text);
    return text;
}

double DoubleTolerance(int digits) {
    return kTolerance[static_cast<std::size_t>(std::clamp(digits, 0, kMaxDecimalDigits))] - 1e-15;
}

bool DoubleChangeTaken(double stored, double candidate, int digits) {
    // At 15 decimals the tolerance is 0: an equal value still is no change.
    return candidate != stored && std::fabs(candidate - stored) >= DoubleTolerance(digits);
}

bool DoubleValueAccepted(double value) { return std::isfinite(value); }

double DoubleFromBoundValue(double value) { return std::isfinite(value) ? value : 0.0; }

}  // namespace zmtext
