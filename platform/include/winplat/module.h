#pragma once
// The library (or program) that holds an address: a function or object of it.
#include <filesystem>

#include "winplat/window.h"

namespace winplat {

// The module's handle: the address it is loaded at; 0 when none holds `address`.
HINSTANCE ModuleHandleOf(const void* address);

// The module's file; empty when none holds `address`.
std::filesystem::path ModuleFileOf(const void* address);

}  // namespace winplat
