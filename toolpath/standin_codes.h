#pragma once
// Private codes that the interpreter and the expression evaluator put in place
// of letters and parameter words, so that they read as words of their own or as
// variables and never as anything the input wrote. They are control bytes that
// no program line can hold: RemoveUnholdableBytes takes them (and every other
// control byte but tab) out of outside text before a line is prepared, so
// neither stray bytes nor UTF-8 text can make phantom words.
#include <string>
#include <string_view>

namespace fieldray::toolpath {

constexpr char StandInR50 = '\x01';  // "R50=": first comparison of a condition
constexpr char StandInR51 = '\x02';  // "R51=": join of a condition
constexpr char StandInR52 = '\x03';  // "R52=": second comparison of a condition
constexpr char StandInR54 = '\x04';  // "R54=": hole diameter
constexpr char StandInE = '\x05';    // the letter E (word letter and variable)
constexpr char StandInD = '\x06';    // the letter D inside expressions

// The same codes as one-character texts, for separators and replacements.
inline std::string StandIn(char code) { return std::string(1, code); }

// `text` without NUL and the other control bytes (0x01-0x1F) except tab.
std::string RemoveUnholdableBytes(std::string_view text);

}  // namespace fieldray::toolpath
