// TIFF codec: files made by ImageMagick shown pixel for pixel as the tool
// shows them, grey levels by photometric interpretation, the colour-map rule,
// hostile files built tag by tag, exact round trips, and failed saves.
//
// Samples in tests/media/samples were made with ImageMagick 6.9 (libtiff 4.5)
// from 19 x 11 pictures holding the patterns below (as PBM, PGM and PPM files):
//   tiff_ink_minisblack.tif     convert ink.pbm -compress none
//   tiff_ink_miniswhite_g4.tif  convert ink.pbm -compress group4
//   tiff_grey8_minisblack.tif   convert grey.pgm -compress none
//   tiff_grey8_miniswhite.tif   convert grey.pgm -negate -define quantum:polarity=min-is-white -compress none
//   tiff_grey4.tif              convert grey4.pgm -depth 4 -compress none
//   tiff_palette8.tif           convert colour.ppm -type Palette -compress none   (16-bit colour map)
//   tiff_palette4.tif           convert six.ppm -type Palette -depth 4 -compress none
//   tiff_rgb_strips_lzw.tif     convert colour.ppm -compress lzw -define tiff:rows-per-strip=3
//   tiff_rgb16.tif              convert colour.ppm -depth 16 -compress none
//   tiff_rgba_deflate.tif       convert colour.ppm -alpha set -channel A -evaluate set 50% +channel -compress zip
// and `convert X.tif -depth 8 rgb:-` gives back each pattern exactly.
#include "media/codecs/Tiff.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <iterator>

#include "tests/TempDir.h"
#include "tests/media/CodecTestTools.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using test::FileBytes;
using test::PictureRgb;
using test::RgbImage;

fs::path Sample(const std::string& name) { return fs::path(__FILE__).parent_path() / "samples" / name; }

using Rgb = std::array<uint8_t, 3>;

// --- The patterns of the samples --------------------------------------------------

constexpr int kWidth = 19, kHeight = 11;

Rgb Ink(int x, int y) { return (x * 3 + y * y) % 7 < 3 ? Rgb{0, 0, 0} : Rgb{255, 255, 255}; }
Rgb Grey(int x, int y) {
  auto v = uint8_t((x * 13 + y * 23) % 256);
  return {v, v, v};
}
Rgb Grey4(int x, int y) {
  auto v = uint8_t((x + y * 3) % 16 * 17);
  return {v, v, v};
}
Rgb Colour(int x, int y) {
  return {uint8_t((x * 13 + y * 7) % 256), uint8_t((x * 5 + y * 31) % 256), uint8_t((1275 - x * 11 - y * 3) % 256)};
}
Rgb Six(int x, int y) {
  constexpr std::array<Rgb, 6> colours = {
      {{204, 34, 51}, {17, 221, 68}, {0, 0, 255}, {255, 255, 0}, {85, 85, 85}, {238, 238, 238}}};
  return colours[size_t(x + 2 * y) % 6];
}

RgbImage PatternImage(Rgb (*pattern)(int, int)) {
  RgbImage image{kWidth, kHeight, {}};
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const Rgb c = pattern(x, y);
      image.rgb.insert(image.rgb.end(), c.begin(), c.end());
    }
  return image;
}

struct SampleCase {
  const char* file;
  int bits;  // of the picture the reader makes
  Rgb (*pattern)(int, int);
};

class TiffSamples : public testing::TestWithParam<SampleCase> {};

TEST_P(TiffSamples, ShowTheirPattern) {
  const SampleCase& c = GetParam();
  DibImage pic;
  ASSERT_TRUE(ReadTiffFile(pic, Sample(c.file).string()));
  ASSERT_EQ(pic.width(), kWidth);
  ASSERT_EQ(pic.height(), kHeight);
  ASSERT_EQ(pic.BitCount(), c.bits);
  EXPECT_EQ(pic.palette().has_value(), c.bits == 8) << "8-bit pictures get their palette built";
  EXPECT_TRUE(PictureRgb(pic) == PatternImage(c.pattern)) << "pixels differ from ImageMagick's";

  DibImage fromMemory;
  ASSERT_TRUE(ReadTiffMemory(fromMemory, FileBytes(Sample(c.file))));
  EXPECT_EQ(fromMemory.block(), pic.block());
}

