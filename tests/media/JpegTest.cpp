// JPEG codec: decoding compared pixel for pixel with djpeg's output, colour
// spaces that must be refused, damaged, cut off and hostile files, round trips within a
// quality bound, and saves that fail without harming an existing file.
//
// Samples in tests/media/samples, made from a 37 x 29 test picture
// (photo.ppm: gradients with a disc) with libjpeg-turbo 2.1.5's tools and
// ImageMagick 6.9:
//   cjpeg -outfile jpeg_photo_420.jpg photo.ppm                 (defaults: quality 75, 4:2:0)
//   convert photo.ppm -sampling-factor 1x1 -quality 90 jpeg_photo_444.jpg
//   jpegtran -progressive -outfile jpeg_photo_progressive.jpg jpeg_photo_420.jpg
//   cjpeg -grayscale -outfile jpeg_grey.jpg photo.ppm
//   convert photo.ppm -colorspace CMYK jpeg_cmyk.jpg
//   djpeg -ppm -outfile X.ppm X.jpg           (the expected pixels; the grey one
//                                             repacked as PPM by convert -depth 8)
#include "media/codecs/Jpeg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
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

double Psnr(const DibImage& a, const DibImage& b) {
  const RgbImage p = PictureRgb(a), q = PictureRgb(b);
  EXPECT_EQ(p.rgb.size(), q.rgb.size());
  double squares = 0;
  for (size_t i = 0; i < p.rgb.size() && i < q.rgb.size(); ++i) squares += std::pow(p.rgb[i] - q.rgb[i], 2);
  const double mse = squares / double(p.rgb.size());
  return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

// --- Decoding -------------------------------------------------------------------

struct DjpegCase {
  const char* jpeg;
  const char* expected;  // djpeg's output for the same file
  bool grey = false;
};

class JpegMatchesDjpeg : public testing::TestWithParam<DjpegCase> {};

TEST_P(JpegMatchesDjpeg, PixelForPixel) {
  DibImage pic;
  ASSERT_TRUE(ReadJpegFile(pic, Sample(GetParam().jpeg).string()));
  const auto want = test::ReadPpm(Sample(GetParam().expected));
  ASSERT_TRUE(want);
  EXPECT_TRUE(PictureRgb(pic) == *want) << "pixels differ from djpeg's";
  if (!GetParam().grey) {
    EXPECT_EQ(pic.BitCount(), 24);
    return;
  }
  // Grey pictures keep the level as the index, over the grey ramp, with the palette built.
  ASSERT_EQ(pic.BitCount(), 8);
  EXPECT_TRUE(pic.palette().has_value());
  RowTable rows(pic);
  int wrong = 0;
  for (int y = 0; y < want->height; ++y)
    for (int x = 0; x < want->width; ++x) wrong += rows[y][x] != want->rgb[(size_t(y) * want->width + x) * 3];
  EXPECT_EQ(wrong, 0) << "indices that are not the grey level";
}

INSTANTIATE_TEST_SUITE_P(Samples, JpegMatchesDjpeg,
                         testing::Values(DjpegCase{"jpeg_photo_420.jpg", "jpeg_photo_420.ppm"},
                                         DjpegCase{"jpeg_photo_444.jpg", "jpeg_photo_444.ppm"},
                                         // The same coefficients sent progressively.
                                         DjpegCase{"jpeg_photo_progressive.jpg", "jpeg_photo_420.ppm"},
                                         DjpegCase{"jpeg_grey.jpg", "jpeg_grey.ppm", true}),
                         [](const testing::TestParamInfo<DjpegCase>& info) {
                           std::string name = info.param.jpeg;
                           return name.substr(5, name.size() - 9);  // without "jpeg_" and ".jpg"
                         });

TEST(JpegDecode, MemoryAndResourceDecodeLikeTheFile) {
  const auto bytes = FileBytes(Sample("jpeg_photo_420.jpg"));
  DibImage fromFile, fromMemory, fromResource;
  ASSERT_TRUE(ReadJpegFile(fromFile, Sample("jpeg_photo_420.jpg").string()));
  ASSERT_TRUE(ReadJpegMemory(fromMemory, bytes));
  EXPECT_EQ(fromMemory.block(), fromFile.block());

  // A resource is decoded where it lies: no "jpeg.jpg" appears in the current folder.
  test::TempDir dir;
  const fs::path before = fs::current_path();
  fs::current_path(dir.path());
  const bool resourceResult = bool(ReadJpegResource(fromResource, bytes));
  fs::current_path(before);
  ASSERT_TRUE(resourceResult);
  EXPECT_EQ(fromResource.block(), fromFile.block());
  EXPECT_TRUE(fs::is_empty(dir.path()));

  EXPECT_FALSE(ReadJpegResource(fromResource, {})) << "a missing resource";
  EXPECT_EQ(fromResource.block(), fromFile.block());
}

// The picture each failing load must leave alone.
DibImage Previous() {
  DibImage pic;
  pic.Create(3, 2, 24);
  pic.PixelBits()[0] = 99;
  return pic;
}

TEST(JpegDecode, CmykIsRefusedAndThePictureKept) {
  const auto cmyk = FileBytes(Sample("jpeg_cmyk.jpg"));
  std::vector<uint8_t> block;
  JpegResult r = DecodeJpeg(cmyk, block);
  EXPECT_EQ(r.error, JpegError::UnsupportedColours) << r.detail;
  EXPECT_TRUE(block.empty());

  DibImage pic = Previous();
  const auto before = pic.block();
  EXPECT_FALSE(ReadJpegFile(pic, Sample("jpeg_cmyk.jpg").string()));
  EXPECT_EQ(pic.block(), before);
  EXPECT_EQ(pic.width(), 3);
}

// Offset of the first byte after the marker segment `marker` (0xFFxx) and its length field.
size_t SegmentBody(const std::vector<uint8_t>& jpeg, uint8_t marker) {
  for (size_t i = 2; i + 4 <= jpeg.size();) {
    if (jpeg[i] != 0xFF) return 0;
    if (jpeg[i + 1] == marker) return i + 4;
    i += 2 + (size_t(jpeg[i + 2]) << 8 | jpeg[i + 3]);
  }
  return 0;
}

TEST(JpegDecode, DamagedFilesFailCleanly) {
  const auto good = FileBytes(Sample("jpeg_photo_420.jpg"));
  const size_t scan = SegmentBody(good, 0xDA);
  ASSERT_GT(scan, 0u);
  auto cut = [&](size_t n) { return std::vector<uint8_t>(good.begin(), good.begin() + long(n)); };
  std::vector<uint8_t> flipped = good;
  flipped[0] = 0x00;  // no start-of-image marker
  const std::string text = "this is not a picture at all";

  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    JpegError error;
  } cases[] = {
      {"empty", {}, JpegError::Library},
      {"text", std::vector<uint8_t>(text.begin(), text.end()), JpegError::Library},
      {"no start marker", flipped, JpegError::Library},
      {"cut inside the headers", cut(scan / 2), JpegError::Damaged},
      {"cut at the start of the scan", cut(scan + 12), JpegError::Damaged},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> block;
    testing::internal::CaptureStderr();
    JpegResult r = DecodeJpeg(c.bytes, block);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << c.what << ": the library prints nothing";
    EXPECT_EQ(r.error, c.error) << c.what << ": " << r.detail;
    EXPECT_FALSE(r.detail.empty()) << c.what;
    EXPECT_TRUE(block.empty()) << c.what;

    DibImage pic = Previous();
    const auto before = pic.block();
    EXPECT_FALSE(ReadJpegMemory(pic, c.bytes)) << c.what;
    EXPECT_EQ(pic.block(), before) << c.what << ": a failed load leaves the picture as it was";
  }
}

