// The view saved as enhanced and placeable metafiles and to the clipboard:
// what is written, what outside converters read, and playback that gives the
// picture on the screen again.

#include <array>
#include <cstdlib>
#include <set>

#include "clipboard_holder.h"
#include "gdi_canvas.h"
#include "render_fixture.h"
#include "winplat/clipboard.h"
#include "winplat/metafile.h"
#include "winplat/msgbox.h"

namespace {

using namespace rendertest;
using kelvane::dispid::SaveWMF;
using kelvane::dispid::SaveWMFOld;
using winplat::Variant;

constexpr winplat::COLORREF kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00A000;

std::vector<std::uint8_t> Bytes(const std::filesystem::path& p) {
  const std::string s = testsupport::ReadFile(p);
  return std::vector<std::uint8_t>(s.begin(), s.end());
}
std::uint16_t U16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}
std::int32_t I32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// Every file under the machine root, for seeing that nothing was left behind.
std::set<std::string> Files() {
  std::set<std::string> out;
  for (const auto& e : std::filesystem::recursive_directory_iterator(testsupport::Root()))
    if (e.is_regular_file()) out.insert(e.path().lexically_relative(testsupport::Root()).string());
  return out;
}

class MetafileOutput : public RenderTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(RenderTest::SetUp());
    Line(1, 1, 12, 9, kRed);
    Line(2, 8, 11, 2, kBlue);
    const auto loader = kelvane::Growth::Loader;
    db().AddCircle({.X = 7, .Y = 5, .Radius = 3, .Layer = Layer("0"), .Color = kGreen}, loader);
    db().AddCircle({.X = 7, .Y = 5, .Radius = 2, .StartAngle = 0, .EndAngle = 120, .Layer = Layer("0"), .Color = kGreen},
                   loader);
    db().AddText({.X = 1, .Y = 0.5f, .Text = std::string_view("KELVANE"), .Height = 1, .Layer = Layer("0"),
                  .Color = kRed, .FontName = std::string_view("Arial"), .WidthFactor = 1},
                 loader);
    Extents(0, 10, 14, 0);
    ASSERT_TRUE(Draw(0, 10, 14, 0));
    screen = Shot();
  }
  // A metafile's bytes (a placeable one's behind its 22-byte header) played one
  // to one into a raster picture of the view's size and background.
  winplat::Picture Played(const std::vector<std::uint8_t>& b, bool placeable = false) {
    testsupport::Canvas canvas(screen.width, screen.height, dxf->picKelvane.PaintBackColor());
    if (placeable) {
      winplat::HMETAFILE m = winplat::SetMetaFileBitsEx(static_cast<unsigned>(b.size() - 22), b.data() + 22);
      EXPECT_NE(m, 0u);
      EXPECT_TRUE(winplat::PlayMetaFile(canvas.dc, m));
      winplat::DeleteMetaFile(m);
    } else {
      winplat::HENHMETAFILE m = winplat::SetEnhMetaFileBits(static_cast<unsigned>(b.size()), b.data());
      EXPECT_NE(m, 0u);
      const winplat::RECT r{0, 0, screen.width, screen.height};
      EXPECT_TRUE(winplat::PlayEnhMetaFile(canvas.dc, m, &r));
      winplat::DeleteEnhMetaFile(m);
    }
    return canvas.Snap();
  }
  static bool SamePixels(const winplat::Picture& a, const winplat::Picture& b) {
    if (a.width != b.width || a.height != b.height) return false;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
      if ((a.pixels[i] & 0xFFFFFF) != (b.pixels[i] & 0xFFFFFF)) return false;
    return true;
  }
  std::filesystem::path Host(const std::string& name) { return testsupport::Root() / "C" / name; }
  // The method must raise the control's error, its trail naming the method.
  void ExpectRaised(std::int32_t id, const std::string& name, std::vector<Variant> args = {}) {
    try {
      winplat::Invoke(dxf.Get(), id, winplat::DISPATCH_METHOD, std::move(args));
      ADD_FAILURE() << name << " did not fail";
    } catch (const winplat::AutomationError& e) {
      EXPECT_EQ(e.Number(), static_cast<std::int32_t>(0x80040001u)) << name;
      EXPECT_NE(e.Description().find("\r\n ->  " + name + "."), std::string::npos) << e.Description();
    }
  }

  winplat::Picture screen;
};

TEST_F(MetafileOutput, EachMethodWritesTheFileOrFillsTheClipboard) {
  std::filesystem::remove(Host("view.emf"));  // an earlier test's
  for (auto id : {SaveWMF, SaveWMFOld}) {
    SCOPED_TRACE(id);
    std::set<std::string> before = Files();
    EXPECT_EQ(winplat::Invoke(dxf.Get(), id, winplat::DISPATCH_METHOD, {Variant("C:\\view.emf")}).ToLong(), 0);
    std::set<std::string> after = Files();
    EXPECT_EQ(after.erase("C/view.emf"), 1u);
    EXPECT_EQ(after, before);  // nothing else was made
    const std::vector<std::uint8_t> b = Bytes(Host("view.emf"));
    ASSERT_GT(b.size(), 108u);
    // The frame: 400 x 300 pixels at 96 per inch, in 0.01 mm.
    EXPECT_EQ((std::array{I32(b, 24), I32(b, 28), I32(b, 32), I32(b, 36)}), (std::array{0, 0, 10583, 7938}));
    std::string description;
    for (std::int32_t i = 0; i < I32(b, 60); ++i) description.push_back(static_cast<char>(b[I32(b, 64) + 2 * i]));
    EXPECT_EQ(description, std::string("Kelvane OCX\0Metafile\0\0", 22));
    EXPECT_TRUE(SamePixels(Played(b), screen));
    EXPECT_TRUE(SamePixels(Shot(), screen));  // the screen shows its own view again
    std::filesystem::remove(Host("view.emf"));

    // Without a file name the clipboard takes the enhanced metafile.
    ASSERT_TRUE(winplat::ClearClipboard());
    before = Files();
    winplat::Invoke(dxf.Get(), id, winplat::DISPATCH_METHOD);
    ASSERT_TRUE(winplat::OpenClipboard(0));
    const std::optional<std::string> data = winplat::GetClipboardData(winplat::CF_ENHMETAFILE);
    winplat::CloseClipboard();
    ASSERT_TRUE(data.has_value());
    EXPECT_TRUE(SamePixels(Played(std::vector<std::uint8_t>(data->begin(), data->end())), screen));
    // Only the clipboard's own store changed: no metafile file was made.
    for (const auto& f : Files()) EXPECT_TRUE(before.count(f) || f.find("lip") != std::string::npos) << f;
  }
}

