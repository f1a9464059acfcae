#pragma once
// Conversion and mapping routines shared by the reader, the loaders and the
// drawing code: DXF colour numbers to RGB and back, linetype names to pen
// styles, rotations and transforms, flag bits, pixel conversion and the small
// text helpers of the reader.
#include <cstdint>
#include <string>
#include <string_view>

namespace kelvane {

// The drawing code's own value of pi, kept short as its extents, angle and
// transform rules use it; the results stored files and pictures hold depend on it.
inline constexpr double DrawingPi = 3.14159;

// RGB value (red in the low byte) of a DXF colour number; 0 outside 0..259.
std::int32_t AciToRgb(std::int16_t colorIndex);
// DXF colour number of an RGB value: an exact match among the colour numbers
// 1..255 first, then a short list of well-known colours, else 7.
std::int16_t RgbToAci(std::int32_t rgb);

// Pen style (0 solid, 1 dashed, 2 dotted, 3 dash-dot, 4 dash-dot-dot) of a DXF
// linetype name; exact, case-sensitive names; anything else is solid.
std::int32_t LineTypeStyle(std::string_view lineTypeName);

// Rotations about the origin, counterclockwise, in place.
bool RotateRect(float& x1, float& y1, float& x2, float& y2, float& degrees);
bool RotatePoint(float& x, float& y, float degrees);

// p * q * r to the nearest integer (halves to even); 0 when it overflows a Long.
std::int32_t ScaleToLong(float& p, float& q, float& r);

// Scales about (xRef, yRef), rotates counterclockwise about it, then moves.
void TransformPoint(float xRef, float yRef, float x, float y, float xMov, float yMov, float rotation,
                    float xScale, float yScale, float& xOut, float& yOut);

// True when bit number `bit` (0 = value 1) is set in `flags`.
bool IsBitSet(std::int32_t flags, std::int32_t bit);

// Drawing units to pixels, to the nearest pixel (halves to even); the Y axis
// turns over within a surface `viewHeight` pixels high. An AutomationError 0x80040001 ("Error in RealToPelX."
// or "Error in RealToPelY.") when the pixel leaves the Long range.
std::int32_t RealToPelX(float x, float scale, float leftX);
std::int32_t RealToPelY(float y, float scale, float bottomY, std::int32_t viewHeight);

// The character a "%%" control letter stands for ("U" for the underline switch,
// empty for an unknown letter); Latin-1 single-byte text.
std::string SpecialCharCode(std::string_view letter);

// Takes 360 off while the angle is 360 or more; written back and returned.
float NormalizeAngle(float& angle);

// Every double quote becomes two single quotes.
std::string ReplaceQuotes(std::string& text);

}  // namespace kelvane
