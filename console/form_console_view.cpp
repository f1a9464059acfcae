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

}  // namespace fieldray::console
