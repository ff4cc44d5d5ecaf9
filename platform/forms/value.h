// The runtime's variant values and their rules: Empty and Null, `&` against `+`, three-valued
// comparison with Null, and the conversions CStr, CDbl, CLng, CInt, CDate, Val and Format on them.
//
// The conversions of plain numbers, dates and texts are platform/win's (textformat.h, oledate.h),
// the same ones the database layer's SQL functions use; this file adds only what variants add.
#pragma once

#include <cstdint>
#include <climits>
#include <optional>
#include <string>
#include <variant>

namespace forms {

struct EmptyValue {
    friend bool operator==(EmptyValue, EmptyValue) { return true; }
};
struct NullValue {
    friend bool operator==(NullValue, NullValue) { return true; }
};
struct DateValue {
    double serial = 0;   // an OLE date
    friend bool operator==(DateValue, DateValue) = default;
};
struct CurrencyValue {
    std::int64_t units = 0;   // ten-thousandths
    friend bool operator==(CurrencyValue, CurrencyValue) = default;
};

class Value {
public:
    using Storage = std::variant<EmptyValue, NullValue, bool, std::int32_t, double, CurrencyValue,
                                 DateValue, std::string>;

    Value() = default;
    Value(NullValue) : v_(NullValue{}) {}
    Value(bool b) : v_(b) {}
    Value(std::int32_t i) : v_(i) {}
    // A Long when it fits, else a Double (so results of long arithmetic are never cut).
    Value(long l) {
        if (l >= INT32_MIN && l <= INT32_MAX) {
            v_ = static_cast<std::int32_t>(l);
        } else {
            v_ = static_cast<double>(l);
        }
    }
    Value(double d) : v_(d) {}
    Value(CurrencyValue c) : v_(c) {}
    Value(DateValue d) : v_(d) {}
    Value(std::string s) : v_(std::move(s)) {}
    Value(const char* s) : v_(std::string(s)) {}

    static Value Null() { return Value(NullValue{}); }
    static Value Date(double serial) { return Value(DateValue{serial}); }

    bool IsEmpty() const { return std::holds_alternative<EmptyValue>(v_); }
    bool IsNull() const { return std::holds_alternative<NullValue>(v_); }
    bool IsString() const { return std::holds_alternative<std::string>(v_); }
    bool IsDate() const { return std::holds_alternative<DateValue>(v_); }
    bool IsNumber() const;   // bool, integer, double, currency
    const Storage& Raw() const { return v_; }

    friend bool operator==(const Value&, const Value&) = default;

private:
    Storage v_;
};

// `a & b`: both as texts (Null and Empty as ""); Null only when both are Null.
Value Concat(const Value& a, const Value& b);
// `a + b`: Null when either is Null; two texts join; a text and a number add when the text is a
// number (13 otherwise); a date plus a number is a date.
Value Add(const Value& a, const Value& b);
// `a - b` with the same rules for numbers and dates (date - date is a number of days).
Value Subtract(const Value& a, const Value& b);

// Three-valued comparison: nothing when either side is Null. Two texts compare as texts (binary,
// as the runtime's default); a text and a number compare as numbers when the text is one (13
// otherwise); Empty is 0 or "".
std::optional<int> Compare(const Value& a, const Value& b);
std::optional<bool> Equal(const Value& a, const Value& b);

// Conversions; Null raises 94 "Invalid use of Null", a text that is not a number or a date 13.
std::string CStr(const Value& v);
double CDbl(const Value& v);
std::int32_t CLng(const Value& v);
std::int16_t CInt(const Value& v);
double CDate(const Value& v);
bool CBool(const Value& v);
double Val(const Value& v);   // Val(Null) raises 94 as the runtime does

// Str of a number: '.' as decimal point and a blank before a value that is not negative.
std::string Str(const Value& v);

bool IsDate(const Value& v);
bool IsNumeric(const Value& v);

// Format(value, pattern): Null and Empty give ""; dates and numbers by their own rules; texts
// as win::FormatText reads them.
std::string Format(const Value& v, const std::string& pattern = {});

}  // namespace forms
