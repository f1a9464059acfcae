// Choosing the job from the file list or through the open-file dialog.
#include "console/file_selection.h"

#include "engine/field_calibration.h"
#include "engine/projection_output.h"
#include "engine/settings_file.h"
#include "winplat/files.h"
#include "winplat/messages.h"
#include "winplat/screen.h"
#include "winplat/text.h"

namespace fieldray::console {
namespace {

// Restores the default pointer however the handler ends.
struct PointerGuard {
  MainForm& main;
  ~PointerGuard() { main.SetMousePointer(winplat::vbDefault); }
};

}  // namespace

void UseCheckedRunField(engine::Engine& engine) {
  engine.State.InversionState = BoolFalse;
  std::int16_t field = static_cast<std::int16_t>(engine::CheckedOptFld(engine));
  engine::ApplyFieldScale(engine, field);
}

FileSelection::FileSelection(engine::Engine& engine, MainForm& main, OpenDrawingFileSlot open)
    : e_(engine), main_(main), open_(std::move(open)) {
  main_.Browse.Click = [this] { Browse_Click(); };
  main_.File1.Click = [this] { File1_Click(); };
  main_.File1.DblClick = [this] { File1_DblClick(); };
}

std::string FileSelection::FixFilePath() const {
  std::string path = winplat::Trim(main_.File1.Path());
  if (path.empty() || path.back() != '\\') path += '\\';
  return path;
}

bool FileSelection::OpenJob(const std::string& path) {
  if (winplat::Exist(path) == 0) {
    // The job on the board stays as it is.
    e_.Console.SetMsg("File not found: " + path);
    return false;
  }
  UseCheckedRunField(e_);
  engine::DropJobFrames(e_);
  if (open_) open_(path);
  return true;
}

void FileSelection::Browse_Click() {
  wc::CommonDialog& dialog = main_.Browser;
  dialog.SetCancelError(true);
  dialog.SetFileName(FixFilePath() + "*.*");
  dialog.SetFilter("All files (*.*)|*.*|DXF Files (*.DXF)|*.DXF");
  try {
    dialog.ShowOpen();
    winplat::DoEvents();
    std::string chosen = dialog.FileName();
    main_.File1.SetPath(engine::FolderOf(chosen));
    std::string folder = FixFilePath();
    engine::WriteIniValue(e_, "System", "Path", folder);
    OpenJob(FixFilePath() + engine::FileNameOf(chosen));
  } catch (const std::exception&) {
    // A cancelled dialog or any later fault ends the handler silently.
  }
}

void FileSelection::File1_Click() {
  PointerGuard guard{main_};
  main_.SetMousePointer(winplat::vbHourglass);
  std::string path = FixFilePath() + main_.File1.FileName();
  if (!OpenJob(path)) main_.File1.Refresh();
}

void FileSelection::File1_DblClick() { main_.File1.Refresh(); }

}  // namespace fieldray::console
