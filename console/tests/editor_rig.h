#pragma once
// The tab rig with what the tests of the two sketch editors add: the hold
// counts, field S's scale, the blanking time, the points of a board frame,
// and message boxes answered from a list and recorded.
#include <deque>
#include <string>
#include <vector>

#include "tab_rig.h"
#include "winplat/msgbox.h"

namespace fieldray::console {

class EditorRig : public TabRig {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(TabRig::SetUp());
    state.HoldStart = 3;
    state.HoldEnd = 4;
    state.FieldCalibration[1].XScale = 3000;
    state.FieldCalibration[1].YScale = 3000;
    main.BlnkTm.SetText("8000");
  }

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

  // "caption: text" of each box shown since the last ClearShown.
  std::vector<std::string> Shown() const {
    std::vector<std::string> out;
    for (const winplat::ShownMessageBox& b : boxes.Shown()) out.push_back(b.caption + ": " + b.text);
    return out;
  }

  winplat::MessageBoxScript boxes;
  // The white of the recording board.
  static constexpr std::int32_t kWhite = 0xFFFFFF;
};

}  // namespace fieldray::console
