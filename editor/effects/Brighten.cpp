// Brightness: every channel (or grey level) of the region plus the amount,
// clamped at the store. Reads and writes the picture's own block.
#include "editor/effects/Passes.h"

#include "editor/effects/PassArea.h"

namespace lumora {

void Brighten(const EffectRegion& region, int amount, const PassProgress& progress) {
  auto area = effects_detail::AreaOf(region);
  if (!area) return;
  const size_t n = size_t(area->width()) * size_t(area->bytes);
  RowTable rows(*region.picture);
  effects_detail::ForEachRowInMemoryOrder(*area, [&](int32_t y) {
    effects_detail::AddToBytes(rows[y] + size_t(area->left) * size_t(area->bytes), n, amount);
    progress.Report();
  });
}

}  // namespace lumora
