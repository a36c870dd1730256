// Contrast: every channel (or grey level) c of the region becomes
// c + trunc(amount * (c - 128) / 128 + 0.5), clamped at the store; reads and
// writes the picture's own block.
#include "editor/effects/Passes.h"

#include <cstring>

#include "editor/effects/PassArea.h"

namespace lumora {

namespace {

// Beyond this a change of any channel saturates; bounding it keeps the
// conversion to int defined for any amount.
constexpr double kLargestChange = 1024;
// Up to this amount, amount * (c - 128) + 64 fits 16 bits.
constexpr int kLargestLaneAmount = 255;

uint8_t Contrasted(int c, int amount) {
  double t = double(amount) * (c - 128) / 128 + 0.5;
  t = t > kLargestChange ? kLargestChange : t < -kLargestChange ? -kLargestChange : t;
  return StoreChannel(c + int(t));
}

// Sixteen channels at a time in 16-bit lanes (the compilers' vector extension,
// which both GCC and Clang turn into SIMD code on every target). The formula
// in integers: v = amount * (c - 128) + 64 is 128 times the value before
// truncation, which (v + 127) >> 7 truncates toward zero when v is negative
// and v >> 7 when it is not.
constexpr size_t kLaneCount = 16;
using Lanes = int16_t __attribute__((vector_size(2 * kLaneCount)));
using LaneBytes = uint8_t __attribute__((vector_size(kLaneCount)));

void ContrastLanes(uint8_t* p, const Lanes& amount) {
  LaneBytes in;
  std::memcpy(&in, p, kLaneCount);
  const Lanes c = __builtin_convertvector(in, Lanes);
  const Lanes v = amount * (c - 128) + 64;
  Lanes r = c + ((v + ((v >> 15) & 127)) >> 7);
  r = r < 0 ? 0 : r;
  r = r > 255 ? 255 : r;
  const LaneBytes out = __builtin_convertvector(r, LaneBytes);
  std::memcpy(p, &out, kLaneCount);
}

}  // namespace

void Contrast(const EffectRegion& region, int amount, const PassProgress& progress) {
  auto area = effects_detail::AreaOf(region);
  if (!area) return;
  uint8_t byte[256];
  for (int c = 0; c < 256; ++c) byte[c] = Contrasted(c, amount);
  const bool lanes = amount >= -kLargestLaneAmount && amount <= kLargestLaneAmount;
  Lanes laneAmount{};
  for (size_t k = 0; k < kLaneCount; ++k) laneAmount[k] = int16_t(lanes ? amount : 0);

  const size_t n = size_t(area->width()) * size_t(area->bytes);
  RowTable rows(*region.picture);
  effects_detail::ForEachRowInMemoryOrder(*area, [&](int32_t y) {
    uint8_t* p = rows[y] + size_t(area->left) * size_t(area->bytes);
    size_t i = 0;
    if (lanes)
      for (; i + kLaneCount <= n; i += kLaneCount) ContrastLanes(p + i, laneAmount);
    for (; i < n; ++i) p[i] = byte[p[i]];
    progress.Report();
  });
}

}  // namespace lumora
