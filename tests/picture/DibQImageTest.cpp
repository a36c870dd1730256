// The picture as Qt shows it: colours through the table, rows top-down, and
// stretching by nearest neighbour.
#include "picture/qt/DibQImage.h"


#include <gtest/gtest.h>

namespace lumora {
namespace {

// Bottom-up rows: the first stored row is the bottom of the picture.
DibImage Colour2x2() {
  const uint8_t bits[] = {255, 0, 0, /* blue */ 0, 255, 0, /* green */ 0, 0,   // bottom row
                          0, 0, 255, /* red */ 255, 255, 255, /* white */ 0, 0};  // top row
  DibImage pic;
  pic.CreateFromBits(bits, 2, 2, 24);
  return pic;
}

TEST(DibQImage, TwentyFourBitRowsComeOutTopDown) {
  QImage image = ToQImage(Colour2x2());
  ASSERT_EQ(image.size(), QSize(2, 2));
  EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(1, 0), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(0, 1), qRgb(0, 0, 255));
  EXPECT_EQ(image.pixel(1, 1), qRgb(0, 255, 0));
  EXPECT_TRUE(ToQImage(DibImage()).isNull());
}

TEST(DibQImage, PalettedPicturesKeepTheirTable) {
  DibImage grey;
  ASSERT_TRUE(grey.Create(3, 2, 8));
  RowTable rows(grey);
  rows[0][0] = 10;
  rows[1][2] = 200;
  // A magenta entry must come out exactly: it is the skin's transparency key.
  grey.block()[40 + 200 * 4 + 0] = 255;
  grey.block()[40 + 200 * 4 + 1] = 0;
  grey.block()[40 + 200 * 4 + 2] = 255;
  QImage image = ToQImage(grey);
  EXPECT_EQ(image.format(), QImage::Format_Indexed8);
  EXPECT_EQ(image.pixel(0, 0), qRgb(10, 10, 10));
  EXPECT_EQ(image.pixel(2, 1), qRgb(255, 0, 255));

  // 4 bits a pixel, high nibble first; 1 bit a pixel, high bit first.
  std::vector<uint8_t> four(40 + 16 * 4 + 4, 0);
  four[0] = 40, four[4] = 3, four[8] = 1, four[12] = 1, four[14] = 4;
  four[40 + 5 * 4 + 1] = 200;          // entry 5: green 200
  four[40 + 16 * 4] = 0x50, four[40 + 16 * 4 + 1] = 0x50;  // pixels 5, 0, 5
  DibImage nibbles;
  ASSERT_TRUE(nibbles.Adopt(four, true));
  QImage n = ToQImage(nibbles);
  EXPECT_EQ(n.pixel(0, 0), qRgb(0, 200, 0));
  EXPECT_EQ(n.pixel(1, 0), qRgb(0, 0, 0));
  EXPECT_EQ(n.pixel(2, 0), qRgb(0, 200, 0));

  std::vector<uint8_t> mono(40 + 2 * 4 + 4, 0);
  mono[0] = 40, mono[4] = 9, mono[8] = 1, mono[12] = 1, mono[14] = 1;
  std::fill_n(&mono[44], 3, 255);  // entry 1 white
  mono[48] = 0x80, mono[49] = 0x80;  // pixels 0 and 8 set
  DibImage bitsPic;
  ASSERT_TRUE(bitsPic.Adopt(mono, true));
  QImage m = ToQImage(bitsPic);
  EXPECT_EQ(m.pixel(0, 0), qRgb(255, 255, 255));
  EXPECT_EQ(m.pixel(1, 0), qRgb(0, 0, 0));
  EXPECT_EQ(m.pixel(8, 0), qRgb(255, 255, 255));
}

}  // namespace
}  // namespace lumora