// A 96 x 64 picture with detail in every block, so that each row of blocks
// takes many bytes of coded data.
DibImage Detailed() {
  DibImage pic;
  pic.Create(96, 64, 24);
  RowTable rows(pic);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 96; ++x)
      for (int c = 0; c < 3; ++c) rows[y][3 * x + c] = uint8_t((x * x * 7 + x * y * 5 + y * 13 * c + 50 * c) % 256);
  return pic;
}

// A file cut off or damaged after its first rows loads as ImageMagick (over
// the same library) shows it; one missing only its end marker loads whole.
TEST(JpegDecode, CutAndDamagedFilesLoadAsOtherViewersShowThem) {
  test::TempDir dir;
  DibImage colour = Detailed(), grey;
  ASSERT_TRUE(grey.Create(96, 64, 8));
  std::memcpy(grey.PixelBits(), colour.PixelBits(), 96 * 64);
  std::vector<uint8_t> colourFile, greyFile;
  ASSERT_TRUE(EncodeJpeg(colour, colourFile));
  ASSERT_TRUE(EncodeJpeg(grey, greyFile));
  test::WriteBytes(dir / "colour.jpg", colourFile);
  test::WriteBytes(dir / "grey.jpg", greyFile);
  ASSERT_TRUE(test::Convert(test::Quoted(dir / "colour.jpg") + " -interlace JPEG " +
                            test::Quoted(dir / "progressive.jpg")));

  for (const char* name : {"colour.jpg", "grey.jpg", "progressive.jpg"}) {
    const auto bytes = FileBytes(dir / name);
    DibImage whole;
    ASSERT_TRUE(ReadJpegMemory(whole, bytes)) << name;
    std::vector<uint8_t> garbled = bytes;  // a run of bytes in the middle of the data overwritten
    std::fill(garbled.begin() + long(bytes.size() / 2), garbled.begin() + long(bytes.size() / 2 + 40), 0x5A);
    struct Variant {
      const char* what;
      std::vector<uint8_t> bytes;
    } variants[] = {{"without its end marker", {bytes.begin(), bytes.end() - 2}},
                    {"cut halfway", {bytes.begin(), bytes.begin() + long(bytes.size() / 2)}},
                    {"cut at three quarters", {bytes.begin(), bytes.begin() + long(bytes.size() * 3 / 4)}},
                    {"garbled halfway", garbled}};
    for (const Variant& v : variants) {
      SCOPED_TRACE(testing::Message() << name << " " << v.what);
      const fs::path path = dir / (v.what + std::string(" ") + name);
      test::WriteBytes(path, v.bytes);
      DibImage pic;
      testing::internal::CaptureStderr();
      ASSERT_TRUE(ReadJpegFile(pic, path.string()));
      EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
      const auto reference = test::MagickPixels(path);
      ASSERT_TRUE(reference);
      EXPECT_TRUE(PictureRgb(pic) == *reference) << "pixels differ from ImageMagick's";
      if (v.bytes.size() == bytes.size() - 2) {
        EXPECT_EQ(pic.block(), whole.block()) << "every row is there";
      }

      DibImage thumbnail;
      int fullWidth = 0, fullHeight = 0;
      EXPECT_TRUE(ReadJpegFileReduced(thumbnail, path.string(), 24, 16, fullWidth, fullHeight));
      EXPECT_EQ(thumbnail.width(), 24);
      EXPECT_EQ(fullHeight, 64);
    }
  }
  // A single-scan file cut halfway keeps its top row; the library fills the
  // blocks past the cut flat mid-grey.
  DibImage whole, half;
  ASSERT_TRUE(ReadJpegMemory(whole, colourFile));
  ASSERT_TRUE(ReadJpegMemory(half, {colourFile.data(), colourFile.size() / 2}));
  const RgbImage wholeRgb = PictureRgb(whole), halfRgb = PictureRgb(half);
  EXPECT_TRUE(std::equal(halfRgb.rgb.begin(), halfRgb.rgb.begin() + 96 * 3, wholeRgb.rgb.begin()));
  EXPECT_EQ(std::count(halfRgb.rgb.end() - 96 * 3, halfRgb.rgb.end(), 128), 96 * 3);
}

