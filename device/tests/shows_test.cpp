// Working selection, sync and events, and the show exports with the board's
// load and save dialogues.
#include <cstring>
#include <memory>

#include "session_fixture.h"

using namespace vxtest;
namespace hw = winplat::hw;

namespace {

class ShowTest : public SessionTest {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(SessionTest::SetUp());
    hw::ForceBoardProgram(hw::BoardProgram::Operating);
  }
  static std::string Record(const std::string& name, std::int32_t value, std::int16_t second, std::int16_t first,
                            std::int32_t out1, std::int32_t out2) {
    std::string r = name;
    r.resize(50, '\0');
    auto put = [&r](std::uint32_t v, int bytes) {
      for (int k = bytes - 1; k >= 0; --k) r.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
    };
    put(static_cast<std::uint32_t>(value), 4);
    put(static_cast<std::uint16_t>(second), 2);
    put(static_cast<std::uint16_t>(first), 2);
    put(static_cast<std::uint32_t>(out1), 4);
    put(static_cast<std::uint32_t>(out2), 4);
    return r;
  }
  static std::string Header(std::int32_t skip) {
    std::string h = "VXSS";
    for (int k = 3; k >= 0; --k) h.push_back(static_cast<char>((skip >> (8 * k)) & 0xFF));
    return h;
  }
  static std::filesystem::path HostFile(const char* name) { return testsupport::Root() / "C" / "TEMP" / name; }
};

TEST_F(ShowTest, ScannerMasksSelectBoardsByBit) {
  ConfigureBoards("[Boards]\nCount=3\n");
  hw::ForceBoardProgram(hw::BoardProgram::Operating);
  testsupport::WriteFile(WindowsFile("VX.INI"), "[TB32]\r\nNumber of boards=3\r\n");
  ASSERT_EQ(vs::InitialTBCheck()(nullptr), 0);
  hw::ClearCommandLog();
  vs::SetWorkingScanners()(5);
  EXPECT_TRUE(Logged("SetWorkingScanners 05"));
  EXPECT_EQ(vs::SetWorkingTracks()(3), 0);
  auto tracks = Commands(38);
  ASSERT_EQ(tracks.size(), 2u);
  EXPECT_EQ(tracks[0].board, 0);
  EXPECT_EQ(tracks[1].board, 2);
  // No board working: the command reaches none and the status is 0.
  hw::ClearCommandLog();
  vs::SetWorkingScanners()(0);
  EXPECT_EQ(vs::SetWorkingTracks()(1), 0);
  EXPECT_TRUE(Commands(38).empty());
}

TEST_F(ShowTest, WorkingFrameIsSentAndReadBack) {
  // The board side of the working frame belongs to the frame commands.
  vs::SetWorkingFrame()(15);
  EXPECT_TRUE(Logged("SetWorkingFrame 15"));
  auto sent = Commands(30);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].operands, (std::vector<std::uint8_t>{0, 0, 0, 15}));
  std::int32_t frame = -1;
  vs::GetWorkingFrame()(&frame);
  EXPECT_TRUE(Logged("GetWorkingFrame"));
  EXPECT_EQ(Commands(94).size(), 1u);
}

