#include <gtest/gtest.h>

#include <cmath>

#include "toolpath/geometry.h"
#include "winplat/msgbox.h"

namespace fieldray::toolpath {
namespace {

const double kPi = 4.0 * std::atan(1.0);

TEST(DegreeGeometry, LineAngleCoversEveryQuadrantAndAxis) {
  EXPECT_EQ(LineAngle(0, 0, 0, 0), 0.0);
  EXPECT_EQ(LineAngle(0, 0, 1, 0), 0.0);
  EXPECT_EQ(LineAngle(0, 0, -1, 0), 180.0);
  EXPECT_EQ(LineAngle(0, 0, 0, -1), 270.0);
  EXPECT_EQ(LineAngle(0, 0, 0, 1), 90.0);
  EXPECT_NEAR(LineAngle(0, 0, 1, 1), 45.0, 1e-12);
  EXPECT_NEAR(LineAngle(0, 0, -1, 1), 135.0, 1e-12);
  EXPECT_NEAR(LineAngle(0, 0, -1, -1), 225.0, 1e-12);
  EXPECT_NEAR(LineAngle(0, 0, 1, -1), 315.0, 1e-12);
  EXPECT_NEAR(LineAngle(5, 5, 6, 5 + std::sqrt(3.0)), 60.0, 1e-12);
  // The degree constant is a little below pi/180, so degrees come out a little large.
  EXPECT_GT(LineAngle(0, 0, 1, 1), 45.0);
}

TEST(DegreeGeometry, AngleSide) {
  EXPECT_EQ(AngleSide(90, 180), -1);
  EXPECT_EQ(AngleSide(90, 0), 1);
  EXPECT_EQ(AngleSide(90, 270), 0);
  EXPECT_EQ(AngleSide(270, 0), -1);
  EXPECT_EQ(AngleSide(270, 180), 1);
  EXPECT_EQ(AngleSide(270, 90), 0);
  EXPECT_EQ(AngleSide(45, 45), 0);
  EXPECT_EQ(AngleSide(270, 300), -1);
  EXPECT_EQ(AngleSide(180, 360), 0);
  EXPECT_EQ(AngleSide(180, 0), 1);  // the opposite of 180 is taken as 360 only
  EXPECT_EQ(AngleSide(180, 359), -1);
}

TEST(DegreeGeometry, CosSinUseTheProgramsDegreeConstant) {
  EXPECT_EQ(CosDeg(60), std::cos(60 * 0.017453292519943278));
  EXPECT_EQ(SinDeg(30), std::sin(30 * 0.017453292519943278));
  EXPECT_NEAR(SinDeg(90), 1.0, 1e-15);
  EXPECT_NE(CosDeg(90), std::cos(kPi / 2));
}

TEST(ArcGeometry, ArcCosAndArcSinOutsideTheirDomain) {
  EXPECT_EQ(ArcCos(1.5), 0.0);
  EXPECT_EQ(ArcCos(1.0), 0.0);
  EXPECT_EQ(ArcCos(-2), kPi);
  EXPECT_DOUBLE_EQ(ArcCos(0), kPi / 2);
  EXPECT_NEAR(ArcCos(0.5), kPi / 3, 1e-15);
  EXPECT_NEAR(ArcCos(-0.5), 2 * kPi / 3, 1e-15);
  EXPECT_EQ(ArcSin(2), kPi);
  EXPECT_EQ(ArcSin(-1), -kPi / 2);
  EXPECT_NEAR(ArcSin(0.5), kPi / 6, 1e-15);
}

TEST(ArcGeometry, RoundingThroughText) {
  EXPECT_EQ(Round2(2.345678), 2.35);
  EXPECT_EQ(Round2(2.675), 2.68);  // the decimal value, not the binary one below it
  EXPECT_EQ(Round2(-2.345), -2.35);
  EXPECT_EQ(Round2(0.004), 0.0);
  EXPECT_EQ(PointDist({0, 0}, {1, 1}), 1.414);
  EXPECT_EQ(PointDist({1, 1}, {1, 1}), 0.0);
  EXPECT_EQ(PointDist({0, 0}, {0.0005, 0}), 0.001);
  EXPECT_EQ(VarMax(1, 2), 2.0);
  EXPECT_EQ(VarMax(3, -2), 3.0);
  EXPECT_EQ(SgnNonNeg(0), 1);
  EXPECT_EQ(SgnNonNeg(-1e-300), -1);
  Point2D p = MakePoint(1.5, -2);
  EXPECT_EQ(p.X, 1.5);
  EXPECT_EQ(p.Y, -2.0);
}

class ArcFromRadiusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    winplat::SetMessageBoxHandler([this](const winplat::MessageBoxRequest& box) {
      shown.push_back(box.text);
      return winplat::IDOK;
    });
  }
  void TearDown() override { winplat::SetMessageBoxHandler({}); }
  std::vector<std::string> shown;
};

