#include <gtest/gtest.h>

#include "engine/caption_text.h"
#include "engine/point_list.h"
#include "engine/projection_output.h"
#include "engine_fakes.h"

namespace fieldray::engine {
namespace {

using enginetest::EngineRig;

PointStruct P(std::int32_t x, std::int32_t y, std::int32_t cls = 0) {
  PointStruct p{};
  p.X = x;
  p.Y = y;
  p.Z = 7;
  p.F = -3;
  p.Colour = 0x00FF00;
  p.Value7 = cls;
  return p;
}

TEST(AddPoint, StoresHoldCountCopiesInBoardUnitsAndLeavesTheCallersRecord) {
  EngineRig rig;
  PointStruct p = P(3, 4, 3012);
  std::int32_t hold = 2;
  AddPoint(rig.e, p, hold);
  EXPECT_EQ(p.X, 3);
  EXPECT_EQ(p.Y, 4);
  ASSERT_EQ(rig.state.PointCount, 2);
  ASSERT_EQ(rig.state.AssemblyPoints.size(), 3u);
  for (int i = 1; i <= 2; ++i) {
    const PointStruct& s = rig.state.AssemblyPoints[i];
    EXPECT_EQ(s.X, 15);
    EXPECT_EQ(s.Y, -20);
    EXPECT_EQ(s.Z, 7);
    EXPECT_EQ(s.F, -3);
    EXPECT_EQ(s.Colour, 0x00FF00);
    EXPECT_EQ(s.Value7, 3012);
  }
}

TEST(AddPoint, HoldCountBelowOneStoresNothing) {
  EngineRig rig;
  PointStruct p = P(1, 1);
  for (std::int32_t hold : {0, -5}) AddPoint(rig.e, p, hold);
  EXPECT_EQ(rig.state.PointCount, 0);
  EXPECT_EQ(p.X, 1);
}

TEST(AddPoint, TheListStopsAt32767EvenInsideOneCallsRepeats) {
  EngineRig rig;
  PointStruct p = P(1, 2);
  std::int32_t hold = 32760;
  AddPoint(rig.e, p, hold);
  hold = 32;
  AddPoint(rig.e, p, hold);  // only seven of these fit
  EXPECT_EQ(rig.state.PointCount, 32767);
  EXPECT_EQ(rig.state.AssemblyPoints.size(), 32768u);
  hold = 1;
  AddPoint(rig.e, p, hold);
  EXPECT_EQ(rig.state.PointCount, 32767);
}

TEST(AddPoint, CoordinatesBeyondTheBoardAreHeldAtItsEdgeAndCounted) {
  EngineRig rig;
  std::int32_t hold = 1;
  PointStruct edge = P(6553, -6553);
  AddPoint(rig.e, edge, hold);
  PointStruct over = P(6554, -2000000000);
  AddPoint(rig.e, over, hold);
  PointStruct under = P(-2147483647 - 1, 10);
  AddPoint(rig.e, under, hold);
  const auto& a = rig.state.AssemblyPoints;
  EXPECT_EQ(a[1].X, 32765);
  EXPECT_EQ(a[1].Y, 32765);
  EXPECT_EQ(a[2].X, 32767);
  EXPECT_EQ(a[2].Y, 32767);
  EXPECT_EQ(a[3].X, -32767);
  EXPECT_EQ(a[3].Y, -50);
  EXPECT_EQ(over.X, 6554);
  EXPECT_EQ(rig.state.SaturatedPoints, 2);

  rig.state.FrameBuffer.assign(a.begin(), a.begin() + 4);
  std::int32_t frame = 3;
  std::string name = "F";
  WriteFrameToBoard(rig.e, frame, name);
  EXPECT_EQ(rig.console.msg, "2 point(s) beyond the projection range held at its edge.");
  EXPECT_EQ(rig.state.SaturatedPoints, 0);

  // With a job open, the note follows its path as Msg shows it.
  rig.state.JobPath = "C:\\Jobs\\LONG CAPTION.DXF";
  rig.state.SaturatedPoints = 12;
  rig.state.FrameBuffer.assign(a.begin(), a.begin() + 2);
  WriteFrameToBoard(rig.e, frame, name);
  EXPECT_EQ(rig.console.msg, "C:\\Jobs\\LONG CAPTION.DXF: 12 point(s) beyond the projection range held at its edge.");
}

TEST(WriteFrameToBoard, WritesTheBufferUnderItsNameAndEmptiesBothBuffers) {
  EngineRig rig;
  std::int32_t hold = 1;
  for (int i = 1; i <= 3; ++i) {
    PointStruct p = P(i, -i);
    AddPoint(rig.e, p, hold);
  }
  rig.state.FrameBuffer = rig.state.AssemblyPoints;
  std::int32_t frame = 12;
  std::string name = "a name longer than twenty-four characters";
  WriteFrameToBoard(rig.e, frame, name);
  EXPECT_EQ(rig.board.calls,
            (std::vector<std::string>{"SetWorkingFrame 12", "DeleteFrames 12 12", "WriteFrame 3"}));
  const auto& [header, points] = rig.board.frames.at(12);
  EXPECT_EQ(std::string(header.Name, 24), "a name longer than twent");
  EXPECT_EQ(header.NumPoints, 3);
  EXPECT_EQ(header.FlagA, 0);
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points[2].X, 15);
  EXPECT_EQ(points[2].Y, 15);
  EXPECT_EQ(rig.state.FrameBuffer.size(), 1u);
  EXPECT_EQ(rig.state.PointCount, 0);
  EXPECT_TRUE(rig.console.msgHistory.empty());

