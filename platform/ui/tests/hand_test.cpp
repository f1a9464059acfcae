// The operator's pointer and keys at window pixels: hit tests on the drawn
// geometry, clicks at the release, keys to the focused control.
#include <cstdio>
#include <functional>
#include <sstream>

#include "controls_test_support.h"
#include "winplat/components/grid_control.h"
#include "winplat/controls/geometry.h"
#include "winplat/controls/hand.h"
#include "winplat/controls/operator.h"
#include "winplat/picture.h"
#include "winplat/window.h"

namespace ctltest {
namespace {

namespace hand = winplat::controls::hand;
using hand::MouseAction;

constexpr int kTwips = 15;
constexpr int Vk(winplat::WPARAM key) { return static_cast<int>(key); }
constexpr int VK_TAB = Vk(winplat::VK_TAB), VK_RETURN = Vk(winplat::VK_RETURN), VK_ESCAPE = Vk(winplat::VK_ESCAPE),
              VK_SPACE = Vk(winplat::VK_SPACE), VK_HOME = Vk(winplat::VK_HOME), VK_END = Vk(winplat::VK_END),
              VK_LEFT = Vk(winplat::VK_LEFT), VK_RIGHT = Vk(winplat::VK_RIGHT), VK_DOWN = Vk(winplat::VK_DOWN),
              VK_DELETE = Vk(winplat::VK_DELETE), VK_BACK = Vk(winplat::VK_BACK), VK_UP = Vk(winplat::VK_UP),
              VK_F2 = Vk(winplat::VK_F2);  // per pixel at 96 dpi

class Hand : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    box = &Placed(form.Add<TextBox>("Box", nullptr, "abc"), 20, 20, 100, 20);
    check = &Placed(form.Add<CheckBox>("Check", nullptr, "Check"), 20, 60, 100, 20);
    ok = &Placed(form.Add<CommandButton>("OK", nullptr, "OK"), 20, 100, 75, 23);
    cancel = &Placed(form.Add<CommandButton>("Cancel", nullptr, "Cancel"), 100, 100, 75, 23);
    ok->SetDefault(true);
    cancel->SetCancel(true);
    list = &Placed(form.Add<ListBox>("List", nullptr), 200, 20, 100, 100);
    for (int i = 0; i < 30; ++i) list->AddItem("entry " + std::to_string(i));
    bar = &Placed(form.Add<ScrollBar>("Bar", nullptr, ControlKind::VScrollBar), 320, 20, 20, 120);
    bar->SetMax(100);
    bar->SetLargeChange(10);
    ud = &Placed(form.Add<UpDown>("Spin", nullptr), 360, 20, 16, 24);
    ud->SetMax(10);
    tabs = &Placed(form.Add<TabStrip>("Tabs", nullptr, std::vector<std::string>{"One", "Two"}), 20, 200, 200, 100);
    ok->Click = Log("ok");
    cancel->Click = Log("cancel");
    form.Show();
  }
  template <class T>
  T& Placed(T& control, int x, int y, int w, int h) {
    control.Move(x * kTwips, y * kTwips, w * kTwips, h * kTwips);
    return control;
  }
  void ClickAt(int x, int y, int button = vbLeftButton) {
    hand::Mouse(form.hWnd(), MouseAction::Down, x, y, button, 0);
    hand::Mouse(form.hWnd(), MouseAction::Up, x, y, button, 0);
  }
  void Press(int key, int shift = 0) { hand::Key(form.hWnd(), key, shift); }

  Form form{"Hands", "Hands"};
  TextBox* box = nullptr;
  CheckBox* check = nullptr;
  CommandButton* ok = nullptr;
  CommandButton* cancel = nullptr;
  ListBox* list = nullptr;
  ScrollBar* bar = nullptr;
  UpDown* ud = nullptr;
  TabStrip* tabs = nullptr;
};

TEST_F(Hand, APressAndReleaseOnOneControlIsAClickAtTheRelease) {
  hand::Mouse(form.hWnd(), MouseAction::Down, 50, 110, vbLeftButton, 0);
  EXPECT_TRUE(events.empty());
  hand::Mouse(form.hWnd(), MouseAction::Up, 52, 112, vbLeftButton, 0);
  EXPECT_EQ(events, std::vector<std::string>{"ok"});
  // Released over another control: no click anywhere.
  hand::Mouse(form.hWnd(), MouseAction::Down, 50, 110, vbLeftButton, 0);
  hand::Mouse(form.hWnd(), MouseAction::Up, 130, 110, vbLeftButton, 0);
  EXPECT_EQ(events.size(), 1u);
  // The right button is a right click: no Click, MouseUp with button 2.
  int upButton = 0;
  ok->MouseUp = [&](int b, int, float, float) { upButton = b; };
  ClickAt(50, 110, vbRightButton);
  EXPECT_EQ(events.size(), 1u);
  EXPECT_EQ(upButton, vbRightButton);
}

