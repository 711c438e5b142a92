#include "export/film.h"

#include <dlfcn.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "export/file_output.h"

namespace exporting {

using display::RgbImage;

namespace {

// ---------------------------------------------------------------------------
// The encoders' module

using InterfaceFunction = int (*)();
using OpenFunction = FilmWriter* (*)(const std::string&, const FilmOptions&);

// The places the module may lie, in order: beside the program, as in the
// build tree, then in lib/vicinara beside the program's bin folder, as installed.
std::vector<std::filesystem::path> ModuleCandidates() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {kFilmModuleName};
  const std::filesystem::path folder = program.parent_path();
  return {folder / kFilmModuleName, folder.parent_path() / "lib" / "vicinara" / kFilmModuleName};
}

OpenFunction LoadModule() {
  std::string reasons;
  for (const std::filesystem::path& candidate : ModuleCandidates()) {
    // Loaded once and kept: its threads and FFmpeg's own state outlive any one film.
    void* module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
      const char* reason = dlerror();
      if (!reasons.empty()) reasons += "; ";
      reasons += reason ? reason : candidate.string();
      continue;
    }
    auto interface = reinterpret_cast<InterfaceFunction>(dlsym(module, "vicinara_film_interface"));
    auto open = reinterpret_cast<OpenFunction>(dlsym(module, "vicinara_open_film"));
    if (!interface || !open || interface() != kFilmModuleInterface) {
      throw world::UserError(std::string(world::kProgramTitle),
                             "films are not available: " + candidate.string() +
                                 " does not belong to this version of the program");
    }
    return open;
  }
  throw world::UserError(std::string(world::kProgramTitle),
                         std::string("films are not available: the film module ") + kFilmModuleName +
                             " was not found beside the program (" + reasons + ")");
}

// ---------------------------------------------------------------------------
// Caption

// Glyphs of 5 x 7 pixels, a row per byte, the leftmost pixel in bit 4.
struct Glyph {
  char Letter;
  std::array<std::uint8_t, 7> Rows;
};
constexpr Glyph kGlyphs[] = {
    {'0', {0x0e, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0e}}, {'1', {0x04, 0x0c, 0x04, 0x04, 0x04, 0x04, 0x0e}},
    {'2', {0x0e, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1f}}, {'3', {0x1f, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0e}},
    {'4', {0x02, 0x06, 0x0a, 0x12, 0x1f, 0x02, 0x02}}, {'5', {0x1f, 0x10, 0x1e, 0x01, 0x01, 0x11, 0x0e}},
    {'6', {0x06, 0x08, 0x10, 0x1e, 0x11, 0x11, 0x0e}}, {'7', {0x1f, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0e, 0x11, 0x11, 0x0e, 0x11, 0x11, 0x0e}}, {'9', {0x0e, 0x11, 0x11, 0x0f, 0x01, 0x02, 0x0c}},
    {'s', {0x00, 0x00, 0x0e, 0x10, 0x0e, 0x01, 0x1e}}, {'t', {0x08, 0x08, 0x1c, 0x08, 0x08, 0x09, 0x06}},
    {'e', {0x00, 0x00, 0x0e, 0x11, 0x1f, 0x10, 0x0e}}, {'p', {0x00, 0x00, 0x1e, 0x11, 0x1e, 0x10, 0x10}},
    {'-', {0x00, 0x00, 0x00, 0x1f, 0x00, 0x00, 0x00}},
};

const Glyph* GlyphOf(char c) {
  for (const Glyph& g : kGlyphs) {
    if (g.Letter == c) return &g;
  }
  return nullptr;
}

void FillBox(RgbImage& image, int x0, int y0, int x1, int y1, world::ColorRef color) {
  for (int y = std::max(0, y0); y < std::min(image.Height, y1); ++y) {
    for (int x = std::max(0, x0); x < std::min(image.Width, x1); ++x) image.Set(x, y, color);
  }
}

}  // namespace

std::optional<FilmFormat> FilmFormatOf(const std::string& path) {
  const auto dot = path.find_last_of('.');
  const std::size_t sep = LastSeparator(path);
  if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return std::nullopt;
  std::string ending = path.substr(dot);
  std::transform(ending.begin(), ending.end(), ending.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ending == ".mp4") return FilmFormat::Mp4;
  if (ending == ".gif") return FilmFormat::Gif;
  return std::nullopt;
}

std::unique_ptr<FilmWriter> OpenFilm(const std::string& path, const FilmOptions& options) {
  // A failed load throws, and the next film tries again.
  static const OpenFunction open = LoadModule();
  return std::unique_ptr<FilmWriter>(open(path, options));
}

void DrawStepCaption(RgbImage& image, int step) {
  constexpr int kScale = 2;
  constexpr int kPad = 3;
  const std::string text = "step " + std::to_string(step);
  const int width = static_cast<int>(text.size()) * 6 * kScale - kScale + 2 * kPad;
  const int height = 7 * kScale + 2 * kPad;
  FillBox(image, 0, 0, width, height, world::kWhite);
  int left = kPad;
  for (char c : text) {
    if (const Glyph* g = GlyphOf(c)) {
      for (int row = 0; row < 7; ++row) {
        for (int col = 0; col < 5; ++col) {
          if (!(g->Rows[static_cast<std::size_t>(row)] >> (4 - col) & 1)) continue;
          const int x = left + col * kScale;
          const int y = kPad + row * kScale;
          FillBox(image, x, y, x + kScale, y + kScale, world::Rgb(0, 0, 0));
        }
      }
    }
    left += 6 * kScale;
  }
}

}  // namespace exporting
