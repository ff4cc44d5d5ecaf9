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
//
// A registration writes dozens of values; a registry::Batch makes them one load and one atomic
// save (see there), so that a registration neither rewrites the store once per value nor leaves
// half of itself behind after a crash.
#pragma once

#include <cstdint>
#include <memory>
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

// A run of changes saved together. While a Batch lives, the registry calls of the thread that made
// it read and change one copy of the store, loaded once under the store's lock, and Commit()
// replaces the store with that copy in one atomic save. Until then other threads and processes
// read the store as it was, and their changes wait for the lock; a crash leaves the old store
// whole. A batch destroyed without Commit() drops its changes.
//
// A Batch made while the thread already has one joins it: its Commit() does nothing, and only the
// outermost batch saves. When the store's lock cannot be taken the batch stays inactive and every
// call behaves as without it (a change then fails as it would alone).
class Batch {
public:
    Batch();
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

    // True when this batch holds the lock and collects the thread's changes (not a joined one).
    bool Active() const { return state_ != nullptr; }
    // Saves the changes made since the batch began or was last committed. Success also when there
    // is nothing to save, for a joined batch and for an inactive one; AccessDenied when the save
    // fails (the store is left as it was, the changes stay pending).
    RegStatus Commit();

    struct State;

private:
    std::unique_ptr<State> state_;
};

}  // namespace registry
}  // namespace win
