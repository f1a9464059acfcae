// The grid's dispatch members and events, and its painting.
#include "winplat/components/grid_control.h"

#include "winplat/controls/geometry.h"

namespace winplat {

SpreadGridControl::SpreadGridControl() : ControlObject("vaSpread") {
  SetErrorSource("FPSpread.vaSpread");
  SpreadGrid& g = grid_;
  AddProperty(
      GridDispId::Row, "Row", [&g](Args&) { return Variant(g.Row()); },
      [&g](Args&, const Variant& v) { g.SetRow(v.ToLong()); });
  AddProperty(
      GridDispId::Col, "Col", [&g](Args&) { return Variant(g.Col()); },
      [&g](Args&, const Variant& v) { g.SetCol(v.ToLong()); });
  AddProperty(
      GridDispId::Text, "Text", [&g](Args&) { return Variant(g.Text()); },
      [&g](Args&, const Variant& v) { g.SetText(v.ToString()); });
  AddProperty(
      GridDispId::Value, "Value", [&g](Args&) { return Variant(g.Value()); },
      [&g](Args&, const Variant& v) { g.SetValue(v.ToString()); });
  AddProperty(
      GridDispId::MaxCols, "MaxCols", [&g](Args&) { return Variant(g.MaxCols()); },
      [&g](Args&, const Variant& v) { g.SetMaxCols(v.ToLong()); });
  AddProperty(
      GridDispId::MaxRows, "MaxRows", [&g](Args&) { return Variant(g.MaxRows()); },
      [&g](Args&, const Variant& v) { g.SetMaxRows(v.ToLong()); });
  AddProperty(GridDispId::ActiveRow, "ActiveRow", [&g](Args&) { return Variant(g.ActiveRow()); });
  AddProperty(
      GridDispId::Action, "Action", [](Args&) { return Variant(std::int16_t{0}); },
      [&g](Args&, const Variant& v) { g.SetAction(v.ToLong()); });
  AddMethod(
      GridDispId::LoadFromFile, "LoadFromFile", [&g](Args& a) { return Variant(g.LoadFromFile(a.String(0))); }, 1);
  AddMethod(
      GridDispId::SaveToFile, "SaveToFile",
      [&g](Args& a) { return Variant(g.SaveToFile(a.String(0), a.Bool(1, false))); }, 2);

  g.OnChange = [this] { RaiseEvent(GridEventId::Change, {}); };
  g.OnClick = [this](std::int32_t col, std::int32_t row) { RaiseEvent(GridEventId::Click, {col, row}); };
  g.OnKeyDown = [this](std::int16_t key) { RaiseEvent(GridEventId::KeyDown, {key}); };
  g.OnRowSelected = [this](std::int32_t row) { RaiseEvent(GridEventId::RowSelected, {row}); };
  g.OnEditChange = [this](std::int32_t col, std::int32_t row, bool changed) {
    RaiseEvent(GridEventId::EditChange, {col, row, changed});
  };
}

void SpreadGridControl::Paint(HDC hdc, const RECT& area) {
  const controls::Box box{area.left, area.top, area.right - area.left, area.bottom - area.top};
  if (box.w <= 0 || box.h <= 0) return;
  if (grid_.ActiveRow() != shownRow_ || grid_.ActiveCol() != shownCol_) {
    controls::ScrollGridToActiveCell(grid_, box);
    shownRow_ = grid_.ActiveRow();
    shownCol_ = grid_.ActiveCol();
  }
  controls::DrawGrid(hdc, grid_, box);
}

}  // namespace winplat
