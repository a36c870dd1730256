// Emboss: every pixel of the region at least `level` pixels from its edge
// becomes the sum of the upper-left corner triangle of its window in the
// backup (cells i + j <= r - 1) minus the lower-right one (i + j >= 2(n - 1) -
// (r - 1)), plus 125, clamped at the store. 24-bit pictures, and grey levels
// on 8-bit ones.
//
// Both triangles have r(r + 1)/2 cells. Their sums move one column right by
// adding an anti-diagonal of r cells and taking away a column of r cells, and
// those runs move one row down with two cells each, so every pixel costs the
// same few operations at any level.
#include "editor/effects/Passes.h"

#include <vector>

#include "editor/effects/PassArea.h"

namespace lumora {

namespace {

constexpr int kEmbossOffset = 125;

// Sums of r-cell runs and r-row triangles around pixel (y, x), channel c.
// "Down" shapes grow down and to the right from (y, x); "up" shapes grow up
// and to the left.
template <int C>
struct Cells {
  const RowTable& src;
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
void EmbossRows(int r, RowTable& dst, const RowTable& src, const effects_detail::PassArea& area,
                const PassProgress& progress) {
  const Cells<C> cells{src, r};
  const int32_t L = area.left, R = area.right, T = area.top, B = area.bottom;
  // Output columns x = L + r + k, k < count. The positive triangle of x starts
  // at column L + k (row y - r), the negative one ends at L + 2r + k (row y + r).
  const int32_t count = R - L - 2 * r;
  const size_t n = size_t(count) * C;
  std::vector<int32_t> down(n), up(n);                    // triangle sums of the current row
  std::vector<int32_t> colDown(n), diagDown(n), colUp(n), diagUp(n);

  int32_t yd = T, yu = T + 2 * r;  // rows of the two triangles' corners
  for (int32_t k = 0; k < count; ++k)
    for (int c = 0; c < C; ++c) {
      const size_t i = size_t(k) * C + size_t(c);
      colDown[i] = cells.ColumnDown(yd, L + k, c);
      diagDown[i] = cells.DiagonalDown(yd, L + k, c);
      colUp[i] = cells.ColumnUp(yu, L + 2 * r + k, c);
      diagUp[i] = cells.DiagonalUp(yu, L + 2 * r + k, c);
    }

  for (int32_t y = T + r; y < B - r; ++y, ++yd, ++yu) {
    // Slide both triangles along the row.
    for (int c = 0; c < C; ++c) {
      int32_t d = cells.TriangleDown(yd, L, c);
      int32_t u = cells.TriangleUp(yu, L + 2 * r, c);
      for (int32_t k = 0;; ++k) {
        const size_t i = size_t(k) * C + size_t(c);
        down[i] = d;
        up[i] = u;
        if (k + 1 == count) break;
        d += diagDown[i] - colDown[i];
        u += colUp[i + C] - diagUp[i];
      }
    }
    uint8_t* out = dst[y] + size_t(L + r) * C;
    for (size_t i = 0; i < n; ++i) out[i] = StoreChannel(down[i] - up[i] + kEmbossOffset);
    progress.Report();
    if (y + 1 == B - r) break;

    // Move the runs one row down: each loses one cell and gains one.
    const uint8_t* leaveDown = src[yd];
    const uint8_t* enterDown = src[yd + r];
    const uint8_t* enterUp = src[yu + 1];
    const uint8_t* leaveUp = src[yu + 1 - r];
    for (int32_t k = 0; k < count; ++k)
      for (int c = 0; c < C; ++c) {
        const size_t i = size_t(k) * C + size_t(c);
        const int32_t xd = L + k, xu = L + 2 * r + k;
        colDown[i] += enterDown[size_t(xd) * C + size_t(c)] - leaveDown[size_t(xd) * C + size_t(c)];
        colUp[i] += enterUp[size_t(xu) * C + size_t(c)] - leaveUp[size_t(xu) * C + size_t(c)];
        if (k + 1 < count) {
          diagDown[i] = diagDown[i + C] - leaveDown[size_t(xd + r + 1) * C + size_t(c)] +
                        enterDown[size_t(xd + 1) * C + size_t(c)];
          diagUp[i] = diagUp[i + C] + enterUp[size_t(xu - r + 1) * C + size_t(c)] -
                      leaveUp[size_t(xu + 1) * C + size_t(c)];
        } else {
          diagDown[i] = cells.DiagonalDown(yd + 1, xd, c);
          diagUp[i] = cells.DiagonalUp(yu + 1, xu, c);
        }
      }
  }
}

}  // namespace

bool Emboss(const EffectRegion& region, int level, const PassProgress& progress) {
  if (level < kMinFilterLevel || level > kMaxFilterLevel) return true;
  auto area = effects_detail::AreaOf(region);
  const int n = 2 * level + 1;
  if (!area || area->width() < n || area->height() < n) return true;
  DibImage& picture = *region.picture;
  if (!picture.Snapshot()) return false;
  RowTable dst(picture);
  RowTable src(picture.backup());
  if (area->bytes == 3)
    EmbossRows<3>(level, dst, src, *area, progress);
  else
    EmbossRows<1>(level, dst, src, *area, progress);
  return true;
}

}  // namespace lumora
