#include "display/world_image.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/support/world_builder.h"

namespace display {
namespace {

using test_support::BareWorld;
using world::Rgb;

constexpr world::ColorRef kGrey127 = Rgb(127, 127, 127);

world::TAgent Agent(int pixelX, int pixelY, int radius, world::ColorRef color) {
  world::TAgent a;
  a.PixelX = pixelX;
  a.PixelY = pixelY;
  a.Radius = radius;
  a.Color = color;
  return a;
}

int CountColor(const RgbImage& image, world::ColorRef color) {
  int n = 0;
  for (int y = 0; y < image.Height; ++y) {
    for (int x = 0; x < image.Width; ++x) n += image.At(x, y) == color;
  }
  return n;
}

TEST(RentGrey, MapsMinusOneToPlusOneOntoTheGreysAndWrapsBeyond) {
  EXPECT_EQ(RentGrey(-1.0), 0);
  EXPECT_EQ(RentGrey(0.0), 127);
  EXPECT_EQ(RentGrey(-0.5), 64);   // Round(63.5) = 64
  EXPECT_EQ(RentGrey(0.5), 190);   // Round(190.5) = 190
  EXPECT_EQ(RentGrey(1.0), 254);
  EXPECT_EQ(RentGrey(1.1), 11);    // 267 in 8 bits
  EXPECT_EQ(RentGrey(-1.1), 243);  // -13 in 8 bits
  EXPECT_EQ(RentGrey(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(RentGrey(std::numeric_limits<double>::infinity()), 0);
  const int huge = RentGrey(1e300);
  EXPECT_GE(huge, 0);
  EXPECT_LE(huge, 255);
}

// "show rent landscape" as a new main window has it.
const bool kShowRent = true;

TEST(WorldImage, RentShadeFillsTheWholeSquareWithoutGridLines) {
  BareWorld b(3);  // cell size 6: cell (1, 1) covers pixels 6..11
  b.World.Cells.Rent[b.World.Cells.Index(1, 1)] = -0.5;
  b.World.Cells.DisplayColor[b.World.Cells.Index(1, 1)] = world::StreetColor(3);
  WorldImage image(b.World, kShowRent);
  image.DrawCell(1, 1);
  const RgbImage& px = image.Image();
  for (int y = 6; y <= 11; ++y) {
    for (int x = 6; x <= 11; ++x) ASSERT_EQ(px.At(x, y), Rgb(64, 64, 64)) << x << "," << y;
  }
  EXPECT_EQ(px.At(5, 6), world::kWhite);
  EXPECT_EQ(px.At(12, 11), world::kWhite);
  EXPECT_EQ(px.At(6, 12), world::kWhite);
  EXPECT_EQ(CountColor(px, Rgb(64, 64, 64)), 36);
}

TEST(WorldImage, WithoutRentShadeACellIsItsColourInASilverOutline) {
  BareWorld b(3);
  const bool showRent = false;
  b.World.Cells.DisplayColor[b.World.Cells.Index(1, 0)] = Rgb(205, 0, 0);
  WorldImage image(b.World, showRent);
  image.DrawCell(1, 0);  // pixels 6..11 x 0..5
  const RgbImage& px = image.Image();
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(px.At(6 + i, 0), world::kSilver);
    EXPECT_EQ(px.At(6 + i, 5), world::kSilver);
    EXPECT_EQ(px.At(6, i), world::kSilver);
    EXPECT_EQ(px.At(11, i), world::kSilver);
  }
  for (int y = 1; y <= 4; ++y) {
    for (int x = 7; x <= 10; ++x) ASSERT_EQ(px.At(x, y), Rgb(205, 0, 0));
  }
  EXPECT_EQ(CountColor(px, world::kSilver), 20);
  EXPECT_EQ(px.At(12, 0), world::kWhite);
}

TEST(WorldImage, OddCellSizeSquaresOverlapAndTheLaterCellWins) {
  BareWorld b(3, 3, 5);  // half cell 3: squares of 6 at a pitch of 5
  auto& rent = b.World.Cells.Rent;
  rent[b.World.Cells.Index(0, 0)] = 0.0;   // 127
  rent[b.World.Cells.Index(1, 0)] = -1.0;  // 0
  rent[b.World.Cells.Index(0, 1)] = 1.0;   // 254
  rent[b.World.Cells.Index(1, 1)] = 0.0;
  WorldImage image(b.World, kShowRent);
  image.DrawAllCells();
  const RgbImage& px = image.Image();
  EXPECT_EQ(px.At(4, 2), kGrey127);
  EXPECT_EQ(px.At(5, 2), Rgb(0, 0, 0));        // column 5 is shared; cell (1, 0) came later
  EXPECT_EQ(px.At(2, 5), Rgb(254, 254, 254));  // row 5 is shared; row 1 came later
  EXPECT_EQ(px.At(5, 5), kGrey127);            // cell (1, 1) covers the corner last
  EXPECT_EQ(px.At(16, 16), world::kWhite);     // three cells end at pixel 15
  image.DrawCell(0, 0);
  EXPECT_EQ(px.At(5, 2), kGrey127);            // painted later again, so on top again
}

TEST(WorldImage, AllCellsAtOnceEqualTheCellsPaintedOneByOne) {
  for (int cellSize : {1, 2, 5, 6, 7, 10, 34}) {
    const int n = static_cast<int>(std::lround(694.0 / cellSize));
    BareWorld b(n, n, cellSize);
    world::Random random(static_cast<std::uint64_t>(cellSize));
    for (int i = 0; i < n * n; ++i) {
      b.World.Cells.Rent[i] = random.NextReal() * 2.4 - 1.2;
      b.World.Cells.DisplayColor[i] = world::StreetColor(random.NextInt(7) - 3);
    }
    for (bool rentShade : {true, false}) {
      WorldImage whole(b.World, rentShade), single(b.World, rentShade);
      whole.DrawAllCells();
      for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) single.DrawCell(x, y);
      }
      EXPECT_TRUE(whole.Image().Pixels == single.Image().Pixels) << "cell size " << cellSize << " rent " << rentShade;
    }
  }
}

TEST(WorldImage, TheStripBeyondTheLastCellIsNeverPainted) {
  BareWorld b(69, 69, 10);  // cells cover pixels 0..689
  for (double& r : b.World.Cells.Rent) r = -1.0;
  b.World.Agents.push_back(Agent(685, 685, 2, Rgb(0, 0, 255)));
  bool showRent = true;
  WorldImage image(b.World, showRent);
  image.RepaintWorld();
  const RgbImage& px = image.Image();
  EXPECT_EQ(px.At(689, 689), Rgb(0, 0, 0));
  for (int i = 0; i < 694; i += 7) {
    for (int s = 690; s <= 693; ++s) {
      ASSERT_EQ(px.At(s, i), world::kWhite);
      ASSERT_EQ(px.At(i, s), world::kWhite);
    }
  }
  // The flag is read at every paint, not kept from the image's creation.
  showRent = false;
  image.DrawAllCells();
  EXPECT_EQ(px.At(689, 689), world::kSilver);
  EXPECT_EQ(px.At(690, 689), world::kWhite);
}

TEST(WorldImage, AgentIsARoundDiscInItsBox) {
  BareWorld b(4);
  WorldImage image(b.World, kShowRent);
  const world::ColorRef blue = Rgb(0, 0, 255);
  // Radius 2 at (10, 10): the box 8..11 without its four corners.
  image.DrawAgent(Agent(10, 10, 2, blue));
  const RgbImage& px = image.Image();
  EXPECT_EQ(CountColor(px, blue), 12);
  for (int y = 8; y <= 11; ++y) {
    for (int x = 8; x <= 11; ++x) {
      const bool corner = (x == 8 || x == 11) && (y == 8 || y == 11);
      EXPECT_EQ(px.At(x, y) == blue, !corner) << x << "," << y;
    }
  }
  // Radius 1: the whole 2 x 2 box.
  image.DrawAgent(Agent(30, 30, 1, Rgb(1, 2, 3)));
  EXPECT_EQ(CountColor(px, Rgb(1, 2, 3)), 4);
  EXPECT_EQ(px.At(29, 29), Rgb(1, 2, 3));
  EXPECT_EQ(px.At(30, 30), Rgb(1, 2, 3));
}

TEST(WorldImage, LargeDiscRowsWidenTowardsTheMiddle) {
  BareWorld b(4);
  WorldImage image(b.World, kShowRent);
  const world::ColorRef green = Rgb(0, 255, 0);
  image.DrawAgent(Agent(100, 200, 5, green));  // box 95..104 x 195..204
  const int widths[10] = {4, 8, 8, 10, 10, 10, 10, 8, 8, 4};
  for (int k = 0; k < 10; ++k) {
    int first = -1, count = 0;
    for (int x = 90; x < 110; ++x) {
      if (image.Image().At(x, 195 + k) != green) continue;
      if (first < 0) first = x;
      ++count;
    }
    EXPECT_EQ(count, widths[k]) << "row " << k;
    EXPECT_EQ(first, 100 - widths[k] / 2) << "row " << k;  // centred on the box
  }
  EXPECT_EQ(CountColor(image.Image(), green), 80);
  image.DrawAgent(Agent(693, 694, 3, green));  // clipped at the panel's corner
  EXPECT_EQ(image.Image().At(693, 693), green);
  image.CreateImage();
  EXPECT_EQ(CountColor(image.Image(), world::kWhite), 694 * 694);
}

TEST(WorldImage, RepaintPaintsCellsThenAgentsInListOrder) {
  BareWorld b(10);
  const bool showRent = false;
  b.World.Agents.push_back(Agent(9, 9, 2, Rgb(255, 0, 0)));
  b.World.Agents.push_back(Agent(11, 9, 2, Rgb(0, 0, 255)));
  WorldImage image(b.World, showRent);
  image.RepaintWorld();
  const RgbImage& px = image.Image();
  EXPECT_EQ(px.At(8, 9), Rgb(255, 0, 0));
  EXPECT_EQ(px.At(9, 9), Rgb(0, 0, 255));   // covered by the later disc
  EXPECT_EQ(px.At(10, 9), Rgb(0, 0, 255));  // and covers the grid line at 11
  EXPECT_EQ(px.At(11, 9), Rgb(0, 0, 255));
  EXPECT_EQ(px.At(6, 6), world::kSilver);
  EXPECT_EQ(px.At(7, 7), world::kWhite);
}

}  // namespace
}  // namespace display
