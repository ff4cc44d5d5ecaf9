#include "platform/com/factory.h"

#include <map>
#include <mutex>

#include "platform/win/error.h"
#include "platform/win/module.h"
#include "platform/win/registry.h"

namespace com {
namespace {

class ClassFactory final : public Object<ClassFactory, IClassFactory> {
public:
    ClassFactory(ModuleState& state, ObjectCreator create)
        : state_(state), moduleRef_(state), create_(std::move(create)) {}

    HResult CreateInstance(IUnknown* outer, const Guid& iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return create_(iid, out);
    }
    HResult LockServer(bool lock) override {
        state_.Lock(lock);
        return S_OK;
    }

private:
    ModuleState& state_;
    // A factory the program holds keeps the library loaded, as an object does: unloading the
    // code under a live factory would crash the program at its next call.
    ModuleObjectRef moduleRef_;
    ObjectCreator create_;
};

// The libraries this process has loaded, by upper-cased path.
struct LoadedLibrary {
    win::Module module;
    DllGetClassObjectFn getClassObject = nullptr;
    DllCanUnloadNowFn canUnloadNow = nullptr;
};

std::mutex& LibrariesMutex() {
    static std::mutex m;
    return m;
}

std::map<std::string, LoadedLibrary>& Libraries() {
    static std::map<std::string, LoadedLibrary> libraries;
    return libraries;
}

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return out;
}

HResult LoadLibraryFor(const std::string& path, DllGetClassObjectFn* entry) {
    std::lock_guard lock(LibrariesMutex());
    auto& libraries = Libraries();
    const std::string key = Upper(path);
    auto it = libraries.find(key);
    if (it == libraries.end()) {
        LoadedLibrary lib;
        lib.module = win::Module::Load(path);
        if (!lib.module) return CO_E_DLLNOTFOUND;
        lib.getClassObject = reinterpret_cast<DllGetClassObjectFn>(lib.module.Export("DllGetClassObject"));
        lib.canUnloadNow = reinterpret_cast<DllCanUnloadNowFn>(lib.module.Export("DllCanUnloadNow"));
        if (!lib.getClassObject) return CO_E_ERRORINDLL;
        it = libraries.emplace(key, std::move(lib)).first;
    }
    *entry = it->second.getClassObject;
    return S_OK;
}

// The process's own classes, with the module state their factories and objects count on (the
// process never unloads them, so nothing reads it).
struct ProcessClasses {
    std::mutex mutex;
    ModuleState state;
    ClassTable table{state};
};

ProcessClasses& OwnClasses() {
    static ProcessClasses classes;
    return classes;
}

}  // namespace

void ClassTable::Add(const Guid& clsid, ObjectCreator create) {
    for (auto& [id, existing] : classes_)
        if (id == clsid) {
            existing = std::move(create);
            return;
        }
    classes_.emplace_back(clsid, std::move(create));
}

void RegisterProcessClass(const Guid& clsid, ObjectCreator create) {
    ProcessClasses& own = OwnClasses();
    std::lock_guard lock(own.mutex);
    own.table.Add(clsid, std::move(create));
}

HResult ClassTable::GetClassObject(const Guid* clsid, const Guid* iid, void** out) const {
    if (!clsid || !iid || !out) return E_POINTER;
    *out = nullptr;
    for (const auto& [id, create] : classes_)
        if (id == *clsid) {
            try {
                auto factory = ClassFactory::Create(state_, create);
                return factory->QueryInterface(*iid, out);
            } catch (...) {
                return E_OUTOFMEMORY;
            }
        }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HResult ClsidFromProgId(std::string_view progIdOrClsid, Guid* out) {
    if (!out) return E_POINTER;
    if (const auto g = Guid::Parse(progIdOrClsid); g && progIdOrClsid.front() == '{') {
        *out = *g;
        return S_OK;
    }
    const std::string key = std::string(progIdOrClsid) + "\\CLSID";
    const auto text = progIdOrClsid.empty()
                          ? std::nullopt
                          : win::registry::QueryString(win::RootKey::ClassesRoot, key, "");
    const auto g = text ? Guid::Parse(*text) : std::nullopt;
    if (!g) return CO_E_CLASSSTRING;
    *out = *g;
    return S_OK;
}

HResult ClassLibraryPath(const Guid& clsid, std::string* path) {
    const std::string key = "CLSID\\" + clsid.ToString() + "\\InprocServer32";
    const auto value = win::registry::QueryString(win::RootKey::ClassesRoot, key, "");
    if (!value || value->empty()) return REGDB_E_CLASSNOTREG;
    *path = *value;
    return S_OK;
}

HResult GetClassObject(const Guid& clsid, const Guid& iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    {
        ProcessClasses& own = OwnClasses();
        std::lock_guard lock(own.mutex);
        if (const HResult hr = own.table.GetClassObject(&clsid, &iid, out); hr != CLASS_E_CLASSNOTAVAILABLE) return hr;
    }
    try {
        std::string path;
        if (const HResult hr = ClassLibraryPath(clsid, &path); Failed(hr)) return hr;
        DllGetClassObjectFn entry = nullptr;
        if (const HResult hr = LoadLibraryFor(path, &entry); Failed(hr)) return hr;
        return entry(&clsid, &iid, out);
    } catch (const win::RuntimeError&) {
        return REGDB_E_READREGDB;
    }
}

HResult CreateInstance(const Guid& clsid, const Guid& iid, void** out) {
    ComPtr<IClassFactory> factory;
    if (const HResult hr = GetClassObject(clsid, IClassFactory::kIid, factory.PutVoid()); Failed(hr))
        return hr;
    return factory->CreateInstance(nullptr, iid, out);
}

ComPtr<IDispatch> CreateObject(std::string_view progIdOrClsid) {
    Guid clsid;
    HResult hr = ClsidFromProgId(progIdOrClsid, &clsid);
    ComPtr<IDispatch> object;
    if (Succeeded(hr)) hr = CreateInstance(clsid, &object);
    if (Failed(hr)) RaiseError(hr == E_NOINTERFACE ? hr : REGDB_E_CLASSNOTREG);
    return object;
}

int FreeUnusedLibraries() {
    std::lock_guard lock(LibrariesMutex());
    int freed = 0;
    auto& libraries = Libraries();
    for (auto it = libraries.begin(); it != libraries.end();) {
        if (it->second.canUnloadNow && it->second.canUnloadNow() == S_OK) {
            it = libraries.erase(it);
            ++freed;
        } else {
            ++it;
        }
    }
    return freed;
}

int LoadedLibraryCount() {
    std::lock_guard lock(LibrariesMutex());
    return static_cast<int>(Libraries().size());
}

}  // namespace com
