#include <gtest/gtest.h>

#include <filesystem>

#include "test_support.h"
#include "winplat/classreg.h"
#include "winplat/collection.h"
#include "winplat/gdi.h"
#include "winplat/picture.h"
#include "winplat/container.h"
#include "winplat/control.h"
#include "winplat/registry.h"

namespace {

using namespace winplat;

TEST(PropertyBag, DefaultsAreNotStoredAndReadBack) {
  PropertyBag bag;
  bag.WriteProperty("Left", Variant(200.0f), Variant(200.0f));
  bag.WriteProperty("Right", Variant(90.5f), Variant(50.0f));
  bag.WriteProperty("Name", Variant("a\tb\\c\nd"), Variant(""));
  bag.WriteProperty("On", Variant(true), Variant(false));
  bag.WriteProperty("Colour", Variant(static_cast<std::int32_t>(0x80000005u)), Variant(std::int32_t{0xFFFFFF}));
  EXPECT_FALSE(bag.Contains("Left"));
  EXPECT_EQ(bag.Size(), 4u);
  EXPECT_EQ(bag.ReadProperty("left", Variant(1.0f)).ToSingle(), 1.0f);

  auto file = testsupport::Root() / "bag.txt";
  bag.SaveFile(file);
  PropertyBag back;
  back.LoadFile(file);
  EXPECT_EQ(back.ReadProperty("RIGHT", Variant(0.0f)).Type(), VarType::Single);
  EXPECT_EQ(back.ReadProperty("Right", Variant(0.0f)).ToSingle(), 90.5f);
  EXPECT_EQ(back.ReadProperty("Name", Variant("")).ToString(), "a\tb\\c\nd");
  EXPECT_TRUE(back.ReadProperty("On", Variant(false)).ToBool());
  EXPECT_EQ(back.ReadProperty("Colour", Variant(0)).ToLong(), static_cast<std::int32_t>(0x80000005u));
  // A later write with a default equal to the value leaves the entry written before.
  back.WriteProperty("Colour", Variant(static_cast<std::int32_t>(0x80000005u)),
                     Variant(static_cast<std::int32_t>(0x80000005u)));
  EXPECT_EQ(back.ReadProperty("Colour", Variant(0)).ToLong(), static_cast<std::int32_t>(0x80000005u));
}

TEST(PropertyBag, ABareNameIsSavedInTheCurrentFolder) {
  const std::filesystem::path folder = testsupport::Root() / "bag-cwd";
  std::filesystem::create_directories(folder);
  std::filesystem::remove(folder / "out.txt");
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  PropertyBag bag;
  bag.WriteProperty("Caption", Variant("here"), Variant(""));
  std::string error;
  try {
    bag.SaveFile("out.txt");
  } catch (const AutomationError& e) {
    error = e.Description();
  }
  std::filesystem::current_path(before);
  EXPECT_EQ(error, "");
  PropertyBag back;
  back.LoadFile(folder / "out.txt");
  EXPECT_EQ(back.ReadProperty("Caption", Variant("")).ToString(), "here");
}

TEST(PropertyBag, MalformedOrMissingFilesAreRefusedAndLoseNothing) {
  PropertyBag bag;
  bag.WriteProperty("Keep", Variant(std::int16_t{7}), Variant(std::int16_t{0}));
  auto bad = testsupport::WriteFile(testsupport::Root() / "bad.txt", "A\tInteger\t1\nB\tInteger\t99999\n");
  try {
    bag.LoadFile(bad);
    FAIL();
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), 5);
    EXPECT_NE(e.Description().find("line 2"), std::string::npos);
  }
  EXPECT_EQ(bag.ReadProperty("Keep", Variant(0)).ToLong(), 7);
  EXPECT_FALSE(bag.Contains("A"));
  try {
    bag.LoadFile(testsupport::Root() / "none.txt");
    FAIL();
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), 53);
  }
  EXPECT_THROW(bag.Parse("NoTabs\n"), AutomationError);
  EXPECT_THROW(bag.Parse("X\tPicture\tdata\n"), AutomationError);
  EXPECT_EQ(bag.Size(), 1u);
}

