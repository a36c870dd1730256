// Drawing the picture view into a buffer of device pixels, without any
// window: the picture scaled by the zoom factor with nearest sampling,
// centred when it is smaller than the view, scrolled, the rest in the
// background colour; and the magnifier's loupe over what the view shows.
// A paint costs the view's area, never the picture's.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "picture/DibImage.h"

namespace lumora {

// A device pixel in the buffer: 0xffRRGGBB.
using ViewPixel = uint32_t;

// A colour value (red in the low byte, then green, then blue) as a device pixel.
constexpr ViewPixel ViewPixelOf(uint32_t colour) {
  return 0xff000000u | (colour & 0xffu) << 16 | (colour & 0xff00u) | (colour >> 16 & 0xffu);
}

struct ViewPlacement {
  float zoom = 1.0f;  // device pixels per picture pixel
  int32_t scrollX = 0, scrollY = 0;
  int32_t width = 0, height = 0;  // the client area
  uint32_t background = 0;        // colour value
};

// Where the picture starts in the client area on one axis: max(0, (client -
// picture * zoom) / 2), truncated, as the selection's conversion to picture
// coordinates computes it.
int32_t PictureOffset(int32_t clientSize, int32_t pictureSize, float zoom);

// The picture column (or row) a device column (row) shows: with d the
// scrolled device coordinate and off the picture's offset, trunc((d - off) /
// zoom); -1 when that lies outside the picture. The selection's conversion
// maps its left and top edges the same way.
int32_t PictureIndexAt(int32_t scrolled, int32_t offset, float zoom, int32_t pictureSize);

class ViewRenderer {
 public:
  // Fills `out`, placement.height rows of `stride` pixels, with the view:
  // each device pixel takes the picture pixel PictureIndexAt gives on both
  // axes, or the background. 24-bit and 8-bit pictures take fast paths; 1-,
  // 2- and 4-bit (through the colour table), 16-bit (5-5-5) and 32-bit
  // pictures are shown too; other depths, and a picture without a valid
  // block, show only the background.
  void Render(const DibImage& picture, const ViewPlacement& placement, ViewPixel* out, size_t stride);

 private:
  void Colours(const DibImage& picture, const DibLayout& layout);

  std::vector<int32_t> columns_;          // per device column: byte offset or picture column
  std::array<ViewPixel, 256> colours_{};  // colour table as device pixels
};

// The magnifier's loupe side and the side of the view area it enlarges.
inline constexpr int kLoupeSize = 160;
inline constexpr int kLoupeSource = kLoupeSize / 2;

// Draws the loupe centred on (x, y) into a view buffer of `width` x `height`
// (rows of `stride` pixels): the kLoupeSource square of the buffer around the
// point at twice its size (nearest), framed by a one-pixel white rectangle,
// clipped to the buffer. Source pixels outside the buffer show `outside`.
void DrawLoupe(ViewPixel* buffer, int32_t width, int32_t height, size_t stride, int32_t x, int32_t y,
               ViewPixel outside);

}  // namespace lumora
