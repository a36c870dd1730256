// Spatial scalability: the prediction of a compatible macroblock of a
// spatial enhancement picture from the lower layer's decoded frame,
// up-sampled by the sequence's ratios m / n. Each enhancement sample maps to
// a lower-layer position in sixteenths of a sample; the two lower-layer rows
// around it are interpolated first (kept at sixteen times the scale), then
// the two columns, and the sum is rounded once. Positions before the lower
// layer's first sample or past its last take its edge samples.
#include <algorithm>

#include "mpeg/PictureDecoder.h"

namespace lumora::mpeg {

namespace {

constexpr int kPhases = 16;
constexpr int kRounding = kPhases * kPhases / 2;
constexpr int kShift = 8;  // log2(kPhases * kPhases)

// The lower-layer position of enhancement coordinate `h` in sixteenths:
// whole sample and phase, clamped to the lower layer's `size` samples.
void LowerPosition(int h, int m, int n, int size, int& at, int& next, int& phase) {
  if (h < 0) h = 0;
  int position = int(int64_t(h) * n * kPhases / m);
  at = position / kPhases;
  phase = position % kPhases;
  if (at >= size - 1) {
    at = next = size - 1;
    phase = 0;
    return;
  }
  next = at + 1;
}

}  // namespace

int PictureDecoder::Upsample(int cc, int x, int y) const {
  const bool halfWidth = cc && geo_.chromaFormat != kChroma444;
  const bool halfHeight = cc && geo_.chromaFormat == kChroma420;
  const int offsetX = halfWidth ? pic_.spatial.horizontalOffset / 2 : pic_.spatial.horizontalOffset;
  const int offsetY = halfHeight ? pic_.spatial.verticalOffset / 2 : pic_.spatial.verticalOffset;
  int x0, x1, px, y0, y1, py;
  LowerPosition(x - offsetX, seq_.horizontalFactorM, seq_.horizontalFactorN, lower_.width[cc], x0, x1, px);
  LowerPosition(y - offsetY, seq_.verticalFactorM, seq_.verticalFactorN, lower_.height[cc], y0, y1, py);
  const uint8_t* row0 = lower_.plane[cc] + ptrdiff_t(y0) * lower_.stride[cc];
  const uint8_t* row1 = lower_.plane[cc] + ptrdiff_t(y1) * lower_.stride[cc];
  int left = (kPhases - py) * row0[x0] + py * row1[x0];
  int right = (kPhases - py) * row0[x1] + py * row1[x1];
  return ((kPhases - px) * left + px * right + kRounding) >> kShift;
}

void PictureDecoder::FormSpatialPrediction(int mbx, int mby) {
  for (int cc = 0; cc < 3; ++cc) {
    const bool chroma = cc != 0;
    const int mbW = chroma && geo_.chromaFormat != kChroma444 ? 8 : 16;
    const int mbH = chroma && geo_.chromaFormat == kChroma420 ? 8 : 16;
    const int w = chroma ? geo_.chromaWidth : geo_.lumaWidth;
    uint8_t* plane = frames_[current_].plane[cc].data();
    for (int y = mby * mbH; y < (mby + 1) * mbH; ++y)
      for (int x = mbx * mbW; x < (mbx + 1) * mbW; ++x) plane[ptrdiff_t(y) * w + x] = uint8_t(Upsample(cc, x, y));
  }
}

}  // namespace lumora::mpeg
