// Little-endian fields in memory: the one place that puts and gets the 16-
// and 32-bit values of bitmap, Targa and GIF headers. Callers own the bounds
// (these touch exactly 2 or 4 bytes at `p`); outside data is read with the
// bounded ByteReader of io/ instead.
#pragma once

#include <cstdint>
#include <vector>

namespace lumora {

inline uint16_t GetLe16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t GetLe32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void PutLe16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
inline void PutLe32(uint8_t* p, uint32_t v) {
  PutLe16(p, uint16_t(v));
  PutLe16(p + 2, uint16_t(v >> 16));
}
inline void AppendLe16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}

}  // namespace lumora
