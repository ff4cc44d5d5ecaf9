// Replacing a whole file so that readers see the old or the new content, never a mixture: the
// content goes to a temporary file beside the target, is flushed, and is renamed over it.
#pragma once

#include <filesystem>
#include <string_view>

namespace win {

// Writes all of `text` to `fd`, retrying short writes; false on an error (errno tells which).
bool WriteAll(int fd, std::string_view text);

// Replaces `target` with `content`. The file keeps the permissions of the file it replaces (0644
// for a new one). False, with errno set and nothing left behind, when any step fails.
bool WriteFileAtomically(const std::filesystem::path& target, std::string_view content);

// Flushes a folder so that a rename inside it survives a crash.
void SyncFolder(const std::filesystem::path& folder);

}  // namespace win
