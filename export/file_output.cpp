#include "export/file_output.h"

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

namespace exporting {

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
std::FILE* OpenTemporary(const std::string& path, std::string& tempName) {
  const std::size_t sep = LastSeparator(path);
  const std::string folder = sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
  std::random_device device;
  std::uniform_int_distribution<unsigned> hex(0, 15);
  for (int attempt = 0; attempt < 16; ++attempt) {
    tempName = folder + ".vicinara-";
    for (int i = 0; i < 12; ++i) tempName += "0123456789abcdef"[hex(device)];
    tempName += ".tmp";
    errno = 0;
    std::FILE* file = std::fopen(tempName.c_str(), "wbx");
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

ReplacingFile::ReplacingFile(std::string path) : path_(std::move(path)) {
  file_ = OpenTemporary(path_, tempName_);
  if (!file_) throw CannotCreateFile(path_, SystemReason(errno));
}

ReplacingFile::~ReplacingFile() { Discard(); }

void ReplacingFile::Discard() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  if (!tempName_.empty()) {
    std::error_code ignored;
    std::filesystem::remove(tempName_, ignored);
    tempName_.clear();
  }
}

world::UserError ReplacingFile::Failure(int error) const { return CannotCreateFile(path_, SystemReason(error)); }

void ReplacingFile::Write(std::span<const std::uint8_t> bytes) {
  errno = 0;
  if (!file_ || (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())) {
    const int error = errno ? errno : EIO;
    Discard();
    throw Failure(error);
  }
}

void ReplacingFile::Commit() {
  auto fail = [&](int error) {
    Discard();
    return Failure(error);
  };
  if (!file_) throw fail(EBADF);
  errno = 0;
  if (std::fflush(file_) != 0) throw fail(errno ? errno : EIO);
#ifdef VICINARA_HAS_FSYNC
  // The data must be on disk before the rename makes it visible under the
  // final name, or a crash could leave an empty file there.
  if (fsync(fileno(file_)) != 0) throw fail(errno);
#endif
  std::FILE* file = file_;
  file_ = nullptr;
  if (std::fclose(file) != 0) throw fail(errno ? errno : EIO);

  std::error_code ec;
  std::filesystem::rename(tempName_, path_, ec);
  if (ec) {
    const std::string reason = ec.message();
    Discard();
    throw CannotCreateFile(path_, reason);
  }
  tempName_.clear();
}

void WriteFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes) {
  ReplacingFile file(path);
  file.Write(bytes);
  file.Commit();
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

}  // namespace exporting
