// Fuzzes the JPEG reader from memory: any input is either refused or gives a
// picture whose every byte is read, and every picture it gives can be
// written as JPEG again. The thumbnails' reduced-scale decode runs on every
// input too.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "media/codecs/Jpeg.h"

namespace {
// At most 4 MiB of picture (about 1.4 million colour pixels), which also holds
// the library's own buffers to 80 MiB, however large a picture the header
// claims for a reduced decode: enough for every decoder path, and quick to
// decode under the sanitizers.
constexpr size_t kFuzzMaxBlockBytes = size_t(4) << 20;

// The thumbnail decode at reduced scale: refused, or no larger than the
// picture and covering the compact cell where the picture does.
void CheckReduced(const uint8_t* data, size_t size) {
  constexpr int kMinWidth = 58, kMinHeight = 42;
  std::vector<uint8_t> block;
  int fullWidth = 0, fullHeight = 0;
  if (!lumora::DecodeJpegReduced({data, size}, kMinWidth, kMinHeight, block, fullWidth, fullHeight,
                                 kFuzzMaxBlockBytes))
    return;
  lumora::DibImage picture;
  if (!picture.Adopt(std::move(block), false)) std::abort();
  if (picture.width() > fullWidth || picture.height() > fullHeight) std::abort();
  if (picture.width() < std::min(fullWidth, kMinWidth) || picture.height() < std::min(fullHeight, kMinHeight))
    std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckReduced(data, size);
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
