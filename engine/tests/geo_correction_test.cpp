#include <gtest/gtest.h>

#include <cmath>

#include "engine/field_calibration.h"
#include "engine/geo_correction.h"
#include "engine/settings_file.h"
#include "engine_fakes.h"
#include "test_support.h"

namespace fieldray::engine {
namespace {

using enginetest::EngineRig;

// The nominal position, held at +-32767 as every node is.
std::int16_t Nominal(std::int32_t k) { return static_cast<std::int16_t>(std::clamp(1024 * k - 32768, -32767, 32767)); }

// X and Y of node (i, j) as sent to the boards.
std::pair<int, int> Node(const EngineRig& rig, int i, int j) {
  const auto& row = rig.board.geoRows.at(static_cast<std::size_t>(j));
  return {row.at(2 * i), row.at(2 * i + 1)};
}

void Build(EngineRig& rig, std::int16_t field = 0) {
  rig.board.geoRows.clear();
  rig.board.geoActive.clear();
  SetGeoCorrection(rig.e, field);
  ASSERT_EQ(rig.board.geoRows.size(), 65u);
}

TEST(GeoCorrection, NeutralSettingsSendTheNominalGridRowByRowWithTheFlagSet) {
  EngineRig rig;
  ASSERT_NO_FATAL_FAILURE(Build(rig));
  auto sent = rig.board.CallsNamed("DisplayGeometricCorrection");
  for (int j = 0; j <= 64; ++j) {
    EXPECT_EQ(sent[j], "DisplayGeometricCorrection -1 " + std::to_string(j));
    for (int i = 0; i <= 64; ++i) {
      ASSERT_EQ(Node(rig, i, j), (std::pair<int, int>(Nominal(i), Nominal(j)))) << i << "," << j;
    }
  }
  EXPECT_TRUE(rig.board.CallsNamed("DisplayUpdate").empty());
}

TEST(GeoCorrection, BalanceOfMinus1000ClearsTheFlagAndFoldsTheNearHalf) {
  EngineRig rig;
  rig.console.geo[GeoBox::GeoBalX] = "-1000";
  rig.console.geo[GeoBox::GeoBalY] = "-1000";
  ASSERT_NO_FATAL_FAILURE(Build(rig));
  EXPECT_EQ(rig.board.geoActive, std::vector<std::int32_t>(65, 0));
  EXPECT_EQ(Node(rig, 10, 50), std::make_pair(0, 18432));
  EXPECT_EQ(Node(rig, 50, 10), std::make_pair(18432, 0));
}

TEST(GeoCorrection, RotationTurnsTheGridByPiOver100For1000) {
  EngineRig rig;
  rig.console.geo[GeoBox::GeoRotate] = "1000";
  ASSERT_NO_FATAL_FAILURE(Build(rig));
  EXPECT_EQ(Node(rig, 64, 32), std::make_pair(32752, 1029));
  EXPECT_EQ(Node(rig, 32, 64), std::make_pair(-1029, 32752));
  EXPECT_EQ(Node(rig, 48, 48), std::make_pair(15861, 16891));
  EXPECT_EQ(Node(rig, 0, 0), std::make_pair(-31723, -32767));
  EXPECT_EQ(Node(rig, 40, 20), std::make_pair(8574, -12025));
}

TEST(GeoCorrection, EachTermKindMovesTheNodesItShould) {
  struct Case {
    GeoBox box;
    const char* value;
    int i, j;
    std::pair<int, int> expected;
  };
  const Case cases[] = {
      {GeoBox::GeoPosX, "1", 48, 48, {16394, 16384}},      // +10
      {GeoBox::GeoPosY, "-2.5", 48, 48, {16384, 16359}},   // -25
      {GeoBox::GeoPosX, "1", 64, 0, {32767, -32767}},      // held at the edge
      {GeoBox::GeoSizeX, "1", 16, 40, {-16400, 8192}},     // x 1.001
      {GeoBox::GeoSizeY, "-100", 48, 48, {16384, 14746}},  // x .9
      {GeoBox::GeoLinX, "200", 48, 48, {17203, 16384}},    // (x .1 + 32768) / 32768 x
      {GeoBox::GeoKeyY, "100", 48, 48, {17203, 16384}},    // the Y setting scales X
      {GeoBox::GeoKeyX, "100", 48, 16, {16384, -17203}},   // the X setting scales Y
      {GeoBox::GeoPinX, "100", 48, 48, {16292, 16384}},    // ly^2 / 32768 x (-.0225)
      {GeoBox::GeoBowX, "1000", 48, 48, {17203, 16384}},   // qy^2 / 32768 x .1
      {GeoBox::GeoShearX, "100", 48, 48, {14746, 16384}},  // - .1 wy
      {GeoBox::GeoShearY, "100", 48, 16, {16384, -18022}}, // - .1 wx
      {GeoBox::GeoBalX, "-500", 16, 48, {-8192, 16384}},   // x .5 on the near half only
      {GeoBox::GeoBalX, "-500", 48, 48, {16384, 16384}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.value) + " at " + std::to_string(c.i) + "," + std::to_string(c.j));
    EngineRig rig;
    rig.console.geo[c.box] = c.value;
    ASSERT_NO_FATAL_FAILURE(Build(rig));
    EXPECT_EQ(Node(rig, c.i, c.j), c.expected);
  }
}

TEST(GeoCorrection, TheFieldsShearIsAddedToTheBoxes) {
  EngineRig rig;
  rig.state.FieldCalibration[3].XShear = 60;
  rig.console.geo[GeoBox::GeoShearX] = "40";
  ASSERT_NO_FATAL_FAILURE(Build(rig, 3));
  EXPECT_EQ(Node(rig, 48, 48), std::make_pair(14746, 16384));
  ASSERT_NO_FATAL_FAILURE(Build(rig, 0));
  EXPECT_EQ(Node(rig, 48, 48), std::make_pair(15729, 16384));
}

TEST(GeoCorrection, HeightPresetOneIsAShareOfTheSheetThicknessTheOthersTenths) {
  EngineRig rig;
  rig.state.SheetThickness = 10;
  rig.console.phs.SetMaxRows(6);
  rig.console.phs.SetRow(1);
  rig.console.phs.SetCol(2);
  rig.console.phs.SetText("50");
  rig.console.phs.SetRow(2);
  rig.console.phs.SetText("50");
  rig.console.phs.SetRow(3);
  rig.console.phs.SetText("-200");
  for (std::int16_t i = 0; i <= 5; ++i) rig.console.prjHght[i] = false;
  EXPECT_EQ(HeightTerm(rig.e), 5.0f);  // none checked: preset 1
  rig.console.prjHght[0] = true;
  std::int16_t field = 0;
  GeoTerms t = ReadGeoTerms(rig.e, field);
  EXPECT_EQ(t.h, 5.0f);
  EXPECT_EQ(t.sx, 1.005f);
  EXPECT_EQ(t.sy, 1.005f);
  ASSERT_NO_FATAL_FAILURE(Build(rig));
  EXPECT_EQ(Node(rig, 48, 48), std::make_pair(16466, 16466));
  rig.console.prjHght[0] = false;
  rig.console.prjHght[1] = true;
  EXPECT_EQ(HeightTerm(rig.e), 5.0f);
  rig.console.prjHght[2] = true;  // the first checked one counts
  EXPECT_EQ(HeightTerm(rig.e), 5.0f);
  rig.console.prjHght[1] = false;
  EXPECT_EQ(HeightTerm(rig.e), -20.0f);
  rig.console.hasPhs = false;
  EXPECT_EQ(HeightTerm(rig.e), 0.0f);
}

TEST(GeoCorrection, PincushionOffsetSparesTheMiddleRowAndTheOuterColumns) {
  EngineRig rig;
  rig.console.geo[GeoBox::GeoPinX] = "100";
  ASSERT_NO_FATAL_FAILURE(Build(rig));
  auto plain = rig.board.geoRows;
  std::string v = "1000";
  WriteGeometricValue(rig.e, "PinCushOsY", v);
  ASSERT_NO_FATAL_FAILURE(Build(rig));
  for (int i = 0; i <= 64; ++i) EXPECT_EQ(Node(rig, i, 32).first, plain[32][2 * i]) << i;
  EXPECT_EQ(Node(rig, 0, 48).first, plain[48][0]);
  EXPECT_EQ(Node(rig, 64, 16).first, plain[16][128]);
  // At a quarter from the middle column the offset is 1000 x 24 / 32 = 750, the same
  // size above and below the middle row, as |ly - oy| is.
  EXPECT_EQ(plain[48][80], 8146);
  EXPECT_EQ(Node(rig, 40, 48).first, 8142);
  EXPECT_EQ(Node(rig, 40, 16).first, 8142);
  EXPECT_EQ(Node(rig, 40, 48).second, plain[48][81]);
}

TEST(GeoCorrection, NothingIsSentWhileLoadingAndLoadingBuildsOnceAfterAllBoxes) {
  EngineRig rig;
  rig.state.GeoLoading = -1;
  std::int16_t field = 0;
  SetGeoCorrection(rig.e, field);
  EXPECT_TRUE(rig.board.calls.empty());
  rig.state.GeoLoading = 0;

  std::string v = "12";
  WriteGeometricValue(rig.e, "Rotation", v);
  v = "-3";
  WriteGeometricValue(rig.e, "BalanceY", v);
  rig.console.optFld[2] = true;
  rig.state.FieldCalibration[2].YShear = 5;
  int handlerRuns = 0;
  rig.console.onGeoChange = [&](GeoBox box) {
    EXPECT_EQ(static_cast<int>(box), handlerRuns);  // the boxes in key order
    ++handlerRuns;
    std::int16_t f = static_cast<std::int16_t>(CheckedOptFld(rig.e));
    ApplyGeoCorrection(rig.e, f);  // what a box's change handler does
  };
  LoadGeometricSettings(rig.e);
  EXPECT_EQ(handlerRuns, 18);
  EXPECT_EQ(rig.console.geo.size(), 18u);
  EXPECT_EQ(rig.console.geo[GeoBox::GeoRotate], "12");
  EXPECT_EQ(rig.console.geo[GeoBox::GeoBalY], "-3");
  EXPECT_EQ(rig.console.geo[GeoBox::GeoPosX], "");
  EXPECT_EQ(rig.board.geoRows.size(), 65u);
  EXPECT_EQ(rig.board.calls.back(), "DisplayUpdate");
  EXPECT_EQ(rig.state.GeoLoading, 0);
}

TEST(ParabolaTable, ZeroOrNegativeDepthClearsIt) {
  EngineRig rig;
  rig.state.ParabolaTable.fill(3.0f);
  float d = 0;
  BuildParabolaTable(rig.e, d);
  for (float v : rig.state.ParabolaTable) EXPECT_EQ(v, 0.0f);
  rig.state.ParabolaTable.fill(3.0f);
  d = -2;
  BuildParabolaTable(rig.e, d);
  for (float v : rig.state.ParabolaTable) EXPECT_EQ(v, 0.0f);
}

TEST(ParabolaTable, HoldsTheArcLengthShortfallAndIsOdd) {
  EngineRig rig;
  float d = 1;
  BuildParabolaTable(rig.e, d);
  const auto& t = rig.state.ParabolaTable;
  EXPECT_EQ(t[32], 0.0f);
  const double p = 100;
  float last = 0;
  for (int i = 33; i <= 64; ++i) {
    EXPECT_EQ(t[64 - i], -t[i]);
    double target = 1024.0 * i - 32768;
    double x = target - t[i];
    double s = x * std::sqrt(x * x + 4 * p * p) / (4 * p) + p * std::log(x / (2 * p) + std::sqrt(x * x / (4 * p * p) + 1));
    EXPECT_NEAR(s, target, 0.1 + target * 1e-6) << i;
    EXPECT_GT(t[i], last) << i;
    last = t[i];
  }
}

TEST(ParabolaTable, TinyDepthsEndTheSearchAndTheGridSubtractsTheTable) {
  EngineRig rig;
  for (float d : {1e-7f, 1e-3f, 1e6f}) {
    BuildParabolaTable(rig.e, d);
    for (float v : rig.state.ParabolaTable) EXPECT_TRUE(std::isfinite(v)) << d;
  }
  rig.state.ParabolaTable.fill(0);
  rig.state.ParabolaTable[40] = 100.4f;
  rig.state.ParabolaTable[24] = -100.4f;
  rig.console.geo[GeoBox::GeoPara] = "1";
  ASSERT_NO_FATAL_FAILURE(Build(rig));
  EXPECT_EQ(Node(rig, 40, 24), std::make_pair(8092, -8092));
  EXPECT_EQ(Node(rig, 40, 40), std::make_pair(8092, 8092));
}

}  // namespace
}  // namespace fieldray::engine
