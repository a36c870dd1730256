// Fuzzes the MPEG decoder from a memory file: Open, CountPictures, a few
// pictures of DecodePicture and FetchPicture in every format, with every
// output byte folded into a checksum so none goes unread.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "mpeg/MpegStillDecoder.h"

namespace {

// Pictures larger than this are passed over: they only make runs slower.
constexpr uint32_t kMaxFuzzPixels = 256 * 256;
constexpr int kMaxPictures = 4;
constexpr int kFormats[] = {0, 1, 2, 5, 6, 7, 8, 3};

bool SmallEnough(const uint8_t* data, size_t size) {
  for (size_t i = 0; i + 7 <= size; ++i) {
    if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1 && data[i + 3] == 0xB3) {
      uint32_t w = uint32_t(data[i + 4]) << 4 | data[i + 5] >> 4;
      uint32_t h = uint32_t(data[i + 5] & 15) << 8 | data[i + 6];
      // A sequence extension may add up to two more bits to each side.
      if (uint64_t(w) * h * 16 > kMaxFuzzPixels) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!SmallEnough(data, size)) return 0;
  int fd = memfd_create("fuzz_mpeg", 0);
  if (fd < 0) return 0;
  if (write(fd, data, size) != ssize_t(size)) {
    close(fd);
    return 0;
  }
  std::string path = "/proc/self/fd/" + std::to_string(fd);
  volatile uint32_t checksum = 0;
  {
    lumora::mpeg::MpegStillDecoder decoder;
    if (decoder.Open(path) == lumora::mpeg::kOk) {
      decoder.CountPictures();
      std::vector<uint8_t> out;
      for (int p = 0; p < kMaxPictures; ++p) {
        if (decoder.DecodePicture() != lumora::mpeg::kOk) continue;
        for (int format : kFormats) {
          out.assign(decoder.PictureBytes(format), 0);
          int w = 0, h = 0;
          size_t n = decoder.FetchPicture(out, w, h, format);
          for (size_t i = 0; i < n; ++i) checksum = checksum * 31 + out[i];
        }
      }
    }
  }
  close(fd);
  (void)checksum;
  return 0;
}
