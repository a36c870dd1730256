// libFuzzer target: the GIF decoder and size probe on arbitrary bytes, with
// images capped at 256K pixels (larger sizes are the unit tests' business).
// Every decoded index and colour is folded into a checksum, and the decoded
// image is encoded again and decoded: the indices must come back unchanged.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "media/codecs/Gif.h"

namespace {
constexpr size_t kFuzzMaxPixels = size_t(1) << 18;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int width = 0, height = 0;
  uint32_t sum = lumora::ProbeGifImageSize({data, size}, width, height) ? uint32_t(width * 7 + height) : 0;
  lumora::GifImage image;
  if (lumora::DecodeGif({data, size}, image, kFuzzMaxPixels) != lumora::GifError::None) return 0;
  if (image.indices.size() != size_t(image.width) * size_t(image.height) || image.decoded > image.indices.size())
    __builtin_trap();
  for (uint8_t i : image.indices) sum = sum * 31 + i;
  for (uint8_t c : image.colours) sum = sum * 31 + c;
  for (int row : image.PictureRows()) sum = sum * 31 + uint32_t(row);

  uint8_t red[256], green[256], blue[256];
  for (int i = 0; i < 256; ++i) {
    red[i] = image.colours[size_t(i) * 3];
    green[i] = image.colours[size_t(i) * 3 + 1];
    blue[i] = image.colours[size_t(i) * 3 + 2];
  }
  std::vector<uint8_t> file;
  if (lumora::EncodeGif87aBytes(file, image.indices.data(), image.width, image.height, 0, red, green, blue) !=
      lumora::GifError::None)
    __builtin_trap();
  lumora::GifImage again;
  if (lumora::DecodeGif(file, again, kFuzzMaxPixels) != lumora::GifError::None || again.indices != image.indices ||
      again.decoded != again.indices.size())
    __builtin_trap();
  return sum == 0xFFFFFFFFu ? 1 : 0;
}
