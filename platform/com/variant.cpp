#include "platform/com/variant.h"

#include <cassert>
#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/com/dispatch.h"
#include "platform/win/calendar.h"
#include "platform/win/clock.h"
#include "platform/win/oledate.h"

namespace com {
namespace {

constexpr std::int64_t kOleEpoch = -25569;   // 1899-12-30 in days from 1970-01-01

}  // namespace

bool Date::FromParts(int year, int month, int day, int hour, int minute, int second, Date& out) {
    if (!win::IsValidCivilDate(year, month, day) || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 59)
        return false;
    const auto whole = static_cast<double>(
        win::DaysFromCivil(year, month, day) - kOleEpoch);
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
    const win::CivilTime t =
        win::CivilFromSeconds((static_cast<std::int64_t>(whole) + kOleEpoch) * 86400 + seconds);
    return Parts{t.year, t.month, t.day, t.hour, t.minute, t.second};
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
