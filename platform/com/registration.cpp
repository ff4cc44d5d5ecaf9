#include "platform/com/registration.h"

#include <cstdio>
#include <initializer_list>

#include "platform/win/registry.h"

namespace com {
namespace {

using win::RegStatus;
using win::RootKey;
namespace reg = win::registry;

constexpr const char* kDispatchProxy = "{00020420-0000-0000-C000-000000000046}";

// Writes a run of default values; stops at the first failure.
struct Writer {
    bool ok = true;
    void Set(const std::string& key, std::string_view name, std::string value) {
        if (ok) ok = reg::SetValue(RootKey::ClassesRoot, key, name, value) == RegStatus::Success;
    }
    void Key(const std::string& key) {
        if (ok) ok = reg::CreateKey(RootKey::ClassesRoot, key) == RegStatus::Success;
    }
};

// Deletes `key` and then each listed parent that is left without subkeys and values.
void DeleteWithEmptyParents(const std::string& key, std::initializer_list<std::string> parents) {
    reg::DeleteTree(RootKey::ClassesRoot, key);
    for (const auto& parent : parents)
        if (reg::KeyExists(RootKey::ClassesRoot, parent) &&
            reg::SubKeys(RootKey::ClassesRoot, parent).empty() &&
            reg::ValueNames(RootKey::ClassesRoot, parent).empty())
            reg::DeleteTree(RootKey::ClassesRoot, parent);
}

std::string ClsidKey(const Guid& clsid) { return "CLSID\\" + clsid.ToString(); }

void WriteServer(Writer& w, const std::string& key, std::string_view libraryPath) {
    w.Set(key + "\\InprocServer32", "", std::string(libraryPath));
    w.Set(key + "\\InprocServer32", "ThreadingModel", "Apartment");
}

template <class F>
HResult Guarded(HResult failure, F&& body) {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

}  // namespace

std::string VersionKey(std::uint16_t major, std::uint16_t minor) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%x.%x", major, minor);
    return buf;
}

HResult RegisterControlClass(const ControlClassRegistration& info, std::string_view libraryPath) {
    return Guarded(REGDB_E_WRITEREGDB, [&] {
        const std::string key = ClsidKey(info.clsid);
        Writer w;
        w.Set(key, "", info.userTypeName);
        w.Set(key + "\\ProgID", "", info.progId);
        WriteServer(w, key, libraryPath);
        w.Set(key + "\\ToolboxBitmap32", "",
              std::string(libraryPath) + ", " + std::to_string(info.toolboxBitmapId));
        w.Set(key + "\\MiscStatus", "", "0");
        w.Set(key + "\\MiscStatus\\1", "", std::to_string(info.miscStatus));
        w.Set(key + "\\TypeLib", "", info.typeLib.ToString());
        w.Set(key + "\\Version", "", VersionKey(info.major, info.minor));
        w.Key(key + "\\Control");
        w.Set(info.progId, "", info.userTypeName);
        w.Set(info.progId + "\\CLSID", "", info.clsid.ToString());
        if (w.ok) return S_OK;
        UnregisterControlClass(info.clsid, info.progId);
        return REGDB_E_WRITEREGDB;
    });
}

HResult UnregisterControlClass(const Guid& clsid, std::string_view progId) {
    return Guarded(REGDB_E_WRITEREGDB, [&] {
        DeleteWithEmptyParents(ClsidKey(clsid), {"CLSID"});
        if (!progId.empty()) reg::DeleteTree(RootKey::ClassesRoot, progId);
        return S_OK;
    });
}

HResult RegisterPropertyPageClass(const PropertyPageRegistration& info, std::string_view libraryPath) {
    return Guarded(REGDB_E_WRITEREGDB, [&] {
        const std::string key = ClsidKey(info.clsid);
        Writer w;
        w.Set(key, "", info.caption);
        WriteServer(w, key, libraryPath);
        if (w.ok) return S_OK;
        UnregisterPropertyPageClass(info.clsid);
        return REGDB_E_WRITEREGDB;
    });
}

HResult UnregisterPropertyPageClass(const Guid& clsid) {
    return Guarded(REGDB_E_WRITEREGDB, [&] {
        DeleteWithEmptyParents(ClsidKey(clsid), {"CLSID"});
        return S_OK;
    });
}

HResult RegisterTypeLib(const TypeLibraryData& lib, std::string_view libraryPath,
                        std::string_view helpDir) {
    return Guarded(TYPE_E_REGISTRYACCESS, [&] {
        const std::string version = VersionKey(lib.major, lib.minor);
        const std::string key = "TypeLib\\" + lib.guid.ToString() + "\\" + version;
        Writer w;
        w.Set(key, "", lib.helpString.empty() ? lib.name : lib.helpString);
        w.Set(key + "\\0\\win32", "", std::string(libraryPath));
        w.Set(key + "\\FLAGS", "", "0");
        w.Set(key + "\\HELPDIR", "", std::string(helpDir));
        for (const auto& type : lib.types) {
            if (type.kind != TypeKind::Dispatch) continue;
            const std::string ikey = "Interface\\" + type.guid.ToString();
            w.Set(ikey, "", type.name);
            w.Set(ikey + "\\ProxyStubClsid", "", kDispatchProxy);
            w.Set(ikey + "\\ProxyStubClsid32", "", kDispatchProxy);
            w.Set(ikey + "\\TypeLib", "", lib.guid.ToString());
            w.Set(ikey + "\\TypeLib", "Version", version);
        }
        if (w.ok) return S_OK;
        UnregisterTypeLib(lib.guid, lib.major, lib.minor, 0);
        return TYPE_E_REGISTRYACCESS;
    });
}

HResult UnregisterTypeLib(const Guid& libId, std::uint16_t major, std::uint16_t minor,
                          std::uint32_t) {
    return Guarded(TYPE_E_REGISTRYACCESS, [&] {
        const bool allVersions = major == 0 && minor == 0;
        const std::string version = VersionKey(major, minor);
        const std::string libKey = "TypeLib\\" + libId.ToString();
        const std::string target = allVersions ? libKey : libKey + "\\" + version;
        if (!reg::KeyExists(RootKey::ClassesRoot, target)) return TYPE_E_REGISTRYACCESS;
        for (const auto& iid : reg::SubKeys(RootKey::ClassesRoot, "Interface")) {
            const std::string tkey = "Interface\\" + iid + "\\TypeLib";
            const auto owner = reg::QueryString(RootKey::ClassesRoot, tkey, "");
            const auto ver = reg::QueryString(RootKey::ClassesRoot, tkey, "Version");
            const auto ownerId = owner ? Guid::Parse(*owner) : std::nullopt;
            if (ownerId == libId && (allVersions || (ver && *ver == version)))
                reg::DeleteTree(RootKey::ClassesRoot, "Interface\\" + iid);
        }
        DeleteWithEmptyParents(target, {libKey, "TypeLib", "Interface"});
        return S_OK;
    });
}

}  // namespace com
