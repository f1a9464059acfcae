// The engine's view of the main window reads and sets the real controls.
#include <gtest/gtest.h>

#include "console/component_slots.h"
#include "console/form_console_view.h"
#include "winplat/clock.h"

namespace fieldray::console {
namespace {

TEST(FormConsoleViewTest, ReadsAndSetsTheMainWindowControls) {
  winplat::ManualClock clock;
  winplat::SetClock(&clock);
  {
    ConsoleForms forms;
    ComponentSlots components(forms);
    FormConsoleView view(forms.Main, &components);

    view.SetMsg("hello");
    EXPECT_EQ(forms.Main.Msg.Caption(), "hello");
    view.SetLblXAdj("X 1.5");
    view.SetLblYAdj("Y 0.5");
    EXPECT_EQ(forms.Main.LblXAdj.Caption(), "X 1.5");
    EXPECT_EQ(forms.Main.LblYAdj.Caption(), "Y 0.5");

    auto fields = view.OptFldIndices();
    ASSERT_EQ(static_cast<int>(fields.size()), forms.Main.OptFld.Count());
    ASSERT_FALSE(fields.empty());
    EXPECT_TRUE(std::is_sorted(fields.begin(), fields.end()));
    std::int16_t last = fields.back();
    forms.Main.OptFld(last).SetValue(true);
    EXPECT_TRUE(view.OptFldChecked(last));
    for (std::int16_t i : fields) {
      if (i != last) {
        EXPECT_FALSE(view.OptFldChecked(i)) << i;
      }
    }
    EXPECT_FALSE(view.OptFldChecked(999));  // no such member: not checked, no error

    auto heights = view.PrjHghtIndices();
    ASSERT_FALSE(heights.empty());
    forms.Main.PrjHght(heights.front()).SetValue(true);
    EXPECT_TRUE(view.PrjHghtChecked(heights.front()));

    ASSERT_NE(view.PHSdata(), nullptr);
    EXPECT_EQ(view.PHSdata(), &components.PHSdata->Grid());

    // Every correction box maps to its own control, and setting raises Change.
    int changes = 0;
    forms.Main.GeoShearY.Change = [&] { ++changes; };
    for (int b = 0; b < engine::GeoBoxCount; ++b) {
      auto box = static_cast<engine::GeoBox>(b);
      view.SetGeoText(box, std::to_string(b * 10));
    }
    for (int b = 0; b < engine::GeoBoxCount; ++b) {
      EXPECT_EQ(view.GeoText(static_cast<engine::GeoBox>(b)), std::to_string(b * 10)) << b;
    }
    EXPECT_EQ(forms.Main.GeoRotate.Text(), "0");
    EXPECT_EQ(forms.Main.GeoSizeX.Text(), "30");
    EXPECT_EQ(forms.Main.GeoBalY.Text(), "170");
    EXPECT_EQ(changes, 1);
  }
  winplat::SetClock(nullptr);
}

TEST(FormConsoleViewTest, WithoutGridsThePresetGridIsNone) {
  winplat::ManualClock clock;
  winplat::SetClock(&clock);
  {
    ConsoleForms forms;
    FormConsoleView view(forms.Main, nullptr);
    EXPECT_EQ(view.PHSdata(), nullptr);
  }
  winplat::SetClock(nullptr);
}

}  // namespace
}  // namespace fieldray::console
