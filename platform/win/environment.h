// Environment variables as the runtime reads them: names compare case-insensitively.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace win {

// The value of `name`, or nothing when it is not set. When several variables differ only in
// case, the exact spelling wins, then the first in the environment's order.
std::optional<std::string> Environ(std::string_view name);

}  // namespace win
