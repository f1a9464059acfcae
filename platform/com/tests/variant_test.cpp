#include <gtest/gtest.h>

#include "winplat/variant.h"

namespace {

using winplat::AutomationError;
using winplat::Variant;
using winplat::VarType;

std::int32_t ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const AutomationError& e) {
    return e.Number();
  }
  return 0;
}

TEST(Variant, IntegerConversionsRoundHalvesToEvenAndReportOverflow) {
  EXPECT_EQ(Variant(2.5).ToInteger(), 2);
  EXPECT_EQ(Variant(3.5).ToInteger(), 4);
  EXPECT_EQ(Variant(-2.5f).ToLong(), -2);
  EXPECT_EQ(Variant("  12.5 ").ToLong(), 12);
  EXPECT_EQ(Variant("&HFFFF").ToInteger(), -1);
  EXPECT_EQ(Variant("&H10000").ToLong(), 65536);
  EXPECT_EQ(Variant(32767.4).ToInteger(), 32767);
  EXPECT_EQ(ErrorOf([] { Variant(32767.5).ToInteger(); }), 6);
  EXPECT_EQ(ErrorOf([] { Variant(std::int32_t{40000}).ToInteger(); }), 6);
  EXPECT_EQ(ErrorOf([] { Variant(3e9).ToLong(); }), 6);
  EXPECT_EQ(ErrorOf([] { Variant(1e300).ToSingle(); }), 6);
}

TEST(Variant, ImpossibleConversionsAreErrors) {
  EXPECT_EQ(ErrorOf([] { Variant("12 apples").ToLong(); }), 13);
  EXPECT_EQ(ErrorOf([] { Variant("").ToDouble(); }), 13);
  EXPECT_EQ(ErrorOf([] { Variant::Null().ToString(); }), 94);
  EXPECT_EQ(ErrorOf([] { Variant(std::int32_t{1}).ToObject(); }), 424);
  EXPECT_EQ(ErrorOf([] { Variant::Missing().ToLong(); }), 13);
  EXPECT_EQ(Variant().ToLong(), 0);
  EXPECT_EQ(Variant().ToString(), "");
}

TEST(Variant, BooleansAreMinusOneAndZero) {
  EXPECT_EQ(Variant(true).ToInteger(), -1);
  EXPECT_EQ(Variant(false).ToLong(), 0);
  EXPECT_TRUE(Variant("true").ToBool());
  EXPECT_FALSE(Variant("FALSE").ToBool());
  EXPECT_TRUE(Variant(0.25).ToBool());
  EXPECT_EQ(Variant(true).ToString(), "True");
  EXPECT_EQ(Variant(0.5).ToBoolean(), -1);
  EXPECT_EQ(ErrorOf([] { Variant("maybe").ToBool(); }), 13);
}

TEST(Variant, ByReferenceFormsWriteIntoTheCallersVariableConverted) {
  std::int16_t i = 0;
  float f = 0;
  std::string s;
  std::int16_t flag = 0;
  Variant v;
  Variant ri = Variant::ByRef(&i), rf = Variant::ByRef(&f), rs = Variant::ByRef(&s);
  Variant rb = Variant::ByRefBoolean(&flag), rv = Variant::ByRef(&v);
  ri.Assign(Variant(6.5));
  rf.Assign(Variant("1.25"));
  rs.Assign(Variant(std::int32_t{42}));
  rb.Assign(Variant(7.0));
  rv.Assign(Variant("text"));
  EXPECT_EQ(i, 6);
  EXPECT_EQ(f, 1.25f);
  EXPECT_EQ(s, "42");
  EXPECT_EQ(flag, -1);
  EXPECT_EQ(v.ToString(), "text");
  EXPECT_TRUE(ri.IsByRef());
  EXPECT_EQ(ri.Type(), VarType::Integer);
  EXPECT_EQ(rv.Type(), VarType::String);
  EXPECT_EQ(rb.Value().Type(), VarType::Boolean);
  // A conversion that fails leaves the variable as it was.
  EXPECT_EQ(ErrorOf([&] { ri.Assign(Variant(1e6)); }), 6);
  EXPECT_EQ(i, 6);
  // A copy of a reference refers to the same variable.
  Variant copy = ri;
  copy.Assign(Variant(std::int16_t{9}));
  EXPECT_EQ(i, 9);
}

TEST(Variant, MissingMarkerAndSameValue) {
  EXPECT_TRUE(Variant::Missing().IsMissing());
  EXPECT_FALSE(Variant::Error(5).IsMissing());
  EXPECT_TRUE(SameValue(Variant(200.0f), Variant(std::int32_t{200})));
  EXPECT_TRUE(SameValue(Variant(false), Variant(std::int16_t{0})));
  EXPECT_FALSE(SameValue(Variant("1"), Variant(std::int32_t{1})));
  EXPECT_TRUE(SameValue(Variant(std::int32_t(0x80000005u)), Variant(static_cast<std::int32_t>(-2147483643))));
  EXPECT_FALSE(SameValue(Variant(), Variant::Null()));
}

}  // namespace
