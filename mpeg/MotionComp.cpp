// Half-sample block prediction with edge clamping for vectors that leave the plane.
#include "mpeg/MotionComp.h"

namespace lumora::mpeg {

namespace {

// Largest block plus the extra row and column a half-sample average reads.
constexpr int kMaxBlock = 17;

template <int HX, int HY, bool AVG>
void Kernel(const uint8_t* src, ptrdiff_t ss, uint8_t* dst, ptrdiff_t ds, int w, int h) {
  for (int r = 0; r < h; ++r, src += ss, dst += ds) {
    for (int c = 0; c < w; ++c) {
      int p;
      if constexpr (!HX && !HY) {
        p = src[c];
      } else if constexpr (HX && !HY) {
        p = (src[c] + src[c + 1] + 1) >> 1;
      } else if constexpr (!HX && HY) {
        p = (src[c] + src[c + ss] + 1) >> 1;
      } else {
        p = (src[c] + src[c + 1] + src[c + ss] + src[c + ss + 1] + 2) >> 2;
      }
      if constexpr (AVG) {
        dst[c] = uint8_t((dst[c] + p + 1) >> 1);
      } else {
        dst[c] = uint8_t(p);
      }
    }
  }
}

using KernelFn = void (*)(const uint8_t*, ptrdiff_t, uint8_t*, ptrdiff_t, int, int);

constexpr KernelFn kKernels[2][4] = {
    {Kernel<0, 0, false>, Kernel<1, 0, false>, Kernel<0, 1, false>, Kernel<1, 1, false>},
    {Kernel<0, 0, true>, Kernel<1, 0, true>, Kernel<0, 1, true>, Kernel<1, 1, true>},
};

inline int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

}  // namespace

void Predict(const PlaneView& ref, int x, int y, int dx, int dy, int w, int h, uint8_t* dst, ptrdiff_t dstStride,
             bool average) {
  int hx = dx & 1, hy = dy & 1;
  int sx = x + (dx >> 1), sy = y + (dy >> 1);
  KernelFn kernel = kKernels[average][hx | hy << 1];
  if (sx >= 0 && sy >= 0 && sx + w + hx <= ref.width && sy + h + hy <= ref.height) {
    kernel(ref.base + sy * ref.stride + sx, ref.stride, dst, dstStride, w, h);
    return;
  }
  // Outside the plane: gather the samples with clamped coordinates first.
  uint8_t edge[kMaxBlock * kMaxBlock];
  for (int r = 0; r < h + hy; ++r) {
    const uint8_t* row = ref.base + Clamp(sy + r, 0, ref.height - 1) * ref.stride;
    for (int c = 0; c < w + hx; ++c) edge[r * kMaxBlock + c] = row[Clamp(sx + c, 0, ref.width - 1)];
  }
  kernel(edge, kMaxBlock, dst, dstStride, w, h);
}

}  // namespace lumora::mpeg
