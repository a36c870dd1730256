// GIF decoding and encoding: exact encoder bytes, LZW round trips checked by
// ImageMagick as an independent decoder, files made by ImageMagick against
// its own reading of them, interlace order, the size probe, the decoder's
// texts, and hostile data.
#include "media/codecs/Gif.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/media/CodecTestTools.h"

namespace lumora {
namespace {

using test::PictureRgb;
using test::RgbImage;
using test::TempDir;
using test::WriteBytes;
namespace fs = std::filesystem;

// Offsets in a file written by the encoder: 13 bytes of header and screen,
// 768 of colour table, then the image descriptor and the data.
constexpr size_t kTableAt = 13;
constexpr size_t kDescriptorAt = kTableAt + 768;
constexpr size_t kDescriptorFlagsAt = kDescriptorAt + 9;
constexpr size_t kDataAt = kDescriptorAt + 11;  // after the minimum code size byte

struct Palette {
  uint8_t red[256], green[256], blue[256];
};

Palette TestPalette() {
  Palette p;
  for (int i = 0; i < 256; ++i) {
    p.red[i] = uint8_t(i);
    p.green[i] = uint8_t(255 - i);
    p.blue[i] = uint8_t(i * 37);
  }
  return p;
}

std::vector<uint8_t> Encode(const std::vector<uint8_t>& indices, int width, int height,
                            const Palette& p = TestPalette()) {
  std::vector<uint8_t> file;
  EXPECT_EQ(EncodeGif87aBytes(file, indices.data(), width, height, 0, p.red, p.green, p.blue), GifError::None);
  return file;
}

RgbImage ThroughPalette(const std::vector<uint8_t>& indices, int width, int height, const Palette& p) {
  RgbImage out{width, height, {}};
  for (uint8_t i : indices) out.rgb.insert(out.rgb.end(), {p.red[i], p.green[i], p.blue[i]});
  return out;
}

// A GIF file put together by hand: codes of the given widths packed least
// significant bit first into data sub-blocks of `blockSize` bytes.
struct HandGif {
  int width = 3, height = 1;
  int codeSize = 2;
  std::vector<std::pair<int, int>> codes{};  // code, width in bits
  int globalEntries = 4;                   // 0: no global table
  int localEntries = 0;                    // 0: no local table
  bool terminate = true;                   // end the sub-blocks with a 0 count

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> f = {'G', 'I', 'F', '8', '9', 'a', uint8_t(width), uint8_t(width >> 8), uint8_t(height),
                              uint8_t(height >> 8), 0, 0, 0};
    auto table = [&](int entries) {
      for (int i = 0; i < entries; ++i) f.insert(f.end(), {uint8_t(60 * i + 10), uint8_t(i), uint8_t(200 - i)});
    };
    auto sizeBits = [](int entries) { return uint8_t(std::countr_zero(unsigned(entries)) - 1); };
    if (globalEntries) {
      f[10] = uint8_t(0x80 | sizeBits(globalEntries));
      table(globalEntries);
    }
    f.insert(f.end(), {0x2C, 0, 0, 0, 0, uint8_t(width), uint8_t(width >> 8), uint8_t(height), uint8_t(height >> 8),
                       uint8_t(localEntries ? 0x80 | sizeBits(localEntries) : 0)});
    if (localEntries) table(localEntries);
    f.push_back(uint8_t(codeSize));
    std::vector<uint8_t> data;
    uint32_t acc = 0;
    int held = 0;
    for (auto [code, bits] : codes) {
      acc |= uint32_t(code) << held;
      for (held += bits; held >= 8; held -= 8, acc >>= 8) data.push_back(uint8_t(acc));
    }
    if (held) data.push_back(uint8_t(acc));
    for (size_t at = 0; at < data.size(); at += 255) {
      size_t n = std::min<size_t>(255, data.size() - at);
      f.push_back(uint8_t(n));
      f.insert(f.end(), data.begin() + std::ptrdiff_t(at), data.begin() + std::ptrdiff_t(at + n));
    }
    if (terminate) f.insert(f.end(), {0, 0x3B});
    return f;
  }
};

TEST(Gif, EncoderWritesTheExactBytesOfAOnePixelFile) {
  Palette p = TestPalette();
  std::vector<uint8_t> file;
  ASSERT_EQ(EncodeGif87aBytes(file, std::vector<uint8_t>{5}.data(), 1, 1, 3, p.red, p.green, p.blue),
            GifError::None);
  std::vector<uint8_t> expected = {'G', 'I', 'F', '8', '7', 'a', 1, 0, 1, 0, 0xE7, 3, 0};
  for (int i = 0; i < 256; ++i) expected.insert(expected.end(), {p.red[i], p.green[i], p.blue[i]});
  expected.insert(expected.end(), {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 8});
  // Clear (256), the pixel (5) and end (257) as 9-bit codes, least significant bit first.
  expected.insert(expected.end(), {4, 0x00, 0x0B, 0x04, 0x04, 0, 0x3B});
  EXPECT_EQ(file, expected);

  for (auto [w, h, background] : {std::tuple{0, 1, 0}, {1, 0, 0}, {65536, 1, 0}, {1, 1, 256}, {1, 1, -1}})
    EXPECT_EQ(EncodeGif87aBytes(file, std::vector<uint8_t>{5}.data(), w, h, background, p.red, p.green, p.blue),
              GifError::BadParameters);
  EXPECT_EQ(EncodeGif87aBytes(file, nullptr, 1, 1, 0, p.red, p.green, p.blue), GifError::BadParameters);
}

TEST(Gif, SubBlocksHoldAtMost254Bytes) {
  std::mt19937 random(5);
  std::vector<uint8_t> indices(200 * 100);
  for (auto& i : indices) i = uint8_t(random());
  std::vector<uint8_t> file = Encode(indices, 200, 100);
  size_t at = kDataAt;
  size_t full = 0;
  while (file.at(at) != 0) {
    ASSERT_LE(file[at], 254) << "sub-block at byte " << at;
    full += file[at] == 254;
    at += 1 + file[at];
  }
  EXPECT_GT(full, 10u);
  EXPECT_EQ(at + 2, file.size()) << "terminator and trailer end the file";
  EXPECT_EQ(file.back(), 0x3B);
}

// The decoded indices of a file, rows top first.
std::vector<uint8_t> DecodedIndices(const std::vector<uint8_t>& file) {
  GifImage image;
  EXPECT_EQ(DecodeGif(file, image), GifError::None);
  std::vector<uint8_t> out(image.indices.size());
  std::vector<int> rows = image.PictureRows();
  size_t w = size_t(image.width);
  for (size_t r = 0; r < rows.size(); ++r)
    std::copy_n(image.indices.begin() + std::ptrdiff_t(r * w), w, out.begin() + std::ptrdiff_t(size_t(rows[r]) * w));
  return out;
}

struct LzwCase {
  const char* name;
  int width, height;
  uint8_t (*pixel)(int x, int y, std::mt19937& random);
};

class GifLzw : public testing::TestWithParam<LzwCase> {};

// Encoded, then decoded by this decoder and by ImageMagick: both give the
// indices back. All but the one-colour image fill the 4096-code table at
// least once, so the clear codes and the return to 9 bits are covered; the
// one-colour image has strings hundreds of indices long and ends inside one.
TEST_P(GifLzw, RoundTripsThroughBothDecoders) {
  const LzwCase& c = GetParam();
  std::mt19937 random(1);
  std::vector<uint8_t> indices;
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x) indices.push_back(c.pixel(x, y, random));
  std::vector<uint8_t> file = Encode(indices, c.width, c.height);
  EXPECT_EQ(DecodedIndices(file), indices);

