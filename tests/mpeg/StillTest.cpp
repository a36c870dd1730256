// The decoder object's and the still routines' behaviour at the edges: the
// stream probe, picture counting, the item-list variant's count test, the
// byte layouts of the output formats, the colour conversion rows, and the
// recording trailer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "mpeg/MpegStill.h"
#include "mpeg/MpegStillDecoder.h"
#include "tests/TempDir.h"
#include "tests/mpeg/FfmpegStreams.h"
#include "tests/mpeg/StreamWriter.h"

namespace lumora::mpeg {
namespace {

using test::MakeStream;
using test::ReadAll;

void WriteBytes(const std::filesystem::path& p, const std::vector<uint8_t>& bytes) {
  std::ofstream out(p, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

// Streams shared by the tests of this file, made once.
class StillStreams : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new lumora::test::TempDir();
    MakeStream(Path("sif.m1v"), "352x240", 12, "-c:v mpeg1video -q:v 4 -g 5 -bf 2");
    MakeStream(Path("one.m2v"), "352x240", 1, "-c:v mpeg2video -q:v 4");
    MakeStream(Path("two-groups.m2v"), "320x240", 12, "-c:v mpeg2video -q:v 4 -g 5 -bf 0");
    MakeStream(Path("pack.mpg"), "352x240", 12, "-c:v mpeg2video -q:v 4 -g 5 -f vob");
    MakeStream(Path("c422.m2v"), "352x240", 3, "-c:v mpeg2video -q:v 4 -pix_fmt yuv422p");
    MakeStream(Path("odd.m2v"), "202x120", 3, "-c:v mpeg2video -q:v 4");
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static std::filesystem::path Path(const std::string& name) { return *dir_ / name; }
  static std::string P(const std::string& name) { return Path(name).string(); }

  static lumora::test::TempDir* dir_;
};
lumora::test::TempDir* StillStreams::dir_ = nullptr;

TEST_F(StillStreams, ProbeTellsStreamKindsApart) {
  // A transport stream's sync byte first: refused with -9.
  WriteBytes(Path("ts.bin"), {0x47, 0x40, 0x00, 0x10, 0x00, 0x00, 0x01, 0xB3});
  // A first start code that is neither a sequence header, a pack header nor video stream 0xE0.
  WriteBytes(Path("gop-first.bin"), {0x00, 0x00, 0x01, 0xB8, 0x00, 0x08, 0x00, 0x40});
  WriteBytes(Path("no-code.bin"), {0x12, 0x34, 0x56});
  // Junk, then the program stream of a real file.
  std::vector<uint8_t> junkThenPack = {0x12, 0x34};
  std::vector<uint8_t> pack = ReadAll(Path("pack.mpg"));
  ASSERT_EQ(pack.size() > 4 && pack[3] == 0xBA, true) << "ffmpeg's program stream starts with a pack header";
  junkThenPack.insert(junkThenPack.end(), pack.begin(), pack.end());
  WriteBytes(Path("junk-pack.mpg"), junkThenPack);

  struct Case {
    const char* file;
    int code;
  } cases[] = {{"ts.bin", kErrUnsupported}, {"gop-first.bin", kErrStream}, {"no-code.bin", kErrStream},
               {"missing.m2v", kErrOpen},   {"pack.mpg", kOk},           {"junk-pack.mpg", kOk},
               {"sif.m1v", kOk}};
  for (const Case& c : cases) {
    MpegStillDecoder d;
    EXPECT_EQ(d.Open(P(c.file)), c.code) << c.file;
    EXPECT_EQ(d.state(), c.code == kOk ? kOk : kStateClosed) << c.file;
    if (c.code != kOk) continue;
    EXPECT_EQ(d.DecodePicture(), kOk) << c.file;
    EXPECT_EQ(d.LastPictureHeader().codingType, kPictureI) << c.file;
  }
}

TEST_F(StillStreams, DecoderStatesFollowOpenAndClose) {
  MpegStillDecoder d;
  EXPECT_EQ(d.state(), kStateClosed);
  EXPECT_EQ(d.DecodePicture(), kErrState);
  EXPECT_EQ(d.CountPictures(), kErrState);
  std::vector<uint8_t> buffer(16);
  int w, h;
  EXPECT_EQ(d.FetchPicture(buffer, w, h, kFormatLuma), 0u);
  EXPECT_EQ(d.error(), kErrState);
  ASSERT_EQ(d.Open(P("sif.m1v")), kOk);
  EXPECT_EQ(d.Open(P("sif.m1v")), kErrState) << "an open decoder is not opened again";
  // Nothing decoded yet: nothing to fetch.
  EXPECT_EQ(d.FetchPicture(buffer, w, h, kFormatLuma), 0u);
  ASSERT_EQ(d.DecodePicture(), kOk);
  EXPECT_EQ(d.FetchPicture(buffer, w, h, kFormatLuma), 0u) << "a buffer smaller than the picture is refused";
  buffer.resize(d.PictureBytes(kFormatBmp));
  EXPECT_EQ(d.FetchPicture(buffer, w, h, 3), 0u);
  EXPECT_EQ(d.error(), kErrState) << "format 3 is not an output format";
  d.Close();
  EXPECT_EQ(d.state(), kStateClosed);
  EXPECT_EQ(d.DecodePicture(), kErrState);
}

TEST_F(StillStreams, DecodesPicturesInDecodingOrderToTheEnd) {
  MpegStillDecoder d;
  ASSERT_EQ(d.Open(P("sif.m1v")), kOk);
  int pictures = 0, r;
  std::vector<int> types;
  while ((r = d.DecodePicture()) == kOk) types.push_back(d.LastPictureHeader().codingType), ++pictures;
  EXPECT_EQ(r, kErrState) << "the end of the stream";
  EXPECT_EQ(pictures, 12);
  ASSERT_GE(types.size(), 3u);
  EXPECT_EQ(types[0], kPictureI);
  EXPECT_EQ(types[1], kPictureP);
  EXPECT_EQ(types[2], kPictureB);
}

TEST_F(StillStreams, CountPicturesUsesTheLastGroupAndKeepsThePosition) {
  MpegStillDecoder d;
  ASSERT_EQ(d.Open(P("two-groups.m2v")), kOk);
  EXPECT_EQ(d.firstPicture(), 0);
  EXPECT_EQ(d.lastPicture(), -1) << "not counted yet";
  ASSERT_EQ(d.CountPictures(), kOk);
  EXPECT_EQ(d.lastPicture(), 10) << "12 pictures in groups of 5: the last group starts at picture 10";
  EXPECT_EQ(d.bytesPerPicture(), int64_t(std::filesystem::file_size(Path("two-groups.m2v"))) / 11);
  // The reading position was restored: the first picture is still next.
  ASSERT_EQ(d.DecodePicture(), kOk);
  EXPECT_EQ(d.LastPictureHeader().codingType, kPictureI);
  EXPECT_EQ(d.LastPictureHeader().temporalReference, 0);
}

TEST_F(StillStreams, TimeCodeGoingBackwardsGivesLastPictureMinusOne) {
  std::vector<uint8_t> bytes = ReadAll(Path("two-groups.m2v"));
  // The first group's time code becomes 1:00:00, after every later group.
  const uint8_t groupCode[] = {0, 0, 1, 0xB8};
  auto at = std::search(bytes.begin(), bytes.end(), std::begin(groupCode), std::end(groupCode));
  ASSERT_NE(at, bytes.end());
  at[4] = uint8_t(at[4] | 0x04);  // hours: bits 1-5 of the first byte
  WriteBytes(Path("backwards.m2v"), bytes);
  MpegStillDecoder d;
  ASSERT_EQ(d.Open(P("backwards.m2v")), kOk);
  EXPECT_EQ(d.firstPicture(), 3600 * 25);
  EXPECT_EQ(d.CountPictures(), kErrStream);
  EXPECT_EQ(d.lastPicture(), -1);
  EXPECT_EQ(d.error(), kErrStream);
  EXPECT_EQ(d.DecodePicture(), kOk) << "the count's failure does not stop decoding";
}

TEST_F(StillStreams, OnePictureStreamPassesOnlyTheInformationVariant) {
  DibImage info, thumb;
  EXPECT_EQ(MpegStillBitmap(P("one.m2v"), StillVariant::Information, info), kOk);
  EXPECT_EQ(info.width(), 352);
  EXPECT_EQ(info.height(), 240);
  EXPECT_EQ(info.BitCount(), 24);
  EXPECT_EQ(MpegStillBitmap(P("one.m2v"), StillVariant::ItemList, thumb), kErrStream);
  EXPECT_TRUE(thumb.empty());
  EXPECT_EQ(MpegStillBitmap(P("two-groups.m2v"), StillVariant::ItemList, thumb), kOk);
  EXPECT_EQ(MpegStillBitmap(P("no-such.m2v"), StillVariant::Information, thumb), kErrOpen)
      << "a missing file: the decoder's code comes back";
}

TEST_F(StillStreams, NoDecodablePictureMeansNoBitmap) {
  // A sequence header and a group of pictures, then nothing: the decoder
  // opens, but there is no first picture to convert.
  test::BitWriter w;
  test::WriteSequence(w, test::TestSequence{});
  WriteBytes(Path("empty.m2v"), w.Finish());
  DibImage picture;
  ASSERT_TRUE(picture.Create(4, 4, 24));
  EXPECT_EQ(MpegStillBitmap(P("empty.m2v"), StillVariant::Information, picture), kErrState);
  EXPECT_EQ(picture.width(), 4) << "the picture is left as it was";
}

TEST_F(StillStreams, BmpOfSifPictureHasTheExactLayout) {
  std::vector<uint8_t> bmp;
  int w, h;
  ASSERT_EQ(DecodeFirstPicture(P("sif.m1v"), StillVariant::Information, kFormatBmp, bmp, w, h), kOk);
  ASSERT_EQ(bmp.size(), 253494u);  // 352 x 240 x 3 + 54
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
  EXPECT_EQ(Le32(&bmp[2]), 253494u);
  EXPECT_EQ(Le32(&bmp[6]), 0u);
  EXPECT_EQ(Le32(&bmp[10]), 54u);
  EXPECT_EQ(Le32(&bmp[14]), 40u);
  EXPECT_EQ(Le32(&bmp[18]), 352u);
  EXPECT_EQ(Le32(&bmp[22]), 240u);
  EXPECT_EQ(Le16(&bmp[26]), 1u);
  EXPECT_EQ(Le16(&bmp[28]), 24u);
  EXPECT_EQ(Le32(&bmp[30]), 0u);
  EXPECT_EQ(Le32(&bmp[34]), 352u * 240 * 3);
  EXPECT_EQ(Le32(&bmp[38]), 200u);
  EXPECT_EQ(Le32(&bmp[42]), 200u);
  EXPECT_EQ(Le32(&bmp[46]), 0u);
  EXPECT_EQ(Le32(&bmp[50]), 0u);

  // The same pixels as the Targa file (top-down) and the pixmap (RGB).
  std::vector<uint8_t> tga, ppm;
  ASSERT_EQ(DecodeFirstPicture(P("sif.m1v"), StillVariant::Information, kFormatTarga, tga, w, h), kOk);
  ASSERT_EQ(DecodeFirstPicture(P("sif.m1v"), StillVariant::Information, kFormatPpm, ppm, w, h), kOk);
  const uint8_t tgaHeader[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 352 & 255, 352 >> 8, 240, 0, 24, 0x20};
  ASSERT_EQ(tga.size(), 352u * 240 * 3 + 18);
  EXPECT_EQ(std::memcmp(tga.data(), tgaHeader, 18), 0);
  const std::string ppmHeader = "P6\n352 240\n255\n";
  ASSERT_EQ(ppm.size(), ppmHeader.size() + 352u * 240 * 3);
  EXPECT_EQ(std::string(ppm.begin(), ppm.begin() + long(ppmHeader.size())), ppmHeader);
  for (int row : {0, 117, 239}) {
    const uint8_t* b = &bmp[54 + size_t(239 - row) * 352 * 3];
    const uint8_t* t = &tga[18 + size_t(row) * 352 * 3];
    const uint8_t* p = &ppm[ppmHeader.size() + size_t(row) * 352 * 3];
    EXPECT_EQ(std::memcmp(b, t, 352 * 3), 0) << "row " << row;
    for (int x = 0; x < 352; ++x) {
      ASSERT_EQ(b[3 * x], p[3 * x + 2]) << "blue, row " << row << " column " << x;
      ASSERT_EQ(b[3 * x + 2], p[3 * x]) << "red, row " << row << " column " << x;
    }
  }
}

TEST_F(StillStreams, RgbIsCloseToFfmpegsConversion) {
  // Different chroma filters, same colours (about 40 dB against ffmpeg's
  // full chroma interpolation): the bound catches swapped channels, a wrong
  // row or matrix, a shifted chroma plane, not filter differences.
  std::vector<uint8_t> ppm;
  int w, h;
  ASSERT_EQ(DecodeFirstPicture(P("sif.m1v"), StillVariant::Information, kFormatPpm, ppm, w, h), kOk);
  ASSERT_TRUE(test::Ffmpeg("-i \"" + P("sif.m1v") + "\" -frames:v 1 -sws_flags bicubic+accurate_rnd+full_chroma_int -f rawvideo -pix_fmt rgb24 \"" + P("sif.rgb") + "\""));
  std::vector<uint8_t> ref = ReadAll(Path("sif.rgb"));
  ASSERT_EQ(ref.size(), 352u * 240 * 3);
  EXPECT_GE(test::Psnr(ppm.data() + (ppm.size() - ref.size()), ref.data(), ref.size()), 35.0);
}

TEST_F(StillStreams, OddWidthBmpRowsArePaddedToFourBytes) {
  std::vector<uint8_t> bmp;
  int w, h;
  ASSERT_EQ(DecodeFirstPicture(P("odd.m2v"), StillVariant::Information, kFormatBmp, bmp, w, h), kOk);
  const size_t row = (202 * 3 + 3) & ~3u;  // 608
  ASSERT_EQ(bmp.size(), row * 120 + 54);
  EXPECT_EQ(Le32(&bmp[2]), bmp.size());
  EXPECT_EQ(Le32(&bmp[34]), row * 120);
  DibImage picture;
  ASSERT_EQ(MpegStillBitmap(P("odd.m2v"), StillVariant::Information, picture), kOk);
  ASSERT_TRUE(picture.layout());
  EXPECT_EQ(std::memcmp(picture.PixelBits(), bmp.data() + 54, row * 120), 0);
}

TEST_F(StillStreams, PlanesAndPacked422FollowTheChromaFormat) {
  MpegStillDecoder d;
  ASSERT_EQ(d.Open(P("c422.m2v")), kOk);
  ASSERT_EQ(d.DecodePicture(), kOk);
  EXPECT_EQ(d.sequence().chromaFormat, kChroma422);
  std::vector<uint8_t> y(d.PictureBytes(0)), cb(d.PictureBytes(1)), cr(d.PictureBytes(2)), packed(d.PictureBytes(7));
  int w, h;
  ASSERT_EQ(d.FetchPicture(cb, w, h, kFormatCb), 176u * 240);
  EXPECT_EQ(w, 176);
  EXPECT_EQ(h, 240);
  ASSERT_EQ(d.FetchPicture(cr, w, h, kFormatCr), 176u * 240);
  ASSERT_EQ(d.FetchPicture(y, w, h, kFormatLuma), 352u * 240);
  ASSERT_EQ(d.FetchPicture(packed, w, h, kFormatPacked422), 352u * 240 * 2);
  for (int row : {0, 100, 239}) {
    for (int x = 0; x < 352; x += 2) {
      const uint8_t* p = &packed[(size_t(row) * 352 + size_t(x)) * 2];
      size_t c = size_t(row) * 176 + size_t(x / 2);
      ASSERT_EQ(p[0], cb[c]);
      ASSERT_EQ(p[1], y[size_t(row) * 352 + size_t(x)]);
      ASSERT_EQ(p[2], cr[c]);
      ASSERT_EQ(p[3], y[size_t(row) * 352 + size_t(x) + 1]);
    }
  }

  MpegStillDecoder e;
  ASSERT_EQ(e.Open(P("sif.m1v")), kOk);
  ASSERT_EQ(e.DecodePicture(), kOk);
  EXPECT_EQ(e.PictureBytes(kFormatCb), 176u * 120) << "4:2:0 chroma is halved both ways";
  EXPECT_EQ(e.PictureBytes(kFormatPacked422), 352u * 240 * 2);
}

TEST_F(StillStreams, RecordingTrailerChoosesThePicture) {
  std::vector<uint8_t> video = ReadAll(Path("sif.m1v"));
  auto withTrailer = [&](const std::string& name, const std::vector<uint8_t>& body, uint32_t kind) {
    std::vector<uint8_t> bytes = body;
    uint8_t trailer[kTrailerBytes] = {uint8_t(kind), uint8_t(kind >> 8), uint8_t(kind >> 16), uint8_t(kind >> 24)};
    bytes.insert(bytes.end(), trailer, trailer + kTrailerBytes);
    WriteBytes(Path(name), bytes);
    return P(name);
  };
  int loads = 0;
  NoVideoPictureLoader builtIn = [&](DibImage& p) {
    ++loads;
    return p.Create(8, 6, 24);
  };
  NoVideoPictureLoader missing = [](DibImage&) { return false; };

  DibImage picture;
  EXPECT_EQ(RecordingBitmap(withTrailer("v1.erm", video, 1), picture, builtIn), kOk);
  EXPECT_EQ(picture.width(), 352);
  EXPECT_EQ(RecordingBitmap(withTrailer("v3.erm", video, 3), picture, builtIn), kOk);
  EXPECT_EQ(loads, 0);
  EXPECT_EQ(RecordingBitmap(withTrailer("a2.erm", {}, 2), picture, builtIn), kOk);
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(picture.width(), 8);
  EXPECT_EQ(RecordingBitmap(P("a2.erm"), picture, missing), kErrHeader) << "resource 436 absent";
  EXPECT_EQ(RecordingBitmap(withTrailer("k4.erm", video, 4), picture, builtIn), kErrStream);
  EXPECT_EQ(RecordingBitmap(withTrailer("k0.erm", video, 0), picture, builtIn), kErrStream);
  WriteBytes(Path("short.erm"), {1, 0, 0, 0});
  EXPECT_EQ(RecordingBitmap(P("short.erm"), picture, builtIn), kErrOpen);
  EXPECT_EQ(RecordingBitmap(P("none.erm"), picture, builtIn), kErrOpen);
  EXPECT_EQ(picture.width(), 8) << "failures leave the picture as it was";
}

TEST(Conversion, RowsFollowMatrixCoefficients) {
  const ConversionRow bt709{117504, 138453, 13954, 34903};
  const ConversionRow fcc{104448, 132798, 24759, 53109};
  const ConversionRow bt601{104597, 132201, 25675, 53279};
  const ConversionRow smpte240{117579, 136230, 16907, 35559};
  auto same = [](ConversionRow a, ConversionRow b) {
    return a.crv == b.crv && a.cbu == b.cbu && a.cgu == b.cgu && a.cgv == b.cgv;
  };
  EXPECT_TRUE(same(ConversionFor(4), fcc));
  EXPECT_TRUE(same(ConversionFor(0), bt709));
  EXPECT_TRUE(same(ConversionFor(1), bt709));
  for (int m : {2, 3, 5, 6}) EXPECT_TRUE(same(ConversionFor(m), bt601)) << m;
  EXPECT_TRUE(same(ConversionFor(7), smpte240));
  EXPECT_TRUE(same(ConversionFor(200), bt601)) << "outside the table: the MPEG-1 meaning";
}

TEST(Conversion, PixelsAreComputedAsWritten) {
  const ConversionRow r = ConversionFor(5);
  EXPECT_EQ(YCbCrToRgb(16, 128, 128, r), (Rgb{0, 0, 0}));
  EXPECT_EQ(YCbCrToRgb(235, 128, 128, r), (Rgb{255, 255, 255}));
  // y = 76309 * 84 = 6409956; u = -38, v = 112 (from hand arithmetic):
  // R = (6409956 + 104597 * 112 + 32768) >> 16 = 277 -> 255
  // G = (6409956 + 25675 * 38 - 53279 * 112 + 32768) >> 16 = 22
  // B = (6409956 - 132201 * 38 + 32768) >> 16 = 21
  EXPECT_EQ(YCbCrToRgb(100, 90, 240, r), (Rgb{255, 22, 21}));
  EXPECT_EQ(YCbCrToRgb(0, 255, 0, r), (Rgb{0, 36, 238}));  // red clipped from -223
}

}  // namespace
}  // namespace lumora::mpeg
