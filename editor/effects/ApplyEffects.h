// The recomputation pipeline: the displayed picture rebuilt from the effect
// base through every active pass, in a fixed order, with the values the
// levels stand for. The caller shows the wait cursor and the progress bar,
// repaints and recomputes the scroll ranges.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

#include "editor/effects/ClassicRandom.h"
#include "editor/effects/EffectLevels.h"
#include "editor/effects/Progress.h"
#include "picture/DibImage.h"

namespace lumora {

struct EffectPictures {
  DibImage& displayed;
  DibImage& base;           // the effect base: the picture as it was before any effect
  const DibImage& overlay;  // the picture blended in when an overlay is loaded (may be empty)
};

// The progress bar: its range is set once, then each pass's finished units
// move its position.
struct EffectProgress {
  std::function<void(int total)> start;
  std::function<void(int position)> position;
};

// What a pass reads besides its own level: the picture it works on (as the
// previous pass left it), the overlay, the selection, the other levels (the
// tile's scatter, the blend method), the tile's background, the random
// generator and the progress sink. The pipeline fills it in.
struct PassInputs {
  DibImage& picture;
  const DibImage& overlay;
  const std::optional<PictureRect>& selection;
  const EffectLevels& levels;
  uint32_t background;
  ClassicRandom& random;
  const PassProgress& report;
  // A fresh region over the picture as it is now.
  EffectRegion Region() const { return EffectRegion(picture, selection); }
};

// The area a pass's progress is counted over: the picture and the rows of the
// region (the selection clipped to the picture, or the whole picture).
struct PassExtent {
  int32_t width = 0, height = 0, rows = 0;
};

// The field that switches a pass on: a level of the Up and Down buttons, a
// toggle button, the quarter-turn count or the overlay flag.
enum class PassControl { Level, Toggle, Rotation, Overlay };

// One effect pass as the pipeline, the progress bar and `lumora-cli effects`
// see it. The pass runs when its field is not 0 (or off).
struct EffectPass {
  PassControl control;
  Level level;              // with PassControl::Level
  Toggle toggle;            // with PassControl::Toggle
  std::string_view option;  // the `lumora-cli effects` option that sets the field
  // Progress in half units (flip vertical reports half a unit per row) for
  // the field's value.
  int64_t (*halfUnits)(int value, const PassExtent& extent);
  // False when memory ran out for the pass's backup.
  bool (*run)(const PassInputs& inputs, int value);
  bool wholePicture;  // ignores the selection (the rotation)
};

// Every pass in the order the pipeline runs them: red, green, blue offsets;
// swap red/green, green/blue, red/blue; brightness (2 x level); contrast
// (level x 1.3, truncated); blur; emboss; sharpen; invert; grey scale; flip
// horizontal; flip vertical; random pattern; overlay blend; mosaic; tile
// (with scatter and the background colour); rotation by the quarter-turn count.
std::span<const EffectPass> EffectPasses();

// The value of the pass's field in `levels` (a toggle or flag counts 1 when on).
int PassValue(const EffectPass& pass, const EffectLevels& levels);

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
// the flag), else restores the displayed picture from it; then runs the active
// passes of EffectPasses() in their order, the tile with `background` (a
// colour value with red in the low byte). All but the rotation are confined to
// `selection` (picture coordinates, see EffectSelection) when there is one; a
// selection that holds no pixel leaves them nothing to do. False when memory
// ran out for a pass's backup; the passes before it have run.
bool ApplyEffects(EffectPictures pictures, EffectLevels& levels, const std::optional<PictureRect>& selection,
                  uint32_t background, ClassicRandom& random, const EffectProgress& progress = {});

}  // namespace lumora
