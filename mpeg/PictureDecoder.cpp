// Frame stores, picture start and end with the reference rotation, and the
// forming of a macroblock's prediction for every motion type.
#include "mpeg/PictureDecoder.h"

#include <algorithm>
#include <new>

#include "mpeg/MpegErrors.h"
#include "mpeg/VlcTables.h"

namespace lumora::mpeg {

namespace {

constexpr uint8_t kBlankSample = 128;
constexpr int kFieldMotion = 1;
constexpr int kFrameMotion = 2;
constexpr int kDualPrimeMotion = 3;
constexpr int k16x8Motion = 2;  // field pictures

}  // namespace

FrameGeometry GeometryOf(const SequenceInfo& seq) {
  FrameGeometry g;
  g.mbWidth = (seq.horizontalSize + 15) >> 4;
  if (!seq.mpeg2 || seq.progressiveSequence) {
    g.mbHeight = (seq.verticalSize + 15) >> 4;
  } else {
    g.mbHeight = ((seq.verticalSize + 31) >> 5) << 1;
  }
  g.chromaFormat = seq.chromaFormat;
  g.lumaWidth = g.mbWidth * 16;
  g.lumaHeight = g.mbHeight * 16;
  g.chromaWidth = seq.chromaFormat == kChroma444 ? g.lumaWidth : g.lumaWidth / 2;
  g.chromaHeight = seq.chromaFormat == kChroma420 ? g.lumaHeight / 2 : g.lumaHeight;
  return g;
}

int PictureDecoder::Configure(const SequenceInfo& seq, bool snrLayer) {
  seq_ = seq;
  FrameGeometry g = GeometryOf(seq);
  const size_t macroblocks = size_t(g.mbWidth) * size_t(g.mbHeight);
  const size_t blocks = g.chromaFormat == kChroma420 ? 6 : g.chromaFormat == kChroma422 ? 8 : 12;
  if (g == geo_ && !frames_[0].plane[0].empty() && snrLayer == snr_) return kOk;
  try {
    for (FrameStore& f : frames_) {
      f.plane[0].assign(size_t(g.lumaWidth) * size_t(g.lumaHeight), kBlankSample);
      f.plane[1].assign(size_t(g.chromaWidth) * size_t(g.chromaHeight), kBlankSample);
      f.plane[2].assign(size_t(g.chromaWidth) * size_t(g.chromaHeight), kBlankSample);
    }
    snrCoef_.assign(snrLayer ? macroblocks * blocks * 64 : 0, 0);
    snrCoded_.assign(snrLayer ? macroblocks : 0, 0);
    snrIntra_.assign(snrLayer ? macroblocks : 0, 0);
    snrFieldDct_.assign(snrLayer ? macroblocks : 0, 0);
  } catch (const std::bad_alloc&) {
    for (FrameStore& f : frames_)
      for (auto& p : f.plane) std::vector<uint8_t>().swap(p);
    std::vector<int32_t>().swap(snrCoef_);
    geo_ = {};
    snr_ = false;
    return kErrMemory;
  }
  snr_ = snrLayer;
  geo_ = g;
  references_ = 0;
  hasPicture_ = false;
  return kOk;
}

int PictureDecoder::BeginPicture(const PictureHeader& picture, const QuantMatrices& matrices, bool secondField) {
  if (geo_.mbWidth == 0) return kErrState;
  const bool reference = picture.codingType == kPictureI || picture.codingType == kPictureP;
  if (picture.codingType == kPictureP && references_ == 0 && !secondField) return kErrState;
  if (picture.codingType == kPictureB && references_ == 0) return kErrState;
  pic_ = picture;
  matrices_ = matrices;
  secondField_ = secondField;
  parity_ = picture.pictureStructure == kBottomField ? 1 : 0;
  mbRows_ = picture.pictureStructure == kFramePicture ? geo_.mbHeight : geo_.mbHeight / 2;
  damagedSlices_ = 0;
  referencePicture_ = reference;
  if (snr_) {
    std::fill(snrCoef_.begin(), snrCoef_.end(), 0);
    std::fill(snrCoded_.begin(), snrCoded_.end(), 0);
    std::fill(snrIntra_.begin(), snrIntra_.end(), 0);
    std::fill(snrFieldDct_.begin(), snrFieldDct_.end(), 0);
  }
  if (!secondField) {
    if (reference) {
      std::swap(ref_[0], ref_[1]);
      current_ = ref_[1];
    } else {
      current_ = aux_;
    }
  }
  if (reference) {
    // A P picture predicts from the newest reference before it; the second
    // field of a frame without one falls back on its own first field.
    forward_ = references_ > 0 ? ref_[0] : current_;
    backward_ = forward_;
  } else {
    // A B picture with one reference only (an open group's first pictures)
    // predicts both ways from it.
    forward_ = references_ > 1 ? ref_[0] : ref_[1];
    backward_ = ref_[1];
  }
  return kOk;
}

void PictureDecoder::EndPicture(bool frameComplete) {
  lastHeader_ = pic_;
  hasPicture_ = true;
  if (frameComplete && referencePicture_) references_ = std::min(references_ + 1, 2);
}

PlaneView PictureDecoder::RefFrame(int frame, int cc) const {
  int w = cc ? geo_.chromaWidth : geo_.lumaWidth;
  int h = cc ? geo_.chromaHeight : geo_.lumaHeight;
  return {frames_[frame].plane[cc].data(), w, w, h};
}

PlaneView PictureDecoder::RefField(int frame, int cc, int field) const {
  int w = cc ? geo_.chromaWidth : geo_.lumaWidth;
  int h = cc ? geo_.chromaHeight : geo_.lumaHeight;
  return {frames_[frame].plane[cc].data() + field * w, 2 * ptrdiff_t(w), w, h / 2};
}

int PictureDecoder::ReferenceFor(int direction, int field) const {
  // The second field of a P frame finds the opposite field in its own frame.
  if (pic_.codingType == kPictureP && secondField_ && field != parity_) return current_;
  return direction == 0 ? forward_ : backward_;
}

void PictureDecoder::FormPrediction(int mbx, int mby, const Motion& m) {
  for (int cc = 0; cc < 3; ++cc) {
    if (m.directions & kMbMotionForward) PredictComponent(cc, mbx, mby, m, false, 0);
    if (m.directions & kMbMotionBackward)
      PredictComponent(cc, mbx, mby, m, (m.directions & kMbMotionForward) != 0, 1);
  }
}

void PictureDecoder::PredictComponent(int cc, int mbx, int mby, const Motion& m, bool average, int dir) {
  const bool chroma = cc != 0;
  const bool halfWidth = chroma && geo_.chromaFormat != kChroma444;
  const bool halfHeight = chroma && geo_.chromaFormat == kChroma420;
  const int mbW = halfWidth ? 8 : 16, mbH = halfHeight ? 8 : 16;
  const int w = chroma ? geo_.chromaWidth : geo_.lumaWidth;
  auto vx = [&](int v) { return halfWidth ? v / 2 : v; };
  auto vy = [&](int v) { return halfHeight ? v / 2 : v; };
  uint8_t* plane = frames_[current_].plane[cc].data();
  const int x = mbx * mbW;

  if (pic_.pictureStructure == kFramePicture) {
    const int ref = dir == 0 ? forward_ : backward_;
    if (m.type == kFrameMotion) {
      uint8_t* dst = plane + ptrdiff_t(mby) * mbH * w + x;
      Predict(RefFrame(ref, cc), x, mby * mbH, vx(m.vector[0][dir][0]), vy(m.vector[0][dir][1]), mbW, mbH, dst, w,
              average);
      return;
    }
    const int fieldY = mby * mbH / 2;
    for (int f = 0; f < 2; ++f) {
      uint8_t* dst = plane + (ptrdiff_t(mby) * mbH + f) * w + x;
      if (m.type == kFieldMotion) {
        const int* v = m.vector[f][dir];
        Predict(RefField(ref, cc, m.fieldSelect[f][dir]), x, fieldY, vx(v[0]), vy(v[1]), mbW, mbH / 2, dst, 2 * w,
                average);
      } else if (m.type == kDualPrimeMotion) {
        const int* v = m.vector[0][0];
        // Opposite field: top from bottom is one field period away, bottom
        // from top three; the vertical offset of the fields is -1 or +1.
        int scale = f == 0 ? 1 : 3, e = f == 0 ? -1 : 1;
        int dx = ((v[0] * scale + (v[0] > 0)) >> 1) + m.dualPrime[0];
        int dy = ((v[1] * scale + (v[1] > 0)) >> 1) + e + m.dualPrime[1];
        Predict(RefField(ref, cc, f), x, fieldY, vx(v[0]), vy(v[1]), mbW, mbH / 2, dst, 2 * w, false);
        Predict(RefField(ref, cc, 1 - f), x, fieldY, vx(dx), vy(dy), mbW, mbH / 2, dst, 2 * w, true);
      }
    }
    return;
  }

  // Field pictures: the current field's rows of the frame.
  uint8_t* fieldPlane = plane + parity_ * w;
  const ptrdiff_t stride = 2 * ptrdiff_t(w);
  const int y = mby * mbH;
  if (m.type == kFieldMotion) {
    const int* v = m.vector[0][dir];
    int sel = m.fieldSelect[0][dir];
    Predict(RefField(ReferenceFor(dir, sel), cc, sel), x, y, vx(v[0]), vy(v[1]), mbW, mbH,
            fieldPlane + y * stride + x, stride, average);
  } else if (m.type == k16x8Motion) {  // upper and lower halves with their own vectors
    for (int half = 0; half < 2; ++half) {
      const int* v = m.vector[half][dir];
      int sel = m.fieldSelect[half][dir];
      int yy = y + half * mbH / 2;
      Predict(RefField(ReferenceFor(dir, sel), cc, sel), x, yy, vx(v[0]), vy(v[1]), mbW, mbH / 2,
              fieldPlane + yy * stride + x, stride, average);
    }
  } else if (m.type == kDualPrimeMotion) {
    const int* v = m.vector[0][0];
    int e = parity_ == 0 ? -1 : 1;
    int dx = ((v[0] + (v[0] > 0)) >> 1) + m.dualPrime[0];
    int dy = ((v[1] + (v[1] > 0)) >> 1) + e + m.dualPrime[1];
    uint8_t* dst = fieldPlane + y * stride + x;
    Predict(RefField(forward_, cc, parity_), x, y, vx(v[0]), vy(v[1]), mbW, mbH, dst, stride, false);
    Predict(RefField(ReferenceFor(0, 1 - parity_), cc, 1 - parity_), x, y, vx(dx), vy(dy), mbW, mbH, dst, stride,
            true);
  }
}

}  // namespace lumora::mpeg
