// Metafile contexts and finished metafiles: creation over a reference
// context, closing into bytes (and a file), the metafile table, and the
// device capabilities of every kind of context.
#include "winplat/metafile.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>

#include "metafile_bytes.h"
#include "metafile_play.h"
#include "winplat/files.h"
#include "winplat/paths.h"
#include "winplat/screen.h"

namespace winplat {

using namespace gdi;

namespace {

struct Metafile {
  bool enhanced = true;
  std::vector<std::uint8_t> bytes;
};

std::map<std::uint32_t, Metafile>& Metafiles() {
  static auto* table = new std::map<std::uint32_t, Metafile>;
  return *table;
}

// The file each open metafile context writes when it is closed ("" for none).
std::map<HDC, std::string>& ContextFiles() {
  static auto* table = new std::map<HDC, std::string>;
  return *table;
}

std::uint32_t AddMetafile(bool enhanced, std::vector<std::uint8_t> bytes) {
  const std::uint32_t h = Reg().next++;
  Metafiles()[h] = Metafile{enhanced, std::move(bytes)};
  return h;
}

// A metafile holding a copy of the bytes; 0 when they are not one of its format.
std::uint32_t AddCopy(bool enhanced, unsigned size, const std::uint8_t* data) {
  if (!data || !(enhanced ? WellFormedEnhanced(data, size) : WellFormedOldStyle(data, size))) return 0;
  Lock lock(Reg().mu);
  return AddMetafile(enhanced, std::vector<std::uint8_t>(data, data + size));
}

const Metafile* FindMetafile(std::uint32_t h, bool enhanced) {
  auto it = Metafiles().find(h);
  return (it == Metafiles().end() || it->second.enhanced != enhanced) ? nullptr : &it->second;
}

// A file name that can be written: its folder exists.
bool Writable(const char* fileName) {
  if (!fileName || !*fileName) return false;
  std::error_code ec;
  const std::filesystem::path host = HostPath(fileName);
  return std::filesystem::is_directory(host.parent_path(), ec);
}

bool WriteWholeFile(const std::string& fileName, const std::vector<std::uint8_t>& bytes) {
  ReplacingWriter out = ReplacingWriter::Open(fileName);
  return out.IsOpen() && out.Write(bytes.data(), bytes.size()) && out.Commit();
}

int DeviceDpi(const Dc& dc) { return dc.dpi > 0 ? dc.dpi : Screen().dpi; }

// A recording context over a surface of the device's size.
HDC NewMetaContext(SIZE device, int dpi, bool enhanced, const char* fileName, std::shared_ptr<MetaRecorder> recorder) {
  Dc* dc = NewDc(std::make_shared<Surface>(device.cx, device.cy, 0xFFFFFF), 0);
  dc->dpi = dpi;
  dc->meta = std::move(recorder);
  dc->metaType = enhanced ? OBJ_ENHMETADC : OBJ_METADC;
  ContextFiles()[dc->handle] = fileName ? fileName : "";
  return dc->handle;
}

std::uint32_t CloseContext(HDC hdc, bool enhanced) {
  Lock lock(Reg().mu);
  auto it = ContextFiles().find(hdc);
  Dc* dc = FindDc(hdc);
  if (it == ContextFiles().end() || !dc || dc->metaType != (enhanced ? OBJ_ENHMETADC : OBJ_METADC)) return 0;
  std::vector<std::uint8_t> bytes = dc->meta->Finish();
  const std::string fileName = it->second;
  ContextFiles().erase(it);
  DestroyDc(hdc);
  if (!fileName.empty() && !WriteWholeFile(fileName, bytes)) return 0;
  return AddMetafile(enhanced, std::move(bytes));
}

bool DeleteMetafile(std::uint32_t h, bool enhanced) {
  Lock lock(Reg().mu);
  return FindMetafile(h, enhanced) && Metafiles().erase(h) == 1;
}

// The metafile's bytes: their count when `buffer` is null, else copied (0 when it is too small).
unsigned CopyBits(std::uint32_t h, bool enhanced, unsigned size, std::uint8_t* buffer) {
  Lock lock(Reg().mu);
  const Metafile* m = FindMetafile(h, enhanced);
  if (!m) return 0;
  if (!buffer) return static_cast<unsigned>(m->bytes.size());
  if (size < m->bytes.size()) return 0;
  std::copy(m->bytes.begin(), m->bytes.end(), buffer);
  return static_cast<unsigned>(m->bytes.size());
}

// A copy of the bytes to play on `hdc`, taken under the lock; none when either is unknown.
std::optional<std::vector<std::uint8_t>> BytesToPlay(HDC hdc, std::uint32_t h, bool enhanced) {
  Lock lock(Reg().mu);
  const Metafile* m = FindMetafile(h, enhanced);
  if (!m || !FindDc(hdc)) return std::nullopt;
  return m->bytes;
}

}  // namespace

HDC CreateEnhMetaFile(HDC reference, const char* fileName, const RECT* frame, const char* description) {
  Lock lock(Reg().mu);
  if (fileName && *fileName && !Writable(fileName)) return 0;
  if (reference && !FindDc(reference)) return 0;
  SIZE device{Screen().width, Screen().height};
  int dpi = Screen().dpi;
  if (Dc* ref = FindDc(reference)) {
    device = SIZE{ref->st.surface->width, ref->st.surface->height};
    dpi = DeviceDpi(*ref);
  }
  RECT f = frame ? *frame
                 : RECT{0, 0, static_cast<std::int32_t>(std::lround(device.cx * 2540.0 / dpi)),
                        static_cast<std::int32_t>(std::lround(device.cy * 2540.0 / dpi))};
  // The description runs to its second NUL in a row.
  std::string desc;
  if (description) {
    const char* p = description;
    while (*p) {
      const std::size_t n = std::strlen(p);
      desc.append(p, n + 1);
      p += n + 1;
    }
    if (!desc.empty()) desc.push_back('\0');
  }
  return NewMetaContext(device, dpi, true, fileName, NewEnhancedRecorder(f, device, dpi, desc));
}

HENHMETAFILE CloseEnhMetaFile(HDC hdc) { return CloseContext(hdc, true); }

bool DeleteEnhMetaFile(HENHMETAFILE metafile) { return DeleteMetafile(metafile, true); }

unsigned GetEnhMetaFileBits(HENHMETAFILE metafile, unsigned size, std::uint8_t* buffer) {
  return CopyBits(metafile, true, size, buffer);
}

HENHMETAFILE SetEnhMetaFileBits(unsigned size, const std::uint8_t* data) { return AddCopy(true, size, data); }

HENHMETAFILE GetEnhMetaFile(const char* fileName) {
  if (!fileName) return 0;
  std::ifstream in(HostPath(fileName), std::ios::binary);
  if (!in) return 0;
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() > 0xFFFFFFFFu) return 0;
  return SetEnhMetaFileBits(static_cast<unsigned>(bytes.size()), bytes.data());
}

