// The table of effect passes, the recomputation pipeline that runs it and
// the progress total it adds up.
#include "editor/effects/ApplyEffects.h"

#include <algorithm>

#include "editor/effects/Passes.h"

namespace lumora {

namespace {

// Rows of the region the passes work on: the selection clipped to the
// picture (0 when nothing of it is left), or the whole picture.
int32_t RegionRows(int32_t width, int32_t height, const std::optional<PictureRect>& selection) {
  if (!selection) return height;
  const int32_t left = std::clamp(selection->left, 0, width), right = std::clamp(selection->right, left, width);
  const int32_t top = std::clamp(selection->top, 0, height), bottom = std::clamp(selection->bottom, top, height);
  return right > left ? bottom - top : 0;
}

// Contrast's level as the pass receives it: level x 1.3, truncated.
constexpr double kContrastFactor = 1.3;

// Progress in half units: most passes report one unit per region row, flip
// vertical half a unit, the tile two; mosaic a unit per row of blocks and one
// more; the rotation a unit per row of the turned picture.
template <int Halves>
int64_t PerRow(int, const PassExtent& e) {
  return int64_t(Halves) * e.rows;
}
int64_t MosaicUnits(int level, const PassExtent& e) { return 2 * (e.rows / (2 * level + 1) + 1); }
int64_t RotationUnits(int quarterTurns, const PassExtent& e) {
  return 2 * int64_t(quarterTurns % 2 != 0 ? e.width : e.height);
}

constexpr EffectPass LevelPass(Level level, std::string_view option,
                               int64_t (*units)(int, const PassExtent&), bool (*run)(const PassInputs&, int)) {
  return {PassControl::Level, level, {}, option, units, run, false};
}
constexpr EffectPass TogglePass(Toggle toggle, std::string_view option,
                                int64_t (*units)(int, const PassExtent&), bool (*run)(const PassInputs&, int)) {
  return {PassControl::Toggle, {}, toggle, option, units, run, false};
}

// In the order the pipeline runs them.
constexpr EffectPass kPasses[] = {
    LevelPass(Level::Red, "--red", PerRow<2>,
              [](const PassInputs& in, int v) {
                AdjustChannels(in.Region(), v, 0, 0, in.report);
                return true;
              }),
    LevelPass(Level::Green, "--green", PerRow<2>,
              [](const PassInputs& in, int v) {
                AdjustChannels(in.Region(), 0, v, 0, in.report);
                return true;
              }),
    LevelPass(Level::Blue, "--blue", PerRow<2>,
              [](const PassInputs& in, int v) {
                AdjustChannels(in.Region(), 0, 0, v, in.report);
                return true;
              }),
    TogglePass(Toggle::SwapRedGreen, "--swap-rg", PerRow<2>,
               [](const PassInputs& in, int) {
                 SwapChannels(in.Region(), kSwapRedGreen, in.report);
                 return true;
               }),
    TogglePass(Toggle::SwapGreenBlue, "--swap-gb", PerRow<2>,
               [](const PassInputs& in, int) {
                 SwapChannels(in.Region(), kSwapGreenBlue, in.report);
                 return true;
               }),
    TogglePass(Toggle::SwapRedBlue, "--swap-rb", PerRow<2>,
               [](const PassInputs& in, int) {
                 SwapChannels(in.Region(), kSwapRedBlue, in.report);
                 return true;
               }),
    LevelPass(Level::Brightness, "--brightness", PerRow<2>,
              [](const PassInputs& in, int v) {
                Brighten(in.Region(), 2 * v, in.report);
                return true;
              }),
    LevelPass(Level::Contrast, "--contrast", PerRow<2>,
              [](const PassInputs& in, int v) {
                Contrast(in.Region(), int(v * kContrastFactor), in.report);
                return true;
              }),
    LevelPass(Level::Blur, "--blur", PerRow<2>,
              [](const PassInputs& in, int v) { return Blur(in.Region(), v, in.report); }),
    LevelPass(Level::Emboss, "--emboss", PerRow<2>,
              [](const PassInputs& in, int v) { return Emboss(in.Region(), v, in.report); }),
    LevelPass(Level::Sharpen, "--sharpen", PerRow<2>,
              [](const PassInputs& in, int v) { return Sharpen(in.Region(), v, in.report); }),
    TogglePass(Toggle::Invert, "--invert", PerRow<2>,
               [](const PassInputs& in, int) {
                 Invert(in.Region(), in.report);
                 return true;
               }),
    TogglePass(Toggle::GreyScale, "--grey", PerRow<2>,
               [](const PassInputs& in, int) {
                 GrayScale(in.Region(), in.report);
                 return true;
               }),
    TogglePass(Toggle::FlipHorizontal, "--flip-h", PerRow<2>,
               [](const PassInputs& in, int) {
                 FlipHorizontal(in.Region(), in.report);
                 return true;
               }),
    TogglePass(Toggle::FlipVertical, "--flip-v", PerRow<1>,
               [](const PassInputs& in, int) {
                 FlipVertical(in.Region(), in.report);
                 return true;
               }),
    LevelPass(Level::RandomPattern, "--noise", PerRow<2>,
              [](const PassInputs& in, int v) {
                RandomPattern(in.Region(), v, in.random, in.report);
                return true;
              }),
    {PassControl::Overlay, {}, {}, "--overlay", PerRow<2>,
     [](const PassInputs& in, int) {
       OverlayRegion blend(in.picture, in.overlay, in.selection);
       OverlayBlend(blend, BlendMethod(in.levels.blendMethod), in.report);
       return true;
     },
     false},
    LevelPass(Level::Mosaic, "--mosaic", MosaicUnits,
              [](const PassInputs& in, int v) {
                Mosaic(in.Region(), v, in.report);
                return true;
              }),
    LevelPass(Level::TileSize, "--tile", PerRow<4>,
              [](const PassInputs& in, int v) {
                return Tile(in.Region(), v, in.levels.scatter, in.background, in.random, in.report);
              }),
    {PassControl::Rotation, {}, {}, "--rotate", RotationUnits,
     [](const PassInputs& in, int v) { return Rotate(in.picture, v, in.report); }, true},
};

}  // namespace

std::span<const EffectPass> EffectPasses() { return kPasses; }

int PassValue(const EffectPass& pass, const EffectLevels& l) {
  switch (pass.control) {
    case PassControl::Level: return LevelOf(l, pass.level);
    case PassControl::Toggle: return ToggleOf(l, pass.toggle) ? 1 : 0;
    case PassControl::Rotation: return l.rotation;
    case PassControl::Overlay: break;
  }
  return l.overlayLoaded ? 1 : 0;
}

int ProgressTotal(const EffectLevels& l, int32_t width, int32_t height, const std::optional<PictureRect>& selection) {
  const PassExtent extent{width, height, RegionRows(width, height, selection)};
  int64_t halves = 0;
  for (const EffectPass& pass : kPasses)
    if (const int value = PassValue(pass, l)) halves += pass.halfUnits(value, extent);
  return int(std::min<int64_t>(halves / 2, INT32_MAX));
}

bool ApplyEffects(EffectPictures pictures, EffectLevels& l, const std::optional<PictureRect>& selection,
                  uint32_t background, ClassicRandom& random, const EffectProgress& progress) {
  DibImage& picture = pictures.displayed;
  if (l.effectBaseTaken) {
    picture.Assign(pictures.base);
  } else {
    pictures.base.Assign(picture);
    l.effectBaseTaken = true;
  }
  const int32_t width = picture.width(), height = picture.height();
  if (progress.start) progress.start(ProgressTotal(l, width, height, selection));
  int position = 0;
  const PassProgress report([&](int units) {
    position += units;
    if (progress.position) progress.position(position);
  });

  const bool regionHasRows = RegionRows(width, height, selection) > 0;
  const PassInputs inputs{picture, pictures.overlay, selection, l, background, random, report};
  for (const EffectPass& pass : kPasses) {
    const int value = PassValue(pass, l);
    if (value == 0 || (!pass.wholePicture && !regionHasRows)) continue;
    if (!pass.run(inputs, value)) return false;
  }
  return true;
}

}  // namespace lumora
