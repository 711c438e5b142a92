#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "display/rgb_image.h"

namespace exporting {

// A picture libjpeg refused to encode or decode; what() is libjpeg's message.
class JpegError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The picture as a JPEG file image: quality 1..100 (values outside are
// clamped), every other encoder setting at libjpeg's defaults (baseline,
// YCbCr, 2x2 chroma subsampling). Throws JpegError, e.g. for an empty picture.
std::vector<std::uint8_t> EncodeJpeg(const display::RgbImage& image, int quality);

// The RGB picture held by a JPEG file image. Throws JpegError.
display::RgbImage DecodeJpeg(std::span<const std::uint8_t> bytes);

// Writes the picture as a JPEG file of the given quality to exactly this
// path, replacing a file of that name; the folder must exist. Throws
// world::UserError "Datei "%s" kann nicht erstellt werden. %s" with the
// system's or libjpeg's reason; no partial file is left behind.
void WriteJpegFile(const display::RgbImage& image, const std::string& path, int quality);

}  // namespace exporting
