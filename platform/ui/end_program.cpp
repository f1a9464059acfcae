// Ending the program at once.
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "winplat/endprogram.h"

namespace winplat {
namespace {
int forcedStatus = -1;
}  // namespace

void SetEndProgramStatus(int code) { forcedStatus = code; }

void EndProgram(int code) {
  if (forcedStatus >= 0) code = forcedStatus;
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  _exit(code);
}

}  // namespace winplat
