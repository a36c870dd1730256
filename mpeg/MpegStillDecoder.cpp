// The decoder object: open and close, picture by picture decoding with field
// pairing, and fetching the last picture in an output format.
#include "mpeg/MpegStillDecoder.h"

namespace lumora::mpeg {

int MpegStillDecoder::Open(const std::string& path, size_t bufferBytes) {
  if (state_ != kStateClosed) return Reject(kErrState);
  int r = layer_.Open(path, bufferBytes);
  if (r != kOk) return Reject(r);
  layer_.TakeSequenceChanged();
  r = pictures_.Configure(layer_.sequence());
  if (r != kOk) {
    layer_.Close();
    return Reject(r);
  }
  error_ = 0;
  state_ = kOk;
  return kOk;
}

void MpegStillDecoder::Close() {
  layer_.Close();
  pictures_ = PictureDecoder();
  scratch_ = OutputScratch();
  state_ = kStateClosed;
}

int MpegStillDecoder::CountPictures() {
  if (state_ != kOk) return Reject(kErrState);
  int r = layer_.CountPictures();
  if (r != kOk) error_ = r;
  return r;
}

int MpegStillDecoder::DecodePicture() {
  if (state_ != kOk) return Reject(kErrState);
  PictureHeader first;
  int r = layer_.NextPicture(first);
  if (r != kOk) return Reject(r);
  if (layer_.TakeSequenceChanged()) {
    if ((r = pictures_.Configure(layer_.sequence())) != kOk) return Reject(r);
  }
  if ((r = pictures_.BeginPicture(first, layer_.matrices(), false)) != kOk) {
    layer_.DecodeSlices(pictures_);  // passes the slices over: BeginPicture failed, so nothing is written
    return Reject(r);
  }
  layer_.DecodeSlices(pictures_);
  if (first.pictureStructure == kFramePicture) {
    pictures_.EndPicture(true);
    return kOk;
  }
  // A field: the next picture completes the frame when it is the other field
  // of a matching type (I or P after I or P, B after B).
  pictures_.EndPicture(false);
  PictureHeader second;
  if (layer_.NextPicture(second) != kOk) {
    pictures_.EndPicture(true);
    return kOk;
  }
  bool otherField = second.pictureStructure == kTopField + kBottomField - first.pictureStructure;
  bool matching = (first.codingType == kPictureB) == (second.codingType == kPictureB);
  if (!otherField || !matching || layer_.sequenceChanged() ||
      pictures_.BeginPicture(second, layer_.matrices(), true) != kOk) {
    layer_.KeepPicture(second);
    pictures_.EndPicture(true);
    return kOk;
  }
  layer_.DecodeSlices(pictures_);
  pictures_.EndPicture(true);
  return kOk;
}

PictureView MpegStillDecoder::View() const {
  PictureView v;
  const FrameStore* f = pictures_.LastPicture();
  const FrameGeometry& g = pictures_.geometry();
  const SequenceInfo& seq = pictures_.sequence();
  for (int c = 0; c < 3; ++c) {
    v.plane[c] = f ? f->plane[c].data() : nullptr;
    v.stride[c] = c ? g.chromaWidth : g.lumaWidth;
  }
  v.width = seq.horizontalSize;
  v.height = seq.verticalSize;
  v.chromaFormat = g.chromaFormat;
  v.mpeg2 = seq.mpeg2;
  v.progressiveFrame = pictures_.LastHeader().progressiveFrame;
  v.matrixCoefficients = seq.matrixCoefficients;
  return v;
}

size_t MpegStillDecoder::PictureBytes(int format) const {
  if (state_ != kOk) return 0;
  return OutputBytes(View(), format);
}

size_t MpegStillDecoder::FetchPicture(std::span<uint8_t> dest, int& width, int& height, int format) {
  if (state_ != kOk || !HasPicture()) {
    error_ = kErrState;
    return 0;
  }
  int error = 0;
  size_t n = WritePicture(View(), format, dest, scratch_, width, height, error);
  if (n == 0) error_ = error;
  return n;
}

}  // namespace lumora::mpeg
