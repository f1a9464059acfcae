#pragma once
// The program-wide values of Fieldray, kept in one object that handlers and
// engine procedures receive. Each keeps its documented name and type.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/path_element.h"

namespace fieldray {

// The system's Boolean values (16-bit).
constexpr std::int16_t BoolTrue = -1;
constexpr std::int16_t BoolFalse = 0;

// The remembered values of the G-code word readers: they start at 0 when the
// program starts and carry over from line to line and from file to file.
struct GcodeReaderMemory {
  float LastX = 0;
  float LastY = 0;
  float LastI = 0;
  float LastJ = 0;
  double LastRadius = 0;
};

struct ProgramState {
  // The path: element 0 is a zero record; elements 1.. are the path.
  PathArray PathElements = PathArray(1);

  // Job and expression variables by letter, A = 1 ... T = 20 (8 = H sheet
  // height, 12 = L sheet length, 19 = S sheet thickness), and which of them the
  // current job supplied.
  std::array<float, 21> VarTable{};
  std::array<std::int16_t, 21> VarSet{};
  // Nonzero while the current program came through the job hand-off.
  std::int16_t HandOffFlag = BoolFalse;

  // Millimetres per program unit: 25.4 after an inch sheet block, 1.0 after a
  // metric one. Only the sheet block writes it; it starts at 0.
  double GcodeUnitFactor = 0;
  // Sheet size in millimetres, kept from one load to the next; length + height
  // = 0 means no sheet size is known.
  float SheetLength = 0;
  float SheetHeight = 0;
  float SheetThickness = 0;
  // True when a Z depth of the program reaches SheetThickness.
  std::int16_t ThroughFlag = BoolFalse;

  // Drawing origin of the program's origin block, whole drawing units.
  std::int32_t OriginX = 0;
  std::int32_t OriginY = 0;
  std::int32_t OriginZ = 0;
  // Sheet corner of the program origin, 0 to 3; and the corner chosen by a
  // corner word written with a trailing "/" (-1 when none; nothing reads it).
  std::int32_t OriginCorner = 0;
  std::int32_t AltOriginCorner = -1;
  // True while G words are executed (condition blocks switch it).
  std::int16_t BlockCondition = BoolTrue;

  // Pattern lines: row n, column 0 the T value (x position) of pattern line n,
  // columns 1 to 12 its further values.
  std::array<std::array<std::int32_t, 13>, 13> PatternTable{};

  GcodeReaderMemory GcodeReaders;

  // Problems met while a program is read (a malformed expression, a number out
  // of range): each is collected here instead of ending the load; the load
  // clears the list before it starts and reports the count afterwards.
  std::vector<std::string> LoadDiagnostics;
};

}  // namespace fieldray
