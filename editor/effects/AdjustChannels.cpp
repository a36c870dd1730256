// Red, green and blue offsets: each channel of every pixel in the region plus
// its offset, clamped at the store. 24-bit pictures only; the picture's own
// block is read and written.
#include "editor/effects/Passes.h"

#include <vector>

#include "editor/effects/PassArea.h"

namespace lumora {

void AdjustChannels(const EffectRegion& region, int red, int green, int blue, const PassProgress& progress) {
  auto area = effects_detail::AreaOf(region, /*allowGrey=*/false);
  if (!area) return;
  // One pattern of per-byte offsets for a whole region row, so that the row
  // is one run of bytes with no channel arithmetic in the loop.
  const size_t n = size_t(area->width()) * 3;
  std::vector<uint8_t> raise(n), lower(n);
  const int offsets[3] = {blue, green, red};
  for (size_t i = 0; i < n; ++i) {
    int o = offsets[i % 3];
    raise[i] = uint8_t(o > 0 ? (o > 255 ? 255 : o) : 0);
    lower[i] = uint8_t(o < 0 ? (o < -255 ? 255 : -o) : 0);
  }
  RowTable rows(*region.picture);
  effects_detail::ForEachRowInMemoryOrder(*area, [&](int32_t y) {
    uint8_t* p = rows[y] + size_t(area->left) * 3;
    for (size_t i = 0; i < n; ++i) {
      uint8_t up = uint8_t(p[i] + raise[i]);
      up = up < p[i] ? uint8_t(255) : up;
      p[i] = up > lower[i] ? uint8_t(up - lower[i]) : uint8_t(0);
    }
    progress.Report();
  });
}

}  // namespace lumora
