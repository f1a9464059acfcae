// The entity objects: each field at 0x40030000 plus its position.
#include "entity_classes.h"

namespace kelvane {

namespace {
constexpr winplat::DISPID kFirstField = 0x40030000;
}

clsLine::clsLine() : DispatchObject("clsLine") {
  winplat::DISPID id = kFirstField;
  AddField(id++, "X1", &X1);
  AddField(id++, "Y1", &Y1);
  AddField(id++, "X2", &X2);
  AddField(id++, "Y2", &Y2);
  AddField(id++, "LayerName", &LayerName);
  AddField(id++, "EntityColor", &EntityColor);
  AddField(id++, "LineType", &LineType);
  AddField(id++, "Linewidth", &Linewidth);
  AddField(id++, "InsertID", &InsertID);
}

clsPolyline::clsPolyline() : DispatchObject("clsPolyline") {
  winplat::DISPID id = kFirstField;
  AddField(id++, "X1", &X1);
  AddField(id++, "Y1", &Y1);
  AddField(id++, "X2", &X2);
  AddField(id++, "Y2", &Y2);
  AddField(id++, "LayerName", &LayerName);
  AddField(id++, "EntityColor", &EntityColor);
  AddField(id++, "Bulge", &Bulge);
  AddField(id++, "Linewidth", &Linewidth);
  AddField(id++, "InsertID", &InsertID);
}

clsString::clsString() : DispatchObject("clsString") {
  winplat::DISPID id = kFirstField;
  AddField(id++, "X1", &X1);
  AddField(id++, "Y1", &Y1);
  AddField(id++, "LayerName", &LayerName);
  AddField(id++, "EntityColor", &EntityColor);
  AddField(id++, "Txt", &Txt);
  AddField(id++, "Height", &Height);
  AddField(id++, "Rotation", &Rotation);
  AddField(id++, "InsertID", &InsertID);
  AddField(id++, "HorzAlign", &HorzAlign);
  AddField(id++, "Underline", &Underline);
}

clsCircle::clsCircle() : DispatchObject("clsCircle") {
  winplat::DISPID id = kFirstField;
  AddField(id++, "X1", &X1);
  AddField(id++, "Y1", &Y1);
  AddField(id++, "Radius", &Radius);
  AddField(id++, "StartAngle", &StartAngle);
  AddField(id++, "EndAngle", &EndAngle);
  AddField(id++, "LayerName", &LayerName);
  AddField(id++, "EntityColor", &EntityColor);
  AddField(id++, "LineType", &LineType);
  AddField(id++, "Linewidth", &Linewidth);
  AddField(id++, "InsertID", &InsertID);
}

clsSolid::clsSolid() : DispatchObject("clsSolid") {
  winplat::DISPID id = kFirstField;
  AddField(id++, "X1", &X1);
  AddField(id++, "Y1", &Y1);
  AddField(id++, "X2", &X2);
  AddField(id++, "Y2", &Y2);
  AddField(id++, "X3", &X3);
  AddField(id++, "Y3", &Y3);
  AddField(id++, "X4", &X4);
  AddField(id++, "Y4", &Y4);
  AddField(id++, "LayerName", &LayerName);
  AddField(id++, "EntityColor", &EntityColor);
  AddField(id++, "LineType", &LineType);
  AddField(id++, "Linewidth", &Linewidth);
  AddField(id++, "InsertID", &InsertID);
}

clsInsert::clsInsert() : DispatchObject("clsInsert") {
  winplat::DISPID id = kFirstField;
  AddField(id++, "X", &X);
  AddField(id++, "Y", &Y);
  AddField(id++, "BlockName", &BlockName);
  AddField(id++, "LayerName", &LayerName);
  AddField(id++, "Left", &Left);
  AddField(id++, "Top", &Top);
  AddField(id++, "Right", &Right);
  AddField(id++, "Bottom", &Bottom);
}

clsInsertAttrib::clsInsertAttrib() : DispatchObject("clsInsertAttrib") {
  winplat::DISPID id = kFirstField;
  AddField(id++, "TagName", &TagName);
  AddField(id++, "TagValue", &TagValue);
  AddField(id++, "X", &X);
  AddField(id++, "Y", &Y);
  AddField(id++, "Rotation", &Rotation);
  AddField(id++, "ParentBlock", &ParentBlock);
}

clsBlock::clsBlock() : DispatchObject("clsBlock") {
  winplat::DISPID id = kFirstField;
  AddField(id++, "X", &X);
  AddField(id++, "Y", &Y);
  AddField(id++, "BlockName", &BlockName);
}

}  // namespace kelvane
