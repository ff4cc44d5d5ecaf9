// A machine root in a fresh temporary folder for one test: created and put in force at
// construction (with drive C: and its WINDOWS\SYSTEM folder), removed at destruction, when the
// previous root is put back. Header-only and free of any test framework, so every layer's tests
// can use it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

#include "platform/win/paths.h"

namespace win::testing {

class TempMachineRoot {
public:
    TempMachineRoot() : previous_(MachineRoot()) {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                              "/machine-root-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        // The real path, so that host paths the tests build compare equal to resolved ones.
        root_ = std::filesystem::canonical(pattern);
        SetMachineRoot(root_);
        std::filesystem::create_directories(DriveC() / "WINDOWS" / "SYSTEM");
    }

    ~TempMachineRoot() {
        SetMachineRoot(previous_);
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    TempMachineRoot(const TempMachineRoot&) = delete;
    TempMachineRoot& operator=(const TempMachineRoot&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    std::filesystem::path DriveC() const { return root_ / "drives" / "c"; }

    // A new empty folder under the root (outside the drives), for mapping another drive.
    std::filesystem::path MakeFolder(const std::string& name) const {
        auto folder = root_ / name;
        std::filesystem::create_directories(folder);
        return folder;
    }

private:
    std::filesystem::path previous_;
    std::filesystem::path root_;
};

}  // namespace win::testing
