// Placing the drawing view control in its slot on the main window.
#include "console/drawing_view.h"

#include <cmath>

#include "winplat/controls/lists.h"
#include "winplat/screen.h"

namespace fieldray::console {
namespace {

int Px(int twips) { return static_cast<int>(std::lround(winplat::TwipsToPixels(twips))); }

}  // namespace

DrawingView::DrawingView(MainForm& main, const winplat::PropertyBag* bag) : main_(main) {
  main_.Load();
  host_ = std::make_unique<engine::DxfHost>(main_.hWnd(), bag);
  main_.DXF1.SetObject(&host_->DXF1());
  main_.DXF1.SetPlacementHook([this](const wc::HostSlot& slot) { Follow(slot); });
  Follow(main_.DXF1);
}

DrawingView::~DrawingView() {
  main_.DXF1.SetPlacementHook(nullptr);
  main_.DXF1.SetObject(nullptr);
}

void DrawingView::Follow(const wc::HostSlot& slot) {
  int left = Px(slot.Left()), top = Px(slot.Top());
  for (const wc::Control* c = slot.Container(); c && c != &main_; c = c->Container()) {
    left += Px(c->Left());
    top += Px(c->Top());
  }
  host_->Move(left, top, Px(slot.Width()), Px(slot.Height()));
  // Shown when the slot and its containers are (the window itself may still be hidden).
  bool shown = true;
  for (const wc::Control* c = &slot; c && c != &main_ && shown; c = c->Container()) {
    shown = c->Visible();
    if (c->TabPage() >= 0)
      if (auto* strip = dynamic_cast<const wc::TabStrip*>(c->Container())) shown = shown && strip->Tab() == c->TabPage();
  }
  host_->SetVisible(shown);
}

}  // namespace fieldray::console
