#pragma once
// Sprites: small vector figures from sprite definition files, drawn over the
// drawing in the not-XOR mix mode so that drawing one twice at the same place
// restores the picture.
#include <cstdint>
#include <string>

#include "winplat/dispatch.h"
#include "winplat/types.h"

namespace kelvane {

// Where and how a sprite was last drawn, so that it can be erased there.
struct SpriteView {
  float Scale = 0, ViewLeft = 0, ViewBottom = 0;
  std::int32_t ViewHeight = 0;
  std::int32_t SurfaceWidth = 0, SurfaceHeight = 0;
};

class clsSprite : public winplat::DispatchObject {
 public:
  clsSprite();

  // Public fields, in order.
  std::string BlockName;
  std::string BlockFilename;
  float X = 0, Y = 0;
  float ScaleX = 0, ScaleY = 0;
  float Rotation = 0;
  std::int16_t Visible = 0;
  std::int32_t Handle = 0;
  winplat::ComPtr<winplat::IDispatch> colEntities;

  // Library-only state: whether the sprite stands on the picture (and where),
  // and whether its colour was set as a colour value for every entity.
  bool Drawn = false;
  SpriteView DrawnAt;
  bool ColorSet = false;

  // True when the file's first line names the format; the reason otherwise.
  bool CheckSprite(std::string& strError);
  // Reads the file's records into colEntities; false on a read failure.
  bool LoadSprite();
  bool SetSpriteColor(std::int32_t NewColor);
  // Draws (or, drawn a second time, erases) the sprite on the context.
  bool DrawSprite(winplat::HDC hDC, const SpriteView& view);
};

// The N-th comma-separated field of a text; a number past the last comma wraps
// round to the start.
std::string GetField(const std::string& Text, std::int16_t N);

}  // namespace kelvane
