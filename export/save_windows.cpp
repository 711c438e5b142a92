#include "export/save_windows.h"

#include <filesystem>
#include <system_error>

#include "export/bitmap.h"
#include "export/file_output.h"
#include "export/jpeg.h"
#include "export/xls.h"

namespace exporting {

using display::RgbImage;

namespace {

constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);
constexpr int kPictureQuality = 100;
// The 3-D surface's box also decides about the data.
constexpr std::size_t kSurfaceWindow = IndexOf(SavedWindowId::Surface);

void RemoveQuietly(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
}

}  // namespace

std::string JpegFileName(const std::string& base) {
  const std::size_t sep = LastSeparator(base);
  const std::size_t nameStart = sep == std::string::npos ? 0 : sep + 1;
  const std::size_t dot = base.rfind('.');
  if (dot != std::string::npos && dot >= nameStart) return base.substr(0, dot) + ".jpg";
  return base + ".jpg";
}

void ConvertToJpeg(const std::string& base, int quality) {
  const std::string bitmapName = base + ".bmp";
  const RgbImage picture = ReadBitmapFile(bitmapName);
  WriteJpegFile(picture, JpegFileName(base), quality);
  RemoveQuietly(bitmapName);
}

WindowSaver::WindowSaver(ChoiceSource choice, std::string programFolder)
    : choice_(std::move(choice)), folder_(std::move(programFolder)) {
  if (!folder_.empty() && LastSeparator(folder_) != folder_.size() - 1) folder_ += kSeparator;
}

void WindowSaver::SetWindow(SavedWindowId window, RenderWindow render) {
  renderers_[IndexOf(window)] = std::move(render);
}

void WindowSaver::SetSurface(SurfacePoints points) { surface_ = std::move(points); }

std::string WindowSaver::FileStem(const SaveChoice& choice, const std::string& number, std::string_view part) {
  // "_0" is a fixed text, not a padding: number 12 gives "_012".
  return choice.Round + "_0" + number + std::string(part) + choice.Name;
}

std::string WindowSaver::PictureBase(const std::string& number, std::string_view part) const {
  return PictureBase(choice_(), number, part);
}

std::string WindowSaver::PictureBase(const SaveChoice& choice, const std::string& number,
                                     std::string_view part) const {
  return folder_ + "pictures" + kSeparator + FileStem(choice, number, part);
}

std::string WindowSaver::DataFileName(const std::string& number) const { return DataFileName(choice_(), number); }

std::string WindowSaver::DataFileName(const SaveChoice& choice, const std::string& number) const {
  return folder_ + "data" + kSeparator + FileStem(choice, number, "_stabSurf3D_") + ".xls";
}

void WindowSaver::SaveWindows(const std::string& number) const {
  // Asked once: the renderers below only paint, they change no choice.
  const SaveChoice choice = choice_();
  for (std::size_t i = 0; i < kSavedWindows.size(); ++i) {
    const SavedWindow& window = kSavedWindows[i];
    if (!choice.Windows[i]) continue;
    const RenderWindow& render = renderers_[i];
    if (!render) continue;
    const RgbImage picture = render();
    const std::string base = PictureBase(choice, number, window.NamePart);
    WriteBitmapFile(picture, base + ".bmp");
    try {
      ConvertToJpeg(base, kPictureQuality);
    } catch (...) {
      // The bitmap is only a step on the way: a failed save leaves none behind.
      RemoveQuietly(base + ".bmp");
      throw;
    }
  }
  ExportSurfaceData(choice, number);
}

void WindowSaver::ExportSurfaceData(const std::string& number) const { ExportSurfaceData(choice_(), number); }

void WindowSaver::ExportSurfaceData(const SaveChoice& choice, const std::string& number) const {
  if (!choice.Windows[kSurfaceWindow]) return;
  XlsTable table;
  table.Header = {"X", "Y", "Z"};
  if (surface_) {
    for (const SurfacePoint& p : surface_()) table.Rows.push_back({p.X, p.Y, p.Z});
  }
  WriteXlsFile(table, DataFileName(choice, number));
}

}  // namespace exporting
