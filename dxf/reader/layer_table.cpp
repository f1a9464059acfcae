// DXFNewLayer: one record of the LAYER table becomes a layer.
#include <cmath>

#include "dxf_reader.h"
#include "dxfengine.h"
#include "winplat/numeric.h"

namespace kelvane {

bool DXFNewLayer(DXF& dxf) {
  return WithErrorTrail("DXFNewLayer", [&] {
    LoadEntity(dxf);
    const DxfGroupTable& t = dxf.reader.GroupValueTable;
    std::string name(t.Value(2));
    double colourNumber = t.Double(62);
    std::int32_t layerColor = AciToRgb(winplat::CInt(std::fabs(colourNumber)));
    std::int16_t layerOn = 0;
    if (colourNumber >= 0)  // a negative colour number marks a layer that is off
      layerOn = IsBitSet(winplat::CLng(t.Double(70)), 0) ? 0 : winplat::VARIANT_TRUE;  // frozen: off
    bool redline = t.Value(999).find("REDLINE") != std::string_view::npos;
    dxf.db.Layers().Add(layerOn, layerColor, name, 0, redline);
    return true;
  }, dxf.DrawingCleanup());
}

}  // namespace kelvane
