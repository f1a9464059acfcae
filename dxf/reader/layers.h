#pragma once
// The layer model: DXFLayer, the collection class DXFLayers, and the lookups
// that turn a layer name into a layer number (its 1-based position).
#include <cstdint>
#include <string>
#include <string_view>

#include "winplat/collection.h"
#include "winplat/dispatch.h"

namespace kelvane {

class DXFLayer : public winplat::DispatchObject {
 public:
  DXFLayer();

  // Public fields.
  std::string LayerName;
  std::int32_t LayerColor = 0;
  std::int16_t LayerOn = 0;
  std::int16_t NewLayer = 0;

  bool RedlineLayer() const { return redlineLayer_; }
  void SetRedlineLayer(bool value) { redlineLayer_ = value; }

 private:
  bool redlineLayer_ = false;
};

class DXFLayers : public winplat::DispatchObject {
 public:
  DXFLayers();

  // Appends a new layer (sKey is not used) and returns it.
  winplat::ComPtr<DXFLayer> Add(std::int16_t LayerOn, std::int32_t LayerColor, std::string_view LayerName,
                                std::int16_t NewLayer, bool RedlineLayer);
  // LayerExists True at the first layer named exactly NewLayerName (left as
  // passed when none); False and strError on a failure.
  bool CheckDuplicateLayer(std::string& strError, bool& LayerExists, std::string_view NewLayerName);
  // By position (1-based) or key; errors as the collection's.
  winplat::ComPtr<DXFLayer> Item(const winplat::Variant& vntIndexKey) const;
  std::int32_t Count() const { return col_->Count(); }
  void Remove(const winplat::Variant& vntIndexKey) { col_->Remove(vntIndexKey); }

 private:
  winplat::ComPtr<winplat::Collection> col_;
};

// The group values of one record of the LAYER table, as read (empty when absent).
struct LayerRecordGroups {
  std::string Name;     // code 2
  std::string Color;    // code 62: colour index, negative for a layer that is off
  std::string Flags;    // code 70: bit 0 set for a frozen layer
  std::string Comment;  // code 999
};

// RGB colour of an AutoCAD colour index.
using AciToRgbFn = std::int32_t (*)(std::int16_t aci);

// A layer from a LAYER record, appended to colLayers. Returns True.
bool DXFNewLayer(DXFLayers& colLayers, const LayerRecordGroups& groups, AciToRgbFn aciToRgb);

// The layer number for a name: the first layer whose trimmed name matches
// without regard to case; otherwise a new layer (on, colour 0) of that name.
std::int16_t SetLayerID(DXFLayers& colLayers, std::string_view LayerName);
// LayerOn of that layer; True when there is no such layer.
std::int16_t LayerIsOn(DXFLayers* colLayers, std::int32_t LayerID) noexcept;

}  // namespace kelvane
