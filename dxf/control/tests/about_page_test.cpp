// The about box shown by About, its buttons and the system-information start,
// and the Appearance property page over a placed control.
#include <sys/stat.h>
#include <sys/wait.h>

#include <sstream>

#include "../about_box.h"
#include "../pp_appearance.h"
#include "render_fixture.h"
#include "winplat/controls/operator.h"
#include "winplat/msgbox.h"
#include "winplat/registry.h"
#include "winplat/shell.h"

extern "C" winplat::HRESULT DllRegisterServer() noexcept;
extern "C" winplat::HRESULT DllUnregisterServer() noexcept;

namespace {

using namespace rendertest;
using winplat::Variant;
namespace wc = winplat::controls;

constexpr const char* kInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kLocationKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

// Runs the operator's commands while About shows its box.
int AboutWithCommands(winplat::IDispatch* dxf, const std::string& commands, std::ostringstream& log) {
  std::istringstream in(commands);
  wc::OperatorScript script(in, log);
  winplat::Invoke(dxf, kelvane::dispid::About, winplat::DISPATCH_METHOD);
  return script.Failures();
}

// A script on the machine root that leaves a mark beside itself when run.
void PutProgram(const std::string& folder, const std::string& name) {
  auto path = testsupport::WriteFile(testsupport::Root() / "C" / folder / name,
                                     "#!/bin/sh\necho ran > \"$(dirname \"$0\")/ran.txt\"\n");
  ::chmod(path.c_str(), 0755);
}

bool RanIn(const std::string& folder) {
  const auto starts = winplat::ShellStarts();
  if (starts.empty()) return false;
  int status = 0;
  ::waitpid(starts.back().processId, &status, 0);
  return testsupport::ReadFile(testsupport::Root() / "C" / folder / "ran.txt") == "ran\n";
}

class AboutAndPage : public RenderTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(RenderTest::SetUp());
    winplat::ClearShellRequests();
    winplat::ClearShellStarts();
    winplat::RegRemoveTree(winplat::HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft");
  }
};

TEST_F(AboutAndPage, AboutBoxButtonsAskTheShellAndStartSystemInformation) {
  std::ostringstream log;
  EXPECT_EQ(AboutWithCommands(dxf.Get(), "click frmAbout.cmdWeb\nclick frmAbout.cmdOK\n", log), 0) << log.str();
  EXPECT_EQ(wc::Form::Named("frmAbout"), nullptr);  // unloaded when About returned
  const auto requests = winplat::ShellRequests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].operation, "open");
  EXPECT_EQ(requests[0].file, kelvane::kVendorHomePage);
  EXPECT_EQ(requests[0].show, 1);
  EXPECT_NE(requests[0].owner, 0u);
  // Without commands the box goes away at the end of input: About never hangs.
  std::ostringstream quiet;
  EXPECT_EQ(AboutWithCommands(dxf.Get(), "", quiet), 0);

  // System information starts from either key, or the box says it is unavailable.
  auto put = [](const char* key, const char* name, const char* value) {
    ASSERT_EQ(winplat::RegWriteString(winplat::HKEY_LOCAL_MACHINE, key, name, value), winplat::ERROR_SUCCESS);
  };
  // The tool's own path, started by the box's button.
  PutProgram("Tools", "msinfo32.exe");
  ASSERT_NO_FATAL_FAILURE(put(kInfoKey, "PATH", "C:\\Tools\\msinfo32.exe"));
  EXPECT_EQ(AboutWithCommands(dxf.Get(), "click frmAbout.cmdSysInfo\nclick frmAbout.cmdOK\n", log), 0) << log.str();
  ASSERT_TRUE(RanIn("Tools"));
  EXPECT_EQ(winplat::ShellStarts().back().program, "C:\\Tools\\msinfo32.exe");
  EXPECT_EQ(winplat::ShellStarts().back().windowStyle, winplat::vbNormalFocus);
  // The shared-tools folder, when the tool is there.
  winplat::RegRemoveTree(winplat::HKEY_LOCAL_MACHINE, kInfoKey);
  PutProgram("Shared", "MSINFO32.EXE");
  ASSERT_NO_FATAL_FAILURE(put(kLocationKey, "MSINFO", "C:\\Shared"));
  winplat::MessageBoxScript boxes;
  kelvane::StartSysInfo();
  ASSERT_TRUE(RanIn("Shared"));
  EXPECT_TRUE(boxes.Shown().empty());
  // A folder without the tool, a path to nothing, no keys: the message.
  ASSERT_NO_FATAL_FAILURE(put(kLocationKey, "MSINFO", "C:\\Empty"));
  kelvane::StartSysInfo();
  ASSERT_NO_FATAL_FAILURE(put(kInfoKey, "PATH", "C:\\Tools\\gone.exe"));
  kelvane::StartSysInfo();
  winplat::RegRemoveTree(winplat::HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft");
  kelvane::StartSysInfo();
  ASSERT_EQ(boxes.Shown().size(), 3u);
  for (const auto& box : boxes.Shown()) {
    EXPECT_EQ(box.text, "System Information Is Unavailable At This Time");
    EXPECT_EQ(box.flags, 0u);
  }
}

