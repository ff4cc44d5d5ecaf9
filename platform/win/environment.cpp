#include "platform/win/environment.h"

#include "platform/win/cp1252.h"

extern char** environ;

namespace win {

std::optional<std::string> Environ(std::string_view name) {
    if (name.empty() || name.find('=') != std::string_view::npos) return std::nullopt;
    std::optional<std::string> firstMatch;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        const auto equals = text.find('=');
        if (equals == std::string_view::npos) continue;
        const auto entryName = text.substr(0, equals);
        const auto value = text.substr(equals + 1);
        if (entryName == name) return std::string(value);
        if (!firstMatch && EqualsIgnoringCase(entryName, name)) firstMatch = std::string(value);
    }
    return firstMatch;
}

}  // namespace win