// `jpeg` with the picture size in its frame header replaced.
std::vector<uint8_t> Resized(std::vector<uint8_t> jpeg, uint16_t width, uint16_t height) {
  size_t frame = 0;
  for (uint8_t marker : {0xC0, 0xC1, 0xC2}) frame = frame ? frame : SegmentBody(jpeg, marker);
  EXPECT_GT(frame, 0u) << "no frame header";
  jpeg[frame + 1] = uint8_t(height >> 8);
  jpeg[frame + 2] = uint8_t(height);
  jpeg[frame + 3] = uint8_t(width >> 8);
  jpeg[frame + 4] = uint8_t(width);
  return jpeg;
}

TEST(JpegDecode, OversizedPicturesAreRefusedBeforeDecoding) {
  auto bytes = FileBytes(Sample("jpeg_photo_420.jpg"));
  std::vector<uint8_t> block;
  // 37 x 29 at 24 bits needs 40 + 112 * 29 bytes.
  EXPECT_EQ(DecodeJpeg(bytes, block, 40 + 112 * 29).error, JpegError::None);
  EXPECT_EQ(DecodeJpeg(bytes, block, 40 + 112 * 29 - 1).error, JpegError::TooLarge);

  // A frame header claiming 65000 x 65000 pixels (12 GB): refused by size.
  const size_t frame = SegmentBody(bytes, 0xC0);
  ASSERT_GT(frame, 0u);
  for (size_t at : {frame + 1, frame + 3}) {
    bytes[at] = 65000 >> 8;
    bytes[at + 1] = 65000 & 0xFF;
  }
  block.clear();
  JpegResult r = DecodeJpeg(bytes, block);
  EXPECT_EQ(r.error, JpegError::TooLarge) << r.detail;
  EXPECT_NE(r.detail.find("65000"), std::string::npos) << r.detail;

  // More than 2^28 pixels are refused as soon as the header is read, before
  // the colour space is looked at and before anything is allocated, at full
  // and at reduced scale: a CMYK file at the limit fails for its colours, one
  // past it for its size. (The library takes at most 65500 pixels a side.)
  struct Case {
    uint16_t width, height;
    JpegError error;
  } cases[] = {{16384, 16384, JpegError::UnsupportedColours}, {16385, 16384, JpegError::TooLarge},
               {16384, 16385, JpegError::TooLarge},           {65500, 4098, JpegError::UnsupportedColours},
               {65500, 4099, JpegError::TooLarge}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    std::vector<uint8_t> cmyk = Resized(FileBytes(Sample("jpeg_cmyk.jpg")), c.width, c.height);
    int fullWidth = 0, fullHeight = 0;
    EXPECT_EQ(DecodeJpeg(cmyk, block).error, c.error);
    EXPECT_EQ(DecodeJpegReduced(cmyk, 58, 42, block, fullWidth, fullHeight).error, c.error);
  }

  // A progressive picture keeps all its coefficients at full size even when
  // it is decoded at 1/8: at 16384 x 16384 that is 768 MB, refused when the
  // caller allows a 16 MB picture, before the library allocates it (the data
  // of the 37 x 29 sample would fail later, in the first row).
  const auto progressive = Resized(FileBytes(Sample("jpeg_photo_progressive.jpg")), 16384, 16384);
  int fullWidth = 0, fullHeight = 0;
  r = DecodeJpegReduced(progressive, 2048, 2048, block, fullWidth, fullHeight, size_t(16) << 20);
  EXPECT_EQ(r.error, JpegError::TooLarge) << r.detail;
}

