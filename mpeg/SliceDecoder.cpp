// Slice and macroblock layer: the slice header, macroblock addressing with
// escapes, stuffing and skipped macroblocks, macroblock modes, quantiser
// changes, motion vectors (frame, field, 16x8 and dual prime, MPEG-1 full
// sample vectors, concealment vectors), coded block patterns for 4:2:0, 4:2:2
// and 4:4:4, and the placement of each block in frame or field order.
#include <cstdlib>
#include <cstring>

#include "mpeg/Idct.h"
#include "mpeg/PictureDecoder.h"
#include "mpeg/SliceState.h"
#include "mpeg/VlcTables.h"

namespace lumora::mpeg {

namespace {

constexpr int kFrameMotion = 2;
constexpr int kFieldMotion = 1;
constexpr int kDualPrimeMotion = 3;
constexpr int k16x8Motion = 2;

}  // namespace

SliceHeader ReadSliceHeader(MsbBitReader& br, uint8_t code, const SliceSyntax& syntax) {
  SliceHeader h;
  h.row = code - 1;
  if (syntax.verticalExtension) h.row += int(br.Read(3)) << 7;
  if (syntax.priorityBreakpoint) br.Read(7);
  h.quantiserCode = int(br.Read(5));
  if (syntax.intraSlice && br.Peek(1)) {
    br.Read(1);  // intra_slice_flag
    br.Read(8);  // intra_slice, reserved_bits
  }
  while (br.Peek(1)) br.Read(9);  // extra_bit_slice, extra_information_slice
  br.Read(1);
  return h;
}

int ReadAddressIncrement(MsbBitReader& br, bool& bad) {
  // A slice's address increments pass one macroblock escape for every 33.
  constexpr int kEscapeIncrement = 33;
  int increment = 0;
  bad = false;
  for (;;) {
    int v;
    if (!AddressIncrementTable().Decode(br, v)) {
      bad = true;
      return increment;
    }
    if (v == kMbaStuffing) continue;
    if (v == kMbaEscape) {
      increment += kEscapeIncrement;
      continue;
    }
    return increment + v;
  }
}

void PictureDecoder::DecodeSlice(uint8_t code, std::span<const uint8_t> data) {
  Slice s(data);
  MsbBitReader& br = s.br;
  const SliceSyntax syntax{.verticalExtension = seq_.mpeg2 && seq_.verticalSize > kSliceExtensionHeight,
                           .priorityBreakpoint = seq_.hasScalableExtension && seq_.scalableMode == kDataPartitioning,
                           .intraSlice = seq_.mpeg2};
  const SliceHeader header = ReadSliceHeader(br, code, syntax);
  const int row = header.row;
  if (row >= mbRows_ || header.quantiserCode == 0 || br.truncated()) {
    ++damagedSlices_;
    return;
  }
  SetQuantiser(s, header.quantiserCode);
  const int reset = 1 << (7 + pic_.intraDcPrecision);
  s.dcPredictor[0] = s.dcPredictor[1] = s.dcPredictor[2] = reset;

  const int mbCount = mbRows_ * geo_.mbWidth;
  int address = row * geo_.mbWidth - 1;
  bool first = true;
  for (;;) {
    bool bad;
    const int increment = ReadAddressIncrement(br, bad);
    if (bad) {
      ++damagedSlices_;
      return;
    }
    int next = address + increment;
    if (next >= mbCount) {
      ++damagedSlices_;
      return;
    }
    if (!first && increment > 1) {
      if (pic_.codingType == kPictureI || pic_.codingType == kPictureD) {
        ++damagedSlices_;
        return;
      }
      for (int a = address + 1; a < next; ++a) SkipMacroblock(s, a);
    }
    first = false;
    address = next;
    if (!DecodeMacroblock(s, address)) {
      std::memset(coef_, 0, sizeof coef_);
      ++damagedSlices_;
      return;
    }
    if (br.truncated()) {
      ++damagedSlices_;
      return;
    }
    if (br.Peek(23) == 0) return;  // the slice's data ends here
  }
}

void PictureDecoder::SkipMacroblock(Slice& s, int address) {
  int mbx = address % geo_.mbWidth, mby = address / geo_.mbWidth;
  const int reset = 1 << (7 + pic_.intraDcPrecision);
  s.dcPredictor[0] = s.dcPredictor[1] = s.dcPredictor[2] = reset;
  Motion m;
  bool field = pic_.pictureStructure != kFramePicture;
  m.type = field ? kFieldMotion : kFrameMotion;
  m.fieldSelect[0][0] = m.fieldSelect[0][1] = parity_;
  if (pic_.codingType == kPictureP) {
    m.directions = kMbMotionForward;
    std::memset(s.pmv, 0, sizeof s.pmv);
  } else {
    // B pictures repeat the previous macroblock's directions with the
    // predictors as vectors; after an intra macroblock there is nothing to
    // repeat, and the forward reference with no motion stands in.
    m.directions = s.previousIntra ? kMbMotionForward : s.previous.directions;
    if (!s.previousIntra) {
      for (int dir = 0; dir < 2; ++dir)
        for (int t = 0; t < 2; ++t) m.vector[0][dir][t] = s.pmv[0][dir][t];
      if (!seq_.mpeg2) {
        for (int dir = 0; dir < 2; ++dir) {
          bool fullPel = dir == 0 ? pic_.fullPelForward : pic_.fullPelBackward;
          if (fullPel)
            for (int t = 0; t < 2; ++t) m.vector[0][dir][t] *= 2;
        }
      }
    }
  }
  FormPrediction(mbx, mby, m);
}

int PictureDecoder::DecodeVector(Slice& s, int r, int direction, int t, bool halveVertical) {
  MsbBitReader& br = s.br;
  int code;
  if (!MotionCodeTable().Decode(br, code)) {
    s.broken = true;
    code = 0;
  }
  int rSize = pic_.fCode[direction][t] - 1;
  int delta = code;
  if (rSize > 0 && code != 0) {
    int residual = int(br.Read(rSize));
    delta = ((std::abs(code) - 1) << rSize) + residual + 1;
    if (code < 0) delta = -delta;
  }
  bool halve = halveVertical && t == 1;
  int prediction = halve ? s.pmv[r][direction][t] >> 1 : s.pmv[r][direction][t];
  int low = -(16 << rSize), high = (16 << rSize) - 1, range = 32 << rSize;
  int v = prediction + delta;
  if (v < low) v += range;
  if (v > high) v -= range;
  s.pmv[r][direction][t] = halve ? v * 2 : v;
  return v;
}

bool PictureDecoder::DecodeMotionVectors(Slice& s, int direction, int count, bool fieldFormat, bool dualPrime,
                                         Motion& m) {
  MsbBitReader& br = s.br;
  const bool halve = fieldFormat && pic_.pictureStructure == kFramePicture;
  for (int r = 0; r < count; ++r) {
    if (count == 2 || (fieldFormat && !dualPrime)) m.fieldSelect[r][direction] = int(br.Read(1));
    for (int t = 0; t < 2; ++t) {
      m.vector[r][direction][t] = DecodeVector(s, r, direction, t, halve);
      if (dualPrime) {
        int d;
        if (!DualPrimeTable().Decode(br, d)) return false;
        m.dualPrime[t] = d;
      }
    }
  }
  if (count == 1)
    for (int t = 0; t < 2; ++t) s.pmv[1][direction][t] = s.pmv[0][direction][t];
  if (!seq_.mpeg2) {  // MPEG-1 full-sample vectors count whole samples
    bool fullPel = direction == 0 ? pic_.fullPelForward : pic_.fullPelBackward;
    if (fullPel)
      for (int t = 0; t < 2; ++t) m.vector[0][direction][t] *= 2;
  }
  return !br.truncated() && !s.broken;
}

bool PictureDecoder::DecodeMacroblock(Slice& s, int address) {
  MsbBitReader& br = s.br;
  int mbx = address % geo_.mbWidth, mby = address / geo_.mbWidth;
  int flags;
  const bool spatial = seq_.hasScalableExtension && seq_.scalableMode == kSpatialScalability;
  const VlcTable& types = spatial ? SpatialIMacroblockTypeTable() : MacroblockTypeTable(pic_.codingType);
  if (!types.Decode(br, flags)) return false;
  const bool framePicture = pic_.pictureStructure == kFramePicture;
  const bool intra = flags & kMbIntra;
  Motion m;
  m.directions = flags & (kMbMotionForward | kMbMotionBackward);
  m.type = framePicture ? kFrameMotion : kFieldMotion;
  if (m.directions) {
    if (!framePicture || !pic_.framePredFrameDct) {
      m.type = int(br.Read(2));
      if (m.type == 0) return false;
    }
  }
  bool fieldDct = false;
  if (framePicture && !pic_.framePredFrameDct && (flags & (kMbIntra | kMbPattern))) fieldDct = br.Read(1);
  if (flags & kMbQuant) {
    int code = int(br.Read(5));
    if (code == 0) return false;
    SetQuantiser(s, code);
  }

  // Vector count and format of the motion type.
  int count = 1;
  bool fieldFormat = !framePicture, dualPrime = false;
  if (m.type == kDualPrimeMotion) {
    dualPrime = true;
    fieldFormat = true;
  } else if (framePicture && m.type == kFieldMotion) {
    count = 2;
    fieldFormat = true;
  } else if (!framePicture && m.type == k16x8Motion) {
    count = 2;
  }
  if (dualPrime && m.directions != kMbMotionForward) return false;

  const bool concealment = intra && pic_.concealmentMotionVectors;
  if ((flags & kMbMotionForward) || concealment) {
    if (concealment) {
      count = 1;
      fieldFormat = !framePicture;
      dualPrime = false;
    }
    if (!DecodeMotionVectors(s, 0, count, fieldFormat, dualPrime, m)) return false;
  }
  if (flags & kMbMotionBackward) {
    if (!DecodeMotionVectors(s, 1, count, fieldFormat, dualPrime, m)) return false;
  }
  if (concealment) br.Read(1);  // marker_bit

  int pattern = 0;
  if (flags & kMbPattern) {
    int cbp;
    if (!CodedBlockPatternTable().Decode(br, cbp)) return false;
    pattern = cbp << (geo_.chromaFormat == kChroma420 ? 0 : geo_.chromaFormat == kChroma422 ? 2 : 6);
    if (geo_.chromaFormat == kChroma422) pattern |= int(br.Read(2));
    if (geo_.chromaFormat == kChroma444) pattern |= int(br.Read(6));
  }

  const int reset = 1 << (7 + pic_.intraDcPrecision);
  if (intra) {
    if (!concealment) std::memset(s.pmv, 0, sizeof s.pmv);
    s.previousIntra = true;
  } else {
    s.dcPredictor[0] = s.dcPredictor[1] = s.dcPredictor[2] = reset;
    if (flags & kMbCompatible) {
      std::memset(s.pmv, 0, sizeof s.pmv);
      s.previousIntra = false;
      FormSpatialPrediction(mbx, mby);
      return DecodeBlocks(s, mbx, mby, pattern, pattern, fieldDct);
    }
    if (pic_.codingType == kPictureP && !(flags & kMbMotionForward)) {
      // P macroblock without motion: zero vector, predictors reset.
      std::memset(s.pmv, 0, sizeof s.pmv);
      m.directions = kMbMotionForward;
      m.type = framePicture ? kFrameMotion : kFieldMotion;
      m.fieldSelect[0][0] = parity_;
    }
    s.previous = m;
    s.previousIntra = false;
    FormPrediction(mbx, mby, m);
  }
  if (!DecodeBlocks(s, mbx, mby, intra ? -1 : pattern, pattern, fieldDct)) return false;
  if (pic_.codingType == kPictureD) br.Read(1);  // end_of_macroblock
  return true;
}

int PictureDecoder::BlocksPerMacroblock() const {
  return geo_.chromaFormat == kChroma420 ? 6 : geo_.chromaFormat == kChroma422 ? 8 : 12;
}

uint8_t* PictureDecoder::BlockDestination(int mbx, int mby, int b, bool fieldDct, ptrdiff_t& blockStride) {
  FrameStore& f = frames_[current_];
  int cc = b < 4 ? 0 : 1 + (b & 1);
  int width = cc ? geo_.chromaWidth : geo_.lumaWidth;
  int index = b < 4 ? b : (b - 4) >> 1;  // block within its component
  int mbW = cc && geo_.chromaFormat != kChroma444 ? 8 : 16;
  int mbH = cc && geo_.chromaFormat == kChroma420 ? 8 : 16;
  int x = mbx * mbW + (mbW == 16 ? (index & 1) * 8 : 0);
  int blockRow = mbW == 16 ? index >> 1 : index;  // 4:2:2 chroma stacks its two blocks
  ptrdiff_t stride = width;
  uint8_t* base = f.plane[cc].data();
  if (pic_.pictureStructure != kFramePicture) {
    base += parity_ * width;
    stride *= 2;
  }
  int y;
  blockStride = stride;
  if (fieldDct && mbH == 16) {
    y = mby * 16 + blockRow;  // rows of one field, every other line
    blockStride = stride * 2;
  } else {
    y = mby * mbH + blockRow * 8;
  }
  return base + y * stride + x;
}

// Decodes the macroblock's blocks into the current picture: every block of
// an intra macroblock (`flags` -1), else the coded ones of `pattern` added to
// the prediction. With an SNR layer the coefficients are kept instead.
bool PictureDecoder::DecodeBlocks(Slice& s, int mbx, int mby, int flags, int pattern, bool fieldDct) {
  const bool intra = flags == -1;
  const int blocks = BlocksPerMacroblock();
  const size_t mb = size_t(mby) * size_t(geo_.mbWidth) + size_t(mbx);
  if (snr_) {
    snrIntra_[mb] = intra;
    snrFieldDct_[mb] = fieldDct;
  }
  for (int b = 0; b < blocks; ++b) {
    if (!intra && !(pattern & (1 << (blocks - 1 - b)))) continue;
    int cc = b < 4 ? 0 : 1 + (b & 1);
    int last;
    if (snr_) {
      raw_ = &snrCoef_[(mb * size_t(blocks) + size_t(b)) * 64];
      bool ok = intra ? DecodeIntraBlock(s, cc, last) : DecodeNonIntraBlock(s, cc, last);
      raw_ = nullptr;
      std::memset(coef_, 0, sizeof coef_);
      if (!ok) return false;
      snrCoded_[mb] = uint16_t(snrCoded_[mb] | 1 << b);
      continue;
    }
    ptrdiff_t stride;
    uint8_t* dst = BlockDestination(mbx, mby, b, fieldDct, stride);
    if (intra) {
      if (!DecodeIntraBlock(s, cc, last)) return false;
      IdctPut(coef_, last, dst, stride);
    } else {
      if (!DecodeNonIntraBlock(s, cc, last)) return false;
      IdctAdd(coef_, last, dst, stride);
    }
  }
  return true;
}

}  // namespace lumora::mpeg
