// Profile files.
//
// A profile is a text file of "[section]" lines, each followed by "key=value" lines; lines
// starting with ';' and lines without '=' carry no value. Names are trimmed and compared without
// case over cp1252 bytes; a value is trimmed and loses one pair of enclosing quotes. Where a section
// or key appears twice, the first one counts. Writes keep every other line as it was and the
// file's line ending (CRLF for a new file).
//
// A write is a read-modify-write of the whole file, replaced by rename. Writers hold one lock
// for all profile files, against the other threads of the process and against other processes
// ("profile.lock" under the machine root), so two programs writing WIN.INI at once both land.
// Readers take no lock: the rename gives them the old or the new file whole.
#include "platform/win/profile.h"

#include <algorithm>
#include <climits>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "platform/win/atomic_write.h"
#include "platform/win/cp1252.h"
#include "platform/win/error.h"
#include "platform/win/file_lock.h"
#include "platform/win/paths.h"

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
};

// The file's lines; nothing when it cannot be read (a missing file reads as empty).
std::optional<Lines> ReadLines(const fs::path& host) {
    Lines result;
    std::ifstream in(host, std::ios::binary);
    if (!in) {
        std::error_code ec;
        if (fs::exists(host, ec)) return std::nullopt;
        return result;
    }
    std::ostringstream content;
    content << in.rdbuf();
    const std::string text = content.str();
    if (text.find('\n') != std::string::npos && text.find("\r\n") == std::string::npos) result.eol = "\n";
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        result.lines.push_back(std::move(line));
        start = end + 1;
    }
    return result;
}

bool WriteLines(const fs::path& host, const Lines& file) {
    std::string text;
    for (const auto& line : file.lines) text += line + file.eol;
    return WriteFileAtomically(host, text);
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

// The host file of a profile named as the caller names it; nothing when the name cannot be one.
std::optional<fs::path> HostFile(const std::string& windowsPath) {
    const bool bare = windowsPath.find_first_of("\\/:") == std::string::npos;
    try {
        return HostPath(bare ? JoinPath(WindowsFolder(), windowsPath) : windowsPath);
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
}

std::optional<std::string> Lookup(const std::string& windowsPath, std::string_view section,
                                  std::string_view key) {
    const auto host = HostFile(windowsPath);
    const auto file = host ? ReadLines(*host) : std::nullopt;
    const auto range = file ? FindSection(*file, section) : std::nullopt;
    if (!range) return std::nullopt;
    for (std::size_t i = range->first; i < range->second; ++i) {
        const auto line = ParseKeyLine(file->lines[i]);
        if (line && SameName(line->key, key)) return std::string(line->value);
    }
    return std::nullopt;
}

}  // namespace

std::string ProfileFile::GetString(std::string_view section, std::string_view key,
                                   std::string_view fallback, std::size_t bufferSize) const {
    auto value = Lookup(path_, section, key);
    std::string result = value ? std::move(*value) : std::string(fallback);
    if (result.size() >= bufferSize) result.resize(bufferSize == 0 ? 0 : bufferSize - 1);
    return result;
}

int ProfileFile::GetInt(std::string_view section, std::string_view key, int fallback) const {
    const auto value = Lookup(path_, section, key);
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
    const auto host = HostFile(path_);
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
    const auto host = HostFile(path_);
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
