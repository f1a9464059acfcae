// Frame files and laser text through the loaded library and the emulated boards.
#include <cmath>
#include <filesystem>
#include <fstream>

#include "frames_fixture.h"
#include "winplat/paths.h"

namespace vxtest {
namespace {

namespace ff {
#define VXF_EXPORT(name) inline auto* name() { return Resolve<decltype(::name)>(#name); }
VXF_EXPORT(LoadLFile)
VXF_EXPORT(ReadFileInfo)
VXF_EXPORT(SaveLFile)
VXF_EXPORT(LoadFont)
VXF_EXPORT(SetLaserChar)
VXF_EXPORT(LaserChar)
VXF_EXPORT(GetLaserCharExtent)
#undef VXF_EXPORT
}  // namespace ff

namespace fs = std::filesystem;

void WriteBytes(const std::string& windowsPath, const std::vector<std::uint8_t>& bytes) {
  fs::path host = winplat::HostPath(windowsPath);
  fs::create_directories(host.parent_path());
  std::ofstream(host, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void Put16(std::vector<std::uint8_t>& b, std::uint16_t v) {
  b.push_back(static_cast<std::uint8_t>(v >> 8));
  b.push_back(static_cast<std::uint8_t>(v));
}

// An ILDA file written by hand from the published layout: a palette section,
// a 2D indexed frame of three points and a 3D true-colour frame of two.
std::vector<std::uint8_t> HandMadeIlda() {
  std::vector<std::uint8_t> b;
  auto header = [&](std::uint8_t format, const char* name, std::uint16_t records, std::uint16_t number) {
    b.insert(b.end(), {'I', 'L', 'D', 'A', 0, 0, 0, format});
    for (int i = 0; i < 8; ++i) b.push_back(static_cast<std::uint8_t>(name[i]));
    for (int i = 0; i < 8; ++i) b.push_back(' ');
    Put16(b, records);
    Put16(b, number);
    Put16(b, 2);
    b.push_back(0);
    b.push_back(0);
  };
  header(2, "PALETTE ", 2, 0);
  b.insert(b.end(), {0x10, 0x20, 0x30, 0xFF, 0x00, 0x00});
  header(1, "SQUARE  ", 3, 0);
  for (auto [x, y, status, index] : {std::tuple{-1000, 1000, 0x40, 0}, {1000, 1000, 0x00, 1}, {1000, -1000, 0x80, 0}}) {
    Put16(b, static_cast<std::uint16_t>(x));
    Put16(b, static_cast<std::uint16_t>(y));
    b.push_back(static_cast<std::uint8_t>(status));
    b.push_back(static_cast<std::uint8_t>(index));
  }
  header(4, "DEPTH   ", 2, 1);
  for (auto [x, y, z] : {std::tuple{-32768, 32767, -5}, {7, -9, 300}}) {
    Put16(b, static_cast<std::uint16_t>(x));
    Put16(b, static_cast<std::uint16_t>(y));
    Put16(b, static_cast<std::uint16_t>(z));
    b.insert(b.end(), {0x00, 0x01, 0x02, 0x03});  // status, blue, green, red
  }
  header(5, "        ", 0, 2);
  return b;
}

class FrameFiles : public FramesTest {
 protected:
  std::int32_t Load(const std::string& path, std::int32_t& from, std::int32_t& to) {
    std::int32_t status = 12345;
    std::int32_t result = ff::LoadLFile()(path.c_str(), &from, &to, "", &status);
    EXPECT_EQ(result, status);
    return result;
  }
  PointStruct Point(std::int32_t frame, std::int32_t index) {
    SetFrame(frame);
    PointStruct p{};
    EXPECT_EQ(vxf::ReadPoint()(index, &p), 0);
    return p;
  }
  std::string Name(std::int32_t frame) {
    FrameStruct h{};
    vxf::ReadFrameStruct()(frame, &h);
    std::string name(h.Name, sizeof h.Name);
    return name.substr(0, name.find_last_not_of(std::string(" \0", 2)) + 1);
  }
};

TEST_P(FrameFiles, TheCalibrationFileFillsNamedFramesFrom100) {
  // A fresh machine root holds the template's calibration patterns.
  std::int32_t from = 100, to = 999;
  EXPECT_EQ(Load("C:\\Fieldray\\Calibration.VXS", from, to), -15);
  EXPECT_EQ(from, 100);
  EXPECT_EQ(to, 103);
  EXPECT_EQ(Name(100), "Cross");
  EXPECT_EQ(Name(101), "Grid 5x5");
  EXPECT_EQ(Name(102), "Field outline");
  EXPECT_EQ(Name(103), "Fine grid");
  EXPECT_EQ(Name(104), "");
  FrameStruct h{};
  SetFrame(101);
  vxf::ReadFrameStruct()(101, &h);
  EXPECT_EQ(h.NumPoints, 220);  // ten lines of 21 lit points, each after a blanked move

  char title[128] = "x";
  std::int32_t frames = 0, kind = 0, status = 1;
  EXPECT_EQ(ff::ReadFileInfo()("C:\\Fieldray\\Calibration.VXS", title, &frames, &kind, "", &status), 0);
  EXPECT_STREQ(title, "Calibration patterns");
  EXPECT_EQ(frames, 4);
  EXPECT_EQ(kind, 5);
}

TEST_P(FrameFiles, AHandMadeIldaFileLoadsExactly) {
  WriteBytes("C:\\data\\show.ild", HandMadeIlda());
  std::int32_t from = 20, to = 30;
  ASSERT_EQ(Load("C:\\data\\show.ild", from, to), -13);
  EXPECT_EQ(from, 20);
  EXPECT_EQ(to, 21);
  EXPECT_EQ(Name(20), "SQUARE");
  PointStruct p = Point(20, 1);
  EXPECT_EQ(p.X, -1000);
  EXPECT_EQ(p.Y, 1000);
  EXPECT_EQ(p.Colour, 0);  // blanked
  p = Point(20, 2);
  EXPECT_EQ(p.X, 1000);
  EXPECT_EQ(p.Colour, 0x0000FF);  // palette entry 1: red
  p = Point(21, 1);
  EXPECT_EQ(p.X, -32768);
  EXPECT_EQ(p.Y, 32767);
  EXPECT_EQ(p.Z, -5);
  EXPECT_EQ(p.Colour, 0x010203);
  p = Point(21, 2);
  EXPECT_EQ(p.Z, 300);

  std::int32_t frames = 0, kind = 0, status = 0;
  char title[128] = "junk";
  EXPECT_EQ(ff::ReadFileInfo()("C:\\data\\show.ild", title, &frames, &kind, "", &status), 0);
  EXPECT_EQ(kind, 3);
  EXPECT_EQ(frames, 1);
  EXPECT_STREQ(title, "");
}

TEST_P(FrameFiles, TheLadderReportsWhichFormatLoaded) {
  std::string text = "VXTEXTFRAMES\nFRAME Text one\n1 2 3 4 FFFFFF\n-5 6 0 0 0\n";
  WriteBytes("C:\\data\\a.Sdf", {text.begin(), text.end()});
  WriteBytes("C:\\data\\b.DEC", {text.begin(), text.end()});
  WriteBytes("C:\\data\\c.xyz", {text.begin(), text.end()});
  WriteBytes("C:\\data\\ten.bin", std::vector<std::uint8_t>(10, 'x'));
  std::int32_t from = 5, to = 9;
  EXPECT_EQ(Load("C:\\data\\a.Sdf", from, to), -11);
  EXPECT_EQ(from, 5);
  EXPECT_EQ(to, 5);
  EXPECT_EQ(Point(5, 2).X, -5);
  EXPECT_EQ(Commands(36).back().operands[11], 9);  // loaded with the ".SDF" code
  from = 6, to = 9;
  EXPECT_EQ(Load("C:\\data\\b.DEC", from, to), -14);
  from = 6, to = 9;
  EXPECT_EQ(Load("C:\\data\\c.xyz", from, to), -402);  // the ILDA attempt's answer stands
  EXPECT_EQ(from, 6);
  EXPECT_EQ(Load("C:\\data\\ten.bin", from, to), -402);
  EXPECT_EQ(Load("C:\\data\\missing.vxs", from, to), -401);
  EXPECT_TRUE(boxes.shown.empty());  // a wrong format is no board error

  std::int32_t frames = 77, kind = 77, status = 0;
  EXPECT_EQ(ff::ReadFileInfo()("C:\\data\\ten.bin", nullptr, &frames, &kind, "", &status), -402);
  EXPECT_EQ(status, -402);
  EXPECT_EQ(frames, 1);
  EXPECT_EQ(kind, 77);
  EXPECT_EQ(ff::ReadFileInfo()("C:\\data\\nothing", nullptr, nullptr, nullptr, "", &status), -401);
}

TEST_P(FrameFiles, SaveAndReloadRoundTripsInEachFormat) {
  std::vector<PointStruct> points = Points(40, 3);
  for (PointStruct& p : points) p.Value8 = 0;
  ASSERT_EQ(Write(50, points, "First"), 0);
  ASSERT_EQ(Write(51, Points(7, 11), "Second"), 0);
  struct Case {
    std::int32_t format;
    const char* file;
    std::int32_t code;
  } cases[] = {{5, "C:\\out\\f.vxb", -15}, {2, "C:\\out\\f.vxa", -12}, {3, "C:\\out\\f.ild", -13},
               {4, "C:\\out\\f.dec", -14}, {9, "C:\\out\\f.sdf", -11}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    fs::create_directories(winplat::HostPath("C:\\out"));
    std::int32_t from = 51, to = 50, format = c.format, status = 1;
    ASSERT_EQ(ff::SaveLFile()(c.file, "Title", &from, &to, &format, "", &status), 0);
    EXPECT_EQ(from, 51);  // the caller's variables stay; the board got first <= last
    EXPECT_EQ(Commands(37).back().operands[3], 50);
    from = 300, to = 400;
    ASSERT_EQ(Load(c.file, from, to), c.code);
    EXPECT_EQ(to, 301);
    for (std::int32_t i = 1; i <= 40; ++i) {
      PointStruct a = points[static_cast<std::size_t>(i - 1)];
      PointStruct b = Point(300, i);
      EXPECT_EQ(b.X, a.X);
      EXPECT_EQ(b.Y, a.Y);
      EXPECT_EQ(b.Z, a.Z);
      EXPECT_EQ(b.Colour, a.Colour);
    }
    EXPECT_EQ(Name(301), "Second");
  }
}

TEST_P(FrameFiles, FilesWithoutFramesOrWithFramesTooLargeAreRefused) {
  // LAZR: one frame of `points` points, all at the origin.
  auto lazr = [](std::uint32_t points) {
    std::vector<std::uint8_t> b = {'L', 'A', 'Z', 'R', 0, 1};
    for (int i = 0; i < 24; ++i) b.push_back(i < 3 ? static_cast<std::uint8_t>("BIG"[i]) : 0);
    b.insert(b.end(), {0, 0, 0, 0});
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<std::uint8_t>(points >> shift));
    b.resize(b.size() + 12u * points, 0);
    return b;
  };
  std::vector<std::uint8_t> endOnly = {'I', 'L', 'D', 'A', 0, 0, 0, 5};
  endOnly.resize(32, 0);
  WriteBytes("C:\\data\\end.ild", endOnly);
  WriteBytes("C:\\data\\big.vxa", lazr(40000));
  WriteBytes("C:\\data\\fits.vxa", lazr(6000));
  struct Case {
    const char* file;
    bool loads;
  } cases[] = {{"C:\\data\\end.ild", false}, {"C:\\data\\big.vxa", false}, {"C:\\data\\fits.vxa", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    ASSERT_EQ(Write(20, Points(5, 1), "Before"), 0);
    std::int32_t from = 20, to = 20;
    const std::int32_t result = Load(c.file, from, to);
    FrameStruct h{};
    vxf::ReadFrameStruct()(20, &h);
    if (c.loads) {
      EXPECT_EQ(result, -12);
      EXPECT_EQ(h.NumPoints, 6000);
    } else {
      EXPECT_NE(result, -12);
      EXPECT_EQ(h.NumPoints, 5) << "the frame there stays";
    }
  }
  std::int32_t from = 1, to = 9;
  EXPECT_EQ(Load("C:\\data\\end.ild", from, to), -402);
}

TEST_P(FrameFiles, AFailedSaveLeavesNoFile) {
  std::int32_t from = 1, to = 1, format = 5, status = 0;
  EXPECT_EQ(ff::SaveLFile()("C:\\no such folder\\x.vxb", "", &from, &to, &format, "", &status), -404);
  EXPECT_EQ(status, -404);
}

TEST_P(FrameFiles, ATwoLineCaptionLandsWhereTheExtentSays) {
  std::int32_t status = 0;
  EXPECT_EQ(ff::LoadFont()("C:\\Fieldray\\none.vxf", &status), -401);
  EXPECT_EQ(status, -401);
  ASSERT_EQ(ff::LoadFont()("C:\\Fieldray\\stick.vxf", &status), 0);
  SetFrame(101);
  ASSERT_EQ(ff::SetLaserChar()(1, 4, 1, 108, 400, 600, 120, 30, 0xFFFFFF), 0);
  std::int32_t w = 0, h = 0;
  ASSERT_EQ(ff::GetLaserCharExtent()('n', &w, &h), 0);
  EXPECT_GT(w, 0);
  EXPECT_EQ(h, 600);
  // The program's caption loop: "nn", a carriage return, "n".
  std::int32_t cx = 0, cy = 0, n = 0;
  ASSERT_EQ(ff::LaserChar()('n', cx + 100, cy, n + 1, &cx, &cy, &n), 0);
  EXPECT_EQ(cx, 100 + w);
  std::int32_t afterFirst = n;
  EXPECT_GT(afterFirst, 0);
  ASSERT_EQ(ff::LaserChar()('n', cx + 100, cy, n + 1, &cx, &cy, &n), 0);
  EXPECT_EQ(cx, 200 + 2 * w);
  EXPECT_EQ(n, 2 * afterFirst);
  cy = -static_cast<std::int32_t>(std::lround(2.3 * h));
  cx = 0;
  ASSERT_EQ(ff::LaserChar()('n', cx + 100, cy, n + 1, &cx, &cy, &n), 0);
  EXPECT_EQ(n, 3 * afterFirst);
  // Every point of the second line lies in its own cell.
  for (std::int32_t i = 1; i <= n; ++i) {
    PointStruct p = Point(101, i);
    bool secondLine = i > 2 * afterFirst;
    EXPECT_GE(p.X, 100);
    EXPECT_LE(p.X, secondLine ? 100 + w : 200 + 2 * w);
    EXPECT_GE(p.Y, secondLine ? cy : 0);
    EXPECT_LE(p.Y, secondLine ? cy + h : h);
  }
  // Drawing again from point 1 cuts the frame.
  ASSERT_EQ(ff::LaserChar()('.', 0, 0, 1, &cx, &cy, &n), 0);
  FrameStruct header{};
  vxf::ReadFrameStruct()(101, &header);
  EXPECT_EQ(header.NumPoints, n);
  EXPECT_LT(n, afterFirst);
}

TEST_P(FrameFiles, TheFontDrawsEveryCaptionCharacter) {
  std::int32_t status = 0;
  ASSERT_EQ(ff::LoadFont()("C:\\Fieldray\\stick.vxf", &status), 0);
  SetFrame(200);
  ASSERT_EQ(ff::SetLaserChar()(1, 4, 1, 108, 80, 120, 120, 30, 0xFFFFFF), 0);
  std::string accented = "\xC0\xC1\xC2\xC3\xC4\xC5\xC7\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF\xD1\xD2\xD3\xD4\xD5\xD6\xD8\xD9"
                         "\xDA\xDB\xDC\xDD\xDF\xE0\xE1\xE2\xE3\xE4\xE5\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF\xF1\xF2"
                         "\xF3\xF4\xF5\xF6\xF8\xF9\xFA\xFB\xFC\xFD\xFF";
  std::vector<int> codes;
  for (int c = 33; c <= 126; ++c) codes.push_back(c);
  for (char c : accented) codes.push_back(static_cast<unsigned char>(c));
  std::int32_t plainN = 0;
  for (int code : codes) {
    SCOPED_TRACE(code);
    std::int32_t x = 0, y = 0, n = 0, w = 0, h = 0;
    ASSERT_EQ(ff::LaserChar()(code, 0, 0, 1, &x, &y, &n), 0);
    EXPECT_GE(n, 2);  // at least one lit stroke
    ASSERT_EQ(ff::GetLaserCharExtent()(code, &w, &h), 0);
    EXPECT_EQ(x, w);
    if (code == 'n') plainN = n;
    if (code == 0xF1) {
      EXPECT_GT(n, plainN);  // the tilde comes on top of the n
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Boards, FrameFiles, ::testing::Bool(), Family);

}  // namespace
}  // namespace vxtest
