#pragma once
// Helpers shared by the tests of every area.
#include <filesystem>
#include <string>

namespace testsupport {

// The machine root of this test process (a fresh temporary folder).
std::filesystem::path Root();

// Folder holding the built binaries (libraries, the program, helper tools).
std::filesystem::path BinDir();

// The built view-control library: beside the test program, else in BinDir().
std::filesystem::path ControlLibraryFile();

// The shared drawings from elsewhere: "shared/testdata/dxf" beside the source
// tree or beside one of its parents (a worktree sits one level deeper); empty
// when there is none.
std::filesystem::path SharedDxfCorpus();

// Where tests leave pictures for a person to look at: FIELDRAY_PICTURES, else
// "pictures" in the machine root (created).
std::filesystem::path PictureFolder();

// Writes a file (creating folders) and returns its path.
std::filesystem::path WriteFile(const std::filesystem::path& path, const std::string& bytes);

// Reads a whole file; empty when missing.
std::string ReadFile(const std::filesystem::path& path);

}  // namespace testsupport
