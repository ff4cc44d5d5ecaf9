#include "platform/win/paths.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/win/cp1252.h"
#include "platform/win/environment.h"
#include "platform/win/error.h"

namespace win {
namespace fs = std::filesystem;
namespace {

std::mutex rootMutex;
std::optional<fs::path> machineRoot;   // guarded by rootMutex; set on first use
std::atomic<std::uint64_t> mappingGeneration{0};

fs::path DefaultMachineRoot() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/') {
        return fs::path(data) / "report" / "machine";
    }
    const char* home = std::getenv("HOME");
    return fs::path(home != nullptr && *home != '\0' ? home : "/tmp") / ".local" / "share" /
           "report" / "machine";
}

void CreateDriveC(const fs::path& root) {
    std::error_code ignored;
    fs::create_directories(root / "drives" / "c", ignored);
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char LowerLetter(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 0x20) : c; }

// A Windows path taken apart: the drive letter (lower case) and the components below the drive's
// root, with "." and ".." already applied (".." stops at the root).
struct WindowsParts {
    char drive = 'c';
    std::vector<std::string> components;
};

void CheckCharacters(std::string_view path) {
    if (path.empty()) Raise(err::BadFileName);
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        const bool driveColon = c == ':' && i == 1 && IsDriveLetter(path[0]);
        if (c < 0x20 || c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*' ||
            (c == ':' && !driveColon)) {
            Raise(err::BadFileName);
        }
    }
}

// Windows ignores trailing dots and spaces of a name ("Dados." is "Dados").
std::string_view TrimTrailingDots(std::string_view component) {
    while (!component.empty() && (component.back() == '.' || component.back() == ' ')) {
        component.remove_suffix(1);
    }
    return component;
}

void AppendComponents(std::vector<std::string>& components, std::string_view rest) {
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = start;
        while (end < rest.size() && !IsSeparator(rest[end])) ++end;
        const auto component = rest.substr(start, end - start);
        if (component == "..") {
            if (!components.empty()) components.pop_back();
        } else if (component != "." && !TrimTrailingDots(component).empty()) {
            components.emplace_back(TrimTrailingDots(component));
        }
        start = end + 1;
    }
}

WindowsParts SplitWindowsPath(std::string_view path) {
    CheckCharacters(path);
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        Raise(err::BadFileName);   // network names have no stand-in
    }
    WindowsParts parts;
    std::string_view rest = path;
    if (path.size() >= 2 && path[1] == ':') {
        parts.drive = LowerLetter(path[0]);
        rest = path.substr(2);
    } else {
        parts = SplitWindowsPath(WindowsPath(fs::current_path()));
        if (IsSeparator(path[0])) parts.components.clear();
    }
    AppendComponents(parts.components, rest);
    return parts;
}

// The real folder of a drive: "/" for Z:, the target of drives/<letter> otherwise.
fs::path DriveFolder(char drive) {
    if (drive == 'z') return "/";
    std::error_code ec;
    auto folder = fs::canonical(MachineRoot() / "drives" / std::string(1, drive), ec);
    if (ec || !fs::is_directory(folder, ec)) Raise(err::DeviceUnavailable);
    return folder;
}

// The name of the entry in `folder` that `name` designates, matched case-insensitively; the
// exact spelling wins, then the first in byte order.
std::optional<std::string> FindEntry(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(folder / name, ec))) return name;
    ec.clear();
    std::optional<std::string> found;
    const auto wanted = FoldedCodePoints(name);
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        auto candidate = it->path().filename().string();
        if (FoldedCodePoints(candidate) == wanted && (!found || candidate < *found)) {
            found = std::move(candidate);
        }
    }
    return found;
}

bool IsWithin(const fs::path& path, const fs::path& folder) {
    auto p = path.begin();
    for (auto f = folder.begin(); f != folder.end(); ++f, ++p) {
        if (f->empty()) continue;   // a trailing separator of `folder`
        if (p == path.end() || *p != *f) return false;
    }
    return true;
}

// A link that lies inside a drive must lead to a place inside that drive's folder.
void CheckLinkStaysInside(const fs::path& link, const fs::path& driveFolder) {
    std::error_code ec;
    // Read the link itself first: a dangling link's target is not something canonical() sees.
    auto target = fs::read_symlink(link, ec);
    if (!ec && target.is_relative()) target = link.parent_path() / target;
    if (!ec) target = fs::weakly_canonical(target, ec);
    if (ec || !IsWithin(target, driveFolder)) Raise(err::PathNotFound);
}

