// The .xls and JPEG writers fed random tables, pictures and file names: a
// file is written whole or not at all, and nothing is left half-written.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "world/convert.h"
#include "export/jpeg.h"
#include "export/xls.h"
#include "fuzz_input.h"

namespace fs = std::filesystem;

namespace {

// One folder for the whole fuzzing run, emptied before every input.
const fs::path& Folder() {
  static const fs::path folder = [] {
    fs::path p = fs::temp_directory_path() / ("vicinara-fuzz-export-" + std::to_string(::getpid()));
    fs::create_directories(p);
    return p;
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  for (const auto& entry : fs::directory_iterator(Folder())) fs::remove_all(entry.path());

  exporting::XlsTable table;
  table.Header = {in.Text(20), in.Text(5), in.Text(5)};
  const int rows = in.Int(0, 60);
  for (int r = 0; r < rows; ++r) {
    std::vector<std::optional<double>> row;
    const int columns = in.Int(0, 3);
    for (int c = 0; c < columns; ++c) {
      if (in.Bool()) {
        row.push_back(in.Real());
      } else {
        row.push_back(std::nullopt);
      }
    }
    table.Rows.push_back(row);
  }
  const std::string name = in.Text(16);
  const fs::path xls = Folder() / (name + ".xls");
  try {
    exporting::WriteXlsFile(table, xls.string());
    if (!fs::exists(xls)) std::abort();
  } catch (const world::UserError&) {
  }

  display::RgbImage image(in.Int(0, 40), in.Int(0, 40), world::Rgb(in.Byte(), in.Byte(), in.Byte()));
  for (auto& p : image.Pixels) p = in.Byte();
  const fs::path jpeg = Folder() / (name + ".jpg");
  try {
    exporting::WriteJpegFile(image, jpeg.string(), in.Int(-5, 120));
    if (!fs::exists(jpeg)) std::abort();
  } catch (const world::UserError&) {
  }
  // Only finished files may remain: no temporary or partial ones.
  for (const auto& entry : fs::recursive_directory_iterator(Folder())) {
    if (entry.is_regular_file() && entry.path() != xls && entry.path() != jpeg) {
      std::fprintf(stderr, "left behind: %s\n", entry.path().c_str());
      std::abort();
    }
  }
  return 0;
}
