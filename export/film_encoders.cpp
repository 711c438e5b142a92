// The film encoders: H.264 in MP4 through FFmpeg's libraries, animated GIF
// through giflib. They are built as a module of their own that the program
// loads only when it makes a film (see OpenFilm in film.cpp), so that a run,
// an experiment or a merge never loads FFmpeg and the libraries behind it.
#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

#include "export/file_output.h"
#include "export/film.h"
#include "export/film_yuv.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

namespace exporting {

using display::RgbImage;

namespace {

// ---------------------------------------------------------------------------
// GIF

std::uint32_t PixelAt(const RgbImage& image, int x, int y) {
  const std::uint8_t* p = image.Pixels.data() + (static_cast<std::size_t>(y) * image.Width + x) * 3;
  return static_cast<std::uint32_t>(p[0]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[2];
}

// Up to 256 colours and their indices, found by open addressing.
class ColorTable {
 public:
  static constexpr int kMaxColors = 256;

  ColorTable() { Clear(); }

  void Clear() {
    colors_.clear();
    keys_.fill(kEmpty);
  }
  int Size() const { return static_cast<int>(colors_.size()); }
  const std::vector<std::uint32_t>& Colors() const { return colors_; }

  // The colour's index, or -1.
  int Find(std::uint32_t color) const {
    for (std::size_t slot = Hash(color);; slot = (slot + 1) & kMask) {
      if (keys_[slot] == color) return values_[slot];
      if (keys_[slot] == kEmpty) return -1;
    }
  }
  // Adds the colour if it is new; false when the table is full and it is not in it.
  bool Add(std::uint32_t color) {
    std::size_t slot = Hash(color);
    for (; keys_[slot] != kEmpty; slot = (slot + 1) & kMask) {
      if (keys_[slot] == color) return true;
    }
    if (Size() == kMaxColors) return false;
    keys_[slot] = color;
    values_[slot] = static_cast<std::uint8_t>(colors_.size());
    colors_.push_back(color);
    return true;
  }

 private:
  static constexpr std::uint32_t kEmpty = 0xffffffffu;  // no 24-bit colour
  static constexpr std::size_t kSlots = 1024;           // a quarter full at most
  static constexpr std::size_t kMask = kSlots - 1;
  static std::size_t Hash(std::uint32_t c) { return ((c * 2654435761u) >> 22) & kMask; }

  std::vector<std::uint32_t> colors_;
  std::array<std::uint32_t, kSlots> keys_{};
  std::array<std::uint8_t, kSlots> values_{};
};

struct Rect {
  int X = 0, Y = 0, W = 0, H = 0;
};

struct GifMapDeleter {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using GifMap = std::unique_ptr<ColorMapObject, GifMapDeleter>;

// A colour map of the table's colours, padded to a power of two as GIF asks.
GifMap MakeMap(const ColorTable& table) {
  int size = 2;
  while (size < table.Size()) size *= 2;
  std::vector<GifColorType> colors(static_cast<std::size_t>(size), GifColorType{0, 0, 0});
  for (int i = 0; i < table.Size(); ++i) {
    const std::uint32_t c = table.Colors()[static_cast<std::size_t>(i)];
    colors[static_cast<std::size_t>(i)] = {static_cast<GifByteType>(c >> 16), static_cast<GifByteType>(c >> 8),
                                           static_cast<GifByteType>(c)};
  }
  return GifMap(GifMakeMapObject(size, colors.data()));
}

// A writer that keeps each frame as the one before the next: Take swaps the
// frame with a buffer of its own (of any content) instead of copying it.
// Beside the run (PipelinedFilm), Prepare copies the frame on the caller's
// thread and Take gets the copy on the encoder's.
class KeepingFilm : public FilmWriter {
 public:
  using Buffer = RgbImage;

  void AddFrame(const RgbImage& frame) override {
    RgbImage copy = frame;
    Take(copy);
  }
  static void Prepare(const RgbImage& frame, RgbImage& buffer) {
    buffer.Width = frame.Width;
    buffer.Height = frame.Height;
    buffer.Pixels.assign(frame.Pixels.begin(), frame.Pixels.end());
  }
  // Throws as AddFrame.
  virtual void Take(RgbImage& frame) = 0;
};

class GifFilm : public KeepingFilm {
 public:
  GifFilm(const std::string& path, const FilmOptions& options) : file_(path), options_(options) {
    int error = 0;
    gif_ = EGifOpen(this, &GifFilm::Output, &error);
    if (!gif_) throw file_.Failure(ENOMEM);
    EGifSetGifVersion(gif_, true);
    for (world::ColorRef c : options.Colors) {
      global_.Add(static_cast<std::uint32_t>(world::Red(c)) << 16 | static_cast<std::uint32_t>(world::Green(c)) << 8 |
                  static_cast<std::uint32_t>(world::Blue(c)));
    }
    line_.resize(static_cast<std::size_t>(std::max(1, options.Width)));
  }

  ~GifFilm() override {
    if (gif_) EGifCloseFile(gif_, nullptr);
  }

  void Take(RgbImage& frame) override {
    if (frame.Width != options_.Width || frame.Height != options_.Height) throw file_.Failure(EINVAL);
    if (frames_ == 0) WriteScreen(&frame);
    // This frame shows from the end of the one before until its own end, in hundredths of a second.
    const long long fps = options_.FramesPerSecond;
    const auto end = [fps](long long k) { return (k * 100 + fps / 2) / fps; };
    const int delay = static_cast<int>(end(frames_ + 1) - end(frames_));
    Rect rect{0, 0, frame.Width, frame.Height};
    if (frames_ > 0) rect = Changed(frame);
    EmitRect(frame, rect, delay);
    std::swap(previous_, frame);
    ++frames_;
  }

  void Finish() override {
    if (frames_ == 0) WriteScreen(nullptr);
    int error = 0;
    GifFileType* gif = gif_;
    gif_ = nullptr;
    if (EGifCloseFile(gif, &error) == GIF_ERROR) throw file_.Failure(WriteError());
    file_.Commit();
  }

 private:
  static int Output(GifFileType* gif, const GifByteType* bytes, int length) {
    auto* self = static_cast<GifFilm*>(gif->UserData);
    errno = 0;
    const std::size_t written = std::fwrite(bytes, 1, static_cast<std::size_t>(length), self->file_.Stream());
    if (written != static_cast<std::size_t>(length)) self->writeErrno_ = errno ? errno : EIO;
    return static_cast<int>(written);
  }

  int WriteError() const { return writeErrno_ ? writeErrno_ : EIO; }
  void Check(int result) {
    if (result == GIF_ERROR) throw file_.Failure(WriteError());
  }

  // The logical screen with the global colour table: the known colours, then
  // those of the first frame as far as they fit. Films loop for ever.
  void WriteScreen(const RgbImage* first) {
    if (first) {
      for (int y = 0; y < first->Height && global_.Size() < ColorTable::kMaxColors; ++y) {
        for (int x = 0; x < first->Width; ++x) {
          if (!global_.Add(PixelAt(*first, x, y))) break;
        }
      }
    }
    const GifMap map = MakeMap(global_);
    Check(EGifPutScreenDesc(gif_, options_.Width, options_.Height, 8, 0, map.get()));
    static const GifByteType kNetscape[] = "NETSCAPE2.0";
    static const GifByteType kLoopForEver[] = {1, 0, 0};
    Check(EGifPutExtensionLeader(gif_, APPLICATION_EXT_FUNC_CODE));
    Check(EGifPutExtensionBlock(gif_, 11, kNetscape));
    Check(EGifPutExtensionBlock(gif_, 3, kLoopForEver));
    Check(EGifPutExtensionTrailer(gif_));
  }

  // The smallest rectangle holding every pixel that differs from the last
  // frame; a single pixel when none does (the frame still takes its time).
  Rect Changed(const RgbImage& frame) const {
    const int w = frame.Width;
    const std::size_t stride = static_cast<std::size_t>(frame.Stride());
    const std::uint8_t* now = frame.Pixels.data();
    const std::uint8_t* before = previous_.Pixels.data();
    auto rowDiffers = [&](int y) { return std::memcmp(now + y * stride, before + y * stride, stride) != 0; };
    int top = 0;
    while (top < frame.Height && !rowDiffers(top)) ++top;
    if (top == frame.Height) return {0, 0, 1, 1};
    int bottom = frame.Height - 1;
    while (!rowDiffers(bottom)) --bottom;
    int left = w, right = -1;
    for (int y = top; y <= bottom; ++y) {
      const std::uint8_t* a = now + y * stride;
      const std::uint8_t* b = before + y * stride;
      int x = 0;
      while (x < left && std::memcmp(a + x * 3, b + x * 3, 3) == 0) ++x;
      left = std::min(left, x);
      int r = w - 1;
      while (r > right && std::memcmp(a + r * 3, b + r * 3, 3) == 0) --r;
      right = std::max(right, r);
    }
    return {left, top, right - left + 1, bottom - top + 1};
  }

  // Writes the rectangle of the frame as one image with a table that holds
  // all its colours, or in two halves when no table of 256 can.
  void EmitRect(const RgbImage& frame, const Rect& rect, int delay) {
    local_.Clear();
    bool fits = true;
    bool inGlobal = true;
    std::uint32_t last = 0xffffffffu;
    for (int y = rect.Y; y < rect.Y + rect.H && fits; ++y) {
      for (int x = rect.X; x < rect.X + rect.W; ++x) {
        const std::uint32_t c = PixelAt(frame, x, y);
        if (c == last) continue;
        last = c;
        if (inGlobal && global_.Find(c) < 0) inGlobal = false;
        if (!local_.Add(c)) {
          fits = false;
          break;
        }
      }
    }
    if (!fits) {
      Rect first = rect, second = rect;
      if (rect.H > 1) {
        first.H = rect.H / 2;
        second.Y = rect.Y + first.H;
        second.H = rect.H - first.H;
      } else {
        first.W = rect.W / 2;
        second.X = rect.X + first.W;
        second.W = rect.W - first.W;
      }
      EmitRect(frame, first, 0);
      EmitRect(frame, second, delay);
      return;
    }
    const ColorTable& table = inGlobal ? global_ : local_;
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = delay;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    Check(EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, 4, extension));
    const GifMap map = inGlobal ? GifMap() : MakeMap(local_);
    // giflib forgets, without freeing it, the table of the image before when
    // the next image has none.
    if (gif_->Image.ColorMap) {
      GifFreeMapObject(gif_->Image.ColorMap);
      gif_->Image.ColorMap = nullptr;
    }
    Check(EGifPutImageDesc(gif_, rect.X, rect.Y, rect.W, rect.H, false, map.get()));
    for (int y = rect.Y; y < rect.Y + rect.H; ++y) {
      std::uint32_t lastColor = 0xffffffffu;
      GifPixelType lastIndex = 0;
      for (int x = 0; x < rect.W; ++x) {
        const std::uint32_t c = PixelAt(frame, rect.X + x, y);
        if (c != lastColor) {
          lastColor = c;
          lastIndex = static_cast<GifPixelType>(table.Find(c));
        }
        line_[static_cast<std::size_t>(x)] = lastIndex;
      }
      Check(EGifPutLine(gif_, line_.data(), rect.W));
    }
  }

  ReplacingFile file_;
  FilmOptions options_;
  GifFileType* gif_ = nullptr;
  int writeErrno_ = 0;
  ColorTable global_;
  ColorTable local_;
  RgbImage previous_;
  std::vector<GifPixelType> line_;
};

// ---------------------------------------------------------------------------
// MP4

std::string AvReason(int error) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(error, text, sizeof text);
  return text;
}

struct FrameDeleter {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;

// H.264 in MP4. A frame is converted in full into a picture of the encoder's
// format by Prepare, which beside the run (PipelinedFilm) works on the
// caller's thread: the picture is half the size of the frame, so this costs
// less than copying the frame, comparing it with the one before and
// converting what changed on the encoder's thread, and the rents change a
// little all over the world at every step. Take encodes the picture.
class Mp4Film : public FilmWriter {
 public:
  using Buffer = FramePtr;

