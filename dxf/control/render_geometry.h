#pragma once
// Pixel geometry of the rendering pass: coordinates in double, clipped to a
// guard band around the surface before they become whole pixels, so that
// shapes far larger than the surface draw only their visible part.
#include <cstdint>

#include "winplat/types.h"

namespace kelvane {

// Pixel rectangle, corners in any order.
struct PixelBox {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// The visibility rectangle of a pixel box: normalised, then widened by 100
// pixels on every side.
winplat::RECT MakeTestRect(const PixelBox& box);

// Bounding box of a text of width w and height h (pixels) at (x, y) on its
// baseline, aligned by horzAlign and turned by `rotation` degrees about (x, y).
PixelBox TextBox(double x, double y, double w, double h, std::int32_t horzAlign, double rotation);

// The surface a pass draws on, with its guard band.
struct PassSurface {
  winplat::HDC dc = 0;
  std::int32_t width = 0, height = 0;
  // Guard band: straight lines are clipped to the surface widened by this much.
  double Guard() const;
  // Largest pen width any entity is drawn with.
  std::int32_t MaxPen() const;
};

// A line from (x1, y1) to (x2, y2) clipped to the guard band; false when no
// part of it is inside.
bool ClipLine(const PassSurface& s, double& x1, double& y1, double& x2, double& y2);

// The ellipse (or circle) with centre (cx, cy) and semi-axes a, b (pixels),
// drawn whole. Returns the primitive's result; true when nothing was in view.
bool DrawEllipse(const PassSurface& s, double cx, double cy, double a, double b, std::int32_t color,
                 std::int32_t penStyle, float penWidth);

// The counterclockwise arc of that ellipse from angle `start` through `sweep`
// radians (0 < sweep <= 2 pi; angles counterclockwise as seen on the screen).
// An arc shorter than one pixel draws nothing.
bool DrawArc(const PassSurface& s, double cx, double cy, double a, double b, double start, double sweep,
             std::int32_t color, std::int32_t penStyle, float penWidth);

}  // namespace kelvane
