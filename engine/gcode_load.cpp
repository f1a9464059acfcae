#include "engine/gcode_load.h"

#include <cmath>
#include <exception>

#include "engine/field_calibration.h"
#include "engine/geo_correction.h"
#include "engine/pick_message.h"
#include "engine/point_list.h"
#include "engine/projection_output.h"
#include "engine/settings_file.h"
#include "winplat/components/scanner.h"
#include "winplat/msgbox.h"
#include "winplat/numeric.h"

namespace fieldray::engine {

namespace {

// The caption's number text: a blank before a non-negative number.
std::string CaptionNumber(float value) { return winplat::Str(value); }

bool Checked(Engine& engine, OutputCheck box) { return engine.Console.CheckState(box) == 1; }

std::string CaptionFor(Engine& engine, std::string& path) {
  const ProgramState& s = engine.State;
  std::string text;
  if (Checked(engine, OutputCheck::CapThr) && s.ThroughFlag != BoolFalse) text += "* ";
  if (Checked(engine, OutputCheck::CapNam)) text += FileNameOf(path) + "  ";
  if (Checked(engine, OutputCheck::Cap2L)) text += '\r';
  if (Checked(engine, OutputCheck::CapLen)) text += "L" + CaptionNumber(s.SheetLength) + "  ";
  if (Checked(engine, OutputCheck::CapHgt)) text += "H" + CaptionNumber(s.SheetHeight) + "  ";
  if (Checked(engine, OutputCheck::CapThk)) text += "T" + CaptionNumber(s.SheetThickness) + "  ";
  return text;
}

// Builds outline, pattern, compensated path and path points (which write the
// switch frames). A fault deletes the job frames instead of leaving them half
// written, and says so in Msg.
bool BuildFrames(Engine& engine) {
  ProgramState& s = engine.State;
  s.AssemblyPoints.assign(1, PointStruct{});
  s.PointCount = 0;
  const FrameBuilders& b = engine.Builders;
  try {
    if (b.AddWorkAreaOutline) b.AddWorkAreaOutline(engine);
    if (b.AddTablePattern) b.AddTablePattern(engine);
    if (b.AppendOffsetPath) b.AppendOffsetPath(engine);
    if (b.BuildPointsFromPath) b.BuildPointsFromPath(engine);
  } catch (const std::exception& ex) {
    DropJobFrames(engine);
    SetPickPart(engine, PickPart::FramesNotBuilt, std::string("Part program frames not built: ") + ex.what());
    return false;
  }
  return true;
}

}  // namespace

double RoundFourHash(double value) {
  try {
    return winplat::Val(winplat::Format(value, "####"));
  } catch (const winplat::NumericError&) {
    // Beyond the numbers the text can carry back: rounded as the pattern would.
    return std::isfinite(value) ? std::round(value) : 0.0;
  }
}

void LoadGcodeDrawing(Engine& engine, toolpath::GcodeInterpreter& in, std::string& path) {
  BusyScope busy(engine);
  PickScope pick(engine, path);
  ProgramState& s = engine.State;
  ResetPath(s.PathElements);
  // A condition block or corner word left open by the previous program ends
  // with it.
  s.BlockCondition = BoolTrue;
  s.AltOriginCorner = -1;
  s.PointCount = 0;
  s.OriginCorner = 0;
  s.OriginX = 0;
  s.OriginY = 0;
  s.OriginZ = 0;
  s.ThroughFlag = BoolFalse;

  if (RefuseUnprojectableField(engine, static_cast<std::int16_t>(CheckedOptFld(engine)))) return;

  toolpath::GcodeScanReport report;
  try {
    report = toolpath::ScanGcodeProgram(in, path);
  } catch (const winplat::ScannerError& ex) {
    SetPickPart(engine, PickPart::Reason, std::string("Part program not read: ") + ex.what());
    return;
  }

  PathArray& p = s.PathElements;
  if (PathUpperBound(p) >= 1 && p.back().MoveCode == 88) p.pop_back();
  for (std::int32_t i = 1; i <= PathUpperBound(p); ++i) {
    PathElement& el = p[static_cast<std::size_t>(i)];
    el.CentreX = RoundFourHash(el.CentreX);
    el.CentreY = RoundFourHash(el.CentreY);
    el.EndX = RoundFourHash(el.EndX);
    el.EndY = RoundFourHash(el.EndY);
  }

  // A program that gave no motion at all says so; the problems met are
  // counted, the first named.
  const std::string name = FileNameOf(path);
  const bool motions = PathUpperBound(p) >= 1;
  if (!motions) {
    std::string reason = name + ": no motion read";
    if (report.LowerCaseWords) reason += "; G-code words are read in upper case";
    SetPickPart(engine, PickPart::Reason, reason);
  }
  if (!report.Diagnostics.empty())
    SetPickPart(engine, PickPart::ReadNotes,
                std::to_string(report.Diagnostics.size()) + " problem(s) in " + name + ": " +
                    report.Diagnostics.front());
  for (const std::string& m : report.Messages) winplat::MessageBox(0, m, "", winplat::MB_OK);

  if (!BuildFrames(engine)) return;

  std::int16_t field = static_cast<std::int16_t>(CheckedOptFld(engine));
  SetGeoCorrection(engine, field);

  s.CaptionText = CaptionFor(engine, path);

  CaptionWait(engine);

  std::int32_t position = CheckedPrjPos(engine);
  // A program whose every point the chosen position's options drop would
  // project nothing without a word.
  if (motions && position > 0 && PointsOnBoard(engine, position) == 0) {
    SetPickPart(engine, PickPart::SwitchHint,
                "Switch position " + std::to_string(position) + " keeps no point of " + FileNameOf(path) +
                    ": check the switch options");
  }
  ShowProjection(engine, position);
}

}  // namespace fieldray::engine
