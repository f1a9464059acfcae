#pragma once
// Picture boxes (scale modes, the persistent bitmap, text and figures drawn
// from code, mouse events in the scale's units, a drawing-surface handle for
// the device library) and the line and shape controls that sit in them.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "winplat/controls/control.h"

namespace winplat {
class SpreadGrid;
}

namespace winplat::controls {

// Scale modes
constexpr int vbUser = 0;
constexpr int vbTwips = 1;
constexpr int vbPoints = 2;
constexpr int vbPixels = 3;
constexpr int vbMillimeters = 6;
// Draw modes (binary raster operations)
constexpr int vbCopyPen = 13;
constexpr int vbInvert = 6;
constexpr int vbXorPen = 7;
constexpr int vbNotXorPen = 10;

class PictureBox : public Control {
 public:
  PictureBox(Form* form, std::string name, int index, Control* container);

  int ScaleMode() const { return scaleMode_; }
  void SetScaleMode(int mode);  // error 380 for a mode not listed above
  float ScaleWidth() const;
  float ScaleHeight() const;
  float ScaleLeft() const { return scaleLeft_; }
  float ScaleTop() const { return scaleTop_; }
  void SetScaleWidth(float w);   // makes the scale a user scale
  void SetScaleHeight(float h);
  void SetScale(float x1, float y1, float x2, float y2);
  // Scale units to client pixels and back.
  float ToPixelX(float x) const;
  float ToPixelY(float y) const;
  float FromPixelX(float px) const;
  float FromPixelY(float py) const;

  bool AutoRedraw() const { return autoRedraw_; }
  void SetAutoRedraw(bool on);
  int DrawMode() const { return drawMode_; }
  void SetDrawMode(int mode);  // 1..16
  int DrawWidth() const { return drawWidth_; }
  void SetDrawWidth(int w) { drawWidth_ = w < 1 ? 1 : w; }
  int FillStyle() const { return fillStyle_; }  // 0 solid, 1 transparent
  void SetFillStyle(int style) { fillStyle_ = style; }
  COLORREF FillColor() const { return fillColor_; }
  void SetFillColor(COLORREF c) { fillColor_ = c; }
  float CurrentX() const { return currentX_; }
  float CurrentY() const { return currentY_; }
  void SetCurrentX(float x) { currentX_ = x; }
  void SetCurrentY(float y) { currentY_ = y; }
  // A picture box used by the view control starts with a hollow brush and a
  // transparent background.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool on) { transparent_ = on; }
  // Alignment in the container: 0 none, 1 top, 2 bottom (full width of the container).
  int Align() const { return align_; }
  void SetAlign(int align);  // error 380 for another value
  void Realign();

  // Drawing (on the persistent bitmap with AutoRedraw, else on the screen).
  void Cls();
  void Refresh();
  // Text at CurrentX/CurrentY; CurrentY moves to the next line, CurrentX back
  // to the left edge (with `newLine`), or CurrentX moves past the text.
  void Print(const std::string& text, bool newLine = true);
  float TextWidth(const std::string& text) const;
  float TextHeight(const std::string& text) const;
  // Line from (x1, y1) to (x2, y2) in the scale's units; box: a rectangle,
  // filled: a filled rectangle. CurrentX/Y move to (x2, y2). A colour of
  // CLR_DEFAULT takes ForeColor.
  void Line(float x1, float y1, float x2, float y2, COLORREF color = kDefaultColor, bool box = false,
            bool filled = false);
  void Circle(float x, float y, float radius, COLORREF color = kDefaultColor);
  void PSet(float x, float y, COLORREF color = kDefaultColor);
  // The colour at a point, -1 outside the picture.
  std::int32_t Point(float x, float y) const;
  // A handle to draw into (the persistent bitmap with AutoRedraw, else the
  // screen); a transparent box hands it out with a hollow brush and a
  // transparent background. Kept until ReleasehDC.
  HDC hDC();
  void ReleasehDC();
  void Paint() override;
  Event<> PaintEvent;
  static constexpr COLORREF kDefaultColor = 0xFFFFFFFFu;

  // Operator mouse input in client pixels; events carry the scale's units.
  void OperatorMouse(int what, int button, int shift, float xPixels, float yPixels);
  void CreateWindowNow() override;
  void Move(int left, int top, int width, int height) override;
  void CopyDesign(const Control& from) override;

  // Client size in pixels (kept whether or not the box is visible).
  int PixelWidth() const;
  int PixelHeight() const;

 protected:
  bool TakesFocus() const override { return true; }
  void ClickReaction() override { Click.Fire(*this, "Click"); }

