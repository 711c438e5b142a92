#include "export/bitmap.h"

#include <limits>

#include "world/convert.h"
#include "export/file_output.h"

namespace exporting {

using display::RgbImage;

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  out[at] = static_cast<std::uint8_t>(v);
  out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  Put16(out, at, v & 0xffff);
  Put16(out, at + 2, v >> 16);
}

std::uint32_t Get16(std::span<const std::uint8_t> in, std::size_t at) {
  return static_cast<std::uint32_t>(in[at]) | static_cast<std::uint32_t>(in[at + 1]) << 8;
}

std::uint32_t Get32(std::span<const std::uint8_t> in, std::size_t at) {
  return Get16(in, at) | Get16(in, at + 2) << 16;
}

// Bytes of one stored row: whole pixels, padded to a multiple of 4.
std::uint64_t RowBytes(std::uint64_t width, std::uint64_t bitsPerPixel) { return (width * bitsPerPixel + 31) / 32 * 4; }

}  // namespace

std::vector<std::uint8_t> EncodeBitmap(const RgbImage& image) {
  const std::uint64_t rowBytes = RowBytes(static_cast<std::uint64_t>(image.Width), 24);
  const std::uint64_t dataSize = rowBytes * static_cast<std::uint64_t>(image.Height);
  const std::uint64_t fileSize = kFileHeaderSize + kInfoHeaderSize + dataSize;
  if (image.Width < 0 || image.Height < 0 ||
      image.Pixels.size() != static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Height) * 3) {
    throw BitmapError("picture size does not match its pixels");
  }
  if (fileSize > std::numeric_limits<std::uint32_t>::max()) throw BitmapError("picture too large for a bitmap file");
  std::vector<std::uint8_t> out(static_cast<std::size_t>(fileSize), 0);
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, static_cast<std::uint32_t>(fileSize));
  Put32(out, 10, kFileHeaderSize + kInfoHeaderSize);  // offset of the pixels
  Put32(out, 14, kInfoHeaderSize);
  Put32(out, 18, static_cast<std::uint32_t>(image.Width));
  Put32(out, 22, static_cast<std::uint32_t>(image.Height));  // positive: bottom-up
  Put16(out, 26, 1);                                         // planes
  Put16(out, 28, 24);                                        // bits per pixel
  Put32(out, 30, 0);                                         // no compression
  Put32(out, 34, static_cast<std::uint32_t>(dataSize));
  Put32(out, 38, 2835);  // 72 dots per inch, as pixels per metre
  Put32(out, 42, 2835);
  for (int y = 0; y < image.Height; ++y) {
    const std::uint8_t* src = image.Pixels.data() + static_cast<std::size_t>(y) * image.Stride();
    std::uint8_t* dst = out.data() + kFileHeaderSize + kInfoHeaderSize +
                        static_cast<std::size_t>(image.Height - 1 - y) * static_cast<std::size_t>(rowBytes);
    for (int x = 0; x < image.Width; ++x, src += 3, dst += 3) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
    }
  }
  return out;
}

RgbImage DecodeBitmap(std::span<const std::uint8_t> in) {
  if (in.size() < kFileHeaderSize + kInfoHeaderSize || in[0] != 'B' || in[1] != 'M') {
    throw BitmapError("not a bitmap file");
  }
  const std::uint64_t pixelOffset = Get32(in, 10);
  const std::uint32_t headerSize = Get32(in, 14);
  const auto width = static_cast<std::int32_t>(Get32(in, 18));
  const auto rawHeight = static_cast<std::int32_t>(Get32(in, 22));
  const std::uint32_t planes = Get16(in, 26);
  const std::uint32_t bits = Get16(in, 28);
  const std::uint32_t compression = Get32(in, 30);
  if (headerSize < kInfoHeaderSize || planes != 1) throw BitmapError("unknown bitmap header");
  if ((bits != 24 && bits != 32) || compression != 0) throw BitmapError("only uncompressed 24- and 32-bit bitmaps");
  if (width < 0 || rawHeight == std::numeric_limits<std::int32_t>::min()) throw BitmapError("invalid bitmap size");
  const bool topDown = rawHeight < 0;
  const std::int64_t height = topDown ? -static_cast<std::int64_t>(rawHeight) : rawHeight;
  const std::uint64_t rowBytes = RowBytes(static_cast<std::uint64_t>(width), bits);
  if (pixelOffset < kFileHeaderSize + headerSize || pixelOffset > in.size() ||
      rowBytes * static_cast<std::uint64_t>(height) > in.size() - pixelOffset) {
    throw BitmapError("bitmap file is truncated");
  }
  RgbImage image;
  image.Width = width;
  image.Height = static_cast<int>(height);
  image.Pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  const std::size_t step = bits / 8;
  for (std::int64_t y = 0; y < height; ++y) {
    const std::int64_t stored = topDown ? y : height - 1 - y;
    const std::uint8_t* src = in.data() + pixelOffset + static_cast<std::size_t>(stored) * rowBytes;
    std::uint8_t* dst = image.Pixels.data() + static_cast<std::size_t>(y) * image.Stride();
    for (std::int32_t x = 0; x < width; ++x, src += step, dst += 3) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
    }
  }
  return image;
}

void WriteBitmapFile(const RgbImage& image, const std::string& path) {
  std::vector<std::uint8_t> bytes;
  try {
    bytes = EncodeBitmap(image);
  } catch (const BitmapError& e) {
    throw CannotCreateFile(path, e.what());
  }
  WriteFileReplacing(path, bytes);
}

RgbImage ReadBitmapFile(const std::string& path) {
  const std::vector<std::uint8_t> bytes = ReadWholeFile(path);
  try {
    return DecodeBitmap(bytes);
  } catch (const BitmapError&) {
    throw world::UserError(std::string(world::kProgramTitle), "Bitmap ist ungültig");
  }
}

}  // namespace exporting