TEST_F(Hand, EachKindIsHitWhereItsPartsAreDrawn) {
  // A list row picks TopIndex + row.
  list->SetTopIndex(5);
  const Box row = ListLayout(*list, PlaceOnForm(*list)).EntryBox(6);
  ClickAt(row.x + 20, row.y + row.h / 2);
  EXPECT_EQ(list->ListIndex(), 6);
  // The scroll bar: the lower arrow steps, the trough below the thumb pages,
  // the thumb dragged to the bottom scrolls to Max.
  ClickAt(330, 135);
  EXPECT_EQ(bar->Value(), 1);
  ClickAt(330, 100);
  EXPECT_EQ(bar->Value(), 11);
  const ScrollBarGeometry parts = ScrollBarLayout(*bar, PlaceOnForm(*bar));
  hand::Mouse(form.hWnd(), MouseAction::Down, 330, parts.thumb.y + 2, vbLeftButton, 0);
  hand::Mouse(form.hWnd(), MouseAction::Move, 330, 200, vbLeftButton, 0);
  hand::Mouse(form.hWnd(), MouseAction::Up, 330, 200, vbLeftButton, 0);
  EXPECT_EQ(bar->Value(), 100);
  // The up-down's upper half steps up, its lower half down.
  ClickAt(368, 24);
  ClickAt(368, 24);
  ClickAt(368, 40);
  EXPECT_EQ(ud->Value(), 1);
  // The second tab.
  ClickAt(150, 205);
  EXPECT_EQ(tabs->Tab(), 1);
  // Where nothing is drawn the form is hit: no control changes.
  ClickAt(600, 400);
  EXPECT_EQ(tabs->Tab(), 1);
  EXPECT_EQ(list->ListIndex(), 6);
}

TEST_F(Hand, KeysGoToTheFocusedControlKeyDownFirst) {
  box->KeyDown = [this](int& key, int) { events.push_back("down " + std::to_string(key)); };
  box->KeyPress = [this](int& key) { events.push_back("press " + std::to_string(key)); };
  ClickAt(118, 30);  // the caret goes to the end, where the click fell
  EXPECT_TRUE(box->HasFocus());
  EXPECT_EQ(box->SelStart(), 3);
  Press('X');
  hand::Character(form.hWnd(), 'X');
  EXPECT_EQ(events, (std::vector<std::string>{"down 88", "press 88"}));
  EXPECT_EQ(box->Text(), "abcX");
  // The caret moves and Delete removes the character after it.
  struct Step {
    int key;
    const char* text;
    int caret;
  };
  for (const Step& step : {Step{VK_HOME, "abcX", 0}, Step{VK_RIGHT, "abcX", 1}, Step{VK_DELETE, "acX", 1},
                           Step{VK_END, "acX", 3}, Step{VK_LEFT, "acX", 2}, Step{VK_BACK, "aX", 1}}) {
    Press(step.key);
    EXPECT_EQ(box->Text(), step.text) << "key " << step.key;
    EXPECT_EQ(box->SelStart(), step.caret) << "key " << step.key;
  }
  // A KeyDown handler that clears the key takes it away from the box.
  box->KeyDown = [](int& key, int) { key = 0; };
  Press(VK_HOME);
  EXPECT_EQ(box->SelStart(), 1);
}

TEST_F(Hand, TabEnterEscapeAndSpaceDoWhatAFormsKeysDo) {
  box->SetFocus();
  Press(VK_TAB);
  EXPECT_TRUE(check->HasFocus());
  Press(VK_SPACE);
  EXPECT_EQ(check->Value(), vbChecked);
  Press(VK_TAB, vbShiftMask);
  EXPECT_TRUE(box->HasFocus());
  // Enter presses the Default button, Escape the Cancel one; on a focused
  // button Enter presses that button.
  Press(VK_RETURN);
  Press(VK_ESCAPE);
  cancel->SetFocus();
  Press(VK_RETURN);
  EXPECT_EQ(events, (std::vector<std::string>{"ok", "cancel", "cancel"}));
  // Arrows move in a list and keep the entry in view.
  list->SetFocus();
  list->SetListIndex(0);
  for (int i = 0; i < 12; ++i) Press(VK_DOWN);
  EXPECT_EQ(list->ListIndex(), 12);
  EXPECT_GT(list->TopIndex(), 0);
  EXPECT_LE(list->TopIndex(), 12);
}

