#pragma once
// What the engine reads and sets on the main window, without the forms: the
// console implements this over its controls; tests implement it over values.
// Setting a control's text or value raises the control's change handler, as
// the console's controls do; the engine relies on that only where it guards
// against it (GeoLoading).
#include <cstdint>
#include <string>
#include <vector>

#include "winplat/components/grid.h"

namespace fieldray::engine {

// The eighteen text boxes of the geometric-correction tab, in the order of
// their settings keys.
enum class GeoBox {
  GeoRotate,
  GeoPosX,
  GeoPosY,
  GeoSizeX,
  GeoSizeY,
  GeoPinX,
  GeoPinY,
  GeoPara,
  GeoKeyX,
  GeoKeyY,
  GeoLinX,
  GeoLinY,
  GeoBowX,
  GeoBowY,
  GeoShearX,
  GeoShearY,
  GeoBalX,
  GeoBalY,
};
constexpr int GeoBoxCount = 18;

class ConsoleView {
 public:
  virtual ~ConsoleView() = default;

  // The status line Msg: its text replaced.
  virtual void SetMsg(const std::string& text) = 0;

  // Captions of the field-scale labels LblXAdj and LblYAdj.
  virtual void SetLblXAdj(const std::string& caption) = 0;
  virtual void SetLblYAdj(const std::string& caption) = 0;

  // The field option group OptFld: the indices of its members from lowest to
  // highest, and whether member `index` is checked.
  virtual std::vector<std::int16_t> OptFldIndices() const = 0;
  virtual bool OptFldChecked(std::int16_t index) const = 0;

  // The height-preset option group PrjHght (members 0..5), likewise.
  virtual std::vector<std::int16_t> PrjHghtIndices() const = 0;
  virtual bool PrjHghtChecked(std::int16_t index) const = 0;

  // The height-preset grid PHSdata (null while there is none: its cells read as "").
  virtual winplat::SpreadGrid* PHSdata() = 0;

  // The switch-option grid SSOptSw of the switch-options dialog: one column
  // per switch position, rows 1..8 its options (null while there is none).
  virtual winplat::SpreadGrid* SSOptSw() = 0;

  // Text of a geometric-correction box; setting it raises the box's change handler.
  virtual std::string GeoText(GeoBox box) const = 0;
  virtual void SetGeoText(GeoBox box, const std::string& text) = 0;
};

}  // namespace fieldray::engine
