// Save on every drawing of the shared corpus and of the project: read,
// redlined, saved, and read again by the control, ezdxf and dxflib.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>

#include "outside_readers.h"
#include "winplat/text.h"
#include "writer_fixture.h"

using namespace writertest;
namespace fs = std::filesystem;

namespace {

constexpr const char* kLayer = "KV_REDLINE";
// What the test adds on kLayer and expects back (a deleted circle apart).
const std::map<std::string, int> kAddedKinds = {{"CIRCLE", 1}, {"LINE", 1}, {"SOLID", 1}, {"TEXT", 1}};

struct Pair {
  std::string code, value;
  bool operator==(const Pair&) const = default;
};

// The file as pairs of code and value lines, lines ending anyhow.
std::vector<Pair> PairsOf(const std::string& text) {
  const std::vector<std::string_view> lines = winplat::SplitLines(text);
  std::vector<Pair> pairs;
  for (std::size_t i = 0; i + 1 < lines.size(); i += 2) pairs.push_back({std::string(lines[i]), std::string(lines[i + 1])});
  return pairs;
}

// Every line end is CR LF: each CR and each LF belongs to one.
bool CrLfOnly(const std::string& text) {
  std::size_t ends = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++ends;
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\r')) == ends &&
         static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) == ends;
}

std::string Handle(std::string h) {
  h.erase(0, h.find_first_not_of(" 0"));
  h.erase(h.find_last_not_of(' ') + 1);
  return winplat::UCase(h);
}

// The handles a file holds; empty when it has no handle seed (nothing gets handles then).
std::set<std::string> HandlesOf(const std::vector<Pair>& pairs) {
  std::set<std::string> handles;
  bool seed = false;
  for (std::size_t i = 0; i < pairs.size(); ++i) {
    const std::string code = Handle(pairs[i].code);  // blanks and leading zeros go
    if (code == "9" && pairs[i].value == "$HANDSEED") seed = true;
    if ((code == "5" || code == "105") && !(i > 0 && pairs[i - 1].value == "$HANDSEED"))
      handles.insert(Handle(pairs[i].value));
  }
  return seed ? handles : std::set<std::string>{};
}

// The output with what Save adds taken out equals the input, the seed apart.
// Returns what had to be taken out.
std::vector<Pair> Added(const std::vector<Pair>& in, const std::vector<Pair>& out) {
  std::vector<Pair> added;
  std::size_t i = 0;
  for (std::size_t o = 0; o < out.size(); ++o) {
    const bool seed = o > 0 && out[o - 1].value == "$HANDSEED" && i > 0 && in[i - 1].value == "$HANDSEED";
    if (i < in.size() && (out[o] == in[i] || (seed && out[o].code == in[i].code))) {
      ++i;
      continue;
    }
    added.push_back(out[o]);
  }
  if (i != in.size()) added.push_back({"missing input pair", std::to_string(i)});
  return added;
}

// True when every pair taken out belongs to an added record, layer table or section.
bool OnlyRedlineContent(const std::vector<Pair>& added, std::string* why) {
  static const std::set<std::string> wrapper = {"SECTION", "TABLES", "ENTITIES", "ENDSEC", "TABLE", "LAYER", "ENDTAB"};
  static const std::set<std::string> groups = {"5",  "10", "20", "30", "11", "21", "31", "12",  "22",  "32",  "13", "23",
                                               "33", "40", "1",  "50", "72", "100", "330", "999", "70", "62", "6"};
  std::map<std::string, int> kinds;
  for (Pair p : added) {
    p.code.erase(0, p.code.find_first_not_of(' '));
    if ((p.code == "8" || p.code == "2") && p.value == kLayer) continue;
    if ((p.code == "0" || p.code == "2") && wrapper.count(p.value)) continue;
    if (p.code == "0") {
      ++kinds[p.value];
      continue;
    }
    if (!groups.count(p.code)) {
      *why = "unexpected pair " + p.code + "/" + p.value;
      return false;
    }
  }
  if (kinds != kAddedKinds) {
    *why = "the records added are not one line, circle, solid and text";
    return false;
  }
  return true;
}

// The .dxf files of the shared corpus (all folders, when there is one) and of
// the project's own test data.
std::vector<fs::path> Drawings() {
  std::vector<fs::path> files;
  auto take = [&](const fs::directory_entry& e) {
    if (e.is_regular_file() && winplat::AsciiEqualNoCase(e.path().extension().string(), ".dxf")) files.push_back(e.path());
  };
  if (const fs::path shared = testsupport::SharedDxfCorpus(); !shared.empty())
    for (const auto& e : fs::recursive_directory_iterator(shared)) take(e);
  for (const auto& e : fs::directory_iterator(readertest::OwnData())) take(e);
  std::sort(files.begin(), files.end());
  return files;
}

// Lines, segments, texts, circles, solids, points, attributes and ellipses.
std::array<std::int32_t, 8> CountsOf(const kelvane::EntityDB& db) {
  return {db.LineCount, db.PolylineCount, db.TextCount, db.CircleCount,
          db.SolidCount, db.PointRowCount, db.AttribCount, db.EllipseCount};
}