// The focus stays where the operator's typing belongs: a button pressed by
// Enter or Escape does not take it, a focused control hidden or disabled
// (itself or with its container) hands it on in tab order, and a modal form
// that closes leaves the form below with the control that had it.
TEST_F(Hand, EnterAndEscapeLeaveTheFocusWhereItWasAndAHiddenControlHandsItOn) {
  Frame& frame = Placed(form.Add<Frame>("Pane", nullptr, "Pane"), 400, 20, 200, 100);
  TextBox& inner = Placed(form.Add<TextBox>("Inner", &frame, ""), 410, 40, 100, 20);
  Form dialog{"Dialog", "Dialog"};
  TextBox& asked = dialog.Add<TextBox>("Asked", nullptr, "");
  box->SetText("");
  std::function<void()> onOk;
  ok->Click = [&] {
    events.push_back("ok");
    if (onOk) onOk();
  };
  auto typed = [&](const char* text) {
    for (const char* c = text; *c; ++c) hand::Character(form.hWnd(), static_cast<unsigned char>(*c));
  };
  struct Step {
    const char* what;
    TextBox* focused;  // before the key
    std::function<void()> onOk;
    int key;
    TextBox* typing;  // the box that takes the characters typed after it
  } steps[] = {
      {"Enter presses the default button", box, nullptr, VK_RETURN, box},
      {"Escape presses the cancel button", box, nullptr, VK_ESCAPE, box},
      {"Enter's handler shows a modal form, typed into and closed", box,
       [&] {
         SetInputSource([&] {
           hand::Character(dialog.hWnd(), 'q');
           dialog.Hide();
           return InputState::Ran;
         });
         dialog.Show(true);
         SetInputSource(nullptr);
       },
       VK_RETURN, box},
      {"Enter's handler hides the focused box's frame", &inner, [&] { frame.SetVisible(false); }, VK_RETURN, box},
      {"Enter's handler disables the focused box", &inner, [&] { inner.SetEnabled(false); }, VK_RETURN, box},
  };
  for (const Step& step : steps) {
    frame.SetVisible(true);
    inner.SetEnabled(true);
    step.focused->SetFocus();
    ASSERT_TRUE(step.focused->HasFocus()) << step.what;
    onOk = step.onOk;
    events.clear();
    const std::string before = step.typing->Text();
    Press(step.key);
    EXPECT_EQ(events, std::vector<std::string>{step.key == VK_RETURN ? "ok" : "cancel"}) << step.what;
    EXPECT_FALSE(ok->HasFocus() || cancel->HasFocus()) << step.what;
    typed("k");
    EXPECT_EQ(step.typing->Text(), before + "k") << step.what;
  }
  EXPECT_EQ(asked.Text(), "q");
  EXPECT_FALSE(dialog.Visible());
  dialog.Unload();
}

// The bars a list and a grid draw, the wheel over them, and a grid's cells.
class HandOnViews : public Hand {
 protected:
  void SetUp() override {
    Hand::SetUp();
    grid = winplat::MakeObject<winplat::SpreadGridControl>();
    grid->Grid().SetMaxRows(60);
    grid->Grid().SetMaxCols(12);
    slot = &Placed(form.Add<HostSlot>("Grid", nullptr, "Grid.Spread"), 400, 20, 300, 200);
    slot->SetObject(grid.Get());
    slot->SetPainter([this](winplat::HDC hdc, const winplat::RECT& area) { grid->Paint(hdc, area); });
    slot->SetShownGrid(&grid->Grid());
    SetGridInputHandler([this](HostSlot&, GridAction action, int row, int col, const std::string&, int) {
      if (action == GridAction::Click) grid->Grid().ClickCell(row, col);
      return action == GridAction::Click;
    });
    form.Paint();
  }
  void TearDown() override {
    SetGridInputHandler(nullptr);
    slot->SetShownGrid(nullptr);
    slot->SetPainter(nullptr);
    slot->SetObject(nullptr);
    Hand::TearDown();
  }
  ListGeometry ListNow() { return ListLayout(*list, PlaceOnForm(*list)); }
  GridGeometry GridNow() { return GridLayout(grid->Grid(), SlotInside(PlaceOnForm(*slot))); }
  void Drag(Box from, int x, int y) {
    hand::Mouse(form.hWnd(), MouseAction::Down, from.x + from.w / 2, from.y + from.h / 2, vbLeftButton, 0);
    hand::Mouse(form.hWnd(), MouseAction::Move, x, y, vbLeftButton, 0);
    hand::Mouse(form.hWnd(), MouseAction::Up, x, y, vbLeftButton, 0);
  }
  void Click(Box b) { ClickAt(b.x + b.w / 2, b.y + b.h / 2); }
  void Wheel(Box b, int steps) { hand::Wheel(form.hWnd(), b.x + b.w / 2, b.y + b.h / 2, steps); }

