// Message boxes on the screen: each box is a small modal form of its own, in
// the forms' look (icon, text, the buttons of its style, the default button
// focused), answered by the operator's pointer and keys. The loop, timers and
// boards run on while it is up; operator lines from the terminal wait.
#include <algorithm>
#include <string>
#include <vector>

#include "controls_canvas.h"
#include "dialogs_screen.h"
#include "winplat/controls/geometry.h"
#include "winplat/controls/operator.h"
#include "winplat/display.h"
#include "winplat/gdi.h"
#include "winplat/screen.h"
#include "winplat/window.h"

namespace winplat::controls {

int Twips(int pixels) { return static_cast<int>(PixelsToTwips(pixels)); }

namespace {

constexpr int kMargin = 12;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;
constexpr int kIconSize = 32;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char ch : text) {
    if (ch == '\r') continue;
    if (ch == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += ch;
    }
  }
  lines.push_back(line);
  return lines;
}

// The icon: a disc in the icon's colour with its sign.
void DrawIcon(HDC hdc, const RECT& area, unsigned icon, COLORREF back) {
  canvas::Fill(hdc, area.left - 1, area.top - 1, area.right + 1, area.bottom + 1, back);
  COLORREF colour = icon == MB_ICONHAND ? 0x0000C0 : icon == MB_ICONEXCLAMATION ? 0x00C0C0 : 0xC00000;
  const char* sign = icon == MB_ICONHAND ? "X" : icon == MB_ICONQUESTION ? "?" : icon == MB_ICONEXCLAMATION ? "!" : "i";
  HBRUSH brush = CreateSolidBrush(colour);
  HGDIOBJ oldBrush = SelectObject(hdc, brush);
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ oldPen = SelectObject(hdc, pen);
  Ellipse(hdc, area.left, area.top, area.right, area.bottom);
  SelectObject(hdc, oldPen);
  SelectObject(hdc, oldBrush);
  DeleteObject(pen);
  DeleteObject(brush);
  int w = 0, h = 0;
  canvas::TextSize(sign, 14.0f, &w, &h);
  canvas::Text(hdc, (area.left + area.right - w) / 2, (area.top + area.bottom - h) / 2, sign,
               icon == MB_ICONEXCLAMATION ? 0x000000 : 0xFFFFFF, 14.0f);
}

// Sizes a loaded dialog form to the client area wanted and centres it over
// its owner, else over the screen.
void PlaceOnScreen(Form& dialog, int clientWidth, int clientHeight, HWND owner) {
  // The form's size is the client area wanted plus the window's frame and title.
  RECT outer, client;
  GetWindowRect(dialog.hWnd(), &outer);
  GetClientRect(dialog.hWnd(), &client);
  int width = clientWidth + (outer.right - outer.left) - client.right;
  int height = clientHeight + (outer.bottom - outer.top) - client.bottom;
  RECT over{0, 0, Screen().width, Screen().height};
  if (owner && IsWindow(owner)) GetWindowRect(owner, &over);
  int left = std::max(0, (over.left + over.right - width) / 2);
  int top = std::max(0, (over.top + over.bottom - height) / 2);
  dialog.Move(Twips(left), Twips(top), Twips(width), Twips(height));
}

}  // namespace

void RunOnScreen(Form& dialog, int clientWidth, int clientHeight, HWND owner, Control* focus) {
  PlaceOnScreen(dialog, clientWidth, clientHeight, owner);
  // The focus goes where asked once the form shows (a hidden form takes none).
  if (focus)
    dialog.Activate = [&dialog, focus] {
      focus->SetFocus();
      dialog.Activate = nullptr;
    };
  InputSource lines = CurrentInputSource();
  SetInputSource(nullptr);  // operator lines wait until the dialog is answered
  dialog.Show(true);
  SetInputSource(lines);
}

void ShowOnScreen(Form& dialog, int clientWidth, int clientHeight, HWND owner, Control* focus) {
  PlaceOnScreen(dialog, clientWidth, clientHeight, owner);
  dialog.Show();
  if (focus) focus->SetFocus();
  // The screen takes a frame (at most each 1/60 s) before the dialog is answered.
  PumpFor(DisplayOpen() ? 20 : 0);
}

