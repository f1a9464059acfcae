// A script of operator commands drives a small form.
#include <sstream>

#include "controls_test_support.h"
#include "winplat/clipboard.h"
#include "winplat/controls/operator.h"

namespace ctltest {
namespace {

class Operator : public ControlTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ControlTest::SetUp());
    frame = &form.Add<Frame>("PMFrame", nullptr, "Projection Mode");
    for (int i = 1; i <= 3; ++i) options.Design(i, frame, "Mode" + std::to_string(i));
    box = &form.Add<TextBox>("SRUL", nullptr, "30000");
    ud = &form.Add<UpDown>("SRULUD", nullptr);
    ud->SetMax(35000);
    ud->SetMin(15000);
    ud->SetIncrement(1000);
    ud->SetBuddy(box);
    bar = &form.Add<ScrollBar>("XFldScale", nullptr, ControlKind::HScrollBar);
    bar->SetMin(24000);
    bar->SetMax(3000);
    list = &form.Add<ListBox>("ListCal", nullptr);
    list->AddItem("Grid");
    list->AddItem("Cross");
    pic = &form.Add<PictureBox>("SetupWin", nullptr);
    pic->Move(0, 0, 3615, 3615);
    tabs = &form.Add<TabStrip>("SSTab1", nullptr, std::vector<std::string>{"Fields", "Points"});
    button = &form.Add<CommandButton>("Ask", nullptr, "Ask");
    dialog.Add<CommandButton>("OK", nullptr, "OK").Click = [this] { dialog.Hide(); };
    button->Click = [this] {
      int a = winplat::MessageBox(0, "Sure?", "Ask", winplat::MB_YESNO);
      events.push_back(a == winplat::IDYES ? "yes" : "no");
      dialog.Show(true);
      events.push_back("dialog closed");
    };
    form.Show();
  }

  std::string Run(const std::string& script, int* failures) {
    std::istringstream in(script);
    std::ostringstream log;
    OperatorScript runner(in, log, &boxes);
    *failures = runner.Run();
    return log.str();
  }

  Form form{"Main", "Main"};
  Form dialog{"Dlg", "Dialog"};
  Frame* frame = nullptr;
  ControlArray<OptionButton> options{form, "PrjPos"};
  TextBox* box = nullptr;
  UpDown* ud = nullptr;
  ScrollBar* bar = nullptr;
  ListBox* list = nullptr;
  PictureBox* pic = nullptr;
  TabStrip* tabs = nullptr;
  CommandButton* button = nullptr;
};

TEST_F(Operator, ScriptDrivesTheFormLikeHands) {
  int changes = 0;
  box->Change = [&] { ++changes; };
  options.OnClick([&](int i) { events.push_back("mode " + std::to_string(i)); });
  pic->MouseDown = [&](int b, int s, float x, float y) {
    events.push_back("down " + std::to_string(b) + " " + std::to_string(s) + " " + std::to_string(static_cast<int>(x)) +
                     " " + std::to_string(static_cast<int>(y)));
  };
  list->Click = [&] { events.push_back("list " + list->Text()); };
  int failures = 0;
  std::string log = Run(R"(# a comment
click main.PrjPos(2)
expect Main.PrjPos(2) "True"
replace Main.SRUL ""
type Main.SRUL "20000"
up Main.SRULUD
expect Main.SRUL "21000"
step Main.XFldScale 5
expect Main.XFldScale "23995"
pick Main.ListCal "cross"
tab Main.SSTab1 "Points"
mouse down Main.SetupWin 1800 900 left shift
answer Yes
click Main.Ask
click Dlg.OK
wait 250
)",
                        &failures);
  EXPECT_EQ(failures, 0) << log;
  EXPECT_EQ(changes, 1 + 5 + 1);  // the paste, five characters, the arrow
  EXPECT_EQ(tabs->Tab(), 1);
  EXPECT_EQ(events, (std::vector<std::string>{"mode 2", "list Cross", "down 1 1 1800 900", "yes", "dialog closed"}));
}

