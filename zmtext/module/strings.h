// The library's resources: its string table (user-visible texts, the defaults file's name,
// sections and keys, each under its numeric id), and in time its menus, dialogs, cursors and
// bitmaps. Code names a text by its id and loads it here, so the texts stay in one table and the
// keys of the defaults file are never spelled in code. The controls hand the same table to their
// control base, which raises errors with texts from it.
//
// Building the table creates no window or other GUI object, so registration may load strings on
// a worker thread.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/ctl/resources.h"

namespace zmtext {

// The library's table, built on first use.
const ctl::ResourceTable& ZMResources();

// The text of string `id`, cut to `bufferSize - 1` bytes as a load into a caller's buffer of
// that size is; nothing when the table has no such string or the buffer holds no byte.
std::optional<std::string> ZMLoadString(int id, std::size_t bufferSize = 256);

// String ids the module itself names.
inline constexpr int IDS_PROFILE_FILE = 114;   // the defaults file's name
inline constexpr int IDS_DEFAULT_FONT = 228;   // the font used when none is stored
// The edit fields' context menu (Undo, Cut, Copy, Paste, Delete, Select All).
inline constexpr int IDM_EDIT_CONTEXT = 221;

}  // namespace zmtext
