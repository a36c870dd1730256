// Channel swaps: red with green, green with blue or red with blue in every
// pixel of the region; values are only moved, so nothing is clamped. 24-bit
// pictures only; the picture's own block is read and written.
#include "editor/effects/Passes.h"

#include "editor/effects/PassArea.h"

#include <utility>

namespace lumora {

void SwapChannels(const EffectRegion& region, int kind, const PassProgress& progress) {
  auto area = effects_detail::AreaOf(region, /*allowGrey=*/false);
  if (!area) return;
  // Byte offsets within a pixel stored blue (0), green (1), red (2).
  int a = 0, b = 0;
  switch (kind) {
    case kSwapRedGreen: a = 2, b = 1; break;
    case kSwapGreenBlue: a = 1, b = 0; break;
    case kSwapRedBlue: a = 2, b = 0; break;
    default: break;  // the pixels stay as they are, but the rows still count
  }
  RowTable rows(*region.picture);
  effects_detail::ForEachRowInMemoryOrder(*area, [&](int32_t y) {
    if (a != b) {
      uint8_t* p = rows[y] + size_t(area->left) * 3;
      uint8_t* end = p + size_t(area->width()) * 3;
      for (; p != end; p += 3) std::swap(p[a], p[b]);
    }
    progress.Report();
  });
}

}  // namespace lumora
