// Code lists of the variable-length tables and the lookup builder.
#include "mpeg/VlcTables.h"

#include <array>
#include <string>

namespace lumora::mpeg {

VlcTable::VlcTable(std::span<const VlcCode> codes, int primaryBits, int secondaryBits)
    : primaryBits_(primaryBits),
      secondaryBits_(secondaryBits),
      totalBits_(primaryBits + secondaryBits),
      secondaryMask_((uint32_t(1) << secondaryBits) - 1),
      primary_(size_t(1) << primaryBits) {
  for (const VlcCode& c : codes) valid_ = Place(c.bits, c.value) && valid_;
}

bool VlcTable::Place(std::string_view text, int16_t value) {
  uint32_t code = 0;
  int length = 0;
  for (char ch : text) {
    if (ch == ' ') continue;
    code = code << 1 | uint32_t(ch == '1');
    ++length;
  }
  if (length == 0 || length > totalBits_) return false;
  if (length <= primaryBits_) {
    uint32_t first = code << (primaryBits_ - length);
    uint32_t count = uint32_t(1) << (primaryBits_ - length);
    for (uint32_t i = first; i < first + count; ++i) {
      if (primary_[i].length != 0) return false;
      primary_[i] = {value, int8_t(length)};
    }
    return true;
  }
  uint32_t prefix = code >> (length - primaryBits_);
  Entry& link = primary_[prefix];
  if (link.length > 0) return false;
  if (link.length == 0) {
    link.length = int8_t(-int(secondary_.size() >> secondaryBits_) - 1);
    secondary_.resize(secondary_.size() + (size_t(1) << secondaryBits_));
  }
  size_t base = size_t(-link.length - 1) << secondaryBits_;
  int rest = length - primaryBits_;
  uint32_t tail = code & ((uint32_t(1) << rest) - 1);
  uint32_t first = tail << (secondaryBits_ - rest);
  uint32_t count = uint32_t(1) << (secondaryBits_ - rest);
  for (uint32_t i = first; i < first + count; ++i) {
    if (secondary_[base + i].length != 0) return false;
    secondary_[base + i] = {value, int8_t(length)};
  }
  return true;
}

namespace {

constexpr VlcCode kAddressIncrement[] = {
    {"1", 1},
    {"011", 2},
    {"010", 3},
    {"0011", 4},
    {"0010", 5},
    {"0001 1", 6},
    {"0001 0", 7},
    {"0000 111", 8},
    {"0000 110", 9},
    {"0000 1011", 10},
    {"0000 1010", 11},
    {"0000 1001", 12},
    {"0000 1000", 13},
    {"0000 0111", 14},
    {"0000 0110", 15},
    {"0000 0101 11", 16},
    {"0000 0101 10", 17},
    {"0000 0101 01", 18},
    {"0000 0101 00", 19},
    {"0000 0100 11", 20},
    {"0000 0100 10", 21},
    {"0000 0100 011", 22},
    {"0000 0100 010", 23},
    {"0000 0100 001", 24},
    {"0000 0100 000", 25},
    {"0000 0011 111", 26},
    {"0000 0011 110", 27},
    {"0000 0011 101", 28},
    {"0000 0011 100", 29},
    {"0000 0011 011", 30},
    {"0000 0011 010", 31},
    {"0000 0011 001", 32},
    {"0000 0011 000", 33},
    {"0000 0001 111", kMbaStuffing},
    {"0000 0001 000", kMbaEscape},
};

constexpr VlcCode kTypeI[] = {
    {"1", kMbIntra},
    {"01", kMbIntra | kMbQuant},
};

// Pictures of an SNR enhancement layer: coefficients only.
constexpr VlcCode kTypeSnr[] = {
    {"1", kMbPattern},
    {"01", kMbQuant | kMbPattern},
    {"001", 0},
};

// I pictures of a spatial enhancement layer: intra, or the up-sampled lower
// layer as prediction with or without coefficients.
constexpr VlcCode kTypeSpatialI[] = {
    {"1", kMbCompatible | kMbPattern},
    {"01", kMbCompatible | kMbQuant | kMbPattern},
    {"0011", kMbIntra},
    {"0010", kMbIntra | kMbQuant},
    {"0001", kMbCompatible},
};

constexpr VlcCode kTypeP[] = {
    {"1", kMbMotionForward | kMbPattern},
    {"01", kMbPattern},
    {"001", kMbMotionForward},
    {"0001 1", kMbIntra},
    {"0001 0", kMbQuant | kMbMotionForward | kMbPattern},
    {"0000 1", kMbQuant | kMbPattern},
    {"0000 01", kMbQuant | kMbIntra},
};

constexpr VlcCode kTypeB[] = {
    {"10", kMbMotionForward | kMbMotionBackward},
    {"11", kMbMotionForward | kMbMotionBackward | kMbPattern},
    {"010", kMbMotionBackward},
    {"011", kMbMotionBackward | kMbPattern},
    {"0010", kMbMotionForward},
    {"0011", kMbMotionForward | kMbPattern},
    {"0001 1", kMbIntra},
    {"0001 0", kMbQuant | kMbMotionForward | kMbMotionBackward | kMbPattern},
    {"0000 11", kMbQuant | kMbMotionForward | kMbPattern},
    {"0000 10", kMbQuant | kMbMotionBackward | kMbPattern},
    {"0000 01", kMbQuant | kMbIntra},
};

constexpr VlcCode kTypeD[] = {
    {"1", kMbIntra},
};

constexpr VlcCode kCodedBlockPattern[] = {
    {"111", 60},        {"1101", 4},        {"1100", 8},        {"1011", 16},
    {"1010", 32},       {"1001 1", 12},     {"1001 0", 48},     {"1000 1", 20},
    {"1000 0", 40},     {"0111 1", 28},     {"0111 0", 44},     {"0110 1", 52},
    {"0110 0", 56},     {"0101 1", 1},      {"0101 0", 61},     {"0100 1", 2},
    {"0100 0", 62},     {"0011 11", 24},    {"0011 10", 36},    {"0011 01", 3},
    {"0011 00", 63},    {"0010 111", 5},    {"0010 110", 9},    {"0010 101", 17},
    {"0010 100", 33},   {"0010 011", 6},    {"0010 010", 10},   {"0010 001", 18},
    {"0010 000", 34},   {"0001 1111", 7},   {"0001 1110", 11},  {"0001 1101", 19},
    {"0001 1100", 35},  {"0001 1011", 13},  {"0001 1010", 49},  {"0001 1001", 21},
    {"0001 1000", 41},  {"0001 0111", 14},  {"0001 0110", 50},  {"0001 0101", 22},
    {"0001 0100", 42},  {"0001 0011", 15},  {"0001 0010", 51},  {"0001 0001", 23},
    {"0001 0000", 43},  {"0000 1111", 25},  {"0000 1110", 37},  {"0000 1101", 26},
    {"0000 1100", 38},  {"0000 1011", 29},  {"0000 1010", 45},  {"0000 1001", 53},
    {"0000 1000", 57},  {"0000 0111", 30},  {"0000 0110", 46},  {"0000 0101", 54},
    {"0000 0100", 58},  {"0000 0011 1", 31}, {"0000 0011 0", 47}, {"0000 0010 1", 55},
    {"0000 0010 0", 59}, {"0000 0001 1", 27}, {"0000 0001 0", 39}, {"0000 0000 1", 0},
};

// Motion codes by magnitude; the sign bit follows (0 positive).
constexpr std::string_view kMotionMagnitude[17] = {
    "1",           "01",          "001",         "0001",        "0000 11",     "0000 101",
    "0000 100",    "0000 011",    "0000 0101 1", "0000 0101 0", "0000 0100 1", "0000 0100 01",
    "0000 0100 00", "0000 0011 11", "0000 0011 10", "0000 0011 01", "0000 0011 00",
};

constexpr VlcCode kDualPrime[] = {
    {"0", 0},
    {"10", 1},
    {"11", -1},
};

constexpr VlcCode kDcSizeLuma[] = {
    {"100", 0},        {"00", 1},          {"01", 2},           {"101", 3},
    {"110", 4},        {"1110", 5},        {"1111 0", 6},       {"1111 10", 7},
    {"1111 110", 8},   {"1111 1110", 9},   {"1111 1111 0", 10}, {"1111 1111 1", 11},
};

constexpr VlcCode kDcSizeChroma[] = {
    {"00", 0},          {"01", 1},          {"10", 2},            {"110", 3},
    {"1110", 4},        {"1111 0", 5},      {"1111 10", 6},       {"1111 110", 7},
    {"1111 1110", 8},   {"1111 1111 0", 9}, {"1111 1111 10", 10}, {"1111 1111 11", 11},
};

constexpr int16_t RL(int run, int level) { return int16_t(run | level << 6); }

// DCT coefficient codes without their sign bit. Table zero's first
// coefficient "1s" of a non-intra block is handled by the block decoder.
constexpr VlcCode kDctZeroShort[] = {
    {"10", kDctEndOfBlock},
    {"11", RL(0, 1)},
    {"011", RL(1, 1)},
    {"0100", RL(0, 2)},
    {"0101", RL(2, 1)},
    {"0010 1", RL(0, 3)},
    {"0011 1", RL(3, 1)},
    {"0011 0", RL(4, 1)},
    {"0001 10", RL(1, 2)},
    {"0001 11", RL(5, 1)},
    {"0001 01", RL(6, 1)},
    {"0001 00", RL(7, 1)},
    {"0000 110", RL(0, 4)},
    {"0000 100", RL(2, 2)},
    {"0000 111", RL(8, 1)},
    {"0000 101", RL(9, 1)},
    {"0000 01", kDctEscape},
    {"0010 0110", RL(0, 5)},
    {"0010 0001", RL(0, 6)},
    {"0010 0101", RL(1, 3)},
    {"0010 0100", RL(3, 2)},
    {"0010 0111", RL(10, 1)},
    {"0010 0011", RL(11, 1)},
    {"0010 0010", RL(12, 1)},
    {"0010 0000", RL(13, 1)},
    {"0000 0010 10", RL(0, 7)},
    {"0000 0011 00", RL(1, 4)},
    {"0000 0010 11", RL(2, 3)},
    {"0000 0011 11", RL(4, 2)},
    {"0000 0010 01", RL(5, 2)},
    {"0000 0011 10", RL(14, 1)},
    {"0000 0011 01", RL(15, 1)},
    {"0000 0010 00", RL(16, 1)},
    {"0000 0001 1101", RL(0, 8)},
    {"0000 0001 1000", RL(0, 9)},
    {"0000 0001 0011", RL(0, 10)},
    {"0000 0001 0000", RL(0, 11)},
    {"0000 0001 1011", RL(1, 5)},
    {"0000 0001 0100", RL(2, 4)},
    {"0000 0000 1101 0", RL(0, 12)},
    {"0000 0000 1100 1", RL(0, 13)},
    {"0000 0000 1100 0", RL(0, 14)},
    {"0000 0000 1011 1", RL(0, 15)},
};

constexpr VlcCode kDctOneShort[] = {
    {"0110", kDctEndOfBlock},
    {"10", RL(0, 1)},
    {"010", RL(1, 1)},
    {"110", RL(0, 2)},
    {"0010 1", RL(2, 1)},
    {"0111", RL(0, 3)},
    {"0011 1", RL(3, 1)},
    {"0001 10", RL(4, 1)},
    {"0011 0", RL(1, 2)},
    {"0001 11", RL(5, 1)},
    {"0000 110", RL(6, 1)},
    {"0000 100", RL(7, 1)},
    {"1110 0", RL(0, 4)},
    {"0000 111", RL(2, 2)},
    {"0000 101", RL(8, 1)},
    {"1111 000", RL(9, 1)},
    {"0000 01", kDctEscape},
    {"1110 1", RL(0, 5)},
    {"0001 01", RL(0, 6)},
    {"1111 001", RL(1, 3)},
    {"0010 0110", RL(3, 2)},
    {"1111 010", RL(10, 1)},
    {"0010 0001", RL(11, 1)},
    {"0010 0101", RL(12, 1)},
    {"0010 0100", RL(13, 1)},
    {"0001 00", RL(0, 7)},
    {"0010 0111", RL(1, 4)},
    {"1111 1100", RL(2, 3)},
    {"1111 1101", RL(4, 2)},
    {"0000 0010 0", RL(5, 2)},
    {"0000 0010 1", RL(14, 1)},
    {"0000 0011 1", RL(15, 1)},
    {"0000 0011 01", RL(16, 1)},
    {"1111 011", RL(0, 8)},
    {"1111 100", RL(0, 9)},
    {"0010 0011", RL(0, 10)},
    {"0010 0010", RL(0, 11)},
    {"0010 0000", RL(1, 5)},
    {"0000 0011 00", RL(2, 4)},
    {"1111 1010", RL(0, 12)},
    {"1111 1011", RL(0, 13)},
    {"1111 1110", RL(0, 14)},
    {"1111 1111", RL(0, 15)},
};

// Codes both tables share.
constexpr VlcCode kDctCommonLong[] = {
    {"0000 0001 1100", RL(3, 3)},
    {"0000 0001 0010", RL(4, 3)},
    {"0000 0001 1110", RL(6, 2)},
    {"0000 0001 0101", RL(7, 2)},
    {"0000 0001 0001", RL(8, 2)},
    {"0000 0001 1111", RL(17, 1)},
    {"0000 0001 1010", RL(18, 1)},
    {"0000 0001 1001", RL(19, 1)},
    {"0000 0001 0111", RL(20, 1)},
    {"0000 0001 0110", RL(21, 1)},
    {"0000 0000 1011 0", RL(1, 6)},
    {"0000 0000 1010 1", RL(1, 7)},
    {"0000 0000 1010 0", RL(2, 5)},
    {"0000 0000 1001 1", RL(3, 4)},
    {"0000 0000 1001 0", RL(5, 3)},
    {"0000 0000 1000 1", RL(9, 2)},
    {"0000 0000 1000 0", RL(10, 2)},
    {"0000 0000 1111 1", RL(22, 1)},
    {"0000 0000 1111 0", RL(23, 1)},
    {"0000 0000 1110 1", RL(24, 1)},
    {"0000 0000 1110 0", RL(25, 1)},
    {"0000 0000 1101 1", RL(26, 1)},
    {"0000 0000 0111 11", RL(0, 16)},
    {"0000 0000 0111 10", RL(0, 17)},
    {"0000 0000 0111 01", RL(0, 18)},
    {"0000 0000 0111 00", RL(0, 19)},
    {"0000 0000 0110 11", RL(0, 20)},
    {"0000 0000 0110 10", RL(0, 21)},
    {"0000 0000 0110 01", RL(0, 22)},
    {"0000 0000 0110 00", RL(0, 23)},
    {"0000 0000 0101 11", RL(0, 24)},
    {"0000 0000 0101 10", RL(0, 25)},
    {"0000 0000 0101 01", RL(0, 26)},
    {"0000 0000 0101 00", RL(0, 27)},
    {"0000 0000 0100 11", RL(0, 28)},
    {"0000 0000 0100 10", RL(0, 29)},
    {"0000 0000 0100 01", RL(0, 30)},
    {"0000 0000 0100 00", RL(0, 31)},
    {"0000 0000 0011 000", RL(0, 32)},
    {"0000 0000 0010 111", RL(0, 33)},
    {"0000 0000 0010 110", RL(0, 34)},
    {"0000 0000 0010 101", RL(0, 35)},
    {"0000 0000 0010 100", RL(0, 36)},
    {"0000 0000 0010 011", RL(0, 37)},
    {"0000 0000 0010 010", RL(0, 38)},
    {"0000 0000 0010 001", RL(0, 39)},
    {"0000 0000 0010 000", RL(0, 40)},
    {"0000 0000 0011 111", RL(1, 8)},
    {"0000 0000 0011 110", RL(1, 9)},
    {"0000 0000 0011 101", RL(1, 10)},
    {"0000 0000 0011 100", RL(1, 11)},
    {"0000 0000 0011 011", RL(1, 12)},
    {"0000 0000 0011 010", RL(1, 13)},
    {"0000 0000 0011 001", RL(1, 14)},
    {"0000 0000 0001 0011", RL(1, 15)},
    {"0000 0000 0001 0010", RL(1, 16)},
    {"0000 0000 0001 0001", RL(1, 17)},
    {"0000 0000 0001 0000", RL(1, 18)},
    {"0000 0000 0001 0100", RL(6, 3)},
    {"0000 0000 0001 1010", RL(11, 2)},
    {"0000 0000 0001 1001", RL(12, 2)},
    {"0000 0000 0001 1000", RL(13, 2)},
    {"0000 0000 0001 0111", RL(14, 2)},
    {"0000 0000 0001 0110", RL(15, 2)},
    {"0000 0000 0001 0101", RL(16, 2)},
    {"0000 0000 0001 1111", RL(27, 1)},
    {"0000 0000 0001 1110", RL(28, 1)},
    {"0000 0000 0001 1101", RL(29, 1)},
    {"0000 0000 0001 1100", RL(30, 1)},
    {"0000 0000 0001 1011", RL(31, 1)},
};

template <size_t A, size_t B>
std::vector<VlcCode> Join(const VlcCode (&a)[A], const VlcCode (&b)[B]) {
  std::vector<VlcCode> all(a, a + A);
  all.insert(all.end(), b, b + B);
  return all;
}

std::vector<VlcCode> MotionCodes() {
  std::vector<VlcCode> codes;
  // The bits are kept alive by the static strings below.
  static std::array<std::string, 33> texts;
  for (int m = 0; m <= 16; ++m) {
    if (m == 0) {
      codes.push_back({kMotionMagnitude[0], 0});
      continue;
    }
    texts[size_t(2 * m - 1)] = std::string(kMotionMagnitude[m]) + "0";
    texts[size_t(2 * m)] = std::string(kMotionMagnitude[m]) + "1";
    codes.push_back({texts[size_t(2 * m - 1)], int16_t(m)});
    codes.push_back({texts[size_t(2 * m)], int16_t(-m)});
  }
  return codes;
}

}  // namespace

const VlcTable& AddressIncrementTable() {
  static const VlcTable table(kAddressIncrement, 11, 0);
  return table;
}

const VlcTable& MacroblockTypeTable(int pictureCodingType) {
  static const VlcTable i(kTypeI, 2, 0), p(kTypeP, 6, 0), b(kTypeB, 6, 0), d(kTypeD, 1, 0);
  switch (pictureCodingType) {
    case 1: return i;
    case 2: return p;
    case 3: return b;
    default: return d;
  }
}

const VlcTable& SnrMacroblockTypeTable() {
  static const VlcTable table(kTypeSnr, 3, 0);
  return table;
}

const VlcTable& SpatialIMacroblockTypeTable() {
  static const VlcTable table(kTypeSpatialI, 4, 0);
  return table;
}

const VlcTable& CodedBlockPatternTable() {
  static const VlcTable table(kCodedBlockPattern, 9, 0);
  return table;
}

const VlcTable& MotionCodeTable() {
  static const std::vector<VlcCode> codes = MotionCodes();
  static const VlcTable table(codes, 11, 0);
  return table;
}

const VlcTable& DualPrimeTable() {
  static const VlcTable table(kDualPrime, 2, 0);
  return table;
}

const VlcTable& DcSizeTable(bool chroma) {
  static const VlcTable luma(kDcSizeLuma, 9, 0), chromaTable(kDcSizeChroma, 10, 0);
  return chroma ? chromaTable : luma;
}

const VlcTable& DctTable(bool tableOne) {
  static const std::vector<VlcCode> zeroCodes = Join(kDctZeroShort, kDctCommonLong);
  static const std::vector<VlcCode> oneCodes = Join(kDctOneShort, kDctCommonLong);
  static const VlcTable zero(zeroCodes, 10, 6), one(oneCodes, 10, 6);
  return tableOne ? one : zero;
}

}  // namespace lumora::mpeg
