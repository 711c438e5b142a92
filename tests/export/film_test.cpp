// Films of a run: the frames read back from the files with FFmpeg and giflib
// themselves equal the pictures that went in, the GIF exactly, the MP4
// within the codec's error; the count and rate of the frames; the run's
// frames are the world images of their steps; bad input leaves nothing.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/run_command.h"
#include "export/film.h"
#include "export/film_yuv.h"
#include "export/png_file.h"
#include "export/file_output.h"
#include "export_support.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace {

using display::RgbImage;
using exporting::FilmFormat;
using test_support::TempFolder;

// --- Reading films back --------------------------------------------------

struct DecodedFilm {
  std::vector<RgbImage> Frames;
  std::vector<int> DelaysCs;  // GIF: the delay of every shown frame
  double FramesPerSecond = 0;  // MP4: the stream's rate
};

// Every frame as a viewer shows it: the images of the file drawn over the
// screen in order, a frame complete at each image with a delay.
DecodedFilm ReadGif(const std::string& path) {
  int error = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
  EXPECT_NE(gif, nullptr) << GifErrorString(error);
  DecodedFilm film;
  if (!gif) return film;
  EXPECT_EQ(DGifSlurp(gif), GIF_OK);
  RgbImage screen(gif->SWidth, gif->SHeight);
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& image = gif->SavedImages[i];
    const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
    for (int y = 0; y < image.ImageDesc.Height; ++y) {
      for (int x = 0; x < image.ImageDesc.Width; ++x) {
        const int index = image.RasterBits[y * image.ImageDesc.Width + x];
        EXPECT_LT(index, map->ColorCount);
        const GifColorType c = map->Colors[index];
        screen.Set(image.ImageDesc.Left + x, image.ImageDesc.Top + y, world::Rgb(c.Red, c.Green, c.Blue));
      }
    }
    GraphicsControlBlock control{};
    DGifSavedExtensionToGCB(gif, i, &control);
    if (control.DelayTime > 0) {
      film.Frames.push_back(screen);
      film.DelaysCs.push_back(control.DelayTime);
    }
  }
  DGifCloseFile(gif, &error);
  return film;
}

DecodedFilm ReadMp4(const std::string& path) {
  DecodedFilm film;
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) {
    ADD_FAILURE() << "FFmpeg cannot open " << path;
    return film;
  }
  avformat_find_stream_info(format, nullptr);
  const AVCodec* codec = nullptr;
  const int s = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
  EXPECT_GE(s, 0);
  AVStream* stream = format->streams[s];
  EXPECT_EQ(stream->codecpar->codec_id, AV_CODEC_ID_H264);
  film.FramesPerSecond = av_q2d(stream->avg_frame_rate);
  AVCodecContext* context = avcodec_alloc_context3(codec);
  avcodec_parameters_to_context(context, stream->codecpar);
  EXPECT_EQ(avcodec_open2(context, codec, nullptr), 0);
  AVFrame* frame = av_frame_alloc();
  AVPacket* packet = av_packet_alloc();
  SwsContext* sws = nullptr;
  auto receive = [&] {
    while (avcodec_receive_frame(context, frame) == 0) {
      sws = sws_getCachedContext(sws, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                 frame->width, frame->height, AV_PIX_FMT_RGB24, SWS_BILINEAR, nullptr, nullptr,
                                 nullptr);
      RgbImage rgb(frame->width, frame->height);
      std::uint8_t* planes[1] = {rgb.Pixels.data()};
      const int strides[1] = {rgb.Stride()};
      sws_scale(sws, frame->data, frame->linesize, 0, frame->height, planes, strides);
      film.Frames.push_back(std::move(rgb));
    }
  };
  while (av_read_frame(format, packet) >= 0) {
    if (packet->stream_index == s) {
      avcodec_send_packet(context, packet);
      receive();
    }
    av_packet_unref(packet);
  }
  avcodec_send_packet(context, nullptr);
  receive();
  sws_freeContext(sws);
  av_packet_free(&packet);
  av_frame_free(&frame);
  avcodec_free_context(&context);
  avformat_close_input(&format);
  return film;
}

// Mean absolute difference per colour channel, and the largest share of
// pixels of one frame with any channel more than 48 off.
struct Difference {
  double Mean = 0;
  double FarShare = 0;
};

