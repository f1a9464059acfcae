// Picture boxes, lines and shapes.
#include <cmath>

#include "controls_canvas.h"
#include "controls_internal.h"
#include "winplat/controls/form.h"
#include "winplat/controls/picture.h"
#include "winplat/screen.h"

namespace winplat::controls {
namespace {

constexpr double kTwipsPerMillimetre = 1440.0 / 25.4;

int Round(double v) { return static_cast<int>(std::lround(v)); }

// gdi mix modes are numbered as the draw modes.
int Rop(int drawMode) { return drawMode; }

}  // namespace

PictureBox::PictureBox(Form* form, std::string name, int index, Control* container)
    : Control(form, ControlKind::PictureBox, std::move(name), index, container) {
  backColor_ = 0xFFFFFF;
  width_ = 1215;
  height_ = 1215;
}

int PictureBox::PixelWidth() const { return detail::Px(width_); }
int PictureBox::PixelHeight() const { return detail::Px(height_); }

void PictureBox::SetScaleMode(int mode) {
  if (mode != vbUser && mode != vbTwips && mode != vbPoints && mode != vbPixels && mode != vbMillimeters)
    RaiseInvalidValue();
  if (mode == vbUser) {
    if (scaleMode_ != vbUser) {
      userWidth_ = ScaleWidth();
      userHeight_ = ScaleHeight();
    }
  } else {
    scaleLeft_ = 0;
    scaleTop_ = 0;
  }
  scaleMode_ = mode;
}

static double UnitsPerPixel(int mode) {
  double tpp = TwipsPerPixel();
  switch (mode) {
    case vbPoints: return tpp / 20.0;
    case vbPixels: return 1.0;
    case vbMillimeters: return tpp / kTwipsPerMillimetre;
    default: return tpp;
  }
}

float PictureBox::ScaleWidth() const {
  if (scaleMode_ == vbUser) return userWidth_;
  return static_cast<float>(PixelWidth() * UnitsPerPixel(scaleMode_));
}

float PictureBox::ScaleHeight() const {
  if (scaleMode_ == vbUser) return userHeight_;
  return static_cast<float>(PixelHeight() * UnitsPerPixel(scaleMode_));
}

void PictureBox::SetScaleWidth(float w) {
  if (w == 0) RaiseInvalidValue();
  if (scaleMode_ != vbUser) {
    userHeight_ = ScaleHeight();
    scaleMode_ = vbUser;
  }
  userWidth_ = w;
}

void PictureBox::SetScaleHeight(float h) {
  if (h == 0) RaiseInvalidValue();
  if (scaleMode_ != vbUser) {
    userWidth_ = ScaleWidth();
    scaleMode_ = vbUser;
  }
  userHeight_ = h;
}

void PictureBox::SetScale(float x1, float y1, float x2, float y2) {
  if (x2 == x1 || y2 == y1) RaiseInvalidValue();
  scaleMode_ = vbUser;
  scaleLeft_ = x1;
  scaleTop_ = y1;
  userWidth_ = x2 - x1;
  userHeight_ = y2 - y1;
}

float PictureBox::ToPixelX(float x) const {
  return static_cast<float>((x - scaleLeft_) * PixelWidth() / static_cast<double>(ScaleWidth()));
}
float PictureBox::ToPixelY(float y) const {
  return static_cast<float>((y - scaleTop_) * PixelHeight() / static_cast<double>(ScaleHeight()));
}
float PictureBox::FromPixelX(float px) const {
  return PixelWidth() == 0 ? scaleLeft_ : static_cast<float>(scaleLeft_ + px * static_cast<double>(ScaleWidth()) / PixelWidth());
}
float PictureBox::FromPixelY(float py) const {
  return PixelHeight() == 0 ? scaleTop_ : static_cast<float>(scaleTop_ + py * static_cast<double>(ScaleHeight()) / PixelHeight());
}

void PictureBox::SetAutoRedraw(bool on) {
  autoRedraw_ = on;
  if (hwnd_) canvas::SetPersistent(hwnd_, on);
}

void PictureBox::SetDrawMode(int mode) {
  if (mode < 1 || mode > 16) RaiseInvalidValue();
  drawMode_ = mode;
}

void PictureBox::CreateWindowNow() {
  Control::CreateWindowNow();
  if (!hwnd_) return;
  canvas::SetBackground(hwnd_, backColor_);
  canvas::Clear(hwnd_, backColor_);
  if (autoRedraw_) canvas::SetPersistent(hwnd_, true);
}

void PictureBox::Move(int left, int top, int width, int height) { Control::Move(left, top, width, height); }

HDC PictureBox::DrawingDC() {
  if (!hwnd_) return 0;
  return autoRedraw_ ? canvas::PersistentDC(hwnd_) : canvas::WindowDC(hwnd_);
}

void PictureBox::DoneDrawing(HDC hdc) {
  canvas::Release(hwnd_, hdc);
  if (autoRedraw_) Invalidate();  // the screen shows the bitmap at the next paint
  else if (form_ && form_->hWnd()) Control::Invalidate();
}

void PictureBox::Cls() {
  if (hwnd_) canvas::Clear(hwnd_, backColor_);
  currentX_ = scaleLeft_;
  currentY_ = scaleTop_;
  Control::Invalidate();
}

void PictureBox::Refresh() {
  if (!hwnd_) return;
  ValidateRect(hwnd_, nullptr);
  Paint();
  if (form_ && form_->hWnd()) InvalidateRect(form_->hWnd(), nullptr, true);
}

void PictureBox::Paint() {
  if (!hwnd_) return;
  if (autoRedraw_) {
    canvas::ShowPersistent(hwnd_);
    marks_.clear();  // the kept picture has none of them
  } else {
    PaintEvent.Fire(*this, "Paint");
  }
  // The lines and shapes inside are drawn over the picture, those of the last
  // paint first wiped out.
  HDC hdc = canvas::WindowDC(hwnd_);
  if (!hdc) return;
  auto draw = [hdc](const Mark& m, COLORREF color) {
    if (m.line) canvas::Line(hdc, m.x1, m.y1, m.x2, m.y2, color, m.width, vbCopyPen);
    else if (m.ellipse) canvas::Ellipse(hdc, m.x1, m.y1, m.x2, m.y2, color, 1, vbCopyPen);
    else canvas::Box(hdc, m.x1, m.y1, m.x2, m.y2, color, false, 0, vbCopyPen);
  };
  for (const Mark& m : marks_) draw(m, backColor_);
  marks_.clear();
  if (form_) {
    for (Control* c : form_->Controls()) {
      if (c->Container() != this || !c->Visible()) continue;
      Mark m;
      COLORREF color = 0;
      if (auto* line = dynamic_cast<LineControl*>(c)) {
        m = {false, true, Round(ToPixelX(line->X1())), Round(ToPixelY(line->Y1())), Round(ToPixelX(line->X2())),
             Round(ToPixelY(line->Y2())), line->BorderWidth()};
        color = line->BorderColor();
      } else if (auto* shape = dynamic_cast<ShapeControl*>(c)) {
        m = {shape->Shape() >= 2, false, Round(ToPixelX(static_cast<float>(shape->Left()))),
             Round(ToPixelY(static_cast<float>(shape->Top()))),
             Round(ToPixelX(static_cast<float>(shape->Left() + shape->Width()))),
             Round(ToPixelY(static_cast<float>(shape->Top() + shape->Height()))), 1};
        color = shape->BorderColor();
      } else {
        continue;
      }
      draw(m, color);
      marks_.push_back(m);
    }
  }
  canvas::Release(hwnd_, hdc);
}

void PictureBox::Print(const std::string& text, bool newLine) {
  HDC hdc = DrawingDC();
  canvas::Text(hdc, Round(ToPixelX(currentX_)), Round(ToPixelY(currentY_)), text, foreColor_, fontSize_);
  if (hdc) DoneDrawing(hdc);
  if (newLine) {
    currentY_ += TextHeight(text);
    currentX_ = scaleLeft_;
  } else {
    currentX_ += TextWidth(text);
  }
}

float PictureBox::TextWidth(const std::string& text) const {
  int w = 0, h = 0;
  canvas::TextSize(text, fontSize_, &w, &h);
  return static_cast<float>(w * static_cast<double>(ScaleWidth()) / (PixelWidth() ? PixelWidth() : 1));
}

float PictureBox::TextHeight(const std::string& text) const {
  int w = 0, h = 0;
  canvas::TextSize(text.empty() ? std::string("X") : text, fontSize_, &w, &h);
  return static_cast<float>(h * static_cast<double>(ScaleHeight()) / (PixelHeight() ? PixelHeight() : 1));
}

void PictureBox::Line(float x1, float y1, float x2, float y2, COLORREF color, bool box, bool filled) {
  COLORREF c = color == kDefaultColor ? foreColor_ : color;
  HDC hdc = DrawingDC();
  int px1 = Round(ToPixelX(x1)), py1 = Round(ToPixelY(y1)), px2 = Round(ToPixelX(x2)), py2 = Round(ToPixelY(y2));
  if (box) {
    canvas::Box(hdc, std::min(px1, px2), std::min(py1, py2), std::max(px1, px2), std::max(py1, py2), c,
                filled || fillStyle_ == 0, filled ? c : fillColor_, Rop(drawMode_));
  } else {
    canvas::Line(hdc, px1, py1, px2, py2, c, drawWidth_, Rop(drawMode_));
  }
  if (hdc) DoneDrawing(hdc);
  currentX_ = x2;
  currentY_ = y2;
}

void PictureBox::Circle(float x, float y, float radius, COLORREF color) {
  COLORREF c = color == kDefaultColor ? foreColor_ : color;
  HDC hdc = DrawingDC();
  // The radius is in horizontal units; the circle is round on the screen.
  float rx = std::fabs(ToPixelX(x + radius) - ToPixelX(x));
  float ry = rx;
  int cx = Round(ToPixelX(x)), cy = Round(ToPixelY(y));
  canvas::Ellipse(hdc, cx - Round(rx), cy - Round(ry), cx + Round(rx) + 1, cy + Round(ry) + 1, c, drawWidth_,
                  Rop(drawMode_));
  if (hdc) DoneDrawing(hdc);
  currentX_ = x;
  currentY_ = y;
}

void PictureBox::PSet(float x, float y, COLORREF color) {
  HDC hdc = DrawingDC();
  canvas::Pixel(hdc, Round(ToPixelX(x)), Round(ToPixelY(y)), color == kDefaultColor ? foreColor_ : color);
  if (hdc) DoneDrawing(hdc);
  currentX_ = x;
  currentY_ = y;
}

std::int32_t PictureBox::Point(float x, float y) const {
  int px = Round(ToPixelX(x)), py = Round(ToPixelY(y));
  if (px < 0 || py < 0 || px >= PixelWidth() || py >= PixelHeight() || !hwnd_) return -1;
  HDC hdc = autoRedraw_ ? canvas::PersistentDC(hwnd_) : canvas::WindowDC(hwnd_);
  COLORREF c = canvas::GetPixel(hdc, px, py);
  canvas::Release(hwnd_, hdc);
  return c == canvas::kInvalid ? -1 : static_cast<std::int32_t>(c);
}

HDC PictureBox::hDC() {
  if (lentDC_) return lentDC_;
  lentDC_ = DrawingDC();
  if (lentDC_ && transparent_) canvas::MakeHollow(lentDC_);
  return lentDC_;
}

void PictureBox::SetAlign(int align) {
  if (align < 0 || align > 2) RaiseInvalidValue();
  align_ = align;
  Realign();
}

void PictureBox::Realign() {
  if (align_ == 0 || !container_ || container_ == this) return;
  int width = container_->Width();
  int top = align_ == 1 ? 0 : container_->Height() - height_;
  Control::Move(0, top < 0 ? 0 : top, width, height_);
}

void PictureBox::ReleasehDC() {
  if (!lentDC_) return;
  HDC hdc = lentDC_;
  lentDC_ = 0;
  DoneDrawing(hdc);
}

void PictureBox::OperatorMouse(int what, int button, int shift, float xPixels, float yPixels) {
  if (!AcceptsInput()) return;
  float x = FromPixelX(xPixels), y = FromPixelY(yPixels);
  switch (what) {
    case kMouseDown:
      SetFocus();
      MouseDown.Fire(*this, "MouseDown", button, shift, x, y);
      break;
    case kMouseMove:
      MouseMove.Fire(*this, "MouseMove", button, shift, x, y);
      break;
    default:
      MouseUp.Fire(*this, "MouseUp", button, shift, x, y);
      if (button == vbLeftButton && AcceptsInput()) Click.Fire(*this, "Click");
      break;
  }
}

void PictureBox::CopyDesign(const Control& from) {
  Control::CopyDesign(from);
  if (auto* p = dynamic_cast<const PictureBox*>(&from)) {
    scaleMode_ = p->scaleMode_;
    scaleLeft_ = p->scaleLeft_;
    scaleTop_ = p->scaleTop_;
    userWidth_ = p->userWidth_;
    userHeight_ = p->userHeight_;
    autoRedraw_ = p->autoRedraw_;
    drawMode_ = p->drawMode_;
    transparent_ = p->transparent_;
  }
}

// ---- LineControl ------------------------------------------------------------
LineControl::LineControl(Form* form, std::string name, int index, Control* container)
    : Control(form, ControlKind::Line, std::move(name), index, container) {}

void LineControl::Changed() {
  if (container_ && container_ != this) container_->Invalidate();
}

void LineControl::SetVisible(bool visible) {
  visible_ = visible;
  Changed();
}

void LineControl::CopyDesign(const Control& from) {
  Control::CopyDesign(from);
  if (auto* l = dynamic_cast<const LineControl*>(&from)) {
    x1_ = l->x1_;
    y1_ = l->y1_;
    x2_ = l->x2_;
    y2_ = l->y2_;
    borderColor_ = l->borderColor_;
    borderWidth_ = l->borderWidth_;
  }
}

float LineControl::DistanceTo(float x, float y) const {
  double dx = x2_ - x1_, dy = y2_ - y1_;
  double len2 = dx * dx + dy * dy;
  double t = len2 == 0 ? 0 : ((x - x1_) * dx + (y - y1_) * dy) / len2;
  t = t < 0 ? 0 : t > 1 ? 1 : t;
  double px = x1_ + t * dx - x, py = y1_ + t * dy - y;
  return static_cast<float>(std::sqrt(px * px + py * py));
}

// ---- ShapeControl -----------------------------------------------------------
ShapeControl::ShapeControl(Form* form, std::string name, int index, Control* container)
    : Control(form, ControlKind::Shape, std::move(name), index, container) {}

void ShapeControl::Changed() {
  if (container_ && container_ != this) container_->Invalidate();
}

void ShapeControl::Move(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width < 0 ? 0 : width;
  height_ = height < 0 ? 0 : height;
  Changed();
}

void ShapeControl::SetVisible(bool visible) {
  visible_ = visible;
  Changed();
}

void ShapeControl::CopyDesign(const Control& from) {
  Control::CopyDesign(from);
  if (auto* s = dynamic_cast<const ShapeControl*>(&from)) {
    shape_ = s->shape_;
    borderColor_ = s->borderColor_;
  }
}

// ---- HostSlot ---------------------------------------------------------------
HostSlot::HostSlot(Form* form, std::string name, int index, Control* container, std::string progId)
    : Control(form, ControlKind::Slot, std::move(name), index, container), progId_(std::move(progId)) {}

void HostSlot::SetVisible(bool visible) {
  Control::SetVisible(visible);
  if (placementHook_) placementHook_(*this);
}

void HostSlot::Move(int left, int top, int width, int height) {
  Control::Move(left, top, width, height);
  if (placementHook_) placementHook_(*this);
}

}  // namespace winplat::controls
