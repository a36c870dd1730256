// Hotspot of a cursor file (.cur): the icon-directory layout with type 2, whose
// first directory entry carries the hotspot in place of the planes and bit count.
// The window side decodes the image itself; this reads only what it cannot.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace lumora {

struct CursorHotspot {
  int x = 0;
  int y = 0;
};

// Layout (little-endian): 6-byte directory header (reserved 0, type 2, image
// count), then 16-byte entries (width, height, colour count, reserved, hotspot x
// (16 bits), hotspot y (16 bits), image byte count (32 bits), image offset (32
// bits)). A width or height byte of 0 means 256 pixels.
inline constexpr size_t kCursorDirectorySize = 6;
inline constexpr size_t kCursorEntrySize = 16;
inline constexpr uint16_t kCursorFileType = 2;

struct CursorParseResult {
  std::optional<CursorHotspot> hotspot;  // set when the file is usable
  std::string error;                     // what is wrong, with the numbers
};

// Checks the directory and its first entry: type 2, at least one image, the
// first image's bytes lying inside the file and the hotspot inside the image.
CursorParseResult ParseCursorHotspot(std::span<const uint8_t> bytes);

}  // namespace lumora
