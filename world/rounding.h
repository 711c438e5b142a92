#pragma once

#include <cmath>
#include <cstdint>

namespace world {

// Nearest integer with exact halves going to the even neighbour, as every
// rounding of the model does. Works for the whole double range; the fast
// path relies on the default round-to-nearest mode of the FPU.
inline double RoundHalfEven(double v) {
  constexpr double kMagic = 6755399441055744.0;  // 1.5 * 2^52
  if (std::fabs(v) < 2251799813685248.0) {       // 2^51
    return (v + kMagic) - kMagic;
  }
  return std::nearbyint(v);
}

// The rounded value as an integer; values beyond the 64-bit range saturate
// and a NaN gives 0, so no input can make the conversion undefined.
inline std::int64_t Round(double v) {
  const double r = RoundHalfEven(v);
  if (!(r == r)) return 0;
  if (r >= 9223372036854775807.0) return INT64_MAX;
  if (r <= -9223372036854775808.0) return INT64_MIN;
  return static_cast<std::int64_t>(r);
}

// Colours are 24-bit RGB held in 32 bits: red in the lowest byte, then green, then blue.
using ColorRef = std::uint32_t;

constexpr ColorRef Rgb(int r, int g, int b) {
  return static_cast<ColorRef>((r & 0xff) | ((g & 0xff) << 8) | ((b & 0xff) << 16));
}
constexpr int Red(ColorRef c) { return static_cast<int>(c & 0xff); }
constexpr int Green(ColorRef c) { return static_cast<int>((c >> 8) & 0xff); }
constexpr int Blue(ColorRef c) { return static_cast<int>((c >> 16) & 0xff); }

constexpr ColorRef kWhite = Rgb(255, 255, 255);
constexpr ColorRef kSilver = Rgb(192, 192, 192);
constexpr ColorRef kLightGrey = Rgb(232, 232, 232);
constexpr ColorRef kRed = Rgb(255, 0, 0);
constexpr ColorRef kGreen = Rgb(0, 128, 0);

}  // namespace world
