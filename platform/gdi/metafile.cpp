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

struct MetaContext {
  bool enhanced = true;
  std::string fileName;
};

std::map<std::uint32_t, Metafile>& Metafiles() {
  static auto* table = new std::map<std::uint32_t, Metafile>;
  return *table;
}

std::map<HDC, MetaContext>& Contexts() {
  static auto* table = new std::map<HDC, MetaContext>;
  return *table;
}

std::uint32_t AddMetafile(bool enhanced, std::vector<std::uint8_t> bytes) {
  const std::uint32_t h = Reg().next++;
  Metafiles()[h] = Metafile{enhanced, std::move(bytes)};
  return h;
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

HDC NewMetaContext(HDC reference, bool enhanced, const char* fileName, std::shared_ptr<MetaRecorder> recorder) {
  int w = Screen().width, h = Screen().height, dpi = 0;
  if (Dc* ref = FindDc(reference)) {
    w = ref->st.surface->width;
    h = ref->st.surface->height;
    dpi = ref->dpi;
  }
  Dc* dc = NewDc(std::make_shared<Surface>(w, h, 0xFFFFFF), 0);
  dc->dpi = dpi;
  dc->meta = std::move(recorder);
  dc->metaType = enhanced ? OBJ_ENHMETADC : OBJ_METADC;
  Contexts()[dc->handle] = MetaContext{enhanced, fileName ? fileName : ""};
  return dc->handle;
}

std::uint32_t CloseContext(HDC hdc, bool enhanced) {
  auto it = Contexts().find(hdc);
  Dc* dc = FindDc(hdc);
  if (it == Contexts().end() || !dc || it->second.enhanced != enhanced) return 0;
  std::vector<std::uint8_t> bytes = dc->meta->Finish();
  const std::string fileName = it->second.fileName;
  Contexts().erase(it);
  DestroyDc(hdc);
  if (!fileName.empty() && !WriteWholeFile(fileName, bytes)) return 0;
  return AddMetafile(enhanced, std::move(bytes));
}

int DeviceDpi(const Dc& dc) { return dc.dpi > 0 ? dc.dpi : Screen().dpi; }

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
  return NewMetaContext(reference, true, fileName, NewEnhancedRecorder(f, device, dpi, desc));
}

HENHMETAFILE CloseEnhMetaFile(HDC hdc) {
  Lock lock(Reg().mu);
  return CloseContext(hdc, true);
}

bool DeleteEnhMetaFile(HENHMETAFILE metafile) {
  Lock lock(Reg().mu);
  return FindMetafile(metafile, true) && Metafiles().erase(metafile) == 1;
}

unsigned GetEnhMetaFileBits(HENHMETAFILE metafile, unsigned size, std::uint8_t* buffer) {
  Lock lock(Reg().mu);
  const Metafile* m = FindMetafile(metafile, true);
  if (!m) return 0;
  if (!buffer) return static_cast<unsigned>(m->bytes.size());
  if (size < m->bytes.size()) return 0;
  std::copy(m->bytes.begin(), m->bytes.end(), buffer);
  return static_cast<unsigned>(m->bytes.size());
}

HENHMETAFILE SetEnhMetaFileBits(unsigned size, const std::uint8_t* data) {
  if (!data || !WellFormedEnhanced(data, size)) return 0;
  Lock lock(Reg().mu);
  return AddMetafile(true, std::vector<std::uint8_t>(data, data + size));
}

HENHMETAFILE GetEnhMetaFile(const char* fileName) {
  if (!fileName) return 0;
  std::ifstream in(HostPath(fileName), std::ios::binary);
  if (!in) return 0;
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() > 0xFFFFFFFFu) return 0;
  return SetEnhMetaFileBits(static_cast<unsigned>(bytes.size()), bytes.data());
}

bool PlayEnhMetaFile(HDC hdc, HENHMETAFILE metafile, const RECT* rect) {
  std::vector<std::uint8_t> bytes;
  {
    Lock lock(Reg().mu);
    const Metafile* m = FindMetafile(metafile, true);
    if (!m || !FindDc(hdc) || !rect) return false;
    bytes = m->bytes;
  }
  return PlayEnhanced(hdc, bytes, *rect);
}

HDC CreateMetaFile(const char* fileName) {
  Lock lock(Reg().mu);
  if (fileName && *fileName && !Writable(fileName)) return 0;
  return NewMetaContext(0, false, fileName, NewOldStyleRecorder());
}

HMETAFILE CloseMetaFile(HDC hdc) {
  Lock lock(Reg().mu);
  return CloseContext(hdc, false);
}

bool DeleteMetaFile(HMETAFILE metafile) {
  Lock lock(Reg().mu);
  return FindMetafile(metafile, false) && Metafiles().erase(metafile) == 1;
}

unsigned GetMetaFileBitsEx(HMETAFILE metafile, unsigned size, void* data) {
  Lock lock(Reg().mu);
  const Metafile* m = FindMetafile(metafile, false);
  if (!m) return 0;
  if (!data) return static_cast<unsigned>(m->bytes.size());
  if (size < m->bytes.size()) return 0;
  std::copy(m->bytes.begin(), m->bytes.end(), static_cast<std::uint8_t*>(data));
  return static_cast<unsigned>(m->bytes.size());
}

HMETAFILE SetMetaFileBitsEx(unsigned size, const std::uint8_t* data) {
  if (!data || !WellFormedOldStyle(data, size)) return 0;
  Lock lock(Reg().mu);
  return AddMetafile(false, std::vector<std::uint8_t>(data, data + size));
}

bool PlayMetaFile(HDC hdc, HMETAFILE metafile) {
  std::vector<std::uint8_t> bytes;
  {
    Lock lock(Reg().mu);
    const Metafile* m = FindMetafile(metafile, false);
    if (!m || !FindDc(hdc)) return false;
    bytes = m->bytes;
  }
  return PlayOldStyle(hdc, bytes);
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
