// The radius offset compensation's queue, output array and side bookkeeping.
#include "toolpath/offset_queue.h"

#include <stdexcept>

namespace fieldray::toolpath {
namespace {

double SideOffset(std::int32_t side, double r) {
  if (side == 1) return -r;
  if (side == 2) return r;
  return 0;
}

}  // namespace

double OffsetModeDelta(RadiusOffset& ro, std::int32_t newSide) {
  if (newSide < INT16_MIN || newSide > INT16_MAX) throw std::overflow_error("compensation side out of range");
  const std::int16_t oldSide = ro.CurrentBlock.CompSide;
  const double r = ro.CurrentBlock.CompRadius;
  double delta = 0;
  const bool known = (oldSide >= 0 && oldSide <= 2) && (newSide >= 0 && newSide <= 2);
  if (known && oldSide != newSide) delta = SideOffset(newSide, r) - SideOffset(oldSide, r);
  ro.CurrentBlock.CompSide = static_cast<std::int16_t>(newSide);
  return delta;
}

void PutOffsetInput(RadiusOffset& ro, std::int16_t code, double f1, double f2, double f3, double f4, double f5,
                    double f6) {
  if (code == 88) {
    ro.Queue.assign(1, OffsetInputElement{});
    ro.QueuePosition = 0;
  } else {
    if (ro.QueuePosition == INT32_MAX) throw std::overflow_error("offset queue position out of range");
    ++ro.QueuePosition;
  }
  const auto pos = static_cast<std::size_t>(ro.QueuePosition);
  if (ro.Queue.size() < pos + 1) ro.Queue.resize(pos + 1);
  ro.Queue[pos] = OffsetInputElement{code, f1, f2, f3, f4, f5, f6, ro.CurrentBlock};
}

void GetOffsetInput(RadiusOffset& ro, std::int16_t& code, OffsetValues& values) {
  if (ro.QueuePosition == INT32_MAX) throw std::overflow_error("offset queue position out of range");
  ++ro.QueuePosition;
  if (code == 88) ro.QueuePosition = 0;
  if (ro.QueuePosition < 0 || static_cast<std::size_t>(ro.QueuePosition) >= ro.Queue.size()) {
    code = 99;
    return;
  }
  const OffsetInputElement& e = ro.Queue[static_cast<std::size_t>(ro.QueuePosition)];
  code = e.Code;
  values = {e.F1, e.F2, e.F3, e.F4, e.F5, e.F6};
}

void AddOffsetElement(RadiusOffset& ro, std::int32_t& code, double attribute, double x, double y, double centreX,
                      double centreY, double radius) {
  if (code == 0 || code == 88) {
    code = 88;
    ro.AttributeIndex = 0;
  } else if (code == 2) {
    code = 3;
  } else if (code == 3) {
    code = 2;
  }

  PathElement element;
  if (attribute == 9999) {
    element = ro.DefaultBlock;
  } else {
    const std::size_t last = ro.Queue.size() - 1;
    const std::size_t at = ro.AttributeIndex < 0 ? 0 : static_cast<std::size_t>(ro.AttributeIndex);
    element = ro.Queue[at > last ? last : at].Block;
    if (!ro.HoldAttributes) {
      if (ro.AttributeIndex == INT32_MAX) throw std::overflow_error("offset attribute index out of range");
      ++ro.AttributeIndex;
    }
  }

  if (ro.OutputCount == INT32_MAX) throw std::overflow_error("offset output count out of range");
  ++ro.OutputCount;
  const auto n = static_cast<std::size_t>(ro.OutputCount);
  if (ro.OffsetOutput.size() < n + 1) ro.OffsetOutput.resize(n + 1);
  element.MoveCode = code;
  element.EndX = x;
  element.EndY = y;
  element.CentreX = centreX;
  element.CentreY = centreY;
  element.ArcDiameter = 2 * radius;
  ro.OffsetOutput[n] = element;
}

void AppendOffsetOutput(PathArray& path, const RadiusOffset& ro) {
  if (path.empty()) path.emplace_back();
  path.insert(path.end(), ro.OffsetOutput.begin(), ro.OffsetOutput.end());
}

}  // namespace fieldray::toolpath
