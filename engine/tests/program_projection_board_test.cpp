// A part program projected on the emulated boards through the real device
// library: the switch frames the load driver writes, the display frame merged
// and shown with the field, scan rate, blanking and correction grid, the
// caption in frame 101, and the projection picture of what the scanners draw.
#include <gtest/gtest.h>

#include <cstdlib>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <random>

#include "board_machine.h"
#include "engine/field_calibration.h"
#include "engine/frame_assembly.h"
#include "engine/markers.h"
#include "engine/gcode_load.h"
#include "job/grid_cells.h"
#include "engine/output_switches.h"
#include "engine/path_points.h"
#include "engine/point_list.h"
#include "engine/caption_text.h"
#include "engine/projection_output.h"
#include "engine/status_reporter.h"
#include "engine_fakes.h"
#include "test_support.h"
#include "toolpath/expressions.h"
#include "toolpath/interpreter.h"
#include "winplat/clock.h"
#include "winplat/folders.h"
#include "winplat/hw/boards.h"
#include "winplat/hw/projection.h"
#include "winplat/timer.h"

namespace fieldray::engine {
namespace {

namespace fs = std::filesystem;

constexpr int kPictureSize = 256;

// What a timer tick saw while the caption was on the boards.
struct TickView {
  std::int32_t busy = -1;
  winplat::Picture picture;
};
std::function<void()> tickAction;
void OnTick(winplat::HWND, winplat::UINT, winplat::UINT_PTR, std::uint32_t) {
  if (tickAction) tickAction();
}

std::vector<std::uint8_t> Longs(std::initializer_list<std::int32_t> values) {
  std::vector<std::uint8_t> out;
  for (std::int32_t v : values) {
    auto u = static_cast<std::uint32_t>(v);
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(u >> shift));
  }
  return out;
}

bool White(winplat::COLORREF c) { return (c & 0xFFFFFFu) == 0xFFFFFFu; }

// White pixels in the rectangle [left, right) x [top, bottom), or in the whole picture.
int LitPixels(const winplat::Picture& p, int left = 0, int top = 0, int right = -1, int bottom = -1) {
  if (right < 0) right = p.width;
  if (bottom < 0) bottom = p.height;
  int lit = 0;
  for (int y = std::max(top, 0); y < std::min(bottom, p.height); ++y)
    for (int x = std::max(left, 0); x < std::min(right, p.width); ++x) lit += White(p.At(x, y)) ? 1 : 0;
  return lit;
}

// True when a white pixel lies within `reach` pixels of (x, y).
bool LitNear(const winplat::Picture& p, int x, int y, int reach = 2) {
  for (int dy = -reach; dy <= reach; ++dy) {
    for (int dx = -reach; dx <= reach; ++dx) {
      int px = x + dx, py = y + dy;
      if (px < 0 || py < 0 || px >= p.width || py >= p.height) continue;
      if (White(p.At(px, py))) return true;
    }
  }
  return false;
}

class ProgramOnBoards : public ::testing::Test {
 protected:
  void SetUp() override {
    winplat::SetClock(&clock);
    enginetest::ResetBoardMachine();
    if (HasFatalFailure()) return;
    SetProgramDir(state, winplat::ProgramFolder());
    const fs::path templ = fs::path(std::getenv("FIELDRAY_TEMPLATE")) / "C" / "Fieldray";
    const fs::path program = testsupport::Root() / "C" / "Fieldray";
    fs::create_directories(program / "Jobs");
    fs::copy_file(templ / "stick.vxf", program / "stick.vxf", fs::copy_options::overwrite_existing);
    // The example plate on a sheet of 250 x 150, 3 thick.
    std::string plate = testsupport::ReadFile(templ / "Jobs" / "PLATE.NC");
    const std::size_t block = plate.find("G0 ");
    ASSERT_NE(block, std::string::npos);
    plate.insert(block, "G71 X250. Y150. Z3.\n");
    testsupport::WriteFile(program / "Jobs" / "BRACKET.NC", plate);

    StartSession(e);
    ASSERT_EQ(state.VXStatus, 0) << vx.LastBindingError();
    // The display as start-up leaves it: reset, the program's display size,
    // one scanner.
    auto reset = reinterpret_cast<std::int32_t (*)()>(enginetest::Hook("ResetVX"));
    auto size = reinterpret_cast<std::int32_t (*)(float, float, float, float, float)>(enginetest::Hook("DisplaySize"));
    ASSERT_TRUE(reset && size);
    reset();
    size(200, 200, 200, 100, 0);
    vx.SetWorkingScanners(1);

    // The hold counts and scan-rate multiplier start-up reads from the settings.
    state.HoldStart = state.HoldVertex = state.HoldEnd = 3;
    state.ScanRateCache = 20;
    for (std::int16_t f = 1; f <= 8; ++f) {
      state.FieldCalibration[f].XScale = 1500;
      state.FieldCalibration[f].YScale = 1500;
    }
    // Field 1 is offset 10 % of the half range to the right on the table.
    state.FieldCalibration[1].FieldXPos = 10;
    auto& c = console;
    c.StandardOutput();
    c.CaptionBox("-1300", "-1300", "20", "40");
    c.texts[OutputText::TdTxt] = "2";
    c.checks[OutputCheck::CapNam] = 1;
    c.checks[OutputCheck::CapLen] = 1;
    c.checks[OutputCheck::CapThk] = 1;
    c.optFld = {{1, true}, {2, false}};
    for (std::int16_t i = 1; i <= 6; ++i) c.prjPos[i] = i == 1;
    // Position 1 keeps the whole path; position 2 nothing but the sheet's outline.
    c.swOpt = winplat::SpreadGrid{8, 2};
    for (std::int32_t row : {3, 4, 5, 6}) SetGridCell(c.swOpt, row, 1, "1");
    SetGridCell(c.swOpt, 2, 2, "1");
    c.onCheckClick = [this](OutputCheck box) {
      if (box == OutputCheck::CapBtn) CapBtn_Click(e);
      if (box == OutputCheck::OnOff) OnOff_Click(e);
    };
    e.Builders.AddWorkAreaOutline = AddWorkAreaOutline;
    e.Builders.AddTablePattern = AddTablePattern;
    e.Builders.AppendOffsetPath = AppendOffsetPath;
    e.Builders.BuildPointsFromPath = BuildPointsFromPath;
    e.Builders.DensifyFramePoints = DensifyFramePoints;
    toolpath::ConnectEval(eval, state);
  }
  void TearDown() override {
    tickAction = nullptr;
    winplat::SetClock(nullptr);
  }

