#pragma once
// Message boxes and beeps, answered by one replaceable handler.
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "winplat/types.h"

namespace winplat {

// Buttons
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_ABORTRETRYIGNORE = 0x2;
constexpr unsigned MB_YESNOCANCEL = 0x3;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_RETRYCANCEL = 0x5;
// Icons
constexpr unsigned MB_ICONHAND = 0x10;
constexpr unsigned MB_ICONSTOP = MB_ICONHAND;
constexpr unsigned MB_ICONERROR = MB_ICONHAND;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr unsigned MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr unsigned MB_ICONASTERISK = 0x40;
constexpr unsigned MB_ICONINFORMATION = MB_ICONASTERISK;
// Default button
constexpr unsigned MB_DEFBUTTON1 = 0x000;
constexpr unsigned MB_DEFBUTTON2 = 0x100;
constexpr unsigned MB_DEFBUTTON3 = 0x200;
// Modality and placement
constexpr unsigned MB_APPLMODAL = 0x0000;
constexpr unsigned MB_SYSTEMMODAL = 0x1000;
constexpr unsigned MB_TASKMODAL = 0x2000;
constexpr unsigned MB_SETFOREGROUND = 0x10000;
constexpr unsigned MB_TOPMOST = 0x40000;

// Answers
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

struct MessageBoxRequest {
  HWND owner = 0;
  std::string text;
  std::string caption;
  unsigned flags = 0;
};

// Parts of the flags.
constexpr unsigned MB_TYPEMASK = 0x0000000F;
constexpr unsigned MB_ICONMASK = 0x000000F0;
constexpr unsigned MB_DEFMASK = 0x00000F00;
constexpr unsigned MB_MODEMASK = 0x00003000;

// Shows a box and returns the button chosen. While the box is up, pending
// messages and due timers are dispatched, as a modal loop does.
int MessageBox(HWND owner, std::string_view text, std::string_view caption, unsigned flags);

// The button a box answers with when nobody chooses (its default button).
int DefaultButton(unsigned flags);

// Replaces the handler that answers boxes; an empty function restores the
// default (answer with the default button, log the box to standard error).
using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;
void SetMessageBoxHandler(MessageBoxHandler handler);
MessageBoxHandler CurrentMessageBoxHandler();

// The program's title, given to a box shown without a caption.
void SetProgramTitle(std::string title);
const std::string& ProgramTitle();

// The buttons a box offers, left to right, and a button's name ("OK", "Cancel", ...).
std::vector<int> MessageBoxButtons(unsigned flags);
std::string ButtonName(int button);

// Boxes up right now (nested boxes count each).
int MessageBoxDepth();
// The modal loop of a box that stays up for `ms`: dispatches pending messages
// and due timers; with the manual clock it moves the clock on from timer to
// timer until `ms` have passed, otherwise it waits in real time.
void RunModalLoop(std::uint32_t ms);

// Every box shown while a script is installed.
struct ShownMessageBox {
  HWND owner = 0;
  std::string caption;
  std::string text;
  unsigned flags = 0;
  unsigned buttons = 0;  // flags & MB_TYPEMASK
  unsigned icon = 0;     // flags & MB_ICONMASK
  int defaultButton = 0;
  int answer = 0;
};

// Answers boxes from a script and records them. Installs itself as the handler
// for its lifetime and restores the default handler when it goes.
class MessageBoxScript {
 public:
  MessageBoxScript();
  ~MessageBoxScript();
  MessageBoxScript(const MessageBoxScript&) = delete;
  MessageBoxScript& operator=(const MessageBoxScript&) = delete;

  // Queues the answer to the next box (0: its default button). `whileUp` runs
  // while the box is up, and the box stays up `upMs` more (see RunModalLoop).
  // A box with no queued answer gets its default button. An answer that is not
  // one of the box's buttons is reported on standard error and the default
  // button is taken instead.
  MessageBoxScript& Answer(int button, std::function<void()> whileUp = {}, std::uint32_t upMs = 0);

  // Every box, once answered, also goes to `log` (none when null) as one line:
  // "[message box] CAPTION: TEXT -> ANSWER", ANSWER being the scripted button
  // or "default (BUTTON)"; line breaks of the text become blanks.
  void LogTo(std::ostream* log) { log_ = log; }

  const std::vector<ShownMessageBox>& Shown() const { return shown_; }
  std::size_t PendingAnswers() const { return answers_.size() - next_; }
  void ClearShown() { shown_.clear(); }

 private:
  struct Scripted {
    int button = 0;
    std::function<void()> whileUp;
    std::uint32_t upMs = 0;
  };
  int Handle(const MessageBoxRequest& request);

  std::vector<Scripted> answers_;
  std::size_t next_ = 0;
  std::vector<ShownMessageBox> shown_;
  std::ostream* log_ = nullptr;
};

// A handler that shows each box on a terminal and asks for the button (by
// name, initial or number; an empty line or end of input takes the default).
// Timers and messages keep being dispatched while it waits. Used only when the
// program is started for it.
MessageBoxHandler TerminalMessageBoxHandler(int inputFd = 0, int outputFd = 2);

// Beeps: every one recorded; with a display open they ring its bell.
constexpr unsigned MB_SIMPLEBEEP = 0xFFFFFFFFu;
bool MessageBeep(unsigned type);
bool Beep(unsigned frequency, unsigned durationMs);
struct BeepRecord {
  bool tone = false;  // Beep (frequency, duration) rather than MessageBeep (type)
  unsigned type = 0;
  unsigned frequency = 0;
  unsigned durationMs = 0;
};
std::vector<BeepRecord> BeepHistory();
void ClearBeepHistory();

}  // namespace winplat
