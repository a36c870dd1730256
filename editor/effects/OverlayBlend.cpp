// Overlay blend: the overlay stretched over the region by nearest sample, each
// channel combined by one of seven methods (results always 0..255, stored with
// the clamp). 24-bit pictures; 8-bit ones blend with the overlay's luminance.
#include "editor/effects/Passes.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "editor/effects/PassArea.h"

namespace lumora {

namespace {

// One overlay row as blue, green, red bytes, whatever the overlay's depth.
class OverlayRows {
 public:
  OverlayRows(const DibImage& overlay, const DibLayout& layout) : rows_(overlay.Rows()), layout_(layout) {
    const uint8_t* table = overlay.ColourTable().data();
    for (uint32_t i = 0; i < layout.colours; ++i) {
      const uint8_t* e = table + size_t(i) * layout.entryBytes;
      palette_[i][0] = e[0], palette_[i][1] = e[1], palette_[i][2] = e[2];
    }
    bgr_.resize(size_t(layout.width) * 3);
  }
  // Depths whose pixels this reads: 1, 4, 8 (through the colour table), 16
  // (5 bits a channel), 24 and 32.
  static bool Readable(const DibLayout& l) {
    return l.bitCount == 1 || l.bitCount == 4 || l.bitCount == 8 || l.bitCount == 16 || l.bitCount == 24 ||
           l.bitCount == 32;
  }
  const uint8_t* Row(int32_t y) {
    if (y == current_) return bgr_.data();
    current_ = y;
    const uint8_t* s = rows_[y];
    uint8_t* d = bgr_.data();
    for (int32_t x = 0; x < layout_.width; ++x, d += 3) {
      switch (layout_.bitCount) {
        case 24: d[0] = s[3 * x], d[1] = s[3 * x + 1], d[2] = s[3 * x + 2]; break;
        case 32: d[0] = s[4 * x], d[1] = s[4 * x + 1], d[2] = s[4 * x + 2]; break;
        case 16: {
          const unsigned v = unsigned(s[2 * x]) | unsigned(s[2 * x + 1]) << 8;
          const unsigned c[3] = {v & 31, (v >> 5) & 31, (v >> 10) & 31};
          for (int k = 0; k < 3; ++k) d[k] = uint8_t(c[k] << 3 | c[k] >> 2);
          break;
        }
        default: {
          const int bits = layout_.bitCount;
          const int perByte = 8 / bits;
          const unsigned index = (s[x / perByte] >> (8 - bits * (x % perByte + 1))) & ((1u << bits) - 1);
          const uint8_t* e = index < layout_.colours ? palette_[index] : kBlack;
          d[0] = e[0], d[1] = e[1], d[2] = e[2];
          break;
        }
      }
    }
    return bgr_.data();
  }

 private:
  static constexpr uint8_t kBlack[3] = {0, 0, 0};
  RowView rows_;
  DibLayout layout_;
  uint8_t palette_[256][3] = {};
  std::vector<uint8_t> bgr_;
  int32_t current_ = -1;
};

// The luminance of a blue, green, red sample: 0.299 red + 0.587 green + 0.114
// blue, rounded.
inline int Luminance(const uint8_t* bgr) { return (114 * bgr[0] + 587 * bgr[1] + 299 * bgr[2] + 500) / 1000; }

template <typename Combine>
void BlendRows(const effects_detail::PassArea& area, RowTable& dst, OverlayRows& overlay,
               const std::vector<int32_t>& columns, const std::vector<int32_t>& rowOf, Combine combine,
               const PassProgress& progress) {
  effects_detail::ForEachRowInMemoryOrder(area, [&](int32_t y) {
    const uint8_t* o = overlay.Row(rowOf[size_t(y - area.top)]);
    uint8_t* p = dst[y] + size_t(area.left) * size_t(area.bytes);
    if (area.bytes == 3) {
      for (int32_t x = 0; x < area.width(); ++x, p += 3) {
        const uint8_t* s = o + size_t(columns[size_t(x)]) * 3;
        for (int c = 0; c < 3; ++c) p[c] = StoreChannel(combine(int(p[c]), int(s[c])));
      }
    } else {
      for (int32_t x = 0; x < area.width(); ++x, ++p)
        *p = StoreChannel(combine(int(*p), Luminance(o + size_t(columns[size_t(x)]) * 3)));
    }
    progress.Report();
  });
}

}  // namespace

void OverlayBlend(const OverlayRegion& region, BlendMethod method, const PassProgress& progress) {
  auto area = effects_detail::AreaOf(region);
  if (!area || !region.overlay) return;
  const auto layout = region.overlay->layout();
  if (!layout || !OverlayRows::Readable(*layout)) return;
  const int m = int(method);
  if (m < 0 || m >= kBlendMethodCount) return;

  // Nearest samples: trunc(offset * (overlay size / region size)), the ratio
  // in single precision; kept inside the overlay, which the rounding of a
  // single-precision ratio could otherwise overstep on very long sides.
  const float across = float(layout->width) / float(area->width());
  const float down = float(layout->height) / float(area->height());
  std::vector<int32_t> columns(size_t(area->width())), rowOf(size_t(area->height()));
  for (int32_t x = 0; x < area->width(); ++x)
    columns[size_t(x)] = std::min(int32_t(float(x) * across), layout->width - 1);
  for (int32_t y = 0; y < area->height(); ++y)
    rowOf[size_t(y)] = std::min(int32_t(float(y) * down), layout->height - 1);

  OverlayRows overlay(*region.overlay, *layout);
  RowTable dst(*region.picture);
  auto run = [&](auto combine) { BlendRows(*area, dst, overlay, columns, rowOf, combine, progress); };
  switch (method) {
    case BlendMethod::Paste: run([](int, int o) { return o; }); break;
    case BlendMethod::Screen: run([](int b, int o) { return 255 - (((255 - b) * (255 - o)) >> 8); }); break;
    // >> on a negative int is an arithmetic shift (C++20): the floor of the quotient.
    case BlendMethod::Blend: run([](int b, int o) { return b + (((o - b) * 100) >> 8); }); break;
    case BlendMethod::Lighten: run([](int b, int o) { return std::max(b, o); }); break;
    case BlendMethod::Darken: run([](int b, int o) { return std::min(b, o); }); break;
    case BlendMethod::Difference: run([](int b, int o) { return std::abs(o - b); }); break;
    case BlendMethod::Multiply: run([](int b, int o) { return (o * b) >> 8; }); break;
  }
}

}  // namespace lumora
