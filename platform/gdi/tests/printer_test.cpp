// The printer stand-in: installed printers, settings, pages and documents.
#include <gtest/gtest.h>

#include "test_support.h"
#include "winplat/gdi.h"
#include "winplat/metafile.h"
#include "winplat/paths.h"
#include "winplat/picture.h"
#include "winplat/printer.h"
#include "winplat/text.h"
#include "winplat/variant.h"

using namespace winplat;

namespace {

void Install(const std::string& text) {
  testsupport::WriteFile(testsupport::Root() / "C" / "WINDOWS" / "PRINTERS.INI", text);
  ReloadPrinters();
}

std::int32_t ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const AutomationError& e) {
    return e.Number();
  }
  return 0;
}

}  // namespace

TEST(Printer, NoPrinterInstalledIsAClearError) {
  Install("");
  EXPECT_TRUE(Printers().empty());
  try {
    Printer().hDC();
    FAIL();
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), 484);
    EXPECT_EQ(e.Description(), "No printer is installed on this machine.");
  }
  EXPECT_FALSE(Printer().DocumentOpen());
}

TEST(Printer, SettingsPagesAndDocuments) {
  Install("[Printers]\nDevice1=One\nDevice2=Two\nDefault=Two\nFolder=C:\\OUT\n[Two]\nPaperSize=1\nCopies=1\n");
  ASSERT_EQ(Printers().size(), 2u);
  PrinterObject& p = Printer();
  EXPECT_EQ(p.DeviceName(), "Two");
  EXPECT_EQ(p.PageWidth(), 2550);  // letter at 300 dpi
  EXPECT_EQ(p.PageHeight(), 3300);
  EXPECT_EQ(p.ScaleMode(), 1);
  EXPECT_FLOAT_EQ(p.ScaleWidth(), 2550 * 4.8f);
  p.SetOrientation(vbPRORLandscape);
  EXPECT_EQ(p.PageWidth(), 3300);
  EXPECT_EQ(ErrorOf([&] { p.SetOrientation(3); }), 380);
  EXPECT_EQ(ErrorOf([&] { p.SetPaperSize(99); }), 380);
  EXPECT_EQ(ErrorOf([&] { p.SetCopies(0); }), 380);
  EXPECT_EQ(ErrorOf([&] { p.SetCurrent(2); }), 9);
  p.SetCurrent(0);
  EXPECT_EQ(p.DeviceName(), "One");
  EXPECT_EQ(p.PaperSize(), vbPRPSA4);
  p.SetCurrent(1);
  EXPECT_EQ(p.Orientation(), vbPRORLandscape);  // each printer keeps its own settings

  p.SetPaperSize(vbPRPSA5);  // small pages from here on
  // A thrown-away document writes nothing.
  SetPixel(p.hDC(), 5, 5, 0x0000FF);
  p.KillDoc();
  EXPECT_TRUE(p.EndDoc().empty());

  // Two pages, each its own file; the marks are where they were drawn.
  p.Print("");
  SetPixel(p.hDC(), 10, 20, 0x0000FF);
  p.NewPage();
  SetPixel(p.hDC(), 30, 40, 0x00FF00);
  auto files = p.EndDoc();
  ASSERT_EQ(files.size(), 2u);
  // In the printer's folder, spelt as the folder on the disk is (another test may have made it "Out").
  EXPECT_TRUE(AsciiEqualNoCase(files[0].substr(0, 7), "C:\\OUT\\")) << files[0];
  Picture first, second;
  ASSERT_TRUE(LoadPicturePng(HostPath(files[0]), &first));
  ASSERT_TRUE(LoadPicturePng(HostPath(files[1]), &second));
  EXPECT_EQ(first.At(10, 20) & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(first.At(30, 40) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(second.At(30, 40) & 0xFFFFFF, 0x00FF00u);
  // A later document never overwrites an earlier one.
  p.Print("");
  auto again = p.EndDoc();
  ASSERT_EQ(again.size(), 1u);
  EXPECT_NE(again[0], files[0]);
  EXPECT_NE(again[0], files[1]);
  ReloadPrinters();
}

TEST(Printer, APageAnswersItsOwnDeviceCapabilities) {
  Install("[Printers]\nDevice1=One\nDefault=One\nFolder=C:\\OUT\n[One]\nPaperSize=1\nCopies=1\n");
  PrinterObject& p = Printer();
  HDC page = p.hDC();
  EXPECT_EQ(GetDeviceCaps(page, LOGPIXELSX), kPrinterDpi);
  EXPECT_EQ(GetDeviceCaps(page, LOGPIXELSY), kPrinterDpi);
  EXPECT_EQ(GetDeviceCaps(page, HORZRES), 2550);
  EXPECT_EQ(GetDeviceCaps(page, VERTRES), 3300);
  EXPECT_EQ(GetDeviceCaps(page, HORZSIZE), 216);  // 8.5 inches
  EXPECT_EQ(GetDeviceCaps(page, VERTSIZE), 279);
  p.KillDoc();
}
