// Fuzzes the MPEG decoder from memory files: Open, CountPictures, a few
// pictures of DecodePicture and FetchPicture in every format, with every
// output byte folded into a checksum so none goes unread. An input holding
// the separator "LmLayer2" is a base layer and, after the separator, a
// second (SNR or spatial) layer, opened together.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mpeg/MpegStillDecoder.h"

namespace {

// Pictures larger than this are passed over: they only make runs slower.
constexpr uint32_t kMaxFuzzPixels = 256 * 256;
constexpr int kMaxPictures = 4;
constexpr int kFormats[] = {0, 1, 2, 5, 6, 7, 8, 3};
constexpr std::string_view kLayerSeparator = "LmLayer2";

// An anonymous in-memory file holding `data`; closes it on destruction.
class MemoryFile {
 public:
  MemoryFile(const uint8_t* data, size_t size) : fd_(memfd_create("fuzz_mpeg", 0)) {
    if (fd_ >= 0 && write(fd_, data, size) != ssize_t(size)) {
      close(fd_);
      fd_ = -1;
    }
  }
  ~MemoryFile() {
    if (fd_ >= 0) close(fd_);
  }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  bool ok() const { return fd_ >= 0; }
  std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_;
};

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
  std::string_view input(reinterpret_cast<const char*>(data), size);
  size_t split = input.find(kLayerSeparator);
  size_t baseSize = split == std::string_view::npos ? size : split;
  MemoryFile base(data, baseSize);
  if (!base.ok()) return 0;
  std::string secondPath;
  std::unique_ptr<MemoryFile> second;
  if (split != std::string_view::npos) {
    size_t at = split + kLayerSeparator.size();
    second = std::make_unique<MemoryFile>(data + at, size - at);
    if (!second->ok()) return 0;
    secondPath = second->path();
  }
  volatile uint32_t checksum = 0;
  lumora::mpeg::MpegStillDecoder decoder;
  const size_t buffer = lumora::mpeg::kDefaultReaderBufferBytes;
  if (decoder.Open(base.path(), secondPath, buffer, buffer) != lumora::mpeg::kOk) return 0;
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
  (void)checksum;
  return 0;
}
