// The rendering pass Zoom: fits a view to the surface (picKelvane, the
// printer or a metafile context), sets the view transform, and draws the
// display list in order with the drawing primitives.
#include <algorithm>
#include <cmath>

#include "../reader/dxf_reader.h"
#include "../reader/dxfengine.h"
#include "gdiprims.h"
#include "render_geometry.h"
#include "winplat/gdi.h"
#include "winplat/metafile.h"
#include "winplat/printer.h"
#include "winplat/screen.h"
#include "winplat/surface.h"
#include "winplat/window.h"

namespace kelvane {

using winplat::HDC;

namespace {

constexpr double kFarPixel = 1e9;  // anchors beyond this are never on any surface

std::int32_t Round(double v) { return static_cast<std::int32_t>(std::nearbyint(v)); }

// Measures a text in pixels with a font whose em height is `pixelSize`; very
// large sizes are measured smaller and scaled.
bool MeasureText(const std::string& text, const std::string& face, std::int32_t pixelSize, std::int32_t& width,
                 std::int32_t& height) {
  const std::int32_t probe = std::min<std::int32_t>(pixelSize, 1000);
  const double factor = probe > 0 ? static_cast<double>(pixelSize) / probe : 0.0;
  HDC dc = winplat::CreateCompatibleDC(0);
  if (!dc) return false;
  winplat::HFONT font = winplat::CreateFont(-probe, 0, 0, 0, winplat::FW_LIGHT, 0, 0, 0, winplat::ANSI_CHARSET, 6, 0, 2,
                                            winplat::FF_SWISS | winplat::DEFAULT_PITCH, face.c_str());
  bool ok = false;
  if (font) {
    winplat::HGDIOBJ old = winplat::SelectObject(dc, font);
    winplat::SIZE size;
    ok = old != 0 && winplat::GetTextExtentPoint32(dc, text.data(), static_cast<int>(text.size()), &size);
    if (ok) {
      width = winplat::CLng(size.cx * factor);
      height = winplat::CLng(size.cy * factor);
    }
    if (old) winplat::SelectObject(dc, old);
    winplat::DeleteObject(font);
  }
  winplat::DeleteDC(dc);
  return ok;
}

std::int32_t PixelSize(float height, float widthFactor, float scale) {
  return ScaleToLong(height, widthFactor, scale);
}

}  // namespace

void DXF::RefreshPicture() {
  if (picKelvane.hWnd && picKelvane.AutoRedraw) winplat::ShowWindowPersistentBitmap(picKelvane.hWnd);
}

void DXF::PreparePicture() {
  picKelvane.ScaleMode = 3;
  if (!picKelvane.AutoRedraw) {
    picKelvane.AutoRedraw = true;
    if (picKelvane.hWnd) winplat::SetWindowPersistentBitmap(picKelvane.hWnd, true);
    RefreshPictureDC();
  }
}

bool DXF::HandleHide(std::string& strError) {
  try {
    for (auto& grip : picHandle) {
      grip.Visible = false;
      if (grip.hWnd) winplat::ShowWindow(grip.hWnd, winplat::SW_HIDE);
    }
    strError.clear();
    return true;
  } catch (const std::exception& e) {
    strError = std::string("An error occured in HandleHide. The message is: ") + e.what();
    return false;
  }
}

bool DXF::GetStringDimensions(std::string& strError, std::int32_t row, std::int32_t& width, std::int32_t& height) {
  try {
    const TextRecord& text = db.TextTable(row);
    std::int32_t size = PixelSize(text.Height, text.WidthFactor, gsScaler);
    if (!MeasureText(text.Text.Trimmed(), text.FontName.Trimmed(), size, width, height))
      throw winplat::RuntimeError(5);
    strError.clear();
    return true;
  } catch (const winplat::AutomationError& e) {
    strError = "An error ocurred in GetStringDimensions. The message is: " + e.Description();
  } catch (const std::exception& e) {
    strError = std::string("An error ocurred in GetStringDimensions. The message is: ") + e.what();
  }
  return false;
}

std::int32_t DXF::EntityDrawColor(std::int32_t layer, std::int32_t color, bool printing) {
  return WithErrorTrail("EntityDrawColor", [&] {
    std::int32_t c = 0;
    if (DisplayAllBlack || (printing && PrintAllBlack)) {
      c = 0;
    } else if (color != 0) {
      c = color;
    } else {
      try {
        c = db.Layers().Item(winplat::Variant(layer))->LayerColor;
      } catch (const winplat::AutomationError&) {
        c = 0;  // no such layer
      }
    }
    if (!printing) {
      // The background as painted: a system colour is first turned into its RGB value.
      const std::int32_t back = static_cast<std::int32_t>(picKelvane.PaintBackColor() & 0xFFFFFF);
      if (c == 0 && back == 0) c = 0xFFFFFF;
      if (c == 0xFFFFFF && back == 0xFFFFFF) c = 0;
    }
    return c;
  });
}

namespace {

// What one pass draws with.
struct PassContext {
  PassSurface surface;
  winplat::HRGN clip = 0;
  double xMin = 0, yMin = 0, scale = 0;
  bool printing = false;
  double X(double x) const { return (x - xMin) * scale; }
  double Y(double y) const { return surface.height - (y - yMin) * scale; }
  bool Visible(const PixelBox& box) const {
    winplat::RECT r = MakeTestRect(box);
    return winplat::RectInRegion(clip, &r);
  }
  float Pen(double width) const {
    if (!(width > 0)) return 0;
    return static_cast<float>(std::min<double>(width, surface.MaxPen()));
  }
};

// Deletes the pass's region and, for a printing pass that did not finish,
// throws its document away.
struct PassResources {
  winplat::HRGN clip = 0;
  bool printDocument = false;
  ~PassResources() {
    if (clip) winplat::DeleteObject(clip);
    if (printDocument) {
      try {
        winplat::Printer().KillDoc();
      } catch (...) {
      }
    }
  }
};

void DrawText(const PassContext& p, const std::string& text, float x, float y, std::int32_t size, float rotation,
              std::int32_t horzAlign, std::int32_t color, const std::string& face) {
  if (size < 2 || text.empty()) return;
  const double px = p.X(x), py = p.Y(y);
  std::int32_t w = 0, h = 0;
  if (!MeasureText(text, face, size, w, h)) return;
  if (!p.Visible(TextBox(px, py, w, h, horzAlign, rotation))) return;
  if (std::fabs(px) > kFarPixel || std::fabs(py) > kFarPixel) return;
  GdiText(p.surface.dc, text, Round(px), Round(py), size, rotation, horzAlign, color, face);
}

void DrawEntry(DXF& d, const PassContext& p, const EntityRef& entry) {
  EntityDB& db = d.db;
  const std::int32_t row = entry.Row;
  const HDC dc = p.surface.dc;
  DXFLayers* layers = db.colLayers.Get();
  switch (entry.EntityType) {
    case etLine: {
      const LineRecord& r = db.LineTable(row);
      if (!LayerIsOn(layers, r.Layer) || r.Deleted) return;
      double x1 = p.X(r.X1), y1 = p.Y(r.Y1), x2 = p.X(r.X2), y2 = p.Y(r.Y2);
      if (!p.Visible({x1, y1, x2, y2})) return;
      std::int32_t width = r.LineStyle != 0 ? 0 : winplat::CLng(p.Pen(r.Width));
      std::int32_t color = d.EntityDrawColor(r.Layer, r.Color, p.printing);
      if (!ClipLine(p.surface, x1, y1, x2, y2)) return;
      GdiLine(dc, Round(x1), Round(y1), Round(x2), Round(y2), width, color, r.LineStyle);
      return;
    }
    case etPolyline: {
      const PolylineSegmentRecord& r = db.PolylineTable(row);
      if (!LayerIsOn(layers, r.Layer)) return;
      if (r.Bulge != 0) {
        d.BulgeDraw(row, dc, p.printing);
        return;
      }
      double x1 = p.X(r.X1), y1 = p.Y(r.Y1), x2 = p.X(r.X2), y2 = p.Y(r.Y2);
      if (!p.Visible({x1, y1, x2, y2})) return;
      std::int32_t width = std::max<std::int32_t>(1, winplat::CInt(p.Pen(static_cast<double>(r.Width) * p.scale)));
      std::int32_t color = d.EntityDrawColor(r.Layer, r.Color, p.printing);
      if (!ClipLine(p.surface, x1, y1, x2, y2)) return;
      GdiLine(dc, Round(x1), Round(y1), Round(x2), Round(y2), width, color, 0);
      return;
    }
    case etText: {
      const TextRecord& r = db.TextTable(row);
      if (!LayerIsOn(layers, r.Layer) || r.Deleted) return;
      std::int32_t size = PixelSize(r.Height, r.WidthFactor, d.gsScaler);
      if (size < 2) return;
      DrawText(p, r.Text.Trimmed(), r.X, r.Y, size, r.Rotation, r.HorzAlign,
               d.EntityDrawColor(r.Layer, r.Color, p.printing), r.FontName.Trimmed());
      return;
    }
    case etCircle: {
      const CircleRecord& r = db.CircleTable(row);
      if (!LayerIsOn(layers, r.Layer) || r.Deleted) return;
      const double cx = p.X(r.X), cy = p.Y(r.Y), radius = std::fabs(static_cast<double>(r.Radius)) * p.scale;
      if (!p.Visible({cx - radius, cy - radius, cx + radius, cy + radius})) return;
      std::int32_t color = d.EntityDrawColor(r.Layer, r.Color, p.printing);
      if (r.StartAngle == r.EndAngle) {
        DrawEllipse(p.surface, cx, cy, radius, radius, color, r.LineStyle, p.Pen(r.Width));
        return;
      }
      double sweep = std::fmod(static_cast<double>(r.EndAngle) - r.StartAngle, 360.0);
      if (sweep <= 0) sweep += 360.0;
      const double start = 2.0 * r.StartAngle * DrawingPi / 360.0;
      DrawArc(p.surface, cx, cy, radius, radius, start, 2.0 * sweep * DrawingPi / 360.0, color, r.LineStyle,
              p.Pen(r.Width));
      return;
    }
    case etSolid: {
      const SolidRecord& r = db.SolidTable(row);
      if (!LayerIsOn(layers, r.Layer) || r.Deleted) return;
      auto px = [&](float x) { return Round(std::clamp(p.X(x), -1073741824.0, 1073741824.0)); };
      auto py = [&](float y) { return Round(std::clamp(p.Y(y), -1073741824.0, 1073741824.0)); };
      GdiSolid(dc, px(r.X1), py(r.Y1), px(r.X2), py(r.Y2), px(r.X3), py(r.Y3), px(r.X4), py(r.Y4),
               d.EntityDrawColor(r.Layer, r.Color, p.printing));
      return;
    }
    case etPoint: {
      const PointRecord& r = db.PointTable(row);
      if (!LayerIsOn(layers, r.Layer)) return;
      const double x = p.X(r.X), y = p.Y(r.Y);
      if (std::fabs(x) > kFarPixel || std::fabs(y) > kFarPixel) return;
      GdiPoint(dc, Round(x), Round(y), d.EntityDrawColor(r.Layer, r.Color, p.printing));
      return;
    }
    case etAttrib: {
      const AttribRecord& r = db.AttribTable(row);
      if (!LayerIsOn(layers, r.Layer) || d.AttribDisplayMode == 0) return;
      std::int32_t size = PixelSize(r.Height, r.WidthFactor, d.gsScaler);
      if (size < 2) return;
      DrawText(p, r.TagValue.Trimmed(), r.X, r.Y, size, r.Rotation, r.HorzAlign,
               d.EntityDrawColor(r.Layer, r.Color, p.printing), r.FontName.Trimmed());
      return;
    }
    case etEllipse: {
      const EllipseRecord& r = db.EllipseTable(row);
      if (!LayerIsOn(layers, r.Layer)) return;
      double bw = 0, bh = 0;
      if (r.MajorX == 0) {
        bh = 2.0 * std::fabs(static_cast<double>(r.MajorY));
        bw = bh * r.Ratio;
      } else {
        bw = 2.0 * std::fabs(static_cast<double>(r.MajorX));
        bh = bw * r.Ratio;
      }
      const double cx = p.X(r.CenterX), cy = p.Y(r.CenterY);
      const double a = std::fabs(bw / 2 * p.scale), b = std::fabs(bh / 2 * p.scale);
      if (!p.Visible({cx - a, cy - b, cx + a, cy + b})) return;
      DrawEllipse(p.surface, cx, cy, a, b, d.EntityDrawColor(r.Layer, r.Color, p.printing), r.LineStyle, 1.0f);
      return;
    }
    default:
      return;  // type 8 and unknown types
  }
}

}  // namespace

bool DXF::Zoom(ViewRect view, PictureBox& target, HDC metafileDC, bool printing, const bool* NewEntitiesOnly) {
  if (db.EntityCount == 0 || ReadIsRunning(*this)) {
    winplat::SetMousePointer(winplat::vbDefault);
    return false;
  }
  std::string ignored;
  HandleHide(ignored);
  winplat::SetMousePointer(winplat::vbHourglass);
  PassResources owned;
  return WithErrorTrail("Zoom", [&]() -> bool {
      PassContext p;
      p.printing = printing;
      // The surface, always measured in pixels.
      int w = 0, h = 0;
      if (metafileDC) {
        p.surface.dc = metafileDC;
        if (!target.hWnd || !winplat::GetWindowSurfaceSize(target.hWnd, &w, &h)) {
          winplat::SIZE size;
          if (winplat::GetDCSize(metafileDC, &size)) {
            w = size.cx;
            h = size.cy;
          }
        }
      } else if (printing) {
        winplat::PrinterObject& printer = winplat::Printer();
        printer.SetScaleMode(3);
        owned.printDocument = true;
        printer.Print("");
        p.surface.dc = printer.hDC();
        w = static_cast<int>(printer.ScaleWidth());
        h = static_cast<int>(printer.ScaleHeight());
        // The page shows 5 % more on every side.
        const float left = std::min(view.Left, view.Right), right = std::max(view.Left, view.Right);
        const float bottom = std::min(view.Bottom, view.Top), top = std::max(view.Bottom, view.Top);
        const float dx = (right - left) * 0.05f, dy = (top - bottom) * 0.05f;
        view = ViewRect{left - dx, top + dy, right + dx, bottom - dy};
      } else {
        p.surface.dc = target.hDC;
        if (target.hWnd) winplat::GetWindowSurfaceSize(target.hWnd, &w, &h);
        // Sprites still on the picture are taken off where they stand.
        if (&target == &picKelvane) EraseDrawnSprites();
      }
      if (!p.surface.dc || w <= 0 || h <= 0) {
        winplat::SetMousePointer(winplat::vbDefault);
        return false;
      }
      ViewWidth = w;
      ViewHeight = h;
      p.surface.width = w;
      p.surface.height = h;

      // The fit.
      double vw = std::fabs(static_cast<double>(view.Right) - view.Left);
      double vh = std::fabs(static_cast<double>(view.Top) - view.Bottom);
      if (vw == 0) {
        winplat::SetMousePointer(winplat::vbDefault);
        return false;
      }
      if (vh == 0) vh = vw;
      const double aspect = vw / vh, surfaceAspect = static_cast<double>(w) / h;
      if (surfaceAspect < aspect) {
        view.Top = static_cast<float>(view.Bottom + vw / surfaceAspect);
      } else {
        view.Right = static_cast<float>(view.Left + surfaceAspect * vh);
        vw = surfaceAspect * vh;
      }
      if (!printing && !metafileDC) CurrentView = view;

      const float scale = static_cast<float>(w / vw);
      if (!(scale >= 0.000001f && scale <= 1000000.0f)) {
        if (target.hDC) {
          static const std::string message = "Zoom out of range";
          winplat::SIZE size;
          int tw = 0;
          if (winplat::GetTextExtentPoint32(target.hDC, message.data(), static_cast<int>(message.size()), &size))
            tw = size.cx;
          int sw = 0, sh = 0;
          if (target.hWnd) winplat::GetWindowSurfaceSize(target.hWnd, &sw, &sh);
          winplat::TextOut(target.hDC, (sw - tw) / 2, sh / 2, message.data(), static_cast<int>(message.size()));
        }
        winplat::SetMousePointer(winplat::vbDefault);
        return false;
      }
      SetViewTransform(h, view.Left, view.Bottom, scale);
      p.xMin = DXFXMin;
      p.yMin = DXFYMin;
      p.scale = gsScaler;
      owned.clip = winplat::CreateRectRgn(0, 0, w, h);
      p.clip = owned.clip;

      const std::int32_t count = db.EntityCount;
      std::int32_t first = 1;
      if (NewEntitiesOnly && *NewEntitiesOnly) first = std::max(1, count - 4);
      const double step = 50000.0 / count;
      double threshold = step;
      for (std::int32_t i = first; i <= count; ++i) {
        if (100.0 * i / count > threshold) {
          threshold += step;
          RefreshPicture();
        }
        try {
          DrawEntry(*this, p, db.EntityIndex(i));
        } catch (const winplat::NumericError&) {
          // An overflow in this entry's arithmetic: the entry is skipped.
        } catch (const winplat::AutomationError& e) {
          if (e.Number() != 9) throw;
          // An entry or row outside its table ends the pass quietly.
          winplat::SetMousePointer(winplat::vbDefault);
          return false;
        }
      }

      if (DXFComplete) {
        if (printing) {
          owned.printDocument = false;
          winplat::Printer().EndDoc();
          DXFRefresh();
        }
        if (metafileDC) {
          // An old-style metafile ends with the pass; the control keeps it for its writer.
          if (winplat::GetObjectType(metafileDC) == winplat::OBJ_METADC)
            ClosedMetafile = winplat::CloseMetaFile(metafileDC);
          DXFRefresh();
        }
      }
      if (!printing && !metafileDC && &target == &picKelvane) DrawVisibleSprites();
      RaiseZoomComplete();
      winplat::SetMousePointer(winplat::vbDefault);
      return true;
  }, DrawingCleanup());
}

}  // namespace kelvane
