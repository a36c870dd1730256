// Tests of the cursor-file hotspot reader.
#include "resources/CursorFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace lumora {
namespace {

using ::testing::HasSubstr;

// A cursor file with one 32 x 32 image of `imageBytes` bytes at `offset`, hotspot (x, y);
// the file holds 8 image bytes after the directory.
std::vector<uint8_t> CursorFile(int x, int y, uint32_t imageBytes = 8, uint32_t offset = 22) {
  std::vector<uint8_t> b = {0,
                            0,
                            2,
                            0,
                            1,
                            0,  // reserved, type 2, one image
                            32,
                            32,
                            0,
                            0,  // width, height, colours, reserved
                            static_cast<uint8_t>(x),
                            static_cast<uint8_t>(x >> 8),
                            static_cast<uint8_t>(y),
                            static_cast<uint8_t>(y >> 8)};
  for (uint32_t v : {imageBytes, offset})
    for (int shift = 0; shift < 32; shift += 8) b.push_back(static_cast<uint8_t>(v >> shift));
  b.resize(22 + 8, 0x5A);
  return b;
}

TEST(CursorHotspot, ReadsTheFirstImagesHotspot) {
  const CursorParseResult parsed = ParseCursorHotspot(CursorFile(5, 31));
  ASSERT_TRUE(parsed.hotspot) << parsed.error;
  EXPECT_EQ(parsed.hotspot->x, 5);
  EXPECT_EQ(parsed.hotspot->y, 31);
}

TEST(CursorHotspot, SizeByteZeroMeans256) {
  std::vector<uint8_t> file = CursorFile(200, 255);
  file[6] = 0;
  file[7] = 0;
  EXPECT_TRUE(ParseCursorHotspot(file).hotspot);
}

TEST(CursorHotspot, RefusesBrokenFiles) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    const char* detail;
  };
  std::vector<Case> cases;
  cases.push_back({"short", std::vector<uint8_t>(21, 0), "21 bytes"});
  std::vector<uint8_t> icon = CursorFile(1, 1);
  icon[2] = 1;
  cases.push_back({"icon type", icon, "type is 1"});
  std::vector<uint8_t> none = CursorFile(1, 1);
  none[4] = 0;
  cases.push_back({"no image", none, "no image"});
  std::vector<uint8_t> many = CursorFile(1, 1);
  many[4] = 3;
  cases.push_back({"entries beyond file", many, "lists 3 images"});
  cases.push_back({"image past end", CursorFile(1, 1, 9), "offset 22 with 9 bytes"});
  cases.push_back({"image inside directory", CursorFile(1, 1, 8, 10), "offset 10"});
  cases.push_back({"image size wraps", CursorFile(1, 1, 0xFFFFFFF0u), "4294967280 bytes"});
  cases.push_back({"hotspot outside", CursorFile(32, 0), "(32, 0) lies outside the 32 x 32"});
  for (const Case& c : cases) {
    const CursorParseResult parsed = ParseCursorHotspot(c.bytes);
    EXPECT_FALSE(parsed.hotspot) << c.name;
    EXPECT_THAT(parsed.error, HasSubstr(c.detail)) << c.name;
  }
}

}  // namespace
}  // namespace lumora
