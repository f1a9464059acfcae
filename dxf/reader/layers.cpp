// Layers and their lookups.
#include "layers.h"

#include "../control/error_trail.h"
#include "winplat/numeric.h"
#include "winplat/text.h"

namespace kelvane {

DXFLayer::DXFLayer() : DispatchObject("DXFLayer") {
  SetErrorSource(kLibraryName);
  AddField(0x40030000, "LayerName", &LayerName);
  AddField(0x40030001, "LayerColor", &LayerColor);
  AddField(0x40030002, "LayerOn", &LayerOn);
  AddField(0x40030003, "NewLayer", &NewLayer);
  AddProperty(
      0x68030000, "RedlineLayer", [this](winplat::Args&) { return winplat::Variant(redlineLayer_); },
      [this](winplat::Args&, const winplat::Variant& v) { redlineLayer_ = v.ToBool(); });
}

DXFLayers::DXFLayers() : DispatchObject("DXFLayers"), col_(winplat::MakeObject<winplat::Collection>()) {
  using winplat::Args;
  using winplat::Variant;
  SetErrorSource(kLibraryName);
  AddMethod(
      0x60030000, "Add",
      [this](Args& a) {
        return Variant(Add(a.Integer(0), a.Long(1), a.String(2), a.Integer(3), a.Bool(4)));
      },
      6);
  AddMethod(
      0x60030001, "CheckDuplicateLayer",
      [this](Args& a) {
        std::string strError;
        bool exists = a.Missing(1) ? false : a.Bool(1);
        bool ok = CheckDuplicateLayer(strError, exists, a.String(2));
        a.Set(0, Variant(strError));
        a.Set(1, Variant(exists));
        return Variant(ok);
      },
      3);
  AddMethod(winplat::DISPID_VALUE, "Item", [this](Args& a) { return Variant(Item(a[0])); }, 1);
  AddProperty(0x68030000, "Count", [this](Args&) { return Variant(Count()); });
  AddMethod(
      0x60030002, "Remove",
      [this](Args& a) {
        Remove(a[0]);
        return Variant();
      },
      1);
  AddMethod(
      winplat::DISPID_NEWENUM, "NewEnum",
      [this](Args&) { return winplat::Invoke(col_.Get(), winplat::DISPID_NEWENUM, winplat::DISPATCH_METHOD); }, 0);
}

winplat::ComPtr<DXFLayer> DXFLayers::Add(std::int16_t LayerOn, std::int32_t LayerColor, std::string_view LayerName,
                                         std::int16_t NewLayer, bool RedlineLayer) {
  auto layer = winplat::MakeObject<DXFLayer>();
  layer->LayerOn = LayerOn;
  layer->LayerColor = LayerColor;
  layer->LayerName = std::string(LayerName);
  layer->NewLayer = NewLayer;
  layer->SetRedlineLayer(RedlineLayer);
  col_->Add(winplat::Variant(layer));
  return layer;
}

bool DXFLayers::CheckDuplicateLayer(std::string& strError, bool& LayerExists, std::string_view NewLayerName) {
  strError.clear();
  try {
    for (std::int32_t i = 1; i <= Count(); ++i) {
      if (Item(winplat::Variant(i))->LayerName == NewLayerName) {
        LayerExists = true;
        break;
      }
    }
    return true;
  } catch (const std::exception& e) {
    strError = std::string("An error ocurred in CheckDuplicateLayer. The message is: ") + e.what();
    return false;
  }
}

winplat::ComPtr<DXFLayer> DXFLayers::Item(const winplat::Variant& vntIndexKey) const {
  winplat::Variant v = col_->Item(vntIndexKey);
  return winplat::QueryInterface<DXFLayer>(v.ToObject().Get());
}

bool DXFNewLayer(DXFLayers& colLayers, const LayerRecordGroups& groups, AciToRgbFn aciToRgb) {
  return WithErrorTrail("DXFNewLayer", [&] {
    double colour = winplat::Val(groups.Color);
    std::int16_t index = winplat::CInt(colour < 0 ? -colour : colour);
    std::int32_t rgb = (index == 0 || !aciToRgb) ? 0 : aciToRgb(index);
    std::int16_t on = -1;
    if (colour < 0 || (winplat::CLng(winplat::Val(groups.Flags)) & 1)) on = 0;
    bool redline = groups.Comment.find("REDLINE") != std::string::npos;
    colLayers.Add(on, rgb, groups.Name, 0, redline);
    return true;
  });
}

std::int16_t SetLayerID(DXFLayers& colLayers, std::string_view LayerName) {
  return WithErrorTrail("SetLayerID", [&]() -> std::int16_t {
    std::string wanted = winplat::UCase(LayerName);
    std::int32_t count = colLayers.Count();
    for (std::int32_t i = 1; i <= count; ++i) {
      if (winplat::UCase(winplat::Trim(colLayers.Item(winplat::Variant(i))->LayerName)) == wanted) return winplat::CInt(i);
    }
    colLayers.Add(-1, 0, LayerName, 0, false);
    return winplat::CInt(colLayers.Count());
  });
}

std::int16_t LayerIsOn(DXFLayers* colLayers, std::int32_t LayerID) noexcept {
  try {
    if (!colLayers) return -1;
    auto layer = colLayers->Item(winplat::Variant(LayerID));
    return layer ? layer->LayerOn : std::int16_t{-1};
  } catch (...) {
    return -1;
  }
}

}  // namespace kelvane