using SaveCorpusTest = WriterTest;

TEST_F(SaveCorpusTest, EveryDrawingSavesWithItsRedlines) {
  const bool withEzdxf = outside::EzdxfMissing().empty();
  const bool withDxflib = outside::DxflibMissing().empty();
  // The drawings that the control, and ezdxf and dxflib where present, read before the save.
  std::vector<std::string> names;
  std::vector<fs::path> copies;
  for (const fs::path& file : Drawings()) {
    const std::string name = file.parent_path().filename().string() + "_" + file.filename().string();
    const std::string path = Put(name, testsupport::ReadFile(file));
    if (!ReadBack(path) || (withDxflib && !outside::ReadWithDxflib(Host(path)).ok)) continue;
    names.push_back(name);
    copies.push_back(Host(path));
  }
  if (withEzdxf) {
    const auto before = outside::ReadWithEzdxf(copies);
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < names.size(); ++i)
      if (before[i].ok) kept.push_back(names[i]);
    names = kept;
  }
  // Three of the project's own drawings are read by every reader; the shared
  // corpus adds more.
  const std::size_t least = testsupport::SharedDxfCorpus().empty() ? 3u : 4u;
  ASSERT_GE(names.size(), least) << "too few drawings read";

  fs::create_directories(Host("C:\\saved\\"));
  std::vector<fs::path> saved;
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const std::string source = "C:\\dxf\\" + name, target = "C:\\saved\\" + name;
    auto control = ReadBack(source);
    ASSERT_TRUE(control);
    std::array<std::int32_t, 8> expected = CountsOf(control->db);
    control->DXFAddLine(1, 2, 3, 4, kLayer);
    control->DXFAddCircle(5, 5, 7, 5, kLayer);
    control->DXFAddSolid(0, 0, 1, 0, 1, 1, 0, 1, kLayer);
    control->DXFAddText(8, 9, "Redline note", kLayer, kelvane::dxfRealWorld, winplat::Variant(2.5f));
    control->DXFAddCircle(0, 0, 1, 0, kLayer);
    control->db.CircleTable(control->db.CircleCount).Deleted = -1;
    ASSERT_EQ(control->Save(target), -1);

    const std::string in = testsupport::ReadFile(Host(source)), out = testsupport::ReadFile(Host(target));
    EXPECT_TRUE(CrLfOnly(out)) << "every output line ends in CR LF";
    std::string why;
    EXPECT_TRUE(OnlyRedlineContent(Added(PairsOf(in), PairsOf(out)), &why)) << why;

    auto back = ReadBack(target);
    ASSERT_TRUE(back);
    for (std::size_t added : {0, 2, 3, 4}) ++expected[added];  // the line, text, circle and solid
    EXPECT_EQ(CountsOf(back->db), expected);
    const std::int16_t layer = kelvane::SetLayerID(back->db.Layers(), kLayer);
    EXPECT_TRUE(back->db.Layers().Item(winplat::Variant(layer))->RedlineLayer());
    EXPECT_EQ(back->db.LineTable(back->db.LineCount).Layer, layer);
    EXPECT_EQ(back->db.TextTable(back->db.TextCount).Text.Trimmed(), "Redline note");

    saved.push_back(Host(target));
  }

  auto checkOutside = [&](const outside::Drawing& d, const std::string& name, const char* reader) {
    SCOPED_TRACE(name + " read by " + reader);
    ASSERT_TRUE(d.ok) << d.error;
    std::map<std::string, int> kinds;
    for (const auto& e : d.OnLayer(kLayer)) ++kinds[e.kind];
    EXPECT_EQ(kinds, kAddedKinds);
  };
  if (withEzdxf) {
    const auto after = outside::ReadWithEzdxf(saved);
    for (std::size_t i = 0; i < saved.size(); ++i) {
      checkOutside(after[i], names[i], "ezdxf");
      const std::set<std::string> inputHandles = HandlesOf(PairsOf(testsupport::ReadFile(Host("C:\\dxf\\" + names[i]))));
      if (inputHandles.empty()) continue;
      std::set<std::string> added;
      for (const auto& e : after[i].OnLayer(kLayer)) {
        EXPECT_FALSE(e.handle.empty()) << names[i];
        EXPECT_EQ(inputHandles.count(Handle(e.handle)), 0u) << names[i] << " reuses handle " << e.handle;
        EXPECT_TRUE(added.insert(Handle(e.handle)).second) << names[i] << " gives handle " << e.handle << " twice";
      }
    }
  }
  if (withDxflib)
    for (std::size_t i = 0; i < saved.size(); ++i) checkOutside(outside::ReadWithDxflib(saved[i]), names[i], "dxflib");
  if (!withEzdxf || !withDxflib) GTEST_SKIP() << outside::EzdxfMissing() << " " << outside::DxflibMissing();
}

}  // namespace
