#pragma once
// Working data of the radius offset compensation: the queue that holds one
// contour while it is offset, the output array of offset elements, and the
// two working path records; with the four operations on them.
#include <cstdint>
#include <vector>

#include "job/path_element.h"
#include "toolpath/geometry.h"

namespace fieldray::toolpath {

// One queued element. Code: 88 contour start, 1 line, 2 clockwise arc, 3
// counter-clockwise arc (the pass's own numbering). F1 the offset distance (or
// the radius of the start), F2/F3 the end point, F4/F5 the arc centre, F6 the
// arc radius. Block: the path record the element came from.
struct OffsetInputElement {
  std::int16_t Code = 0;
  double F1 = 0, F2 = 0, F3 = 0, F4 = 0, F5 = 0, F6 = 0;
  PathElement Block{};
};

// The compensation's state; one object lives as long as the path it serves.
struct RadiusOffset {
  std::vector<OffsetInputElement> Queue{1};
  std::int32_t QueuePosition = 0;  // index last written or last read

  PathElement CurrentBlock{};  // the path element being scanned
  PathElement DefaultBlock{};  // attributes of an element added with attribute 9999

  std::vector<PathElement> OffsetOutput{1};
  std::int32_t OutputCount = -1;  // index of the last output element; -1 none yet

  std::int32_t AttributeIndex = 0;  // queue element giving the next output's attributes
  bool HoldAttributes = false;      // while true the attribute index stays

  // Where the arc routines report a chord longer than its diameter; null
  // shows the report in a message box.
  GeometryReports* Reports = nullptr;
};

// Change of the signed offset distance when the current element moves from
// its side to `newSide` (offset of side 0 is 0, side 1 -R, side 2 +R, R the
// element's compensation radius); stores `newSide` as the element's side.
double OffsetModeDelta(RadiusOffset& ro, std::int32_t newSide);

// Queues an element with a copy of CurrentBlock; code 88 empties the queue
// first and puts the element at index 0.
void PutOffsetInput(RadiusOffset& ro, std::int16_t code, double f1, double f2, double f3, double f4, double f5,
                    double f6);

// Reads the next queued element; a code of 88 passed in rewinds to the start.
// Past the end the code becomes 99 and the values are left as they are.
struct OffsetValues {
  double F1 = 0, F2 = 0, F3 = 0, F4 = 0, F5 = 0, F6 = 0;
};
void GetOffsetInput(RadiusOffset& ro, std::int16_t& code, OffsetValues& values);

// Appends an output element. A code of 0 (nothing given) or 88 is a contour
// start, which rewinds the attribute index; 2 and 3 are swapped back to the
// path's arc codes; the code written is returned in `code`. Attributes come
// from DefaultBlock for attribute 9999, else from the queue element at the
// attribute index (the last one past the end), which then advances unless
// HoldAttributes is set. ArcDiameter is twice `radius`.
void AddOffsetElement(RadiusOffset& ro, std::int32_t& code, double attribute, double x, double y, double centreX,
                      double centreY, double radius);

// Appends every output element, from index 0, behind the path's last element.
// When the pass produced nothing that is the one all-zero element.
void AppendOffsetOutput(PathArray& path, const RadiusOffset& ro);

}  // namespace fieldray::toolpath
