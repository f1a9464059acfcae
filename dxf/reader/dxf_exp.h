#pragma once
// DXFEXP: the writing operations of the merged export. Each writes one fixed
// group of lines to the one output file, opened by ExpOpen and put in place
// by ExpClose. A failed write raises the file error; an export that does not
// reach ExpClose leaves nothing behind.
#include <cstdint>
#include <string>
#include <string_view>

#include "dxf_output.h"

namespace kelvane {

class DXFEXP {
 public:
  // Creates the output. False when it cannot be created: strError is then
  // "Error <n> performing this action.  " and the message of error n.
  bool ExpOpen(std::string& strError, std::string_view FileName);
  // The error number of a failed ExpOpen (0 when it opened).
  std::int32_t OpenErrorNumber() const { return openError_; }

  void ExpHeader(float XMin, float YMin, float XMax, float YMax);
  // The TABLES section up to the layer table's head, the line types included.
  void ExpTablesStart(std::int32_t LayerCount);
  void ExpLTypeTable();
  void ExpLayer(std::string_view LayerName, std::int32_t ColorIndex);
  void ExpEndTab();
  void ExpTablesEnd();
  void ExpEntitiesStart();

  // Entities; a ColorIndex of 0 writes no colour group (the layer's colour).
  void ExpLine(float X1, float Y1, float X2, float Y2, std::string_view LayerName, std::int32_t ColorIndex = 0);
  void ExpPolyline(float Width, std::string_view LayerName, std::int32_t ColorIndex = 0);
  void ExpVertex(float X, float Y, float Bulge, std::string_view LayerName);
  void ExpSeqEnd();
  void ExpCircle(float X, float Y, float Radius, std::string_view LayerName, std::int32_t ColorIndex = 0);
  void ExpArc(float X, float Y, float Radius, float StartAngle, float EndAngle, std::string_view LayerName,
              std::int32_t ColorIndex = 0);
  // Corners in outline order; the file takes the fourth before the third.
  void ExpSolid(float X1, float Y1, float X2, float Y2, float X3, float Y3, float X4, float Y4,
                std::string_view LayerName, std::int32_t ColorIndex = 0);
  // The text as a row holds it; an alignment outside 0..5 is written as 0.
  void ExpText(float X, float Y, float Height, float Rotation, std::string_view Text, std::int32_t HorzAlign,
               std::string_view LayerName, bool Underline = false, std::int32_t ColorIndex = 0);
  void ExpPoint(float X, float Y, std::string_view LayerName, std::int32_t ColorIndex = 0);
  // Ends ENTITIES and the file, and puts it in place.
  void ExpClose();

 private:
  void EntityHead(std::string_view kind, std::string_view LayerName, std::int32_t ColorIndex);

  DxfOutput out_;
  std::int32_t openError_ = 0;
};

}  // namespace kelvane