TEST(JpegDecode, EndlessProgressiveScansAreCutOff) {
  // The first scan of the progressive sample (with the Huffman table before
  // it) repeated 600 times: the decoder stops at the scan limit instead of
  // reading scans for ever.
  const auto progressive = FileBytes(Sample("jpeg_photo_progressive.jpg"));
  size_t table = SegmentBody(progressive, 0xC4), scan = SegmentBody(progressive, 0xDA);
  ASSERT_GT(table, 0u);
  ASSERT_LT(table, scan);
  size_t next = scan;  // the marker after the scan's data
  while (next + 1 < progressive.size() &&
         !(progressive[next] == 0xFF && progressive[next + 1] != 0 && (progressive[next + 1] & 0xF8) != 0xD0))
    ++next;
  const auto first = progressive.begin() + long(table - 4), afterScan = progressive.begin() + long(next);
  std::vector<uint8_t> many(progressive.begin(), afterScan);
  for (int i = 0; i < 600; ++i) many.insert(many.end(), first, afterScan);
  many.insert(many.end(), {0xFF, 0xD9});

  std::vector<uint8_t> block;
  JpegResult r = DecodeJpeg(many, block);
  EXPECT_EQ(r.error, JpegError::TooManyScans) << r.detail;
}

// --- Encoding -------------------------------------------------------------------

