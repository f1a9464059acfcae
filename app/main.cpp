// Fieldray: the operator program.
#include <cstdio>

#include "winplat/paths.h"

int main() {
  std::printf("Fieldray machine root: %s\n", winplat::MachineRoot().c_str());
  std::printf("The operator program is not built yet; the platform layer is.\n");
  return 0;
}
