// Ending the program at once.
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "winplat/endprogram.h"

namespace winplat {

void EndProgram(int code) {
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  _exit(code);
}

}  // namespace winplat
