#pragma once
// The diagnostic window "VEXLIB.DLL Communications Window": one per process,
// a scrolling list of log lines drawn with the window's system font.
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "winplat/types.h"

namespace vexlib {

class CommWindow {
 public:
  bool IsOpen() const { return open_; }
  bool LoggingOn() const { return loggingOn_; }
  void SetLogging(bool on) { loggingOn_ = on; }
  winplat::HWND Handle() const { return hwnd_; }

  // Creates and shows the window; false when it cannot be created.
  bool Open();
  // Destroys the window when open and clears the flags.
  void Close();
  // Writes one line when the window is open and logging is on: scrolls up one
  // line when the next would not fit, clears the line and draws the text.
  void WriteLine(std::string_view text);
  // The lines written since the window was last opened, oldest first (a
  // bounded number), for reading a session without looking at its picture.
  const std::deque<std::string>& History() const { return history_; }

  // The window procedure's steps.
  void Created(winplat::HWND hwnd);
  void Sized(int width, int height);
  void Painted(winplat::HDC hdc);
  void Destroyed();

 private:
  void Measure();

  bool open_ = false;
  bool measured_ = false;
  bool loggingOn_ = false;
  winplat::HWND hwnd_ = 0;
  winplat::HGDIOBJ brush_ = 0;
  std::int32_t lineHeight_ = 0;
  std::int32_t leftMargin_ = 0;
  std::int32_t firstLineY_ = 0;
  std::int32_t currentY_ = 0;
  std::int16_t clientWidth_ = 0;
  std::int16_t clientHeight_ = 0;
  std::deque<std::string> history_;
};

// The window class "VX_DLL32Class", registered at load.
bool RegisterCommWindowClass();
void UnregisterCommWindowClass();

}  // namespace vexlib
