#include <gtest/gtest.h>

#include "../dxf_control.h"
#include "test_server.h"
#include "winplat/classreg.h"
#include "winplat/container.h"
#include "winplat/module.h"
#include "winplat/picture.h"
#include "winplat/screen.h"
#include "winplat/window.h"

extern "C" winplat::HRESULT DllGetClassObject(const char* clsid, winplat::IClassFactory** factory) noexcept;
extern "C" winplat::HRESULT DllCanUnloadNow() noexcept;

namespace {

using namespace kelvane;
using winplat::AutomationError;
using winplat::ComPtr;
using winplat::PropertyBag;
using winplat::Variant;

// One DXF control placed by a container (in run or design mode), created by
// ProgID from the test server's registration.
struct Placed {
  explicit Placed(bool userMode = true) {
    EXPECT_EQ(winplat::RegisterServerClass(kProgID, kCLSID_DXF, kClassDescription, kelvanetest::ServerLibrary()),
              winplat::S_OK);
    site = winplat::PlaceControl(kProgID, "DXF1", 0, userMode);
    dxf = winplat::QueryInterface<DXF>(site->Object());
    EXPECT_TRUE(dxf);
  }
  ComPtr<winplat::PlacedControl> site;
  ComPtr<DXF> dxf;
};

std::int32_t ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const AutomationError& e) {
    return e.Number();
  }
  return 0;
}

TEST(DXFControl, NewInstanceDefaults) {
  Placed p;
  winplat::ExcepInfo excep;
  ASSERT_EQ(p.dxf->InitNew(&excep), winplat::S_OK);
  DXF& d = *p.dxf;
  EXPECT_EQ(d.OnTheSpotZoomPctLeft, 200.0f);
  EXPECT_EQ(d.OnTheSpotZoomPctRight, 50.0f);
  EXPECT_EQ(d.ZoomFunction, dxfDrillDown);
  EXPECT_EQ(d.RedlineTextHeight, 1.0f);
  EXPECT_EQ(d.RedlineEntityType, dxfRedLineNone);
  EXPECT_EQ(d.UseDXFFonts, -1);
  EXPECT_EQ(d.MonoFontName, "Courier New");
  EXPECT_EQ(d.PropFontName, "Arial");
  EXPECT_EQ(d.TmpFileNamePath, "");
  EXPECT_EQ(d.About.ToLong(), 0);
  EXPECT_EQ(d.picKelvane.Align, 1);
  EXPECT_EQ(d.LastRedrawResult, 0);
  // colDrawings exists from creation; colLayers only once used.
  EXPECT_EQ(winplat::GetProperty(p.dxf.Get(), "colDrawings").ToObject()->TypeName(), "Collection");
  EXPECT_FALSE(winplat::GetProperty(p.dxf.Get(), "colLayers").ToObject());
  auto layers = winplat::GetProperty(p.dxf.Get(), "Layers").ToObject();
  EXPECT_EQ(winplat::GetProperty(p.dxf.Get(), "colLayers").ToObject().Get(), layers.Get());
}

TEST(DXFControl, EmptyBagGivesTheDefaultsWithTheSystemWindowBackground) {
  Placed p;
  PropertyBag empty;
  winplat::ExcepInfo excep;
  ASSERT_EQ(p.dxf->Load(empty, &excep), winplat::S_OK);
  EXPECT_EQ(p.dxf->picKelvane.BackColor, static_cast<std::int32_t>(0x80000005u));
  EXPECT_EQ(p.dxf->picKelvane.PaintBackColor(), winplat::RGB(255, 255, 255));
  EXPECT_EQ(p.dxf->TmpFileNamePath, "C:\\TEMP");  // as read: no separator added
  EXPECT_EQ(p.dxf->OnTheSpotZoomPctLeft, 200.0f);
  EXPECT_EQ(p.dxf->picKelvane.DrawMode, 13);
  EXPECT_TRUE(p.dxf->picKelvane.AutoRedraw);
  EXPECT_EQ(p.dxf->UseDXFFonts, -1);
  EXPECT_EQ(p.dxf->RedlineEntityType, -1);
  EXPECT_EQ(p.dxf->LoadedFileName, "");
  // A new instance saves nothing but its background.
  ASSERT_EQ(p.dxf->InitNew(&excep), winplat::S_OK);
  PropertyBag bag;
  ASSERT_EQ(p.dxf->Save(bag, &excep), winplat::S_OK);
  EXPECT_EQ(bag.Serialize(), "BackColor\tLong\t-2147483643\n");
}

