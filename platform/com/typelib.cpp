#include "platform/com/typelib.h"

#include <optional>

#include "platform/win/error.h"
#include "platform/win/module.h"
#include "platform/win/registry.h"

namespace com {

const VarDesc* TypeInfoData::FindVar(std::string_view varName) const {
    for (const auto& v : vars)
        if (EqualsNoCase(v.name, varName)) return &v;
    return nullptr;
}

const TypeInfoData* TypeLibraryData::Find(std::string_view typeName) const {
    for (const auto& t : types)
        if (EqualsNoCase(t.name, typeName)) return &t;
    return nullptr;
}

TypeInfoData MakeEnum(std::string name, std::vector<EnumMember> members, bool hidden, Guid guid) {
    TypeInfoData t;
    t.kind = TypeKind::Enum;
    t.name = std::move(name);
    t.guid = guid;
    t.hidden = hidden;
    std::int32_t id = kFirstVarMemberId;
    for (auto& m : members)
        t.vars.push_back({std::move(m.name), id++, Variant::I4(m.value), std::move(m.helpString)});
    return t;
}

HResult TypeLib::GetDocumentation(int index, std::string* name, std::string* helpString,
                                  std::string* helpFile) const {
    if (index < -1 || index >= static_cast<int>(data_->types.size())) return TYPE_E_ELEMENTNOTFOUND;
    const std::string& n = index < 0 ? data_->name : data_->types[static_cast<std::size_t>(index)].name;
    const std::string& h =
        index < 0 ? data_->helpString : data_->types[static_cast<std::size_t>(index)].helpString;
    if (name) *name = n;
    if (helpString) *helpString = h;
    if (helpFile) *helpFile = data_->helpFile;
    return S_OK;
}

HResult LoadTypeLib(std::string_view windowsPath, std::shared_ptr<const TypeLib>* out) {
    if (!out) return E_POINTER;
    out->reset();
    auto module = std::make_shared<win::Module>(win::Module::Load(windowsPath));
    if (!*module) return TYPE_E_CANTLOADLIBRARY;
    auto entry = reinterpret_cast<TypeLibraryExportFn>(module->Export(kTypeLibraryExport));
    const TypeLibraryData* data = entry ? entry() : nullptr;
    if (!data) return TYPE_E_CANTLOADLIBRARY;
    *out = std::make_shared<const TypeLib>(std::move(module), data);
    return S_OK;
}

HResult LoadInterfaceTypeInfo(const Guid& iid, std::shared_ptr<const TypeLib>* lib, const TypeInfoData** info) {
    if (!lib || !info) return E_POINTER;
    lib->reset();
    *info = nullptr;
    std::optional<std::string> path;
    try {
        using win::RootKey;
        namespace reg = win::registry;
        const std::string key = "Interface\\" + iid.ToString() + "\\TypeLib";
        const auto libId = reg::QueryString(RootKey::ClassesRoot, key, "");
        const auto version = reg::QueryString(RootKey::ClassesRoot, key, "Version");
        if (libId && version) {
            path = reg::QueryString(RootKey::ClassesRoot, "TypeLib\\" + *libId + "\\" + *version + "\\0\\win32", "");
        }
    } catch (const win::RuntimeError&) {
        return TYPE_E_REGISTRYACCESS;
    }
    if (!path || path->empty()) return TYPE_E_LIBNOTREGISTERED;
    std::shared_ptr<const TypeLib> loaded;
    if (const HResult hr = LoadTypeLib(*path, &loaded); Failed(hr)) return hr;
    for (const auto& type : loaded->Data().types) {
        if (type.kind != TypeKind::Coclass && type.guid == iid) {
            *info = &type;
            *lib = std::move(loaded);
            return S_OK;
        }
    }
    return TYPE_E_ELEMENTNOTFOUND;
}

std::vector<std::string> EnumListEntries(const TypeInfoData& enumeration, bool useNames) {
    std::vector<std::string> entries;
    for (const auto& v : enumeration.vars) {
        Variant text;
        ChangeType(text, v.value, VT_BSTR);
        entries.push_back(text.AsStr().ToUtf8() + " - " + (useNames ? v.name : v.helpString));
    }
    return entries;
}

}  // namespace com
