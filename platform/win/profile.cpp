// Profile files.
//
// A profile is a text file of "[section]" lines, each followed by "key=value" lines; lines
// starting with ';' and lines without '=' carry no value. Names are trimmed and compared without
// case over cp1252 bytes; a value is trimmed and loses one pair of enclosing quotes. Where a section
// or key appears twice, the first one counts. Writes keep every other line as it was and the
// file's line ending (CRLF for a new file) and its UTF-8 byte-order mark, which a reader skips.
//
// A write is a read-modify-write of the whole file, replaced by rename. Writers hold one lock
// for all profile files, against the other threads of the process and against other processes
// ("profile.lock" under the machine root), so two programs writing WIN.INI at once both land.
// Readers take no lock: the rename gives them the old or the new file whole. Readers share one
// cache of parsed files, checked against each file's stamp at every read (see CachedProfile).
#include "platform/win/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <ctime>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/win/atomic_write.h"
#include "platform/win/cp1252.h"
#include "platform/win/error.h"
#include "platform/win/file_lock.h"
#include "platform/win/paths.h"
#include "platform/win/text_file.h"

namespace win {
namespace {
namespace fs = std::filesystem;

std::mutex writeMutex;   // the threads' half of the writers' lock

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ToLower1252(static_cast<unsigned char>(a[i])) != ToLower1252(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// The section a line opens, if it is a section line.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    const auto close = line.find(']');
    return Trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyLine> ParseKeyLine(std::string_view line) {
    const auto trimmed = Trim(line);
    const auto equals = trimmed.find('=');
    if (trimmed.empty() || trimmed.front() == ';' || equals == std::string_view::npos) return std::nullopt;
    auto value = Trim(trimmed.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return KeyLine{Trim(trimmed.substr(0, equals)), value};
}

struct Lines {
    std::vector<std::string> lines;
    std::string eol = "\r\n";
    bool byteOrderMark = false;   // written back before the first line
};

Lines SplitLines(std::string_view text) {
    Lines result;
    result.byteOrderMark = SkipByteOrderMark(text);
    if (text.find('\n') != std::string_view::npos && text.find("\r\n") == std::string_view::npos) result.eol = "\n";
    ForEachLine(text, [&](std::string_view line) { result.lines.emplace_back(line); });
    return result;
}

// What identifies one version of a file: a rewrite in place changes its times or its size, a
// replacement by rename its inode (and a time set back by hand still moves the change time).
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
};

bool SameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

bool operator==(const FileStamp& a, const FileStamp& b) {
    return a.device == b.device && a.inode == b.inode && a.size == b.size && SameTime(a.modified, b.modified) &&
           SameTime(a.changed, b.changed);
}

FileStamp StampOf(const struct stat& info) {
    return {info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

std::optional<FileStamp> StampOf(const fs::path& host) {
    struct stat info {};
    if (::stat(host.c_str(), &info) != 0) return std::nullopt;
    return StampOf(info);
}

timespec Now() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now;
}

// A file system stamps a change with a clock that ticks coarser than the stamp's nanoseconds (a
// scheduler tick on a local disk, two seconds on FAT), so a second change within the same tick
// can leave an equal stamp. A stamp proves nothing until the file has been left alone for longer
// than the coarsest tick: until then a reader reads the file again.
constexpr std::int64_t kCoarsestStampTickNs = 2'000'000'000;

// Whether a stamp taken at `seenAt` is old enough that any later change gives another stamp.
bool Settled(const FileStamp& stamp, const timespec& seenAt) {
    const auto ns = [](const timespec& t) { return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec; };
    return ns(seenAt) - std::max(ns(stamp.modified), ns(stamp.changed)) > kCoarsestStampTickNs;
}

enum class Presence { Read, Absent, Unreadable };

struct FileContent {
    Presence presence = Presence::Absent;
    std::string text;
    FileStamp stamp;   // of the file the text was read from
    timespec seenAt{};  // the clock just before the file was opened
};

// The whole file as one version of it, with that version's stamp. A missing file (or folder) is
// absent; a folder, or a file that cannot be opened or read, is unreadable.
FileContent ReadContent(const fs::path& host) {
    FileContent content;
    content.seenAt = Now();
    const int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        content.presence = errno == ENOENT || errno == ENOTDIR ? Presence::Absent : Presence::Unreadable;
        return content;
    }
    struct stat info {};
    content.presence = Presence::Unreadable;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        content.stamp = StampOf(info);
        char buffer[16384];
        ssize_t got = 0;
        while ((got = ::read(fd, buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR)) {
            if (got > 0) content.text.append(buffer, static_cast<std::size_t>(got));
        }
        if (got == 0) content.presence = Presence::Read;
    }
    ::close(fd);
    return content;
}

// The file's lines; nothing when it cannot be read (a missing file reads as empty).
std::optional<Lines> ReadLines(const fs::path& host) {
    const FileContent content = ReadContent(host);
    if (content.presence == Presence::Unreadable) return std::nullopt;
    return SplitLines(content.text);
}

// [first, last) of a section's lines after its header; nothing when the section is absent.
std::optional<std::pair<std::size_t, std::size_t>> FindSection(const Lines& file, std::string_view section) {
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        const auto name = SectionName(file.lines[i]);
        if (!name || !SameName(*name, section)) continue;
        std::size_t end = i + 1;
        while (end < file.lines.size() && !SectionName(file.lines[end])) ++end;
        return std::make_pair(i + 1, end);
    }
    return std::nullopt;
}

// Holds the writers' lock of every profile file for one read-modify-write.
ExclusiveFileLock LockProfiles() { return ExclusiveFileLock(writeMutex, MachineRoot() / "profile.lock"); }

bool IsBlank(const std::string& line) { return Trim(line).empty(); }

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

ProfileFile::ProfileFile(std::string windowsPath) : path_(std::move(windowsPath)) {}

ProfileFile ProfileFile::WinIni() { return ProfileFile(JoinPath(WindowsFolder(), "WIN.INI")); }

namespace {

// The full Windows path of a profile named as the caller names it: a bare name lies in the
// Windows folder.
std::string FullName(const std::string& windowsPath) {
    const bool bare = windowsPath.find_first_of("\\/:") == std::string::npos;
    return bare ? JoinPath(WindowsFolder(), windowsPath) : windowsPath;
}

// The host file of a profile; nothing when the name cannot be one.
std::optional<fs::path> HostFile(const std::string& fullName) {
    try {
        return HostPath(fullName);
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
}

}  // namespace

// The values of a profile as a reader sees them: each section's first appearance, with its keys
// in file order (the first of a repeated key counts).
struct ProfileSections {
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> entries;
    };
    std::vector<Section> sections;
};

namespace {

using Sections = ProfileSections;
using Section = ProfileSections::Section;

std::shared_ptr<const Sections> ParseSections(const Lines& file) {
    auto parsed = std::make_shared<Sections>();
    auto& sections = parsed->sections;
    Section* current = nullptr;
    for (const auto& line : file.lines) {
        if (const auto name = SectionName(line)) {
            const bool repeated = std::any_of(sections.begin(), sections.end(),
                                              [&](const Section& s) { return SameName(s.name, *name); });
            current = repeated ? nullptr : &sections.emplace_back(Section{std::string(*name), {}});
        } else if (const auto entry = current ? ParseKeyLine(line) : std::nullopt) {
            current->entries.emplace_back(entry->key, entry->value);
        }
    }
    return parsed;
}

const std::string* FindValue(const Sections& sections, std::string_view section, std::string_view key) {
    for (const auto& s : sections.sections) {
        if (!SameName(s.name, section)) continue;
        for (const auto& [name, value] : s.entries) {
            if (SameName(name, key)) return &value;
        }
        return nullptr;
    }
    return nullptr;
}

// The readers' cache: each profile file is read and parsed once, and again only when its stamp
// shows another version. Invariants:
//   1. An entry is used without reading the file only when it is settled (its stamp was old
//      enough when taken to vouch for the content) and the stamp on disk is still the same: the
//      file's own for a file that was there, its folder's for one that was absent (a file made
//      under any case of its name changes the folder).
//   2. An entry keeps its resolved host file while the file is there; when the file is gone the
//      Windows name is resolved again, since another case of it may now be the file.
//   3. Every write of this process empties the cache, and a change of the path mapping
//      (PathMappingGeneration) drops it before the next read.
//   4. cacheMutex guards the cache; it is taken after the writers' lock, never before it.
struct CachedProfile {
    fs::path host;                     // empty until first resolved
    std::optional<FileStamp> file;     // nothing when the file was absent
    std::optional<FileStamp> folder;   // the folder's stamp, for an absent file
    bool settled = false;
    std::shared_ptr<const Sections> sections;   // nothing for an absent file
};

std::mutex cacheMutex;
std::unordered_map<std::string, CachedProfile> cache;   // by full Windows name
std::uint64_t cacheGeneration = 0;

// A program reads two or three profiles; the bound only keeps a long run of names (tests, tools)
// from growing the cache without end.
constexpr std::size_t kMaxCachedProfiles = 64;

void ForgetCachedProfiles() {
    const std::lock_guard lock(cacheMutex);
    cache.clear();
}

// Writes the file and empties the readers' cache, whose entries may name it under any case.
bool WriteLines(const fs::path& host, const Lines& file) {
    std::string text(file.byteOrderMark ? kUtf8ByteOrderMark : "");
    for (const auto& line : file.lines) text += line + file.eol;
    const bool written = WriteFileAtomically(host, text);
    ForgetCachedProfiles();
    return written;
}

// Whether `entry` still describes its file without reading it (invariant 1).
bool StillCurrent(const CachedProfile& entry, const std::optional<FileStamp>& onDisk) {
    if (!entry.settled) return false;
    if (entry.file) return onDisk && *onDisk == *entry.file;
    return !onDisk && entry.folder && StampOf(entry.host.parent_path()) == entry.folder;
}

// Reads `host` afresh into `entry`; false when it cannot be read.
bool Refresh(CachedProfile& entry, const fs::path& host) {
    CachedProfile fresh;
    fresh.host = host;
    const timespec folderSeenAt = Now();
    const auto folder = StampOf(host.parent_path());   // before the file: a file made later changes it
    const FileContent content = ReadContent(host);
    if (content.presence == Presence::Unreadable) return false;
    if (content.presence == Presence::Read) {
        fresh.file = content.stamp;
        fresh.settled = Settled(content.stamp, content.seenAt);
        fresh.sections = ParseSections(SplitLines(content.text));
    } else {
        fresh.folder = folder;
        fresh.settled = folder && Settled(*folder, folderSeenAt);
    }
    entry = std::move(fresh);
    return true;
}

// Whether a full name names one file wherever the process stands (a drive letter and a root).
bool IsAbsolute(std::string_view fullName) {
    return fullName.size() >= 3 && fullName[1] == ':' && (fullName[2] == '\\' || fullName[2] == '/');
}

// The profile's values as they are now: from the cache, or read afresh.
std::shared_ptr<const Sections> Current(const std::string& windowsPath) {
    const std::string name = FullName(windowsPath);
    const std::lock_guard lock(cacheMutex);
    if (cacheGeneration != PathMappingGeneration() || cache.size() >= kMaxCachedProfiles) {
        cache.clear();
        cacheGeneration = PathMappingGeneration();
    }
    CachedProfile relative;   // a relative name depends on the current folder: never kept
    const bool kept = IsAbsolute(name);
    CachedProfile& entry = kept ? cache[name] : relative;
    const auto onDisk = entry.host.empty() ? std::nullopt : StampOf(entry.host);
    if (!StillCurrent(entry, onDisk)) {
        const auto host = onDisk ? std::optional<fs::path>(entry.host) : HostFile(name);
        if (!host || !Refresh(entry, *host)) {
            if (kept) cache.erase(name);
            return nullptr;
        }
    }
    return entry.sections;
}

}  // namespace

ProfileSnapshot ProfileFile::Snapshot() const {
    ProfileSnapshot snapshot;
    snapshot.sections_ = Current(path_);
    return snapshot;
}

std::string ProfileFile::GetString(std::string_view section, std::string_view key,
                                   std::string_view fallback, std::size_t bufferSize) const {
    return Snapshot().GetString(section, key, fallback, bufferSize);
}

int ProfileFile::GetInt(std::string_view section, std::string_view key, int fallback) const {
    return Snapshot().GetInt(section, key, fallback);
}

std::string ProfileSnapshot::GetString(std::string_view section, std::string_view key,
                                       std::string_view fallback, std::size_t bufferSize) const {
    const std::string* value = sections_ ? FindValue(*sections_, section, key) : nullptr;
    std::string result(value ? std::string_view(*value) : fallback);
    if (result.size() >= bufferSize) result.resize(bufferSize == 0 ? 0 : bufferSize - 1);
    return result;
}

int ProfileSnapshot::GetInt(std::string_view section, std::string_view key, int fallback) const {
    const std::string* value = sections_ ? FindValue(*sections_, section, key) : nullptr;
    if (!value || value->empty()) return fallback;
    std::size_t i = 0;
    const bool negative = (*value)[0] == '-';
    if ((*value)[0] == '-' || (*value)[0] == '+') ++i;
    long long number = 0;
    for (; i < value->size() && (*value)[i] >= '0' && (*value)[i] <= '9'; ++i) {
        number = std::min<long long>(number * 10 + ((*value)[i] - '0'), 1LL + INT_MAX);
    }
    if (negative) number = -number;
    return static_cast<int>(std::clamp<long long>(number, INT_MIN, INT_MAX));
}

bool ProfileFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    // A line break, a ']' in a section or a '=' in a key would make another entry of the file.
    if (section.empty() || key.empty() || Trim(key) != key || HasLineBreak(section) ||
        section.find(']') != std::string_view::npos || HasLineBreak(key) ||
        key.find('=') != std::string_view::npos || key.front() == ';' || key.front() == '[' ||
        HasLineBreak(value)) {
        return false;
    }
    const ExclusiveFileLock lock = LockProfiles();
    const auto host = HostFile(FullName(path_));
    auto file = host && lock.Held() ? ReadLines(*host) : std::nullopt;
    if (!file) return false;
    const std::string entry = std::string(key) + "=" + std::string(value);
    if (const auto range = FindSection(*file, section)) {
        std::size_t insertAt = range->first;
        for (std::size_t i = range->first; i < range->second; ++i) {
            const auto line = ParseKeyLine(file->lines[i]);
            if (line && SameName(line->key, key)) {
                file->lines[i] = std::string(line->key) + "=" + std::string(value);
                return WriteLines(*host, *file);
            }
            if (!IsBlank(file->lines[i])) insertAt = i + 1;
        }
        file->lines.insert(file->lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
    } else {
        if (!file->lines.empty() && !IsBlank(file->lines.back())) file->lines.emplace_back();
        file->lines.push_back("[" + std::string(section) + "]");
        file->lines.push_back(entry);
    }
    return WriteLines(*host, *file);
}

bool ProfileFile::DeleteSection(std::string_view section) {
    const ExclusiveFileLock lock = LockProfiles();
    const auto host = HostFile(FullName(path_));
    auto file = host && lock.Held() ? ReadLines(*host) : std::nullopt;
    if (!file) return false;
    bool changed = false;
    while (const auto range = FindSection(*file, section)) {
        file->lines.erase(file->lines.begin() + static_cast<std::ptrdiff_t>(range->first - 1),
                          file->lines.begin() + static_cast<std::ptrdiff_t>(range->second));
        changed = true;
    }
    return !changed || WriteLines(*host, *file);
}

}  // namespace win