INSTANTIATE_TEST_SUITE_P(
    ImageMagick, TiffSamples,
    testing::Values(SampleCase{"tiff_ink_minisblack.tif", 8, Ink}, SampleCase{"tiff_ink_miniswhite_g4.tif", 8, Ink},
                    SampleCase{"tiff_grey8_minisblack.tif", 8, Grey},
                    SampleCase{"tiff_grey8_miniswhite.tif", 8, Grey}, SampleCase{"tiff_grey4.tif", 8, Grey4},
                    SampleCase{"tiff_palette8.tif", 8, Colour}, SampleCase{"tiff_palette4.tif", 8, Six},
                    SampleCase{"tiff_rgb_strips_lzw.tif", 24, Colour}, SampleCase{"tiff_rgb16.tif", 24, Colour},
                    SampleCase{"tiff_rgba_deflate.tif", 24, Colour}),
    [](const testing::TestParamInfo<SampleCase>& info) {
      std::string name = info.param.file;
      name = name.substr(5, name.size() - 9);  // without "tiff_" and ".tif"
      return name;
    });

// --- Files built tag by tag ----------------------------------------------------------

enum : uint16_t { kShort = 3, kLong = 4 };

struct Field {
  uint16_t tag;
  uint16_t type;
  std::vector<uint32_t> values;
};

