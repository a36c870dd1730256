// Flip vertical: row top + k of the region changes place with row bottom - 1 - k
// over the region's columns (an odd middle row stays); values are only moved.
// One unit of progress per exchanged pair of rows.
#include "editor/effects/Passes.h"

#include <algorithm>

#include "editor/effects/PassArea.h"

namespace lumora {

void FlipVertical(const EffectRegion& region, const PassProgress& progress) {
  auto area = effects_detail::AreaOf(region);
  if (!area) return;
  const size_t first = size_t(area->left) * size_t(area->bytes);
  const size_t n = size_t(area->width()) * size_t(area->bytes);
  RowTable rows(*region.picture);
  for (int32_t k = 0; k < area->height() / 2; ++k) {
    uint8_t* a = rows[area->top + k] + first;
    uint8_t* b = rows[area->bottom - 1 - k] + first;
    std::swap_ranges(a, a + n, b);
    progress.Report();
  }
}

}  // namespace lumora
