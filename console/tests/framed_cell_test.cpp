// The console's grids as the operator meets them: whatever cells the program
// read or wrote by Row and Col, the dark frame is drawn on the active cell and
// a key typed at once edits that cell.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "console/design_values.h"
#include "job/grid_cells.h"
#include "program_rig.h"
#include "winplat/controls/form.h"
#include "winplat/controls/geometry.h"
#include "winplat/controls/hand.h"
#include "winplat/controls/operator.h"
#include "winplat/messages.h"
#include "winplat/picture.h"

namespace fieldray::console {
namespace {

namespace wc = winplat::controls;
namespace op = wc::op;
namespace hand = wc::hand;

using FramedCell = ProgramRig;

// "row,col" of each cell of `slot`'s grid drawn with the dark frame in the
// picture of `form` as it stands.
std::vector<std::string> Framed(wc::Form& form, wc::HostSlot& slot, const winplat::SpreadGrid& grid) {
  while (winplat::DispatchPending() > 0) {
  }
  form.Paint();
  const winplat::Picture picture = winplat::CaptureWindow(form.hWnd());
  const wc::GridGeometry geometry = wc::GridLayout(grid, wc::SlotInside(wc::PlaceOnForm(slot)));
  std::vector<std::string> at;
  for (std::int32_t r : geometry.rows) {
    for (std::int32_t c : geometry.cols) {
      const wc::Box cell = geometry.Cell(r, c);
      // The frame's top and left edges run inside the cell's first pixels.
      if (cell.w > 4 && cell.h > 4 && picture.At(cell.x + 2, cell.y) == 0 && picture.At(cell.x, cell.y + 2) == 0)
        at.push_back(std::to_string(r) + "," + std::to_string(c));
    }
  }
  return at;
}

TEST_F(FramedCell, EachConsoleGridOpensWithItsFrameOnTheCellTypingReaches) {
  Program& p = Start();
  MainForm& m = p.Forms.Main;
  SwitchOptionsForm& options = p.Forms.SwOptForm;
  winplat::SpreadGrid& switches = p.Slots.SSOptSw->Grid();
  winplat::SpreadGrid& labels = p.Slots.SPLabels->Grid();
  winplat::SpreadGrid& points = p.Slots.SetupData->Grid();
  m.Show();
  struct Step {
    const char* what;
    std::vector<std::function<void()>> act;  // one item of input each, as a modal loop takes them
    wc::Form& form;
    wc::HostSlot& slot;
    winplat::SpreadGrid& grid;
    std::string framed;
    char typed;
  };
  const Step steps[] = {
      {"Switch Options opened by a right click on a projection mode", {[&] { op::RightClick(m.PrjPos(1)); }},
       options, options.SSOptSw, switches, "1,1", '0'},
      {"the label editor opened", {[&] { op::Click(options.SPChLab); }}, options, options.SPLabels, labels, "1,1",
       'Q'},
      {"Cancel reloaded the grids, the dialog opened again",
       {[&] {
          op::Click(options.SPLClose);
          switches.ClickCell(3, 4);  // the active cell the reload replaces
          op::Click(options.CancelButtonSO);
        },
        [&] { op::RightClick(m.PrjPos(2)); }},
       options, options.SSOptSw, switches, "1,1", '1'},
      {"the Points tab's Apply",
       {[&] { op::Click(options.CancelButtonSO); },
        [&] {
          op::PickTab(m.SSTab1, design::kTabPoints);
          SetGridCell(points, 1, 3, "4");
          SetGridCell(points, 1, 4, "20");
          SetGridCell(points, 1, 5, "30");
          points.ClickCell(2, 4);
          op::Click(m.StartSetupCmd);
          m.SetupData.SetFocus();  // the grid again, with no click on it
        }},
       m, m.SetupData, points, "2,4", '7'},
  };
  auto check = [&](const Step& step) {
    SCOPED_TRACE(step.what);
    ASSERT_TRUE(step.form.Visible());
    ASSERT_TRUE(step.slot.HasFocus());
    const std::string active = std::to_string(step.grid.ActiveRow()) + "," + std::to_string(step.grid.ActiveCol());
    EXPECT_EQ(active, step.framed);
    // The program read or wrote some other cell last: the frame is not there.
    EXPECT_NE(std::to_string(step.grid.Row()) + "," + std::to_string(step.grid.Col()), step.framed);
    EXPECT_EQ(Framed(step.form, step.slot, step.grid), std::vector<std::string>{step.framed});
    hand::Character(step.form.hWnd(), step.typed);
    const winplat::GridCellEdit edit = step.grid.CellEdit();
    ASSERT_TRUE(edit.open);
    EXPECT_EQ(std::to_string(edit.row) + "," + std::to_string(edit.col), step.framed);
    hand::Key(step.form.hWnd(), winplat::VK_RETURN, 0);  // kept by the edit, not the form's default button
    EXPECT_FALSE(step.grid.CellEdit().open);
    EXPECT_EQ(step.grid.CellText(edit.row, edit.col), std::string(1, step.typed));
  };
  // The operator's input, in order: each step's action, then the look at what
  // it left. A modal dialog's loop takes the next item while it is up; what no
  // loop takes is run here. With nothing left, the dialog goes away.
  std::deque<std::function<void()>> input;
  for (const Step& step : steps) {
    input.insert(input.end(), step.act.begin(), step.act.end());
    input.push_back([&check, &step] { check(step); });
  }
  auto next = [&input] {
    std::function<void()> item = std::move(input.front());
    input.pop_front();
    item();
  };
  struct Source {
    explicit Source(wc::InputSource source) { wc::SetInputSource(std::move(source)); }
    ~Source() { wc::SetInputSource(nullptr); }
  } source([&] {
    if (input.empty()) return wc::InputState::Ended;
    next();
    return wc::InputState::Ran;
  });
  while (!input.empty()) next();
  EXPECT_FALSE(options.Visible());
}

}  // namespace
}  // namespace fieldray::console
