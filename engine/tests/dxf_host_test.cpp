// A host that knows the control only by its ProgID: it registers the built
// library through the library's own register entry, creates KelvaneEnt.DXF
// and drives it by dispatch identifier, as the program does.
#include <gtest/gtest.h>

#include "engine/dxf_host.h"
#include "test_support.h"
#include "winplat/classreg.h"
#include "winplat/registry.h"

namespace {

using fieldray::engine::DxfHost;
using winplat::AutomationError;
using winplat::Variant;
namespace dispid = kelvane::dispid;

class DxfHostTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(winplat::RegisterServerLibrary(testsupport::ControlLibraryFile()), winplat::S_OK); }
};

TEST_F(DxfHostTest, RegistrationNamesTheLibraryByItsPath) {
  std::string clsid, path;
  ASSERT_EQ(winplat::RegReadString(winplat::HKEY_CLASSES_ROOT, "KelvaneEnt.DXF\\CLSID", "", clsid),
            winplat::ERROR_SUCCESS);
  ASSERT_EQ(winplat::RegReadString(winplat::HKEY_CLASSES_ROOT, "CLSID\\" + clsid + "\\InprocServer32", "", path),
            winplat::ERROR_SUCCESS);
  EXPECT_EQ(std::filesystem::canonical(path), std::filesystem::canonical(testsupport::ControlLibraryFile()));
}

TEST_F(DxfHostTest, HostDrivesTheControlByIdentifier) {
  DxfHost host(0);
  auto& dxf1 = host.DXF1();
  host.SetVisible(false);
  host.Move(0, 0, 640, 480);
  EXPECT_FALSE(host.Visible());
  EXPECT_EQ(winplat::GetProperty(&dxf1, "WIDTH").ToLong(), 640);
  EXPECT_EQ(winplat::GetProperty(&dxf1, "height").ToLong(), 480);
  EXPECT_FALSE(winplat::GetProperty(&dxf1, "Visible").ToBool());

  host.SetFilename("C:\\Drawings\\Part.dxf");
  host.SetCalcExtents(true);
  host.SetFilename("C:\\Drawings\\Part.dxf");
  EXPECT_EQ(winplat::GetProperty(&dxf1, "filename").ToString(), "C:\\Drawings\\Part.dxf");
  EXPECT_TRUE(host.Get(dispid::CalcExtents).ToBool());
  EXPECT_EQ(dxf1.ChangedProperties(), (std::vector<std::string>{"FileName", "CalcExtents", "FileName"}));

  float l = 9, t = 9, r = 9, b = 9;
  EXPECT_TRUE(host.GetExtents(l, t, r, b));
  EXPECT_EQ(l, 0.0f);
  EXPECT_EQ(t, 0.0f);
  EXPECT_EQ(r, 0.0f);
  EXPECT_EQ(b, 0.0f);

  auto layers = host.Get(dispid::Layers).ToObject();
  ASSERT_TRUE(layers);
  EXPECT_EQ(layers->TypeName(), "DXFLayers");
  EXPECT_EQ(winplat::GetProperty(layers.Get(), "count").ToLong(), 0);

  EXPECT_NO_THROW(host.Clear());
  EXPECT_NO_THROW(winplat::Invoke(&dxf1, dispid::Clear, winplat::DISPATCH_METHOD));

  std::string strError;
  winplat::ComPtr<winplat::IDispatch> lines;
  EXPECT_TRUE(host.Query(dispid::GetLines, strError, lines));
  EXPECT_EQ(strError, "");
  ASSERT_TRUE(lines);
  EXPECT_TRUE(DxfHost::Items(lines.Get()).empty());

  // The drawing named is not there: the reader's error reaches the host.
  try {
    host.Regen(kelvane::dxfMergeNew, 0, 0);
    FAIL() << "Regen raised nothing";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), kelvane::kControlError);
    EXPECT_EQ(e.Number(), -2147221503);
    EXPECT_NE(e.Description().find("File not found"), std::string::npos);
    EXPECT_EQ(e.Description().substr(e.Description().size() - 11), " ->  Regen.");
  }
}

TEST_F(DxfHostTest, SavedPropertiesComeBackInANewHost) {
  winplat::PropertyBag bag;
  {
    DxfHost host(0);
    host.Put(dispid::OnTheSpotZoomPctLeft, Variant(90.0f));
    host.Put(dispid::ZoomFunction, Variant(std::int32_t{kelvane::dxfPan}));
    winplat::ExcepInfo excep;
    ASSERT_EQ(host.DXF1().SaveProperties(bag, &excep), winplat::S_OK);
  }
  auto file = testsupport::Root() / "DXF1.bag";
  bag.SaveFile(file);
  winplat::PropertyBag loaded;
  loaded.LoadFile(file);
  DxfHost again(0, &loaded);
  EXPECT_EQ(again.Get(dispid::OnTheSpotZoomPctLeft).ToSingle(), 90.0f);
  EXPECT_EQ(again.Get(dispid::ZoomFunction).ToLong(), kelvane::dxfPan);
  EXPECT_EQ(again.Get(dispid::OnTheSpotZoomPctRight).ToSingle(), 50.0f);
}

TEST(DxfHostRegistration, AMissingLibraryIsReported) {
  // A registry without the control, whatever earlier tests registered.
  ASSERT_EQ(winplat::UnregisterServerClass(kelvane::kProgID, kelvane::kCLSID_DXF), winplat::S_OK);
  EXPECT_EQ(winplat::RegisterServerLibrary(testsupport::Root() / "libmissing.so"), winplat::CO_E_DLLNOTFOUND);
  EXPECT_FALSE(DxfHost::EnsureRegistered(testsupport::Root()));
  EXPECT_FALSE(winplat::RegKeyExists(winplat::HKEY_CLASSES_ROOT, "KelvaneEnt.DXF"));
}

TEST(DxfHostRegistration, EnsureRegisteredFindsTheLibraryBesideTheProgram) {
  // A registration naming a library that is gone is made again.
  ASSERT_EQ(winplat::RegisterServerClass(kelvane::kProgID, kelvane::kCLSID_DXF, "stale", "/nowhere/lib.so"),
            winplat::S_OK);
  ASSERT_TRUE(DxfHost::EnsureRegistered(testsupport::ControlLibraryFile().parent_path()));
  DxfHost host(0);
  EXPECT_EQ(host.DXF1().Object()->TypeName(), "DXF");
  EXPECT_TRUE(DxfHost::EnsureRegistered(testsupport::Root()));  // already registered: nothing to do
}

TEST_F(DxfHostTest, UnregisteredClassCannotBeCreated) {
  ASSERT_EQ(winplat::UnregisterServerLibrary(testsupport::ControlLibraryFile()), winplat::S_OK);
  try {
    DxfHost host(0);
    FAIL() << "created an unregistered class";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), 429);
    EXPECT_NE(e.Description().find("KelvaneEnt.DXF"), std::string::npos);
  }
}

}  // namespace
