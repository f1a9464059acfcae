#pragma once
// The machine root and the mapping of Windows paths onto it.
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace winplat {

// A Windows path that cannot be mapped (escapes the root, names a device,
// holds characters no Windows file name may hold).
class PathError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A machine root that cannot be made or filled; what() is
// "Machine root PATH: REASON".
class MachineRootError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Host folder of this process's machine root: FIELDRAY_ROOT, else a per-user
// default (without HOME and XDG_DATA_HOME a folder "fieldray-root-UID" in the
// system's temporary folder, private to the user). On first use in a process
// it is created when missing; a new root (one whose fill never completed) is
// filled with every template file it lacks and then marked filled, so a
// filled root is never filled again. Files already there are never replaced.
// Throws MachineRootError when that fails ("template not found: TEMPLATE"
// for a new root without its template, before anything is made); a later
// call tries again.
std::filesystem::path MachineRoot();

// MachineRoot for the start of a program that writes to it: false, with the
// error's text in `error`, when the root cannot be made or filled, when a
// file cannot be written in it ("Machine root PATH: not writable: REASON"),
// or when its registry cannot be read (CheckRegistry).
bool OpenMachineRoot(std::string* error);

// The machine root as it is, for a program that only looks at it: neither made
// nor filled. False, with "Machine root PATH: no such folder" in `error`, when
// it is not there, or with CheckRegistry's text when its registry cannot be read.
bool OpenExistingMachineRoot(std::string* error);

// Forgets the cached root (tests that switch FIELDRAY_ROOT).
void ResetMachineRoot();

// The full Windows form of a path: drive, backslashes, no "." or ".." left,
// relative paths taken against the current folder ("x.txt" -> "C:\Fieldray\x.txt").
// Throws PathError as HostPath does.
std::string FullPath(std::string_view windowsPath);

// Host path for a Windows path ("C:\Fieldray\Fldry.INI" -> <root>/C/Fieldray/Fldry.INI).
// Each component is looked up with its exact case first, then without regard
// to letter case (the first in sorted order wins among names that differ only
// in case); components that do not exist are taken as given.
// Throws PathError for a path that escapes its drive, a device or network path
// ("\\.\...", "\\server\..."), a reserved device name (CON, NUL, COM1 ...) or a
// character Windows refuses in names.
std::filesystem::path HostPath(std::string_view windowsPath);

// The Windows path of a host path inside the machine root (<root>/C/TEMP/a ->
// "C:\TEMP\a"); PathError for a host path outside the root's drives.
std::string WindowsPathOf(const std::filesystem::path& hostPath);

// The process's current folder, a Windows path without trailing backslash
// (the program folder until changed).
std::string CurrentFolder();
// Changes the current folder; PathError when the path is bad, false when the
// folder does not exist (the current folder then stays).
bool SetCurrentFolder(std::string_view windowsPath);

// Replaces the file at `windowsPath` with the template's copy of it, as the
// root's first fill would have made it; false when the template holds no such
// file or it cannot be written (the file is then unchanged).
bool CopyFromTemplate(std::string_view windowsPath);

// The host path of the template's copy of the file at `windowsPath`; empty
// when the template holds no such file.
std::filesystem::path TemplateCopyOf(std::string_view windowsPath);

// Copies back the template files a filled root lacks, except those at or
// under the Windows paths of `keepOut` (files or folders: what the operator
// may delete for good, such as the job folder's examples). Answers the
// Windows paths restored.
std::vector<std::string> RestoreFromTemplate(const std::vector<std::string>& keepOut);

// Where a private-profile file lives: a name without any folder is taken in
// the Windows directory ("VX.INI" -> "C:\WINDOWS\VX.INI"); anything else as FullPath.
std::string ProfileFilePath(std::string_view fileName);

}  // namespace winplat
