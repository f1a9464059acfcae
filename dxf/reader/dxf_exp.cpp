// DXFEXP: the writing operations of the merged export.
#include "dxf_exp.h"

#include "winplat/numeric.h"

namespace kelvane {

namespace {

std::string What(std::string_view value, std::string_view kind) {
  return "the " + std::string(value) + " of a " + std::string(kind);
}

}  // namespace

bool DXFEXP::ExpOpen(std::string& strError, std::string_view FileName) {
  openError_ = 0;
  if (out_.Open(FileName)) return true;
  const winplat::AutomationError e = OutputFileError(out_.Error(), FileName);
  openError_ = e.Number();
  strError = "Error " + std::to_string(openError_) + " performing this action.  " + winplat::ErrorText(openError_);
  return false;
}

void DXFEXP::ExpHeader(float XMin, float YMin, float XMax, float YMax) {
  out_.Group(0, "SECTION");
  out_.Group(2, "HEADER");
  out_.Group(9, "$EXTMIN");
  out_.Group(10, XMin, "the drawing's least X");
  out_.Group(20, YMin, "the drawing's least Y");
  out_.Group(9, "$EXTMAX");
  out_.Group(10, XMax, "the drawing's greatest X");
  out_.Group(20, YMax, "the drawing's greatest Y");
  out_.Group(0, "ENDSEC");
}

void DXFEXP::ExpTablesStart(std::int32_t LayerCount) {
  out_.Group(0, "SECTION");
  out_.Group(2, "TABLES");
  ExpLTypeTable();
  out_.Group(0, "TABLE");
  out_.Group(2, "LAYER");
  out_.Group(70, std::to_string(LayerCount));
}

void DXFEXP::ExpLTypeTable() {
  struct LType {
    const char* name;
    const char* description;
    const char* count;
    const char* length;
    std::initializer_list<const char*> elements;
  };
  static const LType kTypes[] = {
      {"CONTINUOUS", "Solid line", "0", "0.0", {}},
      {"DASHED", "Dashed line", "2", "0.8", {"0.5", "-0.3"}},
      {"DOT", "Dotted line", "2", "0.2", {"0.1", "-0.1"}},
      {"DASHDOT", "Dotted line", "4", "1", {"0.5", "-0.2", "0.1", "-0.2"}},
      {"SMALLDOT", "Small dotted", "2", "0.1", {"0", "-0.1"}},
      {"CENTER", "Centerline", "4", "1.1", {"0.8", "-0.1", "0.1", "-0.1"}},
  };
  out_.Group(0, "TABLE");
  out_.Group(2, "LTYPE");
  out_.Group(70, "4");
  for (const LType& t : kTypes) {
    out_.Group(0, "LTYPE");
    out_.Group(2, t.name);
    out_.Group(70, "64");
    out_.Group(3, t.description);
    out_.Group(72, "65");
    out_.Group(73, t.count);
    out_.Group(40, t.length);
    for (const char* e : t.elements) out_.Group(49, e);
  }
  out_.Group(0, "ENDTAB");
}

void DXFEXP::ExpLayer(std::string_view LayerName, std::int32_t ColorIndex) {
  out_.Group(0, "LAYER");
  out_.Group(2, LayerName);
  out_.Group(70, "0");
  out_.Group(62, std::to_string(ColorIndex));
  out_.Group(6, "CONTINUOUS");
}

void DXFEXP::ExpEndTab() { out_.Group(0, "ENDTAB"); }

void DXFEXP::ExpTablesEnd() { out_.Group(0, "ENDSEC"); }

void DXFEXP::ExpEntitiesStart() {
  out_.Group(0, "SECTION");
  out_.Group(2, "ENTITIES");
}

void DXFEXP::EntityHead(std::string_view kind, std::string_view LayerName, std::int32_t ColorIndex) {
  out_.Group(0, kind);
  out_.Group(8, LayerName);
  if (ColorIndex != 0) out_.Group(62, std::to_string(ColorIndex));
}

void DXFEXP::ExpLine(float X1, float Y1, float X2, float Y2, std::string_view LayerName, std::int32_t ColorIndex) {
  EntityHead("LINE", LayerName, ColorIndex);
  out_.Point(10, X1, Y1, "LINE");
  out_.Point(11, X2, Y2, "LINE");
}

void DXFEXP::ExpPolyline(float Width, std::string_view LayerName, std::int32_t ColorIndex) {
  EntityHead("POLYLINE", LayerName, ColorIndex);
  out_.Group(40, Width, What("width", "POLYLINE"));
  out_.Group(41, Width, What("width", "POLYLINE"));
  out_.Group(66, "1");
}

void DXFEXP::ExpVertex(float X, float Y, float Bulge, std::string_view LayerName) {
  out_.Group(0, "VERTEX");
  out_.Group(8, LayerName);
  out_.Point(10, X, Y, "VERTEX");
  out_.Group(42, Bulge, What("bulge", "VERTEX"));
}

void DXFEXP::ExpSeqEnd() { out_.Group(0, "SEQEND"); }

void DXFEXP::ExpCircle(float X, float Y, float Radius, std::string_view LayerName, std::int32_t ColorIndex) {
  EntityHead("CIRCLE", LayerName, ColorIndex);
  out_.Point(10, X, Y, "CIRCLE");
  out_.Group(40, Radius, What("radius", "CIRCLE"));
}

void DXFEXP::ExpArc(float X, float Y, float Radius, float StartAngle, float EndAngle, std::string_view LayerName,
                    std::int32_t ColorIndex) {
  EntityHead("ARC", LayerName, ColorIndex);
  out_.Point(10, X, Y, "ARC");
  out_.Group(40, Radius, What("radius", "ARC"));
  out_.Group(50, StartAngle, What("start angle", "ARC"));
  out_.Group(51, EndAngle, What("end angle", "ARC"));
}

void DXFEXP::ExpSolid(float X1, float Y1, float X2, float Y2, float X3, float Y3, float X4, float Y4,
                      std::string_view LayerName, std::int32_t ColorIndex) {
  EntityHead("SOLID", LayerName, ColorIndex);
  out_.Point(10, X1, Y1, "SOLID");
  out_.Point(11, X2, Y2, "SOLID");
  out_.Point(12, X4, Y4, "SOLID");
  out_.Point(13, X3, Y3, "SOLID");
}

void DXFEXP::ExpText(float X, float Y, float Height, float Rotation, std::string_view Text, std::int32_t HorzAlign,
                     std::string_view LayerName, bool Underline, std::int32_t ColorIndex) {
  if (HorzAlign < 0 || HorzAlign > 5) HorzAlign = 0;
  EntityHead("TEXT", LayerName, ColorIndex);
  // The reader takes the point of alignments 1, 2 and 4 from 11/21 (2 from
  // 11/20): both are written, so every alignment reads back at its place.
  out_.Point(10, X, Y, "TEXT");
  if (HorzAlign != 0) out_.Point(11, X, Y, "TEXT");
  out_.Group(40, Height, What("height", "TEXT"));
  out_.Group(1, DxfTextValue(Text, Underline));
  out_.Group(50, Rotation, What("rotation", "TEXT"));
  out_.Group(72, std::to_string(HorzAlign));
}

void DXFEXP::ExpPoint(float X, float Y, std::string_view LayerName, std::int32_t ColorIndex) {
  EntityHead("POINT", LayerName, ColorIndex);
  out_.Point(10, X, Y, "POINT");
}

void DXFEXP::ExpClose() {
  out_.Group(0, "ENDSEC");
  out_.Group(0, "EOF");
  out_.Commit();
}

}  // namespace kelvane
