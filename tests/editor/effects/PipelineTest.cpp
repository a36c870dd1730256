// The recomputation pipeline and the editor's level rules: the effect base,
// the values each pass receives, the fixed order, the progress total, the
// selection in picture coordinates, limits, steps and the tile coupling.
#include "editor/effects/ApplyEffects.h"

#include <gtest/gtest.h>

#include "editor/effects/Passes.h"
#include "editor/effects/Selection.h"
#include "tests/editor/effects/EffectTestPictures.h"

namespace lumora {
namespace {

using test::At;
using test::Bgr;

// The editor's pictures and state around one displayed picture.
struct Editor {
  DibImage displayed, base, overlay;
  EffectLevels levels;
  ClassicRandom random;
  std::optional<PictureRect> selection;
  uint32_t background = 0;
  int total = -1, position = 0;

  explicit Editor(DibImage pic) : displayed(std::move(pic)) {}
  void Apply() {
    EffectProgress bar{[this](int t) { total = t, position = 0; }, [this](int p) { position = p; }};
    ASSERT_TRUE(ApplyEffects({displayed, base, overlay}, levels, selection, background, random, bar));
  }
};

TEST(ClassicRandom, ReproducesTheClassicSequence) {
  ClassicRandom r;
  for (int expected : {41, 18467, 6334, 26500, 19169}) EXPECT_EQ(r.Next(), expected);
  r.Seed(1);
  EXPECT_EQ(r.Next(), 41);
  r.Seed(0xFFFFFFFF);
  EXPECT_EQ(r.state(), 0xFFFFFFFFu);
  EXPECT_EQ(r.Next(), int(((0xFFFFFFFFu * 214013u + 2531011u) >> 16) & 0x7FFF));
  EXPECT_EQ(&ProgramRandom(), &ProgramRandom());
}

TEST(EffectLevels, LimitsStepsAndTheTileCoupling) {
  EffectLevels l;
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(RaiseLevel(l, Level::Brightness));
  EXPECT_EQ(l.brightness, 100);
  EXPECT_TRUE(l.modified);
  l.modified = false;
  EXPECT_FALSE(RaiseLevel(l, Level::Brightness)) << "a sixth click does nothing";
  EXPECT_EQ(l.brightness, 100);
  EXPECT_FALSE(l.modified);
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(LowerLevel(l, Level::Contrast) || i >= 5);
  EXPECT_EQ(l.contrast, -100);
  EXPECT_TRUE(LowerLevel(l, Level::Red));
  EXPECT_EQ(l.red, -50);
  for (int i = 0; i < 4; ++i) LowerLevel(l, Level::Red);
  EXPECT_FALSE(LowerLevel(l, Level::Red));
  EXPECT_EQ(l.red, -250);
  EXPECT_FALSE(LowerLevel(l, Level::Blur));
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(RaiseLevel(l, Level::Blur));
  EXPECT_FALSE(RaiseLevel(l, Level::Blur));
  EXPECT_EQ(l.blur, 4);

  // Scatter without a tile size brings the tile size to 1 first.
  EXPECT_FALSE(LowerLevel(l, Level::Scatter));
  EXPECT_EQ(l.tileSize, 0);
  EXPECT_TRUE(RaiseLevel(l, Level::Scatter));
  EXPECT_EQ(l.tileSize, 1);
  EXPECT_EQ(l.scatter, 1);
  EXPECT_TRUE(RaiseLevel(l, Level::Scatter));
  EXPECT_TRUE(LowerLevel(l, Level::TileSize)) << "tile size 1 -> 0 clears the scatter";
  EXPECT_EQ(l.tileSize, 0);
  EXPECT_EQ(l.scatter, 0);

  l.regionSelect = true;
  l.selection = {1, 2, 30, 40};
  RotateQuarter(l, -1);
  EXPECT_EQ(l.rotation, -1);
  EXPECT_FALSE(l.regionSelect);
  EXPECT_TRUE(l.selection.empty());

  EXPECT_FALSE(ChooseBlendMethod(l, 4)) << "no overlay: nothing to recompute";
  EXPECT_EQ(l.blendMethod, 4);
  EXPECT_FALSE(ChooseBlendMethod(l, 7));
  MarkOverlayLoaded(l);
  EXPECT_TRUE(ChooseBlendMethod(l, 6));
  EXPECT_TRUE(UnloadOverlay(l));
  EXPECT_FALSE(UnloadOverlay(l));

  SwitchToggle(l, Toggle::Invert);
  EXPECT_TRUE(l.invert);
  ResetEffects(l);
  EXPECT_EQ(l.brightness, 0);
  EXPECT_EQ(l.rotation, 0);
  EXPECT_FALSE(l.invert || l.modified || l.effectBaseTaken || l.overlayLoaded);
  EXPECT_EQ(l.blendMethod, 6) << "the method list keeps its entry";
}

TEST(SelectionToPicture, ZoomCentringAndClipping) {
  // A 100 x 50 picture at zoom 1 in a 300 x 150 client: offset (100, 50).
  const ViewGeometry view{1.0f, 300, 150};
  PictureRect r = SelectionToPicture({110, 60, 150, 80}, view, 100, 50);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 10);
  EXPECT_EQ(r.right, 50);
  EXPECT_EQ(r.bottom, 30);
  r = SelectionToPicture({50, 20, 250, 120}, view, 100, 50);
  EXPECT_EQ(r.left, 0) << "raised to 0";
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, 100) << "lowered to the width";
  EXPECT_EQ(r.bottom, 50);
  r = SelectionToPicture({0, 0, 40, 40}, view, 100, 50);
  EXPECT_TRUE(r.empty()) << "a selection beside the picture holds no pixel";