// A list longer than its rows: the chosen entry scrolls into view, whoever
// chose it, and "scroll" moves the top row within the list.
TEST_F(Operator, AListScrollsItsChosenEntryIntoViewAndScrollsByCommand) {
  for (int i = 2; i < 30; ++i) list->AddItem("Entry" + std::to_string(i));
  const int rows = list->RowsShown();
  ASSERT_LT(rows, 30);
  const struct {
    const char* line;
    int top;           // the top row after it ...
    bool lessRows;     // ... less the rows shown
  } steps[] = {
      {"pick Main.ListCal 25", 26, true},    // below the view: it becomes the bottom row
      {"pick Main.ListCal 2", 2, false},     // above it: the top row
      {"scroll Main.ListCal 5", 5, false},
      {"scroll Main.ListCal 1000", 30, true},  // held to the last full page
      {"scroll Main.ListCal -3", 0, false},
      {"pick Main.ListCal 29", 30, true},
  };
  for (const auto& step : steps) {
    int failures = 0;
    const std::string log = Run(std::string(step.line) + "\n", &failures);
    EXPECT_EQ(failures, 0) << step.line << log;
    EXPECT_EQ(list->TopIndex(), step.top - (step.lessRows ? rows : 0)) << step.line;
    if (std::string(step.line).starts_with("pick")) {
      EXPECT_GE(list->ListIndex(), list->TopIndex()) << step.line;
      EXPECT_LT(list->ListIndex(), list->TopIndex() + rows) << step.line;
    }
  }
  list->SetListIndex(7);  // the program's choice scrolls too
  EXPECT_EQ(list->TopIndex(), 7);
  EXPECT_THROW(list->SetTopIndex(30), ControlError);
}

TEST_F(Operator, BadLinesAreReportedAndTheRestRuns) {
  frame->SetEnabled(false);
  int failures = 0;
  std::string log = Run(R"(click Main.NoSuch
click Nowhere.OnOff
scroll Main.XFldScale lots
type Main.PrjPos(1) "x"
pick Main.ListCal 7
answer Maybe
type Main.SRUL "unclosed
frobnicate
click Main.PrjPos(3)
expect Main.PrjPos(3) "True"
replace Main.SRUL "5"
)",
                        &failures);
  EXPECT_EQ(failures, 9) << log;
  EXPECT_NE(log.find("line 1: no control NoSuch on Main"), std::string::npos) << log;
  EXPECT_NE(log.find("line 3:"), std::string::npos);
  EXPECT_NE(log.find("line 10: PrjPos(3) shows \"False\""), std::string::npos) << log;
  EXPECT_EQ(box->Text(), "5");  // the last line still ran
}

TEST_F(Operator, EndOfInputWithAModalFormUpLetsTheProgramGoOn) {
  int failures = 0;
  Run("answer No\nclick Main.Ask\n", &failures);
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(events, (std::vector<std::string>{"no", "dialog closed"}));
  EXPECT_FALSE(dialog.Visible());
}

TEST_F(Operator, ClipboardLinesPutTextOnTheMachineClipboardOrClearIt) {
  int failures = 0;
  std::string log = Run("clipboard \"clear\"\n", &failures);  // quoted: a text like any other
  EXPECT_EQ(failures, 0) << log;
  EXPECT_EQ(winplat::GetClipboardText(), "clear");
  log = Run("clipboard clear\nclipboard\n", &failures);
  EXPECT_EQ(winplat::GetClipboardText(), "");
  EXPECT_EQ(failures, 1);
  EXPECT_NE(log.find("line 2: clipboard: a text or clear is missing"), std::string::npos) << log;
}

TEST_F(Operator, CloseRunsQueryUnloadAndFileAnswersReachTheDialog) {
  auto& dlg = form.Add<CommonDialog>("Browser", nullptr);
  auto& browse = form.Add<CommandButton>("Browse", nullptr, "Browse...");
  browse.Click = [&] {
    dlg.SetCancelError(true);
    dlg.ShowOpen();
    events.push_back(dlg.FileName());
  };
  form.QueryUnload = [&](int&, int mode) { events.push_back("query " + std::to_string(mode)); };
  int failures = 0;
  std::string log = Run("file \"C:\\Jobs\\a.dxf\"\nclick Main.Browse\nfile cancel\nclick Main.Browse\nclose Main\n",
                        &failures);
  EXPECT_EQ(failures, 0) << log;
  ASSERT_EQ(boxes.Shown().size(), 1u);  // the cancel stopped the handler: shown once
  EXPECT_NE(boxes.Shown()[0].text.find("Cancel was selected."), std::string::npos);
  EXPECT_EQ(events, (std::vector<std::string>{"C:\\Jobs\\a.dxf", "query 0"}));
  EXPECT_FALSE(form.Loaded());
}

}  // namespace
}  // namespace ctltest
