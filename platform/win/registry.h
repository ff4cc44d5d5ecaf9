// The registry: keys with named and default values under the classes root and the local machine.
//
// Kept in one file under the machine root ("registry.dat"). Every call reads the file afresh;
// every change is a read-modify-write under an exclusive lock on the file, written to a temporary
// file and renamed into place, so two processes and two threads that change it at once both land
// and a crash leaves the old or the new registry, never half of one. Key and value names compare
// case-insensitively and keep the case of their first writing.
//
// The Windows registry's limits hold: a key name of at most 255 characters, paths of at most 512
// key names, value names of at most 16,383 characters and string values of at most 1 MB (1,048,576
// bytes). A write beyond them is refused with InvalidParameter; a lookup beyond them finds
// nothing. A store file that is damaged (its first line is not its header) reads as empty and is
// never overwritten: the change fails with BadDb and the file is kept aside for repair.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace win {

enum class RootKey { ClassesRoot, LocalMachine };

// Win32 status codes, as the registration code reports them.
enum class RegStatus : long {
    Success = 0,
    NotFound = 2,
    AccessDenied = 5,       // also: the store cannot be read or written
    InvalidParameter = 87,  // a key path, name or value beyond the registry's limits
    BadDb = 1009,           // the store is damaged ("The configuration registry database is corrupt.")
};

using RegistryValue = std::variant<std::string, std::uint32_t>;   // REG_SZ or REG_DWORD

namespace registry {

// Creates the key and every missing parent.
RegStatus CreateKey(RootKey root, std::string_view path);
bool KeyExists(RootKey root, std::string_view path);

// `name` "" is the key's default value. Setting a value creates the key.
RegStatus SetValue(RootKey root, std::string_view path, std::string_view name,
                   const RegistryValue& value);
std::optional<RegistryValue> QueryValue(RootKey root, std::string_view path, std::string_view name);
// The value when it is a string; nothing when absent or of another kind.
std::optional<std::string> QueryString(RootKey root, std::string_view path, std::string_view name);

RegStatus DeleteValue(RootKey root, std::string_view path, std::string_view name);

// Deletes the key with all its subkeys and values.
RegStatus DeleteTree(RootKey root, std::string_view path);

// Immediate subkeys and value names, in the order of their first writing.
std::vector<std::string> SubKeys(RootKey root, std::string_view path);
std::vector<std::string> ValueNames(RootKey root, std::string_view path);

}  // namespace registry
}  // namespace win
