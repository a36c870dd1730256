// The point passes: worked values, clamping only at the store, what 8-bit
// pictures do, and that nothing outside the region changes.
#include "editor/effects/Passes.h"

#include <gtest/gtest.h>

#include "tests/editor/effects/EffectTestPictures.h"

namespace lumora {
namespace {

using test::At;
using test::Bgr;
using test::Grey;

TEST(ColourPasses, BrightnessAndContrastWorkedValues) {
  // Brightness level 20 reaches the pass as 40.
  DibImage pic = test::Picture24(2, 1, [](int x, int) { return x ? Bgr{230, 230, 230} : Bgr{100, 100, 100}; });
  Brighten(EffectRegion(pic), 40);
  EXPECT_EQ(At(pic, 0, 0), (Bgr{140, 140, 140}));
  EXPECT_EQ(At(pic, 1, 0), (Bgr{255, 255, 255}));
  Brighten(EffectRegion(pic), -200);
  EXPECT_EQ(At(pic, 0, 0), (Bgr{0, 0, 0}));
  EXPECT_EQ(At(pic, 1, 0), (Bgr{55, 55, 55}));

  // Contrast level 20 reaches the pass as 26, -100 as -130.
  DibImage c = test::Picture24(1, 1, [](int, int) { return Bgr{228, 28, 128}; });
  Contrast(EffectRegion(c), 26);
  EXPECT_EQ(At(c, 0, 0), (Bgr{248, 9, 128}));
  DibImage ends = test::Picture24(1, 1, [](int, int) { return Bgr{0, 255, 127}; });
  Contrast(EffectRegion(ends), -130);
  // 0 + trunc(130.5); 255 + trunc(-128.984375 + 0.5): the division is not an integer one.
  EXPECT_EQ(At(ends, 0, 0), (Bgr{130, 127, 128}));
}

TEST(ColourPasses, ChannelOffsetsClampEachChannelOnItsOwn) {
  DibImage pic = test::Picture24(1, 2, [](int, int y) { return y ? Bgr{7, 8, 240} : Bgr{7, 8, 10}; });
  AdjustChannels(EffectRegion(pic), 250, 0, 0);
  EXPECT_EQ(At(pic, 0, 0), (Bgr{7, 8, 255}));
  EXPECT_EQ(At(pic, 0, 1), (Bgr{7, 8, 255}));
  AdjustChannels(EffectRegion(pic), -250, 0, 0);
  EXPECT_EQ(At(pic, 0, 0).r, 5);
  AdjustChannels(EffectRegion(pic), -250, 0, 0);
  EXPECT_EQ(At(pic, 0, 0), (Bgr{7, 8, 0}));

  DibImage mixed = test::Flat24(3, 1, {100, 100, 100});
  AdjustChannels(EffectRegion(mixed), 50, -150, 200);
  EXPECT_EQ(At(mixed, 2, 0), (Bgr{255, 0, 150}));
}

TEST(ColourPasses, SwapsInvertAndGreyScale) {
  const Bgr in{1, 2, 3};
  auto swapped = [&](int kind) {
    DibImage pic = test::Flat24(1, 1, in);
    SwapChannels(EffectRegion(pic), kind);
    return At(pic, 0, 0);
  };
  EXPECT_EQ(swapped(kSwapRedGreen), (Bgr{1, 3, 2}));
  EXPECT_EQ(swapped(kSwapGreenBlue), (Bgr{2, 1, 3}));
  EXPECT_EQ(swapped(kSwapRedBlue), (Bgr{3, 2, 1}));
  EXPECT_EQ(swapped(3), in);
  EXPECT_EQ(swapped(-1), in);

  DibImage pic = test::Picture24(2, 1, [](int x, int) { return x ? Bgr{255, 255, 254} : Bgr{10, 20, 40}; });
  Invert(EffectRegion(pic));
  EXPECT_EQ(At(pic, 0, 0), (Bgr{245, 235, 215}));
  Invert(EffectRegion(pic));
  GrayScale(EffectRegion(pic));
  EXPECT_EQ(At(pic, 0, 0), (Bgr{23, 23, 23}));
  EXPECT_EQ(At(pic, 1, 0), (Bgr{254, 254, 254})) << "764 / 3 drops the remainder";
}

TEST(ColourPasses, EightBitPicturesKeepTheirIndicesUnderChannelPasses) {
  const DibImage original = test::Noise8(5, 4, 7);
  using Pass = void (*)(const EffectRegion&, const PassProgress&);
  for (Pass pass : {+[](const EffectRegion&r, const PassProgress&p) { AdjustChannels(r, 100, -100, 50, p); },
                    +[](const EffectRegion&r, const PassProgress&p) { SwapChannels(r, kSwapRedBlue, p); },
                    +[](const EffectRegion&r, const PassProgress&p) { GrayScale(r, p); }}) {
    DibImage pic = test::Copy(original);
    int units = 0;
    pass(EffectRegion(pic), PassProgress([&](int n) { units += n; }));
    EXPECT_EQ(pic.block(), original.block());
    EXPECT_EQ(units, 0);
  }
  DibImage grey = test::Picture8(3, 1, [](int x, int) { return x * 100; });  // 0, 100, 200
  Brighten(EffectRegion(grey), 80);
  EXPECT_EQ(Grey(grey, 2, 0), 255);
  Contrast(EffectRegion(grey), 26);  // 80 -> 80 - 9, 180 -> 180 + 11
  EXPECT_EQ(Grey(grey, 0, 0), 71);
  EXPECT_EQ(Grey(grey, 1, 0), 191);
  Invert(EffectRegion(grey));
  EXPECT_EQ(Grey(grey, 0, 0), 184);
  EXPECT_EQ(grey.block()[40 + 4 * 9], 9) << "the colour table is not touched";
}

TEST(ColourPasses, OnlyTheRegionChangesAndEachRowReportsOnce) {
  DibImage original = test::Noise24(9, 7, 3);
  const PictureRect selection{2, 1, 7, 4};
  using Pass = void (*)(const EffectRegion&, const PassProgress&);
  const Pass passes[] = {
      [](const EffectRegion& r, const PassProgress& p) { AdjustChannels(r, -50, 100, 250, p); },
      [](const EffectRegion& r, const PassProgress& p) { SwapChannels(r, kSwapRedGreen, p); },
      [](const EffectRegion& r, const PassProgress& p) { Brighten(r, 40, p); },
      [](const EffectRegion& r, const PassProgress& p) { Contrast(r, -78, p); },
      [](const EffectRegion& r, const PassProgress& p) { Invert(r, p); },
      [](const EffectRegion& r, const PassProgress& p) { GrayScale(r, p); },
  };
  for (size_t k = 0; k < std::size(passes); ++k) {
    DibImage pic = test::Copy(original);
    int units = 0;
    passes[k](EffectRegion(pic, selection), PassProgress([&](int n) { units += n; }));
    EXPECT_EQ(units, 3) << "pass " << k;
    int changed = 0;
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 9; ++x) {
        const bool inside = x >= 2 && x < 7 && y >= 1 && y < 4;
        if (!inside) EXPECT_EQ(At(pic, x, y), At(original, x, y)) << "pass " << k << " at " << x << "," << y;
        changed += !(At(pic, x, y) == At(original, x, y));
      }
    EXPECT_GT(changed, 10) << "pass " << k;
  }
}

}  // namespace
}  // namespace lumora
