// ChangeType: the platform's variant conversions.
//
// Every source is first read as one of three number forms (an exact integer, a double, or a
// currency's scaled integer) or, for text, as an exact decimal; the target then rounds half to
// even and checks its range. Text goes through an exact decimal so that "2.5" becomes the integer
// 2 and "0.00005" the currency 0.0001 without a detour through binary floating point.
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/com/dispatch.h"
#include "platform/com/variant.h"

namespace com {
namespace {

struct Number {
    enum Kind { Int, Real, Cy } kind = Int;
    std::int64_t i = 0;   // Int: the value; Cy: the value scaled by 10,000
    double d = 0;
};

// A number read from text: either digits x 10^exponent, or a hexadecimal/octal pattern.
struct Decimal {
    bool negative = false;
    std::string digits;   // without leading zeros; empty for zero
    int exponent = 0;
    bool pattern = false;          // "&H..." or "&O..."
    std::uint64_t patternValue = 0;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

HResult ParsePattern(std::string_view s, Decimal& out) {
    const char kind = s.size() > 1 ? s[1] : '\0';
    const unsigned base = (kind == 'H' || kind == 'h') ? 16 : (kind == 'O' || kind == 'o') ? 8 : 0;
    if (base == 0 || s.size() < 3) return DISP_E_TYPEMISMATCH;
    std::uint64_t v = 0;
    for (char c : s.substr(2)) {
        unsigned d = 0;
        if (c >= '0' && c <= '9') d = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f') d = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F') d = static_cast<unsigned>(c - 'A' + 10);
        else return DISP_E_TYPEMISMATCH;
        if (d >= base) return DISP_E_TYPEMISMATCH;
        if (v > (std::numeric_limits<std::uint64_t>::max() - d) / base) return DISP_E_OVERFLOW;
        v = v * base + d;
    }
    out.pattern = true;
    out.patternValue = v;
    return S_OK;
}

// Reads blanks, sign, digits with "," grouping, "." fraction and an e/E/d/D exponent.
HResult ParseDecimal(std::string_view text, Decimal& out) {
    std::string_view s = Trim(text);
    if (!s.empty() && s.front() == '&') return ParsePattern(s, out);
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) out.negative = s[i++] == '-';
    std::string digits;
    int fractionDigits = 0;
    bool seenPoint = false;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            digits.push_back(c);
            if (seenPoint) ++fractionDigits;
        } else if (c == ',' && !seenPoint && !digits.empty()) {
            continue;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (digits.empty()) return DISP_E_TYPEMISMATCH;
    long exponent = 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        ++i;
        bool negExp = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) negExp = s[i++] == '-';
        if (i == s.size()) return DISP_E_TYPEMISMATCH;
        for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
            exponent = std::min(100000L, exponent * 10 + (s[i] - '0'));
        if (negExp) exponent = -exponent;
    }
    if (i != s.size()) return DISP_E_TYPEMISMATCH;
    const auto first = digits.find_first_not_of('0');
    out.digits = first == std::string::npos ? std::string() : digits.substr(first);
    out.exponent = static_cast<int>(exponent) - fractionDigits;
    return S_OK;
}

constexpr std::uint64_t kInt64Magnitude = std::uint64_t{1} << 63;

// digits x 10^(exponent + scale), rounded half to even, into an int64.
HResult RoundDecimal(const Decimal& dec, int scale, std::int64_t& out) {
    if (dec.digits.empty()) {
        out = 0;
        return S_OK;
    }
    const long e = static_cast<long>(dec.exponent) + scale;
    const long n = static_cast<long>(dec.digits.size());
    if (n + e > 19) return DISP_E_OVERFLOW;
    std::uint64_t mag = 0;
    const long integerDigits = n + e;   // may be negative: the value is below 0.1
    for (long k = 0; k < std::max(0L, integerDigits); ++k) {
        const unsigned d = k < n ? static_cast<unsigned>(dec.digits[static_cast<std::size_t>(k)] - '0') : 0;
        if (mag > (std::numeric_limits<std::uint64_t>::max() - d) / 10) return DISP_E_OVERFLOW;
        mag = mag * 10 + d;
    }
    if (integerDigits < n && integerDigits >= 0) {
        const char next = dec.digits[static_cast<std::size_t>(integerDigits)];
        const bool rest = dec.digits.find_first_not_of('0', static_cast<std::size_t>(integerDigits) + 1) !=
                          std::string::npos;
        if (next > '5' || (next == '5' && (rest || mag % 2 == 1))) ++mag;
    }
    if (mag > kInt64Magnitude || (!dec.negative && mag == kInt64Magnitude)) return DISP_E_OVERFLOW;
    out = dec.negative ? static_cast<std::int64_t>(0 - mag) : static_cast<std::int64_t>(mag);
    return S_OK;
}

