#pragma once
// The device library's exports, the records it exchanges and its status codes.
#include <cstdint>

extern "C" {

using VXStatusCode = std::int32_t;

}  // extern "C"