Difference Compare(const RgbImage& a, const RgbImage& b) {
  Difference d;
  if (a.Pixels.size() != b.Pixels.size()) return {255, 1};
  long long far = 0;
  double sum = 0;
  for (std::size_t i = 0; i < a.Pixels.size(); i += 3) {
    int worst = 0;
    for (std::size_t c = 0; c < 3; ++c) {
      const int e = std::abs(static_cast<int>(a.Pixels[i + c]) - static_cast<int>(b.Pixels[i + c]));
      sum += e;
      worst = std::max(worst, e);
    }
    if (worst > 48) ++far;
  }
  d.Mean = sum / static_cast<double>(a.Pixels.size());
  d.FarShare = static_cast<double>(far) / static_cast<double>(a.Pixels.size() / 3);
  return d;
}

// --- Pictures to film ------------------------------------------------------

// Discs of group colours on rent greys, moving from frame to frame, as the
// world image shows them.
RgbImage WorldLike(int frame, int width = 96, int height = 64) {
  RgbImage image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int g = (x / 6 + y / 6 + frame) % 40 + 100;
      image.Set(x, y, world::Rgb(g, g, g));
    }
  }
  const world::ColorRef colors[3] = {world::Rgb(255, 0, 0), world::Rgb(0, 255, 0), world::Rgb(0, 0, 255)};
  for (int k = 0; k < 3; ++k) {
    const int cx = 12 + 25 * k + frame, cy = 20 + 10 * k;
    for (int y = cy - 5; y < cy + 5; ++y) {
      for (int x = cx - 5; x < cx + 5; ++x) {
        const bool inside = x >= 0 && y >= 0 && x < width && y < height;
        if (inside && (x - cx) * (x - cx) + (y - cy) * (y - cy) <= 25) image.Set(x, y, colors[k]);
      }
    }
  }
  return image;
}

// Every grey and 256 more colours: more than one colour table holds.
RgbImage ManyColors(int width = 64, int height = 16) {
  RgbImage image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int i = y * width + x;
      image.Set(x, y, i < 256 ? world::Rgb(i, i, i) : world::Rgb(i % 256, 0, 255 - i % 256));
    }
  }
  return image;
}

std::vector<RgbImage> WriteFilm(const std::string& path, FilmFormat format, const std::vector<RgbImage>& frames,
                                int fps = 25) {
  exporting::FilmOptions options;
  options.Format = format;
  options.Width = frames.front().Width;
  options.Height = frames.front().Height;
  options.FramesPerSecond = fps;
  options.Colors = {world::kWhite, world::Rgb(255, 0, 0)};
  auto film = exporting::OpenFilm(path, options);
  for (const RgbImage& f : frames) film->AddFrame(f);
  film->Finish();
  return frames;
}

std::vector<std::string> FilesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(FilmFormat, FollowsTheEndingInAnyCase) {
  EXPECT_EQ(exporting::FilmFormatOf("a/run.mp4"), FilmFormat::Mp4);
  EXPECT_EQ(exporting::FilmFormatOf("RUN.GIF"), FilmFormat::Gif);
  EXPECT_EQ(exporting::FilmFormatOf("run.avi"), std::nullopt);
  EXPECT_EQ(exporting::FilmFormatOf("run"), std::nullopt);
  EXPECT_EQ(exporting::FilmFormatOf("films.gif/run"), std::nullopt);
}

TEST(GifFilm, GivesBackEveryPixelOfEveryFrameAndItsDelay) {
  TempFolder folder;
  std::vector<RgbImage> frames;
  for (int k = 0; k < 6; ++k) frames.push_back(WorldLike(k));
  frames.push_back(frames.back());  // a frame without change still takes its time
  frames.push_back(ManyColors(96, 64));
  frames.push_back(WorldLike(2));
  WriteFilm(folder.File("f.gif"), FilmFormat::Gif, frames);
  const DecodedFilm back = ReadGif(folder.File("f.gif"));
  ASSERT_EQ(back.Frames.size(), frames.size());
  for (std::size_t k = 0; k < frames.size(); ++k) {
    EXPECT_EQ(back.Frames[k].Pixels, frames[k].Pixels) << "frame " << k;
    EXPECT_EQ(back.DelaysCs[k], 4) << "25 frames a second";
  }
  EXPECT_EQ(FilesIn(folder.Path()), std::vector<std::string>{"f.gif"});
}

