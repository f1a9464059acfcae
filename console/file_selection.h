#pragma once
// Choosing the job: the job folder's file list and the open-file dialog.
#include <functional>
#include <string>

#include "console/main_form.h"
#include "engine/engine.h"

namespace fieldray::console {

// Opens a drawing or part program (full Windows path); set by the program.
using OpenDrawingFileSlot = std::function<void(const std::string& path)>;

// The inversion reset and the window of the checked run field, as every
// opening of a job, and every rebuild of its frames, begins.
void UseCheckedRunField(engine::Engine& engine);

class FileSelection {
 public:
  FileSelection(engine::Engine& engine, MainForm& main, OpenDrawingFileSlot open);
  // The list's folder, trimmed, with a trailing backslash.
  std::string FixFilePath() const;
  void Browse_Click();
  void File1_Click();
  void File1_DblClick();

 private:
  // Opens an existing file with the inversion reset and frames 1..15 cleared;
  // a file that does not exist is left alone (false).
  bool OpenJob(const std::string& path);
  engine::Engine& e_;
  MainForm& main_;
  OpenDrawingFileSlot open_;
};

}  // namespace fieldray::console
