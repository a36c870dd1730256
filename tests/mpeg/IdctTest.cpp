// The inverse DCT against the IEEE 1180 accuracy limits, measured the way
// that standard measures them: 10,000 random blocks for each input range and
// sign, compared with a double-precision reference rounded to integers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "mpeg/Idct.h"

namespace lumora::mpeg {
namespace {

// The standard's random number generator.
class Ieee1180Random {
 public:
  explicit Ieee1180Random(long seed) : x_(seed) {}
  long Next(long low, long high) {
    x_ = (x_ * 1103515245 + 12345) & 0xFFFFFFFF;  // keep to 32 bits
    double range = double(high - low + 1);
    double value = double(x_) / 4294967296.0;  // in [0, 1)
    return low + long(std::floor(value * range));
  }

 private:
  long x_;
};

void ReferenceIdct(const int16_t in[64], int out[64]) {
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      double sum = 0;
      for (int v = 0; v < 8; ++v) {
        for (int u = 0; u < 8; ++u) {
          double cu = u == 0 ? std::sqrt(0.5) : 1.0, cv = v == 0 ? std::sqrt(0.5) : 1.0;
          sum += cu * cv * in[v * 8 + u] * std::cos((2 * x + 1) * u * M_PI / 16) *
                 std::cos((2 * y + 1) * v * M_PI / 16);
        }
      }
      double r = std::floor(sum / 4 + 0.5);
      out[y * 8 + x] = int(r < -256 ? -256 : r > 255 ? 255 : r);
    }
  }
}

void ForwardDct(const double in[64], double out[64]) {
  for (int v = 0; v < 8; ++v) {
    for (int u = 0; u < 8; ++u) {
      double cu = u == 0 ? std::sqrt(0.5) : 1.0, cv = v == 0 ? std::sqrt(0.5) : 1.0;
      double sum = 0;
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
          sum += in[y * 8 + x] * std::cos((2 * x + 1) * u * M_PI / 16) * std::cos((2 * y + 1) * v * M_PI / 16);
      out[v * 8 + u] = cu * cv * sum / 4;
    }
  }
}

struct RangeCase {
  long low, high;
  int sign;
};

class Ieee1180 : public ::testing::TestWithParam<RangeCase> {};

TEST_P(Ieee1180, ErrorsStayWithinTheLimits) {
  const RangeCase c = GetParam();
  constexpr int kBlocks = 10000;
  Ieee1180Random random(1);
  double sumError[64] = {}, sumSquare[64] = {};
  int peak = 0;
  for (int b = 0; b < kBlocks; ++b) {
    double pixels[64], coefficients[64];
    for (double& p : pixels) p = double(random.Next(-c.low, c.high)) * c.sign;
    ForwardDct(pixels, coefficients);
    int16_t in[64];
    for (int i = 0; i < 64; ++i) {
      double r = std::floor(coefficients[i] + 0.5);
      in[i] = int16_t(r < -2048 ? -2048 : r > 2047 ? 2047 : r);
    }
    int ours[64], reference[64];
    InverseDct(in, ours);
    ReferenceIdct(in, reference);
    for (int i = 0; i < 64; ++i) {
      int o = ours[i] < -256 ? -256 : ours[i] > 255 ? 255 : ours[i];
      int e = o - reference[i];
      peak = std::max(peak, std::abs(e));
      sumError[i] += e;
      sumSquare[i] += e * e;
    }
  }
  double totalError = 0, totalSquare = 0, worstSquare = 0, worstMean = 0;
  for (int i = 0; i < 64; ++i) {
    totalError += sumError[i];
    totalSquare += sumSquare[i];
    worstSquare = std::max(worstSquare, sumSquare[i] / kBlocks);
    worstMean = std::max(worstMean, std::abs(sumError[i]) / kBlocks);
  }
  EXPECT_LE(peak, 1);
  EXPECT_LE(worstSquare, 0.06);
  EXPECT_LE(totalSquare / (64.0 * kBlocks), 0.02);
  EXPECT_LE(worstMean, 0.015);
  EXPECT_LE(std::abs(totalError) / (64.0 * kBlocks), 0.0015);
}

INSTANTIATE_TEST_SUITE_P(Ranges, Ieee1180,
                         ::testing::Values(RangeCase{256, 255, 1}, RangeCase{256, 255, -1}, RangeCase{5, 5, 1},
                                           RangeCase{5, 5, -1}, RangeCase{300, 300, 1}, RangeCase{300, 300, -1}));

TEST(Idct, ZeroBlockGivesZeroAndTheDcShortcutIsExact) {
  int16_t zero[64] = {};
  int out[64];
  InverseDct(zero, out);
  for (int v : out) EXPECT_EQ(v, 0);

  // DC only: every sample is dc / 8 rounded to nearest, halves up.
  for (int dc : {-2048, -1029, -4, -3, 0, 3, 4, 5, 12, 1023, 1024, 2047}) {
    int16_t block[64] = {};
    block[0] = int16_t(dc);
    int exact = int(std::floor(dc / 8.0 + 0.5));
    int full[64];
    InverseDct(block, full);
    for (int v : full) EXPECT_LE(std::abs(v - exact), 1) << "dc " << dc;
    uint8_t put[64], add[64];
    std::memset(add, 100, sizeof add);
    IdctPut(block, 0, put, 8);
    for (int v : block) ASSERT_EQ(v, 0) << "the shortcut clears the block";
    block[0] = int16_t(dc);
    IdctAdd(block, 0, add, 8);
    for (int i = 0; i < 64; ++i) {
      EXPECT_EQ(put[i], std::clamp(exact, 0, 255)) << "dc " << dc;
      EXPECT_EQ(add[i], std::clamp(100 + exact, 0, 255)) << "dc " << dc;
    }
  }
}

}  // namespace
}  // namespace lumora::mpeg
