#include "platform/win/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <utility>

#include "platform/win/atomic_write.h"
#include "platform/win/cp1252.h"
#include "platform/win/error.h"
#include "platform/win/paths.h"

namespace win {
namespace {
namespace fs = std::filesystem;

// The runtime's number for a failed system call; `missing` is what absence means to the caller.
[[noreturn]] void RaiseErrno(int error, long missing) {
    switch (error) {
        case ENOENT: Raise(missing);
        case ENOTDIR: Raise(err::PathNotFound);
        case EACCES: case EPERM: case EROFS: case ETXTBSY: Raise(err::PermissionDenied);
        case EEXIST: Raise(err::FileAlreadyExists);
        case EXDEV: Raise(74);   // "Can't rename with different drive"
        case ENOSPC: Raise(61);  // "Disk full"
        case ENAMETOOLONG: Raise(err::BadFileName);
        default: Raise(err::PathFileAccessError);
    }
}

struct stat StatOrRaise(const fs::path& host, long missing) {
    struct stat info {};
    if (::stat(host.c_str(), &info) != 0) RaiseErrno(errno, missing);
    return info;
}

bool IsHidden(const std::string& name) { return !name.empty() && name[0] == '.'; }

// A name that a Windows path can spell.
bool HasWindowsForm(const std::string& name) {
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || std::string_view("\\:*?\"<>|").find(c) != std::string_view::npos;
    });
}

bool Glob(std::u32string_view name, std::u32string_view pattern) {
    std::size_t n = 0, p = 0, starP = std::u32string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == U'*') {
            starP = p++;
            starN = n;
        } else if (starP != std::u32string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*') ++p;
    return p == pattern.size();
}

void CheckPatternName(std::string_view name) {
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || std::string_view("<>\"|:").find(c) != std::string_view::npos) {
            Raise(err::BadFileName);
        }
    }
}

std::vector<std::string> MatchingFiles(const fs::path& folder, std::string_view pattern) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        auto name = it->path().filename().string();
        std::error_code statusError;
        if (IsHidden(name) || !HasWindowsForm(name) || !fs::is_regular_file(it->status(statusError))) {
            continue;
        }
        if (MatchesPattern(name, pattern)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const auto fa = FoldedCodePoints(a), fb = FoldedCodePoints(b);
        return fa != fb ? fa < fb : a < b;
    });
    return names;
}

// Removes a temporary file unless it was renamed into place.
class TemporaryFile {
public:
    explicit TemporaryFile(const fs::path& besides) : path_(besides.string() + ".XXXXXX") {
        fd_ = ::mkstemp(path_.data());
        if (fd_ < 0) RaiseErrno(errno == ENOENT ? ENOTDIR : errno, err::PathNotFound);
    }
    ~TemporaryFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!kept_) ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int Fd() const { return fd_; }
    void RenameTo(const fs::path& target) {
        const int closeResult = ::close(std::exchange(fd_, -1));
        if (closeResult != 0) RaiseErrno(errno, err::PathFileAccessError);
        if (::rename(path_.c_str(), target.c_str()) != 0) RaiseErrno(errno, err::PathNotFound);
        kept_ = true;
    }

private:
    std::string path_;
    int fd_ = -1;
    bool kept_ = false;
};

void CopyContent(int from, int to) {
    char buffer[65536];
    while (true) {
        const auto got = ::read(from, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) RaiseErrno(errno, err::PathFileAccessError);
        if (got == 0) return;
        if (!WriteAll(to, std::string_view(buffer, static_cast<std::size_t>(got)))) {
            RaiseErrno(errno, err::PathFileAccessError);
        }
    }
}

// Closes a descriptor at the end of its scope.
struct FdGuard {
    int fd;
    ~FdGuard() { if (fd >= 0) ::close(fd); }
};

}  // namespace

bool MatchesPattern(std::string_view name, std::string_view pattern) {
    const auto n = FoldedCodePoints(name);
    const auto p = FoldedCodePoints(pattern);
    if (Glob(n, p)) return true;
    const bool noDot = n.find(U'.') == std::u32string::npos;
    // "NAME.*" also matches "NAME", and "*." matches the names without an extension.
    if (noDot && p.size() >= 2 && p.ends_with(U".*")) return Glob(n, std::u32string_view(p).substr(0, p.size() - 2));
    if (noDot && p.size() >= 2 && p.back() == U'.') return Glob(n, std::u32string_view(p).substr(0, p.size() - 1));
    return false;
}

std::string DirectorySearch::First(std::string_view pattern) {
    if (pattern.empty()) Raise(err::BadFileName);
    auto split = pattern.find_last_of("\\/");
    if (split == std::string_view::npos && pattern.size() >= 2 && pattern[1] == ':') split = 1;
    const auto folder = split == std::string_view::npos ? std::string_view{} : pattern.substr(0, split + 1);
    auto name = split == std::string_view::npos ? pattern : pattern.substr(split + 1);
    if (name.empty()) name = "*";
    CheckPatternName(name);
    names_.clear();
    next_ = 0;
    started_ = true;
    fs::path host;
    try {
        host = folder.empty() ? fs::current_path() : HostPath(folder);
    } catch (const RuntimeError& e) {
        if (e.Number() != err::DeviceUnavailable && e.Number() != err::PathNotFound) throw;
        return {};
    }
    names_ = MatchingFiles(host, name);
    return Next();
}

