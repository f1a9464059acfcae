// The number text, one-line values, TEXT values and the output file of the DXF writers.
#include "dxf_output.h"

#include <cmath>

#include "../control/error_trail.h"
#include "winplat/numeric.h"
#include "winplat/paths.h"

namespace kelvane {

std::string DxfNumber(float value, std::string_view what) {
  if (!std::isfinite(value))
    throw winplat::AutomationError(6, kLibraryName,
                                   winplat::ErrorText(6) + ": " + std::string(what) + " is not a finite number");
  std::string text = winplat::CStr(value);
  if (!text.empty() && text[0] == '.') return "0" + text;
  if (text.size() > 1 && text[0] == '-' && text[1] == '.') return "-0" + text.substr(1);
  return text;
}

std::string DxfLineValue(std::string_view value) {
  std::string out(value);
  for (char& ch : out)
    if (ch == '\r' || ch == '\n') ch = ' ';
  return out;
}

std::string DxfTextValue(std::string_view text, bool underline) {
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] == ' ') --end;
  std::string out = underline ? "%%u" : "";
  for (std::size_t i = 0; i < end; ++i) {
    const auto ch = static_cast<unsigned char>(text[i]);
    if (ch == 216)
      out += "%%c";
    else if (ch == 176)
      out += "%%d";
    else if (ch == 177)
      out += "%%p";
    else if (ch == '%' && i + 1 < end && text[i + 1] == '%')
      out += "%%%";
    else
      out += static_cast<char>(ch);
  }
  return DxfLineValue(out);
}

winplat::AutomationError OutputFileError(std::uint32_t windowsError, std::string_view fileName) {
  std::int32_t number = 75;
  switch (windowsError) {
    case winplat::ERROR_PATH_NOT_FOUND: number = 76; break;
    case winplat::ERROR_FILE_NOT_FOUND: number = 53; break;
    case winplat::ERROR_SHARING_VIOLATION: number = 70; break;
    case winplat::ERROR_DISK_FULL: number = 61; break;
    case winplat::ERROR_INVALID_NAME: number = 52; break;
    default: break;
  }
  std::string where(fileName);
  try {
    where = winplat::FullPath(fileName);
  } catch (const winplat::PathError&) {
    // A name that cannot be mapped is shown as given.
  }
  return winplat::AutomationError(number, kLibraryName, winplat::ErrorText(number) + ": " + where);
}

winplat::AutomationError InputFileError(std::uint32_t windowsError, std::string_view fileName) {
  if (windowsError == winplat::ERROR_FILE_NOT_FOUND || windowsError == winplat::ERROR_PATH_NOT_FOUND)
    return winplat::AutomationError(53, kLibraryName, winplat::ErrorText(53) + ": " + std::string(fileName));
  return OutputFileError(windowsError, fileName);
}

bool DxfOutput::Open(std::string_view fileName) {
  fileName_ = fileName;
  file_ = winplat::ReplacingWriter::Open(fileName);
  return file_.IsOpen();
}

void DxfOutput::Line(std::string_view text) {
  if (!file_.Write(text) || !file_.Write("\r\n", 2))
    throw winplat::AutomationError(57, kLibraryName, winplat::ErrorText(57) + " writing " + fileName_);
}

void DxfOutput::Group(std::int32_t code, std::string_view value) {
  Line(std::to_string(code));
  Line(DxfLineValue(value));
}

void DxfOutput::Group(std::int32_t code, float value, std::string_view what) {
  Line(std::to_string(code));
  Line(DxfNumber(value, what));
}

void DxfOutput::Point(std::int32_t xCode, float x, float y, std::string_view kind) {
  Group(xCode, x, "the X of a " + std::string(kind));
  Group(xCode + 10, y, "the Y of a " + std::string(kind));
  Group(xCode + 20, "0");
}

void DxfOutput::Commit() {
  if (!file_.Commit())
    throw winplat::AutomationError(57, kLibraryName, winplat::ErrorText(57) + " writing " + fileName_);
}

}  // namespace kelvane
