#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "world/convert.h"

namespace exporting {

// "Datei "<path>" kann nicht erstellt werden. <reason>", the message of a
// file that could not be written.
world::UserError CannotCreateFile(const std::string& path, const std::string& reason);

// "Datei "<path>" kann nicht geöffnet werden. <reason>", the message of a
// file that could not be read.
world::UserError CannotOpenFile(const std::string& path, const std::string& reason);

// A file that replaces path only once it is complete: it is written under a
// temporary name in path's folder and renamed onto path by Commit. Until
// then path keeps what it held; a ReplacingFile destroyed before Commit
// removes its temporary file. Missing folders are not created.
class ReplacingFile {
 public:
  // Creates the temporary file. Throws CannotCreateFile with the system's reason.
  explicit ReplacingFile(std::string path);
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  const std::string& Path() const { return path_; }
  // The open temporary file, for writing; null after Commit.
  std::FILE* Stream() const { return file_; }
  // Writes all bytes; throws CannotCreateFile.
  void Write(std::span<const std::uint8_t> bytes);
  // Flushes to disk, closes and renames onto path. Throws CannotCreateFile
  // (the temporary file is then gone).
  void Commit();
  // The message of a failed write to this file, with the system's reason
  // for `error` (an errno value).
  world::UserError Failure(int error) const;

 private:
  void Discard();

  std::string path_;
  std::string tempName_;
  std::FILE* file_ = nullptr;
};

// Writes the bytes to path, replacing a file of that name. The bytes go to a
// temporary file in the same folder, which is renamed onto path only once it
// is complete, so path never holds a partial file. Missing folders are not
// created. Throws CannotCreateFile with the system's reason; the temporary
// file is gone when it throws.
void WriteFileReplacing(const std::string& path, std::span<const std::uint8_t> bytes);

// The whole content of a file. Throws CannotOpenFile.
std::vector<std::uint8_t> ReadWholeFile(const std::string& path);

// Index of the last path separator in path, or npos.
std::size_t LastSeparator(const std::string& path);

}  // namespace exporting
