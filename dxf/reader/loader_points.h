#pragma once
// Small helpers of the loaders: coordinates with the merge offset, the base
// point of the block being defined.
#include "../control/dxf_control.h"
#include "winplat/numeric.h"

namespace kelvane::loader {

struct Point2 {
  float X = 0, Y = 0;
};

// A coordinate of the file plus the merge offset; overflow is an error.
inline float Offset(float value, float offset) { return winplat::CSng(static_cast<double>(value) + offset); }
inline float Minus(float value, float base) { return winplat::CSng(static_cast<double>(value) - base); }

inline Point2 ReadPoint(DXF& dxf, std::int32_t xCode, float xSign = 1.0f) {
  const DxfGroupTable& t = dxf.reader.GroupValueTable;
  return Point2{Offset(xSign * t.Single(xCode), dxf.db.MergeOffsetX), Offset(t.Single(xCode + 10), dxf.db.MergeOffsetY)};
}

// The block being defined: its base point, when a BLOCK row exists.
inline Point2 BlockBase(DXF& dxf) {
  EntityDB& db = dxf.db;
  if (db.BlockCount >= 1 && db.BlockTable.InBounds(db.BlockCount)) {
    const BlockRecord& b = db.BlockTable(db.BlockCount);
    return Point2{b.X, b.Y};
  }
  return Point2{0, 0};
}

inline Point2 Relative(Point2 p, Point2 base) { return Point2{Minus(p.X, base.X), Minus(p.Y, base.Y)}; }

// Entities inside a block definition leave the extents to their placed copies.
inline bool Widens(DXF& dxf) { return !dxf.reader.HeaderExtents && !dxf.db.InBlock; }

}  // namespace kelvane::loader
