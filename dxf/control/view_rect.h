#pragma once
// A view of the drawing in drawing units.

namespace kelvane {

// Left = least X, Top = greatest Y, Right = greatest X, Bottom = least Y.
struct ViewRect {
  float Left = 0, Top = 0, Right = 0, Bottom = 0;
};

}  // namespace kelvane
