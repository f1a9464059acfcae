#pragma once
// The about box of the control library and the system-information button's
// procedures over the registry.
#include <cstdint>
#include <string>

#include "winplat/controls/form.h"
#include "winplat/controls/picture.h"
#include "winplat/controls/standard.h"

namespace kelvane {

// The vendor's home page that the web button opens.
constexpr const char* kVendorHomePage = "http://www.kelvane.example/";

class frmAbout : public winplat::controls::Form {
 public:
  frmAbout();

 private:
  winplat::controls::Control* const none_ = nullptr;

 public:
  winplat::controls::PictureBox& picIcon = Add<winplat::controls::PictureBox>("picIcon", none_);
  winplat::controls::Label& lblTitle = Add<winplat::controls::Label>("lblTitle", none_, "Kelvane OCX");
  winplat::controls::Label& lblVersion = Add<winplat::controls::Label>("lblVersion", none_, "Version 2.1");
  winplat::controls::LineControl& Line1 = Add<winplat::controls::LineControl>("Line1", none_);
  winplat::controls::CommandButton& cmdOK = Add<winplat::controls::CommandButton>("cmdOK", none_, "OK");
  winplat::controls::CommandButton& cmdWeb = Add<winplat::controls::CommandButton>("cmdWeb", none_, "Web Site");
  winplat::controls::CommandButton& cmdSysInfo =
      Add<winplat::controls::CommandButton>("cmdSysInfo", none_, "System Info...");
};

// The directory look-up: true when the file exists.
bool FileThere(const std::string& path);
// Starts the system information tool named in the registry, or says that it is unavailable.
void StartSysInfo();
// Reads a string or 32-bit value of a key opened for reading; true when found.
// (KeyRoot is a registry root key.)
bool GetKeyValue(std::uint32_t KeyRoot, const std::string& KeyName, const std::string& SubKeyRef, std::string& KeyVal);

}  // namespace kelvane