  winplat::ComPtr<winplat::SpreadGridControl> grid;
  HostSlot* slot = nullptr;
};

TEST_F(HandOnViews, ArrowsStepTroughsPageThumbsDragAndTheWheelScrolls) {
  const int rows = ListNow().rows;
  const int fullRows = GridNow().fullRows;
  ASSERT_TRUE(ListNow().scrollBar);
  ASSERT_TRUE(GridNow().vScroll && GridNow().hScroll);
  auto top = [this] { return list->TopIndex(); };
  auto topRow = [this] { return grid->Grid().TopRow(); };
  auto leftCol = [this] { return grid->Grid().LeftCol(); };
  struct Step {
    const char* what;
    std::function<void()> act;
    std::function<int()> seen;
    int expected;
  };
  const Step steps[] = {
      {"list: lower arrow", [&] { Click(ListNow().bar.more); }, top, 1},
      {"list: trough below the thumb", [&] { Click({ListNow().bar.track.x, ListNow().bar.track.Bottom() - 3, 16, 1}); },
       top, 1 + rows},
      {"list: thumb to the bottom", [&] { Drag(ListNow().bar.thumb, ListNow().bar.thumb.x + 4, 400); }, top, 30 - rows},
      {"list: upper arrow", [&] { Click(ListNow().bar.less); }, top, 29 - rows},
      {"list: wheel up a notch", [&] { Wheel(ListNow().text, 1); }, top, 26 - rows},
      {"list: thumb to the top", [&] { Drag(ListNow().bar.thumb, ListNow().bar.thumb.x + 4, 0); }, top, 0},
      {"grid: lower arrow", [&] { Click(GridNow().vBar.more); }, topRow, 2},
      {"grid: trough below the thumb", [&] { Click({GridNow().vBar.track.x, GridNow().vBar.track.Bottom() - 3, 16, 1}); },
       topRow, 2 + fullRows},
      {"grid: wheel down two notches", [&] { Wheel(GridNow().Cell(GridNow().rows.front(), 1), -2); }, topRow,
       8 + fullRows},
      {"grid: thumb to the bottom", [&] { Drag(GridNow().vBar.thumb, GridNow().vBar.thumb.x + 4, 600); }, topRow,
       GridNow().lastTop},
      {"grid: right arrow", [&] { Click(GridNow().hBar.more); }, leftCol, 2},
      {"grid: thumb to the left end", [&] { Drag(GridNow().hBar.thumb, 0, GridNow().hBar.thumb.y + 4); }, leftCol, 1},
  };
  for (const Step& step : steps) {
    step.act();
    form.Paint();  // what the pointer met next is what was drawn
    EXPECT_EQ(step.seen(), step.expected) << step.what;
  }
  // The list's bar picks nothing; the current grid cell stayed where it was.
  EXPECT_EQ(list->ListIndex(), -1);
  EXPECT_EQ(grid->Grid().Row(), 1);
}

