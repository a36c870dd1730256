// Random pattern: one value e = trunc(level * (rand * k - 0.5) * 64) per region
// pixel, row by row, added to its three channels, each clamped at the store.
// 24-bit pictures only; reads and writes the picture's own block.
#include "editor/effects/Passes.h"

#include <vector>

#include "editor/effects/PassArea.h"

namespace lumora {

namespace {

// Four steps of the generator at once: state(n + 4) = a4 * state(n) + c4.
constexpr uint32_t kMultiplier4 =
    ClassicRandom::kMultiplier * ClassicRandom::kMultiplier * ClassicRandom::kMultiplier * ClassicRandom::kMultiplier;
constexpr uint32_t kIncrement4 =
    ClassicRandom::kIncrement *
    (1 + ClassicRandom::kMultiplier + ClassicRandom::kMultiplier * ClassicRandom::kMultiplier +
     ClassicRandom::kMultiplier * ClassicRandom::kMultiplier * ClassicRandom::kMultiplier);

// The next `count` values of `random`, exactly as `count` calls of Next()
// give them, drawn as four interleaved sequences so that the multiplications
// do not wait on each other.
void Draw(ClassicRandom& random, uint16_t* out, size_t count) {
  size_t i = 0;
  if (count >= 4) {
    uint32_t s[4];
    uint32_t state = random.state();
    for (uint32_t& v : s) v = state = state * ClassicRandom::kMultiplier + ClassicRandom::kIncrement;
    uint32_t last = s[3];
    for (; i + 4 <= count; i += 4) {
      for (int k = 0; k < 4; ++k) out[i + size_t(k)] = uint16_t((s[k] >> 16) & ClassicRandom::kMax);
      last = s[3];
      for (uint32_t& v : s) v = v * kMultiplier4 + kIncrement4;
    }
    random.Seed(last);  // the state that gave the last value drawn
  }
  for (; i < count; ++i) out[i] = uint16_t(random.Next());
}

}  // namespace

void RandomPattern(const EffectRegion& region, int level, ClassicRandom& random, const PassProgress& progress) {
  if (level < kMinFilterLevel || level > kMaxFilterLevel) return;
  auto area = effects_detail::AreaOf(region, /*allowGrey=*/false);
  if (!area) return;
  // e depends only on the generator's value: one table per pass, built with
  // the formula itself (the product with k in single precision, as written).
  std::vector<int16_t> change(size_t(ClassicRandom::kMax) + 1);
  for (int v = 0; v <= ClassicRandom::kMax; ++v)
    change[size_t(v)] = int16_t(int(level * (v * kRandomScale - 0.5) * 64));

  const size_t width = size_t(area->width());
  std::vector<uint16_t> values(width);
  std::vector<int16_t> perByte(width * 3);
  RowTable rows(*region.picture);
  for (int32_t y = area->top; y < area->bottom; ++y) {
    Draw(random, values.data(), width);
    for (size_t x = 0; x < width; ++x) perByte[3 * x] = perByte[3 * x + 1] = perByte[3 * x + 2] = change[values[x]];
    uint8_t* p = rows[y] + size_t(area->left) * 3;
    for (size_t i = 0; i < width * 3; ++i) p[i] = StoreChannel(p[i] + perByte[i]);
    progress.Report();
  }
}

}  // namespace lumora
