// One layer of an MPEG video stream read from a file: opening (probe,
// sequence header with its extensions, first group of pictures), the picture
// numbers from group-of-pictures time codes, counting pictures from the last
// group of the file, and handing out pictures (header, extensions and slices)
// in decoding order.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "mpeg/Headers.h"
#include "mpeg/MpegErrors.h"
#include "mpeg/StreamReader.h"

namespace lumora::mpeg {

class PictureDecoder;

// How far back from the end of the file CountPictures looks for the last
// group of pictures, in steps of kCountWindowBytes.
inline constexpr size_t kCountWindowBytes = 64 * 1024;

class LayerStream {
 public:
  // Opens `path` and reads up to the first picture. 1 or a negative code;
  // on failure the layer is closed again. A first layer with a spatial, SNR
  // or temporal scalable extension is refused with -9 (it needs a lower
  // layer); a `secondLayer` may be an SNR or spatial enhancement layer.
  int Open(const std::string& path, size_t bufferBytes, bool secondLayer = false);
  void Close();

  // Last picture number from the last group of pictures of the file, average
  // bytes per picture; restores the reading position. 1, -6 when the last
  // picture comes before the first (last stored as -1), -8 on a read error.
  int CountPictures();

  // The next picture's header with its extensions applied; its slices follow
  // through NextSlice. Sequence headers and groups on the way are taken in
  // (sequenceChanged() tells when the sequence was read again). -3 at the end
  // of the stream, -8 when the reader failed (also kept as the state).
  int NextPicture(PictureHeader& header);
  // Feeds the current picture's slices to `decoder`, as SNR enhancement
  // slices when `snrLayer`.
  void DecodeSlices(PictureDecoder& decoder, bool snrLayer = false);
  // Keeps `header` (already read) as the next picture NextPicture returns.
  void KeepPicture(const PictureHeader& header);

  int state() const { return state_; }
  int error() const { return error_; }
  const SequenceInfo& sequence() const { return seq_; }
  const QuantMatrices& matrices() const { return matrices_; }
  bool sequenceChanged() const { return sequenceChanged_; }
  bool TakeSequenceChanged() {
    bool changed = sequenceChanged_;
    sequenceChanged_ = false;
    return changed;
  }
  int64_t firstPicture() const { return firstPicture_; }
  int64_t lastPicture() const { return lastPicture_; }
  int64_t bytesPerPicture() const { return bytesPerPicture_; }

 private:
  int ReadSequence(StartCodeUnit& unit);
  int Fail(int code);

  UniqueFile file_;
  std::unique_ptr<UnitReader> reader_;
  SequenceInfo seq_;
  QuantMatrices matrices_{};
  GroupOfPictures gop_;
  int64_t firstPicture_ = 0;
  int64_t lastPicture_ = -1;
  int64_t bytesPerPicture_ = 0;
  int state_ = kStateClosed;
  int error_ = 0;
  bool sequenceChanged_ = false;
  bool secondLayer_ = false;
  bool hasKept_ = false;
  PictureHeader kept_;
  StartCodeUnit unit_;
};

}  // namespace lumora::mpeg
