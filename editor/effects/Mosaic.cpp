// Mosaic: the region cut into blocks of 2 * level + 1 from its top-left corner
// (cut off at its edges), each set to its mean, sum / count + 0.5 truncated
// (always 0..255). 24-bit pictures, and grey levels on 8-bit ones.
#include "editor/effects/Passes.h"

#include <algorithm>
#include <vector>

#include "editor/effects/PassArea.h"

namespace lumora {

// Blocks do not overlap and each is summed before it is written, so the pass
// reads the picture's own block and needs no backup.

namespace {

template <int C>
void MosaicRows(int level, RowTable& rows, const effects_detail::PassArea& area, const PassProgress& progress) {
  const int32_t b = 2 * level + 1;
  const int32_t blocks = (area.width() + b - 1) / b;
  std::vector<int32_t> sums(size_t(blocks) * C);
  std::vector<uint8_t> means(size_t(blocks) * C);
  // Rows of blocks from the last one up, and rows within a block from its
  // bottom: the order they lie in memory (see ForEachRowInMemoryOrder).
  const int32_t blockRows = (area.height() + b - 1) / b;
  int32_t* sum = sums.data();  // held here: the byte stores below may alias anything
  const uint8_t* mean = means.data();
  for (int32_t row = blockRows - 1; row >= 0; --row) {
    const int32_t top = area.top + row * b, bottom = std::min(top + b, area.bottom);
    std::fill(sums.begin(), sums.end(), 0);
    for (int32_t y = bottom - 1; y >= top; --y) {
      const uint8_t* p = rows[y] + size_t(area.left) * C;
      for (int32_t k = 0; k < blocks; ++k) {
        const int32_t end = std::min((k + 1) * b, area.width());
        int32_t* s = sum + size_t(k) * C;
        for (int32_t x = k * b; x < end; ++x)
          for (int c = 0; c < C; ++c) s[c] += p[size_t(x) * C + size_t(c)];
      }
    }
    for (int32_t k = 0; k < blocks; ++k) {
      const int32_t count = (std::min((k + 1) * b, area.width()) - k * b) * (bottom - top);
      for (int c = 0; c < C; ++c)
        means[size_t(k) * C + size_t(c)] = StoreChannel(DivideChannel(sum[size_t(k) * C + size_t(c)], count));
    }
    for (int32_t y = bottom - 1; y >= top; --y) {
      uint8_t* p = rows[y] + size_t(area.left) * C;
      for (int32_t k = 0; k < blocks; ++k) {
        const int32_t end = std::min((k + 1) * b, area.width());
        const uint8_t* m = mean + size_t(k) * C;
        for (int32_t x = k * b; x < end; ++x)
          for (int c = 0; c < C; ++c) p[size_t(x) * C + size_t(c)] = m[c];
      }
    }
    progress.Report();
  }
}

}  // namespace

void Mosaic(const EffectRegion& region, int level, const PassProgress& progress) {
  if (level < kMinFilterLevel || level > kMaxFilterLevel) return;
  auto area = effects_detail::AreaOf(region);
  if (!area) return;
  RowTable rows(*region.picture);
  if (area->bytes == 3)
    MosaicRows<3>(level, rows, *area, progress);
  else
    MosaicRows<1>(level, rows, *area, progress);
}

}  // namespace lumora
