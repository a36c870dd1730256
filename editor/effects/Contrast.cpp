// Contrast: every channel (or grey level) c of the region becomes
// c + trunc(amount * (c - 128) / 128 + 0.5), clamped at the store; reads and
// writes the picture's own block.
#include "editor/effects/Passes.h"

#include <cstring>
#include <vector>

#include "editor/effects/PassArea.h"

namespace lumora {

namespace {

// Beyond this a change of any channel saturates; bounding it keeps the
// conversion to int defined for any amount.
constexpr double kLargestChange = 1024;

uint8_t Contrasted(int c, int amount) {
  double t = double(amount) * (c - 128) / 128 + 0.5;
  t = t > kLargestChange ? kLargestChange : t < -kLargestChange ? -kLargestChange : t;
  return StoreChannel(c + int(t));
}

}  // namespace

void Contrast(const EffectRegion& region, int amount, const PassProgress& progress) {
  auto area = effects_detail::AreaOf(region);
  if (!area) return;
  uint8_t byte[256];
  for (int c = 0; c < 256; ++c) byte[c] = Contrasted(c, amount);
  // The same table for two bytes at a time: half the lookups. Each byte of
  // the pair maps on its own, so the byte order of the pair does not matter.
  std::vector<uint16_t> pairs(65536);
  for (unsigned w = 0; w < 65536; ++w) pairs[w] = uint16_t(byte[w & 255] | byte[w >> 8] << 8);
  const uint16_t* pair = pairs.data();  // held here: the stores below may alias anything

  const size_t n = size_t(area->width()) * size_t(area->bytes);
  RowTable rows(*region.picture);
  for (int32_t y = area->top; y < area->bottom; ++y) {
    uint8_t* p = rows[y] + size_t(area->left) * size_t(area->bytes);
    size_t i = 0;
    for (; i + 2 <= n; i += 2) {
      uint16_t w;
      std::memcpy(&w, p + i, 2);
      w = pair[w];
      std::memcpy(p + i, &w, 2);
    }
    if (i < n) p[i] = byte[p[i]];
    progress.Report();
  }
}

}  // namespace lumora