// A smooth 64 x 48 colour picture: what JPEG codes well.
DibImage SmoothColour() {
  DibImage pic;
  pic.Create(64, 48, 24);
  RowTable rows(pic);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) {
      rows[y][3 * x] = uint8_t(40 + 3 * x);  // blue
      rows[y][3 * x + 1] = uint8_t(200 - 2 * y);
      rows[y][3 * x + 2] = uint8_t(60 + x + 2 * y);
    }
  return pic;
}

DibImage SmoothGrey() {
  DibImage pic;
  pic.Create(64, 48, 8);
  RowTable rows(pic);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) rows[y][x] = uint8_t(2 * x + 2 * y);
  pic.BuildPalette();
  return pic;
}

DibImage RoundTrip(const DibImage& pic) {
  std::vector<uint8_t> file;
  JpegResult r = EncodeJpeg(pic, file);
  EXPECT_TRUE(r) << r.detail;
  DibImage back;
  EXPECT_TRUE(ReadJpegMemory(back, file));
  return back;
}

TEST(JpegEncode, RoundTripsWithinTheQualityBound) {
  DibImage colour = SmoothColour();
  DibImage colourBack = RoundTrip(colour);
  ASSERT_EQ(colourBack.BitCount(), 24);
  ASSERT_EQ(colourBack.width(), 64);
  EXPECT_GT(Psnr(colour, colourBack), 30.0) << "blue, green and red land in their places";

  DibImage grey = SmoothGrey();
  DibImage greyBack = RoundTrip(grey);
  ASSERT_EQ(greyBack.BitCount(), 8) << "a grey picture is written as one grey component";
  EXPECT_GT(Psnr(grey, greyBack), 30.0);
}

// A packed bitmap of `bits` (1 or 4) bits a pixel with the given colour table,
// filled with 16 x 16 squares (whole colour blocks of the JPEG) of index
// (x / 16 + y / 16) % colours.
DibImage Paletted(int bits, const std::vector<std::array<uint8_t, 3>>& colours, int width = 64, int height = 32) {
  return test::PalettedPicture(bits, colours, width, height, [](int x, int y) { return x / 16 + y / 16; });
}

