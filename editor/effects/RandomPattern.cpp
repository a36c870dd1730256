// Random pattern: for every pixel of the region, row by row, one value
// e = trunc(level * (rand * k - 0.5) * 64) from the program's generator is
// added to blue, green and red alike, each clamped at the store. 24-bit
// pictures only; the picture's own block is read and written.
#include "editor/effects/Passes.h"

#include <vector>

#include "editor/effects/PassArea.h"

namespace lumora {

void RandomPattern(const EffectRegion& region, int level, ClassicRandom& random, const PassProgress& progress) {
  if (level < kMinFilterLevel || level > kMaxFilterLevel) return;
  auto area = effects_detail::AreaOf(region, /*allowGrey=*/false);
  if (!area) return;
  // e depends only on the generator's value: one table per pass, built with
  // the formula itself (the product with k in single precision, as written).
  std::vector<int16_t> change(size_t(ClassicRandom::kMax) + 1);
  for (int v = 0; v <= ClassicRandom::kMax; ++v)
    change[size_t(v)] = int16_t(int(level * (v * kRandomScale - 0.5) * 64));

  RowTable rows(*region.picture);
  for (int32_t y = area->top; y < area->bottom; ++y) {
    uint8_t* p = rows[y] + size_t(area->left) * 3;
    uint8_t* end = p + size_t(area->width()) * 3;
    for (; p != end; p += 3) {
      const int e = change[size_t(random.Next())];
      p[0] = StoreChannel(p[0] + e);
      p[1] = StoreChannel(p[1] + e);
      p[2] = StoreChannel(p[2] + e);
    }
    progress.Report();
  }
}

}  // namespace lumora
