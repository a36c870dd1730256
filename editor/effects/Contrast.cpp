// Contrast: every channel (or grey level) c of the region becomes
// c + trunc(amount * (c - 128) / 128 + 0.5), clamped at the store. The result
// depends on c alone, so it is computed once per value into a table. Reads and
// writes the picture's own block.
#include "editor/effects/Passes.h"

#include <array>

#include "editor/effects/PassArea.h"

namespace lumora {

namespace {

// Beyond this a change of any channel saturates; bounding it keeps the
// conversion to int defined for any amount.
constexpr double kLargestChange = 1024;

std::array<uint8_t, 256> ContrastTable(int amount) {
  std::array<uint8_t, 256> table{};
  for (int c = 0; c < 256; ++c) {
    double t = double(amount) * (c - 128) / 128 + 0.5;
    t = t > kLargestChange ? kLargestChange : t < -kLargestChange ? -kLargestChange : t;
    table[size_t(c)] = StoreChannel(c + int(t));
  }
  return table;
}

}  // namespace

void Contrast(const EffectRegion& region, int amount, const PassProgress& progress) {
  auto area = effects_detail::AreaOf(region);
  if (!area) return;
  const auto table = ContrastTable(amount);
  const size_t n = size_t(area->width()) * size_t(area->bytes);
  RowTable rows(*region.picture);
  for (int32_t y = area->top; y < area->bottom; ++y) {
    uint8_t* p = rows[y] + size_t(area->left) * size_t(area->bytes);
    for (size_t i = 0; i < n; ++i) p[i] = table[p[i]];
    progress.Report();
  }
}

}  // namespace lumora
