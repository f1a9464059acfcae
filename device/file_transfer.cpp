// The two file dialogues the boards drive: loading, where the board asks for
// the next piece of an open file, and saving, where it hands chunks back.
#include <algorithm>

#include "export_frame.h"
#include "file_transfer.h"
#include "transport.h"
#include "vexlib/vexlib.h"

namespace vexlib {
namespace {

constexpr std::uint16_t kHereAreTheBytes = 181;
constexpr std::uint16_t kHostFailed = 85;
constexpr std::uint16_t kNextChunk = 182;
constexpr std::int32_t kSaveChunkLimit = static_cast<std::int32_t>(kBufferBytes) - 12;

}  // namespace

void StreamFileToBoard(winplat::File& file, std::int32_t* status) {
  Library& lib = Lib();
  std::int32_t result = status ? *status : 0;
  std::int32_t request = GetLongReply(8);
  bool hostFailed = false;
  while (result == 0 && request != 0) {
    if (hostFailed) {
      // The host said it had no more, and the board still asks.
      result = VX_LOAD_INCOMPLETE;
      break;
    }
    // A skip is answered with a piece of no bytes.
    std::uint16_t code = kHereAreTheBytes;
    std::int32_t bytes = 0;
    if (request > 0) {
      std::int32_t wanted = std::min(request, static_cast<std::int32_t>(kBufferBytes));
      std::int64_t got = file.Read(lib.staging.operands.data(), static_cast<std::size_t>(wanted));
      bytes = static_cast<std::int32_t>(std::max<std::int64_t>(got, 0));
      if (got != wanted) {
        code = kHostFailed;
        hostFailed = true;
      }
    } else {
      file.Skip(-static_cast<std::int64_t>(request));
    }
    CommandScope piece(code);
    lib.staging.operandBytes = bytes;
    result = piece.Send();
    request = GetLongReply(8);
  }
  if (status) *status = result;
}

std::int32_t SaveBoardStream(const std::string& path, std::uint16_t command, const void* operands,
                             std::int32_t operandBytes) {
  Library& lib = Lib();
  winplat::File file = winplat::File::CreateNew(path);
  if (!file.IsOpen()) return VX_SAVE_WRITE_FAILED_2;
  SelectFirstWorkingBoard();
  std::int32_t result = 0;
  {
    CommandScope open(command);
    open.PutBytes(operands, static_cast<std::size_t>(std::max(operandBytes, 0)));
    result = open.Send();
  }
  while (result == 0) {
    std::int32_t count = GetLongReply(8);
    if (count <= 0) break;
    count = std::min(count, kSaveChunkLimit);
    std::int64_t written = file.Write(lib.reply.bytes.data() + 12, static_cast<std::size_t>(count));
    if (written == count) {
      CommandScope next(kNextChunk);
      result = next.Send();
    } else {
      CommandScope failed(kHostFailed);
      failed.Send();
      result = VX_SAVE_WRITE_FAILED;
    }
  }
  RestoreWorkingBoards();
  file.Close();
  if (result != 0) winplat::DeleteFile(path);
  return result;
}

}  // namespace vexlib
