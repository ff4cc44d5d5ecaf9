#include "platform/com/typelib.h"

#include "platform/win/module.h"

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