HResult DecimalToDouble(const Decimal& dec, double& out) {
    if (dec.pattern) {
        out = static_cast<double>(dec.patternValue <= 0xFFFFFFFFu
                                      ? static_cast<std::int32_t>(dec.patternValue)
                                      : static_cast<std::int64_t>(dec.patternValue));
        return S_OK;
    }
    if (dec.digits.empty()) {
        out = 0;
        return S_OK;
    }
    const std::string text = dec.digits + "e" + std::to_string(dec.exponent);
    double v = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec == std::errc::result_out_of_range) {
        if (static_cast<long>(dec.digits.size()) + dec.exponent > 0) return DISP_E_OVERFLOW;
        v = 0;
    } else if (ec != std::errc() || ptr != text.data() + text.size()) {
        return DISP_E_TYPEMISMATCH;
    }
    out = dec.negative ? -v : v;
    return S_OK;
}

// --- Reading a source as a number ----------------------------------------------------------

HResult ReadNumber(const Variant& v, Number& out) {
    switch (v.Type()) {
        case VT_EMPTY: out = {Number::Int, 0, 0}; return S_OK;
        case VT_I1: case VT_I2: case VT_I4: case VT_UI1: case VT_UI2: case VT_UI4:
        case VT_I8: case VT_UI8: case VT_INT: case VT_UINT: case VT_BOOL:
            out = {Number::Int, v.AsInteger(), 0};
            return S_OK;
        case VT_R4: case VT_R8: case VT_DATE: out = {Number::Real, 0, v.AsR8()}; return S_OK;
        case VT_CY: out = {Number::Cy, v.AsCy().scaled, 0}; return S_OK;
        default: return DISP_E_TYPEMISMATCH;
    }
}

struct IntRange {
    std::int64_t min, max;
};

IntRange RangeOf(VarType t) {
    switch (t) {
        case VT_I1: return {-128, 127};
        case VT_UI1: return {0, 255};
        case VT_I2: return {-32768, 32767};
        case VT_UI2: return {0, 65535};
        case VT_I4: case VT_INT: return {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()};
        case VT_UI4: case VT_UINT: return {0, 0xFFFFFFFFll};
        case VT_UI8: return {0, std::numeric_limits<std::int64_t>::max()};
        default: return {std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()};
    }
}

bool IsIntegerKind(VarType t) {
    switch (t) {
        case VT_I1: case VT_I2: case VT_I4: case VT_UI1: case VT_UI2: case VT_UI4:
        case VT_I8: case VT_UI8: case VT_INT: case VT_UINT: return true;
        default: return false;
    }
}

// A scaled currency divided by 10,000, rounded half to even.
std::int64_t CyToInteger(std::int64_t scaled) {
    std::int64_t q = scaled / Currency::kScale;
    const std::int64_t r = scaled % Currency::kScale;
    const std::int64_t twice = 2 * (r < 0 ? -r : r);
    const int sign = scaled < 0 ? -1 : 1;
    if (twice > Currency::kScale || (twice == Currency::kScale && q % 2 != 0)) q += sign;
    return q;
}

HResult RealToInt64(double d, std::int64_t& out) {
    if (std::isnan(d)) return DISP_E_OVERFLOW;
    const double r = std::nearbyint(d);   // the default mode rounds half to even
    if (r < -9223372036854775808.0 || r >= 9223372036854775808.0) return DISP_E_OVERFLOW;
    out = static_cast<std::int64_t>(r);
    return S_OK;
}

HResult ToInteger(const Number& n, VarType to, Variant& out) {
    std::int64_t v = n.i;
    if (n.kind == Number::Real) {
        if (const HResult hr = RealToInt64(n.d, v); Failed(hr)) return hr;
    } else if (n.kind == Number::Cy) {
        v = CyToInteger(n.i);
    }
    const IntRange r = RangeOf(to);
    if (v < r.min || v > r.max) return DISP_E_OVERFLOW;
    out = to == VT_I2 ? Variant::I2(static_cast<std::int16_t>(v))
          : to == VT_I4 ? Variant::I4(static_cast<std::int32_t>(v))
                        : Variant::Integer(to, v);
    return S_OK;
}

double AsDouble(const Number& n) {
    switch (n.kind) {
        case Number::Int: return static_cast<double>(n.i);
        case Number::Real: return n.d;
        case Number::Cy: return static_cast<double>(n.i) / Currency::kScale;
    }
    return 0;
}

