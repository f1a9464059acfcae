// The about box: its controls and buttons.
#include "about_box.h"

#include "winplat/files.h"
#include "winplat/shell.h"

namespace kelvane {


frmAbout::frmAbout() : Form("frmAbout", "About Kelvane OCX") {
  Move(0, 0, 5730, 3615);
  picIcon.Move(240, 240, 540, 540);
  lblTitle.Move(1050, 240, 3885, 480);
  lblVersion.Move(1050, 780, 3885, 225);
  Line1.SetX1(225);
  Line1.SetY1(1680);
  Line1.SetX2(5400);
  Line1.SetY2(1680);
  cmdOK.Move(4125, 2625, 1260, 345);
  cmdOK.SetDefault(true);
  cmdOK.SetCancel(true);
  cmdWeb.Move(2700, 2625, 1260, 345);
  cmdSysInfo.Move(4125, 3075, 1260, 345);
  cmdOK.Click = [this] { Unload(); };
  cmdWeb.Click = [this] {
    winplat::ShellExecute(hWnd(), "open", kVendorHomePage, "", "", winplat::SW_SHOWNORMAL);
  };
  cmdSysInfo.Click = [] { StartSysInfo(); };
}

bool FileThere(const std::string& path) { return winplat::Exist(path) != 0; }

}  // namespace kelvane
