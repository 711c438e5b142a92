#pragma once

#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "world/convert.h"

namespace test_support {

// A fresh empty folder under the system's temporary folder, removed with
// everything in it when the object goes.
class TempFolder {
 public:
  TempFolder() {
    std::random_device device;
    for (;;) {
      path_ = std::filesystem::temp_directory_path() / ("vicinara-export-" + std::to_string(device()));
      if (std::filesystem::create_directory(path_)) break;
    }
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The folder's path with a trailing separator, as the program folder is given.
  std::string Folder() const { return (path_ / "").string(); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Names of the entries in a folder, sorted; empty for a missing folder.
inline std::vector<std::string> Entries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The text of the world::UserError that the call throws, or "(no error)".
template <class Call>
std::string UserErrorText(Call call) {
  try {
    call();
  } catch (const world::UserError& e) {
    return e.what();
  }
  return "(no error)";
}

// What Debian's xlrd, an independent reader, makes of an .xls file: one
// line per cell (see read_xls.py). Runs /usr/bin/python3, which sees the
// Debian python3-xlrd module.
inline std::string ReadWithXlrd(const TempFolder& temp, const std::string& xls) {
  const std::string out = temp.File("xlrd.txt");
  const std::string command =
      "/usr/bin/python3 \"" VICINARA_READ_XLS_SCRIPT "\" \"" + xls + "\" > \"" + out + "\" 2>&1";
  const int status = std::system(command.c_str());
  std::stringstream text;
  text << std::ifstream(out).rdbuf();
  std::filesystem::remove(out);
  return status == 0 ? text.str() : "xlrd failed: " + text.str();
}

}  // namespace test_support
