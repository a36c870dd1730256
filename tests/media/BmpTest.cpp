// .bmp reading and writing: exact round trips and header bytes, the variants
// other writers produce (checked pixel by pixel against ImageMagick's reading
// of the same file), hand-made run-length files, and files that lie.
#include "media/codecs/Bmp.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "tests/media/CodecTestTools.h"

namespace lumora {
namespace {

using test::FileBytes;
using test::PictureRgb;
using test::RgbImage;
using test::TempDir;
using test::WriteBytes;
namespace fs = std::filesystem;

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
}
void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}

// A packed bitmap made by hand: 40-byte header, `colours` entries, random
// row bytes (padding included: a round trip keeps it too).
std::vector<uint8_t> MakeBlock(int32_t width, int32_t height, int bits, uint32_t colours) {
  std::vector<uint8_t> block(40 + colours * 4 + DibStride(width, bits) * size_t(height), 0);
  Put32(block, 0, 40);
  Put32(block, 4, uint32_t(width));
  Put32(block, 8, uint32_t(height));
  Put16(block, 12, 1);
  Put16(block, 14, uint32_t(bits));
  Put32(block, 24, 2835);  // resolutions survive a round trip
  Put32(block, 28, 2835);
  Put32(block, 32, bits == 8 ? colours : 0);
  std::mt19937 random(uint32_t(width * 131 + bits));
  for (size_t i = 40; i < block.size(); ++i) block[i] = uint8_t(random());
  return block;
}

// A picture of random colours drawn from a set of `colours` (0: any colour).
RgbImage RandomRgb(int width, int height, int colours, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<std::array<uint8_t, 3>> set(static_cast<size_t>(colours));
  for (auto& c : set) c = {uint8_t(random()), uint8_t(random()), uint8_t(random())};
  RgbImage image{width, height, {}};
  for (int i = 0; i < width * height; ++i) {
    if (colours == 0) {
      image.rgb.insert(image.rgb.end(), {uint8_t(random()), uint8_t(random()), uint8_t(random())});
    } else {
      auto& c = set[random() % set.size()];
      image.rgb.insert(image.rgb.end(), c.begin(), c.end());
    }
  }
  return image;
}

TEST(Bmp, RoundTripsEveryDepthByteForByte) {
  TempDir dir;
  for (auto [bits, colours] : {std::pair{1, 2u}, {4, 16u}, {8, 256u}, {8, 20u}, {24, 0u}}) {
    for (int32_t width : {1, 3, 13, 33}) {
      SCOPED_TRACE(testing::Message() << bits << " bits, " << colours << " colours, width " << width);
      std::vector<uint8_t> block = MakeBlock(width, 5, bits, colours);
      DibImage picture;
      ASSERT_TRUE(picture.Adopt(block, bits <= 8));
      fs::path path = dir / "round.bmp";
      ASSERT_TRUE(WriteBmpFile(picture, path.string()));

      // The file is the file header followed by the block, with the image
      // size (left 0 in the block) filled in.
      std::vector<uint8_t> file = FileBytes(path);
      size_t table = colours * 4;
      size_t image = DibStride(width, bits) * 5;
      ASSERT_EQ(file.size(), 14 + block.size());
      EXPECT_EQ(U16(file, 0), 0x4D42);
      EXPECT_EQ(U32(file, 2), 14 + 40 + table + image) << "bfSize";
      EXPECT_EQ(U32(file, 6), 0u) << "reserved";
      EXPECT_EQ(U32(file, 10), 14 + 40 + table) << "bfOffBits";
      EXPECT_EQ(U32(file, 14 + 20), image) << "biSizeImage";
      Put32(block, 20, uint32_t(image));
      EXPECT_TRUE(std::equal(block.begin(), block.end(), file.begin() + 14));
      EXPECT_EQ(U32(picture.block(), 20), 0u) << "the picture is not changed by writing";

      DibImage back;
      ASSERT_TRUE(ReadBmpFile(back, path.string()));
      EXPECT_EQ(back.block(), block);
      EXPECT_EQ(back.width(), width);
      EXPECT_EQ(back.height(), 5);
      EXPECT_EQ(back.palette().has_value(), bits <= 8);
      if (bits <= 8) {
        EXPECT_EQ(back.palette()->size(), colours);
      }
    }
  }
}

