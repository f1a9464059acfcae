// Colour packing, colour registers and conversions through the loaded library.
#include "frames_fixture.h"
#include "test_support.h"
#include "winplat/paths.h"

using namespace vxtest;
namespace hw = winplat::hw;

namespace {

using Colour = FramesTest;

TEST(ColourPacking, ComponentsAreNotMaskedAndUnpackToBytes) {
  std::int32_t r = 255, g = 255, b = 255, top = 0, out = 0;
  EXPECT_EQ(vxf::RGB4toRGB1()(&r, &g, &b, &top, &out), 0);
  EXPECT_EQ(out, 0x00FFFFFF);
  r = 256;
  g = b = 0;
  vxf::RGB4toRGB1()(&r, &g, &b, &top, &out);
  EXPECT_EQ(out, 256);  // spills into green
  std::int32_t packed = 0x40000000, c[4] = {-1, -1, -1, -1};
  EXPECT_EQ(vxf::RGB1toRGB4()(&packed, &c[0], &c[1], &c[2], &c[3]), 0);
  EXPECT_EQ(std::vector<std::int32_t>(c, c + 4), (std::vector<std::int32_t>{0, 0, 0, 64}));
  packed = -1;
  vxf::RGB1toRGB4()(&packed, &c[0], &c[1], &c[2], &c[3]);
  EXPECT_EQ(std::vector<std::int32_t>(c, c + 4), (std::vector<std::int32_t>{255, 255, 255, 255}));
}

TEST_P(Colour, WriteClampsTheCallersRecordAndReadsBack) {
  ColorRegStruct reg{{12, -5, 300, 40, 1, 2, 3, 255, 999, -1, 300, 78}};
  ASSERT_EQ(vxf::WriteColorReg()(&reg), 0);
  EXPECT_EQ(reg.Fields[1], 0);
  EXPECT_EQ(reg.Fields[2], 255);
  EXPECT_EQ(reg.Fields[8], 255);
  EXPECT_EQ(reg.Fields[9], 0);
  EXPECT_EQ(reg.Fields[10], Pci() ? 255 : 300);  // fields 10 and 11 go to PCI boards only
  EXPECT_TRUE(Logged("WriteColorReg R:0, G:255, B:40, I:12"));
  auto sent = Commands(25);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].operands.size(), Pci() ? 48u : 20u);

  ColorRegStruct query{{12, 0, 0, 0}};
  ASSERT_EQ(vxf::ReadColorReg()(&query), 0);
  EXPECT_EQ(query.Fields[0], 12);
  EXPECT_EQ(query.Fields[2], 255);
  EXPECT_EQ(query.Fields[3], 40);
  EXPECT_EQ(query.Fields[6], 3);
  std::int32_t count = 0;
  ASSERT_EQ(vxf::ReadNumColors()(&count), 0);
  EXPECT_EQ(count, 9);  // the eight default registers and this one
  // A register that is not there: the nearest in colour answers.
  ColorRegStruct nearest{{200, 250, 10, 5}};
  ASSERT_EQ(vxf::ReadColorReg()(&nearest), 0);
  EXPECT_EQ(nearest.Fields[0], 1);  // red
  ASSERT_EQ(vxf::UseDefaultColors()(), 0);
  ASSERT_EQ(vxf::ReadNumColors()(&count), 0);
  EXPECT_EQ(count, 8);
  EXPECT_TRUE(Logged("UseDefaultColors"));
}

TEST_P(Colour, EliminateUnusedKeepsTheColoursFramesUse) {
  PointStruct red{0, 0, 0, 0, 0x0000FF, 0, 0, 0, 0};
  SetFrame(1);
  FrameStruct h = Header(1, "red");
  ASSERT_EQ(vxf::WriteFrame()(&h, &red), 0);
  ASSERT_EQ(vxf::EliminateUnusedColors()(1), 0);
  EXPECT_TRUE(Logged("EliminateUnusedColors 1"));
  std::int32_t count = 0;
  ASSERT_EQ(vxf::ReadNumColors()(&count), 0);
  EXPECT_EQ(count, 2);  // register 0 (below the limit) and red
  EXPECT_EQ(vxf::UpdateAlternatePalettes()(), 0);
  EXPECT_TRUE(Logged("UpdateAlternatePalettesi"));
  EXPECT_EQ(vxf::TrainColorSystem()(), 0);
}

