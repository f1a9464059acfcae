// Grids and scanners in their slots, driven by operator commands.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "console/component_slots.h"
#include "test_support.h"
#include "winplat/clock.h"
#include "winplat/controls/operator.h"
#include "winplat/messages.h"
#include "winplat/picture.h"

namespace fieldray::console {
namespace {

TEST(ComponentSlotsTest, GridsAndScannersSitInTheirSlotsAndTakeOperatorInput) {
  winplat::ManualClock clock;
  winplat::SetClock(&clock);
  {
    ConsoleForms forms;
    ComponentSlots components(forms);
    EXPECT_EQ(forms.SwOptForm.SSOptSw.Object(), components.SSOptSw.Get());
    EXPECT_EQ(forms.Main.Eval.Object(), components.Eval.Get());
    EXPECT_EQ(components.GridIn(forms.Main.ToolDat), components.ToolDat.Get());
    EXPECT_EQ(components.GridIn(forms.Main.DXF1), nullptr);
    std::vector<std::string> seen;
    components.MarkerData->Grid().OnClick = [&](std::int32_t col, std::int32_t row) {
      seen.push_back("click " + std::to_string(col) + "," + std::to_string(row));
    };
    components.MarkerData->Grid().OnKeyDown = [&](std::int16_t key) { seen.push_back("key " + std::to_string(key)); };
    components.MarkerData->Grid().OnChange = [&] { seen.push_back("change"); };
    forms.Main.Show();
    std::istringstream in(
        "tab Main.SSTab1 \"Markers\"\ngrid click Main.MarkerData 2 5\ngrid key Main.MarkerData 40\n"
        "grid edit Main.MarkerData 1 5 \"L, 200, 500, 200, 200;\"\ngrid click Main.Msg 1 1\n"
        "tab Main.SSTab1 \"Options\"\ngrid click Main.MarkerData 1 1\n");
    std::ostringstream log;
    wc::OperatorScript script(in, log);
    EXPECT_EQ(script.Run(), 1) << log.str();  // Msg is no grid
    // The grid's tab is not shown: the click does nothing, and the log says so.
    EXPECT_NE(log.str().find("line 7: Main.MarkerData is on a tab page not shown: ignored"), std::string::npos)
        << log.str();
    EXPECT_EQ(seen.front(), "click 5,2");
    EXPECT_NE(std::find(seen.begin(), seen.end(), "key 40"), seen.end());
    EXPECT_NE(std::find(seen.begin(), seen.end(), "change"), seen.end());
    winplat::SpreadGrid& g = components.MarkerData->Grid();
    g.SetRow(1);
    g.SetCol(5);
    EXPECT_EQ(g.Text(), "L, 200, 500, 200, 200;");
    std::string error;
    EXPECT_TRUE(wc::op::Screenshot(forms.Main, (testsupport::Root() / "grids.png").string(), &error)) << error;
  }
  while (winplat::DispatchPending() > 0) {
  }
  winplat::SetClock(nullptr);
}

}  // namespace
}  // namespace fieldray::console
