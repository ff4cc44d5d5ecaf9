#include "platform/com/variant.h"

#include <cassert>
#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/com/dispatch.h"

namespace com {
namespace {

// Days from 1970-01-01 to a proleptic Gregorian date (civil calendar arithmetic).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2));
}

constexpr std::int64_t kOleEpoch = -25569;   // 1899-12-30 in days from 1970-01-01

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

bool Date::FromParts(int year, int month, int day, int hour, int minute, int second, Date& out) {
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59)
        return false;
    const auto whole = static_cast<double>(
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kOleEpoch);
    const double time = (hour * 3600 + minute * 60 + second) / 86400.0;
    out.days = whole < 0 ? whole - time : whole + time;
    return true;
}

Date::Parts Date::ToParts() const {
    const double clamped = std::isnan(days) ? 0 : std::clamp(days, kMin, kMax);
    double whole = std::trunc(clamped);
    auto seconds = static_cast<std::int64_t>(std::llround(std::fabs(clamped - whole) * 86400.0));
    if (seconds >= 86400) {
        seconds -= 86400;
        whole += 1;
    }
    Parts p{};
    CivilFromDays(static_cast<std::int64_t>(whole) + kOleEpoch, p.year, p.month, p.day);
    p.hour = static_cast<int>(seconds / 3600);
    p.minute = static_cast<int>(seconds / 60 % 60);
    p.second = static_cast<int>(seconds % 60);
    return p;
}

// --- SafeArray -----------------------------------------------------------------------------

SafeArray::SafeArray(std::vector<Bound> bounds) { ReDim(std::move(bounds)); }
SafeArray::SafeArray(const SafeArray&) = default;
SafeArray& SafeArray::operator=(const SafeArray&) = default;
SafeArray::~SafeArray() = default;

bool SafeArray::ReDim(std::vector<Bound> bounds) {
    constexpr std::int64_t kMaxElements = 16 * 1024 * 1024;
    if (bounds.empty()) return false;
    std::int64_t total = 1;
    for (const auto& b : bounds) {
        const std::int64_t n = std::max<std::int64_t>(0, std::int64_t{b.upper} - b.lower + 1);
        total *= n;
        if (total > kMaxElements) return false;
    }
    bounds_ = std::move(bounds);
    elements_.assign(static_cast<std::size_t>(total), Variant());
    return true;
}

HResult SafeArray::LowerBound(std::size_t dim, std::int32_t& out) const {
    if (dim < 1 || dim > bounds_.size()) return DISP_E_BADINDEX;
    out = bounds_[dim - 1].lower;
    return S_OK;
}

HResult SafeArray::UpperBound(std::size_t dim, std::int32_t& out) const {
    if (dim < 1 || dim > bounds_.size()) return DISP_E_BADINDEX;
    out = bounds_[dim - 1].upper;
    return S_OK;
}

const Variant* SafeArray::At(const std::vector<std::int32_t>& indices) const {
    if (indices.size() != bounds_.size()) return nullptr;
    std::size_t offset = 0;
    for (std::size_t d = 0; d < bounds_.size(); ++d) {
        const auto& b = bounds_[d];
        if (indices[d] < b.lower || indices[d] > b.upper) return nullptr;
        const auto extent = static_cast<std::size_t>(std::int64_t{b.upper} - b.lower + 1);
        offset = offset * extent + static_cast<std::size_t>(std::int64_t{indices[d]} - b.lower);
    }
    return &elements_[offset];
}

Variant* SafeArray::At(const std::vector<std::int32_t>& indices) {
    return const_cast<Variant*>(std::as_const(*this).At(indices));
}

bool SafeArray::operator==(const SafeArray& other) const {
    if (bounds_.size() != other.bounds_.size()) return false;
    for (std::size_t d = 0; d < bounds_.size(); ++d)
        if (bounds_[d].lower != other.bounds_[d].lower ||
            bounds_[d].upper != other.bounds_[d].upper)
            return false;
    return elements_ == other.elements_;
}

// --- Variant -------------------------------------------------------------------------------

Variant::Variant(const Variant& other)
    : type_(other.type_),
      int_(other.int_),
      real_(other.real_),
      str_(other.str_),
      object_(other.object_),
      array_(other.array_ ? std::make_unique<SafeArray>(*other.array_) : nullptr),
      ref_(other.ref_) {}

