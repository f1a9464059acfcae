#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "test_support.h"
#include "winplat/files.h"
#include "winplat/paths.h"

namespace {

namespace fs = std::filesystem;
using winplat::FileError;
using winplat::OpenMode;
using winplat::TextFile;
using winplat::WriteField;

void Put(const std::string& windowsPath, const std::string& bytes) {
  testsupport::WriteFile(winplat::HostPath(windowsPath), bytes);
}

int ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const FileError& e) {
    return e.Number();
  }
  return 0;
}

std::vector<std::string> AllLines(const std::string& path) {
  TextFile f(path, OpenMode::Input);
  std::vector<std::string> lines;
  while (!f.AtEnd()) lines.push_back(f.LineInput());
  return lines;
}

TEST(LineInput, EndsLinesAtCrLfCrOrLf) {
  using V = std::vector<std::string>;
  Put("C:\\TEMP\\crlf.txt", "0\r\nSECTION\r\n\r\nEOF\r\n");
  Put("C:\\TEMP\\lf.txt", "0\nSECTION\n\nEOF\n");
  Put("C:\\TEMP\\cr.txt", "0\rSECTION\r\rEOF\r");
  Put("C:\\TEMP\\mixed.txt", "0\r\nSECTION\n\rEOF");  // no end after the last line
  for (const char* name : {"crlf", "lf", "cr", "mixed"})
    EXPECT_EQ(AllLines(std::string("C:\\TEMP\\") + name + ".txt"), (V{"0", "SECTION", "", "EOF"})) << name;
  Put("C:\\TEMP\\bytes.txt", "caf\xe9\t \x01\r\n");
  EXPECT_EQ(AllLines("C:\\TEMP\\bytes.txt"), V{"caf\xe9\t \x01"});
}

TEST(LineInput, PastTheEndAndPositions) {
  Put("C:\\TEMP\\two.txt", "ab\r\ncd");
  TextFile f("C:\\TEMP\\two.txt", OpenMode::Input);
  EXPECT_EQ(f.Length(), 6);
  EXPECT_EQ(f.Seek(), 1);
  EXPECT_EQ(f.LineInput(), "ab");
  EXPECT_EQ(f.Seek(), 5);
  EXPECT_FALSE(f.AtEnd());
  EXPECT_EQ(f.LineInput(), "cd");
  EXPECT_TRUE(f.AtEnd());
  EXPECT_EQ(ErrorOf([&] { f.LineInput(); }), 62);
  Put("C:\\TEMP\\empty.txt", "");
  TextFile e("C:\\TEMP\\empty.txt", OpenMode::Input);
  EXPECT_TRUE(e.AtEnd());
  EXPECT_EQ(ErrorOf([&] { e.InputField(); }), 62);
}

TEST(SequentialFiles, WriteThenInputRoundTrip) {
  {
    TextFile out("C:\\TEMP\\1.TMP", OpenMode::Output);
    out.Write({WriteField::Number(1)});
    out.Write({WriteField::Number("1.5"), WriteField::Number("-2"), WriteField::String("a, \"b"),
               WriteField::Number(-7), WriteField::String("")});
  }
  EXPECT_EQ(testsupport::ReadFile(winplat::HostPath("C:\\TEMP\\1.TMP")), "1\r\n1.5,-2,\"a, \"b\",-7,\"\"\r\n");

  Put("C:\\TEMP\\2.TMP", "1\r\n1.5,-2, \"Text, with comma\" , 7E-2,\"caf\xe9\"\r\n3\n 4 ,\r\n5");
  TextFile in("C:\\TEMP\\2.TMP", OpenMode::Input);
  EXPECT_EQ(in.InputNumber(), 1);
  EXPECT_EQ(in.InputNumber(), 1.5);
  EXPECT_EQ(in.InputNumber(), -2);
  EXPECT_EQ(in.InputField(), "Text, with comma");
  EXPECT_DOUBLE_EQ(in.InputNumber(), 0.07);
  EXPECT_EQ(in.InputField(), "caf\xe9");
  EXPECT_EQ(in.InputNumber(), 3);  // line breaks between fields carry no meaning
  EXPECT_EQ(in.InputField(), "4");
  EXPECT_EQ(in.InputField(), "");  // the empty field after a trailing comma
  EXPECT_EQ(in.InputNumber(), 5);
  EXPECT_TRUE(in.AtEnd());
  EXPECT_EQ(ErrorOf([&] { in.InputNumber(); }), 62);
}

