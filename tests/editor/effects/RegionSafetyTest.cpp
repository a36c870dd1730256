// Every pass and level over tiny pictures of every depth, with regions that
// touch or pass the edges: nothing outside the region changes, and (run with
// the address sanitizer) nothing outside the picture is read or written.
#include "editor/effects/Passes.h"

#include <functional>

#include <gtest/gtest.h>

#include "tests/editor/effects/EffectTestPictures.h"

namespace lumora {
namespace {

// The bytes of the pixels outside `region`.
std::vector<uint8_t> Outside(DibImage& pic, const EffectRegion& region) {
  std::vector<uint8_t> bytes;
  const int pixel = pic.BitCount() / 8;
  for (int y = 0; y < pic.height(); ++y)
    for (int x = 0; x < pic.width(); ++x)
      if (x < region.left || x >= region.right || y < region.top || y >= region.bottom)
        bytes.insert(bytes.end(), test::PixelAt(pic, x, y), test::PixelAt(pic, x, y) + pixel);
  return bytes;
}

TEST(RegionSafety, NoPassTouchesAnythingOutsideItsRegion) {
  ClassicRandom random;
  DibImage overlay = test::Noise24(7, 5, 77);
  PictureRect selection;
  const std::function<void(const EffectRegion&, int level)> passes[] = {
      [](auto& r, int l) { AdjustChannels(r, 50 * l, -50 * l, 250); },
      [](auto& r, int l) { SwapChannels(r, l % 3); },
      [](auto& r, int l) { Brighten(r, 40 * l); },
      [](auto& r, int l) { Contrast(r, -26 * l); },
      [](auto& r, int) { Invert(r); },
      [](auto& r, int) { GrayScale(r); },
      [](auto& r, int l) { EXPECT_TRUE(Blur(r, l)); },
      [](auto& r, int l) { EXPECT_TRUE(Sharpen(r, l)); },
      [](auto& r, int l) { EXPECT_TRUE(Emboss(r, l)); },
      [](auto& r, int l) { Mosaic(r, l); },
      [&](auto& r, int l) { RandomPattern(r, l, random); },
      [&](auto& r, int l) {
        for (int scatter = 0; scatter <= 4; ++scatter) EXPECT_TRUE(Tile(r, l, scatter, 0xABCDEF, random));
      },
      [](auto& r, int) { FlipHorizontal(r); },
      [](auto& r, int) { FlipVertical(r); },
      [&](auto& r, int l) {
        for (int m = 0; m < kBlendMethodCount; ++m)
          OverlayBlend(OverlayRegion(*r.picture, l % 2 ? overlay : *r.picture, selection), BlendMethod(m));
      },
  };
  uint32_t seed = 0;
  for (int bits : {24, 8, 16})
    for (auto [w, h] : {std::pair{1, 1}, {1, 9}, {9, 1}, {2, 3}, {13, 11}, {30, 26}})
      for (const PictureRect& s : {PictureRect{0, 0, 0, 0},
                                   {-5, -5, 100, 100},
                                   {1, 1, 2, 2},
                                   {0, 0, 1, 30},
                                   {3, -2, 9, 4},
                                   {7, 5, 60, 40},
                                   {-9, 8, 12, 11},
                                   {40, 20, 41, 26}})
        for (size_t k = 0; k < std::size(passes); ++k)
          for (int level = 1; level <= 4; ++level) {
            DibImage pic;
            pic.Create(w, h, bits);
            for (uint8_t* p = pic.PixelBits(); p != pic.block().data() + pic.block().size(); ++p) *p = uint8_t(++seed);
            const DibImage before = test::Copy(pic);
            selection = s;
            const EffectRegion region(pic, s);
            const std::vector<uint8_t> outside = Outside(pic, region);
            passes[k](region, level);
            EXPECT_EQ(Outside(pic, region), outside) << "pass " << k << " level " << level << " " << w << "x" << h;
            if (bits == 16) {
              EXPECT_EQ(pic.block(), before.block()) << "pass " << k << ": 16-bit pictures stay";
            }
          }

  // A region made before the picture changed size is refused.
  DibImage pic = test::Noise24(20, 10, 1);
  const EffectRegion region(pic);
  ASSERT_TRUE(Rotate(pic, 1));
  const DibImage turned = test::Copy(pic);
  Invert(region);
  EXPECT_TRUE(Blur(region, 2));
  EXPECT_EQ(pic.block(), turned.block());
}

}  // namespace
}  // namespace lumora
