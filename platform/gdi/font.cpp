// Fonts and text: faces through fontconfig, glyphs through FreeType rendered
// without anti-aliasing, so every text pixel has exactly the text colour.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cmath>
#include <map>
#include <numbers>

#include "gdi_internal.h"
#include "glyph_cache.h"

#include "winplat/code_page.h"
#include "winplat/text.h"

namespace winplat {

using namespace gdi;

namespace {

bool FixedPitchName(const std::string& face) {
  static const char* const names[] = {"courier new", "courier", "lucida console", "consolas", "fixedsys",
                                      "terminal", "lucida sans typewriter", "andale mono", "monospace",
                                      "dejavu sans mono", "system fixed"};
  const std::string f = winplat::AsciiLower(face);
  for (const char* n : names)
    if (f == n) return true;
  return false;
}

FT_Library Library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    if (FT_Init_FreeType(&l) != 0) l = nullptr;
    return l;
  }();
  return lib;
}

std::string MatchFile(bool mono, bool bold, bool italic) {
  static std::map<int, std::string> cache;
  const int key = (mono ? 1 : 0) | (bold ? 2 : 0) | (italic ? 4 : 0);
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  std::string file;
  static const bool ready = [] {
    if (!FcInit()) return false;
    std::atexit(FcFini);  // releases fontconfig's configuration at exit
    return true;
  }();
  if (ready) {
    FcPattern* pat = FcPatternCreate();
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(mono ? "DejaVu Sans Mono" : "DejaVu Sans"));
    FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pat, &result);
    FcChar8* path = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path)
      file = reinterpret_cast<const char*>(path);
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pat);
  }
  cache[key] = file;
  return file;
}

FT_Face FaceForFile(const std::string& file) {
  static std::map<std::string, FT_Face> faces;
  auto it = faces.find(file);
  if (it != faces.end()) return it->second;
  FT_Face face = nullptr;
  if (Library() && !file.empty() && FT_New_Face(Library(), file.c_str(), 0, &face) != 0) face = nullptr;
  faces[file] = face;
  return face;
}

// A font realised for a context, in device pixels.
struct Realized {
  FT_Face face = nullptr;
  int ppem = 16;
  double xScale = 1.0;
  double angle = 0.0;  // radians, counter-clockwise on the screen
  int ascent = 0, descent = 0, aveWidth = 0, maxWidth = 0;
  int weight = FW_NORMAL;
  bool italic = false;
  bool mono = false;
  // Underline and strike-out bars: distance of the bar's top above the baseline, and thickness.
  int underlineAbove = -2, strikeAbove = 5, barThickness = 1;
};

bool Realize(const DcState& st, Realized* out) {
  const LOGFONT& lf = st.font->font;
  Realized r;
  r.mono = FixedPitchName(lf.lfFaceName) || (lf.lfPitchAndFamily & 3u) == FIXED_PITCH;
  r.weight = lf.lfWeight == 0 ? FW_NORMAL : lf.lfWeight;
  r.italic = lf.lfItalic != 0;
  r.face = FaceForFile(MatchFile(r.mono, r.weight >= 600, r.italic));
  if (!r.face) return false;
  FT_Face f = r.face;
  const double upem = f->units_per_EM ? f->units_per_EM : 2048;
  double winAscent = f->ascender, winDescent = -f->descender, avg = 0;
  double strikePos = upem * 0.26, strikeSize = f->underline_thickness;
  if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2))) {
    winAscent = os2->usWinAscent;
    winDescent = os2->usWinDescent;
    avg = os2->xAvgCharWidth;
    if (os2->yStrikeoutSize > 0) {
      strikePos = os2->yStrikeoutPosition;
      strikeSize = os2->yStrikeoutSize;
    }
  }
  // A positive height is the cell height (internal leading included), a negative one the em height.
  int h = DeviceLengthY(st, lf.lfHeight);
  if (lf.lfHeight > 0)
    r.ppem = static_cast<int>(std::lround(h * upem / (winAscent + winDescent)));
  else if (lf.lfHeight < 0)
    r.ppem = h;
  else
    r.ppem = static_cast<int>(std::lround(16 * upem / (winAscent + winDescent)));
  r.ppem = std::clamp(r.ppem, 1, 2000);
  r.ascent = static_cast<int>(std::lround(winAscent * r.ppem / upem));
  r.descent = static_cast<int>(std::lround(winDescent * r.ppem / upem));
  double naturalAvg = avg > 0 ? avg * r.ppem / upem : r.ppem / 2.0;
  if (lf.lfWidth != 0) r.xScale = std::clamp(DeviceLengthX(st, lf.lfWidth) / naturalAvg, 0.01, 100.0);
  r.aveWidth = std::max(1, static_cast<int>(std::lround(naturalAvg * r.xScale)));
  r.maxWidth = std::max(1, static_cast<int>(std::lround((f->bbox.xMax - f->bbox.xMin) * r.ppem / upem * r.xScale)));
  r.angle = lf.lfEscapement / 10.0 * std::numbers::pi / 180.0;
  r.barThickness = std::max(1, static_cast<int>(std::lround(std::max<double>(f->underline_thickness, strikeSize) * r.ppem / upem)));
  r.underlineAbove = std::min(-1, static_cast<int>(std::lround(f->underline_position * r.ppem / upem)));
  r.strikeAbove = std::max(1, static_cast<int>(std::lround(strikePos * r.ppem / upem)));
  *out = r;
  return true;
}

