#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "display/rgb_image.h"

namespace exporting {

// The windows whose pictures can be saved, in the order they are saved.
enum class SavedWindowId : std::uint8_t { Main, Analysis, ParameterSpace, Growth, Streets, Stability, Surface };

// A window whose picture can be saved: the part its file name carries.
struct SavedWindow {
  SavedWindowId Id;
  std::string_view NamePart;
};

inline constexpr std::array<SavedWindow, 7> kSavedWindows{{
    {SavedWindowId::Main, "_main_"},
    {SavedWindowId::Analysis, "_basic_"},
    {SavedWindowId::ParameterSpace, "_paraSpace_"},
    {SavedWindowId::Growth, "_growth_"},
    {SavedWindowId::Streets, "_streets_"},
    {SavedWindowId::Stability, "_stability_"},
    {SavedWindowId::Surface, "_stabSurf3D_"},
}};

constexpr std::size_t IndexOf(SavedWindowId id) { return static_cast<std::size_t>(id); }

// What the main window's group "save windows " asks for at the moment of a
// save: the round and examination name of the file names (E_sRound, E_sName)
// and which windows are checked, in the order of kSavedWindows.
struct SaveChoice {
  std::string Round;
  std::string Name;
  std::array<bool, kSavedWindows.size()> Windows{};
};

// One point of the 3-D stability surface: x the tolerance, y the mean
// segregation index (the height), z the value of the third parameter.
struct SurfacePoint {
  double X = 0;
  double Y = 0;
  double Z = 0;
  bool operator==(const SurfacePoint&) const = default;
};

// The file name of the JPEG made from base: when the last component of base
// (after its last path separator) contains a dot, everything from its last
// dot on is replaced by ".jpg"; otherwise ".jpg" is appended.
std::string JpegFileName(const std::string& base);

// Turns the bitmap file base + ".bmp" into the JPEG file JpegFileName(base)
// of the given quality (libjpeg's defaults otherwise), replacing a file of
// that name, then deletes the bitmap. Throws world::UserError when the bitmap
// cannot be read or the JPEG file cannot be created; the bitmap then stays.
void ConvertToJpeg(const std::string& base, int quality);

// Saves pictures of the program's windows as JPEG files in "pictures" and the
// stability surface as a spreadsheet in "data", both folders beside the
// program. The windows hand in their pictures and the surface its points;
// the caller hands in the SaveChoice, asked for afresh at every save.
class WindowSaver {
 public:
  // Renders a window's whole client area as it stands, off screen: a picture
  // of the client area's size, filled with the window's background colour,
  // then painted with all its controls, panels and charts.
  using RenderWindow = std::function<display::RgbImage()>;
  // The points of the surface series in point order.
  using SurfacePoints = std::function<std::vector<SurfacePoint>()>;
  // The choice as it stands now.
  using ChoiceSource = std::function<SaveChoice()>;

  // programFolder: the folder of the program's executable, with or without
  // a trailing separator.
  WindowSaver(ChoiceSource choice, std::string programFolder);

  // Binds a window to its renderer. A checked window without a renderer is
  // not saved (this front end lacks it).
  void SetWindow(SavedWindowId window, RenderWindow render);
  // Without a source the surface is empty: the file holds the header only.
  void SetSurface(SurfacePoints points);

  // For every checked window in table order: its bitmap base + ".bmp" is
  // written, converted with ConvertToJpeg(base, 100) and deleted; then
  // ExportSurfaceData(number). number is a text, normally a decimal integer.
  // Throws world::UserError at the first file that cannot be created: the
  // files written before stay, no later file is written, no bitmap remains.
  void SaveWindows(const std::string& number) const;

  // When the surface is checked, writes the surface to DataFileName(number):
  // one worksheet with the header "X", "Y", "Z" and one row per point.
  // Throws world::UserError when the file cannot be created.
  void ExportSurfaceData(const std::string& number) const;

  // program folder + "pictures" + separator + round + "_0" + number + part + name
  std::string PictureBase(const std::string& number, std::string_view part) const;
  // program folder + "data" + separator + round + "_0" + number + "_stabSurf3D_" + name + ".xls"
  std::string DataFileName(const std::string& number) const;

 private:
  static std::string FileStem(const SaveChoice& choice, const std::string& number, std::string_view part);
  std::string PictureBase(const SaveChoice& choice, const std::string& number, std::string_view part) const;
  std::string DataFileName(const SaveChoice& choice, const std::string& number) const;
  void ExportSurfaceData(const SaveChoice& choice, const std::string& number) const;

  ChoiceSource choice_;
  std::string folder_;  // ends in a separator, or is empty for the working folder
  std::array<RenderWindow, kSavedWindows.size()> renderers_;
  SurfacePoints surface_;
};

}  // namespace exporting
