#pragma once
// One element of the path that importers build and the frame builder walks.
#include <cstdint>
#include <vector>

namespace fieldray {

// Fields in their fixed order; a record nobody filled is all zeros.
struct PathElement {
  std::int32_t MoveCode = 0;     // 88 contour start, 1 line, 2/3 arcs, 0 mark, 85/86 mark lines
  std::int16_t CompSide = 0;     // 0 none, 1 and 2 the two compensation sides
  double CompRadius = 0;         // compensation radius, drawing units
  double ArcDiameter = 0;        // hole diameter or notch width of a mark
  double CentreX = 0;            // arc centre, or mark position
  double CentreY = 0;
  double ZDepth = 0;             // depth; becomes every point's F value
  double EndX = 0;               // end point
  double EndY = 0;
  double Reserved = 0;           // carried, never used
  std::int16_t CycleCode = 0;    // kind of mark for MoveCode 0; carried otherwise
  std::int16_t UWord = 0;        // the contour's E value
};

// The path array: element 0 is a zero record, elements 1..upper bound are the
// path. Its upper bound is the element count.
using PathArray = std::vector<PathElement>;

inline std::int32_t PathUpperBound(const PathArray& path) { return static_cast<std::int32_t>(path.size()) - 1; }

// Empties the array to the single zero element 0.
inline void ResetPath(PathArray& path) { path.assign(1, PathElement{}); }

// Appends a zero element and returns it.
inline PathElement& AppendPathElement(PathArray& path) { return path.emplace_back(); }

}  // namespace fieldray
