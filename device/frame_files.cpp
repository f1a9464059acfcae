// Frame files: the board parses them; the library streams the bytes, tells the
// board the format, the frame range and the name, and reads the headers itself
// only for ReadFileInfo.
#include <algorithm>
#include <cstring>
#include <string>

#include "export_frame.h"
#include "file_transfer.h"
#include "transport.h"
#include "vexlib/vexlib.h"

#include "winplat/text.h"

namespace vexlib {
namespace {

constexpr std::int32_t kObjectFile = 5;
constexpr std::int32_t kLazrFile = 2;
constexpr std::int32_t kIldaFile = 3;
constexpr std::int32_t kDecCode = 4;
// The name part sent to the board, bounded so the command always fits.
constexpr std::size_t kMaxNamePart = 255;
constexpr std::size_t kTitleBytes = 127;

std::string PathOf(const char* file) { return file ? std::string(file) : std::string(); }

// Index of the last separator, -1 when there is none.
std::int32_t NameStart(const std::string& path) {
  for (std::int32_t i = static_cast<std::int32_t>(path.size()) - 1; i >= 0; --i) {
    char c = path[static_cast<std::size_t>(i)];
    LogOther("TestChar=%c, Offset=%i", c == 0 ? ' ' : c, i);
    if (c == 0 || c == '*' || c == '/' || c == ':' || c == '?' || c == '\\' || c == '|') return i;
  }
  return -1;
}

// Loads a frame file in one format; the caller holds the mutex.
std::int32_t LoadTypedFrameFile(const std::string& path, std::int32_t flag, std::int32_t* from, std::int32_t* to,
                                std::int32_t format, std::int32_t* status) {
  std::int32_t first = from ? *from : 0;
  std::int32_t last = to ? *to : 0;
  winplat::File input = winplat::File::OpenForReading(path);
  if (!input.IsOpen()) {
    if (status) *status = VX_BOOT_FILE_MISSING;
    return VX_BOOT_FILE_MISSING;
  }
  LogOther("FileNameLen=%i", static_cast<int>(path.size()));
  std::int32_t start = NameStart(path);
  LogOther("FileNameStart=%i", start);
  std::string name = path.substr(static_cast<std::size_t>(start + 1));
  if (name.size() > kMaxNamePart) name.resize(kMaxNamePart);
  std::int64_t size = input.Size();
  LogOther("FileSize=%li", static_cast<long>(size));
  std::int32_t result = 0;
  {
    CommandScope load(36);
    load.PutLong(first);
    load.PutLong(last);
    load.PutLong(format);
    load.PutLong(static_cast<std::int32_t>(std::clamp<std::int64_t>(size, 0, INT32_MAX)));
    load.PutLong(flag);
    load.PutBytes(name.c_str(), name.size() + 1);
    result = load.Send();
  }
  StreamFileToBoard(input, &result);
  if (result == 0) {
    CommandScope range(86);
    range.Send();
    if (from) *from = GetShortReply(8);
    if (to) *to = GetShortReply(10);
  }
  input.Close();
  if (status) *status = result;
  return result;
}

std::int32_t LoadTyped(const char* name, const char* file, std::int32_t* flag, std::int32_t* from,
                       std::int32_t* to, std::int32_t format, std::int32_t* status) {
  std::string path = PathOf(file);
  LogOther("%s %.200s %li %li", name, path.c_str(), static_cast<long>(from ? *from : 0),
           static_cast<long>(to ? *to : 0));
  ExportFrame frame;
  if (frame.Refused()) return -2;
  return LoadTypedFrameFile(path, flag ? *flag : 0, from, to, format, status);
}

std::uint32_t BigValue(const unsigned char* p, int n) {
  std::uint32_t v = 0;
  for (int i = 0; i < n; ++i) v = (v << 8) | p[i];
  return v;
}

}  // namespace
}  // namespace vexlib

using namespace vexlib;

