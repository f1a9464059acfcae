// The spreadsheet grid's file: any bytes load or are refused; a loaded grid
// saves, loads again and saves the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "fuzz_root.h"
#include "winplat/components/grid.h"

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Folder() { return std::getenv("FIELDRAY_ROOT"); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::UseOwnMachineRoot("grid");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input = Folder() + "/input.dat", first = Folder() + "/first.dat", second = Folder() + "/second.dat";
  if (std::FILE* out = std::fopen(input.c_str(), "wb")) {
    std::fwrite(data, 1, size, out);
    std::fclose(out);
  }
  winplat::SpreadGrid grid(8, 6);
  if (!grid.LoadFromHostFile(input)) return 0;
  for (bool dataOnly : {false, true}) {
    if (!grid.SaveToHostFile(first, dataOnly)) std::abort();
    winplat::SpreadGrid again(8, 6);
    if (!again.LoadFromHostFile(first)) {
      std::fprintf(stderr, "a saved grid does not load: %s\n", again.LastError().c_str());
      std::abort();
    }
    if (!again.SaveToHostFile(second, dataOnly) || Slurp(first) != Slurp(second)) {
      std::fprintf(stderr, "save, load and save differ\n");
      std::abort();
    }
  }
  return 0;
}
