// Sprites: their definition files, their drawing in the not-XOR mode, and the
// members that show, hide, move, recolour and zoom to them over a drawing.
#include <array>

#include "render_fixture.h"

namespace {

using namespace rendertest;
using kelvane::GetField;
using winplat::Variant;

constexpr winplat::COLORREF kWhite = 0xFFFFFF, kBlue = 0xFF0000;

class SpriteTest : public RenderTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(RenderTest::SetUp());
    Line(0, 0, 40, 30, kBlue);
    Line(0, 30, 40, 0, kBlue);
    Extents(0, 30, 40, 0);
    ASSERT_TRUE(Draw(0, 30, 40, 0));  // 10 pixels per unit
    base = Shot();
  }
  // Writes a sprite file C:\dxf\<name>: the format's first line, then the records, each line ended by CR LF.
  std::string Sprite(const std::string& name, const std::vector<std::string>& records) {
    std::string text = "GlyphComposer\r\n";
    for (const auto& l : records) text += l + "\r\n";
    return Put(name, text);
  }
  std::int32_t Add(const std::string& file) {
    Variant idv(std::int32_t{-1});
    EXPECT_TRUE(Call("spriteadd", {Variant(file), Variant::ByRef(&idv), Variant(0.0f), Variant(1.0f), Variant(1.0f)}));
    return idv.ToLong();
  }
  bool Call(const char* member, std::vector<Variant> args = {}) {
    return winplat::CallMethod(dxf.Get(), member, std::move(args)).ToBool();
  }
  // Field `key` of the sprite's entity i, as the entity collection holds it.
  std::string Value(std::int32_t id, std::int32_t i, const char* key) {
    auto entities = winplat::QueryInterface<winplat::Collection>(dxf->SpriteAt(id)->colEntities.Get());
    auto e = winplat::QueryInterface<winplat::Collection>(entities->Item(Variant(i)).ToObject().Get());
    return e->Item(Variant(key)).ToString();
  }
  // True when the picture shows exactly `p`.
  bool Shows(const winplat::Picture& p) { return Shot().pixels == p.pixels; }

  winplat::Picture base;
};

TEST(SpriteFields, GetFieldCountsCommasAndWrapsPastTheLast) {
  const struct { const char* text; std::int16_t n; const char* field; } cases[] = {
      {"a,b,c", 1, "a"}, {"a,b,c", 2, "b"}, {"a,b,c", 3, "c"}, {"a,b,c", 4, "a"}, {"a,b,c", 5, "b"},
      {"a,b", 3, "a"},   {"x", 2, "x"},     {"", 1, ""},        {",,z", 3, "z"},   {"1.5, 2", 2, " 2"},
  };
  for (const auto& c : cases) EXPECT_EQ(GetField(c.text, c.n), c.field) << c.text << " " << c.n;
}

TEST_F(SpriteTest, EveryRecordTypeIsLoaded) {
  const std::int32_t id = Add(Sprite("all.spr", {"1", "1,2,3,4,255,0,1,0", "2,segment", "0,0,1,1,65280,0,2,0.5", "4",
                                                 "5,5,2,0,90,0,16711680,0,1", "5", "0,0,1,0,1,1,0,1,0,3", "7", "9,9",
                                                 "1", "3,4"}));
  ASSERT_EQ(id, 1);
  ASSERT_EQ(winplat::QueryInterface<winplat::Collection>(dxf->SpriteAt(id)->colEntities.Get())->Count(), 6);
  // The last line is short: its missing fields are empty, not wrapped round.
  const struct { std::int32_t entity; const char* key; const char* value; } fields[] = {
      {1, "EntityType", "1"}, {1, "EntityColor", "255"},      {1, "LineType", "0"}, {2, "Bulge", "0.5"},
      {3, "Radius", "2"},     {3, "EntityColor", "16711680"}, {4, "Y4", "1"},       {4, "EntityColor", "3"},
      {5, "EntityType", "7"}, {6, "Y1", "4"},                 {6, "X2", ""},        {6, "LineType", ""},
  };
  for (const auto& f : fields) EXPECT_EQ(Value(id, f.entity, f.key), f.value) << f.entity << " " << f.key;
  EXPECT_THROW(Value(id, 5, "X1"), winplat::AutomationError);  // other types hold only their type
}

