#pragma once
// Readers of one word of the line GcodeAwk holds. Each sets GcodeAwk's field
// separator to its letter, so a caller sets its own separator again before
// reading fields itself.
#include <cstdint>
#include <string>
#include <string_view>

#include "toolpath/context.h"

namespace fieldray::toolpath {

// Radius given to a contour start whose tool look-up finds nothing.
constexpr double DefaultToolRadius = 10;
// Largest coordinate, in drawing units, that a word may give; a word beyond it
// is refused with a diagnostic and the reader gives its last value.
constexpr double MaxCoordinate = 1000000;

// Value of a word: the number at the start of the text after the first
// separator character (a letter or a stand-in code) up to the next; 0 when the
// line has no such word or no number there. Not scaled.
double WordValue(ToolpathContext& ctx, std::string_view separator);

// X word times the unit factor (the last X when the line has none), mirrored
// about the sheet length (VarTable 12) for origin corners 2 and 3. With
// `remember` false the word is read but not kept as the last X.
float GetGcodeX(ToolpathContext& ctx, bool remember = true);
// Y word likewise, mirrored about the sheet height (VarTable 8) for corners 1
// and 3, and negated while no sheet size is known.
float GetGcodeY(ToolpathContext& ctx, bool remember = true);
// I and J words, scaled first; for corners 1 and 3 the result is VarTable 8 minus
// the value.
float GetGcodeI(ToolpathContext& ctx, bool remember = true);
float GetGcodeJ(ToolpathContext& ctx, bool remember = true);

// The radius (modal). A nonzero flag marks a contour start: the last radius is
// forgotten and, without an R word, the radius comes from the tool grid through
// the T word (10 when the look-up finds nothing).
double GetGcodeRadius(ToolpathContext& ctx, std::int16_t& flag);

// True, with the number after it in `angle`, when `text` holds "A".
bool GetGcodeA(const std::string& text, double& angle);

}  // namespace fieldray::toolpath
