// Message boxes and the open-file dialog drawn as forms and answered by the
// operator's hand, with the message loop running while they are up.
#include <filesystem>
#include <fstream>
#include <functional>

#include "controls_test_support.h"
#include "winplat/controls/geometry.h"
#include "winplat/controls/hand.h"
#include "winplat/controls/operator.h"
#include "winplat/display.h"
#include "winplat/paths.h"

namespace ctltest {
namespace {

namespace hand = winplat::controls::hand;

// The operator at the screen: acts once on the dialog form named `form`, at the
// first pass of the loop that finds it up.
class ScreenDialogs : public ControlTest {
 protected:
  void TearDown() override {
    winplat::SetDisplayPump(nullptr);
    ControlTest::TearDown();
  }
  void WhenUp(const std::string& form, std::function<void(Form&)> act) {
    winplat::SetDisplayPump([this, form, act] {
      Form* dialog = Form::Named(form);
      if (acted || !dialog || !dialog->Visible()) return;
      acted = true;
      act(*dialog);
    });
  }
  static void ClickOn(Control& c) {
    auto p = winplat::controls::PlaceOnForm(c);
    winplat::HWND window = c.ParentForm()->hWnd();
    hand::Mouse(window, hand::MouseAction::Down, p.x + p.w / 2, p.y + p.h / 2, vbLeftButton, 0);
    hand::Mouse(window, hand::MouseAction::Up, p.x + p.w / 2, p.y + p.h / 2, vbLeftButton, 0);
  }
  // A click on entry `index` of a list where the list draws it.
  static void ClickEntry(Form& form, ListBox& list, int index) {
    const winplat::controls::Box row =
        winplat::controls::ListLayout(list, winplat::controls::PlaceOnForm(list)).EntryBox(index);
    hand::Mouse(form.hWnd(), hand::MouseAction::Down, row.x + 8, row.y + row.h / 2, vbLeftButton, 0);
    hand::Mouse(form.hWnd(), hand::MouseAction::Up, row.x + 8, row.y + row.h / 2, vbLeftButton, 0);
  }
  bool acted = false;
};

TEST_F(ScreenDialogs, ABoxIsAnsweredByKeysOrAClickOnItsButtons) {
  using winplat::WPARAM;
  struct Case {
    unsigned flags;
    std::function<void(Form&)> act;
    int answer;
  };
  const Case cases[] = {
      {winplat::MB_YESNOCANCEL | winplat::MB_DEFBUTTON2,
       [](Form& f) { hand::Key(f.hWnd(), static_cast<int>(winplat::VK_RETURN), 0); }, winplat::IDNO},
      {winplat::MB_YESNOCANCEL, [](Form& f) { hand::Key(f.hWnd(), static_cast<int>(winplat::VK_ESCAPE), 0); },
       winplat::IDCANCEL},
      {winplat::MB_OK | winplat::MB_ICONEXCLAMATION,
       [](Form& f) { hand::Key(f.hWnd(), static_cast<int>(winplat::VK_ESCAPE), 0); }, winplat::IDOK},
      {winplat::MB_YESNO, [](Form& f) { ClickOn(*f.Find("Button", 0)); }, winplat::IDYES},
      {winplat::MB_RETRYCANCEL, [](Form& f) { hand::CloseBox(f.hWnd()); }, winplat::IDCANCEL},
  };
  winplat::SetMessageBoxHandler(ScreenMessageBoxHandler());
  for (const Case& c : cases) {
    acted = false;
    int lines = 0;
    WhenUp("MessageBox", [&](Form& box) {
      // The text is drawn on it, one label a line, the default button focused.
      EXPECT_TRUE(box.IsModal());
      lines = box.Find("Text", 1) ? 2 : 1;
      auto* focused = dynamic_cast<CommandButton*>(box.ActiveControl());
      ASSERT_NE(focused, nullptr);
      EXPECT_TRUE(focused->Default());
      EXPECT_GT(winplat::WindowFrame(box.hWnd()).width, 0);
      c.act(box);
    });
    EXPECT_EQ(winplat::MessageBox(0, "First line\nsecond line", "Asking", c.flags), c.answer) << c.flags;
    EXPECT_TRUE(acted);
    EXPECT_EQ(lines, 2);
    EXPECT_EQ(Form::Named("MessageBox"), nullptr);  // gone with its answer
  }
  winplat::SetMessageBoxHandler(nullptr);
}

TEST_F(ScreenDialogs, ABoxAnsweredByACommandFileShowsWhileItIsAnsweredAndIgnoresTheHand) {
  bool shownWhileAnswered = false, stillUp = false;
  winplat::SetMessageBoxHandler(ShownMessageBoxHandler([&](const winplat::MessageBoxRequest&) {
    Form* box = Form::Named("MessageBox");
    shownWhileAnswered = box && box->Visible() && winplat::WindowFrame(box->hWnd()).width > 0;
    if (box) {
      // Clicks, Enter and the close box answer nothing: the file answers.
      ClickOn(*box->Find("Button", 0));
      hand::Key(box->hWnd(), static_cast<int>(winplat::VK_RETURN), 0);
      hand::CloseBox(box->hWnd());
      stillUp = Form::Named("MessageBox") == box && box->Visible();
    }
    return static_cast<int>(winplat::IDNO);
  }));
  EXPECT_EQ(winplat::MessageBox(0, "Save?", "Asking", winplat::MB_YESNOCANCEL), winplat::IDNO);
  winplat::SetMessageBoxHandler(nullptr);
  EXPECT_TRUE(shownWhileAnswered);
  EXPECT_TRUE(stillUp);
  EXPECT_EQ(Form::Named("MessageBox"), nullptr);
}

TEST_F(ScreenDialogs, AnOpenDialogAnsweredByACommandFileShowsWhileItIsAnsweredAndIgnoresTheHand) {
  namespace fs = std::filesystem;
  fs::path jobs = winplat::HostPath("C:\\Shown\\Jobs");
  fs::create_directories(jobs);
  std::ofstream(jobs / "A.DXF") << "0\nEOF\n";
  Form owner("Main", "Main");
  auto& dialog = owner.Add<CommonDialog>("Dlg", nullptr);
  dialog.SetInitDir("C:\\Shown\\Jobs");
  dialog.SetFilter("Drawings (*.dxf)|*.dxf");
  bool shown = false, stillUp = false, typedNothing = false;
  WhenUp("OpenFile", [&](Form& up) {
    shown = winplat::WindowFrame(up.hWnd()).width > 0 && up.FindAs<FileListBox>("Files")->ListCount() == 1;
    // A click on the file, keys, Enter and the close box answer nothing: the file answers.
    ClickEntry(up, *up.FindAs<FileListBox>("Files"), 0);
    const std::string before = up.FindAs<TextBox>("FileName")->Text();
    hand::Character(up.hWnd(), 'X');
    hand::Key(up.hWnd(), static_cast<int>(winplat::VK_RETURN), 0);
    hand::CloseBox(up.hWnd());
    stillUp = Form::Named("OpenFile") == &up && up.Visible();
    typedNothing = up.FindAs<TextBox>("FileName")->Text() == before;
  });
  SetFileDialogShower(ScreenFileDialogShower());
  QueueFileDialogAnswer({false, "C:\\Shown\\Jobs\\B.DXF"});
  dialog.ShowOpen();
  EXPECT_TRUE(acted);
  EXPECT_TRUE(shown);
  EXPECT_TRUE(stillUp);
  EXPECT_TRUE(typedNothing);
  EXPECT_EQ(dialog.FileName(), "C:\\Shown\\Jobs\\B.DXF");
  // With nothing queued and no handler, the dialog shows and is cancelled.
  acted = false;
  dialog.ShowOpen();
  SetFileDialogShower(nullptr);
  EXPECT_TRUE(acted);
  EXPECT_EQ(dialog.FileName(), "C:\\Shown\\Jobs\\B.DXF");
  EXPECT_EQ(Form::Named("OpenFile"), nullptr);
}

TEST_F(ScreenDialogs, TheOpenDialogShowsTheFolderAndTheFilesOfItsFilter) {
  namespace fs = std::filesystem;
  fs::path jobs = winplat::HostPath("C:\\Dialog\\Jobs");
  fs::create_directories(jobs / "Sub");
  std::ofstream(jobs / "A.DXF") << "0\nEOF\n";
  std::ofstream(jobs / "B.NC") << "G0\n";
  std::vector<std::string> folders, files;
  WhenUp("OpenFile", [&](Form& dialog) {
    auto* sub = dialog.FindAs<ListBox>("Folders");
    auto* shown = dialog.FindAs<FileListBox>("Files");
    for (int i = 0; i < sub->ListCount(); ++i) folders.push_back(sub->List(i));
    for (int i = 0; i < shown->ListCount(); ++i) files.push_back(shown->List(i));
    // Pick the drawing in the list and press Enter (OK is the default button).
    ClickEntry(dialog, *shown, 0);
    hand::Key(dialog.hWnd(), static_cast<int>(winplat::VK_RETURN), 0);
  });
  FileDialogAnswer answer = ScreenFileDialogHandler()(
      FileDialogRequest{"Open a drawing", "", "Drawings (*.dxf)|*.dxf|All files|*.*", 1, "C:\\Dialog\\Jobs"});
  EXPECT_EQ(folders, (std::vector<std::string>{"..", "Sub"}));
  EXPECT_EQ(files, std::vector<std::string>{"A.DXF"});
  EXPECT_FALSE(answer.cancelled);
  EXPECT_EQ(answer.fileName, "C:\\Dialog\\Jobs\\A.DXF");

  // Escape cancels.
  acted = false;
  WhenUp("OpenFile", [](Form& dialog) { hand::Key(dialog.hWnd(), static_cast<int>(winplat::VK_ESCAPE), 0); });
  EXPECT_TRUE(ScreenFileDialogHandler()(FileDialogRequest{"Open", "", "", 1, "C:\\Dialog"}).cancelled);
}

}  // namespace
}  // namespace ctltest