  // Opens the job as the file list does: field scale, job frames cleared, load.
  void Open(const std::string& path) {
    state.InversionState = BoolFalse;
    std::int16_t field = static_cast<std::int16_t>(CheckedOptFld(e));
    ApplyFieldScale(e, field);
    vx.DeleteFrames(1, 15);
    winplat::hw::ClearCommandLog();
    std::string file = path;
    LoadGcodeDrawing(e, interp, file);
  }

  // A board frame in device units (the working scale set to the identity).
  std::vector<PointStruct> DeviceFrame(std::int32_t n) {
    ResetWorkingScale(e);
    vx.SetWorkingFrame(n);
    ReadWorkingFrame(e);
    return {state.FrameBuffer.begin() + 1, state.FrameBuffer.end()};
  }
  std::int32_t PointsIn(std::int32_t n) {
    FrameStruct header{};
    return vx.ReadFrameStruct(n, &header) == 0 ? header.NumPoints : -1;
  }

  // The pixel a device point is drawn at: the start-up display size keeps the
  // frame's range on the scanners' range, the field offset (`offset` device
  // units) moves it right, the neutral correction moves nothing.
  static std::pair<int, int> Pixel(const PointStruct& p, double offset = 0) {
    const double scale = kPictureSize / 65536.0;
    const double x = p.X + offset, y = p.Y;
    return {static_cast<int>(std::floor((x + 32768.0) * scale)),
            static_cast<int>(std::floor((32767.0 - y) * scale))};
  }

  static std::string Job() { return "C:\\Fieldray\\Jobs\\BRACKET.NC"; }

