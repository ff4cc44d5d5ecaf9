// Values of the component layer: the variant and the scalar types it carries.
//
// Kinds and their numbers are the platform's (VT_I2 = 2, VT_BSTR = 8, VT_BYREF = 0x4000, ...),
// since the numbers are observable: a property page or a data source reports them.
// Conversions follow the platform's VariantChangeType: integers round half to even, out-of-range
// results fail with DISP_E_OVERFLOW, kinds that do not convert fail with DISP_E_TYPEMISMATCH, and
// texts are read and written without regard to the process locale ("." decimal point, ","
// digit grouping, "&H" hexadecimal and "&O" octal, "True"/"False").
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/bstr.h"
#include "platform/com/unknown.h"

namespace com {

class IDispatch;

enum VarType : std::uint16_t {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

constexpr VarType operator|(VarType a, VarType b) {
    return static_cast<VarType>(static_cast<std::uint16_t>(a) | static_cast<std::uint16_t>(b));
}

using VariantBool = std::int16_t;
inline constexpr VariantBool VARIANT_TRUE = -1;
inline constexpr VariantBool VARIANT_FALSE = 0;

// A currency amount: a 64-bit integer scaled by 10,000 (four decimal places, exact).
struct Currency {
    std::int64_t scaled = 0;
    static constexpr std::int64_t kScale = 10000;

    static constexpr Currency FromUnits(std::int64_t units) { return {units * kScale}; }
    friend bool operator==(const Currency&, const Currency&) = default;
    friend auto operator<=>(const Currency&, const Currency&) = default;
};

// A date: days since 1899-12-30 (the whole part, signed) plus the time of day as a fraction.
// For days before 1899-12-30 the fraction is still the time after midnight: -1.25 is
// 1899-12-29 06:00, not 18:00.
struct Date {
    double days = 0;

    static constexpr double kMin = -657434.0;           // 100-01-01
    static constexpr double kMax = 2958465.999999999;   // 9999-12-31 23:59:59

    // False when the parts are outside 100-01-01 .. 9999-12-31 or not a real day and time.
    static bool FromParts(int year, int month, int day, int hour, int minute, int second,
                          Date& out);
    struct Parts {
        int year, month, day, hour, minute, second;
    };
    // The calendar parts, the time rounded to the nearest second; a date outside kMin..kMax
    // is taken at the nearest end of the range.
    Parts ToParts() const;

    friend bool operator==(const Date&, const Date&) = default;
};

// A rectangular array of variants with per-dimension bounds (the grid's array object keeps its
// rows in one).
class SafeArray {
public:
    struct Bound {
        std::int32_t lower = 0;
        std::int32_t upper = -1;   // upper < lower: the dimension is empty
    };

    SafeArray() = default;
    explicit SafeArray(std::vector<Bound> bounds);
    SafeArray(const SafeArray&);
    SafeArray& operator=(const SafeArray&);
    ~SafeArray();

    // Re-creates the array with new bounds; every element becomes Empty. False (and the array
    // unchanged) for no dimension or a total size above 16 million elements.
    bool ReDim(std::vector<Bound> bounds);
    std::size_t Dimensions() const { return bounds_.size(); }
    // Bounds of dimension `dim` (1-based); DISP_E_BADINDEX for a dimension that does not exist.
    HResult LowerBound(std::size_t dim, std::int32_t& out) const;
    HResult UpperBound(std::size_t dim, std::int32_t& out) const;
    // The element at `indices` (one per dimension), or nullptr when any is out of bounds.
    class Variant* At(const std::vector<std::int32_t>& indices);
    const class Variant* At(const std::vector<std::int32_t>& indices) const;

    bool operator==(const SafeArray& other) const;

private:
    std::vector<Bound> bounds_;
    std::vector<class Variant> elements_;
};

class Variant {
public:
    Variant() = default;
    Variant(const Variant& other);
    Variant(Variant&&) noexcept = default;
    Variant& operator=(const Variant& other);
    Variant& operator=(Variant&&) noexcept = default;
    ~Variant();

