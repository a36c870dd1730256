// Flip horizontal: in every row of the region the pixel at left + k changes
// place with the one at right - 1 - k (whole pixels; an odd middle column
// stays). Values are only moved; the picture's own block is read and written.
#include "editor/effects/Passes.h"

#include <utility>

#include "editor/effects/PassArea.h"

namespace lumora {

void FlipHorizontal(const EffectRegion& region, const PassProgress& progress) {
  auto area = effects_detail::AreaOf(region);
  if (!area) return;
  const size_t bytes = size_t(area->bytes);
  RowTable rows(*region.picture);
  effects_detail::ForEachRowInMemoryOrder(*area, [&](int32_t y) {
    uint8_t* a = rows[y] + size_t(area->left) * bytes;
    uint8_t* b = rows[y] + size_t(area->right - 1) * bytes;
    if (bytes == 3) {
      for (; a < b; a += 3, b -= 3) {
        std::swap(a[0], b[0]);
        std::swap(a[1], b[1]);
        std::swap(a[2], b[2]);
      }
    } else {
      for (; a < b; ++a, --b) std::swap(*a, *b);
    }
    progress.Report();
  });
}

}  // namespace lumora
