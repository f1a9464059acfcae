// Message boxes: every box goes to one replaceable handler while a modal loop
// keeps messages and timers flowing. Also the beeps.
#include "winplat/msgbox.h"

#include <algorithm>
#include <iostream>
#include <mutex>

#include "winplat/clock.h"
#include "winplat/display.h"
#include "winplat/messages.h"

namespace winplat {
namespace {

std::mutex handlerMutex;
MessageBoxHandler& Handler() {
  static MessageBoxHandler handler;
  return handler;
}
std::string& Title() {
  static std::string title = "Fieldray";
  return title;
}
int depth = 0;  // boxes up; the user-interface thread only

std::mutex beepMutex;
std::vector<BeepRecord>& Beeps() {
  static std::vector<BeepRecord> beeps;
  return beeps;
}

struct BoxUp {
  BoxUp() { ++depth; }
  ~BoxUp() { --depth; }
  BoxUp(const BoxUp&) = delete;
  BoxUp& operator=(const BoxUp&) = delete;
};

}  // namespace

int DefaultButton(unsigned flags) {
  static const int buttons[6][3] = {
      {IDOK, IDOK, IDOK},           {IDOK, IDCANCEL, IDCANCEL},     {IDABORT, IDRETRY, IDIGNORE},
      {IDYES, IDNO, IDCANCEL},      {IDYES, IDNO, IDNO},            {IDRETRY, IDCANCEL, IDCANCEL}};
  unsigned kind = flags & 0xFu;
  unsigned def = (flags >> 8) & 0xFu;
  if (kind > 5) kind = 0;
  if (def > 2) def = 0;
  return buttons[kind][def];
}

std::vector<int> MessageBoxButtons(unsigned flags) {
  switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
      return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL:
      return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
      return {IDYES, IDNO};
    case MB_RETRYCANCEL:
      return {IDRETRY, IDCANCEL};
    default:
      return {IDOK};
  }
}

std::string ButtonName(int button) {
  switch (button) {
    case IDOK:
      return "OK";
    case IDCANCEL:
      return "Cancel";
    case IDABORT:
      return "Abort";
    case IDRETRY:
      return "Retry";
    case IDIGNORE:
      return "Ignore";
    case IDYES:
      return "Yes";
    case IDNO:
      return "No";
    default:
      return "?";
  }
}

int MessageBox(HWND owner, std::string_view text, std::string_view caption, unsigned flags) {
  MessageBoxRequest request{owner, std::string(text),
                            caption.empty() ? ProgramTitle() : std::string(caption), flags};
  MessageBoxHandler handler;
  {
    std::lock_guard lock(handlerMutex);
    handler = Handler();
  }
  BoxUp up;
  // The box's modal loop: what is pending or due runs before the box is answered.
  DispatchPending();
  if (handler) return handler(request);
  std::cerr << "[message box] " << request.caption << ": " << request.text << '\n';
  return DefaultButton(flags);
}

void SetMessageBoxHandler(MessageBoxHandler handler) {
  std::lock_guard lock(handlerMutex);
  Handler() = std::move(handler);
}

MessageBoxHandler CurrentMessageBoxHandler() {
  std::lock_guard lock(handlerMutex);
  return Handler();
}

void SetProgramTitle(std::string title) { Title() = std::move(title); }
const std::string& ProgramTitle() { return Title(); }

int MessageBoxDepth() { return depth; }

void RunModalLoop(std::uint32_t ms) { PumpFor(ms); }

MessageBoxScript::MessageBoxScript() {
  SetMessageBoxHandler([this](const MessageBoxRequest& request) { return Handle(request); });
}

MessageBoxScript::~MessageBoxScript() { SetMessageBoxHandler({}); }

MessageBoxScript& MessageBoxScript::Answer(int button, std::function<void()> whileUp, std::uint32_t upMs) {
  answers_.push_back(Scripted{button, std::move(whileUp), upMs});
  return *this;
}

int MessageBoxScript::Handle(const MessageBoxRequest& request) {
  ShownMessageBox box;
  box.owner = request.owner;
  box.caption = request.caption;
  box.text = request.text;
  box.flags = request.flags;
  box.buttons = request.flags & MB_TYPEMASK;
  box.icon = request.flags & MB_ICONMASK;
  box.defaultButton = DefaultButton(request.flags);
  box.answer = box.defaultButton;
  std::size_t index = shown_.size();
  shown_.push_back(box);  // recorded before anything runs while it is up
  bool scripted = false;
  if (next_ < answers_.size()) {
    Scripted step = answers_[next_++];
    if (step.whileUp) step.whileUp();
    RunModalLoop(step.upMs);  // whatever became due meanwhile runs before the box returns
    if (step.button != 0) {
      auto offered = MessageBoxButtons(request.flags);
      if (std::find(offered.begin(), offered.end(), step.button) != offered.end()) {
        box.answer = step.button;
        scripted = true;
      } else {
        std::cerr << "[message box] scripted answer " << step.button << " is not a button of \""
                  << request.caption << "\"; answering " << ButtonName(box.defaultButton) << '\n';
      }
    }
  }
  shown_[index].answer = box.answer;
  if (log_) {
    std::string text;
    for (char ch : request.text) {
      if (ch != '\r' && ch != '\n') text += ch;
      else if (text.empty() || text.back() != ' ') text += ' ';
    }
    *log_ << "[message box] " << request.caption << ": " << text << " -> "
          << (scripted ? ButtonName(box.answer) : "default (" + ButtonName(box.answer) + ")") << '\n';
    log_->flush();
  }
  return box.answer;
}

bool MessageBeep(unsigned type) {
  {
    std::lock_guard lock(beepMutex);
    Beeps().push_back(BeepRecord{false, type, 0, 0});
  }
  RingDisplayBell();
  return true;
}

bool Beep(unsigned frequency, unsigned durationMs) {
  {
    std::lock_guard lock(beepMutex);
    Beeps().push_back(BeepRecord{true, 0, frequency, durationMs});
  }
  RingDisplayBell();
  return true;
}

std::vector<BeepRecord> BeepHistory() {
  std::lock_guard lock(beepMutex);
  return Beeps();
}

void ClearBeepHistory() {
  std::lock_guard lock(beepMutex);
  Beeps().clear();
}

}  // namespace winplat
