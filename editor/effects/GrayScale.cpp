// Grey scale: the three channels of every pixel in the region become their
// integer mean (blue + green + red) / 3, which is always 0..255. 24-bit
// pictures only; the picture's own block is read and written.
#include "editor/effects/Passes.h"

#include <bit>
#include <cstring>

#include "editor/effects/PassArea.h"

namespace lumora {

namespace {

// s / 3 for s = 0..765 (three channels): 683 / 2048 overshoots 1/3 by less
// than 1/765 of a unit.
inline uint32_t Third(uint32_t s) { return (s * 683) >> 11; }

// Four pixels as three little-endian 32-bit words:
// b0 g0 r0 b1 | g1 r1 b2 g2 | r2 b3 g3 r3.
inline void FourPixels(uint8_t* p) {
  uint32_t w[3];
  std::memcpy(w, p, 12);
  const uint32_t q0 = Third((w[0] & 255) + (w[0] >> 8 & 255) + (w[0] >> 16 & 255));
  const uint32_t q1 = Third((w[0] >> 24) + (w[1] & 255) + (w[1] >> 8 & 255));
  const uint32_t q2 = Third((w[1] >> 16 & 255) + (w[1] >> 24) + (w[2] & 255));
  const uint32_t q3 = Third((w[2] >> 8 & 255) + (w[2] >> 16 & 255) + (w[2] >> 24));
  w[0] = q0 * 0x010101u | q1 << 24;
  w[1] = q1 * 0x0101u | q2 * 0x01010000u;
  w[2] = q2 | q3 * 0x01010100u;
  std::memcpy(p, w, 12);
}

}  // namespace

void GrayScale(const EffectRegion& region, const PassProgress& progress) {
  auto area = effects_detail::AreaOf(region, /*allowGrey=*/false);
  if (!area) return;
  const int32_t width = area->width();  // held here: the stores below may alias anything
  RowTable rows(*region.picture);
  effects_detail::ForEachRowInMemoryOrder(*area, [&](int32_t y) {
    uint8_t* p = rows[y] + size_t(area->left) * 3;
    int32_t x = 0;
    // Whole words where the byte order allows; pixel by pixel otherwise and
    // for the last pixels of the row.
    if constexpr (std::endian::native == std::endian::little)
      for (; x + 4 <= width; x += 4, p += 12) FourPixels(p);
    for (; x < width; ++x, p += 3) p[0] = p[1] = p[2] = uint8_t(Third(unsigned(p[0]) + p[1] + p[2]));
    progress.Report();
  });
}

}  // namespace lumora
