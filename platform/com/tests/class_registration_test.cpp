// Registration of classes and creation by ProgID when the registry fails: the
// reason reaches the host, and a registration is whole or absent.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "test_support.h"
#include "winplat/classreg.h"
#include "winplat/paths.h"
#include "winplat/registry.h"

namespace {

using namespace winplat;
namespace fs = std::filesystem;

// A host creating a control on a root whose registry cannot be read is told
// why, not that the class is missing.
TEST(ClassRegistration, CreationOnADamagedRegistrySaysWhatIsWrongWithIt) {
  const fs::path file = MachineRoot() / "registry.reg";
  testsupport::WriteFile(file, "[HKEY_CLASSES_ROOT\\Damaged.Control\\CLSID]\n@=sz:\"{0000-DAMAGED}\n");
  IDispatch* raw = nullptr;
  ExcepInfo excep;
  EXPECT_EQ(CreateObjectByProgID("Damaged.Control", &raw, &excep), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(raw, nullptr);
  EXPECT_EQ(excep.number, 429);
  EXPECT_EQ(excep.description, ErrorText(429) + ": Machine root " + MachineRoot().string() +
                                   ": registry.reg line 2: text value not closed by \"");
  fs::remove(file);
  EXPECT_EQ(CreateObjectByProgID("Damaged.Control", &raw, &excep), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(excep.description, ErrorText(429) + ": class Damaged.Control is not registered");
}

// A registration that cannot be written whole leaves none of its records,
// and says why: here the registry file may grow by a few bytes only (in a
// child, under a file size limit), so the first record would have fitted.
TEST(ClassRegistration, AFailedRegistrationLeavesNothingAndSaysWhy) {
  ASSERT_EQ(RegWriteString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Before", "", "x"), ERROR_SUCCESS);
  const fs::path file = MachineRoot() / "registry.reg";
  const std::string before = testsupport::ReadFile(file);
  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(pipeFds[0]);
    std::signal(SIGXFSZ, SIG_IGN);
    const rlim_t limit = before.size() + 60;
    const rlimit lim{limit, limit};
    setrlimit(RLIMIT_FSIZE, &lim);
    const HRESULT hr = RegisterServerClass("Half.Control", "{0000-HALF}", "Half", "/nowhere/libhalf.so");
    const std::string why = RegistrationFailureText();
    (void)!::write(pipeFds[1], why.data(), why.size());
    _exit(hr == SELFREG_E_CLASS ? 0 : 1);
  }
  ::close(pipeFds[1]);
  std::string why;
  char buffer[512];
  for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) why.append(buffer, static_cast<std::size_t>(n));
  ::close(pipeFds[0]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the registration did not fail";
  EXPECT_EQ(why.rfind("class Half.Control not registered: registry: cannot write " + file.string(), 0), 0u) << why;
  EXPECT_NE(why.find("File too large"), std::string::npos) << why;
  EXPECT_EQ(testsupport::ReadFile(file), before);
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "Half.Control"));
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "CLSID\\{0000-HALF}"));
  for (const auto& entry : fs::directory_iterator(MachineRoot()))
    EXPECT_EQ(entry.path().filename().string().find(".~"), std::string::npos) << entry.path();

  // Without that limit the same registration is written whole.
  EXPECT_EQ(RegisterServerClass("Half.Control", "{0000-HALF}", "Half", "/nowhere/libhalf.so"), S_OK);
  EXPECT_EQ(RegistrationFailureText(), "");
  std::string text;
  EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, "CLSID\\{0000-HALF}\\ProgID", "", text), ERROR_SUCCESS);
  EXPECT_EQ(text, "Half.Control");
  EXPECT_EQ(UnregisterServerClass("Half.Control", "{0000-HALF}"), S_OK);
}

// A fault raised on the way (here the machine root cannot be made) is no
// bare failure: its text is the registration's reason.
TEST(ClassRegistration, AFaultRaisedOnTheWayGivesItsText) {
  const std::string saved = std::getenv("FIELDRAY_ROOT");
  const fs::path blocker = testsupport::WriteFile(testsupport::Root() / "not-a-folder", "a file");
  setenv("FIELDRAY_ROOT", (blocker / "root").c_str(), 1);
  ResetMachineRoot();
  const HRESULT hr = RegisterServerClass("Lost.Control", "{0000-LOST}", "Lost", "/nowhere/liblost.so");
  const std::string why = RegistrationFailureText();
  setenv("FIELDRAY_ROOT", saved.c_str(), 1);
  ResetMachineRoot();
  EXPECT_EQ(hr, SELFREG_E_CLASS);
  EXPECT_EQ(why.rfind("class Lost.Control not registered: Machine root " + (blocker / "root").string() + ": ", 0), 0u)
      << why;
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "Lost.Control"));
}

}  // namespace
