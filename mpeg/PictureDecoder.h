// Picture reconstruction: the frame stores (two references and the picture
// being decoded), the per-picture state, and the decoding of slices into
// them (SliceDecoder.cpp holds the slice and macroblock layer, Blocks.cpp
// the coefficient layer, SnrLayer.cpp an SNR enhancement layer's
// refinements, SpatialLayer.cpp the up-sampled lower-layer prediction of a
// spatial enhancement layer).
//
// Damaged data is contained: a slice whose row lies past the picture, a
// macroblock address past the end, a code that is no code, or a run of
// coefficients past 64 ends that slice; what it decoded so far stays, the
// rest of the picture keeps its previous content.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "io/ByteReader.h"
#include "mpeg/Headers.h"
#include "mpeg/MotionComp.h"

namespace lumora::mpeg {

// One decoded frame: three planes over the macroblock grid.
struct FrameStore {
  std::vector<uint8_t> plane[3];
};

// Plane sizes of the macroblock grid of a sequence.
struct FrameGeometry {
  int mbWidth = 0, mbHeight = 0;  // frame macroblocks
  int lumaWidth = 0, lumaHeight = 0;
  int chromaWidth = 0, chromaHeight = 0;
  int chromaFormat = kChroma420;
  bool operator==(const FrameGeometry&) const = default;
};

FrameGeometry GeometryOf(const SequenceInfo& seq);

// The decoded lower-layer frame a spatial enhancement picture predicts from.
struct LowerLayer {
  const uint8_t* plane[3] = {};
  int stride[3] = {};
  int width[3] = {}, height[3] = {};  // the part the up-sampling reads
};

class PictureDecoder {
 public:
  // Sizes the frame stores for `seq`; they are reallocated only when the
  // geometry changes (the references are then forgotten). With `snrLayer`
  // the coefficient store for an SNR enhancement layer is kept as well (see
  // DecodeSnrSlice). -5 when memory runs out.
  int Configure(const SequenceInfo& seq, bool snrLayer = false);

  // Starts a picture or field. -3 when a reference it needs was never decoded
  // (a P picture without a reference before it, a B picture without any).
  int BeginPicture(const PictureHeader& picture, const QuantMatrices& matrices, bool secondField);
  // One slice of the current picture: `code` is the start code's low byte (1..0xAF).
  void DecodeSlice(uint8_t code, std::span<const uint8_t> data);
  // SNR scalability: with an enhancement layer the blocks of the picture are
  // kept as inverse-quantised coefficients instead of being transformed.
  // BeginSnrPicture takes the enhancement picture's header and matrices,
  // DecodeSnrSlice adds one enhancement slice's refinements to the kept
  // coefficients, and FinishSnrPicture saturates each sum, applies mismatch
  // control and transforms it onto the prediction. Call all three between
  // BeginPicture and EndPicture, after the base layer's slices.
  void BeginSnrPicture(const PictureHeader& picture, const QuantMatrices& matrices);
  void DecodeSnrSlice(uint8_t code, std::span<const uint8_t> data);
  void FinishSnrPicture();
  // Spatial scalability: the lower-layer frame the current picture's
  // compatible macroblocks predict from (up-sampled by the sequence's
  // ratios and placed at the picture's offsets). Kept until the next call;
  // `lower` must outlive the picture's slices.
  void SetLowerLayer(const LowerLayer& lower) { lower_ = lower; }
  // Ends the picture or field; with `frameComplete` (a frame picture, a
  // second field, or a first field whose partner is missing) a finished I or
  // P frame becomes a reference.
  void EndPicture(bool frameComplete);
  // Forgets the references (a new sequence, or a broken link).
  void ForgetReferences() { references_ = 0; }