TEST_F(ArcFromRadiusTest, CentreSideFollowsDirAndSignOfRadius) {
  // Chord from (0,0) to (8,0), radius 5: centre 3 below (right) or above (left).
  GeometryReports reports;
  Point2D right = ArcFromRadius(0, 0, 8, 0, 5, 1, &reports);
  EXPECT_NEAR(right.X, 4, 1e-12);
  EXPECT_NEAR(right.Y, -3, 1e-12);
  Point2D left = ArcFromRadius(0, 0, 8, 0, 5, -1, &reports);
  EXPECT_NEAR(left.X, 4, 1e-12);
  EXPECT_NEAR(left.Y, 3, 1e-12);
  Point2D flipped = ArcFromRadius(0, 0, 8, 0, -5, -1, &reports);
  EXPECT_NEAR(flipped.Y, -3, 1e-12);
  // Travelling in -X, right is +Y.
  Point2D back = ArcFromRadius(8, 0, 0, 0, 5, 1, &reports);
  EXPECT_NEAR(back.X, 4, 1e-12);
  EXPECT_NEAR(back.Y, 3, 1e-12);
  // Dir 0 keeps the centre on the chord line, h away from the midpoint.
  Point2D onLine = ArcFromRadius(0, 0, 0, 8, 5, 0, &reports);
  EXPECT_NEAR(onLine.X, 0, 1e-12);
  EXPECT_NEAR(onLine.Y, 7, 1e-12);
  EXPECT_TRUE(reports.empty());
  EXPECT_TRUE(shown.empty());
}

TEST_F(ArcFromRadiusTest, ChordEqualToDiameterGivesMidpointWithoutReport) {
  GeometryReports reports;
  Point2D c = ArcFromRadius(0, 0, 10, 0, 5, 1, &reports);
  EXPECT_NEAR(c.X, 5, 1e-12);
  EXPECT_NEAR(c.Y, 0, 1e-12);
  EXPECT_TRUE(reports.empty());
}

TEST_F(ArcFromRadiusTest, ChordLongerThanDiameterIsCollected) {
  GeometryReports reports;
  Point2D c = ArcFromRadius(0, 0, 10, 0, 4.9, 1, &reports);
  EXPECT_EQ(c.X, 5.0);
  EXPECT_EQ(c.Y, 0.0);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0],
            "Error: Distance between starting point and end point of arc\r\n"
            "is larger than 2 times the radius of the arc");
  EXPECT_TRUE(shown.empty());
}

TEST_F(ArcFromRadiusTest, ChordLongerThanDiameterShownWithoutList) {
  Point2D c = ArcFromRadius(0, 0, 10, 0, 4.9, 1);
  EXPECT_EQ(c.X, 5.0);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], std::string(ChordTooLongMessage));
}

TEST_F(ArcFromRadiusTest, RoundedRadiusBelowHalfChordClampsToHalfCircle) {
  // 2 * 2.004 rounds to 4.01 = the chord, but the radius rounds to 2.00:
  // the square under the root is negative and is taken as 0.
  GeometryReports reports;
  Point2D c = ArcFromRadius(0, 0, 4.01, 0, 2.004, 1, &reports);
  EXPECT_FALSE(std::isnan(c.X));
  EXPECT_FALSE(std::isnan(c.Y));
  EXPECT_NEAR(c.X, 2.005, 1e-12);
  EXPECT_NEAR(c.Y, 0, 1e-12);
  EXPECT_TRUE(reports.empty());
}

