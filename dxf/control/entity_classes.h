#pragma once
// The entity objects the queries hand out: plain data objects whose public
// fields sit at 0x40030000 plus their position and are read and written by
// name without regard to letter case.
#include <cstdint>
#include <string>

#include "winplat/dispatch.h"

namespace kelvane {

class clsLine : public winplat::DispatchObject {
 public:
  clsLine();
  float X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  std::string LayerName;
  std::int32_t EntityColor = 0;
  std::int32_t LineType = 0;
  float Linewidth = 0;
  std::int32_t InsertID = 0;
};

class clsPolyline : public winplat::DispatchObject {
 public:
  clsPolyline();
  float X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  std::string LayerName;
  std::int32_t EntityColor = 0;
  float Bulge = 0;
  float Linewidth = 0;
  std::int32_t InsertID = 0;
};

class clsString : public winplat::DispatchObject {
 public:
  clsString();
  float X1 = 0, Y1 = 0;
  std::string LayerName;
  std::int32_t EntityColor = 0;
  std::string Txt;
  float Height = 0;
  float Rotation = 0;
  std::int32_t InsertID = 0;
  std::int16_t HorzAlign = 0;
  std::int16_t Underline = 0;
};

class clsCircle : public winplat::DispatchObject {
 public:
  clsCircle();
  float X1 = 0, Y1 = 0;
  float Radius = 0, StartAngle = 0, EndAngle = 0;
  std::string LayerName;
  std::int32_t EntityColor = 0;
  std::int32_t LineType = 0;
  float Linewidth = 0;
  std::int32_t InsertID = 0;
};

class clsSolid : public winplat::DispatchObject {
 public:
  clsSolid();
  float X1 = 0, Y1 = 0, X2 = 0, Y2 = 0, X3 = 0, Y3 = 0, X4 = 0, Y4 = 0;
  std::string LayerName;
  std::int32_t EntityColor = 0;
  std::int32_t LineType = 0;
  float Linewidth = 0;
  std::int32_t InsertID = 0;
};

class clsInsert : public winplat::DispatchObject {
 public:
  clsInsert();
  float X = 0, Y = 0;
  std::string BlockName;
  std::string LayerName;
  float Left = 0, Top = 0, Right = 0, Bottom = 0;
};

class clsInsertAttrib : public winplat::DispatchObject {
 public:
  clsInsertAttrib();
  std::string TagName, TagValue;
  float X = 0, Y = 0, Rotation = 0;
  std::int32_t ParentBlock = 0;
};

class clsBlock : public winplat::DispatchObject {
 public:
  clsBlock();
  float X = 0, Y = 0;
  std::string BlockName;
};

}  // namespace kelvane
