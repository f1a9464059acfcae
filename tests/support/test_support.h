#pragma once
// Helpers shared by the tests of every area.
#include <filesystem>
#include <functional>
#include <string>

namespace testsupport {

// The machine root of this test process (a fresh temporary folder).
std::filesystem::path Root();

// The source tree this build was made from (absolute, whatever the compiler
// was told the file names were).
std::filesystem::path SourceDir();

// Folder holding the built binaries (libraries, the program, helper tools).
std::filesystem::path BinDir();

// The built view-control library: beside the test program, else in BinDir().
std::filesystem::path ControlLibraryFile();

// The optional shared test data from elsewhere, folder `kind` ("dxf",
// "gcode") of it: under FIELDRAY_TESTDATA when set, else under
// "shared/testdata" beside the source tree or beside one of its two parents (a
// worktree sits deeper). Empty when absent.
std::filesystem::path SharedTestData(const std::string& kind);

// The one line a test skips with when SharedTestData(kind) is absent, naming
// where it was looked for.
std::string NoSharedTestData(const std::string& kind);

// The shared drawings: SharedTestData("dxf").
std::filesystem::path SharedDxfCorpus();

// Where tests leave pictures for a person to look at: "pictures" in the
// machine root (created); kept with the root when FIELDRAY_TEST_ROOT is set.
std::filesystem::path PictureFolder();

// Writes a file (creating folders) and returns its path.
std::filesystem::path WriteFile(const std::filesystem::path& path, const std::string& bytes);

// Reads a whole file; empty when missing.
std::string ReadFile(const std::filesystem::path& path);

// Runs `body` in a child process that may write no file past `bytes` (as a
// full disk would stop it; SIGXFSZ ignored, so a write fails with EFBIG).
// True when the body returned true there.
bool InChildWithFileSizeLimit(long bytes, const std::function<bool()>& body);

}  // namespace testsupport
