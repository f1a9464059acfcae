// The program's loop while its windows are on the screen.
#include <fstream>
#include <iostream>
#include <memory>

#include "controls_internal.h"
#include "winplat/controls/operator.h"
#include "winplat/messages.h"

namespace winplat::controls {

int RunWindowedInput(const std::string& path, std::ostream& log, const std::function<bool()>& running) {
  bool terminal = path.empty() || path == "-";
  std::ifstream file;
  std::unique_ptr<MessageBoxScript> boxes;
  std::unique_ptr<OperatorScript> script;
  if (terminal) {
    SetMessageBoxHandler(ScreenMessageBoxHandler());
    SetFileDialogHandler(ScreenFileDialogHandler());
    script = std::make_unique<OperatorScript>(TerminalLines(0), log, nullptr);
  } else {
    if (!detail::OpenCommandFile(path, file, log)) return -1;
    // The file's answers answer the boxes, which show on the screen meanwhile
    // and go to the run's log as they are answered.
    boxes = std::make_unique<MessageBoxScript>();
    boxes->LogTo(&std::cerr);
    SetMessageBoxHandler(ShownMessageBoxHandler(CurrentMessageBoxHandler()));
    SetFileDialogShower(ScreenFileDialogShower());
    script = std::make_unique<OperatorScript>(file, log, boxes.get());
  }
  bool ended = false;
  while (running() && !script->Quit()) {
    InputState state = ended ? InputState::Idle : script->Step();
    if (state == InputState::Ended) {
      // The windows stay with the operator: a modal form waits for the screen too.
      ended = true;
      SetInputSource([] { return InputState::Idle; });
    }
    // Idle, the loop sleeps until the screen, a timer or the terminal has something.
    if (state != InputState::Ran) WaitForInput(terminal && !ended ? 0 : -1);
  }
  int failures = script->Failures();
  script.reset();
  if (terminal) SetFileDialogHandler(nullptr);
  else SetFileDialogShower(nullptr);
  SetMessageBoxHandler(nullptr);
  boxes.reset();
  return failures;
}

}  // namespace winplat::controls
