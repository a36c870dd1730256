// Bitmap header fields at their offsets.
#include "picture/DibHeader.h"

#include <cassert>

#include "picture/LittleEndian.h"

namespace lumora {

std::optional<DibHeader> DibHeader::Read(std::span<const uint8_t> bytes) {
  if (bytes.size() < 4) return std::nullopt;
  const uint8_t* p = bytes.data();
  DibHeader h;
  h.headerBytes = GetLe32(p);
  if (h.headerBytes == kCoreHeaderBytes) {
    if (bytes.size() < kCoreHeaderBytes) return std::nullopt;
    h.width = GetLe16(p + 4);
    h.height = GetLe16(p + 6);
    h.planes = GetLe16(p + 8);
    h.bitCount = GetLe16(p + 10);
    return h;
  }
  if (h.headerBytes < kInfoHeaderBytes || bytes.size() < kInfoHeaderBytes) return std::nullopt;
  h.width = int32_t(GetLe32(p + 4));
  h.height = int32_t(GetLe32(p + 8));
  h.planes = GetLe16(p + 12);
  h.bitCount = GetLe16(p + 14);
  h.compression = GetLe32(p + 16);
  h.imageBytes = GetLe32(p + 20);
  h.xPixelsPerMetre = int32_t(GetLe32(p + 24));
  h.yPixelsPerMetre = int32_t(GetLe32(p + 28));
  h.coloursUsed = GetLe32(p + 32);
  h.coloursImportant = GetLe32(p + 36);
  return h;
}

void DibHeader::Write(std::span<uint8_t> out) const {
  uint8_t* p = out.data();
  if (headerBytes == kCoreHeaderBytes) {
    assert(out.size() >= kCoreHeaderBytes);
    PutLe32(p, kCoreHeaderBytes);
    PutLe16(p + 4, uint16_t(width));
    PutLe16(p + 6, uint16_t(height));
    PutLe16(p + 8, planes);
    PutLe16(p + 10, bitCount);
    return;
  }
  assert(out.size() >= kInfoHeaderBytes);
  PutLe32(p, headerBytes);
  PutLe32(p + 4, uint32_t(width));
  PutLe32(p + 8, uint32_t(height));
  PutLe16(p + 12, planes);
  PutLe16(p + 14, bitCount);
  PutLe32(p + 16, compression);
  PutLe32(p + 20, imageBytes);
  PutLe32(p + 24, uint32_t(xPixelsPerMetre));
  PutLe32(p + 28, uint32_t(yPixelsPerMetre));
  PutLe32(p + 32, coloursUsed);
  PutLe32(p + 36, coloursImportant);
}

void WriteBmpFileHeader(std::span<uint8_t> out, uint32_t fileBytes, uint32_t pixelOffset) {
  assert(out.size() >= kBmpFileHeaderBytes);
  uint8_t* p = out.data();
  PutLe16(p, kBmpMagic);
  PutLe32(p + 2, fileBytes);
  PutLe32(p + 6, 0);
  PutLe32(p + 10, pixelOffset);
}

}  // namespace lumora
