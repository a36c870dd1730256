// The state that lives for one slice while it is decoded: the bit reader over
// the slice's bytes, the quantiser and its dequantisation factors, the DC
// predictors, the motion vector predictors and the previous macroblock's
// motion (skipped macroblocks of B pictures repeat it). Private to the
// picture decoder.
#pragma once

#include <cstdint>
#include <span>

#include "mpeg/PictureDecoder.h"

namespace lumora::mpeg {

struct PictureDecoder::Slice {
  explicit Slice(std::span<const uint8_t> data) : br(data) {}

  MsbBitReader br;
  int quantiserScale = 0;
  // Quantiser matrix entry times quantiser scale, for intra and non-intra
  // blocks of luma (0, 1) and chroma (2, 3), in block order.
  int factor[4][64] = {};
  int dcPredictor[3] = {};
  int pmv[2][2][2] = {};  // [r][s][t], half samples (MPEG-1: the coded units)
  Motion previous;
  bool previousIntra = true;
  bool broken = false;  // a motion code that is no code
};

}  // namespace lumora::mpeg
