// Drawings whose blocks multiply, picked in the job list of the program
// running under an address-space limit of 1 GB: each ends in time with its
// message, and the program goes on.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "program_runner.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

std::string Pairs(std::initializer_list<std::string> lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\n";
  return out;
}
std::string Line() { return Pairs({"0", "LINE", "8", "0", "10", "0", "20", "0", "11", "10", "21", "10"}); }
std::string Insert(const std::string& block) { return Pairs({"0", "INSERT", "2", block}); }
// A line from the origin in the fewest bytes.
std::string ShortLine() { return Pairs({"0", "LINE", "11", "9"}); }
std::string Repeat(int n, const std::string& text) {
  std::string out;
  for (int i = 0; i < n; ++i) out += text;
  return out;
}
std::string Block(const std::string& name, const std::string& body) {
  return Pairs({"0", "BLOCK", "8", "0", "2", name, "70", "0", "10", "0", "20", "0"}) + body + Pairs({"0", "ENDBLK"});
}
std::string Drawing(const std::string& blocks, const std::string& entities) {
  return Pairs({"0", "SECTION", "2", "BLOCKS"}) + blocks + Pairs({"0", "ENDSEC", "0", "SECTION", "2", "ENTITIES"}) +
         entities + Pairs({"0", "ENDSEC", "0", "EOF"});
}
// Levels of blocks, each inserting the one before ten times.
std::string Levels(int levels) {
  std::string blocks = Block("L0", Repeat(10, Line()));
  for (int i = 1; i < levels; ++i)
    blocks += Block("L" + std::to_string(i), Repeat(10, Insert("L" + std::to_string(i - 1))));
  return blocks;
}

TEST(LargeDrawings, MultiplyingBlocksEndInTimeWithTheirMessage) {
  const std::string rows = "Contains No Displayable Entities: Drawing too complex: more than 200000 entities after "
                           "its blocks are placed";
  const std::string copies =
      "Contains No Displayable Entities: Drawing too complex: its nested blocks copy more than 1000000 records";
  // 7,600 inserts of 27 lines: 205,200 entities from a file under the size limit.
  std::string many = Drawing(Block("A", Repeat(27, ShortLine())), Repeat(7600, Insert("A")));
  many.insert(0, "999\n" + std::string(99999 - many.size() - 5, 'x') + "\n");
  struct Case {
    const char* file;
    std::string text;
    std::string msg;  // "" when the drawing reads
  };
  const Case cases[] = {
      {"ROWS.DXF", Drawing(Levels(4), Repeat(30, Insert("L3"))), rows},
      {"COPIES.DXF", Drawing(Levels(6), Insert("L5")), copies},
      {"MANY.DXF", many, rows},
      {"BUDGET.DXF", Drawing(Levels(4), Repeat(20, Insert("L3"))), ""},
  };
  ASSERT_EQ(many.size(), 99999u);
  // One program picks them all in turn: after each refusal it goes on.
  const fs::path root = testsupport::NewMachineRoot("large-drawings");
  std::string script = "click Main.OnOff\n";
  for (const Case& c : cases) {
    EXPECT_LT(c.text.size(), 100000u) << c.file;
    testsupport::WriteFile(root / "C" / "Fieldray" / "Jobs" / c.file, c.text);
    script += "pick Main.File1 \"" + std::string(c.file) + "\"\nwait 500\n";
    if (!c.msg.empty()) script += "expect Main.Msg \"" + c.msg + "\"\n";
  }
  const fs::path ops = testsupport::WriteFile(root / "job.ops", script + "quit\n");
  std::vector<std::string> argv = {(testsupport::BinDir() / "fieldray").string(), ops.string()};
#ifndef __SANITIZE_ADDRESS__
  // 1 GB of address space (a sanitized build reserves far more up front).
  argv.insert(argv.begin(), {"/usr/bin/prlimit", "--as=1073741824", "--"});
  const int killAfter = 120;
#else
  const int killAfter = 280;  // an unoptimised, sanitized build reads the budget's drawing far slower
#endif
  const auto run = testsupport::RunProgram(argv, {"FIELDRAY_ROOT=" + root.string()},
                                           root.parent_path() / "large-drawings.log", killAfter);
  EXPECT_EQ(run.status, 0) << run.log;
}

}  // namespace
