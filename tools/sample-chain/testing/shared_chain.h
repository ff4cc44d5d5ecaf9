// Sample chains built once for a test program and shared by all its test processes.
//
// Under ctest every test runs in a process of its own, so a chain built in SetUpTestSuite would be
// built again for each test. A template is kept beside the test program instead, named by the
// program's build (its time and size), by the day and by its kind (the options it was built with):
// the chain dates its files the day before it is built, and the log-in's clock check reads those
// dates, so a chain from another day is not reused. A test never works in the template: it copies
// it into a machine root of its own (CopyChain), keeping the files' dates.
//
// Invariants:
//   1. A template folder is complete when it exists: it is built under another name and renamed
//      into place, with its "complete" mark, in one step.
//   2. One process builds a given template; the others wait on its lock file (flock, released when
//      the builder ends, even killed) and then use what it published.
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
#include <system_error>

#include "platform/win/paths.h"
#include "tools/sample-chain/chain.h"

namespace sample_chain::testing {

// The machine root of the shared chain of kind `kind`, built from `options` (its root is ignored).
// `finish` runs in the new root (the machine root set to it) before it is published, e.g. to
// register a control library there.
inline std::filesystem::path SharedChain(const std::string& kind, Options options,
                                         const std::function<void()>& finish = {}) {
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
    const std::string stamp = std::to_string(std::filesystem::last_write_time(exe).time_since_epoch().count()) + "-" +
                              std::to_string(std::filesystem::file_size(exe)) + "-" +
                              std::to_string(std::time(nullptr) / 86400) + "-" + kind;
    const std::filesystem::path shared = exe.parent_path() / (exe.filename().string() + "-chain-" + stamp);
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

    const std::filesystem::path previous = win::MachineRoot();
    const std::filesystem::path building = shared.string() + ".building-" + std::to_string(getpid());
    std::filesystem::remove_all(building);
    std::filesystem::create_directories(building / "drives" / "c" / "WINDOWS" / "SYSTEM");
    options.root = building;
    BuildChain(options);
    if (finish) finish();
    win::SetMachineRoot(previous);
    std::ofstream(building / "complete") << "built\n";
    std::filesystem::rename(building, shared);
    return shared;
}

// The default chain.
inline std::filesystem::path SharedChain(const std::function<void()>& finish = {}) {
    return SharedChain("plain", Options{}, finish);
}

// Copies the chain at `chain` into the machine root `root`, each file keeping its date.
inline void CopyChain(const std::filesystem::path& chain, const std::filesystem::path& root) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(chain)) {
        const std::filesystem::path target = root / std::filesystem::relative(entry.path(), chain);
        if (entry.is_directory()) {
            std::filesystem::create_directories(target);
        } else {
            std::filesystem::copy_file(entry.path(), target, std::filesystem::copy_options::overwrite_existing);
            std::filesystem::last_write_time(target, entry.last_write_time());
        }
    }
}

}  // namespace sample_chain::testing