TEST_F(AboutAndPage, GetKeyValueReadsStringsAndNumbers) {
  const auto hklm = winplat::HKEY_LOCAL_MACHINE;
  winplat::RegWriteDword(hklm, kInfoKey, "Number", 261);  // bytes 05 01 00 00
  winplat::RegWriteString(hklm, kInfoKey, "Text", "C:\\Tools");
  const struct { const char* key; const char* name; bool found; const char* value; } cases[] = {
      {kInfoKey, "Number", true, "261"}, {kInfoKey, "Text", true, "C:\\Tools"},
      {kInfoKey, "Missing", false, ""},  {"SOFTWARE\\Nowhere", "Text", false, ""}};
  for (const auto& c : cases) {
    std::string value = "old";  // cleared when nothing is found
    EXPECT_EQ(kelvane::GetKeyValue(hklm, c.key, c.name, value), c.found) << c.key << " " << c.name;
    EXPECT_EQ(value, c.value) << c.key << " " << c.name;
  }
}

TEST_F(AboutAndPage, ThePageReadsAndAppliesTheFiveProperties) {
  ASSERT_EQ(dxf->PropertyPages(), std::vector<std::string>{kelvane::kPageProgID});
  ASSERT_EQ(DllRegisterServer(), winplat::S_OK);  // the control and its page
  // The same records naming the stand-in server, which the registry can load.
  ASSERT_EQ(winplat::RegisterServerLibrary(kelvanetest::ServerLibrary()), winplat::S_OK);
  winplat::ComPtr<winplat::IDispatch> object = winplat::CreateObject(kelvane::kPageProgID);
  auto page = winplat::QueryInterface<kelvane::ppAppearanceObject>(object.Get());
  ASSERT_TRUE(page);
  kelvane::ppAppearance& pp = page->Page;
  pp.Show();  // as a form designer shows it
  winplat::IDispatch* control = dxf.Get();
  winplat::PutProperty(control, "ZoomFunction", Variant(std::int16_t{1}));
  winplat::PutProperty(control, "OnTheSpotZoomPctLeft", Variant(50.0f));
  winplat::PutProperty(control, "Filename", Variant("C:\\dxf\\a.dxf"));
  pp.SetSelectedControls({winplat::ComPtr<winplat::IDispatch>(control)});
  EXPECT_EQ(pp.cmbZoom.Text(), "Drill Down");
  EXPECT_EQ(pp.txtOnTheSpotZoomPct.Text(), "50");
  EXPECT_EQ(pp.txtFileName.Text(), "C:\\dxf\\a.dxf");
  EXPECT_FALSE(pp.Changed);
  // Choosing Pan and ticking the attributes, as the operator does, and applying.
  wc::op::Pick(pp.cmbZoom, 2);
  EXPECT_TRUE(pp.Changed);
  pp.chkAttributeDisplay.SetValue(wc::vbChecked);
  pp.txtOnTheSpotRight.SetText("25");
  EXPECT_TRUE(winplat::CallMethod(object.Get(), "apply").ToBool());
  EXPECT_FALSE(pp.Changed);
  EXPECT_EQ(dxf->ZoomFunction, 2);
  EXPECT_EQ(dxf->DisplayAttributes, 1);
  EXPECT_EQ(dxf->OnTheSpotZoomPctRight, 25.0f);
  // A zoom function the list does not hold shows no entry and stays on apply.
  winplat::PutProperty(control, "ZoomFunction", Variant(std::int16_t{7}));
  pp.SetSelectedControls({winplat::ComPtr<winplat::IDispatch>(control)});
  EXPECT_EQ(pp.cmbZoom.ListIndex(), -1);
  pp.txtFileName.SetText("C:\\dxf\\b.dxf");
  EXPECT_TRUE(pp.Apply());
  EXPECT_EQ(dxf->ZoomFunction, 7);
  EXPECT_EQ(dxf->Filename, "C:\\dxf\\b.dxf");
  // An empty percent is refused by the control: the apply stops and says which.
  winplat::MessageBoxScript boxes;
  pp.txtOnTheSpotZoomPct.SetText("");
  EXPECT_FALSE(pp.Apply());
  EXPECT_TRUE(pp.Changed);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_NE(boxes.Shown()[0].text.find("OnTheSpotZoomPctLeft"), std::string::npos) << boxes.Shown()[0].text;
  EXPECT_EQ(dxf->OnTheSpotZoomPctLeft, 50.0f);
  // Nothing changed: nothing is applied.
  pp.Changed = false;
  EXPECT_TRUE(pp.Apply());
  EXPECT_EQ(boxes.Shown().size(), 1u);
  // Unregistered, the page can no longer be created.
  page = nullptr;
  object = nullptr;
  ASSERT_EQ(DllUnregisterServer(), winplat::S_OK);
  EXPECT_THROW(winplat::CreateObject(kelvane::kPageProgID), winplat::AutomationError);
}

}  // namespace
