// The point passes and the overlay blend: worked values, clamping only at the
// store, what 8-bit pictures do, nearest-sample stretching of the overlay.
#include "editor/effects/Passes.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "tests/editor/effects/EffectTestPictures.h"

namespace lumora {
namespace {

using test::At;
using test::Bgr;
using test::Grey;

// One pixel through one pass.
template <typename Pass>
Bgr One(Bgr in, Pass pass) {
  DibImage pic = test::Flat24(1, 1, in);
  pass(EffectRegion(pic));
  return At(pic, 0, 0);
}

TEST(ColourPasses, WorkedValuesAndClamps) {
  // Brightness level 20 reaches the pass as 40, contrast 20 as 26, -100 as -130.
  EXPECT_EQ(One({100, 230, 20}, [](auto r) { Brighten(r, 40); }), (Bgr{140, 255, 60}));
  EXPECT_EQ(One({100, 230, 20}, [](auto r) { Brighten(r, -200); }), (Bgr{0, 30, 0}));
  EXPECT_EQ(One({228, 28, 128}, [](auto r) { Contrast(r, 26); }), (Bgr{248, 9, 128}));
  // 0 + trunc(130.5); 255 + trunc(-128.984375 + 0.5): not an integer division.
  EXPECT_EQ(One({0, 255, 127}, [](auto r) { Contrast(r, -130); }), (Bgr{130, 127, 128}));
  EXPECT_EQ(One({7, 8, 10}, [](auto r) { AdjustChannels(r, 250, 0, 0); }), (Bgr{7, 8, 255}));
  EXPECT_EQ(One({7, 8, 240}, [](auto r) { AdjustChannels(r, -250, 0, 0); }), (Bgr{7, 8, 0}));
  EXPECT_EQ(One({100, 100, 100}, [](auto r) { AdjustChannels(r, 50, -150, 200); }), (Bgr{255, 0, 150}));
  EXPECT_EQ(One({10, 20, 40}, [](auto r) { GrayScale(r); }), (Bgr{23, 23, 23}));
  EXPECT_EQ(One({10, 20, 40}, [](auto r) { Invert(r); }), (Bgr{245, 235, 215}));
  EXPECT_EQ(One({1, 2, 3}, [](auto r) { SwapChannels(r, kSwapRedGreen); }), (Bgr{1, 3, 2}));
  EXPECT_EQ(One({1, 2, 3}, [](auto r) { SwapChannels(r, kSwapGreenBlue); }), (Bgr{2, 1, 3}));
  EXPECT_EQ(One({1, 2, 3}, [](auto r) { SwapChannels(r, kSwapRedBlue); }), (Bgr{3, 2, 1}));
  EXPECT_EQ(One({1, 2, 3}, [](auto r) { SwapChannels(r, 3); }), (Bgr{1, 2, 3})) << "no such kind";
}

TEST(ColourPasses, ContrastOfEveryValue) {
  // All 256 values, then some again: whole groups of values and the row's end.
  for (int amount : {-1000, -255, -130, -26, 26, 104, 130, 255, 300}) {
    DibImage pic = test::Picture8(263, 1, [](int x, int) { return x % 256; });
    Contrast(EffectRegion(pic), amount);
    for (int x = 0; x < 263; ++x) {
      const int c = x % 256;
      EXPECT_EQ(Grey(pic, x, 0), StoreChannel(c + int(amount * (c - 128) / 128.0 + 0.5))) << amount << " on " << c;
    }
  }
}

TEST(ColourPasses, GreyScaleOfEveryChannelSum) {
  // Sums 0..765 along a row, so that whole groups of pixels and the row's end both occur.
  auto split = [](int s) { return Bgr{std::min(s, 255), std::clamp(s - 255, 0, 255), std::max(s - 510, 0)}; };
  DibImage pic = test::Picture24(766, 1, [&](int x, int) { return split(x); });
  GrayScale(EffectRegion(pic));
  for (int s = 0; s <= 765; ++s) EXPECT_EQ(At(pic, s, 0), (Bgr{s / 3, s / 3, s / 3})) << "sum " << s;
}

TEST(ColourPasses, EightBitPicturesChangeOnlyUnderBrightnessContrastAndInvert) {
  const DibImage original = test::Noise8(5, 4, 7);
  int units = 0;
  const PassProgress count([&](int n) { units += n; });
  for (auto pass : {+[](const EffectRegion&r, const PassProgress&p) { AdjustChannels(r, 100, -100, 50, p); },
                    +[](const EffectRegion&r, const PassProgress&p) { SwapChannels(r, kSwapRedBlue, p); },
                    +[](const EffectRegion&r, const PassProgress&p) { GrayScale(r, p); }}) {
    DibImage pic = test::Copy(original);
    pass(EffectRegion(pic), count);
    EXPECT_EQ(pic.block(), original.block());
  }
  EXPECT_EQ(units, 0) << "a pass with nothing to do reports nothing";

  DibImage grey = test::Picture8(3, 1, [](int x, int) { return x * 100; });
  Brighten(EffectRegion(grey), 80);  // 80, 180, 255
  EXPECT_EQ(Grey(grey, 2, 0), 255);
  Contrast(EffectRegion(grey), 26);  // 80 - 9, 180 + 11
  EXPECT_EQ(Grey(grey, 0, 0), 71);
  EXPECT_EQ(Grey(grey, 1, 0), 191);
  Invert(EffectRegion(grey));
  EXPECT_EQ(Grey(grey, 0, 0), 184);
  EXPECT_EQ(grey.block()[40 + 4 * 9], 9) << "the colour table is not touched";
}

Bgr BlendOne(BlendMethod m, Bgr b, Bgr o) {
  DibImage over = test::Flat24(1, 1, o);
  return One(b, [&](const EffectRegion& r) { OverlayBlend(OverlayRegion(*r.picture, over), m); });
}

TEST(OverlayBlend, TheSevenMethods) {
  EXPECT_EQ(BlendOne(BlendMethod::Paste, {0, 255, 9}, {0, 0, 255}), (Bgr{0, 0, 255}));
  EXPECT_EQ(BlendOne(BlendMethod::Screen, {0, 255, 255}, {0, 0, 255}), (Bgr{1, 255, 255})) << "255 - (65025 >> 8)";
  EXPECT_EQ(BlendOne(BlendMethod::Blend, {0, 255, 100}, {255, 0, 100}), (Bgr{99, 155, 100})) << "-25500 >> 8 floors";
  EXPECT_EQ(BlendOne(BlendMethod::Lighten, {10, 200, 5}, {20, 100, 5}), (Bgr{20, 200, 5}));
  EXPECT_EQ(BlendOne(BlendMethod::Darken, {10, 200, 5}, {20, 100, 5}), (Bgr{10, 100, 5}));
  EXPECT_EQ(BlendOne(BlendMethod::Difference, {10, 200, 5}, {20, 100, 5}), (Bgr{10, 100, 0}));
  EXPECT_EQ(BlendOne(BlendMethod::Multiply, {255, 128, 0}, {255, 128, 9}), (Bgr{254, 64, 0}));
  EXPECT_EQ(BlendOne(BlendMethod(7), {1, 2, 3}, {0, 0, 0}), (Bgr{1, 2, 3})) << "no such method";
}

TEST(OverlayBlend, TheOverlayIsStretchedOverTheRegionByNearestSample) {
  DibImage pic = test::Flat24(104, 53, {1, 1, 1});
  DibImage over = test::Picture24(10, 10, [](int x, int y) { return Bgr{x, y, 50}; });
  int units = 0;
  OverlayBlend(OverlayRegion(pic, over, PictureRect{2, 3, 102, 53}), BlendMethod::Paste,
               PassProgress([&](int n) { units += n; }));
  EXPECT_EQ(units, 50);
  for (int y = 0; y < 53; ++y)
    for (int x = 0; x < 104; ++x)
      EXPECT_EQ(At(pic, x, y), (x >= 2 && x < 102 && y >= 3 ? Bgr{(x - 2) / 10, (y - 3) / 5, 50} : Bgr{1, 1, 1}));
}

TEST(OverlayBlend, EmptyOverlaysAndEightBitPictures) {
  DibImage pic = test::Noise24(6, 4, 2), empty;
  const DibImage before = test::Copy(pic);
  OverlayBlend(OverlayRegion(pic, empty), BlendMethod::Paste);
  EXPECT_EQ(pic.block(), before.block());

  // An 8-bit picture blends its grey level with the overlay's luminance.
  DibImage grey = test::Picture8(2, 1, [](int, int) { return 100; }), red = test::Flat24(1, 1, {0, 0, 255});
  OverlayBlend(OverlayRegion(grey, red), BlendMethod::Paste);
  EXPECT_EQ(test::Grey(grey, 0, 0), 76) << "0.299 x 255, rounded";

  // An 8-bit overlay is sampled through its colour table.
  DibImage paletted = test::Picture8(2, 1, [](int x, int) { return x ? 3 : 200; });
  uint8_t* entry = paletted.block().data() + 40 + 4 * 3;
  entry[0] = 9, entry[1] = 8, entry[2] = 7;
  DibImage target = test::Flat24(4, 1, {0, 0, 0});
  OverlayBlend(OverlayRegion(target, paletted), BlendMethod::Paste);
  EXPECT_EQ(At(target, 0, 0), (Bgr{200, 200, 200}));
  EXPECT_EQ(At(target, 3, 0), (Bgr{9, 8, 7}));
}

}  // namespace
}  // namespace lumora
