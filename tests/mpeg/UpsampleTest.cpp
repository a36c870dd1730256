// The chroma up-sampling filters against their formulas written out term by
// term (sums with 128 added, shifted right by 8, clamped; indices below 0
// read sample 0 and past the end the last sample).
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "mpeg/PictureOutput.h"

namespace lumora::mpeg {
namespace {

int Clip(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// Sample i of line `x` (n samples) with indices clamped.
struct Line {
  const std::vector<int>& x;
  int operator()(int i) const { return x[size_t(i < 0 ? 0 : i >= int(x.size()) ? int(x.size()) - 1 : i)]; }
};

void Expected(UpsampleMode mode, const Line& s, int i, int& even, int& odd) {
  switch (mode) {
    case UpsampleMode::Mpeg1:
      even = Clip((5 * s(i - 3) - 21 * s(i - 2) + 70 * s(i - 1) + 228 * s(i) - 37 * s(i + 1) + 11 * s(i + 2) + 128) >> 8);
      odd = Clip((11 * s(i - 2) - 37 * s(i - 1) + 228 * s(i) + 70 * s(i + 1) - 21 * s(i + 2) + 5 * s(i + 3) + 128) >> 8);
      break;
    case UpsampleMode::Mpeg2:
      even = s(i);
      odd = Clip((21 * (s(i - 2) + s(i + 3)) - 52 * (s(i - 1) + s(i + 2)) + 159 * (s(i) + s(i + 1)) + 128) >> 8);
      break;
    case UpsampleMode::Interlaced:
      even = Clip((3 * s(i - 3) - 16 * s(i - 2) + 67 * s(i - 1) + 227 * s(i) - 32 * s(i + 1) + 7 * s(i + 2) + 128) >> 8);
      odd = Clip((7 * s(i - 2) - 32 * s(i - 1) + 227 * s(i) + 67 * s(i + 1) - 16 * s(i + 2) + 3 * s(i + 3) + 128) >> 8);
      break;
    case UpsampleMode::Replicate:
      even = odd = s(i);
      break;
  }
}

class Upsample : public ::testing::TestWithParam<UpsampleMode> {};

TEST_P(Upsample, HorizontalFollowsTheFormulas) {
  std::mt19937 random(7);
  for (int width : {1, 2, 5, 9, 64}) {
    const int rows = 3;
    std::vector<uint8_t> src(size_t(width * rows));
    for (auto& v : src) v = uint8_t(random() % 4 == 0 ? (random() % 2) * 255 : random() % 256);  // with hard edges
    std::vector<uint8_t> out(size_t(2 * width * rows));
    UpsampleHorizontal(src.data(), width, rows, width, GetParam(), out.data());
    for (int r = 0; r < rows; ++r) {
      std::vector<int> line(src.begin() + r * width, src.begin() + (r + 1) * width);
      for (int i = 0; i < width; ++i) {
        int even, odd;
        Expected(GetParam(), Line{line}, i, even, odd);
        ASSERT_EQ(out[size_t(r * 2 * width + 2 * i)], even) << "width " << width << " row " << r << " sample " << i;
        ASSERT_EQ(out[size_t(r * 2 * width + 2 * i + 1)], odd) << "width " << width << " row " << r << " sample " << i;
      }
    }
  }
}

TEST_P(Upsample, VerticalFollowsTheFormulasPerColumnOrField) {
  std::mt19937 random(11);
  for (int height : {1, 2, 3, 4, 7, 12, 13}) {
    const int width = 5, stride = 8;
    std::vector<uint8_t> src(size_t(stride * height));
    for (auto& v : src) v = uint8_t(random() % 256);
    std::vector<uint8_t> out(size_t(width * 2 * height));
    UpsampleVertical(src.data(), width, height, stride, GetParam(), out.data());
    for (int x = 0; x < width; ++x) {
      if (GetParam() == UpsampleMode::Interlaced) {
        // Frame row r is output r / 2 of field r % 2: the even or odd output
        // of that field's row r / 4, filtered from the field's own samples
        // (past its last one, the last). With an odd height the bottom field
        // has a row less; a single row is the top field's alone.
        for (int r = 0; r < 2 * height; ++r) {
          const int f = height > 1 ? r % 2 : 0;
          const int k = height > 1 ? r / 2 : r;
          std::vector<int> column;
          for (int s = f; s < height; s += 2) column.push_back(src[size_t(s * stride + x)]);
          int even, odd;
          Expected(GetParam(), Line{column}, k / 2, even, odd);
          ASSERT_EQ(out[size_t(r * width + x)], k % 2 ? odd : even) << "height " << height << " frame row " << r;
        }
        continue;
      }
      std::vector<int> column;
      for (int r = 0; r < height; ++r) column.push_back(src[size_t(r * stride + x)]);
      for (int i = 0; i < height; ++i) {
        int even, odd;
        Expected(GetParam(), Line{column}, i, even, odd);
        ASSERT_EQ(out[size_t(2 * i * width + x)], even) << "height " << height << " row " << i;
        ASSERT_EQ(out[size_t((2 * i + 1) * width + x)], odd) << "height " << height << " row " << i;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, Upsample,
                         ::testing::Values(UpsampleMode::Mpeg1, UpsampleMode::Mpeg2, UpsampleMode::Interlaced,
                                           UpsampleMode::Replicate));

}  // namespace
}  // namespace lumora::mpeg
