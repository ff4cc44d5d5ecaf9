// The sample chain built once for a test program and shared by all its test processes.
//
// Under ctest every test runs in a process of its own, so a chain built in SetUpTestSuite would be
// built again for each test. The template is kept beside the test program instead, named by the
// program's build (its time and size) and by the day: the chain dates its files the day before it
// is built, and the log-in's clock check reads those dates, so a chain from another day is not
// reused. A process that finds no template builds one in a folder of its own and renames it into
// place; when another process was quicker, that one's copy is used and this one's dropped.
#pragma once

#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <system_error>

#include "platform/win/paths.h"
#include "tools/sample-chain/chain.h"

namespace sample_chain::testing {

// The machine root of the shared chain; `finish` runs in the new root (the machine root set to it)
// before it is published, e.g. to register a control library there.
inline std::filesystem::path SharedChain(const std::function<void()>& finish = {}) {
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
    const std::string stamp = std::to_string(std::filesystem::last_write_time(exe).time_since_epoch().count()) + "-" +
                              std::to_string(std::filesystem::file_size(exe)) + "-" +
                              std::to_string(std::time(nullptr) / 86400);
    const std::filesystem::path shared = exe.parent_path() / (exe.filename().string() + "-chain-" + stamp);
    if (std::filesystem::exists(shared / "complete")) return shared;

    const std::filesystem::path previous = win::MachineRoot();
    const std::filesystem::path building = shared.string() + ".building-" + std::to_string(getpid());
    std::filesystem::remove_all(building);
    std::filesystem::create_directories(building / "drives" / "c" / "WINDOWS" / "SYSTEM");
    Options options;
    options.root = building;
    BuildChain(options);
    if (finish) finish();
    win::SetMachineRoot(previous);
    std::ofstream(building / "complete") << "built\n";
    std::error_code taken;
    std::filesystem::rename(building, shared, taken);
    if (taken) std::filesystem::remove_all(building);
    return shared;
}

}  // namespace sample_chain::testing
