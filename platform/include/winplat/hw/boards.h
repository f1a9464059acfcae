#pragma once
// The emulated laser-show controller boards: their configuration, their command
// handlers, their persistent state and the log of the commands they ran.
//
// Configuration: the text file "hw/Boards.ini" under the machine root.
//
//   [Boards]
//   Family=ISA            ; ISA or PCI
//   Count=2               ; 1 to 8
//   [Board0]
//   Port=0x300            ; ISA data port (status port = port + 4)
//   Identity=0x00012345   ; identity word read at the identity address
//   Fault=error 6 on 7    ; any number of Fault lines, see BoardFault
//   Memory=4194304        ; bytes of memory for frames (default 4 MiB)
//
// Without the file the machine has one ISA board at 0x300 that answers.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace winplat::hw {

enum class BoardFamily { Isa, Pci };

// Default ISA data ports of boards 0 to 7.
constexpr std::uint16_t kDefaultIsaPorts[8] = {0x300, 0x308, 0x380, 0x3A0, 0x388, 0x3A8, 0x310, 0x318};
// Longest reply an ISA board sends (error code, result and data).
constexpr std::size_t kIsaReplyLimit = 512;
// Largest operand and reply streams.
constexpr std::size_t kMaxOperandBytes = 8192;
constexpr std::size_t kMaxReplyBytes = 8192;

// ISA status port bits.
constexpr std::uint8_t kIsaReplyEmpty = 0x80;  // no reply byte waiting
constexpr std::uint8_t kIsaHostFifoEmpty = 0x20;  // PC-to-board FIFO empty
constexpr std::uint8_t kIsaReplyDone = 0x10;  // the board has finished its reply

// PCI window offsets and bits.
constexpr std::uint32_t kPciStatus = 0x4E4;
constexpr std::uint32_t kPciDoorbell = 0x4E8;
constexpr std::uint32_t kPciReplyType = 0x4F8;
constexpr std::uint32_t kPciByteCount = 0x4000;
constexpr std::uint32_t kPciData = 0x4004;
constexpr std::uint32_t kPciWindowLength = 0x8000;
constexpr std::uint32_t kPciBusy = 0x10;
constexpr std::uint32_t kPciReplyReady = 0x08;
constexpr std::uint32_t kPciDoorbellCommand = 0x01000000;

// Memory addresses with a fixed meaning.
constexpr std::uint32_t kIsaIdentityAddress = 0x00003FF0;
constexpr std::uint32_t kPciIdentityAddress = 0x80003FF0;
constexpr std::uint32_t kIsaSoftwareStart = 0x0C080000;
constexpr std::uint32_t kPciSoftwareStart = 0xC0090000;

// Faults a board can be told to show ("Fault=" lines, words case-insensitive):
//   no answer            ISA: nothing on the ports; PCI: the command is taken, no reply comes
//   busy port            ISA: the PC-to-board FIFO reads as not empty while idle
//   reply bytes N        the reply is cut or padded (with zeros) to N bytes
//   endless reply        ISA: reply bytes never stop coming
//   error N on C         board error N on command C ("on *": on every command)
//   bad readback         memory reads (command 4) answer a wrong value
//   low memory           command 51 answers board error -702
//   memory not ready     PCI: the busy bit never clears
//   doorbell stuck       PCI: the doorbell is never taken
//   stale reply T N      PCI: a reply of type T and N bytes is left pending before every command
//   never starts         ISA: the PC-to-board FIFO never empties after the start
//   never finishes       ISA: the reply never completes; PCI: busy stays set after the doorbell
//   no driver            PCI: the device cannot be opened
//   no info              PCI: the information request fails
//   no map               PCI: the mapping request fails
struct BoardFault {
  enum Kind {
    NoAnswer, BusyPort, ReplyBytes, EndlessReply, ErrorOnCommand, BadReadback, LowMemory,
    MemoryNotReady, DoorbellStuck, StaleReply, NeverStarts, NeverFinishes, NoDriver, NoInfo, NoMap
  };
  Kind kind = NoAnswer;
  std::int32_t value = 0;     // N (reply bytes, error code, stale type)
  std::int32_t command = -1;  // C; -1 for every command
  std::int32_t count = 0;     // stale reply byte count
};

struct BoardConfig {
  std::uint16_t port = 0x300;     // ISA data port
  std::int32_t identity = 0;      // identity word
  std::vector<BoardFault> faults;
  std::int64_t memory = 0;        // bytes of memory for frames; 0: the default
  bool Has(BoardFault::Kind kind) const;
  const BoardFault* Find(BoardFault::Kind kind) const;
};

struct MachineBoards {
  BoardFamily family = BoardFamily::Isa;
  std::vector<BoardConfig> boards;  // one entry per installed board
  std::string error;                // why the configuration was not usable (default used)
};