  TempDir dir;
  WriteBytes(dir / "lzw.gif", file);
  auto reference = test::MagickPixels(dir / "lzw.gif");
  ASSERT_TRUE(reference) << "ImageMagick's convert is needed for this test";
  EXPECT_TRUE(*reference == ThroughPalette(indices, c.width, c.height, TestPalette()));
}

INSTANTIATE_TEST_SUITE_P(
    Images, GifLzw,
    testing::Values(LzwCase{"Random256", 317, 211, [](int, int, std::mt19937& r) { return uint8_t(r()); }},
                    LzwCase{"RandomTwo", 320, 240, [](int, int, std::mt19937& r) { return uint8_t(r() & 1); }},
                    LzwCase{"OneColour", 500, 500, [](int, int, std::mt19937&) { return uint8_t(7); }},
                    LzwCase{"XorPattern", 512, 512, [](int x, int y, std::mt19937&) { return uint8_t((x ^ y) & 15); }},
                    LzwCase{"Gradient", 256, 300, [](int x, int y, std::mt19937&) { return uint8_t(x + y); }}),
    [](const testing::TestParamInfo<LzwCase>& info) { return std::string(info.param.name); });

TEST(Gif, InterlacedRowsFollowThePassOrder) {
  // Stored row k is all index k; with the interlace flag set, stored rows go
  // to picture rows 0, 8, 4, 2, 6, 1, 3, 5, 7, 9.
  std::vector<uint8_t> indices;
  for (int k = 0; k < 10; ++k) indices.insert(indices.end(), 3, uint8_t(k));
  std::vector<uint8_t> file = Encode(indices, 3, 10);
  file[kDescriptorFlagsAt] = 0x40;
  GifImage image;
  ASSERT_EQ(DecodeGif(file, image), GifError::None);
  EXPECT_EQ(image.PictureRows(), (std::vector<int>{0, 8, 4, 2, 6, 1, 3, 5, 7, 9}));

  TempDir dir;
  WriteBytes(dir / "interlaced.gif", file);
  DibImage picture;
  ASSERT_EQ(ReadGifFile(picture, (dir / "interlaced.gif").string()), GifError::None);
  const int storedRowOfPictureRow[10] = {0, 5, 3, 6, 2, 7, 4, 8, 1, 9};
  std::vector<uint8_t> expected;
  for (int k : storedRowOfPictureRow) expected.insert(expected.end(), 3, uint8_t(k));
  EXPECT_EQ(PictureRgb(picture), ThroughPalette(expected, 3, 10, TestPalette()));
  auto reference = test::MagickPixels(dir / "interlaced.gif");
  ASSERT_TRUE(reference);
  EXPECT_EQ(*reference, PictureRgb(picture)) << "ImageMagick reads the rows in the same order";
}