  // The next point overwrites the list from element 1.
  PointStruct p = P(9, 9);
  AddPoint(rig.e, p, hold);
  EXPECT_EQ(rig.state.AssemblyPoints.size(), 2u);
  EXPECT_EQ(rig.state.AssemblyPoints[1].X, 45);
}

TEST(WriteFrameToBoard, AShortNameIsBlankPaddedAndAnEmptyBufferOnlyDeletes) {
  EngineRig rig;
  rig.board.frames[5] = {FrameStruct{}, {}};
  std::int32_t frame = 5;
  std::string name = "Hole";
  WriteFrameToBoard(rig.e, frame, name);
  EXPECT_TRUE(rig.board.CallsNamed("WriteFrame").empty());
  EXPECT_FALSE(rig.board.frames.count(5));

  rig.state.FrameBuffer.resize(2);
  WriteFrameToBoard(rig.e, frame, name);
  EXPECT_EQ(std::string(rig.board.frames.at(5).first.Name, 24), "Hole                    ");
}

TEST(WriteFrameToBoard, ARefusedWriteIsShownNotTakenForSuccess) {
  const std::pair<std::int32_t, const char*> cases[] = {
      {-1, "Frame 1 not written (100 points): VX status/error number -1."},
      {-403, "Frame 1 not written (100 points): Disk is full. File will not be saved."},
      {-405, "Frame 1 not written (100 points): File is write protected."},
  };
  for (const auto& [status, text] : cases) {
    EngineRig rig;
    rig.board.writeStatus = status;
    rig.state.FrameBuffer.resize(101);
    std::int32_t frame = 1;
    std::string name = "Big";
    WriteFrameToBoard(rig.e, frame, name);
    EXPECT_EQ(rig.console.msg, text);
    EXPECT_EQ(rig.state.FrameBuffer.size(), 1u);
  }
}

// A frame that was not written stays in Msg: what the caption says after it
// (its font, its own frame, its strokes held at the field's edge) is added,
// whatever Msg held before is replaced, and a caption shown again says it once.
TEST(WriteFrameToBoard, AFailureStaysInMsgWhenTheCaptionSaysSomethingAfterIt) {
  const std::string failure = "Frame 14 not written (317 points): Disk is full. File will not be saved.";
  const std::string font = "Caption font C:\\Fieldray\\stick.vxf could not be loaded";
  // Its nine letters all start beyond the field's 1000 board units.
  const std::string held = "caption: 9 point(s) held at the field's edge";
  const struct {
    const char* name;
    std::int32_t jobStatus;  // the job frame's write
    std::int32_t fontStatus, captionStatus;
    bool shown;  // the caption is shown; else only its frame is written
    int shows;   // how often the caption follows the job's frame
    std::string msg;
  } cases[] = {
      {"font not loaded after a full disk", -403, -401, 0, true, 1, failure + "; " + font},
      {"font not loaded twice after a full disk", -403, -401, 0, true, 2, failure + "; " + font},
      {"caption frame not written after it", -403, 0, -403, false, 1,
       failure + "; Frame 101 not written (2 points): Disk is full. File will not be saved."},
      {"font not loaded after a good write", 0, -401, 0, true, 1, font},
      {"caption beyond the field after a full disk", -403, 0, 0, true, 1, failure + "; " + held},
      {"caption beyond the field twice after a full disk", -403, 0, 0, true, 2, failure + "; " + held},
      {"caption beyond the field after a good write", 0, 0, 0, true, 1, held},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EngineRig rig;
    rig.CaptionInFieldS(1000, "2000");
    rig.console.SetMsg("C:\\Fieldray\\Jobs\\PLATE.DXF");
    rig.board.writeStatus = c.jobStatus;
    rig.state.FrameBuffer.resize(318);
    std::int32_t frame = 14;
    std::string name = "DXF";
    WriteFrameToBoard(rig.e, frame, name);
    rig.board.writeStatus = c.captionStatus;
    rig.state.FrameBuffer.resize(3);
    frame = CaptionFrameNumber;
    name = "Text";
    for (int i = 0; i < c.shows; ++i) {
      if (c.shown) {
        rig.board.fontStatus = c.fontStatus;
        std::string caption = "PLATE.DXF";
        ShowCaption(rig.e, caption);
      } else {
        WriteFrameToBoard(rig.e, frame, name);
      }
    }
    EXPECT_EQ(rig.console.msg, c.msg);
  }
}

// Msg is emptied only while it reads the text; an empty text never empties it.
TEST(ClearMsgIf, EmptiesMsgOnlyWhileItStillReadsTheText) {
  const struct {
    const char* shown;
    const char* text;
    const char* msg;
  } cases[] = {
      {"Top not saved: line breaks cannot be stored", "Top not saved: line breaks cannot be stored", ""},
      {"C:\\Fieldray\\Jobs\\PLATE.DXF", "Top not saved: line breaks cannot be stored",
       "C:\\Fieldray\\Jobs\\PLATE.DXF"},
      {"C:\\Fieldray\\Jobs\\PLATE.DXF", "", "C:\\Fieldray\\Jobs\\PLATE.DXF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown + std::string(" / ") + c.text);
    EngineRig rig;
    rig.console.SetMsg(c.shown);
    ClearMsgIf(rig.e, c.text);
    EXPECT_EQ(rig.console.msg, c.msg);
  }
}

TEST(WriteFrameToBoard, OneMessageNamesEveryFrameTooLargeForTheBoard) {
  EngineRig rig;
  const std::pair<std::int32_t, std::size_t> writes[] = {
      {1, 9902}, {2, 9902}, {4, 50}, {3, 9120}, {2, 9902}, {14, 32767}};  // 14: cut at the assembly's cap
  for (auto [frame, points] : writes) {
    rig.state.FrameBuffer.resize(points + 1);
    std::string name;
    WriteFrameToBoard(rig.e, frame, name);
  }
  EXPECT_EQ(rig.console.msg,
            "Frames 1 (9902 points), 3 (9120), 2 (9902), 14 (more than 32767) not written: the board holds 6000 "
            "points a frame");
  EXPECT_EQ(rig.board.CallsNamed("WriteFrame").size(), 1u) << "only the frame that fits";
  EXPECT_TRUE(rig.board.frames.count(4));
}

TEST(ReadWorkingFrame, ReadsTheWorkingFrameBackIntoTheBuffer) {
  EngineRig rig;
  rig.state.FrameBuffer = {PointStruct{}, P(1, 2), P(3, 4)};
  std::int32_t frame = 7;
  std::string name = "Back";
  WriteFrameToBoard(rig.e, frame, name);
  rig.board.calls.clear();
  EXPECT_EQ(GetWorkingFrameNumber(rig.e), 7);
  ReadWorkingFrame(rig.e);
  ASSERT_EQ(rig.state.FrameBuffer.size(), 3u);
  EXPECT_EQ(rig.state.FrameBuffer[2].X, 3);
  EXPECT_EQ(rig.state.FrameBuffer[2].Y, 4);
  EXPECT_EQ(rig.board.CallsNamed("ReadFrameStruct"), std::vector<std::string>{"ReadFrameStruct 7"});
}

TEST(ReadWorkingFrame, AnEmptyWorkingFrameLeavesOnlyElementZero) {
  EngineRig rig;
  rig.state.FrameBuffer.resize(40);
  rig.board.workingFrame = 99;
  ReadWorkingFrame(rig.e);
  EXPECT_EQ(rig.state.FrameBuffer.size(), 1u);
  EXPECT_TRUE(rig.board.CallsNamed("ReadFrame").empty());
}

}  // namespace
}  // namespace fieldray::engine
