// The sprite class: its definition file (checked and loaded), its colour and
// its drawing in the not-XOR mix mode.
#include "sprite.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "error_trail.h"
#include "../reader/dxfengine.h"
#include "gdiprims.h"
#include "winplat/collection.h"
#include "winplat/files.h"
#include "winplat/gdi.h"
#include "winplat/numeric.h"
#include "winplat/text.h"

namespace kelvane {

using winplat::Variant;

namespace {

constexpr winplat::DISPID kFirstField = 0x40030000;
constexpr const char* kIdentification = "GLYPHCOMPOSER";

// The data-line fields of each record type, in order.
const std::vector<std::string>* FieldsOf(const std::string& type) {
  static const std::vector<std::string> line{"X1", "Y1", "X2", "Y2", "EntityColor", "LayerID", "LineWidth", "LineType"};
  static const std::vector<std::string> segment{"X1", "Y1", "X2", "Y2", "EntityColor", "LayerID", "LineWidth", "Bulge"};
  static const std::vector<std::string> circle{"X1",      "Y1",          "Radius",   "StartAngle", "EndAngle",
                                               "LayerID", "EntityColor", "LineType", "LineWidth"};
  static const std::vector<std::string> solid{"X1", "Y1", "X2", "Y2", "X3", "Y3", "X4", "Y4", "LayerID", "EntityColor"};
  if (type == "1") return &line;
  if (type == "2") return &segment;
  if (type == "4") return &circle;
  if (type == "5") return &solid;
  return nullptr;
}

// An entity's value by field name, read as a number (0 when missing or empty).
double Number(winplat::Collection& entity, const char* key) {
  try {
    return winplat::Val(entity.Item(Variant(key)).ToString());
  } catch (const winplat::AutomationError&) {
    return 0;
  }
}

std::int32_t Whole(double v) { return winplat::CLng(std::clamp(v, -2147483648.0, 2147483647.0)); }

}  // namespace

clsSprite::clsSprite() : DispatchObject("clsSprite") {
  winplat::DISPID id = kFirstField;
  AddField(id++, "BlockName", &BlockName);
  AddField(id++, "BlockFilename", &BlockFilename);
  AddField(id++, "X", &X);
  AddField(id++, "Y", &Y);
  AddField(id++, "ScaleX", &ScaleX);
  AddField(id++, "ScaleY", &ScaleY);
  AddField(id++, "Rotation", &Rotation);
  AddBooleanField(id++, "Visible", &Visible);
  AddField(id++, "Handle", &Handle);
  AddField(id++, "colEntities", &colEntities);
}

std::string GetField(const std::string& Text, std::int16_t N) {
  std::size_t start = 0, from = 1;  // 1-based positions as the text functions count
  for (std::int16_t i = 0; i < N; ++i) {
    from = start + 1;
    const std::size_t at = from <= Text.size() ? Text.find(',', from - 1) : std::string::npos;
    start = at == std::string::npos ? 0 : at + 1;
  }
  if (start == 0) start = Text.size() + 1;
  if (start < from) return {};
  return Text.substr(from - 1, start - from);
}

bool clsSprite::CheckSprite(std::string& strError) {
  try {
    winplat::TextFile file(BlockFilename, winplat::OpenMode::Input);
    const std::string first = file.AtEnd() ? std::string() : file.LineInput();
    file.Close();
    if (winplat::UCase(winplat::Trim(first)) != kIdentification) {
      strError = "The file " + BlockFilename +
                 " does not appear to be a valid sprite definition file for Kelvane OCX. The first line should "
                 "contain 'GlyphComposer'.";
      return false;
    }
    strError.clear();
    return true;
  } catch (...) {
    strError = "An error occurred in CheckSprite. The message is: " + CurrentErrorText();
    return false;
  }
}

bool clsSprite::LoadSprite() {
  auto entities = winplat::MakeObject<winplat::Collection>();
  colEntities = entities;
  try {
    winplat::TextFile file(BlockFilename, winplat::OpenMode::Input);
    if (!file.AtEnd()) file.LineInput();  // the identification line
    while (!file.AtEnd()) {
      const std::string typeLine = file.LineInput();
      const std::string data = file.LineInput();
      const std::string type = winplat::UCase(GetField(typeLine, 1));
      auto entity = winplat::MakeObject<winplat::Collection>();
      entity->Add(Variant(type), Variant("EntityType"));
      if (const std::vector<std::string>* fields = FieldsOf(winplat::Trim(type))) {
        // Fields the line does not have are empty.
        const auto present = static_cast<std::size_t>(std::count(data.begin(), data.end(), ',')) + 1;
        for (std::size_t i = 0; i < fields->size(); ++i) {
          const std::string value = i < present ? GetField(data, static_cast<std::int16_t>(i + 1)) : std::string();
          entity->Add(Variant(value), Variant((*fields)[i]));
        }
      }
      entities->Add(Variant(winplat::ComPtr<winplat::IDispatch>(entity)));
    }
    return true;
  } catch (...) {
    return false;
  }
}

bool clsSprite::SetSpriteColor(std::int32_t NewColor) {
  auto entities = winplat::QueryInterface<winplat::Collection>(colEntities.Get());
  if (!entities) return true;
  for (std::int32_t i = 1; i <= entities->Count(); ++i) {
    auto entity = winplat::QueryInterface<winplat::Collection>(entities->Item(Variant(i)).ToObject().Get());
    if (!entity) continue;
    try {
      entity->Remove(Variant("EntityColor"));
    } catch (const winplat::AutomationError&) {
      // An entity without a colour gets one.
    }
    entity->Add(Variant(winplat::CStr(NewColor)), Variant("EntityColor"));
  }
  ColorSet = true;
  return true;
}

bool clsSprite::DrawSprite(winplat::HDC hDC, const SpriteView& view) {
  auto entities = winplat::QueryInterface<winplat::Collection>(colEntities.Get());
  if (!entities || view.Scale == 0) return false;
  // Pen widths beyond the surface's diagonal draw nothing more.
  const double diagonal = std::hypot(static_cast<double>(view.SurfaceWidth), static_cast<double>(view.SurfaceHeight));
  auto penWidth = [&](double w) { return static_cast<float>(std::clamp(w, 0.0, std::max(diagonal, 1.0))); };
  auto toPixels = [&](double x, double y, std::int32_t& px, std::int32_t& py) {
    float ox = 0, oy = 0;
    TransformPoint(0, 0, static_cast<float>(x), static_cast<float>(y), X, Y, Rotation, ScaleX, ScaleY, ox, oy);
    px = RealToPelX(ox, view.Scale, view.ViewLeft);
    py = RealToPelY(oy, view.Scale, view.ViewBottom, view.ViewHeight);
  };
  const int oldRop = winplat::GetROP2(hDC);
  winplat::SetROP2(hDC, winplat::R2_NOTXORPEN);
  bool ok = true;
  try {
    for (std::int32_t i = 1; i <= entities->Count(); ++i) {
      auto entity = winplat::QueryInterface<winplat::Collection>(entities->Item(Variant(i)).ToObject().Get());
      if (!entity) continue;
      const double type = Number(*entity, "EntityType");
      const auto color = static_cast<std::int32_t>(Number(*entity, "EntityColor"));
      if (type == 1 || type == 2) {
        std::int32_t x1, y1, x2, y2;
        toPixels(Number(*entity, "X1"), Number(*entity, "Y1"), x1, y1);
        toPixels(Number(*entity, "X2"), Number(*entity, "Y2"), x2, y2);
        const double width = std::trunc(Number(*entity, "LineWidth")) * view.Scale;
        GdiLine(hDC, x1, y1, x2, y2, Whole(penWidth(width)), color, 0);
      } else if (type == 4) {
        const double cx = Number(*entity, "X1"), cy = Number(*entity, "Y1"), r = Number(*entity, "Radius");
        const double start = Number(*entity, "StartAngle"), end = Number(*entity, "EndAngle");
        const auto style = static_cast<std::int32_t>(Number(*entity, "LineType"));
        const float width = penWidth(Number(*entity, "LineWidth"));
        std::int32_t px, py;
        toPixels(cx, cy, px, py);
        const std::int32_t rp = Whole(r * ScaleX * view.Scale);
        const std::int32_t left = Whole(0.0 + px - rp), right = Whole(0.0 + px + rp);
        const std::int32_t top = Whole(0.0 + py - rp), bottom = Whole(0.0 + py + rp);
        if (start == end) {
          GdiEllipse(hDC, left, top, right, bottom, color, style, width);
        } else {
          const double a1 = start * DrawingPi / 180, a2 = end * DrawingPi / 180;
          std::int32_t sx, sy, ex, ey;
          toPixels(cx + r * std::cos(a1), cy + r * std::sin(a1), sx, sy);
          toPixels(cx + r * std::cos(a2), cy + r * std::sin(a2), ex, ey);
          GdiArc(hDC, left, bottom, right, top, sx, ey, ex, sy, color, style, width);
        }
      } else if (type == 5) {
        winplat::POINT corners[4];
        static const char* const keys[4][2] = {{"X1", "Y1"}, {"X2", "Y2"}, {"X3", "Y3"}, {"X4", "Y4"}};
        for (int k = 0; k < 4; ++k)
          toPixels(Number(*entity, keys[k][0]), Number(*entity, keys[k][1]), corners[k].x, corners[k].y);
        // One filled polygon without an outline, so its interior takes the mix mode.
        const std::int32_t fill = ColorSet ? color : AciToRgb(static_cast<std::int16_t>(std::clamp(color, -32768, 32767)));
        winplat::HBRUSH brush = winplat::CreateSolidBrush(static_cast<winplat::COLORREF>(fill));
        winplat::HGDIOBJ oldBrush = winplat::SelectObject(hDC, brush);
        winplat::HGDIOBJ oldPen = winplat::SelectObject(hDC, winplat::GetStockObject(winplat::NULL_PEN));
        winplat::Polygon(hDC, corners, 4);
        if (oldPen) winplat::SelectObject(hDC, oldPen);
        if (oldBrush) winplat::SelectObject(hDC, oldBrush);
        winplat::DeleteObject(brush);
      }
    }
  } catch (...) {
    ok = false;
  }
  if (oldRop) winplat::SetROP2(hDC, oldRop);
  return ok;
}

}  // namespace kelvane
