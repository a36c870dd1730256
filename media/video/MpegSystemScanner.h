// A scan of the start of an MPEG file, bit by bit: whether it holds a video
// sequence and an MPEG audio frame header, which kind of system stream it is
// (the kind picks the form of the still capture), the audio header's fields,
// presentation times, groups of pictures, and for ".vob" names the bytes of
// each private substream.
//
// The file is read in blocks of kScanBlockBytes. The scan ends at the end
// code, at the end of the file, when both video and audio were found, or
// after kMaxScannedGops groups of pictures; and after kMaxScanBytes, so a
// large file without start codes does not hold the caller while all of it
// is read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace lumora::video {

inline constexpr size_t kScanBlockBytes = 0x40000;
inline constexpr int kMaxScannedGops = 20;
// Twenty groups of pictures of 1080-line MPEG-2 at 80 Mbit/s fit well within this.
inline constexpr uint64_t kMaxScanBytes = uint64_t(256) << 20;

// The scanner's stream kinds. 2, 3 and 4 select the MPEG-2 form of the still
// capture; 3 and 4 are free for later kinds of MPEG-2 stream.
enum MpegStreamKind : int {
  kStreamNoPack = 0,         // no pack header seen (a bare stream, or not MPEG)
  kStreamMpeg1System = 1,    // first pack header of the MPEG-1 form
  kStreamMpeg2Program = 2,   // first pack header with the bits 01: MPEG-2 program stream
};
bool UsesMpeg2Capture(int streamKind);

struct MpegScanResult {
  bool videoFound = false;  // a sequence header in video stream 0xE0
  bool audioFound = false;  // an MPEG audio frame header in audio stream 0xC0
  int streamKind = kStreamNoPack;
  // The audio frame header's fields (valid with audioFound).
  int audioLayer = 0;
  int audioBitrateIndex = 0;
  int audioFrequencyIndex = 0;
  int audioMode = 0;
  int gopCount = 0;          // group-of-pictures headers in stream 0xE0
  double firstPts = -1;      // seconds; -1: none seen
  double lastPts = -1;
  bool vobName = false;      // the name contains ".vob" (ignoring case)
  std::array<uint64_t, 256> privateBytes{};  // payload bytes per private substream (".vob" names only)
};

class MpegSystemScanner {
 public:
  // Scans `path`; `videoFound` and `audioFound` (each may be null) get 1 or
  // 0. A file that can't be opened reports neither.
  void Scan(const std::string& path, int* videoFound, int* audioFound);
  // Scans bytes in memory as a file named ".vob" or not, in blocks of `blockBytes`.
  void ScanBytes(std::span<const uint8_t> bytes, bool vobName, size_t blockBytes = kScanBlockBytes);

  const MpegScanResult& result() const { return result_; }

 private:
  // Fills a block from the source; returns the bytes given, 0 at the end.
  using BlockFill = std::function<size_t(std::span<uint8_t>)>;
  void Run(const BlockFill& fill, size_t blockBytes, bool vobName);

  MpegScanResult result_;
};

}  // namespace lumora::video
