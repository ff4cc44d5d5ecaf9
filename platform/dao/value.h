// A field value of the database engine: Null or one of the engine's scalar types.
//
// The kinds follow the engine's field types: Boolean, Byte, Integer (16-bit), Long (32-bit),
// Currency (a 64-bit integer scaled by 10,000, so four decimals are exact), Single, Double, Date
// (an OLE date: days since 1899-12-30 as a double, a time alone lies on day 0) and Text (UTF-8).
// Values are small and copied freely: a text of up to 24 bytes lies in the value itself, a longer
// one in a shared, immutable block, so copying a value never allocates. Texts convert as the platform converts them (win/textformat.h,
// win/oledate.h): the store's regional settings, day-first dates and ',' as decimal separator,
// never the process locale.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace dao {

// The engine's field type codes, as the Type property reads them.
enum class DataType : int {
    Boolean = 1,
    Byte = 2,
    Integer = 3,
    Long = 4,
    Currency = 5,
    Single = 6,
    Double = 7,
    Date = 8,
    Text = 10,
    Memo = 12,
};

// True for the codes above; anything else is not a field type this engine stores.
bool IsFieldType(int code);

// The characters of a text value: up to kInline bytes in place, longer texts in a shared block
// that is never changed once made.
class TextData {
public:
    static constexpr std::size_t kInline = 24;

    TextData() noexcept : size_(0) {}
    explicit TextData(std::string_view text);
    explicit TextData(std::string&& text);
    TextData(const TextData& other) noexcept;
    TextData(TextData&& other) noexcept;
    TextData& operator=(const TextData& other) noexcept;
    TextData& operator=(TextData&& other) noexcept;
    ~TextData();

    std::string_view View() const noexcept {
        return size_ == kShared ? std::string_view(*shared_) : std::string_view(chars_, size_);
    }
    friend bool operator==(const TextData& a, const TextData& b) noexcept { return a.View() == b.View(); }

private:
    static constexpr std::uint8_t kShared = 0xFF;
    void CopyFrom(const TextData& other) noexcept;
    void MoveFrom(TextData& other) noexcept;
    void Release() noexcept;

    union {
        char chars_[kInline];
        std::shared_ptr<const std::string> shared_;
    };
    std::uint8_t size_;  // bytes in chars_, or kShared
};

class Value {
public:
    enum class Kind { Null, Boolean, Byte, Integer, Long, Currency, Single, Double, Date, Text };

    Value() = default;  // Null
    Value(const char* text) : Value(std::string_view(text)) {}
    Value(std::string text) { data_.emplace<TextData>(std::move(text)); }
    Value(std::string_view text) { data_.emplace<TextData>(text); }
    Value(int number) : data_(std::int32_t{number}) {}     // Long
    Value(double number) : data_(number) {}                 // Double

    static Value Null() { return {}; }
    static Value Boolean(bool b) { return Make<bool>(b); }
    static Value Byte(std::uint8_t b) { return Make<std::uint8_t>(b); }
    static Value Integer(std::int16_t i) { return Make<std::int16_t>(i); }
    static Value Long(std::int32_t l) { return Make<std::int32_t>(l); }
    static Value Currency(std::int64_t scaled) { return Make<CurrencyAmount>(CurrencyAmount{scaled}); }  // 12.5 is Currency(125000)
    static Value CurrencyFromDouble(double amount);         // rounds to four decimals
    static Value Single(float f) { return Make<float>(f); }
    static Value Double(double d) { return Make<double>(d); }
    static Value Date(double oleDate) { return Make<OleDate>(OleDate{oleDate}); }
    static Value Text(std::string text);

    Kind kind() const { return static_cast<Kind>(data_.index()); }
    bool IsNull() const { return kind() == Kind::Null; }
    bool IsNumeric() const;  // every kind but Null and Text

