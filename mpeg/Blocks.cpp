// Coefficient layer: DC differentials, run/level decoding with both DCT
// tables and both escape forms, inverse quantisation with MPEG-1
// oddification or MPEG-2 saturation and mismatch control, and the quantiser
// factors the block decoder multiplies by.
#include <cstdlib>

#include "mpeg/Coefficients.h"
#include "mpeg/PictureDecoder.h"
#include "mpeg/SliceState.h"
#include "mpeg/VlcTables.h"

namespace lumora::mpeg {

void PictureDecoder::SetQuantiser(Slice& s, int code) {
  if (seq_.mpeg2) {
    s.quantiserScale = pic_.qScaleType ? kNonLinearQuantiserScale[code] : code * 2;
  } else {
    s.quantiserScale = code;
  }
  const uint8_t* matrices[4] = {matrices_.intra, matrices_.nonIntra, matrices_.chromaIntra, matrices_.chromaNonIntra};
  for (int m = 0; m < 4; ++m)
    for (int i = 0; i < 64; ++i) s.factor[m][i] = matrices[m][i] * s.quantiserScale;
}

// Keeps the inverse-quantised value for an enhancement layer when one asks,
// then stores it saturated (MPEG-1 oddified first); returns what was stored.
int PictureDecoder::StoreCoefficient(int pos, int value, bool mpeg2) {
  if (raw_) raw_[pos] = value;
  value = mpeg2 ? Saturate(value) : Saturate(Oddify(value));
  coef_[pos] = int16_t(value);
  return value;
}

// MPEG-2 mismatch control: an even sum of the stored coefficients toggles the
// last bit of coefficient 63.
void PictureDecoder::FinishBlock(bool mpeg2, int sum, int& last) {
  if (mpeg2 && (sum & 1) == 0) {
    coef_[63] = int16_t(coef_[63] ^ 1);
    last = 63;
  }
}

bool PictureDecoder::DecodeIntraBlock(Slice& s, int cc, int& last) {
  MsbBitReader& br = s.br;
  int size;
  if (!DcSizeTable(cc != 0).Decode(br, size)) return false;
  int diff = 0;
  if (size > 0) {
    diff = int(br.Read(size));
    if (diff < (1 << (size - 1))) diff -= (1 << size) - 1;
  }
  s.dcPredictor[cc] += diff;
  const bool mpeg2 = seq_.mpeg2;
  int dc = s.dcPredictor[cc] << (3 - pic_.intraDcPrecision);
  if (raw_) raw_[0] = dc;
  coef_[0] = int16_t(Saturate(dc));
  int sum = coef_[0];
  last = 0;
  if (pic_.codingType == kPictureD) return true;

  const VlcTable& table = DctTable(pic_.intraVlcFormat);
  const uint8_t* scan = kScan.position[pic_.alternateScan];
  const int* factor = s.factor[cc ? 2 : 0];
  const int divisor = mpeg2 ? 16 : 8;
  int i = 0;
  for (;;) {
    int run, level;
    Coefficient got = ReadCoefficient(br, table, false, mpeg2, run, level);
    if (got == Coefficient::Bad) return false;
    if (got == Coefficient::EndOfBlock) break;
    i += run + 1;
    if (i > 63) return false;
    int pos = scan[i];
    int value = level * factor[pos] / divisor;
    sum += StoreCoefficient(pos, value, mpeg2);
    last = i;
  }
  FinishBlock(mpeg2, sum, last);
  return !br.truncated();
}

bool PictureDecoder::DecodeNonIntraBlock(Slice& s, int cc, int& last) {
  MsbBitReader& br = s.br;
  const VlcTable& table = DctTable(false);
  const uint8_t* scan = kScan.position[pic_.alternateScan];
  const bool mpeg2 = seq_.mpeg2;
  const int* factor = s.factor[cc ? 3 : 1];
  const int divisor = mpeg2 ? 32 : 16;
  int sum = 0;
  int i = -1;
  last = 0;
  bool first = true;
  for (;;) {
    int run, level;
    Coefficient got = ReadCoefficient(br, table, first, mpeg2, run, level);
    if (got == Coefficient::Bad) return false;
    if (got == Coefficient::EndOfBlock) break;
    first = false;
    i += run + 1;
    if (i > 63) return false;
    int pos = scan[i];
    int value = (2 * level + (level > 0 ? 1 : -1)) * factor[pos] / divisor;
    sum += StoreCoefficient(pos, value, mpeg2);
    last = i;
  }
  FinishBlock(mpeg2, sum, last);
  return !br.truncated();
}

}  // namespace lumora::mpeg
