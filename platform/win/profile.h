// Profile (INI) files: WIN.INI of the Windows folder and named profiles such as VX4WIN.INI.
//
// Every call reads or writes the file on disk: nothing is cached, so the "intl" section of WIN.INI
// is read afresh at every use. Sections and keys compare case-insensitively; values are cp1252
// bytes as stored. A file name without a folder is taken from the Windows folder.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace win {

class ProfileFile {
public:
    // `windowsPath` as the caller names it ("VX4WIN.INI", or a full path).
    explicit ProfileFile(std::string windowsPath);

    // WIN.INI of the Windows folder.
    static ProfileFile WinIni();

    // The value, or `fallback` when the key or the file is absent. The result is truncated to
    // `bufferSize - 1` bytes, as a read into a caller's buffer of that size is (bufferSize 0
    // yields "").
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view fallback, std::size_t bufferSize = 4096) const;

    // An optional sign and leading decimal digits; `fallback` for an absent or empty value, 0 for a
    // value that does not start with a number.
    int GetInt(std::string_view section, std::string_view key, int fallback) const;

    // Writes or replaces one value, creating the file and section as needed; false when the file
    // cannot be written. The file is replaced atomically.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);

    // Removes a section with all its keys; true when the file is as asked afterwards.
    bool DeleteSection(std::string_view section);

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

}  // namespace win
