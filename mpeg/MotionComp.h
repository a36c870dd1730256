// Motion-compensated prediction: the block of a reference frame or field
// displaced by a half-sample vector, with the half-sample averages of
// ISO/IEC 11172-2 and 13818-2, either stored or averaged into the block
// already there (the second direction of a bidirectional or dual-prime
// prediction). Vectors that reach outside the reference read its edge
// samples instead, so a damaged stream never reads outside the plane.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lumora::mpeg {

// A plane, or one field of a plane (base on its first row, stride twice the
// frame's), of a decoded picture.
struct PlaneView {
  const uint8_t* base = nullptr;
  ptrdiff_t stride = 0;
  int width = 0;
  int height = 0;
};

// Forms the `w` x `h` prediction (w at most 16, h at most 16) for the block
// at (x, y) of `ref` displaced by (dx, dy) half samples into `dst`; with
// `average` the prediction is averaged with what `dst` holds.
void Predict(const PlaneView& ref, int x, int y, int dx, int dy, int w, int h, uint8_t* dst, ptrdiff_t dstStride,
             bool average);

}  // namespace lumora::mpeg
