// Every pass, level and picture depth over tiny pictures and regions that
// touch or pass the edges: nothing outside the region changes (and, run with
// the address sanitizer, nothing outside the picture is read or written).
#include "editor/effects/Passes.h"

#include <functional>

#include <gtest/gtest.h>

#include "tests/editor/effects/EffectTestPictures.h"

namespace lumora {
namespace {

DibImage AnyPicture(int w, int h, int bits, uint32_t seed) {
  if (bits == 24) return test::Noise24(w, h, seed);
  if (bits == 8) return test::Noise8(w, h, seed);
  DibImage pic;
  pic.Create(w, h, bits);
  RowTable rows(pic);
  for (int y = 0; y < h; ++y)
    for (int i = 0; i < w * bits / 8; ++i) rows[y][i] = uint8_t(i * 7 + y * 3 + seed);
  return pic;
}

// The pixel bytes row by row, without the row padding.
std::vector<uint8_t> Pixels(DibImage& pic) {
  std::vector<uint8_t> bytes;
  RowTable rows(pic);
  for (int y = 0; y < pic.height(); ++y) bytes.insert(bytes.end(), rows[y], rows[y] + pic.width() * pic.BitCount() / 8);
  return bytes;
}

// Bytes of the pixels outside `region` (clipped as EffectRegion clips it).
std::vector<uint8_t> Outside(DibImage& pic, const EffectRegion& region) {
  std::vector<uint8_t> bytes;
  const int pixel = std::max(1, pic.BitCount() / 8);
  RowTable rows(pic);
  for (int y = 0; y < pic.height(); ++y)
    for (int x = 0; x < pic.width(); ++x)
      if (x < region.left || x >= region.right || y < region.top || y >= region.bottom)
        bytes.insert(bytes.end(), rows[y] + x * pixel, rows[y] + (x + 1) * pixel);
  return bytes;
}

TEST(RegionSafety, NoPassTouchesAnythingOutsideItsRegion) {
  const std::pair<int, int> sizes[] = {{1, 1}, {1, 9}, {9, 1}, {2, 3}, {13, 11}, {30, 26}};
  const PictureRect regions[] = {{0, 0, 0, 0},  {-5, -5, 100, 100}, {1, 1, 2, 2},    {0, 0, 1, 30},
                                 {3, -2, 9, 4}, {7, 5, 60, 40},     {-9, 8, 12, 11}, {40, 20, 41, 26}};
  ClassicRandom random;
  DibImage overlay = test::Noise24(7, 5, 77);
  PictureRect selection;  // the one the current region was made from
  using Pass = std::function<void(const EffectRegion&, int level)>;
  const Pass passes[] = {
      [](const EffectRegion& r, int l) { AdjustChannels(r, 50 * l, -50 * l, 250); },
      [](const EffectRegion& r, int l) { SwapChannels(r, l % 3); },
      [](const EffectRegion& r, int l) { Brighten(r, 40 * l); },
      [](const EffectRegion& r, int l) { Contrast(r, -26 * l); },
      [](const EffectRegion& r, int) { Invert(r); },
      [](const EffectRegion& r, int) { GrayScale(r); },
      [](const EffectRegion& r, int l) { EXPECT_TRUE(Blur(r, l)); },
      [](const EffectRegion& r, int l) { EXPECT_TRUE(Sharpen(r, l)); },
      [](const EffectRegion& r, int l) { EXPECT_TRUE(Emboss(r, l)); },
      [](const EffectRegion& r, int l) { Mosaic(r, l); },
      [&](const EffectRegion& r, int l) { RandomPattern(r, l, random); },
      [&](const EffectRegion& r, int l) {
        for (int scatter = 0; scatter <= 4; ++scatter) EXPECT_TRUE(Tile(r, l, scatter, 0xABCDEF, random));
      },
      [](const EffectRegion& r, int) { FlipHorizontal(r); },
      [](const EffectRegion& r, int) { FlipVertical(r); },
      [&](const EffectRegion& r, int l) {
        for (int m = 0; m < kBlendMethodCount; ++m)
          OverlayBlend(OverlayRegion(*r.picture, l % 2 ? overlay : *r.picture, selection), BlendMethod(m));
      },
  };
  uint32_t seed = 0;
  for (int bits : {24, 8, 16})
    for (auto [w, h] : sizes)
      for (const PictureRect& s : regions)
        for (size_t k = 0; k < std::size(passes); ++k)
          for (int level = 1; level <= 4; ++level) {
            selection = s;
            DibImage pic = AnyPicture(w, h, bits, ++seed);
            const DibImage before = test::Copy(pic);
            const EffectRegion region(pic, selection);
            const std::vector<uint8_t> outside = Outside(pic, region);
            passes[k](region, level);
            ASSERT_EQ(pic.block().size(), before.block().size());
            EXPECT_EQ(Outside(pic, region), outside) << "pass " << k << " level " << level << " " << w << "x" << h;
            if (bits == 16) EXPECT_EQ(pic.block(), before.block()) << "pass " << k << ": 16-bit pictures stay";
          }
}

TEST(RegionSafety, RegionsOfAnEarlierPictureSizeAreRefused) {
  DibImage pic = test::Noise24(20, 10, 1);
  const EffectRegion region(pic);
  ASSERT_TRUE(Rotate(pic, 1));  // now 10 x 20: the region's right edge lies outside
  const DibImage before = test::Copy(pic);
  Invert(region);
  EXPECT_TRUE(Blur(region, 2));
  EXPECT_EQ(pic.block(), before.block());

  for (int bits : {8, 16, 24})
    for (auto [w0, h0] : {std::pair{3, 2}, {1, 4}, {5, 1}})
      for (int turns = -5; turns <= 5; ++turns) {
        DibImage one = AnyPicture(w0, h0, bits, uint32_t(turns + 9));
        const std::vector<uint8_t> start = Pixels(one);
        ASSERT_TRUE(Rotate(one, turns));
        EXPECT_EQ(one.width(), turns % 2 ? h0 : w0);
        ASSERT_TRUE(Rotate(one, -turns));
        EXPECT_EQ(Pixels(one), start) << bits << " bits, " << turns << " turns";
        EXPECT_EQ(one.height(), h0);
      }
}

}  // namespace
}  // namespace lumora
