// Redline entities: lines, rectangles, circles and solids added as ordinary
// rows flagged Redline and drawn last; deletion only tags rows; inserts
// recoloured.
#include <cmath>

#include "../reader/dxf_reader.h"
#include "dxf_control.h"
#include "error_trail.h"

namespace kelvane {

using winplat::Args;
using winplat::Variant;

namespace {

// The layer number for a redline entity; a layer made for it is new and a redline layer.
std::int16_t RedlineLayerID(DXFLayers& layers, const std::string& LayerName) {
  const std::int32_t before = layers.Count();
  const std::int16_t id = SetLayerID(layers, LayerName);
  if (layers.Count() > before) {
    auto layer = layers.Item(Variant(id));
    layer->NewLayer = winplat::VARIANT_TRUE;
    layer->SetRedlineLayer(true);
  }
  return id;
}

void SetStrError(Args& a, const std::string& s) {
  try {
    a.Set(0, Variant(s));
  } catch (...) {
  }
}

}  // namespace

std::int32_t DXF::DXFAddLine(float X1, float Y1, float X2, float Y2, const std::string& LayerName,
                             std::int32_t RedlineRectangleID) {
  return WithErrorTrail("DXFAddLine", [&] {
    LineRecord r;
    r.X1 = X2;  // stored in reverse order
    r.Y1 = Y2;
    r.X2 = X1;
    r.Y2 = Y1;
    r.Layer = RedlineLayerID(db.Layers(), LayerName);
    r.GroupID = RedlineRectangleID;
    r.Redline = winplat::VARIANT_TRUE;
    db.AddLine(r, Growth::Redline);
    CheckExtents(*this, X2, Y2, X1, Y1);
    return db.EntityCount;
  }, DrawingCleanup());
}

std::int32_t DXF::DXFAddSolid(float X1, float Y1, float X2, float Y2, float X3, float Y3, float X4, float Y4,
                              const std::string& LayerName) {
  return WithErrorTrail("DXFAddSolid", [&] {
    SolidRecord r{X1, Y1, X2, Y2, X3, Y3, X4, Y4};
    r.Layer = RedlineLayerID(db.Layers(), LayerName);
    r.Redline = winplat::VARIANT_TRUE;
    db.AddSolid(r, Growth::Redline);
    CheckExtents(*this, X1, Y1, X2, Y2);
    CheckExtents(*this, X3, Y3, X4, Y4);
    return db.EntityCount;
  }, DrawingCleanup());
}

std::int32_t DXF::DXFAddCircle(float CenterX, float CenterY, float RadiusX, float RadiusY,
                               const std::string& LayerName) {
  return WithErrorTrail("DXFAddCircle", [&] {
    CircleRecord r;
    r.X = CenterX;
    r.Y = CenterY;
    const double dx = static_cast<double>(RadiusX) - CenterX, dy = static_cast<double>(RadiusY) - CenterY;
    r.Radius = static_cast<float>(std::sqrt(dx * dx + dy * dy));
    r.Layer = RedlineLayerID(db.Layers(), LayerName);
    r.Redline = winplat::VARIANT_TRUE;
    db.AddCircle(r, Growth::Redline);
    CheckExtents(*this, CenterX - r.Radius, CenterY - r.Radius, CenterX + r.Radius, CenterY + r.Radius);
    return db.EntityCount;
  }, DrawingCleanup());
}

std::int32_t DXF::DXFAddText(float X1, float Y1, const std::string& Text, const std::string& LayerName,
                             std::int32_t CoordinateSystem, const Variant& TextHeight, const Variant& HorzAlignment,
                             const Variant& Rotation) {
  return WithErrorTrail("DXFAddText", [&] {
    TextRecord r;
    if (CoordinateSystem == dxfRealWorld) {
      r.X = X1;
      r.Y = Y1;
    } else {
      r.X = IntToRealX(Variant(X1));
      r.Y = IntToRealY(Variant(Y1));
    }
    r.Text = Text;  // cut to the field's 100 characters
    r.Height = TextHeight.IsMissing() ? RedlineTextHeight : TextHeight.ToSingle();
    r.HorzAlign = HorzAlignment.IsMissing() ? 0 : HorzAlignment.ToLong();
    r.Rotation = Rotation.IsMissing() ? 0.0f : Rotation.ToSingle();
    r.FontName = "Arial";
    r.WidthFactor = 1.0f;
    r.Layer = RedlineLayerID(db.Layers(), LayerName);
    r.Redline = winplat::VARIANT_TRUE;
    db.AddText(r, Growth::Redline);
    CheckExtents(*this, r.X, r.Y, r.X, r.Y);
    return db.EntityCount;
  }, DrawingCleanup());
}

// The band's two points as drawing coordinates, added as the function's entity.
void DXF::RedlineAddFromBand(std::int16_t fn) {
  const float sx = IntToRealX(Variant(Band.StartX)), sy = IntToRealY(Variant(Band.StartY));
  const float ex = IntToRealX(Variant(Band.EndX)), ey = IntToRealY(Variant(Band.EndY));
  switch (fn) {
    case dxfRedLineLine:
      DXFAddLine(sx, sy, ex, ey, RedlineCurrentLayer);
      break;
    case dxfRedLineCircle:
      DXFAddCircle(sx, sy, ex, ey, RedlineCurrentLayer);
      break;
    case dxfRedLineRectangle:
      ++RedlineRectangleID;
      DXFAddLine(sx, sy, sx, ey, RedlineCurrentLayer, RedlineRectangleID);
      DXFAddLine(sx, ey, ex, ey, RedlineCurrentLayer, RedlineRectangleID);
      DXFAddLine(ex, ey, ex, sy, RedlineCurrentLayer, RedlineRectangleID);
      DXFAddLine(ex, sy, sx, sy, RedlineCurrentLayer, RedlineRectangleID);
      break;
    case dxfRedlineSolid:
      DXFAddSolid(ex, ey, sx, ey, sx, sy, ex, sy, RedlineCurrentLayer);
      break;
    default:
      break;
  }
}

bool DXF::RedlineDeleteEntity(std::string& strError) {
  try {
    RefuseWhileReading(*this, "RedlineDeleteEntity");
    const std::int32_t sel = RedlineEntitySelected.IsNumeric() ? RedlineEntitySelected.ToLong() : 0;
    switch (RedlineEntityType) {
      case 0: {
        LineRecord& hit = db.LineTable(sel);
        hit.Deleted = winplat::VARIANT_TRUE;
        if (hit.GroupID != 0)
          for (std::int32_t i = 1; i <= db.LineCount; ++i) {
            LineRecord& r = db.LineTable(i);
            if (r.Redline && !r.Deleted && r.GroupID == hit.GroupID) r.Deleted = winplat::VARIANT_TRUE;
          }
        break;
      }
      case 1:
        db.CircleTable(sel).Deleted = winplat::VARIANT_TRUE;
        break;
      case 2:
        db.TextTable(sel).Deleted = winplat::VARIANT_TRUE;
        break;
      case 3:
        db.SolidTable(sel).Deleted = winplat::VARIANT_TRUE;
        break;
      default:
        break;
    }
    // The deleted entity is no longer a selection.
    ClearRedlineSelection();
    if (!HandleHide(strError) || !Refresh(strError)) return false;
    strError.clear();
    return true;
  } catch (...) {
    strError = "An error occured in RedlineDeleteEntity. The message is: " + CurrentErrorText();
    return false;
  }
}

bool DXF::RedlineUnDeleteEntity(std::string& strError) {
  try {
    RefuseWhileReading(*this, "RedlineUnDeleteEntity");
    for (std::int32_t i = 1; i <= db.LineCount; ++i) db.LineTable(i).Deleted = 0;
    for (std::int32_t i = 1; i <= db.CircleCount; ++i) db.CircleTable(i).Deleted = 0;
    for (std::int32_t i = 1; i <= db.TextCount; ++i) db.TextTable(i).Deleted = 0;
    for (std::int32_t i = 1; i <= db.SolidCount; ++i) db.SolidTable(i).Deleted = 0;
    if (!HandleHide(strError) || !Refresh(strError)) return false;
    strError.clear();
    return true;
  } catch (...) {
    strError = "An error occured in RedlineUnDeleteEntity. The message is: " + CurrentErrorText();
    return false;
  }
}

bool DXF::SetInsertColor(std::string& strError, std::int32_t InsertIndex, std::int32_t BlockColor) {
  try {
    if (InsertIndex == 0)
      throw winplat::AutomationError(static_cast<std::int32_t>(0x80040000u), "SetInsertColor",
                                     "Cannot change the color of inserted block '0'.");
    for (std::int32_t i = 1; i <= db.LineCount; ++i)
      if (db.LineTable(i).InsertID == InsertIndex) db.LineTable(i).Color = BlockColor;
    for (std::int32_t i = 1; i <= db.PolylineCount; ++i)
      if (db.PolylineTable(i).InsertID == InsertIndex) db.PolylineTable(i).Color = BlockColor;
    for (std::int32_t i = 1; i <= db.CircleCount; ++i)
      if (db.CircleTable(i).InsertID == InsertIndex) db.CircleTable(i).Color = BlockColor;
    for (std::int32_t i = 1; i <= db.TextCount; ++i)
      if (db.TextTable(i).InsertID == InsertIndex) db.TextTable(i).Color = BlockColor;
    for (std::int32_t i = 1; i <= db.SolidCount; ++i)
      if (db.SolidTable(i).InsertID == InsertIndex) db.SolidTable(i).Color = BlockColor;
    strError.clear();
    return true;
  } catch (...) {
    strError = "DXF.SetInsertColor: " + CurrentErrorText();
    return false;
  }
}

void DXF::RegisterRedline() {
  AddMethod(dispid::DXFAddLine, "DXFAddLine", [this](Args& a) {
    std::int32_t id = a.Missing(5) ? 0 : a.Long(5);
    return Variant(DXFAddLine(a.Single(0), a.Single(1), a.Single(2), a.Single(3), a.String(4), id));
  }, 6);
  AddMethod(dispid::DXFAddSolid, "DXFAddSolid", [this](Args& a) {
    return Variant(DXFAddSolid(a.Single(0), a.Single(1), a.Single(2), a.Single(3), a.Single(4), a.Single(5),
                               a.Single(6), a.Single(7), a.String(8)));
  }, 9);
  AddMethod(dispid::DXFAddCircle, "DXFAddCircle", [this](Args& a) {
    return Variant(DXFAddCircle(a.Single(0), a.Single(1), a.Single(2), a.Single(3), a.String(4)));
  }, 5);
  AddMethod(dispid::DXFAddText, "DXFAddText", [this](Args& a) {
    auto optional = [&a](std::size_t i) { return a.Missing(i) ? Variant::Missing() : a[i].Value(); };
    return Variant(DXFAddText(a.Single(0), a.Single(1), a.String(2), a.String(3), a.Long(4), optional(5),
                              optional(6), optional(7)));
  }, 8);
  AddMethod(dispid::RedlineDeleteEntity, "RedlineDeleteEntity", [this](Args& a) {
    std::string err;
    bool ok = RedlineDeleteEntity(err);
    SetStrError(a, err);
    return Variant(ok);
  }, 1);
  AddMethod(dispid::RedlineUnDeleteEntity, "RedlineUnDeleteEntity", [this](Args& a) {
    std::string err;
    bool ok = RedlineUnDeleteEntity(err);
    SetStrError(a, err);
    return Variant(ok);
  }, 1);
  AddMethod(dispid::SetInsertColor, "SetInsertColor", [this](Args& a) {
    std::string err;
    bool ok = false;
    try {
      ok = SetInsertColor(err, a.Long(1), a.Long(2));
    } catch (...) {
      err = "DXF.SetInsertColor: " + CurrentErrorText();
    }
    SetStrError(a, err);
    return Variant(ok);
  }, 3);
}

}  // namespace kelvane
