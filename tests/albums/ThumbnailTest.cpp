// Where a picture goes in its cell, how the cell is composed, and the
// reduced JPEG decode thumbnails use.
#include "albums/Thumbnail.h"

#include <gtest/gtest.h>

#include "media/codecs/Jpeg.h"
#include "tests/TempDir.h"

namespace lumora {
namespace {

struct PlaceCase {
  int w, h;
  ThumbnailCell cell;
  ThumbnailPlace expected;
};

TEST(ThumbnailTest, PlaceUsesWholeNumberScalesAndTheLayoutsOffsets) {
  const PlaceCase cases[] = {
      {640, 480, kOriginalCell, {4, 2, 48, 36}},    // 640 / 48 = 13, 480 / 13 = 36
      {640, 480, kMaxCell, {3, 1, 97, 80}},         // 640 / 97 = 6, 480 / 6 = 80
      {100, 99, kOriginalCell, {4, 0, 48, 41}},     // 99 / (100 / 48) = 49 would leave the cell: held to 41
      {480, 640, kOriginalCell, {16, 4, 24, 32}},   // 640 / 32 = 20, 480 / 20 = 24
      {300, 300, kOriginalCell, {12, 4, 33, 32}},   // square goes the portrait way: 300 / (300 / 32) = 33
      {20, 10, kOriginalCell, {18, 15, 20, 10}},    // small pictures keep their size
      {1000, 1, kOriginalCell, {4, 20, 48, 0}},     // 1 / (1000 / 48) = 0
  };
  for (const auto& c : cases)
    EXPECT_EQ(PlaceThumbnail(c.w, c.h, c.cell), c.expected) << c.w << " x " << c.h << " in " << c.cell.width;
  EXPECT_EQ(PlaceThumbnail(0, 480, kOriginalCell), ThumbnailPlace{});
}

// A 24-bit picture whose pixels are given top row first as 0xRRGGBB.
DibImage Picture24(int w, int h, const std::vector<uint32_t>& rgb) {
  DibImage p;
  EXPECT_TRUE(p.Create(w, h, 24));
  RowTable rows(p);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t c = rgb[size_t(y * w + x)];
      rows[y][3 * x] = uint8_t(c), rows[y][3 * x + 1] = uint8_t(c >> 8), rows[y][3 * x + 2] = uint8_t(c >> 16);
    }
  return p;
}

uint32_t At(const Thumbnail& t, int x, int y) {
  RowTable rows(const_cast<DibImage&>(t.cell));
  const uint8_t* p = rows[y] + 3 * x;
  return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

TEST(ThumbnailTest, FrameBlackIsTransparentButThePicturesBlackStays) {
  // Frame: black border one pixel wide, grey inside.
  std::vector<uint32_t> framePixels(size_t(58 * 42), 0x808080);
  for (int x = 0; x < 58; ++x) framePixels[size_t(x)] = framePixels[size_t(41 * 58 + x)] = 0;
  const DibImage frame = Picture24(58, 42, framePixels);
  // Picture: 2 x 2, black, red / green, blue, stretched onto 4 x 4.
  const DibImage picture = Picture24(2, 2, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF});
  const ThumbnailPlace place{10, 10, 4, 4};

  Thumbnail t;
  ASSERT_TRUE(ComposeThumbnail(picture, place, frame, kOriginalCell, t));
  ASSERT_EQ(t.cell.width(), 58);
  ASSERT_EQ(t.cell.height(), 42);
  EXPECT_EQ(At(t, 0, 0), 0u);
  EXPECT_TRUE(t.IsTransparent(0, 0));
  EXPECT_EQ(At(t, 5, 5), 0x808080u) << "white AND the frame";
  EXPECT_FALSE(t.IsTransparent(5, 5));
  // Nearest neighbour: each source pixel becomes a 2 x 2 block, no blending.
  EXPECT_EQ(At(t, 10, 10), 0u);
  EXPECT_EQ(At(t, 11, 11), 0u);
  EXPECT_FALSE(t.IsTransparent(11, 11)) << "the picture's own black stays black";
  EXPECT_EQ(At(t, 12, 10), 0xFF0000u);
  EXPECT_EQ(At(t, 13, 11), 0xFF0000u);
  EXPECT_EQ(At(t, 10, 12), 0x00FF00u);
  EXPECT_EQ(At(t, 13, 13), 0x0000FFu);
  EXPECT_EQ(At(t, 14, 13), 0x808080u) << "nothing drawn past the place";
  EXPECT_FALSE(t.IsTransparent(58, 0));
}

TEST(ThumbnailTest, PalettedPicturesGoThroughTheirTableAndNoFrameLeavesWhite) {
  DibImage grey;
  ASSERT_TRUE(grey.Create(3, 1, 8));  // the grey ramp: index = level
  RowTable levels(grey);
  levels[0][0] = 0, levels[0][1] = 100, levels[0][2] = 200;
  Thumbnail t;
  ASSERT_TRUE(ComposeThumbnail(grey, {0, 0, 3, 1}, DibImage(), kMaxCell, t));
  EXPECT_EQ(At(t, 1, 0), 0x646464u);
  EXPECT_EQ(At(t, 2, 0), 0xC8C8C8u);
  EXPECT_EQ(At(t, 50, 50), 0xFFFFFFu);
  EXPECT_FALSE(ComposeThumbnail(DibImage(), {0, 0, 3, 1}, DibImage(), kMaxCell, t)) << "no picture";
}

TEST(ThumbnailTest, ReducedJpegDecodeStillCoversTheCell) {
  test::TempDir dir;
  const auto write = [&](int w, int h) {
    DibImage p;
    EXPECT_TRUE(p.Create(w, h, 24));
    const std::string path = (dir / (std::to_string(w) + ".jpg")).string();
    EXPECT_TRUE(WriteJpegFile(p, path));
    return path;
  };
  struct Case {
    int w, h, expectW, expectH;
  } cases[] = {
      {1600, 1200, 200, 150},  // 1/8
      {600, 400, 150, 100},    // 1/4: 1/8 would give 75 x 50
      {300, 200, 150, 100},    // 1/2
      {200, 100, 200, 100},    // 1/2 would give 100 x 50: full size
      {4001, 3001, 501, 376},  // sizes round up
  };
  for (const auto& c : cases) {
    DibImage picture;
    int fullW = 0, fullH = 0;
    ASSERT_TRUE(ReadJpegFileReduced(picture, write(c.w, c.h), kMaxCell.width, kMaxCell.height, fullW, fullH));
    EXPECT_EQ(picture.width(), c.expectW) << c.w;
    EXPECT_EQ(picture.height(), c.expectH) << c.w;
    EXPECT_EQ(fullW, c.w);
    EXPECT_EQ(fullH, c.h);
  }
  DibImage untouched;
  int fullW = 0, fullH = 0;
  test::WriteText(dir / "bad.jpg", "not a jpeg");
  EXPECT_FALSE(ReadJpegFileReduced(untouched, (dir / "bad.jpg").string(), 107, 86, fullW, fullH));
  EXPECT_TRUE(untouched.empty());
}

}  // namespace
}  // namespace lumora
