#pragma once
// Another process holding the clipboard open, as a second program on the
// machine would, while the object lives.
#include <sys/types.h>

namespace testsupport {

class OtherProgramHoldsClipboard {
 public:
  OtherProgramHoldsClipboard();
  ~OtherProgramHoldsClipboard();
  OtherProgramHoldsClipboard(const OtherProgramHoldsClipboard&) = delete;
  OtherProgramHoldsClipboard& operator=(const OtherProgramHoldsClipboard&) = delete;

  // The other process opened the clipboard and holds it.
  bool Held() const { return held_; }
  // Lets the other process close the clipboard and end; true when it did so cleanly.
  bool Release();

 private:
  int ready_[2] = {-1, -1};
  int release_[2] = {-1, -1};
  pid_t child_ = -1;
  bool held_ = false;
};

}  // namespace testsupport
