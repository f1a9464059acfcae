// The shared corpus once more, with every loader in place: each drawing reads
// or fails cleanly and leaves no temporary file; where a drawing is made of
// lines, circles, arcs and polylines only, the data base holds the geometry
// of the file; the drawings with mirrored arcs put them where they belong.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <random>

#include "mangle.h"
#include "reader_fixture.h"
#include "winplat/paths.h"

using namespace readertest;
namespace fs = std::filesystem;

namespace {

// Every temporary block file or folder anywhere on drive C of the root.
int TemporaryFilesOnC() {
  int n = 0;
  std::error_code ec;
  for (const auto& e : fs::recursive_directory_iterator(testsupport::Root() / "C", ec)) {
    std::string name = e.path().filename().string();
    if (name.rfind("KLV", 0) == 0 || e.path().extension() == ".TMP") ++n;
  }
  return n;
}

struct Entity {
  std::string name;
  std::multimap<int, std::string> groups;
  double D(int code) const {
    auto it = groups.find(code);
    return it == groups.end() ? 0.0 : std::strtod(it->second.c_str(), nullptr);
  }
  bool Has(int code) const { return groups.count(code) != 0; }
  bool Down() const { return Has(230) && D(230) == -1.0 && D(210) == 0.0 && D(220) == 0.0; }
};

// The entities of the ENTITIES section, by a plain walk over the lines.
std::vector<Entity> EntitiesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char ch : text) {
    if (ch == '\n') {
      lines.push_back(line);
      line.clear();
    } else if (ch != '\r') {
      line += ch;
    }
  }
  std::vector<Entity> out;
  std::string section;
  bool sectionName = false;
  for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
    int code = std::atoi(lines[i].c_str());
    const std::string& value = lines[i + 1];
    if (code == 0) {
      if (value == "EOF") break;
      sectionName = value == "SECTION";
      if (value == "ENDSEC") section.clear();
      if (section == "ENTITIES") out.push_back(Entity{value, {}});
      continue;
    }
    if (sectionName && code == 2) {
      section = value;
      sectionName = false;
      continue;
    }
    if (section == "ENTITIES" && !out.empty()) out.back().groups.emplace(code, value);
  }
  return out;
}

struct Expected {
  std::vector<std::array<double, 5>> circles;   // x, y, r, start, end
  std::vector<std::array<double, 5>> segments;  // x1, y1, x2, y2, bulge
  int lines = 0;
  bool simple = true;
};

// What the data base should hold: an arc drawn with the extrusion (0, 0, -1)
// lies mirrored about the Y axis, turning the other way.
Expected ExpectedOf(const std::vector<Entity>& entities) {
  Expected e;
  for (std::size_t i = 0; i < entities.size(); ++i) {
    const Entity& en = entities[i];
    if (en.name == "LINE") {
      ++e.lines;
    } else if (en.name == "CIRCLE" || en.name == "ARC") {
      double s = en.name == "ARC" ? en.D(50) : 0, t = en.name == "ARC" ? en.D(51) : 0;
      s = static_cast<float>(s), t = static_cast<float>(t);
      while (s >= 360) s -= 360;
      while (t >= 360) t -= 360;
      double x = en.D(10);
      if (en.Down()) {
        x = -x;
        if (s != t) {
          double ns = 180 - t, nt = 180 - s;
          s = ns, t = nt;
        }
      }
      e.circles.push_back({x, en.D(20), en.D(40), s, t});
    } else if (en.name == "POLYLINE") {
      if (static_cast<int>(en.D(70)) == 64) return Expected{{}, {}, 0, false};
      double sign = en.Down() ? -1 : 1;
      std::vector<std::array<double, 3>> v;
      while (i + 1 < entities.size() && entities[i + 1].name == "VERTEX") {
        const Entity& vx = entities[++i];
        if (static_cast<int>(vx.D(70)) & 16) return Expected{{}, {}, 0, false};
        v.push_back({sign * vx.D(10), vx.D(20), sign * vx.D(42)});
      }
      if (i + 1 < entities.size() && entities[i + 1].name == "SEQEND") ++i;
      for (std::size_t k = 0; k + 1 < v.size(); ++k) e.segments.push_back({v[k][0], v[k][1], v[k + 1][0], v[k + 1][1], v[k][2]});
      if ((static_cast<int>(en.D(70)) & 1) && v.size() >= 2)
        e.segments.push_back({v.back()[0], v.back()[1], v[0][0], v[0][1], v.back()[2]});
    } else if (en.name != "POINT") {
      e.simple = false;
    }
  }
  return e;
}

void ExpectNear(double got, double want, const std::string& what) {
  EXPECT_NEAR(got, want, 1e-5 * std::max(1.0, std::fabs(want))) << what;
}

class CorpusGeometryTest : public ReaderTest {};

