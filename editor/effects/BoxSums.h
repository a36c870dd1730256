// Private to the blur and sharpen passes: n x n window sums over a region of
// a picture's rows in O(1) per pixel, whatever n. Column sums over the n rows
// around the current row move down by adding the row that enters and taking
// away the row that leaves; along the row a running sum of n column sums
// moves right the same way. The sums are exact integers, the same as adding
// the n x n cells one by one.
#pragma once

#include <cstdint>
#include <vector>

#include "editor/effects/PassArea.h"
#include "picture/DibImage.h"

namespace lumora::effects_detail {

// For every row y of the area with a full window (top + r .. bottom - r - 1),
// calls onRow(y, sums), where sums[(x - left - r) * C + c] is the window sum
// of channel c around column x, for x = left + r .. right - r - 1. C is the
// number of bytes of a pixel (3, or 1 for grey levels), r the window's
// radius (a constant, so that the row loops compile to fixed strides). The
// area must be at least 2r + 1 wide and high.
template <int C, int r, typename OnRow>
void ForEachBoxRow(const RowView& src, const PassArea& area, OnRow&& onRow) {
  constexpr int n = 2 * r + 1;
  const size_t cols = size_t(area.width()) * C;
  const size_t outCols = size_t(area.width() - 2 * r) * C;
  constexpr size_t span = size_t(n) * C;  // window width in values
  const size_t first = size_t(area.left) * C;
  // Column sums of at most 9 bytes fit 16 bits, which halves the memory the
  // row loops move; the window sums (up to 81 bytes) are kept in 32.
  std::vector<int16_t> columnSums(cols, 0);
  std::vector<int32_t> windowSums(outCols);
  int16_t* columns = columnSums.data();  // held here: the byte stores of onRow may alias anything
  int32_t* sums = windowSums.data();

  for (int32_t y = area.top; y < area.top + 2 * r; ++y) {
    const uint8_t* row = src[y] + first;
    for (size_t i = 0; i < cols; ++i) columns[i] = int16_t(columns[i] + row[i]);
  }
  for (int32_t y = area.top + r; y < area.bottom - r; ++y) {
    // Bring in the window's last row; the row above its first left after the
    // previous output row.
    const uint8_t* in = src[y + r] + first;
    for (size_t i = 0; i < cols; ++i) columns[i] = int16_t(columns[i] + in[i]);

    // One running sum per channel, kept in a register along the row.
    int32_t run[C] = {};
    for (size_t k = 0; k < span; ++k) run[k % C] += columns[k];
    for (size_t i = 0;; i += C) {
      for (int c = 0; c < C; ++c) sums[i + size_t(c)] = run[c];
      if (i + C == outCols) break;
      for (int c = 0; c < C; ++c) run[c] += columns[i + span + size_t(c)] - columns[i + size_t(c)];
    }
    onRow(y, static_cast<const int32_t*>(sums));

    const uint8_t* out = src[y - r] + first;
    for (size_t i = 0; i < cols; ++i) columns[i] = int16_t(columns[i] - out[i]);
  }
}

}  // namespace lumora::effects_detail