TEST(DXFControl, BackColorIsWrittenAndReadTwice) {
  for (std::int32_t colour : {0xFFFFFF, static_cast<std::int32_t>(0x80000005u), 0x123456}) {
    Placed p;
    winplat::ExcepInfo excep;
    p.dxf->InitNew(&excep);
    p.dxf->SetBackColor(colour);
    PropertyBag bag;
    ASSERT_EQ(p.dxf->Save(bag, &excep), winplat::S_OK);
    EXPECT_EQ(bag.ReadProperty("BackColor", Variant(0)).ToLong(), colour);
    Placed q;
    ASSERT_EQ(q.dxf->Load(bag, &excep), winplat::S_OK);
    EXPECT_EQ(q.dxf->picKelvane.BackColor, colour);
  }
}

TEST(DXFControl, PropertyBagRoundTripStoresValuesWithoutTheAssignmentRules) {
  Placed p;
  winplat::ExcepInfo excep;
  p.dxf->InitNew(&excep);
  p.dxf->SetFilename("C:\\a.dxf");
  p.dxf->SetTmpFileNamePath("D:\\T");
  p.dxf->SetDisplayAttributes(1);
  winplat::PutProperty(p.dxf.Get(), "PrintAllBlack", Variant(true));
  winplat::PutProperty(p.dxf.Get(), "monofontname", Variant("Mono"));
  winplat::PutProperty(p.dxf.Get(), "RedlineEntitySelected", Variant("sel"));
  p.dxf->SetZoomFunction(dxfDrawBox);
  PropertyBag bag;
  ASSERT_EQ(p.dxf->Save(bag, &excep), winplat::S_OK);
  EXPECT_EQ(bag.ReadProperty("FileName", Variant("")).ToString(), "C:\\a.dxf");
  EXPECT_FALSE(bag.Contains("Filename") && !bag.Contains("FileName"));

  SetLibraryZoomFunction(dxfWindow);
  Placed q;
  ASSERT_EQ(q.dxf->Load(bag, &excep), winplat::S_OK);
  EXPECT_EQ(LibraryZoomFunction(), dxfDrawBox);
  EXPECT_EQ(q.dxf->Filename, "C:\\a.dxf");
  EXPECT_EQ(q.dxf->LoadedFileName, "");  // the read sets only the stored value
  EXPECT_EQ(q.dxf->TmpFileNamePath, "D:\\T\\");
  EXPECT_EQ(q.dxf->DisplayAttributes, 1);
  EXPECT_EQ(q.dxf->AttribDisplayMode, 1);
  EXPECT_EQ(q.dxf->PrintAllBlack, -1);
  EXPECT_EQ(q.dxf->MonoFontName, "Mono");
  EXPECT_EQ(q.dxf->RedlineEntitySelected.ToString(), "sel");
  // A stored value of the wrong kind fails the load with the trail.
  PropertyBag bad;
  bad.WriteProperty("OnTheSpotZoomPctLeft", Variant("wide"), Variant(200.0f));
  EXPECT_EQ(q.dxf->Load(bad, &excep), winplat::DISP_E_EXCEPTION);
  EXPECT_EQ(excep.number, kControlError);
  EXPECT_EQ(excep.description, "Type mismatch\r\n ->  UserControl_ReadProperties.");
}

// A picture of w x h pixels, each a colour of its own.
winplat::Picture Pattern(int w, int h, std::uint32_t seed) {
  winplat::Picture pic{w, h, {}};
  for (int i = 0; i < w * h; ++i) pic.pixels.push_back((seed * 2654435761u + static_cast<std::uint32_t>(i) * 40503u) & 0xFFFFFFu);
  return pic;
}