std::string DirectorySearch::Next() {
    if (!started_) Raise(err::InvalidProcedureCall);
    return next_ < names_.size() ? names_[next_++] : std::string();
}

bool FileExists(std::string_view windowsPath) {
    try {
        const auto host = HostPath(windowsPath);
        std::error_code ec;
        return fs::is_regular_file(host, ec) && !IsHidden(host.filename().string());
    } catch (const RuntimeError&) {
        return false;
    }
}

bool FolderExists(std::string_view windowsPath) {
    try {
        std::error_code ec;
        return fs::is_directory(HostPath(windowsPath), ec);
    } catch (const RuntimeError&) {
        return false;
    }
}

CivilTime FileDateTime(std::string_view windowsPath) {
    return LocalCivilTime(StatOrRaise(HostPath(windowsPath), err::FileNotFound).st_mtim.tv_sec);
}

std::uint64_t FileLength(std::string_view windowsPath) {
    const auto info = StatOrRaise(HostPath(windowsPath), err::FileNotFound);
    if (S_ISDIR(info.st_mode)) Raise(err::FileNotFound);
    return static_cast<std::uint64_t>(info.st_size);
}

FileTime FileModified(std::string_view windowsPath) {
    std::error_code ec;
    const FileTime modified = fs::last_write_time(HostPath(windowsPath), ec);
    if (ec) RaiseErrno(ec.value(), err::FileNotFound);
    return modified;
}

void SetFileModified(std::string_view windowsPath, FileTime modified) {
    std::error_code ec;
    fs::last_write_time(HostPath(windowsPath), modified, ec);
    if (ec) RaiseErrno(ec.value(), err::FileNotFound);
}

void CopyFile(std::string_view from, std::string_view to, std::optional<FileTime> modified) {
    const auto source = HostPath(from);
    const FdGuard in{::open(source.c_str(), O_RDONLY | O_CLOEXEC)};
    if (in.fd < 0) RaiseErrno(errno == ENOTDIR ? ENOENT : errno, err::FileNotFound);
    struct stat info {};
    if (::fstat(in.fd, &info) != 0 || !S_ISREG(info.st_mode)) Raise(err::PathFileAccessError);
    const auto target = HostPath(to);
    std::error_code ec;
    if (fs::is_directory(target, ec)) Raise(err::PathFileAccessError);
    TemporaryFile copy(target);
    CopyContent(in.fd, copy.Fd());
    timespec times[2] = {info.st_atim, info.st_mtim};
    if (modified) {
        using namespace std::chrono;
        const auto since = duration_cast<nanoseconds>(file_clock::to_sys(*modified).time_since_epoch());
        const auto seconds = floor<std::chrono::seconds>(since);
        times[1].tv_sec = static_cast<std::time_t>(seconds.count());
        times[1].tv_nsec = static_cast<long>((since - seconds).count());
    }
    if (::fchmod(copy.Fd(), info.st_mode & 07777) != 0 || ::futimens(copy.Fd(), times) != 0 ||
        ::fsync(copy.Fd()) != 0) {
        RaiseErrno(errno, err::PathFileAccessError);
    }
    copy.RenameTo(target);
}

void DeleteFile(std::string_view windowsPath) {
    const auto host = HostPath(windowsPath);
    struct stat info {};
    if (::lstat(host.c_str(), &info) != 0) RaiseErrno(errno == ENOTDIR ? ENOENT : errno, err::FileNotFound);
    if (S_ISDIR(info.st_mode)) Raise(err::FileNotFound);
    if (::unlink(host.c_str()) != 0) RaiseErrno(errno, err::FileNotFound);
}

void RenameFile(std::string_view from, std::string_view to) {
    const auto source = HostPath(from);
    struct stat info {};
    if (::lstat(source.c_str(), &info) != 0) RaiseErrno(errno == ENOTDIR ? ENOENT : errno, err::FileNotFound);
    auto target = HostPath(to);
    std::error_code ec;
    if (fs::exists(fs::symlink_status(target, ec))) {
        if (!fs::equivalent(source, target, ec)) Raise(err::FileAlreadyExists);
        // The same file under another case: take the name as written this time.
        const auto written = to.substr(to.find_last_of("\\/:") + 1);
        target = target.parent_path() / std::string(written);
    }
    if (::rename(source.c_str(), target.c_str()) != 0) RaiseErrno(errno, err::PathNotFound);
}

void CreateFolder(std::string_view windowsPath) {
    const auto host = HostPath(windowsPath);
    if (::mkdir(host.c_str(), 0777) != 0) {
        RaiseErrno(errno == EEXIST ? EIO : errno, err::PathNotFound);
    }
}

}  // namespace win
