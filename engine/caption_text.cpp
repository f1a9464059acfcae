#include "engine/caption_text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/point_list.h"
#include "engine/projection_output.h"
#include "winplat/numeric.h"

namespace fieldray::engine {

namespace {

std::int32_t RoundBox(Engine& e, OutputText box) {
  try {
    return winplat::CLng(BoxValue(e, box));
  } catch (const winplat::NumericError&) {
    return 0;
  }
}

}  // namespace

void ShowCaption(Engine& e, std::string& text, bool reportHeld) {
  e.Vx.SetWorkingFrame(CaptionFrameNumber);
  std::int32_t x = RoundBox(e, OutputText::CapX);
  std::int32_t y = RoundBox(e, OutputText::CapY);
  if (!BuildCaptionFrame(e, text, x, y, reportHeld)) {
    // Showing frame 101 now would project whatever it held before.
    e.Console.SetMsg("Caption font " + e.State.ProgramDir + "stick.vxf could not be loaded");
    return;
  }
  e.Vx.DisplayFrame(GetWorkingFrameNumber(e));
  SetScanRateForFrame(e);
  e.Vx.DisplayUpdate();
}

bool BuildCaptionFrame(Engine& e, std::string& text, std::int32_t& x, std::int32_t& y, bool reportHeld) {
  std::string font = e.State.ProgramDir + "stick.vxf";
  std::int32_t status = 0;
  e.Vx.LoadFont(font.c_str(), &status);
  if (status != 0) return false;

  const std::int32_t sx = e.State.FieldCalibration[1].XScale;
  const std::int32_t sy = e.State.FieldCalibration[1].YScale;
  e.Vx.SetWorkingScale(-sx, sx, -sy, sy, 0, 0);
  e.Vx.SetLaserWindow(-sx, sx, -sy, sy, 0);
  e.Vx.DisplayPostTrans(0, 0, 0);

  if (BoxValue(e, OutputText::CharW) < 1) e.Console.SetOutputText(OutputText::CharW, "1");
  if (BoxValue(e, OutputText::CharH) < 1) e.Console.SetOutputText(OutputText::CharH, "1");

  std::int32_t r = 255, g = 255, b = 255, i = 0, colour = 0;
  e.Vx.RGB4toRGB1(&r, &g, &b, &i, &colour);
  e.Vx.SetLaserChar(1, 4, 1, 108, RoundBox(e, OutputText::CharW), RoundBox(e, OutputText::CharH), 120, 30, colour);

  std::int32_t charW = 0, lineH = 0;
  e.Vx.GetLaserCharExtent('n', &charW, &lineH);

  std::int32_t cx = x, cy = y, n = 0;
  for (unsigned char c : text) {
    if (c == 13) {
      try {
        cy = winplat::CLng(cy - 2.3 * lineH);
      } catch (const winplat::NumericError&) {
        break;  // further lines would lie beyond any board coordinate
      }
      cx = x;
      continue;
    }
    std::int32_t nx = cx, ny = cy, nn = n;
    e.Vx.LaserChar(c, cx + 100, cy, n + 1, &nx, &ny, &nn);
    cx = nx;
    cy = ny;
    n = nn;
  }

  ReadWorkingFrame(e);
  if (reportHeld && sx > 0 && sy > 0) {
    // The boards hold strokes beyond the window at its edge, and read them back
    // on it; counted as a drawing's held points, the frame write reports them.
    const auto& points = e.State.FrameBuffer;
    e.State.SaturatedPoints += static_cast<std::int32_t>(std::count_if(
        points.begin() + 1, points.end(), [&](const PointStruct& p) { return std::abs(p.X) >= sx || std::abs(p.Y) >= sy; }));
  }
  if (e.Builders.DensifyFramePoints) e.Builders.DensifyFramePoints(e);
  std::int32_t frame = GetWorkingFrameNumber(e);
  std::string name = "Text";
  WriteFrameToBoard(e, frame, name);
  return true;
}

}  // namespace fieldray::engine