TEST(Bmp, SavingReplacesTheFileOnlyWhenComplete) {
  TempDir dir;
  DibImage picture;
  ASSERT_TRUE(picture.Create(4, 4, 24));
  fs::path path = dir / "pic.bmp";
  test::WriteText(path, "old contents");
  ASSERT_TRUE(WriteBmpFile(picture, path.string()));
  EXPECT_EQ(fs::file_size(path), 14u + 40 + 48);

  // Renaming over a folder fails after the temporary file was written: the
  // folder stays, and no temporary file is left behind.
  fs::create_directory(dir / "taken.bmp");
  EXPECT_FALSE(WriteBmpFile(picture, (dir / "taken.bmp").string()));
  EXPECT_TRUE(fs::is_directory(dir / "taken.bmp"));
  EXPECT_FALSE(WriteBmpFile(picture, (dir / "missing" / "x.bmp").string()));
  EXPECT_FALSE(WriteBmpFile(DibImage(), (dir / "empty.bmp").string()));
  EXPECT_FALSE(fs::exists(dir / "empty.bmp"));
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir.path())) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"pic.bmp", "taken.bmp"}));
}

// Files made by ImageMagick in the variants today's writers produce; each is
// read and compared pixel for pixel with ImageMagick's own reading of it.
struct MagickCase {
  const char* name;
  const char* options;  // convert options and output prefix
  int colours;          // colours in the source picture (0: any)
  uint16_t headerBytes, bits;
  uint32_t compression;
  int expectBits;  // depth of the picture in memory
  bool lossless;   // the pixels must also equal the source
};

class BmpFromMagick : public testing::TestWithParam<MagickCase> {};

