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
  int total = -1, position = 0;

  explicit Editor(const DibImage& pic) { displayed.Assign(pic); }
  void Apply(uint32_t background = 0) {
    EffectProgress bar{[this](int t) { total = t, position = 0; }, [this](int p) { position = p; }};
    ASSERT_TRUE(ApplyEffects({displayed, base, overlay}, levels, selection, background, random, bar));
  }
};

TEST(ClassicRandom, ReproducesTheClassicSequence) {
  ClassicRandom r;
  for (int expected : {41, 18467, 6334, 26500, 19169}) EXPECT_EQ(r.Next(), expected);
  r.Seed(1);
  EXPECT_EQ(r.Next(), 41);
  EXPECT_EQ(&ProgramRandom(), &ProgramRandom());
}

TEST(EffectLevels, LimitsStepsAndTheTileCoupling) {
  EffectLevels l;
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(RaiseLevel(l, Level::Brightness));
  EXPECT_EQ(l.brightness, 100);
  l.modified = false;
  EXPECT_FALSE(RaiseLevel(l, Level::Brightness)) << "a sixth click does nothing";
  EXPECT_FALSE(l.modified);
  EXPECT_TRUE(LowerLevel(l, Level::Red));
  EXPECT_EQ(l.red, -50);
  EXPECT_TRUE(l.modified);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(LowerLevel(l, Level::Red));
  EXPECT_FALSE(LowerLevel(l, Level::Red));
  EXPECT_EQ(l.red, -250);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(RaiseLevel(l, Level::Blur));
  EXPECT_FALSE(RaiseLevel(l, Level::Blur));
  EXPECT_FALSE(LowerLevel(l, Level::Scatter));
  EXPECT_TRUE(RaiseLevel(l, Level::Scatter)) << "scatter without a tile size brings the tile size to 1";
  EXPECT_EQ(l.tileSize, 1);
  EXPECT_EQ(l.scatter, 1);
  EXPECT_TRUE(LowerLevel(l, Level::TileSize)) << "tile size 1 -> 0 clears the scatter";
  EXPECT_EQ(l.scatter, 0);

  l.regionSelect = true;
  l.selection = {1, 2, 30, 40};
  RotateQuarter(l, -1);
  EXPECT_EQ(l.rotation, -1);
  EXPECT_FALSE(l.regionSelect || !l.selection.empty()) << "a rotation ends region-select mode";
  EXPECT_FALSE(ChooseBlendMethod(l, 4)) << "no overlay: nothing to recompute";
  EXPECT_FALSE(ChooseBlendMethod(l, 7));
  MarkOverlayLoaded(l);
  EXPECT_TRUE(ChooseBlendMethod(l, 6));
  EXPECT_TRUE(UnloadOverlay(l));
  EXPECT_FALSE(UnloadOverlay(l));
  SwitchToggle(l, Toggle::Invert);
  ResetEffects(l);
  EXPECT_FALSE(l.brightness || l.rotation || l.invert || l.modified || l.effectBaseTaken || l.overlayLoaded);
  EXPECT_EQ(l.blendMethod, 6) << "the method list keeps its entry";
}

TEST(SelectionToPicture, ZoomCentringAndClipping) {
  const ViewGeometry view{1.0f, 300, 150};  // a 100 x 50 picture sits at (100, 50)
  auto rect = [](PictureRect r) { return std::vector<int>{r.left, r.top, r.right, r.bottom}; };
  EXPECT_EQ(rect(SelectionToPicture({110, 60, 150, 80}, view, 100, 50)), (std::vector<int>{10, 10, 50, 30}));
  EXPECT_EQ(rect(SelectionToPicture({50, 20, 250, 120}, view, 100, 50)), (std::vector<int>{0, 0, 100, 50}));
  EXPECT_TRUE(SelectionToPicture({0, 0, 40, 40}, view, 100, 50).empty()) << "beside the picture";
  EXPECT_EQ(rect(SelectionToPicture({11, 21, 51, 31}, {2.0f, 100, 100}, 400, 400)), (std::vector<int>{5, 10, 25, 15}));
  EffectLevels l;
  l.selection = {110, 60, 150, 80};
  EXPECT_FALSE(EffectSelection(l, view, 100, 50).has_value()) << "region-select mode is off";
  l.regionSelect = true;
  EXPECT_EQ(EffectSelection(l, view, 100, 50)->right, 50);
}

