// The view renderer against hand-computed views: centring and background,
// nearest sampling when zoomed out and in, scrolling, the columns it shows
// matching the selection's conversion to picture coordinates, paletted and
// other depths, and the magnifier's loupe.
#include "editor/ViewRender.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "editor/effects/Selection.h"
#include "picture/DibHeader.h"

namespace lumora {
namespace {

constexpr ViewPixel kBack = 0xff102030;     // the background below
constexpr uint32_t kBackColour = 0x302010;  // red 0x10, green 0x20, blue 0x30

// Picture pixel (x, y) of the test pictures: a colour that names it.
ViewPixel Named(int x, int y) { return 0xff000000u | uint32_t(x) << 16 | uint32_t(y) << 8 | 0x55; }

DibImage NamedPicture(int32_t w, int32_t h) {
  DibImage p;
  EXPECT_TRUE(p.Create(w, h, 24));
  RowTable rows(p);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* px = rows[y] + x * 3;
      px[0] = 0x55, px[1] = uint8_t(y), px[2] = uint8_t(x);
    }
  return p;
}

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

TEST(ViewRenderTest, CentresASmallPictureOnTheBackground) {
  EXPECT_EQ(ViewPixelOf(kBackColour), kBack);
  const DibImage pic = NamedPicture(4, 2);
  // 10 x 6 at 100%: offsets (10 - 4) / 2 = 3 and (6 - 2) / 2 = 2.
  ExpectView(Render(pic, {1.0f, 0, 0, 10, 6}), {-1, -1, -1, 0, 1, 2, 3, -1, -1, -1}, {-1, -1, 0, 1, -1, -1});
  // 9 x 5 at 200% (1.414): offsets trunc((9 - 5.66) / 2) = 1 and trunc((5 - 2.83) / 2) = 1.
  ExpectView(Render(pic, {1.41421356f, 0, 0, 9, 5}), {-1, 0, 0, 1, 2, 2, 3, -1, -1}, {-1, 0, 0, 1, -1});
  // An empty picture, and a zoom that is not positive, show only the background.
  ExpectView(Render(DibImage(), {1.0f, 0, 0, 3, 2}), {-1, -1, -1}, {-1, -1});
  ExpectView(Render(pic, {0.0f, 0, 0, 3, 2}), {-1, -1, -1}, {-1, -1});
}

TEST(ViewRenderTest, SamplesTheNearestPixelZoomedOutAndInWithScrolling) {
  const DibImage pic = NamedPicture(20, 12);
  // 25%: factor 0.5, every second pixel; the picture (10 x 6) fills the 6 x 4 view.
  ExpectView(Render(pic, {0.5f, 0, 0, 6, 4}), {0, 2, 4, 6, 8, 10}, {0, 2, 4, 6});
  ExpectView(Render(pic, {0.5f, 3, 2, 6, 4}), {6, 8, 10, 12, 14, 16}, {4, 6, 8, 10});
  // 200%: device d shows trunc(d / 1.41421356): 0 0 1 2 2 3 4 4 5 6 7 7 ...
  ExpectView(Render(pic, {1.41421356f, 0, 0, 8, 3}), {0, 0, 1, 2, 2, 3, 4, 4}, {0, 0, 1});
  ExpectView(Render(pic, {1.41421356f, 22, 10, 8, 3}), {15, 16, 16, 17, 18, 19, 19, -1}, {7, 7, 8});
  // 1600%: four device pixels a picture pixel, at the ends of the ranges (80 - 10, 48 - 6).
  ExpectView(Render(pic, {4.0f, 70, 42, 9, 5}), {17, 17, 18, 18, 18, 18, 19, 19, 19}, {10, 10, 11, 11, 11});
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

TEST(ViewRenderTest, ShowsPalettedAndOtherDepthsThroughTheirColours) {
  // 8 bits: indices through a colour table of three entries; other indices black.
  DibImage eight;
  ASSERT_TRUE(eight.Create(4, 1, 8));
  uint8_t* table = eight.block().data() + kInfoHeaderBytes;
  const uint8_t entries[3][4] = {{1, 2, 3, 0}, {0x10, 0x20, 0x30, 0}, {0xff, 0x80, 0x00, 0}};
  std::memcpy(table, entries, sizeof entries);
  std::memcpy(RowTable(eight)[0], "\x00\x01\x02\x03", 4);
  std::vector<ViewPixel> out = Render(eight, {1.0f, 0, 0, 4, 1});
  EXPECT_EQ(out[0], 0xff030201u);
  EXPECT_EQ(out[1], 0xff302010u);
  EXPECT_EQ(out[2], 0xff0080ffu);
  EXPECT_EQ(out[3], 0xff000000u + 3u * 0x010101u) << "the grey ramp's entry 3";

  // 16 bits, 5-5-5: pure red, 0x0421 (1, 1, 1 widened to 8).
  DibImage sixteen;
  ASSERT_TRUE(sixteen.Create(2, 1, 16));
  std::memcpy(RowTable(sixteen)[0], "\x00\x7c\x21\x04", 4);
  out = Render(sixteen, {1.0f, 0, 0, 2, 1});
  EXPECT_EQ(out[0], 0xffff0000u);
  EXPECT_EQ(out[1], 0xff080808u);

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
  const ViewPixel c0 = 0xff030201u, c1 = 0xff302010u, c2 = 0xff0080ffu;
  const ViewPixel want[] = {c0, c1, c2, c1, 0xdeadbeef, c2, c2, c0, c0};
  for (size_t i = 0; i < std::size(want); ++i) EXPECT_EQ(out[i], want[i]) << i;
}

TEST(ViewRenderTest, TheLoupeEnlargesTheViewAroundThePointInsideAWhiteFrame) {
  const int32_t w = 300, h = 200;
  std::vector<ViewPixel> view(size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) view[size_t(y) * w + x] = Named(x, y);
  std::vector<ViewPixel> loupe = view;
  DrawLoupe(loupe.data(), w, h, size_t(w), 150, 100, kBack);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int i = x - 70, j = y - 20;  // inside the loupe's 160 x 160 square
      ViewPixel want = Named(x, y);
      if (i >= 0 && i < 160 && j >= 0 && j < 160)
        want = i == 0 || j == 0 || i == 159 || j == 159 ? 0xffffffffu : Named(110 + i / 2, 60 + j / 2);
      ASSERT_EQ(loupe[size_t(y) * w + x], want) << x << "," << y;
    }
  // Near the corner: clipped to the buffer; a shown pixel's source lies
  // between it and the point.
  loupe = view;
  DrawLoupe(loupe.data(), w, h, size_t(w), 5, 3, kBack);
  EXPECT_EQ(loupe[0], Named(2, 1));
  EXPECT_EQ(loupe[size_t(79) * w + 79], Named(42, 41));
  EXPECT_EQ(loupe[size_t(82) * w + 84], 0xffffffffu) << "bottom-right corner of the frame";
  EXPECT_EQ(loupe[size_t(10) * w + 84], 0xffffffffu);
  EXPECT_EQ(loupe[size_t(83) * w + 85], Named(85, 83));
  // A point beyond the view: the source outside it shows the given colour.
  loupe = view;
  DrawLoupe(loupe.data(), w, h, size_t(w), -50, -50, kBack);
  EXPECT_EQ(loupe[0], kBack);
  EXPECT_EQ(loupe[size_t(29) * w + 29], 0xffffffffu);
  EXPECT_EQ(loupe[size_t(30) * w + 30], Named(30, 30));
}

}  // namespace
}  // namespace lumora
