#pragma once
// Inside the board emulation: the shared state of one board, the machine lock
// and the command runner. Not part of the platform's public surface.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "winplat/hw/boards.h"

namespace winplat::hw::detail {

struct MemoryEntry {
  std::uint32_t address;
  std::uint32_t value;
};

struct ValueEntry {
  char name[40];
  std::int32_t value;
};

constexpr std::uint32_t kStateMagic = 0x56584244;  // "VXBD"
constexpr std::size_t kMemoryEntries = 4096;
constexpr std::size_t kValueEntries = 256;
constexpr std::size_t kWordBlockBytes = 65536;

// Where an ISA board is in its handshake.
enum class IsaPhase : std::uint32_t { Idle = 0, Receiving = 1, Replying = 2, NotStarted = 3, NotFinished = 4 };

// One board's state as it lies in its file, mapped shared into every process.
struct SharedBoard {
  std::uint32_t magic;
  std::uint32_t program;
  std::uint32_t previousCommand;
  std::uint32_t commandsRun;
  // ISA ports.
  std::uint32_t phase;
  std::uint32_t inCount;
  std::uint8_t in[kMaxOperandBytes + 64];
  std::uint32_t outCount;
  std::uint32_t outPos;
  std::uint8_t out[kMaxReplyBytes + 64];
  // PCI memory window (registers, mailbox and reply area).
  std::uint32_t window[kPciWindowLength / 4];
  std::uint32_t pciBusyStuck;  // the busy bit stays set until the next doorbell
  std::uint32_t stalePosted;   // a stale reply was left since the last doorbell
  // Board memory, named values and the word block.
  std::uint32_t memoryCount;
  MemoryEntry memory[kMemoryEntries];
  std::uint32_t valueCount;
  ValueEntry values[kValueEntries];
  std::uint32_t wordBytes;
  std::uint32_t wordCursor;
  std::uint32_t wordReading;
  std::uint8_t words[kWordBlockBytes];
};

// Serialises every change of board state, between threads and between processes.
class MachineLock {
 public:
  MachineLock();
  ~MachineLock();
  MachineLock(const MachineLock&) = delete;
  MachineLock& operator=(const MachineLock&) = delete;
};

// Serialises this process's threads only: port accesses between commands
// (the device library serialises its transactions between processes).
class ProcessLock {
 public:
  ProcessLock();
  ~ProcessLock();
  ProcessLock(const ProcessLock&) = delete;
  ProcessLock& operator=(const ProcessLock&) = delete;
};

// A board state file that cannot be opened, reserved or mapped; what() is
// "cannot open board state PATH: REASON".
class BoardStateError : public std::runtime_error {
 public:
  BoardStateError(const std::filesystem::path& path, const std::string& reason)
      : std::runtime_error("cannot open board state " + path.string() + ": " + reason), Reason(reason) {}
  std::string Reason;
};

// Whether this process only looks at the boards (LookAtBoardsOnly).
bool BoardsLookedAtOnly();

// One board of this process's view of the machine.
class Board : public BoardContext {
 public:
  Board(BoardFamily family, int index, BoardConfig config, std::string name);
  ~Board() override;

  BoardFamily Family() const override { return family_; }
  int Index() const override { return index_; }
  const BoardConfig& Config() const override { return config_; }
  BoardProgram Program() const override;
  void SetProgram(BoardProgram program) override;
  std::uint32_t ReadMemory(std::uint32_t address) const override;
  bool WriteMemory(std::uint32_t address, std::uint32_t value) override;
  std::int32_t Value(const std::string& name, std::int32_t fallback) const override;
  void SetValue(const std::string& name, std::int32_t value) override;
  std::vector<std::uint8_t>& WordBlock() override;
  std::filesystem::path Folder() const override;
  std::uint16_t PreviousCommand() const override;

  SharedBoard& State() { return *state_; }
  void SetConfig(BoardConfig config) { config_ = std::move(config); }
  void SetIndex(int index) { index_ = index; }
  // The board's folder was removed (a reset): the next use makes it again.
  void ForgetFolder() { folderMade_ = false; }
  // Loads the word block from the shared state before a command and stores it after.
  void LoadWordBlock();
  void StoreWordBlock();
  // Puts a fresh board's state in order (boot program, pending faults).
  void PowerUp();

  // Window word access (atomic: a reader may poll while another process writes).
  std::uint32_t WindowWord(std::uint32_t offset) const;
  void SetWindowWord(std::uint32_t offset, std::uint32_t value);

 private:
  BoardFamily family_;
  int index_;
  BoardConfig config_;
  std::string name_;
  SharedBoard* state_ = nullptr;
  std::vector<std::uint8_t> wordBlock_;
  mutable bool folderMade_ = false;
};

// The boards of the configuration in force, created and mapped on first use.
// Returns nullptr when no such board is installed.
Board* IsaBoardOnPort(std::uint16_t port);
Board* PciBoard(int device);
// Why the board of the configuration's place `index` could not be opened
// ("" when it was, or never tried).
std::string BoardOpenFailure(int index);
// Re-reads the configuration when it changed and claims the ISA boards' ports.
// Once per board command: it checks the configuration file.
void RefreshMachine();
// For a port access: refreshes only when this process has not yet built its
// view of the machine root in force or wrote the configuration since; no file
// is touched otherwise.
void RefreshMachineIfStale();
// Raised whenever this process writes the configuration.
std::uint64_t ConfigWriteGeneration();

// Runs one command on a board: faults, dispatch, command log. The reply's
// error and result are filled; its data may be long (the caller frames it).
void RunCommand(Board& board, std::uint16_t code, const std::uint8_t* operands, std::size_t count,
                BoardReply& reply);
// Registers the commands built into the board software (once per process).
void RegisterBuiltinCommands();
void AddBuiltinCommand(std::uint16_t code, BoardCommandHandler handler, bool inBoot);
// Sessions, memory, sync, events and shows; registered after the built-in ones.
void RegisterSessionCommands();
void RegisterShowCommands();
// Timelines, auxiliary ports and the abstract generator.
void RegisterTimelineCommands();
void RegisterAbstractCommands();
// What the board software holds in its memory beside frames and shows, gone
// when the software restarts: timelines, beats and live keys; the abstract
// generator and the auxiliary ports.
void ForgetTimelines(BoardContext& board);
void ForgetAbstractState(BoardContext& board);

// Frames a reply as the byte stream an ISA board sends: error code, result, data.
std::vector<std::uint8_t> FrameIsaReply(const BoardReply& reply);

std::filesystem::path HardwareFolder();

}  // namespace winplat::hw::detail
