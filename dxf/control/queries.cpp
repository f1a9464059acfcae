// The entity queries: each copies the rows of one table into a new collection
// of entity objects keyed "1", "2", ... in table order. A failure leaves the
// caller's collection alone and answers False with the query's message.
#include <functional>
#include <string>

#include "../reader/dxf_reader.h"
#include "dxf_control.h"
#include "error_trail.h"
#include "entity_classes.h"
#include "winplat/collection.h"
#include "winplat/numeric.h"
#include "winplat/screen.h"
#include "winplat/text.h"

namespace kelvane {

using winplat::Args;
using winplat::ComPtr;
using winplat::Variant;

namespace {

std::string Key(std::int32_t i) { return std::to_string(i); }

// Adds an entity row's object under its row number, with the fields every
// entity kind has.
template <class Object, class Row>
void AddEntity(winplat::Collection& col, std::int32_t i, const winplat::ComPtr<Object>& o, const Row& r,
               std::string layerName) {
  o->LayerName = std::move(layerName);
  o->EntityColor = r.Color;
  o->InsertID = r.InsertID;
  col.Add(Variant(o), Variant(Key(i)));
}

// An attribute row as the object the host reads.
winplat::ComPtr<clsInsertAttrib> AttribObject(const AttribRecord& r) {
  auto o = winplat::MakeObject<clsInsertAttrib>();
  o->TagName = winplat::Trim(r.TagName.Padded());
  o->TagValue = winplat::Trim(r.TagValue.Padded());
  o->X = r.X;
  o->Y = r.Y;
  o->Rotation = r.Rotation;
  return o;
}

}  // namespace

std::string DXF::RowLayerName(std::int32_t layer) const {
  // A row whose layer is not in the collection gets an empty name: one bad
  // row must not cost the host the whole query.
  if (!db.colLayers || layer < 1 || layer > db.colLayers->Count()) return {};
  ComPtr<DXFLayer> l = db.colLayers->Item(Variant(layer));
  return l ? l->LayerName : std::string();
}

bool DXF::RunQuery(const char* name, std::string& strError, ComPtr<winplat::IDispatch>& result,
                   const std::function<void(winplat::Collection&)>& fill) {
  try {
    RefuseWhileReading(*this, name);
    auto col = winplat::MakeObject<winplat::Collection>();
    fill(*col);
    result = col;
    strError.clear();
    return true;
  } catch (...) {
    strError = std::string("An error occurred in ") + name + ". The message is: " + CurrentErrorText();
    return false;
  }
}

bool DXF::GetLines(std::string& strError, ComPtr<winplat::IDispatch>& colLines) {
  return RunQuery("GetLines", strError, colLines, [&](winplat::Collection& col) {
    const std::int32_t count = db.LineCount;
    for (std::int32_t i = 1; i <= count; ++i) {
      if (i % 100 == 0) {
        float pct = static_cast<float>(static_cast<double>(i) / static_cast<double>(count));
        RaiseLinesRead(pct);
      }
      if (i == count) {
        float pct = 1.0f;
        RaiseLinesRead(pct);
      }
      const LineRecord& r = db.LineTable(i);
      auto o = winplat::MakeObject<clsLine>();
      o->X1 = r.X1;
      o->Y1 = r.Y1;
      o->X2 = r.X2;
      o->Y2 = r.Y2;
      o->LineType = r.LineStyle;
      o->Linewidth = r.Width;
      AddEntity(col, i, o, r, RowLayerName(r.Layer));
    }
  });
}

bool DXF::GetPolyLines(std::string& strError, ComPtr<winplat::IDispatch>& colPolyLines) {
  return RunQuery("GetPolyLines", strError, colPolyLines, [&](winplat::Collection& col) {
    const std::int32_t count = db.PolylineCount;
    for (std::int32_t i = 1; i <= count; ++i) {
      const PolylineSegmentRecord& r = db.PolylineTable(i);
      auto o = winplat::MakeObject<clsPolyline>();
      o->X1 = r.X1;
      o->Y1 = r.Y1;
      o->X2 = r.X2;
      o->Y2 = r.Y2;
      o->Bulge = r.Bulge;
      o->Linewidth = r.Width;
      AddEntity(col, i, o, r, RowLayerName(r.Layer));
    }
  });
}

bool DXF::GetStrings(std::string& strError, ComPtr<winplat::IDispatch>& colStrings) {
  return RunQuery("GetStrings", strError, colStrings, [&](winplat::Collection& col) {
    const std::int32_t count = db.TextCount;
    for (std::int32_t i = 1; i <= count; ++i) {
      const TextRecord& r = db.TextTable(i);
      auto o = winplat::MakeObject<clsString>();
      o->X1 = r.X;
      o->Y1 = r.Y;
      o->Txt = r.Text.Padded();
      o->Height = r.Height;
      o->Rotation = r.Rotation;
      o->HorzAlign = winplat::CInt(static_cast<double>(r.HorzAlign));
      o->Underline = winplat::CInt(static_cast<double>(r.Underline));
      AddEntity(col, i, o, r, RowLayerName(r.Layer));
    }
  });
}

bool DXF::GetSolids(std::string& strError, ComPtr<winplat::IDispatch>& colSolids) {
  return RunQuery("GetSolids", strError, colSolids, [&](winplat::Collection& col) {
    const std::int32_t count = db.SolidCount;
    for (std::int32_t i = 1; i <= count; ++i) {
      const SolidRecord& r = db.SolidTable(i);
      auto o = winplat::MakeObject<clsSolid>();
      o->X1 = r.X1;
      o->Y1 = r.Y1;
      o->X2 = r.X2;
      o->Y2 = r.Y2;
      o->X3 = r.X3;
      o->Y3 = r.Y3;
      o->X4 = r.X4;
      o->Y4 = r.Y4;
      AddEntity(col, i, o, r, RowLayerName(r.Layer));
    }
  });
}

bool DXF::GetCircles(std::string& strError, ComPtr<winplat::IDispatch>& colCircles) {
  return RunQuery("GetCircles", strError, colCircles, [&](winplat::Collection& col) {
    const std::int32_t count = db.CircleCount;
    for (std::int32_t i = 1; i <= count; ++i) {
      const CircleRecord& r = db.CircleTable(i);
      auto o = winplat::MakeObject<clsCircle>();
      o->X1 = r.X;
      o->Y1 = r.Y;
      o->Radius = r.Radius;
      o->StartAngle = r.StartAngle;
      o->EndAngle = r.EndAngle;
      o->LineType = r.LineStyle;
      o->Linewidth = r.Width;
      AddEntity(col, i, o, r, RowLayerName(r.Layer));
    }
  });
}

bool DXF::GetAttribs(std::string& strError, ComPtr<winplat::IDispatch>& colAttribs) {
  return RunQuery("GetAttribs", strError, colAttribs, [&](winplat::Collection& col) {
    const std::int32_t count = db.AttribCount;
    for (std::int32_t i = 1; i <= count; ++i) {
      const AttribRecord& r = db.AttribTable(i);
      auto o = AttribObject(r);
      o->ParentBlock = r.ParentInsert;
      col.Add(Variant(o), Variant(Key(i)));
    }
  });
}

bool DXF::GetInserts(std::string& strError, ComPtr<winplat::IDispatch>& colInserts) {
  return RunQuery("GetInserts", strError, colInserts, [&](winplat::Collection& col) {
    const std::int32_t count = db.InsertCount;
    for (std::int32_t i = 1; i <= count; ++i) {
      const InsertRecord& r = db.InsertTable(i);
      auto o = winplat::MakeObject<clsInsert>();
      o->BlockName = winplat::Trim(r.BlockName.Padded());
      o->LayerName = RowLayerName(r.Layer);
      o->X = r.X;
      o->Y = r.Y;
      o->Left = r.Left;
      o->Top = r.Top;
      o->Right = r.Right;
      o->Bottom = r.Bottom;
      col.Add(Variant(o), Variant(Key(i)));
    }
  });
}

bool DXF::GetBlocks(std::string& strError, ComPtr<winplat::IDispatch>& colBlocks) {
  return RunQuery("GetBlocks", strError, colBlocks, [&](winplat::Collection& col) {
    const std::int32_t count = db.BlockCount;
    for (std::int32_t i = 1; i <= count; ++i) {
      const BlockRecord& r = db.BlockTable(i);
      auto o = winplat::MakeObject<clsBlock>();
      o->BlockName = winplat::Trim(r.BlockName.Padded());
      o->X = r.X;
      o->Y = r.Y;
      col.Add(Variant(o), Variant(Key(i)));
    }
  });
}

bool DXF::GetInsert(std::string& strError, std::int32_t InsertIndex, std::string& strBaseBlockName, float& X,
                    float& Y, ComPtr<winplat::IDispatch>& colAttribs) {
  return RunQuery("GetInsert", strError, colAttribs, [&](winplat::Collection& col) {
    // Only inserts that were read: a row of the allocation above the count is no insert.
    if (InsertIndex < 1 || InsertIndex > db.InsertCount) throw winplat::RuntimeError(9);
    const InsertRecord& ins = db.InsertTable(InsertIndex);
    std::string name = winplat::Trim(ins.BlockName.Padded());
    const float x = ins.X, y = ins.Y;
    std::int32_t n = 0;
    const std::int32_t count = db.AttribCount;
    for (std::int32_t i = 1; i <= count; ++i) {
      const AttribRecord& r = db.AttribTable(i);
      if (r.ParentInsert != InsertIndex) continue;
      auto o = AttribObject(r);
      col.Add(Variant(o), Variant(Key(++n)));
    }
    strBaseBlockName = name;
    X = x;
    Y = y;
  });
}

std::int32_t DXF::Find(const std::string& TextToFind, std::int16_t LayerID, bool Pan) {
  return WithErrorTrail("Find", [&]() -> std::int32_t {
    RefuseWhileReading(*this, "Find");
    if (LayerID != FindLastLayer) {
      FindLastIndex = 0;
      FindLastLayer = LayerID;
    }
    const std::string wanted = winplat::UCase(TextToFind);
    std::int32_t found = 0;
    float x = 0, y = 0;
    const std::int32_t count = db.TextCount;
    std::int32_t i = FindLastIndex + 1;
    for (; i <= count; ++i) {
      const TextRecord& r = db.TextTable(i);
      if ((LayerID == 0 || r.Layer == LayerID) && winplat::UCase(winplat::Trim(r.Text.Padded())) == wanted) {
        found = i;
        x = r.X;
        y = r.Y;
        FindLastIndex = i;
        break;
      }
    }
    if (i >= count) FindLastIndex = 0;
    if (found != 0 && Pan) {
      if (gsScaler == 0) return found;
      const float w = CurrentView.Right - CurrentView.Left;
      const float h = CurrentView.Top - CurrentView.Bottom;
      ViewRect view{x - w / 2, y + h / 2, x + w / 2, y - h / 2};
      AddToPrevZoomStack(view);
      ClearPicture();
      Zoom(view, picKelvane, 0, false);
      RefreshPicture();
    }
    winplat::SetMousePointer(winplat::vbDefault);
    return found;
  }, DrawingCleanup());
}

namespace {

// A query's strError written back; one the text cannot be stored in leaves
// the result to tell.
void SetError(Args& a, const std::string& strError) {
  try {
    a.Set(0, Variant(strError));
  } catch (...) {
  }
}

// The caller's collection argument replaced, only when the query succeeded.
void SetCollection(Args& a, std::size_t i, bool ok, const ComPtr<winplat::IDispatch>& col) {
  if (ok) a.Set(i, Variant(col));
}

}  // namespace

void DXF::RegisterQueries() {
  using Query = bool (DXF::*)(std::string&, ComPtr<winplat::IDispatch>&);
  struct Entry {
    winplat::DISPID id;
    const char* name;
    Query fn;
  };
  static const Entry entries[] = {
      {dispid::GetLines, "GetLines", &DXF::GetLines},       {dispid::GetPolyLines, "GetPolyLines", &DXF::GetPolyLines},
      {dispid::GetStrings, "GetStrings", &DXF::GetStrings}, {dispid::GetSolids, "GetSolids", &DXF::GetSolids},
      {dispid::GetCircles, "GetCircles", &DXF::GetCircles}, {dispid::GetAttribs, "GetAttribs", &DXF::GetAttribs},
      {dispid::GetInserts, "GetInserts", &DXF::GetInserts}, {dispid::GetBlocks, "GetBlocks", &DXF::GetBlocks},
  };
  for (const Entry& e : entries) {
    Query fn = e.fn;
    AddMethod(e.id, e.name, [this, fn](Args& a) {
      std::string strError;
      ComPtr<winplat::IDispatch> col;
      bool ok = (this->*fn)(strError, col);
      SetError(a, strError);
      SetCollection(a, 1, ok, col);
      return Variant(ok);
    }, 2);
  }
  AddMethod(dispid::GetInsert, "GetInsert", [this](Args& a) {
    std::string strError;
    std::string name;
    float x = 0, y = 0;
    ComPtr<winplat::IDispatch> col;
    std::int32_t index = 0;
    bool ok = false;
    try {
      index = a.Long(1);
      ok = true;
    } catch (...) {
      strError = "An error occurred in GetInsert. The message is: " + CurrentErrorText();
    }
    if (ok) ok = GetInsert(strError, index, name, x, y, col);
    SetError(a, strError);
    if (ok) {
      a.Set(2, Variant(name));
      a.Set(3, Variant(x));
      a.Set(4, Variant(y));
      a.Set(5, Variant(col));
    }
    return Variant(ok);
  }, 6);
  AddMethod(dispid::Find, "Find", [this](Args& a) {
    return Variant(Find(a.String(0), a.Integer(1), a.Bool(2, true)));
  }, 3);
}

}  // namespace kelvane
