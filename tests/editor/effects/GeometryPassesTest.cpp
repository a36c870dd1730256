// Flips and exact quarter turns: two flips, four turns and a turn with its
// mirror give the picture back; each turn's pixel mapping, size and palette;
// the trim's crop.
#include "editor/effects/Crop.h"
#include "editor/effects/Passes.h"

#include <gtest/gtest.h>

#include "tests/editor/effects/EffectTestPictures.h"

namespace lumora {
namespace {

using test::At;
using test::Bgr;

Bgr Code(int x, int y) { return Bgr{x, y, x * 16 + y}; }

TEST(Flips, MirrorTheRegionAndTwiceRestoreIt) {
  DibImage pic = test::Picture24(7, 5, Code);
  const DibImage before = test::Copy(pic);
  const PictureRect region{1, 1, 6, 5};  // odd width 5, even height 4
  int units = 0;
  FlipHorizontal(EffectRegion(pic, region), PassProgress([&](int n) { units += n; }));
  EXPECT_EQ(units, 4);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(At(pic, x, y), x >= 1 && x < 6 && y >= 1 ? Code(6 - x, y) : Code(x, y));
  EXPECT_EQ(At(pic, 3, 2), Code(3, 2)) << "the middle column stays";
  units = 0;
  FlipVertical(EffectRegion(pic, region), PassProgress([&](int n) { units += n; }));
  EXPECT_EQ(units, 2) << "one unit per exchanged pair";
  EXPECT_EQ(At(pic, 1, 1), Code(5, 4));
  FlipVertical(EffectRegion(pic, region));
  FlipHorizontal(EffectRegion(pic, region));
  EXPECT_EQ(pic.block(), before.block());

  DibImage grey = test::Picture8(3, 3, [](int x, int y) { return x + 10 * y; });
  FlipHorizontal(EffectRegion(grey));
  FlipVertical(EffectRegion(grey));
  EXPECT_EQ(test::Grey(grey, 0, 0), 22);
  EXPECT_EQ(test::Grey(grey, 2, 1), 10);
}

TEST(Rotate, QuarterTurnsMoveEveryPixelOnce) {
  // Row i, column j of the turned 5 x 3 picture, from the source (x, y).
  const std::pair<int, Bgr (*)(int i, int j)> cases[] = {
      {1, [](int i, int j) { return Code(i, 2 - j); }},      // clockwise: the old bottom-left on top
      {-1, [](int i, int j) { return Code(4 - i, j); }},     // counter-clockwise
      {2, [](int i, int j) { return Code(4 - j, 2 - i); }},  // half turn
      {-3, [](int i, int j) { return Code(i, 2 - j); }},
  };
  for (auto [turns, from] : cases) {
    DibImage pic = test::Picture24(5, 3, Code);
    int units = 0;
    ASSERT_TRUE(Rotate(pic, turns, PassProgress([&](int n) { units += n; })));
    const int W = turns % 2 ? 3 : 5, H = turns % 2 ? 5 : 3;
    ASSERT_EQ(pic.width(), W);
    ASSERT_EQ(pic.height(), H);
    EXPECT_EQ(units, H) << "one unit per row of the turned picture";
    EXPECT_EQ(pic.block().size(), 40 + DibStride(W, 24) * size_t(H)) << "no extra rows or columns";
    for (int i = 0; i < H; ++i)
      for (int j = 0; j < W; ++j) EXPECT_EQ(At(pic, j, i), from(i, j)) << turns << ": " << i << "," << j;
  }
}

TEST(Rotate, FullTurnsAndMirrorsGiveThePictureBack) {
  DibImage pic = test::Noise24(67, 130, 8);  // larger than one copied block
  const DibImage base = test::Copy(pic);
  ASSERT_TRUE(Rotate(pic, 4));
  ASSERT_TRUE(Rotate(pic, -8));
  for (int k = 0; k < 4; ++k) ASSERT_TRUE(Rotate(pic, 1));
  EXPECT_EQ(pic.block(), base.block());
  for (int turns : {1, 2, -1, 3}) {
    ASSERT_TRUE(Rotate(pic, turns));
    ASSERT_TRUE(Rotate(pic, -turns));
    EXPECT_EQ(pic.block(), base.block()) << turns;
  }

  // Pixels of two bytes turn whole.
  DibImage wide;
  wide.Create(3, 5, 16);
  for (int y = 0; y < 5; ++y)
    for (int i = 0; i < 6; ++i) test::PixelAt(wide, 0, y)[i] = uint8_t(y * 16 + i);
  ASSERT_TRUE(Rotate(wide, 1));
  EXPECT_EQ(test::PixelAt(wide, 0, 0)[0], 4 * 16);
  EXPECT_EQ(test::PixelAt(wide, 4, 0)[1], 1) << "row 0 ends with the old top-left pixel";
  ASSERT_TRUE(Rotate(wide, -1));
  EXPECT_EQ(test::PixelAt(wide, 2, 4)[1], 4 * 16 + 5);

  // An 8-bit picture keeps its own colour table and palette.
  DibImage grey = test::Picture8(4, 2, [](int x, int y) { return x + 4 * y; });
  grey.block()[40 + 4 * 5] = 0xAB;  // entry 5, blue
  ASSERT_TRUE(grey.RefreshInfo(true));
  ASSERT_TRUE(Rotate(grey, 1));
  EXPECT_EQ(grey.width(), 2);
  EXPECT_EQ(grey.block()[40 + 4 * 5], 0xAB);
  ASSERT_TRUE(grey.palette().has_value());
  EXPECT_EQ((*grey.palette())[5], (PaletteEntry{5, 5, 0xAB, 0}));
  EXPECT_EQ(test::Grey(grey, 0, 0), 4);
  EXPECT_EQ(test::Grey(grey, 0, 3), 7);
}

}  // namespace
}  // namespace lumora

namespace lumora {
namespace {

TEST(Crop, KeepsTheRectangleClippedToThePictureAndAnEightBitPicturesColours) {
  DibImage pic = test::Picture24(7, 5, Code);
  DibImage cut;
  ASSERT_TRUE(CropPicture(pic, PictureRect{2, 1, 9, 3}, cut));
  ASSERT_EQ(cut.width(), 5);
  ASSERT_EQ(cut.height(), 2);
  EXPECT_EQ(At(cut, 0, 0), Code(2, 1));
  EXPECT_EQ(At(cut, 4, 1), Code(6, 2));
  for (const PictureRect beside : {PictureRect{7, 0, 9, 5}, PictureRect{2, 2, 2, 4}, PictureRect{-3, -3, 0, 2}}) {
    EXPECT_FALSE(CropPicture(pic, beside, cut));
    EXPECT_EQ(cut.width(), 5) << "left as it was";
  }

  // A picture of four colours keeps them, not the grey ramp of a new picture.
  DibImage four = test::Picture8(4, 2, [](int x, int) { return x; });
  uint8_t* table = four.block().data() + 40;
  for (int i = 0; i < 4; ++i) table[i * 4 + 2] = uint8_t(200 + i);  // red
  four.RefreshInfo(true);
  ASSERT_TRUE(CropPicture(four, PictureRect{1, 0, 3, 2}, cut));
  EXPECT_EQ(test::Grey(cut, 0, 0), 1);
  EXPECT_EQ(cut.ColourTable()[1 * 4 + 2], 201);
  EXPECT_EQ(cut.ColourTable()[3 * 4 + 2], 203);
}

}  // namespace
}  // namespace lumora
