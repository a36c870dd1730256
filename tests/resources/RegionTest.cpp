// Tests of the stored window outline (resource data 369) and of the region parser.
#include "resources/Region.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "resources/ResourceIds.h"
#include "resources/Resources.h"

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

// Horizontal span [first, end) of the window on row y, as the outline is described:
// rows 0 and 399 from x 3 to 175, rows 1-2 and 397-398 from 1 to 177, else 0 to 178.
std::pair<int, int> DescribedSpan(int y) {
  if (y == 0 || y == 399) return {3, 175};
  if (y <= 2 || y >= 397) return {1, 177};
  return {0, 178};
}

std::vector<uint8_t> BuiltinOutline() {
  Resources resources(std::filesystem::temp_directory_path() / "lumora-no-library-here");
  return resources.OwnData(res::kDataWindowOutline).value_or(std::vector<uint8_t>{});
}

TEST(WindowOutline, BuiltinBytesAreExactlyTheDescribedRegion) {
  const std::vector<uint8_t> bytes = BuiltinOutline();
  const std::vector<uint8_t> expected = ExpectedOutlineBytes();
  ASSERT_EQ(bytes.size(), 112u);
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(bytes[i], expected[i]) << "byte " << i;
}

TEST(WindowOutline, ParsedRectanglesCoverEachRowExactly) {
  const RegionParseResult parsed = ParseRegionData(BuiltinOutline());
  ASSERT_TRUE(parsed.region) << parsed.message;
  EXPECT_EQ(parsed.region->bounds, (RegionRect{0, 0, 178, 400}));
  EXPECT_EQ(parsed.region->rects.size(), 5u);
  // Rasterise: every row is covered by exactly one rectangle with the described span.
  for (int y = 0; y < 400; ++y) {
    int covering = 0;
    for (const RegionRect& r : parsed.region->rects) {
      if (y < r.top || y >= r.bottom) continue;
      ++covering;
      EXPECT_EQ(std::make_pair(r.left, r.right), DescribedSpan(y)) << "row " << y;
    }
    EXPECT_EQ(covering, 1) << "row " << y;
  }
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
