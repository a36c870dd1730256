// Parser of stored rectangle-list regions (the window outline of resource data 369).
#include "resources/Region.h"

#include <array>
#include <cstdlib>

#include "resources/LittleEndian.h"

namespace lumora {

namespace {

struct ErrorText {
  RegionError error;
  std::string_view text;
};

constexpr std::array kErrorTexts = {
    ErrorText{RegionError::kNone, "no error"},
    ErrorText{RegionError::kTruncatedHeader, "region header is truncated"},
    ErrorText{RegionError::kBadHeaderSize, "region header size is not 32"},
    ErrorText{RegionError::kBadType, "region type is not rectangles"},
    ErrorText{RegionError::kTooManyRects, "region has too many rectangles"},
    ErrorText{RegionError::kCountExceedsData, "rectangle count exceeds the data"},
    ErrorText{RegionError::kBadRectBytes, "rectangle part size does not match the count"},
    ErrorText{RegionError::kTrailingBytes, "bytes left after the last rectangle"},
    ErrorText{RegionError::kCoordinateRange, "coordinate out of range"},
    ErrorText{RegionError::kEmptyRect, "rectangle is empty or inverted"},
    ErrorText{RegionError::kOutsideBounds, "rectangle lies outside the bounds"},
};

RegionParseResult Fail(RegionError error, std::string detail) {
  RegionParseResult result;
  result.error = error;
  result.message = std::string(RegionErrorText(error)) + ": " + detail;
  return result;
}

RegionRect ReadRect(std::span<const uint8_t> bytes, size_t offset) {
  return RegionRect{le::I32(bytes, offset), le::I32(bytes, offset + 4), le::I32(bytes, offset + 8),
                    le::I32(bytes, offset + 12)};
}

std::string Describe(const RegionRect& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
         std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

// Checks one rectangle's coordinates and extent; `what` names it in the message.
std::optional<RegionParseResult> CheckRect(const RegionRect& r, const std::string& what) {
  for (int v : {r.left, r.top, r.right, r.bottom})
    if (std::abs(static_cast<long long>(v)) > kMaxRegionCoordinate)
      return Fail(RegionError::kCoordinateRange, what + " " + Describe(r) + " has " +
                                                     std::to_string(v) + ", limit " +
                                                     std::to_string(kMaxRegionCoordinate));
  if (r.left >= r.right || r.top >= r.bottom)
    return Fail(RegionError::kEmptyRect, what + " " + Describe(r));
  return std::nullopt;
}

}  // namespace

std::string_view RegionErrorText(RegionError error) {
  for (const auto& entry : kErrorTexts)
    if (entry.error == error) return entry.text;
  return "unknown region error";
}

RegionParseResult ParseRegionData(std::span<const uint8_t> bytes) {
  if (bytes.size() < kRegionHeaderSize)
    return Fail(RegionError::kTruncatedHeader,
                std::to_string(bytes.size()) + " bytes, need " + std::to_string(kRegionHeaderSize));
  const uint32_t headerSize = le::U32(bytes, 0);
  if (headerSize != kRegionHeaderSize)
    return Fail(RegionError::kBadHeaderSize, "header size " + std::to_string(headerSize));
  const uint32_t type = le::U32(bytes, 4);
  if (type != kRegionTypeRectangles)
    return Fail(RegionError::kBadType, "type " + std::to_string(type));
  const uint32_t count = le::U32(bytes, 8);
  if (count > kMaxRegionRects)
    return Fail(RegionError::kTooManyRects,
                "count " + std::to_string(count) + ", limit " + std::to_string(kMaxRegionRects));
  // count <= kMaxRegionRects, so the products below cannot overflow.
  const size_t rectBytes = size_t{count} * kRegionRectSize;
  const size_t available = bytes.size() - kRegionHeaderSize;
  if (rectBytes > available)
    return Fail(RegionError::kCountExceedsData, "count " + std::to_string(count) + " needs " +
                                                    std::to_string(rectBytes) + " bytes, " +
                                                    std::to_string(available) + " present");
  const uint32_t declaredBytes = le::U32(bytes, 12);
  if (declaredBytes != 0 && declaredBytes != rectBytes)
    return Fail(RegionError::kBadRectBytes, "declared " + std::to_string(declaredBytes) +
                                                " bytes for " + std::to_string(count) +
                                                " rectangles");
  if (rectBytes < available)
    return Fail(RegionError::kTrailingBytes, std::to_string(available - rectBytes) +
                                                 " bytes after rectangle " + std::to_string(count));

  Region region;
  region.bounds = ReadRect(bytes, 16);
  if (auto failure = CheckRect(region.bounds, "bounds")) return *failure;
  region.rects.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    const RegionRect r = ReadRect(bytes, kRegionHeaderSize + size_t{i} * kRegionRectSize);
    const std::string what = "rectangle " + std::to_string(i);
    if (auto failure = CheckRect(r, what)) return *failure;
    const RegionRect& b = region.bounds;
    if (r.left < b.left || r.top < b.top || r.right > b.right || r.bottom > b.bottom)
      return Fail(RegionError::kOutsideBounds,
                  what + " " + Describe(r) + " outside bounds " + Describe(b));
    region.rects.push_back(r);
  }
  RegionParseResult result;
  result.region = std::move(region);
  return result;
}

}  // namespace lumora
