// Private to the effect passes: the region of a pass checked against the
// picture it belongs to, and byte-wise saturating arithmetic for the point
// passes. Not part of the library's interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <type_traits>

#include "editor/effects/Passes.h"
#include "picture/DibImage.h"

namespace lumora::effects_detail {

// The rectangle a pass works on, in picture coordinates (row 0 at the top),
// and the bytes of one pixel: 3 on 24-bit pictures, 1 on 8-bit ones (whose
// index byte the passes treat as a grey level).
struct PassArea {
  int bytes = 0;
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t width() const { return right - left; }
  int32_t height() const { return bottom - top; }
};

// The region's rectangle when the pass has something to do: a picture with a
// valid block of one of the accepted depths (24, and 8 unless `allowGrey` is
// false), a region that is not empty and lies inside the picture as it is now
// (a region made before the picture changed size is refused). Otherwise
// nothing, and the pass leaves the picture alone.
inline std::optional<PassArea> AreaOf(const EffectRegion& region, bool allowGrey = true) {
  if (!region.picture) return std::nullopt;
  auto layout = region.picture->layout();
  if (!layout) return std::nullopt;
  PassArea a;
  if (layout->bitCount == 24)
    a.bytes = 3;
  else if (layout->bitCount == 8 && allowGrey)
    a.bytes = 1;
  else
    return std::nullopt;
  a.left = region.left;
  a.top = region.top;
  a.right = region.right;
  a.bottom = region.bottom;
  if (a.left < 0 || a.top < 0 || a.right > layout->width || a.bottom > layout->height) return std::nullopt;
  if (a.right <= a.left || a.bottom <= a.top) return std::nullopt;
  return a;
}

// Runs a neighbourhood pass (blur, sharpen, emboss) of `level`: nothing for a
// level outside 1..4, a region the pass refuses, or a region smaller than the
// (2 * level + 1)-pixel window; otherwise snapshots the picture and calls
// rows(bytesPerPixel, dst, src, area) with the picture's rows as destination
// and the backup's as source, bytesPerPixel a std::integral_constant of 3 or
// 1. False only when the snapshot finds no memory.
template <typename Rows>
bool RunNeighbourhoodPass(const EffectRegion& region, int level, Rows&& rows) {
  if (level < kMinFilterLevel || level > kMaxFilterLevel) return true;
  auto area = AreaOf(region);
  const int n = 2 * level + 1;
  if (!area || area->width() < n || area->height() < n) return true;
  DibImage& picture = *region.picture;
  if (!picture.Snapshot()) return false;
  RowTable dst(picture);
  const RowView src(picture.backup());
  if (area->bytes == 3)
    rows(std::integral_constant<int, 3>{}, dst, src, *area);
  else
    rows(std::integral_constant<int, 1>{}, dst, src, *area);
  return true;
}

// Calls onRow(y) for every row of the area from the bottom up: the order the
// rows lie in memory (the block stores the bottom row first). Passes whose
// rows do not depend on each other go this way, streaming forwards through
// memory, which is markedly faster than top to bottom; the result and the
// progress count are the same.
template <typename OnRow>
void ForEachRowInMemoryOrder(const PassArea& area, OnRow&& onRow) {
  for (int32_t y = area.bottom - 1; y >= area.top; --y) onRow(y);
}

// clamp(byte + amount) for every byte of a span, as unsigned saturating
// arithmetic (the same result as adding in int and clamping at the store,
// and simple enough for the compiler to vectorise).
inline void AddToBytes(uint8_t* p, size_t n, int amount) {
  if (amount >= 0) {
    const uint8_t a = uint8_t(amount > 255 ? 255 : amount);
    for (size_t i = 0; i < n; ++i) {
      uint8_t s = uint8_t(p[i] + a);
      p[i] = s < p[i] ? uint8_t(255) : s;
    }
  } else {
    const uint8_t a = uint8_t(amount < -255 ? 255 : -amount);
    for (size_t i = 0; i < n; ++i) p[i] = p[i] > a ? uint8_t(p[i] - a) : uint8_t(0);
  }
}

}  // namespace lumora::effects_detail
