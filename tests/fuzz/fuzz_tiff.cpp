// Fuzzes the TIFF reader from memory: any input is either refused or gives a
// picture whose every byte is read, and every picture it gives is written and
// read back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "media/codecs/Tiff.h"

namespace {
// At most 4 MiB of picture (and of any one strip): enough for every reader
// path, and quick to decode under the sanitizers.
constexpr size_t kFuzzMaxBlockBytes = size_t(4) << 20;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> block;
  if (!lumora::DecodeTiff({data, size}, block, kFuzzMaxBlockBytes)) return 0;
  uint64_t sum = 0;
  for (uint8_t b : block) sum += b;
  if (sum > 255 * uint64_t(block.size())) std::abort();

  lumora::DibImage picture;
  if (!picture.Adopt(block, false)) std::abort();
  std::vector<uint8_t> file, again;
  if (!lumora::EncodeTiff(picture, file)) std::abort();
  if (!lumora::DecodeTiff(file, again, kFuzzMaxBlockBytes) || again != block) std::abort();
  return 0;
}
