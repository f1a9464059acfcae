// The boot download: the board operating software, Motorola S-record text,
// sent a line at a time while the board runs only its boot program.
#include <cstdio>
#include <string>

#include "export_frame.h"
#include "sessions.h"
#include "transport.h"
#include "vexlib/vexlib.h"
#include "winplat/files.h"
#include "winplat/folders.h"
#include "winplat/msgbox.h"

namespace vexlib {
namespace {

constexpr std::size_t kReadBufferBytes = 512;
// "S3", a count byte and 255 bytes of address, data and checksum, as hex digits.
constexpr std::size_t kLongestLine = 514;
constexpr int kEnd = -1;
constexpr int kReadFailed = -2;

// Reads the file a 512-byte buffer at a time and hands it out byte by byte,
// so lines that span two reads come back together.
class ByteReader {
 public:
  explicit ByteReader(winplat::File& file) : file_(file) {}
  int Next() {
    if (pos_ == filled_) {
      std::int64_t n = file_.Read(buffer_, sizeof buffer_);
      if (n < 0) return kReadFailed;
      if (n == 0) return kEnd;
      filled_ = static_cast<std::size_t>(n);
      pos_ = 0;
    }
    return buffer_[pos_++];
  }

 private:
  winplat::File& file_;
  unsigned char buffer_[kReadBufferBytes] = {};
  std::size_t filled_ = 0;
  std::size_t pos_ = 0;
};

void Box(const std::string& text, const char* caption) {
  winplat::MessageBox(0, text, caption,
                      winplat::MB_OK | winplat::MB_ICONEXCLAMATION | winplat::MB_TASKMODAL |
                          winplat::MB_SETFOREGROUND);
}

std::int32_t WrongFileType(const char* name) {
  std::string text = std::string("Error detected in ") + name + " file.";
  WriteLogLine(text);
  Box(text, "VEXLIB.DLL: Wrong file type");
  return VX_BOOT_FILE_WRONG_TYPE;
}

bool EndsLine(int c) { return c == kEnd || c == kReadFailed || c == 0 || c == '\n' || c == '\r' || c == 0xFF; }

std::int32_t SendLines(ByteReader& reader, const char* name) {
  std::string line;
  int c = reader.Next();
  for (;;) {
    while (c == '\r' || c == '\n') c = reader.Next();
    if (c == kReadFailed) return WrongFileType(name);
    if (c == kEnd || c == 0xFF) {
      LogOther("End of %s file found.", name);
      return 0;
    }
    line.clear();
    while (!EndsLine(c)) {
      if (line.size() == kLongestLine) return WrongFileType(name);
      line.push_back(static_cast<char>(c));
      c = reader.Next();
    }
    if (line.size() < 2 || line[0] != 'S' || (line[1] != '3' && line[1] != '7')) return WrongFileType(name);
    std::int32_t result = 0;
    {
      CommandScope record(1);
      record.PutBytes(line.data(), line.size());
      result = record.Send();
    }
    if (result != 0) return result;
    // Whatever follows a NUL up to the line's end is not part of the record.
    if (c == 0) {
      do c = reader.Next();
      while (c == 0 || !EndsLine(c));
    }
  }
}

}  // namespace

std::int32_t DownloadBootSoftware() {
  bool pci = Lib().boards.pciMode != 0;
  const char* name = pci ? "VEXLIB.TBS" : "VX.T32";
  std::string path = winplat::SystemDirectory() + "\\" + name;
  LogOther("Loading file %s,", name);
  LogOther("please wait ...");
  winplat::File file = winplat::File::OpenForReading(path);
  if (!file.IsOpen()) {
    char text[1024];
    std::snprintf(text, sizeof text,
                  pci ? "File %s not found.\nPlease be sure the file VEXLIB.TBS is in your SYSTEM or SYSTEM32 "
                        "directory, then re-run the VX program."
                      : "File %s not found.\nPlease be sure the file VX.T32 is in the WINDOWS\\SYSTEM directory, "
                        "then re-run the VX program.",
                  path.c_str());
    WriteLogLine(text);
    Box(text, "VEXLIB.DLL: Missing file");
    return VX_BOOT_FILE_MISSING;
  }
  ByteReader reader(file);
  std::int32_t result = SendLines(reader, name);
  file.Close();
  if (result != 0) return result;
  CommandScope start(8);
  start.PutLong(static_cast<std::int32_t>(pci ? 0xC0090000u : 0x0C080000u));
  return start.Send();
}

}  // namespace vexlib
