#include "png_file.h"

#include <png.h>

#include <cstring>

#include "file_output.h"

namespace exporting {

using display::RgbImage;

std::vector<std::uint8_t> EncodePng(const RgbImage& image) {
  if (image.Width <= 0 || image.Height <= 0) return {};
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.Width);
  png.height = static_cast<png_uint_32>(image.Height);
  png.format = PNG_FORMAT_RGB;
  // The first call measures, the second writes.
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&png, nullptr, &size, 0, image.Pixels.data(), image.Stride(), nullptr)) return {};
  std::vector<std::uint8_t> bytes(size);
  if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, image.Pixels.data(), image.Stride(), nullptr)) {
    return {};
  }
  bytes.resize(size);
  return bytes;
}

RgbImage DecodePng(std::span<const std::uint8_t> bytes) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) return {};
  png.format = PNG_FORMAT_RGB;
  RgbImage image(static_cast<int>(png.width), static_cast<int>(png.height));
  if (!png_image_finish_read(&png, nullptr, image.Pixels.data(), image.Stride(), nullptr)) {
    png_image_free(&png);
    return {};
  }
  return image;
}

void WritePngFile(const RgbImage& image, const std::string& path) {
  const std::vector<std::uint8_t> bytes = EncodePng(image);
  if (bytes.empty()) throw CannotCreateFile(path, "the picture is empty");
  WriteFileReplacing(path, bytes);
}

}  // namespace exporting
