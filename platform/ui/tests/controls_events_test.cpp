// Event order of operator input, option groups, focus, modal forms, faults in
// handlers and control arrays.
#include <filesystem>
#include <fstream>

#include "controls_test_support.h"
#include "winplat/paths.h"

namespace ctltest {
namespace {

class Events : public ControlTest {
 protected:
  Form form{"Main", "Main"};
};

TEST_F(Events, OptionGroupSetsOneClearsOthersSilentlyAndOnlyTheSetOneClicks) {
  auto& frame = form.Add<Frame>("MFFrame", nullptr, "Fields");
  ControlArray<OptionButton> opt(form, "OptFld");
  for (int i = 1; i <= 3; ++i) opt.Design(i, &frame, "O" + std::to_string(i));
  auto& other = form.Add<OptionButton>("Elsewhere", nullptr, "E", true);  // another group
  opt.OnClick([&](int index) { events.push_back("click " + std::to_string(index)); });
  opt(1).SetValue(true);
  opt(3).SetValue(true);
  opt(3).SetValue(true);
  opt(1).SetValue(false);  // clearing fires nothing
  EXPECT_EQ(events, (std::vector<std::string>{"click 1", "click 3"}));
  EXPECT_FALSE(opt(1).Value());
  EXPECT_FALSE(opt(2).Value());
  EXPECT_TRUE(opt(3).Value());
  EXPECT_TRUE(other.Value());
}

TEST_F(Events, OperatorClickOnOptionGivesFocusMouseDownClickThenMouseUpSeeingTheNewChoice) {
  ControlArray<OptionButton> opt(form, "PrjPos");
  for (int i = 1; i <= 2; ++i) opt.Design(i, nullptr, "Mode" + std::to_string(i));
  auto& text = form.Add<TextBox>("Txt", nullptr);
  text.SetTabIndex(0);
  text.LostFocus = Log("text lost");
  opt.OnGotFocus([&](int i) { events.push_back("got " + std::to_string(i)); });
  opt.OnMouseDown([&](int i, int button, int, float, float) {
    events.push_back("down " + std::to_string(i) + " b" + std::to_string(button));
  });
  opt.OnClick([&](int i) { events.push_back("click " + std::to_string(i)); });
  opt.OnMouseUp([&](int i, int, int, float, float) {
    events.push_back("up " + std::to_string(i) + " chosen " + (opt(2).Value() ? "2" : "other"));
  });
  form.Show();
  text.SetFocus();
  events.clear();
  opt(2).OperatorClick();
  EXPECT_EQ(events, (std::vector<std::string>{"text lost", "got 2", "down 2 b1", "click 2", "up 2 chosen 2"}));
  events.clear();
  opt(2).OperatorClick(vbRightButton);  // a right click changes nothing
  EXPECT_EQ(events, (std::vector<std::string>{"down 2 b2", "up 2 chosen 2"}));
}

TEST_F(Events, FocusMovesFireLostThenGotAndSetFocusIsHarmlessWhenImpossible) {
  auto& a = form.Add<TextBox>("A", nullptr);
  auto& b = form.Add<CommandButton>("B", nullptr, "B");
  auto& hidden = form.Add<TextBox>("Hidden", nullptr);
  auto& frame = form.Add<Frame>("Fr", nullptr, "F");
  auto& inside = form.Add<CheckBox>("Inside", &frame, "I");
  auto& label = form.Add<Label>("L", nullptr, "label");
  hidden.SetVisible(false);
  frame.SetEnabled(false);
  a.GotFocus = Log("a got");
  a.LostFocus = Log("a lost");
  b.GotFocus = Log("b got");
  b.LostFocus = Log("b lost");
  hidden.SetFocus();  // before the form is loaded: nothing
  form.Show();  // the first control in tab order takes the focus
  EXPECT_TRUE(a.HasFocus());
  events.clear();
  a.SetFocus();
  b.SetFocus();
  b.SetFocus();
  hidden.SetFocus();
  inside.SetFocus();
  label.SetFocus();
  EXPECT_EQ(events, (std::vector<std::string>{"a lost", "b got"}));
  EXPECT_TRUE(b.HasFocus());
  // The control with the focus disabled: the focus moves on.
  b.SetEnabled(false);
  EXPECT_FALSE(b.HasFocus());
}

TEST_F(Events, InputToADisabledControlOrUnderAModalFormDoesNothing) {
  auto& frame = form.Add<Frame>("Fr", nullptr, "F");
  auto& inFrame = form.Add<CheckBox>("InFrame", &frame, "c");
  auto& disabled = form.Add<TextBox>("Dis", nullptr, "x");
  auto& button = form.Add<CommandButton>("Btn", nullptr, "Go");
  disabled.SetEnabled(false);
  frame.SetEnabled(false);
  disabled.Change = Log("changed");
  button.Click = Log("click");
  form.Show();
  inFrame.OperatorClick();
  disabled.OperatorType("abc");
  EXPECT_EQ(inFrame.Value(), 0);
  EXPECT_EQ(disabled.Text(), "x");

  Form dialog("Dlg", "Dialog");
  auto& ok = dialog.Add<CommandButton>("OK", nullptr, "OK");
  ok.Click = [&] {
    button.OperatorClick();  // the main form is under the modal dialog
    dialog.Hide();
  };
  SetInputSource([&] {
    ok.OperatorClick();
    return InputState::Ran;
  });
  dialog.Show(true);
  SetInputSource(nullptr);
  EXPECT_FALSE(dialog.Visible());
  EXPECT_TRUE(events.empty());
  button.OperatorClick();
  EXPECT_EQ(events, (std::vector<std::string>{"click"}));
}

TEST_F(Events, ModalFormRunsANestedLoopInWhichTimersFire) {
  auto& timer = form.Add<TimerControl>("Timer1", nullptr, 100);
  Form dialog("PHS", "Presets");
  dialog.Activate = Log("activate");
  int ticks = 0;
  timer.Timer = [&] {
    if (++ticks == 3) dialog.Hide();
  };
  form.Show();
  std::uint64_t start = clock.TickCount64();
  dialog.Show(true);
  events.push_back("returned");
  EXPECT_EQ(ticks, 3);
  EXPECT_GE(clock.TickCount64() - start, 300u);
  EXPECT_EQ(events, (std::vector<std::string>{"activate", "returned"}));
  EXPECT_FALSE(dialog.IsModal());
}

TEST_F(Events, ModalLoopEndsWhenTheInputSourceHasNoMoreInput) {
  Form dialog("Dlg", "Dialog");
  SetInputSource([] { return InputState::Ended; });
  dialog.Show(true);
  EXPECT_FALSE(dialog.Visible());
}

TEST_F(Events, FaultInAHandlerStopsThereAndIsShownWhileTheRefusalReachesTheAssigner) {
  auto& bar = form.Add<ScrollBar>("Bar", nullptr, ControlKind::HScrollBar);
  auto& text = form.Add<TextBox>("Txt", nullptr);
  bar.SetMax(10);
  bool refusalSeen = false;
  text.Change = [&] {
    try {
      bar.SetValue(99);
    } catch (const ControlError& e) {
      refusalSeen = e.Number() == kErrInvalidPropertyValue;
    }
    bar.SetValue(5);
    throw std::runtime_error("handler broke");
  };
  bar.Change = [&] { throw ControlError(kErrInvalidPropertyValue, "Invalid property value"); };
  text.SetText("go");  // returns normally
  EXPECT_TRUE(refusalSeen);
  EXPECT_EQ(bar.Value(), 5);
  ASSERT_EQ(boxes.Shown().size(), 2u);
  EXPECT_NE(boxes.Shown()[0].text.find("'380'"), std::string::npos);
  EXPECT_NE(boxes.Shown()[0].text.find("Bar_Change"), std::string::npos);
  EXPECT_NE(boxes.Shown()[1].text.find("handler broke"), std::string::npos);
}

TEST_F(Events, RepeatingFaultInATimerIsShownOnceUntilATickSucceeds) {
  auto& timer = form.Add<TimerControl>("TimerCB", nullptr, 100);
  bool fail = true;
  int ticks = 0;
  timer.Timer = [&] {
    ++ticks;
    if (fail) throw std::runtime_error("port gone");
  };
  form.Show();
  winplat::PumpFor(1000);
  EXPECT_GE(ticks, 9);
  EXPECT_EQ(boxes.Shown().size(), 1u);
  fail = false;
  winplat::PumpFor(200);
  fail = true;
  winplat::PumpFor(200);
  EXPECT_EQ(boxes.Shown().size(), 2u);
}

TEST_F(Events, ControlArrayLoadsFromTheTemplateHiddenAndHandlersGetTheIndex) {
  auto& pic = form.Add<PictureBox>("MarkerWin", nullptr);
  ControlArray<LineControl> lines(form, "MLine");
  auto& model = lines.Design(0, &pic);
  model.SetBorderColor(0x404040);
  model.SetVisible(false);
  model.SetX2(300);
  ControlArray<CommandButton> buttons(form, "BtnLine");
  buttons.Design(0, nullptr, "|");
  buttons.OnClick([&](int i) { events.push_back("btn " + std::to_string(i)); });
  form.Show();
  auto& added = lines.Load(1);
  EXPECT_EQ(added.BorderColor(), 0x404040u);
  EXPECT_EQ(added.X2(), 300.0f);
  EXPECT_FALSE(added.Visible());
  EXPECT_EQ(added.Container(), &pic);
  EXPECT_EQ(lines.UBound(), 1);
  EXPECT_THROW(lines.Load(1), ControlError);
  lines.Unload(1);
  EXPECT_EQ(lines.UBound(), 0);
  EXPECT_EQ(form.Find("MLine", 1), nullptr);
  EXPECT_THROW(lines(1), ControlError);
  auto& b3 = buttons.Load(3);
  b3.SetVisible(true);
  b3.OperatorClick();
  EXPECT_EQ(events, (std::vector<std::string>{"btn 3"}));
  EXPECT_NE(b3.hWnd(), 0u);
  EXPECT_EQ(form.Find("btnline", 3), &b3);
}

TEST_F(Events, QueryUnloadMayCancelTheClose) {
  int cancelWith = 1;
  form.QueryUnload = [&](int& cancel, int mode) {
    events.push_back("query " + std::to_string(mode));
    cancel = cancelWith;
  };
  form.OnUnload = Log("unload");
  form.Show();
  form.OperatorClose();
  EXPECT_TRUE(form.Loaded());
  cancelWith = 0;
  form.OperatorClose();
  EXPECT_FALSE(form.Loaded());
  EXPECT_EQ(events, (std::vector<std::string>{"query 0", "query 0", "unload"}));
}

TEST_F(Events, FileListShowsTheFolderWithItsPatternAndRefreshes) {
  auto folder = winplat::HostPath("C:\\Jobs");
  std::filesystem::remove_all(folder);  // what earlier tests left there
  std::filesystem::create_directories(folder / "sub");
  std::ofstream(folder / "b.DXF") << "x";
  std::ofstream(folder / "a.nc") << "x";
  auto& files = form.Add<FileListBox>("File1", nullptr);
  files.PathChange = Log("path");
  files.SetPath("C:\\Jobs\\");
  ASSERT_EQ(files.ListCount(), 2);  // folders are not listed
  EXPECT_EQ(files.List(0), "a.nc");
  files.SetPattern("*.dxf");
  EXPECT_EQ(files.ListCount(), 1);
  files.SetPattern("*.*");
  std::ofstream(folder / "c.txt") << "x";
  EXPECT_EQ(files.ListCount(), 2);
  files.Refresh();
  EXPECT_EQ(files.ListCount(), 3);
  form.Show();
  files.Click = [&] { events.push_back("click " + files.FileName()); };
  files.DblClick = Log("dbl");
  files.OperatorPick(1, true);
  EXPECT_EQ(events, (std::vector<std::string>{"path", "click b.DXF", "dbl"}));
}

TEST_F(Events, OpenDialogCancelRaisesWhenAskedAndGivesTheChosenFile) {
  ClearShownFileDialogs();  // earlier tests' dialogs
  auto& dlg = form.Add<CommonDialog>("Browser", nullptr);
  dlg.SetCancelError(true);
  dlg.SetFileName("C:\\Jobs\\*.*");
  try {
    dlg.ShowOpen();
    FAIL();
  } catch (const ControlError& e) {
    EXPECT_EQ(e.Number(), kErrCancelSelected);
  }
  QueueFileDialogAnswer({false, "C:\\Jobs\\part.dxf"});
  dlg.ShowOpen();
  EXPECT_EQ(dlg.FileName(), "C:\\Jobs\\part.dxf");
  ASSERT_GE(ShownFileDialogs().size(), 2u);
  EXPECT_EQ(ShownFileDialogs()[0].fileName, "C:\\Jobs\\*.*");
  ClearShownFileDialogs();
}

}  // namespace
}  // namespace ctltest
