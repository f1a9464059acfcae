// The drawing import's sequence of control calls, run by a host that knows
// the control only by its ProgID, on drawings of the shared corpus: the counts
// and first coordinates the queries answer are checked against the files.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "engine/dxf_host.h"
#include "engine/tests/control_host.h"
#include "test_support.h"
#include "winplat/classreg.h"
#include "winplat/window.h"

namespace {

using fieldray::engine::DxfHost;
using winplat::Variant;
namespace dispid = kelvane::dispid;

// What the file's ENTITIES section holds, counted straight from its group pairs.
struct FileFacts {
  int lines = 0, circles = 0;
  double firstLineX1 = 0, firstLineY1 = 0;
};

FileFacts Scan(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::vector<std::string> t;
  for (std::string l; std::getline(in, l);) {
    while (!l.empty() && (l.back() == '\r' || l.back() == ' ')) l.pop_back();
    std::size_t b = l.find_first_not_of(' ');
    t.push_back(b == std::string::npos ? std::string() : l.substr(b));
  }
  FileFacts f;
  bool entities = false;
  for (std::size_t i = 0; i + 1 < t.size(); i += 2) {
    if (t[i] == "2" && t[i + 1] == "ENTITIES") entities = true;
    if (t[i] == "0" && t[i + 1] == "ENDSEC") entities = false;
    if (!entities || t[i] != "0") continue;
    if (t[i + 1] == "CIRCLE" || t[i + 1] == "ARC") ++f.circles;
    if (t[i + 1] == "LINE" && f.lines++ == 0) {
      for (std::size_t j = i + 2; j + 1 < t.size() && t[j] != "0"; j += 2) {
        if (t[j] == "10") f.firstLineX1 = std::stod(t[j + 1]);
        if (t[j] == "20") f.firstLineY1 = std::stod(t[j + 1]);
      }
    }
  }
  return f;
}

winplat::LRESULT HostProc(winplat::HWND h, winplat::UINT m, winplat::WPARAM w, winplat::LPARAM l) {
  return winplat::DefWindowProc(h, m, w, l);
}

class DxfImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(winplat::RegisterServerLibrary(testsupport::ControlLibraryFile()), winplat::S_OK);
    winplat::WNDCLASS wc;
    wc.lpfnWndProc = &HostProc;
    wc.lpszClassName = "ImportTestMain";
    winplat::RegisterClass(wc);
    main = winplat::CreateWindow("ImportTestMain", "Main", winplat::WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, 0, 0, 0, 0);
  }
  void TearDown() override {
    if (main) winplat::DestroyWindow(main);
  }
  winplat::HWND main = 0;
};

TEST_F(DxfImportTest, ImportSequenceReadsCorpusDrawings) {
  const auto corpus = testsupport::SharedDxfCorpus();
  if (corpus.empty()) GTEST_SKIP() << testsupport::NoSharedTestData("dxf");
  const char* files[] = {"skymakerolof-dxf/layers.dxf", "gdsestimating-dxf-parser/polylines.dxf",
                         "mozman-ezdxf/text_alignments.dxf", "mozman-ezdxf/cc_dxflib.dxf"};
  std::size_t segments = 0;
  for (const char* name : files) {
    SCOPED_TRACE(name);
    const auto source = corpus / name;
    ASSERT_TRUE(std::filesystem::exists(source));
    const auto target = testsupport::Root() / "C" / "dxf" / source.filename();
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing);
    const std::string path = "C:\\dxf\\" + source.filename().string();

    DxfHost host(main);
    host.Move(0, 0, 640, 480);
    auto& dxf1 = host.DXF1();
    host.SetFilename(path);
    host.SetCalcExtents(true);
    host.SetFilename(path);
    host.SetVisible(false);
    EXPECT_EQ(host.Regen(0, 0, 0), -1);
    host.Put(dispid::OnTheSpotZoomPctLeft, Variant(90.0f));
    EXPECT_EQ(winplat::CallMethod(&dxf1, "OnTheSpotZoom", {Variant(0.0f), Variant(0.0f)}).ToInteger(), -1);
    float l = 0, t = 0, r = 0, b = 0;
    ASSERT_TRUE(host.GetExtents(l, t, r, b));
    EXPECT_LE(l, r);
    EXPECT_LE(b, t);
    winplat::PutProperty(&dxf1, "ZoomFunction", Variant(std::int16_t{2}));
    EXPECT_EQ(winplat::CallMethod(&dxf1, "ZoomInitiate", {Variant(0.0f), Variant(0.0f)}).ToInteger(), -1);
    EXPECT_EQ(winplat::CallMethod(&dxf1, "ZoomEnd").ToInteger(), -1);
    host.SetVisible(true);

    const FileFacts facts = Scan(source);
    std::string err;
    winplat::ComPtr<winplat::IDispatch> col;
    ASSERT_TRUE(host.Query(dispid::GetPolyLines, err, col)) << err;
    segments += DxfHost::Items(col.Get()).size();
    for (auto& seg : DxfHost::Items(col.Get())) {
      const float x1 = DxfHost::Field(seg.Get(), "x1").ToSingle();
      EXPECT_GE(x1, l - 1e-3f);
      EXPECT_LE(x1, r + 1e-3f);
      DxfHost::Field(seg.Get(), "Bulge");
    }
    ASSERT_TRUE(host.Query(dispid::GetCircles, err, col)) << err;
    EXPECT_EQ(static_cast<int>(DxfHost::Items(col.Get()).size()), facts.circles);
    ASSERT_TRUE(host.Query(dispid::GetLines, err, col)) << err;
    auto lines = DxfHost::Items(col.Get());
    ASSERT_EQ(static_cast<int>(lines.size()), facts.lines);
    if (!lines.empty()) {
      EXPECT_NEAR(DxfHost::Field(lines[0].Get(), "x1").ToSingle(), facts.firstLineX1, 1e-3);
      EXPECT_NEAR(DxfHost::Field(lines[0].Get(), "y1").ToSingle(), facts.firstLineY1, 1e-3);
      // The import writes its scaled values back into the objects.
      DxfHost::SetField(lines[0].Get(), "x1", Variant(static_cast<float>(facts.firstLineX1 * 25.4)));
      DxfHost::SetField(lines[0].Get(), "y1", Variant(static_cast<float>(-facts.firstLineY1 * 25.4)));
      EXPECT_NEAR(DxfHost::Field(lines[0].Get(), "X1").ToSingle(), facts.firstLineX1 * 25.4, 1e-2);
      EXPECT_NEAR(DxfHost::Field(lines[0].Get(), "Y1").ToSingle(), -facts.firstLineY1 * 25.4, 1e-2);
    }
  }
  EXPECT_GT(segments, 0u);  // the polyline drawings gave segments
}

}  // namespace
