// A second process for the machine-wide lock and shared block tests. It runs
// one command, reports each step as a line on standard output and, where it
// holds something, waits until its standard input closes (or it is killed).
//   hold-mutex NAME           take the mutex, "locked", wait
//   take-mutex NAME           "waiting", take the mutex (blocking), "locked", exit
//   try-mutex NAME            "1" or "0" from a try, exit
//   hold-mutex-child NAME fork|exec   take the mutex, start a child that
//                             idles, "locked <child pid>", wait
//   idle                      wait
//   block-add NAME            map the block (4 fields), increment field 0,
//                             print the new value, wait
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "winplat/sync.h"

extern char** environ;

namespace {

void Say(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

void WaitForStdinClose() {
  char c;
  while (::read(0, &c, 1) > 0) {
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::string cmd = argv[1];
  if (cmd == "idle") {
    for (;;) ::pause();
  }
  if (argc < 3) return 2;
  std::string name = argv[2];
  if (cmd == "hold-mutex") {
    winplat::NamedMutex m(name);
    m.Lock();
    Say("locked");
    WaitForStdinClose();
    m.Unlock();
    return 0;
  }
  if (cmd == "take-mutex") {
    winplat::NamedMutex m(name);
    Say("waiting");
    m.Lock();
    Say("locked");
    m.Unlock();
    return 0;
  }
  if (cmd == "try-mutex") {
    winplat::NamedMutex m(name);
    bool got = m.TryLock();
    Say(got ? "1" : "0");
    if (got) m.Unlock();
    return 0;
  }
  if (cmd == "hold-mutex-child" && argc >= 4) {
    winplat::NamedMutex m(name);
    m.Lock();
    pid_t child = -1;
    if (std::strcmp(argv[3], "fork") == 0) {
      // The child reports once fork has returned in it (its fork handlers ran).
      int ready[2];
      if (::pipe(ready) != 0) return 3;
      child = ::fork();
      if (child == 0) {
        ::close(ready[0]);
        char c = 1;
        if (::write(ready[1], &c, 1) != 1) _exit(3);
        for (;;) ::pause();
      }
      ::close(ready[1]);
      char c;
      if (::read(ready[0], &c, 1) != 1) return 3;
      ::close(ready[0]);
    } else {
      char idle[] = "idle";
      char* args[] = {argv[0], idle, nullptr};
      // Standard streams stay with the parent's pipes only for the parent.
      posix_spawn_file_actions_t actions;
      posix_spawn_file_actions_init(&actions);
      posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", 0, 0);
      posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 1, 0);
      if (posix_spawn(&child, argv[0], &actions, nullptr, args, environ) != 0) child = -1;
      posix_spawn_file_actions_destroy(&actions);
    }
    Say("locked " + std::to_string(child));
    WaitForStdinClose();
    return 0;
  }
  if (cmd == "block-add") {
    winplat::SharedBlock block(name, 4);
    Say(std::to_string(block.Increment(0)));
    WaitForStdinClose();
    return 0;
  }
  return 2;
}
