#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/world/convert.h"

namespace display {

// "Datei "<path>" kann nicht erstellt werden. <reason>", the message of a
// file that could not be written.
world::UserError CannotCreateFile(const std::string& path, const std::string& reason);

// "Datei "<path>" kann nicht geöffnet werden. <reason>", the message of a
// file that could not be read.
world::UserError CannotOpenFile(const std::string& path, const std::string& reason);

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

}  // namespace display
