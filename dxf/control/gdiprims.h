#pragma once
// Drawing primitives: one entity on a device context, each with a pen, brush or
// font of its own that it creates, selects, uses, selects back and deletes.
// Coordinates are pixels; colours RGB with red in the low byte.
#include <cstdint>
#include <optional>
#include <string_view>

#include "winplat/types.h"

namespace kelvane {

// A line from (x1, y1) to (x2, y2); the line call's result, nothing on a failure.
std::optional<bool> GdiLine(winplat::HDC hDC, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                            std::int32_t penWidth, std::int32_t color, std::int32_t penStyle);

// The counterclockwise arc in the box with corners (bx1, by2) and (bx2, by1),
// from the radial through (cx1, cy2) to the radial through (cx2, cy1).
bool GdiArc(winplat::HDC hDC, std::int32_t bx1, std::int32_t by1, std::int32_t bx2, std::int32_t by2,
            std::int32_t cx1, std::int32_t cy1, std::int32_t cx2, std::int32_t cy2, std::int32_t color,
            std::int32_t penStyle, float penWidth);

// The ellipse outline in the box with corners (x1, y2) and (x2, y1) (hollow on
// every surface); a box of no size is grown by a pixel on every side.
bool GdiEllipse(winplat::HDC hDC, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                std::int32_t color, std::int32_t penStyle, float penWidth);

// Sets one pixel.
bool GdiPoint(winplat::HDC hDC, std::int32_t x, std::int32_t y, std::int32_t color);

// The outline through the four points with the surface's pen, then the
// same quadrilateral filled (alternate mode) with a solid brush of the colour.
bool GdiSolid(winplat::HDC hDC, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, std::int32_t x3,
              std::int32_t y3, std::int32_t x4, std::int32_t y4, std::int32_t color);

// Text at (x, y) on its baseline, turned by `rotation` degrees (whole degrees),
// aligned right for 2, centred for 1 and 4, left otherwise; the background
// behind the text is left as it is.
bool GdiText(winplat::HDC hDC, std::string_view text, std::int32_t x, std::int32_t y, std::int32_t pixelHeight,
             float rotation, std::int32_t horzAlign, std::int32_t color, std::string_view faceName);

}  // namespace kelvane