TEST(ApplyEffects, ProgressTotals) {
  EffectLevels l;
  l.flipVertical = true;
  EXPECT_EQ(ProgressTotal(l, 40, 101, std::nullopt), 50) << "half a unit per row";
  l.red = 50, l.invert = true;
  EXPECT_EQ(ProgressTotal(l, 40, 101, std::nullopt), 252);
  l = {};
  l.tileSize = 2, l.mosaic = 2;
  EXPECT_EQ(ProgressTotal(l, 40, 100, std::nullopt), 200 + 100 / 5 + 1);
  l = {};
  l.rotation = -3;
  EXPECT_EQ(ProgressTotal(l, 40, 100, std::nullopt), 40) << "the turned picture has 40 rows";
  l.rotation = 2, l.overlayLoaded = true, l.blur = 1;
  EXPECT_EQ(ProgressTotal(l, 40, 100, PictureRect{0, 10, 40, 30}), 2 * 20 + 100) << "region rows; rotation: all";
  EXPECT_EQ(ProgressTotal(l, 40, 100, PictureRect{50, 10, 60, 30}), 100) << "a selection holding no pixel";

  Editor e(test::Noise24(30, 20, 1));
  e.levels.flipHorizontal = e.levels.greyScale = true;
  e.levels.green = 50;
  e.Apply();
  EXPECT_EQ(e.total, 60);
  EXPECT_EQ(e.position, 60) << "passes of one unit per row fill the bar exactly";
}

TEST(ApplyEffects, TheEffectBaseIsTakenOnceAndRestoredExactly) {
  const DibImage original = test::Picture24(2, 1, [](int x, int) { return x ? Bgr{230, 228, 28} : Bgr{100, 90, 80}; });
  Editor e(original);
  RaiseLevel(e.levels, Level::Brightness);
  e.Apply();
  EXPECT_TRUE(e.levels.effectBaseTaken);
  EXPECT_EQ(e.base.block(), original.block());
  EXPECT_EQ(At(e.displayed, 0, 0), (Bgr{140, 130, 120})) << "level 20 adds 40";
  LowerLevel(e.levels, Level::Brightness);
  RaiseLevel(e.levels, Level::Contrast);
  e.Apply();
  EXPECT_EQ(At(e.displayed, 1, 0), (Bgr{251, 248, 9})) << "contrast 20 reaches the pass as 26";

  const DibImage noise = test::Noise24(31, 23, 5);
  Editor n(noise);
  for (Toggle t : {Toggle::SwapRedGreen, Toggle::SwapGreenBlue, Toggle::SwapRedBlue, Toggle::Invert,
                   Toggle::FlipHorizontal, Toggle::FlipVertical}) {
    SwitchToggle(n.levels, t);
    n.Apply();
    EXPECT_NE(n.displayed.block(), noise.block());
    SwitchToggle(n.levels, t);
    n.Apply();
    EXPECT_EQ(n.displayed.block(), noise.block()) << "toggle " << int(t) << " twice";
  }
  for (Level level : {Level::Blur, Level::Emboss, Level::Mosaic, Level::RandomPattern, Level::TileSize}) {
    RaiseLevel(n.levels, level);
    n.Apply();
    EXPECT_NE(n.displayed.block(), noise.block());
    LowerLevel(n.levels, level);
    n.Apply();
    EXPECT_EQ(n.displayed.block(), noise.block()) << "level " << int(level) << " back to 0";
  }
  for (int i = 0; i < 4; ++i) RotateQuarter(n.levels, 1), n.Apply();
  EXPECT_EQ(n.displayed.block(), noise.block()) << "four quarter turns";
}

TEST(ApplyEffects, PassesRunInTheirFixedOrderWithTheirValues) {
  const DibImage original = test::Noise24(26, 19, 9);
  Editor e(original);
  EffectLevels& l = e.levels;
  l.red = 100, l.swapRedBlue = true, l.brightness = -20, l.contrast = 60, l.blur = 1, l.invert = true;
  l.flipVertical = true, l.randomPattern = 2, l.mosaic = 1, l.tileSize = 1, l.scatter = 3, l.rotation = 1;
  e.random.Seed(5);
  e.selection = PictureRect{2, 3, 24, 17};
  e.Apply(0x00FF00);

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
}

TEST(ApplyEffects, TheSelectionConfinesEverythingButTheRotation) {
  DibImage original = test::Noise24(12, 10, 3);
  Editor e(original);
  e.levels.invert = true;
  e.selection = PictureRect{20, 0, 30, 10};  // beside the picture: no pixel
  e.Apply();
  EXPECT_EQ(e.displayed.block(), original.block());
  e.selection = PictureRect{2, 2, 5, 6};
  e.levels.rotation = 2;
  e.Apply();
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x) {
      const Bgr o = At(original, x, y);
      const bool inside = x >= 2 && x < 5 && y >= 2 && y < 6;
      EXPECT_EQ(At(e.displayed, 11 - x, 9 - y), (inside ? Bgr{255 - o.b, 255 - o.g, 255 - o.r} : o));
    }
}

}  // namespace
}  // namespace lumora
