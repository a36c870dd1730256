// Variable-length code tables of MPEG-1 and MPEG-2 video (the macroblock
// address increment, macroblock types, coded block pattern, motion codes,
// dual-prime differentials, DC sizes and the two DCT coefficient tables) and
// the lookup that decodes them from an MSB-first bit reader.
//
// Each table is written as its codes ("0000 0101 11") and built once into a
// lookup: a primary table indexed by the first `primaryBits` bits and, for
// prefixes whose codes are longer, secondary tables indexed by the bits that
// follow. A bit pattern that is no code decodes as invalid (length 0).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "io/ByteReader.h"

namespace lumora::mpeg {

struct VlcCode {
  std::string_view bits;  // '0' and '1'; spaces are ignored
  int16_t value;
};

class VlcTable {
 public:
  // `codes` must be prefix-free; codes may be at most primaryBits + secondaryBits long.
  VlcTable(std::span<const VlcCode> codes, int primaryBits, int secondaryBits);

  // Decodes one code. Returns false, consuming nothing, when the next bits are
  // no code of the table.
  bool Decode(MsbBitReader& br, int& value) const {
    uint32_t bits = br.Peek(totalBits_);
    Entry e = primary_[bits >> secondaryBits_];
    if (e.length < 0) e = secondary_[size_t(-e.length - 1) << secondaryBits_ | (bits & secondaryMask_)];
    if (e.length == 0) return false;
    br.Read(e.length);
    value = e.value;
    return true;
  }

  // True when every code was placed (no two codes share a prefix). Tables
  // are fixed, so this only fails for a mistyped table; tests check it.
  bool valid() const { return valid_; }

 private:
  struct Entry {
    int16_t value = 0;
    int8_t length = 0;  // code length; 0 = no code; negative = -(secondary table + 1)
  };
  bool Place(std::string_view code, int16_t value);

  int primaryBits_, secondaryBits_, totalBits_;
  uint32_t secondaryMask_;
  std::vector<Entry> primary_;
  std::vector<Entry> secondary_;
  bool valid_ = true;
};

// Macroblock type flags.
enum MacroblockFlags : int {
  kMbQuant = 1,
  kMbMotionForward = 2,
  kMbMotionBackward = 4,
  kMbPattern = 8,
  kMbIntra = 16,
  kMbCompatible = 32,  // predicted from the up-sampled lower layer
};

// Values of the address increment table beyond 1..33.
inline constexpr int kMbaStuffing = 34;
inline constexpr int kMbaEscape = 35;

// DCT coefficient table values: run | level << 6 for a (run, level) pair, or
// one of these.
inline constexpr int kDctEndOfBlock = -1;
inline constexpr int kDctEscape = -2;

const VlcTable& AddressIncrementTable();
const VlcTable& MacroblockTypeTable(int pictureCodingType);  // 1 I, 2 P, 3 B, 4 D
const VlcTable& SnrMacroblockTypeTable();  // SNR enhancement layers
const VlcTable& SpatialIMacroblockTypeTable();  // I pictures of spatial enhancement layers
const VlcTable& CodedBlockPatternTable();
const VlcTable& MotionCodeTable();  // values -16..16, sign included
const VlcTable& DualPrimeTable();   // values -1, 0, 1
const VlcTable& DcSizeTable(bool chroma);
const VlcTable& DctTable(bool tableOne);  // table zero (B.14) or table one (B.15)

// Scan index of each block position (row * 8 + column), zigzag and alternate.
inline constexpr uint8_t kZigzagIndex[64] = {
    0,  1,  5,  6,  14, 15, 27, 28, 2,  4,  7,  13, 16, 26, 29, 42, 3,  8,  12, 17, 25, 30,
    41, 43, 9,  11, 18, 24, 31, 40, 44, 53, 10, 19, 23, 32, 39, 45, 52, 54, 20, 22, 33, 38,
    46, 51, 55, 60, 21, 34, 37, 47, 50, 56, 59, 61, 35, 36, 48, 49, 57, 58, 62, 63,
};
inline constexpr uint8_t kAlternateIndex[64] = {
    0,  4,  6,  20, 22, 36, 38, 52, 1,  5,  7,  21, 23, 37, 39, 53, 2,  8,  19, 24, 34, 40,
    50, 54, 3,  9,  18, 25, 35, 41, 51, 55, 10, 17, 26, 30, 42, 46, 56, 60, 11, 16, 27, 31,
    43, 47, 57, 61, 12, 15, 28, 32, 44, 48, 58, 62, 13, 14, 29, 33, 45, 49, 59, 63,
};

// The inverse: block position of the n-th coefficient of each scan.
struct ScanOrders {
  uint8_t position[2][64];
};
constexpr ScanOrders MakeScanOrders() {
  ScanOrders s{};
  for (int pos = 0; pos < 64; ++pos) {
    s.position[0][kZigzagIndex[pos]] = uint8_t(pos);
    s.position[1][kAlternateIndex[pos]] = uint8_t(pos);
  }
  return s;
}
inline constexpr ScanOrders kScan = MakeScanOrders();

// Default intra quantiser matrix in block order (the non-intra default is 16 everywhere).
inline constexpr uint8_t kDefaultIntraMatrix[64] = {
    8,  16, 19, 22, 26, 27, 29, 34, 16, 16, 22, 24, 27, 29, 34, 37, 19, 22, 26, 27, 29, 34,
    34, 38, 22, 22, 26, 27, 29, 34, 37, 40, 22, 26, 27, 29, 32, 35, 40, 48, 26, 27, 29, 32,
    35, 40, 48, 58, 26, 27, 29, 34, 38, 46, 56, 69, 27, 29, 35, 38, 46, 56, 69, 83,
};

// Quantiser scale for quantiser_scale_code 0..31 with q_scale_type 1.
inline constexpr uint8_t kNonLinearQuantiserScale[32] = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  10, 12, 14, 16, 18, 20, 22,
    24, 28, 32, 36, 40, 44, 48, 52, 56, 64, 72, 80, 88, 96, 104, 112,
};

}  // namespace lumora::mpeg
