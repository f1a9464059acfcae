#pragma once
// Building compensated paths for the offset tests.
#include <gtest/gtest.h>

#include <cstdint>

#include "job/path_element.h"
#include "toolpath/offset_pass.h"

struct PathBuilder {
  fieldray::PathArray path = fieldray::PathArray(1);
  std::int16_t side = 1;
  double radius = 1;

  PathBuilder& Start(double x, double y, std::int16_t cycle = 5) {
    auto& e = Add(88, x, y);
    e.CycleCode = cycle;
    return *this;
  }
  PathBuilder& Line(double x, double y) {
    Add(1, x, y);
    return *this;
  }
  // Path arc codes: 2 counter-clockwise, 3 clockwise.
  PathBuilder& Arc(std::int32_t code, double x, double y, double cx, double cy) {
    auto& e = Add(code, x, y);
    e.CentreX = cx;
    e.CentreY = cy;
    return *this;
  }
  fieldray::PathElement& Add(std::int32_t code, double x, double y) {
    auto& e = path.emplace_back();
    e.MoveCode = code;
    e.EndX = x;
    e.EndY = y;
    e.CompSide = side;
    e.CompRadius = radius;
    e.ZDepth = 3;
    return e;
  }
};

// Directions come from unit vectors whose length carries a 1e-09 guard, so
// offset points land within about 1.5e-05 per unit of offset.
#define EXPECT_EL(el, code, x, y)      \
  do {                                 \
    EXPECT_EQ((el).MoveCode, code);    \
    EXPECT_NEAR((el).EndX, x, 1e-4);   \
    EXPECT_NEAR((el).EndY, y, 1e-4);   \
  } while (0)

#define EXPECT_CENTRE(el, cx, cy)        \
  do {                                   \
    EXPECT_NEAR((el).CentreX, cx, 1e-6); \
    EXPECT_NEAR((el).CentreY, cy, 1e-6); \
  } while (0)
