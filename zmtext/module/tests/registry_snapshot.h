// The whole registry as a sorted list of lines, for tests that compare it before and after.
#pragma once

#include <map>
#include <string>
#include <variant>

#include "platform/win/registry.h"

namespace zmtext::testing {

inline void AddKeyLines(win::RootKey root, const std::string& key,
                        std::map<std::string, std::string>& lines) {
    namespace reg = win::registry;
    const std::string shown = (root == win::RootKey::ClassesRoot ? "HKCR\\" : "HKLM\\") + key;
    lines["[" + shown + "]"] = "";
    for (const auto& name : reg::ValueNames(root, key)) {
        const auto value = reg::QueryValue(root, key, name);
        std::string text = "(absent)";
        if (value) {
            text = std::holds_alternative<std::string>(*value) ? std::get<std::string>(*value)
                                                               : std::to_string(std::get<std::uint32_t>(*value));
        }
        lines[shown + "\\@" + name] = text;
    }
    for (const auto& sub : reg::SubKeys(root, key))
        AddKeyLines(root, key.empty() ? sub : key + "\\" + sub, lines);
}

// Both roots, each key as "[path]" and each value as "path\@name" -> its text. Read from one copy
// of the store (a batch that changes nothing), not one load per key.
inline std::map<std::string, std::string> RegistrySnapshot() {
    win::registry::Batch oneRead;
    std::map<std::string, std::string> lines;
    AddKeyLines(win::RootKey::ClassesRoot, "", lines);
    AddKeyLines(win::RootKey::LocalMachine, "", lines);
    return lines;
}

}  // namespace zmtext::testing
