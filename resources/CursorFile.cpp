// Reads the hotspot of the first image of a cursor file.
#include "resources/CursorFile.h"

#include "resources/LittleEndian.h"

namespace lumora {

namespace {

CursorParseResult Fail(std::string error) {
  CursorParseResult result;
  result.error = std::move(error);
  return result;
}

int Dimension(uint8_t stored) { return stored == 0 ? 256 : stored; }

}  // namespace

CursorParseResult ParseCursorHotspot(std::span<const uint8_t> bytes) {
  if (bytes.size() < kCursorDirectorySize + kCursorEntrySize)
    return Fail("cursor file of " + std::to_string(bytes.size()) + " bytes is shorter than " +
                std::to_string(kCursorDirectorySize + kCursorEntrySize));
  const uint16_t reserved = le::U16(bytes, 0);
  if (reserved != 0) return Fail("cursor directory reserved field is " + std::to_string(reserved));
  const uint16_t type = le::U16(bytes, 2);
  if (type != kCursorFileType) return Fail("cursor directory type is " + std::to_string(type));
  const uint16_t count = le::U16(bytes, 4);
  if (count == 0) return Fail("cursor directory lists no image");
  if (kCursorDirectorySize + size_t{count} * kCursorEntrySize > bytes.size())
    return Fail("cursor directory lists " + std::to_string(count) + " images but the file has " +
                std::to_string(bytes.size()) + " bytes");

  const size_t entry = kCursorDirectorySize;
  const int width = Dimension(bytes[entry]);
  const int height = Dimension(bytes[entry + 1]);
  const int x = le::U16(bytes, entry + 4);
  const int y = le::U16(bytes, entry + 6);
  const uint32_t imageBytes = le::U32(bytes, entry + 8);
  const uint32_t imageOffset = le::U32(bytes, entry + 12);
  if (imageBytes == 0) return Fail("cursor image 0 is empty");
  // 64-bit sum: two 32-bit fields cannot overflow it.
  if (imageOffset < kCursorDirectorySize + size_t{count} * kCursorEntrySize ||
      uint64_t{imageOffset} + imageBytes > bytes.size())
    return Fail("cursor image 0 at offset " + std::to_string(imageOffset) + " with " +
                std::to_string(imageBytes) + " bytes lies outside the file of " +
                std::to_string(bytes.size()) + " bytes");
  if (x >= width || y >= height)
    return Fail("cursor hotspot (" + std::to_string(x) + ", " + std::to_string(y) +
                ") lies outside the " + std::to_string(width) + " x " + std::to_string(height) +
                " image");
  CursorParseResult result;
  result.hotspot = CursorHotspot{x, y};
  return result;
}

}  // namespace lumora
