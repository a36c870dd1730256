// Flips and exact quarter turns: invariants (two flips, four turns, a turn
// and its mirror), the pixel mapping of each turn, sizes, palettes, progress.
#include "editor/effects/Passes.h"

#include <gtest/gtest.h>

#include "tests/editor/effects/EffectTestPictures.h"

namespace lumora {
namespace {

using test::At;
using test::Bgr;
using test::Grey;

Bgr Code(int x, int y) { return Bgr{x, y, x * 16 + y}; }

TEST(Flips, MirrorTheRegionAndTwiceRestoreIt) {
  DibImage pic = test::Picture24(7, 5, Code);
  DibImage before = test::Copy(pic);
  const PictureRect region{1, 1, 6, 5};  // odd width 5, even height 4
  int units = 0;
  FlipHorizontal(EffectRegion(pic, region), PassProgress([&](int n) { units += n; }));
  EXPECT_EQ(units, 4);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) {
      const bool inside = x >= 1 && x < 6 && y >= 1;
      EXPECT_EQ(At(pic, x, y), inside ? Code(6 - x, y) : Code(x, y)) << x << "," << y;
    }
  EXPECT_EQ(At(pic, 3, 2), Code(3, 2)) << "the middle column stays";
  units = 0;
  FlipVertical(EffectRegion(pic, region), PassProgress([&](int n) { units += n; }));
  EXPECT_EQ(units, 2) << "one unit per exchanged pair";
  EXPECT_EQ(At(pic, 1, 1), Code(5, 4));
  EXPECT_EQ(At(pic, 0, 1), Code(0, 1));
  FlipVertical(EffectRegion(pic, region));
  FlipHorizontal(EffectRegion(pic, region));
  EXPECT_EQ(pic.block(), before.block());

  DibImage grey = test::Picture8(3, 3, [](int x, int y) { return x + 10 * y; });
  FlipHorizontal(EffectRegion(grey));
  FlipVertical(EffectRegion(grey));
  EXPECT_EQ(Grey(grey, 0, 0), 22);
  EXPECT_EQ(Grey(grey, 1, 1), 11);
  EXPECT_EQ(Grey(grey, 2, 1), 10);
}

TEST(Rotate, QuarterTurnsMoveEveryPixelOnce) {
  const int w = 5, h = 3;
  struct Case {
    int turns, W, H;
    Bgr (*from)(int i, int j);  // the source pixel of turned row i, column j
  };
  const Case cases[] = {
      {1, 3, 5, [](int i, int j) { return Code(i, 3 - 1 - j); }},
      {-3, 3, 5, [](int i, int j) { return Code(i, 3 - 1 - j); }},
      {-1, 3, 5, [](int i, int j) { return Code(5 - 1 - i, j); }},
      {3, 3, 5, [](int i, int j) { return Code(5 - 1 - i, j); }},
      {2, 5, 3, [](int i, int j) { return Code(5 - 1 - j, 3 - 1 - i); }},
      {-2, 5, 3, [](int i, int j) { return Code(5 - 1 - j, 3 - 1 - i); }},
  };
  for (const Case& c : cases) {
    DibImage pic = test::Picture24(w, h, Code);
    int units = 0;
    ASSERT_TRUE(Rotate(pic, c.turns, PassProgress([&](int n) { units += n; })));
    ASSERT_EQ(pic.width(), c.W) << c.turns;
    ASSERT_EQ(pic.height(), c.H);
    EXPECT_EQ(units, c.H) << "one unit per row of the turned picture";
    EXPECT_EQ(pic.block().size(), 40 + DibStride(c.W, 24) * size_t(c.H));
    for (int i = 0; i < c.H; ++i)
      for (int j = 0; j < c.W; ++j) EXPECT_EQ(At(pic, j, i), c.from(i, j)) << c.turns << ": " << i << "," << j;
  }
  // The top-left corner after a clockwise turn is the old bottom-left.
  DibImage corner = test::Picture24(w, h, Code);
  ASSERT_TRUE(Rotate(corner, 1));
  EXPECT_EQ(At(corner, 0, 0), Code(0, h - 1));
}

TEST(Rotate, FullTurnsReturnThePictureAndMirrorsUndoEachOther) {
  DibImage pic = test::Noise24(67, 130, 8);  // larger than one copy block
  const DibImage base = test::Copy(pic);
  for (int turns : {4, -4, 8}) {
    int units = 0;
    ASSERT_TRUE(Rotate(pic, turns, PassProgress([&](int n) { units += n; })));
    EXPECT_EQ(pic.block(), base.block());
    EXPECT_EQ(units, 130);
  }
  for (int k = 0; k < 4; ++k) ASSERT_TRUE(Rotate(pic, 1));
  EXPECT_EQ(pic.block(), base.block()) << "four single turns";
  ASSERT_TRUE(Rotate(pic, 1));
  ASSERT_TRUE(Rotate(pic, -1));
  EXPECT_EQ(pic.block(), base.block());
  ASSERT_TRUE(Rotate(pic, 2));
  ASSERT_TRUE(Rotate(pic, -2));
  EXPECT_EQ(pic.block(), base.block());

  DibImage one = test::Flat24(1, 1, {1, 2, 3});
  ASSERT_TRUE(Rotate(one, 1));
  EXPECT_EQ(At(one, 0, 0), (Bgr{1, 2, 3}));
}

TEST(Rotate, EightBitPicturesKeepTheirColourTable) {
  DibImage pic = test::Picture8(4, 2, [](int x, int y) { return x + 4 * y; });
  uint8_t* table = pic.block().data() + 40;
  table[4 * 5] = 0xAB;  // entry 5, blue
  table[4 * 5 + 2] = 0xCD;
  ASSERT_TRUE(pic.RefreshInfo(true));
  ASSERT_TRUE(Rotate(pic, 1));
  EXPECT_EQ(pic.width(), 2);
  EXPECT_EQ(pic.height(), 4);
  EXPECT_EQ(pic.block()[40 + 4 * 5], 0xAB);
  ASSERT_TRUE(pic.palette().has_value());
  EXPECT_EQ((*pic.palette())[5], (PaletteEntry{0xCD, 5, 0xAB, 0}));
  EXPECT_EQ(Grey(pic, 0, 0), 4);
  EXPECT_EQ(Grey(pic, 1, 0), 0);
  EXPECT_EQ(Grey(pic, 0, 3), 7);
}

}  // namespace
}  // namespace lumora