TEST_P(BmpFromMagick, ReadsAsImageMagickDoes) {
  const MagickCase& c = GetParam();
  TempDir dir;
  RgbImage source = RandomRgb(37, 11, c.colours, 99);
  test::WritePpm(dir / "source.ppm", source);
  fs::path file = dir / "made.bmp";
  ASSERT_TRUE(test::Convert(test::Quoted(dir / "source.ppm") + " " + c.options + test::Quoted(file)))
      << "ImageMagick's convert is needed for this test";
  std::vector<uint8_t> bytes = FileBytes(file);
  ASSERT_GE(bytes.size(), 34u);
  ASSERT_EQ(U32(bytes, 14), c.headerBytes) << "ImageMagick wrote another variant than this case is about";
  ASSERT_EQ(U16(bytes, c.headerBytes == 12 ? 24 : 28), c.bits);
  if (c.headerBytes != 12) {
    ASSERT_EQ(U32(bytes, 30), c.compression);
  }

  DibImage picture;
  ASSERT_TRUE(ReadBmpFile(picture, file.string()));
  auto l = picture.layout();
  ASSERT_TRUE(l);
  EXPECT_EQ(l->headerBytes, 40u);
  EXPECT_EQ(l->bitCount, c.expectBits);
  EXPECT_EQ(l->compression, 0u);
  EXPECT_EQ(U32(picture.block(), 20), l->imageBytes);
  auto reference = test::MagickPixels(file);
  ASSERT_TRUE(reference);
  EXPECT_EQ(PictureRgb(picture), *reference);
  if (c.lossless) {
    EXPECT_EQ(PictureRgb(picture), source);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Variants, BmpFromMagick,
    testing::Values(MagickCase{"V5", "BMP:", 0, 124, 24, 0, 24, true},
                    MagickCase{"Info", "BMP3:", 0, 40, 24, 0, 24, true},
                    MagickCase{"Core24", "BMP2:", 0, 12, 24, 0, 24, true},
                    MagickCase{"Core8", "-type palette BMP2:", 100, 12, 8, 0, 8, true},
                    MagickCase{"Palette4", "-type palette BMP3:", 9, 40, 4, 0, 4, true},
                    MagickCase{"Mono", "-type bilevel BMP3:", 0, 40, 1, 0, 1, false},
                    MagickCase{"Rle8", "-type palette -compress RLE BMP3:", 200, 40, 8, 1, 8, true},
                    MagickCase{"Rgb565", "-define bmp:subtype=RGB565 BMP:", 0, 124, 16, 3, 24, false},
                    MagickCase{"Rgb555", "-define bmp:subtype=RGB555 BMP:", 0, 124, 16, 3, 24, false},
                    MagickCase{"Bgra32", "-alpha on BMP:", 0, 124, 32, 3, 24, true}),
    [](const testing::TestParamInfo<MagickCase>& info) { return std::string(info.param.name); });

// A 40-byte-header file written by hand: `rows` as stored, `table` entries
// given as blue, green, red.
std::vector<uint8_t> HandFile(int32_t width, int32_t height, int bits, uint32_t compression,
                              const std::vector<std::array<uint8_t, 3>>& table, const std::vector<uint8_t>& rows) {
  std::vector<uint8_t> f(54 + table.size() * 4, 0);
  Put16(f, 0, 0x4D42);
  Put32(f, 10, uint32_t(f.size()));
  Put32(f, 14, 40);
  Put32(f, 18, uint32_t(width));
  Put32(f, 22, uint32_t(height));
  Put16(f, 26, 1);
  Put16(f, 28, uint32_t(bits));
  Put32(f, 30, compression);
  Put32(f, 34, uint32_t(rows.size()));
  Put32(f, 46, uint32_t(table.size()));
  for (size_t i = 0; i < table.size(); ++i) std::memcpy(&f[54 + i * 4], table[i].data(), 3);
  f.insert(f.end(), rows.begin(), rows.end());
  Put32(f, 2, uint32_t(f.size()));
  return f;
}

// The stored rows of a paletted picture as indices, top row first.
std::vector<std::vector<int>> Indices(const DibImage& picture) {
  auto l = picture.layout();
  std::vector<std::vector<int>> out;
  for (int32_t r = 0; r < l->height; ++r) {
    const uint8_t* row = picture.block().data() + l->pixelOffset + size_t(l->height - 1 - r) * l->stride;
    std::vector<int> line;
    for (int32_t x = 0; x < l->width; ++x)
      line.push_back(l->bitCount == 8 ? row[x] : (row[x / 2] >> (x % 2 ? 0 : 4)) & 15);
    out.push_back(line);
  }
  return out;
}

std::vector<std::array<uint8_t, 3>> Colours(int n) {
  std::vector<std::array<uint8_t, 3>> table;
  for (int i = 0; i < n; ++i) table.push_back({uint8_t(i * 16), uint8_t(255 - i * 16), uint8_t(i * 5)});
  return table;
}

// Run-length files made by hand, bottom row first in the data; the expected
// indices are top row first. Well-formed ones are also read by ImageMagick.
struct RleCase {
  const char* name;
  int32_t width, height;
  int bits;
  std::vector<uint8_t> data;
  std::vector<std::vector<int>> expected;
  bool wellFormed;
};

TEST(Bmp, ExpandsRunLengthDataWithEveryEscape) {
  const RleCase cases[] = {
      {"Rle8", 6, 4, 8,
       {3, 1, 0, 3, 2, 3, 4, 0,  // row 0: run of three 1s, absolute 2 3 4 padded to a word
        0, 0,                    // end of line
        0, 4, 7, 8, 9, 9,        // row 1: absolute run of four
        0, 2, 1, 1,              // delta: 1 right, 1 up -> row 2, x 5
        1, 6, 0, 0,              // row 2: 6 at x 5, end of line
        2, 10, 0, 0, 0, 1},      // row 3: two 10s, end of line, end of bitmap
       {{10, 10, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 6}, {7, 8, 9, 9, 0, 0}, {1, 1, 1, 2, 3, 4}},
       true},
      {"Rle4", 7, 3, 4,
       {5, 0x12, 0, 0,               // row 0: 1 2 1 2 1, end of line
        0, 5, 0x34, 0x56, 0x70, 0,   // row 1: absolute 3 4 5 6 7 (3 bytes, padded to 4)
        0, 2, 1, 1,                  // delta: 1 right, 1 up -> row 2, x 6
        1, 0xAB, 0, 1},              // row 2: A at x 6, end of bitmap
       {{0, 0, 0, 0, 0, 0, 10}, {3, 4, 5, 6, 7, 0, 0}, {1, 2, 1, 2, 1, 0, 0}},
       true},
      // Runs, absolute runs and deltas past the right edge or the top are cut
      // there; with every row reached a missing end-of-bitmap mark is no error.
      {"Rle8PastTheEdges", 3, 2, 8,
       {5, 1, 0, 0, 1, 2, 0, 3, 3, 4, 5, 0, 0, 2, 9, 0, 4, 6, 0, 2, 0, 9, 7, 7, 0, 0, 0, 0},
       {{2, 3, 4}, {1, 1, 1}},
       false},
      {"Rle4PastTheEdge", 3, 1, 4, {2, 0x12, 0, 5, 0x34, 0x56, 0x70, 0, 0, 1}, {{1, 2, 3}}, false},
  };
  TempDir dir;
  for (const RleCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> file = HandFile(c.width, c.height, c.bits, c.bits == 8 ? 1 : 2, Colours(16), c.data);
    DibImage picture;
    ASSERT_TRUE(ReadBmpMemory(picture, file));
    EXPECT_EQ(picture.BitCount(), c.bits);
    EXPECT_EQ(Indices(picture), c.expected);
    if (!c.wellFormed) continue;
    WriteBytes(dir / "rle.bmp", file);
    auto reference = test::MagickPixels(dir / "rle.bmp");
    ASSERT_TRUE(reference);
    EXPECT_EQ(PictureRgb(picture), *reference);
  }
}

TEST(Bmp, TopDownFilesAreTurnedBottomUp) {
  TempDir dir;
  for (int bits : {8, 24}) {
    RgbImage source = RandomRgb(9, 5, bits == 8 ? 30 : 0, 7);
    test::WritePpm(dir / "source.ppm", source);
    fs::path made = dir / "bottom-up.bmp";
    const char* type = bits == 8 ? " -type palette" : "";
    ASSERT_TRUE(test::Convert(test::Quoted(dir / "source.ppm") + type + " -compress None BMP3:" + test::Quoted(made)));
    std::vector<uint8_t> file = FileBytes(made);
    ASSERT_EQ(U16(file, 28), bits);
    // Reverse the rows and make the height negative.
    int32_t height = int32_t(U32(file, 22));
    size_t offset = U32(file, 10);
    size_t stride = DibStride(int32_t(U32(file, 18)), bits);
    std::vector<uint8_t> topDown(file.begin(), file.begin() + std::ptrdiff_t(offset));
    for (int32_t r = height - 1; r >= 0; --r)
      topDown.insert(topDown.end(), file.begin() + std::ptrdiff_t(offset + size_t(r) * stride),
                     file.begin() + std::ptrdiff_t(offset + size_t(r + 1) * stride));
    Put32(topDown, 22, uint32_t(-height));
    std::vector<uint8_t> block;
    BmpResult result = DecodeBmp(topDown, block);
    ASSERT_TRUE(result) << result.detail;
    DibImage picture;
    ASSERT_TRUE(ReadBmpMemory(picture, topDown));
    EXPECT_EQ(picture.height(), height);
    EXPECT_EQ(PictureRgb(picture), source) << bits << " bits";
  }
}

TEST(Bmp, FieldsWritersDisagreeOnAreReadSafely) {
  DibImage picture;
  ASSERT_TRUE(picture.Create(3, 2, 24));
  for (size_t i = 0; i < 24; ++i) picture.PixelBits()[i] = uint8_t(i + 1);
  auto parts = EncodeBmp(picture);
  ASSERT_TRUE(parts);
  // The pixel offset is honoured: 6 other bytes between header and rows.
  std::vector<uint8_t> gap = parts->head;
  gap.insert(gap.end(), 6, 9);
  gap.insert(gap.end(), parts->rows.begin(), parts->rows.end());
  Put32(gap, 10, U32(gap, 10) + 6);
  DibImage back;
  ASSERT_TRUE(ReadBmpMemory(back, gap));
  EXPECT_EQ(back.block(), picture.block());
  // An offset into the headers (some writers leave it 0) means right after them.
  std::vector<uint8_t> zero(parts->head);
  zero.insert(zero.end(), parts->rows.begin(), parts->rows.end());
  Put32(zero, 10, 0);
  ASSERT_TRUE(ReadBmpMemory(back, zero));
  EXPECT_EQ(back.block(), picture.block());

  // Colours used beyond what the depth allows: only the depth's entries count.
  std::vector<uint8_t> many = HandFile(2, 1, 1, 0, Colours(2), {0x40, 0, 0, 0});
  Put32(many, 46, 300);
  ASSERT_TRUE(ReadBmpMemory(back, many));
  EXPECT_EQ(back.palette()->size(), 2u);

  // A core file whose pixels start after 3 of its 16 entries keeps those 3,
  // widened to 4 bytes each.
  const std::vector<uint8_t> core = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 26 + 9, 0, 0, 0,  // file header
                                     12, 0, 0, 0, 2, 0, 1, 0, 1, 0, 4, 0,               // 2 x 1, 4 bits
                                     1, 2, 3, 4, 5, 6, 7, 8, 9,                         // three entries
                                     0x21, 0, 0, 0};                                    // indices 2, 1
  ASSERT_TRUE(ReadBmpMemory(back, core));
  EXPECT_EQ(back.layout()->headerBytes, 40u);
  EXPECT_EQ(back.layout()->colours, 3u);
  EXPECT_EQ(PictureRgb(back).rgb, (std::vector<uint8_t>{9, 8, 7, 6, 5, 4}));
}

