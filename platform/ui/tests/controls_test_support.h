#pragma once
// Shared by the control tests: a manual clock, recorded message boxes and a small form.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "winplat/clock.h"
#include "winplat/controls/control_array.h"
#include "winplat/controls/form.h"
#include "winplat/controls/lists.h"
#include "winplat/controls/picture.h"
#include "winplat/controls/scroll.h"
#include "winplat/controls/standard.h"
#include "winplat/messages.h"
#include "winplat/msgbox.h"

namespace ctltest {

using namespace winplat::controls;

class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    winplat::SetClock(&clock);
    ClearHandlerFaults();
    SetInputSource(nullptr);
  }
  void TearDown() override {
    SetInputSource(nullptr);
    while (winplat::DispatchPending() > 0) {
    }
    winplat::SetClock(nullptr);
  }
  std::vector<std::string> events;
  // A handler that writes its name into `events`.
  std::function<void()> Log(std::string what) {
    return [this, what] { events.push_back(what); };
  }

  winplat::ManualClock clock;
  winplat::MessageBoxScript boxes;
};

}  // namespace ctltest
