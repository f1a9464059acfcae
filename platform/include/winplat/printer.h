#pragma once
// The machine's printers and the process's current printer.
//
// Installed printers are listed in "C:\WINDOWS\PRINTERS.INI": section
// [Printers] names them in order (Device1=, Device2=, ...; Default= names the
// one that is current at first), and a section per printer, named as the
// printer, holds its settings (Orientation, PaperBin, Copies, PaperSize).
// Pages are 300 pixels per inch. A finished document writes each page, once
// per copy, as a PNG with a unique name into the print folder "C:\PRINT"
// (or [Printers] Folder=).
#include <cstdint>
#include <string>
#include <vector>

#include "winplat/types.h"

namespace winplat {

constexpr int kPrinterDpi = 300;

// Orientation and paper sizes as the printer object numbers them.
constexpr std::int16_t vbPRORPortrait = 1;
constexpr std::int16_t vbPRORLandscape = 2;
constexpr std::int16_t vbPRPSLetter = 1;
constexpr std::int16_t vbPRPSLegal = 5;
constexpr std::int16_t vbPRPSExecutive = 7;
constexpr std::int16_t vbPRPSA3 = 8;
constexpr std::int16_t vbPRPSA4 = 9;
constexpr std::int16_t vbPRPSA5 = 11;

struct PrinterSettings {
  std::string DeviceName;
  std::int16_t Orientation = vbPRORPortrait;
  std::int16_t PaperBin = 1;
  std::int16_t Copies = 1;
  std::int16_t PaperSize = vbPRPSA4;
};

// The installed printers, in their order, with their settings as changed in
// this process (read from the file at first use). Empty when none is installed.
std::vector<PrinterSettings> Printers();
// Forgets what was read and the current printer (tests that rewrite the file).
void ReloadPrinters();

// The current printer. Every member raises an AutomationError (484, "No printer
// is installed on this machine.") when no printer is installed; an invalid
// setting raises 380.
class PrinterObject {
 public:
  std::string DeviceName() const;
  // Makes the installed printer at `index` (0-based) current.
  void SetCurrent(std::size_t index);

  std::int16_t Orientation() const;
  void SetOrientation(std::int16_t value);
  std::int16_t PaperBin() const;
  void SetPaperBin(std::int16_t value);
  std::int16_t Copies() const;
  void SetCopies(std::int16_t value);
  std::int16_t PaperSize() const;
  void SetPaperSize(std::int16_t value);

  // 1 twips (the default), 3 pixels.
  std::int16_t ScaleMode() const;
  void SetScaleMode(std::int16_t value);
  // The page's size in the scale mode's units.
  float ScaleWidth() const;
  float ScaleHeight() const;
  // The page in pixels.
  std::int32_t PageWidth() const;
  std::int32_t PageHeight() const;

  // Printing text opens the document and its page when none is open.
  void Print(const std::string& text);
  // The page's device context (opens the document and page when needed).
  HDC hDC();
  void NewPage();
  // Writes every page and ends the document; the files written.
  std::vector<std::string> EndDoc();
  // Ends the document without writing anything.
  void KillDoc();
  bool DocumentOpen() const;
};

// The process's printer object.
PrinterObject& Printer();

// Windows paths of the page files written by the last EndDoc.
std::vector<std::string> LastPrintedFiles();

}  // namespace winplat
