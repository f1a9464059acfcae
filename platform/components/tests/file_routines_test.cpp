#include <gtest/gtest.h>

#include <cstdlib>

#include "test_support.h"
#include "winplat/components/routines.h"
#include "winplat/paths.h"

using namespace winplat;

TEST(FileRoutines, FileTests) {
  testsupport::WriteFile(HostPath("C:\\Jobs\\One.txt"), "12345");
  testsupport::WriteFile(HostPath("C:\\Jobs\\two"), "");
  testsupport::WriteFile(HostPath("C:\\Jobs\\sub\\three.txt"), "x");
  EXPECT_NE(Exist("c:\\jobs\\one.TXT"), 0);
  EXPECT_EQ(Exist("C:\\Jobs\\none.txt"), 0);
  EXPECT_EQ(Exist("C:\\Jobs\\sub"), 0);  // a folder is no file
  EXPECT_EQ(Exist(""), 0);
  EXPECT_EQ(Exist("C:\\..\\..\\etc\\passwd"), 0);
  EXPECT_EQ(FCount("C:\\Jobs\\*.*"), 2);
  EXPECT_EQ(FCount("C:\\Jobs\\*.TXT"), 1);
  EXPECT_EQ(FCount("C:\\Jobs\\t?o"), 1);
  EXPECT_EQ(FCount("C:\\Nowhere\\*.*"), 0);
  EXPECT_EQ(FileSize("C:\\Jobs\\One.txt"), 5);
  EXPECT_EQ(FileSize("C:\\Jobs\\two"), 0);
  EXPECT_EQ(FileSize("C:\\Jobs\\gone"), -1);
}

TEST(FileRoutines, ExeNameIsAWindowsPathInTheProgramFolder) {
  unsetenv("FIELDRAY_PROGRAM");
  std::string exe = ExeName();
  EXPECT_EQ(exe, "C:\\Fieldray\\Fieldray.exe");
  EXPECT_EQ(exe.substr(0, QInstrB2(-1, exe, "\\")), "C:\\Fieldray\\");
  setenv("FIELDRAY_PROGRAM", "D:\\Laser\\Fieldray.exe", 1);
  EXPECT_EQ(ExeName(), "D:\\Laser\\Fieldray.exe");
  unsetenv("FIELDRAY_PROGRAM");
}
