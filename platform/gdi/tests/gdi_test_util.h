#pragma once
// A white memory canvas for drawing tests, with pixel probes in device pixels.
#include <filesystem>

#include "gdi_canvas.h"
#include "test_support.h"
#include "winplat/gdi.h"
#include "winplat/picture.h"

namespace gditest {

using namespace winplat;

using testsupport::Canvas;

// Selects a new pen for the scope and deletes it afterwards.
struct PenScope {
  HDC dc;
  HPEN pen;
  HGDIOBJ old;
  PenScope(HDC d, int style, int width, COLORREF color) : dc(d), pen(CreatePen(style, width, color)) {
    old = SelectObject(dc, pen);
  }
  ~PenScope() {
    SelectObject(dc, old);
    DeleteObject(pen);
  }
};

inline std::filesystem::path TestData() {
  return testsupport::SourceDir() / "testdata" / "gdi";
}

}  // namespace gditest