 private:
  HDC DrawingDC();
  void DoneDrawing(HDC hdc);
  int scaleMode_ = vbTwips;
  float scaleLeft_ = 0, scaleTop_ = 0, userWidth_ = 0, userHeight_ = 0;
  bool autoRedraw_ = false;
  int drawMode_ = vbCopyPen;
  // The lines and shapes inside as the last paint drew them: the next paint
  // draws them over in the background colour first, so that one moved, hidden
  // or gone leaves nothing behind (what else is drawn there stays).
  struct Mark {
    bool ellipse = false, line = false;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0, width = 1;
  };
  std::vector<Mark> marks_;
  int drawWidth_ = 1;
  int fillStyle_ = 1;
  COLORREF fillColor_ = 0;
  float currentX_ = 0, currentY_ = 0;
  bool transparent_ = false;
  int align_ = 0;
  HDC lentDC_ = 0;
};

// Mouse input kinds for OperatorMouse.
constexpr int kMouseDown = 0;
constexpr int kMouseMove = 1;
constexpr int kMouseUp = 2;

// A line inside a picture box (or a form), in its container's scale units.
class LineControl : public Control {
 public:
  LineControl(Form* form, std::string name, int index, Control* container);
  float X1() const { return x1_; }
  float Y1() const { return y1_; }
  float X2() const { return x2_; }
  float Y2() const { return y2_; }
  void SetX1(float v) { x1_ = v; Changed(); }
  void SetY1(float v) { y1_ = v; Changed(); }
  void SetX2(float v) { x2_ = v; Changed(); }
  void SetY2(float v) { y2_ = v; Changed(); }
  COLORREF BorderColor() const { return borderColor_; }
  void SetBorderColor(COLORREF c) { borderColor_ = c; Changed(); }
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int w) { borderWidth_ = w; Changed(); }
  void SetVisible(bool visible) override;
  void CopyDesign(const Control& from) override;
  // Distance in the container's units from a point to the line.
  float DistanceTo(float x, float y) const;

 protected:
  bool Windowless() const override { return true; }
  void ClickReaction() override {}

 private:
  void Changed();
  float x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
  COLORREF borderColor_ = 0;
  int borderWidth_ = 1;
};

// A rectangle or oval shape inside a picture box, placed with Left/Top/Width/Height
// in its container's scale units.
class ShapeControl : public Control {
 public:
  ShapeControl(Form* form, std::string name, int index, Control* container);
  int Shape() const { return shape_; }  // 0 rectangle, 2 oval, 3 circle
  void SetShape(int shape) { shape_ = shape; Changed(); }
  COLORREF BorderColor() const { return borderColor_; }
  void SetBorderColor(COLORREF c) { borderColor_ = c; Changed(); }
  void Move(int left, int top, int width, int height) override;
  void SetVisible(bool visible) override;
  void CopyDesign(const Control& from) override;

 protected:
  bool Windowless() const override { return true; }
  void ClickReaction() override {}

 private:
  void Changed();
  int shape_ = 0;
  COLORREF borderColor_ = 0;
};

// The container's focus method of a grid, as a dispatch identifier.
constexpr std::int32_t kDispIdContainerSetFocus = static_cast<std::int32_t>(0x80011000u);

// A place on a form for an outside component (a grid, a text scanner, the
// drawing view control): its name, window and the component once created.
class HostSlot : public Control {
 public:
  HostSlot(Form* form, std::string name, int index, Control* container, std::string progId);
  const std::string& ProgId() const { return progId_; }
  void* Object() const { return object_; }
  void SetObject(void* object) { object_ = object; }
  // Focus through the container (dispatch identifier &H80011000 on grids):
  // harmless when it cannot take the focus.
  bool Focusable() const { return focusable_; }
  void SetFocusable(bool on) { focusable_ = on; }
  // The component hears of its slot's visibility and place (twips).
  void SetVisible(bool visible) override;
  void Move(int left, int top, int width, int height) override;
  void SetPlacementHook(std::function<void(const HostSlot&)> hook) { placementHook_ = std::move(hook); }
  // Draws the component's look into the form's picture (area in form pixels);
  // without it the slot shows its name and ProgID.
  using Painter = std::function<void(HDC hdc, const RECT& area)>;
  void SetPainter(Painter painter) { painter_ = std::move(painter); }
  const Painter& GetPainter() const { return painter_; }
  // The grid the painter draws, when the component is one: the pointer finds
  // its cells and scroll bars with the grid's geometry.
  SpreadGrid* ShownGrid() const { return shownGrid_; }
  void SetShownGrid(SpreadGrid* grid) { shownGrid_ = grid; }

 protected:
  bool TakesFocus() const override { return focusable_; }
  void ClickReaction() override { Click.Fire(*this, "Click"); }

 private:
  std::string progId_;
  void* object_ = nullptr;
  bool focusable_ = false;
  std::function<void(const HostSlot&)> placementHook_;
  Painter painter_;
  SpreadGrid* shownGrid_ = nullptr;
};

}  // namespace winplat::controls
