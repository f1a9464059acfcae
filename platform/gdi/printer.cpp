// The printer stand-in: installed printers from a settings file under the
// machine root, the current printer, pages as bitmaps at 300 pixels per inch,
// and finished documents written as PNG files into the print folder.
#include "winplat/printer.h"

#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>

#include "gdi_internal.h"
#include "winplat/gdi.h"
#include "winplat/paths.h"
#include "winplat/picture.h"
#include "winplat/profile.h"
#include "winplat/variant.h"

namespace winplat {
namespace {

constexpr const char* kPrintersFile = "C:\\WINDOWS\\PRINTERS.INI";
constexpr const char* kDefaultFolder = "C:\\PRINT";

struct Page {
  HDC dc = 0;
  HBITMAP bitmap = 0;
  HGDIOBJ oldBitmap = 0;
};

struct State {
  std::recursive_mutex mu;
  std::optional<std::vector<PrinterSettings>> printers;
  std::string folder = kDefaultFolder;
  std::size_t current = 0;
  std::int16_t scaleMode = 1;
  std::vector<Page> pages;  // the open document's pages, the last one open
  std::vector<std::string> lastFiles;
};

State& S() {
  static State s;
  return s;
}

using Lock = std::lock_guard<std::recursive_mutex>;

std::string ProfileString(const char* section, const char* key, const char* def) {
  std::vector<char> buffer(4096);
  std::uint32_t n = GetPrivateProfileStringA(section, key, def, buffer.data(), static_cast<std::uint32_t>(buffer.size()),
                                             kPrintersFile);
  return std::string(buffer.data(), n);
}

void Load(State& s) {
  if (s.printers) return;
  std::vector<PrinterSettings> list;
  std::string def;
  try {
    for (int i = 1;; ++i) {
      std::string key = "Device" + std::to_string(i);
      std::string name = ProfileString("Printers", key.c_str(), "");
      if (name.empty()) break;
      PrinterSettings p;
      p.DeviceName = name;
      auto value = [&](const char* k, std::int16_t d) {
        return static_cast<std::int16_t>(GetPrivateProfileIntA(name.c_str(), k, d, kPrintersFile));
      };
      p.Orientation = value("Orientation", vbPRORPortrait);
      p.PaperBin = value("PaperBin", 1);
      p.Copies = value("Copies", 1);
      p.PaperSize = value("PaperSize", vbPRPSA4);
      list.push_back(p);
    }
    def = ProfileString("Printers", "Default", "");
    s.folder = ProfileString("Printers", "Folder", kDefaultFolder);
  } catch (const PathError&) {
    list.clear();
  }
  s.current = 0;
  for (std::size_t i = 0; i < list.size(); ++i)
    if (list[i].DeviceName == def) s.current = i;
  s.printers = std::move(list);
}

PrinterSettings& Current(State& s) {
  Load(s);
  if (s.printers->empty()) throw AutomationError(484, "Printer", "No printer is installed on this machine.");
  return (*s.printers)[s.current];
}

// Paper size in thousandths of an inch (portrait).
bool PaperInches(std::int16_t paperSize, int* w, int* h) {
  switch (paperSize) {
    case vbPRPSLetter: *w = 8500; *h = 11000; return true;
    case vbPRPSLegal: *w = 8500; *h = 14000; return true;
    case vbPRPSExecutive: *w = 7250; *h = 10500; return true;
    case vbPRPSA3: *w = 11693; *h = 16535; return true;
    case vbPRPSA4: *w = 8268; *h = 11693; return true;
    case vbPRPSA5: *w = 5827; *h = 8268; return true;
    default: return false;
  }
}

void PagePixels(const PrinterSettings& p, std::int32_t* w, std::int32_t* h) {
  int wi = 0, hi = 0;
  if (!PaperInches(p.PaperSize, &wi, &hi)) PaperInches(vbPRPSA4, &wi, &hi);
  *w = static_cast<std::int32_t>(static_cast<long long>(wi) * kPrinterDpi / 1000);
  *h = static_cast<std::int32_t>(static_cast<long long>(hi) * kPrinterDpi / 1000);
  if (p.Orientation == vbPRORLandscape) std::swap(*w, *h);
}

void FreePage(Page& page) {
  if (page.oldBitmap) SelectObject(page.dc, page.oldBitmap);
  if (page.dc) DeleteDC(page.dc);
  if (page.bitmap) DeleteObject(page.bitmap);
  page = Page{};
}

void OpenPage(State& s) {
  const PrinterSettings& p = Current(s);
  std::int32_t w = 0, h = 0;
  PagePixels(p, &w, &h);
  Page page;
  page.dc = CreateCompatibleDC(0);
  page.bitmap = CreateCompatibleBitmap(page.dc, w, h);
  // A new memory context's own one-pixel bitmap may have no handle: 0 back is no failure.
  if (page.dc && page.bitmap) page.oldBitmap = SelectObject(page.dc, page.bitmap);
  if (!page.dc || !page.bitmap || GetCurrentObject(page.dc, OBJ_BITMAP) != page.bitmap) {
    FreePage(page);
    throw RuntimeError(7, "Printer");
  }
  {
    gdi::Lock lock(gdi::Reg().mu);
    if (gdi::Dc* dc = gdi::FindDc(page.dc)) dc->dpi = kPrinterDpi;
  }
  HBRUSH white = CreateSolidBrush(0xFFFFFF);
  RECT all{0, 0, w, h};
  FillRect(page.dc, &all, white);
  DeleteObject(white);
  s.pages.push_back(page);
}

void EnsurePage(State& s) {
  if (s.pages.empty()) OpenPage(s);
}

void DropPages(State& s) {
  for (Page& p : s.pages) FreePage(p);
  s.pages.clear();
}

// A new file in the folder, created exclusively so that no two writers share a name.
std::filesystem::path UniqueFile(const std::filesystem::path& folder, std::string* windowsPath) {
  for (int n = 1;; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "PAGE%05d.png", n);
    std::filesystem::path file = folder / name;
    if (std::filesystem::exists(file)) continue;
    if (std::FILE* f = std::fopen(file.c_str(), "wx")) {
      std::fclose(f);
      *windowsPath = WindowsPathOf(file);
      return file;
    }
    if (n > 99999) throw RuntimeError(67, "Printer");
  }
}

}  // namespace

