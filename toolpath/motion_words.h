#pragma once
// Handlers of the motion and set-up codes: contour start, straight line, arcs,
// polar lines, the origin block and the sheet block.
#include "toolpath/interpreter.h"

namespace fieldray::toolpath {

void ContourStart(LineScan& line);       // 88, and G0 lines with X or Y
void StraightLine(LineScan& line);       // 1
void ArcWord(LineScan& line, bool g2);   // 2, 12, 37 (g2) and 3, 13, 38
void PolarLine(LineScan& line);          // 11 from the line's point, 110 from the position
void OriginBlock(LineScan& line);        // 92
void SheetBlock(LineScan& line);         // 70 (inch) and 71 (metric)

// A value rounded to a whole number through the "####" pattern, halves away
// from zero; 0 with a diagnostic when it does not fit.
std::int32_t RoundThroughPattern(LineScan& line, double value, const char* what);

}  // namespace fieldray::toolpath
