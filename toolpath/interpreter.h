#pragma once
// The G-code line interpreter: its persistent state, the values of the line
// being read, and the entry points of a load (reset, scan, flush).
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "job/path_element.h"
#include "toolpath/context.h"
#include "toolpath/geometry.h"

namespace fieldray::toolpath {

// Elements a single load may append; further appends are refused with one
// diagnostic so that no program can exhaust memory.
constexpr std::size_t MaxPathElements = 100000;
// Longest line the interpreter prepares; a longer one is refused.
constexpr std::size_t MaxLineLength = 10000;

// The interpreter's state from line to line.
struct ScanLineState {
  double LastX = 0;  // current tool position
  double LastY = 0;
  double PrevAngle = 0;            // direction of the line whose corner is pending
  double PendingCornerRadius = 0;  // > 0 fillet, < 0 chamfer, 0 none
  double CurrentAngle = 0;
  double CornerX = 0;  // the pending corner
  double CornerY = 0;
  double LastZ = 0;
  std::int16_t ContourEWord = 0;     // E value of the current contour
  std::int32_t CutterCompMode = 0;   // 0 none, 1 after G41, 2 after G42
  std::int32_t ModalMotionCode = 0;  // motion of a line without a G word
  std::int16_t DrillFlag = 0;
  // The line held back for its corner, as it would have been appended.
  PathElement PendingLine{};
};

struct LineScan;

// Handler of the cycle, parameter and condition codes (cycle_words.cpp).
void CannedCycleWords(LineScan& line);

struct GcodeInterpreter {
  explicit GcodeInterpreter(ToolpathContext& context) : Ctx(context) {}

  ToolpathContext& Ctx;
  ScanLineState Scan;
  // Operator texts of a condition, rebuilt for every line.
  std::array<std::string, 8> ConditionOperators{};
  // Reports of the arc geometry met during the scan, shown once afterwards.
  GeometryReports ArcReports;
  // Handler of the cycle, parameter and condition codes (81, 85, 86, 150,
  // 151, 183 to 187); without one those lines only run the common end.
  std::function<void(LineScan&)> CycleWords = CannedCycleWords;
  // Set once the element cap has been reported for this load.
  bool ElementCapReported = false;
  // Set when a line of the load holds lower-case words, which are not read.
  bool LowerCaseWords = false;
};

// Values of the line being interpreted; they start fresh on every line.
struct LineScan {
  explicit LineScan(GcodeInterpreter& interpreter) : In(interpreter), Ctx(interpreter.Ctx), S(interpreter.Scan) {}

  GcodeInterpreter& In;
  ToolpathContext& Ctx;
  ScanLineState& S;
  std::int32_t IncrementalMode = 0;  // 1 after a G91 word on this line
  std::int32_t MotionCode = 0;
  std::int32_t FirstAppended = 0;  // index of the element this line appended first
  std::int32_t LastAppended = 0;   // index of the element this line appended last
  bool G2Flag = false;            // direction of the arc being built
  PathElement Image{};            // the element being built
  // Block values: absolute position, centre words and radius word, scaled.
  double X = 0, Y = 0, I = 0, J = 0, K = 0, Rv = 0;
};

// Interprets the line GcodeAwk holds (its line event).
void GcodeAwk_ScanLine(GcodeInterpreter& in);

// Before a scan: a new program starts fresh. Clears the interpreter's state,
// the word readers' remembered values, the diagnostics and the arc reports.
// The sheet values and the unit factor carry over (a factor of 0 becomes 1).
void ResetGcodeScan(GcodeInterpreter& in);

// After a scan: writes a corner still held back as a plain line to the corner.
void FlushGcodeScan(GcodeInterpreter& in);

// Makes the interpreter the handler of GcodeAwk's line event.
void ConnectGcodeAwk(GcodeInterpreter& in);

// What a load reports after its scan.
struct GcodeScanReport {
  std::vector<std::string> Diagnostics;  // every problem met, with its line
  std::vector<std::string> Messages;     // distinct messages to show once
  bool LowerCaseWords = false;           // some line was written in lower case
};

// Runs a whole program: reset, the scan of the file at `windowsPath` through
// GcodeAwk (connected here), and the flush. A file that cannot be read throws
// winplat::ScannerError; the path keeps what was scanned before.
GcodeScanReport ScanGcodeProgram(GcodeInterpreter& in, const std::string& windowsPath);

// The report of the scan just ended: the diagnostics and, once each, the arc
// messages.
GcodeScanReport CollectScanReport(GcodeInterpreter& in);

}  // namespace fieldray::toolpath
