// Colour and linetype mapping, flag bits, rotations and the text helpers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "../../reader/dxfengine.h"
#include "winplat/variant.h"

using namespace kelvane;

TEST(ColourMapping, AciToRgbTableAndRange) {
  EXPECT_EQ(AciToRgb(-1), 0);
  EXPECT_EQ(AciToRgb(260), 0);
  EXPECT_EQ(AciToRgb(0), 0);
  EXPECT_EQ(AciToRgb(1), 0x0010FF);
  EXPECT_EQ(AciToRgb(5), 0xFF1000);
  EXPECT_EQ(AciToRgb(7), 0xFFFFFF);
  EXPECT_EQ(AciToRgb(59), 0x425142);
  EXPECT_EQ(AciToRgb(139), 0x425142);
  EXPECT_EQ(AciToRgb(171), 0xFF7163);
  EXPECT_EQ(AciToRgb(249), 0x313031);
  EXPECT_EQ(AciToRgb(251), 0x5A595A);
  for (int i = 255; i <= 259; ++i) EXPECT_EQ(AciToRgb(static_cast<std::int16_t>(i)), 0xFFFFFF) << i;
  EXPECT_EQ(AciToRgb(256), 0xFFFFFF);
}

TEST(ColourMapping, RgbToAciKeepsEveryTableColour) {
  // Saving converts back: every colour the reader can produce maps to a number
  // whose colour is the same.
  for (int i = 1; i <= 255; ++i) {
    std::int32_t rgb = AciToRgb(static_cast<std::int16_t>(i));
    EXPECT_EQ(AciToRgb(RgbToAci(rgb)), rgb) << i;
  }
  EXPECT_EQ(RgbToAci(AciToRgb(1)), 1);
  EXPECT_EQ(RgbToAci(0xFFFFFF), 7);
  EXPECT_EQ(RgbToAci(0x313031), 19);  // the lowest number holding the colour
  // Colours not in the table: the well-known list, else 7.
  EXPECT_EQ(RgbToAci(0x0000FF), 1);
  EXPECT_EQ(RgbToAci(0xFF0000), 5);
  EXPECT_EQ(RgbToAci(0x848284), 5);
  EXPECT_EQ(RgbToAci(0xFF00FF), 6);
  EXPECT_EQ(RgbToAci(0x840000), 12);
  EXPECT_EQ(RgbToAci(0xC6C3C6), 27);
  EXPECT_EQ(RgbToAci(0), 7);
  EXPECT_EQ(RgbToAci(0x123456), 7);
}

TEST(LinetypeMapping, ExactNames) {
  EXPECT_EQ(LineTypeStyle("CONTINUOUS"), 0);
  EXPECT_EQ(LineTypeStyle(""), 0);
  EXPECT_EQ(LineTypeStyle("dashed"), 0);
  EXPECT_EQ(LineTypeStyle("DASHED "), 0);
  EXPECT_EQ(LineTypeStyle("TRATTEGGIATA2"), 1);
  EXPECT_EQ(LineTypeStyle("DASHEDX2"), 1);
  EXPECT_EQ(LineTypeStyle("DOT2"), 2);
  EXPECT_EQ(LineTypeStyle("DASHDOTX2"), 3);
  EXPECT_EQ(LineTypeStyle("PHANTOM"), 4);
  EXPECT_EQ(LineTypeStyle("HIDDEN"), 0);
}

TEST(FlagBits, OneBitAtAnyValue) {
  EXPECT_TRUE(IsBitSet(64, 6));
  EXPECT_TRUE(IsBitSet(65, 0));
  EXPECT_FALSE(IsBitSet(64, 5));
  EXPECT_TRUE(IsBitSet(1024 + 1, 10));
  EXPECT_TRUE(IsBitSet(512 + 2, 1));   // high bits do not hide the low ones
  EXPECT_FALSE(IsBitSet(512, 8));
  EXPECT_TRUE(IsBitSet(-1, 31));
  EXPECT_FALSE(IsBitSet(1, -1));
  EXPECT_FALSE(IsBitSet(1, 32));
}

