// The recomputation pipeline: the displayed picture rebuilt from the effect
// base through every active pass, in a fixed order, with the values the
// levels stand for. The caller shows the wait cursor and the progress bar,
// repaints and recomputes the scroll ranges.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "editor/effects/ClassicRandom.h"
#include "editor/effects/EffectLevels.h"
#include "picture/DibImage.h"

namespace lumora {

struct EffectPictures {
  DibImage& displayed;
  DibImage& base;     // the effect base: the picture as it was before any effect
  DibImage& overlay;  // the picture blended in when an overlay is loaded (may be empty)
};

// The progress bar: its range is set once, then each pass's finished units
// move its position.
struct EffectProgress {
  std::function<void(int total)> start;
  std::function<void(int position)> position;
};

// The bar's range for these levels: one unit per region row for each active
// pass among flip horizontal, the three channel offsets, the three swaps,
// brightness, contrast, blur, emboss, sharpen, invert, grey scale, random
// pattern and overlay; half a unit per row for flip vertical, two for the
// tile; plus rows / (2 * mosaic + 1) + 1 with mosaic on, and the rows of the
// turned picture with a rotation. The region is the selection (picture
// coordinates, clipped to the picture) or the whole picture.
int ProgressTotal(const EffectLevels& levels, int32_t pictureWidth, int32_t pictureHeight,
                  const std::optional<PictureRect>& selection);

// Takes the effect base from the displayed picture the first time (and sets
// the flag), else restores the displayed picture from it; then runs, each
// only when its level or toggle is set: red, green, blue offsets; swap
// red/green, green/blue, red/blue; brightness (2 x level); contrast (level x
// 1.3, truncated); blur; emboss; sharpen; invert; grey scale; flip horizontal;
// flip vertical; random pattern; overlay blend; mosaic; tile (with scatter and
// `background`, a colour value with red in the low byte); rotation by the
// quarter-turn count. All but the rotation are confined to `selection` (picture
// coordinates, see EffectSelection) when there is one; a selection that holds
// no pixel leaves them nothing to do. False when memory ran out for a pass's
// backup; the passes before it have run.
bool ApplyEffects(EffectPictures pictures, EffectLevels& levels, const std::optional<PictureRect>& selection,
                  uint32_t background, ClassicRandom& random, const EffectProgress& progress = {});

}  // namespace lumora