TEST_F(HandOnViews, AClickOnAGridCellClicksTheCellPaintedThere) {
  Drag(GridNow().vBar.thumb, GridNow().vBar.thumb.x + 4, GridNow().vBar.track.y + GridNow().vBar.track.h / 2);
  form.Paint();
  const GridGeometry g = GridNow();
  const std::int32_t row = g.rows[2], col = g.cols[1];
  ASSERT_GT(row, 3);
  std::vector<std::string> clicked;
  grid->Grid().OnClick = [&](std::int32_t c, std::int32_t r) { clicked.push_back(std::to_string(r) + "," + std::to_string(c)); };
  Click(g.Cell(row, col));
  // A press on one cell and a release on another clicks none.
  hand::Mouse(form.hWnd(), MouseAction::Down, g.Cell(row, col).x + 2, g.Cell(row, col).y + 2, vbLeftButton, 0);
  hand::Mouse(form.hWnd(), MouseAction::Up, g.Cell(row + 1, col).x + 2, g.Cell(row + 1, col).y + 2, vbLeftButton, 0);
  EXPECT_EQ(clicked, std::vector<std::string>{std::to_string(row) + "," + std::to_string(col)});
  EXPECT_EQ(grid->Grid().ActiveRow(), row);
  form.Paint();
  EXPECT_EQ(GridNow().rows[2], row) << "the clicked cell stays where it was";
}

// A grid worked by hand as a spreadsheet is: every commit reaches the grid as
// the operator command `grid edit` does, with the same events.
class HandEditing : public HandOnViews {
 protected:
  void SetUp() override {
    HandOnViews::SetUp();
    slot->SetFocusable(true);
    SetGridInputHandler([this](HostSlot&, GridAction action, int row, int col, const std::string& text, int key) {
      switch (action) {
        case GridAction::Edit: grid->Grid().TypeIntoCell(row, col, text); break;
        case GridAction::Click: grid->Grid().ClickCell(row, col); break;
        case GridAction::Key: grid->Grid().PressKey(static_cast<std::int16_t>(key)); break;
      }
      return true;
    });
    winplat::SpreadGrid& g = grid->Grid();
    auto at = [](std::int32_t row, std::int32_t col) { return std::to_string(row) + "," + std::to_string(col); };
    g.OnClick = [this, at](std::int32_t c, std::int32_t r) { fired.push_back("click " + at(r, c)); };
    g.OnEditChange = [this, at](std::int32_t c, std::int32_t r, bool changed) {
      fired.push_back("edit " + at(r, c) + (changed ? " changed" : ""));
    };
    g.OnChange = [this] { fired.push_back("change"); };
    g.OnKeyDown = [this](std::int16_t key) { fired.push_back("key " + std::to_string(key)); };
    g.OnRowSelected = [this](std::int32_t row) { fired.push_back("row " + std::to_string(row)); };
    g.SetRow(2);
    g.SetCol(2);
    g.SetText("old");
  }
  void Type(const std::string& characters) {
    for (char ch : characters) hand::Character(form.hWnd(), static_cast<unsigned char>(ch));
  }
  std::string Cell(std::int32_t row, std::int32_t col) { return grid->Grid().CellText(row, col); }
  const winplat::GridCellEdit& Edit() { return grid->Grid().CellEdit(); }
  std::vector<std::string> fired;
};

