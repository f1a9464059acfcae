// List boxes, file list boxes, timers, tab strips and the open-file dialog.
#include <algorithm>
#include <cctype>
#include <deque>
#include <filesystem>
#include <system_error>

#include "controls_internal.h"
#include "winplat/controls/form.h"
#include "winplat/controls/geometry.h"
#include "winplat/controls/lists.h"
#include "winplat/code_page.h"
#include "winplat/files.h"
#include "winplat/paths.h"
#include "winplat/text.h"
#include "winplat/timer.h"

namespace winplat::controls {
namespace {

// "*" and "?" wildcards, without regard to letter case. "*.*" matches names without a dot too.
bool Matches(const std::string& name, const std::string& pattern) {
  if (pattern == "*.*" || pattern == "*") return true;
  std::string n = winplat::AsciiLower(name), p = winplat::AsciiLower(pattern);
  std::size_t ni = 0, pi = 0, star = std::string::npos, mark = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
      ++ni;
      ++pi;
    } else if (pi < p.size() && p[pi] == '*') {
      star = pi++;
      mark = ni;
    } else if (star != std::string::npos) {
      pi = star + 1;
      ni = ++mark;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

}  // namespace

// ---- ListBox ----------------------------------------------------------------
ListBox::ListBox(Form* form, std::string name, int index, Control* container)
    : Control(form, ControlKind::ListBox, std::move(name), index, container) {
  backColor_ = 0xFFFFFF;
  width_ = 1815;
  height_ = 1230;
}

void ListBox::AddItem(const std::string& item, int index) {
  if (index < -1 || index > ListCount()) throw ControlError(kErrInvalidProcedureCall, "Invalid procedure call or argument");
  if (index == -1) {
    items_.push_back(item);
  } else {
    items_.insert(items_.begin() + index, item);
    if (listIndex_ >= index) ++listIndex_;
  }
  Invalidate();
}

void ListBox::RemoveItem(int index) {
  if (index < 0 || index >= ListCount()) throw ControlError(kErrInvalidProcedureCall, "Invalid procedure call or argument");
  items_.erase(items_.begin() + index);
  if (listIndex_ == index) listIndex_ = -1;
  else if (listIndex_ > index) --listIndex_;
  KeepTopInRange();
  Invalidate();
}

void ListBox::Clear() {
  items_.clear();
  listIndex_ = -1;
  topIndex_ = 0;
  Invalidate();
}

const std::string& ListBox::List(int index) const {
  if (index < 0 || index >= ListCount()) {
    static const std::string empty;
    return empty;  // reading past the end gives an empty entry
  }
  return items_[static_cast<std::size_t>(index)];
}

void ListBox::SetList(int index, const std::string& item) {
  if (index < 0 || index >= ListCount()) throw ControlError(kErrInvalidProcedureCall, "Invalid procedure call or argument");
  items_[static_cast<std::size_t>(index)] = item;
  Invalidate();
}

int ListBox::RowsShown() const { return ListRowsShown(detail::Px(height_), TextHeightPx(FontSize())); }

void ListBox::KeepTopInRange() { topIndex_ = std::clamp(topIndex_, 0, std::max(0, ListCount() - RowsShown())); }

void ListBox::SetListIndex(int index) {
  if (index < -1 || index >= ListCount()) RaiseInvalidValue();
  if (index == listIndex_) return;
  listIndex_ = index;
  // The chosen entry scrolls into view.
  if (index >= 0) {
    const int rows = RowsShown();
    if (index < topIndex_) topIndex_ = index;
    else if (index >= topIndex_ + rows) topIndex_ = index - rows + 1;
    KeepTopInRange();
  }
  Invalidate();
  Click.Fire(*this, "Click");
}

void ListBox::SetTopIndex(int index) {
  if (index < 0 || (index >= ListCount() && ListCount() > 0)) RaiseInvalidValue();
  // As far as the list scrolls: the last page stays full.
  topIndex_ = index;
  KeepTopInRange();
  Invalidate();
}

void ListBox::OperatorPick(int index, bool doubleClick) {
  if (!AcceptsInput() || index < 0 || index >= ListCount()) return;
  SetFocus();
  MouseDown.Fire(*this, "MouseDown", vbLeftButton, 0, 0.0f, 0.0f);
  if (AcceptsInput()) SetListIndex(index);
  MouseUp.Fire(*this, "MouseUp", vbLeftButton, 0, 0.0f, 0.0f);
  if (doubleClick && AcceptsInput()) DblClick.Fire(*this, "DblClick");
}

int ListBox::FindItem(const std::string& text) const {
  for (int i = 0; i < ListCount(); ++i)
    if (winplat::AsciiEqualNoCase(items_[static_cast<std::size_t>(i)], text)) return i;
  return -1;
}

// ---- ComboBox ---------------------------------------------------------------
ComboBox::ComboBox(Form* form, std::string name, int index, Control* container)
    : ListBox(form, std::move(name), index, container) {
  kind_ = ControlKind::ComboBox;
  height_ = 315;
}

void ComboBox::AddItem(const std::string& item, int index) {
  ListBox::AddItem(item, index);
  itemData_.insert(index == -1 ? itemData_.end() : itemData_.begin() + index, 0);
}

void ComboBox::RemoveItem(int index) {
  ListBox::RemoveItem(index);
  itemData_.erase(itemData_.begin() + index);
}

void ComboBox::Clear() {
  ListBox::Clear();
  itemData_.clear();
}

std::int32_t ComboBox::ItemData(int index) const {
  if (index < 0 || index >= ListCount()) throw ControlError(381, "Invalid property array index");
  return itemData_[static_cast<std::size_t>(index)];
}

void ComboBox::SetItemData(int index, std::int32_t value) {
  if (index < 0 || index >= ListCount()) throw ControlError(381, "Invalid property array index");
  itemData_[static_cast<std::size_t>(index)] = value;
}

// ---- FileListBox ------------------------------------------------------------
FileListBox::FileListBox(Form* form, std::string name, int index, Control* container)
    : ListBox(form, std::move(name), index, container) {
  kind_ = ControlKind::FileListBox;
}

void FileListBox::SetPath(const std::string& path) {
  std::error_code ec;
  std::filesystem::path host;
  try {
    host = HostPath(path);
  } catch (const PathError&) {
    throw ControlError(kErrPathNotFound, "Path not found");
  }
  if (path.empty() || !std::filesystem::is_directory(host, ec))
    throw ControlError(kErrPathNotFound, "Path not found");
  bool changed = !winplat::AsciiEqualNoCase(path, path_);
  path_ = path;
  Fill();
  if (changed) PathChange.Fire(*this, "PathChange");
}

void FileListBox::SetPattern(const std::string& pattern) {
  if (pattern == pattern_) return;
  pattern_ = pattern;
  Fill();
  PatternChange.Fire(*this, "PatternChange");
}

void FileListBox::SetFileName(const std::string& name) {
  auto cut = name.find_last_of("\\/");
  std::string file = name;
  if (cut != std::string::npos) {
    SetPath(name.substr(0, cut + 1));
    file = name.substr(cut + 1);
  }
  if (file.find_first_of("*?") != std::string::npos) {
    SetPattern(file);
    return;
  }
  int at = FindItem(file);
  if (at >= 0) SetListIndex(at);
}

void FileListBox::Refresh() { Fill(); }

void FileListBox::Fill() {
  std::string chosen = Text();
  items_.clear();
  listIndex_ = -1;
  if (!path_.empty()) {
    std::error_code ec;
    std::vector<std::string> patterns;
    std::size_t start = 0;
    while (start <= pattern_.size()) {
      std::size_t end = pattern_.find(';', start);
      if (end == std::string::npos) end = pattern_.size();
      if (end > start) patterns.push_back(pattern_.substr(start, end - start));
      start = end + 1;
    }
    std::filesystem::path host;
    try {
      host = HostPath(path_);
    } catch (const PathError&) {
      host.clear();
    }
    if (!host.empty()) {
      for (std::filesystem::directory_iterator it(host, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        std::string name = CodePageFromUtf8(it->path().filename().string());
        if (IsReplacingTemporary(name)) continue;  // a write in progress or its leftover
        bool match = false;
        for (const auto& p : patterns) match = match || Matches(name, p);
        if (match) items_.push_back(name);
      }
    }
    std::sort(items_.begin(), items_.end(), [](const std::string& a, const std::string& b) { return winplat::AsciiLower(a) < winplat::AsciiLower(b); });
  }
  if (!chosen.empty()) listIndex_ = FindItem(chosen);
  KeepTopInRange();
  Invalidate();
}

// ---- TimerControl -----------------------------------------------------------
TimerControl::TimerControl(Form* form, std::string name, int index, Control* container, std::uint32_t interval)
    : Control(form, ControlKind::Timer, std::move(name), index, container), interval_(interval) {
  visible_ = false;  // a timer is never seen
}

TimerControl::~TimerControl() {
  if (hwnd_) KillTimer(hwnd_, 1);
}

void TimerControl::CreateWindowNow() {
  Control::CreateWindowNow();
  Arm();
}

void TimerControl::Arm() {
  if (!hwnd_) return;
  KillTimer(hwnd_, 1);
  if (enabled_ && interval_ > 0) SetTimer(hwnd_, 1, interval_);
}

void TimerControl::SetInterval(std::uint32_t ms) {
  interval_ = ms;
  Arm();
}

void TimerControl::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Arm();
}

void TimerControl::Tick() {
  if (!enabled_ || interval_ == 0 || !Timer) return;
  auto handler = Timer.Get();
  RunHandler(DisplayName() + "_Timer", [&] { handler(); }, &lastFault_);
}

// ---- TabStrip ---------------------------------------------------------------
TabStrip::TabStrip(Form* form, std::string name, int index, Control* container, std::vector<std::string> captions)
    : Control(form, ControlKind::TabStrip, std::move(name), index, container),
      captions_(std::move(captions)),
      enabled_(captions_.size(), true) {}

void TabStrip::SetTabs(int count) {
  if (count < 1) RaiseInvalidValue();
  captions_.resize(static_cast<std::size_t>(count));
  enabled_.resize(static_cast<std::size_t>(count), true);
  if (tab_ >= count) SetTab(count - 1);
  Invalidate();
}

void TabStrip::SetTab(int tab) {
  if (tab < 0 || tab >= Tabs()) RaiseInvalidValue();
  if (tab == tab_) return;
  int previous = tab_;
  tab_ = tab;
  if (form_) form_->Invalidate();
  Invalidate();
  TabClick.Fire(*this, "Click", previous);
}

const std::string& TabStrip::TabCaption(int tab) const {
  if (tab < 0 || tab >= Tabs()) RaiseInvalidValue();
  return captions_[static_cast<std::size_t>(tab)];
}

void TabStrip::SetTabCaption(int tab, const std::string& caption) {
  if (tab < 0 || tab >= Tabs()) RaiseInvalidValue();
  captions_[static_cast<std::size_t>(tab)] = caption;
  Invalidate();
}

bool TabStrip::TabEnabled(int tab) const {
  if (tab < 0 || tab >= Tabs()) RaiseInvalidValue();
  return enabled_[static_cast<std::size_t>(tab)];
}

void TabStrip::SetTabEnabled(int tab, bool enabled) {
  if (tab < 0 || tab >= Tabs()) RaiseInvalidValue();
  enabled_[static_cast<std::size_t>(tab)] = enabled;
  Invalidate();
}

void TabStrip::OperatorPick(int tab) {
  if (!AcceptsInput() || tab < 0 || tab >= Tabs() || !enabled_[static_cast<std::size_t>(tab)]) return;
  SetFocus();
  MouseDown.Fire(*this, "MouseDown", vbLeftButton, 0, 0.0f, 0.0f);
  if (AcceptsInput()) SetTab(tab);
  MouseUp.Fire(*this, "MouseUp", vbLeftButton, 0, 0.0f, 0.0f);
}

int TabStrip::FindTab(const std::string& caption) const {
  for (int i = 0; i < Tabs(); ++i)
    if (winplat::AsciiEqualNoCase(captions_[static_cast<std::size_t>(i)], caption)) return i;
  return -1;
}

// ---- CommonDialog -----------------------------------------------------------
namespace {
FileDialogHandler& DialogHandler() {
  static FileDialogHandler handler;
  return handler;
}
std::deque<FileDialogAnswer>& DialogAnswers() {
  static std::deque<FileDialogAnswer> answers;
  return answers;
}
FileDialogShower& DialogShower() {
  static FileDialogShower shower;
  return shower;
}
std::vector<FileDialogRequest>& DialogsShown() {
  static std::vector<FileDialogRequest> shown;
  return shown;
}
}  // namespace

void SetFileDialogHandler(FileDialogHandler handler) { DialogHandler() = std::move(handler); }
void QueueFileDialogAnswer(FileDialogAnswer answer) { DialogAnswers().push_back(std::move(answer)); }
void SetFileDialogShower(FileDialogShower shower) { DialogShower() = std::move(shower); }
std::vector<FileDialogRequest> ShownFileDialogs() { return DialogsShown(); }
void ClearShownFileDialogs() { DialogsShown().clear(); }

CommonDialog::CommonDialog(Form* form, std::string name, int index, Control* container)
    : Control(form, ControlKind::CommonDialog, std::move(name), index, container) {
  visible_ = false;
}

void CommonDialog::ShowOpen() {
  FileDialogRequest request{title_.empty() ? "Open" : title_, fileName_, filter_, filterIndex_, initDir_};
  DialogsShown().push_back(request);
  FileDialogHandler answerer = DialogHandler();
  if (!DialogAnswers().empty()) {
    answerer = [queued = DialogAnswers().front()](const FileDialogRequest&) { return queued; };
    DialogAnswers().pop_front();
  }
  FileDialogAnswer answer;
  if (FileDialogShower shower = DialogShower()) answer = shower(request, answerer);
  else if (answerer) answer = answerer(request);
  if (answer.cancelled) {
    if (cancelError_) throw ControlError(kErrCancelSelected, "Cancel was selected.");
    return;
  }
  fileName_ = answer.fileName;
}

}  // namespace winplat::controls
