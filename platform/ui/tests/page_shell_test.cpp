// Drop-down lists, property pages and the shell's verbs.
#include <stdexcept>
#include <tuple>

#include "controls_test_support.h"
#include "winplat/controls/property_page.h"
#include "winplat/shell.h"

namespace {

using namespace ctltest;

class PageForm : public PropertyPage {
 public:
  PageForm() : PropertyPage("PageForm", "Page") {}
  ComboBox& combo = Add<ComboBox>("combo", nullptr);
};

TEST_F(ControlTest, ComboBoxKeepsItemDataWithItsEntries) {
  PageForm f;
  int clicks = 0;
  f.combo.Click = [&] { ++clicks; };
  f.combo.AddItem("b");
  f.combo.AddItem("a", 0);
  f.combo.AddItem("c");
  for (int i = 0; i < 3; ++i) f.combo.SetItemData(i, 10 * (i + 1));
  f.combo.RemoveItem(0);
  EXPECT_EQ(std::pair(f.combo.ItemData(0), f.combo.ItemData(1)), std::pair(20, 30));
  EXPECT_THROW(f.combo.ItemData(2), ControlError);
  f.combo.SetListIndex(1);
  EXPECT_EQ(f.combo.Text(), "c");
  EXPECT_EQ(clicks, 1);
  f.combo.SetListIndex(1);  // no change, no Click
  EXPECT_EQ(clicks, 1);
  f.combo.Clear();
  EXPECT_EQ(f.combo.ListIndex(), -1);
  EXPECT_THROW(f.combo.SetItemData(0, 1), ControlError);
}

TEST_F(ControlTest, PropertyPageAppliesOnlyWhatChangedAndKeepsARefusal) {
  PageForm f;
  int selections = 0, applies = 0;
  bool accept = true;
  f.SelectionChanged = [&] { ++selections; };
  f.ApplyChanges = [&] {
    ++applies;
    return accept;
  };
  f.SetSelectedControls({});
  EXPECT_EQ(selections, 1);
  EXPECT_TRUE(f.Apply());
  EXPECT_EQ(applies, 0);  // nothing changed
  f.Changed = true;
  accept = false;
  EXPECT_FALSE(f.Apply());
  EXPECT_TRUE(f.Changed);
  accept = true;
  EXPECT_TRUE(f.Apply());
  EXPECT_FALSE(f.Changed);
  EXPECT_EQ(applies, 2);
  // A fault in the hook stops at it and counts as not applied.
  f.Changed = true;
  f.ApplyChanges = []() -> bool { throw std::runtime_error("broken"); };
  winplat::MessageBoxScript boxes;
  EXPECT_FALSE(f.Apply());
  EXPECT_TRUE(f.Changed);
}

TEST(Shell, TheDefaultHandlerRecordsAndAMissingProgramIsError53) {
  winplat::SetShellExecuteHandler(nullptr);
  winplat::ClearShellRequests();
  EXPECT_GT(winplat::ShellExecute(7, "open", "http://example.invalid/", nullptr, "", 1), 32);
  auto requests = winplat::ShellRequests();
  ASSERT_EQ(requests.size(), 1u);
  const winplat::ShellRequest& got = requests[0];
  EXPECT_EQ(std::tuple(got.owner, got.operation, got.file, got.show),
            std::tuple(winplat::HWND{7}, std::string("open"), std::string("http://example.invalid/"), 1));
  winplat::SetShellExecuteHandler([](const winplat::ShellRequest& r) { return r.file.empty() ? 2 : 33; });
  EXPECT_EQ(winplat::ShellExecute(0, "open", "", "", "", 1), 2);
  winplat::SetShellExecuteHandler(nullptr);
  EXPECT_EQ(winplat::ShellRequests().size(), 1u);
  winplat::ClearShellRequests();
  try {
    winplat::Shell("C:\\nowhere\\tool.exe /x", winplat::vbNormalFocus);
    ADD_FAILURE();
  } catch (const winplat::AutomationError& e) {
    EXPECT_EQ(e.Number(), 53);
  }
}

}  // namespace
