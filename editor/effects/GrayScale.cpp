// Grey scale: the three channels of every pixel in the region become their
// integer mean (blue + green + red) / 3, which is always 0..255. 24-bit
// pictures only; the picture's own block is read and written.
#include "editor/effects/Passes.h"

#include "editor/effects/PassArea.h"

namespace lumora {

void GrayScale(const EffectRegion& region, const PassProgress& progress) {
  auto area = effects_detail::AreaOf(region, /*allowGrey=*/false);
  if (!area) return;
  RowTable rows(*region.picture);
  for (int32_t y = area->top; y < area->bottom; ++y) {
    uint8_t* p = rows[y] + size_t(area->left) * 3;
    uint8_t* end = p + size_t(area->width()) * 3;
    for (; p != end; p += 3) {
      const unsigned sum = unsigned(p[0]) + p[1] + p[2];
      const uint8_t g = uint8_t(sum / 3);
      p[0] = p[1] = p[2] = g;
    }
    progress.Report();
  }
}

}  // namespace lumora