TEST_F(HandEditing, TypingReplacesF2EditsAndEnterTabUpDownCommitAsAGridEdit) {
  Click(GridNow().Cell(2, 2));
  ASSERT_TRUE(slot->HasFocus());
  EXPECT_EQ(fired, (std::vector<std::string>{"row 2", "click 2,2"}));
  using Events = std::vector<std::string>;
  struct Step {
    const char* what;
    std::function<void()> act;
    std::string edit;  // the open edit's text with | at the caret; "" when none is open
    std::string cell22, cell23, cell33;
    Events fired;
    Events buttons;  // the form's buttons pressed
  };
  const Step steps[] = {
      {"a character replaces the text", [&] { Type("ne"); }, "ne|", "old", "", "", {}, {}},
      {"the caret and its keys", [&] { Press(VK_HOME); Press(VK_DELETE); Press(VK_END); Press(VK_LEFT); Type("w"); },
       "w|e", "old", "", "", {}, {}},
      {"Enter commits, pressing no button", [&] { Press(VK_RETURN); }, "", "we", "", "",
       {"click 2,2", "edit 2,2 changed", "change"}, {}},
      {"F2 edits with the caret at the end", [&] { Press(VK_F2); Press(VK_BACK); Type("x"); }, "wx|", "we", "", "", {}, {}},
      {"Tab commits and moves right", [&] { Press(VK_TAB); }, "", "wx", "", "",
       {"click 2,2", "edit 2,2 changed", "change", "key 39"}, {}},
      {"typed on the cell Tab reached", [&] { Type("5"); }, "5|", "wx", "", "", {}, {}},
      {"Escape drops the edit only", [&] { Press(VK_ESCAPE); }, "", "wx", "", "", {}, {}},
      {"a second Escape is the form's Cancel", [&] { Press(VK_ESCAPE); }, "", "wx", "", "", {},
       {"cancel"}},
      {"Down commits and moves a row", [&] { Type("7"); Press(VK_DOWN); }, "", "wx", "7", "",
       {"click 2,3", "edit 2,3 changed", "change", "row 3", "key 40"}, {}},
      {"Up from an unchanged edit", [&] { Press(VK_F2); Press(VK_UP); }, "", "wx", "7", "",
       {"click 3,3", "edit 3,3", "row 2", "key 38"}, {}},
      {"a double click edits the cell at its end", [&] { Click(GridNow().Cell(3, 3)); hand::Mouse(form.hWnd(), MouseAction::Down, GridNow().Cell(3, 3).x + 3, GridNow().Cell(3, 3).y + 3, vbLeftButton, 0, 2); hand::Mouse(form.hWnd(), MouseAction::Up, GridNow().Cell(3, 3).x + 3, GridNow().Cell(3, 3).y + 3, vbLeftButton, 0, 2); Type("9"); },
       "9|", "wx", "7", "", {"row 3", "click 3,3", "click 3,3"}, {}},
      {"a press elsewhere commits first", [&] { ClickAt(50, 110); }, "", "wx", "7", "9",
       {"click 3,3", "edit 3,3 changed", "change"}, {"ok"}},
  };
  for (const Step& step : steps) {
    fired.clear();
    events.clear();
    step.act();
    form.Paint();  // the edit is drawn over its cell
    const std::string open = Edit().open ? Edit().text.substr(0, Edit().caret) + "|" + Edit().text.substr(Edit().caret) : "";
    EXPECT_EQ(open, step.edit) << step.what;
    EXPECT_EQ(Cell(2, 2), step.cell22) << step.what;
    EXPECT_EQ(Cell(2, 3), step.cell23) << step.what;
    EXPECT_EQ(Cell(3, 3), step.cell33) << step.what;
    EXPECT_EQ(fired, step.fired) << step.what;
    EXPECT_EQ(events, step.buttons) << step.what;
  }
}

TEST_F(HandEditing, InputThatCommitsAnEditLeftOpenGoesNoFurtherWhenTheCommitHidesTheForm) {
  // The grid's change event hides the form: the input that committed the edit
  // neither clicks nor types on the form it hid.
  grid->Grid().OnChange = [this] {
    fired.push_back("change");
    form.Hide();
  };
  struct Case {
    const char* what;
    std::string typed;  // into the grid's edit before the focus moved on
    std::function<void()> act;
  } cases[] = {
      {"a press on a button", "x", [&] { ClickAt(50, 110); }},
      {"Enter on the box", "y", [&] { Press(VK_RETURN); }},
      {"a character typed into the box", "z", [&] { Type("q"); }},
  };
  for (const Case& c : cases) {
    form.Show();
    Click(GridNow().Cell(2, 2));
    Type(c.typed);
    ASSERT_TRUE(Edit().open) << c.what;
    box->SetFocus();  // the program moved the focus; the edit is still open
    events.clear();
    fired.clear();
    c.act();
    EXPECT_EQ(Cell(2, 2), c.typed) << c.what;
    EXPECT_EQ(fired, (std::vector<std::string>{"click 2,2", "edit 2,2 changed", "change"})) << c.what;
    EXPECT_FALSE(form.Visible()) << c.what;
    EXPECT_EQ(events, std::vector<std::string>{}) << c.what;
    EXPECT_EQ(box->Text(), "abc") << c.what;
  }
}

TEST_F(HandEditing, ACommitFiresWhatTheGridEditCommandFires) {
  // By hand: click, type, Enter.
  Click(GridNow().Cell(4, 2));
  fired.clear();
  Type("abc");
  Press(VK_RETURN);
  const std::vector<std::string> byHand = fired;
  // The same edit by the operator command, on the same cell made active the same way.
  grid->Grid().SetRow(4);
  grid->Grid().SetCol(2);
  grid->Grid().SetText("");
  Click(GridNow().Cell(4, 2));
  fired.clear();
  std::istringstream in("grid edit Hands.Grid 4 2 \"abc\"\n");
  std::ostringstream log;
  OperatorScript script(in, log, &boxes);
  EXPECT_EQ(script.Run(), 0) << log.str();
  EXPECT_EQ(fired, byHand);
  EXPECT_EQ(byHand, (std::vector<std::string>{"click 4,2", "edit 4,2 changed", "change"}));
  EXPECT_EQ(Cell(4, 2), "abc");
}

