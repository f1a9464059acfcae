#pragma once
// The block-word routines of a line: its words read into the element being
// built, and the line and arc records appended from it.
#include <cstdint>
#include <string_view>

#include "toolpath/interpreter.h"

namespace fieldray::toolpath {

// Value of word `letter`: the number after the first `letter` of the line (0
// when absent or not a number; a number beyond any range adds a diagnostic
// and reads 0). Leaves GcodeAwk's separator at `letter`.
double WordValue(LineScan& line, std::string_view letter);
// True when the line holds `letter`.
bool HasWord(LineScan& line, std::string_view letter);

// Checked conversions: a value that does not fit adds a diagnostic naming
// `what` and gives 0.
std::int16_t CheckedInt(LineScan& line, double value, const char* what);
std::int32_t CheckedLong(LineScan& line, double value, const char* what);

// Sign of each axis under the corner mirror, and of a Y offset (the corner
// mirror and the Y negation without a sheet size).
double MirrorSignX(const ProgramState& state);
double MirrorSignY(const ProgramState& state);
double OffsetSignY(const ProgramState& state);
// True when exactly one axis is mirrored: arcs turn the other way.
bool OneAxisMirror(const ProgramState& state);
// True while no sheet size is known.
bool NoSheetSize(const ProgramState& state);

// The line's absolute X and Y: the word (or the last one) in absolute mode;
// the last position plus the word's delta (0 when absent) in incremental mode.
double ReadLineX(LineScan& line);
double ReadLineY(LineScan& line);

// Appends a zero element to the path and returns its index (0 when the load's
// element cap refuses it); the caller fills it.
std::int32_t AppendElement(LineScan& line);
// Appends a copy of the element being built with the given end and UWord.
std::int32_t AppendImage(LineScan& line, double endX, double endY, std::int16_t uWord);

void ReadBlockWords(LineScan& line);
void ReadEWord(LineScan& line);
void AppendLineMove(LineScan& line);
void AppendArcMove(LineScan& line);

// Writes a held-back corner's line as a plain line to the corner.
void FlushPendingCorner(LineScan& line);

}  // namespace fieldray::toolpath