    // Typed constructors; each gives the kind its name says.
    static Variant Null();
    static Variant I2(std::int16_t v);
    static Variant I4(std::int32_t v);
    static Variant R4(float v);
    static Variant R8(double v);
    static Variant Cy(Currency v);
    static Variant FromDate(Date v);
    static Variant Str(Bstr v);
    static Variant Utf8(std::string_view text) { return Str(Bstr::FromUtf8(text)); }
    static Variant Bool(bool v);
    static Variant Error(HResult scode);
    // An optional argument left out (VT_ERROR with DISP_E_PARAMNOTFOUND).
    static Variant Missing() { return Error(DISP_E_PARAMNOTFOUND); }
    static Variant Integer(VarType type, std::int64_t v);   // I1, UI1, UI2, UI4, I8, UI8, INT, UINT
    static Variant Dispatch(ComPtr<IDispatch> v);
    static Variant Unknown(ComPtr<IUnknown> v);
    static Variant Array(SafeArray v);
    // References to storage the caller keeps alive for the variant's life.
    static Variant RefI2(std::int16_t* p);
    static Variant RefI4(std::int32_t* p);
    static Variant RefStr(Bstr* p);
    static Variant RefVariant(Variant* p);
    static Variant RefArray(SafeArray* p);

    VarType Type() const { return type_; }
    VarType BaseType() const { return static_cast<VarType>(type_ & VT_TYPEMASK); }
    bool IsByRef() const { return (type_ & VT_BYREF) != 0; }
    bool IsArray() const { return (type_ & VT_ARRAY) != 0; }
    bool IsEmpty() const { return type_ == VT_EMPTY; }
    bool IsMissing() const { return type_ == VT_ERROR && int_ == DISP_E_PARAMNOTFOUND; }

    // Accessors of the stored kind; each assumes the kind (checked by an assertion only).
    std::int16_t AsI2() const { return static_cast<std::int16_t>(int_); }
    std::int32_t AsI4() const { return static_cast<std::int32_t>(int_); }
    std::int64_t AsInteger() const { return int_; }   // any integer kind, BOOL, ERROR
    float AsR4() const { return static_cast<float>(real_); }
    double AsR8() const { return real_; }
    Currency AsCy() const { return Currency{int_}; }
    Date AsDate() const { return Date{real_}; }
    bool AsBool() const { return int_ != 0; }
    HResult AsError() const { return static_cast<HResult>(int_); }
    const Bstr& AsStr() const { return str_; }
    IDispatch* AsDispatch() const;
    IUnknown* AsUnknown() const { return object_.Get(); }
    const SafeArray* AsArray() const { return array_.get(); }
    SafeArray* AsArray() { return array_.get(); }

    // By-reference targets.
    std::int16_t* RefTargetI2() const { return static_cast<std::int16_t*>(ref_); }
    std::int32_t* RefTargetI4() const { return static_cast<std::int32_t*>(ref_); }
    Bstr* RefTargetStr() const { return static_cast<Bstr*>(ref_); }
    Variant* RefTargetVariant() const { return static_cast<Variant*>(ref_); }
    SafeArray* RefTargetArray() const { return static_cast<SafeArray*>(ref_); }

    // The value a by-reference variant points at (a copy); the variant itself otherwise.
    Variant Deref() const;
    // Stores `value` through a by-reference variant, converted to the referenced kind.
    HResult AssignThroughRef(const Variant& value) const;

    // Equality of kind and value (objects by identity, arrays element by element).
    bool operator==(const Variant& other) const;

private:
    VarType type_ = VT_EMPTY;
    std::int64_t int_ = 0;
    double real_ = 0;
    Bstr str_;
    ComPtr<IUnknown> object_;
    std::unique_ptr<SafeArray> array_;
    void* ref_ = nullptr;
};

// Flags of ChangeType.
enum ChangeFlags : std::uint16_t {
    kChangeDefault = 0,
    kAlphaBool = 0x2,   // BOOL to text as "True"/"False" instead of "-1"/"0"
};

// Converts `in` to `to` (a plain kind, not by-reference) into `out`. A by-reference source is
// read through. An object converts through its default member (DISPID 0). On failure `out` is
// left unchanged and the status says why.
HResult ChangeType(Variant& out, const Variant& in, VarType to, std::uint16_t flags = 0);

}  // namespace com
