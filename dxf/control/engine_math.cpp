// Rotations, transforms, flag bits, scaling and the reader's text helpers.
#include <bit>
#include <cmath>
#include <cstdint>

#include "error_trail.h"
#include "../reader/dxfengine.h"
#include "winplat/numeric.h"

namespace kelvane {
namespace {

// The angle constant these routines have always used (not the full value of pi).

void Rotate(float& x, float& y, float degrees) {
  // A block's records are all turned by its insert's angle: the cosine and
  // sine of the last angle are kept.
  thread_local std::uint32_t lastDegrees = std::bit_cast<std::uint32_t>(0.0f);  // bit for bit (-0, NaN)
  thread_local double c = 1, s = 0;
  if (std::bit_cast<std::uint32_t>(degrees) != lastDegrees) {
    const double a = (2.0 * degrees * DrawingPi) / 360.0;
    c = std::cos(a);
    s = std::sin(a);
    lastDegrees = std::bit_cast<std::uint32_t>(degrees);
  }
  double oldX = x;
  double oldY = y;
  x = winplat::CSng(oldX * c - oldY * s);
  y = winplat::CSng(oldY * c + oldX * s);
}

}  // namespace

bool RotateRect(float& x1, float& y1, float& x2, float& y2, float& degrees) {
  Rotate(x1, y1, degrees);
  Rotate(x2, y2, degrees);
  return true;
}

bool RotatePoint(float& x, float& y, float degrees) {
  Rotate(x, y, degrees);
  return true;
}

std::int32_t ScaleToLong(float& p, float& q, float& r) {
  float product = p * q * r;
  try {
    return winplat::CLng(product);
  } catch (const winplat::NumericError&) {
    return 0;
  }
}

void TransformPoint(float xRef, float yRef, float x, float y, float xMov, float yMov, float rotation,
                    float xScale, float yScale, float& xOut, float& yOut) {
  double a = rotation * DrawingPi / 180.0;
  double c = std::cos(a);
  double s = std::sin(a);
  double dx = static_cast<double>(x) - xRef;
  double dy = static_cast<double>(y) - yRef;
  xOut = winplat::CSng(xScale * c * dx - yScale * s * dy + xRef + xMov);
  yOut = winplat::CSng(xScale * s * dx + yScale * c * dy + yRef + yMov);
}

bool IsBitSet(std::int32_t flags, std::int32_t bit) {
  if (bit < 0 || bit > 31) return false;
  return ((static_cast<std::uint32_t>(flags) >> bit) & 1u) != 0;
}

std::string SpecialCharCode(std::string_view letter) {
  if (letter == "c" || letter == "C") return std::string(1, static_cast<char>(216));
  if (letter == "d" || letter == "D") return std::string(1, static_cast<char>(176));
  if (letter == "p" || letter == "P") return std::string(1, static_cast<char>(177));
  if (letter == "u" || letter == "U") return "U";
  return {};
}

float NormalizeAngle(float& angle) {
  // The remainder is what repeated subtraction of 360 gives for every angle that
  // a float holds to a whole degree; it also ends for infinite and huge angles.
  if (std::isfinite(angle) && angle >= 360.0f)
    angle = static_cast<float>(std::fmod(static_cast<double>(angle), 360.0));
  return angle;
}

std::string ReplaceQuotes(std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    if (ch == '"')
      out += "''";
    else
      out += ch;
  }
  text = out;
  return text;
}

}  // namespace kelvane

namespace kelvane {

std::int32_t RealToPelX(float x, float scale, float leftX) {
  try {
    float pixels = (x - leftX) * scale;
    return winplat::CLng(pixels);
  } catch (const winplat::NumericError&) {
    throw winplat::AutomationError(kControlError, kLibraryName, "Error in RealToPelX.");
  }
}

std::int32_t RealToPelY(float y, float scale, float bottomY, std::int32_t viewHeight) {
  try {
    float pixels = (y - bottomY) * scale;
    return winplat::CLng(static_cast<double>(viewHeight) - pixels);
  } catch (const winplat::NumericError&) {
    throw winplat::AutomationError(kControlError, kLibraryName, "Error in RealToPelY.");
  }
}

}  // namespace kelvane