TEST(Angles, NormalizeAngle) {
  float a = -90.0f;
  EXPECT_EQ(NormalizeAngle(a), -90.0f);
  a = 720.0f;
  EXPECT_EQ(NormalizeAngle(a), 0.0f);
  EXPECT_EQ(a, 0.0f);
  a = 360.5f;
  EXPECT_EQ(NormalizeAngle(a), 0.5f);
  a = 1085.25f;
  EXPECT_EQ(NormalizeAngle(a), 5.25f);
  a = std::numeric_limits<float>::infinity();  // ends, unchanged
  EXPECT_TRUE(std::isinf(NormalizeAngle(a)));
  a = 3e38f;
  float n = NormalizeAngle(a);
  EXPECT_TRUE(n >= 0.0f && n < 360.0f);
}

TEST(Rotation, UsesTheShortPiConstant) {
  float x = 1.0f, y = 0.0f;
  RotatePoint(x, y, 90.0f);
  // With 3.14159 the quarter turn misses by about 1.3e-6.
  EXPECT_NEAR(x, std::cos(3.14159 / 2), 1e-7);
  EXPECT_NEAR(y, 1.0, 1e-6);
  EXPECT_NE(x, 0.0f);

  float x1 = 2, y1 = 0, x2 = 0, y2 = 3, deg = 180;
  RotateRect(x1, y1, x2, y2, deg);
  EXPECT_NEAR(x1, -2, 1e-4);
  EXPECT_NEAR(y2, -3, 1e-4);
  EXPECT_NEAR(x2, 0, 1e-4);
}

TEST(Transform, ScaleRotateThenMove) {
  float xo = 0, yo = 0;
  // Point (2, 1) about (1, 1): scaled by 2 -> (3, 1); turned 90 degrees -> (1, 3); moved (10, 20).
  TransformPoint(1, 1, 2, 1, 10, 20, 90, 2, 2, xo, yo);
  EXPECT_NEAR(xo, 11.0, 1e-4);
  EXPECT_NEAR(yo, 23.0, 1e-4);
  TransformPoint(0, 0, 5, 7, 0, 0, 0, 1, -1, xo, yo);
  EXPECT_FLOAT_EQ(xo, 5);
  EXPECT_FLOAT_EQ(yo, -7);
}

TEST(Scaling, ScaleToLongRoundsHalvesToEvenAndOverflowsToZero) {
  float p = 2.5f, q = 1, r = 1;
  EXPECT_EQ(ScaleToLong(p, q, r), 2);
  p = 3.5f;
  EXPECT_EQ(ScaleToLong(p, q, r), 4);
  p = -2.5f;
  EXPECT_EQ(ScaleToLong(p, q, r), -2);
  p = 1e6f, q = 1e6f;
  EXPECT_EQ(ScaleToLong(p, q, r), 0);
}

TEST(TextHelpers, SpecialCharactersAndQuotes) {
  EXPECT_EQ(SpecialCharCode("c"), std::string(1, '\xD8'));
  EXPECT_EQ(SpecialCharCode("D"), std::string(1, '\xB0'));
  EXPECT_EQ(SpecialCharCode("p"), std::string(1, '\xB1'));
  EXPECT_EQ(SpecialCharCode("u"), "U");
  EXPECT_EQ(SpecialCharCode("o"), "");
  EXPECT_EQ(SpecialCharCode("cc"), "");
  std::string s = "say \"hi\"";
  EXPECT_EQ(ReplaceQuotes(s), "say ''hi''");
  EXPECT_EQ(s, "say ''hi''");
}

TEST(PixelConversion, RealToPelRoundsAndTurnsTheYAxisOver) {
  EXPECT_EQ(RealToPelX(12.5f, 2.0f, 10.0f), 5);
  EXPECT_EQ(RealToPelX(11.25f, 2.0f, 10.0f), 2);  // 2.5 goes to the even 2
  EXPECT_EQ(RealToPelY(10.0f, 2.0f, 0.0f, 300), 280);
  EXPECT_EQ(RealToPelY(0.0f, 2.0f, 0.0f, 300), 300);
  try {
    RealToPelX(3e38f, 1e10f, 0.0f);
    FAIL() << "no error";
  } catch (const winplat::AutomationError& e) {
    EXPECT_EQ(e.Number(), static_cast<std::int32_t>(0x80040001u));
    EXPECT_EQ(e.Description(), "Error in RealToPelX.");
  }
  try {
    RealToPelY(1e20f, 1.0f, 0.0f, 300);
    FAIL() << "no error";
  } catch (const winplat::AutomationError& e) {
    EXPECT_EQ(e.Description(), "Error in RealToPelY.");
  }
}