TEST(PropertyBag, PicturesAreKeptAsACopyAndRefusedWhenDamaged) {
  Picture pixels{3, 2, {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000, 0x123456}};
  auto picture = PictureObject::FromPixels(pixels);
  ASSERT_TRUE(picture);
  PropertyBag bag;
  bag.WriteProperty("Icon", Variant(picture), Variant::Nothing());
  bag.WriteProperty("None", Variant::Nothing(), Variant::Nothing());
  // Drawing into the picture afterwards leaves the written copy alone.
  HDC dc = CreateCompatibleDC(0);
  const HGDIOBJ old = SelectObject(dc, picture->Handle());
  SetPixel(dc, 0, 0, 0xABCDEF);
  SelectObject(dc, old);
  DeleteDC(dc);
  ASSERT_EQ(picture->Pixels().pixels[0], 0xABCDEFu);
  EXPECT_EQ(bag.Size(), 1u);
  const std::string text = bag.Serialize();
  ASSERT_EQ(text.rfind("Icon\tPicture\t", 0), 0u);
  EXPECT_EQ(text.find_first_of("\n"), text.size() - 1);  // one line

  PropertyBag back;
  back.Parse("Older\tInteger\t3\n" + text);
  EXPECT_EQ(back.ReadProperty("Older", Variant(0)).ToLong(), 3);
  auto read = QueryInterface<PictureObject>(back.ReadProperty("Icon", Variant::Nothing()).ToObject().Get());
  ASSERT_TRUE(read);
  EXPECT_EQ(read->Pixels().pixels, pixels.pixels);
  EXPECT_FALSE(back.ReadProperty("None", Variant::Nothing()).ToObject());

  // Damaged text: the base64 or the PNG inside it.
  const std::string body = text.substr(text.rfind('\t') + 1, text.size() - text.rfind('\t') - 2);
  for (const std::string& bad : {body.substr(0, 48), body.substr(0, 40) + "!" + body.substr(41),
                                 body.substr(0, 60) + std::string(body.size() - 60, 'A'), std::string("=AAA")}) {
    EXPECT_THROW(back.Parse("Icon\tPicture\t" + bad + "\n"), AutomationError) << bad;
  }
  EXPECT_EQ(back.Size(), 2u);
  // Any other object is refused.
  try {
    bag.WriteProperty("Other", Variant(MakeObject<Collection>()), Variant::Nothing());
    FAIL();
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), 13);
  }
}

// The bytes of a PNG file that ends after its header: signature and IHDR of
// an 8-bit RGB picture of `width` x `height`, and no pixel data.
std::string PngHeaderOnly(std::uint32_t width, std::uint32_t height) {
  auto be32 = [](std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
  };
  std::string chunk = "IHDR";
  be32(chunk, width);
  be32(chunk, height);
  chunk += std::string("\x08\x02\x00\x00\x00", 5);
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : chunk) {
    crc ^= c;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  std::string png = "\x89PNG\r\n\x1a\n";
  be32(png, 13);
  png += chunk;
  be32(png, ~crc);
  return png;
}

std::string Base64(const std::string& bytes) {
  static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    std::uint32_t n = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) n |= static_cast<unsigned char>(bytes[i + 2]);
    out += digits[(n >> 18) & 63];
    out += digits[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? digits[(n >> 6) & 63] : '=';
    out += i + 2 < bytes.size() ? digits[n & 63] : '=';
  }
  return out;
}

// A picture larger than the bag takes is refused from its header: these
// files end after it, so a decoder that went on to the pixels would call
// them damaged instead. The refusal names the line and the size.
TEST(PropertyBag, APictureTooLargeIsRefusedFromItsHeader) {
  struct Case {
    std::uint32_t width, height;
    std::string said;  // after "Malformed property bag entry on line 2: the picture "
  };
  const Case cases[] = {
      {8192, 8192, "is 8192 x 8192 pixels, more than 4096 x 4096"},
      {4097, 1, "is 4097 x 1 pixels, more than 4096 x 4096"},
      {1, 100000, "is 1 x 100000 pixels, more than 4096 x 4096"},
      {4096, 4096, "is damaged: "},  // as large as a bag takes: read on, to the missing pixels
  };
  PropertyBag bag;
  bag.Parse("Keep\tInteger\t7\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    try {
      bag.Parse("Other\tLong\t1\nIcon\tPicture\t" + Base64(PngHeaderOnly(c.width, c.height)) + "\n");
      ADD_FAILURE() << "taken";
    } catch (const AutomationError& e) {
      EXPECT_EQ(e.Number(), 5);
      EXPECT_EQ(e.Description().rfind("Malformed property bag entry on line 2: the picture " + c.said, 0), 0u)
          << e.Description();
    }
  }
  EXPECT_EQ(bag.Serialize(), "Keep\tInteger\t7\n");
}

