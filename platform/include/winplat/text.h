#pragma once
// Text helpers of the system's language and of our own files, one function each.
// Every subsystem trims, maps case and splits through these and nowhere else.
#include <string>
#include <string_view>
#include <vector>

namespace winplat {

// Trim, LTrim, RTrim: blanks (' ') only, as the language's functions.
std::string Trim(std::string_view text);
std::string LTrim(std::string_view text);
std::string RTrim(std::string_view text);

// All white space (blank, tab, CR, LF, vertical tab, form feed) off both ends:
// for configuration files and terminal input.
std::string TrimSpace(std::string_view text);

// Case mapping in the Windows code page (CP1252).
std::string UCase(std::string_view text);
std::string LCase(std::string_view text);

// ASCII letters only, for command, class, font and key names.
std::string AsciiLower(std::string_view text);
bool AsciiEqualNoCase(std::string_view a, std::string_view b);

// Lines without their ends (LF, CR LF or CR); no empty last line after a final end.
std::vector<std::string_view> SplitLines(std::string_view text);

// Fields between separators; n separators give n + 1 fields.
std::vector<std::string_view> Split(std::string_view text, char separator);

}  // namespace winplat
