// Fieldray: the operator program. Makes the windows, brings the system up,
// takes operator commands from a file given on the command line (or the
// terminal), runs the loop until the main window closes, and shuts down.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "console/program.h"
#include "winplat/controls/operator.h"
#include "winplat/display.h"
#include "winplat/endprogram.h"
#include "winplat/files.h"
#include "winplat/folders.h"
#include "winplat/hw/boards.h"
#include "winplat/hw/projection.h"
#include "winplat/paths.h"
#include "winplat/profile.h"
#include "winplat/sync.h"

namespace {

constexpr const char* kUsage =
    "usage: fieldray [--window] [COMMANDS | -]\n"
    "       fieldray --version | --help\n"
    "The laser template projection program. It starts on the machine root named by\n"
    "FIELDRAY_ROOT (else ~/.local/share/fieldray/root, filled from the template on first\n"
    "use) and takes operator commands, one a line, from the file COMMANDS, or from the\n"
    "terminal when it is - or missing ('help' lists them there). --version prints the\n"
    "program's name and version.\n"
    "--window shows the program's windows on the display (DISPLAY or WAYLAND_DISPLAY)\n"
    "to be worked with the mouse and keys; the program then ends when its main window\n"
    "closes or on 'quit', and message boxes are answered on the screen; a display\n"
    "lost mid-run ends it as a close does, with status 2.\n"
    "Exit status: 0 every line ran; 1 a line failed or the start ended early; 2 usage,\n"
    "an unreadable command file or a machine-root fault; 3 already running on this\n"
    "machine root.\n";

// The command lines of a command file (blank and comment lines not counted).
int CommandLines(const std::string& script) {
  std::ifstream in(script);
  int count = 0;
  for (std::string line; std::getline(in, line);) {
    const std::size_t at = line.find_first_not_of(" \t\r");
    if (at != std::string::npos && line[at] != '#') ++count;
  }
  return count;
}

// A settings file is a few kilobytes; one larger than this is no settings
// file, and reading it key by key would hold the start for minutes.
constexpr long long kLargestSettingsFile = 1048576;

// What is wrong with the settings file, when there ("" when nothing is, or it is not there).
std::string SettingsFault(const std::string& windowsPath) {
  std::filesystem::path host;
  try {
    host = winplat::HostPath(windowsPath);
  } catch (const std::exception& e) {
    return std::string("Fldry.INI cannot be read: ") + e.what();
  }
  std::error_code ec;
  if (!std::filesystem::exists(std::filesystem::symlink_status(host, ec))) return "";
  const int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::string("Fldry.INI cannot be read: ") + std::strerror(errno);
  struct stat st {};
  const bool sized = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  char byte;
  const ssize_t n = ::read(fd, &byte, 1);
  const int err = errno;
  ::close(fd);
  if (n < 0) return std::string("Fldry.INI cannot be read: ") + std::strerror(err);
  if (sized && st.st_size > kLargestSettingsFile)
    return windowsPath + " is " + std::to_string(st.st_size) + " bytes, more than " +
           std::to_string(kLargestSettingsFile);
  return "";
}

// Checks the root before anything of the program starts: its settings file
// can be read and every board's state can be kept. "" when all is well.
std::string RootFault() {
  const std::string settings = winplat::ProgramFolder() + "Fldry.INI";
  if (std::string why = SettingsFault(settings); !why.empty())
    return "Machine root " + winplat::MachineRoot().string() + ": " + why;
  std::string error;
  if (!winplat::hw::OpenBoards(&error)) return error;
  return "";
}

// Template files the root lacks come back, except the job folder's examples
// and the settings file (a missing one is the settings' own business).
void RestoreTemplateFiles() {
  const std::string folder = winplat::ProgramFolder();
  char jobs[260];
  const std::uint32_t n = winplat::GetPrivateProfileStringA("System", "Path", "", jobs, sizeof jobs,
                                                            (folder + "Fldry.INI").c_str());
  std::vector<std::string> keep = {folder + "Jobs", folder + "Fldry.INI"};
  if (n > 0) keep.emplace_back(jobs, n);
  for (const std::string& path : winplat::RestoreFromTemplate(keep))
    std::printf("Restored from the template: %s\n", path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  using namespace fieldray;
  bool window = argc > 1 && std::string(argv[1]) == "--window";
  if (window) {
    --argc;
    ++argv;
  }
  if (argc > 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::string script = argc > 1 ? argv[1] : "-";
  if (script == "--help" || script == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (script == "--version") {
    std::puts("fieldray " FIELDRAY_VERSION);
    return 0;
  }
  if (script.size() > 1 && script[0] == '-') {
    std::fprintf(stderr, "fieldray: unknown option %s\n%s", script.c_str(), kUsage);
    return 2;
  }
  std::error_code folderError;
  if (script != "-" && std::filesystem::is_directory(script, folderError)) {
    std::fprintf(stderr, "fieldray: cannot read the operator commands in %s: it is a folder\n", script.c_str());
    return 2;
  }
  if (script != "-" && !std::ifstream(script)) {
    std::fprintf(stderr, "fieldray: cannot read the operator commands in %s\n", script.c_str());
    return 2;
  }
  std::string displayError;
  if (window && !winplat::OpenDisplay(&displayError)) {
    std::fprintf(stderr, "fieldray: --window needs a display: %s\n", displayError.c_str());
    return 2;
  }
  // The program running, for a display lost mid-run: its unload runs as on a
  // close, and the screen then ends the process with status 2.
  console::Program* running = nullptr;
  if (window)
    winplat::SetDisplayLostHandler([&running](const std::string& name) {
      std::fprintf(stderr, "fieldray: display %s lost\n", name.c_str());
      if (running && running->Forms.Main.Loaded()) running->Forms.Main.Unload(winplat::controls::vbFormControlMenu);
    });
  std::string rootError;
  if (!winplat::OpenMachineRoot(&rootError)) {
    std::fprintf(stderr, "%s\n", rootError.c_str());
    return 2;
  }
  if (std::string fault = RootFault(); !fault.empty()) {
    std::fprintf(stderr, "%s\n", fault.c_str());
    return 2;
  }
  std::printf("Fieldray machine root: %s\n", winplat::MachineRoot().c_str());
  // One operator program per machine; a root where no lock can be made does not stop it.
  if (winplat::HoldMachineLock("Fieldray") == winplat::MachineLockResult::HeldElsewhere) {
    std::fprintf(stderr, "Fieldray is already running on this machine.\n");
    return 3;
  }
  RestoreTemplateFiles();
  // Temporaries that writes interrupted by a crash or a kill left behind.
  winplat::RemoveWriteLeftovers(winplat::MachineRoot(), true);
  // Block-file folders of drawing reads that ended the same way (no read holds
  // them), and what earlier builds kept for them in memory.
  for (const char* folder : {"C:\\TEMP", "C:\\"}) winplat::RemoveUnheldFolders(folder, "KLV????????????????");

  // A start that a device fault ends runs none of the command lines: that is
  // a failed run, never a clean one.
  bool started = false;
  auto exitRoutine = [&started, &script] {
    if (started) winplat::EndProgram(0);
    if (script != "-") std::fprintf(stderr, "%d command lines not run\n", CommandLines(script));
    winplat::EndProgram(1);
  };

  // A platform fault that no handler caught still ends the program with its text.
  try {
    console::Program program(engine::Vexlib::BinaryFolder(), exitRoutine);
    winplat::controls::SetProjectionSaver([](const std::string& hostPath, std::string* error) {
      return winplat::hw::SaveProjectionPng(hostPath, 0, 512, error);
    });
    if (!program.Start()) {
      if (script != "-") std::fprintf(stderr, "%d command lines not run\n", CommandLines(script));
      return 1;
    }
    started = true;
    running = &program;

    int failures = window ? winplat::controls::RunWindowedInput(script, std::cout,
                                                               [&] { return program.Forms.Main.Loaded(); })
                          : winplat::controls::RunOperatorInput(script, std::cout);
    if (program.Forms.Main.Loaded()) program.Forms.Main.Unload();
    running = nullptr;
    winplat::CloseDisplay();
    if (failures < 0) return 2;
    return failures > 0 ? 1 : 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Fieldray stopped: %s\n", e.what());
    return 1;
  }
}