// A picture read from a bag is decoded once and kept with its file's bytes:
// saving the bag writes those bytes again (no capture, no new encoding), so
// drawing into the object read from it changes nothing saved.
TEST(PropertyBag, AReadPictureIsSavedFromTheBytesItCameWith) {
  Picture pixels{2, 2, {0x0000FF, 0x00FF00, 0xFF0000, 0x010203}};
  PropertyBag first;
  first.WriteProperty("Icon", Variant(PictureObject::FromPixels(pixels)), Variant::Nothing());
  const std::string text = first.Serialize();
  PropertyBag bag;
  bag.Parse(text);
  auto read = QueryInterface<PictureObject>(bag.ReadProperty("Icon", Variant::Nothing()).ToObject().Get());
  ASSERT_TRUE(read);
  EXPECT_EQ(read->Pixels().pixels, pixels.pixels);
  HDC dc = CreateCompatibleDC(0);
  const HGDIOBJ old = SelectObject(dc, read->Handle());
  SetPixel(dc, 1, 1, 0xABCDEF);
  SelectObject(dc, old);
  DeleteDC(dc);
  EXPECT_EQ(bag.Serialize(), text);
}

// Reading a bag takes each entry once: names met again in other ASCII letter
// cases replace their value; letters beyond ASCII name entries of their own.
// Its speed per entry, the same at any size, is measured in
// bench/property_bag_bench.cpp.
TEST(PropertyBag, ANameMetAgainInOtherLettersReplacesItsEntry) {
  std::string text;
  for (int i = 0; i < 1000; ++i) text += "Entry" + std::to_string(i) + "\tLong\t" + std::to_string(i) + "\n";
  text += "ENTRY5\tString\tfive\n";
  text += "Gr\xF6\xDF" "e\tLong\t1\nGR\xD6\xDF" "E\tLong\t2\n";  // Windows-1252 o and O umlaut
  PropertyBag bag;
  bag.Parse(text);
  EXPECT_EQ(bag.Size(), 1002u);
  EXPECT_EQ(bag.ReadProperty("entry999", Variant(0)).ToLong(), 999);
  EXPECT_EQ(bag.ReadProperty("Entry5", Variant(0)).ToString(), "five");
  EXPECT_EQ(bag.ReadProperty("gr\xF6\xDF" "e", Variant(0)).ToLong(), 1);
  EXPECT_EQ(bag.ReadProperty("GR\xD6\xDF" "E", Variant(0)).ToLong(), 2);
  // The entry keeps its first spelling and place.
  EXPECT_EQ(bag.Serialize().find("Entry5\tString\tfive\n"), text.find("Entry5\t"));
}

// A control that records what its container asked of it and raises one event.
class Probe : public ControlObject {
 public:
  Probe() : ControlObject("Probe") {
    AddMethod(
        1, "Fire",
        [this](Args& a) {
          std::int32_t n = a.Long(0);
          RaiseEvent(7, {Variant::ByRef(&n)});
          return Variant(n);
        },
        1);
    AddProperty(
        2, "Mode", [this](Args&) { return Variant(AmbientUserMode()); },
        [this](Args&, const Variant&) { PropertyChanged("Mode"); });
  }
  std::vector<std::string> calls;

 protected:
  void OnInitProperties() override { calls.push_back("init"); }
  void OnResize(std::int32_t w, std::int32_t h) override {
    calls.push_back("resize " + std::to_string(w) + "x" + std::to_string(h));
  }
  void OnReadProperties(const PropertyBag&) override { throw RuntimeError(13); }
};

// An event sink that records each event and doubles its by-reference argument.
class Sink : public DispatchObject {
 public:
  explicit Sink(std::string tag, std::vector<std::string>& log) : DispatchObject("Sink") {
    AddMethod(
        7, "Changed",
        [tag, &log](Args& a) {
          log.push_back(tag + " " + std::to_string(a.Long(0)));
          a.Set(0, Variant(a.Long(0) * 2));
          return Variant();
        },
        1);
  }
};

