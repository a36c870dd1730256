// The shape of a skinned button: the pixels of its normal bitmap that are not
// of the transparent colour, as a region of one-row rectangles, one per run
// of visible pixels. A pixel is transparent when each of its red, green and
// blue values lies between the transparent colour's value and that value plus
// the tolerance (at most 255).
#pragma once

#include <QImage>
#include <QRegion>
#include <QRgb>

namespace lumora {

// Runs are gathered in batches of this many rectangles, each batch joined to
// the result, so no single region is built from an unbounded list.
inline constexpr int kShapeRectsPerBatch = 2000;

// The visible part of `bitmap`; empty when every pixel is transparent.
QRegion ShapeFromBitmap(const QImage& bitmap, QRgb transparent, int tolerance);

}  // namespace lumora
