// Library load and unload: the process count, the named mutex, the window class.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>

#include "board_table.h"
#include "export_frame.h"
#include "library_state.h"
#include "winplat/msgbox.h"

namespace vexlib {
namespace {

Library* library = nullptr;

void InternalErrorBox(const char* text) {
  winplat::MessageBox(0, text, "VEXLIB.DLL: Internal Error",
                      winplat::MB_OK | winplat::MB_ICONEXCLAMATION | winplat::MB_TASKMODAL |
                          winplat::MB_SETFOREGROUND);
}

__attribute__((constructor)) void LibraryLoad() {
  Library& lib = Lib();
  try {
    lib.shared = std::make_unique<winplat::SharedBlock>("VXDLLSharedBlock", kSharedFieldCount);
    lib.shared->Increment(kSharedProcessCount);
  } catch (const std::exception&) {
    lib.shared.reset();
  }
  try {
    lib.mutex = std::make_unique<winplat::NamedMutex>("VXDLLMutex");
  } catch (const std::exception&) {
    InternalErrorBox("Unable to create VEXLIB.DLL Synchronization object.");
    return;  // every export that needs the lock is then refused
  }
  if (!RegisterCommWindowClass()) {
    InternalErrorBox("Unable to Register VEXLIB.DLL Window Class.");
    lib.mutex.reset();
    return;
  }
  lib.activeFlags.fill(1);
  lib.loaded = true;
}

__attribute__((destructor)) void LibraryUnload() {
  Library& lib = Lib();
  ForgetBoards();
  // The window procedure lives in this library: the window goes with it.
  lib.window.Close();
  UnregisterCommWindowClass();
  lib.mutex.reset();
  if (lib.shared) lib.shared->Decrement(kSharedProcessCount);
  lib.shared.reset();
  lib.loaded = false;
  delete library;
  library = nullptr;
}

}  // namespace

Library& Lib() {
  if (!library) library = new Library;
  return *library;
}

}  // namespace vexlib