TEST(Gif, ReadsFilesMadeByImageMagickAsItDoes) {
  TempDir dir;
  std::mt19937 random(3);
  RgbImage source{61, 29, {}};
  std::vector<std::array<uint8_t, 3>> colours(40);
  for (auto& c : colours) c = {uint8_t(random()), uint8_t(random()), uint8_t(random())};
  for (int i = 0; i < 61 * 29; ++i) {
    auto& c = colours[random() % 40];
    source.rgb.insert(source.rgb.end(), c.begin(), c.end());
  }
  test::WritePpm(dir / "source.ppm", source);
  for (const char* options : {"", "-interlace GIF "}) {
    SCOPED_TRACE(options);
    fs::path gif = dir / "made.gif";
    ASSERT_TRUE(test::Convert(test::Quoted(dir / "source.ppm") + " " + options + test::Quoted(gif)))
        << "ImageMagick's convert is needed for this test";
    std::string error = "left from before";
    int w = 0, h = 0;
    std::vector<uint8_t> rgb = ReadGifRgb(error, gif.string(), w, h);
    EXPECT_EQ(error, "");
    EXPECT_EQ(w, 61);
    EXPECT_EQ(h, 29);
    EXPECT_EQ(rgb, source.rgb) << "40 colours fit a GIF exactly";
    auto reference = test::MagickPixels(gif);
    ASSERT_TRUE(reference);
    EXPECT_EQ(rgb, reference->rgb);

    DibImage picture;
    ASSERT_EQ(ReadGifFile(picture, gif.string()), GifError::None);
    EXPECT_EQ(picture.BitCount(), 24);
    EXPECT_EQ(PictureRgb(picture), source);
  }
}

