// The library's string table: user-visible texts, the defaults file's name, sections and keys,
// each under its numeric id. Code names a text by its id and loads it here, so the texts stay in
// one table and the keys of the defaults file are never spelled in code.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace zmtext {

// The text of string `id`, cut to `bufferSize - 1` bytes as a load into a caller's buffer of
// that size is; nothing when the table has no such string or the buffer holds no byte.
std::optional<std::string> ZMLoadString(int id, std::size_t bufferSize = 256);

// String ids the module itself names.
inline constexpr int IDS_PROFILE_FILE = 114;   // the defaults file's name
inline constexpr int IDS_DEFAULT_FONT = 228;   // the font used when none is stored

}  // namespace zmtext