// Files that lie: each fails with the reason given and leaves the picture
// as it was.
struct BadFile {
  const char* name;
  std::vector<uint8_t> bytes;
  BmpError error;
};

std::vector<BadFile> BadFiles() {
  const std::vector<uint8_t> good = HandFile(4, 2, 24, 0, {}, std::vector<uint8_t>(24, 0x55));
  auto with = [&](size_t at, uint32_t v, int bytes = 4) {
    std::vector<uint8_t> f = good;
    bytes == 4 ? Put32(f, at, v) : Put16(f, at, v);
    return f;
  };
  auto cut = [&](size_t n) { return std::vector<uint8_t>(good.begin(), good.begin() + std::ptrdiff_t(n)); };
  std::vector<uint8_t> rleNoEnd = HandFile(4, 2, 8, 1, Colours(4), {2, 1, 0, 0});
  std::vector<uint8_t> rleHuge = HandFile(60000, 60000, 8, 1, Colours(4), {0, 1});
  std::vector<uint8_t> rleCutAbsolute = HandFile(4, 2, 8, 1, Colours(4), {0, 4, 1, 2});
  std::vector<uint8_t> rleCutDelta = HandFile(4, 2, 8, 1, Colours(4), {0, 2, 1});
  std::vector<uint8_t> bitFieldsNoMasks = HandFile(4, 2, 16, 3, {}, std::vector<uint8_t>(12 + 16, 0));
  std::vector<uint8_t> tableCut = HandFile(4, 2, 8, 0, Colours(4), {});
  Put32(tableCut, 46, 0);  // 256 entries, only 4 there
  Put32(tableCut, 10, 0);  // and the rows said to follow the table
  return {
      {"NotBm", with(0, 0x4D43, 2), BmpError::NotBmp},
      {"Empty", {}, BmpError::NotBmp},
      {"CutInFileHeader", cut(10), BmpError::Truncated},
      {"CutInInfoHeader", cut(40), BmpError::Truncated},
      {"CutInRows", cut(good.size() - 1), BmpError::PixelsTruncated},
      {"OffsetPastEnd", with(10, 1000), BmpError::PixelsTruncated},
      {"HeaderSize41", with(14, 41), BmpError::UnknownHeader},
      {"HeaderSizeHuge", with(14, 0xFFFFFFF0u), BmpError::UnknownHeader},
      {"WidthZero", with(18, 0), BmpError::BadDimensions},
      {"WidthNegative", with(18, uint32_t(-4)), BmpError::BadDimensions},
      {"HeightZero", with(22, 0), BmpError::BadDimensions},
      {"HeightMin", with(22, 0x80000000u), BmpError::TooLarge},
      {"Planes2", with(26, 2, 2), BmpError::BadPlanes},
      {"Bits7", with(28, 7, 2), BmpError::BadDepth},
      {"Rle8At24", with(30, 1), BmpError::BadCompression},
      {"BitFieldsAt24", with(30, 3), BmpError::BadCompression},
      {"Jpeg", with(30, 4), BmpError::BadCompression},
      {"HugeRows", with(22, 0x7FFFFFFF), BmpError::TooLarge},
      {"HugeWidth", with(18, 0x7FFFFFFF), BmpError::TooLarge},
      {"RleTopDown", [&] { auto f = rleNoEnd; Put32(f, 22, uint32_t(-2)); return f; }(), BmpError::BadDimensions},
      {"RleNoEnd", rleNoEnd, BmpError::BadRle},
      {"RleCutAbsolute", rleCutAbsolute, BmpError::BadRle},
      {"RleCutDelta", rleCutDelta, BmpError::BadRle},
      {"RleHuge", rleHuge, BmpError::TooLarge},
      {"MasksAllZero", bitFieldsNoMasks, BmpError::BadMasks},
      {"TableCut", tableCut, BmpError::Truncated},
  };
}

