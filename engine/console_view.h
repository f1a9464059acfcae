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

// The check boxes of the output and caption options (state 0, 1 or 2).
enum class OutputCheck { OnOff, CapBtn, CapThr, CapNam, Cap2L, CapLen, CapHgt, CapThk, CapMsg };
// The text boxes of the scan-rate, blanking and caption options.
enum class OutputText { SRUL, SRLL, BlnkTm, TdTxt, CapX, CapY, CharW, CharH };
// Up-down controls whose bounds the engine reads.
enum class OutputUpDown { ScnRtUD, BlnkTmUD };

class ConsoleView {
 public:
  virtual ~ConsoleView() = default;

  // The status line Msg: its text replaced, and its text now.
  virtual void SetMsg(const std::string& text) = 0;
  virtual std::string Msg() const = 0;

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

  // Output and caption check boxes; setting a state raises the box's click
  // handler when the state changes, as the console's check boxes do.
  virtual std::int16_t CheckState(OutputCheck box) const = 0;
  virtual void SetCheckState(OutputCheck box, std::int16_t state) = 0;
  // Output and caption text boxes; setting a text raises the change handler.
  virtual std::string OutputTextOf(OutputText box) const = 0;
  virtual void SetOutputText(OutputText box, const std::string& text) = 0;
  virtual std::int32_t UpDownMin(OutputUpDown control) const = 0;
  virtual std::int32_t UpDownMax(OutputUpDown control) const = 0;

  // OnOff's caption, and the input focus moved to the tab control SSTab1.
  virtual void SetOnOffCaption(const std::string& caption) = 0;
  virtual void FocusSSTab1() = 0;
  // The window handle of the preview picture box DispLaser, as a Long.
  virtual std::int32_t DispLaserHandle() const = 0;
  // The caption of the label LabStat.
  virtual void SetLabStat(const std::string& caption) = 0;

  // The projection-position option group PrjPos in its frame PMFrame.
  virtual std::vector<std::int16_t> PrjPosIndices() const = 0;
  virtual bool PrjPosChecked(std::int16_t index) const = 0;
  virtual void SetPrjPosCaption(std::int16_t index, const std::string& caption) = 0;
  virtual void SetPrjPosEnabled(std::int16_t index, bool enabled) = 0;
  virtual void SetPMFrameEnabled(bool enabled) = 0;
  // The field option group OptFld in its frame MFFrame.
  virtual void SetOptFldEnabled(std::int16_t index, bool enabled) = 0;
  virtual void SetMFFrameEnabled(bool enabled) = 0;

  // Appends an entry to the calibration list ListCal.
  virtual void AddListCal(const std::string& entry) = 0;
};

}  // namespace fieldray::engine
