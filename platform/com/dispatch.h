// Late binding: members called by dispatch identifier (DISPID) or by name.
//
// Contract of Invoke (as the platform's automation layer behaves):
//   - an unknown DISPID gives DISP_E_MEMBERNOTFOUND, an unknown name DISP_E_UNKNOWNNAME;
//     names compare without regard to case;
//   - a property is read with DISPATCH_PROPERTYGET (alone or with DISPATCH_METHOD) and written
//     with DISPATCH_PROPERTYPUT or DISPATCH_PROPERTYPUTREF; a method is called with
//     DISPATCH_METHOD (alone or with DISPATCH_PROPERTYGET);
//   - arguments come in call order, first argument first; the value of a put comes last, after
//     any index arguments;
//   - a wrong number of arguments gives DISP_E_BADPARAMCOUNT (a missing required one
//     DISP_E_PARAMNOTOPTIONAL); an argument that does not convert to the declared kind gives
//     the conversion's status (DISP_E_TYPEMISMATCH or DISP_E_OVERFLOW) and its position in
//     *argErr;
//   - an error raised by the member (ThrowError) gives DISP_E_EXCEPTION with the code,
//     description, help file and help context in *excep. No C++ exception leaves Invoke.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/com/unknown.h"
#include "platform/com/variant.h"

namespace com {

using DispId = std::int32_t;

inline constexpr DispId DISPID_VALUE = 0;
inline constexpr DispId DISPID_UNKNOWN = -1;
inline constexpr DispId DISPID_PROPERTYPUT = -3;
// Stock properties and methods.
inline constexpr DispId DISPID_BACKCOLOR = -501;
inline constexpr DispId DISPID_BORDERSTYLE = -504;
inline constexpr DispId DISPID_FONT = -512;
inline constexpr DispId DISPID_FORECOLOR = -513;
inline constexpr DispId DISPID_ENABLED = -514;
inline constexpr DispId DISPID_HWND = -515;
inline constexpr DispId DISPID_TEXT = -517;
inline constexpr DispId DISPID_CAPTION = -518;
inline constexpr DispId DISPID_REFRESH = -550;
inline constexpr DispId DISPID_ABOUTBOX = -552;
// Stock events.
inline constexpr DispId DISPID_CLICK = -600;
inline constexpr DispId DISPID_DBLCLICK = -601;
inline constexpr DispId DISPID_KEYDOWN = -602;
inline constexpr DispId DISPID_KEYPRESS = -603;
inline constexpr DispId DISPID_KEYUP = -604;
inline constexpr DispId DISPID_MOUSEDOWN = -605;
inline constexpr DispId DISPID_MOUSEMOVE = -606;
inline constexpr DispId DISPID_MOUSEUP = -607;
// Ambient properties of a container.
inline constexpr DispId DISPID_AMBIENT_BACKCOLOR = -701;
inline constexpr DispId DISPID_AMBIENT_DISPLAYNAME = -702;
inline constexpr DispId DISPID_AMBIENT_FONT = -703;
inline constexpr DispId DISPID_AMBIENT_FORECOLOR = -704;
inline constexpr DispId DISPID_AMBIENT_USERMODE = -709;

enum DispatchFlags : std::uint16_t {
    DISPATCH_METHOD = 1,
    DISPATCH_PROPERTYGET = 2,
    DISPATCH_PROPERTYPUT = 4,
    DISPATCH_PROPERTYPUTREF = 8,
};

struct DispParams {
    std::vector<Variant> args;   // call order; a put's value last
};

struct ExcepInfo {
    HResult scode = S_OK;
    std::string source;
    std::string description;
    std::string helpFile;
    std::uint32_t helpContext = 0;
};

class IDispatch : public IUnknown {
public:
    static inline const Guid kIid = Guid::FromString("{00020400-0000-0000-C000-000000000046}");

    virtual HResult GetIDsOfNames(std::string_view name, DispId* out) = 0;
    virtual HResult Invoke(DispId id, std::uint16_t flags, DispParams& params, Variant* result,
                           ExcepInfo* excep, std::uint32_t* argErr) = 0;

protected:
    ~IDispatch() = default;
};

// Raised inside a member to fail the call with exception information. Invoke catches it.
class DispatchError : public std::exception {
public:
    explicit DispatchError(ExcepInfo info) : info_(std::move(info)) {}
    const char* what() const noexcept override { return info_.description.c_str(); }
    const ExcepInfo& Info() const { return info_; }

private:
    ExcepInfo info_;
};

// Fails the current member with `scode`; an empty description takes the runtime's text.
[[noreturn]] void ThrowError(HResult scode, std::string description = {},
                             std::uint32_t helpContext = 0, std::string helpFile = {});

// --- Dispatch tables -----------------------------------------------------------------------

// One class's members, declared once in dispatch order. Own members are numbered from 1 in the
// order they are added; members added with an explicit id (stock members at their negative
// DISPIDs, the default member at 0) keep it and do not take a number.
class DispatchMap {
public:
    using Args = std::span<Variant>;
    using Getter = std::function<Variant(void* self, Args index)>;
    using Setter = std::function<void(void* self, Args index, const Variant& value)>;
    using Caller = std::function<Variant(void* self, Args args)>;

