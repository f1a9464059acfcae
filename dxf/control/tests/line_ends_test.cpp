// FixUNIXFile, and the status bar it and the reader show their progress on.
#include "render_fixture.h"
#include "winplat/files.h"
#include "winplat/paths.h"
#include "winplat/screen.h"

using namespace kelvane;
using rendertest::RenderTest;
using winplat::Variant;

namespace {

std::filesystem::path Host(const std::string& name) { return testsupport::Root() / "C" / "text" / name; }

class LineEndsTest : public RenderTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(RenderTest::SetUp());
    winplat::ShowWindow(form, winplat::SW_SHOW);
  }
  bool BarShown() const {
    return (winplat::GetWindowLongPtr(dxf->picStatusBar.hWnd, winplat::GWL_STYLE) & winplat::WS_VISIBLE) != 0;
  }
};

TEST_F(LineEndsTest, ConvertsOrRefusesAndLosesNothing) {
  const std::string kPrefix = "An error ocurred in FixUNIXFile. The message is: ";
  const struct Case {
    const char* name;
    std::string input;        // written as in.txt unless the case is about a missing input
    const char* outName;      // the output's name (Windows, relative to C:\text)
    bool ok;
    std::string output;       // the output afterwards ("old" when it was kept)
    std::string message;
  } cases[] = {
      {"lines end in CR LF", std::string("a\n\nb"), "out.txt", true, "a\r\n\r\nb\r\n", ""},
      {"a final LF ends the last line", "one\ntwo\n", "out.txt", true, "one\r\ntwo\r\n", ""},
      {"an empty file", "", "out.txt", true, "", ""},
      {"a CR anywhere", "a\nb\r\nc\n", "out.txt", false, "old",
       "File already appears to be DOS/Windows compatible. CR/LF pairs are intact."},
      {"the same name", "x\n", "in.txt", false, "x\n", "The input and  output file names must be different."},
      {"the same file by a relative name", "x\n", "..\\text\\.\\IN.TXT", false, "x\n",
       "The input and  output file names must be different."},
      {"an output folder that is not there", "x\n", "..\\nowhere\\out.txt", false, "",
       "Path not found: C:\\nowhere\\out.txt"},
  };
  std::filesystem::remove_all(Host(""));  // what earlier tests left there
  winplat::SetCurrentFolder("C:\\Fieldray");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::WriteFile(Host("in.txt"), c.input);
    testsupport::WriteFile(Host("out.txt"), "old");
    winplat::SetCurrentFolder("C:\\text");
    std::string err = "previous";
    const bool ok = dxf->FixUNIXFile(err, "C:\\text\\in.txt", c.outName);
    winplat::SetCurrentFolder("C:\\Fieldray");
    EXPECT_EQ(ok, c.ok);
    EXPECT_EQ(err, c.ok ? std::string() : kPrefix + c.message);
    if (std::string(c.outName) == "out.txt") {
      EXPECT_EQ(testsupport::ReadFile(Host("out.txt")), c.output);
    }
    EXPECT_EQ(testsupport::ReadFile(Host("in.txt")), c.input);  // the input is never touched
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Host("")), {}), 2);  // no temporary file left
    EXPECT_EQ(winplat::MousePointer(), winplat::vbDefault);
    EXPECT_FALSE(dxf->picStatusBar.Visible);
  }
  // A missing input, through the dispatch interface.
  std::string err;
  EXPECT_FALSE(winplat::Invoke(dxf.Get(), dispid::FixUNIXFile, winplat::DISPATCH_METHOD,
                               {Variant::ByRef(&err), Variant("C:\\text\\none.txt"), Variant("C:\\text\\o.txt")})
                   .ToBool());
  EXPECT_EQ(err, kPrefix + "File not found: C:\\text\\none.txt");
  EXPECT_FALSE(std::filesystem::exists(Host("o.txt")));
}

TEST_F(LineEndsTest, TheBarShowsTheProgressAndGoes) {
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i) + "\n";
  testsupport::WriteFile(Host("big.txt"), text);
  EXPECT_FALSE(BarShown());  // hidden from creation
  const std::uint32_t clears = dxf->picStatusBar.ClearCount;
  std::string err;
  ASSERT_TRUE(dxf->FixUNIXFile(err, "C:\\text\\big.txt", "C:\\text\\big.dos"));
  EXPECT_EQ(dxf->picStatusBar.ShowCount, 1u);
  EXPECT_EQ(dxf->picStatusBar.PaintCount, 20u);  // a box every 0.05
  EXPECT_FALSE(BarShown());
  EXPECT_EQ(dxf->picStatusBar.ClearCount, clears + 1);
  EXPECT_EQ(testsupport::ReadFile(Host("big.dos")).size(), text.size() + 20000);

  // The reader paints its progress on the same bar.
  std::string entities;
  for (int i = 0; i < 400; ++i) entities += "0\nLINE\n8\n0\n10\n" + std::to_string(i) + "\n20\n0\n11\n1\n21\n1\n";
  dxf->SetFilename(Put("lines.dxf", "0\nSECTION\n2\nENTITIES\n" + entities + "0\nENDSEC\n0\nEOF\n"));
  ASSERT_EQ(dxf->Regen(dxfMergeNew), -1);
  EXPECT_EQ(dxf->picStatusBar.ShowCount, 2u);
  EXPECT_GE(dxf->picStatusBar.PaintCount, 20u + 19u);
  EXPECT_FALSE(BarShown());
}

TEST_F(LineEndsTest, TheBarShowsOnlyWhileTheControlDoesToo) {
  const struct {
    bool control, bar, shown;
  } steps[] = {{true, true, true}, {false, true, false}, {true, true, true},
               {true, false, false}, {false, false, false}, {false, true, false}, {true, true, true}};
  for (const auto& s : steps) {
    site->SetVisible(s.control);
    dxf->SetStatusBarVisible(s.bar);
    EXPECT_EQ(BarShown(), s.shown) << s.control << s.bar;
    EXPECT_EQ(winplat::IsWindowVisible(dxf->picKelvane.hWnd), s.control);
  }
}

}  // namespace
