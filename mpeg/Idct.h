// The 8x8 inverse DCT of the decoder: separable, single precision, accurate
// to the IEEE 1180 limits over the coefficient range of MPEG (-2048..2047),
// with a shortcut for blocks that hold only a DC coefficient.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lumora::mpeg {

// The inverse DCT of `coef` (block order, row * 8 + column), each result
// rounded to the nearest integer, into `out`. Reference form for tests.
void InverseDct(const int16_t coef[64], int out[64]);

// Intra blocks: writes the inverse DCT of `coef`, clamped to 0..255, to the
// 8x8 area at `dst`. `lastIndex` is the block position of the last coded
// coefficient in scan order (0: DC only). Clears `coef` for the next block.
void IdctPut(int16_t coef[64], int lastScanIndex, uint8_t* dst, ptrdiff_t stride);

// Non-intra blocks: adds the inverse DCT of `coef` to the prediction at
// `dst`, clamped to 0..255. Clears `coef`.
void IdctAdd(int16_t coef[64], int lastScanIndex, uint8_t* dst, ptrdiff_t stride);

}  // namespace lumora::mpeg