FT_Matrix Matrix(double xScale, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  FT_Matrix m;
  m.xx = static_cast<FT_Fixed>(std::lround(c * xScale * 65536.0));
  m.xy = static_cast<FT_Fixed>(std::lround(-s * 65536.0));
  m.yx = static_cast<FT_Fixed>(std::lround(s * xScale * 65536.0));
  m.yy = static_cast<FT_Fixed>(std::lround(c * 65536.0));
  return m;
}

GlyphKey KeyOf(const Realized& r, const FT_Matrix& m, unsigned code) {
  return GlyphKey{r.face, r.ppem, m.xx, m.xy, m.yx, m.yy, code};
}

// Sizes and turns the face the first time a call needs a glyph from FreeType.
void SizeFace(const Realized& r, const FT_Matrix& m, bool& sized) {
  if (sized) return;
  FT_Set_Pixel_Sizes(r.face, 0, static_cast<FT_UInt>(r.ppem));
  FT_Matrix t = m;
  FT_Set_Transform(r.face, &t, nullptr);
  sized = true;
}

// Whole-pixel advances of each character along the unrotated baseline.
std::vector<int> Advances(const Realized& r, const std::string& text) {
  std::vector<int> adv;
  adv.reserve(text.size());
  const FT_Matrix m = Matrix(r.xScale, 0.0);
  bool sized = false;
  for (unsigned char c : text) {
    const GlyphKey key = KeyOf(r, m, CodePointFromCodePage(c));
    int a = 0;
    if (!Glyphs().FindAdvance(key, &a)) {
      SizeFace(r, m, sized);
      if (FT_Load_Char(r.face, key.code, FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO) == 0)
        a = static_cast<int>((r.face->glyph->advance.x + 32) >> 6);
      Glyphs().KeepAdvance(key, a);
    }
    adv.push_back(a);
  }
  return adv;
}

int TextWidth(const std::vector<int>& adv) {
  int w = 0;
  for (int a : adv) w += a;
  return w;
}

int ToLogicalLengthX(const DcState& st, int device) {
  if (st.mapMode == MM_TEXT) return device;
  return static_cast<int>(std::lround(std::fabs(static_cast<double>(device) * st.windowExt.cx / st.viewportExt.cx)));
}
int ToLogicalLengthY(const DcState& st, int device) {
  if (st.mapMode == MM_TEXT) return device;
  return static_cast<int>(std::lround(std::fabs(static_cast<double>(device) * st.windowExt.cy / st.viewportExt.cy)));
}

// The rendered glyph as FreeType draws it (the face sized and turned by the caller).
GlyphBitmap Render(FT_Face face, unsigned code) {
  GlyphBitmap out;
  if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) != 0) return out;
  const FT_GlyphSlot g = face->glyph;
  const FT_Bitmap& bm = g->bitmap;
  if (bm.pixel_mode != FT_PIXEL_MODE_MONO) return out;
  out.ok = true;
  out.left = g->bitmap_left;
  out.top = g->bitmap_top;
  out.width = bm.width;
  out.rows = bm.rows;
  out.pitch = static_cast<int>((bm.width + 7) / 8);
  out.bits.resize(static_cast<std::size_t>(out.pitch) * bm.rows);
  for (unsigned row = 0; row < bm.rows; ++row) {
    const unsigned char* line = bm.buffer + static_cast<long>(row) * bm.pitch;
    std::copy(line, line + out.pitch, out.bits.begin() + static_cast<long>(row) * out.pitch);
  }
  return out;
}

// How far from its pen position any glyph of the realised font can reach, in pixels.
double GlyphReach(const Realized& r) {
  const FT_Face f = r.face;
  const double upem = f->units_per_EM ? f->units_per_EM : 2048;
  const double x = std::max(std::abs(f->bbox.xMin), std::abs(f->bbox.xMax)) * r.xScale * r.ppem / upem;
  const double y = std::max(std::abs(f->bbox.yMin), std::abs(f->bbox.yMax)) * static_cast<double>(r.ppem) / upem;
  return std::hypot(x, y) + 2.0;  // hinting may move an edge by a pixel
}

