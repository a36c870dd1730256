// The overlay blend: the seven methods' worked values, nearest-sample
// stretching over the region, 8-bit pictures and overlays, an empty overlay.
#include "editor/effects/Passes.h"

#include <gtest/gtest.h>

#include "tests/editor/effects/EffectTestPictures.h"

namespace lumora {
namespace {

using test::At;
using test::Bgr;
using test::Grey;

// One picture pixel (b) blended with one overlay pixel (o), per channel.
Bgr BlendOne(BlendMethod m, Bgr b, Bgr o) {
  DibImage pic = test::Flat24(1, 1, b);
  DibImage over = test::Flat24(1, 1, o);
  OverlayBlend(OverlayRegion(pic, over), m);
  return At(pic, 0, 0);
}

TEST(OverlayBlend, TheSevenMethods) {
  const Bgr b{0, 255, 255}, o{0, 0, 255};
  EXPECT_EQ(BlendOne(BlendMethod::Paste, b, o), o);
  EXPECT_EQ(BlendOne(BlendMethod::Screen, b, o), (Bgr{1, 255, 255})) << "255 - (65025 >> 8)";
  EXPECT_EQ(BlendOne(BlendMethod::Blend, Bgr{0, 255, 100}, Bgr{255, 0, 100}), (Bgr{99, 155, 100}))
      << "255 + (-25500 >> 8) floors to 155";
  EXPECT_EQ(BlendOne(BlendMethod::Lighten, Bgr{10, 200, 5}, Bgr{20, 100, 5}), (Bgr{20, 200, 5}));
  EXPECT_EQ(BlendOne(BlendMethod::Darken, Bgr{10, 200, 5}, Bgr{20, 100, 5}), (Bgr{10, 100, 5}));
  EXPECT_EQ(BlendOne(BlendMethod::Difference, Bgr{10, 200, 5}, Bgr{20, 100, 5}), (Bgr{10, 100, 0}));
  EXPECT_EQ(BlendOne(BlendMethod::Multiply, Bgr{255, 128, 0}, Bgr{255, 128, 9}), (Bgr{254, 64, 0}));
  EXPECT_EQ(BlendOne(BlendMethod(7), b, o), b) << "no such method";
}

TEST(OverlayBlend, TheOverlayIsStretchedOverTheRegionByNearestSample) {
  DibImage pic = test::Flat24(104, 53, {1, 1, 1});
  DibImage over = test::Picture24(10, 10, [](int x, int y) { return Bgr{x, y, 50}; });
  int units = 0;
  OverlayBlend(OverlayRegion(pic, over, PictureRect{2, 3, 102, 53}), BlendMethod::Paste,
               PassProgress([&](int n) { units += n; }));
  EXPECT_EQ(units, 50);
  for (int y = 0; y < 53; ++y)
    for (int x = 0; x < 104; ++x) {
      const bool inside = x >= 2 && x < 102 && y >= 3;
      EXPECT_EQ(At(pic, x, y), (inside ? Bgr{(x - 2) / 10, (y - 3) / 5, 50} : Bgr{1, 1, 1})) << x << "," << y;
    }
}

TEST(OverlayBlend, EmptyOverlaysAndEightBitPictures) {
  DibImage pic = test::Noise24(6, 4, 2);
  const DibImage before = test::Copy(pic);
  DibImage empty;
  int units = 0;
  OverlayBlend(OverlayRegion(pic, empty), BlendMethod::Paste, PassProgress([&](int n) { units += n; }));
  EXPECT_EQ(pic.block(), before.block());
  EXPECT_EQ(units, 0);

  // An 8-bit picture blends its grey level with the overlay's luminance.
  DibImage grey = test::Picture8(2, 1, [](int, int) { return 100; });
  DibImage red = test::Flat24(1, 1, {0, 0, 255});
  OverlayBlend(OverlayRegion(grey, red), BlendMethod::Paste);
  EXPECT_EQ(Grey(grey, 0, 0), 76) << "0.299 x 255 rounded";
  OverlayBlend(OverlayRegion(grey, red), BlendMethod::Lighten);
  EXPECT_EQ(Grey(grey, 1, 0), 76);

  // An 8-bit overlay is sampled through its colour table.
  DibImage paletted = test::Picture8(2, 1, [](int x, int) { return x ? 3 : 200; });
  uint8_t* table = paletted.block().data() + 40;
  table[4 * 3] = 9, table[4 * 3 + 1] = 8, table[4 * 3 + 2] = 7;
  DibImage target = test::Flat24(4, 1, {0, 0, 0});
  OverlayBlend(OverlayRegion(target, paletted), BlendMethod::Paste);
  EXPECT_EQ(At(target, 0, 0), (Bgr{200, 200, 200}));
  EXPECT_EQ(At(target, 3, 0), (Bgr{9, 8, 7}));
}

}  // namespace
}  // namespace lumora
