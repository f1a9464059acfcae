// The emulated machine's board configuration: "hw/Boards.ini" under the machine root.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <charconv>
#include <fstream>
#include <iostream>
#include <mutex>
#include <sstream>

#include "board_files.h"
#include "file_stamp.h"
#include "board_machine.h"

#include "winplat/text.h"

namespace winplat::hw {
namespace {

// A decimal or 0x-hexadecimal integer, optionally negative; nothing else on the text.
bool ParseNumber(const std::string& text, std::int64_t& out) {
  std::string t = winplat::TrimSpace(text);
  bool negative = false;
  std::size_t i = 0;
  if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
    negative = t[0] == '-';
    i = 1;
  }
  int base = 10;
  if (t.size() > i + 1 && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= t.size()) return false;
  std::uint64_t value = 0;
  auto [end, ec] = std::from_chars(t.data() + i, t.data() + t.size(), value, base);
  if (ec != std::errc() || end != t.data() + t.size() || value > 0xFFFFFFFFull) return false;
  out = negative ? -static_cast<std::int64_t>(value) : static_cast<std::int64_t>(value);
  return true;
}

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  std::string w;
  while (in >> w) words.push_back(winplat::AsciiLower(w));
  return words;
}

bool ParseFault(const std::string& text, BoardFault& fault, std::string& error) {
  std::vector<std::string> w = Words(text);
  auto is = [&](std::initializer_list<const char*> names) {
    if (w.size() < names.size()) return false;
    std::size_t i = 0;
    for (const char* n : names) {
      if (w[i++] != n) return false;
    }
    return true;
  };
  auto number = [&](std::size_t i, std::int32_t& out) {
    std::int64_t v = 0;
    if (i >= w.size() || !ParseNumber(w[i], v)) return false;
    out = static_cast<std::int32_t>(v);
    return true;
  };
  struct Simple {
    std::initializer_list<const char*> words;
    BoardFault::Kind kind;
  };
  static const Simple simple[] = {
      {{"no", "answer"}, BoardFault::NoAnswer},         {{"busy", "port"}, BoardFault::BusyPort},
      {{"endless", "reply"}, BoardFault::EndlessReply}, {{"bad", "readback"}, BoardFault::BadReadback},
      {{"low", "memory"}, BoardFault::LowMemory},       {{"memory", "not", "ready"}, BoardFault::MemoryNotReady},
      {{"doorbell", "stuck"}, BoardFault::DoorbellStuck}, {{"never", "starts"}, BoardFault::NeverStarts},
      {{"never", "finishes"}, BoardFault::NeverFinishes}, {{"no", "driver"}, BoardFault::NoDriver},
      {{"no", "info"}, BoardFault::NoInfo},             {{"no", "map"}, BoardFault::NoMap},
  };
  for (const Simple& s : simple) {
    if (is(s.words) && w.size() == s.words.size()) {
      fault.kind = s.kind;
      return true;
    }
  }
  if (is({"reply", "bytes"}) && w.size() == 3 && number(2, fault.value) && fault.value >= 0) {
    fault.kind = BoardFault::ReplyBytes;
    return true;
  }
  if (is({"error"}) && w.size() == 4 && w[2] == "on" && number(1, fault.value)) {
    fault.kind = BoardFault::ErrorOnCommand;
    if (w[3] == "*") {
      fault.command = -1;
      return true;
    }
    if (number(3, fault.command) && fault.command >= 0 && fault.command <= 0xFFFF) return true;
  }
  if (is({"stale", "reply"}) && w.size() == 4 && number(2, fault.value) && number(3, fault.count)) {
    fault.kind = BoardFault::StaleReply;
    return true;
  }
  error = "unknown fault \"" + text + "\"";
  return false;
}

struct Cache {
  std::mutex mutex;
  bool valid = false;
  detail::FileStamp stamp;
  std::uint64_t generation = 0;
  MachineBoards boards;
};

Cache& TheCache() {
  static Cache cache;
  return cache;
}

std::atomic<std::uint64_t> writeGeneration{0};

}  // namespace

bool BoardConfig::Has(BoardFault::Kind kind) const { return Find(kind) != nullptr; }

const BoardFault* BoardConfig::Find(BoardFault::Kind kind) const {
  for (const BoardFault& f : faults) {
    if (f.kind == kind) return &f;
  }
  return nullptr;
}