TEST_F(SpriteTest, DrawingTwiceRestoresThePicture) {
  const std::vector<std::pair<const char*, std::vector<std::string>>> figures = {
      {"line", {"1", "0,0,5,3,255,0,0,0"}},
      {"wide line", {"1", "-2,1,6,1,16711935,0,1,0"}},
      {"arc", {"4", "0,0,3,30,200,0,65535,0,1"}},
      {"circle", {"4", "1,1,2,0,0,0,255,0,3"}},
      {"solid", {"5", "0,0,3,0,3,2,0,2,0,5"}},
      {"huge width", {"1", "0,0,1,1,255,0,100000,0"}},
  };
  for (const auto& [name, records] : figures) {
    SCOPED_TRACE(name);
    auto sprite = dxf->SpriteAt(Add(Sprite(std::string(name) + ".spr", records)));
    sprite->X = 20;
    sprite->Y = 15;
    const kelvane::SpriteView view = dxf->CurrentSpriteView();
    ASSERT_TRUE(sprite->DrawSprite(dxf->picKelvane.hDC, view));
    EXPECT_FALSE(Shows(base));
    ASSERT_TRUE(sprite->DrawSprite(dxf->picKelvane.hDC, view));
    EXPECT_TRUE(Shows(base));
  }
}

TEST_F(SpriteTest, ShowHideMoveAndColourSurviveRedraws) {
  const std::int32_t id = Add(Sprite("s.spr", {"1", "-1,-1,1,1,255,0,0,0", "5", "0,0,1,0,1,1,0,1,0,1"}));
  ASSERT_TRUE(Call("spriteshow", {Variant(id)}));
  const winplat::Picture shown = Shot();
  EXPECT_FALSE(Shows(base));
  EXPECT_TRUE(Call("spriteshow", {Variant(id)}));  // already shown: nothing changes
  EXPECT_TRUE(Shows(shown));
  Call("dxfrefresh");
  EXPECT_TRUE(Shows(shown));  // a redraw keeps a shown sprite
  ASSERT_TRUE(Call("spritehide", {Variant(id)}));
  EXPECT_TRUE(Shows(base));
  EXPECT_TRUE(Call("spritehide", {Variant(id)}));
  Call("dxfrefresh");
  EXPECT_TRUE(Shows(base));  // ... and never shows a hidden one
  // Moving shows it at the new place only.
  ASSERT_TRUE(Call("spritemove", {Variant(id), Variant(30.0f), Variant(20.0f)}));
  const winplat::Picture moved = Shot();
  EXPECT_FALSE(Shows(base));
  EXPECT_TRUE(Near(moved, 300, 100, 0x0000FF));
  EXPECT_FALSE(Near(moved, 200, 150, 0x0000FF, 4));
  // A colour value set for every entity: the solid shows it as it is.
  ASSERT_TRUE(Call("spritesetcolor", {Variant(id), Variant(std::int32_t{0x00C000})}));
  EXPECT_TRUE(Near(Shot(), 305, 95, 0x00C000));
  for (std::int32_t i : {1, 2}) EXPECT_EQ(Value(id, i, "EntityColor"), "49152") << i;
  ASSERT_TRUE(Call("spritehide", {Variant(id)}));
  EXPECT_TRUE(Shows(base));
  // A cleared picture holds no sprite: showing draws it once more.
  ASSERT_TRUE(Call("spriteshow", {Variant(id)}));
  Call("clear");
  ASSERT_TRUE(Call("spriteshow", {Variant(id)}));
  EXPECT_GT(CountNot(Shot(), kWhite), 0);
}