void DrawGlyphs(Dc& dc, const Realized& r, const std::string& text, const std::vector<int>& adv, double ox,
                double oy) {
  Surface& s = *dc.st.surface;
  // Where anything can be drawn: the surface, within the clip's bounds.
  RECT area{0, 0, s.width, s.height};
  if (dc.st.clip) {
    RECT bounds;
    if (!dc.st.clip->Bounds(&bounds)) return;
    area = RECT{std::max(area.left, bounds.left), std::max(area.top, bounds.top), std::min(area.right, bounds.right),
                std::min(area.bottom, bounds.bottom)};
  }
  if (area.left >= area.right || area.top >= area.bottom) return;
  const double ux = std::cos(r.angle), uy = -std::sin(r.angle);
  const FT_Matrix m = Matrix(r.xScale, r.angle);
  const double reach = GlyphReach(r);
  const COLORREF color = dc.st.textColor;
  bool sized = false;
  double along = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int px = static_cast<int>(std::lround(ox + along * ux));
    const int py = static_cast<int>(std::lround(oy + along * uy));
    along += adv[i];
    const GlyphKey key = KeyOf(r, m, CodePointFromCodePage(static_cast<unsigned char>(text[i])));
    GlyphBitmap rendered;
    const GlyphBitmap* g = Glyphs().Find(key);
    if (!g) {
      // A glyph wholly outside is never rendered.
      if (px + reach < area.left || px - reach >= area.right || py + reach < area.top || py - reach >= area.bottom)
        continue;
      SizeFace(r, m, sized);
      rendered = Render(r.face, key.code);
      g = Glyphs().Keep(key, std::move(rendered));
      if (!g) g = &rendered;  // too large to keep: drawn once from here
    }
    if (!g->ok) continue;
    const int x0 = px + g->left, y0 = py - g->top;
    const int rowFirst = std::max(0, static_cast<int>(area.top) - y0);
    const int rowEnd = std::min(static_cast<int>(g->rows), static_cast<int>(area.bottom) - y0);
    const int colFirst = std::max(0, static_cast<int>(area.left) - x0);
    const int colEnd = std::min(static_cast<int>(g->width), static_cast<int>(area.right) - x0);
    for (int row = rowFirst; row < rowEnd; ++row) {
      const unsigned char* line = g->bits.data() + static_cast<long>(row) * g->pitch;
      const int y = y0 + row;
      for (int col = colFirst; col < colEnd; ++col) {
        if (!(line[col >> 3] & (0x80 >> (col & 7)))) continue;
        const int x = x0 + col;
        if (dc.st.clip && !dc.st.clip->Contains(x, y)) continue;
        s.At(x, y) = color;
      }
    }
  }
}

}  // namespace

namespace gdi {

bool TextAdvances(const DcState& st, const std::string& text, std::vector<int>* logical) {
  Realized r;
  if (!Realize(st, &r)) return false;
  logical->clear();
  for (int a : Advances(r, text)) logical->push_back(ToLogicalLengthX(st, a));
  return true;
}

}  // namespace gdi

std::string FontFileForFace(const char* faceName, int weight, bool italic, unsigned pitchAndFamily) {
  Lock lock(Reg().mu);
  bool mono = FixedPitchName(faceName ? faceName : "") || (pitchAndFamily & 3u) == FIXED_PITCH;
  return MatchFile(mono, weight >= 600, italic);
}

bool GetTextMetrics(HDC hdc, TEXTMETRIC* metrics) {
  Lock lock(Reg().mu);
  Dc* dc = FindDc(hdc);
  Realized r;
  if (!dc || !metrics || !Realize(dc->st, &r)) return false;
  TEXTMETRIC tm;
  tm.tmAscent = ToLogicalLengthY(dc->st, r.ascent);
  tm.tmDescent = ToLogicalLengthY(dc->st, r.descent);
  tm.tmHeight = ToLogicalLengthY(dc->st, r.ascent + r.descent);
  tm.tmInternalLeading = ToLogicalLengthY(dc->st, r.ascent + r.descent - r.ppem);
  tm.tmAveCharWidth = ToLogicalLengthX(dc->st, r.aveWidth);
  tm.tmMaxCharWidth = ToLogicalLengthX(dc->st, r.maxWidth);
  tm.tmWeight = r.weight;
  tm.tmItalic = r.italic ? 1 : 0;
  tm.tmUnderlined = dc->st.font->font.lfUnderline;
  tm.tmStruckOut = dc->st.font->font.lfStrikeOut;
  // The low pitch bit is set for variable-pitch faces, as Windows reports it.
  tm.tmPitchAndFamily = static_cast<std::uint8_t>((r.mono ? FF_MODERN : (FF_SWISS | 1u)) | 0x04u);
  tm.tmCharSet = dc->st.font->font.lfCharSet;
  *metrics = tm;
  return true;
}

