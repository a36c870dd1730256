// libFuzzer target: the .bmp reader on arbitrary bytes, with pictures capped
// at 4 MiB. Every byte of an accepted picture is folded into a checksum; the
// reading that reuses the file's buffer must give the same block as the one
// from a span, and so must reading the picture again after writing it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "media/codecs/Bmp.h"

namespace {
constexpr size_t kFuzzMaxBlockBytes = size_t(4) << 20;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> block;
  lumora::BmpResult result = lumora::DecodeBmp({data, size}, block, kFuzzMaxBlockBytes);
  std::vector<uint8_t> reused;
  if (bool(lumora::DecodeBmp(std::vector<uint8_t>(data, data + size), reused, kFuzzMaxBlockBytes)) != bool(result) ||
      reused != block)
    __builtin_trap();
  if (!result) return 0;
  lumora::DibImage picture;
  if (!picture.Adopt(block, lumora::DibLayout::Of(block)->colours > 0)) __builtin_trap();
  uint32_t sum = 0;
  for (uint8_t b : picture.block()) sum = sum * 31 + b;

  auto parts = lumora::EncodeBmp(picture);
  if (!parts) __builtin_trap();
  std::vector<uint8_t> file = parts->head;
  file.insert(file.end(), parts->rows.begin(), parts->rows.end());
  std::vector<uint8_t> again;
  if (!lumora::DecodeBmp(file, again, kFuzzMaxBlockBytes) || again != picture.block()) __builtin_trap();
  return sum == 0xFFFFFFFFu ? 1 : 0;
}
