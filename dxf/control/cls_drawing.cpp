// clsDrawing: public fields at 0x40030000 plus their position.
#include "cls_drawing.h"

namespace kelvane {

clsDrawing::clsDrawing() : DispatchObject("clsDrawing") {
  winplat::DISPID id = 0x40030000;
  AddField(id++, "Filename", &Filename);
  AddField(id++, "FileID", &FileID);
  AddField(id++, "StartEntity", &StartEntity);
  AddField(id++, "EndEntity", &EndEntity);
  AddField(id++, "xRef", &xRef);
  AddField(id++, "yRef", &yRef);
  AddField(id++, "Left", &Left);
  AddField(id++, "Top", &Top);
  AddField(id++, "Right", &Right);
  AddField(id++, "Bottom", &Bottom);
  AddField(id++, "xMov", &xMov);
  AddField(id++, "aggxMov", &aggxMov);
  AddField(id++, "yMov", &yMov);
  AddField(id++, "aggyMov", &aggyMov);
  AddField(id++, "xScale", &xScale);
  AddField(id++, "aggxScale", &aggxScale);
  AddField(id++, "yScale", &yScale);
  AddField(id++, "aggyScale", &aggyScale);
  AddField(id++, "Rotation", &Rotation);
  AddField(id++, "aggRotation", &aggRotation);
  AddBooleanField(id++, "Visible", &Visible);
  AddField(id++, "ReadNote", &ReadNote);
}

}  // namespace kelvane
