// The picture view drawn into device pixels: one column table and one row
// pointer per device row, so the cost follows the view, not the picture.
#include "editor/ViewRender.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>

namespace lumora {

namespace {

// Coordinates far beyond any view: keeps the conversions to int defined.
constexpr float kCoordinateLimit = 1 << 30;

int32_t Truncate(float v) { return int32_t(std::clamp(v, -kCoordinateLimit, kCoordinateLimit)); }

constexpr ViewPixel kOpaqueBlack = 0xff000000u;
constexpr ViewPixel kWhite = 0xffffffffu;

ViewPixel FromBgr(const uint8_t* p) { return kOpaqueBlack | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]; }

// A 5-bit channel widened to 8 bits with its top bits repeated below.
uint32_t Widen5(uint32_t c) { return c << 3 | c >> 2; }

}  // namespace

int32_t PictureOffset(int32_t clientSize, int32_t pictureSize, float zoom) {
  return Truncate(std::max(0.0f, (float(clientSize) - float(pictureSize) * zoom) / 2));
}

int32_t PictureIndexAt(int32_t scrolled, int32_t offset, float zoom, int32_t pictureSize) {
  if (!(zoom > 0) || scrolled < offset) return -1;
  const int32_t index = Truncate(float(int64_t(scrolled) - offset) / zoom);
  return index < pictureSize ? index : -1;
}

void ViewRenderer::Colours(const DibImage& picture, const DibLayout& layout) {
  colours_.fill(kOpaqueBlack);
  const std::span<const uint8_t> table = picture.ColourTable();
  const size_t entries = std::min<size_t>(layout.colours, table.size() / layout.entryBytes);
  for (size_t i = 0; i < entries && i < colours_.size(); ++i) colours_[i] = FromBgr(&table[i * layout.entryBytes]);
}

void ViewRenderer::Render(const DibImage& picture, const ViewPlacement& view, ViewPixel* out, size_t stride) {
  if (view.width <= 0 || view.height <= 0) return;
  const ViewPixel background = ViewPixelOf(view.background);
  const size_t width = size_t(view.width);
  auto fillRow = [&](ViewPixel* row, size_t from, size_t to) { std::fill(row + from, row + to, background); };

  const std::optional<DibLayout> layout = picture.layout();
  const int bits = layout ? layout->bitCount : 0;
  const bool shown = bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
  if (!shown || !(view.zoom > 0)) {
    for (int32_t y = 0; y < view.height; ++y) fillRow(out + size_t(y) * stride, 0, width);
    return;
  }
  if (bits <= 8) Colours(picture, *layout);

  // The column table: for each device column the picture column it shows,
  // as a byte offset into the row for whole-byte depths. Columns are
  // monotonic, so the picture covers one run [first, last) of the view.
  const int32_t offX = PictureOffset(view.width, layout->width, view.zoom);
  const int32_t offY = PictureOffset(view.height, layout->height, view.zoom);
  columns_.resize(width);
  size_t first = width, last = 0;
  for (size_t x = 0; x < width; ++x) {
    const int32_t col = PictureIndexAt(view.scrollX + int32_t(x), offX, view.zoom, layout->width);
    if (col >= 0) {
      first = std::min(first, x);
      last = x + 1;
    }
    columns_[x] = bits >= 8 ? col * (bits / 8) : col;
  }
  if (first >= last) first = last = 0;

  const RowView rows = picture.Rows();
  const int32_t* columns = columns_.data();
  int32_t previous = -1;  // picture row of the previous device row
  for (int32_t y = 0; y < view.height; ++y) {
    ViewPixel* line = out + size_t(y) * stride;
    const int32_t row = PictureIndexAt(view.scrollY + y, offY, view.zoom, layout->height);
    if (row < 0 || first == last) {
      fillRow(line, 0, width);
      previous = -1;
      continue;
    }
    // Zoomed in, neighbouring device rows show the same picture row.
    if (row == previous) {
      std::memcpy(line, line - stride, width * sizeof(ViewPixel));
      continue;
    }
    previous = row;
    fillRow(line, 0, first);
    fillRow(line, last, width);
    const uint8_t* src = rows[row];
    switch (bits) {
      case 24:
      case 32:  // blue, green, red and an unused byte
        for (size_t x = first; x < last; ++x) line[x] = FromBgr(src + columns[x]);
        break;
      case 8:
        for (size_t x = first; x < last; ++x) line[x] = colours_[src[columns[x]]];
        break;
      case 16:
        for (size_t x = first; x < last; ++x) {
          const uint8_t* p = src + columns[x];
          const uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8;
          line[x] = kOpaqueBlack | Widen5(v >> 10 & 31) << 16 | Widen5(v >> 5 & 31) << 8 | Widen5(v & 31);
        }
        break;
      default: {  // 1, 2 or 4 bits: the leftmost pixel in the high bits of a byte
        const uint32_t mask = (1u << bits) - 1;
        for (size_t x = first; x < last; ++x) {
          const size_t bit = size_t(columns[x]) * size_t(bits);
          const unsigned shift = unsigned(8 - bits) - unsigned(bit & 7);
          line[x] = colours_[src[bit >> 3] >> shift & mask];
        }
        break;
      }
    }
  }
}

void DrawLoupe(ViewPixel* buffer, int32_t width, int32_t height, size_t stride, int32_t x, int32_t y,
               ViewPixel outside) {
  // The source square is copied first: the loupe covers it.
  std::array<ViewPixel, size_t(kLoupeSource) * kLoupeSource> source;
  const int32_t sx = x - kLoupeSource / 2, sy = y - kLoupeSource / 2;
  for (int32_t j = 0; j < kLoupeSource; ++j)
    for (int32_t i = 0; i < kLoupeSource; ++i) {
      const int32_t px = sx + i, py = sy + j;
      const bool inside = px >= 0 && px < width && py >= 0 && py < height;
      source[size_t(j) * kLoupeSource + size_t(i)] = inside ? buffer[size_t(py) * stride + size_t(px)] : outside;
    }
  const int32_t left = x - kLoupeSize / 2, top = y - kLoupeSize / 2;
  const int32_t i0 = std::max(0, -left), i1 = std::min(kLoupeSize, width - left);
  const int32_t j0 = std::max(0, -top), j1 = std::min(kLoupeSize, height - top);
  for (int32_t j = j0; j < j1; ++j) {
    ViewPixel* line = buffer + size_t(top + j) * stride;
    const ViewPixel* from = &source[size_t(j / 2) * kLoupeSource];
    const bool edgeRow = j == 0 || j == kLoupeSize - 1;
    for (int32_t i = i0; i < i1; ++i) line[left + i] = edgeRow || i == 0 || i == kLoupeSize - 1 ? kWhite : from[i / 2];
  }
}

}  // namespace lumora
