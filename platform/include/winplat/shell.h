#pragma once
// Starting things: the shell's verbs on a document or address (through a
// replaceable handler; nothing is opened by default), and programs started by
// their Windows path on the machine root.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "winplat/types.h"
#include "winplat/window.h"

namespace winplat {

// Window styles of started programs (show states are in window.h).
constexpr int vbHide = 0;
constexpr int vbNormalFocus = 1;
constexpr int vbMinimizedFocus = 2;
constexpr int vbMaximizedFocus = 3;
constexpr int vbNormalNoFocus = 4;
constexpr int vbMinimizedNoFocus = 6;

struct ShellRequest {
  HWND owner = 0;
  std::string operation;  // "open", ...
  std::string file;       // a document, program or address
  std::string parameters;
  std::string directory;
  int show = 0;
};
// Answers a request; above 32 is success, as the shell answers.
using ShellExecuteHandler = std::function<std::intptr_t(const ShellRequest&)>;
// Replaces the handler; an empty one restores the default, which records the
// request and answers success without starting anything (no browser opens).
void SetShellExecuteHandler(ShellExecuteHandler handler);
std::intptr_t ShellExecute(HWND owner, const char* operation, const char* file, const char* parameters,
                           const char* directory, int show);
// The requests the default handler took, oldest first.
std::vector<ShellRequest> ShellRequests();
void ClearShellRequests();

// Starts the program at a Windows path on the machine root (a host program or
// script there, run with the machine root in force) with a window style, and
// answers its task number. Error 53 when the program is missing, 75 when it
// cannot be started. Text after the path, separated by a blank, is passed as
// its arguments when the whole text names no file.
double Shell(std::string_view pathName, int windowStyle = vbMinimizedFocus);

struct ShellStart {
  std::string program;  // the Windows path
  int windowStyle = 0;
  int processId = 0;
};
// Every program started, oldest first.
std::vector<ShellStart> ShellStarts();
void ClearShellStarts();

}  // namespace winplat
