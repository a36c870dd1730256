// SNR scalability: the enhancement layer's slices and macroblocks, whose
// inverse-quantised coefficients refine the lower layer's before the inverse
// DCT. The enhancement layer carries no prediction of its own: its
// macroblocks are coded (with an optional new quantiser) or not, and each
// coded block is a non-intra coefficient block whose inverse quantisation
// follows the lower layer's macroblock (intra or not) with the enhancement
// layer's matrices and quantiser. The sums are saturated and mismatch
// controlled once, then transformed onto the prediction the lower layer formed.
#include <algorithm>
#include <cstring>

#include "mpeg/Coefficients.h"
#include "mpeg/Idct.h"
#include "mpeg/PictureDecoder.h"
#include "mpeg/SliceState.h"
#include "mpeg/VlcTables.h"

namespace lumora::mpeg {

namespace {

constexpr int kLastScanIndex = 63;
constexpr int32_t kSumLimit = 1 << 24;

}  // namespace

void PictureDecoder::BeginSnrPicture(const PictureHeader& picture, const QuantMatrices& matrices) {
  snrPic_ = picture;
  snrMatrices_ = matrices;
}

void PictureDecoder::DecodeSnrSlice(uint8_t code, std::span<const uint8_t> data) {
  if (!snr_) return;
  Slice s(data);
  MsbBitReader& br = s.br;
  // Enhancement layers are MPEG-2 and never data partitioned.
  const SliceHeader header = ReadSliceHeader(
      br, code, {.verticalExtension = seq_.verticalSize > kSliceExtensionHeight, .intraSlice = true});
  const int row = header.row;
  const int quantiserCode = header.quantiserCode;
  if (row >= mbRows_ || quantiserCode == 0 || br.truncated()) {
    ++damagedSlices_;
    return;
  }
  // The enhancement layer quantises with its own scale type and matrices.
  std::swap(pic_, snrPic_);
  std::swap(matrices_, snrMatrices_);
  SetQuantiser(s, quantiserCode);
  const int mbCount = mbRows_ * geo_.mbWidth;
  int address = row * geo_.mbWidth - 1;
  for (;;) {
    // A code that is no code ends the increment: with no escape before it the
    // increment is 0 and the slice ends as damaged; after escapes the
    // macroblock read next meets the damage. Macroblocks passed over refine
    // nothing.
    bool bad;
    const int increment = ReadAddressIncrement(br, bad);
    address += increment;
    if (increment == 0 || address >= mbCount || !DecodeSnrMacroblock(s, address) || br.truncated()) {
      ++damagedSlices_;
      break;
    }
    if (br.Peek(23) == 0) break;  // the slice's data ends here
  }
  std::swap(pic_, snrPic_);
  std::swap(matrices_, snrMatrices_);
}

bool PictureDecoder::DecodeSnrMacroblock(Slice& s, int address) {
  MsbBitReader& br = s.br;
  int flags;
  if (!SnrMacroblockTypeTable().Decode(br, flags)) return false;
  const size_t mb = size_t(address);
  if ((flags & kMbPattern) && pic_.pictureStructure == kFramePicture && !pic_.framePredFrameDct) {
    // Both layers' coefficients of a block meet in one transform, so they
    // must agree on frame or field DCT.
    if (bool(br.Read(1)) != bool(snrFieldDct_[mb])) return false;
  }
  if (flags & kMbQuant) {
    int code = int(br.Read(5));
    if (code == 0) return false;
    SetQuantiser(s, code);
  }
  if (!(flags & kMbPattern)) return true;
  int cbp;
  if (!CodedBlockPatternTable().Decode(br, cbp)) return false;
  int pattern = cbp << (geo_.chromaFormat == kChroma420 ? 0 : geo_.chromaFormat == kChroma422 ? 2 : 6);
  if (geo_.chromaFormat == kChroma422) pattern |= int(br.Read(2));
  if (geo_.chromaFormat == kChroma444) pattern |= int(br.Read(6));
  const int blocks = BlocksPerMacroblock();
  for (int b = 0; b < blocks; ++b) {
    if (!(pattern & (1 << (blocks - 1 - b)))) continue;
    int cc = b < 4 ? 0 : 1 + (b & 1);
    if (!DecodeSnrBlock(s, cc, snrIntra_[mb] != 0, &snrCoef_[(mb * size_t(blocks) + size_t(b)) * 64])) return false;
    snrCoded_[mb] = uint16_t(snrCoded_[mb] | 1 << b);
  }
  return true;
}

// One enhancement block: table zero with the short first coefficient, MPEG-2
// escapes; every coefficient (the DC of an intra macroblock too) is inverse
// quantised as the lower layer's macroblock asks and added to `sum`.
bool PictureDecoder::DecodeSnrBlock(Slice& s, int cc, bool lowerIntra, int32_t* sum) {
  MsbBitReader& br = s.br;
  const VlcTable& table = DctTable(false);
  const uint8_t* scan = kScan.position[pic_.alternateScan];
  const int* factor = s.factor[(cc ? 2 : 0) + (lowerIntra ? 0 : 1)];
  int i = -1;
  bool first = true;
  for (;;) {
    int run, level;
    Coefficient got = ReadCoefficient(br, table, first, true, run, level);
    if (got == Coefficient::Bad) return false;
    if (got == Coefficient::EndOfBlock) break;
    first = false;
    i += run + 1;
    if (i > kLastScanIndex) return false;
    int pos = scan[i];
    int k = lowerIntra ? 0 : (level > 0 ? 1 : -1);
    // Repeated slices may refine a block again and again: the sum stays
    // far beyond the coefficient range but inside int.
    sum[pos] = std::clamp(sum[pos] + (2 * level + k) * factor[pos] / 32, -kSumLimit, kSumLimit);
  }
  return !br.truncated();
}

void PictureDecoder::FinishSnrPicture() {
  if (!snr_) return;
  const int blocks = BlocksPerMacroblock();
  const int mbCount = mbRows_ * geo_.mbWidth;
  for (int mb = 0; mb < mbCount; ++mb) {
    const bool intra = snrIntra_[size_t(mb)] != 0;
    const int mbx = mb % geo_.mbWidth, mby = mb / geo_.mbWidth;
    for (int b = 0; b < blocks; ++b) {
      if (!intra && !(snrCoded_[size_t(mb)] & (1 << b))) continue;
      int32_t* sum = &snrCoef_[(size_t(mb) * size_t(blocks) + size_t(b)) * 64];
      int total = 0;
      for (int i = 0; i < 64; ++i) {
        int value = std::clamp(int(sum[i]), kMinCoefficient, kMaxCoefficient);
        coef_[i] = int16_t(value);
        total += value;
        sum[i] = 0;
      }
      if ((total & 1) == 0) coef_[63] = int16_t(coef_[63] ^ 1);
      ptrdiff_t stride;
      uint8_t* dst = BlockDestination(mbx, mby, b, snrFieldDct_[size_t(mb)] != 0, stride);
      if (intra) {
        IdctPut(coef_, kLastScanIndex, dst, stride);
      } else {
        IdctAdd(coef_, kLastScanIndex, dst, stride);
      }
    }
  }
}

}  // namespace lumora::mpeg