TEST_F(CorpusGeometryTest, EveryDrawingLeavesNoTemporaryFileAndSimpleOnesMatchTheirFiles) {
  fs::path shared = testsupport::SharedDxfCorpus();
  if (shared.empty()) GTEST_SKIP() << testsupport::NoSharedTestData("dxf");
  int files = 0, withBlocks = 0, checked = 0;
  for (const auto& entry : fs::recursive_directory_iterator(shared)) {
    std::string ext = entry.path().extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!entry.is_regular_file() || ext != ".dxf") continue;
    ++files;
    SCOPED_TRACE(entry.path().string());
    dxf = winplat::MakeObject<kelvane::DXF>();
    db().InitDB(true);
    std::string text = testsupport::ReadFile(entry.path());
    std::string error = LoadError(Put("corpus.dxf", text));
    EXPECT_EQ(TemporaryFilesOnC(), 0);
    if (!error.empty()) continue;
    if (db().BlockCount > 0) ++withBlocks;
    Expected e = ExpectedOf(EntitiesOf(text));
    if (!e.simple || (e.circles.empty() && e.segments.empty())) continue;
    ++checked;
    EXPECT_EQ(db().LineCount, e.lines);
    ASSERT_EQ(db().CircleCount, static_cast<std::int32_t>(e.circles.size()));
    for (std::size_t r = 0; r < e.circles.size(); ++r) {
      const auto& c = db().CircleTable(static_cast<std::int32_t>(r + 1));
      const auto& w = e.circles[r];
      std::string what = "circle " + std::to_string(r + 1);
      ExpectNear(c.X, w[0], what), ExpectNear(c.Y, w[1], what), ExpectNear(c.Radius, w[2], what);
      ExpectNear(c.StartAngle, w[3], what), ExpectNear(c.EndAngle, w[4], what);
    }
    ASSERT_EQ(db().PolylineCount, static_cast<std::int32_t>(e.segments.size()));
    for (std::size_t r = 0; r < e.segments.size(); ++r) {
      const auto& s = db().PolylineTable(static_cast<std::int32_t>(r + 1));
      const auto& w = e.segments[r];
      std::string what = "segment " + std::to_string(r + 1);
      ExpectNear(s.X1, w[0], what), ExpectNear(s.Y1, w[1], what), ExpectNear(s.X2, w[2], what);
      ExpectNear(s.Y2, w[3], what), ExpectNear(s.Bulge, w[4], what);
    }
  }
  EXPECT_GT(files, 50);
  EXPECT_GE(withBlocks, 10);
  EXPECT_GE(checked, 10);
  std::cout << files << " drawings, " << withBlocks << " with blocks, " << checked << " checked row by row\n";
}

// The end points of an arc row (full circle: none).
std::vector<std::pair<double, double>> ArcEnds(const kelvane::CircleRecord& c) {
  if (c.StartAngle == c.EndAngle) return {};
  auto at = [&](double deg) {
    double a = deg * M_PI / 180.0;
    return std::make_pair(c.X + c.Radius * std::cos(a), c.Y + c.Radius * std::sin(a));
  };
  return {at(c.StartAngle), at(c.EndAngle)};
}

class MirroredCorpusTest : public ReaderTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ReaderTest::SetUp());
    shared = testsupport::SharedDxfCorpus();
  }
  // Every arc end meets the end of some other line, arc or segment: a contour
  // whose mirrored arcs were left unmirrored falls apart at those ends.
  void ExpectClosedContours(double tolerance) {
    std::vector<std::pair<double, double>> ends;
    for (std::int32_t r = 1; r <= db().LineCount; ++r) {
      const auto& l = db().LineTable(r);
      ends.push_back({l.X1, l.Y1});
      ends.push_back({l.X2, l.Y2});
    }
    for (std::int32_t r = 1; r <= db().CircleCount; ++r)
      for (auto p : ArcEnds(db().CircleTable(r))) ends.push_back(p);
    int arcs = 0;
    for (std::int32_t r = 1; r <= db().CircleCount; ++r) {
      for (auto p : ArcEnds(db().CircleTable(r))) {
        ++arcs;
        int meets = 0;
        for (auto q : ends)
          if (std::hypot(p.first - q.first, p.second - q.second) <= tolerance) ++meets;
        EXPECT_GE(meets, 2) << "arc row " << r << " end (" << p.first << ", " << p.second << ") meets nothing";
      }
    }
    EXPECT_GT(arcs, 0);
  }
  fs::path shared;
};

