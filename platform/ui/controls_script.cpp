// The operator's line language: one command a line, read from a file or the terminal.
#include <cctype>
#include <charconv>
#include <string>
#include <vector>

#include "winplat/controls/operator.h"
#include "winplat/hw/parport.h"
#include "winplat/messages.h"

namespace winplat::controls {
namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

struct Token {
  std::string text;
  bool quoted = false;
};

// Words split on blanks; "..." holds blanks, "" inside it is one quote.
bool Tokenize(const std::string& line, std::vector<Token>* out, std::string* error) {
  std::size_t i = 0;
  while (i < line.size()) {
    if (std::isspace(static_cast<unsigned char>(line[i]))) {
      ++i;
      continue;
    }
    Token t;
    if (line[i] == '"') {
      t.quoted = true;
      ++i;
      bool closed = false;
      while (i < line.size()) {
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            t.text += '"';
            i += 2;
            continue;
          }
          ++i;
          closed = true;
          break;
        }
        t.text += line[i++];
      }
      if (!closed) {
        *error = "unclosed quote";
        return false;
      }
    } else {
      while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) t.text += line[i++];
    }
    out->push_back(std::move(t));
  }
  return true;
}

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

int ButtonNamed(const std::string& name) {
  static const char* names[] = {"", "ok", "cancel", "abort", "retry", "ignore", "yes", "no"};
  std::string n = Lower(name);
  if (n == "default") return 0;
  for (int i = 1; i <= 7; ++i)
    if (n == names[i]) return i;
  return -1;
}

}  // namespace

OperatorScript::OperatorScript(std::istream& in, std::ostream& log, MessageBoxScript* boxes)
    : source_([&in](std::string& line) { return std::getline(in, line) ? 1 : -1; }), log_(log), boxes_(boxes) {
  if (!boxes_) {
    ownBoxes_ = std::make_unique<MessageBoxScript>();
    boxes_ = ownBoxes_.get();
  }
  SetInputSource([this] { return Step(); });
}

OperatorScript::OperatorScript(LineSource source, std::ostream& log, MessageBoxScript* boxes)
    : source_(std::move(source)), log_(log), boxes_(boxes) {
  SetInputSource([this] { return Step(); });
}

OperatorScript::~OperatorScript() { SetInputSource(nullptr); }