TEST(Bmp, LyingFilesFailAndLeaveThePictureAsItWas) {
  DibImage picture;
  ASSERT_TRUE(picture.Create(3, 3, 8));
  ASSERT_TRUE(picture.RefreshInfo(true));
  ASSERT_TRUE(picture.Snapshot());
  const std::vector<uint8_t> before = picture.block();
  for (const BadFile& bad : BadFiles()) {
    SCOPED_TRACE(bad.name);
    std::vector<uint8_t> block;
    BmpResult result = DecodeBmp(bad.bytes, block);
    EXPECT_EQ(result.error, bad.error) << result.detail;
    EXPECT_FALSE(result.detail.empty());
    EXPECT_FALSE(ReadBmpMemory(picture, bad.bytes));
    EXPECT_EQ(picture.block(), before);
    EXPECT_EQ(picture.backup(), before);
    EXPECT_EQ(picture.width(), 3);
    EXPECT_TRUE(picture.palette().has_value());
  }
  EXPECT_FALSE(ReadBmpFile(picture, "/nonexistent/x.bmp"));
  EXPECT_EQ(picture.block(), before);

  // The block limit is checked before anything is allocated.
  std::vector<uint8_t> file = HandFile(100, 100, 24, 0, {}, std::vector<uint8_t>(300 * 100, 1));
  std::vector<uint8_t> block;
  EXPECT_EQ(DecodeBmp(file, block, 40 + 300 * 100 - 1).error, BmpError::TooLarge);
  EXPECT_TRUE(DecodeBmp(file, block, 40 + 300 * 100));
}

