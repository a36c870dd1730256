// Invert: every channel (or grey level) of the region becomes its bitwise
// complement, 255 - c, which needs no clamp. Reads and writes the picture's
// own block.
#include "editor/effects/Passes.h"

#include "editor/effects/PassArea.h"

namespace lumora {

void Invert(const EffectRegion& region, const PassProgress& progress) {
  auto area = effects_detail::AreaOf(region);
  if (!area) return;
  const size_t n = size_t(area->width()) * size_t(area->bytes);
  RowTable rows(*region.picture);
  effects_detail::ForEachRowInMemoryOrder(*area, [&](int32_t y) {
    uint8_t* p = rows[y] + size_t(area->left) * size_t(area->bytes);
    for (size_t i = 0; i < n; ++i) p[i] = uint8_t(~p[i]);
    progress.Report();
  });
}

}  // namespace lumora
