// Drawings of newer CAD programs: an MTEXT carrying an embedded column object
// keeps its own anchor and height for the host's queries, the extents and the
// picture.
#include <algorithm>
#include <vector>

#include "../../reader/tests/drawing_text.h"
#include "../../reader/tests/outside_readers.h"
#include "render_fixture.h"

using winplat::Variant;

namespace {

class EmbeddedObjectTest : public rendertest::RenderTest {
 protected:
  struct Read {
    std::vector<std::array<float, 4>> strings;  // X1, Y1, Height, Rotation
    std::array<float, 4> extents{};             // Left, Top, Right, Bottom
  };
  Read Regen(const std::string& name, const std::string& text) {
    dxf->SetFilename(Put(name, text));
    dxf->CalcExtents = -1;  // as the program reads drawings
    EXPECT_EQ(dxf->Regen(kelvane::dxfMergeNew), -1) << name;
    Read r;
    Variant err{std::string()}, col;
    EXPECT_TRUE(winplat::CallMethod(dxf.Get(), "GetStrings", {Variant::ByRef(&err), Variant::ByRef(&col)}).ToBool())
        << err.ToString();
    const std::int32_t n = winplat::GetProperty(col.ToObject().Get(), "Count").ToLong();
    for (std::int32_t i = 1; i <= n; ++i) {
      auto item = winplat::CallMethod(col.ToObject().Get(), "Item", {Variant(i)}).ToObject();
      auto f = [&](const char* field) { return winplat::GetProperty(item.Get(), field).ToSingle(); };
      r.strings.push_back({f("X1"), f("Y1"), f("Height"), f("Rotation")});
    }
    Variant l(0.0f), t(0.0f), rt(0.0f), b(0.0f);
    winplat::CallMethod(dxf.Get(), "GetExtents", {Variant::ByRef(&l), Variant::ByRef(&t), Variant::ByRef(&rt), Variant::ByRef(&b)});
    r.extents = {l.ToSingle(), t.ToSingle(), rt.ToSingle(), b.ToSingle()};
    return r;
  }
};

using readertest::Pairs;

std::string MText(const std::string& x, const std::string& y, bool embedded) {
  std::string text = Pairs({"0", "MTEXT", "8", "0", "10", x, "20", y, "40", "3", "41", "60", "1", "abc def"});
  if (embedded)
    text += Pairs({"101", "Embedded Object", "70", "1", "10", "1", "20", "0", "11", "0", "21", "4", "40", "53", "41",
                   "0", "42", "40.5", "43", "4"});
  return text;
}

std::string TwoMTexts(bool embedded) {
  return readertest::Drawing("", MText("10", "40", embedded) + MText("30", "60", embedded));
}

TEST_F(EmbeddedObjectTest, TheTextKeepsItsAnchorAndHeight) {
  const Read with = Regen("columns.dxf", TwoMTexts(true));
  const Read without = Regen("plain.dxf", TwoMTexts(false));
  ASSERT_EQ(with.strings.size(), 2u);
  EXPECT_EQ(with.strings[0], (std::array<float, 4>{10, 40, 3, 0}));
  EXPECT_EQ(with.strings[1], (std::array<float, 4>{30, 60, 3, 0}));
  EXPECT_EQ(with.extents, (std::array<float, 4>{10, 60, 30, 40}));
  EXPECT_EQ(with.strings, without.strings);
  EXPECT_EQ(with.extents, without.extents);
}

// The corpus drawing of MTEXT column samples: every text where ezdxf puts it,
// as tall as ezdxf says, and drawn as a band of small text along its baseline.
TEST_F(EmbeddedObjectTest, CorpusColumnSamplesReadAsEzdxfReadsThem) {
  const auto shared = testsupport::SharedDxfCorpus();
  if (shared.empty()) GTEST_SKIP() << "no shared/testdata/dxf beside the source tree";
  if (!outside::EzdxfMissing().empty()) GTEST_SKIP() << outside::EzdxfMissing();
  const auto file = shared / "mozman-ezdxf" / "mtext_columns_R2018.dxf";
  ASSERT_TRUE(std::filesystem::exists(file)) << file;
  const std::string text = testsupport::ReadFile(file);
  ASSERT_NE(text.find("Embedded Object"), std::string::npos);
  const outside::Drawing ez = outside::ReadWithEzdxf({file})[0];
  ASSERT_TRUE(ez.ok) << ez.error;
  const auto expected = ez.OfKind("MTEXT");
  ASSERT_FALSE(expected.empty());

  const Read read = Regen(file.filename().string(), text);
  ASSERT_EQ(read.strings.size(), expected.size());
  float tallest = 0;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(expected[i].numbers.size(), 4u);
    for (std::size_t k = 0; k < 4; ++k) EXPECT_NEAR(read.strings[i][k], expected[i].numbers[k], 1e-4) << k;
    tallest = std::max(tallest, read.strings[i][2]);
  }

  // The ink lies within the texts' height of their baselines.
  const winplat::Picture shot = Shot();
  int top = shot.height, bottom = -1;
  for (int y = 0; y < shot.height; ++y)
    for (int x = 0; x < shot.width; ++x)
      if ((shot.At(x, y) & 0xFFFFFF) != 0xFFFFFF) top = std::min(top, y), bottom = std::max(bottom, y);
  ASSERT_GE(bottom, 0) << "nothing drawn";
  int highest = shot.height, lowest = 0;
  for (const auto& s : read.strings) {
    highest = std::min(highest, dxf->CvtY(s[1] + 2 * tallest));
    lowest = std::max(lowest, dxf->CvtY(s[1] - tallest));
  }
  EXPECT_GE(top, highest - 1);
  EXPECT_LE(bottom, lowest + 1);
}

}  // namespace
