// Separable float inverse DCT: an even/odd split of each 8-point transform
// (6 multiplies for the even half, 16 for the odd half), rows first, then
// columns, scaled by 1/4 and rounded once at the end.
#include "mpeg/Idct.h"

#include <bit>
#include <cstring>

namespace lumora::mpeg {

namespace {

constexpr float kC1 = 0.98078528040323044913f;  // cos(pi/16)
constexpr float kC2 = 0.92387953251128675613f;
constexpr float kC3 = 0.83146961230254523708f;
constexpr float kC4 = 0.70710678118654752440f;
constexpr float kC5 = 0.55557023301960222474f;
constexpr float kC6 = 0.38268343236508977173f;
constexpr float kC7 = 0.19509032201612826785f;

// One 8-point transform over x[0], x[step], ... x[7 * step].
inline void Transform8(const float* x, int step, float* y, int outStep) {
  float x0 = x[0], x1 = x[step], x2 = x[2 * step], x3 = x[3 * step];
  float x4 = x[4 * step], x5 = x[5 * step], x6 = x[6 * step], x7 = x[7 * step];
  float a0 = (x0 + x4) * kC4, a1 = (x0 - x4) * kC4;
  float b0 = x2 * kC2 + x6 * kC6, b1 = x2 * kC6 - x6 * kC2;
  float e0 = a0 + b0, e3 = a0 - b0, e1 = a1 + b1, e2 = a1 - b1;
  float o0 = kC1 * x1 + kC3 * x3 + kC5 * x5 + kC7 * x7;
  float o1 = kC3 * x1 - kC7 * x3 - kC1 * x5 - kC5 * x7;
  float o2 = kC5 * x1 - kC1 * x3 + kC7 * x5 + kC3 * x7;
  float o3 = kC7 * x1 - kC5 * x3 + kC3 * x5 - kC1 * x7;
  y[0] = e0 + o0;
  y[7 * outStep] = e0 - o0;
  y[outStep] = e1 + o1;
  y[6 * outStep] = e1 - o1;
  y[2 * outStep] = e2 + o2;
  y[5 * outStep] = e2 - o2;
  y[3 * outStep] = e3 + o3;
  y[4 * outStep] = e3 - o3;
}

// Rows, then columns, of the block; `out` receives 4 times the result.
void Transform2d(const int16_t coef[64], float out[64]) {
  float rows[64];
  for (int r = 0; r < 8; ++r) {
    const int16_t* c = coef + r * 8;
    float* row = rows + r * 8;
    bool acZero = (c[1] | c[2] | c[3] | c[4] | c[5] | c[6] | c[7]) == 0;
    if (acZero) {
      float dc = float(c[0]) * kC4;
      for (int i = 0; i < 8; ++i) row[i] = dc;
      continue;
    }
    float in[8];
    for (int i = 0; i < 8; ++i) in[i] = float(c[i]);
    Transform8(in, 1, row, 1);
  }
  for (int col = 0; col < 8; ++col) Transform8(rows + col, 8, out + col, 8);
}

// v / 4 rounded to nearest (halves to even): adding 1.5 x 2^23 leaves the
// rounded integer in the low mantissa bits, for |v / 4| below 2^22.
inline int RoundQuarter(float v) {
  constexpr float kMagic = 12582912.0f;
  return std::bit_cast<int32_t>(v * 0.25f + kMagic) - std::bit_cast<int32_t>(kMagic);
}

inline uint8_t Clamp255(int v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

}  // namespace

void InverseDct(const int16_t coef[64], int out[64]) {
  float f[64];
  Transform2d(coef, f);
  for (int i = 0; i < 64; ++i) out[i] = RoundQuarter(f[i]);
}

void IdctPut(int16_t coef[64], int lastScanIndex, uint8_t* dst, ptrdiff_t stride) {
  if (lastScanIndex == 0) {
    uint8_t v = Clamp255((coef[0] + 4) >> 3);
    coef[0] = 0;
    for (int r = 0; r < 8; ++r, dst += stride) std::memset(dst, v, 8);
    return;
  }
  float f[64];
  Transform2d(coef, f);
  std::memset(coef, 0, 64 * sizeof(int16_t));
  for (int r = 0; r < 8; ++r, dst += stride)
    for (int c = 0; c < 8; ++c) dst[c] = Clamp255(RoundQuarter(f[r * 8 + c]));
}

void IdctAdd(int16_t coef[64], int lastScanIndex, uint8_t* dst, ptrdiff_t stride) {
  if (lastScanIndex == 0) {
    int v = (coef[0] + 4) >> 3;
    coef[0] = 0;
    for (int r = 0; r < 8; ++r, dst += stride)
      for (int c = 0; c < 8; ++c) dst[c] = Clamp255(dst[c] + v);
    return;
  }
  float f[64];
  Transform2d(coef, f);
  std::memset(coef, 0, 64 * sizeof(int16_t));
  for (int r = 0; r < 8; ++r, dst += stride)
    for (int c = 0; c < 8; ++c) dst[c] = Clamp255(dst[c] + RoundQuarter(f[r * 8 + c]));
}

}  // namespace lumora::mpeg