TEST_F(HandEditing, AClickInsideTheCellBeingEditedPutsTheCaretAtTheCharacterThere) {
  grid->Grid().SetRow(3);
  grid->Grid().SetCol(2);
  grid->Grid().SetText("abcd");
  Click(GridNow().Cell(3, 2));
  Press(VK_F2);
  ASSERT_TRUE(Edit().open);
  const Box cell = GridNow().Cell(3, 2);
  struct Case {
    int x;  // from the cell's left edge
    const char* typed;
    const char* edit;
  } cases[] = {
      {3 + TextWidthPx("ab", kGridFontSize), "X", "abX|cd"},
      {3 + TextWidthPx("a", kGridFontSize) + 1, "Y", "aY|bXcd"},
      {1, "Z", "Z|aYbXcd"},
      {3 + TextWidthPx("ZaYbXcd", kGridFontSize) + 2, "!", "ZaYbXcd!|"},
  };
  for (const Case& c : cases) {
    ASSERT_LT(c.x, cell.w) << c.edit;
    ClickAt(cell.x + c.x, cell.y + cell.h / 2);
    Type(c.typed);
    ASSERT_TRUE(Edit().open) << c.edit;
    EXPECT_EQ(Edit().text.substr(0, Edit().caret) + "|" + Edit().text.substr(Edit().caret), c.edit);
  }
  Press(VK_RETURN);
  EXPECT_EQ(Cell(3, 2), "ZaYbXcd!");
}

// The dark frame is drawn on the active cell whatever the program's Row and
// Col hold: typing lands in the framed cell, and reading or writing a cell by
// Row and Col moves neither the frame nor the view and raises no event.
TEST_F(HandEditing, TheFrameMarksTheActiveCellWhereTypingLandsNotTheCellRowAndColAddress) {
  winplat::SpreadGrid& g = grid->Grid();
  auto framed = [&] {
    form.Paint();
    const winplat::Picture picture = winplat::CaptureWindow(form.hWnd());
    std::vector<std::string> at;
    const GridGeometry geometry = GridNow();
    for (std::int32_t r : geometry.rows)
      for (std::int32_t c : geometry.cols) {
        const Box cell = geometry.Cell(r, c);
        // The frame's top edge runs inside the cell's first pixel row.
        if (cell.w > 4 && cell.h > 4 && picture.At(cell.x + 2, cell.y) == 0 && picture.At(cell.x, cell.y + 2) == 0)
          at.push_back(std::to_string(r) + "," + std::to_string(c));
      }
    return at;
  };
  const std::string file = ::testing::TempDir() + "/hand_frame_grid.txt";
  struct Step {
    const char* what;
    std::function<void()> act;
    std::string framed;  // "" when the active cell is out of view
    std::int32_t topRow;
    std::vector<std::string> fired;
  };
  const Step steps[] = {
      {"a click", [&] { Click(GridNow().Cell(3, 2)); }, "3,2", 1, {"row 3", "click 3,2"}},
      {"the program's Row and Col writes", [&] { g.SetRow(40); g.SetCol(5); g.SetText("kept"); (void)g.Text(); },
       "3,2", 1, {}},
      {"action 0", [&] { g.SetRow(5); g.SetCol(4); g.SetAction(winplat::GridActionActiveCell); }, "5,4", 1,
       {"row 5"}},
      {"the arrow keys", [&] { Press(VK_DOWN); Press(VK_LEFT); }, "6,3", 1, {"row 6", "key 40", "key 37"}},
      {"Tab after an edit", [&] { Type("t"); Press(VK_TAB); }, "6,4", 1,
       {"click 6,3", "edit 6,3 changed", "change", "key 39"}},
      {"a saved grid loaded back", [&] {
         g.SetRow(45); g.SetCol(6); g.SetAction(winplat::GridActionActiveCell);
         ASSERT_TRUE(g.SaveToHostFile(file, false));
         Click(GridNow().Cell(2, 2));
         ASSERT_TRUE(g.LoadFromHostFile(file));
       }, "45,6", 0, {"row 45", "row 2", "click 2,2"}},
      {"Row and Col written after the view scrolled", [&] { g.SetRow(1); g.SetCol(1); g.SetText("one"); }, "45,6",
       0, {}},
  };
  std::int32_t scrolledTop = 0;
  for (const Step& step : steps) {
    fired.clear();
    step.act();
    EXPECT_EQ(framed(), std::vector<std::string>{step.framed}) << step.what;
    EXPECT_EQ(fired, step.fired) << step.what;
    if (step.topRow > 0) {
      EXPECT_EQ(g.TopRow(), step.topRow) << step.what;
    } else {
      // Scrolled to show the loaded active cell, and kept there.
      EXPECT_GT(g.TopRow(), 1) << step.what;
      if (scrolledTop) {
        EXPECT_EQ(g.TopRow(), scrolledTop) << step.what;
      }
      scrolledTop = g.TopRow();
    }
    // A character typed now edits the framed cell.
    Type("z");
    ASSERT_TRUE(Edit().open) << step.what;
    EXPECT_EQ(std::to_string(Edit().row) + "," + std::to_string(Edit().col), step.framed) << step.what;
    Press(VK_ESCAPE);
  }
  EXPECT_EQ(Cell(40, 5), "kept");
  EXPECT_EQ(Cell(1, 1), "one");
  EXPECT_EQ(Cell(6, 3), "t");
  std::remove(file.c_str());
}

