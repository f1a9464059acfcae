#include "engine/drawing_import.h"

#include <cmath>
#include <exception>
#include <numbers>

#include "engine/field_calibration.h"
#include "engine/frame_assembly.h"
#include "engine/gcode_load.h"
#include "engine/geo_correction.h"
#include "engine/caption_text.h"
#include "engine/pick_message.h"
#include "engine/point_list.h"
#include "engine/projection_output.h"
#include "engine/settings_file.h"
#include "toolpath/geometry.h"
#include "winplat/files.h"
#include "winplat/numeric.h"
#include "winplat/screen.h"
#include "winplat/text.h"

namespace fieldray::engine {

namespace {

using winplat::ComPtr;
using winplat::IDispatch;
using winplat::Variant;
namespace dispid = kelvane::dispid;

// The far-away start of the contour test: the first segment always starts one.
constexpr double NoPreviousEnd = -99999999;
constexpr double JoinTolerance = 0.01;

// Runs one call of the view control; a failing call is skipped.
template <class F>
bool ControlCall(F&& call) {
  try {
    call();
    return true;
  } catch (const winplat::AutomationError&) {
    return false;
  }
}

// Busy pointer for the time of an open, back to the default however it ends.
class BusyPointer {
 public:
  BusyPointer() { winplat::SetMousePointer(winplat::vbHourglass); }
  ~BusyPointer() { winplat::SetMousePointer(winplat::vbDefault); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;
};

bool Checked(Engine& engine, OutputCheck box) { return engine.Console.CheckState(box) == 1; }

// A message is projected as a caption only while the output is on. Msg keeps
// the message: the caption's held points do not replace it.
void MessageCaption(Engine& engine, const char* text) {
  if (!Checked(engine, OutputCheck::CapMsg) || engine.Console.CheckState(OutputCheck::OnOff) <= 0) return;
  std::string caption = text;
  ShowCaption(engine, caption, false);
}

// A drawing that gives no frame: the job's frames go and Msg says why, with
// a fixed text in place of the path or with the reason after it. Unlike
// BlankDisplay, the frame the boards show and the preview are not redrawn.
void NothingToShow(Engine& engine, const std::string& why, bool fixedText) {
  DropJobFrames(engine);
  if (fixedText)
    SetPickHead(engine, why);
  else
    SetPickPart(engine, PickPart::Reason, why);
}

PathElement& Append(PathArray& path, std::int32_t code, double x, double y) {
  PathElement& el = AppendPathElement(path);
  el.MoveCode = code;
  el.EndX = x;
  el.EndY = y;
  return el;
}

float ReadField(IDispatch* entity, const char* name) { return DxfHost::Field(entity, name).ToSingle(); }

// Multiplies the named field by `factor` in the object and answers the stored value.
float ScaleField(IDispatch* entity, const char* name, double factor) {
  const float value = static_cast<float>(static_cast<double>(ReadField(entity, name)) * factor);
  DxfHost::SetField(entity, name, Variant(value));
  return value;
}

struct Segment {
  float x1, y1, x2, y2;
};

// The entity's end points scaled (y negated) and written back.
Segment ScaleSegment(IDispatch* entity, double f) {
  Segment s{};
  s.x1 = ScaleField(entity, "x1", f);
  s.y1 = ScaleField(entity, "y1", -f);
  s.x2 = ScaleField(entity, "x2", f);
  s.y2 = ScaleField(entity, "y2", -f);
  return s;
}

// Polyline segments; false when the query itself failed (with the reason in `why`).
bool AddPolylines(DxfHost& dxf1, PathArray& path, double f, std::string& why) {
  std::string strError;
  ComPtr<IDispatch> col;
  std::vector<ComPtr<IDispatch>> items;
  try {
    if (!dxf1.Query(dispid::GetPolyLines, strError, col)) {
      why = strError;
      return false;
    }
    items = DxfHost::Items(col.Get());
  } catch (const winplat::AutomationError& ex) {
    why = ex.what();
    return false;
  }
  double prevX = NoPreviousEnd, prevY = NoPreviousEnd;
  for (const auto& item : items) {
    Segment s{};
    float bulge = 0;
    // A segment whose fields cannot be read is left out.
    if (!ControlCall([&] {
          s = ScaleSegment(item.Get(), f);
          bulge = ReadField(item.Get(), "Bulge");
        }))
      continue;
    if (std::fabs(prevX - s.x1) > JoinTolerance || std::fabs(prevY - s.y1) > JoinTolerance)
      Append(path, 88, s.x1, s.y1);
    PathElement& el = Append(path, 1, s.x2, s.y2);
    double cx = 0, cy = 0;
    if (bulge != 0 && BulgeCentre(s.x1, s.y1, s.x2, s.y2, bulge, cx, cy)) {
      el.MoveCode = bulge < 0 ? 2 : 3;
      el.CentreX = cx;
      el.CentreY = cy;
    }
    prevX = s.x2;
    prevY = s.y2;
  }
  return true;
}

// Sweep of an arc from `start` to `end` counter-clockwise, 0 to below 360 degrees.
double ArcSweep(double start, double end) {
  double sweep = std::fmod(end - start, 360.0);
  if (sweep < 0) sweep += 360.0;
  return sweep;
}

void AddCircles(DxfHost& dxf1, PathArray& path, double f) {
  std::string strError;
  ComPtr<IDispatch> col;
  std::vector<ComPtr<IDispatch>> items;
  if (!ControlCall([&] {
        if (dxf1.Query(dispid::GetCircles, strError, col)) items = DxfHost::Items(col.Get());
      }))
    return;
  for (const auto& item : items) {
    float x = 0, y = 0, r = 0, a1 = 0, a2 = 0;
    if (!ControlCall([&] {
          x = ScaleField(item.Get(), "x1", f);
          y = ScaleField(item.Get(), "y1", -f);
          r = ScaleField(item.Get(), "Radius", f);
          a1 = ReadField(item.Get(), "StartAngle");
          a2 = ReadField(item.Get(), "EndAngle");
        }))
      continue;
    if (a1 == a2) {
      Append(path, 88, x, y - static_cast<double>(r));
      PathElement& el = Append(path, 3, x, y - static_cast<double>(r));
      el.CentreX = x;
      el.CentreY = y;
      continue;
    }
    const double sx = x + r * toolpath::CosDeg(a1), sy = y - r * toolpath::SinDeg(a1);
    const double ex = x + r * toolpath::CosDeg(a2), ey = y - r * toolpath::SinDeg(a2);
    Append(path, 88, sx, sy);
    const double sweep = ArcSweep(a1, a2);
    if (sweep > 0 && sweep < MinArcSweep) {
      // The frame builder would take ends this close for a full turn.
      Append(path, 1, ex, ey);
      continue;
    }
    PathElement& el = Append(path, 3, ex, ey);
    el.CentreX = x;
    el.CentreY = y;
  }
}

void AddLines(DxfHost& dxf1, PathArray& path, double f) {
  std::string strError;
  ComPtr<IDispatch> col;
  std::vector<ComPtr<IDispatch>> items;
  if (!ControlCall([&] {
        if (dxf1.Query(dispid::GetLines, strError, col)) items = DxfHost::Items(col.Get());
      }))
    return;
  for (const auto& item : items) {
    Segment s{};
    if (!ControlCall([&] { s = ScaleSegment(item.Get(), f); })) continue;
    Append(path, 88, s.x1, s.y1);
    Append(path, 1, s.x2, s.y2);
  }
}

// Reads and shows the drawing; answers its extents (zero when not known) and
// the control's description of a failed read ("" when it read).
std::string ReadIntoControl(DxfHost& dxf1, const std::string& path, float& l, float& t, float& r, float& b) {
  std::string readError;
  ControlCall([&] { dxf1.SetFilename(path); });
  ControlCall([&] { dxf1.SetCalcExtents(true); });
  ControlCall([&] { dxf1.SetFilename(path); });
  ControlCall([&] { dxf1.SetVisible(false); });
  try {
    dxf1.Regen(0, 0, 0);
  } catch (const winplat::AutomationError& ex) {
    readError = ex.Description().empty() ? std::string(" ") : ex.Description();
  }
  ControlCall([&] { dxf1.Put(dispid::OnTheSpotZoomPctLeft, Variant(90.0f)); });
  ControlCall([&] { dxf1.Call(dispid::OnTheSpotZoom, {Variant(0.0f), Variant(0.0f)}); });
  ControlCall([&] { dxf1.GetExtents(l, t, r, b); });
  ControlCall([&] { dxf1.Put(dispid::ZoomFunction, Variant(std::int16_t{2})); });
  ControlCall([&] { dxf1.Call(dispid::ZoomInitiate, {Variant(0.0f), Variant(0.0f)}); });
  ControlCall([&] { dxf1.Call(dispid::ZoomEnd); });
  ControlCall([&] { dxf1.SetVisible(true); });
  return readError;
}

bool WithinOneQuadrant(float l, float t, float r, float b) { return (l >= 0 || r <= 0) && (b >= 0 || t <= 0); }

// Each character the status line cannot show (a control character, any
// outside printable ASCII) becomes '?'.
void ShowableOnly(std::string& text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126) c = '?';
}

// What the control noted of the file it read last, without failing (a value
// of a numeric group that is not a number): "" when nothing. Characters the
// status line cannot show read "?".
std::string ReadNoteOf(DxfHost& dxf1) {
  std::string note;
  ControlCall([&] {
    const ComPtr<IDispatch> drawings = dxf1.Get(dispid::colDrawings).ToObject();
    if (!drawings) return;
    const std::int32_t count = winplat::GetProperty(drawings.Get(), "Count").ToLong();
    if (count < 1) return;
    const ComPtr<IDispatch> last = winplat::CallMethod(drawings.Get(), "Item", {Variant(count)}).ToObject();
    if (last) note = DxfHost::Field(last.Get(), "ReadNote").ToString();
  });
  ShowableOnly(note);
  return note;
}

// Within one quadrant (WithinOneQuadrant) the selected field places the
// drawing; straddling an axis it is shown about the origin in field S's window.
void PlaceDrawing(Engine& engine, bool oneQuadrant) {
  if (oneQuadrant) {
    bool enabled = true;
    EnableOptFld(engine, enabled);
    std::int16_t field = static_cast<std::int16_t>(CheckedOptFld(engine));
    SetGeoCorrection(engine, field);
    field = static_cast<std::int16_t>(CheckedOptFld(engine));
    ApplyFieldScale(engine, field);
    return;
  }
  std::int16_t none = 0;
  SetGeoCorrection(engine, none);
  // A hand-edited scale may be the most negative Long, which has no negation.
  const std::int64_t w = engine.State.FieldCalibration[1].XScale;
  const std::int64_t h = engine.State.FieldCalibration[1].YScale;
  engine.Vx.SetWorkingScale(ScaleBound(-w), ScaleBound(w), ScaleBound(-h), ScaleBound(h), 0, 0);
  engine.Vx.SetLaserWindow(ScaleBound(-w), ScaleBound(w), ScaleBound(-h), ScaleBound(h), 0);
  engine.Vx.DisplayPostTrans(0, 0, 0);
  bool enabled = false;
  EnableOptFld(engine, enabled);
}

}  // namespace

std::string ReaderSentence(const std::string& description) {
  std::string sentence;
  std::size_t at = 0;
  while (at <= description.size()) {
    std::size_t end = description.find_first_of("\r\n", at);
    if (end == std::string::npos) end = description.size();
    std::string line = description.substr(at, end - at);
    at = end + 1;
    const std::size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos) continue;
    if (line.compare(first, 2, "->") == 0) break;  // the trail of procedures
    if (line.compare(first, 14, "At entity type") == 0) continue;
    sentence = line.substr(first);
    break;
  }
  ShowableOnly(sentence);
  while (!sentence.empty() && sentence.back() == ' ') sentence.pop_back();
  // A cut sentence says so: it ends with "...", the whole within the limit.
  if (sentence.size() > MaxReaderSentence) sentence = sentence.substr(0, MaxReaderSentence - 3) + "...";
  return sentence;
}

