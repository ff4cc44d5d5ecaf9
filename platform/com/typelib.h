// Type libraries: the description of a library's types that it publishes from its own file.
//
// A library describes its enumerations, constants module, dispatch and event interfaces and
// coclasses in code (TypeLibraryData) and exports it as `ComTypeLibrary`; LoadTypeLib reads it
// back from the library file by path, as a property page reads the enumerations of its own
// library to fill its lists. Enumeration and module members are numbered 0x40000000 upwards in
// declaration order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/dispatch.h"

namespace com {

enum class TypeKind { Enum, Module, Interface, Dispatch, Coclass };

inline constexpr std::int32_t kFirstVarMemberId = 0x40000000;

struct VarDesc {
    std::string name;
    std::int32_t memberId = 0;
    Variant value;            // VT_I2 or VT_I4
    std::string helpString;
};

struct FuncDesc {
    std::string name;
    DispId id = 0;
    bool property = false;
    std::string helpString;
};

struct TypeInfoData {
    TypeKind kind = TypeKind::Enum;
    std::string name;
    Guid guid;
    std::string helpString;
    bool hidden = false;
    std::vector<VarDesc> vars;     // enumeration and module members
    std::vector<FuncDesc> funcs;   // dispatch and event interface members
    Guid defaultInterface;         // coclass: its dispatch interface
    Guid eventInterface;           // coclass: its event interface

    const VarDesc* FindVar(std::string_view name) const;
};

struct TypeLibraryData {
    Guid guid;
    std::uint16_t major = 1;
    std::uint16_t minor = 0;
    std::string name;
    std::string helpString;
    std::string helpFile;
    std::vector<TypeInfoData> types;

    const TypeInfoData* Find(std::string_view name) const;   // case-insensitive
};

// An enumeration; `members` are (name, value, help string), numbered from 0x40000000.
struct EnumMember {
    std::string name;
    std::int32_t value;
    std::string helpString;
};
TypeInfoData MakeEnum(std::string name, std::vector<EnumMember> members, bool hidden = false,
                      Guid guid = {});

// What a library exports under kTypeLibraryExport.
using TypeLibraryExportFn = const TypeLibraryData* (*)();
inline constexpr const char* kTypeLibraryExport = "ComTypeLibrary";

// A loaded type library; keeps its library file loaded while it lives.
class TypeLib {
public:
    const TypeLibraryData& Data() const { return *data_; }
    std::size_t TypeInfoCount() const { return data_->types.size(); }
    TypeKind TypeInfoType(std::size_t index) const { return data_->types.at(index).kind; }
    const TypeInfoData& TypeInfo(std::size_t index) const { return data_->types.at(index); }
    // Name and help string of the library (index -1) or of a type; TYPE_E_ELEMENTNOTFOUND for
    // an index out of range.
    HResult GetDocumentation(int index, std::string* name, std::string* helpString,
                             std::string* helpFile) const;

    TypeLib(std::shared_ptr<void> keepAlive, const TypeLibraryData* data)
        : keepAlive_(std::move(keepAlive)), data_(data) {}

private:
    std::shared_ptr<void> keepAlive_;
    const TypeLibraryData* data_;
};

// Loads the type library that the library file at `windowsPath` publishes;
// TYPE_E_CANTLOADLIBRARY when the file does not load or publishes none.
HResult LoadTypeLib(std::string_view windowsPath, std::shared_ptr<const TypeLib>* out);

// The type library that describes the interface `iid`, found as the platform finds it: the
// interface's TypeLib key names the library and its version, whose win32 key names the library
// file. `info` receives the interface's own description in it, valid while `lib` lives.
// TYPE_E_LIBNOTREGISTERED when the registry does not lead to a library, TYPE_E_CANTLOADLIBRARY
// when its file does not load, TYPE_E_ELEMENTNOTFOUND when it does not describe the interface.
HResult LoadInterfaceTypeInfo(const Guid& iid, std::shared_ptr<const TypeLib>* lib, const TypeInfoData** info);

// The entries of a list filled from an enumeration: "<value> - <text>" per member, in order,
// with the member's help string, or its name when `useNames`.
std::vector<std::string> EnumListEntries(const TypeInfoData& enumeration, bool useNames);

}  // namespace com
