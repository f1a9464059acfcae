#pragma once
// Operator actions: the hands of a person in place of mouse and keyboard, as
// C++ calls and as a small line language read from a file or the terminal
// (see platform/ui/OPERATOR_COMMANDS.md).
#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

#include "winplat/controls/form.h"
#include "winplat/controls/lists.h"
#include "winplat/controls/picture.h"
#include "winplat/controls/scroll.h"
#include "winplat/controls/standard.h"
#include "winplat/msgbox.h"

namespace winplat::controls {

// "Form.Control" or "Form.Control(index)" (names without regard to letter case);
// nullptr with the reason in *error when there is no such control.
Control* FindControl(std::string_view path, std::string* error = nullptr);

// Grids live outside the platform's control set: their input goes to the
// component that fills the slot, through this handler (false: not handled).
enum class GridAction { Edit, Click, Key };
using GridInputHandler = std::function<bool(HostSlot& grid, GridAction action, int row, int col,
                                            const std::string& text, int keyCode)>;
void SetGridInputHandler(GridInputHandler handler);

// The picture of the boards' projection: saved by whoever draws it (the device side).
using ProjectionSaver = std::function<bool(const std::string& hostPath, std::string* error)>;
void SetProjectionSaver(ProjectionSaver saver);

namespace op {
void Click(Control& control);
void RightClick(Control& control);
void DoubleClick(Control& control);
void Type(TextBox& box, const std::string& characters);
void Replace(TextBox& box, const std::string& text);
void ScrollTo(ScrollBar& bar, int value);
void Step(ScrollBar& bar, int count, bool large = false);
void Arrow(UpDown& updown, bool up);
// Coordinates in the picture box's scale units.
void Mouse(PictureBox& box, int what, float x, float y, int button = vbLeftButton, int shift = 0);
void Pick(ListBox& list, int index, bool doubleClick = false);
// Scrolls a list so that entry `top` is in its top row (as far as it scrolls).
void ScrollList(ListBox& list, int top);
void PickTab(TabStrip& strip, int tab);
bool Grid(HostSlot& grid, GridAction action, int row, int col, const std::string& text = {}, int keyCode = 0);
// Lets time pass with the loop running.
void Wait(std::uint32_t ms);
// Draws the form and every control on it and saves the picture as PNG
// (a host path, or a Windows path under the machine root).
bool Screenshot(Form& form, const std::string& path, std::string* error = nullptr);
bool SaveProjection(const std::string& path, std::string* error = nullptr);
void Close(Form& form);
// A host path for a path given by the operator ("C:\..." maps under the machine root).
std::string OperatorPath(const std::string& path);
}  // namespace op

// Runs operator commands one per line. Installed as the input source, so a
// modal form shown by a command reads the following commands in its own loop.
class OperatorScript {
 public:
  // Gives the next line: 1 with a line, 0 when none is there yet (a terminal
  // the operator has not typed on), -1 at the end of input.
  using LineSource = std::function<int(std::string& line)>;
  // Answers to message boxes go to `boxes` (one is made when null).
  OperatorScript(std::istream& in, std::ostream& log, MessageBoxScript* boxes = nullptr);
  // Lines from a source; message boxes are left to the handler in force
  // (on a terminal it asks) unless `boxes` is given.
  OperatorScript(LineSource source, std::ostream& log, MessageBoxScript* boxes);
  ~OperatorScript();
  OperatorScript(const OperatorScript&) = delete;
  OperatorScript& operator=(const OperatorScript&) = delete;

  // Reads and runs the next command (Ended at the end of input).
  InputState Step();
  // Runs to the end of the input; returns the number of lines that failed.
  int Run();
  // Runs one command line; false with the reason in *error.
  bool RunLine(const std::string& line, std::string* error);
  int Failures() const { return failures_; }
  // True once a "quit" command or the end of input closed the program's forms.
  bool Quit() const { return quit_; }

 private:
  LineSource source_;
  std::ostream& log_;
  std::unique_ptr<MessageBoxScript> ownBoxes_;
  MessageBoxScript* boxes_;
  int lineNumber_ = 0;
  int failures_ = 0;
  bool quit_ = false;
  bool ended_ = false;
};

// Lines typed on a terminal (file descriptor), read without blocking.
OperatorScript::LineSource TerminalLines(int fd = 0);
// A handler that asks for the file of an open dialog on the terminal (an empty
// line or end of input cancels).
FileDialogHandler TerminalFileDialogHandler(int inputFd = 0, int outputFd = 2);

// A handler that shows each box on the screen as a modal window of its own and
// waits for the operator's answer there (operator lines wait meanwhile).
MessageBoxHandler ScreenMessageBoxHandler();
// A handler that shows each box on the screen while `answer` answers it (a
// command file's answers); the operator's clicks and keys on it do nothing.
MessageBoxHandler ShownMessageBoxHandler(MessageBoxHandler answer);
// The same for open-file dialogs: the folder, its sub-folders, the files
// matching the filter, a file-name box, OK and Cancel.
FileDialogHandler ScreenFileDialogHandler();
// Shows each open dialog on the screen while what is given answers it (a
// command file's `file` lines); the operator's clicks and keys on it do nothing.
FileDialogShower ScreenFileDialogShower();

// The program's loop with its windows on the screen: commands from the file at
// `path`, or from the terminal when it is empty or "-" (message boxes and file
// dialogs are then answered on the screen), until `running` says the program has ended or a quit
// command ran; the end of the input does not end it. Returns as RunOperatorInput.
int RunWindowedInput(const std::string& path, std::ostream& log, const std::function<bool()>& running);

// The program's loop with operator input: runs commands and window events
// until no form is loaded, a quit command ran, or the input ended. Commands
// come from the file at `path`, or from the terminal when `path` is empty or
// "-" (message boxes and file dialogs then ask there too). Returns the number
// of commands that failed; a file that cannot be read is reported and gives -1.
int RunOperatorInput(const std::string& path, std::ostream& log);

}  // namespace winplat::controls