TEST(SequentialFiles, PrintAppendAndModes) {
  {
    TextFile out("C:\\TEMP\\log.txt", OpenMode::Output);
    out.Print("first");
    out.Print("no end", false);
    out.Print("");
    EXPECT_EQ(out.Length(), 15);
    EXPECT_TRUE(out.AtEnd());
    EXPECT_EQ(ErrorOf([&] { out.LineInput(); }), 54);
  }
  {
    TextFile app("c:\\temp\\LOG.TXT", OpenMode::Append);
    app.Print("second");
  }
  {
    TextFile fresh("C:\\TEMP\\new-by-append.txt", OpenMode::Append);
    fresh.Print("x");
  }
  EXPECT_EQ(testsupport::ReadFile(winplat::HostPath("C:\\TEMP\\log.txt")), "first\r\nno end\r\nsecond\r\n");
  EXPECT_EQ(testsupport::ReadFile(winplat::HostPath("C:\\TEMP\\new-by-append.txt")), "x\r\n");
  TextFile in("C:\\TEMP\\log.txt", OpenMode::Input);
  EXPECT_EQ(ErrorOf([&] { in.Print("x"); }), 54);
  // Output empties an existing file.
  { TextFile again("C:\\TEMP\\log.txt", OpenMode::Output); }
  EXPECT_EQ(winplat::FileSize("C:\\TEMP\\log.txt"), 0);
}

TEST(SequentialFiles, OpenFailuresCarryTheirNumbers) {
  EXPECT_EQ(ErrorOf([] { TextFile f("C:\\TEMP\\none.txt", OpenMode::Input); }), 53);
  EXPECT_EQ(ErrorOf([] { TextFile f("C:\\NoFolder\\none.txt", OpenMode::Input); }), 76);
  EXPECT_EQ(ErrorOf([] { TextFile f("C:\\NoFolder\\1.TMP", OpenMode::Output); }), 76);
  EXPECT_EQ(ErrorOf([] { TextFile f("C:\\TEMP", OpenMode::Input); }), 75);
  EXPECT_EQ(ErrorOf([] { TextFile f("C:\\..\\x", OpenMode::Output); }), 64);
  EXPECT_FALSE(fs::exists(winplat::HostPath("C:\\NoFolder")));
}

TEST(SequentialFiles, FileNumbersAndKill) {
  Put("C:\\TEMP\\in.txt", "line\r\n");
  winplat::FileTable files;
  int n = files.FreeFile();
  EXPECT_EQ(n, 1);
  files.Open(n, "C:\\TEMP\\in.txt", OpenMode::Input);
  EXPECT_EQ(files.FreeFile(), 2);
  EXPECT_EQ(ErrorOf([&] { files.Open(1, "C:\\TEMP\\in.txt", OpenMode::Input); }), 55);
  EXPECT_EQ(ErrorOf([&] { files.Open(256, "C:\\TEMP\\in.txt", OpenMode::Input); }), 52);
  EXPECT_EQ(ErrorOf([&] { files[2].LineInput(); }), 52);
  EXPECT_EQ(files[1].LineInput(), "line");
  files.Open(2, "C:\\TEMP\\out.txt", OpenMode::Output).Print("kept");
  files.CloseAll();
  EXPECT_EQ(files.FreeFile(), 1);
  EXPECT_EQ(testsupport::ReadFile(winplat::HostPath("C:\\TEMP\\out.txt")), "kept\r\n");

  winplat::Kill("C:\\TEMP\\OUT.TXT");
  EXPECT_EQ(winplat::Exist("C:\\TEMP\\out.txt"), 0);
  EXPECT_EQ(ErrorOf([] { winplat::Kill("C:\\TEMP\\out.txt"); }), 53);
}

}  // namespace
