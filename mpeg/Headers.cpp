// Header and extension parsing for sequences, groups of pictures and pictures.
#include "mpeg/Headers.h"

#include <cstring>

#include "picture/DibImage.h"
#include "io/ByteReader.h"
#include "mpeg/MpegErrors.h"
#include "mpeg/VlcTables.h"

namespace lumora::mpeg {

namespace {

enum ExtensionId : int {
  kSequenceExtension = 1,
  kSequenceDisplayExtension = 2,
  kQuantMatrixExtension = 3,
  kSequenceScalableExtension = 5,
  kPictureCodingExtension = 8,
  kPictureSpatialScalableExtension = 9,
};

// frame_rate_code 1..8.
constexpr double kFrameRates[9] = {0, 24000.0 / 1001, 24, 25, 30000.0 / 1001, 30, 50, 60000.0 / 1001, 60};

constexpr int kMaxFCode = 9;
constexpr int kUnusedFCode = 15;

// 64 eight-bit values in zigzag order, stored in block order; 0 is not allowed.
bool ReadMatrix(MsbBitReader& br, uint8_t (&matrix)[64]) {
  bool ok = true;
  for (int i = 0; i < 64; ++i) {
    uint32_t v = br.Read(8);
    if (v == 0) ok = false;
    matrix[kScan.position[0][i]] = uint8_t(v);
  }
  return ok;
}

bool ValidFCode(int f) { return (f >= 1 && f <= kMaxFCode) || f == kUnusedFCode; }

}  // namespace

double SequenceInfo::FrameRate() const {
  if (frameRateCode < 1 || frameRateCode > 8) return 0;
  return kFrameRates[frameRateCode] * (frameRateExtensionN + 1) / (frameRateExtensionD + 1);
}

int64_t PictureNumber(const GroupOfPictures& gop, double frameRate) {
  int64_t seconds = int64_t(gop.hours) * 3600 + gop.minutes * 60 + gop.seconds;
  if (gop.dropFrame) return int64_t(double(seconds) * frameRate) + gop.pictures;
  return seconds * int64_t(frameRate + 0.5) + gop.pictures;
}

int ParseSequenceHeader(std::span<const uint8_t> data, SequenceInfo& seq, QuantMatrices& matrices) {
  MsbBitReader br(data);
  SequenceInfo s;
  s.horizontalSize = uint16_t(br.Read(12));
  s.verticalSize = uint16_t(br.Read(12));
  s.aspectRatioCode = int(br.Read(4));
  s.frameRateCode = int(br.Read(4));
  s.bitRate = br.Read(18);
  bool marker = br.Read(1) == 1;
  br.Read(10);  // vbv_buffer_size
  br.Read(1);   // constrained_parameters_flag
  QuantMatrices m;
  bool matricesOk = true;
  if (br.Read(1)) {
    matricesOk = ReadMatrix(br, m.intra);
  } else {
    std::memcpy(m.intra, kDefaultIntraMatrix, 64);
  }
  if (br.Read(1)) {
    matricesOk = ReadMatrix(br, m.nonIntra) && matricesOk;
  } else {
    std::memset(m.nonIntra, 16, 64);
  }
  if (br.truncated() || !marker || !matricesOk) return kErrHeader;
  if (s.horizontalSize > kMaxPictureSide || s.verticalSize > kMaxPictureSide) return kErrHeader;
  if (s.frameRateCode < 1 || s.frameRateCode > 8 || s.aspectRatioCode == 0) return kErrHeader;
  // MPEG-1 meanings until a sequence extension says otherwise.
  s.matrixCoefficients = 5;
  std::memcpy(m.chromaIntra, m.intra, 64);
  std::memcpy(m.chromaNonIntra, m.nonIntra, 64);
  seq = s;
  matrices = m;
  return kOk;
}

int CheckSequence(const SequenceInfo& seq) {
  return PictureSizeAllowed(seq.horizontalSize, seq.verticalSize) ? kOk : kErrHeader;
}

int ParseSequenceExtension(std::span<const uint8_t> data, SequenceInfo& seq) {
  MsbBitReader br(data);
  int id = int(br.Read(4));
  switch (id) {
    case kSequenceExtension: {
      int profileAndLevel = int(br.Read(8));
      bool progressive = br.Read(1);
      int chroma = int(br.Read(2));
      uint32_t hExt = br.Read(2), vExt = br.Read(2);
      uint32_t rateExt = br.Read(12);
      bool marker = br.Read(1);
      br.Read(8);  // vbv_buffer_size_extension
      bool lowDelay = br.Read(1);
      int n = int(br.Read(2)), d = int(br.Read(5));
      if (br.truncated() || !marker || chroma == 0) return kErrHeader;
      uint32_t width = seq.horizontalSize | hExt << 12, height = seq.verticalSize | vExt << 12;
      if (width > uint32_t(kMaxPictureSide) || height > uint32_t(kMaxPictureSide)) return kErrHeader;
      // A matrix_coefficients of 5 came from the MPEG-1 default: MPEG-2 has none until a display extension.
      if (!seq.hasDisplayExtension) seq.matrixCoefficients = 0;
      seq.mpeg2 = true;
      seq.profileAndLevel = profileAndLevel;
      seq.progressiveSequence = progressive;
      seq.chromaFormat = chroma;
      seq.horizontalSize = uint16_t(width);
      seq.verticalSize = uint16_t(height);
      seq.bitRate |= rateExt << 18;
      seq.lowDelay = lowDelay;
      seq.frameRateExtensionN = n;
      seq.frameRateExtensionD = d;
      return kOk;
    }
    case kSequenceDisplayExtension: {
      int videoFormat = int(br.Read(3));
      int primaries = 0, transfer = 0, matrix = 0;
      bool colour = br.Read(1);
      if (colour) {
        primaries = int(br.Read(8));
        transfer = int(br.Read(8));
        matrix = int(br.Read(8));
      }
      int displayWidth = int(br.Read(14));
      bool marker = br.Read(1);
      int displayHeight = int(br.Read(14));
      if (br.truncated() || !marker) return kErrHeader;
      seq.hasDisplayExtension = true;
      seq.videoFormat = videoFormat;
      if (colour) {
        seq.colourPrimaries = primaries;
        seq.transferCharacteristics = transfer;
        seq.matrixCoefficients = matrix;
      }
      seq.displayHorizontalSize = displayWidth;
      seq.displayVerticalSize = displayHeight;
      return kOk;
    }
    case kSequenceScalableExtension: {
      int mode = int(br.Read(2));
      int layer = int(br.Read(4));
      if (mode == kSpatialScalability) {
        int lowerWidth = int(br.Read(14));
        bool marker = br.Read(1);
        int lowerHeight = int(br.Read(14));
        int hm = int(br.Read(5)), hn = int(br.Read(5)), vm = int(br.Read(5)), vn = int(br.Read(5));
        if (!marker || lowerWidth == 0 || lowerHeight == 0 || hm == 0 || hn == 0 || vm == 0 || vn == 0)
          return kErrHeader;
        seq.lowerWidth = lowerWidth;
        seq.lowerHeight = lowerHeight;
        seq.horizontalFactorM = hm;
        seq.horizontalFactorN = hn;
        seq.verticalFactorM = vm;
        seq.verticalFactorN = vn;
      }
      if (br.truncated()) return kErrHeader;
      seq.hasScalableExtension = true;
      seq.scalableMode = mode;
      seq.layerId = layer;
      return kOk;
    }
    default:
      return br.truncated() ? kErrHeader : kOk;
  }
}

int ParsePictureExtension(std::span<const uint8_t> data, const SequenceInfo& seq, PictureHeader& picture,
                          QuantMatrices& matrices) {
  MsbBitReader br(data);
  int id = int(br.Read(4));
  if (id == kPictureCodingExtension) {
    PictureHeader p = picture;
    for (auto& direction : p.fCode)
      for (int& f : direction) f = int(br.Read(4));
    p.intraDcPrecision = int(br.Read(2));
    p.pictureStructure = int(br.Read(2));
    p.topFieldFirst = br.Read(1);
    p.framePredFrameDct = br.Read(1);
    p.concealmentMotionVectors = br.Read(1);
    p.qScaleType = br.Read(1);
    p.intraVlcFormat = br.Read(1);
    p.alternateScan = br.Read(1);
    p.repeatFirstField = br.Read(1);
    br.Read(1);  // chroma_420_type
    p.progressiveFrame = br.Read(1);
    if (br.truncated() || p.pictureStructure == 0) return kErrHeader;
    for (auto& direction : p.fCode)
      for (int f : direction)
        if (!ValidFCode(f)) return kErrHeader;
    // Field pictures and field prediction only exist in interlaced sequences;
    // a frame picture of a progressive sequence predicts frames only.
    if (seq.progressiveSequence && p.pictureStructure != kFramePicture) return kErrHeader;
    if (p.pictureStructure != kFramePicture) p.framePredFrameDct = false;
    picture = p;
    return kOk;
  }
  if (id == kPictureSpatialScalableExtension) {
    SpatialReference r;
    r.temporalReference = int(br.Read(10));
    bool marker1 = br.Read(1);
    r.horizontalOffset = int(br.Read(15));
    bool marker2 = br.Read(1);
    r.verticalOffset = int(br.Read(15));
    r.weightTableIndex = int(br.Read(2));
    r.lowerProgressiveFrame = br.Read(1);
    r.lowerDeinterlacedFieldSelect = br.Read(1);
    if (br.truncated() || !marker1 || !marker2) return kErrHeader;
    // The offsets are 15-bit two's complement numbers.
    if (r.horizontalOffset >= 1 << 14) r.horizontalOffset -= 1 << 15;
    if (r.verticalOffset >= 1 << 14) r.verticalOffset -= 1 << 15;
    r.present = true;
    picture.spatial = r;
    return kOk;
  }
  if (id == kQuantMatrixExtension) {
    QuantMatrices m = matrices;
    bool ok = true;
    if (br.Read(1)) {
      ok = ReadMatrix(br, m.intra) && ok;
      std::memcpy(m.chromaIntra, m.intra, 64);
    }
    if (br.Read(1)) {
      ok = ReadMatrix(br, m.nonIntra) && ok;
      std::memcpy(m.chromaNonIntra, m.nonIntra, 64);
    }
    if (br.Read(1)) ok = ReadMatrix(br, m.chromaIntra) && ok;
    if (br.Read(1)) ok = ReadMatrix(br, m.chromaNonIntra) && ok;
    if (br.truncated() || !ok) return kErrHeader;
    matrices = m;
    return kOk;
  }
  return br.truncated() ? kErrHeader : kOk;
}

int ParseGroupOfPictures(std::span<const uint8_t> data, GroupOfPictures& gop) {
  MsbBitReader br(data);
  GroupOfPictures g;
  g.dropFrame = br.Read(1);
  g.hours = int(br.Read(5));
  g.minutes = int(br.Read(6));
  bool marker = br.Read(1);
  g.seconds = int(br.Read(6));
  g.pictures = int(br.Read(6));
  g.closedGop = br.Read(1);
  g.brokenLink = br.Read(1);
  if (br.truncated() || !marker || g.hours > 23 || g.minutes > 59 || g.seconds > 59 || g.pictures > 59)
    return kErrHeader;
  gop = g;
  return kOk;
}

int ParsePictureHeader(std::span<const uint8_t> data, bool mpeg2, PictureHeader& picture) {
  MsbBitReader br(data);
  PictureHeader p;
  p.temporalReference = int(br.Read(10));
  p.codingType = int(br.Read(3));
  br.Read(16);  // vbv_delay
  if (p.codingType == kPictureP || p.codingType == kPictureB) {
    p.fullPelForward = br.Read(1);
    int f = int(br.Read(3));
    p.fCode[0][0] = p.fCode[0][1] = f;
    if (!mpeg2 && f == 0) return kErrHeader;
  }
  if (p.codingType == kPictureB) {
    p.fullPelBackward = br.Read(1);
    int f = int(br.Read(3));
    p.fCode[1][0] = p.fCode[1][1] = f;
    if (!mpeg2 && f == 0) return kErrHeader;
  }
  if (br.truncated()) return kErrHeader;
  if (p.codingType < kPictureI || p.codingType > (mpeg2 ? kPictureB : kPictureD)) return kErrHeader;
  // MPEG-2 carries its f_codes in the picture coding extension.
  if (mpeg2) {
    p.fullPelForward = p.fullPelBackward = false;
    p.fCode[0][0] = p.fCode[0][1] = p.fCode[1][0] = p.fCode[1][1] = kUnusedFCode;
    p.framePredFrameDct = false;
  }
  picture = p;
  return kOk;
}

}  // namespace lumora::mpeg
