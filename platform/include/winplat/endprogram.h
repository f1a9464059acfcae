#pragma once
// Ending the program at once.

namespace winplat {

// Flushes the standard streams and ends the process with `code`: no return to
// the caller, no unwinding through any library's frames, no static destructors.
[[noreturn]] void EndProgram(int code);

}  // namespace winplat
