// ExportMergedDXF: the whole data base, every drawing read into it after its
// transforms, as a DXF file of its own; and the dispatch bindings of the writers.
#include <map>
#include <string>
#include <vector>

#include "dxf_exp.h"
#include "dxf_reader.h"
#include "dxfengine.h"
#include "winplat/numeric.h"
#include "winplat/text.h"

namespace kelvane {

using winplat::Args;
using winplat::Variant;

namespace {

// The layer table as written: each name once, trimmed (the first of names that
// differ only in case wins), and the name every layer number is written under.
struct ExportLayers {
  struct Record {
    std::string name;
    std::int32_t color;
  };
  std::vector<Record> records;
  std::vector<std::string> nameOf;  // by layer number - 1

  explicit ExportLayers(DXFLayers& layers) {
    std::map<std::string, std::string> byKey;
    for (std::int32_t i = 1; i <= layers.Count(); ++i) {
      auto layer = layers.Item(Variant(i));
      const std::string name = winplat::Trim(DxfLineValue(layer->LayerName));
      if (name.empty()) {
        nameOf.push_back("0");
        continue;
      }
      auto [at, added] = byKey.emplace(winplat::UCase(name), name);
      if (added) records.push_back({name, RgbToAci(layer->LayerColor)});
      nameOf.push_back(at->second);
    }
  }
  // "0" for a layer number that names no layer.
  const std::string& Name(std::int32_t layer) const {
    static const std::string zero = "0";
    if (layer < 1 || layer > static_cast<std::int32_t>(nameOf.size())) return zero;
    return nameOf[static_cast<std::size_t>(layer - 1)];
  }
};

// The DXF colour number of a row's own colour; 0 (none written) for "by layer".
std::int32_t RowColor(std::int32_t rgb) { return rgb == 0 ? 0 : RgbToAci(rgb); }

}  // namespace

Variant DXF::ExportMergedDXF(const std::string& strFileName) {
  RefuseWhileReading(*this, "ExportMergedDXF");
  SetMergeExtents();
  DXFEXP exp;
  std::string strError;
  if (!exp.ExpOpen(strError, strFileName))
    throw winplat::AutomationError(exp.OpenErrorNumber(), kLibraryName, strError);
  const ExtentsRect& e = db.DrawingExtents;
  exp.ExpHeader(e.Left, e.Bottom, e.Right, e.Top);
  const ExportLayers layers(db.Layers());
  exp.ExpTablesStart(static_cast<std::int32_t>(layers.records.size()));
  for (const auto& r : layers.records) exp.ExpLayer(r.name, r.color);
  exp.ExpEndTab();
  exp.ExpTablesEnd();
  exp.ExpEntitiesStart();
  for (std::int32_t i = 1; i <= db.EntityCount; ++i) {
    const EntityRef ref = db.EntityIndex(i);
    switch (ref.EntityType) {
      case etLine: {
        const LineRecord& r = db.LineTable(ref.Row);
        if (r.Deleted) break;
        exp.ExpLine(r.X1, r.Y1, r.X2, r.Y2, layers.Name(r.Layer), RowColor(r.Color));
        break;
      }
      case etPolyline: {
        const PolylineSegmentRecord& r = db.PolylineTable(ref.Row);
        const std::string& layer = layers.Name(r.Layer);
        exp.ExpPolyline(r.Width, layer, RowColor(r.Color));
        exp.ExpVertex(r.X1, r.Y1, r.Bulge, layer);
        exp.ExpVertex(r.X2, r.Y2, r.Bulge, layer);
        exp.ExpSeqEnd();
        break;
      }
      case etText: {
        const TextRecord& r = db.TextTable(ref.Row);
        if (r.Deleted) break;
        exp.ExpText(r.X, r.Y, r.Height, r.Rotation, r.Text.Padded(), r.HorzAlign, layers.Name(r.Layer),
                    r.Underline != 0, RowColor(r.Color));
        break;
      }
      case etCircle: {
        const CircleRecord& r = db.CircleTable(ref.Row);
        if (r.Deleted) break;
        if (r.StartAngle == r.EndAngle)
          exp.ExpCircle(r.X, r.Y, r.Radius, layers.Name(r.Layer), RowColor(r.Color));
        else
          exp.ExpArc(r.X, r.Y, r.Radius, r.StartAngle, r.EndAngle, layers.Name(r.Layer), RowColor(r.Color));
        break;
      }
      case etSolid: {
        const SolidRecord& r = db.SolidTable(ref.Row);
        if (r.Deleted) break;
        exp.ExpSolid(r.X1, r.Y1, r.X2, r.Y2, r.X3, r.Y3, r.X4, r.Y4, layers.Name(r.Layer), RowColor(r.Color));
        break;
      }
      case etPoint: {
        const PointRecord& r = db.PointTable(ref.Row);
        exp.ExpPoint(r.X, r.Y, layers.Name(r.Layer), RowColor(r.Color));
        break;
      }
      case etAttrib: {
        const AttribRecord& r = db.AttribTable(ref.Row);
        exp.ExpText(r.X, r.Y, r.Height, r.Rotation, r.TagValue.Padded(), r.HorzAlign, layers.Name(r.Layer), false,
                    RowColor(r.Color));
        break;
      }
      default:
        break;  // ellipses have no form in this file
    }
  }
  exp.ExpClose();
  return Variant();
}

void DXF::RegisterWriters() {
  AddMethod(dispid::Save, "Save", [this](Args& a) { return Variant(Save(a.String(0))); }, 1);
  AddMethod(dispid::ExportMergedDXF, "ExportMergedDXF",
            [this](Args& a) { return ExportMergedDXF(a.String(0)); }, 2);
}

}  // namespace kelvane
