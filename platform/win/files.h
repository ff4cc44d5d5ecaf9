// Files as the forms runtime offers them, on Windows paths.
//
// Failures raise the runtime's numbers (error.h): 53 file not found, 76 path not found, 70
// permission denied, 75 path/file access error, 68 device unavailable, 52 bad file name.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win/clock.h"

namespace win {

// Directory search with continuation, as the runtime's Dir: First() takes a pattern such as
// "F:\LOJA01\*.OCX" (wildcards * and ? in the last component only, matched case-insensitively)
// and returns the first matching name, Next() the following ones, "" when there are no more.
// Only normal files match: folders, links to folders, and hidden files (a name starting with '.')
// count as absent. Names come back as stored, without their folder, in case-insensitive name order;
// a name that has no Windows form (holding \ : * ? " < > | or a control character) is skipped. A
// pattern ending in a backslash lists the whole folder. An unmapped drive or a missing folder
// yields "" as Windows' search does (no error); an invalid pattern raises 52, and Next() before any
// First() raises 5, as the runtime's Dir without arguments does.
class DirectorySearch {
public:
    std::string First(std::string_view pattern);
    std::string Next();

private:
    std::vector<std::string> names_;
    std::size_t next_ = 0;
    bool started_ = false;
};

// A normal file: not a folder, not hidden (as directory search sees it); false for a path that
// cannot name one (bad name, unmapped drive).
bool FileExists(std::string_view windowsPath);
bool FolderExists(std::string_view windowsPath);

// Modification time in local time, to the second (53 when missing).
CivilTime FileDateTime(std::string_view windowsPath);
std::uint64_t FileLength(std::string_view windowsPath);

// A modification time exactly as the file system keeps it (below the second FileDateTime shows).
using FileTime = std::filesystem::file_time_type;
FileTime FileModified(std::string_view windowsPath);                      // 53 when missing
void SetFileModified(std::string_view windowsPath, FileTime modified);    // 53 when missing

// Copies `from` over `to` (overwriting), keeping the source's modification time, or dating the copy
// `modified` when given. The copy is written to a temporary file beside `to` and renamed into
// place, so a library mapped by a running program is replaced, never overwritten in place.
void CopyFile(std::string_view from, std::string_view to, std::optional<FileTime> modified = std::nullopt);

void DeleteFile(std::string_view windowsPath);                 // 53 when missing
// 58 when `to` names another existing file; a change of case only renames the file in place.
void RenameFile(std::string_view from, std::string_view to);
void CreateFolder(std::string_view windowsPath);               // 75 when it exists

// Case-insensitive wildcard match of one name against a pattern with * and ?, as directory search
// does (so "*.*" matches a name without a dot).
bool MatchesPattern(std::string_view name, std::string_view pattern);

}  // namespace win
