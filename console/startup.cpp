// The main window's start-up and shutdown.
#include "console/startup.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "console/alignment_points.h"
#include "console/height_presets.h"
#include "engine/field_calibration.h"
#include "engine/frame_assembly.h"
#include "engine/geo_correction.h"
#include "engine/projection_output.h"
#include "engine/settings_file.h"
#include "engine/settings_keys.h"
#include "engine/status_reporter.h"
#include "winplat/folders.h"
#include "winplat/hw/parport.h"
#include "winplat/text.h"

namespace fieldray::console {

using engine::ApplyFieldScale;
using engine::BoxPosKey;
using engine::CheckStatus;
using engine::Engine;
using engine::FillSettingsFromTemplate;
using engine::FolderOf;
using engine::LenientVal;
using engine::ListCalibrationFrames;
using engine::LoadFieldCalibration;
using engine::LoadGeometricSettings;
using engine::LoadPrjPosCaptions;
using engine::ReadCalibrationValue;
using engine::ReadCorvantaSettings;
using engine::ReadIniValue;
using engine::ReadMainWindowPosition;
using engine::SetProgramDir;
using engine::StartSession;
using engine::SwitchPositionsNote;
using engine::WindowPosition;

namespace {

// A number read leniently, saturated to the 32-bit range.
std::int32_t Saturated(const std::string& text) {
  double v = std::nearbyint(LenientVal(text));
  if (!(v == v)) return 0;
  v = std::clamp(v, static_cast<double>(std::numeric_limits<std::int32_t>::min()),
                 static_cast<double>(std::numeric_limits<std::int32_t>::max()));
  return static_cast<std::int32_t>(v);
}

// A check-box state from the settings: 0..2, anything else reads as 0.
int CheckState(const std::string& text) {
  std::int32_t v = Saturated(text);
  return v >= 0 && v <= 2 ? v : 0;
}

std::string Ini(Engine& engine, const char* section, const std::string& key) {
  return ReadIniValue(engine, section, key);
}

// The shortest decimal text of a number (12.50 shows 12.5, empty shows 0).
std::string ShortestText(double v) {
  std::string s = std::to_string(v);
  if (s.find('.') != std::string::npos) {
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
  }
  return s == "-0" ? "0" : s;
}

// Shows the job folder; a note when it had to fall back ("" when not).
std::string SetJobFolder(Engine& engine, MainForm& main) {
  std::string path = Ini(engine, "System", "Path");
  if (!path.empty()) {
    try {
      main.File1.SetPath(path);
      return "";
    } catch (const std::exception&) {
    }
  }
  // A missing, empty or refused job folder falls back to the program folder.
  main.File1.SetPath(engine.State.ProgramDir);
  return "Job folder \"" + path + "\" not found; showing the program folder.";
}

// A stored value of a box with an up-down: one outside the up-down's range is
// not used, the nearest bound is, and the key with its range is noted. A blank
// value stays as the settings rules give it.
std::string WithinRange(Engine& engine, const wc::UpDown& range, const char* key, std::vector<std::string>& notes) {
  const std::string stored = ReadCalibrationValue(engine, key);
  if (winplat::Trim(stored).empty()) return stored;
  const double v = std::nearbyint(LenientVal(stored));
  if (v >= range.Min() && v <= range.Max()) return stored;
  notes.push_back(std::string(key) + " (" + std::to_string(range.Min()) + " to " + std::to_string(range.Max()) + ")");
  return std::to_string(v < range.Min() ? range.Min() : range.Max());
}

}  // namespace

StartupSeams StandardSeams(Engine& engine, MainForm& main, ComponentSlots& slots) {
  StartupSeams seams;
  seams.LoadGrids = [&engine, &slots] {
    const std::string& dir = engine.State.ProgramDir;
    // A missing or damaged grid file leaves its grid as designed.
    slots.SSOptSw->Grid().LoadFromFile(dir + "SWPOS.DAT");
    const std::string note = SwitchPositionsNote(slots.SSOptSw->Grid().MaxCols());
    if (!note.empty()) engine.Console.SetMsg(note);
    slots.SSHt->Grid().LoadFromFile(dir + "SWHT.DAT");
    slots.MarkerData->Grid().LoadFromFile(dir + "Marker.Dat");
    slots.ToolDat->Grid().LoadFromFile(dir + "Tool.Dat");
  };
  seams.LoadPrjPosCaptions = [&engine] { LoadPrjPosCaptions(engine); };
  seams.ListCalibrationFrames = [&engine] { ListCalibrationFrames(engine); };
  seams.LoadPtAlgn = [&engine, &main, &slots] { LoadPtAlgn(engine, main, slots.SetupData->Grid()); };
  return seams;
}

std::int32_t OpenRemoteBoxPort() {
  using namespace winplat::hw;
  std::int32_t device = HwNewDevice(0);
  if (HwConnectParPort(device, 0) == 0) {
    HwDeleteDevice(device);
    return 0;
  }
  HwAcquireParPort(device);
  HwOutp(device, 0, 255);
  HwOutp(device, 2, 2);
  HwOutp(device, 2, 3);
  return device;
}

void CloseRemoteBoxPort(std::int32_t& portDevice) {
  using namespace winplat::hw;
  if (portDevice == 0) return;
  HwOutp(portDevice, 0, 0);
  HwReleaseParPort(portDevice);
  HwDeleteDevice(portDevice);
  portDevice = 0;
}

void Form_Load(Engine& engine, MainForm& main, StartupValues& values, const StartupSeams& seams) {
  ProgramState& s = engine.State;
  main.Timer1.SetEnabled(false);
  main.TimerCB.SetEnabled(false);

  s.AssemblyPoints.assign(1, PointStruct{});
  std::string exe = winplat::ExeName();
  std::string dir = FolderOf(exe);
  if (dir.find("VB") != std::string::npos) dir = "C:\\FieldrayDir\\";
  SetProgramDir(s, dir);
  FillSettingsFromTemplate(engine);
  // What start-up has to say about the settings, said at once when they are read.
  std::vector<std::string> notes;
  if (std::string missing = engine::MissingSettingsNote(engine); !missing.empty()) notes.push_back(missing);

  WindowPosition pos = ReadMainWindowPosition(engine);
  main.SetTop(pos.Top);
  main.SetLeft(pos.Left);

  if (std::string folder = SetJobFolder(engine, main); !folder.empty()) notes.push_back(folder);
  LoadFieldCalibration(engine);

  values.MarkerResolution = Saturated(ReadCalibrationValue(engine, "MarkerResolution"));
  if (values.MarkerResolution == 0) values.MarkerResolution = 5;

  LoadHeightPresets(engine, main);
  std::int32_t k = Saturated(Ini(engine, "HeightPresets", "Index"));
  if (k > 5 || k < 0) k = 0;
  if (main.PrjHght.Exists(k)) main.PrjHght(k).SetValue(true);
  main.MdHt.SetValue(CheckState(Ini(engine, "HeightPresets", "FollowMode")));

  main.CapMsg.SetValue(CheckState(Ini(engine, "CaptionProjection", "Message")));
  main.CapThr.SetValue(CheckState(Ini(engine, "CaptionProjection", "Through")));
  main.CapNam.SetValue(CheckState(Ini(engine, "CaptionProjection", "Name")));
  main.CapLen.SetValue(CheckState(Ini(engine, "CaptionProjection", "Length")));
  main.CapHgt.SetValue(CheckState(Ini(engine, "CaptionProjection", "Height")));
  main.CapThk.SetValue(CheckState(Ini(engine, "CaptionProjection", "Thickness")));
  main.TdTxt.SetText(Ini(engine, "CaptionProjection", "CaptionTimeDelay"));
  main.TDMode.SetText(Ini(engine, "CaptionProjection", "ModeTimeDelay"));
  main.CapX.SetText(Ini(engine, "CaptionProjection", "XPosition"));
  main.CapY.SetText(Ini(engine, "CaptionProjection", "YPosition"));
  main.Cap2L.SetValue(CheckState(Ini(engine, "CaptionProjection", "TwoLines")));
  main.CharH.SetText(ShortestText(LenientVal(Ini(engine, "CaptionProjection", "CharHeight"))));
  main.CharW.SetText(ShortestText(LenientVal(Ini(engine, "CaptionProjection", "CharWidth"))));
  main.LLMO.SetValue(CheckState(Ini(engine, "MachineData", "Origin")));

  std::vector<std::string> outOfRange;
  s.LoadingSettings = BoolTrue;
  main.PtsST.SetText(WithinRange(engine, main.PtsStUD, "PointsStart", outOfRange));
  main.PtsVtx.SetText(WithinRange(engine, main.PtsVtxUD, "PointsVertex", outOfRange));
  main.PtsEnd.SetText(WithinRange(engine, main.PtsEndUD, "PointsEnd", outOfRange));
  s.HoldStart = Saturated(main.PtsST.Text());
  s.HoldVertex = Saturated(main.PtsVtx.Text());
  s.HoldEnd = Saturated(main.PtsEnd.Text());
  main.SRUL.SetText(WithinRange(engine, main.SRULUD, "ScanRateUL", outOfRange));
  main.SRLL.SetText(WithinRange(engine, main.SRLLUD, "ScanRateLL", outOfRange));
  main.ScnRt.SetText(WithinRange(engine, main.ScnRtUD, "ScanRate", outOfRange));
  s.ScanRateCache = Saturated(main.ScnRt.Text());
  main.BlnkTm.SetText(WithinRange(engine, main.BlnkTmUD, "BlankTiming", outOfRange));
  if (seams.LoadGrids) seams.LoadGrids();
  s.LoadingSettings = BoolFalse;
  values.SettingsLoaded = true;
  if (!outOfRange.empty()) {
    std::string note = "Settings outside their range, the nearest bound used: ";
    for (std::size_t i = 0; i < outOfRange.size(); ++i) note += (i ? ", " : "") + outOfRange[i];
    notes.push_back(note);
  }
  if (!notes.empty()) {
    std::string all;
    for (const std::string& note : notes) all += (all.empty() ? "" : "; ") + note;
    engine.Console.SetMsg(all);
  }

  if (seams.LoadPrjPosCaptions) seams.LoadPrjPosCaptions();

  // The device session.
  s.SessionArgs = SessionValues{};
  engine.Vx.InitialTBCheck(&s.VXStatus);
  std::int32_t checked = s.VXStatus;
  CheckStatus(engine);
  if (engine.Ended) return;
  if (checked == 0) {
    engine.Vx.CheckSession(&s.VXStatus);
    if (s.VXStatus == 0) {
      std::int32_t ignored = 0;
      engine.Vx.CheckSessionSettings(&s.SessionArgs.P1, &s.SessionArgs.P2, &s.SessionArgs.P3, &s.SessionArgs.P4,
                                     &ignored);
    } else {
      if (s.VXStatus != -101) {
        CheckStatus(engine);
        if (engine.Ended) return;
      }
      StartSession(engine);
      if (engine.Ended) return;
    }
  }
  // The display parameters in a known state, one scanner and one track.
  engine.Vx.ResetVX();
  engine.Vx.DisplaySize(200, 200, 200, 100, 0);
  engine.Vx.SetWorkingScanners(1);
  engine.Vx.SetWorkingTracks(1);

  std::int16_t fieldS = 1;
  ApplyFieldScale(engine, fieldS);
  LoadGeometricSettings(engine);
  if (seams.ListCalibrationFrames) seams.ListCalibrationFrames();
  if (seams.LoadPtAlgn) seams.LoadPtAlgn();

  ReadCorvantaSettings(engine);

  int upper = main.PrjPos.Count() + 1;
  values.BoxPositions.assign(static_cast<std::size_t>(upper + 1), 0);
  for (int n = 0; n <= upper; ++n) values.BoxPositions[n] = Saturated(ReadCalibrationValue(engine, BoxPosKey(n)));

  s.OptFldEnabled = BoolTrue;
  values.PortDevice = OpenRemoteBoxPort();

  // The timers start only now, so no job is taken before the session, the
  // correction and the lists exist.
  main.Timer1.SetEnabled(true);
  main.TimerCB.SetEnabled(true);
}

void Form_QueryUnload(Engine& engine, MainForm& main, StartupValues& values) {
  // A value being edited is saved as when the focus leaves its control.
  if (values.SettingsLoaded) {
    if (wc::Control* active = main.ActiveControl()) active->LostFocus.Fire(*active, "LostFocus");
    StoreWindowPosition(engine, main, "Main");
  }
  engine.Vx.EndSession();
  CloseRemoteBoxPort(values.PortDevice);
}

}  // namespace fieldray::console