HResult ToCurrency(const Number& n, Variant& out) {
    constexpr std::int64_t kMaxUnits = std::numeric_limits<std::int64_t>::max() / Currency::kScale;
    switch (n.kind) {
        case Number::Int:
            if (n.i > kMaxUnits || n.i < -kMaxUnits) return DISP_E_OVERFLOW;
            out = Variant::Cy({n.i * Currency::kScale});
            return S_OK;
        case Number::Cy: out = Variant::Cy({n.i}); return S_OK;
        case Number::Real: {
            std::int64_t scaled = 0;
            if (const HResult hr = RealToInt64(n.d * Currency::kScale, scaled); Failed(hr)) return hr;
            out = Variant::Cy({scaled});
            return S_OK;
        }
    }
    return DISP_E_TYPEMISMATCH;
}

HResult ToDate(double d, Variant& out) {
    if (std::isnan(d) || d < Date::kMin || d > Date::kMax) return DISP_E_OVERFLOW;
    out = Variant::FromDate({d});
    return S_OK;
}

HResult FromNumber(const Number& n, VarType to, Variant& out) {
    if (IsIntegerKind(to)) return ToInteger(n, to, out);
    switch (to) {
        case VT_BOOL: {
            const bool nonzero = n.kind == Number::Real ? n.d != 0 : n.i != 0;
            out = Variant::Bool(nonzero);
            return S_OK;
        }
        case VT_R8: out = Variant::R8(AsDouble(n)); return S_OK;
        case VT_R4: {
            const double d = AsDouble(n);
            if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max())
                return DISP_E_OVERFLOW;
            out = Variant::R4(static_cast<float>(d));
            return S_OK;
        }
        case VT_CY: return ToCurrency(n, out);
        case VT_DATE: return ToDate(AsDouble(n), out);
        default: return DISP_E_TYPEMISMATCH;
    }
}

// --- Text to a kind ------------------------------------------------------------------------

HResult PatternToInteger(std::uint64_t v, VarType to, Variant& out) {
    // A pattern that fits the target's width is its bit pattern ("&HFFFF" is -1 as a 16-bit
    // integer); a wider one is a 32-bit pattern when it fits, else the plain value.
    std::int64_t value = static_cast<std::int64_t>(v);
    if (to == VT_I2 && v <= 0xFFFF) value = static_cast<std::int16_t>(v);
    else if (to == VT_I1 && v <= 0xFF) value = static_cast<std::int8_t>(v);
    else if (v <= 0xFFFFFFFFu && to != VT_UI4 && to != VT_UINT && to != VT_UI8 && to != VT_I8)
        value = static_cast<std::int32_t>(v);
    return ToInteger({Number::Int, value, 0}, to, out);
}

HResult ParseDateText(std::string_view text, Date& out);

HResult TextToBool(std::string_view text, Variant& out) {
    const std::string_view t = Trim(text);
    if (EqualsNoCase(t, "True") || EqualsNoCase(t, "False")) {
        out = Variant::Bool(EqualsNoCase(t, "True"));
        return S_OK;
    }
    Decimal dec;
    if (const HResult hr = ParseDecimal(t, dec); Failed(hr)) return hr;
    out = Variant::Bool(dec.pattern ? dec.patternValue != 0 : !dec.digits.empty());
    return S_OK;
}

HResult FromText(const Bstr& text, VarType to, Variant& out) {
    const std::string s = text.ToUtf8();
    if (to == VT_BOOL) return TextToBool(s, out);
    if (to == VT_DATE) {
        Date d;
        if (const HResult hr = ParseDateText(s, d); Failed(hr)) return hr;
        out = Variant::FromDate(d);
        return S_OK;
    }
    Decimal dec;
    if (const HResult hr = ParseDecimal(s, dec); Failed(hr)) return hr;
    if (IsIntegerKind(to)) {
        if (dec.pattern) return PatternToInteger(dec.patternValue, to, out);
        std::int64_t v = 0;
        if (const HResult hr = RoundDecimal(dec, 0, v); Failed(hr)) return hr;
        return ToInteger({Number::Int, v, 0}, to, out);
    }
    if (to == VT_CY && !dec.pattern) {
        std::int64_t scaled = 0;
        if (const HResult hr = RoundDecimal(dec, 4, scaled); Failed(hr)) return hr;
        out = Variant::Cy({scaled});
        return S_OK;
    }
    double d = 0;
    if (const HResult hr = DecimalToDouble(dec, d); Failed(hr)) return hr;
    return FromNumber({Number::Real, 0, d}, to, out);
}

