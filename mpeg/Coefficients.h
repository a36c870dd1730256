// Private to the block decoders: the coefficient range, MPEG-1 oddification,
// and reading one (run, level) pair of a block, shared by the intra and
// non-intra blocks of a picture and by the blocks of an SNR enhancement layer.
#pragma once

#include "io/ByteReader.h"
#include "mpeg/VlcTables.h"

namespace lumora::mpeg {

inline constexpr int kMinCoefficient = -2048;
inline constexpr int kMaxCoefficient = 2047;

inline int Saturate(int v) { return v < kMinCoefficient ? kMinCoefficient : v > kMaxCoefficient ? kMaxCoefficient : v; }

// MPEG-1 makes every reconstructed coefficient odd, towards zero.
inline int Oddify(int v) { return (v & 1) == 0 && v != 0 ? v - (v > 0 ? 1 : -1) : v; }

// Reads an escaped run and level; false for a level MPEG does not allow.
inline bool ReadEscape(MsbBitReader& br, bool mpeg2, int& run, int& level) {
  run = int(br.Read(6));
  if (mpeg2) {
    level = int(br.Read(12));
    if (level >= 2048) level -= 4096;
    return level != 0 && level != -2048;
  }
  level = int(br.Read(8));
  if (level == 0) {
    level = int(br.Read(8));
    return level >= 128;
  }
  if (level == 128) {
    level = int(br.Read(8)) - 256;
    return level <= -128;
  }
  if (level > 128) level -= 256;
  return true;
}

enum class Coefficient { Read, EndOfBlock, Bad };

// The next (run, level) pair of a block coded with `table`. With `shortFirst`
// (the first coefficient of a block coded with table zero outside intra
// macroblocks) the one-bit-plus-sign code "1s" stands for run 0, level +-1.
inline Coefficient ReadCoefficient(MsbBitReader& br, const VlcTable& table, bool shortFirst, bool mpeg2, int& run,
                                   int& level) {
  if (shortFirst && br.Peek(1) == 1) {
    br.Read(1);
    run = 0;
    level = br.Read(1) ? -1 : 1;
    return Coefficient::Read;
  }
  int v;
  if (!table.Decode(br, v)) return Coefficient::Bad;
  if (v == kDctEndOfBlock) return Coefficient::EndOfBlock;
  if (v == kDctEscape) return ReadEscape(br, mpeg2, run, level) ? Coefficient::Read : Coefficient::Bad;
  run = v & 63;
  level = v >> 6;
  if (br.Read(1)) level = -level;
  return Coefficient::Read;
}

}  // namespace lumora::mpeg