TEST(Gif, ExtensionsBeforeTheImageLoadButDefeatTheSizeProbe) {
  std::vector<uint8_t> plain = Encode(std::vector<uint8_t>(6 * 4, 9), 6, 4);
  TempDir dir;
  WriteBytes(dir / "plain.gif", plain);
  int w = 0, h = 0;
  EXPECT_EQ(GetGifImageSize((dir / "plain.gif").string(), w, h), 1);
  EXPECT_EQ(w, 6);
  EXPECT_EQ(h, 4);

  // GIF89a with a graphic-control extension, a comment and a stray trailer
  // byte before the image.
  std::vector<uint8_t> extended = plain;
  extended[4] = '9';
  const std::vector<uint8_t> extras = {0x21, 0xF9, 4, 1, 0, 0, 0, 0,  // graphic control
                                       0x21, 0xFE, 2, 'h', 'i', 3, 'y', 'o', 'u', 0,  // comment in two blocks
                                       0x3B};
  extended.insert(extended.begin() + std::ptrdiff_t(kDescriptorAt), extras.begin(), extras.end());
  WriteBytes(dir / "extended.gif", extended);
  EXPECT_EQ(GetGifImageSize((dir / "extended.gif").string(), w, h), 0);
  EXPECT_EQ(w, -1);
  EXPECT_EQ(h, -1);
  DibImage picture;
  ASSERT_EQ(ReadGifFile(picture, (dir / "extended.gif").string()), GifError::None);
  EXPECT_EQ(picture.width(), 6);
  EXPECT_EQ(picture.height(), 4);
  Palette p = TestPalette();
  EXPECT_EQ(RowTable(picture)[3][2], p.red[9]);

  EXPECT_EQ(GetGifImageSize((dir / "none.gif").string(), w, h), 0);
  EXPECT_EQ(w, -1);
  std::vector<uint8_t> cut(plain.begin(), plain.begin() + std::ptrdiff_t(kDescriptorAt + 5));
  WriteBytes(dir / "cut.gif", cut);
  EXPECT_EQ(GetGifImageSize((dir / "cut.gif").string(), w, h), 0);
  EXPECT_EQ(h, -1);
}

TEST(Gif, OnlyAspectsOtherThan0And49AddANote) {
  std::vector<uint8_t> file = Encode(std::vector<uint8_t>(4, 1), 2, 2);
  TempDir dir;
  for (auto [aspect, note] : {std::pair<uint8_t, const char*>{0, ""}, {49, ""},
                              {50, "Non-square pixels in GIF image.\nIgnoring that fact..."}}) {
    file[12] = aspect;
    WriteBytes(dir / "aspect.gif", file);
    std::string error;
    int w = 0, h = 0;
    EXPECT_EQ(ReadGifRgb(error, (dir / "aspect.gif").string(), w, h).size(), 12u) << "aspect " << int(aspect);
    EXPECT_EQ(error, note) << "aspect " << int(aspect);
  }
}

