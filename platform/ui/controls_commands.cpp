// The operator commands: one handler each, in one table that also gives the
// terminal's help.
#include "controls_commands.h"

#include <cctype>
#include <algorithm>
#include <charconv>

#include "winplat/clipboard.h"
#include "winplat/hw/parport.h"
#include "winplat/messages.h"
#include "winplat/painting.h"
#include "winplat/text.h"

namespace winplat::controls::detail {
namespace {

bool ParseInt(const std::string& s, long long* value) {
  std::string text = s;
  if (!text.empty() && text[0] == '+') text.erase(0, 1);
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool ParseFloat(const std::string& s, float* value) {
  try {
    std::size_t used = 0;
    *value = std::stof(s, &used);
    return used == s.size();
  } catch (const std::exception&) {
    return false;
  }
}

// A message box button by its name, 0 for "default", -1 for none.
int ButtonNamed(const std::string& name) {
  if (winplat::AsciiEqualNoCase(name, "default")) return 0;
  for (int button = IDOK; button <= IDNO; ++button)
    if (winplat::AsciiEqualNoCase(name, ButtonName(button))) return button;
  return -1;
}

// Why operator input does not reach `c` ("" when it does).
std::string WhyNoInput(const Control& c) {
  const Form* form = c.ParentForm();
  if (!form || !form->Loaded() || !form->Visible()) return "is on a form not shown";
  if (form->CoveredByModal()) return "is under a modal form";
  for (const Control* at = &c; at; at = at->Container() == at ? nullptr : at->Container()) {
    if (!at->Visible()) return "is hidden";
    if (at->TabPage() >= 0)
      if (auto* strip = dynamic_cast<const TabStrip*>(at->Container()); strip && strip->Tab() != at->TabPage())
        return "is on a tab page not shown";
    if (at == form) break;
  }
  if (!c.EnabledAlongContainers()) return "is disabled";
  return "takes no input now";
}

bool Click(CommandLine& l) {
  Control* c = l.ControlAt(1);
  if (!c) return false;
  if (!l.Reaches(*c)) return true;
  const bool right = l.cmd == "rclick" || (l.Need(3) && winplat::AsciiLower(l.t[2].text) == "right");
  if (l.cmd == "dblclick") op::DoubleClick(*c);
  else if (right) op::RightClick(*c);
  else op::Click(*c);
  return true;
}

bool TypeText(CommandLine& l) {
  auto* box = l.As<TextBox>(l.ControlAt(1), "a text box");
  if (!box) return false;
  if (!l.Need(3)) return l.Fail(l.cmd + ": the text is missing");
  if (!l.Reaches(*box)) return true;
  if (l.cmd == "type") op::Type(*box, l.t[2].text);
  else op::Replace(*box, l.t[2].text);
  return true;
}

bool PressKey(CommandLine& l) {
  auto* box = l.As<TextBox>(l.ControlAt(1), "a text box");
  if (!box) return false;
  long long n = 1;
  if (l.Need(3) && !l.Number(2, &n)) return false;
  if (!l.Reaches(*box)) return true;
  op::Type(*box, std::string(static_cast<std::size_t>(n < 0 ? 0 : n), l.cmd == "enter" ? '\r' : '\b'));
  return true;
}

bool Scroll(CommandLine& l) {
  Control* c = l.ControlAt(1);
  if (auto* list = dynamic_cast<ListBox*>(c); list && l.cmd == "scroll") {
    long long top = 0;
    if (!l.Number(2, &top)) return false;
    if (!l.Reaches(*list)) return true;
    op::ScrollList(*list, static_cast<int>(std::clamp<long long>(top, 0, list->ListCount())));
    return true;
  }
  auto* bar = l.As<ScrollBar>(c, "a scroll bar");
  long long v = 0;
  if (!bar || !l.Number(2, &v)) return false;
  if (!l.Reaches(*bar)) return true;
  if (l.cmd == "scroll") op::ScrollTo(*bar, static_cast<int>(v < -32768 ? -32768 : v > 32767 ? 32767 : v));
  else op::Step(*bar, static_cast<int>(v), l.cmd == "page");
  return true;
}

bool Arrow(CommandLine& l) {
  auto* ud = l.As<UpDown>(l.ControlAt(1), "an up-down control");
  if (!ud) return false;
  if (!l.Reaches(*ud)) return true;
  op::Arrow(*ud, l.cmd == "up");
  return true;
}

bool Mouse(CommandLine& l) {
  if (!l.Need(5)) return l.Fail("mouse: expected mouse down|move|up <picture> <x> <y>");
  const std::string what = winplat::AsciiLower(l.t[1].text);
  const int kind = what == "down" ? kMouseDown : what == "move" ? kMouseMove : what == "up" ? kMouseUp : -1;
  if (kind < 0) return l.Fail("mouse: down, move or up expected");
  auto* box = l.As<PictureBox>(l.ControlAt(2), "a picture box");
  if (!box) return false;
  float x = 0, y = 0;
  if (!ParseFloat(l.t[3].text, &x) || !ParseFloat(l.t[4].text, &y)) return l.Fail("mouse: coordinates expected");
  int button = kind == kMouseMove ? 0 : vbLeftButton, shift = 0;
  for (std::size_t i = 5; i < l.t.size(); ++i) {
    const std::string w = winplat::AsciiLower(l.t[i].text);
    if (w == "left") button = vbLeftButton;
    else if (w == "right") button = vbRightButton;
    else if (w == "middle") button = vbMiddleButton;
    else if (w == "shift") shift |= vbShiftMask;
    else if (w == "ctrl") shift |= vbCtrlMask;
    else if (w == "alt") shift |= vbAltMask;
    else return l.Fail("mouse: unknown word " + l.t[i].text);
  }
  if (!l.Reaches(*box)) return true;
  op::Mouse(*box, kind, x, y, button, shift);
  return true;
}

bool Pick(CommandLine& l) {
  Control* c = l.ControlAt(1);
  if (!c) return false;
  if (!l.Need(3)) return l.Fail(l.cmd + ": an entry is missing");
  long long index = -1;
  const bool byNumber = !l.t[2].quoted && ParseInt(l.t[2].text, &index);
  if (auto* strip = dynamic_cast<TabStrip*>(c)) {
    if (!byNumber) index = strip->FindTab(l.t[2].text);
    if (index < 0 || index >= strip->Tabs()) return l.Fail("no tab " + l.t[2].text + " on " + c->DisplayName());
    if (l.Reaches(*strip)) op::PickTab(*strip, static_cast<int>(index));
    return true;
  }
  auto* list = l.As<ListBox>(c, "a list");
  if (!list) return false;
  if (!byNumber) index = list->FindItem(l.t[2].text);
  if (index < 0 || index >= list->ListCount()) return l.Fail("no entry " + l.t[2].text + " in " + c->DisplayName());
  if (l.Reaches(*list)) op::Pick(*list, static_cast<int>(index), l.cmd == "dblpick");
  return true;
}

bool Grid(CommandLine& l) {
  if (!l.Need(3)) return l.Fail("grid: expected grid edit|click|key <grid> ...");
  const std::string what = winplat::AsciiLower(l.t[1].text);
  auto* grid = l.As<HostSlot>(l.ControlAt(2), "a grid");
  if (!grid) return false;
  long long a = 0, b = 0;
  GridAction action = GridAction::Key;
  std::string text;
  if (what == "edit") {
    if (!l.Number(3, &a) || !l.Number(4, &b) || !l.Need(6)) return l.Fail("grid edit: <grid> <row> <col> \"text\"");
    action = GridAction::Edit;
    text = l.t[5].text;
  } else if (what == "click") {
    if (!l.Number(3, &a) || !l.Number(4, &b)) return false;
    action = GridAction::Click;
  } else if (what == "key") {
    if (!l.Number(3, &a)) return false;
  } else {
    return l.Fail("grid: edit, click or key expected");
  }
  if (!l.Reaches(*grid)) return true;
  const bool handled = action == GridAction::Key
                           ? op::Grid(*grid, action, 0, 0, {}, static_cast<int>(a))
                           : op::Grid(*grid, action, static_cast<int>(a), static_cast<int>(b), text);
  return handled ? true : l.Fail(grid->DisplayName() + " takes no input now");
}

bool Answer(CommandLine& l) {
  if (!l.Need(2)) return l.Fail("answer: a button is missing");
  if (!l.boxes) return l.Fail("answer: message boxes are answered where they are shown");
  const int button = ButtonNamed(l.t[1].text);
  if (button < 0) return l.Fail("answer: unknown button " + l.t[1].text);
  l.boxes->Answer(button);
  return true;
}

bool File(CommandLine& l) {
  if (!l.Need(2)) return l.Fail("file: a path or cancel is missing");
  if (!l.t[1].quoted && winplat::AsciiLower(l.t[1].text) == "cancel") QueueFileDialogAnswer({true, {}});
  else QueueFileDialogAnswer({false, l.t[1].text});
  return true;
}

// Another application putting text on the machine clipboard, or taking it away.
bool Clipboard(CommandLine& l) {
  if (!l.Need(2)) return l.Fail("clipboard: a text or clear is missing");
  bool clear = !l.t[1].quoted && winplat::AsciiLower(l.t[1].text) == "clear";
  bool done = clear ? ClearClipboard() : SetClipboardText(l.t[1].text);
  return done ? true : l.Fail("clipboard: the clipboard is held open by another program");
}

bool Wait(CommandLine& l) {
  long long ms = 0;
  if (!l.Number(1, &ms) || ms < 0) return l.Fail("wait: milliseconds expected");
  op::Wait(static_cast<std::uint32_t>(ms));
  return true;
}

bool Screenshot(CommandLine& l) {
  auto* form = l.As<Form>(l.ControlAt(1), "a form");
  if (!form) return false;
  if (!l.Need(3)) return l.Fail("screenshot: a file name is missing");
  return op::Screenshot(*form, l.t[2].text, l.error);
}

bool Projection(CommandLine& l) {
  if (!l.Need(2)) return l.Fail("projection: a file name is missing");
  return op::SaveProjection(l.t[1].text, l.error);
}

bool Close(CommandLine& l) {
  auto* form = l.As<Form>(l.ControlAt(1), "a form");
  if (!form) return false;
  op::Close(*form);
  return true;
}

bool Quit(CommandLine& l) {
  *l.quit = true;
  for (Form* form : Form::All())
    if (form->Loaded()) op::Close(*form);
  return true;
}

bool Expect(CommandLine& l) {
  Control* c = l.ControlAt(1);
  if (!c) return false;
  if (!l.Need(3)) return l.Fail("expect: the text is missing");
  // "expect C caption "text"" checks the caption whatever the control's value.
  if (l.Need(4) && !l.t[2].quoted && winplat::AsciiLower(l.t[2].text) == "caption") {
    if (c->Caption() == l.t[3].text) return true;
    return l.Fail(c->DisplayName() + " is captioned \"" + c->Caption() + "\", not \"" + l.t[3].text + "\"");
  }
  if (dynamic_cast<PictureBox*>(c)) PaintPendingWindows();  // a picture is looked at
  std::string shown = c->ShownText();
  if (auto* check = dynamic_cast<CheckBox*>(c)) shown = std::to_string(check->Value());
  if (auto* option = dynamic_cast<OptionButton*>(c)) shown = option->Value() ? "True" : "False";
  if (auto* bar = dynamic_cast<ScrollBar*>(c)) shown = std::to_string(bar->Value());
  if (auto* ud = dynamic_cast<UpDown*>(c)) shown = std::to_string(ud->Value());
  if (auto* strip = dynamic_cast<TabStrip*>(c)) shown = std::to_string(strip->Tab());
  if (shown != l.t[2].text) return l.Fail(c->DisplayName() + " shows \"" + shown + "\", not \"" + l.t[2].text + "\"");
  return true;
}

// The operator's hand on the remote control box behind the parallel port.
bool RemoteBox(CommandLine& l) {
  if (!l.Need(3)) return l.Fail("remotebox: expected position N, reading R, busy on|off or connected on|off");
  const std::string what = winplat::AsciiLower(l.t[1].text);
  long long v = 0;
  if (what == "position" || what == "reading") {
    if (!l.Number(2, &v)) return false;
    const long long top = what == "position" ? hw::kRemoteBoxPositions - 1 : 255;
    if (v < 0 || v > top) return l.Fail("remotebox " + what + ": 0 to " + std::to_string(top) + " expected");
    if (what == "reading") {
      hw::SetRemoteBoxReading(static_cast<std::int32_t>(v));
      return true;
    }
    // A switch position replaces a raw reading given before.
    hw::SetRemoteBoxReading(-1);
    hw::SetRemoteBoxPosition(static_cast<int>(v));
    return true;
  }
  if (what != "busy" && what != "connected") return l.Fail("remotebox: unknown word " + l.t[1].text);
  const std::string state = winplat::AsciiLower(l.t[2].text);
  if (state != "on" && state != "off") return l.Fail("remotebox " + what + ": on or off expected");
  if (what == "busy") hw::SetRemoteBoxBusy(state == "on");
  else hw::SetRemoteBoxConnected(state == "on");
  return true;
}

bool Help(CommandLine& l) {
  for (const OperatorCommand& c : OperatorCommands()) {
    std::string usage = std::string(c.name) + (*c.arguments ? " " : "") + c.arguments;
    l.log << "  " << usage << std::string(usage.size() < 44 ? 44 - usage.size() : 1, ' ') << c.help << "\n";
  }
  return true;
}

}  // namespace

Control* CommandLine::ControlAt(std::size_t at) const {
  if (at >= t.size()) {
    *error = cmd + ": a control is missing";
    return nullptr;
  }
  return FindControl(t[at].text, error);
}

bool CommandLine::Number(std::size_t at, long long* value) const {
  if (at >= t.size() || !ParseInt(t[at].text, value)) {
    *error = cmd + ": a whole number is expected" + (at < t.size() ? " (got " + t[at].text + ")" : "");
    return false;
  }
  return true;
}

bool CommandLine::Reaches(const Control& c) const {
  if (c.AcceptsInput()) return true;
  const Form* form = c.ParentForm();
  const std::string name = form && form != &c ? form->Name() + "." + c.DisplayName() : c.DisplayName();
  log << "line " << lineNumber << ": " << name << " " << WhyNoInput(c) << ": ignored\n";
  log.flush();
  return false;
}

const std::vector<OperatorCommand>& OperatorCommands() {
  static const std::vector<OperatorCommand> commands = {
      {"click", "C [right]", "left (or right) click on a control", Click},
      {"rclick", "C", "right click on a control", Click},
      {"dblclick", "C", "double click (a list: on its chosen entry)", Click},
      {"type", "C \"text\"", "type into a text box, one character at a time", TypeText},
      {"replace", "C \"text\"", "replace the whole text of a box (one Change)", TypeText},
      {"backspace", "C [n]", "press Backspace in a text box", PressKey},
      {"enter", "C [n]", "press Enter in a text box", PressKey},
      {"scroll", "C value", "drag a scroll bar's thumb to a value; a list: its top entry", Scroll},
      {"step", "C n", "click a scroll bar's arrow n times (positive: toward Max)", Scroll},
      {"page", "C n", "click a scroll bar's trough n times", Scroll},
      {"up", "C", "click an up-down control's up arrow", Arrow},
      {"down", "C", "click an up-down control's down arrow", Arrow},
      {"mouse", "down|move|up C x y [button] [keys]", "mouse in a picture box, in its scale units", Mouse},
      {"pick", "C n|\"text\"", "click a list entry, or pick a tab", Pick},
      {"dblpick", "C n|\"text\"", "double-click a list entry", Pick},
      {"tab", "C n|\"caption\"", "pick a tab", Pick},
      {"grid", "edit|click|key C ...", "type a cell, click a cell or press a key in a grid", Grid},
      {"answer", "button", "the answer to the next message box", Answer},
      {"file", "\"path\"|cancel", "the answer to the next open-file dialog", File},
      {"clipboard", "\"text\"|clear", "put text on the machine clipboard, or empty it", Clipboard},
      {"wait", "ms", "let time pass with the program running", Wait},
      {"screenshot", "F \"file.png\"", "save a picture of a form", Screenshot},
      {"projection", "\"file.png\"", "save the picture of what the boards project", Projection},
      {"close", "F", "close a form as with its close box", Close},
      {"quit", "", "close every form", Quit},
      {"expect", "C [caption] \"text\"", "check what a control shows, or its caption (a mismatch fails the line)",
       Expect},
      {"remotebox", "position N|reading R|busy on|off|connected on|off", "the operator's hand on the remote box",
       RemoteBox},
      {"help", "", "list the commands", Help},
  };
  return commands;
}

}  // namespace winplat::controls::detail
