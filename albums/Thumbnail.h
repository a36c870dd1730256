// Thumbnails of the item list: the cell of each layout, where the picture
// goes in it (the whole-number scale rule and the offsets), and the cell
// itself: white, the frame bitmap ANDed in, the picture stretched
// nearest-neighbour into its place.
#pragma once

#include <cstdint>
#include <vector>

#include "picture/DibImage.h"

namespace lumora {

struct CellColour {
  uint8_t red = 0, green = 0, blue = 0;
};

// One layout's thumbnail cell.
struct ThumbnailCell {
  int width = 0;
  int height = 0;
  // The offsets are (width - tw - margin) / 2 and (height - th - margin) / 2.
  int offsetMargin = 0;
  // The frame bitmap's resource id.
  uint32_t frameBitmap = 0;
  // The item list's background, which shows through the cell's transparent
  // pixels.
  CellColour listBackground;
};
// The compact window ("Original") and the full layout ("MAX").
inline constexpr ThumbnailCell kOriginalCell{58, 42, 1, 269, {192, 203, 217}};
inline constexpr ThumbnailCell kMaxCell{107, 86, 4, 479, {211, 223, 232}};
// The picture keeps this many pixels of the cell's width and height free.
inline constexpr int kThumbnailBorder = 10;

// The picture's rectangle in the cell, x and y from the cell's top-left.
struct ThumbnailPlace {
  int x = 0, y = 0;
  int width = 0, height = 0;
  bool operator==(const ThumbnailPlace&) const = default;
};

// Where a picture of `pictureWidth` x `pictureHeight` (its full size) goes:
// a landscape picture wider than width - 10 is divided by the whole number
// w / (width - 10), a portrait or square one taller than height - 10 by
// h / (height - 10); both sides are then held inside the cell (less the
// offset margin), which keeps the scale's proportions: 640 x 480 in 58 x 42
// gives 48 x 36 at (4, 2). Non-positive sizes give an empty place.
ThumbnailPlace PlaceThumbnail(int pictureWidth, int pictureHeight, const ThumbnailCell& cell);

// A composed cell: 24-bit, cell.width x cell.height. The list draws it
// transparently: the black pixels of the frame (outside `place`) let the
// background through; the picture's own black pixels stay black.
struct Thumbnail {
  DibImage cell;
  ThumbnailPlace place;
  // x, y from the top-left; false outside the cell.
  bool IsTransparent(int x, int y) const;
};

// Composes the cell: white, `frame` stretched to the cell and ANDed in
// (no frame when `frame` is empty), then `picture` (any depth the codecs
// give, at any size: a picture decoded at reduced scale is fine) stretched
// nearest-neighbour onto `place`. False when the cell cannot be made or the
// picture's block is not a valid bitmap.
bool ComposeThumbnail(const DibImage& picture, const ThumbnailPlace& place, const DibImage& frame,
                      const ThumbnailCell& cell, Thumbnail& out);

// `picture` (any depth the codecs give) shrunk to `width` x `height` by
// averaging the source pixels under each target pixel, into a 24-bit
// picture: the pictures the desktop's thumbnail cache keeps. False when the
// picture is no valid bitmap, the size is not positive or larger than the
// picture.
bool ShrinkPicture(const DibImage& picture, int width, int height, DibImage& out);

}  // namespace lumora
