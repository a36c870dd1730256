// libFuzzer target: the MPEG system scanner on arbitrary bytes, read in
// blocks of the usual size and again in tiny blocks chosen by the first
// byte. Fields that straddle blocks must read the same, so both scans must
// agree on everything they report.
#include <cstddef>
#include <cstdint>

#include "media/video/MpegSystemScanner.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t smallBlock = 2 + size_t(data[0] & 0x3F) * 4;
  const bool vob = (data[0] & 0x80) != 0;
  lumora::video::MpegSystemScanner whole, pieces;
  whole.ScanBytes({data + 1, size - 1}, vob);
  pieces.ScanBytes({data + 1, size - 1}, vob, smallBlock);
  const auto& a = whole.result();
  const auto& b = pieces.result();
  if (a.videoFound != b.videoFound || a.audioFound != b.audioFound || a.streamKind != b.streamKind ||
      a.audioLayer != b.audioLayer || a.audioBitrateIndex != b.audioBitrateIndex ||
      a.audioFrequencyIndex != b.audioFrequencyIndex || a.audioMode != b.audioMode || a.gopCount != b.gopCount ||
      a.firstPts != b.firstPts || a.lastPts != b.lastPts || a.privateBytes != b.privateBytes)
    __builtin_trap();
  if (a.gopCount > lumora::video::kMaxScannedGops) __builtin_trap();
  return 0;
}
