// Profile (INI) files: WIN.INI of the Windows folder and named profiles such as VX4WIN.INI.
//
// Every read sees the file as it is on disk at that moment: a write of this program at once, and
// another program's change at the first read after it. To make that cheap (the edit controls
// read a dozen "intl" keys of WIN.INI at every key typed), each file is read and parsed once and
// again only when its stamp (inode, size, and modification and change times to the nanosecond)
// differs, or while it is too recent for its stamp to vouch for it. A write replaces the file and
// drops what readers had cached.
//
// Sections and keys compare case-insensitively; values are cp1252 bytes as stored. A leading UTF-8
// byte-order mark belongs to no line: it is skipped on reading and kept on writing. A file name
// without a folder is taken from the Windows folder.
//
// Threads: any thread may read and write; one mutex guards the readers' cache, and writers hold
// the writers' lock of every profile file.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace win {

struct ProfileSections;

// The values of one profile file as they were when taken: a reader that needs several keys at
// once takes them from one look at the file. Cheap to copy; it never changes.
class ProfileSnapshot {
public:
    // As ProfileFile's, over the values taken.
    std::string GetString(std::string_view section, std::string_view key, std::string_view fallback,
                          std::size_t bufferSize = 4096) const;
    int GetInt(std::string_view section, std::string_view key, int fallback) const;

private:
    friend class ProfileFile;
    std::shared_ptr<const ProfileSections> sections_;   // nothing for an absent or unreadable file
};

class ProfileFile {
public:
    // `windowsPath` as the caller names it ("VX4WIN.INI", or a full path).
    explicit ProfileFile(std::string windowsPath);

    // WIN.INI of the Windows folder.
    static ProfileFile WinIni();

    // The file's values as they are now (an absent or unreadable file has none).
    ProfileSnapshot Snapshot() const;

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