TEST(GifFilm, KeepsTheRateWhenAFrameIsNoWholeNumberOfHundredths) {
  TempFolder folder;
  std::vector<RgbImage> frames;
  for (int k = 0; k < 30; ++k) frames.push_back(WorldLike(k % 3, 8, 8));
  WriteFilm(folder.File("f.gif"), FilmFormat::Gif, frames, 30);
  const DecodedFilm back = ReadGif(folder.File("f.gif"));
  ASSERT_EQ(back.Frames.size(), 30u);
  int total = 0;
  for (int d : back.DelaysCs) {
    EXPECT_TRUE(d == 3 || d == 4) << d;
    total += d;
  }
  EXPECT_EQ(total, 100);
}

TEST(Mp4Film, GivesBackTheFramesWithinASmallErrorAtItsRate) {
  TempFolder folder;
  std::vector<RgbImage> frames;
  for (int k = 0; k < 12; ++k) frames.push_back(WorldLike(k, 128, 96));
  WriteFilm(folder.File("f.mp4"), FilmFormat::Mp4, frames, 10);
  const DecodedFilm back = ReadMp4(folder.File("f.mp4"));
  EXPECT_DOUBLE_EQ(back.FramesPerSecond, 10.0);
  ASSERT_EQ(back.Frames.size(), frames.size());
  for (std::size_t k = 0; k < frames.size(); ++k) {
    const Difference d = Compare(back.Frames[k], frames[k]);
    EXPECT_LT(d.Mean, 3.0) << "frame " << k;
    // Only the rims of the discs, where the colour is halved in resolution.
    EXPECT_LT(d.FarShare, 0.03) << "frame " << k;
  }
}

TEST(Film, FolderThatDoesNotExistIsRefusedWithTheFileMessage) {
  TempFolder folder;
  const std::string path = folder.File("missing/f.gif");
  exporting::FilmOptions options;
  options.Format = FilmFormat::Gif;
  options.Width = options.Height = 4;
  try {
    exporting::OpenFilm(path, options);
    FAIL() << "no error";
  } catch (const world::UserError& e) {
    EXPECT_EQ(std::string(e.what()), "Datei \"" + path + "\" kann nicht erstellt werden. No such file or directory");
  }
}