void Put16(std::vector<uint8_t>& f, uint32_t v) { f.insert(f.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void Put32(std::vector<uint8_t>& f, uint32_t v) {
  f.insert(f.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}

// Where the pixel data of a built file starts: right after the 8-byte header.
constexpr uint32_t kDataOffset = 8;

// A little-endian TIFF with one directory: the header, `data`, the directory
// with `fields` in tag order, then the values too long for their entries.
std::vector<uint8_t> BuildTiff(std::vector<Field> fields, const std::vector<uint8_t>& data) {
  std::sort(fields.begin(), fields.end(), [](const Field& a, const Field& b) { return a.tag < b.tag; });
  std::vector<uint8_t> f = {'I', 'I', 42, 0};
  const uint32_t directory = uint32_t(kDataOffset + data.size() + data.size() % 2);
  Put32(f, directory);
  f.insert(f.end(), data.begin(), data.end());
  f.resize(directory);
  std::vector<uint8_t> extra;
  const uint32_t extraOffset = directory + 2 + 12 * uint32_t(fields.size()) + 4;
  Put16(f, uint32_t(fields.size()));
  for (const Field& field : fields) {
    Put16(f, field.tag);
    Put16(f, field.type);
    Put32(f, uint32_t(field.values.size()));
    std::vector<uint8_t> values;
    for (uint32_t v : field.values) field.type == kShort ? Put16(values, v) : Put32(values, v);
    if (values.size() <= 4) {
      values.resize(4);
      f.insert(f.end(), values.begin(), values.end());
    } else {
      Put32(f, extraOffset + uint32_t(extra.size()));
      extra.insert(extra.end(), values.begin(), values.end());
    }
  }
  Put32(f, 0);  // no next directory
  f.insert(f.end(), extra.begin(), extra.end());
  return f;
}

// The fields of an uncompressed one-strip image of `samples` samples a pixel.
std::vector<Field> ImageFields(uint32_t width, uint32_t height, uint32_t bits, uint32_t photometric,
                               uint32_t dataBytes, uint32_t samples = 1) {
  return {{256, kLong, {width}},     {257, kLong, {height}},   {258, kShort, std::vector<uint32_t>(samples, bits)},
          {259, kShort, {1}},        {262, kShort, {photometric}}, {273, kLong, {kDataOffset}},
          {277, kShort, {samples}},  {278, kLong, {height}},   {279, kLong, {dataBytes}}};
}

void Set(std::vector<Field>& fields, Field field) {
  std::erase_if(fields, [&](const Field& f) { return f.tag == field.tag; });
  fields.push_back(std::move(field));
}

void Drop(std::vector<Field>& fields, uint16_t tag) {
  std::erase_if(fields, [&](const Field& f) { return f.tag == tag; });
}

DibImage Decoded(const std::vector<uint8_t>& file) {
  DibImage pic;
  std::vector<uint8_t> block;
  TiffResult r = DecodeTiff(file, block);
  EXPECT_TRUE(r) << TiffErrorText(r.error) << ": " << r.detail;
  EXPECT_TRUE(ReadTiffMemory(pic, file));
  return pic;
}

TEST(TiffRead, GreyLevelsFollowThePhotometricInterpretation) {
  // Index and grey level are the same for grey files (the colour table is
  // the grey ramp), whichever way round the file counts.
  struct Case {
    uint32_t bits, photometric;
    std::vector<uint8_t> data;  // one row
    std::vector<uint8_t> levels;
  } cases[] = {
      {1, 0, {0b1010'0000}, {0, 255, 0, 255}},  // min-is-white: a set bit is black
      {1, 1, {0b1010'0000}, {255, 0, 255, 0}},  // min-is-black: a set bit is white
      {2, 0, {0b00'01'10'11}, {255, 170, 85, 0}},
      {2, 1, {0b00'01'10'11}, {0, 85, 170, 255}},
      {4, 0, {0x0F, 0x80}, {255, 0, 119, 255}},
      {8, 0, {0, 100, 255, 7}, {255, 155, 0, 248}},
      {8, 1, {0, 100, 255, 7}, {0, 100, 255, 7}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.bits << " bits, photometric " << c.photometric);
    DibImage pic = Decoded(BuildTiff(ImageFields(4, 1, c.bits, c.photometric, uint32_t(c.data.size())), c.data));
    ASSERT_EQ(pic.BitCount(), 8);
    RowTable rows(pic);
    for (int x = 0; x < 4; ++x) {
      const uint8_t level = c.levels[size_t(x)];
      EXPECT_EQ(rows[0][x], level) << "pixel " << x;
      EXPECT_EQ(PictureRgb(pic).rgb[size_t(3 * x)], level) << "pixel " << x;
    }
  }
}

TEST(TiffRead, SixteenBitSamplesAreRoundedToEightBits) {
  // (v * 255 + 32767) / 65535, where the high byte alone would be 0, 1, 126, 255.
  const std::vector<uint16_t> values = {0x00FF, 0x01FF, 0x7EFF, 0xFF00};
  const std::vector<uint8_t> rounded = {1, 2, 127, 254};
  std::vector<uint8_t> data;
  for (uint16_t v : values) data.insert(data.end(), {uint8_t(v), uint8_t(v >> 8)});  // little-endian file
  for (uint32_t photometric : {0u, 1u}) {
    SCOPED_TRACE(testing::Message() << "grey, photometric " << photometric);
    DibImage pic = Decoded(BuildTiff(ImageFields(4, 1, 16, photometric, 8), data));
    ASSERT_EQ(pic.BitCount(), 8);
    RowTable rows(pic);
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(rows[0][x], photometric ? rounded[size_t(x)] : 255 - rounded[size_t(x)]) << "pixel " << x;
  }
  // One RGB pixel of three of the values plus a second of the last one, red first.
  std::vector<uint8_t> rgb = data;
  rgb.insert(rgb.end(), data.begin() + 6, data.end());
  rgb.insert(rgb.end(), data.begin() + 6, data.end());
  DibImage colour = Decoded(BuildTiff(ImageFields(2, 1, 16, 2, 12, 3), rgb));
  ASSERT_EQ(colour.BitCount(), 24);
  EXPECT_EQ(PictureRgb(colour).rgb, (std::vector<uint8_t>{1, 2, 127, 254, 254, 254}));
}

TEST(TiffRead, ColourMapsOfSixteenAndEightBits) {
  // Four pixels with the indices 0, 1, 2, 3 of a 2-bit palette image.
  const std::vector<uint8_t> data = {0b00'01'10'11};
  auto withMap = [&](std::vector<uint32_t> red, std::vector<uint32_t> green, std::vector<uint32_t> blue) {
    auto fields = ImageFields(4, 1, 2, 3, 1);
    std::vector<uint32_t> map = red;
    map.insert(map.end(), green.begin(), green.end());
    map.insert(map.end(), blue.begin(), blue.end());
    Set(fields, {320, kShort, map});
    return Decoded(BuildTiff(fields, data));
  };

  // Any value above 255 makes the map 16-bit: v * 255 / 65535, truncated.
  DibImage wide = withMap({65535, 32768, 0, 257}, {0, 65535, 32768, 256}, {32768, 0, 65535, 65534});
  EXPECT_EQ(PictureRgb(wide).rgb, (std::vector<uint8_t>{255, 0, 127, 127, 255, 0, 0, 127, 255, 1, 0, 254}));
  // Entries past the map's four are black.
  ASSERT_TRUE(wide.palette().has_value());
  EXPECT_EQ((*wide.palette())[4], (PaletteEntry{0, 0, 0, 0}));

  // A map whose values all fit a byte is taken as it is.
  DibImage narrow = withMap({255, 128, 3, 0}, {0, 1, 2, 3}, {10, 20, 30, 40});
  EXPECT_EQ(PictureRgb(narrow).rgb, (std::vector<uint8_t>{255, 0, 10, 128, 1, 20, 3, 2, 30, 0, 3, 40}));
}

TEST(TiffRead, StripsOfEveryHeight) {
  // 3 x 5 grey, rows of 3 bytes; the first file row is the picture's top row.
  std::vector<uint8_t> data(15);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(10 * i);
  for (uint32_t rowsPerStrip : {1u, 2u, 4u, 5u, 1000u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(testing::Message() << rowsPerStrip << " rows a strip");
    auto fields = ImageFields(3, 5, 8, 1, 15);
    const uint32_t strips = rowsPerStrip >= 5 ? 1 : (5 + rowsPerStrip - 1) / rowsPerStrip;
    std::vector<uint32_t> offsets, counts;
    for (uint32_t s = 0; s < strips; ++s) {
      offsets.push_back(kDataOffset + 3 * rowsPerStrip * s);
      counts.push_back(3 * std::min(rowsPerStrip, 5 - rowsPerStrip * s));
    }
    Set(fields, {273, kLong, offsets});
    Set(fields, {279, kLong, counts});
    Set(fields, {278, kLong, {rowsPerStrip}});
    DibImage pic = Decoded(BuildTiff(fields, data));
    RowTable rows(pic);
    ASSERT_EQ(rows.rows(), 5);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 3; ++x) EXPECT_EQ(rows[y][x], data[size_t(3 * y + x)]) << x << "," << y;
  }
}

TEST(TiffRead, HostileFilesFailCleanly) {
  const std::vector<uint8_t> grey(4 * 3, 0x55);  // 4 x 3 at 8 bits
  auto greyWith = [&](std::function<void(std::vector<Field>&)> change) {
    auto fields = ImageFields(4, 3, 8, 1, 12);
    change(fields);
    return BuildTiff(fields, grey);
  };
  const auto plain = greyWith([](auto&) {});
  const std::vector<uint8_t> garbageLzw(12, 0xFF);
  const std::string text = "not a TIFF file";

  struct Case {
    const char* what;
    std::vector<uint8_t> file;
    TiffError error;
  } cases[] = {
      {"empty", {}, TiffError::CantOpen},
      {"text", std::vector<uint8_t>(text.begin(), text.end()), TiffError::CantOpen},
      {"cut inside the directory", std::vector<uint8_t>(plain.begin(), plain.begin() + 30), TiffError::CantOpen},
      {"strip running off the end of the file",
       greyWith([&](auto& f) { Set(f, {273, kLong, {uint32_t(plain.size() - 4)}}); }), TiffError::StripUnreadable},
      {"last strip shorter than its rows", greyWith([](auto& f) {
         Set(f, {278, kLong, {2}});
         Set(f, {273, kLong, {kDataOffset, kDataOffset + 8}});
         Set(f, {279, kLong, {8, 2}});
       }),
       TiffError::StripUnreadable},
      {"strip past the end", greyWith([](auto& f) { Set(f, {273, kLong, {0x7FFFFFF0}}); }),
       TiffError::StripUnreadable},
      {"zero rows a strip", greyWith([](auto& f) { Set(f, {278, kLong, {0}}); }), TiffError::CantOpen},
      {"too few strips", greyWith([](auto& f) { Set(f, {278, kLong, {1}}); }), TiffError::StripUnreadable},
      {"huge picture", greyWith([](auto& f) {
         Set(f, {256, kLong, {200000}});
         Set(f, {257, kLong, {200000}});
       }),
       TiffError::TooLarge},
      {"zero width", greyWith([](auto& f) { Set(f, {256, kLong, {0}}); }), TiffError::CantOpen},
      {"3 bits a sample", greyWith([](auto& f) { Set(f, {258, kShort, {3}}); }), TiffError::Unsupported},
      {"32 bits a sample", greyWith([](auto& f) { Set(f, {258, kShort, {32}}); }), TiffError::Unsupported},
      {"grey with 2 samples", greyWith([](auto& f) {
         Set(f, {277, kShort, {2}});
         Set(f, {258, kShort, {8, 8}});
       }),
       TiffError::Unsupported},
      {"RGB with 5 samples", greyWith([](auto& f) {
         Set(f, {262, kShort, {2}});
         Set(f, {277, kShort, {5}});
         Set(f, {258, kShort, {8, 8, 8, 8, 8}});
       }),
       TiffError::Unsupported},
      {"RGB in separate planes", greyWith([](auto& f) {
         Set(f, {262, kShort, {2}});
         Set(f, {277, kShort, {3}});
         Set(f, {258, kShort, {8, 8, 8}});
         Set(f, {284, kShort, {2}});
         Set(f, {273, kLong, {8, 8, 8}});
         Set(f, {279, kLong, {4, 4, 4}});
       }),
       TiffError::Unsupported},
      {"CMYK", greyWith([](auto& f) {
         Set(f, {262, kShort, {5}});
         Set(f, {277, kShort, {4}});
         Set(f, {258, kShort, {8, 8, 8, 8}});
       }),
       TiffError::Unsupported},
      {"floating-point samples", greyWith([](auto& f) {
         Set(f, {258, kShort, {32}});
         Set(f, {339, kShort, {3}});
       }),
       TiffError::Unsupported},
      {"4-bit palette without a colour map", greyWith([](auto& f) {
         Set(f, {262, kShort, {3}});
         Set(f, {258, kShort, {4}});
       }),
       TiffError::CantOpen},
      {"tiles", greyWith([](auto& f) {
         Drop(f, 273);
         Drop(f, 278);
         Drop(f, 279);
         Set(f, {322, kLong, {16}});
         Set(f, {323, kLong, {16}});
         Set(f, {324, kLong, {8}});
         Set(f, {325, kLong, {256}});
       }),
       TiffError::Tiled},
      {"LZW garbage", BuildTiff([] {
         auto f = ImageFields(4, 3, 8, 1, 12);
         Set(f, {259, kShort, {5}});
         return f;
       }(), garbageLzw),
       TiffError::StripUnreadable},
  };
  for (const Case& c : cases) {
    testing::internal::CaptureStderr();
    std::vector<uint8_t> block;
    TiffResult r = DecodeTiff(c.file, block);
    DibImage pic;
    ASSERT_TRUE(pic.Create(2, 2, 24));
    pic.PixelBits()[0] = 99;
    const auto before = pic.block();
    const bool loaded = bool(ReadTiffMemory(pic, c.file));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << c.what << ": libtiff prints nothing";
    EXPECT_EQ(r.error, c.error) << c.what << ": " << TiffErrorText(r.error) << ": " << r.detail;
    EXPECT_FALSE(r.detail.empty()) << c.what;
    EXPECT_TRUE(block.empty()) << c.what;
    EXPECT_FALSE(loaded) << c.what;
    EXPECT_EQ(pic.block(), before) << c.what << ": a failed load leaves the picture as it was";
  }
}

// More than 2^28 pixels are refused as soon as the size is read, before
// anything is allocated: a 3-bit file (a depth the reader does not take) at
// the limit fails for its depth, one past the limit for its size.
TEST(TiffRead, PicturesOverThePixelLimitAreRefusedFirst) {
  struct Case {
    uint32_t width, height;
    TiffError error;
  } cases[] = {{16384, 16384, TiffError::Unsupported}, {16385, 16384, TiffError::TooLarge},
               {16384, 16385, TiffError::TooLarge},    {1u << 28, 1, TiffError::Unsupported},
               {(1u << 28) + 1, 1, TiffError::TooLarge}, {1, (1u << 28) + 1, TiffError::TooLarge}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    std::vector<uint8_t> block;
    TiffResult r = DecodeTiff(BuildTiff(ImageFields(c.width, c.height, 3, 1, 4), std::vector<uint8_t>(4)), block);
    EXPECT_EQ(r.error, c.error) << r.detail;
  }
}

TEST(TiffRead, FileThatCannotBeOpened) {
  test::TempDir dir;
  DibImage pic;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(ReadTiffFile(pic, (dir / "missing.tif").string()));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_TRUE(pic.empty());
}

// --- Writing ------------------------------------------------------------------------

// The first value of `tag` in the first directory of a little-endian TIFF,
// and how many values it has.
std::pair<uint32_t, uint32_t> TagOf(const std::vector<uint8_t>& f, uint16_t tag) {
  auto u16 = [&](size_t at) { return uint32_t(f[at] | f[at + 1] << 8); };
  auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
  EXPECT_EQ(f[0], 'I');
  const size_t directory = u32(4);
  for (size_t i = 0, n = u16(directory); i < n; ++i) {
    const size_t entry = directory + 2 + 12 * i;
    if (u16(entry) != tag) continue;
    const uint32_t count = u32(entry + 4);
    const bool isShort = u16(entry + 2) == kShort;
    const size_t at = (isShort ? 2 : 4) * count <= 4 ? entry + 8 : u32(entry + 8);
    return {isShort ? u16(at) : u32(at), count};
  }
  return {0, 0};
}

// A packed bitmap of `bits` (1 or 4) bits a pixel with the given colour table
// and index (x + 2 * y) % colours at (x, y).
DibImage Paletted(int bits, const std::vector<Rgb>& colours, int width, int height) {
  return test::PalettedPicture(bits, colours, width, height, [](int x, int y) { return x + 2 * y; });
}

struct WrittenAs {
  uint32_t photometric, bits, samples;
};

void ExpectRoundTrip(DibImage& pic, WrittenAs as, bool sameBlock) {
  std::vector<uint8_t> file;
  TiffResult r = EncodeTiff(pic, file);
  ASSERT_TRUE(r) << r.detail;
  EXPECT_EQ(TagOf(file, 262).first, as.photometric);
  EXPECT_EQ(TagOf(file, 258).first, as.bits);
  EXPECT_EQ(TagOf(file, 277).first, as.samples);
  EXPECT_EQ(TagOf(file, 259).first, 5u) << "LZW";
  DibImage back;
  ASSERT_TRUE(ReadTiffMemory(back, file));
  ASSERT_EQ(back.width(), pic.width());
  ASSERT_EQ(back.height(), pic.height());
  if (sameBlock) {
    EXPECT_EQ(back.block(), pic.block());
  }
  EXPECT_TRUE(PictureRgb(back) == PictureRgb(pic));
}

TEST(TiffWrite, RoundTripsExactly) {
  {
    SCOPED_TRACE("24-bit colour in several strips");
    DibImage colour;
    ASSERT_TRUE(colour.Create(151, 100, 24));
    RowTable rows(colour);
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 151 * 3; ++x) rows[y][x] = uint8_t(x * 7 + y * 3 + x * y);
    ExpectRoundTrip(colour, {2, 8, 3}, true);
    std::vector<uint8_t> file;
    ASSERT_TRUE(EncodeTiff(colour, file));
    EXPECT_GT(TagOf(file, 273).second, 1u) << "strips";
  }
  {
    SCOPED_TRACE("8-bit grey");
    DibImage grey;
    ASSERT_TRUE(grey.Create(37, 5, 8));
    RowTable rows(grey);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 37; ++x) rows[y][x] = uint8_t(x * 7 + y * 50);
    ASSERT_TRUE(grey.BuildPalette());
    ExpectRoundTrip(grey, {1, 8, 1}, true);

    SCOPED_TRACE("8-bit with colours");
    for (int i = 0; i < 256; ++i) {
      uint8_t* e = grey.block().data() + 40 + 4 * i;
      e[0] = uint8_t(255 - i);
      e[1] = uint8_t(i * 3);
    }
    ASSERT_TRUE(grey.BuildPalette());
    ExpectRoundTrip(grey, {3, 8, 1}, true);
  }
  {
    SCOPED_TRACE("1-bit black and white, 4-bit colours");
    DibImage bw = Paletted(1, {{0, 0, 0}, {255, 255, 255}}, 21, 6);
    ExpectRoundTrip(bw, {1, 1, 1}, false);
    DibImage four = Paletted(4, {{200, 30, 40}, {20, 180, 60}, {30, 40, 220}, {240, 230, 20}, {1, 2, 3}}, 13, 7);
    ExpectRoundTrip(four, {3, 4, 1}, false);
  }
}

TEST(TiffWrite, FailedSavesLeaveTheOldFile) {
  test::TempDir dir;
  const std::string path = (dir / "keep.tif").string();
  test::WriteText(path, "the old picture");

  DibImage sixteen;
  ASSERT_TRUE(sixteen.Create(4, 4, 16));
  std::vector<uint8_t> file;
  EXPECT_EQ(EncodeTiff(sixteen, file).error, TiffError::UnsupportedDepth);
  EXPECT_EQ(EncodeTiff(DibImage(), file).error, TiffError::UnsupportedDepth);
  EXPECT_FALSE(WriteTiffFile(sixteen, path));
  EXPECT_EQ(test::ReadText(path), "the old picture");

  DibImage good;
  ASSERT_TRUE(good.Create(8, 8, 24));
  EXPECT_FALSE(WriteTiffFile(good, (dir / "missing" / "x.tif").string()));

  ASSERT_TRUE(WriteTiffFile(good, path));
  DibImage back;
  ASSERT_TRUE(ReadTiffFile(back, path));
  EXPECT_EQ(back.block(), good.block());
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
      << "no temporary files left behind";
}

}  // namespace
}  // namespace lumora
