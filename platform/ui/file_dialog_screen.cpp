// The open-file dialog on the screen: a modal form in the forms' look with its
// title, the folder (a Windows path under the machine root), its sub-folders,
// the files matching the filter, a file-name box, OK and Cancel.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "dialogs_screen.h"
#include "winplat/code_page.h"
#include "winplat/controls/hand.h"
#include "winplat/controls/operator.h"
#include "winplat/paths.h"
#include "winplat/text.h"

namespace winplat::controls {
namespace {

constexpr int kWidth = 440;
constexpr int kHeight = 330;
constexpr const char* kParent = "..";

// The pattern of the filter's chosen pair ("Drawings (*.dxf)|*.dxf|All|*.*", 1-based).
std::string PatternOf(const std::string& filter, int index) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= filter.size()) {
    std::size_t bar = filter.find('|', start);
    if (bar == std::string::npos) bar = filter.size();
    parts.push_back(filter.substr(start, bar - start));
    start = bar + 1;
  }
  std::size_t at = static_cast<std::size_t>(std::max(1, index) - 1) * 2 + 1;
  if (at >= parts.size()) at = 1;
  return at < parts.size() && !parts[at].empty() ? parts[at] : "*.*";
}

bool IsFolder(const std::string& windowsPath) {
  std::error_code ec;
  try {
    return !windowsPath.empty() && std::filesystem::is_directory(HostPath(windowsPath), ec);
  } catch (const std::exception&) {
    return false;
  }
}

std::string Joined(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

// The folder above ("C:\" stays).
std::string Above(const std::string& folder) {
  std::string f = folder;
  while (f.size() > 3 && f.back() == '\\') f.pop_back();
  auto cut = f.find_last_of('\\');
  if (cut == std::string::npos || cut < 2) return f;
  return cut == 2 ? f.substr(0, 3) : f.substr(0, cut);
}

std::vector<std::string> SubFolders(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  std::filesystem::path host;
  try {
    host = HostPath(folder);
  } catch (const std::exception&) {
    return names;
  }
  for (std::filesystem::directory_iterator it(host, ec), end; !ec && it != end; it.increment(ec))
    if (it->is_directory(ec)) names.push_back(CodePageFromUtf8(it->path().filename().string()));
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return AsciiLower(a) < AsciiLower(b); });
  return names;
}

// The dialog as a form: its folder shown, its lists filled. With `byHand` the
// operator answers it; without, it only shows.
struct OpenDialog {
  OpenDialog(const FileDialogRequest& request, bool byHand);
  void Show(const std::string& to);

  std::string folder = "C:\\";
  Form dialog;
  Label& where;
  ListBox& folders;
  FileListBox& files;
  TextBox& box;
  FileDialogAnswer answer;
};

OpenDialog::OpenDialog(const FileDialogRequest& request, bool byHand)
    : dialog("OpenFile", request.title),
      where(dialog.Add<Label>("Folder", nullptr, "")),
      folders(dialog.Add<ListBox>("Folders", nullptr)),
      files(dialog.Add<FileListBox>("Files", nullptr)),
      box(dialog.Add<TextBox>("FileName", nullptr, "")) {
  std::string name = request.fileName;
  if (auto cut = name.find_last_of('\\'); cut != std::string::npos) {
    if (IsFolder(name.substr(0, cut + 1))) folder = name.substr(0, cut + 1);
    name = name.substr(cut + 1);
  }
  if (IsFolder(request.initDir)) folder = request.initDir;

  where.Move(Twips(12), Twips(12), Twips(kWidth - 24), Twips(16));
  folders.Move(Twips(12), Twips(34), Twips(150), Twips(220));
  files.Move(Twips(170), Twips(34), Twips(kWidth - 182), Twips(220));
  files.SetPattern(PatternOf(request.filter, request.filterIndex));
  auto& label = dialog.Add<Label>("NameLabel", nullptr, "File name:");
  label.Move(Twips(12), Twips(266), Twips(70), Twips(16));
  box.SetText(name);
  box.Move(Twips(84), Twips(262), Twips(kWidth - 96), Twips(22));
  auto& ok = dialog.Add<CommandButton>("OK", nullptr, "OK");
  ok.Move(Twips(kWidth - 170), Twips(kHeight - 35), Twips(75), Twips(23));
  ok.SetDefault(true);
  auto& cancel = dialog.Add<CommandButton>("Cancel", nullptr, "Cancel");
  cancel.Move(Twips(kWidth - 87), Twips(kHeight - 35), Twips(75), Twips(23));
  cancel.SetCancel(true);
  Show(folder);

  dialog.QueryUnload = [this, byHand](int& stop, int mode) {
    if (mode != vbFormControlMenu) return;
    stop = 1;
    if (byHand) dialog.Hide();
  };
  if (byHand) {
    folders.DblClick = [this] {
      std::string picked = folders.Text();
      if (picked.empty()) return;
      Show(picked == kParent ? Above(folder) : Joined(folder, picked));
    };
    files.Click = [this] { box.SetText(files.FileName()); };
    ok.Click = [this] {
      std::string typed = box.Text();
      if (typed.empty()) return;
      bool absolute = typed.size() >= 2 && typed[1] == ':';
      std::string path = absolute ? typed : Joined(folder, typed);
      if (IsFolder(path)) {
        Show(path);
        box.SetText("");
        return;
      }
      answer = FileDialogAnswer{false, path};
      dialog.Hide();
    };
    files.DblClick = [button = &ok] { button->Click.Get()(); };
    cancel.Click = [this] { dialog.Hide(); };
  }
  dialog.Load();
}

void OpenDialog::Show(const std::string& to) {
  folder = to;
  where.SetCaption(folder);
  folders.Clear();
  if (Above(folder) != folder) folders.AddItem(kParent);
  for (const std::string& sub : SubFolders(folder)) folders.AddItem(sub);
  try {
    files.SetPath(folder);
  } catch (const ControlError&) {
    files.Clear();
  }
}

FileDialogAnswer AskOnScreen(const FileDialogRequest& request) {
  OpenDialog d(request, true);
  RunOnScreen(d.dialog, kWidth, kHeight, 0, &d.box);
  d.dialog.QueryUnload = nullptr;
  d.dialog.Unload();
  return d.answer;
}

FileDialogAnswer ShowWhileAnswered(const FileDialogRequest& request, const FileDialogHandler& answer) {
  OpenDialog d(request, false);
  hand::PassBy(d.dialog.hWnd(), true);
  ShowOnScreen(d.dialog, kWidth, kHeight, 0, &d.box);
  FileDialogAnswer given = answer ? answer(request) : FileDialogAnswer{};
  hand::PassBy(d.dialog.hWnd(), false);
  d.dialog.QueryUnload = nullptr;
  d.dialog.Unload();
  return given;
}

}  // namespace

FileDialogHandler ScreenFileDialogHandler() {
  return [](const FileDialogRequest& request) { return AskOnScreen(request); };
}

FileDialogShower ScreenFileDialogShower() {
  return [](const FileDialogRequest& request, const FileDialogHandler& answer) {
    return ShowWhileAnswered(request, answer);
  };
}

}  // namespace winplat::controls