winplat::Picture PixelsOf(const ComPtr<winplat::IDispatch>& object) {
  auto picture = winplat::QueryInterface<winplat::PictureObject>(object.Get());
  return picture ? picture->Pixels() : winplat::Picture{};
}

TEST(DXFControl, PictureAndMouseIconSurviveTheBagPixelForPixel) {
  const winplat::Picture own = Pattern(7, 5, 1), icon = Pattern(32, 32, 2);
  Placed p;
  winplat::ExcepInfo excep;
  p.dxf->InitNew(&excep);
  p.dxf->Picture = winplat::PictureObject::FromPixels(own);
  winplat::PutPropertyRef(p.dxf.Get(), "MouseIcon", Variant(winplat::PictureObject::FromPixels(icon)));
  PropertyBag bag;
  ASSERT_EQ(p.dxf->Save(bag, &excep), winplat::S_OK) << excep.description;
  // Through the bag's text form, as a container keeps it.
  const std::string text = bag.Serialize();
  EXPECT_NE(text.find("Picture\tPicture\t"), std::string::npos);
  EXPECT_NE(text.find("MouseIcon\tPicture\t"), std::string::npos);
  PropertyBag kept;
  kept.Parse(text);

  Placed q;
  ASSERT_EQ(q.dxf->Load(kept, &excep), winplat::S_OK) << excep.description;
  for (const auto& [restored, expected] : {std::pair{q.dxf->Picture, own}, std::pair{q.dxf->MouseIcon, icon}}) {
    const winplat::Picture back = PixelsOf(restored);
    EXPECT_EQ(back.width, expected.width);
    EXPECT_EQ(back.height, expected.height);
    EXPECT_EQ(back.pixels, expected.pixels);
  }
  EXPECT_EQ(winplat::GetProperty(q.dxf.Get(), "MouseIcon").ToObject().Get(), q.dxf->MouseIcon.Get());
  // The icon is restored through its set operation, the picture directly.
  EXPECT_EQ(q.site->ChangedProperties(), std::vector<std::string>{"MouseIcon"});

  // A bag without them gives none; an object that is no picture is saved as none.
  Placed r;
  r.dxf->Picture = p.dxf->Picture;
  r.dxf->MouseIcon = p.dxf->MouseIcon;
  ASSERT_EQ(r.dxf->Load(PropertyBag{}, &excep), winplat::S_OK);
  EXPECT_FALSE(r.dxf->Picture);
  EXPECT_FALSE(r.dxf->MouseIcon);
  r.dxf->Picture = winplat::GetProperty(r.dxf.Get(), "colDrawings").ToObject();
  r.dxf->SetMouseIcon(r.dxf->Picture);
  PropertyBag none;
  ASSERT_EQ(r.dxf->Save(none, &excep), winplat::S_OK) << excep.description;
  EXPECT_FALSE(none.Contains("Picture"));
  EXPECT_FALSE(none.Contains("MouseIcon"));
}