TEST_F(SpriteTest, ZoomPushesTheSpritesWindowAndTempLineUsesTheDrawMode) {
  const std::int32_t id = Add(Sprite("z.spr", {"1", "-1,0,1,0,255,0,0,0"}));
  ASSERT_TRUE(Call("spritemove", {Variant(id), Variant(10.0f), Variant(10.0f)}));
  ASSERT_TRUE(Call("spritezoom", {Variant(id), Variant(5.0f)}));
  const kelvane::ViewRect& z = dxf->ZoomHistory[0];
  EXPECT_EQ((std::array{z.Left, z.Top, z.Right, z.Bottom}), (std::array{5.0f, 15.0f, 15.0f, 5.0f}));
  EXPECT_NEAR(dxf->gsScaler, 300.0f / 10.0f, 1e-3);
  EXPECT_TRUE(Near(Shot(), dxf->CvtX(10), dxf->CvtY(10), 0x0000FF));
  // The temporary line in the picture's own mix mode: XOR of red on white.
  dxf->picKelvane.DrawMode = 7;
  ASSERT_TRUE(Call("spritetempline", {Variant(6.0f), Variant(6.0f), Variant(6.0f), Variant(14.0f), Variant(0x0000FF)}));
  EXPECT_TRUE(Near(Shot(), dxf->CvtX(6), dxf->CvtY(8), 0xFFFF00, 1));
}

TEST_F(SpriteTest, RefusedFilesAndBadCallsSayWhyAnswerFalseOrRaise) {
  const std::string good = Sprite("good.spr", {}), bad = Put("bad.spr", "NOT A SPRITE\r\n");
  Variant errv("old");
  EXPECT_TRUE(Call("spritecheck", {Variant::ByRef(&errv), Variant(good)}));
  EXPECT_EQ(errv.ToString(), "");
  EXPECT_FALSE(Call("spritecheck", {Variant::ByRef(&errv), Variant(bad)}));
  EXPECT_EQ(errv.ToString(), "The file " + bad +
                                 " does not appear to be a valid sprite definition file for Kelvane OCX. The first line "
                                 "should contain 'GlyphComposer'.");
  EXPECT_FALSE(Call("spritecheck", {Variant::ByRef(&errv), Variant("C:\\dxf\\missing.spr")}));
  EXPECT_EQ(errv.ToString().rfind("An error occurred in CheckSprite. The message is: ", 0), 0u) << errv.ToString();
  Variant idv(std::int32_t{7});
  EXPECT_FALSE(Call("spriteadd", {Variant("C:\\dxf\\none.spr"), Variant::ByRef(&idv), Variant(0.0f), Variant(1.0f),
                                  Variant(1.0f)}));
  EXPECT_EQ(idv.ToLong(), 0);  // nothing was added
  try {
    Call("spriteadd", {Variant(Sprite("a.spr", {})), Variant::ByRef(&idv), Variant(0.0f), Variant(0.0f), Variant(1.0f)});
    ADD_FAILURE();
  } catch (const winplat::AutomationError& e) {
    EXPECT_EQ(e.Number(), -2147221504);
    EXPECT_EQ(e.Source(), "KelvaneOCX.SpriteAdd");
    EXPECT_EQ(e.Description(), "The X and Y scalars must not be 0");
  }
  EXPECT_FALSE(Call("spriteshow", {Variant(99)}));
  EXPECT_FALSE(Call("spritehide", {Variant(99)}));
  EXPECT_FALSE(Call("spritezoom", {Variant(99), Variant(1.0f)}));
  EXPECT_FALSE(Call("spritemove", {Variant(99), Variant(1.0f), Variant(1.0f)}));
  EXPECT_FALSE(Call("spritesetcolor", {Variant(99), Variant(1)}));
  EXPECT_TRUE(Call("spriteinitialize"));
  EXPECT_EQ(winplat::QueryInterface<winplat::Collection>(dxf->colSprites.Get())->Count(), 0);
  EXPECT_TRUE(Shows(base));
}

}  // namespace