    // Conversions. Each raises the runtime's 94 "Invalid use of Null" on Null, 13 "Type mismatch"
    // for a text that is not a number, and 6 "Overflow" where the target range is exceeded.
    bool ToBool() const;
    std::int32_t ToLong() const;
    std::int64_t ToCurrencyScaled() const;
    double ToDouble() const;  // Currency as its amount, Date as its OLE days
    // Text as the platform's CStr gives it ("0,1", "12,5", "19/04/2001 12:00:00", "True"); Null
    // gives "" (the caller decides about Null).
    std::string ToText() const;
    // The characters of a Text value, valid while the value lives unchanged; empty for any other
    // kind (which ToText would have to format).
    std::string_view TextView() const noexcept;

    // Exact equality of kind and content (used by tests and change detection).
    friend bool operator==(const Value& a, const Value& b);

    // The content of a number kind as it is held, without conversion or checks (for binding it to
    // a statement): Boolean as -1 or 0, Byte, Integer and Long as themselves; Currency scaled.
    // Any other kind answers 0.
    std::int64_t HeldInteger() const noexcept {
        switch (kind()) {
        case Kind::Boolean: return *std::get_if<bool>(&data_) ? -1 : 0;
        case Kind::Byte: return *std::get_if<std::uint8_t>(&data_);
        case Kind::Integer: return *std::get_if<std::int16_t>(&data_);
        case Kind::Long: return *std::get_if<std::int32_t>(&data_);
        case Kind::Currency: return std::get_if<CurrencyAmount>(&data_)->scaled;
        default: return 0;
        }
    }
    // Single, Double and Date as a double; any other kind answers 0.
    double HeldReal() const noexcept {
        switch (kind()) {
        case Kind::Single: return *std::get_if<float>(&data_);
        case Kind::Double: return *std::get_if<double>(&data_);
        case Kind::Date: return std::get_if<OleDate>(&data_)->days;
        default: return 0;
        }
    }

private:
    struct CurrencyAmount {
        std::int64_t scaled;
        friend bool operator==(CurrencyAmount, CurrencyAmount) = default;
    };
    struct OleDate {
        double days;
        friend bool operator==(OleDate, OleDate) = default;
    };
    using Data = std::variant<std::monostate, bool, std::uint8_t, std::int16_t, std::int32_t,
                              CurrencyAmount, float, double, OleDate, TextData>;
    template <typename T, typename Arg>
    static Value Make(Arg&& arg) {
        Value value;
        value.data_.template emplace<T>(std::forward<Arg>(arg));
        return value;
    }

    Data data_;
};

// The largest Currency amount a field keeps, in ten-thousandths: 2^51, so 225,179,981,368.5248
// either way. A field stores its amount as an SQLite REAL (so that SQL arithmetic, sums and
// comparisons work on it), and every amount of four decimals up to this one comes back from the
// nearest double exactly; above it some would come back changed in their last digits.
inline constexpr std::int64_t kCurrencyFieldUnits = std::int64_t{1} << 51;

// Converts `value` to what a field of `type` stores: range-checked integers, Single rounded to
// float, Currency rounded to four decimals, Text as it reads. Null stays Null. Raises 3421 "Data
// type conversion error." when the value cannot become that type and 3349 "Numeric field
// overflow." when it is out of range (for Currency: beyond kCurrencyFieldUnits). Text size limits
// are the caller's (it knows the size).
Value CoerceToField(const Value& value, DataType type);

// True when `value` already is what a field of `type` stores, so CoerceToField would give it back
// unchanged (Null too). Currency is left to the range check: the type's range exceeds what the
// field keeps.
inline bool StoredAs(const Value& value, DataType type) {
    using Kind = Value::Kind;
    switch (value.kind()) {
    case Kind::Null: return true;
    case Kind::Text: return type == DataType::Text || type == DataType::Memo;
    case Kind::Boolean: return type == DataType::Boolean;
    case Kind::Byte: return type == DataType::Byte;
    case Kind::Integer: return type == DataType::Integer;
    case Kind::Long: return type == DataType::Long;
    case Kind::Single: return type == DataType::Single;
    case Kind::Double: return type == DataType::Double;
    case Kind::Date: return type == DataType::Date;
    case Kind::Currency: break;
    }
    return false;
}

}  // namespace dao
