// Tests of the region parser, on the compact window's outline and spoilt copies of it.
#include "resources/Region.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

namespace lumora {
namespace {

using ::testing::HasSubstr;

void PutLe32(std::vector<uint8_t>& out, int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(u >> shift));
}

// The compact window's outline written out field by field: header (32, type 1,
// 5 rectangles, 80 bytes), bounds 0,0-178,400, then the five row bands.
std::vector<uint8_t> ExpectedOutlineBytes() {
  std::vector<uint8_t> out;
  for (int32_t v : {32, 1, 5, 80, 0, 0, 178, 400}) PutLe32(out, v);
  const int32_t rects[5][4] = {
      {3, 0, 175, 1}, {1, 1, 177, 3}, {0, 3, 178, 397}, {1, 397, 177, 399}, {3, 399, 175, 400}};
  for (const auto& r : rects)
    for (int32_t v : r) PutLe32(out, v);
  return out;
}

void SetLe32(std::vector<uint8_t>& bytes, size_t offset, int32_t v) {
  for (int i = 0; i < 4; ++i)
    bytes[offset + i] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
}

struct BadRegion {
  const char* name;
  std::function<void(std::vector<uint8_t>&)> spoil;
  RegionError error;
  const char* detail;  // part of the message that must name the numbers
};

class RegionRefusal : public ::testing::TestWithParam<BadRegion> {};

TEST_P(RegionRefusal, IsRefusedWithItsReason) {
  std::vector<uint8_t> bytes = ExpectedOutlineBytes();
  GetParam().spoil(bytes);
  const RegionParseResult parsed = ParseRegionData(bytes);
  EXPECT_FALSE(parsed.region);
  EXPECT_EQ(parsed.error, GetParam().error);
  EXPECT_THAT(parsed.message, HasSubstr(GetParam().detail));
}

INSTANTIATE_TEST_SUITE_P(
    Spoiled, RegionRefusal,
    ::testing::Values(BadRegion{"HeaderCut", [](auto& b) { b.resize(31); },
                                RegionError::kTruncatedHeader, "31 bytes"},
                      BadRegion{"HeaderSize40", [](auto& b) { SetLe32(b, 0, 40); },
                                RegionError::kBadHeaderSize, "40"},
                      BadRegion{"TypeNotRectangles", [](auto& b) { SetLe32(b, 4, 2); },
                                RegionError::kBadType, "type 2"},
                      BadRegion{"CountBeyondData",
                                [](auto& b) {
                                  SetLe32(b, 8, 6);
                                  SetLe32(b, 12, 96);
                                },
                                RegionError::kCountExceedsData,
                                "count 6 needs 96 bytes, 80 present"},
                      BadRegion{"CountHuge", [](auto& b) { SetLe32(b, 8, -1); },
                                RegionError::kTooManyRects, "4294967295"},
                      BadRegion{"LastRectCut", [](auto& b) { b.resize(b.size() - 1); },
                                RegionError::kCountExceedsData, "79 present"},
                      BadRegion{"RectBytesLie", [](auto& b) { SetLe32(b, 12, 64); },
                                RegionError::kBadRectBytes, "declared 64 bytes for 5"},
                      BadRegion{"CountBelowData",
                                [](auto& b) {
                                  SetLe32(b, 8, 4);
                                  SetLe32(b, 12, 64);
                                },
                                RegionError::kTrailingBytes, "16 bytes after rectangle 4"},
                      BadRegion{"InvertedRect", [](auto& b) { SetLe32(b, 32 + 16 + 8, 0); },
                                RegionError::kEmptyRect, "rectangle 1 (1, 1, 0, 3)"},
                      BadRegion{"EmptyBounds", [](auto& b) { SetLe32(b, 28, 0); },
                                RegionError::kEmptyRect, "bounds"},
                      BadRegion{"RectOutsideBounds", [](auto& b) { SetLe32(b, 24, 170); },
                                RegionError::kOutsideBounds, "rectangle 0 (3, 0, 175, 1)"},
                      BadRegion{"CoordinateTooLarge", [](auto& b) { SetLe32(b, 24, 1 << 21); },
                                RegionError::kCoordinateRange, "2097152"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RegionParser, RefusesEveryTruncationWithoutReadingPastTheEnd) {
  const std::vector<uint8_t> bytes = ExpectedOutlineBytes();
  for (size_t n = 0; n < bytes.size(); ++n) {
    const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(n));
    EXPECT_FALSE(ParseRegionData(cut).region) << n << " bytes";
  }
}

TEST(RegionParser, AcceptsAZeroRectanglePartSize) {
  std::vector<uint8_t> bytes = ExpectedOutlineBytes();
  SetLe32(bytes, 12, 0);
  const RegionParseResult parsed = ParseRegionData(bytes);
  ASSERT_TRUE(parsed.region) << parsed.message;
  EXPECT_EQ(parsed.region->rects.back(), (RegionRect{3, 399, 175, 400}));
}

}  // namespace
}  // namespace lumora