  Mp4Film(const std::string& path, const FilmOptions& options) : file_(path), options_(options) {
    try {
      Open();
    } catch (...) {
      Release();
      throw;
    }
  }

  ~Mp4Film() override { Release(); }

  void AddFrame(const RgbImage& frame) override {
    FramePtr picture;
    Prepare(frame, picture);
    Take(picture);
  }

  // Converts the frame into the picture, made when there is none yet. Only
  // reads what Open set, so it may run beside Take. Throws as AddFrame.
  void Prepare(const RgbImage& frame, FramePtr& picture) const {
    if (frame.Width != options_.Width || frame.Height != options_.Height) throw file_.Failure(EINVAL);
    auto check = [this](int result) {
      if (result < 0) throw CannotCreateFile(file_.Path(), AvReason(result));
    };
    if (!picture) {
      picture.reset(av_frame_alloc());
      if (!picture) check(AVERROR(ENOMEM));
      picture->format = AV_PIX_FMT_YUV420P;
      picture->width = options_.Width;
      picture->height = options_.Height;
      check(av_frame_get_buffer(picture.get(), 0));
    }
    // libx264 copies a picture as it takes it, so this copies nothing.
    check(av_frame_make_writable(picture.get()));
    const YuvPlanes planes{picture->data[0],     picture->data[1],     picture->data[2],
                           picture->linesize[0], picture->linesize[1], picture->linesize[2]};
    for (int pair = 0; pair < frame.Height / 2; ++pair) RgbToYuv420(frame, planes, pair, 0, frame.Width / 2);
  }

