#pragma once
// Playing recorded metafiles back into a context through the drawing calls.
#include <cstdint>
#include <vector>

#include "gdi_internal.h"

namespace winplat::gdi {

// The bytes hold an enhanced metafile whose records all lie within them, ending in EOF.
bool WellFormedEnhanced(const std::uint8_t* data, std::size_t size);
// The bytes hold an old-style metafile whose records all lie within them, ending in EOF.
bool WellFormedOldStyle(const std::uint8_t* data, std::size_t size);
// Draws the records so that the recorded bounds fill `rect`.
bool PlayEnhanced(HDC hdc, const std::vector<std::uint8_t>& bytes, const RECT& rect);
// Draws the records at their own coordinates; a placeable header in front is skipped.
bool PlayOldStyle(HDC hdc, const std::vector<std::uint8_t>& bytes);

}  // namespace winplat::gdi
