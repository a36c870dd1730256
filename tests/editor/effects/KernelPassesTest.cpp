// Blur, sharpen and emboss against the kernels written out cell by cell, on
// 24-bit and 8-bit pictures, every level, regions inside and at the edges.
#include "editor/effects/Passes.h"

#include <gtest/gtest.h>

#include "tests/editor/effects/EffectTestPictures.h"

namespace lumora {
namespace {

using test::At;
using test::Bgr;
using test::Grey;

enum class Kernel { Blur, Sharpen, Emboss };

int Weight(Kernel k, int level, int i, int j) {
  const int n = 2 * level + 1, r = level;
  switch (k) {
    case Kernel::Blur: return 1;
    case Kernel::Sharpen: return i == r && j == r ? n * n : -1;
    case Kernel::Emboss: return i + j <= r - 1 ? 1 : i + j >= 2 * (n - 1) - (r - 1) ? -1 : 0;
  }
  return 0;
}

// The pass as the kernel table defines it: S over the n x n window of the
// input, then the result rule, for rows and columns at least r inside the region.
void Reference(Kernel k, int level, const DibImage& in, DibImage& out, const PictureRect& region) {
  DibImage& source = const_cast<DibImage&>(in);
  const int n = 2 * level + 1, r = level, bytes = in.BitCount() / 8;
  for (int y = region.top + r; y < region.bottom - r; ++y)
    for (int x = region.left + r; x < region.right - r; ++x)
      for (int c = 0; c < bytes; ++c) {
        int s = 0;
        for (int i = 0; i < n; ++i)
          for (int j = 0; j < n; ++j) s += Weight(k, level, i, j) * test::PixelAt(source, x - r + j, y - r + i)[c];
        const int v = k == Kernel::Blur ? DivideChannel(s, n * n) : k == Kernel::Sharpen ? s : s + 125;
        test::PixelAt(out, x, y)[c] = StoreChannel(v);
      }
}

bool RunKernel(Kernel k, const EffectRegion& region, int level, const PassProgress& progress = {}) {
  switch (k) {
    case Kernel::Blur: return Blur(region, level, progress);
    case Kernel::Sharpen: return Sharpen(region, level, progress);
    case Kernel::Emboss: return Emboss(region, level, progress);
  }
  return false;
}

TEST(KernelPasses, MatchTheKernelsCellByCell) {
  const PictureRect regions[] = {{0, 0, 23, 17}, {3, 2, 20, 15}, {0, 5, 9, 17}, {14, 0, 23, 9}, {4, 4, 13, 13}};
  for (int bits : {24, 8})
    for (Kernel k : {Kernel::Blur, Kernel::Sharpen, Kernel::Emboss})
      for (int level = 1; level <= 4; ++level)
        for (const PictureRect& region : regions) {
          const DibImage input = bits == 24 ? test::Noise24(23, 17, uint32_t(level)) : test::Noise8(23, 17, 9);
          DibImage expected = test::Copy(input);
          Reference(k, level, input, expected, region);
          DibImage pic = test::Copy(input);
          int units = 0;
          ASSERT_TRUE(RunKernel(k, EffectRegion(pic, region), level, PassProgress([&](int n) { units += n; })));
          EXPECT_EQ(pic.block(), expected.block())
              << "kernel " << int(k) << " level " << level << " bits " << bits << " region " << region.left << ","
              << region.top << "," << region.right << "," << region.bottom;
          EXPECT_EQ(units, std::max(0, region.bottom - region.top - 2 * level));
        }
}

TEST(KernelPasses, SmallRegionsAndFlatAreas) {
  // Blur level 1: a 2 x 2 region is too small for the kernel; a 3 x 3 one
  // changes its centre only.
  DibImage pic = test::Noise24(6, 6, 11);
  DibImage before = test::Copy(pic);
  EXPECT_TRUE(Blur(EffectRegion(pic, PictureRect{1, 1, 3, 3}), 1));
  EXPECT_EQ(pic.block(), before.block());
  EXPECT_TRUE(Blur(EffectRegion(pic, PictureRect{1, 1, 4, 4}), 1));
  int changed = 0;
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x)
      if (!(At(pic, x, y) == At(before, x, y))) {
        EXPECT_EQ(x * 10 + y, 22);
        ++changed;
      }
  EXPECT_EQ(changed, 1);

  // Weights summing to 1 leave a flat area as it is; emboss makes it 125.
  for (int level = 1; level <= 4; ++level) {
    DibImage flat = test::Flat24(12, 10, {40, 90, 250});
    EXPECT_TRUE(Sharpen(EffectRegion(flat), level));
    EXPECT_EQ(At(flat, 5, 5), (Bgr{40, 90, 250}));
    EXPECT_TRUE(Emboss(EffectRegion(flat), level));
    EXPECT_EQ(At(flat, 5, 5), (Bgr{125, 125, 125}));
    EXPECT_EQ(At(flat, level - 1, 5), (Bgr{40, 90, 250})) << "the edge band stays";
    DibImage grey = test::Picture8(12, 10, [](int, int) { return 7; });
    EXPECT_TRUE(Emboss(EffectRegion(grey), level));
    EXPECT_EQ(Grey(grey, 5, 5), 125);
  }

  // Levels outside 1..4 do nothing.
  DibImage other = test::Noise24(12, 12, 5);
  const DibImage otherBefore = test::Copy(other);
  for (int level : {0, 5, -1})
    for (Kernel k : {Kernel::Blur, Kernel::Sharpen, Kernel::Emboss})
      EXPECT_TRUE(RunKernel(k, EffectRegion(other), level));
  EXPECT_EQ(other.block(), otherBefore.block());
}

TEST(KernelPasses, EmbossKernelOfSizeFive) {
  // One bright pixel on black: the output around it traces the kernel
  // mirrored, +1 cells giving 225 and -1 cells 25.
  DibImage pic = test::Picture8(11, 11, [](int x, int y) { return x == 5 && y == 5 ? 100 : 0; });
  ASSERT_TRUE(Emboss(EffectRegion(pic), 2));
  int plus = 0, minus = 0;
  for (int y = 2; y < 9; ++y)
    for (int x = 2; x < 9; ++x) {
      const int v = Grey(pic, x, y);
      // Output (y, x) sees the pixel at kernel cell (5 - y + 2, 5 - x + 2).
      const int i = 7 - y, j = 7 - x;
      const bool inKernel = i >= 0 && i < 5 && j >= 0 && j < 5;
      const int expected = inKernel ? 125 + 100 * ((i + j <= 1) - (i + j >= 7)) : 125;
      EXPECT_EQ(v, expected) << x << "," << y;
      plus += v == 225;
      minus += v == 25;
    }
  EXPECT_EQ(plus, 3);
  EXPECT_EQ(minus, 3);
}

}  // namespace
}  // namespace lumora