TEST(DXFControl, AssignmentRulesAndSignals) {
  Placed p;
  auto* obj = p.dxf.Get();
  winplat::PutProperty(obj, "TmpFileNamePath", Variant("C:\\TEMP"));
  EXPECT_EQ(p.dxf->TmpFileNamePath, "C:\\TEMP\\");
  winplat::PutProperty(obj, "TmpFileNamePath", Variant("C:\\X\\"));
  EXPECT_EQ(p.dxf->TmpFileNamePath, "C:\\X\\");
  winplat::PutProperty(obj, "Filename", Variant("C:\\new.dxf"));
  EXPECT_EQ(p.dxf->LoadedFileName, "C:\\new.dxf");
  winplat::PutProperty(obj, "ZoomFunction", Variant(std::int32_t{dxfPan}));
  EXPECT_EQ(LibraryZoomFunction(), dxfPan);
  winplat::PutProperty(obj, "ZoomFunction", Variant(std::int32_t{dxfWindow}));
  EXPECT_EQ(LibraryZoomFunction(), dxfWindow);
  std::uint32_t clears = p.dxf->picKelvane.ClearCount;
  winplat::PutProperty(obj, "DisplayAttributes", Variant(std::int32_t{dxfAttribsOn}));
  EXPECT_EQ(p.dxf->AttribDisplayMode, 1);
  EXPECT_EQ(p.dxf->picKelvane.ClearCount, clears);  // nothing drawn yet: no redraw
  winplat::PutProperty(obj, "BackColor", Variant(std::int32_t{0xFF}));
  winplat::PutProperty(obj, "MousePointer", Variant(std::int16_t{11}));
  EXPECT_EQ(p.dxf->picKelvane.MousePointer, 11);
  EXPECT_EQ(p.site->ChangedProperties(),
            (std::vector<std::string>{"TmpFileNamePath", "TmpFileNamePath", "FileName", "ZoomFunction",
                                      "ZoomFunction", "DisplayAttributes", "BackColor", "MousePointer"}));
  EXPECT_EQ(ErrorOf([&] { winplat::PutProperty(obj, "hWnd", Variant(1)); }), 383);
  EXPECT_EQ(ErrorOf([&] { winplat::PutProperty(obj, "DisplayAllBlack", Variant("perhaps")); }), 13);
}

TEST(DXFControl, RedlineSelectionCannotBeSetAtDesignTime) {
  Placed design(false);
  auto* obj = design.dxf.Get();
  try {
    winplat::PutProperty(obj, "RedlineEntityType", Variant(std::int32_t{dxfRedLineNewText}));
    FAIL();
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), 382);
    EXPECT_EQ(e.Description(), "Set not supported at runtime");
  }
  EXPECT_EQ(ErrorOf([&] { winplat::PutProperty(obj, "RedlineEntitySelected", Variant(5)); }), 382);
  EXPECT_EQ(design.dxf->RedlineEntityType, dxfRedLineNone);
  EXPECT_EQ(design.dxf->RedlineEntitySelected.ToLong(), 0);
  EXPECT_TRUE(design.site->ChangedProperties().empty());
  design.site->SetUserMode(true);
  winplat::PutProperty(obj, "RedlineEntityType", Variant(std::int32_t{dxfRedLineNewText}));
  EXPECT_EQ(design.dxf->RedlineEntityType, dxfRedLineNewText);
}

TEST(DXFControl, ErrorTrailCollectsProcedureNamesInnermostFirst) {
  try {
    WithErrorTrail("Regen", [] { WithErrorTrail("LoadDXF", [] { winplat::CInt(1e6); }); });
    FAIL();
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), -2147221503);
    EXPECT_EQ(e.Source(), "KelvaneEnt");
    EXPECT_EQ(e.Description(), "Overflow\r\n ->  LoadDXF.\r\n ->  Regen.");
  }
  // A procedure's own error keeps its source on the way out; the cleanup runs.
  bool cleaned = false;
  try {
    WithErrorTrail(
        "Regen", [] { throw ProcedureError("LoadDXF", "Not a DXF file"); }, [&] { cleaned = true; });
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Source(), "LoadDXF");
    EXPECT_EQ(e.Description(), "Not a DXF file\r\n ->  Regen.");
  }
  EXPECT_TRUE(cleaned);
  // A drawing procedure's failure sets the screen's pointer back and clears picKelvane.
  Placed p;
  winplat::SetMousePointer(winplat::vbHourglass);
  std::uint32_t clears = p.dxf->picKelvane.ClearCount;
  EXPECT_THROW(WithErrorTrail("Zoom", [] { throw winplat::RuntimeError(9); }, p.dxf->DrawingCleanup()),
               AutomationError);
  EXPECT_EQ(winplat::MousePointer(), winplat::vbDefault);
  EXPECT_EQ(p.dxf->picKelvane.ClearCount, clears + 1);
}

