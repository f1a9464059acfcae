// Entity queries through the dispatch interface: objects, keys, fields by
// name in any case, progress events, failures and Find.
#include <vector>

#include "render_fixture.h"
#include "winplat/collection.h"

using kelvane::dispid::GetLines;
using winplat::Variant;

namespace {

class ProgressSink : public winplat::DispatchObject {
 public:
  ProgressSink() : DispatchObject("ProgressSink") {
    AddMethod(kelvane::dispid::LinesRead, "LinesRead", [this](winplat::Args& a) {
      pcts.push_back(a.Single(0));
      return Variant();
    }, 1);
  }
  std::vector<float> pcts;
};

class QueryTest : public rendertest::RenderTest {
 protected:
  // Calls a query by name; the collection argument and strError by reference.
  bool Query(const char* name, Variant& col, std::string& err) {
    Variant e(std::string("old"));
    Variant r = winplat::CallMethod(dxf.Get(), name, {Variant::ByRef(&e), Variant::ByRef(&col)});
    err = e.ToString();
    return r.ToBool();
  }
  Variant Field(const Variant& col, std::int32_t i, const char* name) {
    auto c = col.ToObject();
    Variant item = winplat::CallMethod(c.Get(), "Item", {Variant(std::to_string(i))});
    return winplat::GetProperty(item.ToObject().Get(), name);
  }
  std::int32_t Count(const Variant& col) { return winplat::GetProperty(col.ToObject().Get(), "Count").ToLong(); }
};

TEST_F(QueryTest, LinesComeBackByKeyWithFieldsInAnyCase) {
  Line(1, 2, 3, 4, 0x00FF00);
  Line(5, 6, 7, 8);
  db().LineTable(2).Deleted = -1;  // deleted rows are answered too
  Variant col;
  std::string err;
  ASSERT_TRUE(Query("getlines", col, err));
  EXPECT_EQ(err, "");
  ASSERT_EQ(Count(col), 2);
  EXPECT_EQ(Field(col, 1, "x1").ToSingle(), 1.0f);
  EXPECT_EQ(Field(col, 1, "Y2").ToSingle(), 4.0f);
  EXPECT_EQ(Field(col, 1, "layername").ToString(), "0");
  EXPECT_EQ(Field(col, 1, "ENTITYCOLOR").ToLong(), 0x00FF00);
  EXPECT_EQ(Field(col, 2, "X2").ToSingle(), 7.0f);
  // Writing a field changes the object, never the table.
  auto item = winplat::CallMethod(col.ToObject().Get(), "Item", {Variant("1")}).ToObject();
  winplat::PutProperty(item.Get(), "x1", Variant(99.5f));
  EXPECT_EQ(winplat::GetProperty(item.Get(), "X1").ToSingle(), 99.5f);
  EXPECT_EQ(db().LineTable(1).X1, 1.0f);
  // Field positions give the dispatch identifiers.
  winplat::DISPID id = 0;
  ASSERT_EQ(item->GetIDsOfNames("InsertID", &id), winplat::S_OK);
  EXPECT_EQ(id, 0x40030008);
}

TEST_F(QueryTest, LinesReadReportsFractions) {
  auto progress = winplat::MakeObject<ProgressSink>();
  site->ConnectEvents(progress.Get());
  for (int i = 0; i < 300; ++i) Line(0, 0, 1, 1);
  Variant col;
  std::string err;
  ASSERT_TRUE(Query("GetLines", col, err));
  ASSERT_EQ(progress->pcts.size(), 4u);
  EXPECT_NEAR(progress->pcts[0], 1.0 / 3, 1e-6);
  EXPECT_NEAR(progress->pcts[1], 2.0 / 3, 1e-6);
  EXPECT_EQ(progress->pcts[2], 1.0f);
  EXPECT_EQ(progress->pcts[3], 1.0f);
}

TEST_F(QueryTest, EmptyTablesAndBadLayersStillAnswer) {
  Variant col;
  std::string err;
  for (const char* q : {"GetLines", "GetPolyLines", "GetStrings", "GetSolids", "GetCircles", "GetAttribs",
                        "GetInserts", "GetBlocks"}) {
    ASSERT_TRUE(Query(q, col, err)) << q;
    EXPECT_EQ(Count(col), 0) << q;
  }
  Line(0, 0, 1, 1);
  db().LineTable(1).Layer = 77;  // not a layer position
  ASSERT_TRUE(Query("GetLines", col, err));
  EXPECT_EQ(Field(col, 1, "LayerName").ToString(), "");
}

TEST_F(QueryTest, StringsKeepPaddingSolidsHaveNoStyle) {
  kelvane::TextRecord t;
  t.X = 3;
  t.Text = "AB";
  t.HorzAlign = 2;
  t.Layer = Layer("T");
  db().AddText(t, kelvane::Growth::Loader);
  kelvane::SolidRecord s;
  s.X4 = 9;
  s.Layer = Layer("0");
  db().AddSolid(s, kelvane::Growth::Loader);
  Variant col;
  std::string err;
  ASSERT_TRUE(Query("GetStrings", col, err));
  std::string txt = Field(col, 1, "Txt").ToString();
  EXPECT_EQ(txt.size(), 100u);
  EXPECT_EQ(txt.substr(0, 3), "AB ");
  EXPECT_EQ(Field(col, 1, "HorzAlign").ToInteger(), 2);
  EXPECT_EQ(Field(col, 1, "LayerName").ToString(), "T");
  ASSERT_TRUE(Query("GetSolids", col, err));
  EXPECT_EQ(Field(col, 1, "X4").ToSingle(), 9.0f);
  EXPECT_EQ(Field(col, 1, "LineType").ToLong(), 0);
  EXPECT_EQ(Field(col, 1, "Linewidth").ToSingle(), 0.0f);
}

TEST_F(QueryTest, GetInsertRefusesRowsNotRead) {
  Variant err{std::string()}, name(std::string("x")), x(1.0f), y(1.0f), col;
  Variant r = winplat::CallMethod(dxf.Get(), "GetInsert",
                                  {Variant::ByRef(&err), Variant(std::int32_t{1}), Variant::ByRef(&name),
                                   Variant::ByRef(&x), Variant::ByRef(&y), Variant::ByRef(&col)});
  EXPECT_FALSE(r.ToBool());
  EXPECT_EQ(err.ToString().rfind("An error occurred in GetInsert. The message is: ", 0), 0u);
  EXPECT_EQ(name.ToString(), "x");
  EXPECT_TRUE(col.IsEmpty());
}

TEST_F(QueryTest, QueriesAreRefusedWhileAReadRuns) {
  Line(0, 0, 1, 1);
  Variant col;
  std::string err;
  dxf->reader.Reading = true;
  EXPECT_FALSE(Query("GetLines", col, err));
  EXPECT_EQ(err.rfind("An error occurred in GetLines. The message is: A DXF file is being read", 0), 0u);
  EXPECT_TRUE(col.IsEmpty());
  dxf->reader.Reading = false;
}

TEST_F(QueryTest, FindWalksMatchesThenStartsOver) {
  auto text = [&](const char* s, const char* layer) {
    kelvane::TextRecord t;
    t.Text = s;
    t.Layer = Layer(layer);
    db().AddText(t, kelvane::Growth::Loader);
  };
  text("x", "A");
  text("door", "B");  // layer 2
  text("DOOR ", "B");
  text("door", "A");
  text("other", "B");
  const std::int16_t b = static_cast<std::int16_t>(Layer("B"));
  EXPECT_EQ(dxf->Find("DOOR", b, false), 2);
  EXPECT_EQ(dxf->Find("Door", b, false), 3);
  EXPECT_EQ(dxf->Find("door", b, false), 0);
  EXPECT_EQ(dxf->Find("door", b, false), 2);
  EXPECT_EQ(dxf->Find("door", 0, true), 2);  // a new layer restarts; nothing drawn, no pan
  EXPECT_EQ(dxf->Find("door", 0, false), 3);
  EXPECT_EQ(dxf->Find("door", 0, false), 4);
  EXPECT_EQ(dxf->Find("doo", 0, false), 0);  // whole text only
}

}  // namespace