  const FrameGeometry& geometry() const { return geo_; }
  // The sequence the frame stores were sized for.
  const SequenceInfo& sequence() const { return seq_; }
  // The picture decoded last, or nullptr before the first.
  const FrameStore* LastPicture() const { return hasPicture_ ? &frames_[current_] : nullptr; }
  const PictureHeader& LastHeader() const { return lastHeader_; }
  // Slices and macroblocks of the last picture that could not be decoded.
  int damagedSlices() const { return damagedSlices_; }

 private:
  // Motion of one macroblock: prediction directions (kMbMotionForward,
  // kMbMotionBackward), motion type, vectors [r][s][t] in half samples and
  // field selects [r][s].
  struct Motion {
    int directions = 0;
    int type = 0;
    int vector[2][2][2] = {};
    int fieldSelect[2][2] = {};
    int dualPrime[2] = {};
  };
  struct Slice;

  bool DecodeMacroblock(Slice& s, int address);
  void SkipMacroblock(Slice& s, int address);
  bool DecodeMotionVectors(Slice& s, int direction, int count, bool fieldFormat, bool dualPrime, Motion& m);
  int DecodeVector(Slice& s, int r, int direction, int t, bool halveVertical);
  void FormPrediction(int mbx, int mby, const Motion& m);
  void PredictComponent(int cc, int mbx, int mby, const Motion& m, bool average, int direction);
  bool DecodeBlocks(Slice& s, int mbx, int mby, int flags, int pattern, bool fieldDct);
  bool DecodeIntraBlock(Slice& s, int cc, int& last);
  bool DecodeNonIntraBlock(Slice& s, int cc, int& last);
  int StoreCoefficient(int pos, int value, bool mpeg2);
  void FinishBlock(bool mpeg2, int sum, int& last);
  void SetQuantiser(Slice& s, int code);
  bool DecodeSnrMacroblock(Slice& s, int address);
  void FormSpatialPrediction(int mbx, int mby);
  int Upsample(int cc, int x, int y) const;
  bool DecodeSnrBlock(Slice& s, int cc, bool lowerIntra, int32_t* sum);
  // The 8x8 area of block `b` of a macroblock in the current picture.
  uint8_t* BlockDestination(int mbx, int mby, int b, bool fieldDct, ptrdiff_t& stride);
  int BlocksPerMacroblock() const;
  PlaneView RefField(int frame, int cc, int field) const;
  PlaneView RefFrame(int frame, int cc) const;
  // The frame a field picture predicts from in `direction` with field select `field`.
  int ReferenceFor(int direction, int field) const;

  SequenceInfo seq_;
  FrameGeometry geo_;
  FrameStore frames_[3];
  int ref_[2] = {0, 1};  // forward (older) and backward (newer) reference
  int aux_ = 2;          // B pictures
  int current_ = 0;
  int forward_ = 0, backward_ = 1;  // the references the current picture predicts from
  int references_ = 0;   // reference frames decoded so far, up to 2
  bool hasPicture_ = false;

  PictureHeader pic_;
  PictureHeader lastHeader_;
  QuantMatrices matrices_{};
  bool secondField_ = false;
  int parity_ = 0;  // field pictures: 0 top, 1 bottom
  int mbRows_ = 0;  // macroblock rows of the picture (half the frame's for a field)
  int damagedSlices_ = 0;
  bool referencePicture_ = false;

  alignas(16) int16_t coef_[64] = {};

  // SNR scalability: the enhancement picture, and for every macroblock of
  // the current picture its blocks' summed coefficients, which blocks either
  // layer coded, and the lower layer's intra and DCT-type decisions.
  bool snr_ = false;
  PictureHeader snrPic_;
  QuantMatrices snrMatrices_{};
  int32_t* raw_ = nullptr;  // where the base layer's block decoding keeps coefficients
  std::vector<int32_t> snrCoef_;
  std::vector<uint16_t> snrCoded_;
  std::vector<uint8_t> snrIntra_;
  std::vector<uint8_t> snrFieldDct_;

  LowerLayer lower_;
};

}  // namespace lumora::mpeg