TEST(DXFControl, EveryMemberAnswersAtItsIdentifierByName) {
  Placed p;
  const std::pair<const char*, std::int32_t> members[] = {
      {"colLayers", dispid::colLayers}, {"DXFComplete", dispid::DXFComplete}, {"InsertCount", dispid::InsertCount},
      {"RedlineEntityID", dispid::RedlineEntityID}, {"colSprites", dispid::colSprites},
      {"colDrawings", dispid::colDrawings}, {"gsScaler", dispid::gsScaler}, {"DXFXMin", dispid::DXFXMin},
      {"DXFYMin", dispid::DXFYMin}, {"GetInsertUnder", dispid::GetInsertUnder},
      {"RedlineTagForDelete", dispid::RedlineTagForDelete}, {"ExportMergedDXF", dispid::ExportMergedDXF},
      {"DXFTransform", dispid::DXFTransform}, {"SetMergeExtents", dispid::SetMergeExtents},
      {"SpriteAdd", dispid::SpriteAdd}, {"SpriteCheck", dispid::SpriteCheck}, {"SpriteShow", dispid::SpriteShow},
      {"SpriteSetColor", dispid::SpriteSetColor}, {"SpriteTempLine", dispid::SpriteTempLine},
      {"SpriteZoom", dispid::SpriteZoom}, {"SpriteMove", dispid::SpriteMove}, {"SpriteHide", dispid::SpriteHide},
      {"SpriteInitialize", dispid::SpriteInitialize}, {"GetInsert", dispid::GetInsert},
      {"GetLines", dispid::GetLines}, {"GetPolyLines", dispid::GetPolyLines}, {"GetStrings", dispid::GetStrings},
      {"GetSolids", dispid::GetSolids}, {"GetCircles", dispid::GetCircles}, {"GetAttribs", dispid::GetAttribs},
      {"GetInserts", dispid::GetInserts}, {"GetBlocks", dispid::GetBlocks},
      {"GetCurrentZoom", dispid::GetCurrentZoom}, {"SetCurrentZoom", dispid::SetCurrentZoom},
      {"Pan", dispid::Pan}, {"IntToRealX", dispid::IntToRealX}, {"IntToRealY", dispid::IntToRealY},
      {"CvtX", dispid::CvtX}, {"CvtY", dispid::CvtY}, {"SetInsertColor", dispid::SetInsertColor},
      {"VerticalScroll", dispid::VerticalScroll}, {"HorizontalScroll", dispid::HorizontalScroll},
      {"ZoomExtents", dispid::ZoomExtents}, {"Plot", dispid::Plot}, {"Refresh", dispid::Refresh},
      {"Regen", dispid::Regen}, {"OnTheSpotZoom", dispid::OnTheSpotZoom}, {"ZoomInitiate", dispid::ZoomInitiate},
      {"ZoomEnd", dispid::ZoomEnd}, {"ZoomFeedback", dispid::ZoomFeedback}, {"ZoomPrevious", dispid::ZoomPrevious},
      {"SaveWMFOld", dispid::SaveWMFOld}, {"SaveWMF", dispid::SaveWMF}, {"DXFRefresh", dispid::DXFRefresh},
      {"Find", dispid::Find}, {"FixUNIXFile", dispid::FixUNIXFile}, {"Save", dispid::Save},
      {"DXFAddLine", dispid::DXFAddLine}, {"DXFAddSolid", dispid::DXFAddSolid},
      {"DXFAddCircle", dispid::DXFAddCircle}, {"DXFAddText", dispid::DXFAddText}, {"About", dispid::About},
      {"Clear", dispid::Clear}, {"RedlineDeleteEntity", dispid::RedlineDeleteEntity},
      {"RedlineUnDeleteEntity", dispid::RedlineUnDeleteEntity}, {"GetExtents", dispid::GetExtents},
      {"MousePointer", dispid::MousePointer}, {"MouseIcon", dispid::MouseIcon},
      {"DisplayAllBlack", dispid::DisplayAllBlack}, {"DXFDisplayed", dispid::DXFDisplayed},
      {"AutoRedraw", dispid::AutoRedraw}, {"hWnd", dispid::hWnd}, {"hDC", dispid::hDC}, {"Image", dispid::Image},
      {"CalcExtents", dispid::CalcExtents}, {"RedlineCurrentLayer", dispid::RedlineCurrentLayer},
      {"RedlineEntityType", dispid::RedlineEntityType}, {"RedlineEntitySelected", dispid::RedlineEntitySelected},
      {"RedlineTextHeight", dispid::RedlineTextHeight}, {"Layers", dispid::Layers},
      {"DisplayAttributes", dispid::DisplayAttributes}, {"ZoomFunction", dispid::ZoomFunction},
      {"OnTheSpotZoomPctRight", dispid::OnTheSpotZoomPctRight}, {"PropFontScalar", dispid::PropFontScalar},
      {"PropFontName", dispid::PropFontName}, {"MonoFontName", dispid::MonoFontName},
      {"MonoFontScalar", dispid::MonoFontScalar}, {"OnTheSpotZoomPctLeft", dispid::OnTheSpotZoomPctLeft},
      {"TmpFileNamePath", dispid::TmpFileNamePath}, {"Filename", dispid::Filename},
      {"PrintAllBlack", dispid::PrintAllBlack}, {"Enabled", dispid::Enabled}, {"UseDXFFonts", dispid::UseDXFFonts},
      {"BackColor", dispid::BackColor}};
  for (const auto& [name, id] : members) {
    std::string lower(name);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(winplat::DispIdOf(p.dxf.Get(), lower), id) << name;
  }
}

