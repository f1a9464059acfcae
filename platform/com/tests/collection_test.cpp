#include <gtest/gtest.h>

#include "winplat/collection.h"

namespace {

using namespace winplat;

std::int32_t ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const AutomationError& e) {
    return e.Number();
  }
  return 0;
}

TEST(Collection, KeysPositionsAndTheirErrors) {
  auto c = MakeObject<Collection>();
  c->Add(Variant("first"), Variant("One"));
  c->Add(Variant("third"));
  c->Add(Variant("second"), Variant("Two"), Variant::Missing(), Variant("one"));
  c->Add(Variant("zeroth"), Variant::Missing(), Variant(std::int32_t{1}));
  ASSERT_EQ(c->Count(), 4);
  EXPECT_EQ(c->Item(Variant(std::int32_t{1})).ToString(), "zeroth");
  EXPECT_EQ(c->Item(Variant(std::int32_t{3})).ToString(), "second");
  EXPECT_EQ(c->Item(Variant("TWO")).ToString(), "second");
  EXPECT_EQ(ErrorOf([&] { c->Add(Variant("again"), Variant("two")); }), 457);
  EXPECT_EQ(ErrorOf([&] { c->Item(Variant(std::int32_t{5})); }), 9);
  EXPECT_EQ(ErrorOf([&] { c->Item(Variant(std::int32_t{0})); }), 9);
  EXPECT_EQ(ErrorOf([&] { c->Item(Variant("three")); }), 5);
  EXPECT_EQ(c->Count(), 4);
  c->Remove(Variant("one"));
  EXPECT_EQ(c->Count(), 3);
  EXPECT_EQ(c->Item(Variant(std::int32_t{2})).ToString(), "second");
  // A removed key may be used again.
  c->Add(Variant("new first"), Variant("ONE"));
  EXPECT_EQ(c->Item(Variant("one")).ToString(), "new first");
}

TEST(Collection, KeysFollowTheirItemsThroughInsertsAndRemovals) {
  auto c = MakeObject<Collection>();
  constexpr int n = 2000;
  for (int i = 0; i < n; ++i) c->Add(Variant(std::int32_t{i}), Variant("k" + std::to_string(i)));
  c->Add(Variant(std::int32_t{-1}), Variant("front"), Variant("K0"));
  c->Remove(Variant(std::int32_t{500}));  // k498
  c->Remove(Variant("k1000"));
  for (int i = 0; i < n; ++i) {
    if (i == 498 || i == 1000) {
      EXPECT_EQ(ErrorOf([&] { c->Item(Variant("k" + std::to_string(i))); }), 5) << i;
      continue;
    }
    EXPECT_EQ(c->Item(Variant("K" + std::to_string(i))).ToLong(), i);
  }
  EXPECT_EQ(c->Item(Variant(std::int32_t{1})).ToLong(), -1);
  EXPECT_EQ(c->Item(Variant("front")).ToLong(), -1);
  EXPECT_EQ(c->Count(), n - 1);
}

TEST(Collection, DispatchMembersAndEnumeration) {
  auto c = MakeObject<Collection>();
  for (int i = 1; i <= 3; ++i) CallMethod(c.Get(), "add", {Variant(std::int32_t{i * 10})});
  EXPECT_EQ(GetProperty(c.Get(), "COUNT").ToLong(), 3);
  // Item is the default member.
  EXPECT_EQ(Invoke(c.Get(), DISPID_VALUE, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {Variant(std::int32_t{2})}).ToLong(),
            20);
  auto en = NewEnum(c.Get());
  // The enumeration walks the items as they were when it started.
  c->Remove(Variant(std::int32_t{1}));
  std::vector<std::int32_t> seen;
  Variant item;
  while (en->Next(item)) seen.push_back(item.ToLong());
  EXPECT_EQ(seen, (std::vector<std::int32_t>{10, 20, 30}));
  EXPECT_FALSE(en->Next(item));
  en->Reset();
  ASSERT_TRUE(en->Next(item));
  EXPECT_EQ(item.ToLong(), 10);
}

}  // namespace