InputState OperatorScript::Step() {
  if (ended_) return InputState::Ended;
  std::string line;
  int got = source_(line);
  if (got == 0) return InputState::Idle;
  if (got < 0) {
    ended_ = true;
    return InputState::Ended;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  ++lineNumber_;
  std::string error;
  if (!RunLine(line, &error)) {
    ++failures_;
    log_ << "line " << lineNumber_ << ": " << error << "\n";
    log_.flush();
  }
  return InputState::Ran;
}

int OperatorScript::Run() {
  for (InputState state = Step(); state != InputState::Ended && !quit_; state = Step())
    if (state == InputState::Idle) PumpFor(10);
  return failures_;
}

bool OperatorScript::RunLine(const std::string& line, std::string* error) {
  std::vector<Token> t;
  if (!Tokenize(line, &t, error)) return false;
  if (t.empty() || (!t[0].quoted && t[0].text[0] == '#')) return true;
  std::string cmd = Lower(t[0].text);
  auto fail = [&](const std::string& why) {
    *error = why;
    return false;
  };
  auto need = [&](std::size_t n) { return t.size() >= n; };
  auto control = [&](std::size_t at) -> Control* {
    if (at >= t.size()) {
      *error = cmd + ": a control is missing";
      return nullptr;
    }
    return FindControl(t[at].text, error);
  };
  auto number = [&](std::size_t at, long long* v) {
    if (at >= t.size() || !ParseInt(t[at].text, v)) {
      *error = cmd + ": a whole number is expected" + (at < t.size() ? " (got " + t[at].text + ")" : "");
      return false;
    }
    return true;
  };
  auto as = [&]<class T>(Control* c, const char* what) -> T* {
    if (!c) return nullptr;
    T* typed = dynamic_cast<T*>(c);
    if (!typed) *error = c->DisplayName() + " is not " + what;
    return typed;
  };

  if (cmd == "click" || cmd == "rclick" || cmd == "dblclick") {
    Control* c = control(1);
    if (!c) return false;
    bool right = cmd == "rclick" || (need(3) && Lower(t[2].text) == "right");
    if (cmd == "dblclick") op::DoubleClick(*c);
    else if (right) op::RightClick(*c);
    else op::Click(*c);
    return true;
  }
  if (cmd == "type" || cmd == "replace") {
    auto* box = as.operator()<TextBox>(control(1), "a text box");
    if (!box) return false;
    if (!need(3)) return fail(cmd + ": the text is missing");
    if (cmd == "type") op::Type(*box, t[2].text);
    else op::Replace(*box, t[2].text);
    return true;
  }
  if (cmd == "backspace" || cmd == "enter") {
    auto* box = as.operator()<TextBox>(control(1), "a text box");
    if (!box) return false;
    long long n = 1;
    if (need(3) && !number(2, &n)) return false;
    op::Type(*box, std::string(static_cast<std::size_t>(n < 0 ? 0 : n), cmd == "enter" ? '\r' : '\b'));
    return true;
  }
  if (cmd == "scroll" || cmd == "step" || cmd == "page") {
    auto* bar = as.operator()<ScrollBar>(control(1), "a scroll bar");
    long long v = 0;
    if (!bar || !number(2, &v)) return false;
    if (cmd == "scroll") op::ScrollTo(*bar, static_cast<int>(v < -32768 ? -32768 : v > 32767 ? 32767 : v));
    else op::Step(*bar, static_cast<int>(v), cmd == "page");
    return true;
  }
  if (cmd == "up" || cmd == "down") {
    auto* ud = as.operator()<UpDown>(control(1), "an up-down control");
    if (!ud) return false;
    op::Arrow(*ud, cmd == "up");
    return true;
  }
  if (cmd == "mouse") {
    if (!need(5)) return fail("mouse: expected mouse down|move|up <picture> <x> <y>");
    std::string what = Lower(t[1].text);
    int kind = what == "down" ? kMouseDown : what == "move" ? kMouseMove : what == "up" ? kMouseUp : -1;
    if (kind < 0) return fail("mouse: down, move or up expected");
    auto* box = as.operator()<PictureBox>(control(2), "a picture box");
    if (!box) return false;
    float x = 0, y = 0;
    if (!ParseFloat(t[3].text, &x) || !ParseFloat(t[4].text, &y)) return fail("mouse: coordinates expected");
    int button = kind == kMouseMove ? 0 : vbLeftButton, shift = 0;
    for (std::size_t i = 5; i < t.size(); ++i) {
      std::string w = Lower(t[i].text);
      if (w == "left") button = vbLeftButton;
      else if (w == "right") button = vbRightButton;
      else if (w == "middle") button = vbMiddleButton;
      else if (w == "shift") shift |= vbShiftMask;
      else if (w == "ctrl") shift |= vbCtrlMask;
      else if (w == "alt") shift |= vbAltMask;
      else return fail("mouse: unknown word " + t[i].text);
    }
    op::Mouse(*box, kind, x, y, button, shift);
    return true;
  }
  if (cmd == "pick" || cmd == "dblpick" || cmd == "tab") {
    Control* c = control(1);
    if (!c) return false;
    if (!need(3)) return fail(cmd + ": an entry is missing");
    long long index = -1;
    bool byNumber = !t[2].quoted && ParseInt(t[2].text, &index);
    if (auto* strip = dynamic_cast<TabStrip*>(c)) {
      if (!byNumber) index = strip->FindTab(t[2].text);
      if (index < 0 || index >= strip->Tabs()) return fail("no tab " + t[2].text + " on " + c->DisplayName());
      op::PickTab(*strip, static_cast<int>(index));
      return true;
    }
    auto* list = as.operator()<ListBox>(c, "a list");
    if (!list) return false;
    if (!byNumber) index = list->FindItem(t[2].text);
    if (index < 0 || index >= list->ListCount()) return fail("no entry " + t[2].text + " in " + c->DisplayName());
    op::Pick(*list, static_cast<int>(index), cmd == "dblpick");
    return true;
  }
  if (cmd == "grid") {
    if (!need(3)) return fail("grid: expected grid edit|click|key <grid> ...");
    std::string what = Lower(t[1].text);
    auto* grid = as.operator()<HostSlot>(control(2), "a grid");
    if (!grid) return false;
    long long a = 0, b = 0;
    bool handled = false;
    if (what == "edit") {
      if (!number(3, &a) || !number(4, &b) || !need(6)) return fail("grid edit: <grid> <row> <col> \"text\"");
      handled = op::Grid(*grid, GridAction::Edit, static_cast<int>(a), static_cast<int>(b), t[5].text);
    } else if (what == "click") {
      if (!number(3, &a) || !number(4, &b)) return false;
      handled = op::Grid(*grid, GridAction::Click, static_cast<int>(a), static_cast<int>(b));
    } else if (what == "key") {
      if (!number(3, &a)) return false;
      handled = op::Grid(*grid, GridAction::Key, 0, 0, {}, static_cast<int>(a));
    } else {
      return fail("grid: edit, click or key expected");
    }
    return handled ? true : fail(grid->DisplayName() + " takes no input now");
  }
  if (cmd == "answer") {
    if (!need(2)) return fail("answer: a button is missing");
    if (!boxes_) return fail("answer: message boxes are answered where they are shown");
    int button = ButtonNamed(t[1].text);
    if (button < 0) return fail("answer: unknown button " + t[1].text);
    boxes_->Answer(button);
    return true;
  }
  if (cmd == "file") {
    if (!need(2)) return fail("file: a path or cancel is missing");
    if (!t[1].quoted && Lower(t[1].text) == "cancel") QueueFileDialogAnswer({true, {}});
    else QueueFileDialogAnswer({false, t[1].text});
    return true;
  }
  if (cmd == "wait") {
    long long ms = 0;
    if (!number(1, &ms) || ms < 0) return fail("wait: milliseconds expected");
    op::Wait(static_cast<std::uint32_t>(ms));
    return true;
  }
  if (cmd == "screenshot") {
    auto* form = as.operator()<Form>(control(1), "a form");
    if (!form) return false;
    if (!need(3)) return fail("screenshot: a file name is missing");
    return op::Screenshot(*form, t[2].text, error);
  }
  if (cmd == "projection") {
    if (!need(2)) return fail("projection: a file name is missing");
    return op::SaveProjection(t[1].text, error);
  }
  if (cmd == "close") {
    auto* form = as.operator()<Form>(control(1), "a form");
    if (!form) return false;
    op::Close(*form);
    return true;
  }
  if (cmd == "quit") {
    quit_ = true;
    for (Form* form : Form::All())
      if (form->Loaded()) op::Close(*form);
    return true;
  }
  if (cmd == "remotebox") {
    // The operator's hand on the remote control box behind the parallel port.
    if (!need(3)) return fail("remotebox: expected position N, reading R, busy on|off or connected on|off");
    std::string what = Lower(t[1].text);
    long long v = 0;
    if (what == "position" || what == "reading") {
      if (!number(2, &v)) return false;
      const long long top = what == "position" ? hw::kRemoteBoxPositions - 1 : 255;
      if (v < 0 || v > top) return fail("remotebox " + what + ": 0 to " + std::to_string(top) + " expected");
      if (what == "reading") {
        hw::SetRemoteBoxReading(static_cast<std::int32_t>(v));
        return true;
      }
      // A switch position replaces a raw reading given before.
      hw::SetRemoteBoxReading(-1);
      hw::SetRemoteBoxPosition(static_cast<int>(v));
      return true;
    }
    if (what != "busy" && what != "connected") return fail("remotebox: unknown word " + t[1].text);
    std::string state = Lower(t[2].text);
    if (state != "on" && state != "off") return fail("remotebox " + what + ": on or off expected");
    if (what == "busy") hw::SetRemoteBoxBusy(state == "on");
    else hw::SetRemoteBoxConnected(state == "on");
    return true;
  }
  if (cmd == "expect") {
    Control* c = control(1);
    if (!c) return false;
    if (!need(3)) return fail("expect: the text is missing");
    // "expect C caption "text"" checks the caption whatever the control's value.
    if (need(4) && !t[2].quoted && Lower(t[2].text) == "caption") {
      if (c->Caption() == t[3].text) return true;
      return fail(c->DisplayName() + " is captioned \"" + c->Caption() + "\", not \"" + t[3].text + "\"");
    }
    std::string shown = c->ShownText();
    if (auto* check = dynamic_cast<CheckBox*>(c)) shown = std::to_string(check->Value());
    if (auto* option = dynamic_cast<OptionButton*>(c)) shown = option->Value() ? "True" : "False";
    if (auto* bar = dynamic_cast<ScrollBar*>(c)) shown = std::to_string(bar->Value());
    if (auto* ud = dynamic_cast<UpDown*>(c)) shown = std::to_string(ud->Value());
    if (auto* strip = dynamic_cast<TabStrip*>(c)) shown = std::to_string(strip->Tab());
    if (shown != t[2].text) return fail(c->DisplayName() + " shows \"" + shown + "\", not \"" + t[2].text + "\"");
    return true;
  }
  return fail("unknown command " + t[0].text);
}

}  // namespace winplat::controls
