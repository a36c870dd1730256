// Blur, sharpen and emboss against their kernels written out cell by cell, on
// 24-bit and 8-bit pictures, every level, regions inside and at the edges.
#include "editor/effects/Passes.h"

#include <cstring>

#include <gtest/gtest.h>

#include "tests/editor/effects/EffectTestPictures.h"

namespace lumora {
namespace {

enum class Kernel { Blur, Sharpen, Emboss };

int Weight(Kernel k, int r, int i, int j) {
  const int n = 2 * r + 1;
  if (k == Kernel::Blur) return 1;
  if (k == Kernel::Sharpen) return i == r && j == r ? n * n : -1;
  return i + j <= r - 1 ? 1 : i + j >= 2 * (n - 1) - (r - 1) ? -1 : 0;
}

// S over the n x n window of the input, then the result rule, for rows and
// columns at least r inside the region.
void Reference(Kernel k, int r, DibImage& in, DibImage& out, const PictureRect& a) {
  const int n = 2 * r + 1;
  for (int y = a.top + r; y < a.bottom - r; ++y)
    for (int x = a.left + r; x < a.right - r; ++x)
      for (int c = 0; c < in.BitCount() / 8; ++c) {
        int s = 0;
        for (int i = 0; i < n; ++i)
          for (int j = 0; j < n; ++j) s += Weight(k, r, i, j) * test::PixelAt(in, x - r + j, y - r + i)[c];
        test::PixelAt(out, x, y)[c] = StoreChannel(k == Kernel::Blur      ? DivideChannel(s, n * n)
                                                   : k == Kernel::Sharpen ? s
                                                                          : s + 125);
      }
}

bool RunKernel(Kernel k, const EffectRegion& region, int level, const PassProgress& progress = {}) {
  if (k == Kernel::Blur) return Blur(region, level, progress);
  if (k == Kernel::Sharpen) return Sharpen(region, level, progress);
  return Emboss(region, level, progress);
}

TEST(KernelPasses, MatchTheKernelsCellByCell) {
  const PictureRect regions[] = {{0, 0, 23, 17}, {3, 2, 20, 15}, {0, 5, 9, 17}, {14, 0, 23, 9}, {4, 4, 13, 13}};
  for (int bits : {24, 8})
    for (Kernel k : {Kernel::Blur, Kernel::Sharpen, Kernel::Emboss})
      for (int level = 1; level <= 4; ++level)
        for (const PictureRect& a : regions) {
          DibImage input = bits == 24 ? test::Noise24(23, 17, uint32_t(level)) : test::Noise8(23, 17, 9);
          DibImage expected = test::Copy(input), pic = test::Copy(input);
          Reference(k, level, input, expected, a);
          int units = 0;
          ASSERT_TRUE(RunKernel(k, EffectRegion(pic, a), level, PassProgress([&](int n) { units += n; })));
          EXPECT_EQ(pic.block(), expected.block()) << "kernel " << int(k) << " level " << level << " bits " << bits
                                                   << " region " << a.left << "," << a.top << "," << a.right;
          EXPECT_EQ(units, std::max(0, a.bottom - a.top - 2 * level)) << "one unit per computed row";
        }
}

TEST(KernelPasses, SmallRegionsFlatAreasAndOtherLevels) {
  // Blur level 1: a 2 x 2 region is too small; a 3 x 3 one changes its centre only.
  DibImage pic = test::Noise24(6, 6, 11);
  DibImage before = test::Copy(pic);
  EXPECT_TRUE(Blur(EffectRegion(pic, PictureRect{1, 1, 3, 3}), 1));
  EXPECT_EQ(pic.block(), before.block());
  EXPECT_TRUE(Blur(EffectRegion(pic, PictureRect{1, 1, 4, 4}), 1));
  EXPECT_NE(test::At(pic, 2, 2), test::At(before, 2, 2));
  std::memcpy(test::PixelAt(pic, 2, 2), test::PixelAt(before, 2, 2), 3);
  EXPECT_EQ(pic.block(), before.block()) << "only the centre changed";

  // Weights summing to 1 leave a flat area as it is; emboss makes it 125.
  for (int level = 1; level <= 4; ++level) {
    DibImage flat = test::Flat24(12, 10, {40, 90, 250});
    EXPECT_TRUE(Sharpen(EffectRegion(flat), level));
    EXPECT_EQ(test::At(flat, 5, 5), (test::Bgr{40, 90, 250}));
    EXPECT_TRUE(Emboss(EffectRegion(flat), level));
    EXPECT_EQ(test::At(flat, 5, 5), (test::Bgr{125, 125, 125}));
    EXPECT_EQ(test::At(flat, level - 1, 5), (test::Bgr{40, 90, 250})) << "the edge band stays";
  }

  for (int level : {0, 5, -1})
    for (Kernel k : {Kernel::Blur, Kernel::Sharpen, Kernel::Emboss})
      EXPECT_TRUE(RunKernel(k, EffectRegion(pic), level));
  EXPECT_EQ(pic.block(), before.block()) << "levels outside 1..4 do nothing";
}

}  // namespace
}  // namespace lumora
