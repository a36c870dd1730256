// Fuzzes the JPEG reader from memory: any input is either refused or gives a
// picture whose every byte is read, and every picture it gives can be
// written as JPEG again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "media/codecs/Jpeg.h"

namespace {
// At most 4 MiB of picture (about 1.4 million colour pixels): enough for every
// decoder path, and quick to decode under the sanitizers.
constexpr size_t kFuzzMaxBlockBytes = size_t(4) << 20;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> block;
  if (!lumora::DecodeJpeg({data, size}, block, kFuzzMaxBlockBytes)) return 0;
  uint64_t sum = 0;
  for (uint8_t b : block) sum += b;
  if (sum > 255 * uint64_t(block.size())) std::abort();

  lumora::DibImage picture;
  if (!picture.Adopt(std::move(block), false)) std::abort();
  std::vector<uint8_t> file;
  if (!lumora::EncodeJpeg(picture, file)) std::abort();
  return 0;
}
