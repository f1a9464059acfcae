#pragma once
// The host-side preview: its state and the stroke drawing shared by the exact
// and the fast frame redraw.
#include <array>
#include <cstdint>
#include <functional>

#include "vexlib/vexlib.h"
#include "winplat/gdi.h"

namespace vexlib {

struct PreviewBox {
  bool empty = true;
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;  // logical units, inclusive
  void Add(std::int32_t x, std::int32_t y);
  static PreviewBox Whole();  // the fast redraw's whole space, -2048..2047
};

struct PreviewState {
  std::int32_t left = -8000, right = 8000, bottom = -8000, top = 8000;
  std::int32_t mag = 0;
  winplat::HBITMAP bitmap = 0;
  std::int32_t bitmapWidth = 0, bitmapHeight = 0;
  PreviewBox previous = PreviewBox::Whole();
  PreviewBox current = PreviewBox::Whole();
  std::array<FastRecordStruct, VX_FAST_RECORD_MAX> records{};
};

PreviewState& Preview();

constexpr std::uint32_t kBlankMove = 0x40000000u;
constexpr winplat::COLORREF kGrey = 0x808080;
constexpr winplat::COLORREF kLightGrey = 0xC0C0C0;
constexpr winplat::COLORREF kWhite = 0xFFFFFF;

// How one redraw turns records into strokes.
struct StrokeRules {
  bool bit2 = false;        // the frame's flags word has bit 2
  bool widths = false;      // widths were asked for
  bool fast = false;        // fast redraw: repeated points drawn when the width exceeds 20
  bool ray = false;         // ray mode (frames without bit 2)
  std::int32_t penScale = 0;  // exact redraw: the larger client extent M
  // Activity of record i (the exact redraw's active array); null: all active.
  std::function<bool(std::int32_t)> active;
  // Called for every point drawn (the fast redraw's box).
  std::function<void(std::int32_t, std::int32_t)> drawn;
};

// Draws the strokes of records[0..n) on the context from its current position
// (the caller has moved to the first record); makes pens only when colour,
// activity or width change, and restores the context's pen at the end.
void DrawStrokes(winplat::HDC dc, const FastRecordStruct* records, std::int32_t n, const StrokeRules& rules);

// Fills a client rectangle black.
void FillBlack(winplat::HDC dc, const winplat::RECT& rect);

}  // namespace vexlib
