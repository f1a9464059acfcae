// Library load and unload of the device library.
#include "vexlib/vexlib.h"
