#include "export/jpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

#include "export/file_output.h"

namespace exporting {

using display::RgbImage;

namespace {

// libjpeg's own error handler ends the process; ours jumps back to the call
// that started the work, which then reports the message.
struct ErrorManager {
  jpeg_error_mgr Base;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

extern "C" void JumpOnError(j_common_ptr info) {
  auto* manager = reinterpret_cast<ErrorManager*>(info->err);
  manager->Message[0] = '\0';
  (*info->err->format_message)(info, manager->Message);
  std::longjmp(manager->Jump, 1);
}

// Warnings would go to stderr; a desktop program has no one reading it.
extern "C" void KeepQuiet(j_common_ptr) {}

void InstallErrorManager(ErrorManager& manager) {
  jpeg_std_error(&manager.Base);
  manager.Base.error_exit = JumpOnError;
  manager.Base.output_message = KeepQuiet;
  manager.Message[0] = '\0';
}

// The two functions below hold setjmp, so no object with a destructor may
// live in them: a jump would skip it. Their callers own the C++ side.
bool CompressRaw(const std::uint8_t* pixels, int width, int height, int quality, unsigned char** out,
                 unsigned long* outSize, char* message) {
  jpeg_compress_struct info;
  ErrorManager manager;
  InstallErrorManager(manager);
  info.err = &manager.Base;
  if (setjmp(manager.Jump)) {
    std::memcpy(message, manager.Message, JMSG_LENGTH_MAX);
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, out, outSize);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(pixels + info.next_scanline * stride);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

bool DecompressRaw(const unsigned char* bytes, unsigned long size, unsigned char** pixels, int* width,
                   int* height, char* message) {
  jpeg_decompress_struct info;
  ErrorManager manager;
  InstallErrorManager(manager);
  info.err = &manager.Base;
  if (setjmp(manager.Jump)) {
    std::memcpy(message, manager.Message, JMSG_LENGTH_MAX);
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes, size);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  const std::size_t stride = static_cast<std::size_t>(info.output_width) * 3;
  *pixels = static_cast<unsigned char*>(std::malloc(std::max<std::size_t>(1, stride * info.output_height)));
  if (*pixels == nullptr) {
    std::strcpy(message, "Out of memory");
    jpeg_destroy_decompress(&info);
    return false;
  }
  *width = static_cast<int>(info.output_width);
  *height = static_cast<int>(info.output_height);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = *pixels + info.output_scanline * stride;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

std::vector<std::uint8_t> EncodeJpeg(const RgbImage& image, int quality) {
  if (image.Pixels.size() != static_cast<std::size_t>(image.Width) * image.Height * 3 || image.Width < 0 ||
      image.Height < 0) {
    throw JpegError("picture size does not match its pixels");
  }
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  char message[JMSG_LENGTH_MAX];
  const bool ok = CompressRaw(image.Pixels.data(), image.Width, image.Height, std::clamp(quality, 1, 100), &out,
                              &outSize, message);
  std::vector<std::uint8_t> bytes;
  if (ok) bytes.assign(out, out + outSize);
  std::free(out);
  if (!ok) throw JpegError(message);
  return bytes;
}

RgbImage DecodeJpeg(std::span<const std::uint8_t> bytes) {
  unsigned char* pixels = nullptr;
  int width = 0;
  int height = 0;
  char message[JMSG_LENGTH_MAX];
  const bool ok = DecompressRaw(bytes.data(), static_cast<unsigned long>(bytes.size()), &pixels, &width, &height,
                                message);
  RgbImage image;
  if (ok) {
    image.Width = width;
    image.Height = height;
    image.Pixels.assign(pixels, pixels + static_cast<std::size_t>(width) * height * 3);
  }
  std::free(pixels);
  if (!ok) throw JpegError(message);
  return image;
}

void WriteJpegFile(const RgbImage& image, const std::string& path, int quality) {
  std::vector<std::uint8_t> bytes;
  try {
    bytes = EncodeJpeg(image, quality);
  } catch (const JpegError& e) {
    throw CannotCreateFile(path, e.what());
  }
  WriteFileReplacing(path, bytes);
}

}  // namespace exporting
