#pragma once
// Opening a chosen file: drawings go through the view control DXF1 into the
// path and board frame 14; any other file is read as a G-code part program.
#include <cstdint>
#include <string>

#include "engine/dxf_host.h"
#include "engine/engine.h"
#include "toolpath/interpreter.h"

namespace fieldray::engine {

// Files of this many bytes or more are refused.
constexpr std::int32_t MaxDrawingFileSize = 100000;
// The longest reader sentence shown after a failed read.
constexpr std::size_t MaxReaderSentence = 120;

// The reader's own sentence in the description of a failed read: the first
// line that is neither the "At entity type ..." line nor the " -> " trail,
// with characters outside 32..126 shown as "?"; a longer one is cut to
// MaxReaderSentence characters ending in "...".
std::string ReaderSentence(const std::string& description);
// The board frame the imported drawing is written to, and its name.
constexpr std::int32_t DxfFrameNumber = 14;
// A bulge arc or ARC sweeping less than this (degrees, but more than 0) is drawn as its chord.
constexpr double MinArcSweep = 0.1;

// Refuses a file that is too large, sends a ".DXF" name (any case) to the DXF
// import and every other name to the G-code load driver.
void OpenDrawingFile(Engine& engine, DxfHost& dxf1, toolpath::GcodeInterpreter& in, std::string& path);

// Lets DXF1 read and show the drawing, turns its polylines, circles, arcs and
// lines into the path, builds the switch frames and frame 14 and projects it.
void LoadDxfDrawing(Engine& engine, DxfHost& dxf1, std::string& path);

// 1.0, or 25.4 for a drawing less than 150 wide and 100 high (taken to be in inches).
double DrawingUnitFactor(float left, float top, float right, float bottom);

// Centre of the arc of signed bulge `bulge` from (x1, y1) to (x2, y2), in path
// coordinates (y pointing the other way from the drawing's). False when the
// segment is better drawn as its chord: no chord, a sweep under MinArcSweep,
// or a centre that is not a finite number.
bool BulgeCentre(double x1, double y1, double x2, double y2, double bulge, double& cx, double& cy);

}  // namespace fieldray::engine
