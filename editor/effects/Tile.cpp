// Tile: the region filled with the background, then tiles of 12 * size pixels
// copied from the backup with random shifts and framed in the background, all
// clipped to the region; values are only moved. 24-bit and 8-bit pictures.
#include "editor/effects/Passes.h"

#include <algorithm>
#include <cstring>

#include "editor/effects/PassArea.h"

namespace lumora {

// One more tile row and column than fit whole, so the edges are covered;
// source pixels shifted in from outside the picture are skipped. On 8-bit
// pictures the background is the grey level (red + green + blue) / 3.

namespace {

constexpr int32_t kTileUnit = 12;  // tile edge per tile size level
constexpr int kMaxScatter = 4;
constexpr int kRandomMiddle = 16383;

// The shift of a tile along one axis: trunc((rand - 16383) * T * k * m * 0.25),
// at most an eighth of a tile per scatter level either way.
int32_t Shift(ClassicRandom& random, int32_t edge, int scatter) {
  return int32_t((random.Next() - kRandomMiddle) * edge * kRandomScale * scatter * 0.25);
}

struct Painter {
  RowTable& dst;
  const effects_detail::PassArea& area;
  uint8_t colour[3];  // as stored: blue, green, red (or the grey level)

  // Background over columns [x0, x1) of row y, clipped to the region.
  void Line(int32_t y, int32_t x0, int32_t x1) const {
    if (y < area.top || y >= area.bottom) return;
    x0 = std::max(x0, area.left);
    x1 = std::min(x1, area.right);
    if (x0 >= x1) return;
    uint8_t* p = dst[y] + size_t(x0) * size_t(area.bytes);
    for (int32_t x = x0; x < x1; ++x, p += area.bytes) std::memcpy(p, colour, size_t(area.bytes));
  }
  // Background over rows [y0, y1) of column x, clipped to the region.
  void Column(int32_t x, int32_t y0, int32_t y1) const {
    if (x < area.left || x >= area.right) return;
    for (int32_t y = std::max(y0, area.top); y < std::min(y1, area.bottom); ++y)
      std::memcpy(dst[y] + size_t(x) * size_t(area.bytes), colour, size_t(area.bytes));
  }
};

}  // namespace

bool Tile(const EffectRegion& region, int tileSize, int scatter, uint32_t background, ClassicRandom& random,
          const PassProgress& progress) {
  if (tileSize < kMinFilterLevel || tileSize > kMaxFilterLevel || scatter < 0 || scatter > kMaxScatter) return true;
  auto area = effects_detail::AreaOf(region);
  if (!area) return true;
  DibImage& picture = *region.picture;
  if (!picture.Snapshot()) return false;
  RowTable dst(picture);
  const RowView src(picture.backup());
  const int32_t width = picture.width(), height = picture.height();
  const size_t bytes = size_t(area->bytes);

  const uint8_t red = uint8_t(background), green = uint8_t(background >> 8), blue = uint8_t(background >> 16);
  Painter paint{dst, *area, {blue, green, red}};
  if (bytes == 1) paint.colour[0] = uint8_t((red + green + blue) / 3);

  effects_detail::ForEachRowInMemoryOrder(*area, [&](int32_t y) {
    paint.Line(y, area->left, area->right);
    progress.Report();
  });

  const int32_t edge = kTileUnit * tileSize;
  for (int32_t ty = 0; ty <= area->height() / edge; ++ty) {
    for (int32_t tx = 0; tx <= area->width() / edge; ++tx) {
      const int32_t dx = Shift(random, edge, scatter);
      const int32_t dy = Shift(random, edge, scatter);
      const int32_t sy = area->top + ty * edge, sx = area->left + tx * edge;
      // Inner part: source columns sx + 1 .. sx + edge - 2, kept inside the
      // picture and, once shifted, inside the region.
      const int32_t x0 = std::max({sx + 1, 0, area->left - dx});
      const int32_t x1 = std::min({sx + edge - 1, width, area->right - dx});
      for (int32_t y = sy + 1; x0 < x1 && y < sy + edge - 1; ++y) {
        if (y < 0 || y >= height || y + dy < area->top || y + dy >= area->bottom) continue;
        std::memcpy(dst[y + dy] + size_t(x0 + dx) * bytes, src[y] + size_t(x0) * bytes, size_t(x1 - x0) * bytes);
      }
      // Frame of the shifted square.
      const int32_t top = sy + dy, left = sx + dx;
      paint.Line(top, left, left + edge);
      paint.Line(top + edge - 1, left, left + edge);
      paint.Column(left, top, top + edge);
      paint.Column(left + edge - 1, top, top + edge);
    }
    progress.Report(edge);
  }
  return true;
}

}  // namespace lumora
