// The decoder object: open and close, picture by picture decoding with field
// pairing, and fetching the last picture in an output format.
#include "mpeg/MpegStillDecoder.h"

namespace lumora::mpeg {

namespace {

// An enhancement layer repeats its base layer's chroma format and scan; an
// SNR layer also its size, a spatial layer predicts from a lower layer of
// the base layer's size.
bool LayersAgree(const SequenceInfo& base, const SequenceInfo& second) {
  if (!base.mpeg2 || !second.hasScalableExtension || base.chromaFormat != second.chromaFormat ||
      base.progressiveSequence != second.progressiveSequence)
    return false;
  if (second.scalableMode == kSnrScalability)
    return base.horizontalSize == second.horizontalSize && base.verticalSize == second.verticalSize;
  return second.scalableMode == kSpatialScalability && second.lowerWidth == base.horizontalSize &&
         second.lowerHeight == base.verticalSize;
}

}  // namespace

int MpegStillDecoder::Open(const std::string& path, size_t bufferBytes) {
  return Open(path, std::string(), bufferBytes, bufferBytes);
}

int MpegStillDecoder::Open(const std::string& path, const std::string& secondPath, size_t bufferBytes,
                           size_t secondBufferBytes) {
  if (state_ != kStateClosed) return Reject(kErrState);
  int r = layer_.Open(path, bufferBytes);
  if (r != kOk) return Reject(r);
  layer_.TakeSequenceChanged();
  if (!secondPath.empty()) {
    r = second_.Open(secondPath, secondBufferBytes, true);
    if (r == kOk && !LayersAgree(layer_.sequence(), second_.sequence())) r = kErrLayers;
    if (r != kOk) {
      Close();
      return Reject(r);
    }
    second_.TakeSequenceChanged();
    mode_ = second_.sequence().scalableMode;
  }
  r = pictures_.Configure(layer_.sequence(), mode_ == kSnrScalability);
  if (r == kOk && mode_ == kSpatialScalability) r = upper_.Configure(second_.sequence());
  if (r != kOk) {
    Close();
    return Reject(r);
  }
  error_ = 0;
  state_ = kOk;
  return kOk;
}

void MpegStillDecoder::Close() {
  layer_.Close();
  second_.Close();
  mode_ = -1;
  pictures_ = PictureDecoder();
  upper_ = PictureDecoder();
  scratch_ = OutputScratch();
  state_ = kStateClosed;
}

int MpegStillDecoder::CountPictures() {
  if (state_ != kOk) return Reject(kErrState);
  int r = layer_.CountPictures();
  if (r != kOk) error_ = r;
  return r;
}

bool MpegStillDecoder::SecondLayerAgrees() const {
  return second_.sequence().scalableMode == mode_ && LayersAgree(layer_.sequence(), second_.sequence());
}

int MpegStillDecoder::NextSecondPicture(const PictureHeader& base, PictureHeader& second) {
  int r = second_.NextPicture(second);
  if (r == kErrRead) return r;
  if (r != kOk) return kErrLayers;  // the second layer ended first
  if (second_.TakeSequenceChanged() && !SecondLayerAgrees()) return kErrLayers;
  if (second.temporalReference != base.temporalReference || second.pictureStructure != base.pictureStructure)
    return kErrLayers;
  return kOk;
}

void MpegStillDecoder::DecodeSlices(const PictureHeader& second) {
  layer_.DecodeSlices(pictures_);
  if (mode_ != kSnrScalability) return;
  pictures_.BeginSnrPicture(second, second_.matrices());
  second_.DecodeSlices(pictures_, true);
  pictures_.FinishSnrPicture();
}

int MpegStillDecoder::DecodePicture() {
  if (state_ != kOk) return Reject(kErrState);
  int r = DecodeBasePicture();
  if (r != kOk || mode_ != kSpatialScalability) return r;
  return DecodeSpatialPicture();
}

int MpegStillDecoder::DecodeSpatialPicture() {
  PictureHeader up;
  int r = second_.NextPicture(up);
  if (r == kErrRead) return Reject(r);
  if (r != kOk) return Reject(kErrLayers);
  if (second_.TakeSequenceChanged()) {
    if (!SecondLayerAgrees()) return Reject(kErrLayers);
    if ((r = upper_.Configure(second_.sequence())) != kOk) return Reject(r);
  }
  const PictureHeader& base = pictures_.LastHeader();
  if (!up.spatial.present || up.spatial.temporalReference != base.temporalReference) return Reject(kErrLayers);
  if (up.codingType != kPictureI || up.pictureStructure != kFramePicture || !up.progressiveFrame ||
      !base.progressiveFrame || base.pictureStructure != kFramePicture) {
    return Reject(kErrUnsupported);  // its slices are passed over with the next picture header
  }
  if ((r = upper_.BeginPicture(up, second_.matrices(), false)) != kOk) return Reject(r);
  LowerLayer lower;
  const FrameGeometry& g = pictures_.geometry();
  const SequenceInfo& seq = layer_.sequence();
  for (int c = 0; c < 3; ++c) {
    lower.plane[c] = pictures_.LastPicture()->plane[c].data();
    lower.stride[c] = c ? g.chromaWidth : g.lumaWidth;
    bool halfWidth = c && g.chromaFormat != kChroma444, halfHeight = c && g.chromaFormat == kChroma420;
    lower.width[c] = halfWidth ? (seq.horizontalSize + 1) / 2 : seq.horizontalSize;
    lower.height[c] = halfHeight ? (seq.verticalSize + 1) / 2 : seq.verticalSize;
  }
  upper_.SetLowerLayer(lower);
  second_.DecodeSlices(upper_);
  upper_.EndPicture(true);
  return kOk;
}

int MpegStillDecoder::DecodeBasePicture() {
  PictureHeader first, firstSecond;
  const bool snr = mode_ == kSnrScalability;
  int r = layer_.NextPicture(first);
  if (r != kOk) return Reject(r);
  if (snr && (r = NextSecondPicture(first, firstSecond)) != kOk) return Reject(r);
  if (layer_.TakeSequenceChanged()) {
    if (mode_ >= 0 && !SecondLayerAgrees()) return Reject(kErrLayers);
    if ((r = pictures_.Configure(layer_.sequence(), snr)) != kOk) return Reject(r);
  }
  if ((r = pictures_.BeginPicture(first, layer_.matrices(), false)) != kOk) {
    // Passes the slices over: BeginPicture failed, so nothing is written.
    layer_.DecodeSlices(pictures_);
    return Reject(r);
  }
  DecodeSlices(firstSecond);
  if (first.pictureStructure == kFramePicture) {
    pictures_.EndPicture(true);
    return kOk;
  }
  // A field: the next picture completes the frame when it is the other field
  // of a matching type (I or P after I or P, B after B).
  pictures_.EndPicture(false);
  PictureHeader second, secondSecond;
  if (layer_.NextPicture(second) != kOk) {
    pictures_.EndPicture(true);
    return kOk;
  }
  bool otherField = second.pictureStructure == kTopField + kBottomField - first.pictureStructure;
  bool matching = (first.codingType == kPictureB) == (second.codingType == kPictureB);
  if (!otherField || !matching || layer_.sequenceChanged()) {
    layer_.KeepPicture(second);
    pictures_.EndPicture(true);
    return kOk;
  }
  if (snr && (r = NextSecondPicture(second, secondSecond)) != kOk) {
    layer_.KeepPicture(second);
    pictures_.EndPicture(true);
    return Reject(r);
  }
  if (pictures_.BeginPicture(second, layer_.matrices(), true) != kOk) {
    layer_.KeepPicture(second);
    pictures_.EndPicture(true);
    return kOk;
  }
  DecodeSlices(secondSecond);
  pictures_.EndPicture(true);
  return kOk;
}

PictureView MpegStillDecoder::View() const {
  PictureView v;
  const PictureDecoder& out = Output();
  const FrameStore* f = out.LastPicture();
  const FrameGeometry& g = out.geometry();
  const SequenceInfo& seq = out.sequence();
  for (int c = 0; c < 3; ++c) {
    v.plane[c] = f ? f->plane[c].data() : nullptr;
    v.stride[c] = c ? g.chromaWidth : g.lumaWidth;
  }
  v.width = seq.horizontalSize;
  v.height = seq.verticalSize;
  v.chromaFormat = g.chromaFormat;
  v.mpeg2 = seq.mpeg2;
  v.progressiveFrame = out.LastHeader().progressiveFrame;
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
