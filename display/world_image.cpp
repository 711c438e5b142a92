#include "world_image.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "world/street_colors.h"

namespace display {

namespace {

using world::ColorRef;

struct Rgb3 {
  std::uint8_t r, g, b;
};

Rgb3 Split(ColorRef c) {
  return {static_cast<std::uint8_t>(world::Red(c)), static_cast<std::uint8_t>(world::Green(c)),
          static_cast<std::uint8_t>(world::Blue(c))};
}

// Each pixel but the last is written as four bytes, the fourth overwritten
// by the next pixel: one store a pixel instead of three.
void FillRun(std::uint8_t* p, int count, Rgb3 c) {
  if (count <= 0) return;
  const std::uint8_t pixel[4] = {c.r, c.g, c.b, c.r};
  for (int i = 0; i + 1 < count; ++i, p += 3) std::memcpy(p, pixel, 4);
  p[0] = c.r;
  p[1] = c.g;
  p[2] = c.b;
}

}  // namespace

int RentGrey(double rent) {
  const double v = world::RoundHalfEven((rent + 1.0) * 127.0);
  // The mask takes the two's complement byte of negative values; beyond the
  // integer range fmod keeps the low bits exact first.
  if (std::fabs(v) < 9.0e15) return static_cast<int>(static_cast<std::int64_t>(v) & 0xff);
  if (!std::isfinite(v)) return 0;
  return static_cast<int>(static_cast<std::int64_t>(std::fmod(v, 256.0)) & 0xff);
}

std::vector<world::ColorRef> PaintableColors(const world::World& world) {
  std::vector<world::ColorRef> colors = {world::kWhite, world::kSilver, world::kLightGrey};
  for (int type = -3; type <= 3; ++type) colors.push_back(world::StreetColor(type));
  colors.insert(colors.end(), world.GroupColors.begin(), world.GroupColors.end());
  return colors;
}

WorldImage::WorldImage(const world::World& world, const bool& showRent) : world_(world), showRent_(showRent) {
  CreateImage();
}

void WorldImage::CreateImage() { image_.Reset(world::kPanelWidth, world::kPanelHeight, world::kWhite); }

void WorldImage::PaintCell(int x, int y, bool rentShade) {
  const auto& w = world_;
  const int i = w.Cells.Index(x, y);
  const int size = 2 * w.HalfCell;
  const int left = w.PositionX(x) - w.HalfCell;
  const int top = w.PositionY(y) - w.HalfCell;
  const int right = left + size;  // exclusive
  const int bottom = top + size;
  const int x0 = std::max(left, 0), x1 = std::min(right, image_.Width);
  const int y0 = std::max(top, 0), y1 = std::min(bottom, image_.Height);
  if (x0 >= x1 || y0 >= y1) return;
  const int stride = image_.Stride();
  std::uint8_t* base = image_.Pixels.data() + static_cast<std::size_t>(x0) * 3;

  if (rentShade) {
    const auto g = static_cast<std::uint8_t>(RentGrey(w.Cells.Rent[i]));
    for (int row = y0; row < y1; ++row) FillRun(base + static_cast<std::size_t>(row) * stride, x1 - x0, {g, g, g});
    return;
  }
  const Rgb3 outline = Split(world::kSilver);
  const Rgb3 fill = Split(w.Cells.DisplayColor[i]);
  // The outline runs along the square's own edges; a clipped edge is not drawn.
  const int innerX0 = std::max(x0, left + 1);
  const int innerX1 = std::min(x1, right - 1);
  for (int row = y0; row < y1; ++row) {
    std::uint8_t* p = base + static_cast<std::size_t>(row) * stride;
    if (row == top || row == bottom - 1 || innerX0 >= innerX1) {
      FillRun(p, x1 - x0, outline);
      continue;
    }
    if (x0 == left) FillRun(p, 1, outline);
    FillRun(p + static_cast<std::size_t>(innerX0 - x0) * 3, innerX1 - innerX0, fill);
    if (x1 == right) FillRun(p + static_cast<std::size_t>(right - 1 - x0) * 3, 1, outline);
  }
}

void WorldImage::DrawCell(int x, int y) { PaintCell(x, y, showRent_); }

void WorldImage::DrawAllCells() {
  const auto& w = world_;
  const bool rentShade = showRent_;
  const int size = 2 * w.HalfCell;
  const int stride = image_.Stride();
  edgeRow_.resize(static_cast<std::size_t>(stride));
  middleRow_.resize(static_cast<std::size_t>(stride));
  const Rgb3 outline = Split(world::kSilver);
  // Painting row after row of cells in order, a cell row's squares all share
  // their pixel rows: the row is composed once (left to right, so a later
  // square covers the pixel it shares with an earlier one) and copied onto
  // each of its pixel rows. The next cell row then covers the shared last
  // pixel row, as its cells would when painted one by one.
  for (int y = 0; y < w.GridRows; ++y) {
    int painted = 0;  // bytes of the composed rows that carry cells
    for (int x = 0; x < w.GridCols; ++x) {
      const int left = w.PositionX(x) - w.HalfCell;
      const int right = std::min(left + size, image_.Width);
      if (left >= right) break;
      std::uint8_t* edge = edgeRow_.data() + static_cast<std::size_t>(left) * 3;
      std::uint8_t* middle = middleRow_.data() + static_cast<std::size_t>(left) * 3;
      const int i = w.Cells.Index(x, y);
      if (rentShade) {
        const auto g = static_cast<std::uint8_t>(RentGrey(w.Cells.Rent[i]));
        std::memset(middle, g, static_cast<std::size_t>(right - left) * 3);
      } else {
        FillRun(edge, right - left, outline);
        FillRun(middle, right - left, Split(w.Cells.DisplayColor[i]));
        FillRun(middle, 1, outline);
        if (right == left + size) FillRun(middle + static_cast<std::size_t>(size - 1) * 3, 1, outline);
      }
      painted = right * 3;
    }
    if (painted == 0) continue;
    const int top = w.PositionY(y) - w.HalfCell;
    const int bottom = std::min(top + size, image_.Height);
    for (int row = std::max(top, 0); row < bottom; ++row) {
      // A rent-shaded square has no outline of its own colour.
      const bool edgeRow = !rentShade && (row == top || row == top + size - 1);
      std::memcpy(image_.Pixels.data() + static_cast<std::size_t>(row) * stride,
                  edgeRow ? edgeRow_.data() : middleRow_.data(), static_cast<std::size_t>(painted));
    }
  }
}

const std::vector<int>& WorldImage::DiscSpans(int radius) {
  if (radius == spanRadius_) return spans_;
  spanRadius_ = radius;
  spans_.assign(static_cast<std::size_t>(std::max(0, 2 * radius)), 0);
  // In half pixels, a pixel centre lies 2j + 1 across and 2k - 2r + 1 down
  // from the box centre; it belongs to the disc when within 2r of it.
  const long long r2 = 4LL * radius * radius;
  for (int k = 0; k < 2 * radius; ++k) {
    const long long dy = 2LL * k - 2LL * radius + 1;
    int j = 0;
    while (j < radius && (2LL * j + 1) * (2LL * j + 1) + dy * dy <= r2) ++j;
    spans_[static_cast<std::size_t>(k)] = j;
  }
  return spans_;
}

void WorldImage::DrawAgent(const world::TAgent& agent) {
  const int r = agent.Radius;
  if (r <= 0) return;
  const std::vector<int>& spans = DiscSpans(r);
  const Rgb3 color = Split(agent.Color);
  const int stride = image_.Stride();
  for (int k = 0; k < 2 * r; ++k) {
    const int row = agent.PixelY - r + k;
    if (row < 0 || row >= image_.Height) continue;
    const int half = spans[static_cast<std::size_t>(k)];
    const int x0 = std::max(agent.PixelX - half, 0);
    const int x1 = std::min(agent.PixelX + half, image_.Width);
    if (x0 >= x1) continue;
    FillRun(image_.Pixels.data() + static_cast<std::size_t>(row) * stride + static_cast<std::size_t>(x0) * 3,
            x1 - x0, color);
  }
}

void WorldImage::RepaintWorld() {
  DrawAllCells();
  for (const auto& agent : world_.Agents) DrawAgent(agent);
}

}  // namespace display