  // Zoom factor 2 on a picture larger than the client: no offset.
  r = SelectionToPicture({11, 21, 51, 31}, ViewGeometry{2.0f, 100, 100}, 400, 400);
  EXPECT_EQ(r.left, 5);
  EXPECT_EQ(r.top, 10);
  EXPECT_EQ(r.right, 25);
  EXPECT_EQ(r.bottom, 15);

  EffectLevels l;
  l.selection = {110, 60, 150, 80};
  EXPECT_FALSE(EffectSelection(l, view, 100, 50).has_value()) << "region-select mode is off";
  l.regionSelect = true;
  EXPECT_EQ(EffectSelection(l, view, 100, 50)->right, 50);
}

TEST(ApplyEffects, ProgressTotals) {
  EffectLevels l;
  EXPECT_EQ(ProgressTotal(l, 40, 101, std::nullopt), 0);
  l.flipVertical = true;
  EXPECT_EQ(ProgressTotal(l, 40, 101, std::nullopt), 50) << "half a unit per row";
  l.red = 50;
  l.invert = true;
  EXPECT_EQ(ProgressTotal(l, 40, 101, std::nullopt), 252);
  l = {};
  l.tileSize = 2;
  l.mosaic = 2;
  EXPECT_EQ(ProgressTotal(l, 40, 100, std::nullopt), 200 + 100 / 5 + 1);
  l = {};
  l.rotation = -3;
  EXPECT_EQ(ProgressTotal(l, 40, 100, std::nullopt), 40) << "the turned picture has 40 rows";
  l.rotation = 2;
  EXPECT_EQ(ProgressTotal(l, 40, 100, std::nullopt), 100);
  l.overlayLoaded = true;
  l.blur = 1;
  EXPECT_EQ(ProgressTotal(l, 40, 100, PictureRect{0, 10, 40, 30}), 2 * 20 + 100) << "region rows; rotation: all";
  EXPECT_EQ(ProgressTotal(l, 40, 100, PictureRect{50, 10, 60, 30}), 100) << "a selection holding no pixel";

  // Passes reporting one unit per region row fill the bar exactly.
  Editor e(test::Noise24(30, 20, 1));
  SwitchToggle(e.levels, Toggle::FlipHorizontal);
  RaiseLevel(e.levels, Level::Green);
  SwitchToggle(e.levels, Toggle::GreyScale);
  e.Apply();
  EXPECT_EQ(e.total, 60);
  EXPECT_EQ(e.position, 60);
}

TEST(ApplyEffects, WorkedValuesAndTheEffectBase) {
  const DibImage original = test::Picture24(2, 1, [](int x, int) {
    return x ? Bgr{230, 228, 28} : Bgr{100, 100, 100};
  });
  Editor e(test::Copy(original));
  RaiseLevel(e.levels, Level::Brightness);
  e.Apply();
  EXPECT_TRUE(e.levels.effectBaseTaken);
  EXPECT_EQ(e.base.block(), original.block());
  EXPECT_EQ(At(e.displayed, 0, 0), (Bgr{140, 140, 140}));
  EXPECT_EQ(At(e.displayed, 1, 0), (Bgr{255, 255, 68}));

  LowerLevel(e.levels, Level::Brightness);
  RaiseLevel(e.levels, Level::Contrast);
  e.Apply();
  EXPECT_EQ(At(e.displayed, 1, 0), (Bgr{251, 248, 9})) << "contrast 20 reaches the pass as 26";

  LowerLevel(e.levels, Level::Contrast);
  e.Apply();
  EXPECT_EQ(e.displayed.block(), original.block()) << "every level back at 0 restores the base";
}

