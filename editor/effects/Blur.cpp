// Blur: region pixels at least `level` from its edge become the mean of their
// n x n window in the backup (n = 2 * level + 1), sum / n^2 + 0.5 truncated;
// means are 0..255, so the clamp never bites. 24-bit and 8-bit pictures.
#include "editor/effects/Passes.h"

#include "editor/effects/BoxSums.h"
#include "editor/effects/PassArea.h"

namespace lumora {

namespace {

// sum / (n * n) + 0.5, truncated, as an integer division: with n * n odd the
// exact quotient (2 * sum + n * n) / (2 * n * n) is never a whole number, so
// no rounding error of the floating-point form can move it across one.
template <int N>
inline uint8_t Mean(int32_t sum) {
  return uint8_t(uint32_t(2 * sum + N * N) / uint32_t(2 * N * N));
}

template <int C, int N>
void BlurRows(RowTable& dst, const RowView& src, const effects_detail::PassArea& area, const PassProgress& progress) {
  constexpr int r = N / 2;
  effects_detail::ForEachBoxRow<C, r>(src, area, [&](int32_t y, const int32_t* sums) {
    uint8_t* out = dst[y] + size_t(area.left + r) * C;
    const size_t count = size_t(area.width() - 2 * r) * C;
    for (size_t i = 0; i < count; ++i) out[i] = Mean<N>(sums[i]);
    progress.Report();
  });
}

template <int C>
void BlurLevel(int level, RowTable& dst, const RowView& src, const effects_detail::PassArea& area,
               const PassProgress& progress) {
  switch (level) {
    case 1: BlurRows<C, 3>(dst, src, area, progress); break;
    case 2: BlurRows<C, 5>(dst, src, area, progress); break;
    case 3: BlurRows<C, 7>(dst, src, area, progress); break;
    default: BlurRows<C, 9>(dst, src, area, progress); break;
  }
}

}  // namespace

bool Blur(const EffectRegion& region, int level, const PassProgress& progress) {
  return effects_detail::RunNeighbourhoodPass(
      region, level, [&](auto bytes, RowTable& dst, const RowView& src, const effects_detail::PassArea& area) {
        BlurLevel<decltype(bytes)::value>(level, dst, src, area, progress);
      });
}

}  // namespace lumora
