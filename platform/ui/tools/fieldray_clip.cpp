// fieldray-clip: puts text on the clipboard of a machine root (FIELDRAY_ROOT),
// as another application hands a job over.
//   fieldray-clip TEXT      put TEXT (the arguments joined by blanks)
//   fieldray-clip -         put what standard input holds (one trailing line break dropped)
//   fieldray-clip --get     print the clipboard text
//   fieldray-clip --clear   empty the clipboard
//   fieldray-clip --version print the program's name and version
// Exit status: 0 done, 1 the clipboard is held open by another program, 2 usage
// or a machine root that cannot be made or written.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

#include "winplat/clipboard.h"
#include "winplat/code_page.h"
#include "winplat/paths.h"

namespace {

constexpr const char* kUsage =
    "usage: fieldray-clip TEXT... | - | --get | --clear | --version | --help\n"
    "Puts TEXT (the arguments joined by blanks, or standard input for -) on the clipboard\n"
    "of the machine root named by FIELDRAY_ROOT (else ~/.local/share/fieldray/root), as\n"
    "another application hands a job over; --get prints it, --clear empties it; --version\n"
    "prints the program's name and version.\n"
    "Exit status: 0 done; 1 the clipboard is held open by another program; 2 usage or a\n"
    "machine-root fault.\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::string first = argv[1];
  if (first == "--help" || first == "-h") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (first == "--version") {
    std::puts("fieldray-clip " FIELDRAY_VERSION);
    return 0;
  }
  if (first.size() > 1 && first[0] == '-' && first != "--get" && first != "--clear") {
    std::fprintf(stderr, "fieldray-clip: unknown option %s\n%s", first.c_str(), kUsage);
    return 2;
  }
  std::string rootError;
  if (!winplat::OpenMachineRoot(&rootError)) {
    std::fprintf(stderr, "%s\n", rootError.c_str());
    return 2;
  }
  if (first == "--get") {
    if (!winplat::OpenClipboard(0)) {
      std::fprintf(stderr, "fieldray-clip: the clipboard is held open by another program\n");
      return 1;
    }
    std::string text = winplat::GetClipboardText();
    winplat::CloseClipboard();
    std::cout << winplat::Utf8FromCodePage(text) << '\n';
    return 0;
  }
  bool ok = false;
  if (first == "--clear") {
    ok = winplat::ClearClipboard();
  } else {
    std::string text;
    if (first == "-" && argc == 2) {
      text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
      if (!text.empty() && text.back() == '\n') text.pop_back();
      if (!text.empty() && text.back() == '\r') text.pop_back();
    } else {
      for (int i = 1; i < argc; ++i) {
        if (i > 1) text += ' ';
        text += argv[i];
      }
    }
    ok = winplat::SetClipboardText(winplat::CodePageFromUtf8(text));
  }
  if (!ok) {
    // A clipboard that cannot be written is the machine root's fault, not another program's.
    if (std::string why = winplat::ClipboardWriteError(); !why.empty()) {
      std::fprintf(stderr, "Machine root %s: %s\n", winplat::MachineRoot().c_str(), why.c_str());
      return 2;
    }
    std::fprintf(stderr, "fieldray-clip: the clipboard is held open by another program\n");
    return 1;
  }
  return 0;
}
