// Object table: pens, brushes, fonts, bitmaps and regions by handle; stock objects.
#include <cstdio>
#include <cstring>

#include "gdi_internal.h"

namespace winplat {
namespace gdi {

namespace {

ObjectPtr MakePen(int style, int width, COLORREF color) {
  auto o = std::make_shared<GdiObject>();
  o->kind = Kind::Pen;
  o->penStyle = style;
  o->penWidth = width < 0 ? 0 : width;
  o->color = color & 0xFFFFFF;
  return o;
}

ObjectPtr MakeBrush(unsigned style, COLORREF color) {
  auto o = std::make_shared<GdiObject>();
  o->kind = Kind::Brush;
  o->brushStyle = style;
  o->color = color & 0xFFFFFF;
  return o;
}

ObjectPtr MakeFont(const LOGFONT& lf) {
  auto o = std::make_shared<GdiObject>();
  o->kind = Kind::Font;
  o->font = lf;
  o->font.lfFaceName[LF_FACESIZE - 1] = 0;
  return o;
}

void AddStock(Registry& r, int index, ObjectPtr o) {
  o->stock = true;
  HGDIOBJ h = r.next++;
  r.objects[h] = std::move(o);
  r.stock[index] = h;
}

LOGFONT StockFont(const char* face, int height, int weight, unsigned pitch) {
  LOGFONT lf;
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfPitchAndFamily = static_cast<std::uint8_t>(pitch);
  std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", face);
  return lf;
}

}  // namespace

Registry& Reg() {
  static Registry* r = [] {
    auto* reg = new Registry;
    AddStock(*reg, WHITE_BRUSH, MakeBrush(BS_SOLID, 0xFFFFFF));
    AddStock(*reg, LTGRAY_BRUSH, MakeBrush(BS_SOLID, 0xC0C0C0));
    AddStock(*reg, GRAY_BRUSH, MakeBrush(BS_SOLID, 0x808080));
    AddStock(*reg, DKGRAY_BRUSH, MakeBrush(BS_SOLID, 0x404040));
    AddStock(*reg, BLACK_BRUSH, MakeBrush(BS_SOLID, 0));
    AddStock(*reg, NULL_BRUSH, MakeBrush(BS_NULL, 0));
    AddStock(*reg, WHITE_PEN, MakePen(PS_SOLID, 0, 0xFFFFFF));
    AddStock(*reg, BLACK_PEN, MakePen(PS_SOLID, 0, 0));
    AddStock(*reg, NULL_PEN, MakePen(PS_NULL, 0, 0));
    // The system font is one fixed face and size; the fixed fonts use the mono face.
    AddStock(*reg, SYSTEM_FONT, MakeFont(StockFont("System", 16, FW_BOLD, VARIABLE_PITCH | FF_SWISS)));
    AddStock(*reg, DEVICE_DEFAULT_FONT, MakeFont(StockFont("System", 16, FW_BOLD, VARIABLE_PITCH | FF_SWISS)));
    AddStock(*reg, ANSI_VAR_FONT, MakeFont(StockFont("MS Sans Serif", 13, FW_NORMAL, VARIABLE_PITCH | FF_SWISS)));
    AddStock(*reg, DEFAULT_GUI_FONT, MakeFont(StockFont("MS Sans Serif", 13, FW_NORMAL, VARIABLE_PITCH | FF_SWISS)));
    AddStock(*reg, OEM_FIXED_FONT, MakeFont(StockFont("Terminal", 12, FW_NORMAL, FIXED_PITCH | FF_MODERN)));
    AddStock(*reg, ANSI_FIXED_FONT, MakeFont(StockFont("Courier", 13, FW_NORMAL, FIXED_PITCH | FF_MODERN)));
    AddStock(*reg, SYSTEM_FIXED_FONT, MakeFont(StockFont("Fixedsys", 15, FW_NORMAL, FIXED_PITCH | FF_MODERN)));
    return reg;
  }();
  return *r;
}

Dc* FindDc(HDC hdc) {
  auto& r = Reg();
  auto it = r.dcs.find(hdc);
  return it == r.dcs.end() ? nullptr : it->second.get();
}

ObjectPtr FindObject(HGDIOBJ handle) {
  auto& r = Reg();
  auto it = r.objects.find(handle);
  return it == r.objects.end() ? nullptr : it->second;
}

HGDIOBJ AddObject(ObjectPtr object) {
  auto& r = Reg();
  HGDIOBJ h = r.next++;
  r.objects[h] = std::move(object);
  return h;
}

Dc* NewDc(std::shared_ptr<Surface> surface, HWND window) {
  auto& r = Reg();
  auto dc = std::make_unique<Dc>();
  dc->handle = r.next++;
  dc->window = window;
  DcState& st = dc->st;
  st.surface = std::move(surface);
  st.hPen = r.stock[BLACK_PEN];
  st.pen = FindObject(st.hPen);
  st.hBrush = r.stock[WHITE_BRUSH];
  st.brush = FindObject(st.hBrush);
  st.hFont = r.stock[SYSTEM_FONT];
  st.font = FindObject(st.hFont);
  Dc* raw = dc.get();
  r.dcs[raw->handle] = std::move(dc);
  return raw;
}

void DestroyDc(HDC hdc) { Reg().dcs.erase(hdc); }

void ObjectDeleted(HGDIOBJ handle) {
  for (auto& [h, dc] : Reg().dcs)
    if (dc->meta) dc->meta->Deleted(handle);
}

int StockIndex(HGDIOBJ handle) {
  auto& r = Reg();
  for (int i = 0; i < 20; ++i)
    if (r.stock[i] != 0 && r.stock[i] == handle) return i;
  return -1;
}

std::string Hex6(COLORREF color) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%06X", color & 0xFFFFFFu);
  return buf;
}

std::string Describe(const GdiObject& o) {
  char buf[96];
  switch (o.kind) {
    case Kind::Pen:
      std::snprintf(buf, sizeof buf, "pen %d %d %s", o.penStyle, o.penWidth, Hex6(o.color).c_str());
      return buf;
    case Kind::Brush:
      std::snprintf(buf, sizeof buf, "brush %u %s", o.brushStyle, Hex6(o.color).c_str());
      return buf;
    case Kind::Font:
      return "font \"" + std::string(o.font.lfFaceName) + "\" " + std::to_string(o.font.lfHeight) + " " +
             std::to_string(o.font.lfEscapement) + " " + std::to_string(o.font.lfWeight);
    case Kind::Bitmap:
      return "bitmap " + std::to_string(o.bitmap->width) + "x" + std::to_string(o.bitmap->height);
    case Kind::Region:
      return "region";
  }
  return "?";
}

}  // namespace gdi

