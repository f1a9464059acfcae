// The emulated board's S-record check over each line of the input (its line
// end, LF or CR LF, left out as the host leaves it out), and its round trip: a good record written again as hex text is the record's text.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fuzz_root.h"

#include "hw/board_software_parse.h"

using winplat::hw::detail::ParseSRecord;
using winplat::hw::detail::SRecord;
using winplat::hw::detail::SRecordCheck;

namespace {

void PutHex(std::vector<std::uint8_t>& out, std::uint8_t b) {
  static const char digits[] = "0123456789ABCDEF";
  out.push_back(static_cast<std::uint8_t>(digits[b >> 4]));
  out.push_back(static_cast<std::uint8_t>(digits[b & 15]));
}

std::vector<std::uint8_t> Written(const SRecord& record) {
  std::vector<std::uint8_t> body{static_cast<std::uint8_t>(record.data.size() + 5)};
  for (int i = 0; i < 4; ++i) body.push_back(static_cast<std::uint8_t>(record.address >> (24 - 8 * i)));
  body.insert(body.end(), record.data.begin(), record.data.end());
  unsigned sum = 0;
  for (std::uint8_t b : body) sum += b;
  body.push_back(static_cast<std::uint8_t>(~sum));
  std::vector<std::uint8_t> out{'S', static_cast<std::uint8_t>(record.type)};
  for (std::uint8_t b : body) PutHex(out, b);
  return out;
}

void CheckRecord(const std::vector<std::uint8_t>& text) {
  SRecord record;
  if (ParseSRecord(text, record) != SRecordCheck::Good) return;
  std::vector<std::uint8_t> upper(text);
  for (auto& c : upper) c = static_cast<std::uint8_t>(std::toupper(c));
  if (Written(record) != upper) {
    std::fprintf(stderr, "a good record does not write back as its own text\n");
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsupport::UseOwnMachineRoot("srecord");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> line;
  for (std::size_t i = 0; i <= size; ++i) {
    if (i == size || data[i] == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      CheckRecord(line);
      line.clear();
    } else {
      line.push_back(data[i]);
    }
  }
  return 0;
}