// Path of the configuration file.
std::filesystem::path BoardConfigPath();
// Parses configuration text; on a malformed file `error` says why and the
// default machine is returned.
MachineBoards ParseBoardConfig(const std::string& text);
// The configuration in force (re-read when the file changes).
MachineBoards CurrentBoards();
// Writes a configuration file (tests and tools).
void WriteBoardConfig(const std::string& text);
// Forgets every board's state (memory, software, session): the boards power up again.
void ResetBoardState();

// Opens the state of every configured board for this process, each file's
// blocks reserved on the disk; false with "Machine root PATH: REASON" in
// *error when one cannot be kept (the board then does not answer).
bool OpenBoards(std::string* error);

// This process only looks at the boards (a picture of what they show): their
// state files are opened for reading only and never made, sized or changed;
// whatever the emulation does to them stays in this process.
void LookAtBoardsOnly();

// --- Command handlers -------------------------------------------------------

// Board software that runs a command.
enum class BoardProgram : std::uint32_t { Boot = 0, Operating = 1 };

// Board error codes.
constexpr std::int32_t kBoardNullCommand = 1;
constexpr std::int32_t kBoardUndefinedCommand = 2;
constexpr std::int32_t kBoardDownloadBad = 3;
constexpr std::int32_t kBoardChecksumBad = 4;
constexpr std::int32_t kBoardInsufficientOperands = 5;
constexpr std::int32_t kBoardDramTestFailed = 6;
constexpr std::int32_t kBoardRomTestFailed = 7;
constexpr std::int32_t kBoardAccessError = 8;
constexpr std::int32_t kBoardLowMemory = -702;

struct BoardReply {
  std::int32_t error = 0;          // board error code (0 = none)
  std::int32_t result = 0;         // command result
  std::vector<std::uint8_t> data;  // reply data after the result
  void PutLong(std::int32_t value);   // appends big-endian
  void PutShort(std::int16_t value);  // appends big-endian
};

class BoardContext;

struct BoardCommand {
  std::uint16_t code = 0;
  std::vector<std::uint8_t> operands;
  std::int32_t Long(std::size_t offset) const;   // big-endian, 0 past the end
  std::int16_t Short(std::size_t offset) const;  // big-endian, 0 past the end
};

using BoardCommandHandler = std::function<void(BoardContext&, const BoardCommand&, BoardReply&)>;

// Registers the handler of a command. `inBoot`: the boot program answers it too
// (otherwise it answers error 2 until the operating software runs). A later
// registration of the same code replaces the earlier one.
void RegisterBoardCommand(std::uint16_t code, BoardCommandHandler handler, bool inBoot = false);

// What a handler may see and change of its board. State lives in files under
// the machine root, so every process sees the same boards.
class BoardContext {
 public:
  virtual ~BoardContext() = default;
  virtual BoardFamily Family() const = 0;
  virtual int Index() const = 0;
  virtual const BoardConfig& Config() const = 0;
  virtual BoardProgram Program() const = 0;
  virtual void SetProgram(BoardProgram program) = 0;
  // Board memory (32-bit words by address); unwritten words read 0.
  virtual std::uint32_t ReadMemory(std::uint32_t address) const = 0;
  // False when the board's memory table is full.
  virtual bool WriteMemory(std::uint32_t address, std::uint32_t value) = 0;
  // Named 32-bit values of the board software (session values, dates, display values).
  virtual std::int32_t Value(const std::string& name, std::int32_t fallback = 0) const = 0;
  virtual void SetValue(const std::string& name, std::int32_t value) = 0;
  // The word block of commands 51 and 52.
  virtual std::vector<std::uint8_t>& WordBlock() = 0;
  // A folder of this board's own files (frames and the like).
  virtual std::filesystem::path Folder() const = 0;
  // The last command this board ran before the current one.
  virtual std::uint16_t PreviousCommand() const = 0;
};

// Convenience for handlers: true when enough operand bytes came; else sets error 5.
bool RequireOperands(const BoardCommand& command, std::size_t bytes, BoardReply& reply);

// Puts every configured board in the given program at once (tools and tests
// that need the operating software without downloading it).
void ForceBoardProgram(BoardProgram program);

// --- Command log -------------------------------------------------------------

struct LoggedCommand {
  int board = 0;
  BoardFamily family = BoardFamily::Isa;
  std::uint16_t code = 0;
  std::vector<std::uint8_t> operands;
  std::int32_t error = 0;
  std::int32_t result = 0;
};

// Every command any board ran on this machine, oldest first.
std::vector<LoggedCommand> ReadCommandLog();
void ClearCommandLog();

// File-system calls the board emulation made in this process so far (a port
// access makes none; a command a small fixed number).
std::uint64_t BoardFileCalls();

}  // namespace winplat::hw
