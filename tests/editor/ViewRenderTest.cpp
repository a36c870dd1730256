// The view renderer against hand-computed views: centring and background,
// nearest sampling when zoomed out and in, scrolling, the pixels it shows
// matching the selection's conversion to picture coordinates, paletted
// pictures.
#include "editor/ViewRender.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "editor/effects/Selection.h"
#include "picture/DibHeader.h"
#include "tests/editor/NamedPicture.h"

namespace lumora {
namespace {

constexpr ViewPixel kBack = 0xff102030;     // the background below
constexpr uint32_t kBackColour = 0x302010;  // red 0x10, green 0x20, blue 0x30

// Picture pixel (x, y) of the test pictures: a colour that names it.
ViewPixel Named(int x, int y) { return 0xff000000u | uint32_t(x) << 16 | uint32_t(y) << 8 | 0x55; }

using test::NamedPicture;

// Renders into a buffer with a guard column on the right of every row.
std::vector<ViewPixel> Render(const DibImage& picture, ViewPlacement view) {
  view.background = kBackColour;
  const size_t stride = size_t(view.width) + 1;
  std::vector<ViewPixel> out(stride * size_t(view.height), 0xdeadbeef);
  ViewRenderer().Render(picture, view, out.data(), stride);
  for (int y = 0; y < view.height; ++y) EXPECT_EQ(out[size_t(y) * stride + size_t(view.width)], 0xdeadbeef);
  return out;
}

// The expected view from picture columns and rows per device column and row (-1: background).
void ExpectView(const std::vector<ViewPixel>& out, const std::vector<int>& cols, const std::vector<int>& rows) {
  const size_t stride = cols.size() + 1;
  for (size_t y = 0; y < rows.size(); ++y)
    for (size_t x = 0; x < cols.size(); ++x) {
      const ViewPixel want = cols[x] < 0 || rows[y] < 0 ? kBack : Named(cols[x], rows[y]);
      ASSERT_EQ(out[y * stride + x], want) << "device " << x << "," << y;
    }
}

TEST(ViewRenderTest, CentresSmallPicturesAndSamplesTheNearestPixel) {
  EXPECT_EQ(ViewPixelOf(kBackColour), kBack);
  const DibImage small = NamedPicture(4, 2), large = NamedPicture(20, 12), empty;
  // picture, placement, picture column per device column and row per device row (-1: background)
  const std::tuple<const DibImage*, ViewPlacement, std::vector<int>, std::vector<int>> cases[] = {
      // 100%: offsets (10 - 4) / 2 = 3 and (6 - 2) / 2 = 2.
      {&small, {1.0f, 0, 0, 10, 6}, {-1, -1, -1, 0, 1, 2, 3, -1, -1, -1}, {-1, -1, 0, 1, -1, -1}},
      // 200% (1.414): offsets trunc((9 - 5.66) / 2) = 1 and trunc((5 - 2.83) / 2) = 1.
      {&small, {1.41421356f, 0, 0, 9, 5}, {-1, 0, 0, 1, 2, 2, 3, -1, -1}, {-1, 0, 0, 1, -1}},
      // 25%: every second pixel, scrolled or not.
      {&large, {0.5f, 0, 0, 6, 4}, {0, 2, 4, 6, 8, 10}, {0, 2, 4, 6}},
      {&large, {0.5f, 3, 2, 6, 4}, {6, 8, 10, 12, 14, 16}, {4, 6, 8, 10}},
      // 200%: device d shows trunc(d / 1.41421356), up to the picture's end.
      {&large, {1.41421356f, 0, 0, 8, 3}, {0, 0, 1, 2, 2, 3, 4, 4}, {0, 0, 1}},
      {&large, {1.41421356f, 22, 10, 8, 3}, {15, 16, 16, 17, 18, 19, 19, -1}, {7, 7, 8}},
      // 1600%: four device pixels a picture pixel, at the ends of the ranges (80 - 10, 48 - 6).
      {&large, {4.0f, 70, 42, 9, 5}, {17, 17, 18, 18, 18, 18, 19, 19, 19}, {10, 10, 11, 11, 11}},
      // An empty picture shows only the background.
      {&empty, {1.0f, 0, 0, 3, 2}, {-1, -1, -1}, {-1, -1}}};
  for (const auto& [picture, view, cols, rows] : cases) {
    SCOPED_TRACE(testing::Message() << "zoom " << view.zoom << " scrolled " << view.scrollX << "," << view.scrollY);
    ExpectView(Render(*picture, view), cols, rows);
  }
}

TEST(ViewRenderTest, ShowsThePixelsTheSelectionConversionPicks) {
  const DibImage pic = NamedPicture(30, 20);
  for (float zoom : {0.5f, 0.57735027f, 0.70710678f, 1.0f, 1.41421356f, 1.73205081f, 2.0f, 2.82842712f, 4.0f})
    for (int scroll : {0, 7}) {
      const ViewPlacement view{zoom, scroll, scroll, 50, 40};
      const std::vector<ViewPixel> out = Render(pic, view);
      for (int32_t d = 0; d < view.height; ++d) {
        // Down the diagonal: a one-pixel selection at scrolled (d + scroll,
        // d + scroll) starts at the pixel shown there.
        const int32_t s = d + scroll;
        const PictureRect r = SelectionToPicture({s, s, s + 1, s + 1}, {zoom, view.width, view.height}, 30, 20);
        const ViewPixel shown = out[size_t(d) * (size_t(view.width) + 1) + size_t(d)];
        if (shown != kBack) {
          EXPECT_EQ(shown, Named(r.left, r.top)) << zoom << " at " << s;
        }
      }
    }
}

TEST(ViewRenderTest, ShowsPalettedPicturesThroughTheirColourTables) {
  // 8 bits: indices through the colour table (three entries set over the grey ramp).
  DibImage eight;
  ASSERT_TRUE(eight.Create(4, 1, 8));
  uint8_t* table = eight.block().data() + kInfoHeaderBytes;
  const uint8_t entries[3][4] = {{1, 2, 3, 0}, {0x10, 0x20, 0x30, 0}, {0xff, 0x80, 0x00, 0}};
  std::memcpy(table, entries, sizeof entries);
  std::memcpy(RowTable(eight)[0], "\x00\x01\x02\x03", 4);
  const ViewPixel c0 = 0xff030201u, c1 = 0xff302010u, c2 = 0xff0080ffu;
  std::vector<ViewPixel> out = Render(eight, {1.0f, 0, 0, 4, 1});
  EXPECT_EQ(out, (std::vector<ViewPixel>{c0, c1, c2, 0xff030303u, 0xdeadbeef})) << "index 3: the grey ramp";

  // 4 bits from a file, two rows bottom-up: pixels 0 1 2 1 / 2 2 0 0, table of three.
  std::vector<uint8_t> block(kInfoHeaderBytes + 3 * 4 + 2 * 4);
  DibHeader header;
  header.width = 4, header.height = 2, header.bitCount = 4, header.coloursUsed = 3;
  header.Write(block);
  std::memcpy(block.data() + kInfoHeaderBytes, entries, sizeof entries);
  std::memcpy(block.data() + kInfoHeaderBytes + 12, "\x22\x00\x00\x00\x01\x21\x00\x00", 8);
  DibImage four;
  ASSERT_TRUE(four.Adopt(block, false));
  out = Render(four, {1.0f, 0, 0, 4, 2});
  EXPECT_EQ(out, (std::vector<ViewPixel>{c0, c1, c2, c1, 0xdeadbeef, c2, c2, c0, c0, 0xdeadbeef}));
}

}  // namespace
}  // namespace lumora
