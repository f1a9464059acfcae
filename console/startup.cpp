// The main window's start-up and shutdown.
#include "console/startup.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

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

namespace fieldray::console {
namespace {

using engine::Engine;

// A number read leniently, saturated to the 32-bit range.
std::int32_t Saturated(const std::string& text) {
  double v = std::nearbyint(engine::LenientVal(text));
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

std::string Ini(Engine& e, const char* section, const std::string& key) {
  return engine::ReadIniValue(e, section, key);
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

void SetJobFolder(Engine& e, MainForm& main) {
  std::string path = Ini(e, "System", "Path");
  if (!path.empty()) {
    try {
      main.File1.SetPath(path);
      return;
    } catch (const std::exception&) {
    }
  }
  // A missing, empty or refused job folder falls back to the program folder.
  main.File1.SetPath(e.State.ProgramDir);
  e.Console.SetMsg("Job folder \"" + path + "\" not found; showing the program folder.");
}

}  // namespace

StartupSeams StandardSeams(Engine& e, MainForm& main, ComponentSlots& slots) {
  StartupSeams seams;
  seams.LoadGrids = [&e, &slots] {
    const std::string& dir = e.State.ProgramDir;
    // A missing or damaged grid file leaves its grid as designed.
    slots.SSOptSw->Grid().LoadFromFile(dir + "SWPOS.DAT");
    const std::string note = engine::SwitchPositionsNote(slots.SSOptSw->Grid().MaxCols());
    if (!note.empty()) e.Console.SetMsg(note);
    slots.SSHt->Grid().LoadFromFile(dir + "SWHT.DAT");
    slots.MarkerData->Grid().LoadFromFile(dir + "Marker.Dat");
    slots.ToolDat->Grid().LoadFromFile(dir + "Tool.Dat");
  };
  seams.LoadPrjPosCaptions = [&e] { engine::LoadPrjPosCaptions(e); };
  seams.ListCalibrationFrames = [&e] { engine::ListCalibrationFrames(e); };
  seams.LoadPtAlgn = [&e, &main, &slots] { LoadPtAlgn(e, main, slots.SetupData->Grid()); };
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

void Form_Load(Engine& e, MainForm& main, StartupValues& v, const StartupSeams& seams) {
  ProgramState& s = e.State;
  main.Timer1.SetEnabled(false);
  main.TimerCB.SetEnabled(false);

  s.AssemblyPoints.assign(1, PointStruct{});
  std::string exe = winplat::ExeName();
  std::string dir = engine::FolderOf(exe);
  if (dir.find("VB") != std::string::npos) dir = "C:\\FieldrayDir\\";
  engine::SetProgramDir(s, dir);
  engine::FillSettingsFromTemplate(e);

  engine::WindowPosition pos = engine::ReadMainWindowPosition(e);
  main.SetTop(pos.Top);
  main.SetLeft(pos.Left);

  SetJobFolder(e, main);
  engine::LoadFieldCalibration(e);

  v.MarkerResolution = Saturated(engine::ReadCalibrationValue(e, "MarkerResolution"));
  if (v.MarkerResolution == 0) v.MarkerResolution = 5;

  LoadHeightPresets(e, main);
  std::int32_t k = Saturated(Ini(e, "HeightPresets", "Index"));
  if (k > 5 || k < 0) k = 0;
  if (main.PrjHght.Exists(k)) main.PrjHght(k).SetValue(true);
  main.MdHt.SetValue(CheckState(Ini(e, "HeightPresets", "FollowMode")));

  main.CapMsg.SetValue(CheckState(Ini(e, "CaptionProjection", "Message")));
  main.CapThr.SetValue(CheckState(Ini(e, "CaptionProjection", "Through")));
  main.CapNam.SetValue(CheckState(Ini(e, "CaptionProjection", "Name")));
  main.CapLen.SetValue(CheckState(Ini(e, "CaptionProjection", "Length")));
  main.CapHgt.SetValue(CheckState(Ini(e, "CaptionProjection", "Height")));
  main.CapThk.SetValue(CheckState(Ini(e, "CaptionProjection", "Thickness")));
  main.TdTxt.SetText(Ini(e, "CaptionProjection", "CaptionTimeDelay"));
  main.TDMode.SetText(Ini(e, "CaptionProjection", "ModeTimeDelay"));
  main.CapX.SetText(Ini(e, "CaptionProjection", "XPosition"));
  main.CapY.SetText(Ini(e, "CaptionProjection", "YPosition"));
  main.Cap2L.SetValue(CheckState(Ini(e, "CaptionProjection", "TwoLines")));
  main.CharH.SetText(ShortestText(engine::LenientVal(Ini(e, "CaptionProjection", "CharHeight"))));
  main.CharW.SetText(ShortestText(engine::LenientVal(Ini(e, "CaptionProjection", "CharWidth"))));
  main.LLMO.SetValue(CheckState(Ini(e, "MachineData", "Origin")));

  s.LoadingSettings = BoolTrue;
  main.PtsST.SetText(engine::ReadCalibrationValue(e, "PointsStart"));
  main.PtsVtx.SetText(engine::ReadCalibrationValue(e, "PointsVertex"));
  main.PtsEnd.SetText(engine::ReadCalibrationValue(e, "PointsEnd"));
  s.HoldStart = Saturated(main.PtsST.Text());
  s.HoldVertex = Saturated(main.PtsVtx.Text());
  s.HoldEnd = Saturated(main.PtsEnd.Text());
  main.SRUL.SetText(engine::ReadCalibrationValue(e, "ScanRateUL"));
  main.SRLL.SetText(engine::ReadCalibrationValue(e, "ScanRateLL"));
  main.ScnRt.SetText(engine::ReadCalibrationValue(e, "ScanRate"));
  s.ScanRateCache = Saturated(main.ScnRt.Text());
  main.BlnkTm.SetText(engine::ReadCalibrationValue(e, "BlankTiming"));
  if (seams.LoadGrids) seams.LoadGrids();
  s.LoadingSettings = BoolFalse;

  if (seams.LoadPrjPosCaptions) seams.LoadPrjPosCaptions();

  // The device session.
  s.SessionArgs = SessionValues{};
  e.Vx.InitialTBCheck(&s.VXStatus);
  std::int32_t checked = s.VXStatus;
  engine::CheckStatus(e);
  if (e.Ended) return;
  if (checked == 0) {
    e.Vx.CheckSession(&s.VXStatus);
    if (s.VXStatus == 0) {
      std::int32_t ignored = 0;
      e.Vx.CheckSessionSettings(&s.SessionArgs.P1, &s.SessionArgs.P2, &s.SessionArgs.P3, &s.SessionArgs.P4,
                                &ignored);
    } else {
      if (s.VXStatus != -101) {
        engine::CheckStatus(e);
        if (e.Ended) return;
      }
      engine::StartSession(e);
      if (e.Ended) return;
    }
  }
  // The display parameters in a known state, one scanner and one track.
  e.Vx.ResetVX();
  e.Vx.DisplaySize(200, 200, 200, 100, 0);
  e.Vx.SetWorkingScanners(1);
  e.Vx.SetWorkingTracks(1);

  std::int16_t fieldS = 1;
  engine::ApplyFieldScale(e, fieldS);
  engine::LoadGeometricSettings(e);
  if (seams.ListCalibrationFrames) seams.ListCalibrationFrames();
  if (seams.LoadPtAlgn) seams.LoadPtAlgn();

  engine::ReadCorvantaSettings(e);

  int upper = main.PrjPos.Count() + 1;
  v.BoxPositions.assign(static_cast<std::size_t>(upper + 1), 0);
  for (int n = 0; n <= upper; ++n) v.BoxPositions[n] = Saturated(engine::ReadCalibrationValue(e, engine::BoxPosKey(n)));

  s.OptFldEnabled = BoolTrue;
  v.PortDevice = OpenRemoteBoxPort();

  // The timers start only now, so no job is taken before the session, the
  // correction and the lists exist.
  main.Timer1.SetEnabled(true);
  main.TimerCB.SetEnabled(true);
}

void Form_QueryUnload(Engine& e, MainForm& main, StartupValues& v) {
  // A value being edited is saved as when the focus leaves its control.
  if (wc::Control* active = main.ActiveControl()) active->LostFocus.Fire(*active, "LostFocus");
  std::string top = std::to_string(main.Top());
  engine::WriteIniValue(e, "Main", "Top", top);
  std::string left = std::to_string(main.Left());
  engine::WriteIniValue(e, "Main", "Left", left);
  e.Vx.EndSession();
  CloseRemoteBoxPort(v.PortDevice);
}

}  // namespace fieldray::console
