// The board states seen through the ports: boot program, operating software
// without and with a session, reboot; the template's software images.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "board_test_util.h"
#include "winplat/hw/boards.h"

using namespace winplat::hw;
using namespace boardtest;

namespace {

std::vector<std::uint8_t> Text(const std::string& s) { return {s.begin(), s.end()}; }

std::vector<std::string> ImageLines(const char* name) {
  std::ifstream in(std::filesystem::path(std::getenv("FIELDRAY_TEMPLATE")) / "C/WINDOWS/SYSTEM32" / name,
                   std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

class SessionBoards : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBoardConfig("");
    ResetBoardState();
    ClearCommandLog();
  }
  static std::int32_t Error(const std::vector<std::uint8_t>& reply) { return LongAt(reply, 0); }
  static std::int32_t Result(const std::vector<std::uint8_t>& reply) { return LongAt(reply, 4); }
  // Downloads the template's ISA image and starts it.
  static void BootIsa() {
    for (const std::string& line : ImageLines("VX.T32")) ASSERT_EQ(Error(IsaCommand(0x300, 1, Text(line))), 0) << line;
    ASSERT_EQ(Error(IsaCommand(0x300, 8, Longs({kIsaSoftwareStart}))), 0);
  }
};

TEST_F(SessionBoards, RecordsAreCheckedOneByOne) {
  EXPECT_EQ(Error(IsaCommand(0x300, 1, Text("S30900000000AABBCCDDE8"))), 0);
  EXPECT_EQ(Error(IsaCommand(0x300, 1, Text("S30900000000AABBCCDDE9"))), kBoardChecksumBad);
  EXPECT_EQ(Error(IsaCommand(0x300, 1, Text("S10900000000AABBCCDDE8"))), kBoardDownloadBad);
  EXPECT_EQ(Error(IsaCommand(0x300, 1, Text("S30A00000000AABBCCDDE8"))), kBoardDownloadBad);  // count disagrees
  EXPECT_EQ(Error(IsaCommand(0x300, 1, Text("S3090000000GAABBCCDDE8"))), kBoardDownloadBad);
  // Without its end record the software does not start.
  EXPECT_EQ(Error(IsaCommand(0x300, 8, Longs({kIsaSoftwareStart}))), kBoardDownloadBad);
}

TEST_F(SessionBoards, TemplateImagesAreWholeAndCarryTheirDates) {
  EXPECT_EQ(Error(IsaCommand(0x300, 35, {})), kBoardUndefinedCommand);
  ASSERT_NO_FATAL_FAILURE(BootIsa());
  auto dates = IsaCommand(0x300, 50, {});
  EXPECT_EQ(LongAt(dates, 8), 20000118);
  EXPECT_EQ(LongAt(dates, 12), 20000124);
  // The PCI image is valid S-record text too.
  auto pci = ImageLines("VEXLIB.TBS");
  ASSERT_GT(pci.size(), 10u);
  EXPECT_EQ(pci.back().substr(0, 12), "S705C0090000");
  SetUp();
  for (const std::string& line : pci) ASSERT_EQ(Error(IsaCommand(0x300, 1, Text(line))), 0) << line;
}

TEST_F(SessionBoards, SessionLifeFromBootToRebootKeepsFramesUntilReboot) {
  ASSERT_NO_FATAL_FAILURE(BootIsa());
  // Running, no session.
  EXPECT_EQ(Result(IsaCommand(0x300, 35, {})), -101);
  EXPECT_EQ(Result(IsaCommand(0x300, 92, {})), -101);
  auto begin = IsaCommand(0x300, 18, Longs({3000, 0xFFFF8000u, 70000, 5}));
  EXPECT_EQ(Error(begin), 0);
  EXPECT_EQ(LongAt(begin, 8), 6000);
  EXPECT_EQ(Error(IsaCommand(0x300, 23, Longs({1}))), 0);
  auto status = IsaCommand(0x300, 35, {});
  EXPECT_EQ(Result(status), 0);
  EXPECT_EQ(LongAt(status, 8), 6000);
  auto settings = IsaCommand(0x300, 92, {});
  ASSERT_EQ(settings.size(), 16u);
  EXPECT_EQ(static_cast<std::int16_t>((settings[10] << 8) | settings[11]), -32768);
  EXPECT_EQ(static_cast<std::int16_t>((settings[12] << 8) | settings[13]), static_cast<std::int16_t>(70000));
  // Ending keeps the software running.
  EXPECT_EQ(Error(IsaCommand(0x300, 19, {})), 0);
  EXPECT_EQ(Result(IsaCommand(0x300, 35, {})), -101);
  // Memory: stealing takes from the budget, a reboot returns it and the boot program.
  EXPECT_EQ(Result(IsaCommand(0x300, 209, Longs({4096}))), 4096);
  EXPECT_EQ(Result(IsaCommand(0x300, 87, Longs({0x00040000}))), 4096);
  EXPECT_EQ(Result(IsaCommand(0x300, 209, Longs({0xFFFFF000u}))), -4096);
  EXPECT_EQ(Error(IsaCommand(0x300, 87, Longs({0x1234}))), kBoardAccessError);
  EXPECT_EQ(Error(IsaCommand(0x300, 115, {})), 0);
  EXPECT_EQ(Error(IsaCommand(0x300, 35, {})), kBoardUndefinedCommand);
  EXPECT_EQ(Error(IsaCommand(0x300, 87, Longs({7}))), kBoardUndefinedCommand);
}

TEST_F(SessionBoards, LoadDialogueAsksSkipsAndEndsOnAShortPiece) {
  ForceBoardProgram(BoardProgram::Operating);
  auto open = IsaCommand(0x300, 100, Longs({4}));
  EXPECT_EQ(LongAt(open, 8), 8);
  std::vector<std::uint8_t> header = {'V', 'X', 'S', 'S', 0, 0, 0, 3};
  EXPECT_EQ(LongAt(IsaCommand(0x300, 181, header), 8), -3);
  EXPECT_EQ(LongAt(IsaCommand(0x300, 181, {}), 8), 256);
  std::vector<std::uint8_t> record(66, 0);
  record[0] = 'Z';
  auto end = IsaCommand(0x300, 85, record);
  EXPECT_EQ(Error(end), 0);
  EXPECT_EQ(LongAt(end, 8), 0);
  // A file that ends inside a record: the board asks for the rest of it.
  IsaCommand(0x300, 100, Longs({5}));
  IsaCommand(0x300, 181, {'V', 'X', 'S', 'S', 0, 0, 0, 0});
  auto partial = IsaCommand(0x300, 85, {1, 2, 3});
  EXPECT_EQ(Error(partial), 0);
  EXPECT_EQ(LongAt(partial, 8), 63);
  // A header that is not one is refused.
  IsaCommand(0x300, 100, Longs({5}));
  EXPECT_EQ(Error(IsaCommand(0x300, 181, {'N', 'O', 'P', 'E', 0, 0, 0, 0})), kBoardDownloadBad);
  // A chunk request with no save under way is a null command.
  EXPECT_EQ(Error(IsaCommand(0x300, 182, {})), kBoardNullCommand);
}

}  // namespace
