#pragma once
// Handlers of the canned cycles and program-control codes: a single hole (81),
// runs to a Q coordinate (85 along X, 86 along Y), rows of holes by tool range
// (183, 184) and by pitch (185, 186, 187 along any line), the parameter line
// (150) and the condition (151).
#include <cstdint>

#include "toolpath/interpreter.h"

namespace fieldray::toolpath {

// Holes one line may add; a row beyond it is cut with a diagnostic.
constexpr std::int32_t MaxMarksPerLine = 10000;

// Runs the handler of the line's motion code. The interpreter calls it for
// every cycle and program-control line it executes.
void CannedCycleWords(LineScan& line);

void SingleHole(LineScan& line);                 // 81
void RunToQ(LineScan& line);                     // 85, 86
void RowByToolRange(LineScan& line);             // 183, 184
void RowByPitch(LineScan& line);                 // 185, 186
void RowAlongLine(LineScan& line);               // 187
void ParameterLine(LineScan& line);              // 150
void ConditionLine(LineScan& line);              // 151

}  // namespace fieldray::toolpath
