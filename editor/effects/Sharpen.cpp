// Sharpen: region pixels at least `level` from its edge become n^2 times
// themselves minus the other cells of their n x n window in the backup,
// clamped at the store. 24-bit pictures, and grey levels on 8-bit ones.
#include "editor/effects/Passes.h"

#include "editor/effects/BoxSums.h"
#include "editor/effects/PassArea.h"

namespace lumora {

namespace {

template <int C, int r>
void SharpenRows(RowTable& dst, const RowTable& src, const effects_detail::PassArea& area,
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
void SharpenLevel(int level, RowTable& dst, const RowTable& src, const effects_detail::PassArea& area,
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
  if (level < kMinFilterLevel || level > kMaxFilterLevel) return true;
  auto area = effects_detail::AreaOf(region);
  const int n = 2 * level + 1;
  if (!area || area->width() < n || area->height() < n) return true;
  DibImage& picture = *region.picture;
  if (!picture.Snapshot()) return false;
  RowTable dst(picture);
  RowTable src(picture.backup());
  if (area->bytes == 3)
    SharpenLevel<3>(level, dst, src, *area, progress);
  else
    SharpenLevel<1>(level, dst, src, *area, progress);
  return true;
}

}  // namespace lumora
