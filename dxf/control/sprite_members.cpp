// The control's sprite members. Each sprite knows whether it stands on the
// picture: showing draws only one that does not, hiding, moving and
// recolouring erase only one that does, a cleared picture holds none, and
// every pass onto the picture erases them first and draws the visible ones
// again at its end. Apart from SpriteAdd's scalar check, the members answer
// False on any failure and never raise.
#include "dxf_control.h"
#include "gdiprims.h"
#include "sprite.h"
#include "winplat/collection.h"
#include "winplat/gdi.h"
#include "winplat/surface.h"

namespace kelvane {

using winplat::Args;
using winplat::ComPtr;
using winplat::Variant;

namespace {

constexpr std::int32_t kScalarError = static_cast<std::int32_t>(0x80040000u);

template <class F>
bool Answer(F&& body) {
  try {
    return body();
  } catch (...) {
    return false;
  }
}

}  // namespace

std::vector<ComPtr<clsSprite>> DXF::Sprites() const {
  std::vector<ComPtr<clsSprite>> out;
  auto sprites = winplat::QueryInterface<winplat::Collection>(colSprites.Get());
  if (!sprites) return out;
  for (std::int32_t i = 1; i <= sprites->Count(); ++i)
    if (auto s = winplat::QueryInterface<clsSprite>(sprites->Item(Variant(i)).ToObject().Get())) out.push_back(s);
  return out;
}

ComPtr<clsSprite> DXF::SpriteAt(std::int32_t SpriteID) const {
  auto sprites = winplat::QueryInterface<winplat::Collection>(colSprites.Get());
  if (!sprites) throw winplat::RuntimeError(91);
  auto s = winplat::QueryInterface<clsSprite>(sprites->Item(Variant(SpriteID)).ToObject().Get());
  if (!s) throw winplat::RuntimeError(13);
  return s;
}

SpriteView DXF::CurrentSpriteView() const {
  SpriteView v{gsScaler, DXFXMin, DXFYMin, ViewHeight, ViewWidth, ViewHeight};
  return v;
}

void DXF::PutSprite(clsSprite& sprite, bool drawn) {
  if (sprite.Drawn == drawn || !picKelvane.hDC) return;
  if (drawn) {
    if (gsScaler == 0) return;  // no view to draw in yet
    sprite.DrawnAt = CurrentSpriteView();
  }
  sprite.DrawSprite(picKelvane.hDC, sprite.DrawnAt);
  sprite.Drawn = drawn;
}

void DXF::EraseDrawnSprites() {
  for (auto& s : Sprites()) PutSprite(*s, false);
}

void DXF::DrawVisibleSprites() {
  for (auto& s : Sprites())
    if (s->Visible) PutSprite(*s, true);
}

void DXF::MarkSpritesUndrawn() {
  for (auto& s : Sprites()) s->Drawn = false;
}

bool DXF::SpriteInitialize() {
  colSprites = winplat::MakeObject<winplat::Collection>();
  return true;
}

bool DXF::SpriteAdd(const std::string& BlockFilename, std::int32_t& SpriteID, float BaseRotation, float xMAgnify,
                    float yMagnify) {
  if (xMAgnify == 0 || yMagnify == 0)
    throw winplat::AutomationError(kScalarError, "KelvaneOCX.SpriteAdd", "The X and Y scalars must not be 0");
  SpriteID = 0;
  return Answer([&] {
    auto sprites = winplat::QueryInterface<winplat::Collection>(colSprites.Get());
    if (!sprites) return false;
    auto sprite = winplat::MakeObject<clsSprite>();
    sprite->BlockFilename = BlockFilename;
    if (!sprite->LoadSprite()) return false;
    sprite->ScaleX = xMAgnify;
    sprite->ScaleY = yMagnify;
    sprite->Rotation = BaseRotation;
    sprite->Handle = sprites->Count() + 1;
    sprites->Add(Variant(ComPtr<winplat::IDispatch>(sprite)));
    SpriteID = sprite->Handle;
    return true;
  });
}

bool DXF::SpriteCheck(std::string& strError, const std::string& BlockFilename) {
  return Answer([&] {
    auto sprite = winplat::MakeObject<clsSprite>();
    sprite->BlockFilename = BlockFilename;
    return sprite->CheckSprite(strError);
  });
}

bool DXF::SpriteShow(std::int32_t SpriteID) {
  return Answer([&] {
    ComPtr<clsSprite> s = SpriteAt(SpriteID);
    SetPictureAutoRedraw(true);
    s->Visible = winplat::VARIANT_TRUE;
    PutSprite(*s, true);
    RefreshPicture();
    return true;
  });
}

bool DXF::SpriteHide(std::int32_t SpriteID) {
  return Answer([&] {
    ComPtr<clsSprite> s = SpriteAt(SpriteID);
    SetPictureAutoRedraw(true);
    s->Visible = 0;
    PutSprite(*s, false);
    RefreshPicture();
    return true;
  });
}

bool DXF::SpriteMove(std::int32_t SpriteID, float XTrans, float YTrans, const Variant& RotateAngle) {
  return Answer([&] {
    ComPtr<clsSprite> s = SpriteAt(SpriteID);
    const float rotation = RotateAngle.IsMissing() ? s->Rotation : RotateAngle.ToSingle();
    PutSprite(*s, false);
    s->X = XTrans;
    s->Y = YTrans;
    s->Rotation = rotation;
    s->Visible = winplat::VARIANT_TRUE;
    PutSprite(*s, true);
    RefreshPicture();
    return true;
  });
}

bool DXF::SpriteSetColor(std::int32_t SpriteID, std::int32_t SpriteColor) {
  return Answer([&] {
    ComPtr<clsSprite> s = SpriteAt(SpriteID);
    PutSprite(*s, false);
    s->SetSpriteColor(SpriteColor);
    if (s->Visible) PutSprite(*s, true);
    RefreshPicture();
    return true;
  });
}

bool DXF::SpriteZoom(std::int32_t SpriteID, float RealBufferWidth) {
  return Answer([&] {
    if (gsScaler == 0) return false;
    ComPtr<clsSprite> s = SpriteAt(SpriteID);
    const ViewRect view{s->X - RealBufferWidth, s->Y + RealBufferWidth, s->X + RealBufferWidth,
                        s->Y - RealBufferWidth};
    AddToPrevZoomStack(view);
    ClearPicture();
    Zoom(view, picKelvane, 0, false);
    RefreshPicture();
    return SpriteShow(SpriteID);
  });
}

bool DXF::SpriteTempLine(float X1, float Y1, float X2, float Y2, std::int32_t LineColor) {
  return Answer([&] {
    if (!picKelvane.hDC) return false;
    const std::int32_t x1 = CvtX(X1), y1 = CvtY(Y1), x2 = CvtX(X2), y2 = CvtY(Y2);
    const int old = winplat::SetROP2(picKelvane.hDC, picKelvane.DrawMode);
    GdiLine(picKelvane.hDC, x1, y1, x2, y2, 1, LineColor, 0);
    if (old) winplat::SetROP2(picKelvane.hDC, old);
    RefreshPicture();
    return true;
  });
}

void DXF::RegisterSprites() {
  AddMethod(dispid::SpriteInitialize, "SpriteInitialize", [this](Args&) { return Variant(SpriteInitialize()); }, 0);
  AddMethod(dispid::SpriteAdd, "SpriteAdd", [this](Args& a) {
    std::int32_t id = 0;
    bool added = false;
    try {
      added = SpriteAdd(a.String(0), id, a.Single(2), a.Single(3), a.Single(4));
    } catch (const winplat::AutomationError& e) {
      if (e.Number() == kScalarError) throw;
      added = false;
    }
    a.Set(1, Variant(id));
    return Variant(added);
  }, 5);
  AddMethod(dispid::SpriteCheck, "SpriteCheck", [this](Args& a) {
    std::string err;
    bool ok = Answer([&] { return SpriteCheck(err, a.String(1)); });
    a.Set(0, Variant(err));
    return Variant(ok);
  }, 2);
  AddMethod(dispid::SpriteShow, "SpriteShow", [this](Args& a) {
    return Variant(Answer([&] { return SpriteShow(a.Long(0)); }));
  }, 1);
  AddMethod(dispid::SpriteHide, "SpriteHide", [this](Args& a) {
    return Variant(Answer([&] { return SpriteHide(a.Long(0)); }));
  }, 1);
  AddMethod(dispid::SpriteMove, "SpriteMove", [this](Args& a) {
    return Variant(Answer([&] {
      return SpriteMove(a.Long(0), a.Single(1), a.Single(2), a.Missing(3) ? Variant::Missing() : a[3]);
    }));
  }, 4);
  AddMethod(dispid::SpriteSetColor, "SpriteSetColor", [this](Args& a) {
    return Variant(Answer([&] { return SpriteSetColor(a.Long(0), a.Long(1)); }));
  }, 2);
  AddMethod(dispid::SpriteZoom, "SpriteZoom", [this](Args& a) {
    return Variant(Answer([&] { return SpriteZoom(a.Long(0), a.Single(1)); }));
  }, 2);
  AddMethod(dispid::SpriteTempLine, "SpriteTempLine", [this](Args& a) {
    return Variant(Answer([&] { return SpriteTempLine(a.Single(0), a.Single(1), a.Single(2), a.Single(3), a.Long(4)); }));
  }, 5);
}

}  // namespace kelvane
