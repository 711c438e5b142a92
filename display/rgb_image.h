#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "world/rounding.h"

namespace display {

// A picture as plain 8-bit RGB triplets, row-major, no padding between rows
// (Stride() bytes per row). The world image and every window picture that is
// saved to disk use it; Qt wraps the buffer without copying.
struct RgbImage {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Pixels;

  RgbImage() = default;
  RgbImage(int width, int height, world::ColorRef fill = world::kWhite) { Reset(width, height, fill); }

  int Stride() const { return Width * 3; }

  void Reset(int width, int height, world::ColorRef fill = world::kWhite) {
    Width = width;
    Height = height;
    Pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    Fill(fill);
  }

  void Fill(world::ColorRef color) {
    for (std::size_t i = 0; i + 2 < Pixels.size(); i += 3) {
      Pixels[i] = static_cast<std::uint8_t>(world::Red(color));
      Pixels[i + 1] = static_cast<std::uint8_t>(world::Green(color));
      Pixels[i + 2] = static_cast<std::uint8_t>(world::Blue(color));
    }
  }

  world::ColorRef At(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * Width + x) * 3;
    return world::Rgb(Pixels[i], Pixels[i + 1], Pixels[i + 2]);
  }

  void Set(int x, int y, world::ColorRef color) {
    const std::size_t i = (static_cast<std::size_t>(y) * Width + x) * 3;
    Pixels[i] = static_cast<std::uint8_t>(world::Red(color));
    Pixels[i + 1] = static_cast<std::uint8_t>(world::Green(color));
    Pixels[i + 2] = static_cast<std::uint8_t>(world::Blue(color));
  }
};

}  // namespace display