TEST(Gif, WritesPalettedPicturesThroughTheirPalette) {
  TempDir dir;
  std::mt19937 random(4);
  for (int bits : {1, 4, 8}) {
    SCOPED_TRACE(bits);
    // A picture with a random palette of the depth's full size and random pixels.
    const int width = 11, height = 3;
    const size_t table = size_t(4) << bits;
    std::vector<uint8_t> block(40 + table + DibStride(width, bits) * height, 0);
    block[0] = 40;
    block[4] = width;
    block[8] = height;
    block[12] = 1;
    block[14] = uint8_t(bits);
    for (size_t i = 40; i < block.size(); ++i) block[i] = uint8_t(random());
    DibImage picture;
    ASSERT_TRUE(picture.Adopt(block, true));
    fs::path path = dir / ("paletted" + std::to_string(bits) + ".gif");
    ASSERT_EQ(WriteGifFile(picture, path.string()), GifError::None);

    std::string text = test::ReadText(path);
    GifImage image;
    ASSERT_EQ(DecodeGif({reinterpret_cast<const uint8_t*>(text.data()), text.size()}, image), GifError::None);
    RowTable rows(picture);
    for (int r = 0; r < height; ++r)
      for (int x = 0; x < width; ++x) {
        int index = bits == 8 ? rows[r][x]
                    : bits == 4 ? (rows[r][x / 2] >> (x % 2 ? 0 : 4)) & 15
                                : (rows[r][x / 8] >> (7 - x % 8)) & 1;
        ASSERT_EQ(image.indices[size_t(r * width + x)], index) << "row " << r << " x " << x;
      }
    for (size_t i = 0; i < 256; ++i) {
      PaletteEntry e = i < picture.palette()->size() ? (*picture.palette())[i] : PaletteEntry{};
      ASSERT_EQ((PaletteEntry{image.colours[i * 3], image.colours[i * 3 + 1], image.colours[i * 3 + 2], 0}), e)
          << "entry " << i;
    }
  }
}

TEST(Gif, RefusesPicturesWithoutIndicesOrPalette) {
  TempDir dir;
  DibImage colour;
  ASSERT_TRUE(colour.Create(4, 4, 24));
  EXPECT_EQ(WriteGifFile(colour, (dir / "a.gif").string()), GifError::BadDepth);
  DibImage noPalette;
  ASSERT_TRUE(noPalette.Create(4, 4, 8));  // a grey table, but no palette built from it
  EXPECT_EQ(WriteGifFile(noPalette, (dir / "b.gif").string()), GifError::BadDepth);
  EXPECT_EQ(WriteGifFile(DibImage(), (dir / "c.gif").string()), GifError::BadDepth);
  EXPECT_TRUE(fs::is_empty(dir.path()));

  Palette p = TestPalette();
  std::string error;
  uint8_t pixel = 0;
  EXPECT_EQ(EncodeGif87a(error, (dir / "missing" / "d.gif").string(), &pixel, 1, 1, 0, p.red, p.green, p.blue), 0);
  EXPECT_EQ(error, "Can't open GIF for writing");
}

