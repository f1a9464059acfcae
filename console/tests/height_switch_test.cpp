// Height presets, projection modes and the switch options: what the operator
// picks and edits, what is stored, and which frames are projected.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "console/height_presets.h"
#include "console/switch_options.h"
#include "engine/point_list.h"
#include "engine/projection_output.h"
#include "job/grid_cells.h"
#include "program_rig.h"
#include "winplat/controls/hand.h"
#include "winplat/controls/operator.h"
#include "winplat/profile.h"
#include "winplat/screen.h"

namespace fieldray::console {
namespace {

namespace op = winplat::controls::op;
using enginetest::FirstCommand;
using enginetest::LoggedCommandCodes;

class HeightSwitch : public ProgramRig {
 protected:
  winplat::SpreadGrid& Grid(const winplat::ComPtr<winplat::SpreadGridControl>& slot) { return slot->Grid(); }
  std::int32_t Points(std::int32_t frame) { return engine::PointsOnBoard(program->Engine, frame); }
  // The operator picks a job in the job list.
  void PickJob(const std::string& name) {
    auto& list = program->Forms.Main.File1;
    list.Refresh();
    for (int i = 0; i < list.ListCount(); ++i) {
      if (list.List(i) == name) {
        op::Pick(list, i);
        return;
      }
    }
    ADD_FAILURE() << name << " is not in the job list";
  }
  static constexpr std::uint16_t kCorrectionRow = 121;
  static constexpr std::uint16_t kDisplayFrame = 64;
};

TEST(FollowModePreset, TheHeightCellLessOneHeldToThePresets) {
  const struct {
    const char* cell;
    int preset;
  } cases[] = {{"", 0}, {"0", 0}, {"1", 0}, {"2", 1}, {"2.5", 2}, {"3.5", 2}, {"6", 5},
               {"9", 5}, {"-3", 0}, {"x", 0}, {"1e30", 5}};
  for (const auto& c : cases) EXPECT_EQ(FollowModePreset(c.cell), c.preset) << '"' << c.cell << '"';
}

TEST_F(HeightSwitch, FollowModeStoresThePresetAndCorrectsBeforeProjecting) {
  Program& p = Start();
  MainForm& m = p.Forms.Main;
  SetGridCell(Grid(p.Slots.SSHt), 1, 3, "");
  SetGridCell(Grid(p.Slots.SSHt), 1, 4, "9");
  op::Click(m.PrjHght(2));
  EXPECT_TRUE(m.PrjHt(2).Value()) << "both rows show the preset in use";
  // Without follow mode the preset stays and the projection comes first.
  const struct {
    int follow, mode, preset;
  } cases[] = {{1, 3, 0}, {1, 4, 5}, {0, 3, 5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "MdHt " << c.follow << ", PrjPos " << c.mode);
    if (m.MdHt.Value() != c.follow) op::Click(m.MdHt);
    EXPECT_EQ(Ini("HeightPresets", "FollowMode"), std::to_string(c.follow));
    winplat::hw::ClearCommandLog();
    op::Click(m.PrjPos(c.mode));
    EXPECT_TRUE(m.PrjHght(c.preset).Value());
    EXPECT_TRUE(m.PrjHt(c.preset).Value());
    EXPECT_EQ(Ini("HeightPresets", "Index"), std::to_string(c.preset));
    EXPECT_EQ(p.State.LastShownFrame, c.mode);
    const std::vector<std::uint16_t> codes = LoggedCommandCodes();
    ASSERT_GE(FirstCommand(codes, kDisplayFrame), 0);
    ASSERT_GE(FirstCommand(codes, kCorrectionRow), 0);
    EXPECT_EQ(FirstCommand(codes, kCorrectionRow) < FirstCommand(codes, kDisplayFrame), c.follow == 1) << "corrected first";
  }
}

TEST_F(HeightSwitch, ApplyOkCancelAndTheRowsOfThePresetDialog) {
  Program& p = Start();
  MainForm& m = p.Forms.Main;
  winplat::SpreadGrid& presets = Grid(p.Slots.PHSdata);
  const struct {
    const char* action;
    bool stored;
  } cases[] = {{"Apply", false}, {"OK", true}, {"Cancel", false}, {"Apply", false}, {"Cancel", false}};
  int round = 0;
  for (const auto& c : cases) {
    const std::string label = "Deck" + std::to_string(++round);
    SCOPED_TRACE(std::string(c.action) + " after " + label + " was typed");
    const std::string before = Ini("HeightPresets", "Label1");
    const std::string valueBefore = Ini("HeightPresets", "Value1");
    SetGridCell(presets, 2, 1, label);
    SetGridCell(presets, 2, 2, "150");
    if (std::string(c.action) == "Cancel") {
      p.Presets.CancelButton_Click();
    } else {
      p.Presets.OKButton_Click(std::string(c.action) == "OK" ? 0 : 1);
    }
    // Cancel brings back the stored label, in the grid too, after an Apply as well.
    const std::string shown = std::string(c.action) == "Cancel" ? before : label;
    EXPECT_EQ(m.PrjHght(1).Caption(), shown);
    EXPECT_EQ(m.PrjHt(1).Caption(), shown);
    EXPECT_EQ(GetGridCell(presets, 2, 1), shown);
    EXPECT_EQ(Ini("HeightPresets", "Label1"), c.stored ? label : before);
    EXPECT_EQ(Ini("HeightPresets", "Value1"), c.stored ? "150" : valueBefore);
    EXPECT_EQ(Ini("HeightPresets", "Left"), std::to_string(p.Forms.PHS.Left())) << "placement stored";
  }
  // A row click picks its preset; other rows pick none.
  const struct {
    int row;
    int checked;
  } rows[] = {{2, 1}, {0, 1}, {6, 5}, {7, 5}, {1, 0}, {-1, 0}};
  for (const auto& r : rows) {
    presets.ClickCell(r.row, 1);
    EXPECT_TRUE(m.PrjHght(r.checked).Value()) << "row " << r.row;
  }
}

// A label or value the settings file cannot hold (a line break would start a
// section of its own) is named as a caption box's is; the buttons and the
// grid show what is stored, and the cells that can be stored are.
TEST_F(HeightSwitch, ARefusedPresetLabelOrValueIsNamedAndTheStoredOneShown) {
  Program& p = Start();
  MainForm& m = p.Forms.Main;
  winplat::SpreadGrid& presets = Grid(p.Slots.PHSdata);
  const struct {
    int row, col;
    const char* text;
    const char* msg;
  } cases[] = {
      {2, 1, "Deck\r[Calibration]", "Height preset 1 label not saved: line breaks cannot be stored"},
      {4, 2, "350\n", "Height preset 3 value not saved: line breaks cannot be stored"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.msg);
    const int preset = c.row - 1;
    const std::string key = (c.col == 1 ? "Label" : "Value") + std::to_string(preset);
    const std::string stored = Ini("HeightPresets", key.c_str());
    SetGridCell(presets, c.row, c.col, c.text);
    SetGridCell(presets, 6, 1, std::string("Roof") + std::to_string(c.row));
    p.Presets.OKButton_Click(0);
    EXPECT_EQ(m.Msg.Caption(), c.msg);
    EXPECT_EQ(Ini("HeightPresets", key.c_str()), stored);
    EXPECT_EQ(GetGridCell(presets, c.row, c.col), stored);
    const std::string label = Ini("HeightPresets", ("Label" + std::to_string(preset)).c_str());
    EXPECT_EQ(m.PrjHght(preset).Caption(), label);
    EXPECT_EQ(m.PrjHt(preset).Caption(), label);
    EXPECT_EQ(Ini("HeightPresets", "Label5"), std::string("Roof") + std::to_string(c.row)) << "the others are stored";
    EXPECT_EQ(m.PrjHght(5).Caption(), std::string("Roof") + std::to_string(c.row));
    // A later good write of another setting leaves the refusal in Msg.
    op::Click(m.MdHt);
    EXPECT_EQ(m.Msg.Caption(), c.msg);
  }
  EXPECT_EQ(Ini("Calibration", "XScaleS"), "3000");
  const std::string settings = testsupport::ReadFile(ProgramFile("Fldry.INI"));
  EXPECT_EQ(settings.find("[Calibration]"), settings.rfind("[Calibration]")) << "no section was begun by a label";
}

TEST_F(HeightSwitch, DialogsKeepTheStoredClampsThenFitOnTheScreen) {
  Program& p = Start();
  const winplat::ScreenMetrics screen = winplat::Screen();
  const int width = static_cast<int>(winplat::PixelsToTwips(screen.width));
  const int height = static_cast<int>(winplat::PixelsToTwips(screen.height));
  wc::Form& phs = p.Forms.PHS;
  wc::Form& sw = p.Forms.SwOptForm;
  const struct {
    wc::Form* dialog;
    const char* section;
    const char* top;
    const char* left;
    int wantTop;
    int wantLeft;
  } cases[] = {
      {&phs, "HeightPresets", "100", "9000", 100, 9000},
      {&phs, "HeightPresets", "100", "9001", 100, std::min(10000, width - phs.Width())},
      {&phs, "HeightPresets", "-50", "-7", 0, 0},
      {&phs, "HeightPresets", "9000", "", std::min(8000, height - phs.Height()), 0},
      {&sw, "SwitchMode", "300", "9000", 300, std::min(9000, width - sw.Width())},
  };
  for (const auto& c : cases) {
    std::string top = c.top, left = c.left;
    engine::WriteIniValue(p.Engine, c.section, "Top", top);
    engine::WriteIniValue(p.Engine, c.section, "Left", left);
    PlaceDialog(p.Engine, *c.dialog, c.section);
    EXPECT_EQ(c.dialog->Top(), c.wantTop) << c.section << " " << c.top << " " << c.left;
    EXPECT_EQ(c.dialog->Left(), c.wantLeft) << c.section << " " << c.top << " " << c.left;
    EXPECT_LE(c.dialog->Left() + c.dialog->Width(), width);
  }
}

// Neither grid file of the switch options can be written: one OK shows both
// failures, each with the program's own path for the file.
TEST_F(HeightSwitch, BothGridFilesNotSavedByOneOkAreShown) {
  Program& p = Start();
  for (const char* name : {"SWPOS.DAT", "SWHT.DAT"}) {
    std::filesystem::remove(ProgramFile(name));
    std::filesystem::create_directories(ProgramFile(name));  // a folder where the file goes
  }
  p.Switches.OKButtonSO_Click();
  EXPECT_EQ(p.Forms.Main.Msg.Caption(),
            "\"SWPOS.DAT\" not saved: cannot create C:\\Fieldray\\SWPOS.DAT: Is a directory; "
            "\"SWHT.DAT\" not saved: cannot create C:\\Fieldray\\SWHT.DAT: Is a directory");
}

TEST_F(HeightSwitch, TheLabelEditorTakesOrDropsTheLabels) {
  Program& p = Start();
  SwitchOptionsForm& f = p.Forms.SwOptForm;
  winplat::SpreadGrid& options = Grid(p.Slots.SSOptSw);
  winplat::SpreadGrid& labels = Grid(p.Slots.SPLabels);
  for (const bool take : {false, true}) {
    SCOPED_TRACE(take ? "OK" : "Cancel");
    p.Switches.SPChLab_Click();
    EXPECT_TRUE(f.SPLabForm.Visible());
    EXPECT_EQ(GetGridCell(labels, 1, 6), "Pattern");
    EXPECT_FALSE(f.OKButtonSO.Enabled());
    EXPECT_FALSE(f.CancelButtonSO.Enabled());
    labels.TypeIntoCell(1, 6, "Marks");
    if (take) {
      p.Switches.OKButtonLab_Click();
    } else {
      p.Switches.SPLClose_Click();
    }
    EXPECT_FALSE(f.SPLabForm.Visible());
    EXPECT_TRUE(f.OKButtonSO.Enabled());
    EXPECT_TRUE(f.CancelButtonSO.Enabled());
    EXPECT_EQ(GetGridCell(options, 0, 6), take ? "Marks" : "Pattern");
    EXPECT_EQ(p.Forms.Main.PrjPos(6).Caption(), "Pattern") << "captions follow only OK of the dialog";
  }
  // OK of the dialog stores both grids whole: the labels survive a reload.
  p.Switches.OKButtonSO_Click();
  EXPECT_EQ(p.Forms.Main.PrjPos(6).Caption(), "Marks");
  EXPECT_NE(testsupport::ReadFile(ProgramFile("SWPOS.DAT")).find("Marks"), std::string::npos);
  winplat::SpreadGrid reloaded;
  ASSERT_TRUE(reloaded.LoadFromFile("C:\\Fieldray\\SWPOS.DAT")) << reloaded.LastError();
  EXPECT_EQ(GetGridCell(reloaded, 0, 6), "Marks");
  EXPECT_EQ(GetGridCell(reloaded, 2, 4), "1");
}

TEST_F(HeightSwitch, SwitchOptionsTakeEnterAndEscapeAndTheLabelEditorsWhileItIsOpen) {
  Program& p = Start();
  SwitchOptionsForm& f = p.Forms.SwOptForm;
  winplat::SpreadGrid& options = Grid(p.Slots.SSOptSw);
  winplat::SpreadGrid& labels = Grid(p.Slots.SPLabels);
  namespace hand = winplat::controls::hand;
  auto press = [&](winplat::WPARAM key) { hand::Key(f.hWnd(), static_cast<int>(key), 0); };
  f.Show();
  press(winplat::VK_ESCAPE);
  EXPECT_FALSE(f.Visible()) << "Escape is the dialog's Cancel";
  f.Show();
  op::Click(f.SPChLab);
  ASSERT_TRUE(f.SPLabels.HasFocus());
  // A label typed by hand: the first Enter keeps the cell's edit, the second
  // is the editor's OK (the dialog's own is disabled meanwhile).
  for (char ch : std::string("Mk")) hand::Character(f.hWnd(), ch);
  press(winplat::VK_RETURN);
  EXPECT_TRUE(f.SPLabForm.Visible());
  EXPECT_EQ(GetGridCell(labels, 1, 1), "Mk");
  press(winplat::VK_RETURN);
  EXPECT_FALSE(f.SPLabForm.Visible());
  ASSERT_TRUE(f.Visible());
  EXPECT_EQ(GetGridCell(options, 0, 1), "Mk");
  // Escape with the editor open is its Cancel, not the dialog's.
  op::Click(f.SPChLab);
  press(winplat::VK_ESCAPE);
  EXPECT_FALSE(f.SPLabForm.Visible());
  ASSERT_TRUE(f.Visible());
  // Enter with the editor closed is the dialog's OK: the label is stored.
  press(winplat::VK_RETURN);
  EXPECT_FALSE(f.Visible());
  EXPECT_NE(testsupport::ReadFile(ProgramFile("SWPOS.DAT")).find("Mk"), std::string::npos);
}

TEST_F(HeightSwitch, AnEditAfterAFieldSelectionRebuildsTheJobsFrames) {
  Program& p = Start();
  winplat::SpreadGrid& options = Grid(p.Slots.SSOptSw);
  // No job: an edit builds no frame.
  options.TypeIntoCell(4, 6, "1");
  EXPECT_EQ(Points(1), 0);
  options.TypeIntoCell(4, 6, "0");

  op::Click(p.Forms.Main.OnOff);
  PickJob("PLATE.NC");
  const std::int32_t all = Points(1);
  ASSERT_GT(all, 0);
  EXPECT_EQ(Points(6), 0) << "position 6 keeps only the pattern and the outline";
  // Cancelled with nothing changed: position 6 kept nothing before either, so
  // nothing is worth a word.
  p.Switches.CancelButtonSO_Click();
  EXPECT_EQ(p.Forms.Main.Msg.Caption().find("check the switch options"), std::string::npos)
      << p.Forms.Main.Msg.Caption();
  EXPECT_EQ(Points(1), all);
  // A field selection (a mirrored field) fills the point list with its
  // marker, which no switch frame keeps, and inverts the output.
  op::PickTab(p.Forms.Main.SSTab1, design::kTabFields);
  op::Click(p.Forms.Main.FldOpt(2));
  op::Click(p.Forms.Main.PrjPos(6));

  options.TypeIntoCell(4, 6, "1");
  options.TypeIntoCell(5, 6, "1");
  EXPECT_GT(Points(6), 0) << "the job's path is in position 6 now";
  EXPECT_EQ(Points(1), all);
  EXPECT_EQ(p.State.LastShownFrame, 6);
  FrameStruct shown{};
  ASSERT_EQ(p.Vx.ReadFrameStruct(engine::DisplayFrameNumber, &shown), 0);
  EXPECT_GT(shown.NumPoints, 0);

  // A position that keeps nothing loses its frame and says so.
  for (std::int32_t row = 1; row <= 8; ++row) options.TypeIntoCell(row, 2, "0");
  EXPECT_EQ(Points(2), 0);
  EXPECT_EQ(p.Forms.Main.Msg.Caption(), "Switch position 2 keeps no point of PLATE.NC: check the switch options");

  // Cancel reloads the stored options and projects once.
  winplat::hw::ClearCommandLog();
  p.Switches.CancelButtonSO_Click();
  const std::vector<std::uint16_t> codes = LoggedCommandCodes();
  EXPECT_EQ(std::count(codes.begin(), codes.end(), kDisplayFrame), 1);
  EXPECT_EQ(Points(6), 0);
  EXPECT_GT(Points(2), 0);
  EXPECT_EQ(p.Forms.Main.Msg.Caption(), "Switch position 6 keeps no point of PLATE.NC: check the switch options")
      << "the cancel emptied position 6";
  EXPECT_EQ(p.State.LoadingSettings, BoolFalse);
  EXPECT_EQ(Ini("SwitchMode", "Left"), std::to_string(p.Forms.SwOptForm.Left()));

  // A failed open leaves nothing to rebuild from.
  testsupport::WriteFile(testsupport::Root() / "C" / "Fieldray" / "Jobs" / "EMPTY.DXF", "0\nEOF\n");
  PickJob("EMPTY.DXF");
  options.TypeIntoCell(1, 1, "1");
  EXPECT_EQ(Points(1), 0);
}

}  // namespace
}  // namespace fieldray::console
