#pragma once

#include <cstdint>

#include "display/rgb_image.h"

namespace exporting {

// The planes of a 4:2:0 picture: luma at full size, the two chroma planes at
// half width and height; each row of a plane Stride bytes after the one before.
struct YuvPlanes {
  std::uint8_t* Y = nullptr;
  std::uint8_t* U = nullptr;
  std::uint8_t* V = nullptr;
  int StrideY = 0;
  int StrideU = 0;
  int StrideV = 0;
};

// Converts the 2 x 2 blocks left .. right - 1 of the rows 2 * pair and
// 2 * pair + 1 of the image (of even width and height) into the planes:
// BT.601 in the video range with integer weights, each chroma sample from
// the mean of its block. Uses SSSE3 where the processor has it, with
// exactly the results of RgbToYuv420Scalar.
void RgbToYuv420(const display::RgbImage& image, const YuvPlanes& out, int pair, int left, int right);

// The same, one pixel at a time.
void RgbToYuv420Scalar(const display::RgbImage& image, const YuvPlanes& out, int pair, int left, int right);

}  // namespace exporting
