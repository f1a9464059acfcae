// The program's drawing import, replayed by a host that places the control by
// its ProgID and speaks to it only by member names, written in lower case:
// Regen, the on-the-spot zoom, the pan, GetExtents, then GetPolyLines,
// GetCircles and GetLines, whose objects are read and written back. Counts
// and coordinates are checked against the drawings' own group pairs.
#include <cmath>
#include <fstream>
#include <map>

#include "render_fixture.h"
#include "winplat/collection.h"

using winplat::ComPtr;
using winplat::IDispatch;
using winplat::Variant;

namespace {

struct FileLine {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};
struct FileCircle {
  double x = 0, y = 0, r = 0, start = 0, end = 0;
};
struct FileFacts {
  std::vector<FileLine> lines;
  std::vector<FileCircle> circles;
  bool polylines = false;
};

// The LINE, CIRCLE and ARC entities of the ENTITIES section, in file order.
FileFacts Scan(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<std::string> t;
  for (std::string l; std::getline(in, l);) {
    while (!l.empty() && (l.back() == '\r' || l.back() == ' ')) l.pop_back();
    const std::size_t b = l.find_first_not_of(' ');
    t.push_back(b == std::string::npos ? std::string() : l.substr(b));
  }
  FileFacts f;
  bool entities = false;
  for (std::size_t i = 0; i + 1 < t.size(); i += 2) {
    if (t[i] == "2" && t[i + 1] == "ENTITIES") entities = true;
    if (t[i] == "0" && t[i + 1] == "ENDSEC") entities = false;
    if (!entities || t[i] != "0") continue;
    const std::string& kind = t[i + 1];
    if (kind == "POLYLINE") f.polylines = true;  // LWPOLYLINE is not read
    if (kind != "LINE" && kind != "CIRCLE" && kind != "ARC") continue;
    std::map<std::string, double> g;
    for (std::size_t j = i + 2; j + 1 < t.size() && t[j] != "0"; j += 2)
      if (!g.count(t[j])) g[t[j]] = std::strtod(t[j + 1].c_str(), nullptr);
    if (kind == "LINE")
      f.lines.push_back({g["10"], g["20"], g["11"], g["21"]});
    else
      f.circles.push_back({g["10"], g["20"], g["40"], kind == "ARC" ? g["50"] : 0, kind == "ARC" ? g["51"] : 0});
  }
  return f;
}

std::vector<ComPtr<IDispatch>> Items(IDispatch* collection) {
  std::vector<ComPtr<IDispatch>> items;
  auto en = winplat::NewEnum(collection);
  Variant item;
  while (en->Next(item)) items.push_back(item.ToObject());
  return items;
}

float F(IDispatch* o, const char* name) { return winplat::GetProperty(o, name).ToSingle(); }

void Close(double got, double want) { EXPECT_NEAR(got, want, 1e-4 * std::max(1.0, std::fabs(want))); }

class ImportSequenceTest : public rendertest::RenderTest {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(Place(640, 480)); }

  Variant Call(const char* name, std::vector<Variant> args = {}) {
    return winplat::CallMethod(dxf.Get(), name, std::move(args));
  }
  bool Query(const char* name, ComPtr<IDispatch>& col) {
    std::string err;
    const bool ok = Call(name, {Variant::ByRef(&err), Variant::ByRef(&col)}).ToBool();
    EXPECT_EQ(err, "") << name;
    return ok;
  }

