// Picking, the drag band, nudge steps and drag projection shared by the two
// sketch editors.
#include "console/sketch_lines.h"

#include <gtest/gtest.h>

#include "console/main_form.h"

namespace fieldray::console {
namespace {

class SketchLines : public ::testing::Test {
 protected:
  wc::LineControl& Line(float x1, float y1, float x2, float y2) {
    wc::LineControl& line = main.MLine.Load(main.MLine.UBound() + 1);
    line.SetVisible(true);
    line.SetX1(x1);
    line.SetY1(y1);
    line.SetX2(x2);
    line.SetY2(y2);
    return line;
  }
  MainForm main;
};

TEST_F(SketchLines, APointHitsALineInsideTheRoundedEllipseAroundIt) {
  const wc::LineControl& line = Line(200, 200, 500, 200);  // 300 long
  struct Case {
    float x, y;
    std::int32_t hold;
    bool hit;
  } cases[] = {
      {350, 240, INT32_MAX, true},                                 // 155 + 155 - 300 = 10
      {350, 245, INT32_MAX, false},                                // 157 + 157 - 300 = 14
      {350, 160, 32767, true},                                     // either side
      {505.4f, 200, INT32_MAX, true},                              // 305 + 5 - 300
      {505.5f, 200, INT32_MAX, false},                             // 306 + 6 - 300: halves go to even
      {194.5f, 200, 32767, false},       {200, 200, 32767, true},  // on an end
      {1e9f, -1e9f, 32767, false},                                 // far outside: held, no overflow
      {-3e38f, 3e38f, INT32_MAX, false},
  };
  for (const Case& c : cases) EXPECT_EQ(LineHit(line, c.x, c.y, c.hold), c.hit) << c.x << ", " << c.y;
}

TEST_F(SketchLines, TheLowestVisibleLineHitIsPicked) {
  Line(200, 200, 500, 200);
  Line(200, 205, 500, 205);
  Line(100, 100, 100, 400);
  EXPECT_EQ(FirstLineHit(main.MLine, 350, 203), 1);
  EXPECT_EQ(FirstLineHit(main.MLine, 100, 300), 3);
  EXPECT_EQ(FirstLineHit(main.MLine, 900, 900), 0);
  main.MLine(1).SetVisible(false);
  EXPECT_EQ(FirstLineHit(main.MLine, 350, 203), 2) << "a hidden line is not picked";
  main.MLine(0).SetX1(340);
  main.MLine(0).SetX2(360);
  main.MLine(0).SetVisible(true);
  EXPECT_EQ(FirstLineHit(main.MLine, 350, 0), 0) << "the template is never picked";
}

TEST_F(SketchLines, DragsStayInsideTheBandAndNudgesTakeOneStep) {
  struct Band {
    float x, y;
    bool inside;
  } band[] = {{51, 51, true},     {50, 200, false},   {200, 50, false},  {3514.9f, 200, true},
              {3515, 200, false}, {200, 3515, false}, {200, 3514, true}, {-5, -5, false}};
  for (const Band& b : band) EXPECT_EQ(InDragBand(b.x, b.y, 3615, 3615), b.inside) << b.x << ", " << b.y;

  EXPECT_EQ(NudgeStep(0, 10, 5), 5) << "a large change is one step";
  EXPECT_EQ(NudgeStep(10, 0, 5), -5);
  EXPECT_EQ(NudgeStep(-3, -2, 56), 56);
  EXPECT_EQ(NudgeStep(4, 4, 55), -55);
  EXPECT_EQ(NudgeStep(4, 3, INT32_MIN), 2147483648LL) << "no overflow for any settings value";
}

TEST_F(SketchLines, AMoveArrivingWhileOneIsProjectedIsProjectedOnceAfterIt) {
  DragProjection drag;
  int projected = 0, depth = 0, deepest = 0;
  std::function<void()> project = [&] {
    ++projected;
    deepest = std::max(deepest, ++depth);
    // Two further moves arrive while the first is projected.
    if (projected == 1) {
      drag.Move(project);
      drag.Move(project);
    }
    --depth;
  };
  drag.Move(project);
  EXPECT_EQ(projected, 2) << "the first move, then the latest";
  EXPECT_EQ(deepest, 1) << "never nested";
  EXPECT_FALSE(drag.Running());
}

}  // namespace
}  // namespace fieldray::console
