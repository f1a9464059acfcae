#pragma once
// List boxes, file list boxes, timers, tab strips and the open-file dialog.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "winplat/controls/control.h"

namespace winplat::controls {

class ListBox : public Control {
 public:
  ListBox(Form* form, std::string name, int index, Control* container);
  void AddItem(const std::string& item, int index = -1);  // error 5 for an index beyond the end
  void RemoveItem(int index);
  void Clear();
  int ListCount() const { return static_cast<int>(items_.size()); }
  // Error 381-style refusal (error 5) for an index out of range.
  const std::string& List(int index) const;
  void SetList(int index, const std::string& item);
  int ListIndex() const { return listIndex_; }
  // -1 clears the choice; fires Click when the choice changes.
  void SetListIndex(int index);
  std::string Text() const { return listIndex_ >= 0 ? items_[static_cast<std::size_t>(listIndex_)] : std::string(); }
  std::string ShownText() const override { return Text(); }
  // The entry in the top row. Setting it scrolls as far as the list goes (the
  // last page stays full); error 380 for an index outside the list. Choosing
  // an entry (ListIndex) scrolls it into view.
  int TopIndex() const { return topIndex_; }
  void SetTopIndex(int index);
  // Whole rows the list shows at its height and font.
  int RowsShown() const;

  // Operator: clicks entry `index` (or double-clicks: Click when the choice changes, then DblClick).
  void OperatorPick(int index, bool doubleClick = false);
  // Entry whose text matches (without regard to letter case), -1 when none.
  int FindItem(const std::string& text) const;

 protected:
  bool TakesFocus() const override { return true; }
  void ClickReaction() override {}
  void KeepTopInRange();
  std::vector<std::string> items_;
  int listIndex_ = -1;
  int topIndex_ = 0;
};

// A drop-down list: entries with a number each (ItemData), the chosen entry
// (ListIndex, -1 for none; Click when it changes) shown as its text.
class ComboBox : public ListBox {
 public:
  ComboBox(Form* form, std::string name, int index, Control* container);
  void AddItem(const std::string& item, int index = -1);
  void RemoveItem(int index);
  void Clear();
  // Error 381 for an index outside the list.
  std::int32_t ItemData(int index) const;
  void SetItemData(int index, std::int32_t value);

 private:
  std::vector<std::int32_t> itemData_;
};

// Lists the files of a folder (a Windows path under the machine root) that
// match its pattern ("*.*" unless set; several patterns separated by ";").
class FileListBox : public ListBox {
 public:
  FileListBox(Form* form, std::string name, int index, Control* container);
  const std::string& Path() const { return path_; }
  // Error 76 when the folder does not exist (the list keeps its folder).
  void SetPath(const std::string& path);
  const std::string& Pattern() const { return pattern_; }
  void SetPattern(const std::string& pattern);
  // The chosen file's name (without folder); "" when none is chosen.
  std::string FileName() const { return Text(); }
  // Chooses the file of that name; a name with a folder sets Path first.
  void SetFileName(const std::string& name);
  // Reads the folder again, keeping the chosen name when it is still there.
  void Refresh();
  Event<> PathChange;
  Event<> PatternChange;

 private:
  void Fill();
  std::string path_;
  std::string pattern_ = "*.*";
};

// A timer: fires Timer every Interval ms while enabled (Interval 0 stops it).
// A fault that repeats in its handler is shown once.
class TimerControl : public Control {
 public:
  TimerControl(Form* form, std::string name, int index, Control* container, std::uint32_t interval = 0);
  ~TimerControl() override;
  std::uint32_t Interval() const { return interval_; }
  void SetInterval(std::uint32_t ms);
  void SetEnabled(bool enabled) override;
  void CreateWindowNow() override;
  Event<> Timer;
  // Runs one tick (the window's WM_TIMER comes here).
  void Tick();

 protected:
  void ClickReaction() override {}

 private:
  void Arm();
  std::uint32_t interval_;
  std::string lastFault_;
};

// A tab strip: tab captions, the current tab (Click with the previous tab when
// it changes); controls placed on a tab page show only while it is current.
class TabStrip : public Control {
 public:
  TabStrip(Form* form, std::string name, int index, Control* container, std::vector<std::string> captions = {});
  int Tabs() const { return static_cast<int>(captions_.size()); }
  void SetTabs(int count);
  int Tab() const { return tab_; }
  void SetTab(int tab);  // error 380 for a tab that does not exist
  const std::string& TabCaption(int tab) const;
  void SetTabCaption(int tab, const std::string& caption);
  bool TabEnabled(int tab) const;
  void SetTabEnabled(int tab, bool enabled);
  Event<int> TabClick;  // previous tab

  // Operator: picks a tab by number or caption (a disabled tab does nothing).
  void OperatorPick(int tab);
  int FindTab(const std::string& caption) const;

 protected:
  bool TakesFocus() const override { return true; }
  void ClickReaction() override {}

 private:
  std::vector<std::string> captions_;
  std::vector<bool> enabled_;
  int tab_ = 0;
};

// What an open-file dialog was shown with, and how it was answered.
struct FileDialogRequest {
  std::string title;
  std::string fileName;
  std::string filter;
  int filterIndex = 1;
  std::string initDir;
};
// The answer: a full path, or cancelled.
struct FileDialogAnswer {
  bool cancelled = true;
  std::string fileName;
};
using FileDialogHandler = std::function<FileDialogAnswer(const FileDialogRequest&)>;
// Replaces the handler that answers dialogs (empty: every dialog is cancelled).
void SetFileDialogHandler(FileDialogHandler handler);
// Answers queued for the next dialogs (operator commands), before the handler is asked.
void QueueFileDialogAnswer(FileDialogAnswer answer);
// With a shower set, each dialog is given to it with what answers it (a queued
// answer, else the handler; none: cancelled) and shown while that answers.
using FileDialogShower = std::function<FileDialogAnswer(const FileDialogRequest&, const FileDialogHandler& answer)>;
void SetFileDialogShower(FileDialogShower shower);
std::vector<FileDialogRequest> ShownFileDialogs();
void ClearShownFileDialogs();

class CommonDialog : public Control {
 public:
  CommonDialog(Form* form, std::string name, int index, Control* container);
  bool CancelError() const { return cancelError_; }
  void SetCancelError(bool on) { cancelError_ = on; }
  const std::string& FileName() const { return fileName_; }
  void SetFileName(std::string name) { fileName_ = std::move(name); }
  const std::string& Filter() const { return filter_; }
  void SetFilter(std::string filter) { filter_ = std::move(filter); }
  int FilterIndex() const { return filterIndex_; }
  void SetFilterIndex(int index) { filterIndex_ = index; }
  const std::string& DialogTitle() const { return title_; }
  void SetDialogTitle(std::string title) { title_ = std::move(title); }
  const std::string& InitDir() const { return initDir_; }
  void SetInitDir(std::string dir) { initDir_ = std::move(dir); }
  std::int32_t Flags() const { return flags_; }
  void SetFlags(std::int32_t flags) { flags_ = flags; }
  // Shows the open dialog; on cancel with CancelError set raises error 32755.
  void ShowOpen();

 protected:
  void ClickReaction() override {}

 private:
  bool cancelError_ = false;
  std::string fileName_;
  std::string filter_;
  int filterIndex_ = 1;
  std::string title_;
  std::string initDir_;
  std::int32_t flags_ = 0;
};

}  // namespace winplat::controls
