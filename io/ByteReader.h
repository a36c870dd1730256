// Bounded readers for parsing outside data: one byte reader, and bit readers
// that take bits least significant first (the order GIF packs its LZW codes
// in) or most significant first (the order MPEG video streams use).
//
// Contract, the same for every reader here:
//   - a read never touches memory outside the span the reader was given;
//   - bytes or bits wanted past the end read as zeros and set a sticky
//     "truncated" flag, which stays set for the life of the reader.
// A parser can therefore read a whole structure field by field and check
// truncated() once, before it uses any of the values.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <span>

namespace lumora {

class ByteReader {
 public:
  ByteReader() = default;
  explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}

  uint8_t U8() {
    if (pos_ < data_.size()) return data_[pos_++];
    truncated_ = true;
    return 0;
  }
  uint16_t U16Le() {
    uint16_t lo = U8();
    return uint16_t(lo | U8() << 8);
  }
  uint32_t U32Le() {
    uint32_t lo = U16Le();
    return lo | uint32_t(U16Le()) << 16;
  }
  int32_t I32Le() { return int32_t(U32Le()); }

  // The next `count` bytes as a view into the data, and moves past them. When
  // fewer remain, returns those that do, moves to the end and sets truncated.
  std::span<const uint8_t> Bytes(size_t count) {
    size_t n = count <= remaining() ? count : remaining();
    std::span<const uint8_t> out = data_.subspan(pos_, n);
    pos_ += n;
    if (n < count) truncated_ = true;
    return out;
  }
  void Skip(size_t count) { Bytes(count); }
  // Moves to an absolute offset; one past the end moves to the end and sets
  // truncated.
  void Seek(size_t offset) {
    if (offset > data_.size()) {
      truncated_ = true;
      offset = data_.size();
    }
    pos_ = offset;
  }

  size_t position() const { return pos_; }
  size_t remaining() const { return data_.size() - pos_; }
  bool AtEnd() const { return pos_ == data_.size(); }
  bool truncated() const { return truncated_; }

 private:
  std::span<const uint8_t> data_;
  size_t pos_ = 0;
  bool truncated_ = false;
};

enum class BitOrder { LsbFirst, MsbFirst };

// Reads fields of 0 to 32 bits. LsbFirst: the first bit of the data is bit 0
// of its first byte, and a field's first bit is its least significant one.
// MsbFirst: the first bit is bit 7 of the first byte, and a field's first bit
// is its most significant one.
template <BitOrder Order>
class BitReader {
 public:
  static constexpr int kMaxFieldBits = 32;

  explicit BitReader(std::span<const uint8_t> data) : data_(data) {}

  uint32_t Read(int bits) {
    uint32_t value = Peek(bits);  // leaves at least `bits` bits held
    if constexpr (Order == BitOrder::LsbFirst) {
      acc_ >>= bits;
    } else {
      acc_ <<= bits;
    }
    held_ -= bits;
    consumed_ += uint64_t(bits);
    return value;
  }
  // The next `bits` bits without moving past them; does not set truncated.
  uint32_t Peek(int bits) {
    assert(bits >= 0 && bits <= kMaxFieldBits);
    if (held_ < bits) Refill();
    if (bits == 0) return 0;
    if constexpr (Order == BitOrder::LsbFirst) {
      return uint32_t(acc_ & ((uint64_t(1) << bits) - 1));
    } else {
      return uint32_t(acc_ >> (64 - bits));
    }
  }

  uint64_t consumed() const { return consumed_; }
  bool truncated() const { return consumed_ > uint64_t(data_.size()) * 8; }

 private:
  // Tops the accumulator up to at least 57 bits. Past the end of the data the
  // bits that are not there are zeros, which the accumulator already holds
  // (bits beyond held_ are always zero), so it only counts them as held.
  void Refill() {
    while (held_ <= 56) {
      if (pos_ == data_.size()) {
        held_ = 64;
        return;
      }
      if constexpr (Order == BitOrder::LsbFirst) {
        acc_ |= uint64_t(data_[pos_++]) << held_;
      } else {
        acc_ |= uint64_t(data_[pos_++]) << (56 - held_);
      }
      held_ += 8;
    }
  }

  std::span<const uint8_t> data_;
  size_t pos_ = 0;         // next byte to load into the accumulator
  uint64_t acc_ = 0;       // the held bits, next bit lowest (Lsb) or highest (Msb)
  int held_ = 0;           // bits in acc_, real or zero padding past the end
  uint64_t consumed_ = 0;  // bits handed out, padding included
};

using LsbBitReader = BitReader<BitOrder::LsbFirst>;
using MsbBitReader = BitReader<BitOrder::MsbFirst>;

}  // namespace lumora
