#pragma once
// The library the tests register as the control's server. The control's code is
// part of the test program, which cannot be loaded as a library; this small
// library (server/test_server.cpp) stands in and hands every server entry to
// the program's own, so controls created by ProgID are the program's.
#include <filesystem>

namespace kelvanetest {

inline std::filesystem::path ServerLibrary() { return KELVANE_TEST_SERVER; }

}  // namespace kelvanetest
