// libFuzzer target: the AVI reader on arbitrary bytes, then each of the
// first frames straight from its chunk into a picture when the stream is
// uncompressed. Every frame chunk must lie inside the input, and every byte
// of an accepted picture is folded into a checksum.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "media/video/AviFile.h"
#include "media/video/AviFirstFrame.h"

namespace {
constexpr size_t kFuzzFrames = 4;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lumora::video::MemoryByteSource source({data, size});
  lumora::video::AviVideo video;
  std::string error;
  if (!lumora::video::ReadAviVideo(source, video, error)) return 0;
  uint32_t sum = 0;
  std::vector<uint8_t> chunk;
  for (size_t i = 0; i < video.frames.size() && i < kFuzzFrames; ++i) {
    const lumora::video::AviChunk& c = video.frames[i];
    if (c.offset > size || size - c.offset < c.size) __builtin_trap();
    if (!lumora::video::ReadAviChunk(source, c, chunk)) __builtin_trap();
    if (video.format.compression != lumora::video::kCompressionRgb) continue;
    auto frame = lumora::video::UncompressedFrame(video, chunk);
    if (!frame) continue;
    lumora::DibImage picture;
    if (!lumora::video::FrameToPicture(*frame, picture)) continue;
    if (!picture.layout()) __builtin_trap();
    for (uint8_t b : picture.block()) sum = sum * 31 + b;
  }
  return sum == 0xFFFFFFFFu ? 1 : 0;
}
