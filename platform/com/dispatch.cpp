#include "platform/com/dispatch.h"

#include <deque>
#include <new>

#include "platform/win/error.h"

namespace com {
namespace {

// Storage for by-reference parameters given by value: the member writes into it and the
// caller never sees the change, as when a constant is passed to a by-reference parameter.
struct ByRefTemps {
    std::deque<std::int16_t> i2;
    std::deque<std::int32_t> i4;
    std::deque<Bstr> str;
    std::deque<Variant> var;
};

HResult CoerceByRef(Variant& arg, VarType declared, ByRefTemps& temps) {
    if (arg.Type() == declared) return S_OK;
    const auto base = static_cast<VarType>(declared & ~VT_BYREF);
    if (base == VT_VARIANT) {
        arg = Variant::RefVariant(&temps.var.emplace_back(arg.Deref()));
        return S_OK;
    }
    Variant converted;
    if (const HResult hr = ChangeType(converted, arg, base); Failed(hr)) return hr;
    switch (base) {
        case VT_I2: arg = Variant::RefI2(&temps.i2.emplace_back(converted.AsI2())); break;
        case VT_I4: arg = Variant::RefI4(&temps.i4.emplace_back(converted.AsI4())); break;
        case VT_BSTR: arg = Variant::RefStr(&temps.str.emplace_back(converted.AsStr())); break;
        default: return DISP_E_TYPEMISMATCH;
    }
    return S_OK;
}

HResult Coerce(Variant& arg, VarType declared, ByRefTemps& temps) {
    if (declared & VT_BYREF) return CoerceByRef(arg, declared, temps);
    if (declared == VT_VARIANT) return S_OK;
    Variant converted;
    if (const HResult hr = ChangeType(converted, arg, declared); Failed(hr)) return hr;
    arg = std::move(converted);
    return S_OK;
}

HResult CoerceAll(std::span<Variant> args, const std::vector<VarType>& declared,
                  ByRefTemps& temps, std::uint32_t* argErr) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i].IsMissing() && declared[i] != VT_VARIANT) continue;
        if (const HResult hr = Coerce(args[i], declared[i], temps); Failed(hr)) {
            if (argErr) *argErr = static_cast<std::uint32_t>(i);
            return hr;
        }
    }
    return S_OK;
}

void FillExcep(ExcepInfo* excep, ExcepInfo info, const std::string& source) {
    if (!excep) return;
    if (info.source.empty()) info.source = source;
    if (info.description.empty()) info.description = RuntimeText(info.scode);
    *excep = std::move(info);
}

}  // namespace

void ThrowError(HResult scode, std::string description, std::uint32_t helpContext,
                std::string helpFile) {
    ExcepInfo info;
    info.scode = scode;
    info.description = description.empty() ? RuntimeText(scode) : std::move(description);
    info.helpContext = helpContext;
    info.helpFile = std::move(helpFile);
    throw DispatchError(std::move(info));
}

void DispatchMap::Add(Member member, std::optional<DispId> explicitId) {
    member.id = explicitId ? *explicitId : nextId_++;
    members_.push_back(std::move(member));
}

const DispatchMap::Member* DispatchMap::Find(DispId id) const {
    for (const auto& m : members_)
        if (m.id == id) return &m;
    return nullptr;
}

HResult DispatchMap::GetIDsOfNames(std::string_view name, DispId* out) const {
    for (const auto& m : members_)
        if (EqualsNoCase(m.name, name)) {
            if (out) *out = m.id;
            return S_OK;
        }
    if (out) *out = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}

HResult DispatchMap::InvokeProperty(void* self, const Member& m, std::uint16_t flags,
                                    DispParams& params, Variant* result,
                                    std::uint32_t* argErr) const {
    ByRefTemps temps;
    std::vector<Variant> args = params.args;   // converted here, never in the caller's hands
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (!m.put) ThrowError(CTL_E_SETNOTSUPPORTED);
        if (args.size() != m.params.size() + 1) return DISP_E_BADPARAMCOUNT;
        const std::span<Variant> index(args.data(), m.params.size());
        if (const HResult hr = CoerceAll(index, m.params, temps, argErr); Failed(hr)) return hr;
        // A by-reference put of a variant property keeps the reference (the grid takes the
        // program's array itself); any other put passes the value.
        const bool keepReference = (flags & DISPATCH_PROPERTYPUTREF) && m.type == VT_VARIANT;
        Variant value = keepReference ? args.back() : args.back().Deref();
        if (m.type != VT_VARIANT) {
            Variant converted;
            if (const HResult hr = ChangeType(converted, value, m.type); Failed(hr)) {
                if (argErr) *argErr = static_cast<std::uint32_t>(args.size() - 1);
                return hr;
            }
            value = std::move(converted);
        }
        m.put(self, index, value);
        return S_OK;
    }
    if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    if (!m.get) ThrowError(CTL_E_GETNOTSUPPORTED);
    if (args.size() != m.params.size()) return DISP_E_BADPARAMCOUNT;
    if (const HResult hr = CoerceAll(args, m.params, temps, argErr); Failed(hr)) return hr;
    Variant v = m.get(self, args);
    if (result) *result = std::move(v);
    return S_OK;
}