TEST(JpegEncode, PicturesWithAColourTableGoThroughIt) {
  // A black-and-white 1-bit picture: grey, so written as one grey component.
  DibImage bw = Paletted(1, {{0, 0, 0}, {255, 255, 255}});
  DibImage bwBack = RoundTrip(bw);
  EXPECT_EQ(bwBack.BitCount(), 8);
  EXPECT_GT(Psnr(bw, bwBack), 30.0);

  // A 4-bit picture with colours: written as colour through its table. The
  // colour edges blur (the colour planes are coded at half size), so the
  // middle of each square is compared.
  DibImage four = Paletted(4, {{200, 30, 40}, {20, 180, 60}, {30, 40, 220}, {240, 230, 20}});
  DibImage fourBack = RoundTrip(four);
  EXPECT_EQ(fourBack.BitCount(), 24);
  const RgbImage want = PictureRgb(four), got = PictureRgb(fourBack);
  for (int y = 8; y < four.height(); y += 16)
    for (int x = 8; x < four.width(); x += 16)
      for (int c = 0; c < 3; ++c) {
        const size_t at = (size_t(y) * 64 + x) * 3 + c;
        EXPECT_NEAR(got.rgb[at], want.rgb[at], 6) << x << "," << y;
      }

  // An 8-bit picture whose table is not the grey ramp: its colours, not its indices.
  DibImage tinted = SmoothGrey();
  for (int i = 0; i < 256; ++i) {
    uint8_t* e = tinted.block().data() + 40 + 4 * i;
    e[0] = uint8_t(255 - i);  // blue falls as red rises
    e[1] = uint8_t(i / 2);
    e[2] = uint8_t(i);
  }
  DibImage tintedBack = RoundTrip(tinted);
  EXPECT_EQ(tintedBack.BitCount(), 24);
  EXPECT_GT(Psnr(tinted, tintedBack), 30.0);

  // A reversed grey ramp is still grey: written as levels, shown the same.
  DibImage reversed = SmoothGrey();
  for (int i = 0; i < 256; ++i) std::memset(reversed.block().data() + 40 + 4 * i, 255 - i, 3);
  DibImage reversedBack = RoundTrip(reversed);
  EXPECT_EQ(reversedBack.BitCount(), 8);
  EXPECT_GT(Psnr(reversed, reversedBack), 30.0);

  DibImage sixteen;
  ASSERT_TRUE(sixteen.Create(4, 4, 16));
  std::vector<uint8_t> file;
  EXPECT_EQ(EncodeJpeg(sixteen, file).error, JpegError::UnsupportedDepth);
  EXPECT_EQ(EncodeJpeg(DibImage(), file).error, JpegError::UnsupportedDepth);
}

TEST(JpegWrite, FailedSavesLeaveTheOldFile) {
  test::TempDir dir;
  const std::string path = (dir / "keep.jpg").string();
  test::WriteText(path, "the old picture");

  // Wider than JPEG allows: the library's error comes back as a failed save.
  DibImage tooWide;
  ASSERT_TRUE(tooWide.Create(65501, 1, 24));
  std::vector<uint8_t> file;
  JpegResult r = EncodeJpeg(tooWide, file);
  EXPECT_EQ(r.error, JpegError::Library);
  EXPECT_NE(r.detail.find("65500"), std::string::npos) << r.detail;
  EXPECT_FALSE(WriteJpegFile(tooWide, path));
  EXPECT_EQ(test::ReadText(path), "the old picture");

  DibImage sixteen;
  ASSERT_TRUE(sixteen.Create(4, 4, 16));
  EXPECT_FALSE(WriteJpegFile(sixteen, path));
  EXPECT_EQ(test::ReadText(path), "the old picture");

  DibImage good = SmoothColour();
  EXPECT_FALSE(WriteJpegFile(good, (dir / "missing" / "x.jpg").string())) << "a folder that does not exist";
  fs::create_directory(dir / "folder.jpg");
  EXPECT_FALSE(WriteJpegFile(good, (dir / "folder.jpg").string())) << "a folder in the way";
  EXPECT_TRUE(fs::is_directory(dir / "folder.jpg"));

  ASSERT_TRUE(WriteJpegFile(good, path));
  DibImage back;
  EXPECT_TRUE(ReadJpegFile(back, path));
  EXPECT_EQ(back.width(), 64);
  // Nothing but the saved file and the folder: no temporary files left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

}  // namespace
}  // namespace lumora
