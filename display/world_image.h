#pragma once

#include <cstdint>
#include <vector>

#include "world/painter.h"
#include "world/world.h"
#include "display/rgb_image.h"

namespace display {

// The grey a cell with this rent shows while "show rent landscape" is
// checked: the low 8 bits of Round((rent + 1) * 127), halves to even, so
// -1 is black, 0 is 127, +1 is 254 and rents beyond the range wrap around
// (1.1 gives 11). A rent that is not a finite number shows black.
int RentGrey(double rent);

// The colours the picture of this world can hold besides the rent greys:
// white, the silver grid lines, the light grey of marked cells, the street
// colours and the group colours.
std::vector<world::ColorRef> PaintableColors(const world::World& world);

// The picture of one world on the 694 x 694 drawing panel, painted straight
// into an RGB raster. A cell is a square of 2 x HalfCell pixels from
// (PositionX - HalfCell, PositionY - HalfCell), a later cell covering an
// earlier one where odd cell sizes make them overlap by a pixel: its rent
// grey, or its DisplayColor inside a one-pixel silver outline. An agent is
// a disc of its colour filling the pixels of its box (PixelX - r,
// PixelY - r) .. (PixelX + r - 1, PixelY + r - 1) whose centres lie within
// r of the box's centre. Pixels beyond the last cell are never painted.
class WorldImage : public world::WorldPainter {
 public:
  // showRent: whether cells show their rent grey ("show rent landscape"),
  // owned by the caller and read at every paint; it must outlive the image.
  WorldImage(const world::World& world, const bool& showRent);
  WorldImage(const world::World& world, const bool&& showRent) = delete;

  const RgbImage& Image() const { return image_; }

  void DrawCell(int x, int y) override;
  void DrawAgent(const world::TAgent& agent) override;
  // Every cell, rows outer, columns inner; "show rent landscape" is read once.
  void DrawAllCells() override;
  // DrawAllCells, then every agent in list order.
  void RepaintWorld() override;
  // A blank white picture, as a new set-up starts with.
  void CreateImage() override;

 private:
  void PaintCell(int x, int y, bool rentShade);
  // Half widths of the disc of radius r per row of its box, measured from
  // the box centre: row k covers columns centre - w[k] .. centre + w[k] - 1.
  const std::vector<int>& DiscSpans(int radius);

  const world::World& world_;
  const bool& showRent_;
  RgbImage image_;
  int spanRadius_ = -1;
  std::vector<int> spans_;
  // One pixel row of a cell row: the squares' top and bottom rows, and the rows between.
  std::vector<std::uint8_t> edgeRow_;
  std::vector<std::uint8_t> middleRow_;
};

}  // namespace display