HResult DispatchMap::InvokeMethod(void* self, const Member& m, DispParams& params,
                                  Variant* result, std::uint32_t* argErr) const {
    const auto& args = params.args;
    if (args.size() > m.params.size() || args.size() + m.optionalParams < m.params.size())
        return DISP_E_BADPARAMCOUNT;
    const std::size_t required = m.params.size() - m.optionalParams;
    for (std::size_t i = 0; i < std::min(required, args.size()); ++i)
        if (args[i].IsMissing()) {
            if (argErr) *argErr = static_cast<std::uint32_t>(i);
            return DISP_E_PARAMNOTOPTIONAL;
        }
    std::vector<Variant> full = args;
    full.resize(m.params.size(), Variant::Missing());
    ByRefTemps temps;
    if (const HResult hr = CoerceAll(full, m.params, temps, argErr); Failed(hr)) return hr;
    Variant v = m.call(self, full);
    if (result) *result = std::move(v);
    return S_OK;
}

HResult DispatchMap::Invoke(void* self, DispId id, std::uint16_t flags, DispParams& params,
                            Variant* result, ExcepInfo* excep, std::uint32_t* argErr) const {
    const Member* m = Find(id);
    if (!m) return DISP_E_MEMBERNOTFOUND;
    try {
        if (m->isMethod) {
            if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
            return InvokeMethod(self, *m, params, result, argErr);
        }
        return InvokeProperty(self, *m, flags, params, result, argErr);
    } catch (const DispatchError& e) {
        FillExcep(excep, e.Info(), source_);
    } catch (const win::RuntimeError& e) {
        ExcepInfo info;
        info.scode = e.Number() > 0 && e.Number() <= 0xFFFF
                         ? ControlError(static_cast<std::uint16_t>(e.Number()))
                         : E_FAIL;
        info.description = e.Description();
        info.source = e.Source();
        FillExcep(excep, std::move(info), source_);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::exception& e) {
        FillExcep(excep, ExcepInfo{E_FAIL, {}, e.what(), {}, 0}, source_);
    } catch (...) {
        return E_UNEXPECTED;
    }
    return DISP_E_EXCEPTION;
}

// --- Calling side --------------------------------------------------------------------------

void RaiseError(HResult hr, const ExcepInfo* info) {
    if (hr == DISP_E_EXCEPTION && info) {
        const long number = RuntimeNumber(info->scode);
        throw win::RuntimeError(number,
                                info->description.empty() ? RuntimeText(info->scode)
                                                          : info->description,
                                info->source);
    }
    throw win::RuntimeError(RuntimeNumber(hr), RuntimeText(hr));
}

namespace {

Variant Call(IDispatch* object, DispId id, std::uint16_t flags, std::vector<Variant> args) {
    if (!object) throw win::RuntimeError(91, "Object variable or With block variable not set");
    DispParams params{std::move(args)};
    Variant result;
    ExcepInfo excep;
    const HResult hr = object->Invoke(id, flags, params, &result, &excep, nullptr);
    if (Failed(hr)) RaiseError(hr, &excep);
    return result;
}

}  // namespace

DispId IdOfName(IDispatch* object, std::string_view name) {
    if (!object) throw win::RuntimeError(91, "Object variable or With block variable not set");
    DispId id = DISPID_UNKNOWN;
    if (const HResult hr = object->GetIDsOfNames(name, &id); Failed(hr)) RaiseError(hr);
    return id;
}

Variant GetProperty(IDispatch* object, DispId id, std::vector<Variant> index) {
    return Call(object, id, DISPATCH_PROPERTYGET | DISPATCH_METHOD, std::move(index));
}

void PutProperty(IDispatch* object, DispId id, Variant value, std::vector<Variant> index) {
    index.push_back(std::move(value));
    Call(object, id, DISPATCH_PROPERTYPUT, std::move(index));
}

void PutPropertyRef(IDispatch* object, DispId id, Variant value) {
    Call(object, id, DISPATCH_PROPERTYPUTREF, {std::move(value)});
}

Variant CallMethod(IDispatch* object, DispId id, std::vector<Variant> args) {
    return Call(object, id, DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args));
}

}  // namespace com
