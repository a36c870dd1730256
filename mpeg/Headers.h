// Sequence, group-of-pictures and picture headers of MPEG-1 and MPEG-2 video
// and the extensions that follow them, parsed from the bytes of one
// start-code unit. Every field is checked where it is read; a parse failure
// returns -2 and leaves the structures in a state that is safe to keep using.
#pragma once

#include <cstdint>
#include <span>

namespace lumora::mpeg {

// Largest picture the decoder accepts, in either direction. The syntax
// allows sides up to 16383, but no MPEG-1 stream and no MPEG-2 level goes
// past 4096: the cap keeps what a few bytes of hostile header can make the
// decoder allocate to hundreds of megabytes rather than gigabytes, and every
// picture far inside the program's limit (kMaxPicturePixels).
inline constexpr int kMaxPictureSide = 4096;

enum PictureType : int { kPictureI = 1, kPictureP = 2, kPictureB = 3, kPictureD = 4 };
enum PictureStructure : int { kTopField = 1, kBottomField = 2, kFramePicture = 3 };
enum ChromaFormat : int { kChroma420 = 1, kChroma422 = 2, kChroma444 = 3 };
enum ScalableMode : int { kDataPartitioning = 0, kSpatialScalability = 1, kSnrScalability = 2, kTemporalScalability = 3 };

// Quantiser matrices in block order (row * 8 + column).
struct QuantMatrices {
  uint8_t intra[64];
  uint8_t nonIntra[64];
  uint8_t chromaIntra[64];
  uint8_t chromaNonIntra[64];
};

struct SequenceInfo {
  // Sequence header.
  uint16_t horizontalSize = 0;
  uint16_t verticalSize = 0;
  int aspectRatioCode = 0;
  int frameRateCode = 0;
  uint32_t bitRate = 0;  // units of 400 bit/s
  // Sequence extension (MPEG-2 only; MPEG-1 meanings otherwise).
  bool mpeg2 = false;
  int profileAndLevel = 0;
  bool progressiveSequence = true;
  int chromaFormat = kChroma420;
  bool lowDelay = false;
  int frameRateExtensionN = 0;
  int frameRateExtensionD = 0;
  // Sequence display extension.
  bool hasDisplayExtension = false;
  int videoFormat = 0;
  int colourPrimaries = 0;
  int transferCharacteristics = 0;
  int matrixCoefficients = 0;  // 0 without a display extension; 5 for MPEG-1
  int displayHorizontalSize = 0;
  int displayVerticalSize = 0;
  // Sequence scalable extension.
  bool hasScalableExtension = false;
  int scalableMode = 0;
  int layerId = 0;
  // Spatial scalability: the lower layer's prediction size and the
  // up-sampling ratios m / n (horizontal and vertical).
  int lowerWidth = 0, lowerHeight = 0;
  int horizontalFactorM = 0, horizontalFactorN = 0;
  int verticalFactorM = 0, verticalFactorN = 0;

  double FrameRate() const;
  bool operator==(const SequenceInfo&) const = default;
};

struct GroupOfPictures {
  bool dropFrame = false;
  int hours = 0, minutes = 0, seconds = 0, pictures = 0;
  bool closedGop = false;
  bool brokenLink = false;
};

// Picture spatial scalable extension: which lower-layer picture a spatial
// enhancement picture predicts from and where its up-sampled copy lies.
struct SpatialReference {
  bool present = false;
  int temporalReference = 0;
  int horizontalOffset = 0, verticalOffset = 0;  // enhancement luma samples
  int weightTableIndex = 0;
  bool lowerProgressiveFrame = true;
  bool lowerDeinterlacedFieldSelect = false;
};

struct PictureHeader {
  int temporalReference = 0;
  int codingType = 0;
  bool fullPelForward = false;
  bool fullPelBackward = false;
  // f_code[direction][horizontal/vertical]; MPEG-1 puts its one code per
  // direction in both.
  int fCode[2][2] = {{15, 15}, {15, 15}};
  // Picture coding extension (MPEG-1 meanings without one).
  int intraDcPrecision = 0;
  int pictureStructure = kFramePicture;
  bool topFieldFirst = false;
  bool framePredFrameDct = true;
  bool concealmentMotionVectors = false;
  bool qScaleType = false;
  bool intraVlcFormat = false;
  bool alternateScan = false;
  bool repeatFirstField = false;
  bool progressiveFrame = true;
  SpatialReference spatial;
};

// The picture number of a time code: (h * 3600 + m * 60 + s) * rate + pictures;
// with the drop-frame flag the product is taken in floating point with the
// exact rate and truncated, otherwise the rate is rounded first.
int64_t PictureNumber(const GroupOfPictures& gop, double frameRate);

// Sequence header (start code 0xB3): sets the sequence's MPEG-1 meanings and
// loads the matrices (defaults where the header loads none).
int ParseSequenceHeader(std::span<const uint8_t> data, SequenceInfo& seq, QuantMatrices& matrices);

// The sequence once its extensions are read, against the program's picture
// rule (PictureSizeAllowed): a side of 0 (a 12-bit value of 0 that no
// extension raised to 4096), or more than kMaxPicturePixels pixels, is
// refused with -2 before any frame store is made.
int CheckSequence(const SequenceInfo& seq);

// Extension unit (start code 0xB5) after a sequence header: sequence,
// display and scalable extensions (with the spatial fields); others are skipped.
int ParseSequenceExtension(std::span<const uint8_t> data, SequenceInfo& seq);

// Extension unit after a picture header: picture coding, quantiser matrix
// and picture spatial scalable extensions; others are skipped.
int ParsePictureExtension(std::span<const uint8_t> data, const SequenceInfo& seq, PictureHeader& picture,
                          QuantMatrices& matrices);

int ParseGroupOfPictures(std::span<const uint8_t> data, GroupOfPictures& gop);

// Picture header (start code 0x00). `mpeg2` decides which picture types are
// allowed and how the f_codes are read.
int ParsePictureHeader(std::span<const uint8_t> data, bool mpeg2, PictureHeader& picture);

}  // namespace lumora::mpeg
