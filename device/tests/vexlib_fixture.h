#pragma once
// A fresh view of the library and the boards for each test.
#include <gtest/gtest.h>

#include <algorithm>

#include "vexlib_loader.h"
#include "winplat/clock.h"
#include "winplat/hw/boards.h"

namespace vxtest {

class VexlibTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ConfigureBoards("");
    boxes.Install();
    winplat::ClearBeepHistory();
    vx::CloseVXCommWindow()();
    vx::TB32BeepOnError()(1);
    std::int32_t status = 0;
    vx::GetVXStatus()(&status);
    UseBoards(false, 1);
    vx::OpenVXCommWindow()();
  }
  void TearDown() override {
    Boxes::Uninstall();
    winplat::SetClock(nullptr);
  }
  static bool Logged(const std::string& line) {
    auto log = CommLog();
    return std::find(log.begin(), log.end(), line) != log.end();
  }
  static std::vector<winplat::hw::LoggedCommand> Commands(std::uint16_t code) {
    std::vector<winplat::hw::LoggedCommand> out;
    for (auto& c : winplat::hw::ReadCommandLog()) {
      if (c.code == code) out.push_back(c);
    }
    return out;
  }
  Boxes boxes;
};

}  // namespace vxtest
