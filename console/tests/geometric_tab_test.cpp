// The geometric-correction tab: the bars follow the chosen correction, the
// boxes accept values within their own correction's range and apply them, and
// the calibration list shows a pattern with neutral output.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "console/geometric_tab.h"
#include "engine/settings_file.h"
#include "tab_rig.h"
#include "test_support.h"
#include "winplat/numeric.h"

namespace fieldray::console {
namespace {

using engine::GeoBox;

class GeometricTabTest : public TabRig {
 protected:
  wc::TextBox& Box(GeoBox b) { return view.GeoBoxControl(b); }
  // The corrections applied and the pattern redraws since the calls were cleared.
  std::pair<std::size_t, std::size_t> Sent() const {
    return {board.CallsNamed("DisplayGeometricCorrection").size() / 65, board.CallsNamed("RedrawFrameFast").size()};
  }
  // `n` corrections applied, each followed by a redraw.
  static std::pair<std::size_t, std::size_t> Both(std::size_t n) { return {n, n}; }
  // A bar's range and value, and the text of a box.
  std::tuple<int, int, int, std::string> Shown(const wc::ScrollBar& bar, GeoBox box) {
    return {bar.Min(), bar.Max(), bar.Value(), Box(box).Text()};
  }

  GeometricTab tab{e, main};
};

struct CorrectionCase {
  std::int16_t index;
  GeoBox x;
  std::optional<GeoBox> y;
  int xMin, xMax, yMin, yMax;
};

const CorrectionCase kCases[] = {
    {1, GeoBox::GeoRotate, std::nullopt, -2000, 2000, 0, 0},
    {2, GeoBox::GeoPosX, GeoBox::GeoPosY, -1200, 1200, -1200, 1200},
    {3, GeoBox::GeoPinX, GeoBox::GeoPinY, -1000, 1000, -1000, 1000},
    {4, GeoBox::GeoPara, std::nullopt, 0, 500, 0, 0},
    {5, GeoBox::GeoKeyX, GeoBox::GeoKeyY, -100, 100, -100, 100},
    {6, GeoBox::GeoLinX, GeoBox::GeoLinY, -100, 100, -100, 100},
    {7, GeoBox::GeoBowX, GeoBox::GeoBowY, -5000, 5000, -5000, 5000},
    {8, GeoBox::GeoShearX, GeoBox::GeoShearY, -100, 100, -100, 100},
    {9, GeoBox::GeoSizeX, GeoBox::GeoSizeY, -1000, 1000, -1000, 1000},
    {10, GeoBox::GeoBalX, GeoBox::GeoBalY, -1000, 1000, -1000, 1000},
};

TEST_F(GeometricTabTest, EachCorrectionTakesUpItsBarsAndItsBoxesFollowThem) {
  for (const CorrectionCase& c : kCases) {
    SCOPED_TRACE("correction " + std::to_string(c.index));
    // A value beyond the top of X and below the bottom of Y, forced into range and applied.
    Box(c.x).SetText(std::to_string(c.xMax + 500));
    if (c.y) Box(*c.y).SetText(std::to_string(c.yMin - 500));
    board.calls.clear();
    // Clicking its last box chooses the correction.
    wc::TextBox& last = Box(c.y.value_or(c.x));
    last.Click.Fire(last, "Click");
    EXPECT_TRUE(main.CalOpt(c.index).Value());
    EXPECT_EQ(tab.GeoParameter, c.index);
    EXPECT_EQ(Shown(main.XGeoAdj, c.x), std::tuple(c.xMin, c.xMax, c.xMax, winplat::Str(c.xMax)));
    EXPECT_EQ(main.YGeoAdj.Visible(), c.y.has_value());
    if (c.y) {
      EXPECT_EQ(Shown(main.YGeoAdj, *c.y), std::tuple(c.yMin, c.yMax, c.yMin, winplat::Str(c.yMin)));
    }
    EXPECT_EQ(Sent(), Both(c.y ? 2 : 1)) << "each forced box is applied";

    // Bounds are inclusive; one past is silently left in the box.
    board.calls.clear();
    Box(c.x).SetText(std::to_string(c.xMin));
    EXPECT_EQ(main.XGeoAdj.Value(), c.xMin);
    EXPECT_EQ(Sent(), Both(1));
    Box(c.x).SetText(std::to_string(c.xMin - 1));
    EXPECT_EQ(main.XGeoAdj.Value(), c.xMin);
    EXPECT_EQ(Box(c.x).Text(), std::to_string(c.xMin - 1));
    EXPECT_EQ(Sent(), Both(1)) << "a refused value is not applied";

    // The bar writes its box only while it has the focus; taking it copies once.
    main.XGeoAdj.SetValue(c.xMin + 1);
    EXPECT_EQ(Box(c.x).Text(), std::to_string(c.xMin - 1));
    board.calls.clear();
    main.XGeoAdj.GotFocus.Fire(main.XGeoAdj, "GotFocus");
    EXPECT_EQ(Box(c.x).Text(), winplat::Str(c.xMin + 1));
    EXPECT_EQ(Sent(), Both(1));
    main.XGeoAdj.SetValue(c.xMin + 2);
    EXPECT_EQ(Box(c.x).Text(), winplat::Str(c.xMin + 2));
    main.XGeoAdj.LostFocus.Fire(main.XGeoAdj, "LostFocus");
    main.XGeoAdj.SetValue(c.xMin + 3);
    EXPECT_EQ(Box(c.x).Text(), winplat::Str(c.xMin + 2));
    // The Y bar writes its own box; hidden, it writes into none.
    const std::string xText = Box(c.x).Text();
    main.YGeoAdj.GotFocus.Fire(main.YGeoAdj, "GotFocus");
    main.YGeoAdj.SetValue(c.y ? c.yMax : 7);
    main.YGeoAdj.LostFocus.Fire(main.YGeoAdj, "LostFocus");
    if (c.y) {
      EXPECT_EQ(Box(*c.y).Text(), winplat::Str(c.yMax));
    }
    EXPECT_EQ(Box(c.x).Text(), xText);
  }
}

TEST_F(GeometricTabTest, ABoxIsCheckedAgainstItsOwnCorrectionAndTheParabolaTableFollowsEveryValue) {
  main.CalOpt(7).SetValue(true);  // bow: -5000..5000
  main.XGeoAdj.SetValue(0);
  board.calls.clear();
  Box(GeoBox::GeoPinX).SetText("1001");
  EXPECT_EQ(main.XGeoAdj.Value(), 0) << "pincushion's range holds, not the bow's";
  EXPECT_EQ(Sent().first, 0u);
  Box(GeoBox::GeoPinX).SetText("1000");
  EXPECT_EQ(main.XGeoAdj.Value(), 0) << "the bow's bar does not take a pincushion value";
  EXPECT_EQ(Sent().first, 1u);
  main.XGeoAdj.GotFocus.Fire(main.XGeoAdj, "GotFocus");
  EXPECT_EQ(Box(GeoBox::GeoBowX).Text(), " 0");
  EXPECT_EQ(Box(GeoBox::GeoPinX).Text(), "1000");

  // The parabola box rebuilds its table even when its value is refused.
  main.XGeoAdj.LostFocus.Fire(main.XGeoAdj, "LostFocus");
  main.CalOpt(4).SetValue(true);
  board.calls.clear();
  Box(GeoBox::GeoPara).SetText("600");
  EXPECT_NE(state.ParabolaTable[64], 0.0f);
  EXPECT_EQ(Sent().first, 0u);
  Box(GeoBox::GeoPara).SetText("0");
  EXPECT_EQ(state.ParabolaTable[64], 0.0f);
  EXPECT_EQ(Sent().first, 1u);
}

TEST_F(GeometricTabTest, SaveRevertAndTheCalibrationListShowAndRedrawThePattern) {
  Box(GeoBox::GeoPosX).SetText(" 400");
  Box(GeoBox::GeoBowY).SetText("abc");
  main.BtnSavGeo.Click.Fire(main.BtnSavGeo, "Click");
  const std::string ini = testsupport::ReadFile(Ini());
  std::size_t at = ini.find("[Geometric]");
  ASSERT_NE(at, std::string::npos) << ini;
  for (const char* key : {"Rotation", "PositionX", "PositionY", "SizeX", "SizeY", "PincushionX", "PincushionY",
                          "Parabolic", "KeyStoneX", "KeyStoneY", "LinearityX", "LinearityY", "BowX", "BowY", "ShearX",
                          "ShearY", "BalanceX", "BalanceY"}) {
    at = ini.find(std::string("\n") + key + "=", at);
    ASSERT_NE(at, std::string::npos) << key << " in\n" << ini;
  }
  EXPECT_EQ(engine::ReadGeometricValue(e, "PositionX"), "400");
  EXPECT_EQ(engine::ReadGeometricValue(e, "BowY"), "abc") << "the text as typed";

  state.CalibrationFrame = 130;
  Box(GeoBox::GeoPosX).SetText("-7");
  board.calls.clear();
  main.BtnGeoRvt.Click.Fire(main.BtnGeoRvt, "Click");
  EXPECT_EQ(Box(GeoBox::GeoPosX).Text(), "400");
  ASSERT_FALSE(board.calls.empty());
  EXPECT_EQ(board.calls.back(), "RedrawFrameFast 0 130 0 -1 0");

  // The calibration list shows a pattern in field S's window with neutral output.
  board.calls.clear();
  state.FieldCalibration[1].XScale = 10000;
  state.FieldCalibration[1].YScale = 8000;
  board.frames[120].first = FrameStruct{};
  std::memcpy(board.frames[120].first.Name, "Grid 9x9", 8);
  for (const char* name : {"Grid 9x9", "Nothing", ""}) main.ListCal.AddItem(name);

  main.ListCal.SetListIndex(0);
  EXPECT_EQ(board.calls, (std::vector<std::string>{
                             "FindFrame Grid 9x9", "DisplayFrame 120", "SetWorkingScale -10000 10000 -8000 8000 0 0",
                             "SetLaserWindow -10000 10000 -8000 8000 0",
                             "DisplayPostTrans 0.000000 0.000000 0.000000", "DisplayFreq3 25000 25000 25000",
                             "DisplaySkew 4 4 0", "DisplayUpdate", "RedrawFrameFast 0 120 0 -1 0"}));
  EXPECT_EQ(state.CalibrationFrame, 120);

  board.calls.clear();
  main.ListCal.SetListIndex(1);
  EXPECT_EQ(board.calls, std::vector<std::string>{"FindFrame Nothing"});
  EXPECT_EQ(main.Msg.Caption(), "Calibration pattern Nothing not found");
  EXPECT_EQ(state.CalibrationFrame, 120);
  board.findStatus = 3;
  board.calls.clear();
  main.ListCal.SetListIndex(0);
  EXPECT_EQ(board.calls, std::vector<std::string>{"FindFrame Grid 9x9"}) << "a board error finds nothing";
  board.calls.clear();
  main.ListCal.SetListIndex(2);
  EXPECT_TRUE(board.calls.empty()) << "the list's empty last entry";
}

}  // namespace
}  // namespace fieldray::console