TEST_F(MetafileOutput, PlaceableMetafileHeaderPlaybackAndEmptyView) {
  ASSERT_TRUE(dxf->WritePlaceableMetafile("C:\\view.wmf"));
  const std::vector<std::uint8_t> b = Bytes(Host("view.wmf"));
  ASSERT_GT(b.size(), 40u);
  // The key, the box 0, 0, 400, 300 and 96 units per inch.
  EXPECT_EQ((std::array{U16(b, 0), U16(b, 2), U16(b, 6), U16(b, 8), U16(b, 10), U16(b, 12), U16(b, 14)}),
            (std::array<std::uint16_t, 7>{0xCDD7, 0x9AC6, 0, 0, 400, 300, 96}));
  std::uint16_t x = 0;
  for (std::size_t at = 0; at < 22; at += 2) x ^= U16(b, at);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(U16(b, 24), 9);  // the metafile's own header follows directly
  EXPECT_TRUE(SamePixels(Played(b, true), screen));
  EXPECT_EQ(dxf->ClosedMetafile, 0u);
  // A file that cannot be written leaves nothing.
  EXPECT_FALSE(dxf->WritePlaceableMetafile("C:\\missing\\view.wmf"));
  EXPECT_FALSE(std::filesystem::exists(Host("missing")));
  // An empty view gives empty, valid metafiles in both formats.
  db().InitDB(true);
  dxf->Clear();
  winplat::Invoke(dxf.Get(), SaveWMF, winplat::DISPATCH_METHOD, {Variant("C:\\empty.emf")});
  const std::vector<std::uint8_t> e = Bytes(Host("empty.emf"));
  ASSERT_FALSE(e.empty());
  EXPECT_NE(winplat::SetEnhMetaFileBits(static_cast<unsigned>(e.size()), e.data()), 0u);
  ASSERT_TRUE(dxf->WritePlaceableMetafile("C:\\empty.wmf"));
  const std::vector<std::uint8_t> w = Bytes(Host("empty.wmf"));
  EXPECT_NE(winplat::SetMetaFileBitsEx(static_cast<unsigned>(w.size() - 22), w.data() + 22), 0u);
}

TEST_F(MetafileOutput, FailuresSayWhereAndLeaveNoFile) {
  winplat::MessageBoxScript boxes;
  // A folder that does not exist: no metafile and no fallback.
  ExpectRaised(SaveWMF, "SaveWMF", {Variant("C:\\missing\\view.emf")});
  EXPECT_EQ(winplat::Invoke(dxf.Get(), SaveWMFOld, winplat::DISPATCH_METHOD, {Variant("C:\\missing\\view.emf")})
                .ToLong(),
            0);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text, "WMF not created");
  EXPECT_FALSE(std::filesystem::exists(Host("missing")));

  // A clipboard held open by another process fails both methods.
  testsupport::OtherProgramHoldsClipboard other;
  ASSERT_TRUE(other.Held());
  ExpectRaised(SaveWMF, "SaveWMF");
  ExpectRaised(SaveWMFOld, "SaveWMFOld");
  EXPECT_TRUE(other.Release());
}

TEST_F(MetafileOutput, OutsideConvertersReadBothFormats) {
  winplat::Invoke(dxf.Get(), SaveWMF, winplat::DISPATCH_METHOD, {Variant("C:\\view.emf")});
  ASSERT_TRUE(dxf->WritePlaceableMetafile("C:\\view.wmf"));
  const std::string emf = Host("view.emf").string(), wmf = Host("view.wmf").string();
  // Each converter, its command, the picture it writes and the element its lines become.
  const struct { const char* tool; std::string command; const char* svg; const char* lines; } converters[] = {
      {"emf2svg-conv", "emf2svg-conv -i '" + emf + "' -o '" + Host("emf.svg").string() + "'", "emf.svg", "<path"},
      {"wmf2svg", "wmf2svg -o '" + Host("wmf.svg").string() + "' '" + wmf + "'", "wmf.svg", "<line"},
  };
  int installed = 0;
  for (const auto& c : converters) {
    if (std::system(("command -v " + std::string(c.tool) + " >/dev/null 2>&1").c_str()) != 0) continue;
    SCOPED_TRACE(c.tool);
    ++installed;
    ASSERT_EQ(std::system(c.command.c_str()), 0);
    const std::string svg = testsupport::ReadFile(Host(c.svg));
    for (const char* part : {"KELVANE", "<ellipse", c.lines}) EXPECT_NE(svg.find(part), std::string::npos) << part;
  }
  if (installed == 0) GTEST_SKIP() << "neither emf2svg-conv nor wmf2svg is installed";
}

}  // namespace
