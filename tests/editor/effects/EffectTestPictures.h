// Small pictures for the effect pass tests, made from a function of the pixel
// position and read back pixel by pixel (row 0 at the top).
#pragma once

#include <cstdint>
#include <functional>
#include <random>

#include "picture/DibImage.h"

namespace lumora::test {

struct Bgr {
  int b = 0, g = 0, r = 0;
  bool operator==(const Bgr&) const = default;
};

inline uint8_t* PixelAt(DibImage& pic, int x, int y) { return RowTable(pic)[y] + x * (pic.BitCount() / 8); }
inline Bgr At(DibImage& pic, int x, int y) {
  const uint8_t* p = PixelAt(pic, x, y);
  return {p[0], p[1], p[2]};
}
inline int Grey(DibImage& pic, int x, int y) { return *PixelAt(pic, x, y); }

inline DibImage Picture24(int w, int h, const std::function<Bgr(int x, int y)>& colour) {
  DibImage pic;
  pic.Create(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Bgr c = colour(x, y);
      uint8_t* p = PixelAt(pic, x, y);
      p[0] = uint8_t(c.b), p[1] = uint8_t(c.g), p[2] = uint8_t(c.r);
    }
  return pic;
}

inline DibImage Picture8(int w, int h, const std::function<int(int x, int y)>& grey) {
  DibImage pic;
  pic.Create(w, h, 8);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) *PixelAt(pic, x, y) = uint8_t(grey(x, y));
  return pic;
}

inline DibImage Flat24(int w, int h, Bgr c) {
  return Picture24(w, h, [c](int, int) { return c; });
}

// Every byte value, different in each channel and position.
inline DibImage Noise24(int w, int h, uint32_t seed) {
  std::mt19937 gen(seed);
  return Picture24(w, h, [&](int, int) { return Bgr{int(gen() & 255), int(gen() & 255), int(gen() & 255)}; });
}
inline DibImage Noise8(int w, int h, uint32_t seed) {
  std::mt19937 gen(seed);
  return Picture8(w, h, [&](int, int) { return int(gen() & 255); });
}

inline DibImage Copy(const DibImage& pic) {
  DibImage c;
  c.Assign(pic);
  return c;
}

}  // namespace lumora::test
