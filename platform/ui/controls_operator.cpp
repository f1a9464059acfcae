// Operator actions as calls: what a person's hands do to the program's windows.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "controls_canvas.h"
#include "winplat/controls/operator.h"
#include "winplat/code_page.h"
#include "winplat/messages.h"
#include "winplat/painting.h"
#include "winplat/paths.h"

namespace winplat::controls {
namespace {

GridInputHandler& GridHandler() {
  static GridInputHandler handler;
  return handler;
}
ProjectionSaver& Saver() {
  static ProjectionSaver saver;
  return saver;
}

}  // namespace

void SetGridInputHandler(GridInputHandler handler) { GridHandler() = std::move(handler); }
void SetProjectionSaver(ProjectionSaver saver) { Saver() = std::move(saver); }

Control* FindControl(std::string_view path, std::string* error) {
  auto fail = [&](const std::string& why) -> Control* {
    if (error) *error = why;
    return nullptr;
  };
  auto dot = path.find('.');
  if (dot == std::string_view::npos) {
    Form* form = Form::Named(path);
    return form ? form : fail("no form named " + std::string(path));
  }
  std::string_view formName = path.substr(0, dot);
  std::string_view rest = path.substr(dot + 1);
  Form* form = Form::Named(formName);
  if (!form) return fail("no form named " + std::string(formName));
  int index = -1;
  auto open = rest.find('(');
  std::string_view name = rest;
  if (open != std::string_view::npos) {
    if (rest.back() != ')') return fail("bad control name " + std::string(path));
    std::string digits(rest.substr(open + 1, rest.size() - open - 2));
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos)
      return fail("bad index in " + std::string(path));
    index = std::stoi(digits);
    name = rest.substr(0, open);
  }
  Control* control = form->Find(name, index);
  return control ? control : fail("no control " + std::string(rest) + " on " + form->Name());
}

namespace op {

void Click(Control& control) { control.OperatorClick(vbLeftButton, 0); }
void RightClick(Control& control) { control.OperatorClick(vbRightButton, 0); }

void DoubleClick(Control& control) {
  if (auto* list = dynamic_cast<ListBox*>(&control)) {
    if (list->ListIndex() >= 0) list->OperatorPick(list->ListIndex(), true);
    return;
  }
  control.OperatorDblClick();
}

void Type(TextBox& box, const std::string& characters) { box.OperatorType(characters); }
void Replace(TextBox& box, const std::string& text) { box.OperatorReplace(text); }
void ScrollTo(ScrollBar& bar, int value) { bar.OperatorScrollTo(value); }
void Step(ScrollBar& bar, int count, bool large) { bar.OperatorStep(count, large); }
void Arrow(UpDown& updown, bool up) { updown.OperatorArrow(up); }

void Mouse(PictureBox& box, int what, float x, float y, int button, int shift) {
  box.OperatorMouse(what, button, shift, box.ToPixelX(x), box.ToPixelY(y));
}

void Pick(ListBox& list, int index, bool doubleClick) { list.OperatorPick(index, doubleClick); }
void ScrollList(ListBox& list, int top) {
  if (list.ListCount() > 0) list.SetTopIndex(std::clamp(top, 0, list.ListCount() - 1));
}
void PickTab(TabStrip& strip, int tab) { strip.OperatorPick(tab); }

bool Grid(HostSlot& grid, GridAction action, int row, int col, const std::string& text, int keyCode) {
  if (!grid.AcceptsInput() || !GridHandler()) return false;
  GridInputHandler handler = GridHandler();
  bool handled = false;
  RunHandler(grid.DisplayName() + "_Input", [&] { handled = handler(grid, action, row, col, text, keyCode); });
  return handled;
}

void Wait(std::uint32_t ms) { PumpFor(ms); }

std::string OperatorPath(const std::string& path) {
  bool windows = path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
  return windows ? HostPath(path).string() : Utf8FromCodePage(path);  // a host path, back to UTF-8
}

namespace {
// The host path of a picture the operator names, its folder made as needed.
bool PictureHostPath(const std::string& path, std::string* host, std::string* error) {
  try {
    *host = OperatorPath(path);
    std::error_code ec;
    auto folder = std::filesystem::path(*host).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
    return true;
  } catch (const std::exception& e) {
    if (error) *error = e.what();
    return false;
  }
}
}  // namespace

bool Screenshot(Form& form, const std::string& path, std::string* error) {
  if (!form.Loaded() || !form.hWnd()) {
    if (error) *error = "form " + form.Name() + " is not loaded";
    return false;
  }
  DispatchPending();  // pending paints first (picture boxes redraw)
  PaintPendingWindows();
  form.Paint();
  std::string host;
  if (!PictureHostPath(path, &host, error)) return false;
  return canvas::SavePng(form.hWnd(), host, error);
}

bool SaveProjection(const std::string& path, std::string* error) {
  PaintPendingWindows();  // whatever a look shows is painted first
  if (!Saver()) {
    if (error) *error = "no projection picture is available";
    return false;
  }
  std::string host;
  if (!PictureHostPath(path, &host, error)) return false;
  return Saver()(host, error);
}

void Close(Form& form) { form.OperatorClose(); }

}  // namespace op
}  // namespace winplat::controls