std::vector<PrinterSettings> Printers() {
  State& s = S();
  Lock lock(s.mu);
  Load(s);
  return *s.printers;
}

void ReloadPrinters() {
  State& s = S();
  Lock lock(s.mu);
  DropPages(s);
  s.printers.reset();
  s.current = 0;
  s.scaleMode = 1;
  s.lastFiles.clear();
}

std::string PrinterObject::DeviceName() const {
  Lock lock(S().mu);
  return Current(S()).DeviceName;
}

void PrinterObject::SetCurrent(std::size_t index) {
  State& s = S();
  Lock lock(s.mu);
  Load(s);
  if (index >= s.printers->size()) throw RuntimeError(9, "Printer");
  s.current = index;
}

#define PRINTER_SETTING(Name, Valid)                             \
  std::int16_t PrinterObject::Name() const {                     \
    Lock lock(S().mu);                                           \
    return Current(S()).Name;                                    \
  }                                                              \
  void PrinterObject::Set##Name(std::int16_t value) {            \
    Lock lock(S().mu);                                           \
    PrinterSettings& p = Current(S());                           \
    if (!(Valid)) throw RuntimeError(380, "Printer");            \
    p.Name = value;                                              \
  }

namespace {
bool KnownPaper(std::int16_t v) {
  int w = 0, h = 0;
  return PaperInches(v, &w, &h);
}
}  // namespace

PRINTER_SETTING(Orientation, value == vbPRORPortrait || value == vbPRORLandscape)
PRINTER_SETTING(PaperBin, value > 0)
PRINTER_SETTING(Copies, value > 0 && value <= 999)
PRINTER_SETTING(PaperSize, KnownPaper(value))
#undef PRINTER_SETTING

std::int16_t PrinterObject::ScaleMode() const {
  Lock lock(S().mu);
  return S().scaleMode;
}

void PrinterObject::SetScaleMode(std::int16_t value) {
  Lock lock(S().mu);
  if (value != 1 && value != 3) throw RuntimeError(380, "Printer");
  S().scaleMode = value;
}

std::int32_t PrinterObject::PageWidth() const {
  Lock lock(S().mu);
  std::int32_t w = 0, h = 0;
  PagePixels(Current(S()), &w, &h);
  return w;
}

std::int32_t PrinterObject::PageHeight() const {
  Lock lock(S().mu);
  std::int32_t w = 0, h = 0;
  PagePixels(Current(S()), &w, &h);
  return h;
}

float PrinterObject::ScaleWidth() const {
  double px = PageWidth();
  return static_cast<float>(ScaleMode() == 3 ? px : px * 1440.0 / kPrinterDpi);
}

float PrinterObject::ScaleHeight() const {
  double px = PageHeight();
  return static_cast<float>(ScaleMode() == 3 ? px : px * 1440.0 / kPrinterDpi);
}

void PrinterObject::Print(const std::string& text) {
  State& s = S();
  Lock lock(s.mu);
  EnsurePage(s);
  if (!text.empty()) TextOut(s.pages.back().dc, 0, 0, text.data(), static_cast<int>(text.size()));
}

HDC PrinterObject::hDC() {
  State& s = S();
  Lock lock(s.mu);
  EnsurePage(s);
  return s.pages.back().dc;
}

void PrinterObject::NewPage() {
  State& s = S();
  Lock lock(s.mu);
  EnsurePage(s);
  OpenPage(s);
}

std::vector<std::string> PrinterObject::EndDoc() {
  State& s = S();
  Lock lock(s.mu);
  std::vector<std::string> written;
  if (s.pages.empty()) return written;
  const std::int16_t copies = Current(s).Copies;
  try {
    std::filesystem::path folder = HostPath(s.folder);
    std::filesystem::create_directories(folder);
    for (std::int16_t copy = 0; copy < copies; ++copy) {
      for (const Page& page : s.pages) {
        std::string windowsPath;
        std::filesystem::path file = UniqueFile(folder, &windowsPath);
        std::string error;
        if (!SaveDCPng(page.dc, file, &error)) throw AutomationError(75, "Printer", error);
        written.push_back(windowsPath);
      }
    }
  } catch (const PathError& e) {
    DropPages(s);
    throw AutomationError(76, "Printer", e.what());
  } catch (const std::filesystem::filesystem_error& e) {
    DropPages(s);
    throw AutomationError(75, "Printer", e.what());
  } catch (...) {
    DropPages(s);
    throw;
  }
  DropPages(s);
  s.lastFiles = written;
  return written;
}

void PrinterObject::KillDoc() {
  State& s = S();
  Lock lock(s.mu);
  DropPages(s);
}

bool PrinterObject::DocumentOpen() const {
  Lock lock(S().mu);
  return !S().pages.empty();
}

PrinterObject& Printer() {
  static PrinterObject printer;
  return printer;
}

std::vector<std::string> LastPrintedFiles() {
  Lock lock(S().mu);
  return S().lastFiles;
}

}  // namespace winplat