  void Take(FramePtr& picture) {
    picture->pts = frames_;
    Encode(picture.get());
    ++frames_;
  }

  void Finish() override {
    Encode(nullptr);
    Check(av_write_trailer(format_));
    Check(FlushError());
    Release();
    file_.Commit();
  }

 private:
  static int WritePacket(void* opaque, std::uint8_t* bytes, int length) {
    auto* self = static_cast<Mp4Film*>(opaque);
    errno = 0;
    if (std::fwrite(bytes, 1, static_cast<std::size_t>(length), self->file_.Stream()) !=
        static_cast<std::size_t>(length)) {
      self->writeErrno_ = errno ? errno : EIO;
      return AVERROR(self->writeErrno_);
    }
    return length;
  }

  static std::int64_t Seek(void* opaque, std::int64_t offset, int whence) {
    std::FILE* f = static_cast<Mp4Film*>(opaque)->file_.Stream();
    if (whence & AVSEEK_SIZE) {
      const off_t here = ftello(f);
      if (fseeko(f, 0, SEEK_END) != 0) return -1;
      const off_t size = ftello(f);
      fseeko(f, here, SEEK_SET);
      return size;
    }
    if (fseeko(f, static_cast<off_t>(offset), whence & ~AVSEEK_FORCE) != 0) return AVERROR(errno ? errno : EIO);
    return ftello(f);
  }

