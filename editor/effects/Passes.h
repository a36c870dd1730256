// The effect passes of the photo editor. Each works on the rectangle of an
// EffectRegion (the whole picture, or the selection in picture coordinates),
// computes on plain ints and clamps to 0..255 only when it stores a byte, and
// reports progress as it goes. The pipeline (ApplyEffects.h) runs them in
// their fixed order; each can also be run on its own.
//
// Pictures: 24-bit pixels are three bytes blue, green, red; on 8-bit pictures
// the passes that accept them treat the index byte as a grey level. Pictures
// of other depths, empty regions and regions that do not lie inside the
// picture are left unchanged. The passes that need a backup or a new block
// return false, leaving the picture unchanged, when there is no memory for it.
#pragma once

#include <cstdint>

#include "editor/effects/ClassicRandom.h"
#include "editor/effects/Progress.h"
#include "picture/DibImage.h"

namespace lumora {

// Levels the filter passes accept: 1 (kernel 3 x 3, mosaic blocks of 3,
// tiles of 12 pixels) to 4 (9 x 9, 9, 48); any other level does nothing.
inline constexpr int kMinFilterLevel = 1;
inline constexpr int kMaxFilterLevel = 4;

// ---- Colour: point passes, each pixel from its own value, one unit of
// progress per region row. They read and write the picture's own block.

// Each non-zero argument is added to its channel. 8-bit pictures: no effect.
void AdjustChannels(const EffectRegion& region, int red, int green, int blue, const PassProgress& progress = {});

// Kind 1 exchanges red and green, 2 green and blue, 0 red and blue; any other
// kind leaves the pixels alone. 8-bit pictures: no effect.
inline constexpr int kSwapRedBlue = 0;
inline constexpr int kSwapRedGreen = 1;
inline constexpr int kSwapGreenBlue = 2;
void SwapChannels(const EffectRegion& region, int kind, const PassProgress& progress = {});

// Every channel (or grey level) + amount.
void Brighten(const EffectRegion& region, int amount, const PassProgress& progress = {});

// Every channel (or grey level) c + trunc(amount * (c - 128) / 128 + 0.5).
void Contrast(const EffectRegion& region, int amount, const PassProgress& progress = {});

// Every channel (or grey level) becomes 255 - c.
void Invert(const EffectRegion& region, const PassProgress& progress = {});

// All three channels become (blue + green + red) / 3. 8-bit pictures: no effect.
void GrayScale(const EffectRegion& region, const PassProgress& progress = {});

// ---- Filters: read the backup taken at the start of the pass, write the block.

// Kernel passes, n = 2 * level + 1; pixels closer than `level` to the region's
// edge stay as they are; one unit of progress per computed row.
// Blur: the n x n mean. Sharpen: n^2 times the centre minus the other cells.
// Emboss: the upper-left corner triangle minus the lower-right one, plus 125.
bool Blur(const EffectRegion& region, int level, const PassProgress& progress = {});
bool Sharpen(const EffectRegion& region, int level, const PassProgress& progress = {});
bool Emboss(const EffectRegion& region, int level, const PassProgress& progress = {});

// Blocks of 2 * level + 1 from the region's top-left corner, cut off by the
// region, each set to its mean. One unit of progress per row of blocks.
void Mosaic(const EffectRegion& region, int level, const PassProgress& progress = {});

// One value per region pixel, row by row, from `random`, added to the three
// channels. 24-bit pictures only. One unit of progress per row.
void RandomPattern(const EffectRegion& region, int level, ClassicRandom& random, const PassProgress& progress = {});

// The region cut into tiles of 12 * tileSize pixels with a one-pixel frame in
// `background` (a colour value: red in the low byte, then green, then blue;
// the index byte on 8-bit pictures is its low byte), each tile shifted by a
// random amount up to scatter / 8 of a tile. Two values drawn from `random`
// per tile, tile rows outer. Progress: one unit per region row for the fill,
// then the tile edge per tile row. `scatter` 0..4.
bool Tile(const EffectRegion& region, int tileSize, int scatter, uint32_t background, ClassicRandom& random,
          const PassProgress& progress = {});

// ---- Geometry.

// Mirror the region left-right (one unit per row) or top-bottom (one unit
// per exchanged pair of rows).
void FlipHorizontal(const EffectRegion& region, const PassProgress& progress = {});
void FlipVertical(const EffectRegion& region, const PassProgress& progress = {});

// Turns the whole picture by quarterTurns x 90 degrees, clockwise for
// positive counts, exactly: every pixel lands once, the picture becomes
// h x w for odd counts, and its header and colour table are kept. Pictures
// whose pixels are not whole bytes are left unchanged. One unit of progress
// per row of the turned picture.
bool Rotate(DibImage& picture, int quarterTurns, const PassProgress& progress = {});

// ---- Compositing.

// The seven methods, in the order of the editor's method list.
enum class BlendMethod : int { Paste, Screen, Blend, Lighten, Darken, Difference, Multiply };
inline constexpr int kBlendMethodCount = 7;

// The overlay stretched over the region by nearest sample and combined with
// each channel by `method`; on an 8-bit picture the grey level is combined
// with the overlay's luminance. An empty overlay changes nothing. One unit of
// progress per region row.
void OverlayBlend(const OverlayRegion& region, BlendMethod method, const PassProgress& progress = {});

}  // namespace lumora
