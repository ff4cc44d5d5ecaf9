#include "platform/dao/value.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <system_error>

#include "platform/dao/errors.h"
#include "platform/win/error.h"

namespace dao {
namespace {

constexpr double kCurrencyScale = 10000.0;

// Rounds half to even, as the runtime's integer conversions do.
double RoundEven(double x) {
    return std::nearbyint(x);  // default rounding mode is to nearest, ties to even
}

bool ParseNumber(std::string_view text, double& out) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc{} && end == text.data() + text.size();
}

std::string ShortestText(double d) {
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, d);
    return ec == std::errc{} ? std::string(buffer, end) : std::string("0");
}

std::string CurrencyText(std::int64_t scaled) {
    const bool negative = scaled < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(scaled)
                                             : static_cast<std::uint64_t>(scaled);
    std::string text = (negative ? "-" : "") + std::to_string(magnitude / 10000);
    std::uint64_t fraction = magnitude % 10000;
    if (fraction == 0) return text;
    std::string digits = std::to_string(fraction + 10000).substr(1);
    while (digits.back() == '0') digits.pop_back();
    return text + "." + digits;
}

// Civil date from days since 1970-01-01 (proleptic Gregorian).
void CivilFromDays(long long z, int& y, unsigned& m, unsigned& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

// Day-first text of an OLE date: "dd/mm/yyyy", "hh:mm:ss" for a time alone on day 0, both when
// the date has a time part. The fraction of an OLE date before 1899-12-30 counts away from zero.
std::string DateText(double ole) {
    double day = std::trunc(ole);
    double fraction = std::fabs(ole - day);
    long long seconds = std::llround(fraction * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        day += ole < 0 ? -1 : 1;
    }
    char buffer[48];
    std::string text;
    if (day != 0 || seconds == 0) {
        int y;
        unsigned m, d;
        CivilFromDays(static_cast<long long>(day) - 25569, y, m, d);
        std::snprintf(buffer, sizeof buffer, "%02u/%02u/%04d", d, m, y);
        text = buffer;
    }
    if (seconds != 0) {
        std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld", seconds / 3600,
                      seconds / 60 % 60, seconds % 60);
        text += (text.empty() ? "" : " ") + std::string(buffer);
    }
    return text;
}

std::int32_t CheckedLong(double x) {
    const double r = RoundEven(x);
    if (!(r >= std::numeric_limits<std::int32_t>::min() && r <= std::numeric_limits<std::int32_t>::max())) {
        win::Raise(win::err::Overflow);
    }
    return static_cast<std::int32_t>(r);
}

}  // namespace

bool IsFieldType(int code) {
    return (code >= 1 && code <= 8) || code == 10 || code == 12;
}

Value Value::Boolean(bool b) { return Value(Data(b)); }
Value Value::Byte(std::uint8_t b) { return Value(Data(b)); }
Value Value::Integer(std::int16_t i) { return Value(Data(i)); }
Value Value::Long(std::int32_t l) { return Value(Data(l)); }
Value Value::Currency(std::int64_t scaled) { return Value(Data(CurrencyAmount{scaled})); }
Value Value::Single(float f) { return Value(Data(f)); }
Value Value::Double(double d) { return Value(Data(d)); }
Value Value::Date(double oleDate) { return Value(Data(OleDate{oleDate})); }
Value Value::Text(std::string text) { return Value(Data(std::move(text))); }

Value Value::CurrencyFromDouble(double amount) {
    const double scaled = RoundEven(amount * kCurrencyScale);
    if (!(std::fabs(scaled) < 9.2e18)) win::Raise(win::err::Overflow);
    return Currency(static_cast<std::int64_t>(scaled));
}

bool Value::IsNumeric() const { return kind() != Kind::Null && kind() != Kind::Text; }