TEST(DXFControl, TooManyArgumentsAreError450) {
  Placed p;
  EXPECT_EQ(ErrorOf([&] { winplat::Invoke(p.dxf.Get(), dispid::Clear, winplat::DISPATCH_METHOD, {Variant(1)}); }), 450);
}

TEST(DXFControl, ClearKeepsTheDataBaseAndGetExtentsCopiesTheExtents) {
  Placed p;
  p.dxf->db.InitDB(true);
  LineRecord line;
  line.X2 = 4;
  p.dxf->db.AddLine(line, Growth::Loader);
  p.dxf->db.DrawingExtents = ExtentsRect{-1, 8, 4, -2};
  winplat::Invoke(p.dxf.Get(), dispid::Clear, winplat::DISPATCH_METHOD);
  EXPECT_EQ(p.dxf->picKelvane.ClearCount, 1u);
  EXPECT_EQ(p.dxf->db.LineCount, 1);
  EXPECT_EQ(p.dxf->db.EntityCount, 1);
  Variant l, t, r, b;
  EXPECT_TRUE(winplat::CallMethod(p.dxf.Get(), "getextents",
                                  {Variant::ByRef(&l), Variant::ByRef(&t), Variant::ByRef(&r), Variant::ByRef(&b)})
                  .ToBool());
  EXPECT_EQ(l.Type(), winplat::VarType::Single);
  EXPECT_EQ(l.ToSingle(), -1.0f);
  EXPECT_EQ(t.ToSingle(), 8.0f);
  EXPECT_EQ(r.ToSingle(), 4.0f);
  EXPECT_EQ(b.ToSingle(), -2.0f);
}

// Records every event of the control in order.
class EventLog : public winplat::DispatchObject {
 public:
  EventLog() : DispatchObject("EventLog") {
    auto mouse = [this](const char* name) {
      return [this, name](winplat::Args& a) {
        lines.push_back(std::string(name) + " " + a.String(0) + " " + a.String(1) + " " + a.String(2) + " " +
                        a.String(3));
        return Variant();
      };
    };
    AddMethod(dispid::MouseDown, "MouseDown", mouse("down"), 4);
    AddMethod(dispid::MouseMove, "MouseMove", mouse("move"), 4);
    AddMethod(dispid::MouseUp, "MouseUp", mouse("up"), 4);
    AddMethod(
        dispid::LinesRead, "LinesRead",
        [this](winplat::Args& a) {
          lines.push_back("read " + a.String(0));
          return Variant();
        },
        1);
    AddMethod(
        dispid::ZoomComplete, "ZoomComplete",
        [this](winplat::Args&) {
          lines.push_back("zoom");
          return Variant();
        },
        0);
  }
  std::vector<std::string> lines;
};

