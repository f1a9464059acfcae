// Values set from code fire their events once, only on change; refusals reach
// the caller and change nothing.
#include "controls_test_support.h"
#include "winplat/numeric.h"

namespace ctltest {
namespace {

class Values : public ControlTest {
 protected:
  Form form{"Test", "Test"};
};

TEST_F(Values, ProgramSetValuesFireOnceAndOnlyOnChangeEvenWhenDisabled) {
  auto& text = form.Add<TextBox>("Txt", nullptr, "a");
  auto& check = form.Add<CheckBox>("Chk", nullptr, "Check");
  auto& list = form.Add<ListBox>("Lst", nullptr);
  auto& label = form.Add<Label>("Lbl", nullptr, "x");
  text.Change = Log("text");
  check.Click = Log("check");
  list.Click = Log("list");
  label.Change = Log("label");
  list.AddItem("one");
  list.AddItem("two");
  form.Load();

  text.SetEnabled(false);
  check.SetEnabled(false);
  text.SetText("b");
  text.SetText("b");
  check.SetValue(1);
  check.SetValue(1);
  check.SetValue(2);
  list.SetListIndex(1);
  list.SetListIndex(1);
  label.SetCaption("x");
  label.SetCaption("y");
  EXPECT_EQ(events, (std::vector<std::string>{"text", "check", "check", "list", "label"}));
  EXPECT_EQ(text.Text(), "b");
  EXPECT_EQ(list.Text(), "two");
}

TEST_F(Values, CheckBoxRefusesStatesOtherThanZeroOneTwo) {
  auto& check = form.Add<CheckBox>("Chk", nullptr, "Check", 1);
  check.Click = Log("click");
  try {
    check.SetValue(3);
    FAIL() << "3 was accepted";
  } catch (const ControlError& e) {
    EXPECT_EQ(e.Number(), kErrInvalidPropertyValue);
  }
  EXPECT_THROW(check.SetValue(-1), ControlError);
  EXPECT_EQ(check.Value(), 1);
  EXPECT_TRUE(events.empty());
}

TEST_F(Values, ScrollBarWithMinAboveMaxAcceptsOnlyItsRange) {
  auto& bar = form.Add<ScrollBar>("Bar", nullptr, ControlKind::HScrollBar);
  bar.Change = Log("change");
  bar.SetMax(3000);   // 0 .. 3000: value 0 stays
  bar.SetMin(24000);  // now 3000 .. 24000 reversed: 0 moves to 3000
  EXPECT_EQ(bar.Value(), 3000);
  ASSERT_EQ(events.size(), 1u);
  bar.SetValue(24000);
  bar.SetValue(5000);
  EXPECT_EQ(events.size(), 3u);
  for (int bad : {2999, 24001, -5}) {
    EXPECT_THROW(bar.SetValue(bad), ControlError) << bad;
  }
  EXPECT_EQ(bar.Value(), 5000);
  EXPECT_EQ(events.size(), 3u);
  // Beyond 16 bits is an overflow, not a range refusal.
  try {
    bar.SetValue(40000);
    FAIL();
  } catch (const winplat::NumericError& e) {
    EXPECT_EQ(e.Number(), 6);
  }
}

TEST_F(Values, ChangingMinOrMaxMovesTheValueIntoRangeAndFiresChange) {
  auto& bar = form.Add<ScrollBar>("Bar", nullptr, ControlKind::VScrollBar);
  bar.SetMin(-100);
  bar.SetMax(100);
  bar.SetValue(80);
  bar.Change = Log("change");
  bar.SetMax(50);
  EXPECT_EQ(bar.Value(), 50);
  bar.SetMin(-10);  // value still inside: nothing fires
  EXPECT_EQ(events.size(), 1u);
  bar.SetMin(60);  // 50 .. 60 reversed: value stays 50, inside
  EXPECT_EQ(bar.Value(), 50);
  EXPECT_EQ(events.size(), 1u);
}

TEST_F(Values, OperatorStepsMoveTowardMaxAlsoWhenMaxIsBelowMin) {
  auto& bar = form.Add<ScrollBar>("Bar", nullptr, ControlKind::HScrollBar);
  bar.SetMin(24000);
  bar.SetMax(3000);
  bar.SetSmallChange(1);
  bar.SetLargeChange(10);
  bar.SetValue(5000);
  form.Show();
  bar.OperatorStep(1, false);
  EXPECT_EQ(bar.Value(), 4999);
  bar.OperatorStep(-2, true);
  EXPECT_EQ(bar.Value(), 5019);
  bar.OperatorScrollTo(1);  // clamped to the range
  EXPECT_EQ(bar.Value(), 3000);
}

TEST_F(Values, UpDownStepsFromTheBuddyTextThenFiresBuddyChangeThenItsOwn) {
  auto& box = form.Add<TextBox>("BlnkTm", nullptr, "8000");
  auto& ud = form.Add<UpDown>("BlnkTmUD", nullptr);
  ud.SetMax(15000);
  ud.SetMin(2000);
  ud.SetIncrement(500);
  ud.SetBuddy(&box);
  box.Change = [&] { events.push_back("box " + box.Text() + " ud " + std::to_string(ud.Value())); };
  ud.Change = [&] { events.push_back("ud " + std::to_string(ud.Value())); };
  form.Show();
  ud.OperatorArrow(true);
  EXPECT_EQ(box.Text(), "8500");
  box.SetText("14800");  // typed in by hand
  events.clear();
  ud.OperatorArrow(true);
  EXPECT_EQ(box.Text(), "15000");
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].substr(0, 9), "box 15000");
  EXPECT_EQ(events[1], "ud 15000");
  events.clear();
  ud.OperatorArrow(true);  // at the end of the range: nothing
  EXPECT_TRUE(events.empty());
  ud.OperatorArrow(false);
  EXPECT_EQ(box.Text(), "14500");
}

TEST_F(Values, ListFileAndTabRefusalsAreErrors) {
  auto& list = form.Add<ListBox>("Lst", nullptr);
  auto& tabs = form.Add<TabStrip>("Tabs", nullptr, std::vector<std::string>{"A", "B"});
  EXPECT_THROW(list.SetListIndex(0), ControlError);
  EXPECT_THROW(list.RemoveItem(0), ControlError);
  EXPECT_THROW(tabs.SetTab(2), ControlError);
  EXPECT_EQ(tabs.Tab(), 0);
  auto& files = form.Add<FileListBox>("File1", nullptr);
  try {
    files.SetPath("C:\\NoSuchFolder\\");
    FAIL();
  } catch (const ControlError& e) {
    EXPECT_EQ(e.Number(), kErrPathNotFound);
  }
  EXPECT_EQ(files.ListCount(), 0);
}

}  // namespace
}  // namespace ctltest
