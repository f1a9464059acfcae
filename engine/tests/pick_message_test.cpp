// The status line of a pick: its head, then every note the pick met, in a
// fixed order, joined by "; ", whatever order they came in; cut at 400.
#include "engine/pick_message.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/caption_text.h"
#include "engine/point_list.h"
#include "engine/projection_output.h"
#include "engine_fakes.h"

namespace fieldray::engine {
namespace {

using enginetest::EngineRig;

const std::string kPath = "C:\\Fieldray\\Jobs\\PLATE.NC";
const std::string kFull = "Disk is full. File will not be saved.";
const std::string kFont = "Caption font C:\\Fieldray\\stick.vxf could not be loaded";

void Write(EngineRig& rig, std::int32_t frame, std::size_t points, std::int32_t status) {
  rig.board.writeStatus = status;
  rig.state.FrameBuffer.resize(points + 1);
  WriteFrameToBoard(rig.e, frame, "F");
}

// Each case runs its steps inside one pick of PLATE.NC, then reads Msg.
TEST(PickLine, NamesThePathAndEveryNoteInItsOwnOrder) {
  const struct {
    const char* name;
    void (*steps)(EngineRig&);
    std::string msg;
  } cases[] = {
      {"nothing met", [](EngineRig&) {}, kPath},
      {"notes given in reverse order",
       [](EngineRig& rig) {
         rig.state.SaturatedPoints = 2;
         Write(rig, 1, 10, 0);
         SetPickPart(rig.e, PickPart::ReadNotes, "1 problem(s) in PLATE.NC: line 2: X12abc read as 12");
         SetPickPart(rig.e, PickPart::Reason, "PLATE.NC: no motion read");
       },
       kPath + "; PLATE.NC: no motion read; 1 problem(s) in PLATE.NC: line 2: X12abc read as 12; 2 point(s) "
               "beyond the projection range held at its edge."},
      {"the switch hint without a failure",
       [](EngineRig& rig) {
         Write(rig, 1, 10, 0);
         SetPickPart(rig.e, PickPart::SwitchHint, "Switch position 1 keeps no point of PLATE.NC: check the switch options");
       },
       kPath + "; Switch position 1 keeps no point of PLATE.NC: check the switch options"},
      {"a failure hides the switch hint; a frame written again drops its failure",
       [](EngineRig& rig) {
         Write(rig, 1, 10, -403);
         Write(rig, 2, 20, -403);
         Write(rig, 3, 30, -403);
         Write(rig, 2, 20, 0);
         SetPickPart(rig.e, PickPart::SwitchHint, "Switch position 1 keeps no point of PLATE.NC: check the switch options");
       },
       kPath + "; Frames 1 (10 points), 3 (30) not written: " + kFull},
      {"frames failing for two reasons, each reason once",
       [](EngineRig& rig) {
         Write(rig, 1, 10, -403);
         Write(rig, 2, 20, -405);
         Write(rig, 14, 317, -403);
       },
       kPath + "; Frames 1 (10 points), 14 (317) not written: " + kFull +
           "; Frame 2 not written (20 points): File is write protected."},
      {"frames too large, then one that failed, then the caption",
       [](EngineRig& rig) {
         Write(rig, 2, 30, -403);
         Write(rig, 1, 7000, 0);
         Write(rig, 4, 6500, 0);
         rig.board.fontStatus = -401;
         std::string caption = "PLATE.NC";
         ShowCaption(rig.e, caption);
       },
       kPath + "; Frames 1 (7000 points), 4 (6500) not written: the board holds 6000 points a frame; Frame 2 not "
               "written (30 points): " + kFull + "; " + kFont},
      {"the import's fixed text in place of the path",
       [](EngineRig& rig) {
         SetPickPart(rig.e, PickPart::ReadNotes, "1 value(s) are not numbers; line 9: group 10 value 'x' is not a "
                                                 "number, read as 0");
         SetPickHead(rig.e, "Contains No Displayable Entities");
       },
       "Contains No Displayable Entities; 1 value(s) are not numbers; line 9: group 10 value 'x' is not a number, "
       "read as 0"},
      {"a long line is cut at 400",
       [](EngineRig& rig) { SetPickPart(rig.e, PickPart::Reason, std::string(500, 'r')); },
       (kPath + "; " + std::string(500, 'r')).substr(0, 397) + "..."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EngineRig rig;
    rig.CaptionInFieldS(1000, "0");
    {
      PickScope pick(rig.e, kPath);
      EXPECT_EQ(rig.console.msg, kPath);
      c.steps(rig);
    }
    EXPECT_EQ(rig.console.msg, c.msg);
    EXPECT_LE(rig.console.msg.size(), MaxPickLine);
    EXPECT_FALSE(rig.state.Pick.Open);
  }
}

// After the pick, a caption's note joins its line while Msg still shows it;
// once another text took Msg's place, the caption's note replaces it as before.
// A new pick starts a new line, with only the intake's notes set for it.
TEST(PickLine, ACaptionAfterThePickJoinsItsLineOnlyWhileMsgShowsIt) {
  EngineRig rig;
  rig.CaptionInFieldS(30000, "0");
  rig.state.Pick.NextIntakeNotes = "Job variable S: expression (1+ not evaluated";
  {
    PickScope pick(rig.e, kPath);
    Write(rig, 1, 10, -403);
  }
  rig.state.Pick.NextIntakeNotes.clear();
  rig.board.writeStatus = 0;
  const std::string line =
      kPath + "; Job variable S: expression (1+ not evaluated; Frame 1 not written (10 points): " + kFull;
  EXPECT_EQ(rig.console.msg, line);
  rig.board.fontStatus = -401;
  std::string caption = "PLATE.NC";
  ShowCaption(rig.e, caption);
  EXPECT_EQ(rig.console.msg, line + "; " + kFont);
  rig.board.fontStatus = 0;
  ShowCaption(rig.e, caption);
  EXPECT_EQ(rig.console.msg, line) << "the caption built now replaces its failure";

  rig.console.SetMsg("\"SWPOS.DAT\" not saved: Permission denied");
  rig.board.fontStatus = -401;
  ShowCaption(rig.e, caption);
  EXPECT_EQ(rig.console.msg, kFont);

  PickScope next(rig.e, "C:\\Fieldray\\Jobs\\FRAME.NC");
  EXPECT_EQ(rig.console.msg, "C:\\Fieldray\\Jobs\\FRAME.NC");
}

}  // namespace
}  // namespace fieldray::engine
