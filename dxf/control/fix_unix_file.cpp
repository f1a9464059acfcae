// FixUNIXFile: a copy of a text file whose lines end in LF alone, with CR LF
// line ends, the progress shown on picStatusBar.
#include "../reader/dxf_output.h"
#include "dxf_control.h"
#include "winplat/screen.h"

namespace kelvane {

using winplat::Args;
using winplat::Variant;

namespace {

constexpr double kProgressStep = 0.05;
constexpr char kFailurePrefix[] = "An error ocurred in FixUNIXFile. The message is: ";

// The blue box on the status bar each time the part read passes the next 0.05.
class Progress {
 public:
  Progress(PictureBox& bar, std::int64_t length) : bar_(bar), length_(length) {}
  void At(std::int64_t position) {
    double fraction = length_ <= 0 ? 1.0 : static_cast<double>(position) / static_cast<double>(length_);
    if (fraction > 1.0) fraction = 1.0;
    if (fraction < next_) return;
    while (next_ <= fraction) next_ = kProgressStep * static_cast<double>(++steps_ + 1);
    PaintProgress(bar_, fraction);
  }

 private:
  PictureBox& bar_;
  std::int64_t length_;
  double next_ = kProgressStep;
  std::uint32_t steps_ = 0;
};

}  // namespace

bool DXF::FixUNIXFile(std::string& strError, const std::string& InFileName, const std::string& OutFileName) {
  bool ok = false;
  try {
    winplat::SetMousePointer(winplat::vbHourglass);
    if (winplat::SameFile(InFileName, OutFileName))
      throw ProcedureError("FixUNIXFile", "The input and  output file names must be different.");
    winplat::File in = winplat::File::OpenForReading(InFileName);
    if (!in.IsOpen()) throw InputFileError(in.Error(), InFileName);
    // The output appears only once the whole input has converted.
    winplat::ReplacingWriter out = winplat::ReplacingWriter::Open(OutFileName);
    if (!out.IsOpen()) throw OutputFileError(out.Error(), OutFileName);
    const auto writeFailed = [&] {
      return winplat::AutomationError(57, kLibraryName, winplat::ErrorText(57) + " writing " + OutFileName);
    };
    SetStatusBarVisible(true);
    Progress progress(picStatusBar, in.Size());
    std::string chunk;
    bool lineOpen = false;  // characters written since the last line end
    std::int64_t position = 0;
    char block[65536];
    for (;;) {
      const std::int64_t n = in.Read(block, sizeof block);
      if (n < 0)
        throw winplat::AutomationError(57, kLibraryName, winplat::ErrorText(57) + " reading " + InFileName);
      if (n == 0) break;
      chunk.clear();
      for (std::int64_t i = 0; i < n; ++i) {
        const char ch = block[i];
        progress.At(++position);
        if (ch == '\r')
          throw winplat::AutomationError(static_cast<std::int32_t>(0x80040064u), "FixUNIXFile",
                                         "File already appears to be DOS/Windows compatible. CR/LF pairs are intact.");
        if (ch == '\n') {
          chunk += "\r\n";
          lineOpen = false;
        } else {
          chunk += ch;
          lineOpen = true;
        }
      }
      if (!out.Write(chunk)) throw writeFailed();
    }
    if (lineOpen && !out.Write("\r\n")) throw writeFailed();
    if (!out.Commit()) throw writeFailed();
    strError.clear();
    ok = true;
  } catch (...) {
    strError = kFailurePrefix + CurrentErrorText();
  }
  winplat::SetMousePointer(winplat::vbDefault);
  SetStatusBarVisible(false);
  ClearStatusBar();
  return ok;
}

void DXF::RegisterLineEnds() {
  AddMethod(dispid::FixUNIXFile, "FixUNIXFile", [this](Args& a) {
    std::string strError = a.Missing(0) ? std::string() : a.String(0);
    bool ok = false;
    try {
      ok = FixUNIXFile(strError, a.String(1), a.String(2));
    } catch (...) {
      strError = kFailurePrefix + CurrentErrorText();
    }
    try {
      a.Set(0, Variant(strError));
    } catch (...) {
      // An strError the text cannot be stored in: the False result still tells.
    }
    return Variant(ok);
  }, 3);
}

}  // namespace kelvane