TEST(ApplyEffects, TogglesTwiceAndLevelsBackToZeroRestoreTheBase) {
  const DibImage original = test::Noise24(31, 23, 5);
  Editor e(test::Copy(original));
  const Toggle toggles[] = {Toggle::SwapRedGreen, Toggle::SwapGreenBlue,  Toggle::SwapRedBlue,
                            Toggle::Invert,       Toggle::FlipHorizontal, Toggle::FlipVertical};
  for (Toggle t : toggles) {
    SwitchToggle(e.levels, t);
    e.Apply();
    EXPECT_NE(e.displayed.block(), original.block());
    SwitchToggle(e.levels, t);
    e.Apply();
    EXPECT_EQ(e.displayed.block(), original.block()) << int(t);
  }
  for (Level level : {Level::Blur, Level::Sharpen, Level::Emboss, Level::Mosaic, Level::RandomPattern, Level::TileSize,
                      Level::Red, Level::Brightness}) {
    RaiseLevel(e.levels, level);
    RaiseLevel(e.levels, level);
    e.Apply();
    EXPECT_NE(e.displayed.block(), original.block());
    LowerLevel(e.levels, level);
    LowerLevel(e.levels, level);
    e.Apply();
    EXPECT_EQ(e.displayed.block(), original.block()) << int(level);
  }
  for (int i = 0; i < 4; ++i) {
    RotateQuarter(e.levels, 1);
    e.Apply();
  }
  EXPECT_EQ(e.displayed.block(), original.block()) << "four quarter turns";
}

TEST(ApplyEffects, PassesRunInTheirFixedOrderWithTheirValues) {
  const DibImage original = test::Noise24(26, 19, 9);
  Editor e(test::Copy(original));
  e.levels.red = 100;
  e.levels.swapRedBlue = true;
  e.levels.brightness = -20;
  e.levels.contrast = 60;
  e.levels.blur = 1;
  e.levels.invert = true;
  e.levels.flipVertical = true;
  e.levels.randomPattern = 2;
  e.levels.mosaic = 1;
  e.levels.tileSize = 1;
  e.levels.scatter = 3;
  e.levels.rotation = 1;
  e.background = 0x00FF00;
  e.random.Seed(5);
  e.selection = PictureRect{2, 3, 24, 17};
  e.Apply();

  DibImage expected = test::Copy(original);
  ClassicRandom random;
  random.Seed(5);
  const EffectRegion region(expected, e.selection);
  AdjustChannels(region, 100, 0, 0);
  SwapChannels(region, kSwapRedBlue);
  Brighten(region, -40);
  Contrast(region, 78);
  ASSERT_TRUE(Blur(region, 1));
  Invert(region);
  FlipVertical(region);
  RandomPattern(region, 2, random);
  Mosaic(region, 1);
  ASSERT_TRUE(Tile(region, 1, 3, 0x00FF00, random));
  ASSERT_TRUE(Rotate(expected, 1));
  EXPECT_EQ(e.displayed.block(), expected.block());
  EXPECT_EQ(e.random.state(), random.state());
  EXPECT_EQ(e.displayed.width(), 19);
}

TEST(ApplyEffects, TheSelectionConfinesEverythingButTheRotation) {
  DibImage original = test::Noise24(12, 10, 3);
  Editor e(test::Copy(original));
  e.levels.invert = true;
  e.selection = PictureRect{20, 0, 30, 10};  // beside the picture: no pixel
  e.Apply();
  EXPECT_EQ(e.displayed.block(), original.block());

  e.selection = PictureRect{2, 2, 5, 6};
  e.Apply();
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x) {
      const bool inside = x >= 2 && x < 5 && y >= 2 && y < 6;
      const Bgr o = At(original, x, y);
      EXPECT_EQ(At(e.displayed, x, y), (inside ? Bgr{255 - o.b, 255 - o.g, 255 - o.r} : o));
    }

  e.levels.rotation = 2;
  e.Apply();
  EXPECT_EQ(At(e.displayed, 11, 9), At(original, 0, 0)) << "the half turn takes the whole picture";
  EXPECT_EQ(At(e.displayed, 9, 7).r, 255 - At(original, 2, 2).r);
}

}  // namespace
}  // namespace lumora