TEST(DXFControl, EventsReachTheHostsSinkInOrder) {
  Placed p;
  auto log = winplat::MakeObject<EventLog>();
  ASSERT_NE(p.site->ConnectEvents(log.Get()), 0u);
  p.dxf->picKelvane_MouseDown(1, 0, 10.5f, 20);
  p.dxf->picKelvane_MouseMove(1, 2, 11, 21);
  p.dxf->picKelvane_MouseUp(1, 0, 12, 22);
  float pct = 50;
  p.dxf->RaiseLinesRead(pct);
  p.dxf->RaiseZoomComplete();
  EXPECT_EQ(log->lines, (std::vector<std::string>{"down 1 0 10.5 20", "move 1 2 11 21", "up 1 0 12 22", "read 50",
                                                  "zoom"}));
}

TEST(DXFControl, ResizeLaysOutTheDrawingAndStatusBoxes) {
  Placed p;
  winplat::ExcepInfo excep;
  ASSERT_EQ(p.site->Move(0, 0, 400, 300, &excep), winplat::S_OK);
  EXPECT_EQ(p.dxf->picKelvane.Height, 300);
  EXPECT_EQ(p.dxf->picKelvane.Width, 400);
  EXPECT_EQ(p.dxf->picStatusBar.Width, 400);
  EXPECT_EQ(p.dxf->picStatusBar.Top, 300 - p.dxf->picStatusBar.Height);
}

TEST(DXFControl, ServerEntries) {
  winplat::IClassFactory* factory = nullptr;
  EXPECT_EQ(DllGetClassObject("{00000000-0000-0000-0000-000000000000}", &factory), winplat::CLASS_E_CLASSNOTAVAILABLE);
  ASSERT_EQ(DllGetClassObject(kCLSID_DXF, &factory), winplat::S_OK);
  auto f = ComPtr<winplat::IClassFactory>::Adopt(factory);
  EXPECT_EQ(DllCanUnloadNow(), winplat::S_OK);
  winplat::IDispatch* raw = nullptr;
  ASSERT_EQ(f->CreateInstance(&raw, nullptr), winplat::S_OK);
  auto control = ComPtr<winplat::IDispatch>::Adopt(raw);
  EXPECT_EQ(control->TypeName(), "DXF");
  EXPECT_EQ(DllCanUnloadNow(), winplat::S_FALSE);
  control.Reset();
  EXPECT_EQ(DllCanUnloadNow(), winplat::S_OK);
}

}  // namespace