std::filesystem::path BoardConfigPath() { return detail::HardwareFolder() / "Boards.ini"; }

MachineBoards ParseBoardConfig(const std::string& text) {
  MachineBoards machine;
  std::vector<BoardConfig> boards(8);
  for (std::size_t i = 0; i < 8; ++i) boards[i].port = kDefaultIsaPorts[i];
  std::int64_t count = 1;
  std::string section;
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  auto fail = [&](const std::string& why) {
    MachineBoards fallback;
    fallback.boards.resize(1);
    fallback.error = "line " + std::to_string(lineNo) + ": " + why;
    return fallback;
  };
  while (std::getline(in, line)) {
    ++lineNo;
    std::size_t comment = line.find_first_of(";#");
    std::string t = winplat::TrimSpace(comment == std::string::npos ? line : line.substr(0, comment));
    if (t.empty()) continue;
    if (t.front() == '[') {
      if (t.back() != ']') return fail("unclosed section");
      section = winplat::AsciiLower(winplat::TrimSpace(t.substr(1, t.size() - 2)));
      continue;
    }
    std::size_t eq = t.find('=');
    if (eq == std::string::npos) return fail("expected key=value");
    std::string key = winplat::AsciiLower(winplat::TrimSpace(t.substr(0, eq)));
    std::string value = winplat::TrimSpace(t.substr(eq + 1));
    std::int64_t number = 0;
    if (section == "boards") {
      if (key == "family") {
        std::string f = winplat::AsciiLower(value);
        if (f == "isa") machine.family = BoardFamily::Isa;
        else if (f == "pci") machine.family = BoardFamily::Pci;
        else return fail("family must be ISA or PCI");
      } else if (key == "count") {
        if (!ParseNumber(value, count) || count < 0 || count > 8) return fail("count must be 0 to 8");
      } else {
        return fail("unknown key " + key);
      }
    } else if (section.size() == 6 && section.starts_with("board") && section[5] >= '0' && section[5] <= '7') {
      BoardConfig& board = boards[static_cast<std::size_t>(section[5] - '0')];
      if (key == "port") {
        if (!ParseNumber(value, number) || number < 0 || number > 0xFFFB) return fail("bad port");
        board.port = static_cast<std::uint16_t>(number);
      } else if (key == "identity") {
        if (!ParseNumber(value, number)) return fail("bad identity");
        board.identity = static_cast<std::int32_t>(static_cast<std::uint32_t>(number));
      } else if (key == "fault") {
        BoardFault fault;
        std::string why;
        if (!ParseFault(value, fault, why)) return fail(why);
        board.faults.push_back(fault);
      } else if (key == "memory") {
        if (!ParseNumber(value, number) || number <= 0) return fail("bad memory");
        board.memory = number;
      } else {
        return fail("unknown key " + key);
      }
    } else {
      return fail("unknown section " + section);
    }
  }
  boards.resize(static_cast<std::size_t>(count));
  machine.boards = std::move(boards);
  return machine;
}

MachineBoards CurrentBoards() {
  Cache& cache = TheCache();
  std::lock_guard lock(cache.mutex);
  detail::CountFileCall();
  const detail::FileStamp stamp = detail::StampOf(BoardConfigPath().string());
  std::uint64_t generation = writeGeneration.load();
  if (cache.valid && cache.generation == generation && detail::SameStamp(cache.stamp, stamp)) {
    return cache.boards;
  }
  if (stamp.exists) {
    detail::CountFileCall();
    std::ifstream in(BoardConfigPath(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    cache.boards = ParseBoardConfig(s.str());
    if (!cache.boards.error.empty()) {
      // Said once per change of the file: the machine runs on the default board meanwhile.
      std::cerr << BoardConfigPath().string() << ": " << cache.boards.error << "; using one ISA board at 0x300\n";
    }
  } else {
    cache.boards = MachineBoards{};
    cache.boards.boards.resize(1);
  }
  cache.stamp = stamp;
  cache.generation = generation;
  cache.valid = true;
  return cache.boards;
}

namespace detail {
std::uint64_t ConfigWriteGeneration() { return writeGeneration.load(); }
}  // namespace detail

void WriteBoardConfig(const std::string& text) {
  {
    std::ofstream out(BoardConfigPath(), std::ios::binary | std::ios::trunc);
    out << text;
  }
  writeGeneration.fetch_add(1);
}

}  // namespace winplat::hw