TEST(Gif, DecoderTextsNameWhatWentWrong) {
  TempDir dir;
  const std::vector<uint8_t> good = HandGif{.codes = {{4, 3}, {1, 3}, {2, 3}, {3, 3}, {5, 3}}}.Bytes();
  auto prefix = [&](size_t n) { return std::vector<uint8_t>(good.begin(), good.begin() + std::ptrdiff_t(n)); };
  auto patched = [&](std::vector<uint8_t> f, size_t at, std::vector<uint8_t> bytes) {
    std::copy(bytes.begin(), bytes.end(), f.begin() + std::ptrdiff_t(at));
    return f;
  };
  const std::string path = (dir / "t.gif").string();
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    std::string text;
  };
  const size_t descriptorAt = 13 + 12;
  const std::vector<Case> cases = {
      {"ShortMagic", prefix(5), "Error reading GIF Magic #\n" + path},
      {"NotGif", patched(good, 0, {'G', 'I', 'X'}), "Error, " + path + " is not a valid .GIF file"},
      {"Version", patched(good, 3, {'8', '8', 'a'}), "Error, Bad GIF Version number"},
      {"ShortScreen", prefix(12), "Error, failed to GIF read screen descriptor.\nGiving up"},
      {"ShortGlobalTable", prefix(20), "Error reading GIF colormap"},
      {"NoImage", patched(prefix(descriptorAt + 1), descriptorAt, {0x3B}), "Unexpected EOF in GIF.\nGiving up"},
      {"ExtensionLabel", patched(prefix(descriptorAt + 1), descriptorAt, {0x21}),
       "Error on extension read.\nGiving up"},
      {"ShortDescriptor", prefix(descriptorAt + 9), "Error on dimension read\nGiving up"},
      {"ZeroWidth", patched(good, descriptorAt + 5, {0, 0}), "Error on dimension read\nGiving up"},
      {"Huge", patched(good, descriptorAt + 5, {0xFF, 0xFF, 0xFF, 0xFF}), "Out of Memory in GIFRead"},
      {"BadCode", HandGif{.codes = {{4, 3}, {7, 3}}}.Bytes(), "Error reading GIF file\nGIFScreen Colormap\nGiving up"},
      {"NoCodeSize", prefix(descriptorAt + 10), "Error reading GIF file\nGIFScreen Colormap\nGiving up"},
      {"LocalBadCode", HandGif{.codes = {{6, 3}}, .globalEntries = 0, .localEntries = 4}.Bytes(),
       "Error reading GIF file\nLocalColorMap\nGiving up"},
      {"LocalTableCut",
       [] {
         auto f = HandGif{.globalEntries = 0, .localEntries = 4}.Bytes();
         return std::vector<uint8_t>(f.begin(), f.begin() + 13 + 10 + 5);
       }(),
       "Error reading GIF colormap\nGiving up"},
  };
  DibImage picture;
  ASSERT_TRUE(picture.Create(2, 2, 24));
  const std::vector<uint8_t> before = picture.block();
  for (const Case& c : cases) {
    WriteBytes(path, c.bytes);
    std::string error;
    int w = 7, h = 7;
    EXPECT_TRUE(ReadGifRgb(error, path, w, h).empty()) << c.name;
    EXPECT_EQ(error, c.text) << c.name;
    EXPECT_NE(ReadGifFile(picture, path), GifError::None) << c.name;
    EXPECT_EQ(picture.block(), before) << c.name;
  }
  std::string error;
  int w = 0, h = 0;
  EXPECT_TRUE(ReadGifRgb(error, "", w, h).empty());
  EXPECT_EQ(error, "No Name Given");
  EXPECT_TRUE(ReadGifRgb(error, (dir / "none.gif").string(), w, h).empty());
  EXPECT_EQ(error, "Cant open GIF :\n" + (dir / "none.gif").string());

  WriteBytes(path, good);
  EXPECT_EQ(ReadGifRgb(error, path, w, h).size(), 9u) << error;
}

// Hand-made LZW streams: width 3 image, minimum code size 2 (clear 4, end 5).
TEST(Gif, LzwCodesAreCheckedBeforeUse) {
  auto decode = [](const HandGif& g, GifImage& image) { return DecodeGif(g.Bytes(), image); };
  GifImage image;

  // A code equal to the next free one repeats the previous string plus its
  // first index: 1, then code 6 = "1 1".
  ASSERT_EQ(decode(HandGif{.codes = {{4, 3}, {1, 3}, {6, 3}, {5, 3}}}, image), GifError::None);
  EXPECT_EQ(image.indices, (std::vector<uint8_t>{1, 1, 1}));
  EXPECT_EQ(image.decoded, 3u);

  for (auto [name, codes] : std::vector<std::pair<const char*, std::vector<std::pair<int, int>>>>{
           {"PastNextFree", {{4, 3}, {1, 3}, {7, 3}}},
           {"EntryBeforeAnyString", {{4, 3}, {6, 3}}},
           {"EntryRightAfterClear", {{4, 3}, {1, 3}, {4, 3}, {6, 3}}},
       }) {
    EXPECT_EQ(decode(HandGif{.codes = codes}, image), GifError::GlobalDecode) << name;
  }
  for (int codeSize : {0, 1, 9, 12})
    EXPECT_EQ(decode(HandGif{.codeSize = codeSize, .codes = {{4, 3}, {5, 3}}}, image), GifError::GlobalDecode)
        << "minimum code size " << codeSize;

  // The end code, or codes that run out in a properly ended chain, stop the
  // image early: the rest is black.
  ASSERT_EQ(decode(HandGif{.codes = {{4, 3}, {2, 3}, {5, 3}, {1, 3}}}, image), GifError::None);
  EXPECT_EQ(image.decoded, 1u);
  ASSERT_EQ(decode(HandGif{.codes = {{4, 3}, {2, 3}}}, image), GifError::None);
  EXPECT_EQ(image.decoded, 1u);
  // A file that ends inside the data before the picture is done fails.
  EXPECT_EQ(decode(HandGif{.codes = {{4, 3}, {2, 3}}, .terminate = false}, image), GifError::GlobalDecode);
  // A file that ends after a complete picture does not.
  EXPECT_EQ(decode(HandGif{.codes = {{4, 3}, {2, 3}, {2, 3}, {2, 3}}, .terminate = false}, image), GifError::None);
}

