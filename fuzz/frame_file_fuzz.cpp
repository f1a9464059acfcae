// The emulated board's frame-file parser over every format, and its round
// trip: what a parsed file is written back as parses to the same frames and
// writes the same bytes again.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fuzz_root.h"

#include "hw/frame_file_format.h"

using winplat::hw::detail::FormatFrameFile;
using winplat::hw::detail::ParseFrameFile;
using winplat::hw::detail::StoredFrame;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::UseOwnMachineRoot("frame-file");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // The first byte picks the format; the rest is the file.
  const std::int32_t format = 1 + data[0] % 13;
  const std::vector<std::uint8_t> bytes(data + 1, data + size);
  std::vector<StoredFrame> first;
  if (!ParseFrameFile(format, bytes, first)) return 0;
  const std::vector<std::uint8_t> written = FormatFrameFile(format, first, "fuzz");
  std::vector<StoredFrame> second;
  if (!ParseFrameFile(format, written, second) || second.size() != first.size()) {
    std::fprintf(stderr, "format %d: a written file does not read back\n", static_cast<int>(format));
    std::abort();
  }
  for (std::size_t i = 0; i < first.size(); ++i) {
    if (second[i].points.size() != first[i].points.size()) {
      std::fprintf(stderr, "format %d: frame %zu changed its point count\n", static_cast<int>(format), i);
      std::abort();
    }
  }
  if (FormatFrameFile(format, second, "fuzz") != written) {
    std::fprintf(stderr, "format %d: writing is not stable\n", static_cast<int>(format));
    std::abort();
  }
  return 0;
}