bool GetTextExtentPoint32(HDC hdc, const char* text, int count, SIZE* size) {
  Lock lock(Reg().mu);
  Dc* dc = FindDc(hdc);
  Realized r;
  if (!dc || !size || count < 0 || (count > 0 && !text) || !Realize(dc->st, &r)) return false;
  const std::string s(text ? text : "", static_cast<std::size_t>(count));
  size->cx = ToLogicalLengthX(dc->st, TextWidth(Advances(r, s)));
  size->cy = ToLogicalLengthY(dc->st, r.ascent + r.descent);
  return true;
}

bool TextOut(HDC hdc, int x, int y, const char* text, int count) {
  Lock lock(Reg().mu);
  Dc* dc = FindDc(hdc);
  if (!dc || count < 0 || (count > 0 && !text)) return false;
  const std::string s(text ? text : "", static_cast<std::size_t>(count));
  Record(*dc, "TextOut(" + std::to_string(x) + ", " + std::to_string(y) + ", \"" + s + "\")");
  if (dc->meta) {
    std::vector<int> advances;
    if (!TextAdvances(dc->st, s, &advances)) return false;
    dc->meta->Text(x, y, s, advances);
    return true;
  }
  Realized r;
  if (!Realize(dc->st, &r)) return false;
  const unsigned align = dc->st.textAlign;
  if (align & TA_UPDATECP) {
    x = dc->st.position.x;
    y = dc->st.position.y;
  }
  const std::vector<int> adv = Advances(r, s);
  const int width = TextWidth(adv);
  POINT ref = ToDevice(dc->st, x, y);
  // Offsets of the baseline start from the reference point, along and across the baseline.
  double along = 0;
  if ((align & TA_CENTER) == TA_CENTER)
    along = -width / 2.0;
  else if (align & TA_RIGHT)
    along = -width;
  double down = 0;
  if ((align & TA_BASELINE) == TA_BASELINE)
    down = 0;
  else if (align & TA_BOTTOM)
    down = -r.descent;
  else
    down = r.ascent;
  const double ux = std::cos(r.angle), uy = -std::sin(r.angle);  // along the baseline
  const double vx = std::sin(r.angle), vy = std::cos(r.angle);  // down across it
  const double ox = ref.x + along * ux + down * vx, oy = ref.y + along * uy + down * vy;
  if (dc->st.bkMode == OPAQUE && width > 0) {
    auto corner = [&](double a, double d) {
      return POINT{static_cast<int>(std::lround(ox + a * ux + d * vx)), static_cast<int>(std::lround(oy + a * uy + d * vy))};
    };
    POINT box[4] = {corner(0, -r.ascent), corner(width, -r.ascent), corner(width, r.descent), corner(0, r.descent)};
    PaintSpans(*dc, PolygonSpans(box, 4, ALTERNATE, SurfaceRect(*dc)), dc->st.bkColor, R2_COPYPEN);
  }
  DrawGlyphs(*dc, r, s, adv, ox, oy);
  // Underline and strike-out: bars along the baseline in the text colour.
  const LOGFONT& lf = dc->st.font->font;
  for (int bar = 0; bar < 2 && width > 0; ++bar) {
    if (!(bar == 0 ? lf.lfUnderline : lf.lfStrikeOut)) continue;
    const double top = -(bar == 0 ? r.underlineAbove : r.strikeAbove), bottom = top + r.barThickness;
    auto corner = [&](double a, double d) {
      return POINT{static_cast<int>(std::lround(ox + a * ux + d * vx)), static_cast<int>(std::lround(oy + a * uy + d * vy))};
    };
    POINT box[4] = {corner(0, top), corner(width, top), corner(width, bottom), corner(0, bottom)};
    PaintSpans(*dc, PolygonSpans(box, 4, ALTERNATE, SurfaceRect(*dc)), dc->st.textColor, R2_COPYPEN);
  }
  if (align & TA_UPDATECP) {
    // The current position moves along the baseline by the text's width.
    POINT end = ToLogical(dc->st, static_cast<int>(std::lround(ref.x + width * ux)),
                          static_cast<int>(std::lround(ref.y + width * uy)));
    dc->st.position = end;
  }
  return true;
}

}  // namespace winplat