TEST(Gif, DecoderKeepsNothingBetweenFiles) {
  TempDir dir;
  // First a file with a global table, then one without any table, and one
  // whose data stops after one pixel: nothing of the first shows through.
  WriteBytes(dir / "a.gif", HandGif{.codes = {{4, 3}, {1, 3}, {1, 3}, {1, 3}, {5, 3}}}.Bytes());
  WriteBytes(dir / "b.gif", HandGif{.codes = {{4, 3}, {1, 3}, {1, 3}, {1, 3}, {5, 3}}, .globalEntries = 0}.Bytes());
  WriteBytes(dir / "c.gif", HandGif{.codes = {{4, 3}, {1, 3}, {5, 3}}}.Bytes());
  std::string error;
  int w = 0, h = 0;
  std::vector<uint8_t> a = ReadGifRgb(error, (dir / "a.gif").string(), w, h);
  EXPECT_EQ(a, (std::vector<uint8_t>{70, 1, 199, 70, 1, 199, 70, 1, 199}));
  EXPECT_EQ(ReadGifRgb(error, (dir / "b.gif").string(), w, h), std::vector<uint8_t>(9, 0));
  EXPECT_EQ(ReadGifRgb(error, (dir / "c.gif").string(), w, h), (std::vector<uint8_t>{70, 1, 199, 0, 0, 0, 0, 0, 0}));
}

TEST(Gif, EveryCutOfAFileFailsCleanly) {
  std::mt19937 random(6);
  std::vector<uint8_t> indices(40 * 30);
  for (auto& i : indices) i = uint8_t(random() % 50);
  const std::vector<uint8_t> file = Encode(indices, 40, 30);
  size_t lastTerminator = file.size() - 2;
  for (size_t n = 0; n < file.size(); ++n) {
    GifImage image;
    GifError error = DecodeGif({file.data(), n}, image);
    if (n < kDataAt) {
      EXPECT_NE(error, GifError::None) << "cut at " << n;
    } else if (n < lastTerminator) {
      // The last sub-block may hold nothing but the end code's bits.
      if (error == GifError::None) {
        EXPECT_EQ(image.decoded, indices.size()) << "cut at " << n;
      }
    } else {
      EXPECT_EQ(error, GifError::None) << "cut at " << n;
    }
  }
  GifImage image;
  EXPECT_EQ(DecodeGif(file, image, 40 * 30 - 1), GifError::OutOfMemory);
}

// More than 2^28 pixels are refused before anything is allocated, whatever
// the caller allows: a file with a bad minimum code size at the limit fails
// for its data, one past the limit for its size.
TEST(Gif, PicturesOverThePixelLimitAreRefusedFirst) {
  struct Case {
    int width, height;
    GifError error;
  } cases[] = {{16384, 16384, GifError::GlobalDecode},
               {16385, 16384, GifError::OutOfMemory},
               {65535, 4096, GifError::GlobalDecode},
               {65535, 4097, GifError::OutOfMemory}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    const std::vector<uint8_t> file = HandGif{.width = c.width, .height = c.height, .codeSize = 1, .codes = {}}.Bytes();
    GifImage image;
    EXPECT_EQ(DecodeGif(file, image), c.error);
    EXPECT_EQ(DecodeGif(file, image, SIZE_MAX), c.error);
  }
}

}  // namespace
}  // namespace lumora
