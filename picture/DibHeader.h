// The bitmap headers, read and written in one place: the information header
// of a packed bitmap (the 40-byte form, whose fields every longer form begins
// with, and the 12-byte core form) and the 14-byte file header of .bmp files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace lumora {

inline constexpr uint32_t kInfoHeaderBytes = 40;
inline constexpr uint32_t kCoreHeaderBytes = 12;

inline constexpr size_t kBmpFileHeaderBytes = 14;
inline constexpr uint16_t kBmpMagic = 0x4D42;  // "BM"

struct DibHeader {
  uint32_t headerBytes = kInfoHeaderBytes;  // the size field: 12 for a core header
  int32_t width = 0;
  int32_t height = 0;  // negative in files whose rows are stored top first
  uint16_t planes = 1;
  uint16_t bitCount = 0;
  // The fields below are not in a core header: it reads them as 0.
  uint32_t compression = 0;
  uint32_t imageBytes = 0;
  int32_t xPixelsPerMetre = 0, yPixelsPerMetre = 0;
  uint32_t coloursUsed = 0, coloursImportant = 0;

  // The header at the start of `bytes`: the core form when its size field
  // says 12 (16-bit sides), else the 40-byte fields. Nothing when the size
  // field is neither 12 nor at least 40, or `bytes` ends inside the fields.
  static std::optional<DibHeader> Read(std::span<const uint8_t> bytes);
  // Puts the fields at the start of `out`: the 12-byte core form when
  // headerBytes is 12, else the 40 bytes of the information header with
  // headerBytes as its size field. `out` holds at least that many bytes.
  void Write(std::span<uint8_t> out) const;
};

// Puts a .bmp file header at the start of `out` (at least 14 bytes): "BM",
// the file's size, the two reserved words as 0, where the pixels start.
void WriteBmpFileHeader(std::span<uint8_t> out, uint32_t fileBytes, uint32_t pixelOffset);

}  // namespace lumora
