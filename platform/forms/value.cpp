#include "platform/forms/value.h"

#include <cmath>

#include "platform/forms/datetime.h"
#include "platform/win/error.h"
#include "platform/win/oledate.h"
#include "platform/win/textformat.h"

namespace forms {

namespace {

constexpr long kInvalidUseOfNull = 94;

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

// The number a numeric kind holds (bool True is -1), or nothing for other kinds.
std::optional<double> NumberOf(const Value& v) {
    return std::visit(Overloaded{
                          [](bool b) -> std::optional<double> { return b ? -1.0 : 0.0; },
                          [](std::int32_t i) -> std::optional<double> { return i; },
                          [](double d) -> std::optional<double> { return d; },
                          [](CurrencyValue c) -> std::optional<double> {
                              return win::CurrencyUnitsToDouble(c.units);
                          },
                          [](DateValue d) -> std::optional<double> { return d.serial; },
                          [](EmptyValue) -> std::optional<double> { return 0.0; },
                          [](const auto&) -> std::optional<double> { return std::nullopt; },
                      },
                      v.Raw());
}

// A text read as a number for arithmetic and comparison with numbers (13 when it is not one).
double TextAsNumber(const std::string& text, const char* source) {
    if (const auto number = win::ParseNumberText(text)) return *number;
    if (const auto date = win::ParseDateText(text, CurrentYear())) return *date;
    win::Raise(win::err::TypeMismatch, source);
}

double ArithmeticOperand(const Value& v, const char* source) {
    if (const auto number = NumberOf(v)) return *number;
    return TextAsNumber(std::get<std::string>(v.Raw()), source);
}

void RejectNull(const Value& v, const char* source) {
    if (v.IsNull()) win::Raise(kInvalidUseOfNull, source);
}

}  // namespace

bool Value::IsNumber() const {
    return std::holds_alternative<bool>(v_) || std::holds_alternative<std::int32_t>(v_) ||
           std::holds_alternative<double>(v_) || std::holds_alternative<CurrencyValue>(v_);
}

Value Concat(const Value& a, const Value& b) {
    if (a.IsNull() && b.IsNull()) return Value::Null();
    auto text = [](const Value& v) { return v.IsNull() ? std::string() : CStr(v); };
    return Value(text(a) + text(b));
}

Value Add(const Value& a, const Value& b) {
    if (a.IsNull() || b.IsNull()) return Value::Null();
    if (a.IsString() && b.IsString()) {
        return Value(std::get<std::string>(a.Raw()) + std::get<std::string>(b.Raw()));
    }
    if (a.IsEmpty() && b.IsString()) return b;
    if (b.IsEmpty() && a.IsString()) return a;
    const double sum = ArithmeticOperand(a, "+") + ArithmeticOperand(b, "+");
    if (a.IsDate() || b.IsDate()) return Value::Date(sum);
    if (std::holds_alternative<std::int32_t>(a.Raw()) && std::holds_alternative<std::int32_t>(b.Raw()) &&
        sum >= -2147483648.0 && sum <= 2147483647.0) {
        return Value(static_cast<std::int32_t>(sum));
    }
    return Value(sum);
}

Value Subtract(const Value& a, const Value& b) {
    if (a.IsNull() || b.IsNull()) return Value::Null();
    const double difference = ArithmeticOperand(a, "-") - ArithmeticOperand(b, "-");
    if (a.IsDate() && !b.IsDate()) return Value::Date(difference);
    return Value(difference);
}

std::optional<int> Compare(const Value& a, const Value& b) {
    if (a.IsNull() || b.IsNull()) return std::nullopt;
    auto sign = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    const bool aText = a.IsString() || (a.IsEmpty() && b.IsString());
    const bool bText = b.IsString() || (b.IsEmpty() && a.IsString());
    if (aText && bText) return sign(CStr(a), CStr(b));
    return sign(ArithmeticOperand(a, "Compare"), ArithmeticOperand(b, "Compare"));
}

std::optional<bool> Equal(const Value& a, const Value& b) {
    const auto order = Compare(a, b);
    if (!order) return std::nullopt;
    return *order == 0;
}

std::string CStr(const Value& v) {
    RejectNull(v, "CStr");
    return std::visit(Overloaded{
                          [](EmptyValue) { return std::string(); },
                          [](bool b) { return std::string(b ? "Verdadeiro" : "Falso"); },
                          [](std::int32_t i) { return std::to_string(i); },
                          [](double d) { return win::NumberText(d); },
                          [](CurrencyValue c) { return win::NumberText(win::CurrencyUnitsToDouble(c.units)); },
                          [](DateValue d) { return win::DateText(d.serial); },
                          [](const std::string& s) { return s; },
                          [](NullValue) { return std::string(); },
                      },
                      v.Raw());
}

double CDbl(const Value& v) {
    RejectNull(v, "CDbl");
    if (const auto number = NumberOf(v)) return *number;
    return TextAsNumber(std::get<std::string>(v.Raw()), "CDbl");
}

std::int32_t CLng(const Value& v) { return win::CLng(CDbl(v)); }
std::int16_t CInt(const Value& v) { return win::CInt(CDbl(v)); }

double CDate(const Value& v) {
    RejectNull(v, "CDate");
    if (v.IsString()) {
        const auto& text = std::get<std::string>(v.Raw());
        if (const auto date = win::ParseDateText(text, CurrentYear())) return *date;
        if (const auto number = win::ParseNumberText(text)) return *number;
        win::Raise(win::err::TypeMismatch, "CDate");
    }
    const double serial = CDbl(v);
    if (serial < win::kMinOleDate || serial > win::kMaxOleDate) win::Raise(win::err::Overflow, "CDate");
    return serial;
}

bool CBool(const Value& v) {
    RejectNull(v, "CBool");
    if (v.IsString()) {
        const auto& text = std::get<std::string>(v.Raw());
        if (text == "Verdadeiro" || text == "True") return true;
        if (text == "Falso" || text == "False") return false;
    }
    return CDbl(v) != 0;
}

double Val(const Value& v) {
    RejectNull(v, "Val");
    if (v.IsString()) return win::Val(std::get<std::string>(v.Raw()));
    return win::Val(CStr(v));
}

std::string Str(const Value& v) {
    RejectNull(v, "Str");
    if (v.IsString()) return std::get<std::string>(v.Raw());
    if (v.IsDate()) return CStr(v);
    return win::StrText(*NumberOf(v));
}

bool IsDate(const Value& v) {
    if (v.IsDate()) return true;
    return v.IsString() && win::ParseDateText(std::get<std::string>(v.Raw()), CurrentYear()).has_value();
}

bool IsNumeric(const Value& v) {
    if (v.IsNumber() || v.IsEmpty()) return true;
    return v.IsString() && win::IsNumericText(std::get<std::string>(v.Raw()));
}

std::string Format(const Value& v, const std::string& pattern) {
    if (v.IsNull() || v.IsEmpty()) return {};
    if (v.IsDate()) return win::FormatDate(std::get<DateValue>(v.Raw()).serial, pattern);
    if (v.IsString()) return win::FormatText(std::get<std::string>(v.Raw()), pattern, CurrentYear());
    if (std::holds_alternative<bool>(v.Raw()) && pattern.empty()) return CStr(v);
    return win::FormatNumber(*NumberOf(v), pattern);
}

}  // namespace forms