// --- A kind to text ------------------------------------------------------------------------

std::string IntegerText(std::int64_t v) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// "%.<precision>G" without the locale: "0.1", "1E+15", "1E-05".
std::string RealText(double v, int precision) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, precision);
    std::string s(buf, r.ptr);
    for (char& c : s)
        if (c == 'e') c = 'E';
    return s;
}

std::string CurrencyText(std::int64_t scaled) {
    const bool negative = scaled < 0;
    const std::uint64_t mag = negative ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
    std::string s = (negative ? "-" : "") + std::to_string(mag / 10000);
    std::string frac = std::to_string(mag % 10000 + 10000).substr(1);
    while (!frac.empty() && frac.back() == '0') frac.pop_back();
    if (!frac.empty()) s += "." + frac;
    return s;
}

std::string TwoDigits(int v) { return std::string(1, static_cast<char>('0' + v / 10)) + static_cast<char>('0' + v % 10); }

// "M/D/YYYY", "h:mm:ss AM" or both; midnight of day 0 is "12:00:00 AM".
std::string DateText(Date d) {
    const Date::Parts p = d.ToParts();
    const bool hasDate = !(p.year == 1899 && p.month == 12 && p.day == 30);
    const bool hasTime = p.hour != 0 || p.minute != 0 || p.second != 0;
    std::string s;
    if (hasDate)
        s = std::to_string(p.month) + "/" + std::to_string(p.day) + "/" + std::to_string(p.year);
    if (hasTime || !hasDate) {
        const int h12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
        if (!s.empty()) s += " ";
        s += std::to_string(h12) + ":" + TwoDigits(p.minute) + ":" + TwoDigits(p.second) +
             (p.hour < 12 ? " AM" : " PM");
    }
    return s;
}

HResult ToText(const Variant& v, std::uint16_t flags, Variant& out) {
    std::string s;
    switch (v.Type()) {
        case VT_EMPTY: break;
        case VT_BSTR: out = v; return S_OK;
        case VT_BOOL:
            s = (flags & kAlphaBool) ? (v.AsBool() ? "True" : "False") : (v.AsBool() ? "-1" : "0");
            break;
        case VT_R4: s = RealText(v.AsR4(), 7); break;
        case VT_R8: s = RealText(v.AsR8(), 15); break;
        case VT_CY: s = CurrencyText(v.AsCy().scaled); break;
        case VT_DATE:
            // A date variant made outside the conversions may hold any double.
            if (!(v.AsDate().days >= Date::kMin && v.AsDate().days <= Date::kMax)) return E_INVALIDARG;
            s = DateText(v.AsDate());
            break;
        default:
            if (!IsIntegerKind(v.Type())) return DISP_E_TYPEMISMATCH;
            s = IntegerText(v.AsInteger());
    }
    out = Variant::Utf8(s);
    return S_OK;
}

HResult ToObject(const Variant& v, VarType to, Variant& out) {
    if (v.Type() == VT_EMPTY) {
        out = to == VT_DISPATCH ? Variant::Dispatch({}) : Variant::Unknown({});
        return S_OK;
    }
    if (v.Type() != VT_DISPATCH && v.Type() != VT_UNKNOWN) return DISP_E_TYPEMISMATCH;
    if (to == VT_UNKNOWN) {
        out = Variant::Unknown(ComPtr<IUnknown>(v.AsUnknown()));
        return S_OK;
    }
    if (v.Type() == VT_DISPATCH) {
        out = v;
        return S_OK;
    }
    ComPtr<IDispatch> d;
    if (!v.AsUnknown() || Failed(v.AsUnknown()->QueryInterface(IDispatch::kIid, d.PutVoid())))
        return E_NOINTERFACE;
    out = Variant::Dispatch(std::move(d));
    return S_OK;
}

// The value of an object's default member (DISPID 0).
HResult DefaultValue(const Variant& v, Variant& out) {
    IDispatch* d = v.Type() == VT_DISPATCH ? v.AsDispatch() : nullptr;
    if (!d) return DISP_E_TYPEMISMATCH;
    DispParams none;
    return d->Invoke(DISPID_VALUE, DISPATCH_PROPERTYGET, none, &out, nullptr, nullptr);
}

}  // namespace

