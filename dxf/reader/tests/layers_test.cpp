#include <gtest/gtest.h>

#include "../layers.h"

namespace {

using namespace kelvane;
using winplat::Variant;

TEST(Layers, SetLayerIDMatchesTrimmedNamesWithoutCaseAndAddsUndeclaredOnes) {
  auto layers = winplat::MakeObject<DXFLayers>();
  layers->Add(0, 0xFF, "WALLS ", 0, false);
  EXPECT_EQ(SetLayerID(*layers, "Walls"), 1);
  EXPECT_EQ(SetLayerID(*layers, "Doors"), 2);
  auto doors = layers->Item(Variant(std::int32_t{2}));
  EXPECT_EQ(doors->LayerName, "Doors");
  EXPECT_EQ(doors->LayerOn, -1);
  EXPECT_EQ(doors->LayerColor, 0);
  EXPECT_FALSE(doors->RedlineLayer());
  EXPECT_EQ(SetLayerID(*layers, "doors"), 2);
  // The argument itself is not trimmed.
  EXPECT_EQ(SetLayerID(*layers, " doors"), 3);
  // A missing group 8: the layer with the empty name, created once.
  EXPECT_EQ(SetLayerID(*layers, ""), 4);
  EXPECT_EQ(SetLayerID(*layers, ""), 4);
  EXPECT_EQ(layers->Count(), 4);
}

TEST(Layers, FirstMatchWinsAndLayerIsOnDefaultsToTrue) {
  auto layers = winplat::MakeObject<DXFLayers>();
  layers->Add(-1, 1, "Plan", 0, false);
  layers->Add(0, 2, "PLAN", 0, true);
  EXPECT_EQ(SetLayerID(*layers, "plan"), 1);
  EXPECT_EQ(LayerIsOn(layers.Get(), 1), -1);
  EXPECT_EQ(LayerIsOn(layers.Get(), 2), 0);
  EXPECT_EQ(LayerIsOn(layers.Get(), 0), -1);
  EXPECT_EQ(LayerIsOn(layers.Get(), 3), -1);
  EXPECT_EQ(LayerIsOn(nullptr, 1), -1);
  // Removing a layer moves the later ones down.
  layers->Remove(Variant(std::int32_t{1}));
  EXPECT_EQ(layers->Item(Variant(std::int32_t{1}))->LayerName, "PLAN");
}

TEST(Layers, CheckDuplicateLayerIsCaseSensitiveAndLeavesTheFlagAlone) {
  auto layers = winplat::MakeObject<DXFLayers>();
  layers->Add(-1, 0, "Base", 0, false);
  std::string err = "old";
  bool exists = false;
  EXPECT_TRUE(layers->CheckDuplicateLayer(err, exists, "BASE"));
  EXPECT_FALSE(exists);
  EXPECT_EQ(err, "");
  exists = true;  // left as passed when none matches
  EXPECT_TRUE(layers->CheckDuplicateLayer(err, exists, "Other"));
  EXPECT_TRUE(exists);
  exists = false;
  EXPECT_TRUE(layers->CheckDuplicateLayer(err, exists, "Base"));
  EXPECT_TRUE(exists);
}

TEST(Layers, ReachedByNameThroughDispatch) {
  auto layers = winplat::MakeObject<DXFLayers>();
  auto added = winplat::CallMethod(layers.Get(), "add",
                                   {Variant(std::int16_t{-1}), Variant(std::int32_t{255}), Variant("Red"),
                                    Variant(std::int16_t{0}), Variant(true), Variant("key")});
  auto layer = added.ToObject();
  EXPECT_EQ(winplat::GetProperty(layer.Get(), "layername").ToString(), "Red");
  EXPECT_EQ(winplat::GetProperty(layer.Get(), "LAYERCOLOR").ToLong(), 255);
  EXPECT_TRUE(winplat::GetProperty(layer.Get(), "redlinelayer").ToBool());
  winplat::PutProperty(layer.Get(), "layeron", Variant(std::int16_t{0}));
  EXPECT_EQ(LayerIsOn(layers.Get(), 1), 0);
  // Item is the default member; the key given to Add is not used.
  auto first = winplat::Invoke(layers.Get(), winplat::DISPID_VALUE, winplat::DISPATCH_METHOD | winplat::DISPATCH_PROPERTYGET,
                               {Variant(std::int32_t{1})});
  EXPECT_EQ(first.ToObject().Get(), layer.Get());
  EXPECT_THROW(layers->Item(Variant("key")), winplat::AutomationError);
  // CheckDuplicateLayer with its by-reference arguments.
  std::string err = "x";
  std::int16_t exists = 0;
  auto ok = winplat::CallMethod(layers.Get(), "CheckDuplicateLayer",
                                {Variant::ByRef(&err), Variant::ByRefBoolean(&exists), Variant("Red")});
  EXPECT_TRUE(ok.ToBool());
  EXPECT_EQ(exists, -1);
  EXPECT_EQ(err, "");
  EXPECT_EQ(winplat::GetProperty(layers.Get(), "count").ToLong(), 1);
  EXPECT_EQ(winplat::NewEnum(layers.Get())->TypeName(), "IEnumVARIANT");
}

std::int32_t FakeAci(std::int16_t aci) { return aci * 1000; }

TEST(Layers, LayerRecordsBecomeLayers) {
  auto layers = winplat::MakeObject<DXFLayers>();
  ASSERT_TRUE(DXFNewLayer(*layers, {"Hidden", "-7", "0", ""}, &FakeAci));
  ASSERT_TRUE(DXFNewLayer(*layers, {"Frozen", "3", "1", ""}, &FakeAci));
  ASSERT_TRUE(DXFNewLayer(*layers, {" Marks", "  5", "64", "made by REDLINE tool"}, &FakeAci));
  ASSERT_TRUE(DXFNewLayer(*layers, {"Plain", "", "", "redline"}, &FakeAci));
  auto at = [&](std::int32_t i) { return layers->Item(Variant(i)); };
  EXPECT_EQ(at(1)->LayerOn, 0);
  EXPECT_EQ(at(1)->LayerColor, 7000);
  EXPECT_EQ(at(2)->LayerOn, 0);
  EXPECT_EQ(at(2)->LayerColor, 3000);
  EXPECT_EQ(at(3)->LayerOn, -1);
  EXPECT_EQ(at(3)->LayerName, " Marks");
  EXPECT_TRUE(at(3)->RedlineLayer());
  EXPECT_EQ(at(4)->LayerColor, 0);
  EXPECT_EQ(at(4)->LayerOn, -1);
  EXPECT_FALSE(at(4)->RedlineLayer());
  EXPECT_EQ(at(4)->NewLayer, 0);
  // An entity on the declared layer in other letters finds it.
  EXPECT_EQ(SetLayerID(*layers, "MARKS"), 3);
  // A colour index beyond the Integer range fails with the trail.
  try {
    DXFNewLayer(*layers, {"Bad", "99999", "0", ""}, &FakeAci);
    FAIL();
  } catch (const winplat::AutomationError& e) {
    EXPECT_EQ(e.Description(), "Overflow\r\n ->  DXFNewLayer.");
  }
  EXPECT_EQ(layers->Count(), 4);
}

}  // namespace
