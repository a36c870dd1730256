// The still-picture and recording-picture routines over MpegStillDecoder.
#include "mpeg/MpegStill.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "mpeg/MpegStillDecoder.h"

namespace lumora::mpeg {

int DecodeFirstPicture(const std::string& path, StillVariant variant, int format, std::vector<uint8_t>& bytes,
                       int& width, int& height) {
  auto decoder = std::make_unique<MpegStillDecoder>();
  int r = decoder->Open(path);
  if (r != kOk) return r;
  if (decoder->lastPicture() < 0) decoder->CountPictures();
  if (variant == StillVariant::ItemList && decoder->lastPicture() - decoder->firstPicture() <= 0) return kErrStream;
  // Unlike converting whatever the buffers hold, a stream whose first picture
  // does not decode gives no picture at all.
  if ((r = decoder->DecodePicture()) != kOk) return r;
  size_t need = decoder->PictureBytes(format);
  if (need == 0) return kErrState;
  try {
    bytes.resize(need);
  } catch (const std::bad_alloc&) {
    return kErrMemory;
  }
  size_t n = decoder->FetchPicture(bytes, width, height, format);
  if (n == 0) return decoder->error();
  bytes.resize(n);
  return kOk;
}

int MpegStillBitmap(const std::string& path, StillVariant variant, DibImage& picture) {
  std::vector<uint8_t> bmp;
  int width = 0, height = 0;
  int r = DecodeFirstPicture(path, variant, kFormatBmp, bmp, width, height);
  if (r != kOk) return r;
  DibImage result;
  if (!result.Create(width, height, 24)) return kErrMemory;
  auto layout = result.layout();
  // Both are bottom-up rows padded to 4 bytes: the pixels copy as one block.
  if (!layout || bmp.size() != kBmpHeaderBytes + layout->imageBytes) return kErrState;
  std::memcpy(result.PixelBits(), bmp.data() + kBmpHeaderBytes, layout->imageBytes);
  picture = std::move(result);
  return kOk;
}

int RecordingBitmap(const std::string& path, DibImage& picture, const NoVideoPictureLoader& loadNoVideoPicture) {
  uint8_t code[4];
  {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!f || std::fseek(f.get(), -kTrailerBytes, SEEK_END) != 0 || std::fread(code, 1, 4, f.get()) != 4)
      return kErrOpen;
  }
  uint32_t kind = uint32_t(code[0]) | uint32_t(code[1]) << 8 | uint32_t(code[2]) << 16 | uint32_t(code[3]) << 24;
  switch (kind) {
    case kRecordingVideo:
    case kRecordingVideoAlt:
      return MpegStillBitmap(path, StillVariant::Information, picture);
    case kRecordingAudioOnly: {
      DibImage builtIn;
      if (!loadNoVideoPicture || !loadNoVideoPicture(builtIn) || builtIn.empty()) return kErrHeader;
      picture = std::move(builtIn);
      return kOk;
    }
    default:
      return kErrStream;
  }
}

}  // namespace lumora::mpeg
