#include "clipboard_holder.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "winplat/clipboard.h"

namespace testsupport {

OtherProgramHoldsClipboard::OtherProgramHoldsClipboard() {
  if (pipe(ready_) != 0 || pipe(release_) != 0) return;
  child_ = fork();
  if (child_ == 0) {
    alarm(20);  // never outlive a test that forgot to release
    const bool opened = winplat::OpenClipboard(0);
    char c = opened ? 'y' : 'n';
    if (write(ready_[1], &c, 1) != 1 || read(release_[0], &c, 1) != 1) _exit(3);
    if (opened) winplat::CloseClipboard();
    _exit(opened ? 0 : 1);
  }
  char c = 0;
  held_ = child_ > 0 && read(ready_[0], &c, 1) == 1 && c == 'y';
}

bool OtherProgramHoldsClipboard::Release() {
  if (child_ <= 0) return false;
  if (write(release_[1], "x", 1) != 1) kill(child_, SIGKILL);
  int status = 0;
  const bool ended = waitpid(child_, &status, 0) == child_;
  child_ = -1;
  return ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

OtherProgramHoldsClipboard::~OtherProgramHoldsClipboard() {
  Release();
  for (int fd : {ready_[0], ready_[1], release_[0], release_[1]})
    if (fd >= 0) close(fd);
}

}  // namespace testsupport
