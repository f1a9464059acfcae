// Regen in its three modes, refreshes, printing, and corpus drawings rendered
// and compared with the pictures kept under testdata/dxf/render.
#include <cstdlib>
#include <fstream>

#include "render_fixture.h"
#include "winplat/paths.h"
#include "winplat/printer.h"
#include "winplat/profile.h"
#include "winplat/screen.h"

using namespace kelvane;
using rendertest::RenderTest;
using winplat::Variant;

namespace {

const char* kSquare =
    "0\nSECTION\n2\nENTITIES\n"
    "0\nLINE\n8\n0\n62\n1\n10\n0\n20\n0\n11\n10\n21\n0\n"
    "0\nLINE\n8\n0\n62\n1\n10\n10\n20\n0\n11\n10\n21\n10\n"
    "0\nLINE\n8\n0\n62\n1\n10\n10\n20\n10\n11\n0\n21\n10\n"
    "0\nLINE\n8\n0\n62\n1\n10\n0\n20\n10\n11\n0\n21\n0\n"
    "0\nENDSEC\n0\nEOF\n";

void InstallPrinters(const std::string& text) {
  testsupport::WriteFile(testsupport::Root() / "C" / "WINDOWS" / "PRINTERS.INI", text);
  winplat::ReloadPrinters();
}

}  // namespace

TEST_F(RenderTest, RegenByDispatchReadsFitsAndDraws) {
  dxf->SetFilename(Put("square.dxf", kSquare));
  Variant result = winplat::Invoke(dxf.Get(), dispid::Regen, winplat::DISPATCH_METHOD, {Variant(dxfMergeNew)});
  EXPECT_EQ(result.ToLong(), -1);
  EXPECT_EQ(db().LineCount, 4);
  EXPECT_EQ(dxf->DXFDisplayed, -1);
  EXPECT_EQ(dxf->LoadedFileName, "C:\\dxf\\square.dxf");
  EXPECT_EQ(dxf->picKelvane.ScaleMode, 3);
  EXPECT_EQ(dxf->CurrentView.Left, 0.0f);
  EXPECT_EQ(sink->zooms, 1);
  // Colour 1 as the table gives it; the bottom edge falls on the row below the
  // surface, as the fit puts the extents' bottom on the surface's height.
  EXPECT_GT(Count(Shot(), 0x0010FF), 850);

  // Parse only: the data base is filled, the picture and view stay.
  dxf->Clear();
  const ViewRect before = dxf->CurrentView;
  EXPECT_EQ(dxf->Regen(dxfMergeParse), 0);
  EXPECT_EQ(db().LineCount, 4);
  EXPECT_EQ(dxf->DXFDisplayed, 0);
  EXPECT_EQ(Count(Shot(), 0x0010FF), 0);
  EXPECT_EQ(dxf->CurrentView.Right, before.Right);

  // Add: a second copy 100 units to the right, and extents over both.
  EXPECT_EQ(dxf->Regen(dxfMergeNew), -1);
  EXPECT_EQ(dxf->Regen(dxfMergeAdd, 100, 0), -1);
  EXPECT_EQ(db().LineCount, 8);
  EXPECT_EQ(db().DrawingExtents.Left, 0.0f);
  EXPECT_EQ(db().DrawingExtents.Right, 110.0f);
  // A new drawing empties colDrawings; every read adds one record.
  EXPECT_EQ(winplat::GetProperty(dxf->colDrawings.Get(), "Count").ToLong(), 2);
  winplat::Picture p = Shot();
  EXPECT_TRUE(Near(p, dxf->CvtX(100), dxf->CvtY(5), 0x0010FF, 1));
  EXPECT_TRUE(Near(p, dxf->CvtX(10), dxf->CvtY(5), 0x0010FF, 1));
  EXPECT_FALSE(Near(p, dxf->CvtX(50), dxf->CvtY(5), 0x0010FF, 3));
  EXPECT_EQ(dxf->ZoomHistory[0].Right, 110.0f);
}

TEST_F(RenderTest, RegenFailuresAndEmptyNames) {
  EXPECT_EQ(dxf->Regen(dxfMergeNew), 0);  // no file name: nothing happens
  EXPECT_EQ(dxf->picKelvane.ClearCount, 0u);
  dxf->SetFilename(Put("bad.dxf", "hello\nworld\n"));
  try {
    dxf->Regen(dxfMergeNew);
    FAIL();
  } catch (const winplat::AutomationError& e) {
    EXPECT_EQ(e.Number(), kControlError);
    const std::string d = e.Description();
    EXPECT_NE(d.find("does not appear to be a DXF file"), std::string::npos);
    EXPECT_EQ(d.substr(d.size() - 11), " ->  Regen.");
  }
  dxf->SetFilename("C:\\dxf\\missing.dxf");
  EXPECT_THROW(dxf->Regen(dxfMergeNew), winplat::AutomationError);
  EXPECT_EQ(winplat::MousePointer(), winplat::vbDefault);
  // Refresh before any drawing: True and no message.
  std::string err = "x";
  EXPECT_TRUE(dxf->Refresh(err));
  EXPECT_EQ(err, "");
  EXPECT_EQ(dxf->DXFRefresh(), 0);
}