    struct Member {
        std::string name;
        DispId id = 0;
        bool isMethod = false;
        VarType type = VT_EMPTY;          // property kind or method result
        std::vector<VarType> params;      // index parameters, or method parameters
        std::size_t optionalParams = 0;   // trailing parameters that may be left out
        Getter get;
        Setter put;
        Caller call;
    };

    // Adds a member; id is taken from the next own number when `explicitId` is empty.
    void Add(Member member, std::optional<DispId> explicitId);
    void SetSource(std::string source) { source_ = std::move(source); }

    const Member* Find(DispId id) const;
    HResult GetIDsOfNames(std::string_view name, DispId* out) const;
    HResult Invoke(void* self, DispId id, std::uint16_t flags, DispParams& params,
                   Variant* result, ExcepInfo* excep, std::uint32_t* argErr) const;
    const std::vector<Member>& Members() const { return members_; }

private:
    HResult InvokeProperty(void* self, const Member& m, std::uint16_t flags, DispParams& params,
                           Variant* result, std::uint32_t* argErr) const;
    HResult InvokeMethod(void* self, const Member& m, DispParams& params, Variant* result,
                         std::uint32_t* argErr) const;

    std::vector<Member> members_;
    DispId nextId_ = 1;
    std::string source_;
};

// The kind a C++ type travels as, and its conversions.
template <class V>
struct VariantTraits;
template <> struct VariantTraits<std::int16_t> {
    static constexpr VarType kType = VT_I2;
    static Variant To(std::int16_t v) { return Variant::I2(v); }
    static std::int16_t From(const Variant& v) { return v.AsI2(); }
};
template <> struct VariantTraits<std::int32_t> {
    static constexpr VarType kType = VT_I4;
    static Variant To(std::int32_t v) { return Variant::I4(v); }
    static std::int32_t From(const Variant& v) { return v.AsI4(); }
};
template <> struct VariantTraits<float> {
    static constexpr VarType kType = VT_R4;
    static Variant To(float v) { return Variant::R4(v); }
    static float From(const Variant& v) { return v.AsR4(); }
};
template <> struct VariantTraits<double> {
    static constexpr VarType kType = VT_R8;
    static Variant To(double v) { return Variant::R8(v); }
    static double From(const Variant& v) { return v.AsR8(); }
};
template <> struct VariantTraits<bool> {
    static constexpr VarType kType = VT_BOOL;
    static Variant To(bool v) { return Variant::Bool(v); }
    static bool From(const Variant& v) { return v.AsBool(); }
};
template <> struct VariantTraits<Currency> {
    static constexpr VarType kType = VT_CY;
    static Variant To(Currency v) { return Variant::Cy(v); }
    static Currency From(const Variant& v) { return v.AsCy(); }
};
template <> struct VariantTraits<Date> {
    static constexpr VarType kType = VT_DATE;
    static Variant To(Date v) { return Variant::FromDate(v); }
    static Date From(const Variant& v) { return v.AsDate(); }
};
template <> struct VariantTraits<Bstr> {
    static constexpr VarType kType = VT_BSTR;
    static Variant To(Bstr v) { return Variant::Str(std::move(v)); }
    static Bstr From(const Variant& v) { return v.AsStr(); }
};
template <> struct VariantTraits<std::string> {   // UTF-8 text
    static constexpr VarType kType = VT_BSTR;
    static Variant To(const std::string& v) { return Variant::Utf8(v); }
    static std::string From(const Variant& v) { return v.AsStr().ToUtf8(); }
};
template <> struct VariantTraits<Variant> {   // any kind, unconverted
    static constexpr VarType kType = VT_VARIANT;
    static Variant To(Variant v) { return v; }
    static Variant From(const Variant& v) { return v; }
};

// Typed construction of a DispatchMap for class T.
template <class T>
class DispatchTable {
public:
    using Args = DispatchMap::Args;

    explicit DispatchTable(std::string source = {}) { map_.SetSource(std::move(source)); }