  int FlushError() {
    avio_flush(format_->pb);
    return format_->pb->error;
  }

  void Check(int result) {
    if (result < 0) {
      if (writeErrno_) throw file_.Failure(writeErrno_);
      throw CannotCreateFile(file_.Path(), AvReason(result));
    }
  }

  void Open() {
    if (options_.Width <= 0 || options_.Height <= 0 || options_.Width % 2 || options_.Height % 2) {
      throw CannotCreateFile(file_.Path(), "H.264 in 4:2:0 needs an even width and height");
    }
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (!codec) codec = avcodec_find_encoder(AV_CODEC_ID_H264);
    if (!codec) throw CannotCreateFile(file_.Path(), "this FFmpeg has no H.264 encoder");

    Check(avformat_alloc_output_context2(&format_, nullptr, "mp4", nullptr));
    constexpr int kBuffer = 1 << 16;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBuffer));
    if (!buffer) Check(AVERROR(ENOMEM));
    io_ = avio_alloc_context(buffer, kBuffer, 1, this, nullptr, &Mp4Film::WritePacket, &Mp4Film::Seek);
    if (!io_) {
      av_free(buffer);
      Check(AVERROR(ENOMEM));
    }
    format_->pb = io_;

    stream_ = avformat_new_stream(format_, nullptr);
    context_ = avcodec_alloc_context3(codec);
    if (!stream_ || !context_) Check(AVERROR(ENOMEM));
    context_->width = options_.Width;
    context_->height = options_.Height;
    context_->time_base = AVRational{1, options_.FramesPerSecond};
    context_->framerate = AVRational{options_.FramesPerSecond, 1};
    context_->pix_fmt = AV_PIX_FMT_YUV420P;
    context_->gop_size = 10 * options_.FramesPerSecond;
    // The pictures are converted with the BT.601 matrix into the video range: say so.
    context_->colorspace = AVCOL_SPC_SMPTE170M;
    context_->color_primaries = AVCOL_PRI_SMPTE170M;
    context_->color_trc = AVCOL_TRC_SMPTE170M;
    context_->color_range = AVCOL_RANGE_MPEG;
    if (format_->oformat->flags & AVFMT_GLOBALHEADER) context_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    // The fastest preset: a film must not take much longer than the run it
    // shows. A constant quantiser spares the rate control's look at every
    // frame, a seventh of the encoder's time. At 18 the codec adds a mean
    // error of 2.5 in 255 to each channel of the default world's pictures
    // (1.7 at 14), little beside what halving the colour resolution costs at
    // its small cells (23), and the film costs a twelfth less time than at
    // 14: there are fewer coefficients to write.
    av_opt_set(context_->priv_data, "preset", "ultrafast", 0);
    av_opt_set(context_->priv_data, "qp", "18", 0);
    // The encoder's own threads, as many as it finds worth on this machine
    // (FFmpeg's default is one): encoding dominates a film's cost, and they
    // take the cores the run leaves.
    context_->thread_count = 0;
    Check(avcodec_open2(context_, codec, nullptr));
    Check(avcodec_parameters_from_context(stream_->codecpar, context_));
    stream_->time_base = context_->time_base;
    stream_->avg_frame_rate = context_->framerate;