  // Runs the import on a copy of `source`; returns the extents it read.
  void Import(const std::filesystem::path& source) {
    SCOPED_TRACE(source.string());
    std::ifstream in(source, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string path = Put(source.filename().string(), text);
    IDispatch* c = dxf.Get();
    winplat::PutProperty(c, "filename", Variant(path));
    winplat::PutProperty(c, "calcextents", Variant(true));
    winplat::PutProperty(c, "filename", Variant(path));
    ASSERT_EQ(Call("regen", {Variant(std::int32_t{0}), Variant(0.0f), Variant(0.0f)}).ToLong(), -1);
    winplat::PutProperty(c, "onthespotzoompctleft", Variant(90.0f));
    EXPECT_EQ(Call("onthespotzoom", {Variant(0.0f), Variant(0.0f)}).ToInteger(), -1);
    float l = 0, t = 0, r = 0, b = 0;
    ASSERT_TRUE(Call("getextents", {Variant::ByRef(&l), Variant::ByRef(&t), Variant::ByRef(&r), Variant::ByRef(&b)})
                    .ToBool());
    EXPECT_LE(l, r);
    EXPECT_LE(b, t);
    winplat::PutProperty(c, "zoomfunction", Variant(std::int16_t{2}));
    EXPECT_EQ(Call("zoominitiate", {Variant(0.0f), Variant(0.0f)}).ToInteger(), -1);
    EXPECT_EQ(Call("zoomend").ToInteger(), -1);
    EXPECT_TRUE(dxf->picKelvane.AutoRedraw);

    const FileFacts facts = Scan(source);
    ComPtr<IDispatch> col;
    ASSERT_TRUE(Query("getpolylines", col));
    const auto segments = Items(col.Get());
    EXPECT_EQ(static_cast<std::int32_t>(segments.size()), db().PolylineCount);
    if (facts.polylines) {
      EXPECT_FALSE(segments.empty());
    }
    const float slack = 1e-3f * std::max({1.0f, std::fabs(l), std::fabs(r), std::fabs(t), std::fabs(b)});
    for (const auto& s : segments) {
      for (const char* x : {"x1", "x2"}) {
        EXPECT_GE(F(s.Get(), x), l - slack);
        EXPECT_LE(F(s.Get(), x), r + slack);
      }
      for (const char* y : {"y1", "y2"}) {
        EXPECT_GE(F(s.Get(), y), b - slack);
        EXPECT_LE(F(s.Get(), y), t + slack);
      }
      winplat::GetProperty(s.Get(), "bulge");
    }

    ASSERT_TRUE(Query("getcircles", col));
    const auto circles = Items(col.Get());
    ASSERT_EQ(circles.size(), facts.circles.size());
    for (std::size_t i = 0; i < circles.size(); ++i) {
      Close(F(circles[i].Get(), "x1"), facts.circles[i].x);
      Close(F(circles[i].Get(), "y1"), facts.circles[i].y);
      Close(F(circles[i].Get(), "radius"), std::fabs(facts.circles[i].r));
      if (facts.circles[i].start != facts.circles[i].end) {
        Close(F(circles[i].Get(), "startangle"), facts.circles[i].start);
        Close(F(circles[i].Get(), "endangle"), facts.circles[i].end);
      }
    }

    ASSERT_TRUE(Query("getlines", col));
    const auto lines = Items(col.Get());
    ASSERT_EQ(lines.size(), facts.lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
      Close(F(lines[i].Get(), "x1"), facts.lines[i].x1);
      Close(F(lines[i].Get(), "y1"), facts.lines[i].y1);
      Close(F(lines[i].Get(), "x2"), facts.lines[i].x2);
      Close(F(lines[i].Get(), "y2"), facts.lines[i].y2);
    }
    if (!lines.empty()) {
      // The import scales the objects in place; the drawing stays as read.
      const float scaled = static_cast<float>(facts.lines[0].x1 * 25.4);
      winplat::PutProperty(lines[0].Get(), "x1", Variant(scaled));
      winplat::PutProperty(lines[0].Get(), "y2", Variant(-1.5f));
      EXPECT_EQ(F(lines[0].Get(), "X1"), scaled);
      EXPECT_EQ(F(lines[0].Get(), "Y2"), -1.5f);
      Close(db().LineTable(1).X1, facts.lines[0].x1);
      ComPtr<IDispatch> again;
      ASSERT_TRUE(Query("getlines", again));
      Close(F(Items(again.Get())[0].Get(), "x1"), facts.lines[0].x1);
    }
  }
};

TEST_F(ImportSequenceTest, JobDrawingsOfTheMachineRoot) {
  const auto jobs = std::filesystem::path(FIELDRAY_SOURCE_DIR) / "root-template" / "C" / "Fieldray" / "Jobs";
  if (!std::filesystem::exists(jobs / "PLATE.DXF")) GTEST_SKIP() << "no job drawings in the source tree";
  ASSERT_NO_FATAL_FAILURE(Import(jobs / "PLATE.DXF"));
  EXPECT_EQ(db().LineCount, 4);
  EXPECT_EQ(db().CircleCount, 3);
  float l = 0, t = 0, r = 0, b = 0;
  ASSERT_TRUE(dxf->GetExtents(l, t, r, b));
  EXPECT_NEAR(l, 10, 1e-3);
  EXPECT_NEAR(b, 10, 1e-3);
  EXPECT_NEAR(r, 210, 1e-3);
  EXPECT_NEAR(t, 110, 1e-3);
  ASSERT_NO_FATAL_FAILURE(Import(jobs / "FLANGE.DXF"));
  EXPECT_EQ(db().LineCount, 0);
  EXPECT_EQ(db().CircleCount, 6);
}

TEST_F(ImportSequenceTest, SharedCorpusDrawings) {
  const auto corpus = testsupport::SharedDxfCorpus();
  if (corpus.empty()) GTEST_SKIP() << testsupport::NoSharedTestData("dxf");
  const char* files[] = {"skymakerolof-dxf/layers.dxf",          "skymakerolof-dxf/lines.dxf",
                         "gdsestimating-dxf-parser/polylines.dxf", "skymakerolof-dxf/arc16.dxf",
                         "mozman-ezdxf/text_alignments.dxf",     "mozman-ezdxf/AC1003_LINE_Example.dxf",
                         "mozman-ezdxf/forms.dxf",               "OSGeo-gdal/circle.dxf"};
  int read = 0;
  for (const char* name : files) {
    if (!std::filesystem::exists(corpus / name)) continue;
    ASSERT_NO_FATAL_FAILURE(Import(corpus / name));
    ++read;
  }
  EXPECT_GT(read, 0);
}

}  // namespace
