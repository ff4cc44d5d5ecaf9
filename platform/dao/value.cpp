#include "platform/dao/value.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "platform/dao/errors.h"
#include "platform/win/error.h"
#include "platform/win/oledate.h"
#include "platform/win/textformat.h"

namespace dao {
namespace {

constexpr double kCurrencyScale = 10000.0;

double RoundEven(double x) { return win::RoundHalfEven(x); }

// A number text as the regional settings read it ("1.234,5"), as the platform converts a text.
bool ParseNumber(std::string_view text, double& out) {
    const auto parsed = win::ParseNumberText(text);
    if (!parsed) return false;
    out = *parsed;
    return true;
}

// A Single shows its shortest float digits, not those of the double it widens to.
double SingleDigits(float f) {
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, f);
    double d = f;
    if (ec == std::errc{}) std::from_chars(buffer, end, d);
    return d;
}

std::int32_t CheckedLong(double x) {
    const double r = RoundEven(x);
    if (!(r >= std::numeric_limits<std::int32_t>::min() && r <= std::numeric_limits<std::int32_t>::max())) {
        win::Raise(win::err::Overflow);
    }
    return static_cast<std::int32_t>(r);
}

}  // namespace

TextData::TextData(std::string_view text) {
    if (text.size() <= kInline) {
        size_ = static_cast<std::uint8_t>(text.size());
        text.copy(chars_, text.size());
        return;
    }
    size_ = kShared;
    std::construct_at(&shared_, std::make_shared<const std::string>(text));
}

TextData::TextData(std::string&& text) {
    if (text.size() <= kInline) {
        size_ = static_cast<std::uint8_t>(text.size());
        text.copy(chars_, text.size());
        return;
    }
    size_ = kShared;
    std::construct_at(&shared_, std::make_shared<const std::string>(std::move(text)));
}

TextData::TextData(const TextData& other) noexcept { CopyFrom(other); }
TextData::TextData(TextData&& other) noexcept { MoveFrom(other); }
TextData::~TextData() { Release(); }

TextData& TextData::operator=(const TextData& other) noexcept {
    if (this != &other) {
        Release();
        CopyFrom(other);
    }
    return *this;
}

TextData& TextData::operator=(TextData&& other) noexcept {
    if (this != &other) {
        Release();
        MoveFrom(other);
    }
    return *this;
}

void TextData::CopyFrom(const TextData& other) noexcept {
    size_ = other.size_;
    if (size_ == kShared) {
        std::construct_at(&shared_, other.shared_);
    } else {
        std::copy_n(other.chars_, size_, chars_);
    }
}

// The moved-from text is left empty.
void TextData::MoveFrom(TextData& other) noexcept {
    size_ = other.size_;
    if (size_ == kShared) {
        std::construct_at(&shared_, std::move(other.shared_));
        std::destroy_at(&other.shared_);
    } else {
        std::copy_n(other.chars_, size_, chars_);
    }
    other.size_ = 0;
}

void TextData::Release() noexcept {
    if (size_ == kShared) std::destroy_at(&shared_);
    size_ = 0;
}

bool IsFieldType(int code) {
    return (code >= 1 && code <= 8) || code == 10 || code == 12;
}

Value Value::Text(std::string text) { return Make<TextData>(std::move(text)); }

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
    if (!ParseNumber(TextView(), parsed)) win::Raise(win::err::TypeMismatch);
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
        const std::string_view text = TextView();
        if (text == "True" || text == "true" || text == "TRUE") return true;
        if (text == "False" || text == "false" || text == "FALSE") return false;
    }
    return ToDouble() != 0.0;
}

std::string Value::ToText() const {
    switch (kind()) {
    case Kind::Null: return {};
    case Kind::Boolean: return std::get<bool>(data_) ? "True" : "False";
    case Kind::Single: return win::NumberText(SingleDigits(std::get<float>(data_)));
    case Kind::Date: return win::DateText(std::get<OleDate>(data_).days);
    case Kind::Text: return std::string(TextView());
    default: break;
    }
    return win::NumberText(ToDouble());
}

std::string_view Value::TextView() const noexcept {
    const auto* text = std::get_if<TextData>(&data_);
    return text ? text->View() : std::string_view();
}

bool operator==(const Value& a, const Value& b) { return a.data_ == b.data_; }

namespace {

Value CoerceNumber(const Value& value, DataType type) {
    if (type == DataType::Boolean) return Value::Boolean(value.ToBool());
    const double x = value.ToDouble();
    const auto inRange = [&](double lo, double hi) {
        const double r = RoundEven(x);
        if (!(r >= lo && r <= hi)) RaiseJet(jet::NumericOverflow);
        return r;
    };
    switch (type) {
    case DataType::Boolean: break;
    case DataType::Byte: return Value::Byte(static_cast<std::uint8_t>(inRange(0, 255)));
    case DataType::Integer: return Value::Integer(static_cast<std::int16_t>(inRange(-32768, 32767)));
    case DataType::Long: return Value::Long(static_cast<std::int32_t>(inRange(-2147483648.0, 2147483647.0)));
    case DataType::Currency: {
        const std::int64_t units = value.ToCurrencyScaled();
        if (units > kCurrencyFieldUnits || units < -kCurrencyFieldUnits) RaiseJet(jet::NumericOverflow);
        return Value::Currency(units);
    }
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
    if (StoredAs(value, type)) return value;
    if (type == DataType::Text || type == DataType::Memo) return Value::Text(value.ToText());
    if (value.kind() == Value::Kind::Text && type == DataType::Date) {
        if (!win::IsDateText(value.ToText())) RaiseJet(jet::ConversionError);
        return Value::Date(win::CDateText(value.ToText()));
    }
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