TEST(Film, AbandonedBeforeTheEndLeavesNoFileAndKeepsTheOldOne) {
  TempFolder folder;
  exporting::WriteFileReplacing(folder.File("old.mp4"), std::vector<std::uint8_t>{1, 2, 3});
  for (FilmFormat format : {FilmFormat::Gif, FilmFormat::Mp4}) {
    exporting::FilmOptions options;
    options.Format = format;
    options.Width = 32;
    options.Height = 32;
    auto film = exporting::OpenFilm(folder.File(format == FilmFormat::Gif ? "new.gif" : "old.mp4"), options);
    film->AddFrame(WorldLike(0, 32, 32));
  }
  EXPECT_EQ(FilesIn(folder.Path()), std::vector<std::string>{"old.mp4"});
  EXPECT_EQ(exporting::ReadWholeFile(folder.File("old.mp4")), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(Film, FrameOfAnotherSizeIsRefused) {
  TempFolder folder;
  for (FilmFormat format : {FilmFormat::Gif, FilmFormat::Mp4}) {
    exporting::FilmOptions options;
    options.Format = format;
    options.Width = options.Height = 8;
    auto film = exporting::OpenFilm(folder.File(format == FilmFormat::Gif ? "f.gif" : "f.mp4"), options);
    // Refused as it comes (MP4) or by the encoder behind, at the next frame
    // or at the end at the latest (GIF).
    EXPECT_THROW(
        {
          film->AddFrame(RgbImage(8, 8));
          film->AddFrame(RgbImage(9, 8));
          film->AddFrame(RgbImage(8, 8));
          film->AddFrame(RgbImage(8, 8));
          film->AddFrame(RgbImage(8, 8));
          film->AddFrame(RgbImage(8, 8));
          film->Finish();
        },
        world::UserError);
    film.reset();
    EXPECT_TRUE(FilesIn(folder.Path()).empty());
  }
}

TEST(StepCaption, WritesTheStepInTheCornerOnly) {
  RgbImage image = WorldLike(0, 200, 100);
  const RgbImage before = image;
  exporting::DrawStepCaption(image, 1207);
  int changedBelow = 0, dark = 0;
  for (int y = 0; y < image.Height; ++y) {
    for (int x = 0; x < image.Width; ++x) {
      if (image.At(x, y) == before.At(x, y)) continue;
      if (y >= 20 || x >= 112) ++changedBelow;
      if (image.At(x, y) == world::Rgb(0, 0, 0)) ++dark;
    }
  }
  EXPECT_EQ(changedBelow, 0);
  EXPECT_GT(dark, 100);
}

// --- Colour conversion for H.264 ---------------------------------------------------

struct Yuv {
  std::vector<std::uint8_t> Y, U, V;
  int Width = 0;
  explicit Yuv(int width, int height)
      : Y(static_cast<std::size_t>(width * height), 1), U(static_cast<std::size_t>(width * height / 4), 1),
        V(U), Width(width) {}
  exporting::YuvPlanes Planes() { return {Y.data(), U.data(), V.data(), Width, Width / 2, Width / 2}; }
};

TEST(YuvConversion, GivesTheVideoRangeValuesOfPlainColours) {
  const struct {
    world::ColorRef Color;
    int Y, U, V;
  } cases[] = {
      {world::kWhite, 235, 128, 128},
      {world::Rgb(0, 0, 0), 16, 128, 128},
      {world::Rgb(255, 0, 0), 82, 90, 240},
      {world::Rgb(0, 255, 0), 144, 54, 34},
      {world::Rgb(0, 0, 255), 41, 240, 110},
  };
  for (const auto& c : cases) {
    const RgbImage image(40, 2, c.Color);  // 20 blocks: the wide path and the rest one at a time
    Yuv yuv(40, 2);
    exporting::RgbToYuv420(image, yuv.Planes(), 0, 0, 20);
    EXPECT_EQ(yuv.Y, std::vector<std::uint8_t>(80, static_cast<std::uint8_t>(c.Y))) << c.Color;
    EXPECT_EQ(yuv.U, std::vector<std::uint8_t>(20, static_cast<std::uint8_t>(c.U))) << c.Color;
    EXPECT_EQ(yuv.V, std::vector<std::uint8_t>(20, static_cast<std::uint8_t>(c.V))) << c.Color;
  }
}

TEST(YuvConversion, ChromaIsTheMeanOfEachBlock) {
  RgbImage image(2, 2, world::kWhite);
  image.Set(1, 1, world::Rgb(0, 0, 0));  // the mean: 191 in every channel
  Yuv yuv(2, 2);
  exporting::RgbToYuv420(image, yuv.Planes(), 0, 0, 1);
  EXPECT_EQ(yuv.Y, (std::vector<std::uint8_t>{235, 235, 235, 16}));
  EXPECT_EQ(yuv.U, std::vector<std::uint8_t>{128});
}

// The wide path against the plain one, on noise and on the flat pictures of
// a world, for every start and end of a span of blocks, nothing outside it touched.
TEST(YuvConversion, WidePathEqualsThePlainOneOnEverySpan) {
  std::vector<RgbImage> images = {WorldLike(3, 70, 4), ManyColors(70, 4)};
  RgbImage noise(70, 4);
  std::uint32_t state = 12345;
  for (auto& byte : noise.Pixels) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<std::uint8_t>(state >> 23);
  }
  images.push_back(noise);
  for (const RgbImage& image : images) {
    for (int left = 0; left <= 35; ++left) {
      for (int right = left; right <= 35; right += 3) {
        Yuv wide(70, 4), plain(70, 4);
        exporting::RgbToYuv420(image, wide.Planes(), 1, left, right);
        exporting::RgbToYuv420Scalar(image, plain.Planes(), 1, left, right);
        ASSERT_EQ(wide.Y, plain.Y) << left << ".." << right;
        ASSERT_EQ(wide.U, plain.U) << left << ".." << right;
        ASSERT_EQ(wide.V, plain.V) << left << ".." << right;
        EXPECT_EQ(std::count(plain.Y.begin(), plain.Y.end(), 1), 280 - 4 * (right - left));
      }
    }
  }
}

// --- The run's film ----------------------------------------------------------

struct Outcome {
  int Status = 0;
  std::string Out;
  std::string Err;
};

Outcome RunCli(cli::RunOptions options) {
  options.Seed = 5;
  // A small world keeps the run short.
  options.Settings = {"Edit_cellSiz=20", "Edit_anzAg=600"};
  std::ostringstream out, err;
  Outcome o;
  o.Status = cli::Run(options, out, err);
  o.Out = out.str();
  o.Err = err.str();
  return o;
}

// The world image after `steps` steps of the same run, fully repainted.
RgbImage WorldAfter(const TempFolder& folder, int steps) {
  cli::RunOptions options;
  options.Steps = steps;
  options.Snapshot = folder.File("after" + std::to_string(steps) + ".png");
  const Outcome o = RunCli(options);
  EXPECT_EQ(o.Status, 0) << o.Err;
  return exporting::DecodePng(exporting::ReadWholeFile(*options.Snapshot));
}

TEST(RunFilm, GifFramesAreTheWorldImagesOfEveryKthStepAndTheLast) {
  TempFolder folder;
  cli::RunOptions options;
  options.Steps = 5;
  options.Film = folder.File("run.gif");
  options.FilmEvery = 2;
  options.FilmFps = 5;
  const Outcome o = RunCli(options);
  ASSERT_EQ(o.Status, 0) << o.Err;
  const DecodedFilm film = ReadGif(*options.Film);
  const std::vector<int> steps = {0, 2, 4, 5};
  ASSERT_EQ(film.Frames.size(), steps.size());
  for (std::size_t k = 0; k < steps.size(); ++k) {
    EXPECT_EQ(film.Frames[k].Pixels, WorldAfter(folder, steps[k]).Pixels) << "step " << steps[k];
    EXPECT_EQ(film.DelaysCs[k], 20);
  }
}

TEST(RunFilm, Mp4FramesFollowTheWorldImages) {
  TempFolder folder;
  cli::RunOptions options;
  options.Steps = 3;
  options.Film = folder.File("run.mp4");
  const Outcome o = RunCli(options);
  ASSERT_EQ(o.Status, 0) << o.Err;
  const DecodedFilm film = ReadMp4(*options.Film);
  EXPECT_DOUBLE_EQ(film.FramesPerSecond, 25.0);
  ASSERT_EQ(film.Frames.size(), 4u);
  for (int step = 0; step <= 3; ++step) {
    const Difference d = Compare(film.Frames[static_cast<std::size_t>(step)], WorldAfter(folder, step));
    EXPECT_LT(d.Mean, 3.0) << "step " << step;
    EXPECT_LT(d.FarShare, 0.03) << "step " << step;
  }
}

TEST(RunFilm, CaptionShowsInTheCornerOfEachFrame) {
  TempFolder folder;
  cli::RunOptions options;
  options.Steps = 1;
  options.Film = folder.File("run.gif");
  options.FilmCaption = true;
  ASSERT_EQ(RunCli(options).Status, 0);
  const DecodedFilm film = ReadGif(*options.Film);
  ASSERT_EQ(film.Frames.size(), 2u);
  RgbImage expected = WorldAfter(folder, 1);
  exporting::DrawStepCaption(expected, 1);
  EXPECT_EQ(film.Frames[1].Pixels, expected.Pixels);
}

TEST(RunFilm, BadRequestsStopBeforeTheRunAndLeaveNothing) {
  TempFolder folder;
  const struct {
    std::string File;
    int Every;
    int Fps;
    std::string Message;
  } cases[] = {
      {"run.avi", 1, 25, "--film takes a file name ending in .mp4 or .gif, not '" + folder.File("run.avi") + "'"},
      {"run.gif", 0, 25, "--film-every must be at least 1"},
      {"run.mp4", 1, 0, "--film-fps takes a whole number from 1 to 100"},
      {"run.mp4", 1, 101, "--film-fps takes a whole number from 1 to 100"},
      {"no/run.gif", 1, 25,
       "Datei \"" + folder.File("no/run.gif") + "\" kann nicht erstellt werden. No such file or directory"},
  };
  for (const auto& c : cases) {
    cli::RunOptions options;
    options.Steps = 2;
    options.Film = folder.File(c.File);
    options.FilmEvery = c.Every;
    options.FilmFps = c.Fps;
    const Outcome o = RunCli(options);
    EXPECT_EQ(o.Status, 2) << c.File;
    EXPECT_EQ(o.Err, c.Message + "\n");
    EXPECT_TRUE(o.Out.empty());
  }
  EXPECT_TRUE(FilesIn(folder.Path()).empty());
}

// --- The tool and the encoders' module ----------------------------------------

struct Process {
  int Status = -1;
  std::string Err;
};

// Runs the shell command with standard error caught in the folder.
Process RunProgram(const TempFolder& folder, const std::string& command) {
  const std::string errFile = folder.File("stderr.txt");
  const int status = std::system((command + " >/dev/null 2>" + errFile).c_str());
  Process p;
  p.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream in(errFile);
  p.Err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  std::filesystem::remove(errFile);
  return p;
}

// A copy of the tool in bin/ of the folder, alone.
std::string CopyOfTheTool(const TempFolder& folder) {
  std::filesystem::create_directories(folder.Path() / "bin");
  const auto copy = folder.Path() / "bin" / "vicinara-cli";
  std::filesystem::copy_file(VICINARA_CLI_PATH, copy);
  return copy.string();
}

TEST(FilmModule, MissingModuleGivesItsMessageAndNoFileAndFoundInLibVicinaraItFilms) {
  TempFolder folder;
  const std::string tool = CopyOfTheTool(folder);
  const std::string film = folder.File("run.gif");
  const std::string command = tool + " run --seed 3 --steps 2 --set Edit_cellSiz=40 --set Edit_anzAg=100 --film " + film;
  const Process missing = RunProgram(folder, command);
  EXPECT_EQ(missing.Status, 2);
  const std::string expected = "films are not available: the film module vicinara-film.so was not found beside the program (";
  EXPECT_EQ(missing.Err.substr(0, expected.size()), expected) << missing.Err;
  EXPECT_EQ(std::count(missing.Err.begin(), missing.Err.end(), '\n'), 1) << missing.Err;
  EXPECT_FALSE(std::filesystem::exists(film));

  // As installed: the module in lib/vicinara beside bin.
  std::filesystem::create_directories(folder.Path() / "lib" / "vicinara");
  std::filesystem::copy_file(std::filesystem::path(VICINARA_CLI_PATH).parent_path() / exporting::kFilmModuleName,
                             folder.Path() / "lib" / "vicinara" / exporting::kFilmModuleName);
  const Process found = RunProgram(folder, command);
  EXPECT_EQ(found.Status, 0) << found.Err;
  EXPECT_EQ(ReadGif(film).Frames.size(), 3u);
}

// The module's errors reach the tool itself, which links its own C++ library.
TEST(FilmModule, TheToolReportsAFilmTheModuleCannotCreate) {
  TempFolder folder;
  for (const char* name : {"no/run.mp4", "no/run.gif"}) {
    const Process run = RunProgram(
        folder, std::string(VICINARA_CLI_PATH) +
                    " run --seed 1 --steps 1 --set Edit_cellSiz=40 --set Edit_anzAg=100 --film " + folder.File(name));
    EXPECT_EQ(run.Status, 2) << name;
    EXPECT_EQ(run.Err, "Datei \"" + folder.File(name) + "\" kann nicht erstellt werden. No such file or directory\n");
  }
}

// The tool runs a world without the encoders' libraries,
// nor any of Qt's: each library loaded costs time at every start.
TEST(FilmModule, RunWithoutFilmLoadsNeitherFFmpegNorQt) {
  TempFolder folder;
  const Process run = RunProgram(
      folder, std::string("LD_DEBUG=libs ") + VICINARA_CLI_PATH + " run --seed 1 --steps 1 --set Edit_cellSiz=40 --set Edit_anzAg=100");
  ASSERT_EQ(run.Status, 0);
  EXPECT_NE(run.Err.find("libc.so"), std::string::npos) << "no loader's trace";
  for (const char* library : {"libavcodec", "libavformat", "libgif", "libx264", "libQt6", "vicinara-film"}) {
    EXPECT_EQ(run.Err.find(library), std::string::npos) << library;
  }
}

}  // namespace
