// The view tests' picture: each pixel's colour names it (red = x, green = y,
// blue 0x55, x and y taken modulo 256).
#pragma once

#include <gtest/gtest.h>

#include "picture/DibImage.h"

namespace lumora::test {

inline DibImage NamedPicture(int32_t w, int32_t h) {
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

}  // namespace lumora::test
