#pragma once
// A control with its data base, files written under the test's machine root,
// and the test-data folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "../../control/dxf_control.h"
#include "../dxf_reader.h"
#include "test_support.h"
#include "winplat/variant.h"

namespace readertest {

// Folder of the project's own test drawings.
inline std::filesystem::path OwnData() { return std::filesystem::path(FIELDRAY_SOURCE_DIR) / "testdata" / "dxf"; }

// The shared drawings from elsewhere: "shared/testdata/dxf" beside the source
// tree or beside one of its parents (a worktree sits one level deeper); empty
// when there is none.
inline std::filesystem::path SharedData() {
  std::filesystem::path dir = std::filesystem::path(FIELDRAY_SOURCE_DIR);
  for (int up = 0; up < 3 && !dir.empty(); ++up) {
    std::filesystem::path candidate = dir.parent_path() / "shared" / "testdata" / "dxf";
    if (std::filesystem::is_directory(candidate)) return candidate;
    dir = dir.parent_path();
  }
  return {};
}

class ReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dxf = winplat::MakeObject<kelvane::DXF>();
    dxf->db.InitDB(true);
  }

  // Writes `text` as C:\dxf\<name> and returns the Windows path.
  std::string Put(const std::string& name, const std::string& text) {
    testsupport::WriteFile(testsupport::Root() / "C" / "dxf" / name, text);
    return "C:\\dxf\\" + name;
  }
  // Copies a file from a test-data folder into the machine root.
  std::string PutFile(const std::filesystem::path& file) {
    return Put(file.filename().string(), testsupport::ReadFile(file));
  }
  bool Load(const std::string& windowsPath) { return kelvane::LoadDXF(*dxf, windowsPath, nullptr, nullptr); }
  // The automation error's description of a failing read; empty when it succeeds.
  std::string LoadError(const std::string& windowsPath) {
    try {
      Load(windowsPath);
    } catch (const winplat::AutomationError& e) {
      EXPECT_EQ(e.Number(), kelvane::kControlError);
      return e.Description();
    }
    return {};
  }
  kelvane::EntityDB& db() { return dxf->db; }
  std::string LayerName(std::int32_t n) { return db().Layers().Item(winplat::Variant(n))->LayerName; }

  winplat::ComPtr<kelvane::DXF> dxf;
};

}  // namespace readertest
