#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "world/rounding.h"
#include "display/rgb_image.h"

namespace exporting {

enum class FilmFormat { Mp4, Gif };

// The film format a file name asks for by its ending: ".mp4" or ".gif", in
// any case; nothing for any other ending.
std::optional<FilmFormat> FilmFormatOf(const std::string& path);

// Frames per second a film may have: GIF delays count in hundredths of a second.
inline constexpr int kMinFilmFps = 1;
inline constexpr int kMaxFilmFps = 100;

struct FilmOptions {
  FilmFormat Format = FilmFormat::Mp4;
  int Width = 0;   // of every frame, in pixels; even for MP4
  int Height = 0;
  int FramesPerSecond = 25;
  // Colours the frames are known to hold. A GIF puts them into its global
  // colour table first, so frames made of them need no table of their own.
  std::vector<world::ColorRef> Colors;
};

// A film written frame by frame as the frames come, so that memory stays
// flat however long it runs. The file appears under its name only when
// Finish succeeds; a writer destroyed before leaves nothing behind.
//
// MP4: H.264 (libx264) in 4:2:0, frame k shown at k / fps seconds; the
// colours come back within the codec's small error. GIF: every pixel comes
// back exactly. A frame is stored as the rectangle in which it differs from
// the one before, with the global colour table when that holds all its
// colours, else with a table of its own; a rectangle of more than 256
// colours is cut into parts of at most 256, shown together (the parts
// before the last have no delay).
class FilmWriter {
 public:
  virtual ~FilmWriter() = default;
  // Throws world::UserError ("Datei ... kann nicht erstellt werden. ...").
  virtual void AddFrame(const display::RgbImage& frame) = 0;
  // Completes the file and puts it in place. Throws world::UserError.
  virtual void Finish() = 0;
  int FrameCount() const { return frames_; }

 protected:
  int frames_ = 0;
};

// Opens the film for writing under a temporary name in path's folder. The
// encoders live in the module kFilmModuleName, loaded at the first film from
// the program's folder or from lib/vicinara beside it; frames are encoded on
// a thread of their own. Throws world::UserError: the module is missing, the
// file cannot be created, or the encoder is missing or refuses the frame size.
std::unique_ptr<FilmWriter> OpenFilm(const std::string& path, const FilmOptions& options);

// The file name of the encoders' module, and the version of the interface
// between it and the program; a module of another version is refused.
inline constexpr const char* kFilmModuleName = "vicinara-film.so";
inline constexpr int kFilmModuleInterface = 1;

// Writes "step N" in black on a white box into the top left corner.
void DrawStepCaption(display::RgbImage& image, int step);

}  // namespace exporting