TEST_F(ArcFromRadiusTest, ZeroChordDoesNotDivide) {
  GeometryReports reports;
  Point2D c = ArcFromRadius(2, 3, 2, 3, 5, 1, &reports);
  EXPECT_FALSE(std::isnan(c.X));
  // Direction (0, 0) has bearing pi/2; turning right of it points -Y.
  EXPECT_NEAR(c.X, 2, 1e-12);
  EXPECT_NEAR(c.Y, -2, 1e-12);
}

TEST_F(ArcFromRadiusTest, OffsetArcGivesCentreAndAngles) {
  GeometryReports reports;
  ArcSolution arc = OffsetArcFromRadius({0, 0}, {8, 0}, 5, -1, &reports);
  EXPECT_NEAR(arc.Centre.X, 4, 1e-12);
  EXPECT_NEAR(arc.Centre.Y, 3, 1e-12);
  // (0,0) and (8,0) lie below the centre: angles in the lower half turn.
  EXPECT_NEAR(arc.StartAngle, 2 * kPi - std::acos(-0.8), 1e-6);
  EXPECT_NEAR(arc.EndAngle, 2 * kPi - std::acos(0.8), 1e-6);
  EXPECT_TRUE(reports.empty());

  ArcSolution tooShort = OffsetArcFromRadius({0, 0}, {10, 0}, 4, 1, &reports);
  EXPECT_EQ(tooShort.Centre.X, 5.0);
  EXPECT_EQ(tooShort.Centre.Y, 0.0);
  EXPECT_EQ(reports.size(), 1u);
}

TEST_F(ArcFromRadiusTest, OffsetArcGuardsZeroChordAndZeroRadius) {
  GeometryReports reports;
  ArcSolution noRadius = OffsetArcFromRadius({1, 1}, {3, 1}, 0, 1, &reports);
  EXPECT_EQ(noRadius.StartAngle, 0.0f);
  EXPECT_EQ(noRadius.EndAngle, 0.0f);
  EXPECT_EQ(noRadius.Centre.X, 2.0);
  EXPECT_EQ(reports.size(), 1u);

  ArcSolution point = OffsetArcFromRadius({1, 1}, {1, 1}, 2, 1, &reports);
  EXPECT_FALSE(std::isnan(point.Centre.X));
  EXPECT_FALSE(std::isnan(point.StartAngle));
  EXPECT_NEAR(point.Centre.Y, -1, 1e-12);
  EXPECT_NEAR(point.StartAngle, kPi / 2, 1e-6);

  ArcSolution nothing = OffsetArcFromRadius({1, 1}, {1, 1}, 0, 1, &reports);
  EXPECT_EQ(nothing.Centre.X, 1.0);
  EXPECT_EQ(nothing.StartAngle, 0.0f);
  EXPECT_EQ(reports.size(), 1u);  // a zero chord is never too long
}

TEST(ArcGeometry, ArcAnglesAreCounterClockwiseFromPlusX) {
  AnglePair a = ArcAngles({1, 0}, {0, 1}, {0, 0}, 1);
  EXPECT_EQ(a.StartAngle, 0.0f);
  EXPECT_NEAR(a.EndAngle, kPi / 2, 1e-6);
  AnglePair b = ArcAngles({-1, 0}, {0, -1}, {0, 0}, -1);
  EXPECT_NEAR(b.StartAngle, kPi, 1e-6);
  EXPECT_NEAR(b.EndAngle, 3 * kPi / 2, 1e-6);
  // Points a little off the circle read as the nearest end of the domain.
  AnglePair c = ArcAngles({2, 0}, {-2, 0}, {0, 0}, 1);
  EXPECT_EQ(c.StartAngle, 0.0f);
  EXPECT_NEAR(c.EndAngle, kPi, 1e-6);
  AnglePair zero = ArcAngles({1, 0}, {0, 1}, {0, 0}, 0);
  EXPECT_EQ(zero.StartAngle, 0.0f);
  EXPECT_EQ(zero.EndAngle, 0.0f);
}

}  // namespace
}  // namespace fieldray::toolpath
