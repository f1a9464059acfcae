// Every drawing of the shared corpus reads without a crash; where a drawing
// holds only lines, points, solids and 3D faces its rows match the file.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "mangle.h"
#include "reader_fixture.h"

using namespace readertest;

namespace {

struct FileEntities {
  std::map<std::string, int> counts;
  // The rows that the line table should hold: each LINE, each 3D face's four edges.
  std::vector<std::array<float, 4>> lineRows;
};

// Entity names and line geometry of the ENTITIES section, by a plain walk over
// the lines of the file.
FileEntities EntitiesOf(const std::string& text) {
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
  lines.push_back(line);
  auto trim = [](std::string s) {
    s.erase(0, s.find_first_not_of(" \t"));
    s.erase(s.find_last_not_of(" \t") + 1);
    return s;
  };
  FileEntities out;
  std::string section, entity;
  std::map<int, float> groups;
  auto finish = [&] {
    auto g = [&](int code) { return groups.count(code) ? groups[code] : 0.0f; };
    if (entity == "LINE") out.lineRows.push_back({g(10), g(20), g(11), g(21)});
    if (entity == "3DFACE") {
      float c[4][2] = {{g(10), g(20)}, {g(11), g(21)}, {g(12), g(22)}, {g(13), g(23)}};
      for (int i = 0; i < 4; ++i) out.lineRows.push_back({c[i][0], c[i][1], c[(i + 1) % 4][0], c[(i + 1) % 4][1]});
    }
    groups.clear();
    entity.clear();
  };
  for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
    std::string code = trim(lines[i]);
    const std::string& value = lines[i + 1];
    if (code == "0") finish();
    if (code == "0" && value == "EOF") break;
    if (code == "0" && value == "SECTION" && i + 3 < lines.size()) {
      section = lines[i + 3];
      i += 2;
      continue;
    }
    if (section != "ENTITIES") continue;
    if (code == "0" && value != "ENDSEC") {
      ++out.counts[value];
      entity = value;
    } else if (!code.empty() && code != "0") {
      groups[std::atoi(code.c_str())] = static_cast<float>(std::strtod(value.c_str(), nullptr));
    }
  }
  return out;
}

}  // namespace

TEST_F(ReaderTest, SharedCorpusReadsWithoutCrash) {
  std::filesystem::path shared = testsupport::SharedDxfCorpus();
  if (shared.empty()) GTEST_SKIP() << testsupport::NoSharedTestData("dxf");
  int files = 0, read = 0, checked = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(shared)) {
    std::string ext = entry.path().extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!entry.is_regular_file() || ext != ".dxf") continue;
    ++files;
    SCOPED_TRACE(entry.path().string());
    dxf = winplat::MakeObject<kelvane::DXF>();
    db().InitDB(true);
    std::string text = testsupport::ReadFile(entry.path());
    std::string path = Put("corpus_" + std::to_string(files) + ".dxf", text);
    std::string error = LoadError(path);
    EXPECT_FALSE(kelvane::ReadIsRunning(*dxf));
    if (!error.empty()) {
      // A failed read leaves nothing behind.
      EXPECT_EQ(db().EntityCount, 0) << error;
      EXPECT_EQ(db().Layers().Count(), 0) << error;
      continue;
    }
    ++read;
    FileEntities found = EntitiesOf(text);
    auto& counts = found.counts;
    bool simple = true;
    for (const auto& [name, n] : counts)
      if (name != "LINE" && name != "POINT" && name != "SOLID" && name != "3DFACE") simple = false;
    if (!simple || counts.empty()) continue;
    ++checked;
    EXPECT_EQ(db().LineCount, counts["LINE"] + 4 * counts["3DFACE"]);
    EXPECT_EQ(db().PointRowCount, counts["POINT"]);
    EXPECT_EQ(db().SolidCount, counts["SOLID"]);
    EXPECT_EQ(db().EntityCount, counts["LINE"] + 4 * counts["3DFACE"] + counts["POINT"] + counts["SOLID"]);
    ASSERT_EQ(db().LineCount, static_cast<std::int32_t>(found.lineRows.size()));
    for (std::int32_t r = 1; r <= db().LineCount; ++r) {
      const auto& row = db().LineTable(r);
      EXPECT_EQ((std::array<float, 4>{row.X1, row.Y1, row.X2, row.Y2}), found.lineRows[static_cast<std::size_t>(r - 1)])
          << "row " << r;
    }
  }
  EXPECT_GT(files, 50);
  EXPECT_GT(read, files / 2);
  EXPECT_GE(checked, 10);
  std::cout << files << " drawings, " << read << " read, " << checked << " checked row by row\n";
}

