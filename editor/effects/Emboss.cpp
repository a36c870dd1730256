// Emboss: region pixels at least `level` from its edge become the backup's
// upper-left window triangle (i + j <= r - 1) minus the lower-right one, plus
// 125, clamped at the store. 24-bit pictures, and grey levels on 8-bit ones.
#include "editor/effects/Passes.h"

#include <vector>

#include "editor/effects/PassArea.h"

namespace lumora {

// Both triangles have r(r + 1)/2 cells. Their sums move one column right by
// adding an anti-diagonal of r cells and taking away a column of r cells, and
// those runs move one row down with two cells each, so every pixel costs the
// same few operations at any level.

namespace {

constexpr int kEmbossOffset = 125;

// Sums of r-cell runs and r-row triangles around pixel (y, x), channel c.
// "Down" shapes grow down and to the right from (y, x); "up" shapes grow up
// and to the left.
template <int C>
struct Cells {
  const RowView& src;
  int r;
  int32_t at(int32_t y, int32_t x, int c) const { return src[y][size_t(x) * C + size_t(c)]; }
  int32_t TriangleDown(int32_t y, int32_t x, int c) const {
    int32_t s = 0;
    for (int a = 0; a < r; ++a)
      for (int b = 0; a + b < r; ++b) s += at(y + a, x + b, c);
    return s;
  }
  int32_t TriangleUp(int32_t y, int32_t x, int c) const {
    int32_t s = 0;
    for (int a = 0; a < r; ++a)
      for (int b = 0; a + b < r; ++b) s += at(y - a, x - b, c);
    return s;
  }
  // (y, x + r), (y + 1, x + r - 1) .. (y + r - 1, x + 1)
  int32_t DiagonalDown(int32_t y, int32_t x, int c) const {
    int32_t s = 0;
    for (int a = 0; a < r; ++a) s += at(y + a, x + r - a, c);
    return s;
  }
  // (y, x - r + 1), (y - 1, x - r + 2) .. (y - r + 1, x)
  int32_t DiagonalUp(int32_t y, int32_t x, int c) const {
    int32_t s = 0;
    for (int a = 0; a < r; ++a) s += at(y - a, x - r + 1 + a, c);
    return s;
  }
  int32_t ColumnDown(int32_t y, int32_t x, int c) const {
    int32_t s = 0;
    for (int a = 0; a < r; ++a) s += at(y + a, x, c);
    return s;
  }
  int32_t ColumnUp(int32_t y, int32_t x, int c) const {
    int32_t s = 0;
    for (int a = 0; a < r; ++a) s += at(y - a, x, c);
    return s;
  }
};

template <int C>
void EmbossRows(int r, RowTable& dst, const RowView& src, const effects_detail::PassArea& area,
                const PassProgress& progress) {
  const Cells<C> cells{src, r};
  const int32_t L = area.left, R = area.right, T = area.top, B = area.bottom;
  // Output columns x = L + r + k, k < count. The positive triangle of x starts
  // at column L + k (row y - r), the negative one ends at L + 2r + k (row y + r).
  const int32_t count = R - L - 2 * r;
  const size_t n = size_t(count) * C;
  // Runs of at most 4 cells and triangles of at most 10 fit 16 bits, which
  // halves the memory the row loops move.
  std::vector<int16_t> colDown(n), diagDown(n), colUp(n), diagUp(n);

  int32_t yd = T, yu = T + 2 * r;  // rows of the two triangles' corners
  for (int32_t k = 0; k < count; ++k)
    for (int c = 0; c < C; ++c) {
      const size_t i = size_t(k) * C + size_t(c);
      colDown[i] = int16_t(cells.ColumnDown(yd, L + k, c));
      diagDown[i] = int16_t(cells.DiagonalDown(yd, L + k, c));
      colUp[i] = int16_t(cells.ColumnUp(yu, L + 2 * r + k, c));
      diagUp[i] = int16_t(cells.DiagonalUp(yu, L + 2 * r + k, c));
    }

  const size_t downFirst = size_t(L) * C, upFirst = size_t(L + 2 * r) * C;
  std::vector<int16_t> sum(n);  // positive minus negative triangle, per output value
  for (int32_t y = T + r; y < B - r; ++y, ++yd, ++yu) {
    // Slide both triangles along the row: one running difference per channel,
    // whose steps are the runs that enter and leave.
    int32_t run[C];  // one running difference per channel, kept in a register
    for (int c = 0; c < C; ++c) run[c] = cells.TriangleDown(yd, L, c) - cells.TriangleUp(yu, L + 2 * r, c);
    for (size_t i = 0;; i += C) {
      for (int c = 0; c < C; ++c) sum[i + size_t(c)] = int16_t(run[c]);
      if (i + C == n) break;
      for (int c = 0; c < C; ++c) {
        const size_t k = i + size_t(c);
        run[c] += (diagDown[k] - colDown[k]) - (colUp[k + C] - diagUp[k]);
      }
    }
    uint8_t* out = dst[y] + size_t(L + r) * C;
    for (size_t i = 0; i < n; ++i) out[i] = StoreChannel(sum[i] + kEmbossOffset);
    progress.Report();
    if (y + 1 == B - r) break;

    // Move the runs one row down: each loses one cell and gains one.
    const uint8_t* leaveDown = src[yd];
    const uint8_t* enterDown = src[yd + r];
    const uint8_t* enterUp = src[yu + 1];
    const uint8_t* leaveUp = src[yu + 1 - r];
    for (size_t i = 0; i < n; ++i)
      colDown[i] = int16_t(colDown[i] + enterDown[downFirst + i] - leaveDown[downFirst + i]);
    for (size_t i = 0; i < n; ++i) colUp[i] = int16_t(colUp[i] + enterUp[upFirst + i] - leaveUp[upFirst + i]);
    // A diagonal one row lower is the next column's diagonal with its top
    // cell dropped and a new bottom cell.
    const uint8_t* diagonalLeaves = leaveDown + size_t(L + r + 1) * C;
    const uint8_t* diagonalEnters = enterDown + size_t(L + 1) * C;
    for (size_t i = 0; i + C < n; ++i) diagDown[i] = int16_t(diagDown[i + C] - diagonalLeaves[i] + diagonalEnters[i]);
    const uint8_t* upEnters = enterUp + size_t(L + r + 1) * C;
    const uint8_t* upLeaves = leaveUp + size_t(L + 2 * r + 1) * C;
    for (size_t i = 0; i + C < n; ++i) diagUp[i] = int16_t(diagUp[i + C] + upEnters[i] - upLeaves[i]);
    for (int c = 0; c < C; ++c) {
      diagDown[n - C + size_t(c)] = int16_t(cells.DiagonalDown(yd + 1, L + count - 1, c));
      diagUp[n - C + size_t(c)] = int16_t(cells.DiagonalUp(yu + 1, L + 2 * r + count - 1, c));
    }
  }
}

}  // namespace

bool Emboss(const EffectRegion& region, int level, const PassProgress& progress) {
  return effects_detail::RunNeighbourhoodPass(
      region, level, [&](auto bytes, RowTable& dst, const RowView& src, const effects_detail::PassArea& area) {
        EmbossRows<decltype(bytes)::value>(level, dst, src, area, progress);
      });
}

}  // namespace lumora