TEST_F(MirroredCorpusTest, SingleMirroredArc) {
  if (shared.empty()) GTEST_SKIP() << testsupport::NoSharedTestData("dxf");
  // ARC at (650.0541823996996, 347.5909732684974), radius 0.7604262403327394,
  // 338.8998819521181 to 355.0752244008874 degrees, extrusion (0, 0, -1): in the
  // world its centre is at X -650.054..., and it runs from 180 - 355.075... to
  // 180 - 338.899... degrees.
  ASSERT_TRUE(Load(PutFile(shared / "gdsestimating-dxf-parser" / "arc1.dxf")));
  ASSERT_EQ(db().CircleCount, 1);
  const auto& c = db().CircleTable(1);
  EXPECT_EQ(c.X, -650.0541823996996f);
  EXPECT_EQ(c.Y, 347.5909732684974f);
  EXPECT_EQ(c.Radius, 0.7604262403327394f);
  EXPECT_NEAR(c.StartAngle, -175.0752244, 1e-4);
  EXPECT_NEAR(c.EndAngle, -158.8998820, 1e-4);
  // The extents take in its end points, both left of the centre.
  EXPECT_NEAR(db().DrawingExtents.Left, -650.0541824 - 0.7604262 * std::cos(4.924 * M_PI / 180), 1e-3);
}

TEST_F(MirroredCorpusTest, PartOutlineWithMirroredCornerArcs) {
  if (shared.empty()) GTEST_SKIP() << testsupport::NoSharedTestData("dxf");
  ASSERT_TRUE(Load(PutFile(shared / "skymakerolof-dxf" / "issue42.dxf")));
  // The corner ARC at (166.854..., -15.908...), radius 12, 0 to 90 degrees,
  // drawn with the extrusion (0, 0, -1): the top left corner of the outline,
  // from (-166.854, -3.909) round to (-178.854, -15.909), where the outline's
  // top and left edges end.
  bool found = false;
  for (std::int32_t r = 1; r <= db().CircleCount; ++r) {
    const auto& c = db().CircleTable(r);
    if (c.Radius != 12.0f || std::fabs(c.X + 166.8542017) > 1e-3 || std::fabs(c.Y + 15.9085617) > 1e-3) continue;
    found = true;
    EXPECT_EQ(c.StartAngle, 90.0f);
    EXPECT_EQ(c.EndAngle, 180.0f);
  }
  EXPECT_TRUE(found);
  // Its lines are world lines: the left edge stays at X -178.854.
  bool leftEdge = false;
  for (std::int32_t r = 1; r <= db().LineCount; ++r) {
    const auto& l = db().LineTable(r);
    if (std::fabs(l.X1 + 178.8542017) < 1e-3 && std::fabs(l.X2 + 178.8542017) < 1e-3 && l.Y2 < -199) leftEdge = true;
  }
  EXPECT_TRUE(leftEdge);
  ExpectClosedContours(1e-3);
}

TEST_F(MirroredCorpusTest, PlasmaPartWithMirroredArcsIsClosed) {
  if (shared.empty()) GTEST_SKIP() << testsupport::NoSharedTestData("dxf");
  ASSERT_TRUE(Load(PutFile(shared / "joco-nz-dxf2gcode-plasma" / "Stir_1.dxf")));
  // 28 lines, 40 arcs (20 of them mirrored) and 5 circles in its entities.
  EXPECT_EQ(db().LineCount, 28);
  EXPECT_EQ(db().CircleCount, 45);
  ExpectClosedContours(1e-3);
}

}  // namespace

namespace {

TEST_F(MirroredCorpusTest, MangledBlockDrawingsFailCleanlyOrRead) {
  if (shared.empty()) GTEST_SKIP() << testsupport::NoSharedTestData("dxf");
  // Blocks, inserts, dimensions and a polyline, with lines dropped, repeated or
  // replaced: every read either succeeds or fails with the trail, restores the
  // data base, and leaves no temporary file.
  std::string original = testsupport::ReadFile(shared / "skymakerolof-dxf" / "issue42.dxf");
  std::vector<std::string> lines = dxftest::SplitLines(original, "\n");
  const std::vector<std::string> awkward = {"", "0", "BLOCK", "ENDBLK", "INSERT", "POLYLINE", "VERTEX", "SEQEND", "ENTITIES", "SECTION",
                           "1e39", "-1e400", "99999999999", "%%", "\\A1;", "TEXT", "MTEXT", "DIMENSION", "-1", "64"};
  std::mt19937 random(42);
  int failed = 0, read = 0;
  for (int round = 0; round < 60; ++round) {
    std::vector<std::string> copy = dxftest::MangleLines(lines, awkward, random, 6);
    std::string text;
    for (const auto& l : copy) text += l + "\n";
    dxf = winplat::MakeObject<kelvane::DXF>();
    db().InitDB(true);
    std::string error = LoadError(Put("mangled.dxf", text));
    if (!error.empty()) {
      ++failed;
      EXPECT_NE(error.find(" ->  LoadDXF."), std::string::npos) << error;
      EXPECT_EQ(db().EntityCount, 0) << error;
      EXPECT_EQ(db().InsertCount, 0) << error;
    } else {
      ++read;
    }
    EXPECT_EQ(TemporaryFilesOnC(), 0);
    EXPECT_FALSE(kelvane::ReadIsRunning(*dxf));
  }
  EXPECT_GT(read, 0);
  std::cout << read << " mangled drawings read, " << failed << " failed cleanly\n";
}

}  // namespace
