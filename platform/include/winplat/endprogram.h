#pragma once
// Ending the program at once.

namespace winplat {

// Flushes the standard streams and ends the process with `code`: no return to
// the caller, no unwinding through any library's frames, no static destructors.
[[noreturn]] void EndProgram(int code);
// From now on EndProgram ends with `code` whatever it is given (-1: as given):
// a program ended by a fault its own ending does not know of.
void SetEndProgramStatus(int code);

}  // namespace winplat
