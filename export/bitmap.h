#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "display/rgb_image.h"

namespace exporting {

// A Windows bitmap file image we cannot read; what() says why.
class BitmapError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The picture as a Windows bitmap file image: 24 bits per pixel, no
// compression, rows bottom-up in blue-green-red order, each row padded to a
// multiple of 4 bytes.
std::vector<std::uint8_t> EncodeBitmap(const display::RgbImage& image);

// Reads an uncompressed 24- or 32-bit Windows bitmap, bottom-up or top-down.
// Throws BitmapError for any other kind and for a truncated or inconsistent file.
display::RgbImage DecodeBitmap(std::span<const std::uint8_t> bytes);

// Writes the bitmap file, replacing a file of that name. Throws
// world::UserError "Datei "%s" kann nicht erstellt werden. %s".
void WriteBitmapFile(const display::RgbImage& image, const std::string& path);

// Reads a bitmap file. Throws world::UserError: "Datei "%s" kann nicht
// geöffnet werden. %s" when it cannot be read, "Bitmap ist ungültig" when
// its content is not a bitmap we can read.
display::RgbImage ReadBitmapFile(const std::string& path);

}  // namespace exporting
