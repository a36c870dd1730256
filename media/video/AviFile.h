// A reader of RIFF AVI files, enough to find the frames of a video stream:
// the main header (hdrl/avih), the stream headers and formats (strl/strh/
// strf), the frame chunks of the `movi` list found through the OpenDML
// super-index (indx, with its ix## chunk indexes, which also reach the AVIX
// parts of files over 1 GB), else the idx1 index, else by walking `movi`.
//
// The file is outside data: every size is checked against the file and the
// structure that holds it before anything is read or allocated, and reads go
// through a ByteSource that refuses ranges outside the file.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/FileIo.h"

namespace lumora::video {

// Random-access bytes of one file (or of a buffer, for tests and fuzzing).
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t Size() const = 0;
  // Fills `out` from `offset`; false when the range is not wholly inside the
  // source or the read fails.
  virtual bool Read(uint64_t offset, std::span<uint8_t> out) = 0;
};

class MemoryByteSource final : public ByteSource {
 public:
  explicit MemoryByteSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  bool Read(uint64_t offset, std::span<uint8_t> out) override;

 private:
  std::span<const uint8_t> bytes_;
};

class FileByteSource final : public ByteSource {
 public:
  // Nothing when the file can't be opened or its size read.
  static std::unique_ptr<FileByteSource> Open(const std::string& path);
  uint64_t Size() const override { return size_; }
  bool Read(uint64_t offset, std::span<uint8_t> out) override;

 private:
  FileByteSource(UniqueFd file, uint64_t size) : file_(std::move(file)), size_(size) {}
  UniqueFd file_;
  uint64_t size_ = 0;
};

constexpr uint32_t FourCc(const char (&text)[5]) {
  return uint32_t(uint8_t(text[0])) | uint32_t(uint8_t(text[1])) << 8 | uint32_t(uint8_t(text[2])) << 16 |
         uint32_t(uint8_t(text[3])) << 24;
}
std::string FourCcText(uint32_t code);

// Streams are numbered by two digits in chunk ids ("00dc"), so no file has more.
inline constexpr uint32_t kMaxAviStreams = 100;
// Header lists (hdrl, strl) larger than this are not read.
inline constexpr uint32_t kMaxAviHeaderBytes = 16u << 20;
// Frame chunks kept for one stream; a stream longer than this is cut short.
inline constexpr size_t kMaxAviFrames = size_t(1) << 20;
// Index chunks (idx1, indx, ix##) larger than this are not read.
inline constexpr uint32_t kMaxAviIndexBytes = 64u << 20;
// Frame chunks larger than this are not read.
inline constexpr uint32_t kMaxAviFrameBytes = 128u << 20;
// BI_RGB: uncompressed rows.
inline constexpr uint32_t kCompressionRgb = 0;

// The 40-byte bitmap information header of strf (the one .bmp files carry).
struct BitmapInfoHeader {
  uint32_t size = 40;
  int32_t width = 0;
  int32_t height = 0;  // negative: rows stored top first
  uint16_t planes = 1;
  uint16_t bitCount = 0;
  uint32_t compression = 0;
  uint32_t sizeImage = 0;
  int32_t xPelsPerMeter = 0;
  int32_t yPelsPerMeter = 0;
  uint32_t clrUsed = 0;
  uint32_t clrImportant = 0;
};
inline constexpr uint32_t kBitmapInfoHeaderBytes = 40;

// avih.
struct AviMainHeader {
  uint32_t microSecPerFrame = 0;
  uint32_t totalFrames = 0;
  uint32_t streams = 0;
  uint32_t width = 0;
  uint32_t height = 0;
};

// strh.
struct AviStreamHeader {
  uint32_t type = 0;     // "vids", "auds", ...
  uint32_t handler = 0;  // the codec's four-character code
  uint32_t scale = 0;
  uint32_t rate = 0;
  uint32_t start = 0;
  uint32_t length = 0;  // in frames for video
};

// One frame's chunk: where its data starts in the file and how long it is.
struct AviChunk {
  uint64_t offset = 0;
  uint32_t size = 0;
};

// The first video stream ("vids" 0) of a file.
struct AviVideo {
  AviMainHeader main;
  uint32_t streamNumber = 0;  // its number among all streams, as in "00dc"
  AviStreamHeader header;
  BitmapInfoHeader format;
  std::vector<uint8_t> formatExtra;  // the strf bytes after the 40-byte header: codec data or colour table
  std::vector<AviChunk> frames;      // in stream order, frame 0 first
};

// The colour table of a paletted stream: the strf bytes after biSize, since
// a header longer than 40 bytes (V4, V5) comes before the table. Codec data
// (HuffYUV's tables, FFV1's configuration) is counted in biSize too, but
// belongs to the codec: its decoder gets all of formatExtra.
std::span<const uint8_t> ColourTable(const AviVideo& video);

// Reads the headers and the frame list of the first video stream. False with
// `error` saying what is wrong (and where) when the file is not an AVI file,
// has no video stream, or its headers are damaged. A damaged or missing
// index falls back to walking the movi list; frames whose chunks lie outside
// the file are dropped.
bool ReadAviVideo(ByteSource& source, AviVideo& video, std::string& error);

// The data of one frame chunk; false when it is over kMaxAviFrameBytes or
// outside the source.
bool ReadAviChunk(ByteSource& source, const AviChunk& chunk, std::vector<uint8_t>& bytes);

}  // namespace lumora::video
