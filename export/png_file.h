#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "display/rgb_image.h"

namespace exporting {

// The picture as a PNG file image (8-bit RGB, lossless). Empty for an empty picture.
std::vector<std::uint8_t> EncodePng(const display::RgbImage& image);

// The RGB picture held by a PNG file image; an empty picture when the bytes
// are not a PNG libpng can read.
display::RgbImage DecodePng(std::span<const std::uint8_t> bytes);

// Writes the picture as a PNG file to exactly this path, replacing a file of
// that name, never leaving a partial file; the folder must exist. Throws
// world::UserError "Datei "%s" kann nicht erstellt werden. %s" with the
// system's reason.
void WritePngFile(const display::RgbImage& image, const std::string& path);

}  // namespace exporting
