// The 12-megapixel picture the benchmarks work on: the file named by
// LUMORA_BENCH_PICTURE (a 24-bit picture any of our codecs reads; the scripts
// make a photo-like one with ImageMagick), else a synthetic 4000 x 3000
// picture of gradients and noise.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <random>

#include "media/codecs/PictureFiles.h"
#include "picture/DibImage.h"

namespace lumora::bench {

inline constexpr int32_t kPictureWidth = 4000, kPictureHeight = 3000;

// Ends the process with a message naming `tool` when the file cannot be used.
inline DibImage BenchPicture(const char* tool) {
  DibImage picture;
  if (const char* path = std::getenv("LUMORA_BENCH_PICTURE")) {
    if (!LoadPictureFile(picture, path) || picture.BitCount() != 24) {
      std::fprintf(stderr, "%s: %s is not a readable 24-bit picture\n", tool, path);
      std::exit(1);
    }
    return picture;
  }
  picture.Create(kPictureWidth, kPictureHeight, 24);
  std::mt19937 gen(1);
  RowTable rows(picture);
  for (int32_t y = 0; y < kPictureHeight; ++y)
    for (int32_t x = 0; x < kPictureWidth; ++x) {
      uint8_t* px = rows[y] + size_t(x) * 3;
      const uint32_t n = gen();
      px[0] = uint8_t(x * 255 / kPictureWidth + (n & 31));
      px[1] = uint8_t(y * 255 / kPictureHeight + (n >> 8 & 31));
      px[2] = uint8_t((x + y) * 127 / kPictureHeight + (n >> 16 & 31));
    }
  return picture;
}

}  // namespace lumora::bench
