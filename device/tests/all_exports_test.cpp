// Every export of the library called against the emulated boards, once on an
// ISA board and once on a PCI board: one table entry per export, each a small
// call with a check of its status and, where cheap, of what came back. The
// table must name every export of the surface, so an export added without a
// call here fails the test.
#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <set>

#include "display_fixture.h"
#include "export_list.h"
#include "periphery_exports.h"
#include "winplat/paths.h"
#include "winplat/surface.h"
#include "winplat/window.h"

namespace vxtest {
namespace {

namespace hw = winplat::hw;

class AllExports;

// One export: its name, whether it sends board commands, and the call.
struct Entry {
  const char* name;
  bool board;
  std::function<void(AllExports&)> call;
};

winplat::LRESULT BoxProc(winplat::HWND hwnd, winplat::UINT message, winplat::WPARAM wParam, winplat::LPARAM lParam) {
  return winplat::DefWindowProc(hwnd, message, wParam, lParam);
}

class AllExports : public SessionTest, public ::testing::WithParamInterface<bool> {
 public:
  bool Pci() const { return GetParam(); }
  std::int32_t Box() const { return static_cast<std::int32_t>(box); }
  // Pixels of a colour in the preview box.
  int Lit(winplat::COLORREF colour) const {
    winplat::Picture p = winplat::CaptureWindow(box);
    return static_cast<int>(std::count_if(p.pixels.begin(), p.pixels.end(),
                                          [colour](std::uint32_t px) { return (px & 0xFFFFFF) == colour; }));
  }
  static bool HasLogged(const std::string& line) { return Logged(line); }
  static std::vector<hw::LoggedCommand> Sent(std::uint16_t code) { return Commands(code); }
  static std::vector<std::int32_t> Longs(std::uint16_t code) { return LastLongs(Commands(code)); }
  static FrameStruct Header(std::int32_t frame) {
    FrameStruct h{};
    Resolve<decltype(::ReadFrameStruct)>("ReadFrameStruct")(frame, &h);
    return h;
  }
  static std::string HostText(const char* windowsPath) { return testsupport::ReadFile(winplat::HostPath(windowsPath)); }

 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(SessionTest::SetUp());
    if (Pci()) {
      ConfigureBoards("[Boards]\nFamily=PCI\nCount=1\n");
      UsePci(1);
    }
    hw::ForceBoardProgram(hw::BoardProgram::Operating);
    ASSERT_EQ(vs::InitialTBCheck()(nullptr), 0);
    static bool registered = [] {
      winplat::WNDCLASS wc;
      wc.lpfnWndProc = BoxProc;
      wc.lpszClassName = "FrEveryExportBox";
      return winplat::RegisterClass(wc) != 0;
    }();
    ASSERT_TRUE(registered);
    box = winplat::CreateWindowEx(0, "FrEveryExportBox", "", winplat::WS_POPUP, 0, 0, 200, 200, 0, 0, 0, 0);
    ASSERT_NE(box, 0u);
    std::filesystem::create_directories(winplat::HostPath("C:\\TEMP"));
    hw::ClearCommandLog();
  }
  void TearDown() override {
    if (box) winplat::DestroyWindow(box);
    SessionTest::TearDown();
  }
  winplat::HWND box = 0;
};

// A square of side 2s about the origin, lit red after a blanked first move.
std::vector<PointStruct> Square(std::int32_t s) {
  return {{-s, -s, 0, 0, 0, 0, 0, 0, 0},
          {s, -s, 0, 0, 0x0000FF, 0, 0, 0, 0},
          {s, s, 0, 0, 0x0000FF, 0, 0, 0, 0},
          {-s, s, 0, 0, 0x0000FF, 0, 0, 0, 0},
          {-s, -s, 0, 0, 0x0000FF, 0, 0, 0, 0}};
}

FrameStruct Named(std::int32_t count, const char* name) {
  FrameStruct h{};
  h.NumPoints = count;
  std::memset(h.Name, ' ', sizeof h.Name);
  std::memcpy(h.Name, name, std::strlen(name));
  return h;
}

// A show structure file: "VXSS", no preface, two named records.
std::string ShowFile() {
  std::string text = "VXSS";
  text.append(4, '\0');
  auto record = [&text](const char* name, std::int32_t value) {
    std::string r = name;
    r.resize(50, '\0');
    for (int k = 3; k >= 0; --k) r.push_back(static_cast<char>((static_cast<std::uint32_t>(value) >> (8 * k)) & 0xFF));
    r.append(12, '\1');
    text += r;
  };
  record("Intro", 70000);
  record("Finale", 5);
  return text;
}

TimelineGroup Group(std::int16_t type, std::int16_t number) {
  TimelineGroup g{};
  g.Number = number;
  g.Type = type;
  g.KeyLong = 0x0A0B0C0D;
  std::memcpy(g.Name, "Every export", 12);
  return g;
}

TimelineEvent Item(std::int32_t start, std::int32_t end, std::int16_t track) {
  TimelineEvent e{};
  e.StartTime = start;
  e.EndTime = end;
  e.Track = track;
  e.Value32 = 1;
  return e;
}

#define BOARD(name, ...) \
  Entry{#name, true, [](AllExports& t) { auto* fn = Resolve<decltype(::name)>(#name); (void)t; __VA_ARGS__ }}
#define HOST(name, ...) \
  Entry{#name, false, [](AllExports& t) { auto* fn = Resolve<decltype(::name)>(#name); (void)t; __VA_ARGS__ }}

std::vector<Entry> LibraryFrameCalls() {
  return {
      HOST(GetVXStatus, std::int32_t s = -1; EXPECT_EQ(fn(&s), 0); EXPECT_EQ(s, 0);),
      HOST(GetVXDLLModuleUsage, std::int32_t n = 0; EXPECT_EQ(fn(&n), 0); EXPECT_GE(n, 1);),
      HOST(OpenVXCommWindow, EXPECT_EQ(fn(), 0);),
      HOST(WriteToVXCommWindow, EXPECT_EQ(fn("every export"), 0);
           EXPECT_TRUE(t.HasLogged("----- every export -----"));),
      HOST(TB32BeepOnError, EXPECT_EQ(fn(1), 0); EXPECT_TRUE(t.HasLogged("TB32Beep 1"));),
      HOST(vxOutp, EXPECT_EQ(fn(0x1234, 0x1234), 0x34);),
      HOST(vxInp, EXPECT_EQ(fn(0x1234), -1);),  // nothing answers there
      HOST(vxInpw, EXPECT_EQ(fn(0x1234), -1);),
      HOST(vxOutpw, fn(0x1234, 0x3200); EXPECT_TRUE(t.Sent(50).empty());),
      BOARD(GetDates, std::int32_t lib = 0, d1 = 0, d2 = 0; EXPECT_EQ(fn(&lib, &d1, &d2), 0);
            EXPECT_EQ(lib, 20000125); EXPECT_NE(d1, 0); EXPECT_NE(d2, 0);),
      BOARD(DisplayTrans2, EXPECT_EQ(fn(1, -2), 0); EXPECT_EQ(t.Longs(210), (std::vector<std::int32_t>{1, -2}));),
  };
}

std::vector<Entry> SessionCalls() {
  return {
      // The checkout works on board memory and ports; on PCI it sends no command.
      HOST(InitialTBCheck, std::int32_t s = -1; EXPECT_EQ(fn(&s), 0);),
      BOARD(BeginSession, std::int32_t s = -1; EXPECT_EQ(fn(3000, 6000, 8192, 5, &s), 0); EXPECT_EQ(s, 0);),
      BOARD(CheckSession, std::int32_t s = -1; EXPECT_EQ(fn(&s), 0);),
      BOARD(CheckSessionSettings, std::int32_t p[4] = {}; std::int32_t s = -1;
            EXPECT_EQ(fn(&p[0], &p[1], &p[2], &p[3], &s), 0);
            EXPECT_EQ(std::vector<std::int32_t>(p, p + 4), (std::vector<std::int32_t>{3000, 6000, 8192, 5}));),
      BOARD(TB32AvailMemEx, std::int32_t a = 0, b = 0, c = 0, d = 0; EXPECT_EQ(fn(&a, &b, &c, &d), 0);
            EXPECT_GT(a, 0); EXPECT_LE(b, a);),
      BOARD(TB32DefragmentMem, std::int32_t out = -1; EXPECT_EQ(fn(&out), 0);),
      BOARD(TB32StealMem, std::int32_t amount = 0; EXPECT_EQ(fn(&amount), 0);),
      BOARD(TB32MemoryWatch, std::int32_t out = -1; EXPECT_EQ(fn(&out), 0);),
      BOARD(TB32MultiCommand, EXPECT_EQ(fn(0), 0);),
      HOST(SetWorkingScanners, fn(1); EXPECT_TRUE(t.HasLogged("SetWorkingScanners 01"));),
      BOARD(SetWorkingTracks, EXPECT_EQ(fn(1), 0);),
      BOARD(SetWorkingFrame, EXPECT_EQ(fn(20), 0); EXPECT_EQ(t.Longs(30), (std::vector<std::int32_t>{20}));),
      BOARD(GetWorkingFrame, std::int32_t f = -1; EXPECT_EQ(fn(&f), 0); EXPECT_EQ(f, 20);),
      BOARD(SetSyncParameters, EXPECT_EQ(fn(1, 2, 3), 0);),
      BOARD(SendSync, EXPECT_EQ(fn(7), 0);),
      BOARD(SendMultiSync, EXPECT_EQ(fn(8), 0);),
      BOARD(GetTBEvents, std::int32_t count = 0; EXPECT_EQ(fn(&count, nullptr), 0); EXPECT_GE(count, 1);),
      BOARD(SendSyncGetTBEvents, std::int32_t count = 0; std::int32_t events[16] = {};
            EXPECT_EQ(fn(3, &count, events), 0); EXPECT_GE(count, 1);),
      BOARD(SetResetTTL, EXPECT_EQ(fn(1, 0), 0);),
      BOARD(GetCuetrackMilliseconds, std::int32_t ms = -1; EXPECT_EQ(fn(&ms), 0); EXPECT_GE(ms, 0);),
      BOARD(LoadShowStructures, testsupport::WriteFile(winplat::HostPath("C:\\TEMP\\show.vxs"), ShowFile());
            std::int32_t s = -1; EXPECT_EQ(fn("C:\\TEMP\\show.vxs", 3, &s), 0); EXPECT_EQ(s, 0);),
      BOARD(FindShowStructures, char name[50] = "Finale"; ShowStructureKey key{0, 0, 0};
            std::int32_t o1 = 0, o2 = 0; EXPECT_EQ(fn(name, &key, &o1, &o2), 0); EXPECT_EQ(key.Value, 5);),
      BOARD(SaveShowStructures, std::int32_t s = -1; EXPECT_EQ(fn("C:\\TEMP\\saved.vxs", 3, &s), 0);
            EXPECT_EQ(t.HostText("C:\\TEMP\\saved.vxs"), ShowFile());),
      BOARD(PlayShowEx, EXPECT_EQ(fn(3, 0, 0, 1), 0);),
      BOARD(PlayShowExD, EXPECT_EQ(fn(3, 0, 0, 1, "C:\\TEMP\\rec.bin"), 0);
            EXPECT_EQ(t.HostText("C:\\TEMP\\rec.bin").substr(0, 4), "VXSR");),
      BOARD(StopShow, EXPECT_EQ(fn(), 0);),
      BOARD(StopShowEx, EXPECT_EQ(fn(0), 0);),
  };
}

std::vector<Entry> FrameCalls() {
  return {
      BOARD(WriteFrame, FrameStruct h = Named(5, "SQUARE"); auto pts = Square(8000);
            EXPECT_EQ(fn(&h, pts.data()), 0);),
      BOARD(ReadFrameStruct, FrameStruct h{}; EXPECT_EQ(fn(20, &h), 0); EXPECT_EQ(h.NumPoints, 5);
            EXPECT_EQ(std::string(h.Name, 6), "SQUARE");),
      BOARD(ReadFrame, FrameStruct h{}; std::vector<PointStruct> pts(6001); EXPECT_EQ(fn(&h, pts.data()), 0);
            EXPECT_EQ(h.NumPoints, 5); EXPECT_EQ(pts[1].X, 8000); EXPECT_EQ(pts[1].Colour, 0x0000FF);),
      BOARD(ReadFrameFast, std::vector<FastRecordStruct> r(VX_FAST_RECORD_MAX); std::int32_t count = 0, flags = 0;
            EXPECT_EQ(fn(20, 0x200, &count, &flags, r.data()), 0); EXPECT_EQ(count, 5);),
      BOARD(FindFrame, std::int32_t f = 0; EXPECT_EQ(fn("SQUARE", &f), 0); EXPECT_EQ(f, 20);),
      BOARD(ReadMaskData, std::vector<std::int32_t> pairs(130, 99); EXPECT_EQ(fn(0, pairs.data()), 0);),
      BOARD(CopyFrameActive, EXPECT_EQ(fn(20, 21, nullptr), 0); EXPECT_EQ(t.Header(21).NumPoints, 5);),
      BOARD(MergeFrames, EXPECT_EQ(fn(20, 21, 22), 0); EXPECT_GT(t.Header(22).NumPoints, 0);),
      // Point edits on the copy in frame 21; frame 20 stays the square.
      BOARD(ReadNumPoints, Resolve<decltype(::SetWorkingFrame)>("SetWorkingFrame")(21); std::int32_t n = 0;
            EXPECT_EQ(fn(&n), 0); EXPECT_EQ(n, 5);),
      BOARD(WritePoint, PointStruct p{123, -456, 7, 0, 0x00FF00, 0, 0, 0, 0}; EXPECT_EQ(fn(2, &p), 0);),
      BOARD(ReadPoint, PointStruct p{}; EXPECT_EQ(fn(2, &p), 0); EXPECT_EQ(p.X, 123); EXPECT_EQ(p.Y, -456);
            EXPECT_EQ(p.Colour, 0x00FF00);),
      BOARD(FrameToUndoActive, EXPECT_EQ(fn(nullptr), 0);),
      BOARD(UndoToFrameActive, EXPECT_EQ(fn(nullptr), 0);),
      BOARD(CopyBlock, EXPECT_EQ(fn(1, 2, 3), 0);),
      BOARD(ReverseBlock, EXPECT_EQ(fn(1, 5), 0);),
      BOARD(SetInsertOnWrite, EXPECT_EQ(fn(0), 0);),
      BOARD(InsertPoints, EXPECT_EQ(fn(2, 1), 0);),
      BOARD(DeletePoints, EXPECT_EQ(fn(2, 2), 0);),
      BOARD(InvertPointsActive, EXPECT_EQ(fn(1, 6000, 0, 0, 0, 1, nullptr), 0);),
      BOARD(MovePointsActive, EXPECT_EQ(fn(2, 3, 100, 200, 0, 2, nullptr), 0);),
      BOARD(ResizePointsActive, EXPECT_EQ(fn(1, 3, 1.5f, 100.0f, 0.0f, 0, 0, 0, 7, nullptr), 0);),
      BOARD(RotatePointsActive, EXPECT_EQ(fn(1, 3, -1.5f, 0.0f, 0.0f, 0, 0, 0, 7, nullptr), 0);),
      BOARD(ConvertToVectorFrame, EXPECT_EQ(fn(7, 8, 0, 0, 0), 0);),
      BOARD(ConvertToPointFrame, EXPECT_EQ(fn(0, 0, 0, 0, 5, 6, 7), 0);),
      BOARD(Set_XYZ_TO_3D_Track, EXPECT_EQ(fn(3), 0);),
      BOARD(XYZ_TO_3D, std::int32_t o1 = 0, o2 = 0, o3 = 0; EXPECT_EQ(fn(5, -7, 5, &o1, &o2, &o3), 0);
            EXPECT_EQ(o1, 5);),
      BOARD(DeleteFrames, EXPECT_EQ(fn(21, 22), 0); EXPECT_EQ(t.Header(21).NumPoints, 0);
            EXPECT_EQ(t.Header(20).NumPoints, 5); Resolve<decltype(::SetWorkingFrame)>("SetWorkingFrame")(20);),
  };
}

std::vector<Entry> ColourAndScaleCalls() {
  return {
      HOST(RGB4toRGB1, std::int32_t r = 255, g = 255, b = 255, top = 0, out = 0;
           EXPECT_EQ(fn(&r, &g, &b, &top, &out), 0); EXPECT_EQ(out, 0x00FFFFFF);),
      HOST(RGB1toRGB4, std::int32_t packed = 0x40000000, c[4] = {1, 1, 1, 1};
           EXPECT_EQ(fn(&packed, &c[0], &c[1], &c[2], &c[3]), 0);
           EXPECT_EQ(std::vector<std::int32_t>(c, c + 4), (std::vector<std::int32_t>{0, 0, 0, 64}));),
      BOARD(UseDefaultColors, EXPECT_EQ(fn(), 0);),
      BOARD(ReadNumColors, std::int32_t n = 0; EXPECT_EQ(fn(&n), 0); EXPECT_EQ(n, 8);),
      BOARD(WriteColorReg, ColorRegStruct reg{{9, 255, 128, 0, 255, 128, 0, 200, 0, 0, 0, 0}};
            EXPECT_EQ(fn(&reg), 0);),
      BOARD(ReadColorReg, ColorRegStruct reg{{9}}; EXPECT_EQ(fn(&reg), 0); EXPECT_EQ(reg.Fields[2], 128);
            EXPECT_EQ(reg.Fields[7], 200);),
      BOARD(SavePalette, std::int32_t s = -1; EXPECT_EQ(fn("C:\\TEMP\\p.vxp", &s), 0); EXPECT_EQ(s, 0);
            EXPECT_EQ(t.HostText("C:\\TEMP\\p.vxp").rfind("VXPALETTE 1\n", 0), 0u);),
      BOARD(LoadPalette, std::int32_t s = -1; EXPECT_EQ(fn("C:\\Fieldray\\Default.vxp", &s), 0); EXPECT_EQ(s, 0);),
      BOARD(TrainColorSystem, EXPECT_EQ(fn(), 0);),
      BOARD(EliminateUnusedColors, EXPECT_EQ(fn(1), 0);),
      BOARD(UpdateAlternatePalettes, EXPECT_EQ(fn(), 0);),
      BOARD(RGBtoHSV, std::int32_t red = 0x0000FF, hsv = 0; EXPECT_EQ(fn(&red, &hsv), 0);
            EXPECT_EQ(hsv, 0x00FFFF00);),
      BOARD(HSVtoRGB, std::int32_t hsv = 0x00FFFF00, rgb = 0; EXPECT_EQ(fn(&hsv, &rgb), 0); EXPECT_EQ(rgb, 0x0000FF);),
      BOARD(SetWorkingScale, EXPECT_EQ(fn(-32768, 32767, -32768, 32767, 0, 0), 0);),
      BOARD(SetWorkingScaleX, EXPECT_EQ(fn(-32768, 32767, 0, -32768, 32767, 0), 0);),
      BOARD(GetWorkingScaleX, std::int32_t v[6] = {}; EXPECT_EQ(fn(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]), 0);
            EXPECT_EQ(std::vector<std::int32_t>(v, v + 6),
                      (std::vector<std::int32_t>{-32768, 32767, 0, -32768, 32767, 0}));),
      BOARD(SetWorkingScaleY, EXPECT_EQ(fn(-32768, 32767, 0, -32768, 32767, 0), 0);),
      BOARD(GetWorkingScaleY, std::int32_t v[6] = {}; EXPECT_EQ(fn(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]), 0);
            EXPECT_EQ(v[3], -32768); EXPECT_EQ(v[4], 32767);),
      BOARD(SetWorkingScaleZ, EXPECT_EQ(fn(-10, 10, 0, -1000, 1000, 0), 0);),
      BOARD(GetWorkingScaleZ, std::int32_t v[6] = {}; EXPECT_EQ(fn(&v[0], &v[1], &v[2], &v[3], &v[4], &v[5]), 0);
            EXPECT_EQ(v[3], -1000);),
      BOARD(SetWorkingScaleF, EXPECT_EQ(fn(0, 100, 0, 255), 0);),
      BOARD(GetWorkingScaleF, std::int32_t f[4] = {}; EXPECT_EQ(fn(&f[0], &f[1], &f[2], &f[3]), 0);
            EXPECT_EQ(f[3], 255);),
  };
}

std::vector<Entry> DisplayCalls() {
  using L = std::vector<std::int32_t>;
  return {
      BOARD(ResetVX, EXPECT_EQ(fn(), 0);),
      BOARD(DisplaySize, EXPECT_EQ(fn(100, 100, 100, 100, 0), 0);
            EXPECT_EQ(t.Longs(39), (L{16384, 16384, 16384, 16384, 0}));),
      BOARD(DisplayPosition, EXPECT_EQ(fn(0, 0), 0);),
      BOARD(DisplayMasterAngle, EXPECT_EQ(fn(0, 0, 0), 0);),
      BOARD(DisplayAngle, EXPECT_EQ(fn(0, 0, 0), 0);),
      BOARD(DisplayAngleDegrees, EXPECT_EQ(fn(90, 0, 0), 0); EXPECT_EQ(t.Longs(123), (L{4096, 0, 0}));),
      BOARD(DisplayWAngle, EXPECT_EQ(fn(0, 0, 0), 0);),
      BOARD(DisplayWAngleDegrees, EXPECT_EQ(fn(0, 0, 0), 0);),
      BOARD(DisplayCSize, EXPECT_EQ(fn(100), 0);),
      BOARD(DisplayPaletteMix, EXPECT_EQ(fn(0), 0);),
      BOARD(DisplaySaturation, EXPECT_EQ(fn(100), 0);),
      BOARD(DisplayFrameMix, EXPECT_EQ(fn(1, 0), 0);),
      BOARD(DisplayScale, EXPECT_EQ(fn(100, 100, 100), 0); EXPECT_EQ(t.Longs(57), (L{16383, 16383, 16383}));),
      BOARD(DisplayRotCenter, EXPECT_EQ(fn(0, 0, 0), 0);),
      BOARD(DisplayPreTrans, EXPECT_EQ(fn(0, 0, 0), 0);),
      BOARD(DisplayPostTrans, EXPECT_EQ(fn(-0.5f, 0, 0), 0); EXPECT_EQ(t.Longs(60).at(0), -81);),
      BOARD(DisplayPerspective, EXPECT_EQ(fn(0, 0, 0, 0), 0);),
      BOARD(DisplayWindow, EXPECT_EQ(fn(-100, 100, -100, 100, -100, 100), 0);),
      BOARD(DisplayWindowX, EXPECT_EQ(fn(-100, 100), 0);),
      BOARD(DisplayWindowY, EXPECT_EQ(fn(-100, 100), 0);),
      BOARD(DisplayWindowZ, EXPECT_EQ(fn(-100, 100), 0);),
      BOARD(DisplayDepthCue, EXPECT_EQ(fn(0, 0, 0), 0);),
      BOARD(DisplayStereoSettings, EXPECT_EQ(fn(1, 7, 1.0f, -1.0f, 0.5f), 0);),
      BOARD(DisplayAuxOutput, EXPECT_EQ(fn(5.0f), 0);),
      BOARD(lmDisplayAuxOutput, EXPECT_EQ(fn(5.0f, 0, 0), 0);),
      BOARD(DisplayScanLimits, EXPECT_EQ(fn(0, 0), 0);),
      BOARD(DisplayObjectSettings, EXPECT_EQ(fn(1, 2, 3, 4, 5, 6, 7), 0);),
      BOARD(DisplayAbstractSettings, EXPECT_EQ(fn(1, 2, 3), 0);),
      BOARD(DisplayFlags, EXPECT_EQ(fn(0), 0);),
      BOARD(DisplayMaskFlags, EXPECT_EQ(fn(0), 0);),
      BOARD(DisplayRotOrder, EXPECT_EQ(fn(0), 0);),
      BOARD(DisplayPaletteSelect, EXPECT_EQ(fn(0, 0), 0);),
      BOARD(DisplayHueOffset, EXPECT_EQ(fn(0, 0, 0), 0);),
      BOARD(DisplayPath, EXPECT_EQ(fn(0, 0), 0);),
      BOARD(DisplayTrackAllow, EXPECT_EQ(fn(1), 0);),
      BOARD(DisplaySkew, EXPECT_EQ(fn(4, 0, 0), 0);),
      BOARD(DisplayMinimumPoints, EXPECT_EQ(fn(0), 0);),
      BOARD(DisplayGeometricCorrection, std::array<std::int16_t, 130> row{};
            for (int i = 0; i < 65; ++i) {
              row[static_cast<std::size_t>(2 * i)] = static_cast<std::int16_t>(std::min(1024 * i - 32768, 32767));
              row[static_cast<std::size_t>(2 * i + 1)] = -32768;
            } EXPECT_EQ(fn(-1, 0, row.data()), 0);),
      BOARD(DisplayFrame, EXPECT_EQ(fn(20), 0);),
      // The frame waits for the update; the answer 1 is kept as the sticky status.
      BOARD(DisplayUpdateTest, EXPECT_EQ(fn(), 1); std::int32_t sticky = 0;
            Resolve<decltype(::GetVXStatus)>("GetVXStatus")(&sticky); EXPECT_EQ(sticky, 1);),
      BOARD(DisplayUpdate, EXPECT_EQ(fn(), 0);
            winplat::Picture shown = hw::ProjectionPicture(0, 256);
            EXPECT_GT(std::count_if(shown.pixels.begin(), shown.pixels.end(),
                                    [](std::uint32_t px) { return (px & 0xFFFFFF) == 0x0000FF; }), 0);),
      BOARD(DisplayUpdateToFrame, EXPECT_EQ(fn(20), 0);),
      BOARD(DisplayUpdateEx, EXPECT_EQ(fn(0), 0);),
      BOARD(DisplayUpdateMode, EXPECT_EQ(fn(0, 0), 0);),
      BOARD(TBDMXMode, EXPECT_EQ(fn(0, 0, 0, 0, 0, 0), 0);),
      BOARD(TBDMXOutput, EXPECT_EQ(fn(5, 77), 0);),
      BOARD(TBDMXInput, std::int32_t v = 0; EXPECT_EQ(fn(5, &v), 0); EXPECT_EQ(v, 77);),
      BOARD(DisplayFreq3, std::int32_t o1 = 0, o2 = 0, o3 = 0; EXPECT_EQ(fn(5000, 6000, 7000, &o1, &o2, &o3), 0);
            EXPECT_EQ(o1, 5000); EXPECT_EQ(o3, 7000);),
      BOARD(AutoRotateInit, EXPECT_EQ(fn(0, 0, 0, 0, 0, 0), 0);),
      BOARD(AutoRotateIncrement, EXPECT_EQ(fn(1, 2, 3, 1), 0); EXPECT_EQ(t.Longs(99), (L{16, 32, 49}));),
      BOARD(AutoRotatePlus, EXPECT_EQ(fn(0, 0, 0, 0), 0);),
  };
}

std::vector<Entry> FileTextAndPreviewCalls() {
  return {
      BOARD(SaveLFile, std::int32_t from = 20, to = 20, format = 5, s = -1;
            EXPECT_EQ(fn("C:\\TEMP\\f.vxb", "Title", &from, &to, &format, "", &s), 0);
            from = 20, to = 20, format = 2;
            EXPECT_EQ(fn("C:\\TEMP\\f.vxa", "Title", &from, &to, &format, "", &s), 0);),
      HOST(ReadFileInfo, char title[128] = {}; std::int32_t frames = 0, kind = 0, s = -1;
           EXPECT_EQ(fn("C:\\TEMP\\f.vxb", title, &frames, &kind, "", &s), 0); EXPECT_EQ(frames, 1);
           EXPECT_EQ(kind, 5);),
      BOARD(LoadVXB, std::int32_t flag = 0, from = 40, to = 49, s = -1;
            EXPECT_EQ(fn("C:\\TEMP\\f.vxb", &flag, &from, &to, "", &s), 0);
            EXPECT_EQ(t.Header(40).NumPoints, 5);),
      BOARD(LoadVXA, std::int32_t flag = 0, from = 41, to = 49, s = -1;
            EXPECT_EQ(fn("C:\\TEMP\\f.vxa", &flag, &from, &to, "", &s), 0);
            EXPECT_EQ(t.Header(41).NumPoints, 5);),
      BOARD(LoadLFile, std::int32_t from = 100, to = 999, s = 0;
            EXPECT_EQ(fn("C:\\Fieldray\\Calibration.VXS", &from, &to, "", &s), -15);  // the object format loaded
            EXPECT_EQ(to, 103);),
      BOARD(LoadFont, std::int32_t s = -1; EXPECT_EQ(fn("C:\\Fieldray\\stick.vxf", &s), 0); EXPECT_EQ(s, 0);),
      BOARD(SetLineLimits, EXPECT_EQ(fn(-32768, 32767, -32768, 32767), 0);),
      BOARD(SetLaserChar, Resolve<decltype(::SetWorkingFrame)>("SetWorkingFrame")(101);
            EXPECT_EQ(fn(1, 4, 1, 108, 400, 600, 120, 30, 0xFFFFFF), 0);),
      BOARD(GetLaserCharExtent, std::int32_t w = 0, h = 0; EXPECT_EQ(fn('n', &w, &h), 0); EXPECT_GT(w, 0);
            EXPECT_EQ(h, 600);),
      BOARD(LaserChar, std::int32_t cx = 0, cy = 0, n = 0; EXPECT_EQ(fn('n', 100, 0, 1, &cx, &cy, &n), 0);
            EXPECT_GT(cx, 100); EXPECT_GT(n, 0);
            Resolve<decltype(::SetWorkingFrame)>("SetWorkingFrame")(20);),
      HOST(SetLaserWindow, EXPECT_EQ(fn(-32768, 32767, -32768, 32767, 0), 0);),
      HOST(DrawGrid, EXPECT_EQ(fn(t.Box(), 50, 50, -1, 1, 1), 0); EXPECT_EQ(t.Lit(0x0000FF), 0);),
      BOARD(RedrawFrame, EXPECT_EQ(fn(t.Box(), 1, 6000, 1, -1, 0, 0, 0), 0); EXPECT_GT(t.Lit(0x0000FF), 0);),
      BOARD(RedrawFrameActive, std::vector<std::int32_t> active(6000, 0);
            EXPECT_EQ(fn(t.Box(), 1, 6000, 1, -1, 0, 0, 0, active.data()), 0);
            EXPECT_EQ(t.Lit(0x0000FF), 0);  // no point active: nothing lit
            std::fill(active.begin(), active.end(), 1);
            EXPECT_EQ(fn(t.Box(), 1, 6000, 1, -1, 0, 0, 0, active.data()), 0); EXPECT_GT(t.Lit(0x0000FF), 0);),
      BOARD(RedrawFrameActiveDC, winplat::HDC dc = winplat::GetDC(static_cast<winplat::HWND>(t.Box()));
            std::vector<std::int32_t> active(6000, 1);
            EXPECT_EQ(fn(t.Box(), static_cast<std::int32_t>(dc), 1, 6000, 1, -1, 0, 0, 0, active.data()), 0);
            winplat::ReleaseDC(static_cast<winplat::HWND>(t.Box()), dc); EXPECT_GT(t.Lit(0x0000FF), 0);),
      BOARD(RedrawFrameFast, EXPECT_EQ(fn(t.Box(), 20, 0, -1, 0), 0); EXPECT_GT(t.Lit(0x0000FF), 0);),
      BOARD(RedrawFrameFastDC, winplat::HDC dc = winplat::GetDC(static_cast<winplat::HWND>(t.Box()));
            EXPECT_EQ(fn(t.Box(), static_cast<std::int32_t>(dc), 20, 0, -1, 0), 0);
            winplat::ReleaseDC(static_cast<winplat::HWND>(t.Box()), dc); EXPECT_GT(t.Lit(0x0000FF), 0);),
  };
}

std::vector<Entry> TimelineCalls() {
  return {
      BOARD(WriteTimelineGroup, TimelineGroup g = Group(8, 1); std::vector<TimelineEvent> e(VX_TIMELINE_EVENT_SLOTS);
            e[3] = Item(50, 90, 2); e[1] = Item(10, 20, 1); EXPECT_EQ(fn(&g, e.data()), 0);
            EXPECT_EQ(g.numTimelineEvents, 2); EXPECT_EQ(g.EndTime, 90);),
      BOARD(ReadTLGStruct, TimelineGroup g = Group(8, 1); EXPECT_EQ(fn(&g), 0); EXPECT_EQ(g.numTimelineEvents, 2);
            EXPECT_EQ(std::string(g.Name, 12), "Every export");),
      BOARD(ReadTimelineGroup, TimelineGroup g = Group(8, 1); std::vector<TimelineEvent> e(VX_TIMELINE_EVENT_SLOTS);
            EXPECT_EQ(fn(&g, e.data()), 0); EXPECT_EQ(e[1].StartTime, 10); EXPECT_EQ(e[2].EndTime, 90);),
      BOARD(WriteTLG, TimelineGroup g = Group(4, 2); std::vector<TimelineEvent> e(VX_TIMELINE_EVENT_SLOTS);
            e[64] = Item(5, 6, 7); EXPECT_EQ(fn(&g, e.data()), 0); EXPECT_EQ(e[64].Track, 7);),
      BOARD(ReadTimelineEvents, TimelineGroup g = Group(4, 2); std::vector<TimelineEvent> e(VX_TIMELINE_EVENT_SLOTS);
            EXPECT_EQ(fn(&g, e.data()), 0); EXPECT_EQ(e[1].Track, 7); EXPECT_EQ(e[1].EndTime, 6);),
      BOARD(WriteScene, TimelineGroup g = Group(2, 3); std::vector<LaserEvent> e(VX_LASER_EVENT_SLOTS);
            e[450] = Item(1, 2, 3); e[450].Value28 = -123456; EXPECT_EQ(fn(&g, e.data()), 0);),
      BOARD(ReadSEFs, TimelineGroup g = Group(2, 3); std::vector<LaserEvent> e(VX_LASER_EVENT_SLOTS);
            EXPECT_EQ(fn(&g, e.data()), 0); EXPECT_EQ(e[1].Value28, -123456); EXPECT_EQ(e[2].Value32, 1);),
      BOARD(WriteEffect, TimelineGroup g = Group(1, 4); std::vector<Transition> tr(VX_TRANSITION_SLOTS);
            tr[8].StartTime = 1.0f; tr[8].EndTime = 2.0f;
            tr[8].Parts[7] = TransitionPart{3, 0, 0, 0, 0, 1, 0, 0, 0, 50, 0, 0};
            EXPECT_EQ(fn(&g, tr.data()), 0); EXPECT_EQ(g.NumTransitions, 1); EXPECT_EQ(tr[8].OrderKey, 8);),
      BOARD(ReadTransitions, TimelineGroup g = Group(1, 4); std::vector<Transition> tr(VX_TRANSITION_SLOTS);
            EXPECT_EQ(fn(&g, tr.data()), 0); EXPECT_EQ(tr[8].NumParts, 1); EXPECT_EQ(tr[8].Parts[7].Kind, 3);
            EXPECT_NEAR(tr[8].Parts[7].X, 50.0, 0.01);),
      BOARD(WriteTimelineBeat, TimelineBeat beat{1, 0, 2, 3, 4, 5, {6, 7, 8, 9, 10, 11, 12, 13}};
            EXPECT_EQ(fn(&beat), 0); EXPECT_EQ(beat.Type, 16);),
      BOARD(ReadTimelineBeat, TimelineBeat beat{1, 0, 2, 3, 0, 0, {}}; EXPECT_EQ(fn(&beat), 0);
            EXPECT_EQ(beat.Value12, 4); EXPECT_EQ(beat.Bytes20[7], 13);),
      BOARD(WriteLiveKey, std::vector<std::uint8_t> key(VX_LIVE_KEY_BYTES, 0x5A); key[499] = 1;
            EXPECT_EQ(fn(1, 2, key.data()), 0);),
      BOARD(ReadLiveKey, std::vector<std::uint8_t> key(VX_LIVE_KEY_BYTES); EXPECT_EQ(fn(1, 2, key.data()), 0);
            EXPECT_EQ(key[0], 0x5A); EXPECT_EQ(key[499], 1);),
  };
}

std::vector<Entry> PortAndGeneratorCalls() {
  return {
      BOARD(ParOn, EXPECT_EQ(fn(1, 0x30), 0);),
      BOARD(ParOff, EXPECT_EQ(fn(1, 0x10), 0);),
      BOARD(ParIn, std::int32_t v = -1; EXPECT_EQ(fn(1, 0xFF, &v), 0); EXPECT_EQ(v, 0x20);),
      BOARD(DisplayPortLong, std::int32_t v = -1; EXPECT_EQ(fn(2, 0xABCD, &v), 0); EXPECT_EQ(v, 0xABCD);),
      BOARD(InitAbstractOsc1, EXPECT_EQ(fn(0, 90, 0), 0);),
      BOARD(InitAbstractOsc2, EXPECT_EQ(fn(-2.5f, 1.99f, 36.0f), 0);),
      BOARD(InitAbstractOsc3, EXPECT_EQ(fn(0, 0, 0), 0);),
      BOARD(InitAbstractMod1, EXPECT_EQ(fn(2.59f), 0); EXPECT_EQ(t.Longs(161), (std::vector<std::int32_t>{25}));),
      BOARD(InitAbstractMod2, EXPECT_EQ(fn(0), 0);),
      BOARD(InitAbstractColor, EXPECT_EQ(fn(0), 0);),
      BOARD(InitAbstractColorNew, EXPECT_EQ(fn(0), 0);),
      BOARD(SetAbstractOsc1, EXPECT_EQ(fn(1, 1, 0, 50, 50, 0, 0), 0);),
      BOARD(SetAbstractOsc2, EXPECT_EQ(fn(2, 0.5f, 0, 0, 0, 0, 3), 0);),
      BOARD(SetAbstractOsc3, EXPECT_EQ(fn(0, 0, 0, 0, 0, 0, 0), 0);),
      BOARD(SetAbstractMod1, EXPECT_EQ(fn(0, 100, 0), 0);
            EXPECT_EQ(t.Longs(166), (std::vector<std::int32_t>{0, 8192, 0}));),
      BOARD(SetAbstractMod2, EXPECT_EQ(fn(0, 0, 0), 0);),
      BOARD(SetAbstractColor, EXPECT_EQ(fn(0, 0x00FF00), 0);),
      BOARD(SetAbstractColorNew, EXPECT_EQ(fn(0, 0x00FF00), 0);),
      BOARD(GetAbstractPhase, float p[3] = {}; EXPECT_EQ(fn(2, &p[0], &p[1], &p[2]), 0); EXPECT_EQ(p[0], -2.0f);
            EXPECT_EQ(p[2], 36.0f);),
      BOARD(GetAbstractFreqSizeWave, float f[3] = {}, s[3] = {}; std::int32_t wave = -1;
            EXPECT_EQ(fn(2, &f[0], &f[1], &f[2], &s[0], &s[1], &s[2], &wave), 0); EXPECT_FLOAT_EQ(f[0], 2.0f);
            EXPECT_FLOAT_EQ(f[1], 0.5f); EXPECT_EQ(wave, 3);),
      BOARD(SwapWaves, EXPECT_EQ(fn(), 0); float f[3] = {}, s[3] = {}; std::int32_t wave = -1;
            Resolve<decltype(::GetAbstractFreqSizeWave)>("GetAbstractFreqSizeWave")(1, &f[0], &f[1], &f[2], &s[0],
                                                                                 &s[1], &s[2], &wave);
            EXPECT_EQ(wave, 3);),
      BOARD(SwapWaves, EXPECT_EQ(fn(), 0);),  // and back
      BOARD(GenerateAbstract, EXPECT_EQ(fn(25, 100, 0), 0); EXPECT_EQ(t.Header(25).NumPoints, 100);),
      BOARD(GenerateAbstractNew, EXPECT_EQ(fn(26, 60, 0), 0); EXPECT_EQ(t.Header(26).NumPoints, 60);),
      BOARD(AbstractToFrame, Resolve<decltype(::SetWorkingFrame)>("SetWorkingFrame")(27);
            EXPECT_EQ(fn(), 0); EXPECT_EQ(t.Header(27).NumPoints, 60);),
      BOARD(FrameToAbstract, Resolve<decltype(::SetWorkingFrame)>("SetWorkingFrame")(20);
            EXPECT_EQ(fn(), 0); Resolve<decltype(::SetWorkingFrame)>("SetWorkingFrame")(28);
            EXPECT_EQ(Resolve<decltype(::AbstractToFrame)>("AbstractToFrame")(), 0);
            EXPECT_EQ(t.Header(28).NumPoints, 5);),
  };
}

std::vector<Entry> ClosingCalls() {
  return {
      BOARD(EndSession, EXPECT_EQ(fn(), 0);),
      BOARD(RebootTB32, EXPECT_EQ(fn(), 0); EXPECT_EQ(t.Sent(115).size(), 1u);),
      HOST(CloseVXCommWindow, EXPECT_EQ(fn(), 0);),
  };
}

#undef BOARD
#undef HOST

std::vector<Entry> Table() {
  std::vector<Entry> all;
  for (auto part : {LibraryFrameCalls(), SessionCalls(), FrameCalls(), ColourAndScaleCalls(), DisplayCalls(),
                    FileTextAndPreviewCalls(), TimelineCalls(), PortAndGeneratorCalls(), ClosingCalls()}) {
    all.insert(all.end(), part.begin(), part.end());
  }
  return all;
}

TEST(EveryExportCalled, TheTableCallsEveryExportOfTheSurface) {
  std::set<std::string> called;
  for (const Entry& e : Table()) called.insert(e.name);
  std::vector<std::string> uncalled, unknown;
  for (const std::string& name : ExportNames()) {
    if (!called.count(name)) uncalled.push_back(name);
  }
  std::set<std::string> surface(ExportNames().begin(), ExportNames().end());
  for (const std::string& name : called) {
    if (!surface.count(name)) unknown.push_back(name);
  }
  EXPECT_TRUE(uncalled.empty()) << "no call for: " << ::testing::PrintToString(uncalled);
  EXPECT_TRUE(unknown.empty()) << "not on the surface: " << ::testing::PrintToString(unknown);
}

TEST_P(AllExports, EachExportAnswersOnTheBoard) {
  for (const Entry& e : Table()) {
    SCOPED_TRACE(e.name);
    hw::ClearCommandLog();
    e.call(*this);
    if (e.board) {
      EXPECT_FALSE(hw::ReadCommandLog().empty()) << e.name << " reached no board";
    }
  }
  // Nothing along the way left a failure behind.
  std::int32_t sticky = -1;
  vx::GetVXStatus()(&sticky);
  EXPECT_EQ(sticky, 0);
  EXPECT_TRUE(boxes.shown.empty()) << boxes.shown.front().text;
}

INSTANTIATE_TEST_SUITE_P(Families, AllExports, ::testing::Bool(), Family);

}  // namespace
}  // namespace vxtest
