#include "export/jpeg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "world/convert.h"
#include "export_support.h"

namespace exporting {
namespace {

using display::RgbImage;
using test_support::Entries;
using test_support::TempFolder;
using test_support::UserErrorText;

// 48 x 32 pixels in 16 x 16 blocks of one colour each: every block fills
// whole coding units, so away from the block edges (where the decoder
// blends the halved colour resolution) the colours come back exact up to
// rounding.
RgbImage Blocks() {
  const world::ColorRef colors[6] = {world::Rgb(200, 30, 40),  world::Rgb(20, 160, 60), world::Rgb(30, 40, 220),
                                     world::Rgb(250, 250, 250), world::Rgb(0, 0, 0),     world::Rgb(120, 200, 90)};
  RgbImage image(48, 32);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 48; ++x) image.Set(x, y, colors[(y / 16) * 3 + x / 16]);
  }
  return image;
}

int MaxDifferenceInsideBlocks(const RgbImage& a, const RgbImage& b) {
  int worst = 0;
  for (int y = 0; y < a.Height; ++y) {
    for (int x = 0; x < a.Width; ++x) {
      if (x % 16 < 2 || x % 16 > 13 || y % 16 < 2 || y % 16 > 13) continue;
      for (int c = 0; c < 3; ++c) {
        const std::size_t i = (static_cast<std::size_t>(y) * a.Width + x) * 3 + c;
        worst = std::max(worst, std::abs(a.Pixels[i] - b.Pixels[i]));
      }
    }
  }
  return worst;
}

int MaxChannelDifference(const RgbImage& a, const RgbImage& b) {
  int worst = 0;
  for (std::size_t i = 0; i < a.Pixels.size(); ++i) worst = std::max(worst, std::abs(a.Pixels[i] - b.Pixels[i]));
  return worst;
}

// The quantisation values of every table in the file, in file order.
std::vector<int> QuantisationValues(const std::vector<std::uint8_t>& jpeg) {
  std::vector<int> values;
  std::size_t i = 2;  // after the start-of-image marker
  while (i + 4 <= jpeg.size() && jpeg[i] == 0xFF && jpeg[i + 1] != 0xDA) {
    const std::size_t length = jpeg[i + 2] << 8 | jpeg[i + 3];
    if (jpeg[i + 1] == 0xDB) {
      std::size_t at = i + 4;
      while (at < i + 2 + length) {
        const bool wide = jpeg[at] >> 4;
        ++at;
        for (int k = 0; k < 64; ++k, at += wide ? 2 : 1) values.push_back(wide ? jpeg[at] << 8 | jpeg[at + 1] : jpeg[at]);
      }
    }
    i += 2 + length;
  }
  return values;
}

bool HasMarker(const std::vector<std::uint8_t>& jpeg, std::uint8_t marker) {
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == marker) return true;
  }
  return false;
}

TEST(Jpeg, BlocksOfOneColourDecodeBackAlmostExactly) {
  const RgbImage source = Blocks();
  const RgbImage decoded = DecodeJpeg(EncodeJpeg(source, 100));
  ASSERT_EQ(decoded.Width, 48);
  ASSERT_EQ(decoded.Height, 32);
  EXPECT_LE(MaxDifferenceInsideBlocks(source, decoded), 3);
}

TEST(Jpeg, OddSizedGradientKeepsItsSizeAndStaysClose) {
  RgbImage source(37, 23);
  for (int y = 0; y < 23; ++y) {
    for (int x = 0; x < 37; ++x) source.Set(x, y, world::Rgb(x * 6, y * 10, 128 + x - y));
  }
  const RgbImage decoded = DecodeJpeg(EncodeJpeg(source, 100));
  ASSERT_EQ(decoded.Width, 37);
  ASSERT_EQ(decoded.Height, 23);
  EXPECT_LE(MaxChannelDifference(source, decoded), 6);
}

TEST(Jpeg, QualityHundredDividesEveryCoefficientByOne) {
  const std::vector<std::uint8_t> best = EncodeJpeg(Blocks(), 100);
  const std::vector<int> values = QuantisationValues(best);
  ASSERT_EQ(values.size(), 128u);  // the default luminance and chrominance tables
  for (int v : values) EXPECT_EQ(v, 1);
  EXPECT_TRUE(HasMarker(best, 0xC0));  // baseline, the library's default

  const std::vector<int> coarse = QuantisationValues(EncodeJpeg(Blocks(), 50));
  ASSERT_EQ(coarse.size(), 128u);
  EXPECT_EQ(coarse[0], 16);  // the standard table's first entry, unscaled at quality 50
}

TEST(Jpeg, RefusalsAreErrorsNotTheEndOfTheProgram) {
  EXPECT_THROW(EncodeJpeg(RgbImage(), 100), JpegError);
  const std::vector<std::uint8_t> garbage = {0xFF, 0xD8, 0x12, 0x34, 0x56};
  EXPECT_THROW(DecodeJpeg(garbage), JpegError);
  EXPECT_THROW(DecodeJpeg({}), JpegError);
}

TEST(JpegFile, WritesTheFileAndReplacesAnOlderOne) {
  TempFolder temp;
  const std::string path = temp.File("snapshot.jpg");
  WriteJpegFile(RgbImage(16, 16, world::kRed), path, 100);
  WriteJpegFile(Blocks(), path, 100);
  const RgbImage decoded = DecodeJpeg(test_support::ReadBytes(path));
  EXPECT_EQ(decoded.Width, 48);
  EXPECT_LE(MaxDifferenceInsideBlocks(Blocks(), decoded), 3);
  EXPECT_EQ(Entries(temp.Path()), std::vector<std::string>{"snapshot.jpg"});
}

TEST(JpegFile, MissingFolderGivesTheCreationMessage) {
  TempFolder temp;
  const std::string path = temp.File("missing/snapshot.jpg");
  EXPECT_EQ(UserErrorText([&] { WriteJpegFile(Blocks(), path, 100); }),
            "Datei \"" + path + "\" kann nicht erstellt werden. No such file or directory");
  EXPECT_TRUE(Entries(temp.Path()).empty());
}

TEST(JpegFile, EmptyPictureLeavesNoFileAndNamesTheReason) {
  TempFolder temp;
  const std::string path = temp.File("empty.jpg");
  const std::string text = UserErrorText([&] { WriteJpegFile(RgbImage(), path, 100); });
  const std::string prefix = "Datei \"" + path + "\" kann nicht erstellt werden. ";
  EXPECT_EQ(text.substr(0, prefix.size()), prefix);
  EXPECT_GT(text.size(), prefix.size());  // libjpeg's reason follows
  EXPECT_TRUE(Entries(temp.Path()).empty());
}

}  // namespace
}  // namespace exporting
