// The bitmap headers' one reader and writer: every field at its offset in
// both forms, the longer headers read through their first 40 bytes, and the
// sizes and lengths that are refused.
#include "picture/DibHeader.h"

#include <gtest/gtest.h>

#include <vector>

namespace lumora {
namespace {

TEST(DibHeader, FieldsAtTheirOffsetsInBothFormsAndRefusals) {
  DibHeader info;
  info.width = 70000;
  info.height = -3;
  info.planes = 2;
  info.bitCount = 32;
  info.compression = 3;
  info.imageBytes = 0x01020304;
  info.xPixelsPerMetre = -5;
  info.yPixelsPerMetre = 2835;
  info.coloursUsed = 7;
  info.coloursImportant = 6;
  std::vector<uint8_t> bytes(124, 0xEE);
  info.headerBytes = 124;  // V5: the fields after the 40th byte are not the reader's
  info.Write(bytes);
  const std::vector<uint8_t> expected40 = {
      124, 0, 0, 0, 0x70, 0x11, 1, 0, 0xFD, 0xFF, 0xFF, 0xFF, 2, 0, 32, 0, 3, 0, 0, 0,
      4, 3, 2, 1, 0xFB, 0xFF, 0xFF, 0xFF, 0x13, 0x0B, 0, 0, 7, 0, 0, 0, 6, 0, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 40), expected40);
  EXPECT_EQ(bytes[40], 0xEE) << "nothing past the 40 bytes is written";
  std::optional<DibHeader> back = DibHeader::Read(bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->headerBytes, 124u);
  EXPECT_EQ(back->width, 70000);
  EXPECT_EQ(back->height, -3);
  EXPECT_EQ(back->planes, 2);
  EXPECT_EQ(back->bitCount, 32);
  EXPECT_EQ(back->compression, 3u);
  EXPECT_EQ(back->imageBytes, 0x01020304u);
  EXPECT_EQ(back->xPixelsPerMetre, -5);
  EXPECT_EQ(back->yPixelsPerMetre, 2835);
  EXPECT_EQ(back->coloursUsed, 7u);
  EXPECT_EQ(back->coloursImportant, 6u);

  DibHeader core;
  core.headerBytes = kCoreHeaderBytes;
  core.width = 300;
  core.height = 2;
  core.bitCount = 4;
  core.coloursUsed = 16;  // no such field in a core header
  std::vector<uint8_t> coreBytes(kCoreHeaderBytes + 1, 0xEE);
  core.Write(coreBytes);
  EXPECT_EQ(coreBytes, (std::vector<uint8_t>{12, 0, 0, 0, 0x2C, 1, 2, 0, 1, 0, 4, 0, 0xEE}));
  back = DibHeader::Read(coreBytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->headerBytes, kCoreHeaderBytes);
  EXPECT_EQ(back->width, 300);
  EXPECT_EQ(back->height, 2);
  EXPECT_EQ(back->bitCount, 4);
  EXPECT_EQ(back->coloursUsed, 0u);

  std::vector<uint8_t> file(kBmpFileHeaderBytes + 1, 0xEE);
  WriteBmpFileHeader(file, 0x00010203, 54);
  EXPECT_EQ(file, (std::vector<uint8_t>{'B', 'M', 3, 2, 1, 0, 0, 0, 0, 0, 54, 0, 0, 0, 0xEE}));

  struct Refused {
    std::vector<uint8_t> bytes;
    const char* what;
  };
  const Refused refused[] = {
      {{40, 0, 0}, "shorter than the size field"},
      {{12, 0, 0, 0, 1, 0, 1, 0, 1, 0, 8}, "a core header cut short"},
      {std::vector<uint8_t>(39, 0), "a 40-byte header cut short"},
      {{16, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 8, 0}, "a size between the two forms"},
  };
  for (const Refused& r : refused) {
    std::vector<uint8_t> b = r.bytes;
    if (b.size() == 39) b[0] = 40;
    EXPECT_FALSE(DibHeader::Read(b)) << r.what;
  }
}

}  // namespace
}  // namespace lumora