TEST_P(Colour, ConversionsRoundTripAndAnswerWhateverTheStatus) {
  std::int32_t red = 0x0000FF, hsv = 0, rgb = 0;
  ASSERT_EQ(vxf::RGBtoHSV()(&red, &hsv), 0);
  EXPECT_EQ(hsv, 0x00FFFF00);  // hue 0, full saturation and value
  EXPECT_TRUE(Logged("RGBtoHSV 000000FF"));
  ASSERT_EQ(vxf::HSVtoRGB()(&hsv, &rgb), 0);
  EXPECT_EQ(rgb, red);
  std::int32_t darkRed = 0x40000080;
  ASSERT_EQ(vxf::RGBtoHSV()(&darkRed, &hsv), 0);
  EXPECT_EQ(hsv, 0x4080FF00);  // the top byte passes through
  ASSERT_EQ(vxf::HSVtoRGB()(&hsv, &rgb), 0);
  EXPECT_EQ(rgb, darkRed);
  ASSERT_NO_FATAL_FAILURE(Machine("[Board0]\nFault=error 7 on 155\n"));
  hsv = 123;
  EXPECT_EQ(vxf::RGBtoHSV()(&red, &hsv), 7);
  EXPECT_EQ(hsv, Pci() ? 7 : 0);  // reply bytes 4-7, written anyway: on PCI the error code lies there
}

TEST_P(Colour, PalettesSavedAndLoadedBack) {
  std::string path = "C:\\Fieldray\\Saved.vxp";
  ColorRegStruct orange{{9, 255, 128, 0, 255, 128, 0, 200, 0, 0, 0, 0}};
  ASSERT_EQ(vxf::WriteColorReg()(&orange), 0);
  std::int32_t status = -1;
  ASSERT_EQ(vxf::SavePalette()(path.c_str(), &status), 0);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(Logged("SavePalette " + path));
  std::string text = testsupport::ReadFile(winplat::HostPath(path));
  EXPECT_EQ(text.rfind("VXPALETTE 1\n", 0), 0u);
  EXPECT_NE(text.find("\n9 255 128 0 255 128 0 200 0 0 0 0\n"), std::string::npos);
  // Back to the defaults, then the saved palette again.
  ASSERT_EQ(vxf::UseDefaultColors()(), 0);
  std::int32_t count = 0;
  vxf::ReadNumColors()(&count);
  ASSERT_EQ(count, 8);
  hw::ClearCommandLog();
  ASSERT_EQ(vxf::LoadPalette()(path.c_str(), &status), 0);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(Logged("LoadPalette " + path));
  ASSERT_EQ(Commands(20).size(), 1u);
  EXPECT_EQ(Commands(118).size(), 1u);
  EXPECT_EQ(TotalOperandBytes(181), text.size());
  vxf::ReadNumColors()(&count);
  EXPECT_EQ(count, 9);
  ColorRegStruct query{{9}};
  ASSERT_EQ(vxf::ReadColorReg()(&query), 0);
  EXPECT_EQ(query.Fields[2], 128);
  EXPECT_EQ(query.Fields[7], 200);
}

TEST_P(Colour, MissingAndMalformedPaletteFiles) {
  std::int32_t status = 0;
  EXPECT_EQ(vxf::LoadPalette()("C:\\Fieldray\\None.vxp", &status), -401);
  EXPECT_EQ(status, -401);
  EXPECT_TRUE(Commands(20).empty());
  testsupport::WriteFile(winplat::HostPath("C:\\Fieldray\\Bad.vxp"), "VXPALETTE 1\n1 2 3\n");
  ColorRegStruct grey{{20, 128, 128, 128}};
  ASSERT_EQ(vxf::WriteColorReg()(&grey), 0);
  EXPECT_EQ(vxf::LoadPalette()("C:\\Fieldray\\Bad.vxp", &status), 3);
  EXPECT_EQ(status, 3);
  std::int32_t count = 0;
  vxf::ReadNumColors()(&count);
  EXPECT_EQ(count, 9);  // unchanged
  // A save that cannot create its file sends nothing.
  hw::ClearCommandLog();
  EXPECT_EQ(vxf::SavePalette()("Q:\\No\\Such\\Folder\\P.vxp", &status), -404);
  EXPECT_EQ(status, -404);
  EXPECT_TRUE(Commands(22).empty());
}

INSTANTIATE_TEST_SUITE_P(Boards, Colour, ::testing::Bool(), Family);

}  // namespace