    packet_ = av_packet_alloc();
    if (!packet_) Check(AVERROR(ENOMEM));
    Check(avformat_write_header(format_, nullptr));
  }

  void Encode(const AVFrame* frame) {
    Check(avcodec_send_frame(context_, frame));
    for (;;) {
      const int result = avcodec_receive_packet(context_, packet_);
      if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return;
      Check(result);
      av_packet_rescale_ts(packet_, context_->time_base, stream_->time_base);
      packet_->stream_index = stream_->index;
      Check(av_interleaved_write_frame(format_, packet_));
    }
  }

  void Release() {
    av_packet_free(&packet_);
    avcodec_free_context(&context_);
    if (io_) {
      av_freep(&io_->buffer);
      avio_context_free(&io_);
    }
    if (format_) {
      format_->pb = nullptr;
      avformat_free_context(format_);
      format_ = nullptr;
    }
  }

  ReplacingFile file_;
  FilmOptions options_;
  int writeErrno_ = 0;
  AVFormatContext* format_ = nullptr;
  AVIOContext* io_ = nullptr;
  AVStream* stream_ = nullptr;
  AVCodecContext* context_ = nullptr;
  AVPacket* packet_ = nullptr;
};

// ---------------------------------------------------------------------------
// Encoding beside the run

// Hands the frames to another writer on a thread of its own, so that the
// encoding runs while the model computes the next steps: the writer's
// Prepare puts a frame into a buffer on the caller's thread, its Take gets
// the buffer on the pipeline's. At most kDepth buffers are in use, so memory
// stays flat; a failure of the encoder comes back from the next AddFrame or
// from Finish.
template <class Writer>
class PipelinedFilm : public FilmWriter {
 public:
  using Buffer = typename Writer::Buffer;

  explicit PipelinedFilm(std::unique_ptr<Writer> inner) : inner_(std::move(inner)) {
    worker_ = std::thread([this] { Work(); });
  }

  ~PipelinedFilm() override {
    {
      std::lock_guard lock(mutex_);
      abandon_ = true;
      closing_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
  }

  void AddFrame(const RgbImage& frame) override {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return error_ || waiting_.size() + busy_ < kDepth; });
    if (error_) std::rethrow_exception(error_);
    Buffer buffer{};
    if (!spare_.empty()) {
      buffer = std::move(spare_.back());
      spare_.pop_back();
    }
    lock.unlock();
    try {
      inner_->Prepare(frame, buffer);
    } catch (...) {
      lock.lock();
      spare_.push_back(std::move(buffer));
      throw;
    }
    lock.lock();
    waiting_.push_back(std::move(buffer));
    ++frames_;
    lock.unlock();
    changed_.notify_all();
  }

  void Finish() override {
    {
      std::lock_guard lock(mutex_);
      closing_ = true;
    }
    changed_.notify_all();
    worker_.join();
    if (error_) std::rethrow_exception(error_);
    inner_->Finish();
  }

 private:
  static constexpr std::size_t kDepth = 3;

  void Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return closing_ || !waiting_.empty(); });
      if (abandon_ || (closing_ && waiting_.empty())) return;
      Buffer buffer = std::move(waiting_.front());
      waiting_.pop_front();
      ++busy_;
      lock.unlock();
      std::exception_ptr error;
      try {
        inner_->Take(buffer);
      } catch (...) {
        error = std::current_exception();
      }
      lock.lock();
      --busy_;
      spare_.push_back(std::move(buffer));
      if (error) {
        error_ = error;
        waiting_.clear();
        changed_.notify_all();
        return;
      }
      changed_.notify_all();
    }
  }

  std::unique_ptr<Writer> inner_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Buffer> waiting_;
  std::vector<Buffer> spare_;
  std::size_t busy_ = 0;
  bool closing_ = false;
  bool abandon_ = false;
  std::exception_ptr error_;
  std::thread worker_;
};

}  // namespace

}  // namespace exporting

extern "C" {

__attribute__((visibility("default"))) int vicinara_film_interface() { return exporting::kFilmModuleInterface; }

__attribute__((visibility("default"))) exporting::FilmWriter* vicinara_open_film(
    const std::string& path, const exporting::FilmOptions& options) {
  // The encoders' chatter stays off the terminal; errors come back as messages.
  av_log_set_level(AV_LOG_ERROR);
  if (options.Format == exporting::FilmFormat::Gif) {
    return new exporting::PipelinedFilm<exporting::KeepingFilm>(std::make_unique<exporting::GifFilm>(path, options));
  }
  return new exporting::PipelinedFilm<exporting::Mp4Film>(std::make_unique<exporting::Mp4Film>(path, options));
}

}  // extern "C"
