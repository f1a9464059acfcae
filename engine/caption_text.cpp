#include "engine/caption_text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/pick_message.h"
#include "engine/point_list.h"
#include "engine/projection_output.h"
#include "winplat/numeric.h"

namespace fieldray::engine {

namespace {

std::int32_t RoundBox(Engine& engine, OutputText box) {
  try {
    return winplat::CLng(BoxValue(engine, box));
  } catch (const winplat::NumericError&) {
    return 0;
  }
}

}  // namespace

void ShowCaption(Engine& engine, std::string& text, bool reportHeld) {
  engine.Vx.SetWorkingFrame(CaptionFrameNumber);
  std::int32_t x = RoundBox(engine, OutputText::CapX);
  std::int32_t y = RoundBox(engine, OutputText::CapY);
  if (!BuildCaptionFrame(engine, text, x, y, reportHeld)) {
    // Showing frame 101 now would project whatever it held before.
    NoteCaption(engine, 0, "Caption font " + engine.State.ProgramDir + "stick.vxf could not be loaded");
    return;
  }
  engine.Vx.DisplayFrame(GetWorkingFrameNumber(engine));
  SetScanRateForFrame(engine);
  engine.Vx.DisplayUpdate();
}

bool BuildCaptionFrame(Engine& engine, std::string& text, std::int32_t& x, std::int32_t& y, bool reportHeld) {
  std::string font = engine.State.ProgramDir + "stick.vxf";
  std::int32_t status = 0;
  engine.Vx.LoadFont(font.c_str(), &status);
  if (status != 0) return false;

  const std::int32_t sx = engine.State.FieldCalibration[1].XScale;
  const std::int32_t sy = engine.State.FieldCalibration[1].YScale;
  engine.Vx.SetWorkingScale(-sx, sx, -sy, sy, 0, 0);
  engine.Vx.SetLaserWindow(-sx, sx, -sy, sy, 0);
  engine.Vx.DisplayPostTrans(0, 0, 0);

  if (BoxValue(engine, OutputText::CharW) < 1) engine.Console.SetOutputText(OutputText::CharW, "1");
  if (BoxValue(engine, OutputText::CharH) < 1) engine.Console.SetOutputText(OutputText::CharH, "1");

  std::int32_t r = 255, g = 255, b = 255, i = 0, colour = 0;
  engine.Vx.RGB4toRGB1(&r, &g, &b, &i, &colour);
  engine.Vx.SetLaserChar(1, 4, 1, 108, RoundBox(engine, OutputText::CharW), RoundBox(engine, OutputText::CharH), 120,
                         30, colour);

  std::int32_t charW = 0, lineH = 0;
  engine.Vx.GetLaserCharExtent('n', &charW, &lineH);

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
    engine.Vx.LaserChar(c, cx + 100, cy, n + 1, &nx, &ny, &nn);
    cx = nx;
    cy = ny;
    n = nn;
  }

  ReadWorkingFrame(engine);
  std::int32_t held = 0;
  if (reportHeld && sx > 0 && sy > 0) {
    // The boards hold strokes beyond the window at its edge, and read them back
    // on it. They are the caption's, not the drawing's: named apart.
    const auto& points = engine.State.FrameBuffer;
    held = static_cast<std::int32_t>(std::count_if(points.begin() + 1, points.end(), [&](const PointStruct& p) {
      return std::abs(p.X) >= sx || std::abs(p.Y) >= sy;
    }));
  }
  if (engine.Builders.DensifyFramePoints) engine.Builders.DensifyFramePoints(engine);
  std::int32_t frame = GetWorkingFrameNumber(engine);
  std::string name = "Text";
  WriteFrameToBoard(engine, frame, name);
  if (reportHeld) NoteCaption(engine, held, "");
  return true;
}

}  // namespace fieldray::engine
