// Loaders of TEXT, MTEXT, ATTRIB and ATTDEF, and the text-style mapping.
#include <cmath>
#include <numbers>

#include "block_spool.h"
#include "entity_loaders.h"
#include "dxfengine.h"
#include "loader_points.h"
#include "winplat/dispatch.h"
#include "winplat/text.h"

namespace kelvane {

using namespace loader;

namespace {


// A whole-number group of a text; a value beyond the type's range reads 0, so
// that no text ends a read.
std::int32_t TextLong(const DxfGroupTable& t, std::int32_t code) {
  if (!t.Has(code)) return 0;
  try {
    return winplat::CLng(t.Double(code));
  } catch (const std::exception&) {
    return 0;
  }
}

// The baseline angle of a fitted text (alignment 5 with a second point), or
// `rotation` when the text is not fitted.
float FittedRotation(const DxfGroupTable& t, std::int32_t horzAlign, float rotation) {
  const float x1 = t.Single(10), y1 = t.Single(20), x2 = t.Single(11), y2 = t.Single(21);
  if (x2 != 0.0f && y2 != 0.0f && horzAlign == 5) {
    const double dx = static_cast<double>(x2) - x1;
    if (dx != 0.0) return winplat::CSng(std::atan((static_cast<double>(y2) - y1) / dx) * 180.0 / DrawingPi);
  }
  return rotation;
}

// The "%%" control codes: %%u switches underlining on, %%c, %%d and %%p are
// the diameter, degree and plus-minus signs, %%% is a percent sign, any other
// letter stands for nothing; a "%%" at the very end stays as it is.
std::string ControlCodes(std::string text, std::int32_t& underline) {
  std::size_t at = 0;
  while ((at = text.find("%%", at)) != std::string::npos) {
    if (at + 2 >= text.size()) break;
    const char letter = text[at + 2];
    if (letter == '%') {
      text.replace(at, 3, "%");
      at += 1;
      continue;
    }
    std::string code = SpecialCharCode(std::string_view(&letter, 1));
    if (code == "U") {
      underline = -1;
      text.erase(at, 3);
    } else {
      text.replace(at, 3, code);
      at += code.size();
    }
  }
  return text;
}

// MTEXT formatting: codes "\X...;" are dropped, stacked fractions keep their
// digits, \P (a paragraph) and \N (a column break) become a blank, grouping
// braces go, \\ \{ \} are the characters themselves; \L switches underlining on.
std::string MTextFormatting(const std::string& text, std::int32_t& underline) {
  static constexpr std::string_view kWithArgument = "ACcFfHhQqTtWwp";
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (ch == '{' || ch == '}') continue;
    if (ch != '\\' || i + 1 >= text.size()) {
      out += ch;
      continue;
    }
    const char code = text[i + 1];
    if (kWithArgument.find(code) != std::string_view::npos) {
      std::size_t end = text.find(';', i + 2);
      if (end == std::string::npos) {
        out += ch;  // not a formatting code after all
        continue;
      }
      i = end;
    } else if (code == 'S') {
      std::size_t end = text.find(';', i + 2);
      if (end == std::string::npos) {
        out += ch;
        continue;
      }
      for (std::size_t k = i + 2; k < end; ++k) out += (text[k] == '^' || text[k] == '#') ? '/' : text[k];
      i = end;
    } else if (code == 'P' || code == 'N' || code == '~') {
      out += ' ';
      ++i;
    } else if (code == 'L') {
      underline = -1;
      ++i;
    } else if (code == 'l' || code == 'O' || code == 'o' || code == 'K' || code == 'k') {
      ++i;
    } else {
      out += code;  // \\, \{, \} and anything unknown: the character itself
      ++i;
    }
  }
  return out;
}

}  // namespace

void MapDXFFont(const DXF& dxf, std::string& StyleName, float& WidthFactor) {
  std::string s = winplat::UCase(StyleName);
  const std::size_t b = s.find_first_not_of(' ');
  s = b == std::string::npos ? std::string() : s.substr(b, s.find_last_not_of(' ') - b + 1);
  auto any = [&](std::initializer_list<std::string_view> names) {
    for (std::string_view n : names)
      if (s == n) return true;
    return false;
  };
  if (!dxf.UseDXFFonts) {
    if (any({"ROMANC", "ROMAND", "SIMPLEX", "DUPLEX", "COMPLEX", "GOTHICE", "ROMANS", "ROMANT", "TITLE"})) {
      StyleName = dxf.PropFontName;
      WidthFactor = dxf.PropFontScalar;
    } else {
      StyleName = dxf.MonoFontName;
      WidthFactor = dxf.MonoFontScalar;
    }
    return;
  }
  StyleName = "TXT";
  if (any({"ROMANC", "SIMPLEX", "ROMAND", "ROMANS", "ROMANT", "MAP", "1"}))
    WidthFactor = 1.4f;
  else if (any({"MONOTXT"}))
    WidthFactor = 1.0f;
  else if (any({"COMPLEX", "GOTHICE"}))
    WidthFactor = 1.2f;
  else if (any({"CKSTANDARD"}))
    WidthFactor = 1.3f;
  else
    WidthFactor = 2.0f;
}