bool PlayEnhMetaFile(HDC hdc, HENHMETAFILE metafile, const RECT* rect) {
  if (!rect) return false;
  const auto bytes = BytesToPlay(hdc, metafile, true);
  return bytes && PlayEnhanced(hdc, *bytes, *rect);
}

HDC CreateMetaFile(const char* fileName) {
  Lock lock(Reg().mu);
  if (fileName && *fileName && !Writable(fileName)) return 0;
  return NewMetaContext(SIZE{Screen().width, Screen().height}, 0, false, fileName, NewOldStyleRecorder());
}

HMETAFILE CloseMetaFile(HDC hdc) { return CloseContext(hdc, false); }

bool DeleteMetaFile(HMETAFILE metafile) { return DeleteMetafile(metafile, false); }

unsigned GetMetaFileBitsEx(HMETAFILE metafile, unsigned size, void* data) {
  return CopyBits(metafile, false, size, static_cast<std::uint8_t*>(data));
}

HMETAFILE SetMetaFileBitsEx(unsigned size, const std::uint8_t* data) { return AddCopy(false, size, data); }

bool PlayMetaFile(HDC hdc, HMETAFILE metafile) {
  const auto bytes = BytesToPlay(hdc, metafile, false);
  return bytes && PlayOldStyle(hdc, *bytes);
}

int GetDeviceCaps(HDC hdc, int index) {
  Lock lock(Reg().mu);
  Dc* dc = FindDc(hdc);
  if (!dc) return 0;
  const int dpi = DeviceDpi(*dc);
  // Windows and memory contexts answer for the screen; printer pages and
  // metafile contexts for their own device.
  int w = Screen().width, h = Screen().height;
  if (dc->dpi > 0 || dc->meta) {
    w = dc->st.surface->width;
    h = dc->st.surface->height;
  }
  switch (index) {
    case HORZSIZE: return static_cast<int>(std::lround(w * 25.4 / dpi));
    case VERTSIZE: return static_cast<int>(std::lround(h * 25.4 / dpi));
    case HORZRES: return w;
    case VERTRES: return h;
    case LOGPIXELSX:
    case LOGPIXELSY: return dpi;
    default: return 0;
  }
}

}  // namespace winplat