double DrawingUnitFactor(float left, float top, float right, float bottom) {
  return (std::fabs(right - left) >= 150.0f || std::fabs(top - bottom) >= 100.0f) ? 1.0 : 25.4;
}

bool BulgeCentre(double x1, double y1, double x2, double y2, double bulge, double& cx, double& cy) {
  const double dx = x2 - x1, dy = y2 - y1;
  const double chord = std::hypot(dx, dy);
  if (!(chord > 0) || !std::isfinite(bulge)) return false;
  const double sweep = 4.0 * std::atan(std::fabs(bulge)) * 180.0 / std::numbers::pi;
  if (sweep < MinArcSweep) return false;
  const double d = (1.0 - bulge * bulge) / (4.0 * bulge);
  cx = (x1 + x2) / 2 + dy * d;
  cy = (y1 + y2) / 2 - dx * d;
  return std::isfinite(cx) && std::isfinite(cy);
}

void OpenDrawingFile(Engine& engine, DxfHost& dxf1, toolpath::GcodeInterpreter& in, std::string& path) {
  BusyScope busy(engine);
  BusyPointer pointer;
  engine.State.RefusedFrames.clear();
  engine.State.FrameFailureMsg.clear();
  // The job before is gone: its points are dropped until new frames are built.
  engine.State.JobPoints.clear();
  engine.State.JobFileName = FileNameOf(path);
  engine.State.JobPath = path;
  // A name in the job folder that leads out of the machine is refused, as the job intake refuses it.
  if (!winplat::LiesOnMachineDrive(path)) {
    ControlCall([&] { dxf1.Clear(); });
    engine.Console.SetMsg("Job refused: " + FileNameOf(path) + " is not a file of " + FolderOf(path));
    return;
  }
  const bool tooLarge = winplat::FileSize(path) >= MaxDrawingFileSize;
  PickScope pick(engine, tooLarge ? "File Too Large" : path);
  if (tooLarge) {
    ControlCall([&] { dxf1.Clear(); });
    MessageCaption(engine, "File Too Large");
    return;
  }
  const std::string upper = winplat::UCase(path.size() >= 4 ? path.substr(path.size() - 4) : path);
  if (upper == ".DXF") {
    bool enabled = false;
    EnablePrjPos(engine, enabled);
    EnableOptFld(engine, enabled);
    LoadDxfDrawing(engine, dxf1, path);
    return;
  }
  ControlCall([&] { dxf1.SetVisible(false); });
  if (engine.Console.CheckState(OutputCheck::CapBtn) == 0) {
    bool enabled = true;
    EnablePrjPos(engine, enabled);
    EnableOptFld(engine, enabled);
  }
  LoadGcodeDrawing(engine, in, path);
}

