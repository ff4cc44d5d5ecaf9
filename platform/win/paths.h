// Windows paths over a Linux file system.
//
// The system names its files with Windows paths ("C:\LOJA01\Produto.MDB"). They stay Windows
// paths everywhere above this layer and become host paths only here, at the file boundary.
//
// The machine root is a folder holding:
//   drives/<letter>/   one folder, or a link to one, per mapped drive letter (lower case);
//   the Windows folder, reached through drive C: as `WinDir` says (default "C:\WINDOWS"),
//                      with WIN.INI and SYSTEM\ inside it;
//   registry.dat       the registry store (see registry.h).
// Invariants:
//   1. A Windows path resolves component by component, matching each against the real directory
//      case-insensitively ("BD2.MDB" finds "Bd2.MDB"); a component that does not exist keeps the
//      case written, so new files take the case the program wrote.
//   2. A resolved path never leaves its drive's folder: ".." stops at the drive root, and a link
//      inside a drive whose target lies outside that drive's folder resolves as "path not found".
//   3. A host path outside every mapped drive shows as drive Z: over "/", so every host path has a
//      Windows form and HostPath(WindowsPath(p)) == p for an existing p whose folders are real
//      (HostPath starts from the real folder of a drive, not from its link under drives/).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace win {

// Name of the environment variable that names the machine root. Without it the root is the
// per-user default "$XDG_DATA_HOME/report/machine" (or "~/.local/share/report/machine").
inline constexpr const char* kMachineRootVariable = "REPORT_MACHINE_ROOT";

// The machine root in force; read from the environment on first use.
const std::filesystem::path& MachineRoot();

// Replaces the machine root for this process (tests, tools). Creates drives/c when missing. Call it
// before other threads use paths: a reference MachineRoot() returned sees the new value.
void SetMachineRoot(const std::filesystem::path& root);

// Maps `letter` (A-Y) to `folder` by creating drives/<letter> as a link to it, replacing an earlier
// link or an empty folder (5 for another letter, 75 when drives/<letter> cannot be replaced).
void MapDrive(char letter, const std::filesystem::path& folder);

// A count that changes whenever this process's SetMachineRoot or MapDrive changes what Windows
// paths resolve to, so that a cache of resolved paths knows when to drop them. A drive another
// process maps again is not counted.
std::uint64_t PathMappingGeneration();

// Resolves a Windows path to a host path (invariants 1 and 2). A relative path is taken from the
// process's current directory. Raises 68 "Device unavailable" for an unmapped drive letter, 52
// "Bad file name or number" for a name Windows refuses (empty, or holding one of <>"|?* or a control
// character), and 76 "Path not found" for a link that escapes its drive. A missing file or folder is
// not an error here: the caller decides what absence means.
std::filesystem::path HostPath(std::string_view windowsPath);

// The Windows form of a host path: "C:\..." under a mapped drive (the longest matching drive
// folder wins), "Z:\..." otherwise. Separators are backslashes; case is the real one.
std::string WindowsPath(const std::filesystem::path& hostPath);

// The folder of the running executable, in Windows form, without a closing backslash (except a
// drive root, "Z:\").
std::string ProgramFolder();

// `WinDir` from the environment (default "C:\WINDOWS"), and its SYSTEM folder ("...\SYSTEM").
std::string WindowsFolder();
std::string SystemFolder();

// Joins a folder and a name with exactly one backslash between them.
std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace win
