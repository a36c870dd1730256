// Window outline regions: the parsed form of a rectangle-list region description
// (the 32-byte region data header followed by its rectangles), as stored in
// resource data 369. The window side shapes the compact window from it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumora {

// One rectangle of a region; right and bottom are exclusive, so (3, 0, 175, 1)
// covers row 0 from x 3 to x 174.
struct RegionRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(const RegionRect&, const RegionRect&) = default;
};

struct Region {
  RegionRect bounds;
  std::vector<RegionRect> rects;
};

// Layout of the stored form, all fields little-endian:
//   0  uint32 header size, always 32
//   4  uint32 type, 1 = rectangles
//   8  uint32 rectangle count n
//  12  uint32 size of the rectangle part in bytes (0 or n * 16)
//  16  int32 x4 bounding rectangle (left, top, right, bottom)
//  32  n rectangles of int32 x4 (left, top, right, bottom)
inline constexpr size_t kRegionHeaderSize = 32;
inline constexpr size_t kRegionRectSize = 16;
inline constexpr uint32_t kRegionTypeRectangles = 1;
// Limits: no outline of a window needs more, and they keep every width and height
// computed from the rectangles far from overflow.
inline constexpr uint32_t kMaxRegionRects = 65536;
inline constexpr int kMaxRegionCoordinate = 1 << 20;

enum class RegionError {
  kNone,
  kTruncatedHeader,   // fewer than 32 bytes
  kBadHeaderSize,     // header size field is not 32
  kBadType,           // type is not 1 (rectangles)
  kTooManyRects,      // count above kMaxRegionRects
  kCountExceedsData,  // the rectangles the count announces are not all there
  kBadRectBytes,      // rectangle part size is neither 0 nor count * 16
  kTrailingBytes,     // bytes left after the last rectangle
  kCoordinateRange,   // a coordinate beyond +-kMaxRegionCoordinate
  kEmptyRect,         // a rectangle (or the bounds) with left >= right or top >= bottom
  kOutsideBounds,     // a rectangle reaching outside the bounding rectangle
};

// Short fixed description of an error code ("rectangle count exceeds the data").
std::string_view RegionErrorText(RegionError error);

struct RegionParseResult {
  std::optional<Region> region;  // set exactly when error == kNone
  RegionError error = RegionError::kNone;
  std::string message;  // what and where, with the numbers involved
};

// Parses and checks every field of a stored region. Nothing is read past the end
// of `bytes`; any inconsistency refuses the whole region.
RegionParseResult ParseRegionData(std::span<const uint8_t> bytes);

}  // namespace lumora