  winplat::ManualClock clock;
  ProgramState state;
  Vexlib vx{enginetest::BoardLibrary()};
  enginetest::FakeConsole console;
  int exits = 0;
  Engine e{state, vx, console, [this] { ++exits; }};
  winplat::TextScanner awk, parser, eval;
  winplat::SpreadGrid toolDat{40, 6};
  toolpath::ToolpathContext ctx{state, awk, parser, eval, toolDat};
  toolpath::GcodeInterpreter interp{ctx};
};

// A caption projects as letters: each stroke lit, each move dark, after the
// engine has densified the frame. "L  L" shows two separate L shapes (taller
// than wide) and nothing in the gap the move between them crosses.
// Runs of picture columns holding lit pixels, runs closer than three columns
// joined: one per letter of a caption that reads.
struct Band {
  int left, right, top, bottom;
};
std::vector<Band> LitColumnBands(const winplat::Picture& picture) {
  std::vector<Band> bands;
  for (int x = 0; x < picture.width; ++x) {
    int top = picture.height, bottom = -1;
    for (int y = 0; y < picture.height; ++y) {
      if (!winplat::hw::LitProjectionPixel(picture.At(x, y))) continue;
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
    if (bottom < 0) continue;
    if (!bands.empty() && x - bands.back().right <= 2) {
      Band& b = bands.back();
      b.right = x;
      b.top = std::min(b.top, top);
      b.bottom = std::max(b.bottom, bottom);
    } else {
      bands.push_back({x, x, top, bottom});
    }
  }
  return bands;
}

TEST_F(ProgramOnBoards, ACaptionProjectsItsLettersLitAndTheMovesBetweenThemDark) {
  console.CaptionBox("-1000", "-300", "120", "120");
  std::string text = "L  L";
  ShowCaption(e, text);
  ASSERT_EQ(console.msg, "");
  const std::vector<Band> bands = LitColumnBands(winplat::hw::ProjectionPicture(0, kPictureSize));
  ASSERT_EQ(bands.size(), 2u) << "two letters, nothing lit between them";
  for (const Band& b : bands) {
    const int width = b.right - b.left + 1, height = b.bottom - b.top + 1;
    EXPECT_GT(height, 8);
    EXPECT_GT(height, width) << "an L is taller than wide";
  }
  EXPECT_GT(bands[1].left - bands[0].right, 8) << "the blanks between the letters";
  EXPECT_NEAR(bands[0].bottom, bands[1].bottom, 1);
}

// The value of a key of the template's settings file ("" when it has none).
std::string TemplateSetting(const std::string& key) {
  const std::string ini =
      testsupport::ReadFile(std::filesystem::path(std::getenv("FIELDRAY_TEMPLATE")) / "C" / "Fieldray" / "Fldry.INI");
  const std::size_t at = ini.find("\n" + key + "=");
  if (at == std::string::npos) return {};
  const std::size_t from = at + key.size() + 2;
  return ini.substr(from, ini.find_first_of("\r\n", from) - from);
}

// A twelve-letter name at the template's caption place and character size, in
// field S as the template sets it, projects as twelve separate letters, each
// tall enough to read in the projection picture.
TEST_F(ProgramOnBoards, ANameCaptionAtTheTemplatesSizeReadsLetterByLetter) {
  state.FieldCalibration[1].XScale = std::stoi(TemplateSetting("XScaleS"));
  state.FieldCalibration[1].YScale = std::stoi(TemplateSetting("YScaleS"));
  state.FieldCalibration[1].FieldXPos = 0;
  const std::string width = TemplateSetting("CharWidth"), height = TemplateSetting("CharHeight");
  console.CaptionBox(TemplateSetting("XPosition"), TemplateSetting("YPosition"), width, height);
  std::string text = "PLATEBRACKET";
  ShowCaption(e, text);
  const std::vector<Band> bands = LitColumnBands(winplat::hw::ProjectionPicture(0, kPictureSize));
  EXPECT_EQ(console.msg, "") << "nothing held at the field's edge";
  EXPECT_EQ(bands.size(), text.size()) << "size " << width << " x " << height;
  // In the 512-pixel picture, each at least 8 pixels tall.
  const std::vector<Band> letters = LitColumnBands(winplat::hw::ProjectionPicture(0, 512));
  ASSERT_EQ(letters.size(), text.size());
  for (const Band& b : letters) EXPECT_GE(b.bottom - b.top + 1, 8) << "letter at " << b.left << ", size " << height;
}

// The switch frames in device units: position 1 keeps the path, position 2 the
// outline of the sheet.
TEST_F(ProgramOnBoards, TheProgramIsWrittenShownCaptionedAndPictured) {
  TickView seen;
  tickAction = [&] {
    if (seen.busy >= 0) return;
    seen.busy = state.EngineBusy;
    seen.picture = winplat::hw::ProjectionPicture(0, kPictureSize);
  };
  const winplat::UINT_PTR timer = winplat::SetTimer(0, 0, 500, OnTick);
  Open(Job());
  winplat::KillTimer(0, timer);
  EXPECT_EQ(console.msg, Job());
  EXPECT_EQ(exits, 0);

  // Frames 1 and 2 hold what their options keep; frame 15 shows position 1.
  const std::vector<PointStruct> path = DeviceFrame(1), outline = DeviceFrame(2);
  ASSERT_GT(path.size(), 50u);
  ASSERT_GT(outline.size(), 4u);
  EXPECT_NE(path.size(), outline.size());
  const std::vector<PointStruct> shown = DeviceFrame(15);
  ASSERT_EQ(shown.size(), path.size());
  for (std::size_t i = 0; i < path.size(); ++i) {
    ASSERT_EQ(shown[i].X, path[i].X) << i;
    ASSERT_EQ(shown[i].Y, path[i].Y) << i;
    ASSERT_EQ(shown[i].Colour, path[i].Colour) << i;
  }
  EXPECT_EQ(state.LastShownFrame, 1);
  EXPECT_EQ(state.EngineBusy, 0);

  // The caption was on the boards during the wait, drawn in frame 101 near
  // its start position (lower left), with the engine busy all along.
  EXPECT_EQ(state.CaptionText, "BRACKET.NC  L 250  T 3  ");
  EXPECT_GT(seen.busy, 0);
  ASSERT_EQ(seen.picture.width, kPictureSize);
  EXPECT_GT(LitPixels(seen.picture), 50);
  EXPECT_EQ(LitPixels(seen.picture, 0, 0, kPictureSize, kPictureSize / 2), 0);
  FrameStruct caption{};
  ASSERT_EQ(vx.ReadFrameStruct(CaptionFrameNumber, &caption), 0);
  EXPECT_EQ(std::string(caption.Name, 4), "Text");
  EXPECT_GT(caption.NumPoints, 0);

  // The display that followed: frame 15 with rate, blanking skew, the field's
  // offset and the correction grid, made visible by one update after them.
  const std::int32_t rate = std::clamp<std::int32_t>(static_cast<std::int32_t>(path.size()) * 20, 10000, 30000);
  const std::int32_t skew = rate / 8000 + 2;
  EXPECT_EQ(console.labStat, " " + std::to_string(path.size()) + "  " + std::to_string(rate) + "  " +
                                 std::to_string(skew));
  const auto log = winplat::hw::ReadCommandLog();
  auto last = [&log](std::uint16_t code) {
    for (std::size_t i = log.size(); i-- > 0;)
      if (log[i].code == code) return static_cast<std::ptrdiff_t>(i);
    return std::ptrdiff_t{-1};
  };
  ASSERT_GE(last(34), 0);
  for (std::uint16_t code : {64, 40, 67, 60, 121}) {
    EXPECT_GE(last(code), 0) << code;
    EXPECT_LT(last(code), last(34)) << code;
  }
  EXPECT_EQ(log[static_cast<std::size_t>(last(64))].operands, Longs({DisplayFrameNumber}));
  EXPECT_EQ(log[static_cast<std::size_t>(last(40))].operands, Longs({rate}));
  EXPECT_EQ(log[static_cast<std::size_t>(last(67))].operands, Longs({4, skew, 0}));
  // The field's offset: 10 % in the board's coordinate units (16383 = 100 %).
  EXPECT_EQ(log[static_cast<std::size_t>(last(60))].operands, Longs({1638, 0, 0}));
  std::size_t rows = 0;
  for (std::size_t i = static_cast<std::size_t>(last(64)); i < log.size(); ++i) rows += log[i].code == 121 ? 1 : 0;
  EXPECT_EQ(rows, 65u);

  // The picture: the path's lit points where the scanners put them, moved by
  // the field's offset (1638 coordinate units, 3276 device units), nothing lit
  // away from the part.
  const double offset = 1638 * (32767.0 / 16383.0);
  const winplat::Picture picture = winplat::hw::ProjectionPicture(0, kPictureSize);
  std::filesystem::create_directories(testsupport::Root() / "out");
  ASSERT_TRUE(winplat::hw::SaveProjectionPng(testsupport::Root() / "out" / "program.png", 0, kPictureSize));
  int checked = 0;
  int left = kPictureSize, right = 0, top = kPictureSize, bottom = 0;
  for (const PointStruct& p : path) {
    if (p.Colour == 0) continue;
    auto [x, y] = Pixel(p, offset);
    left = std::min(left, x);
    right = std::max(right, x);
    top = std::min(top, y);
    bottom = std::max(bottom, y);
    EXPECT_TRUE(LitNear(picture, x, y)) << "point " << p.X << "," << p.Y << " at pixel " << x << "," << y;
    ++checked;
  }
  EXPECT_GT(checked, 20);
  EXPECT_GT(right - left, 20);  // the part is seen, not a speck
  const int lit = LitPixels(picture);
  EXPECT_GT(lit, 100);
  EXPECT_EQ(LitPixels(picture, left - 3, top - 3, right + 4, bottom + 4), lit);
}

TEST_F(ProgramOnBoards, AnInvertedFieldInvertsTheDisplayFrameOnce) {
  console.texts[OutputText::TdTxt] = "0";
  console.optFld = {{1, false}, {2, true}};
  Open(Job());
  const std::vector<PointStruct> path = DeviceFrame(1);
  ASSERT_GT(path.size(), 50u);
  // Written for the field, not inverted: the part lies left of the centre.
  for (const PointStruct& p : path) ASSERT_LT(p.X, 0);
  auto expectMirrored = [&] {
    const std::vector<PointStruct> shown = DeviceFrame(15);
    ASSERT_EQ(shown.size(), path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
      ASSERT_EQ(shown[i].X, -path[i].X) << i;
      ASSERT_EQ(shown[i].Y, path[i].Y) << i;
    }
    const std::vector<PointStruct> source = DeviceFrame(1);
    ASSERT_EQ(source.size(), path.size());
    for (std::size_t i = 0; i < path.size(); ++i) ASSERT_EQ(source[i].X, path[i].X) << i;
  };
  expectMirrored();
  // The picture shows the part right of the centre only.
  const winplat::Picture picture = winplat::hw::ProjectionPicture(0, kPictureSize);
  EXPECT_GT(LitPixels(picture), 100);
  EXPECT_EQ(LitPixels(picture, 0, 0, kPictureSize / 2, kPictureSize), 0);

  // Choosing the field again merges afresh and inverts once more, never twice.
  OptFld_Click(e, 2);
  expectMirrored();
}

TEST_F(ProgramOnBoards, OutputOffShowsAnEmptyDisplayFrame) {
  console.texts[OutputText::TdTxt] = "0";
  Open(Job());
  ASSERT_GT(LitPixels(winplat::hw::ProjectionPicture(0, kPictureSize)), 100);
  const std::size_t written = DeviceFrame(1).size();

  console.SetCheckState(OutputCheck::OnOff, 0);
  EXPECT_EQ(console.onOffCaption, "Laser OFF");
  EXPECT_EQ(PointsIn(DisplayFrameNumber), 0);
  EXPECT_EQ(LitPixels(winplat::hw::ProjectionPicture(0, kPictureSize)), 0);
  EXPECT_EQ(DeviceFrame(1).size(), written);
  EXPECT_EQ(state.LastShownFrame, 1);

  // On again: the last frame comes back.
  console.SetCheckState(OutputCheck::OnOff, 1);
  EXPECT_EQ(static_cast<std::size_t>(PointsIn(DisplayFrameNumber)), written);
  EXPECT_GT(LitPixels(winplat::hw::ProjectionPicture(0, kPictureSize)), 100);
}

// A program that ends inside a false condition block leaves nothing behind:
// the next program projects exactly as it does on a fresh start.
TEST_F(ProgramOnBoards, AnOpenFalseConditionBlockEndsWithItsProgram) {
  console.texts[OutputText::TdTxt] = "0";
  const fs::path jobs = testsupport::Root() / "C" / "Fieldray" / "Jobs";
  fs::copy_file(fs::path(std::getenv("FIELDRAY_TEMPLATE")) / "C" / "Fieldray" / "Jobs" / "PLATE.NC",
                jobs / "PLATE.NC", fs::copy_options::overwrite_existing);
  testsupport::WriteFile(jobs / "DARK.NC", "G90 G71\nG56/\nG0 X0. Y0.\nG1 X50. Y0.\nG151 X5 Y3 R50=0\nG1 X50. Y50.\n");
  auto frames = [this] {
    std::vector<std::vector<PointStruct>> all;
    for (std::int32_t n : {1, 2, 3, 4, 5, 6, 7, 8, DisplayFrameNumber}) all.push_back(DeviceFrame(n));
    return all;
  };
  Open("C:\\Fieldray\\Jobs\\PLATE.NC");
  const auto fresh = frames();
  ASSERT_GT(fresh.front().size(), 50u);
  ASSERT_EQ(fresh.back().size(), fresh.front().size());

  Open("C:\\Fieldray\\Jobs\\DARK.NC");
  ASSERT_EQ(state.BlockCondition, BoolFalse);
  ASSERT_EQ(state.AltOriginCorner, 2);
  Open("C:\\Fieldray\\Jobs\\PLATE.NC");
  EXPECT_EQ(state.AltOriginCorner, -1);
  const auto again = frames();
  ASSERT_EQ(again.size(), fresh.size());
  for (std::size_t f = 0; f < fresh.size(); ++f) {
    ASSERT_EQ(again[f].size(), fresh[f].size()) << "frame index " << f;
    for (std::size_t i = 0; i < fresh[f].size(); ++i) {
      EXPECT_EQ(again[f][i].X, fresh[f][i].X) << f << ":" << i;
      EXPECT_EQ(again[f][i].Y, fresh[f][i].Y) << f << ":" << i;
      EXPECT_EQ(again[f][i].Colour, fresh[f][i].Colour) << f << ":" << i;
    }
  }
}

// Small programs as an operator opens them: what each projects (the width of
// position 1's lit points) or what Msg says of it.
TEST_F(ProgramOnBoards, SmallProgramsProjectAsWrittenOrSayWhy) {
  console.texts[OutputText::TdTxt] = "0";
  const fs::path jobs = testsupport::Root() / "C" / "Fieldray" / "Jobs";
  std::mt19937 bytes(51);
  std::string noise;
  for (int i = 0; i < 2048; ++i) noise += static_cast<char>(bytes() & 0xFF);
  struct Case {
    const char* name;
    std::string text;
    const char* msg;  // exactly, or null for none
  };
  const std::vector<Case> cases = {
      {"L.NC", "G0 X0 Y0 R10\nG1 X100 Y0\nG1 X100 Y100\n", "C:\\Fieldray\\Jobs\\L.NC"},
      {"BACK.NC", "G0 X0 Y0 R10\nG1 X100 Y0\nG1 X0 Y2\n", "C:\\Fieldray\\Jobs\\BACK.NC"},
      {"PLATE.NC", "G0 X0 Y0\nG1 X40 Y0\nG1 X40 Y30\nG1 X0 Y30\nG1 X10 Y\n",
       "C:\\Fieldray\\Jobs\\PLATE.NC; 1 problem(s) in PLATE.NC: line 5: Y has no number, read as 0"},
      {"WRENCH.NC", "(X and Y in brackets)\nG0 X0 Y0\nG1 X[12.92+#<x_offset>] Y5\nG1 X20 Y5\n",
       "C:\\Fieldray\\Jobs\\WRENCH.NC; 1 problem(s) in WRENCH.NC: line 3: X has no number, read as 0"},
      {"GGGG.NC", "G0 X0 Y0\nG1 X5 Y5\nGGGG\nQ99 Z\n",
       "C:\\Fieldray\\Jobs\\GGGG.NC; 2 problem(s) in GGGG.NC: line 3: G has no number, read as 0"},
      {"COMP.NC", "g20 g64 g17\ng0x-.2y-.2z0\ng1x0y0\ng1y1\n",
       "C:\\Fieldray\\Jobs\\COMP.NC; COMP.NC: no motion read; G-code words are read in upper case; 4 problem(s) "
       "in COMP.NC: line 1: lower-case words are not read"},
      {"SHEET.NC", "G71 X100 Y100 Z5\n", "C:\\Fieldray\\Jobs\\SHEET.NC; SHEET.NC: no motion read"},
      {"NOISE.NC", noise, nullptr},
  };
  std::map<std::string, std::int32_t> width;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::WriteFile(jobs / c.name, c.text);
    console.msg.clear();
    Open(std::string("C:\\Fieldray\\Jobs\\") + c.name);
    if (c.msg) {
      EXPECT_EQ(console.msg, c.msg);
    }
    EXPECT_EQ(console.msg.find("check the switch options"), std::string::npos) << console.msg;
    std::int32_t left = INT32_MAX, right = INT32_MIN;
    for (const PointStruct& p : DeviceFrame(1)) {
      if (p.Colour == 0) continue;
      left = std::min(left, p.X);
      right = std::max(right, p.X);
    }
    width[c.name] = right >= left ? right - left : 0;
  }
  // Random bytes read as nothing, and say so.
  EXPECT_NE(console.msg.find("NOISE.NC: no motion read"), std::string::npos) << console.msg;
  // The near-reversal turns round its far end as the L turns its corner: its
  // copies reach no further than the L's.
  EXPECT_GT(width["L.NC"], 0);
  EXPECT_GT(width["BACK.NC"], 0);
  EXPECT_LE(width["BACK.NC"], width["L.NC"] + 10);
  EXPECT_EQ(width["SHEET.NC"], 0);
}

// A job name too long for the field puts the caption's strokes at the field's
// edge: the note follows the job's path and names the caption, never the
// program that lies inside. The same caption going with another message
// leaves that message alone.
TEST_F(ProgramOnBoards, ACaptionBeyondTheFieldIsNamedAsTheCaptions) {
  const std::string name = "A_JOB_NAME_OF_FIFTY_CHARACTERS_OR_MORE_FOR_THE_CAPTION.NC";
  ASSERT_GE(name.size(), 50u);
  const fs::path jobs = testsupport::Root() / "C" / "Fieldray" / "Jobs";
  testsupport::WriteFile(jobs / name, testsupport::ReadFile(jobs / "BRACKET.NC"));
  const std::string path = "C:\\Fieldray\\Jobs\\" + name;
  Open(path);
  const std::string head = path + "; caption: ";
  const std::string tail = " point(s) held at the field's edge";
  ASSERT_EQ(console.msg.rfind(head, 0), 0u) << console.msg;
  ASSERT_GT(console.msg.size(), head.size() + tail.size());
  EXPECT_EQ(console.msg.substr(console.msg.size() - tail.size()), tail);
  EXPECT_GT(std::stoi(console.msg.substr(head.size())), 0) << console.msg;
  EXPECT_EQ(console.msg.find("beyond the projection range"), std::string::npos) << console.msg;
  EXPECT_EQ(state.SaturatedPoints, 0);

  std::string caption = state.CaptionText;
  ASSERT_FALSE(caption.empty());
  console.SetMsg("Contains No Displayable Entities");
  ShowCaption(e, caption, false);
  EXPECT_EQ(console.msg, "Contains No Displayable Entities");
}

}  // namespace
}  // namespace fieldray::engine