    // A property through member functions. A property without a setter (ReadOnly) raises the
    // "not supported" error when it is set.
    template <class G, class S>
    DispatchTable& Property(std::string name, G (T::*get)() const, void (T::*put)(S),
                            std::optional<DispId> id = std::nullopt) {
        using Tr = VariantTraits<std::remove_cvref_t<G>>;
        static_assert(std::is_same_v<std::remove_cvref_t<G>, std::remove_cvref_t<S>>);
        DispatchMap::Getter g = [get](void* self, Args) {
            return Tr::To((static_cast<T*>(self)->*get)());
        };
        DispatchMap::Setter s = [put](void* self, Args, const Variant& v) {
            (static_cast<T*>(self)->*put)(Tr::From(v));
        };
        return Add(std::move(name), Tr::kType, std::move(g), std::move(s), id);
    }
    template <class G>
    DispatchTable& ReadOnly(std::string name, G (T::*get)() const,
                            std::optional<DispId> id = std::nullopt) {
        using Tr = VariantTraits<std::remove_cvref_t<G>>;
        DispatchMap::Getter g = [get](void* self, Args) {
            return Tr::To((static_cast<T*>(self)->*get)());
        };
        return Add(std::move(name), Tr::kType, std::move(g), {}, id);
    }

    // A property with index parameters or free-form accessors.
    DispatchTable& Property(std::string name, VarType type, std::vector<VarType> index,
                            std::function<Variant(T&, Args)> get,
                            std::function<void(T&, Args, const Variant&)> put,
                            std::optional<DispId> id = std::nullopt) {
        DispatchMap::Getter g;
        DispatchMap::Setter s;
        if (get) g = [get](void* self, Args a) { return get(*static_cast<T*>(self), a); };
        if (put)
            s = [put](void* self, Args a, const Variant& v) { put(*static_cast<T*>(self), a, v); };
        DispatchMap::Member m{std::move(name), 0, false, type, std::move(index), 0,
                              std::move(g), std::move(s), {}};
        map_.Add(std::move(m), id);
        return *this;
    }

    // A method; its arguments arrive converted to `params` (a VT_BYREF kind arrives as a
    // reference the method may write through).
    DispatchTable& Method(std::string name, VarType result, std::vector<VarType> params,
                          std::function<Variant(T&, Args)> fn,
                          std::optional<DispId> id = std::nullopt, std::size_t optionalParams = 0) {
        DispatchMap::Caller c = [fn](void* self, Args a) { return fn(*static_cast<T*>(self), a); };
        DispatchMap::Member m{std::move(name), 0,  true, result, std::move(params), optionalParams,
                              {},              {}, std::move(c)};
        map_.Add(std::move(m), id);
        return *this;
    }

    const DispatchMap& Map() const { return map_; }

private:
    DispatchTable& Add(std::string name, VarType type, DispatchMap::Getter g,
                       DispatchMap::Setter s, std::optional<DispId> id) {
        map_.Add({std::move(name), 0, false, type, {}, 0, std::move(g), std::move(s), {}}, id);
        return *this;
    }

    DispatchMap map_;
};

// An object whose IDispatch is its class's table: Self provides
// `static const DispatchMap& DispatchMembers()`. It also answers the ids in `dispInterfaces`
// (its dispinterface or event interface) with its IDispatch.
template <class Self, class... More>
class DispatchObject : public Object<Self, IDispatch, More...> {
public:
    HResult GetIDsOfNames(std::string_view name, DispId* out) override {
        return Self::DispatchMembers().GetIDsOfNames(name, out);
    }
    HResult Invoke(DispId id, std::uint16_t flags, DispParams& params, Variant* result,
                   ExcepInfo* excep, std::uint32_t* argErr) override {
        return Self::DispatchMembers().Invoke(static_cast<Self*>(this), id, flags, params, result,
                                              excep, argErr);
    }

protected:
    explicit DispatchObject(std::vector<Guid> dispInterfaces = {})
        : dispInterfaces_(std::move(dispInterfaces)) {}
    HResult OnQueryInterface(const Guid& iid, void** out) override {
        for (const Guid& g : dispInterfaces_)
            if (g == iid) return ReturnInterface(static_cast<IDispatch*>(this), out);
        return E_NOINTERFACE;
    }

private:
    std::vector<Guid> dispInterfaces_;
};

// --- Calling side (the program): failures raise win::RuntimeError -------------------------

// Raises the runtime error for a failed call: DISP_E_EXCEPTION takes the member's code and
// description, any other status its RuntimeNumber and RuntimeText.
[[noreturn]] void RaiseError(HResult hr, const ExcepInfo* info = nullptr);

DispId IdOfName(IDispatch* object, std::string_view name);
Variant GetProperty(IDispatch* object, DispId id, std::vector<Variant> index = {});
void PutProperty(IDispatch* object, DispId id, Variant value, std::vector<Variant> index = {});
void PutPropertyRef(IDispatch* object, DispId id, Variant value);
Variant CallMethod(IDispatch* object, DispId id, std::vector<Variant> args = {});

}  // namespace com
