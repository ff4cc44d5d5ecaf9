// A folder built once for a test program and shared by all its test processes.
//
// Under ctest every test runs in a process of its own, so what a fixture builds in SetUpTestSuite
// is built again for each test. A folder kept beside the test program is built once instead,
// named by the program's build (its time and size), by the day and by its kind: a folder from an
// earlier build or day is not reused. A test never changes a shared folder: it copies from it.
//
// Invariants:
//   1. A shared folder is complete when it exists: it is built under another name and renamed
//      into place, with its "complete" mark, in one step.
//   2. One process builds a given folder; the others wait on its lock file (flock, released when
//      the builder ends, even killed) and then use what it published.
// Header-only and free of any test framework, so every layer's tests can use it.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>

namespace win::testing {

// The shared folder of kind `kind`, made by `make` into the empty folder it is given when the
// program has none yet. Building one removes those of earlier builds of the program and days.
inline std::filesystem::path SharedFolder(const std::string& kind,
                                          const std::function<void(const std::filesystem::path&)>& make) {
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
    const std::string build = std::to_string(std::filesystem::last_write_time(exe).time_since_epoch().count()) + "-" +
                              std::to_string(std::filesystem::file_size(exe)) + "-" +
                              std::to_string(std::time(nullptr) / 86400) + "-";
    const std::string prefix = exe.filename().string() + "-shared-";
    const std::filesystem::path shared = exe.parent_path() / (prefix + build + kind);
    if (std::filesystem::exists(shared / "complete")) return shared;

    const std::string lockPath = shared.string() + ".lock";
    const int lock = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lock < 0 || flock(lock, LOCK_EX) != 0) {
        if (lock >= 0) close(lock);
        throw std::runtime_error("cannot lock " + lockPath);
    }
    struct Unlock {
        int fd;
        ~Unlock() { close(fd); }
    } unlock{lock};
    if (std::filesystem::exists(shared / "complete")) return shared;   // built while this one waited

    // What earlier builds of the program (or earlier days) left is of no use any more.
    for (const auto& entry : std::filesystem::directory_iterator(exe.parent_path())) {
        const std::string name = entry.path().filename().string();
        std::error_code ignored;
        if (name.starts_with(prefix) && !name.starts_with(prefix + build)) std::filesystem::remove_all(entry.path(), ignored);
    }
    const std::filesystem::path building = shared.string() + ".building-" + std::to_string(getpid());
    std::filesystem::remove_all(building);
    std::filesystem::create_directories(building);
    make(building);
    std::ofstream(building / "complete") << "built\n";
    std::filesystem::rename(building, shared);
    return shared;
}

// Copies the folder `from` into `to`, each file keeping its date.
inline void CopyKeepingDates(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::filesystem::create_directories(to);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(from)) {
        const std::filesystem::path target = to / std::filesystem::relative(entry.path(), from);
        if (entry.is_directory()) {
            std::filesystem::create_directories(target);
        } else {
            std::filesystem::copy_file(entry.path(), target, std::filesystem::copy_options::overwrite_existing);
            std::filesystem::last_write_time(target, entry.last_write_time());
        }
    }
}

}  // namespace win::testing
