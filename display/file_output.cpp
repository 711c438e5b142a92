#include "display/file_output.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <system_error>

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#define VICINARA_HAS_FSYNC 1
#endif

namespace display {

namespace {

std::string SystemReason(int error) { return std::generic_category().message(error); }

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens a new, not yet existing temporary file in the folder of path. The
// name is short and random so that a long final name does not make it fail
// and two writers never share one.
FilePtr OpenTemporary(const std::string& path, std::string& tempName) {
  const std::size_t sep = LastSeparator(path);
  const std::string folder = sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
  std::random_device device;
  std::uniform_int_distribution<unsigned> hex(0, 15);
  for (int attempt = 0; attempt < 16; ++attempt) {
    tempName = folder + ".vicinara-";
    for (int i = 0; i < 12; ++i) tempName += "0123456789abcdef"[hex(device)];
    tempName += ".tmp";
    errno = 0;
    FilePtr file(std::fopen(tempName.c_str(), "wbx"));
    if (file || errno != EEXIST) return file;
  }
  errno = EEXIST;
  return nullptr;
}

}  // namespace

world::UserError CannotCreateFile(const std::string& path, const std::string& reason) {
  return world::UserError(std::string(world::kProgramTitle),
                          "Datei \"" + path + "\" kann nicht erstellt werden. " + reason);
}

world::UserError CannotOpenFile(const std::string& path, const std::string& reason) {
  return world::UserError(std::string(world::kProgramTitle),
                          "Datei \"" + path + "\" kann nicht geöffnet werden. " + reason);
}

std::size_t LastSeparator(const std::string& path) {
  constexpr char kNative = static_cast<char>(std::filesystem::path::preferred_separator);
  return path.find_last_of(kNative == '/' ? std::string("/") : std::string("/") + kNative);
}

void WriteFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::string tempName;
  FilePtr file = OpenTemporary(path, tempName);
  if (!file) throw CannotCreateFile(path, SystemReason(errno));

  auto fail = [&](int error) {
    file.reset();
    std::error_code ignored;
    std::filesystem::remove(tempName, ignored);
    return CannotCreateFile(path, SystemReason(error));
  };

  errno = 0;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
    throw fail(errno ? errno : EIO);
  }
  if (std::fflush(file.get()) != 0) throw fail(errno ? errno : EIO);
#ifdef VICINARA_HAS_FSYNC
  // The data must be on disk before the rename makes it visible under the
  // final name, or a crash could leave an empty file there.
  if (fsync(fileno(file.get())) != 0) throw fail(errno);
#endif
  if (std::fclose(file.release()) != 0) throw fail(errno ? errno : EIO);

  std::error_code ec;
  std::filesystem::rename(tempName, path, ec);
  if (ec) {
    std::error_code ignored;
    std::filesystem::remove(tempName, ignored);
    throw CannotCreateFile(path, ec.message());
  }
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
  errno = 0;
  FilePtr file(std::fopen(path.c_str(), "rb"));
  if (!file) throw CannotOpenFile(path, SystemReason(errno));
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[65536];
  for (;;) {
    const std::size_t n = std::fread(chunk, 1, sizeof chunk, file.get());
    bytes.insert(bytes.end(), chunk, chunk + n);
    if (n < sizeof chunk) break;
  }
  if (std::ferror(file.get())) throw CannotOpenFile(path, SystemReason(errno ? errno : EIO));
  return bytes;
}

}  // namespace display