double Value::ToDouble() const {
    switch (kind()) {
    case Kind::Null: win::Raise(94);
    case Kind::Boolean: return std::get<bool>(data_) ? -1.0 : 0.0;
    case Kind::Byte: return std::get<std::uint8_t>(data_);
    case Kind::Integer: return std::get<std::int16_t>(data_);
    case Kind::Long: return std::get<std::int32_t>(data_);
    case Kind::Currency: return static_cast<double>(std::get<CurrencyAmount>(data_).scaled) / kCurrencyScale;
    case Kind::Single: return std::get<float>(data_);
    case Kind::Double: return std::get<double>(data_);
    case Kind::Date: return std::get<OleDate>(data_).days;
    case Kind::Text: break;
    }
    double parsed = 0;
    if (!ParseNumber(std::get<std::string>(data_), parsed)) win::Raise(win::err::TypeMismatch);
    return parsed;
}

std::int32_t Value::ToLong() const { return CheckedLong(ToDouble()); }

std::int64_t Value::ToCurrencyScaled() const {
    if (kind() == Kind::Currency) return std::get<CurrencyAmount>(data_).scaled;
    const double scaled = RoundEven(ToDouble() * kCurrencyScale);
    if (!(std::fabs(scaled) < 9.2e18)) win::Raise(win::err::Overflow);
    return static_cast<std::int64_t>(scaled);
}

bool Value::ToBool() const {
    if (kind() == Kind::Text) {
        const auto& text = std::get<std::string>(data_);
        if (text == "True" || text == "true" || text == "TRUE") return true;
        if (text == "False" || text == "false" || text == "FALSE") return false;
    }
    return ToDouble() != 0.0;
}

std::string Value::ToText() const {
    switch (kind()) {
    case Kind::Null: return {};
    case Kind::Boolean: return std::get<bool>(data_) ? "True" : "False";
    case Kind::Currency: return CurrencyText(std::get<CurrencyAmount>(data_).scaled);
    case Kind::Single: {
        char buffer[32];
        const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, std::get<float>(data_));
        return ec == std::errc{} ? std::string(buffer, end) : std::string("0");
    }
    case Kind::Date: return DateText(std::get<OleDate>(data_).days);
    case Kind::Text: return std::get<std::string>(data_);
    default: break;
    }
    return ShortestText(ToDouble());
}

bool operator==(const Value& a, const Value& b) { return a.data_ == b.data_; }

namespace {

Value CoerceNumber(const Value& value, DataType type) {
    const double x = value.ToDouble();
    const auto inRange = [&](double lo, double hi) {
        const double r = RoundEven(x);
        if (!(r >= lo && r <= hi)) RaiseJet(jet::NumericOverflow);
        return r;
    };
    switch (type) {
    case DataType::Boolean: return Value::Boolean(value.ToBool());
    case DataType::Byte: return Value::Byte(static_cast<std::uint8_t>(inRange(0, 255)));
    case DataType::Integer: return Value::Integer(static_cast<std::int16_t>(inRange(-32768, 32767)));
    case DataType::Long: return Value::Long(static_cast<std::int32_t>(inRange(-2147483648.0, 2147483647.0)));
    case DataType::Currency:
        if (!(std::fabs(x) < 9.2e14)) RaiseJet(jet::NumericOverflow);
        return Value::Currency(value.ToCurrencyScaled());
    case DataType::Single:
        if (std::isfinite(x) && std::fabs(x) > std::numeric_limits<float>::max()) RaiseJet(jet::NumericOverflow);
        return Value::Single(static_cast<float>(x));
    case DataType::Double: return Value::Double(x);
    case DataType::Date: return Value::Date(x);
    case DataType::Text:
    case DataType::Memo: break;
    }
    return Value::Text(value.ToText());
}

}  // namespace

Value CoerceToField(const Value& value, DataType type) {
    if (value.IsNull()) return value;
    if (type == DataType::Text || type == DataType::Memo) return Value::Text(value.ToText());
    if (value.kind() == Value::Kind::Text && type != DataType::Boolean) {
        double parsed = 0;
        if (!ParseNumber(value.ToText(), parsed)) RaiseJet(jet::ConversionError);
    }
    try {
        return CoerceNumber(value, type);
    } catch (const win::RuntimeError& error) {
        if (error.Number() >= 3000) throw;
        if (error.Number() == win::err::Overflow) RaiseJet(jet::NumericOverflow);
        RaiseJet(jet::ConversionError);
    }
}

}  // namespace dao
