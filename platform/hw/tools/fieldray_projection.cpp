// fieldray-projection OUT.png [SIZE] [BOARD]: saves a picture of what a board of
// the machine root (FIELDRAY_ROOT, else the user's default) projects now.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "winplat/hw/boards.h"
#include "winplat/hw/projection.h"
#include "winplat/paths.h"
#include "winplat/picture.h"

namespace {

constexpr const char* kUsage =
    "usage: fieldray-projection OUT.png [SIZE] [BOARD] | --version | --help\n"
    "Saves a SIZE x SIZE picture (default 512) of what board BOARD (default 0) of the\n"
    "machine root named by FIELDRAY_ROOT (else ~/.local/share/fieldray/root) projects now.\n"
    "--version prints the program's name and version.\n"
    "Exit status: 0 saved; 1 the picture could not be made; 2 usage or a machine-root fault.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc == 2 && std::string(argv[1]) == "--version") {
    std::puts("fieldray-projection " FIELDRAY_VERSION);
    return 0;
  }
  if (argc < 2 || argc > 4 || (argv[1][0] == '-' && argv[1][1] != '\0')) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  int size = 512, board = 0;
  if (argc > 2) {
    char* end = nullptr;
    size = static_cast<int>(std::strtol(argv[2], &end, 10));
    if (*end != '\0' || size < 8 || size > 4096) {
      std::fprintf(stderr, "fieldray-projection: SIZE must be a number from 8 to 4096\n");
      return 2;
    }
  }
  if (argc > 3) {
    char* end = nullptr;
    board = static_cast<int>(std::strtol(argv[3], &end, 10));
    if (*end != '\0' || board < 0) {
      std::fprintf(stderr, "fieldray-projection: BOARD must be a board number from 0\n");
      return 2;
    }
  }
  // The boards are looked at: their state is opened for reading only.
  winplat::hw::LookAtBoardsOnly();
  std::string error;
  if (!winplat::OpenExistingMachineRoot(&error)) {  // looked at, never made or filled
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  // A root whose boards never ran has nothing to project: a dark picture,
  // and nothing made under the root.
  std::error_code ec;
  if (!std::filesystem::is_directory(winplat::MachineRoot() / "hw", ec)) {
    winplat::Picture dark{size, size, std::vector<winplat::COLORREF>(static_cast<std::size_t>(size) * size, 0)};
    if (!winplat::SavePicturePng(dark, argv[1], &error)) {
      std::fprintf(stderr, "fieldray-projection: %s\n", error.c_str());
      return 1;
    }
    return 0;
  }
  if (!winplat::hw::SaveProjectionPng(argv[1], board, size, &error)) {
    std::fprintf(stderr, "fieldray-projection: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