TEST(ControlModel, EventsReachTheSinksInOrderWithReferenceArguments) {
  auto probe = MakeObject<Probe>();
  std::vector<std::string> log;
  auto first = MakeObject<Sink>("first", log);
  auto second = MakeObject<Sink>("second", log);
  std::uint32_t c1 = 0, c2 = 0;
  ASSERT_EQ(probe->Advise(first.Get(), &c1), S_OK);
  ASSERT_EQ(probe->Advise(second.Get(), &c2), S_OK);
  EXPECT_EQ(CallMethod(probe.Get(), "Fire", {Variant(std::int32_t{3})}).ToLong(), 12);
  EXPECT_EQ(log, (std::vector<std::string>{"first 3", "second 6"}));
  ASSERT_EQ(probe->Unadvise(c1), S_OK);
  EXPECT_NE(probe->Unadvise(c1), S_OK);
  CallMethod(probe.Get(), "Fire", {Variant(std::int32_t{1})});
  EXPECT_EQ(log.back(), "second 1");
  EXPECT_EQ(log.size(), 3u);
}

TEST(ControlModel, ContainerSiteModeSignalsAndExtender) {
  auto placed = MakeObject<PlacedControl>("Probe1", 0, false);
  // Without the registry entry the class cannot be created.
  ExcepInfo excep;
  EXPECT_NE(placed->Create("Probe.Control", nullptr, &excep), S_OK);
  EXPECT_EQ(excep.number, 429);
  EXPECT_NE(excep.description.find("Probe.Control"), std::string::npos);

  auto probe = MakeObject<Probe>();
  probe->SetClientSite(placed.Get());
  EXPECT_FALSE(GetProperty(probe.Get(), "mode").ToBool());
  placed->SetUserMode(true);
  EXPECT_TRUE(GetProperty(probe.Get(), "mode").ToBool());
  PutProperty(probe.Get(), "Mode", Variant(1));
  EXPECT_EQ(placed->ChangedProperties(), (std::vector<std::string>{"Mode"}));
  ASSERT_EQ(probe->InitNew(&excep), S_OK);
  ASSERT_EQ(probe->SetExtent(320, 200, &excep), S_OK);
  EXPECT_EQ(probe->calls, (std::vector<std::string>{"init", "resize 320x200"}));
  // A failing hook comes back as an error record, not an exception.
  PropertyBag bag;
  EXPECT_EQ(probe->Load(bag, &excep), DISP_E_EXCEPTION);
  EXPECT_EQ(excep.number, 13);
  probe->SetClientSite(nullptr);
  EXPECT_TRUE(GetProperty(probe.Get(), "mode").ToBool());  // no container: running
}

TEST(ControlModel, CreationReportsAMissingServerLibrary) {
  ASSERT_EQ(RegisterServerClass("Gone.Control", "{0000-GONE}", "Gone", testsupport::Root() / "libgone.so"), S_OK);
  IDispatch* raw = nullptr;
  ExcepInfo excep;
  EXPECT_EQ(CreateObjectByProgID("gone.control", &raw, &excep), CO_E_DLLNOTFOUND);
  EXPECT_EQ(raw, nullptr);
  EXPECT_EQ(excep.number, 429);
  EXPECT_NE(excep.description.find("libgone.so"), std::string::npos);
  try {
    CreateObject("Gone.Control");
    FAIL();
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), 429);
  }
  ASSERT_EQ(UnregisterServerClass("Gone.Control", "{0000-GONE}"), S_OK);
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "CLSID\\{0000-GONE}"));
  EXPECT_EQ(CreateObjectByProgID("Gone.Control", &raw, &excep), REGDB_E_CLASSNOTREG);
}

TEST(ControlModel, SystemColoursTranslateForPainting) {
  EXPECT_EQ(TranslateColor(0x80000005u), RGB(255, 255, 255));
  EXPECT_EQ(TranslateColor(0x80000008u), RGB(0, 0, 0));
  EXPECT_EQ(TranslateColor(0x8000000Fu), RGB(192, 192, 192));
  EXPECT_EQ(TranslateColor(0x00123456u), 0x123456u);
  EXPECT_EQ(TranslateColor(0x01123456u), 0x123456u);
}

}  // namespace
