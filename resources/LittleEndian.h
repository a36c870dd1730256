// Little-endian field reads for the resource parsers (region data, cursor headers).
// Callers check the span is long enough before reading; an offset past the end is a
// programming error and trips the assertion.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <span>

namespace lumora::le {

inline uint16_t U16(std::span<const uint8_t> bytes, size_t offset) {
  assert(offset + 2 <= bytes.size());
  return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline uint32_t U32(std::span<const uint8_t> bytes, size_t offset) {
  assert(offset + 4 <= bytes.size());
  return static_cast<uint32_t>(bytes[offset]) | (static_cast<uint32_t>(bytes[offset + 1]) << 8) |
         (static_cast<uint32_t>(bytes[offset + 2]) << 16) |
         (static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

inline int32_t I32(std::span<const uint8_t> bytes, size_t offset) {
  return static_cast<int32_t>(U32(bytes, offset));
}

}  // namespace lumora::le
