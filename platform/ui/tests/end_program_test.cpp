// Ending the program at once, checked in a child process.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "test_support.h"
#include "winplat/endprogram.h"

namespace {

struct WritesOnUnwind {
  std::filesystem::path marker;
  ~WritesOnUnwind() { testsupport::WriteFile(marker, "unwound"); }
};

[[noreturn]] void Deep(int level, const std::filesystem::path& marker) {
  WritesOnUnwind guard{marker};
  if (level > 0) Deep(level - 1, marker);
  std::printf("buffered, no line end");
  winplat::EndProgram(42);
}

TEST(EndProgram, EndsAtOnceWithTheCodeAndFlushedOutput) {
  std::filesystem::path marker = testsupport::Root() / "unwound.txt";
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(out[0]);
    dup2(out[1], 1);
    setvbuf(stdout, nullptr, _IOFBF, 4096);  // nothing leaves before the flush
    try {
      Deep(3, marker);
    } catch (...) {
      testsupport::WriteFile(marker, "caught");
    }
    _exit(0);
  }
  close(out[1]);
  std::string text;
  char buf[128];
  ssize_t n;
  while ((n = read(out[0], buf, sizeof buf)) > 0) text.append(buf, static_cast<std::size_t>(n));
  close(out[0]);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 42);
  EXPECT_EQ(text, "buffered, no line end");
  EXPECT_FALSE(std::filesystem::exists(marker));
}

}  // namespace