TEST_F(Hand, ControlCodesNeverEnterABoxAndEscapeIsTheCancelButton) {
  box->SetFocus();
  box->SetSelStart(3);
  // Escape, Tab, Enter, line feed and the other control codes typed or given
  // to the box as characters leave its text alone; Backspace deletes.
  for (int code : {27, 9, 13, 10, 1, 31, 127}) {
    hand::Character(form.hWnd(), code);
    op::Type(*box, std::string(1, static_cast<char>(code)));
    EXPECT_EQ(box->Text(), "abc") << "code " << code;
  }
  op::Type(*box, "\bd");
  EXPECT_EQ(box->Text(), "abd");
  // With a Cancel button Escape presses it; without one it types nothing.
  Press(VK_ESCAPE);
  EXPECT_EQ(events, std::vector<std::string>{"cancel"});
  cancel->SetCancel(false);
  ok->SetDefault(false);
  box->SetFocus();  // the pressed button took the focus
  Press(VK_ESCAPE);
  Press(VK_RETURN);
  EXPECT_EQ(box->Text(), "abd");
  EXPECT_EQ(events, std::vector<std::string>{"cancel"});
}

// A window of an outside component on the form gets the pointer as its own messages.
std::vector<std::string>* g_messages = nullptr;
winplat::LRESULT RecordingProc(winplat::HWND hwnd, winplat::UINT message, winplat::WPARAM wParam,
                               winplat::LPARAM lParam) {
  if (g_messages && (message == winplat::WM_LBUTTONDOWN || message == winplat::WM_LBUTTONUP ||
                     message == winplat::WM_MOUSEMOVE))
    g_messages->push_back(std::to_string(message) + " " + std::to_string(winplat::LOWORD(lParam)) + "," +
                          std::to_string(winplat::HIWORD(lParam)));
  return winplat::DefWindowProc(hwnd, message, wParam, lParam);
}

TEST_F(Hand, AnOutsideWindowOnTheFormGetsItsMouseMessages) {
  winplat::WNDCLASS wc;
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = "HandTestView";
  winplat::RegisterClass(wc);
  winplat::HWND view = winplat::CreateWindowEx(0, "HandTestView", "", winplat::WS_CHILD | winplat::WS_VISIBLE, 400,
                                               300, 100, 80, form.hWnd(), 0, 0, 0);
  ASSERT_NE(view, 0u);
  std::vector<std::string> messages;
  g_messages = &messages;
  hand::Mouse(form.hWnd(), MouseAction::Down, 410, 305, vbLeftButton, 0);
  hand::Mouse(form.hWnd(), MouseAction::Move, 420, 310, vbLeftButton, 0);
  hand::Mouse(form.hWnd(), MouseAction::Up, 430, 315, vbLeftButton, 0);
  g_messages = nullptr;
  winplat::DestroyWindow(view);
  winplat::UnregisterClass("HandTestView", 0);
  EXPECT_EQ(messages, (std::vector<std::string>{"513 10,5", "512 20,10", "514 30,15"}));
}

}  // namespace
}  // namespace ctltest
