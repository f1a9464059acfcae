// The word block senders: 16-bit words to the board with command 51, and back
// from it with command 52, in chunks that fit the board family's replies.
#include <algorithm>

#include "export_frame.h"
#include "transport.h"
#include "vexlib/vexlib.h"
#include "winplat/msgbox.h"

namespace vexlib {

std::int32_t SendWordBlockLocked(const std::int32_t* words, std::int32_t byteCount) {
  Library& lib = Lib();
  lib.mutex->Lock();
  std::int32_t chunkSize = lib.boards.pciMode ? 4000 : 256;
  std::int32_t sent = 0;
  std::int32_t code = 0;
  std::int32_t result = 0;
  if (!words && byteCount > 0) {
    lib.mutex->Unlock();
    return -2;  // nothing to send from
  }
  while (sent < byteCount) {
    std::int32_t chunk = std::min(byteCount - sent, chunkSize);
    LogExport("CurrentByte=%i, SendSize=%i, NumBytes=%i", sent, chunk, byteCount);
    {
      CommandScope command(51);
      const std::int32_t* first = words + sent / 2;
      for (std::int32_t k = 0; k < (chunk + 1) / 2; ++k) command.PutShort(static_cast<std::int16_t>(first[k] & 0xFFFF));
      lib.staging.operandBytes = chunk;  // an odd chunk carries the last word's high byte only
      command.Send();
      code = lib.reply.lastBoardError;
      result = GetLongReply(4);
    }
    sent += (chunk + 1) & ~1;
    if (code != 0) break;
  }
  if (code == -702) {
    winplat::MessageBox(0,
                        "The TB board has detected a low memory condition.\nSave your work immediately to avoid "
                        "loss.",
                        "TB32:Diagnostics",
                        winplat::MB_OK | winplat::MB_ICONEXCLAMATION | winplat::MB_TASKMODAL |
                            winplat::MB_SETFOREGROUND);
  }
  lib.mutex->Unlock();
  return code != 0 ? code : result;
}

std::int32_t ReceiveWordBlockLocked(std::int32_t* words, std::size_t capacity) {
  Library& lib = Lib();
  lib.mutex->Lock();
  std::int32_t status = 0;
  {
    CommandScope first(52);
    first.Send();
    status = lib.reply.lastBoardError;
    std::int32_t total = status == 0 ? GetLongReply(4) : 0;
    // The board's count is bounded by the caller's array.
    total = std::clamp<std::int64_t>(total, 0, static_cast<std::int64_t>(capacity) * 2);
    std::int32_t chunkSize = lib.boards.pciMode ? 4000 : 128;
    std::int32_t received = 0;
    while (status == 0 && received < total) {
      CommandScope next(52);
      next.Send();
      status = lib.reply.lastBoardError;
      if (status != 0) break;
      std::int32_t chunk = std::min(total - received, chunkSize);
      std::size_t entry = static_cast<std::size_t>(received / 2);
      for (std::int32_t k = 0; k < (chunk + 1) / 2 && entry < capacity && words; ++k, ++entry) {
        words[entry] = GetShortReply(4 + 2 * k);
      }
      received += (chunk + 1) & ~1;
    }
  }
  lib.mutex->Unlock();
  return status;
}

}  // namespace vexlib