// More than 2^28 pixels are refused before anything is allocated, whatever
// the block would be. A 1-bit file with no rows at the limit fails only for
// its missing rows, so its size passed; one past the limit fails for its size.
TEST(Bmp, PicturesOverThePixelLimitAreRefusedFirst) {
  struct Case {
    int32_t width, height;
    BmpError error;
  } cases[] = {
      {16384, 16384, BmpError::PixelsTruncated},   {16385, 16384, BmpError::TooLarge},
      {16384, -16385, BmpError::TooLarge},         {1 << 28, 1, BmpError::PixelsTruncated},
      {(1 << 28) + 1, 1, BmpError::TooLarge},      {32, 1 << 23, BmpError::PixelsTruncated},
      {32, (1 << 23) + 1, BmpError::TooLarge},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    std::vector<uint8_t> block;
    BmpResult r = DecodeBmp(HandFile(c.width, c.height, 1, 0, Colours(2), {}), block);
    EXPECT_EQ(r.error, c.error) << r.detail;
  }
  // 1 KB of run-length data claiming 30000 x 30000 pixels.
  std::vector<uint8_t> rle = HandFile(30000, 30000, 8, 1, Colours(4), std::vector<uint8_t>(1000, 0));
  rle.insert(rle.end(), {0, 1});
  std::vector<uint8_t> block;
  EXPECT_EQ(DecodeBmp(rle, block).error, BmpError::TooLarge);
  DibImage picture;
  EXPECT_FALSE(ReadBmpMemory(picture, rle));
  EXPECT_TRUE(picture.empty());
}

}  // namespace
}  // namespace lumora
