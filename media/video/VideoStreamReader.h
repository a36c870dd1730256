// Frames of videos that only a full media framework decodes (DV, MPEG-4,
// motion-JPEG AVI files, QuickTime files), read through FFmpeg into a 24-bit
// surface of the video's size.
//
// Open reports the video as a 40-byte bitmap header (24 bits, uncompressed,
// rows bottom first), the decoded audio's format, whether there is audio,
// the frame count (duration / time per frame - 1) and the time per frame in
// 100-nanosecond units. ReadFrame(n) seeks to n * time per frame (QuickTime
// files are read on from where they are, frame after frame), decodes the
// first picture at or after that time from the key picture before it, and
// copies the surface into the caller's buffer bottom row first, width * 3
// bytes a row without padding.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "media/video/AviFile.h"

struct AVFormatContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;

namespace lumora::video {

// The audio format as five 32-bit values: the format block of a .wav file
// ("fmt " with its extra-size field), its 18 bytes padded to 20.
struct WaveFormat {
  uint16_t formatTag = 0;  // 1: PCM
  uint16_t channels = 0;
  uint32_t samplesPerSecond = 0;
  uint32_t averageBytesPerSecond = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  uint16_t extraBytes = 0;
  uint16_t padding = 0;
};
static_assert(sizeof(WaveFormat) == 5 * sizeof(uint32_t));

// 100-nanosecond units in a second.
inline constexpr int64_t kUnitsPerSecond = 10'000'000;
// How long one frame read may decode before the surface is copied as it is.
inline constexpr std::chrono::milliseconds kFrameWaitLimit{1000};

// The nearest standard sample rate to `rate`, as QuickTime files report theirs.
uint32_t RoundQuickTimeSampleRate(uint32_t rate);

class VideoStreamReader {
 public:
  VideoStreamReader();
  ~VideoStreamReader();
  VideoStreamReader(const VideoStreamReader&) = delete;
  VideoStreamReader& operator=(const VideoStreamReader&) = delete;

  // Opens `path` (closing what was open). Every output may be null. False,
  // with nothing left open, when the file can't be opened, has no seekable
  // video, no frame rate, no width and height, or pictures of more than
  // kMaxPicturePixels; error() then says why.
  bool Open(const std::string& path, BitmapInfoHeader* header, WaveFormat* audio, uint8_t* hasAudio,
            uint32_t* frameCount, int64_t* timePerFrame);
  // Frame `n` into `destination`, which must hold height * width * 3 bytes.
  // 1 when the surface held a frame to copy; 0 when nothing is open, the
  // seek fails, the buffer is too small, or no frame was ever decoded.
  int ReadFrame(uint32_t n, std::span<uint8_t> destination);
  // Releases everything; Open may be called again.
  void Close();

  int width() const { return width_; }
  int height() const { return height_; }
  double frameRate() const { return frameRate_; }
  int64_t duration() const { return duration_; }
  const std::string& error() const { return error_; }

 private:
  bool Fail(std::string why);
  // Decodes on until a picture at or after `target` (stream time base;
  // INT64_MIN: the next picture) lands on the surface; false when none did in time.
  bool DecodeTo(int64_t target);

  struct Handles;
  std::unique_ptr<Handles> handles_;
  std::string path_;
  std::string error_;
  bool quickTime_ = false;
  bool hasAudio_ = false;
  bool surfaceFilled_ = false;
  int videoStream_ = -1;
  int width_ = 0, height_ = 0;
  int64_t timePerFrame_ = 0;  // 100 ns
  int64_t duration_ = 0;      // 100 ns
  double frameRate_ = 0;
  std::vector<uint8_t> surface_;  // width * 3 bytes a row, bottom row first
};

}  // namespace lumora::video
