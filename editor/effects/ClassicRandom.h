// The pseudo-random generator of the random pattern and the tile scatter: the
// classic 15-bit linear congruential generator, reproduced exactly so that a
// seed gives the same pattern on every platform (the C library's rand() here
// returns 31-bit values).
#pragma once

#include <cstdint>

namespace lumora {

// 1 / 32767 as the single-precision constant the random effects scale the
// generator's values with.
inline constexpr float kRandomScale = 3.0518509e-5f;

class ClassicRandom {
 public:
  static constexpr int kMax = 0x7FFF;
  static constexpr uint32_t kMultiplier = 214013;
  static constexpr uint32_t kIncrement = 2531011;
  static constexpr uint32_t kInitialState = 1;

  void Seed(uint32_t seed) { state_ = seed; }
  // state = state * 214013 + 2531011 (mod 2^32); the value is bits 16..30.
  int Next() {
    state_ = state_ * kMultiplier + kIncrement;
    return int((state_ >> 16) & kMax);
  }
  uint32_t state() const { return state_; }

 private:
  uint32_t state_ = kInitialState;
};

// The program's one generator. It starts at state 1; only the command-line
// tool's --seed seeds it, the editor never does (each recomputation of the
// random pattern draws new values).
ClassicRandom& ProgramRandom();

}  // namespace lumora
