// Every export of the device library, found by name in the loaded library.
#include <dlfcn.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "export_list.h"
#include "vexlib_fixture.h"

namespace {

TEST(ExportSurface, EveryExportResolvesByName) {
  ASSERT_NE(vxtest::Library(), nullptr);
  std::vector<std::string> missing;
  for (const std::string& name : vxtest::ExportNames()) {
    if (dlsym(vxtest::Library(), name.c_str()) == nullptr) missing.push_back(name);
  }
  EXPECT_TRUE(missing.empty()) << "not exported: " << ::testing::PrintToString(missing);
}

TEST(ExportSurface, TheListNamesEachExportOnce) {
  const auto& names = vxtest::ExportNames();
  EXPECT_EQ(names.size(), vxtest::kExportCount);
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
}

}  // namespace
