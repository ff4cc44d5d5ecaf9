// Folders renamed after a fixture built them, for tests that run the program from a folder whose
// name it did not choose.
#pragma once

#include <filesystem>
#include <string>

#include "platform/win/paths.h"

namespace report::testing {

// Below a drive's root: a quote in two of its components and letters of two other scripts, as
// F:\LOJA D'OURO or C:\D'AVILA name real stores' folders.
inline constexpr const char* kQuotedFolder = "LOJA D'OURO\\ЛАВКА 東京 D'AVILA";

// Moves the folder `from` to `to` (both Windows paths), making the parents `to` lacks.
inline void MoveFolder(const std::string& from, const std::string& to) {
    const std::filesystem::path target = win::HostPath(to);
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::rename(win::HostPath(from), target);
}

}  // namespace report::testing
