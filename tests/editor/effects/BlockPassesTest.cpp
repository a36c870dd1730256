// Mosaic, random pattern and tile: block means, the generator's values drawn
// in their number and order, tiles and frames clipped to the region.
#include "editor/effects/Passes.h"

#include <gtest/gtest.h>

#include "tests/editor/effects/EffectTestPictures.h"

namespace lumora {
namespace {

using test::At;
using test::Bgr;

constexpr float kScale = 3.0518509e-5f;

TEST(Mosaic, BlocksAreCutOffByTheRegionAndAveragedAlone) {
  // 4 x 4 at level 1: a 3 x 3 block, a 1 x 3 strip, a 3 x 1 strip, one pixel.
  DibImage pic = test::Picture24(4, 4, [](int x, int y) { return Bgr{x * 10 + y, 100 + x, 200 - y * 7}; });
  DibImage before = test::Copy(pic);
  int units = 0;
  Mosaic(EffectRegion(pic), 1, PassProgress([&](int n) { units += n; }));
  EXPECT_EQ(units, 2) << "one unit per row of blocks";
  auto mean = [&](int x0, int y0, int x1, int y1) {
    int s[3] = {};
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) s[0] += At(before, x, y).b, s[1] += At(before, x, y).g, s[2] += At(before, x, y).r;
    const int n = (x1 - x0) * (y1 - y0);
    return Bgr{DivideChannel(s[0], n), DivideChannel(s[1], n), DivideChannel(s[2], n)};
  };
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(At(pic, x, y), mean(x < 3 ? 0 : 3, y < 3 ? 0 : 3, x < 3 ? 3 : 4, y < 3 ? 3 : 4)) << x << "," << y;
  EXPECT_EQ(At(pic, 0, 0), (Bgr{11, 101, 193})) << "sums 99, 909, 1737 over 9, each + 0.5 truncated";

  DibImage grey = test::Picture8(9, 6, [](int x, int y) { return x * 20 + y; });
  Mosaic(EffectRegion(grey, PictureRect{2, 1, 9, 6}), 2);  // 5 x 5 blocks at x 2..6 and 7..8
  EXPECT_EQ(test::Grey(grey, 1, 3), 23);
  EXPECT_EQ(test::Grey(grey, 2, 1), DivideChannel(25 * 80 + 5 * 15, 25));
  EXPECT_EQ(test::Grey(grey, 8, 5), DivideChannel(5 * (140 + 160) + 2 * 15, 10));
}

TEST(RandomPattern, OneValuePerPixelRowByRowFromTheGenerator) {
  DibImage pic = test::Noise24(7, 5, 21);
  ClassicRandom random, replay;
  random.Seed(99);
  replay.Seed(99);
  // Widths below, at and beyond the pass's groups of four values.
  for (const PictureRect& a : {PictureRect{1, 2, 6, 5}, {0, 0, 3, 5}, {3, 1, 7, 4}, {0, 0, 7, 5}})
    for (int level = 1; level <= 4; ++level) {
      DibImage was = test::Copy(pic);
      RandomPattern(EffectRegion(pic, a), level, random);
      for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
          const Bgr w = At(was, x, y);
          const bool inside = x >= a.left && x < a.right && y >= a.top && y < a.bottom;
          const int e = inside ? int(level * (replay.Next() * kScale - 0.5) * 64) : 0;
          EXPECT_EQ(At(pic, x, y), (Bgr{StoreChannel(w.b + e), StoreChannel(w.g + e), StoreChannel(w.r + e)}));
        }
      EXPECT_EQ(random.state(), replay.state());
    }
  EXPECT_EQ(int(4 * (32767 * kScale - 0.5) * 64), 128) << "level 4 reaches +-128";

  DibImage grey = test::Noise8(4, 4, 1);
  const DibImage greyBefore = test::Copy(grey);
  const uint32_t state = random.state();
  RandomPattern(EffectRegion(grey), 3, random);
  EXPECT_EQ(grey.block(), greyBefore.block());
  EXPECT_EQ(random.state(), state) << "no values drawn for an 8-bit picture";
}

