// Sharpen: region pixels at least `level` from its edge become n^2 times
// themselves minus the other cells of their n x n window in the backup,
// clamped at the store. 24-bit pictures, and grey levels on 8-bit ones.
#include "editor/effects/Passes.h"

#include "editor/effects/BoxSums.h"
#include "editor/effects/PassArea.h"

namespace lumora {

namespace {

template <int C, int r>
void SharpenRows(RowTable& dst, const RowView& src, const effects_detail::PassArea& area,
                 const PassProgress& progress) {
  constexpr int32_t kCentreWeight = (2 * r + 1) * (2 * r + 1) + 1;  // n^2, plus the 1 the window sum takes away
  effects_detail::ForEachBoxRow<C, r>(src, area, [&](int32_t y, const int32_t* sums) {
    const size_t first = size_t(area.left + r) * C;
    const uint8_t* centre = src[y] + first;
    uint8_t* out = dst[y] + first;
    const size_t count = size_t(area.width() - 2 * r) * C;
    for (size_t i = 0; i < count; ++i) out[i] = StoreChannel(kCentreWeight * centre[i] - sums[i]);
    progress.Report();
  });
}

template <int C>
void SharpenLevel(int level, RowTable& dst, const RowView& src, const effects_detail::PassArea& area,
                  const PassProgress& progress) {
  switch (level) {
    case 1: SharpenRows<C, 1>(dst, src, area, progress); break;
    case 2: SharpenRows<C, 2>(dst, src, area, progress); break;
    case 3: SharpenRows<C, 3>(dst, src, area, progress); break;
    default: SharpenRows<C, 4>(dst, src, area, progress); break;
  }
}

}  // namespace

bool Sharpen(const EffectRegion& region, int level, const PassProgress& progress) {
  return effects_detail::RunNeighbourhoodPass(
      region, level, [&](auto bytes, RowTable& dst, const RowView& src, const effects_detail::PassArea& area) {
        SharpenLevel<decltype(bytes)::value>(level, dst, src, area, progress);
      });
}

}  // namespace lumora