void LoadDxfDrawing(Engine& engine, DxfHost& dxf1, std::string& path) {
  BusyScope busy(engine);
  PickScope pick(engine, path);
  ProgramState& s = engine.State;

  float l = 0, t = 0, r = 0, b = 0;
  const std::string readError = ReadIntoControl(dxf1, path, l, t, r, b);
  const double f = DrawingUnitFactor(l, t, r, b);

  ResetPath(s.PathElements);
  s.AssemblyPoints.assign(1, PointStruct{});
  s.PointCount = 0;
  // A drawing has no origin block: an origin left by the last part program
  // would shift it.
  s.OriginX = 0;
  s.OriginY = 0;

  if (!readError.empty()) {
    const std::string sentence = ReaderSentence(readError);
    NothingToShow(engine,
                  sentence.empty() ? std::string("Contains No Displayable Entities")
                                   : "Contains No Displayable Entities: " + sentence,
                  true);
    MessageCaption(engine, "NDE");
    return;
  }
  // Values read as numbers that were none: the drawing shows as read, and
  // the status line counts them and names the first with its line.
  if (const std::string note = ReadNoteOf(dxf1); !note.empty()) SetPickPart(engine, PickPart::ReadNotes, note);

  std::string why;
  if (!AddPolylines(dxf1, s.PathElements, f, why)) {
    NothingToShow(engine, why.empty() ? std::string("GetPolyLines failed") : why, false);
    return;
  }
  AddCircles(dxf1, s.PathElements, f);
  AddLines(dxf1, s.PathElements, f);

  if (PathUpperBound(s.PathElements) == 0) {
    NothingToShow(engine, "Contains No Displayable Entities", true);
    MessageCaption(engine, "NDE");
    return;
  }

  // The field the drawing is placed in, as PlaceDrawing chooses it.
  const bool oneQuadrant = WithinOneQuadrant(l, t, r, b);
  const auto field = static_cast<std::int16_t>(oneQuadrant ? FirstCheckedOptFld(engine) : 1);
  if (RefuseUnprojectableField(engine, field)) {
    // Another field may be chosen for the next pick.
    if (oneQuadrant) EnableOptFld(engine, true);
    return;
  }

  try {
    if (engine.Builders.BuildPointsFromPath) engine.Builders.BuildPointsFromPath(engine);
    std::int32_t buffer = 0;
    SendFrame(engine, buffer);
    if (engine.Builders.DensifyFramePoints) engine.Builders.DensifyFramePoints(engine);
    PlaceDrawing(engine, oneQuadrant);
    std::int32_t frame = DxfFrameNumber;
    std::string name = "DXF";
    WriteFrameToBoard(engine, frame, name);
  } catch (const std::exception& ex) {
    DropJobFrames(engine);
    SetPickPart(engine, PickPart::FramesNotBuilt, std::string("Drawing frames not built: ") + ex.what());
    return;
  }

  s.CaptionText = Checked(engine, OutputCheck::CapNam) ? FileNameOf(path) : std::string();
  CaptionWait(engine);
  std::int32_t frame = DxfFrameNumber;
  ShowProjection(engine, frame);
}

}  // namespace fieldray::engine
