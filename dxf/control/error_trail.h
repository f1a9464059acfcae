#pragma once
// The control's error trail: a procedure that fails appends a line with its
// name to the error's description, keeps the error's source, and raises the
// error again with the number 0x80040001. The description that reaches the
// host lists the procedures passed through, innermost first.
#include <functional>
#include <new>
#include <string>
#include <string_view>

#include "kelvaneent/kelvaneent.h"
#include "winplat/numeric.h"
#include "winplat/variant.h"

namespace kelvane {

// The source of errors the control's own code raises without naming one.
constexpr const char* kLibraryName = "KelvaneEnt";

// What a failing procedure undoes before the error goes on (set the mouse
// pointer back, clear the drawing box); installed by the control.
using TrailCleanup = std::function<void()>;

// The message text of the failure being handled (call inside a catch block).
std::string CurrentErrorText();

// The error as it leaves procedure `name`.
winplat::AutomationError TrailError(std::string_view name);

// Runs `body` under the handler of procedure `name`; on a failure runs
// `cleanup` and raises the trail error.
template <class F>
auto WithErrorTrail(std::string_view name, F&& body, const TrailCleanup& cleanup = {}) -> decltype(body()) {
  try {
    return body();
  } catch (...) {
    winplat::AutomationError e = TrailError(name);
    if (cleanup) cleanup();
    throw e;
  }
}

// A procedure's own error (number 0x80040001, source its name).
winplat::AutomationError ProcedureError(std::string_view procedure, std::string description);

}  // namespace kelvane