TEST(Tile, TwelvePixelTilesWithOnePixelFrames) {
  DibImage pic = test::Noise24(40, 30, 4);
  DibImage before = test::Copy(pic);
  ClassicRandom random, counted;
  int units = 0;
  ASSERT_TRUE(Tile(EffectRegion(pic, PictureRect{3, 2, 33, 28}), 1, 0, 0x0000FF, random,
                   PassProgress([&](int n) { units += n; })));
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const bool inside = x >= 3 && x < 33 && y >= 2 && y < 28;
      const bool line = (x - 3) % 12 == 0 || (x - 3) % 12 == 11 || (y - 2) % 12 == 0 || (y - 2) % 12 == 11;
      EXPECT_EQ(At(pic, x, y), (inside && line ? Bgr{0, 0, 255} : At(before, x, y))) << x << "," << y;
    }
  EXPECT_EQ(units, 26 + 3 * 12) << "the fill's rows, then 12 per tile row";
  for (int i = 0; i < 3 * 3 * 2; ++i) counted.Next();
  EXPECT_EQ(random.state(), counted.state()) << "two values per tile even without scatter";
}

// The tile steps written out pixel by pixel.
void ReferenceTile(DibImage& pic, const PictureRect& a, int size, int scatter, Bgr bg, ClassicRandom& random) {
  DibImage source = test::Copy(pic);
  const int T = 12 * size;
  auto put = [&](int x, int y, Bgr c) {
    if (x < a.left || x >= a.right || y < a.top || y >= a.bottom) return;
    uint8_t* p = test::PixelAt(pic, x, y);
    p[0] = uint8_t(c.b), p[1] = uint8_t(c.g), p[2] = uint8_t(c.r);
  };
  for (int y = a.top; y < a.bottom; ++y)
    for (int x = a.left; x < a.right; ++x) put(x, y, bg);
  for (int ty = 0; ty <= (a.bottom - a.top) / T; ++ty)
    for (int tx = 0; tx <= (a.right - a.left) / T; ++tx) {
      const int dx = int((random.Next() - 16383) * T * kScale * scatter * 0.25);
      const int dy = int((random.Next() - 16383) * T * kScale * scatter * 0.25);
      const int sy = a.top + ty * T, sx = a.left + tx * T;
      for (int i = 1; i <= T - 2; ++i)
        for (int j = 1; j <= T - 2; ++j)
          if (sx + j < pic.width() && sy + i < pic.height()) put(sx + j + dx, sy + i + dy, At(source, sx + j, sy + i));
      for (int k = 0; k < T; ++k) {
        put(sx + dx + k, sy + dy, bg), put(sx + dx + k, sy + dy + T - 1, bg);
        put(sx + dx, sy + dy + k, bg), put(sx + dx + T - 1, sy + dy + k, bg);
      }
    }
}

TEST(Tile, ScatteredTilesMatchThePixelByPixelSteps) {
  uint32_t seed = 0;
  for (const PictureRect& a : {PictureRect{0, 0, 50, 37}, {5, 3, 44, 30}, {0, 10, 25, 37}, {20, 0, 50, 20}})
    for (int size = 1; size <= 4; ++size)
      for (int scatter = 0; scatter <= 4; ++scatter) {
        DibImage pic = test::Noise24(50, 37, ++seed);
        DibImage expected = test::Copy(pic);
        ClassicRandom random, replay;
        random.Seed(seed);
        replay.Seed(seed);
        ASSERT_TRUE(Tile(EffectRegion(pic, a), size, scatter, 0x102030, random));
        ReferenceTile(expected, a, size, scatter, Bgr{0x10, 0x20, 0x30}, replay);
        EXPECT_EQ(pic.block(), expected.block()) << "size " << size << " scatter " << scatter;
        EXPECT_EQ(random.state(), replay.state());
      }
  DibImage grey = test::Picture8(13, 13, [](int, int) { return 77; });
  ClassicRandom random;
  ASSERT_TRUE(Tile(EffectRegion(grey), 1, 0, 0x3C1E00, random));
  EXPECT_EQ(test::Grey(grey, 11, 5), 30) << "8-bit: the background's mean (0 + 30 + 60) / 3";
  EXPECT_EQ(test::Grey(grey, 5, 5), 77);
}

}  // namespace
}  // namespace lumora
