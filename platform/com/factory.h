// Creation of objects by class id.
//
// Library side: a library keeps a ClassTable of the classes it serves and answers its exported
// DllGetClassObject and DllCanUnloadNow from it. Every object of the library holds a
// ModuleObjectRef on the library's ModuleState, and so does every class factory handed out, so
// the library can be unloaded only when no object, factory or server lock is alive.
//
// Program side: CreateInstance finds the library file of a class in the registry
// (HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32), loads it once per process, asks its
// DllGetClassObject for the class factory and creates the object. FreeUnusedLibraries unloads
// the libraries whose DllCanUnloadNow says S_OK.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/dispatch.h"

namespace com {

class IClassFactory : public IUnknown {
public:
    static inline const Guid kIid = Guid::FromString("{00000001-0000-0000-C000-000000000046}");
    // CLASS_E_NOAGGREGATION when `outer` is given (no class here supports aggregation).
    virtual HResult CreateInstance(IUnknown* outer, const Guid& iid, void** out) = 0;
    virtual HResult LockServer(bool lock) = 0;

protected:
    ~IClassFactory() = default;
};

// Signatures of a library's exported entry points (extern "C", our types by pointer).
using DllGetClassObjectFn = HResult (*)(const Guid* clsid, const Guid* iid, void** out);
using DllCanUnloadNowFn = HResult (*)();
using DllRegisterServerFn = HResult (*)();
using DllUnregisterServerFn = HResult (*)();

// Creates a new object and puts its interface `iid` into *out.
using ObjectCreator = std::function<HResult(const Guid& iid, void** out)>;

// The creator for class T (created by T::Create()).
template <class T>
ObjectCreator CreatorOf() {
    return [](const Guid& iid, void** out) -> HResult {
        try {
            return T::Create()->QueryInterface(iid, out);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    };
}

class ClassTable {
public:
    explicit ClassTable(ModuleState& state) : state_(state) {}

    void Add(const Guid& clsid, ObjectCreator create);

    // The body of DllGetClassObject: CLASS_E_CLASSNOTAVAILABLE for a class not served here.
    HResult GetClassObject(const Guid* clsid, const Guid* iid, void** out) const;
    // The body of DllCanUnloadNow: S_OK when nothing is alive, S_FALSE otherwise.
    HResult CanUnloadNow() const { return state_.CanUnload() ? S_OK : S_FALSE; }

private:
    ModuleState& state_;
    std::vector<std::pair<Guid, ObjectCreator>> classes_;
};

// --- Program side --------------------------------------------------------------------------

// The class id of a ProgID (HKEY_CLASSES_ROOT\<ProgID>\CLSID) or of a "{...}" text;
// CO_E_CLASSSTRING when neither.
HResult ClsidFromProgId(std::string_view progIdOrClsid, Guid* out);
// The library file registered for a class; REGDB_E_CLASSNOTREG when none.
HResult ClassLibraryPath(const Guid& clsid, std::string* path);

// Classes the process serves itself (the platform's own classes, as the stock property pages):
// found by class id before the registry is asked, and never unloaded. Registering a class id
// again replaces its creator.
void RegisterProcessClass(const Guid& clsid, ObjectCreator create);

HResult GetClassObject(const Guid& clsid, const Guid& iid, void** out);
// REGDB_E_CLASSNOTREG for a class without registration, CO_E_DLLNOTFOUND when its file does
// not load, CO_E_ERRORINDLL when the file lacks the entry point, else the library's status.
HResult CreateInstance(const Guid& clsid, const Guid& iid, void** out);

template <class T>
HResult CreateInstance(const Guid& clsid, ComPtr<T>* out) {
    return CreateInstance(clsid, T::kIid, out->PutVoid());
}

// The program's CreateObject: raises 429 "ActiveX component can't create object" (or the
// runtime number of the failure) instead of returning a status.
ComPtr<IDispatch> CreateObject(std::string_view progIdOrClsid);

// Unloads every loaded library whose DllCanUnloadNow answers S_OK. Returns how many.
int FreeUnusedLibraries();
// How many class libraries are loaded now.
int LoadedLibraryCount();

}  // namespace com
