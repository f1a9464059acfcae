#include <gtest/gtest.h>

#include "test_support.h"
#include "winplat/paths.h"

namespace {

TEST(HostPath, MapsDriveAndMatchesExistingCase) {
  auto root = winplat::MachineRoot();
  testsupport::WriteFile(root / "C" / "Fieldray" / "Fldry.INI", "x");
  EXPECT_EQ(winplat::HostPath("c:\\FIELDRAY\\fldry.ini"), root / "C" / "Fieldray" / "Fldry.INI");
  EXPECT_EQ(winplat::HostPath("D:\\new\\File.txt"), root / "D" / "new" / "File.txt");
}

TEST(HostPath, RefusesEscapes) {
  EXPECT_THROW(winplat::HostPath("C:\\..\\etc\\passwd"), winplat::PathError);
  EXPECT_THROW(winplat::HostPath("\\\\.\\WRTdev0"), winplat::PathError);
}

}  // namespace
