#pragma once
// The main window with its grids over a recording board, for the tests of the
// two sketch editors; message boxes are answered from a list and recorded.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "console/component_slots.h"
#include "console/form_console_view.h"
#include "engine/settings_file.h"
#include "engine/tests/engine_fakes.h"
#include "test_support.h"
#include "winplat/msgbox.h"

namespace fieldray::console {

class EditorRig : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(testsupport::Root() / "C" / "Fieldray");
    testsupport::WriteFile(testsupport::Root() / "C" / "Fieldray" / "Fldry.INI", "");
    engine::SetProgramDir(state, "C:\\Fieldray\\");
    state.HoldStart = 3;
    state.HoldEnd = 4;
    state.FieldCalibration[1].XScale = 3000;
    state.FieldCalibration[1].YScale = 3000;
    forms.Main.BlnkTm.SetText("8000");
    winplat::SetMessageBoxHandler([this](const winplat::MessageBoxRequest& box) {
      boxes.push_back(box.caption + ": " + box.text);
      if (answers.empty()) return winplat::DefaultButton(box.flags);
      const int answer = answers.front();
      answers.pop_front();
      return answer;
    });
  }
  void TearDown() override { winplat::SetMessageBoxHandler(nullptr); }

  // The points of board frame `frame` at (x, y) in `colour`.
  int PointsAt(std::int32_t frame, std::int32_t x, std::int32_t y, std::int32_t colour) const {
    int n = 0;
    if (!board.frames.count(frame)) return 0;
    for (const PointStruct& p : board.frames.at(frame).second) n += p.X == x && p.Y == y && p.Colour == colour;
    return n;
  }
  std::string FrameName(std::int32_t frame) const {
    if (!board.frames.count(frame)) return {};
    const FrameStruct& h = board.frames.at(frame).first;
    std::string name(h.Name, sizeof h.Name);
    return name.substr(0, name.find_last_not_of(' ') + 1);
  }
  std::size_t FramePoints(std::int32_t frame) const {
    return board.frames.count(frame) ? board.frames.at(frame).second.size() : 0;
  }

  ProgramState state;
  enginetest::FakeBoard board;
  engine::Vexlib vx{board.Table()};
  ConsoleForms forms;
  ComponentSlots slots{forms};
  FormConsoleView view{forms.Main, &slots};
  engine::Engine e{state, vx, view, [] {}};
  std::deque<int> answers;
  std::vector<std::string> boxes;
  // The white of the recording board.
  static constexpr std::int32_t kWhite = 0xFFFFFF;
};

}  // namespace fieldray::console