TEST_F(ReaderTest, RealR12DrawingFromTheCorpus) {
  std::filesystem::path shared = testsupport::SharedDxfCorpus();
  if (shared.empty()) GTEST_SKIP() << testsupport::NoSharedTestData("dxf");
  // Written by a commercial converter at R12: one line (0,0)-(10,10) on layer 0,
  // header extents left empty (1E20 / -1E20).
  std::string path = PutFile(shared / "ixmilia-dxf" / "t.r12.dxf");
  ASSERT_TRUE(Load(path));
  ASSERT_EQ(db().LineCount, 1);
  const auto& l = db().LineTable(1);
  EXPECT_EQ(std::vector<float>({l.X1, l.Y1, l.X2, l.Y2}), std::vector<float>({0, 0, 10, 10}));
  EXPECT_EQ(LayerName(l.Layer), "0");
  EXPECT_EQ(db().DrawingExtents.Left, 1e20f);
  EXPECT_EQ(db().DrawingExtents.Right, -1e20f);

  dxf = winplat::MakeObject<kelvane::DXF>();
  db().InitDB(true);
  dxf->CalcExtents = -1;
  ASSERT_TRUE(Load(path));
  EXPECT_EQ(db().DrawingExtents.Left, 0.0f);
  EXPECT_EQ(db().DrawingExtents.Bottom, 0.0f);
  EXPECT_EQ(db().DrawingExtents.Right, 10.0f);
  EXPECT_EQ(db().DrawingExtents.Top, 10.0f);
}

TEST_F(ReaderTest, MangledDrawingsFailCleanlyOrRead) {
  // Lines dropped, repeated or replaced by awkward values: every read either
  // succeeds or fails with the trail and leaves the data base as it was.
  std::string original = testsupport::ReadFile(OwnData() / "r12_drawing.dxf");
  std::vector<std::string> lines = dxftest::SplitLines(original, "\r\n");
  const std::vector<std::string> awkward = {"", "0", "9", "LINE", "SOLID", "BLOCK", "ENDBLK", "$EXTMIN", "1e39", "-1e400", "nan",
                           "99999", "-32769", "  62", "EOF", "SECTION", "\t", "1e-45", "3DFACE", "LAYER"};
  std::mt19937 random(2024);
  int failed = 0;
  for (int round = 0; round < 200; ++round) {
    std::vector<std::string> copy = dxftest::MangleLines(lines, awkward, random, 4);
    std::string text;
    for (const auto& l : copy) text += l + "\n";
    dxf = winplat::MakeObject<kelvane::DXF>();
    db().InitDB(true);
    std::string error = LoadError(Put("mangled.dxf", text));
    if (!error.empty()) {
      ++failed;
      EXPECT_NE(error.find(" ->  LoadDXF."), std::string::npos) << error;
      EXPECT_EQ(db().EntityCount, 0) << error;
      EXPECT_EQ(db().LineCount, 0) << error;
    } else {
      // A 3D face gives four rows; every other entity one, and each needs a pair.
      EXPECT_LE(db().EntityCount, 4 * static_cast<std::int32_t>(copy.size() / 2));
      EXPECT_EQ(db().EntityCount, db().LineCount + db().PointRowCount + db().SolidCount);
    }
    EXPECT_FALSE(kelvane::ReadIsRunning(*dxf));
  }
  EXPECT_GT(failed, 0);
}
