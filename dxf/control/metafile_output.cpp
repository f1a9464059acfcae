// Metafile output: the view as the control shows it, recorded by the
// rendering pass into an enhanced metafile (to a file or the clipboard) or
// into an old-style metafile written behind a placeable header. Recording
// happens in memory; files are written whole and put in place at once.
#include <cstring>

#include "dxf_control.h"
#include "winplat/clipboard.h"
#include "winplat/files.h"
#include "winplat/metafile.h"
#include "winplat/msgbox.h"
#include "winplat/screen.h"
#include "winplat/surface.h"

namespace kelvane {

using winplat::Args;
using winplat::Variant;

namespace {

// "Kelvane OCX", NUL, "Metafile", NUL, NUL.
constexpr char kDescription[] = "Kelvane OCX\0Metafile\0";
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7u;
constexpr double kTwipsPerMillimetre = 1440.0 / 25.4;

// The picture's size in pixels and in millimetres.
struct PictureSize {
  int widthPx = 0, heightPx = 0;
  float widthMM = 0, heightMM = 0;
};

PictureSize Measure(const PictureBox& picture) {
  PictureSize s;
  if (picture.hWnd) winplat::GetWindowSurfaceSize(picture.hWnd, &s.widthPx, &s.heightPx);
  s.widthMM = static_cast<float>(winplat::PixelsToTwips(s.widthPx) / kTwipsPerMillimetre);
  s.heightMM = static_cast<float>(winplat::PixelsToTwips(s.heightPx) / kTwipsPerMillimetre);
  return s;
}

// The frame in hundredths of a millimetre; the picture's scale starts at 0, 0.
winplat::RECT Frame(const PictureSize& s) {
  return winplat::RECT{0, 0, winplat::CLng(s.widthMM * 100.0f), winplat::CLng(s.heightMM * 100.0f)};
}

std::string FileArgument(const Variant& Filename) {
  return (Filename.IsMissing() || Filename.IsEmpty()) ? std::string() : Filename.ToString();
}

std::vector<std::uint8_t> EnhancedBytes(winplat::HENHMETAFILE metafile) {
  std::vector<std::uint8_t> bytes(winplat::GetEnhMetaFileBits(metafile, 0, nullptr));
  if (!bytes.empty()) winplat::GetEnhMetaFileBits(metafile, static_cast<unsigned>(bytes.size()), bytes.data());
  return bytes;
}

// Puts the metafile on the clipboard in the enhanced-metafile format.
void ToClipboard(winplat::HWND owner, winplat::HENHMETAFILE metafile) {
  const std::vector<std::uint8_t> bytes = EnhancedBytes(metafile);
  if (!winplat::OpenClipboard(owner)) throw winplat::RuntimeError(521);  // Can't open Clipboard
  const bool stored =
      winplat::EmptyClipboard() &&
      winplat::SetClipboardData(winplat::CF_ENHMETAFILE,
                                std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  winplat::CloseClipboard();
  if (!stored) throw winplat::RuntimeError(521);
}

// Runs the drawing into the recording context and closes it: the metafile, 0
// when it could not be finished. A drawing that fails leaves no metafile.
template <class Draw>
winplat::HENHMETAFILE Recorded(winplat::HDC dc, Draw&& draw) {
  try {
    draw();
  } catch (...) {
    winplat::DeleteEnhMetaFile(winplat::CloseEnhMetaFile(dc));
    throw;
  }
  return winplat::CloseEnhMetaFile(dc);
}

// Puts a finished metafile on the clipboard when no file was named, and deletes it.
void Deliver(winplat::HWND owner, winplat::HENHMETAFILE metafile, const std::string& file) {
  struct Release {
    winplat::HENHMETAFILE m;
    ~Release() { winplat::DeleteEnhMetaFile(m); }
  } release{metafile};
  if (file.empty()) ToClipboard(owner, metafile);
}

void PutWord(std::string& out, std::uint16_t w) {
  out.push_back(static_cast<char>(w & 0xFF));
  out.push_back(static_cast<char>(w >> 8));
}

}  // namespace

std::int16_t DXF::SaveWMFOld(const Variant& Filename) {
  winplat::SetMousePointer(winplat::vbHourglass);
  return WithErrorTrail("SaveWMFOld", [&]() -> std::int16_t {
      const winplat::RECT frame = Frame(Measure(picKelvane));
      const std::string file = FileArgument(Filename);
      winplat::HDC dc = winplat::CreateEnhMetaFile(picKelvane.hDC, file.empty() ? nullptr : file.c_str(), &frame,
                                                   kDescription);
      if (!dc) {
        winplat::MessageBox(0, "WMF not created", kLibraryName, 0);
      } else {
        winplat::HENHMETAFILE metafile = Recorded(dc, [&] { Zoom(CurrentView, picKelvane, dc, false); });
        if (!metafile) throw winplat::RuntimeError(75);
        Deliver(picKelvane.hWnd, metafile, file);
      }
      winplat::SetMousePointer(winplat::vbDefault);
      return 0;
  }, DrawingCleanup());
}

std::int16_t DXF::SaveWMF(const Variant& Filename) {
  winplat::SetMousePointer(winplat::vbHourglass);
  return WithErrorTrail("SaveWMF", [&]() -> std::int16_t {
      const winplat::RECT frame = Frame(Measure(picKelvane));
      const std::string file = FileArgument(Filename);
      winplat::HDC reference = picKelvane.hWnd ? winplat::GetDC(picKelvane.hWnd) : 0;
      winplat::HDC dc = winplat::CreateEnhMetaFile(reference, file.empty() ? nullptr : file.c_str(), &frame,
                                                   kDescription);
      if (reference) winplat::ReleaseDC(picKelvane.hWnd, reference);
      const winplat::HENHMETAFILE metafile =
          dc ? Recorded(dc, [&] { Zoom(CurrentView, picKelvane, dc, false); }) : 0;
      if (metafile) {
        Deliver(picKelvane.hWnd, metafile, file);
      } else if (!file.empty()) {
        // The old-style fallback, behind a placeable header.
        if (!WritePlaceableMetafile(file)) throw winplat::RuntimeError(75);
      } else if (dc) {
        throw winplat::RuntimeError(75);
      }
      winplat::SetMousePointer(winplat::vbDefault);
      return 0;
  }, DrawingCleanup());
}

bool DXF::WritePlaceableMetafile(const std::string& fileName) {
  winplat::SetMousePointer(winplat::vbHourglass);
  winplat::HDC dc = 0;
  winplat::HGDIOBJ metafile = 0;
  bool written = false;
  try {
    const PictureSize size = Measure(picKelvane);
    const std::int16_t right = winplat::CInt(size.widthPx), bottom = winplat::CInt(size.heightPx);
    const int perInch = winplat::GetDeviceCaps(picKelvane.hDC, winplat::LOGPIXELSX);
    const std::uint16_t words[10] = {static_cast<std::uint16_t>(kPlaceableKey & 0xFFFF),
                                     static_cast<std::uint16_t>(kPlaceableKey >> 16),
                                     0,
                                     0,
                                     0,
                                     static_cast<std::uint16_t>(right),
                                     static_cast<std::uint16_t>(bottom),
                                     static_cast<std::uint16_t>(perInch),
                                     0,
                                     0};
    std::uint16_t checksum = 0;
    std::string out;
    for (std::uint16_t w : words) {
      PutWord(out, w);
      checksum ^= w;
    }
    PutWord(out, checksum);

    dc = winplat::CreateMetaFile(nullptr);
    if (dc) {
      ClosedMetafile = 0;
      Zoom(CurrentView, picKelvane, dc, false);
      // The pass closes the metafile at its end; one that ended early is closed here.
      metafile = std::exchange(ClosedMetafile, 0);
      if (!metafile) metafile = winplat::CloseMetaFile(dc);
      dc = 0;
      const unsigned n = winplat::GetMetaFileBitsEx(metafile, 0, nullptr);
      const std::size_t at = out.size();
      out.resize(at + n);
      if (n && winplat::GetMetaFileBitsEx(metafile, n, out.data() + at) == n) {
        winplat::ReplacingWriter writer = winplat::ReplacingWriter::Open(fileName);
        written = writer.IsOpen() && writer.Write(out) && writer.Commit();
      }
    }
  } catch (...) {
    // Any failure ends the writing quietly; nothing was put in place.
    if (!metafile) metafile = std::exchange(ClosedMetafile, 0);
  }
  if (dc && !metafile) metafile = winplat::CloseMetaFile(dc);
  if (metafile) winplat::DeleteMetaFile(metafile);
  winplat::SetMousePointer(winplat::vbDefault);
  return written;
}

void DXF::RegisterMetafiles() {
  AddMethod(
      dispid::SaveWMFOld, "SaveWMFOld",
      [this](Args& a) { return Variant(SaveWMFOld(a.Missing(0) ? Variant::Missing() : a[0])); }, 1);
  AddMethod(
      dispid::SaveWMF, "SaveWMF", [this](Args& a) { return Variant(SaveWMF(a.Missing(0) ? Variant::Missing() : a[0])); },
      1);
}

}  // namespace kelvane
