#include "winplat/module.h"

#include <dlfcn.h>

#include <system_error>

namespace winplat {

HINSTANCE ModuleHandleOf(const void* address) {
  Dl_info info{};
  if (dladdr(address, &info) == 0) return 0;
  return reinterpret_cast<HINSTANCE>(info.dli_fbase);
}

std::filesystem::path ModuleFileOf(const void* address) {
  Dl_info info{};
  if (!dladdr(address, &info) || !info.dli_fname) return {};
  std::error_code ec;
  auto path = std::filesystem::canonical(info.dli_fname, ec);
  return ec ? std::filesystem::path(info.dli_fname) : path;
}

}  // namespace winplat