using namespace gdi;

HPEN CreatePen(int style, int width, COLORREF color) {
  if (style < PS_SOLID || style > PS_INSIDEFRAME) return 0;
  Lock lock(Reg().mu);
  return AddObject(MakePen(style, width, color));
}

HPEN CreatePenIndirect(const LOGPEN* pen) {
  if (!pen) return 0;
  return CreatePen(static_cast<int>(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor);
}

HBRUSH CreateSolidBrush(COLORREF color) {
  Lock lock(Reg().mu);
  return AddObject(MakeBrush(BS_SOLID, color));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) {
  if (!brush || (brush->lbStyle != BS_SOLID && brush->lbStyle != BS_NULL)) return 0;
  Lock lock(Reg().mu);
  return AddObject(MakeBrush(brush->lbStyle, brush->lbColor));
}

HFONT CreateFontIndirect(const LOGFONT* font) {
  if (!font) return 0;
  Lock lock(Reg().mu);
  return AddObject(MakeFont(*font));
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, unsigned italic,
                 unsigned underline, unsigned strikeOut, unsigned charSet, unsigned outPrecision,
                 unsigned clipPrecision, unsigned quality, unsigned pitchAndFamily, const char* faceName) {
  LOGFONT lf;
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = static_cast<std::uint8_t>(italic != 0);
  lf.lfUnderline = static_cast<std::uint8_t>(underline != 0);
  lf.lfStrikeOut = static_cast<std::uint8_t>(strikeOut != 0);
  lf.lfCharSet = static_cast<std::uint8_t>(charSet);
  lf.lfOutPrecision = static_cast<std::uint8_t>(outPrecision);
  lf.lfClipPrecision = static_cast<std::uint8_t>(clipPrecision);
  lf.lfQuality = static_cast<std::uint8_t>(quality);
  lf.lfPitchAndFamily = static_cast<std::uint8_t>(pitchAndFamily);
  if (faceName) std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", faceName);
  return CreateFontIndirect(&lf);
}

HGDIOBJ GetStockObject(int index) {
  if (index < 0 || index >= 20) return 0;
  return Reg().stock[index];
}

unsigned GetObjectType(HGDIOBJ object) {
  Lock lock(Reg().mu);
  ObjectPtr o = FindObject(object);
  if (!o) {
    const Dc* dc = FindDc(object);
    return dc ? dc->metaType : 0u;
  }
  return static_cast<unsigned>(o->kind);
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) {
  Lock lock(Reg().mu);
  Dc* dc = FindDc(hdc);
  ObjectPtr o = FindObject(object);
  if (!dc || !o) return 0;
  Record(*dc, "SelectObject(" + Describe(*o) + ")");
  if (dc->meta && o->kind != Kind::Bitmap && o->kind != Kind::Region) dc->meta->Select(object, *o);
  DcState& st = dc->st;
  HGDIOBJ old = 0;
  switch (o->kind) {
    case Kind::Pen:
      old = st.hPen;
      st.hPen = object;
      st.pen = o;
      break;
    case Kind::Brush:
      old = st.hBrush;
      st.hBrush = object;
      st.brush = o;
      break;
    case Kind::Font:
      old = st.hFont;
      st.hFont = object;
      st.font = o;
      break;
    case Kind::Bitmap:
      // Only memory contexts take bitmaps; a window context keeps its surface.
      if (dc->window != 0 || dc->meta) return 0;
      old = st.hBitmap;
      st.hBitmap = object;
      st.bitmap = o;
      st.surface = o->bitmap;
      break;
    case Kind::Region:
      return static_cast<HGDIOBJ>(SelectClipRgn(hdc, object));
  }
  return old;
}

HGDIOBJ GetCurrentObject(HDC hdc, unsigned type) {
  Lock lock(Reg().mu);
  Dc* dc = FindDc(hdc);
  if (!dc) return 0;
  switch (type) {
    case OBJ_PEN: return dc->st.hPen;
    case OBJ_BRUSH: return dc->st.hBrush;
    case OBJ_FONT: return dc->st.hFont;
    case OBJ_BITMAP: return dc->st.hBitmap;
    default: return 0;
  }
}

bool DeleteObject(HGDIOBJ object) {
  Lock lock(Reg().mu);
  auto& r = Reg();
  auto it = r.objects.find(object);
  if (it == r.objects.end()) return false;
  if (it->second->stock) return true;
  ObjectDeleted(object);
  // Contexts that still hold the object keep their own reference to it.
  r.objects.erase(it);
  return true;
}

}  // namespace winplat