TEST_F(RenderTest, PlotWritesThePageAndRedrawsTheScreen) {
  dxf->SetFilename(Put("square.dxf", kSquare));
  ASSERT_EQ(dxf->Regen(dxfMergeNew), -1);

  InstallPrinters("");
  try {
    dxf->Plot(dxfExtents);
    FAIL();
  } catch (const winplat::AutomationError& e) {
    EXPECT_NE(e.Description().find("No printer is installed on this machine."), std::string::npos);
    EXPECT_NE(e.Description().find(" ->  Plot."), std::string::npos);
  }

  InstallPrinters(
      "[Printers]\r\nDevice1=Office\r\nDevice2=Plotter\r\nDefault=Office\r\n"
      "[Office]\r\nPaperSize=11\r\n[Plotter]\r\nPaperSize=11\r\nOrientation=2\r\n");
  EXPECT_EQ(winplat::Printer().DeviceName(), "Office");
  sink->zooms = 0;
  ASSERT_TRUE(dxf->Plot(dxfExtents, "Nobody"));  // unknown: the current printer
  auto files = winplat::LastPrintedFiles();
  ASSERT_EQ(files.size(), 1u);
  winplat::Picture page;
  ASSERT_TRUE(winplat::LoadPicturePng(winplat::HostPath(files[0]), &page));
  EXPECT_EQ(page.width, 1748);  // A5 at 300 dpi
  EXPECT_EQ(page.height, 2480);
  // The square fills the width less 5 % on each side, in colour 1.
  int left = page.width, right = -1;
  for (int x = 0; x < page.width; ++x)
    if ((page.At(x, page.height / 2 - 100) & 0xFFFFFF) != 0xFFFFFF) {
      left = std::min(left, x);
      right = std::max(right, x);
    }
  EXPECT_NEAR(left, 1748 / 11.0 * 0.5, 3);
  EXPECT_NEAR(right, 1748 - 1748 / 11.0 * 0.5, 3);
  EXPECT_EQ(sink->zooms, 2);  // the page, then the screen again
  EXPECT_NEAR(dxf->gsScaler, 30.0f - 0.0f, 30.0f);  // the screen's transform is back
  EXPECT_EQ(dxf->ViewWidth, 400);

  // Another printer, with settings given; it stays current.
  ASSERT_TRUE(dxf->Plot(dxfCurrentView, "Plotter", 0, 0, 2, 0));
  files = winplat::LastPrintedFiles();
  ASSERT_EQ(files.size(), 2u);  // two copies, two files with their own names
  EXPECT_NE(files[0], files[1]);
  ASSERT_TRUE(winplat::LoadPicturePng(winplat::HostPath(files[1]), &page));
  EXPECT_EQ(page.width, 2480);  // A5 across
  EXPECT_EQ(winplat::Printer().DeviceName(), "Plotter");
  EXPECT_EQ(winplat::Printer().Copies(), 2);
  EXPECT_THROW(dxf->Plot(dxfExtents, "", 7), winplat::AutomationError);  // no such orientation
  EXPECT_FALSE(winplat::Printer().DocumentOpen());
  winplat::ReloadPrinters();
}

TEST_F(RenderTest, CorpusDrawingsLookAsKept) {
  const auto shared = testsupport::SharedDxfCorpus();
  if (shared.empty()) GTEST_SKIP() << testsupport::NoSharedTestData("dxf");
  const std::filesystem::path kept = std::filesystem::path(FIELDRAY_SOURCE_DIR) / "testdata" / "dxf" / "render";
  struct Case {
    const char* source;
    const char* golden;
  };
  const Case cases[] = {
      {"joco-nz-dxf2gcode-plasma/erin.dxf", "erin.png"},
      {"skymakerolof-dxf/lines.dxf", "lines.png"},
  };
  const char* write = std::getenv("FIELDRAY_WRITE_GOLDEN");
  for (const Case& c : cases) {
    const auto file = shared / c.source;
    if (!std::filesystem::exists(file)) continue;
    dxf->SetFilename(Put(file.filename().string(), testsupport::ReadFile(file)));
    ASSERT_EQ(dxf->Regen(dxfMergeNew), -1) << c.source;
    winplat::Picture shot = Shot();
    EXPECT_GT(CountNot(shot, 0xFFFFFF), 100) << c.source;
    if (write) {
      winplat::SavePicturePng(shot, kept / c.golden);
      // The printed page and a zoomed view, to be looked at beside the picture.
      testsupport::WriteFile(testsupport::Root() / "C" / "WINDOWS" / "PRINTERS.INI",
                             "[Printers]\nDevice1=Look\n[Look]\nPaperSize=11\nOrientation=2\n");
      winplat::ReloadPrinters();
      dxf->PrintAllBlack = -1;
      if (dxf->Plot(dxfExtents) && !winplat::LastPrintedFiles().empty())
        std::filesystem::copy_file(winplat::HostPath(winplat::LastPrintedFiles()[0]),
                                   std::filesystem::path(write) / (std::string("page-") + c.golden),
                                   std::filesystem::copy_options::overwrite_existing);
      const ExtentsRect e = db().DrawingExtents;
      dxf->SetCurrentZoom(e.Left, e.Bottom + (e.Top - e.Bottom) / 2, e.Left + (e.Right - e.Left) / 3, e.Bottom);
      winplat::SavePicturePng(Shot(), std::filesystem::path(write) / (std::string("zoom-") + c.golden));
      winplat::ReloadPrinters();
      dxf->PrintAllBlack = 0;
      continue;
    }
    winplat::Picture golden;
    ASSERT_TRUE(winplat::LoadPicturePng(kept / c.golden, &golden)) << c.golden;
    ASSERT_EQ(golden.width, shot.width);
    ASSERT_EQ(golden.height, shot.height);
    int differ = 0;
    for (std::size_t i = 0; i < shot.pixels.size(); ++i)
      differ += (shot.pixels[i] & 0xFFFFFF) != (golden.pixels[i] & 0xFFFFFF) ? 1 : 0;
    EXPECT_LT(differ, 50) << c.source;
  }
}