TEST_F(ShowTest, EventsAreCountedAndTakenWithABuffer) {
  EXPECT_EQ(vs::SendSync()(7), 0);
  EXPECT_EQ(vs::SendSync()(-9), 0);
  std::int32_t count = 0;
  EXPECT_EQ(vs::GetTBEvents()(&count, nullptr), 0);
  EXPECT_EQ(count, 2);
  auto queries = Commands(197);
  ASSERT_EQ(queries.size(), 1u);
  EXPECT_EQ(queries[0].operands, (std::vector<std::uint8_t>{0, 0, 0, 0}));
  std::int32_t events[8] = {};
  EXPECT_EQ(vs::GetTBEvents()(&count, events), 0);
  EXPECT_EQ(Commands(197)[1].operands, (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(count, 2);
  // Events arrive as the board's big-endian bytes.
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(events);
  EXPECT_EQ(bytes[3], 7);
  EXPECT_EQ(bytes[4], 0xFF);
  EXPECT_EQ(vs::SendSyncGetTBEvents()(3, &count, events), 0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(bytes[3], 3);
}

TEST_F(ShowTest, LoadSkipsFindsAndSavesStructures) {
  std::string records = Record("Intro", 70000, -3, 2, 11, 22) + Record("Finale", 5, 6, 7, 8, 9);
  // A skipped preface, then records that end in a short last piece.
  testsupport::WriteFile(HostFile("show.vxs"), Header(100) + std::string(100, '#') + records);
  std::int32_t status = 99;
  EXPECT_EQ(vs::LoadShowStructures()("C:\\TEMP\\show.vxs", 3, &status), 0);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(Logged("LoadShowStructures 3 C:\\TEMP\\show.vxs"));
  auto pieces = Commands(181);
  ASSERT_EQ(pieces.size(), 2u);               // the header, then the empty piece after the skip
  EXPECT_TRUE(pieces[1].operands.empty());
  auto last = Commands(85);
  ASSERT_EQ(last.size(), 1u);                 // the records, shorter than asked
  EXPECT_EQ(last[0].operands.size(), records.size());

  // The name is read as 50 bytes and no further.
  auto name = std::make_unique<char[]>(50);
  std::memset(name.get(), 0, 50);
  std::memcpy(name.get(), "Finale", 6);
  ShowStructureKey key{1, 1, 1};
  std::int32_t out1 = 0, out2 = 0;
  EXPECT_EQ(vs::FindShowStructures()(name.get(), &key, &out1, &out2), 0);
  EXPECT_EQ(key.Value, 5);
  EXPECT_EQ(key.Second, 6);
  EXPECT_EQ(key.First, 7);
  EXPECT_EQ(out1, 8);
  EXPECT_EQ(out2, 9);
  std::memset(name.get(), 'x', 50);  // no terminator within the field
  key = {1, 2, 3};
  EXPECT_NE(vs::FindShowStructures()(name.get(), &key, &out1, &out2), 0);
  EXPECT_EQ(key.Value, 3);  // not found: the key stays

  EXPECT_EQ(vs::SaveShowStructures()("C:\\TEMP\\saved.vxs", 3, &status), 0);
  EXPECT_EQ(testsupport::ReadFile(HostFile("saved.vxs")), Header(0) + records);
  // An empty slot saves an empty file and keeps it.
  EXPECT_EQ(vs::SaveShowStructures()("C:\\TEMP\\empty.vxs", 9, &status), 0);
  EXPECT_TRUE(std::filesystem::exists(HostFile("empty.vxs")));
  EXPECT_EQ(std::filesystem::file_size(HostFile("empty.vxs")), 0u);
}

TEST_F(ShowTest, LoadFailuresKeepTheirCodes) {
  std::int32_t status = 0;
  EXPECT_EQ(vs::LoadShowStructures()("C:\\TEMP\\missing.vxs", 1, &status), VX_BOOT_FILE_MISSING);
  EXPECT_TRUE(Commands(100).empty());
  // A malformed file: the board refuses its header.
  boxes.answers.push_back({winplat::IDCANCEL, nullptr});
  testsupport::WriteFile(HostFile("bad.vxs"), "NOT A SHOW FILE");
  EXPECT_EQ(vs::LoadShowStructures()("C:\\TEMP\\bad.vxs", 1, &status), VX_DOWNLOAD_BAD);
  // A file that ends inside a record: after the host's last piece the board
  // still asks for more.
  testsupport::WriteFile(HostFile("cut.vxs"), Header(0) + Record("A", 1, 2, 3, 4, 5).substr(0, 40));
  EXPECT_EQ(vs::LoadShowStructures()("C:\\TEMP\\cut.vxs", 1, &status), VX_LOAD_INCOMPLETE);
  EXPECT_EQ(status, VX_LOAD_INCOMPLETE);
  // A request of 0 at once: nothing more is sent and the open's result stays.
  testsupport::WriteFile(HostFile("ok.vxs"), Header(0) + Record("A", 1, 2, 3, 4, 5));
  EXPECT_EQ(vs::PlayShowEx()(1, 2, 3, 4), 0);
  hw::ClearCommandLog();
  EXPECT_EQ(vs::LoadShowStructures()("C:\\TEMP\\ok.vxs", 1, &status), 1);
  EXPECT_EQ(hw::ReadCommandLog().size(), 1u);
  // No sticky status from the load exports.
  std::int32_t sticky = 0;
  vx::GetVXStatus()(&sticky);
  EXPECT_EQ(sticky, 0);
}

TEST_F(ShowTest, ShowRecordingIsSavedAndAFailureMidwayLeavesNoFile) {
  std::string records;
  for (int i = 0; i < 20; ++i) records += Record("S" + std::to_string(i), i, 0, 0, 0, 0);
  testsupport::WriteFile(HostFile("big.vxs"), Header(0) + records);
  std::int32_t status = 0;
  ASSERT_EQ(vs::LoadShowStructures()("C:\\TEMP\\big.vxs", 2, &status), 0);
  EXPECT_EQ(vs::PlayShowExD()(2, 0, 0, 1, "C:\\TEMP\\rec.bin"), 0);
  std::string recording = testsupport::ReadFile(HostFile("rec.bin"));
  EXPECT_EQ(recording.substr(0, 4), "VXSR");
  EXPECT_EQ(recording.size(), 20u + records.size());
  EXPECT_GT(Commands(182).size(), 3u);  // several chunks
  std::int32_t ms = -1;
  EXPECT_EQ(vs::GetCuetrackMilliseconds()(&ms), 0);
  EXPECT_GE(ms, 0);
  EXPECT_EQ(vs::StopShow()(), 0);

  // The board fails after the first chunk: the partial file goes, the code is sticky.
  ConfigureBoards("[Board0]\nFault=error 8 on 182\n");
  hw::ForceBoardProgram(hw::BoardProgram::Operating);
  ASSERT_EQ(vs::LoadShowStructures()("C:\\TEMP\\big.vxs", 2, &status), 0);
  boxes.answers.push_back({winplat::IDCANCEL, nullptr});
  EXPECT_EQ(vs::PlayShowExD()(2, 0, 0, 1, "C:\\TEMP\\rec2.bin"), VX_ACCESS_ERROR);
  EXPECT_FALSE(std::filesystem::exists(HostFile("rec2.bin")));
  std::int32_t sticky = 0;
  vx::GetVXStatus()(&sticky);
  EXPECT_EQ(sticky, VX_ACCESS_ERROR);
  // A file that cannot be created: -404 and nothing sent.
  hw::ClearCommandLog();
  EXPECT_EQ(vs::PlayShowExD()(2, 0, 0, 1, "C:\\NO\\SUCH\\FOLDER\\rec.bin"), VX_SAVE_WRITE_FAILED_2);
  EXPECT_TRUE(hw::ReadCommandLog().empty());
}

}  // namespace