namespace {

// A box as a form: icon, text lines, the buttons of its style. With `byHand`
// the buttons, Escape and the close box answer it into `answer` and hide it;
// without, they do nothing (the box only shows what is being answered).
struct BoxForm {
  Form box;
  int answer = 0;
  int defaultId = 0;
  int clientWidth = 0, clientHeight = 0;
  CommandButton* focus = nullptr;
  BoxForm(const MessageBoxRequest& request, bool byHand);
};

BoxForm::BoxForm(const MessageBoxRequest& request, bool byHand) : box("MessageBox", request.caption) {
  const std::vector<int> ids = MessageBoxButtons(request.flags);
  defaultId = DefaultButton(request.flags);
  const unsigned icon = request.flags & MB_ICONMASK;
  // Escape answers Cancel, or OK on a box with OK alone.
  int cancelId = 0;
  for (int id : ids)
    if (id == IDCANCEL) cancelId = id;
  if (ids.size() == 1 && ids[0] == IDOK) cancelId = IDOK;

  const float points = box.FontSize();
  const std::vector<std::string> lines = Lines(request.text);
  const int lineHeight = TextHeightPx(points);
  int textWidth = 0;
  for (const std::string& line : lines) textWidth = std::max(textWidth, TextWidthPx(line, points));
  const int iconWidth = icon ? kIconSize + kMargin : 0;
  const int textHeight = static_cast<int>(lines.size()) * lineHeight;
  const int buttonsWidth = static_cast<int>(ids.size()) * (kButtonWidth + kButtonGap) - kButtonGap;
  clientWidth = std::max({iconWidth + textWidth, buttonsWidth, 120}) + 2 * kMargin;
  const int top = std::max(textHeight, icon ? kIconSize : 0);
  clientHeight = kMargin + top + kMargin + kButtonHeight + kMargin;

  if (icon) {
    auto& slot = box.Add<HostSlot>("Icon", nullptr, "");
    slot.Move(Twips(kMargin), Twips(kMargin), Twips(kIconSize), Twips(kIconSize));
    COLORREF back = box.BackColor();
    slot.SetPainter([icon, back](HDC hdc, const RECT& area) { DrawIcon(hdc, area, icon, back); });
  }
  int textTop = kMargin + (top - textHeight) / 2;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    auto& label = box.AddElement<Label>("Text", static_cast<int>(i), nullptr, lines[i]);
    label.Move(Twips(kMargin + iconWidth), Twips(textTop + static_cast<int>(i) * lineHeight), Twips(textWidth + 4),
               Twips(lineHeight));
  }
  int x = (clientWidth - buttonsWidth) / 2;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    int id = ids[i];
    auto& button = box.AddElement<CommandButton>("Button", static_cast<int>(i), nullptr, ButtonName(id));
    button.Move(Twips(x), Twips(clientHeight - kMargin - kButtonHeight), Twips(kButtonWidth), Twips(kButtonHeight));
    button.SetDefault(id == defaultId);
    button.SetCancel(id == cancelId);
    if (byHand)
      button.Click = [this, id] {
        answer = id;
        box.Hide();
      };
    if (id == defaultId) focus = &button;
    x += kButtonWidth + kButtonGap;
  }
  // The close box answers as Escape does; a box without Cancel stays up.
  box.QueryUnload = [this, cancelId, byHand](int& cancel, int mode) {
    if (mode != vbFormControlMenu) return;
    cancel = 1;
    if (cancelId == 0 || !byHand) return;
    answer = cancelId;
    box.Hide();
  };
  box.Load();
}

int AskOnScreen(const MessageBoxRequest& request) {
  BoxForm b(request, true);
  RunOnScreen(b.box, b.clientWidth, b.clientHeight, request.owner, b.focus);
  b.box.QueryUnload = nullptr;
  b.box.Unload();
  return b.answer != 0 ? b.answer : b.defaultId;
}

int ShowWhileAnswered(const MessageBoxRequest& request, const MessageBoxHandler& answer) {
  BoxForm b(request, false);
  ShowOnScreen(b.box, b.clientWidth, b.clientHeight, request.owner, b.focus);
  const int id = answer ? answer(request) : b.defaultId;
  b.box.QueryUnload = nullptr;
  b.box.Unload();
  return id;
}

}  // namespace

MessageBoxHandler ScreenMessageBoxHandler() {
  return [](const MessageBoxRequest& request) { return AskOnScreen(request); };
}

MessageBoxHandler ShownMessageBoxHandler(MessageBoxHandler answer) {
  return [answer = std::move(answer)](const MessageBoxRequest& request) { return ShowWhileAnswered(request, answer); };
}

}  // namespace winplat::controls
