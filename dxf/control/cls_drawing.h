#pragma once
// clsDrawing: one record per file read into the control, kept in colDrawings.
#include <cstdint>
#include <string>

#include "winplat/dispatch.h"

namespace kelvane {

class clsDrawing : public winplat::DispatchObject {
 public:
  clsDrawing();

  std::string Filename;
  std::int32_t FileID = 0;
  std::int32_t StartEntity = 0;
  std::int32_t EndEntity = 0;
  float xRef = 0, yRef = 0;
  float Left = 0, Top = 0, Right = 0, Bottom = 0;
  float xMov = 0, aggxMov = 0, yMov = 0, aggyMov = 0;
  float xScale = 0, aggxScale = 0, yScale = 0, aggyScale = 0;
  float Rotation = 0, aggRotation = 0;
  std::int16_t Visible = 0;  // Boolean: -1 True
  // What the read noted of the file without failing: the first value of a
  // numeric group that was not a number ("" when none).
  std::string ReadNote;
};

}  // namespace kelvane