HResult ChangeType(Variant& out, const Variant& in, VarType to, std::uint16_t flags) {
    Variant src = in.Deref();
    if (src.Type() == to) {
        out = std::move(src);
        return S_OK;
    }
    if ((to & VT_BYREF) || to == VT_VARIANT) return DISP_E_BADVARTYPE;
    if (to == VT_EMPTY) {
        out = Variant();
        return S_OK;
    }
    if (to == VT_DISPATCH || to == VT_UNKNOWN) return ToObject(src, to, out);
    if (src.Type() == VT_DISPATCH) {
        Variant value;
        if (const HResult hr = DefaultValue(src, value); Failed(hr)) return hr;
        if (value.Type() == VT_DISPATCH) return DISP_E_TYPEMISMATCH;
        return ChangeType(out, value, to, flags);
    }
    if (to == VT_NULL) {
        if (src.Type() != VT_EMPTY) return DISP_E_TYPEMISMATCH;
        out = Variant::Null();
        return S_OK;
    }
    if (src.Type() == VT_NULL || src.Type() == VT_ERROR || src.IsArray() || to == VT_ERROR ||
        (to & VT_ARRAY))
        return DISP_E_TYPEMISMATCH;
    if (to == VT_BSTR) return ToText(src, flags, out);
    if (src.Type() == VT_BSTR) return FromText(src.AsStr(), to, out);
    Number n;
    if (const HResult hr = ReadNumber(src, n); Failed(hr)) return hr;
    return FromNumber(n, to, out);
}

// --- Date text -----------------------------------------------------------------------------

namespace {

bool ReadInt(std::string_view s, int& out, int& digits) {
    if (s.empty() || s.size() > 4) return false;
    out = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        out = out * 10 + (c - '0');
    }
    digits = static_cast<int>(s.size());
    return true;
}

std::vector<std::string_view> Split(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= s.size(); ++i)
        if (i == s.size() || s[i] == sep) {
            parts.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    return parts;
}

// "M/D/Y", "M-D-Y" or "YYYY-M-D"; a year of one or two digits is 1930..2029.
bool ParseDatePart(std::string_view token, int& y, int& m, int& d) {
    const char sep = token.find('/') != std::string_view::npos ? '/' : '-';
    const auto parts = Split(token, sep);
    if (parts.size() != 3) return false;
    int v[3], n[3];
    for (int k = 0; k < 3; ++k)
        if (!ReadInt(parts[static_cast<std::size_t>(k)], v[k], n[k])) return false;
    if (n[0] == 4) {
        y = v[0], m = v[1], d = v[2];
        return true;
    }
    m = v[0], d = v[1], y = v[2];
    if (n[2] <= 2) y += y < 30 ? 2000 : 1900;
    return true;
}

bool ParseTimePart(std::string_view token, int& h, int& mi, int& s) {
    const auto parts = Split(token, ':');
    if (parts.size() < 2 || parts.size() > 3) return false;
    int digits = 0;
    s = 0;
    return ReadInt(parts[0], h, digits) && ReadInt(parts[1], mi, digits) &&
           (parts.size() == 2 || ReadInt(parts[2], s, digits));
}

HResult ParseDateText(std::string_view text, Date& out) {
    int y = 1899, m = 12, d = 30, h = 0, mi = 0, s = 0;
    bool haveDate = false, haveTime = false;
    int meridiem = 0;   // 1 AM, 2 PM
    for (std::string_view token : Split(Trim(text), ' ')) {
        if (token.empty()) continue;
        if (EqualsNoCase(token, "AM") || EqualsNoCase(token, "PM")) {
            if (meridiem || !haveTime) return DISP_E_TYPEMISMATCH;
            meridiem = EqualsNoCase(token, "AM") ? 1 : 2;
        } else if (token.find(':') != std::string_view::npos) {
            if (haveTime || !ParseTimePart(token, h, mi, s)) return DISP_E_TYPEMISMATCH;
            haveTime = true;
        } else {
            if (haveDate || !ParseDatePart(token, y, m, d)) return DISP_E_TYPEMISMATCH;
            haveDate = true;
        }
    }
    if (!haveDate && !haveTime) return DISP_E_TYPEMISMATCH;
    if (meridiem) {
        if (h < 1 || h > 12) return DISP_E_TYPEMISMATCH;
        h = h % 12 + (meridiem == 2 ? 12 : 0);
    }
    if (!haveDate) {
        if (h > 23 || mi > 59 || s > 59) return DISP_E_TYPEMISMATCH;
        out.days = (h * 3600 + mi * 60 + s) / 86400.0;
        return S_OK;
    }
    return Date::FromParts(y, m, d, h, mi, s, out) ? S_OK : DISP_E_TYPEMISMATCH;
}

}  // namespace
}  // namespace com
