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
