// The engine against the emulated boards through the real device library, on
// this test process's own machine root.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/field_calibration.h"
#include "engine/point_list.h"
#include "engine/status_reporter.h"
#include "board_machine.h"
#include "engine_fakes.h"
#include "test_support.h"
#include "winplat/hw/boards.h"
#include "winplat/msgbox.h"

namespace fieldray::engine {
namespace {

namespace fs = std::filesystem;

class BoardRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    enginetest::ResetBoardMachine();
    if (HasFatalFailure()) return;
  }

  ProgramState state;
  Vexlib vx{enginetest::BoardLibrary()};
  enginetest::FakeConsole console;
  int exits = 0;
  Engine e{state, vx, console, [this] { ++exits; }};
  winplat::MessageBoxScript boxes;
};

TEST_F(BoardRoundTrip, NoSessionIsReportedThenStartUpBootsTheBoardAndBeginsOne) {
  vx.CheckSession(&state.VXStatus);
  EXPECT_EQ(state.VXStatus, -101);
  CheckStatus(e);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].caption, "CheckStatus: CheckSession error");

  StartSession(e);
  EXPECT_EQ(state.VXStatus, 0) << vx.LastBindingError();
  EXPECT_EQ(exits, 0);
  vx.CheckSession(&state.VXStatus);
  EXPECT_EQ(state.VXStatus, 0);

  // A session already running is begun again without a word.
  StartSession(e);
  EXPECT_EQ(state.VXStatus, 0);
  EXPECT_EQ(boxes.Shown().size(), 1u);
}

TEST_F(BoardRoundTrip, AMissingBootFileEndsTheProgramWithItsMessage) {
  fs::remove(testsupport::Root() / "C" / "WINDOWS" / "SYSTEM32" / "VX.T32");
  StartSession(e);
  EXPECT_EQ(state.VXStatus, -401);
  // The library's own missing-file box, then ours; no status report between.
  ASSERT_EQ(boxes.Shown().size(), 2u);
  EXPECT_EQ(boxes.Shown()[1].caption, "BeginSession unable to complete");
  EXPECT_EQ(boxes.Shown()[1].text, "Tribank boot program 'VX.T32' not found. Ending Lumiroll.");
  EXPECT_EQ(exits, 1);
}

TEST_F(BoardRoundTrip, FramesGoOutThroughThePointListAndComeBack) {
  StartSession(e);
  ASSERT_EQ(state.VXStatus, 0);
  std::int32_t hold = 1;
  for (std::int32_t k = 1; k <= 50; ++k) {
    PointStruct p{};
    p.X = k * 10;
    p.Y = -k;
    p.Colour = 0xFF;
    p.Value7 = 3011;
    AddPoint(e, p, hold);
  }
  state.FrameBuffer = state.AssemblyPoints;
  std::int32_t frame = 5;
  std::string name = "Part 1";
  WriteFrameToBoard(e, frame, name);
  EXPECT_TRUE(console.msgHistory.empty()) << console.msg;

  ReadWorkingFrame(e);
  ASSERT_EQ(state.FrameBuffer.size(), 51u);
  EXPECT_EQ(state.FrameBuffer[1].X, 50);
  EXPECT_EQ(state.FrameBuffer[1].Y, 5);
  EXPECT_EQ(state.FrameBuffer[50].X, 2500);
  EXPECT_EQ(state.FrameBuffer[50].Y, 250);
  EXPECT_EQ(state.FrameBuffer[50].Colour, 0xFF);
  FrameStruct header{};
  vx.ReadFrameStruct(5, &header);
  EXPECT_EQ(std::string(header.Name, 24), "Part 1                  ");

  // An empty buffer leaves the frame deleted.
  ASSERT_EQ(state.FrameBuffer.size(), 51u);  // the frame just read back
  state.FrameBuffer.assign(1, PointStruct{});
  WriteFrameToBoard(e, frame, name);
  ReadWorkingFrame(e);
  EXPECT_EQ(state.FrameBuffer.size(), 1u);
}

TEST_F(BoardRoundTrip, AFrameLargerThanTheBoardTakesIsReported) {
  StartSession(e);
  ASSERT_EQ(state.VXStatus, 0);
  state.FrameBuffer.assign(6002, PointStruct{});
  std::int32_t frame = 2;
  std::string name = "Too big";
  WriteFrameToBoard(e, frame, name);
  // Refused before it is sent: the board raises no fault of its own.
  EXPECT_EQ(console.msg, "Frame 2 (6001 points) not written: the board holds 6000 points a frame");
  FrameStruct header{};
  vx.ReadFrameStruct(2, &header);
  EXPECT_EQ(header.NumPoints, 0) << "the old frame is deleted and nothing written";
}

TEST_F(BoardRoundTrip, AnInvertedFieldInvertsTheWorkingFrameExactlyOnce) {
  StartSession(e);
  ASSERT_EQ(state.VXStatus, 0);
  state.FrameBuffer.assign(3, PointStruct{});
  state.FrameBuffer[1].X = 100;
  state.FrameBuffer[2].X = -40;
  std::int32_t frame = 1;
  std::string name = "F";
  WriteFrameToBoard(e, frame, name);
  // One scale for every field, so readings under the same inversion compare exactly.
  for (std::int16_t f = 1; f <= 8; ++f) state.FieldCalibration[f].XScale = 1000;

  auto xs = [&] {
    ReadWorkingFrame(e);
    return std::make_pair(state.FrameBuffer.at(1).X, state.FrameBuffer.at(2).X);
  };
  std::int16_t field = 1;
  SelectField(e, field);  // no inversion change: the scale is set apart
  ApplyFieldScale(e, field);
  auto direct = xs();
  field = 2;
  SelectField(e, field);
  auto inverted = xs();
  EXPECT_NE(inverted, direct);
  EXPECT_EQ(state.InversionState, -1);
  SelectField(e, field);
  field = 4;
  SelectField(e, field);
  EXPECT_EQ(xs(), inverted);
  field = 7;
  SelectField(e, field);
  EXPECT_EQ(xs(), direct);
  EXPECT_EQ(state.InversionState, 0);
  EXPECT_EQ(console.lblXAdj, "1000");
}

}  // namespace
}  // namespace fieldray::engine