extern "C" {

std::int32_t LoadVXA(const char* file, std::int32_t* flag, std::int32_t* from, std::int32_t* to, const void*,
                     std::int32_t* status) {
  return LoadTyped("LoadVXA", file, flag, from, to, kLazrFile, status);
}

std::int32_t LoadVXB(const char* file, std::int32_t* flag, std::int32_t* from, std::int32_t* to, const void*,
                     std::int32_t* status) {
  return LoadTyped("LoadVXB", file, flag, from, to, kObjectFile, status);
}

std::int32_t LoadLFile(const char* file, std::int32_t* from, std::int32_t* to, const void*, std::int32_t* status) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  std::string path = PathOf(file);
  const std::int32_t askedFrom = from ? *from : 0;
  const std::int32_t askedTo = to ? *to : 0;
  LogExport("LoadLFile %.200s %li %li", path.c_str(), static_cast<long>(askedFrom), static_cast<long>(askedTo));
  // Each attempt starts from the range asked for.
  auto attempt = [&](std::int32_t format) {
    if (from) *from = askedFrom;
    if (to) *to = askedTo;
    return LoadTypedFrameFile(path, 1, from, to, format, nullptr);
  };
  LogOther("LoadVXB %.200s %li %li", path.c_str(), static_cast<long>(askedFrom), static_cast<long>(askedTo));
  std::int32_t result = attempt(kObjectFile);
  if (result == 0) {
    result = -15;
  } else if (result == VX_BOOT_FILE_WRONG_TYPE) {
    LogOther("LoadVXA %.200s %li %li", path.c_str(), static_cast<long>(askedFrom), static_cast<long>(askedTo));
    result = attempt(kLazrFile);
    if (result == 0) {
      result = -12;
    } else if (result == VX_BOOT_FILE_WRONG_TYPE) {
      result = attempt(kIldaFile);
      if (result == 0) {
        result = -13;
      } else if (path.size() > 4) {
        static const struct {
          const char* extension;
          std::int32_t code;
        } kExtensions[] = {{".DEC", kDecCode}, {".DE3", 6}, {".FDF", 7},  {".FDX", 8}, {".SDF", 9},
                           {".SDX", 10},       {".BFX", 11}, {".B3D", 12}, {".SCN", 13}};
        std::string extension = path.substr(path.size() - 4);
        LogOther("FileExtension=%s", extension.c_str());
        for (const auto& entry : kExtensions) {
          if (!winplat::AsciiEqualNoCase(extension, entry.extension)) continue;
          result = attempt(entry.code);
          if (result == 0) result = entry.code == kDecCode ? -14 : -11;
          break;
        }
      }
    }
  }
  // On success the caller's variables hold the range the board filled, else the range asked for.
  bool loaded = result <= -11 && result >= -15;
  if (!loaded && from) *from = askedFrom;
  if (!loaded && to) *to = askedTo;
  if (status) *status = result;
  return result;
}

std::int32_t ReadFileInfo(const char* file, char* title, std::int32_t* frames, std::int32_t* kind, const void*,
                          std::int32_t* status) {
  std::string path = PathOf(file);
  LogOther("ReadFileInfo %.200s", path.c_str());
  winplat::File input = winplat::File::OpenForReading(path);
  if (!input.IsOpen()) {
    if (status) *status = VX_BOOT_FILE_MISSING;
    return VX_BOOT_FILE_MISSING;
  }
  if (frames) *frames = 1;
  unsigned char header[20];
  std::int32_t result = 0;
  if (input.Read(header, sizeof header) != static_cast<std::int64_t>(sizeof header)) {
    result = VX_BOOT_FILE_WRONG_TYPE;
  } else if (std::memcmp(header, "MORVANTEOBJECT1", 15) == 0) {
    // The title length is taken as unsigned and bounded by what the caller's buffer holds.
    std::size_t length = std::min<std::size_t>(header[15], kTitleBytes);
    char text[kTitleBytes + 1] = {};
    if (length > 0 && input.Read(text, length) != static_cast<std::int64_t>(length)) {
      result = VX_BOOT_FILE_WRONG_TYPE;
    } else {
      if (kind) *kind = kObjectFile;
      if (frames) *frames = static_cast<std::int32_t>(BigValue(header + 16, 2));
      if (title) std::memcpy(title, text, length + 1);
    }
  } else if (std::memcmp(header, "LAZR", 4) == 0) {
    if (kind) *kind = kLazrFile;
    if (title) title[0] = 0;
    if (frames) *frames = static_cast<std::int32_t>(BigValue(header + 4, 2));
  } else if (std::memcmp(header, "ILDA", 4) == 0) {
    if (kind) *kind = kIldaFile;
    if (title) title[0] = 0;
  } else {
    result = VX_BOOT_FILE_WRONG_TYPE;
  }
  input.Close();
  if (status) *status = result;
  return result;
}

std::int32_t SaveLFile(const char* file, const char* title, std::int32_t* from, std::int32_t* to,
                       std::int32_t* format, const void*, std::int32_t* status) {
  ExportFrame frame;
  if (frame.Refused()) return -2;
  std::string path = PathOf(file);
  std::int32_t first = from ? *from : 0;
  std::int32_t last = to ? *to : 0;
  std::int32_t code = format ? *format : 0;
  LogExport("SaveLFile %.200s %.128s %li %li %li", path.c_str(), title ? title : "", static_cast<long>(first),
            static_cast<long>(last), static_cast<long>(code));
  if (last < first) std::swap(first, last);
  unsigned char operands[12];
  for (int i = 0; i < 3; ++i) {
    auto v = static_cast<std::uint32_t>(i == 0 ? first : i == 1 ? last : code);
    for (int b = 0; b < 4; ++b) operands[4 * i + b] = static_cast<unsigned char>(v >> (24 - 8 * b));
  }
  std::int32_t result = SaveBoardStream(path, 37, operands, sizeof operands);
  if (status) *status = result;
  return result;
}

}  // extern "C"
