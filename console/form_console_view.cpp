// The engine's view of the main window over the real controls.
#include "console/form_console_view.h"

namespace fieldray::console {
namespace {

template <typename T>
std::vector<std::int16_t> IndicesOf(const wc::ControlArray<T>& array) {
  std::vector<std::int16_t> out;
  for (const auto& [index, element] : array.Elements()) out.push_back(static_cast<std::int16_t>(index));
  return out;
}

template <typename T>
bool CheckedIn(const wc::ControlArray<T>& array, std::int16_t index) {
  return array.Exists(index) && array(index).Value();
}

}  // namespace

void FormConsoleView::SetMsg(const std::string& text) { main_.Msg.SetCaption(text); }
std::string FormConsoleView::Msg() const { return main_.Msg.Caption(); }
void FormConsoleView::SetLblXAdj(const std::string& caption) { main_.LblXAdj.SetCaption(caption); }
void FormConsoleView::SetLblYAdj(const std::string& caption) { main_.LblYAdj.SetCaption(caption); }

std::vector<std::int16_t> FormConsoleView::OptFldIndices() const { return IndicesOf(main_.OptFld); }
bool FormConsoleView::OptFldChecked(std::int16_t index) const { return CheckedIn(main_.OptFld, index); }
std::vector<std::int16_t> FormConsoleView::PrjHghtIndices() const { return IndicesOf(main_.PrjHght); }
bool FormConsoleView::PrjHghtChecked(std::int16_t index) const { return CheckedIn(main_.PrjHght, index); }

winplat::SpreadGrid* FormConsoleView::PHSdata() {
  if (!slots_ || !slots_->PHSdata) return nullptr;
  return &slots_->PHSdata->Grid();
}

wc::TextBox& FormConsoleView::GeoBoxControl(engine::GeoBox box) const {
  using engine::GeoBox;
  switch (box) {
    case GeoBox::GeoRotate: return main_.GeoRotate;
    case GeoBox::GeoPosX: return main_.GeoPosX;
    case GeoBox::GeoPosY: return main_.GeoPosY;
    case GeoBox::GeoSizeX: return main_.GeoSizeX;
    case GeoBox::GeoSizeY: return main_.GeoSizeY;
    case GeoBox::GeoPinX: return main_.GeoPinX;
    case GeoBox::GeoPinY: return main_.GeoPinY;
    case GeoBox::GeoPara: return main_.GeoPara;
    case GeoBox::GeoKeyX: return main_.GeoKeyX;
    case GeoBox::GeoKeyY: return main_.GeoKeyY;
    case GeoBox::GeoLinX: return main_.GeoLinX;
    case GeoBox::GeoLinY: return main_.GeoLinY;
    case GeoBox::GeoBowX: return main_.GeoBowX;
    case GeoBox::GeoBowY: return main_.GeoBowY;
    case GeoBox::GeoShearX: return main_.GeoShearX;
    case GeoBox::GeoShearY: return main_.GeoShearY;
    case GeoBox::GeoBalX: return main_.GeoBalX;
    case GeoBox::GeoBalY: break;
  }
  return main_.GeoBalY;
}

std::string FormConsoleView::GeoText(engine::GeoBox box) const { return GeoBoxControl(box).Text(); }
void FormConsoleView::SetGeoText(engine::GeoBox box, const std::string& text) { GeoBoxControl(box).SetText(text); }

winplat::SpreadGrid* FormConsoleView::SSOptSw() {
  if (!slots_ || !slots_->SSOptSw) return nullptr;
  return &slots_->SSOptSw->Grid();
}

wc::CheckBox& FormConsoleView::CheckControl(engine::OutputCheck box) const {
  using engine::OutputCheck;
  switch (box) {
    case OutputCheck::OnOff: return main_.OnOff;
    case OutputCheck::CapBtn: return main_.CapBtn;
    case OutputCheck::CapThr: return main_.CapThr;
    case OutputCheck::CapNam: return main_.CapNam;
    case OutputCheck::Cap2L: return main_.Cap2L;
    case OutputCheck::CapLen: return main_.CapLen;
    case OutputCheck::CapHgt: return main_.CapHgt;
    case OutputCheck::CapMsg: return main_.CapMsg;
    case OutputCheck::CapThk: break;
  }
  return main_.CapThk;
}

wc::TextBox& FormConsoleView::TextControl(engine::OutputText box) const {
  using engine::OutputText;
  switch (box) {
    case OutputText::SRUL: return main_.SRUL;
    case OutputText::SRLL: return main_.SRLL;
    case OutputText::BlnkTm: return main_.BlnkTm;
    case OutputText::TdTxt: return main_.TdTxt;
    case OutputText::CapX: return main_.CapX;
    case OutputText::CapY: return main_.CapY;
    case OutputText::CharW: return main_.CharW;
    case OutputText::CharH: break;
  }
  return main_.CharH;
}

std::int16_t FormConsoleView::CheckState(engine::OutputCheck box) const {
  return static_cast<std::int16_t>(CheckControl(box).Value());
}
void FormConsoleView::SetCheckState(engine::OutputCheck box, std::int16_t state) { CheckControl(box).SetValue(state); }
std::string FormConsoleView::OutputTextOf(engine::OutputText box) const { return TextControl(box).Text(); }
void FormConsoleView::SetOutputText(engine::OutputText box, const std::string& text) {
  TextControl(box).SetText(text);
}
std::int32_t FormConsoleView::UpDownMin(engine::OutputUpDown control) const {
  return control == engine::OutputUpDown::ScnRtUD ? main_.ScnRtUD.Min() : main_.BlnkTmUD.Min();
}
std::int32_t FormConsoleView::UpDownMax(engine::OutputUpDown control) const {
  return control == engine::OutputUpDown::ScnRtUD ? main_.ScnRtUD.Max() : main_.BlnkTmUD.Max();
}
void FormConsoleView::SetOnOffCaption(const std::string& caption) { main_.OnOff.SetCaption(caption); }
void FormConsoleView::FocusSSTab1() { main_.SSTab1.SetFocus(); }
std::int32_t FormConsoleView::DispLaserHandle() const { return static_cast<std::int32_t>(main_.DispLaser.hWnd()); }
void FormConsoleView::SetLabStat(const std::string& caption) { main_.LabStat.SetCaption(caption); }
std::vector<std::int16_t> FormConsoleView::PrjPosIndices() const { return IndicesOf(main_.PrjPos); }
bool FormConsoleView::PrjPosChecked(std::int16_t index) const { return CheckedIn(main_.PrjPos, index); }
void FormConsoleView::SetPrjPosCaption(std::int16_t index, const std::string& caption) {
  if (main_.PrjPos.Exists(index)) main_.PrjPos(index).SetCaption(caption);
}
void FormConsoleView::SetPrjPosEnabled(std::int16_t index, bool enabled) {
  if (main_.PrjPos.Exists(index)) main_.PrjPos(index).SetEnabled(enabled);
}
void FormConsoleView::SetPMFrameEnabled(bool enabled) { main_.PMFrame.SetEnabled(enabled); }
void FormConsoleView::SetOptFldEnabled(std::int16_t index, bool enabled) {
  if (main_.OptFld.Exists(index)) main_.OptFld(index).SetEnabled(enabled);
}
void FormConsoleView::SetMFFrameEnabled(bool enabled) { main_.MFFrame.SetEnabled(enabled); }
void FormConsoleView::AddListCal(const std::string& entry) { main_.ListCal.AddItem(entry); }

}  // namespace fieldray::console
