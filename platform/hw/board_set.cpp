// This process's view of the machine's boards: one object per configured board,
// its state file mapped, its ISA ports claimed on the port bus.
#include <atomic>
#include <cstdio>
#include <exception>
#include <map>

#include "../win/machine.h"
#include "board_machine.h"
#include "isa_board.h"
#include "winplat/paths.h"
#include "winplat/hw/ports.h"

namespace winplat::hw::detail {
namespace {

struct Machine {
  std::atomic<bool> built{false};
  MachineBoards config;
  std::atomic<std::uint64_t> root{0};              // the machine root the view was built for
  std::atomic<std::uint64_t> configGeneration{0};  // this process's configuration writes seen
  // Boards are kept for the life of the process (a mapped PCI window may still point at one).
  std::map<std::string, std::shared_ptr<Board>> known;
  std::vector<std::shared_ptr<Board>> retired;  // boards of earlier machine roots
  std::vector<Board*> isa;
  std::vector<Board*> pci;
  std::vector<int> claims;
  std::map<int, BoardStateError> failures;  // by place in the configuration, of the last build
};

Machine& TheMachine() {
  static Machine machine;
  return machine;
}

bool SameConfig(const MachineBoards& a, const MachineBoards& b) {
  if (a.family != b.family || a.boards.size() != b.boards.size()) return false;
  for (std::size_t i = 0; i < a.boards.size(); ++i) {
    const BoardConfig& x = a.boards[i];
    const BoardConfig& y = b.boards[i];
    if (x.port != y.port || x.identity != y.identity || x.memory != y.memory || x.faults.size() != y.faults.size()) {
      return false;
    }
    for (std::size_t f = 0; f < x.faults.size(); ++f) {
      const BoardFault& p = x.faults[f];
      const BoardFault& q = y.faults[f];
      if (p.kind != q.kind || p.value != q.value || p.command != q.command || p.count != q.count) return false;
    }
  }
  return true;
}

std::shared_ptr<Board> Obtain(Machine& m, BoardFamily family, int index, const BoardConfig& config,
                              const std::string& name) {
  auto it = m.known.find(name);
  if (it != m.known.end()) {
    it->second->SetConfig(config);
    it->second->SetIndex(index);  // the same port may hold another place in a new configuration
    return it->second;
  }
  auto board = std::make_shared<Board>(family, index, config, name);
  board->PowerUp();
  m.known.emplace(name, board);
  return board;
}

// A board whose state cannot be kept under the machine root (a root that
// became read-only, a full disk) does not answer; why is said once.
std::shared_ptr<Board> ObtainOrNone(Machine& m, BoardFamily family, int index, const BoardConfig& config,
                                    const std::string& name) {
  try {
    return Obtain(m, family, index, config, name);
  } catch (const std::exception& e) {
    if (const auto* state = dynamic_cast<const BoardStateError*>(&e)) m.failures.insert_or_assign(index, *state);
    static std::string lastError;
    if (lastError != e.what()) {
      lastError = e.what();
      std::fprintf(stderr, "Board %s not available: %s\n", name.c_str(), e.what());
    }
    return nullptr;
  }
}

}  // namespace

void RefreshMachine() {
  MachineLock lock;
  Machine& m = TheMachine();
  std::uint64_t root = winplat::detail::RootGeneration();
  m.configGeneration = ConfigWriteGeneration();
  if (m.built && m.root != root) {
    // Another machine: its boards are other boards.
    for (auto& [name, board] : m.known) m.retired.push_back(board);
    m.known.clear();
    m.built = false;
  }
  m.root = root;
  MachineBoards config = CurrentBoards();
  if (m.built && SameConfig(config, m.config)) return;
  for (int token : m.claims) ReleasePorts(token);
  m.claims.clear();
  m.isa.clear();
  m.pci.clear();
  m.failures.clear();
  m.config = config;
  m.built = true;
  for (std::size_t i = 0; i < config.boards.size(); ++i) {
    const BoardConfig& bc = config.boards[i];
    int index = static_cast<int>(i);
    if (config.family == BoardFamily::Isa) {
      char name[32];
      std::snprintf(name, sizeof name, "isa-%04x", static_cast<unsigned>(bc.port));
      auto board = ObtainOrNone(m, BoardFamily::Isa, index, bc, name);
      if (!board) continue;
      m.isa.push_back(board.get());
      if (!bc.Has(BoardFault::NoAnswer)) {
        auto device = std::make_shared<IsaPortDevice>(board);
        m.claims.push_back(ClaimPorts(bc.port, 1, device));
        m.claims.push_back(ClaimPorts(static_cast<std::uint16_t>(bc.port + 4), 1, device));
      }
    } else {
      auto board = ObtainOrNone(m, BoardFamily::Pci, index, bc, "pci-" + std::to_string(i));
      if (!board) continue;
      m.pci.push_back(board.get());
    }
  }
}

void RefreshMachineIfStale() {
  Machine& m = TheMachine();
  if (!m.built || m.configGeneration != ConfigWriteGeneration() ||
      m.root != winplat::detail::RootGeneration()) {
    RefreshMachine();
  }
}

Board* IsaBoardOnPort(std::uint16_t port) {
  RefreshMachine();
  for (Board* b : TheMachine().isa) {
    if (b->Config().port == port) return b;
  }
  return nullptr;
}

Board* PciBoard(int device) {
  RefreshMachine();
  Machine& m = TheMachine();
  if (device < 0 || static_cast<std::size_t>(device) >= m.pci.size()) return nullptr;
  return m.pci[static_cast<std::size_t>(device)];
}

std::string BoardOpenFailure(int index) {
  MachineLock lock;
  auto it = TheMachine().failures.find(index);
  return it == TheMachine().failures.end() ? std::string() : it->second.what();
}

}  // namespace winplat::hw::detail

namespace winplat::hw {

bool OpenBoards(std::string* error) {
  detail::MachineLock lock;
  detail::RefreshMachine();
  const auto& failures = detail::TheMachine().failures;
  if (failures.empty()) return true;
  if (error) *error = "Machine root " + MachineRoot().string() + ": " + failures.begin()->second.Reason;
  return false;
}

void ResetBoardState() {
  detail::MachineLock lock;
  detail::RefreshMachine();
  std::error_code ec;
  for (auto& [name, board] : detail::TheMachine().known) {
    board->State().magic = 0;
    board->PowerUp();
    std::filesystem::remove_all(detail::HardwareFolder() / name, ec);
    board->ForgetFolder();
  }
  // Boards this process never opened: their files go, and they power up fresh.
  for (const auto& entry : std::filesystem::directory_iterator(detail::HardwareFolder(), ec)) {
    std::string stem = entry.path().stem().string();
    if (entry.path().extension() == ".state" && !detail::TheMachine().known.count(stem)) {
      std::filesystem::remove(entry.path(), ec);
      std::filesystem::remove_all(detail::HardwareFolder() / stem, ec);
    }
  }
}

void ForceBoardProgram(BoardProgram program) {
  detail::MachineLock lock;
  detail::RefreshMachine();
  for (detail::Board* b : detail::TheMachine().isa) b->SetProgram(program);
  for (detail::Board* b : detail::TheMachine().pci) b->SetProgram(program);
}

}  // namespace winplat::hw
