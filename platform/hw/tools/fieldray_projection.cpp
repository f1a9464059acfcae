// fieldray-projection OUT.png [SIZE] [BOARD]: saves a picture of what a board of
// the machine root (FIELDRAY_ROOT, else the user's default) projects now;
// with --window it shows that picture live.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "winplat/display.h"
#include "winplat/hw/boards.h"
#include "winplat/hw/projection.h"
#include "winplat/paths.h"
#include "winplat/picture.h"

namespace {

constexpr const char* kUsage =
    "usage: fieldray-projection OUT.png [SIZE] [BOARD]\n"
    "       fieldray-projection --window [SIZE] [BOARD]\n"
    "       fieldray-projection --version | --help\n"
    "Saves a SIZE x SIZE picture (default 512) of what board BOARD (default 0) of the\n"
    "machine root named by FIELDRAY_ROOT (else ~/.local/share/fieldray/root) projects now.\n"
    "With --window it shows that picture live in a window on the display instead,\n"
    "until the window is closed (beside the operator program's main window where the\n"
    "screen has room). --version prints the program's name and version.\n"
    "Exit status: 0 saved; 1 the picture could not be made; 2 usage, a machine-root fault\n"
    "or the display lost.\n";

// The live view: the same picture in a window, drawn again when it changes.
int ShowLive(int size, int board) {
  std::string error;
  if (!winplat::OpenDisplay(&error)) {
    std::fprintf(stderr, "fieldray-projection: --window needs a display: %s\n", error.c_str());
    return 2;
  }
  winplat::SetDisplayLostHandler([](const std::string& name) {
    std::fprintf(stderr, "fieldray-projection: display %s lost\n", name.c_str());
  });
  auto hasBoards = [] {
    std::error_code ec;
    return std::filesystem::is_directory(winplat::MachineRoot() / "hw", ec);
  };
  auto picture = [=] {
    winplat::Picture p = hasBoards() ? winplat::hw::ProjectionPicture(board, size) : winplat::Picture{};
    // A root whose boards never ran: a dark picture until they do.
    if (p.width == 0) p = {size, size, std::vector<winplat::COLORREF>(static_cast<std::size_t>(size) * size, 0)};
    return p;
  };
  // Each check reads the board (the machine lock held for the read only); the
  // picture is drawn again only when what it is drawn from changed.
  auto seen = std::make_shared<std::uint64_t>(0);
  bool open = true;
  winplat::PictureWindow window;
  window.title = "Fieldray projection - board " + std::to_string(board);
  window.width = size;
  window.height = size;
  window.changed = [=] {
    std::uint64_t now = hasBoards() ? winplat::hw::ProjectionSignature(board) : 0;
    if (now == *seen) return false;
    *seen = now;
    return true;
  };
  window.draw = [=] { return picture(); };
  window.closed = [&open] { open = false; };
  if (!winplat::ShowPictureWindow(std::move(window))) {
    std::fprintf(stderr, "fieldray-projection: --window needs a display: no window could be made\n");
    winplat::CloseDisplay();
    return 2;
  }
  winplat::RunPictureWindows([&open] { return open; });
  winplat::CloseDisplay();
  return 0;
}

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
  bool live = argc > 1 && std::string(argv[1]) == "--window";
  if (argc < 2 || argc > 4 || (!live && argv[1][0] == '-' && argv[1][1] != '\0')) {
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
  if (live) {
    // A board the machine's configuration does not name is refused as the
    // file form refuses it, before any window opens.
    if (static_cast<std::size_t>(board) >= winplat::hw::CurrentBoards().boards.size()) {
      std::fprintf(stderr, "fieldray-projection: no such board, or a picture size outside 8..4096\n");
      return 1;
    }
    return ShowLive(size, board);
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