fs::path WithoutTrailingSeparator(fs::path path) {
    if (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
    return path;
}

struct DriveMatch {
    char letter = 'z';
    fs::path folder = "/";
    std::size_t depth = 0;
};

std::size_t Depth(const fs::path& path) { return static_cast<std::size_t>(std::distance(path.begin(), path.end())); }

// The mapped drive whose folder (as linked, or its real target) holds `path` most closely.
std::optional<DriveMatch> FindDrive(const fs::path& path) {
    std::optional<DriveMatch> best;
    std::error_code ec;
    const auto drives = MachineRoot() / "drives";
    for (fs::directory_iterator it(drives, ec), end; !ec && it != end; it.increment(ec)) {
        const auto name = it->path().filename().string();
        if (name.size() != 1 || name[0] < 'a' || name[0] > 'y') continue;
        std::error_code canonicalError;
        const auto real = fs::canonical(it->path(), canonicalError);
        for (const auto& folder : {it->path(), real}) {
            if (folder.empty() || !IsWithin(path, folder)) continue;
            if (!best || Depth(folder) > best->depth) best = DriveMatch{name[0], folder, Depth(folder)};
        }
    }
    return best;
}

std::string WindowsForm(char letter, const fs::path& relative) {
    std::string out{static_cast<char>(letter - 0x20), ':', '\\'};
    for (const auto& component : relative) {
        const auto text = component.string();
        if (text.empty() || text == ".") continue;
        if (out.back() != '\\') out += '\\';
        out += text;
    }
    return out;
}

}  // namespace

const fs::path& MachineRoot() {
    std::lock_guard lock(rootMutex);
    if (!machineRoot) {
        const char* named = std::getenv(kMachineRootVariable);
        machineRoot = fs::absolute(named != nullptr && *named != '\0' ? fs::path(named)
                                                                      : DefaultMachineRoot());
        CreateDriveC(*machineRoot);
    }
    return *machineRoot;
}

void SetMachineRoot(const fs::path& root) {
    std::lock_guard lock(rootMutex);
    machineRoot = fs::absolute(root);
    CreateDriveC(*machineRoot);
    ++mappingGeneration;
}

std::uint64_t PathMappingGeneration() { return mappingGeneration.load(); }

void MapDrive(char letter, const fs::path& folder) {
    const char drive = LowerLetter(letter);
    if (drive < 'a' || drive > 'y') Raise(err::InvalidProcedureCall);
    const auto drives = MachineRoot() / "drives";
    const auto link = drives / std::string(1, drive);
    std::error_code ec;
    fs::create_directories(drives, ec);
    // An existing link is replaced; an existing folder only when empty, never with its files.
    if (fs::exists(fs::symlink_status(link, ec))) {
        fs::remove(link, ec);
        if (ec) Raise(err::PathFileAccessError);
    }
    ++mappingGeneration;   // the old link is gone even when the new one fails
    fs::create_directory_symlink(fs::absolute(folder), link, ec);
    if (ec) Raise(err::PathFileAccessError);
}

fs::path HostPath(std::string_view windowsPath) {
    const auto parts = SplitWindowsPath(windowsPath);
    const auto driveFolder = DriveFolder(parts.drive);
    fs::path current = driveFolder;
    bool existing = true;
    for (const auto& component : parts.components) {
        if (existing) {
            const auto entry = FindEntry(current, component);
            existing = entry.has_value();
            current /= entry ? *entry : component;
            std::error_code ec;
            if (existing && fs::is_symlink(current, ec)) CheckLinkStaysInside(current, driveFolder);
        } else {
            current /= component;
        }
    }
    return current;
}

std::string WindowsPath(const fs::path& hostPath) {
    auto path = WithoutTrailingSeparator(
        (hostPath.is_absolute() ? hostPath : fs::current_path() / hostPath).lexically_normal());
    auto drive = FindDrive(path);
    if (!drive) {
        std::error_code ec;
        const auto real = fs::weakly_canonical(path, ec);
        if (!ec && real != path) {
            path = WithoutTrailingSeparator(real);
            drive = FindDrive(path);
        }
    }
    if (!drive) return WindowsForm('z', path.relative_path());
    return WindowsForm(drive->letter, path.lexically_relative(drive->folder));
}

std::string ProgramFolder() {
    std::error_code ec;
    const auto executable = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return WindowsForm('z', fs::current_path().relative_path());
    return WindowsPath(executable.parent_path());
}

std::string WindowsFolder() {
    auto value = Environ("WinDir");
    return value && !value->empty() ? *value : std::string("C:\\WINDOWS");
}

std::string SystemFolder() { return JoinPath(WindowsFolder(), "SYSTEM"); }

std::string JoinPath(std::string_view folder, std::string_view name) {
    while (!folder.empty() && folder.back() == '\\') folder.remove_suffix(1);
    while (!name.empty() && name.front() == '\\') name.remove_prefix(1);
    std::string out(folder);
    out += '\\';
    out += name;
    return out;
}

}  // namespace win
