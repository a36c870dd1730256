// The recomputation pipeline and its progress total.
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

}  // namespace

int ProgressTotal(const EffectLevels& l, int32_t width, int32_t height, const std::optional<PictureRect>& selection) {
  // Counted in half units, for flip vertical's half unit per row.
  const bool full[] = {l.flipHorizontal, l.red != 0,      l.green != 0,         l.blue != 0,
                       l.swapRedGreen,   l.swapGreenBlue, l.swapRedBlue,        l.brightness != 0,
                       l.contrast != 0,  l.blur != 0,     l.emboss != 0,        l.sharpen != 0,
                       l.invert,         l.greyScale,     l.randomPattern != 0, l.overlayLoaded};
  int64_t halves = 2 * std::count(std::begin(full), std::end(full), true);
  if (l.flipVertical) halves += 1;
  if (l.tileSize != 0) halves += 4;
  const int64_t rows = RegionRows(width, height, selection);
  int64_t total = halves * rows / 2;
  if (l.mosaic != 0) total += rows / (2 * l.mosaic + 1) + 1;
  if (l.rotation != 0) total += l.rotation % 2 != 0 ? width : height;
  return int(std::min<int64_t>(total, INT32_MAX));
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

  if (RegionRows(width, height, selection) > 0) {
    // Each pass gets a fresh region over the picture as the previous pass left it.
    auto region = [&] { return EffectRegion(picture, selection); };
    if (l.red != 0) AdjustChannels(region(), l.red, 0, 0, report);
    if (l.green != 0) AdjustChannels(region(), 0, l.green, 0, report);
    if (l.blue != 0) AdjustChannels(region(), 0, 0, l.blue, report);
    if (l.swapRedGreen) SwapChannels(region(), kSwapRedGreen, report);
    if (l.swapGreenBlue) SwapChannels(region(), kSwapGreenBlue, report);
    if (l.swapRedBlue) SwapChannels(region(), kSwapRedBlue, report);
    if (l.brightness != 0) Brighten(region(), 2 * l.brightness, report);
    if (l.contrast != 0) Contrast(region(), int(l.contrast * kContrastFactor), report);
    if (l.blur != 0 && !Blur(region(), l.blur, report)) return false;
    if (l.emboss != 0 && !Emboss(region(), l.emboss, report)) return false;
    if (l.sharpen != 0 && !Sharpen(region(), l.sharpen, report)) return false;
    if (l.invert) Invert(region(), report);
    if (l.greyScale) GrayScale(region(), report);
    if (l.flipHorizontal) FlipHorizontal(region(), report);
    if (l.flipVertical) FlipVertical(region(), report);
    if (l.randomPattern != 0) RandomPattern(region(), l.randomPattern, random, report);
    if (l.overlayLoaded) {
      OverlayRegion blend(picture, pictures.overlay, selection);
      OverlayBlend(blend, BlendMethod(l.blendMethod), report);
    }
    if (l.mosaic != 0) Mosaic(region(), l.mosaic, report);
    if (l.tileSize != 0 && !Tile(region(), l.tileSize, l.scatter, background, random, report)) return false;
  }
  if (l.rotation != 0 && !Rotate(picture, l.rotation, report)) return false;
  return true;
}

}  // namespace lumora