bool DXFText(DXF& dxf, std::string_view Kind) {
  // The trail line of this loader has always read " ->  DXFText .".
  return WithErrorTrail("DXFText ", [&] {
    LoadEntity(dxf);
    const DxfGroupTable& t = dxf.reader.GroupValueTable;
    std::string kind = winplat::UCase(Kind);
    const bool mtext = kind.find("MTEXT") != std::string::npos;
    TextRecord row;
    row.Layer = LoaderLayer(dxf);
    row.Color = LoaderColor(dxf);
    const std::int32_t flags71 = TextLong(t, 71);
    row.HorzAlign = TextLong(t, 72);

    std::int32_t xCode = 0, yCode = 0;  // the anchor's groups (0: none)
    if (mtext) {
      xCode = 10, yCode = 20;
    } else {
      switch (row.HorzAlign) {
        case 0: case 3: case 5: xCode = 10, yCode = 20; break;
        case 1: case 4: xCode = 11, yCode = 21; break;
        case 2: xCode = 11, yCode = 20; break;
        default: break;
      }
    }
    Point2 p{Offset(xCode ? t.Single(xCode) : 0.0f, dxf.db.MergeOffsetX),
             Offset(yCode ? t.Single(yCode) : 0.0f, dxf.db.MergeOffsetY)};

    row.Height = t.Single(40);
    if (dxf.RedlineTextHeight < row.Height)
      winplat::Invoke(&dxf, dispid::RedlineTextHeight, winplat::DISPATCH_PROPERTYPUT, {winplat::Variant(row.Height)});

    // MTEXT's text runs over its group-3 chunks, then group 1.
    std::string text;
    for (std::string_view chunk : t.Values(3)) text.append(chunk);
    text.append(t.Value(1));
    for (char& ch : text)
      if (static_cast<unsigned char>(ch) > 127) ch = '?';
    std::int32_t underline = 0;
    text = ControlCodes(std::move(text), underline);
    if (mtext) text = MTextFormatting(text, underline);
    ReplaceQuotes(text);
    row.Underline = underline;

    std::string style(t.Value(7));
    row.WidthFactor = 0;
    MapDXFFont(dxf, style, row.WidthFactor);

    if (mtext) {
      // MTEXT's rotation: its direction vector when given, else group 50 in radians.
      if (t.Has(11) || t.Has(21)) {
        const double dx = t.Double(11), dy = t.Double(21);
        row.Rotation = (dx == 0.0 && dy == 0.0) ? 0.0f : winplat::CSng(std::atan2(dy, dx) * 180.0 / std::numbers::pi);
      } else {
        row.Rotation = winplat::CSng(t.Double(50) * 180.0 / std::numbers::pi);
      }
    } else {
      row.Rotation = t.Single(50);
      if (flags71 == 2) row.Rotation = winplat::CSng(static_cast<double>(row.Rotation) - 180.0);
      row.Rotation = FittedRotation(t, row.HorzAlign, row.Rotation);
    }

    std::string fontName = style;
    if (!dxf.db.InBlock) {
      row.X = p.X, row.Y = p.Y;
      row.Text = text;
      std::size_t e = fontName.find_last_not_of(' ');
      std::size_t b = fontName.find_first_not_of(' ');
      row.FontName = b == std::string::npos ? std::string() : fontName.substr(b, e - b + 1);
      dxf.db.AddText(row, Growth::Loader);
      if (!dxf.reader.HeaderExtents) CheckExtents(dxf, p.X, p.Y, p.X, p.Y);
    } else {
      p = Relative(p, BlockBase(dxf));
      WriteBlockRecord(dxf, etText,
                       {BlockField::S(p.X), BlockField::S(p.Y), BlockField::T(text), BlockField::S(row.Height),
                        BlockField::S(row.Rotation), BlockField::L(row.HorzAlign), BlockField::L(row.Underline),
                        BlockField::L(row.Layer), BlockField::L(row.Color), BlockField::T(fontName),
                        BlockField::S(row.WidthFactor)});
    }
    return true;
  }, dxf.DrawingCleanup());
}

bool ReadAttrib(DXF& dxf) {
  return WithErrorTrail("", [&] {
    LoadEntity(dxf);
    EntityDB& db = dxf.db;
    const DxfGroupTable& t = dxf.reader.GroupValueTable;
    if (db.InBlock) return true;
    if (t.Has(70) && TextLong(t, 70) == 1) return true;  // invisible
    // An attribute belongs to the INSERT before it; one whose INSERT placed
    // nothing has no owner and is dropped.
    if (!LastInsertPlaced(dxf)) return true;
    AttribRecord row;
    row.Color = LoaderColor(dxf);
    row.HorzAlign = TextLong(t, 72);
    std::int32_t xCode = 0, yCode = 0;
    switch (row.HorzAlign) {
      case 0: case 3: case 5: xCode = 10, yCode = 20; break;
      case 1: case 2: xCode = 11, yCode = 21; break;
      case 4: xCode = 11, yCode = 20; break;
      default: break;
    }
    row.X = Offset(xCode ? t.Single(xCode) : 0.0f, db.MergeOffsetX);
    row.Y = Offset(yCode ? t.Single(yCode) : 0.0f, db.MergeOffsetY);
    row.Height = t.Single(40);
    std::string style(t.Value(7));
    row.WidthFactor = 0;
    MapDXFFont(dxf, style, row.WidthFactor);
    row.FontName = style;
    row.TagValue = t.Value(1);
    row.TagName = t.Value(2);
    row.Rotation = FittedRotation(t, row.HorzAlign, t.Single(50));
    row.BlockNumber = db.BlockCount;
    row.Layer = db.InsertLayer;
    row.ParentInsert = db.InsertCount;
    db.AddAttrib(row, Growth::Loader);
    if (!dxf.reader.HeaderExtents) CheckExtents(dxf, row.X, row.Y, row.X, row.Y);
    return true;
  }, dxf.DrawingCleanup());
}

bool ReadAttDef(DXF& dxf) {
  LoadEntity(dxf);
  return true;
}

}  // namespace kelvane