namespace {

winplat::LRESULT FormProc(winplat::HWND h, winplat::UINT m, winplat::WPARAM w, winplat::LPARAM l) {
  return winplat::DefWindowProc(h, m, w, l);
}

TEST(DXFControl, PictureBoxesAreChildWindowsOfTheHostAndForwardTheMouse) {
  winplat::WNDCLASS wc;
  wc.lpfnWndProc = &FormProc;
  wc.lpszClassName = "TestHostForm";
  winplat::RegisterClass(wc);
  winplat::HWND form = winplat::CreateWindow("TestHostForm", "Host", winplat::WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, 0, 0,
                                             0, 0);
  ASSERT_NE(form, 0u);
  ASSERT_EQ(winplat::RegisterServerClass(kProgID, kCLSID_DXF, kClassDescription, kelvanetest::ServerLibrary()),
            winplat::S_OK);
  auto placed = winplat::PlaceControl(kProgID, "DXF1", form, true);
  auto dxf = winplat::QueryInterface<DXF>(placed->Object());
  ASSERT_TRUE(dxf);
  winplat::HWND pic = static_cast<winplat::HWND>(winplat::GetProperty(placed.Get(), "hWnd").ToLong());
  ASSERT_NE(pic, 0u);
  EXPECT_EQ(winplat::GetParent(pic), form);
  EXPECT_EQ(winplat::GetParent(dxf->picStatusBar.hWnd), form);
  EXPECT_FALSE(winplat::IsWindowVisible(dxf->picHandle[2].hWnd));

  winplat::ExcepInfo excep;
  ASSERT_EQ(placed->Move(10, 20, 300, 200, &excep), winplat::S_OK);
  winplat::RECT r;
  ASSERT_TRUE(winplat::GetClientRect(pic, &r));
  EXPECT_EQ(r.right - r.left, 300);
  EXPECT_EQ(r.bottom - r.top, 200);
  winplat::POINT origin;
  winplat::ClientToScreen(pic, &origin);
  winplat::ScreenToClient(form, &origin);
  EXPECT_EQ(origin.x, 10);
  EXPECT_EQ(origin.y, 20);

  auto log = winplat::MakeObject<EventLog>();
  ASSERT_NE(placed->ConnectEvents(log.Get()), 0u);
  const int twips = winplat::TwipsPerPixel();
  winplat::SendMessage(pic, winplat::WM_LBUTTONDOWN, winplat::MK_LBUTTON | winplat::MK_SHIFT, winplat::MAKELPARAM(4, 6));
  dxf->picKelvane.ScaleMode = 3;  // pixels, as once a drawing is shown
  winplat::SendMessage(pic, winplat::WM_MOUSEMOVE, winplat::MK_LBUTTON | winplat::MK_CONTROL, winplat::MAKELPARAM(5, 7));
  winplat::SendMessage(pic, winplat::WM_RBUTTONUP, 0, winplat::MAKELPARAM(5, 7));
  winplat::SendMessage(dxf->picHandle[0].hWnd, winplat::WM_LBUTTONDOWN, winplat::MK_LBUTTON, 0);
  EXPECT_EQ(log->lines, (std::vector<std::string>{"down 1 1 " + std::to_string(4 * twips) + " " + std::to_string(6 * twips),
                                                  "move 1 2 5 7", "up 2 0 5 7"}));

  // The drawing box paints with its background, the system colour translated.
  winplat::Picture shot = winplat::CaptureWindow(pic);
  ASSERT_EQ(shot.width, 300);
  EXPECT_EQ(shot.At(150, 100), winplat::RGB(255, 255, 255));
  winplat::PutProperty(placed.Get(), "BackColor", Variant(static_cast<std::int32_t>(winplat::RGB(255, 0, 0))));
  EXPECT_EQ(winplat::CaptureWindow(pic).At(10, 10), winplat::RGB(255, 0, 0));
  winplat::HDC dc = static_cast<winplat::HDC>(winplat::GetProperty(placed.Get(), "hDC").ToLong());
  ASSERT_NE(dc, 0u);
  winplat::SetPixel(dc, 1, 1, winplat::RGB(0, 0, 255));
  EXPECT_EQ(winplat::CaptureWindowPersistent(pic).At(1, 1), winplat::RGB(0, 0, 255));
  auto image = winplat::GetProperty(placed.Get(), "Image").ToObject();
  ASSERT_TRUE(image);
  EXPECT_EQ(static_cast<winplat::HGDIOBJ>(winplat::GetProperty(image.Get(), "Handle").ToLong()),
            winplat::GetCurrentObject(dc, winplat::OBJ_BITMAP));
  EXPECT_EQ(winplat::GetProperty(image.Get(), "width").ToLong(), 300);
  winplat::Invoke(placed.Get(), dispid::Clear, winplat::DISPATCH_METHOD);
  EXPECT_EQ(winplat::CaptureWindowPersistent(pic).At(1, 1), winplat::RGB(255, 0, 0));
  winplat::PutProperty(placed.Get(), "AutoRedraw", Variant(false));
  EXPECT_FALSE(winplat::GetProperty(placed.Get(), "Image").ToObject());
  EXPECT_NE(winplat::GetProperty(placed.Get(), "hDC").ToLong(), 0);

  placed->SetVisible(false);
  EXPECT_FALSE(winplat::IsWindowVisible(pic));
  placed = nullptr;  // the container lets go: the control's windows go with it
  EXPECT_FALSE(winplat::IsWindow(pic));
  winplat::DestroyWindow(form);
}

}  // namespace