Variant& Variant::operator=(const Variant& other) {
    if (this != &other) {
        Variant copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Variant::~Variant() = default;

#define COM_VARIANT_SETTER(kind, field, value) \
    Variant v;                                 \
    v.type_ = kind;                            \
    v.field = value;                           \
    return v

Variant Variant::Null() {
    Variant v;
    v.type_ = VT_NULL;
    return v;
}
Variant Variant::I2(std::int16_t x) { COM_VARIANT_SETTER(VT_I2, int_, x); }
Variant Variant::I4(std::int32_t x) { COM_VARIANT_SETTER(VT_I4, int_, x); }
Variant Variant::R4(float x) { COM_VARIANT_SETTER(VT_R4, real_, x); }
Variant Variant::R8(double x) { COM_VARIANT_SETTER(VT_R8, real_, x); }
Variant Variant::Cy(Currency x) { COM_VARIANT_SETTER(VT_CY, int_, x.scaled); }
Variant Variant::FromDate(Date x) { COM_VARIANT_SETTER(VT_DATE, real_, x.days); }
Variant Variant::Str(Bstr x) { COM_VARIANT_SETTER(VT_BSTR, str_, std::move(x)); }
Variant Variant::Bool(bool x) { COM_VARIANT_SETTER(VT_BOOL, int_, x ? VARIANT_TRUE : VARIANT_FALSE); }
Variant Variant::Error(HResult x) { COM_VARIANT_SETTER(VT_ERROR, int_, x); }
Variant Variant::Integer(VarType t, std::int64_t x) { COM_VARIANT_SETTER(t, int_, x); }
Variant Variant::Dispatch(ComPtr<IDispatch> x) {
    COM_VARIANT_SETTER(VT_DISPATCH, object_, ComPtr<IUnknown>(x.Get()));
}
Variant Variant::Unknown(ComPtr<IUnknown> x) { COM_VARIANT_SETTER(VT_UNKNOWN, object_, std::move(x)); }
Variant Variant::Array(SafeArray x) {
    COM_VARIANT_SETTER(VT_ARRAY | VT_VARIANT, array_, std::make_unique<SafeArray>(std::move(x)));
}
Variant Variant::RefI2(std::int16_t* p) { COM_VARIANT_SETTER(VT_BYREF | VT_I2, ref_, p); }
Variant Variant::RefI4(std::int32_t* p) { COM_VARIANT_SETTER(VT_BYREF | VT_I4, ref_, p); }
Variant Variant::RefStr(Bstr* p) { COM_VARIANT_SETTER(VT_BYREF | VT_BSTR, ref_, p); }
Variant Variant::RefVariant(Variant* p) { COM_VARIANT_SETTER(VT_BYREF | VT_VARIANT, ref_, p); }
Variant Variant::RefArray(SafeArray* p) {
    COM_VARIANT_SETTER(VT_BYREF | VT_ARRAY | VT_VARIANT, ref_, p);
}

#undef COM_VARIANT_SETTER

IDispatch* Variant::AsDispatch() const {
    // The object was stored from an IDispatch pointer (IDispatch's first base is IUnknown).
    return static_cast<IDispatch*>(object_.Get());
}

Variant Variant::Deref() const {
    if (!IsByRef()) return *this;
    switch (type_ & ~VT_BYREF) {
        case VT_I2: return I2(*RefTargetI2());
        case VT_I4: return I4(*RefTargetI4());
        case VT_BSTR: return Str(*RefTargetStr());
        case VT_VARIANT: return RefTargetVariant()->Deref();
        case VT_ARRAY | VT_VARIANT: return Array(*RefTargetArray());
        default: return Variant();
    }
}

HResult Variant::AssignThroughRef(const Variant& value) const {
    if (!IsByRef()) return DISP_E_TYPEMISMATCH;
    if (type_ == (VT_BYREF | VT_VARIANT)) {
        *RefTargetVariant() = value.Deref();
        return S_OK;
    }
    if (type_ == (VT_BYREF | VT_ARRAY | VT_VARIANT)) {
        const Variant v = value.Deref();
        if (!v.AsArray()) return DISP_E_TYPEMISMATCH;
        *RefTargetArray() = *v.AsArray();
        return S_OK;
    }
    Variant converted;
    const HResult hr = ChangeType(converted, value, BaseType());
    if (Failed(hr)) return hr;
    switch (BaseType()) {
        case VT_I2: *RefTargetI2() = converted.AsI2(); break;
        case VT_I4: *RefTargetI4() = converted.AsI4(); break;
        case VT_BSTR: *RefTargetStr() = converted.AsStr(); break;
        default: return DISP_E_TYPEMISMATCH;
    }
    return S_OK;
}

bool Variant::operator==(const Variant& other) const {
    if (type_ != other.type_) return false;
    if (IsByRef()) return ref_ == other.ref_;
    if (IsArray()) return *array_ == *other.array_;
    switch (type_) {
        case VT_R4:
        case VT_R8:
        case VT_DATE: return real_ == other.real_;
        case VT_BSTR: return str_ == other.str_;
        case VT_DISPATCH:
        case VT_UNKNOWN: return object_ == other.object_;
        default: return int_ == other.int_;
    }
}

}  // namespace com
