#include "export/bitmap.h"

#include <gtest/gtest.h>

#include <fstream>

#include "world/convert.h"
#include "export_support.h"

namespace exporting {
namespace {

using display::RgbImage;
using test_support::TempFolder;
using test_support::UserErrorText;

std::vector<std::uint8_t> Header(std::uint32_t fileSize, std::int32_t width, std::int32_t height, int bits,
                                 std::uint32_t compression = 0) {
  std::vector<std::uint8_t> h(54, 0);
  auto put = [&h](std::size_t at, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) h[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  h[0] = 'B';
  h[1] = 'M';
  put(2, fileSize, 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<std::uint32_t>(width), 4);
  put(22, static_cast<std::uint32_t>(height), 4);
  put(26, 1, 2);
  put(28, static_cast<std::uint32_t>(bits), 2);
  put(30, compression, 4);
  return h;
}

TEST(Bitmap, StoresRowsBottomUpInBlueGreenRedWithPadding) {
  RgbImage image(2, 2);
  image.Set(0, 0, world::Rgb(255, 0, 0));
  image.Set(1, 0, world::Rgb(0, 255, 0));
  image.Set(0, 1, world::Rgb(0, 0, 255));
  image.Set(1, 1, world::Rgb(1, 2, 3));
  const std::vector<std::uint8_t> bytes = EncodeBitmap(image);

  std::vector<std::uint8_t> expected = Header(70, 2, 2, 24);
  expected[34] = 16;  // size of the pixel data
  expected[38] = expected[42] = 0x13;  // 2835 pixels per metre
  expected[39] = expected[43] = 0x0B;
  const std::vector<std::uint8_t> pixels = {
      0xFF, 0x00, 0x00, 0x03, 0x02, 0x01, 0, 0,  // bottom row: blue, (1, 2, 3)
      0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0, 0,  // top row: red, green
  };
  expected.insert(expected.end(), pixels.begin(), pixels.end());
  EXPECT_EQ(bytes, expected);
}

TEST(Bitmap, EveryRowPaddingReadsBack) {
  for (int width = 1; width <= 5; ++width) {
    RgbImage image(width, 3);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < width; ++x) image.Set(x, y, world::Rgb(x * 40, y * 70, 7 * x + y));
    }
    const RgbImage back = DecodeBitmap(EncodeBitmap(image));
    EXPECT_EQ(back.Width, width);
    EXPECT_EQ(back.Height, 3);
    EXPECT_EQ(back.Pixels, image.Pixels) << "width " << width;
  }
}

TEST(Bitmap, ReadsTopDownThirtyTwoBitPictures) {
  std::vector<std::uint8_t> bytes = Header(54 + 16, 2, -2, 32);
  const std::vector<std::uint8_t> pixels = {
      0x30, 0x20, 0x10, 0xFF, 0x60, 0x50, 0x40, 0xFF,  // top row
      0x90, 0x80, 0x70, 0xFF, 0xC0, 0xB0, 0xA0, 0xFF,  // bottom row
  };
  bytes.insert(bytes.end(), pixels.begin(), pixels.end());
  const RgbImage image = DecodeBitmap(bytes);
  ASSERT_EQ(image.Width, 2);
  ASSERT_EQ(image.Height, 2);
  EXPECT_EQ(image.At(0, 0), world::Rgb(0x10, 0x20, 0x30));
  EXPECT_EQ(image.At(1, 0), world::Rgb(0x40, 0x50, 0x60));
  EXPECT_EQ(image.At(0, 1), world::Rgb(0x70, 0x80, 0x90));
  EXPECT_EQ(image.At(1, 1), world::Rgb(0xA0, 0xB0, 0xC0));
}

TEST(Bitmap, RefusesForeignTruncatedAndInconsistentFiles) {
  std::vector<std::uint8_t> good = EncodeBitmap(RgbImage(3, 2));
  EXPECT_NO_THROW(DecodeBitmap(good));

  std::vector<std::uint8_t> truncated(good.begin(), good.end() - 1);
  EXPECT_THROW(DecodeBitmap(truncated), BitmapError);
  std::vector<std::uint8_t> shortHeader(good.begin(), good.begin() + 30);
  EXPECT_THROW(DecodeBitmap(shortHeader), BitmapError);

  std::vector<std::uint8_t> foreign = good;
  foreign[1] = 'X';
  EXPECT_THROW(DecodeBitmap(foreign), BitmapError);

  EXPECT_THROW(DecodeBitmap(Header(54 + 64, 4, 4, 8)), BitmapError);        // palette picture
  EXPECT_THROW(DecodeBitmap(Header(54 + 64, 4, 4, 24, 1)), BitmapError);    // compressed
  EXPECT_THROW(DecodeBitmap(Header(54, -4, 4, 24)), BitmapError);           // negative width
  EXPECT_THROW(DecodeBitmap(Header(54, 4, INT32_MIN, 24)), BitmapError);    // height that cannot be turned
  EXPECT_THROW(DecodeBitmap(Header(54, 100000, 100000, 24)), BitmapError);  // pixels not in the file

  std::vector<std::uint8_t> offsetPastEnd = good;
  offsetPastEnd[10] = 0xFF;
  offsetPastEnd[11] = 0xFF;
  EXPECT_THROW(DecodeBitmap(offsetPastEnd), BitmapError);
}

TEST(BitmapFile, ReadErrorsAreMessagesForTheUser) {
  TempFolder temp;
  const std::string missing = temp.File("missing.bmp");
  EXPECT_EQ(UserErrorText([&] { ReadBitmapFile(missing); }),
            "Datei \"" + missing + "\" kann nicht geöffnet werden. No such file or directory");
  const std::string text = temp.File("text.bmp");
  std::ofstream(text) << "not a picture";
  EXPECT_EQ(UserErrorText([&] { ReadBitmapFile(text); }), "Bitmap ist ungültig");
}

}  // namespace
}  // namespace exporting
