#pragma once
// What both DXF writers share: the text of a number, values made safe for one
// line, the TEXT value the reader gives back unchanged, and the output file,
// written whole beside its target and put in place only when complete.
#include <cstdint>
#include <string>
#include <string_view>

#include "winplat/files.h"
#include "winplat/variant.h"

namespace kelvane {

// A number as the writers put it: the platform's CStr of the float with a "0"
// before a point that has no digit before it ("0.5", "-0.25", "1E-05"). A value
// that is not finite raises error 6 naming `what`.
std::string DxfNumber(float value, std::string_view what = "a number");

// A value on one line: CR and LF become blanks.
std::string DxfLineValue(std::string_view value);

// A text row's value as the text loader reads it back: trailing blanks
// dropped, characters 216, 176 and 177 as "%%c", "%%d" and "%%p", a "%"
// before another "%" as "%%%", and "%%u" in front of an underlined text.
std::string DxfTextValue(std::string_view text, bool underline);

// The error a failed creation of an output file raises: the language's file
// error number (76 path not found, 70 permission denied, 75 access error, 52 a
// bad file name) and its text with the file's name.
winplat::AutomationError OutputFileError(std::uint32_t windowsError, std::string_view fileName);

// The error a failed open of an input file raises: 53 (file not found) for a
// missing file or folder, else as OutputFileError.
winplat::AutomationError InputFileError(std::uint32_t windowsError, std::string_view fileName);

// A DXF output file: groups of two lines ending in CR LF. Nothing appears under
// the file's name until Commit; a writer dropped uncommitted leaves an earlier
// file as it was.
class DxfOutput {
 public:
  // False (with Error()) when the file cannot be created.
  bool Open(std::string_view fileName);
  bool IsOpen() const { return file_.IsOpen(); }
  std::uint32_t Error() const { return file_.Error(); }
  const std::string& FileName() const { return fileName_; }

  // One line and CR LF; a failed write raises error 57 naming the file.
  void Line(std::string_view text);
  void Group(std::int32_t code, std::string_view value);
  void Group(std::int32_t code, float value, std::string_view what);
  // A point in the plane: X at `xCode`, Y ten codes on, Z (0) ten more; a
  // value that is not finite is named as the X or Y of a `kind`.
  void Point(std::int32_t xCode, float x, float y, std::string_view kind);
  // Puts the file in place; a failure raises error 57 and leaves nothing.
  void Commit();
  void Abandon() { file_.Abandon(); }

 private:
  winplat::ReplacingWriter file_;
  std::string fileName_;
};

}  // namespace kelvane
