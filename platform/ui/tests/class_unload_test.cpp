// A library that registers a window class can be unloaded and loaded again.
#include <dlfcn.h>

#include "test_support.h"
#include "ui_test_support.h"

namespace {

using namespace winplat;

class ClassUnloadTest : public uitest::UiTest {
 protected:
  void* Load() {
    std::string path = (uitest::BinDir() / "libfr_test_classlib.so").string();
    void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(lib, nullptr) << dlerror();
    return lib;
  }
  static int Call(void* lib, const char* name) {
    auto fn = reinterpret_cast<int (*)()>(dlsym(lib, name));
    return fn ? fn() : -1;
  }
};

TEST_F(ClassUnloadTest, UnloadedLibraryCanRegisterItsClassAgain) {
  void* lib = Load();
  ASSERT_NE(lib, nullptr);
  EXPECT_NE(Call(lib, "ClassLibAtom"), 0);
  HWND w = CreateWindowEx(0, "FR_TestLibClass", "", WS_OVERLAPPED, 0, 0, 50, 50, 0, 0, 0, 0);
  ASSERT_NE(w, 0u);
  EXPECT_EQ(Call(lib, "ClassLibCreated"), 1);
  // A second registration of the same name, from elsewhere, is refused while the library is loaded.
  WNDCLASS wc;
  wc.lpfnWndProc = uitest::RecordingProc;
  wc.lpszClassName = "fr_testlibclass";
  EXPECT_EQ(RegisterClass(wc), 0);
  ASSERT_EQ(dlclose(lib), 0);

  // The library's windows went with it; its class is free again.
  EXPECT_FALSE(IsWindow(w));
  EXPECT_FALSE(GetClassInfo(0, "FR_TestLibClass", nullptr));
  lib = Load();
  ASSERT_NE(lib, nullptr);
  EXPECT_NE(Call(lib, "ClassLibAtom"), 0);
  HWND again = CreateWindowEx(0, "FR_TestLibClass", "", WS_OVERLAPPED, 0, 0, 50, 50, 0, 0, 0, 0);
  EXPECT_NE(again, 0u);
  EXPECT_EQ(Call(lib, "ClassLibCreated"), 1);
  DestroyWindow(again);
  dlclose(lib);
}

TEST_F(ClassUnloadTest, ReloadWithNoCallInBetweenRegistersAgain) {
  void* lib = Load();
  ASSERT_NE(lib, nullptr);
  ASSERT_NE(Call(lib, "ClassLibAtom"), 0);
  ASSERT_EQ(dlclose(lib), 0);
  lib = Load();  // straight away: the class may still look registered
  ASSERT_NE(lib, nullptr);
  EXPECT_NE(Call(lib, "ClassLibAtom"), 0);
  HWND w = CreateWindowEx(0, "FR_TestLibClass", "", WS_OVERLAPPED, 0, 0, 50, 50, 0, 0, 0, 0);
  ASSERT_NE(w, 0u);
  EXPECT_EQ(Call(lib, "ClassLibCreated"), 1);  // the new load's procedure got WM_CREATE
  DestroyWindow(w);
  dlclose(lib);
  EXPECT_FALSE(GetClassInfo(0, "FR_TestLibClass", nullptr));
}

}  // namespace
