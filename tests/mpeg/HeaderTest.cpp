// Header parsing field by field (each refused value, each size limit), the
// picture numbers of time codes, and the variable-length tables being
// prefix-free as written.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "mpeg/Headers.h"
#include "mpeg/MpegErrors.h"
#include "mpeg/VlcTables.h"
#include "tests/mpeg/StreamWriter.h"

namespace lumora::mpeg {
namespace {

using test::BitWriter;

struct SeqFields {
  int width = 352, height = 240, aspect = 1, rate = 3, marker = 1;
};

std::vector<uint8_t> SequenceBytes(const SeqFields& f) {
  BitWriter w;
  w.Put(uint32_t(f.width), 12);
  w.Put(uint32_t(f.height), 12);
  w.Put(uint32_t(f.aspect), 4);
  w.Put(uint32_t(f.rate), 4);
  w.Put(1000, 18);
  w.Put(uint32_t(f.marker), 1);
  w.Put(20, 10);
  w.Put(0, 3);
  return w.Finish();
}

std::vector<uint8_t> SequenceExtensionBytes(int hExt, int vExt, int chroma) {
  BitWriter w;
  w.Put(1, 4);
  w.Put(0x48, 8);
  w.Put(0, 1);
  w.Put(uint32_t(chroma), 2);
  w.Put(uint32_t(hExt), 2);
  w.Put(uint32_t(vExt), 2);
  w.Put(0, 12);
  w.Put(1, 1);
  w.Put(0, 16);
  return w.Finish();
}

TEST(Headers, SequenceHeaderRefusesBadFieldsAndSizes) {
  SequenceInfo seq;
  QuantMatrices m;
  ASSERT_EQ(ParseSequenceHeader(SequenceBytes({}), seq, m), kOk);
  EXPECT_EQ(seq.horizontalSize, 352);
  EXPECT_EQ(seq.verticalSize, 240);
  EXPECT_FALSE(seq.mpeg2);
  EXPECT_EQ(seq.matrixCoefficients, 5) << "MPEG-1 meaning";
  EXPECT_EQ(seq.chromaFormat, kChroma420);
  EXPECT_TRUE(seq.progressiveSequence);
  EXPECT_EQ(m.intra[0], 8);
  EXPECT_EQ(m.intra[63], 83);
  EXPECT_EQ(m.nonIntra[17], 16);

  for (SeqFields bad : {SeqFields{352, 240, 0}, SeqFields{352, 240, 1, 0}, SeqFields{352, 240, 1, 9},
                        SeqFields{352, 240, 1, 3, 0}}) {
    SequenceInfo before = seq;
    EXPECT_EQ(ParseSequenceHeader(SequenceBytes(bad), seq, m), kErrHeader)
        << "aspect " << bad.aspect << " rate " << bad.rate << " marker " << bad.marker;
    EXPECT_EQ(seq, before) << "a refused header changes nothing";
  }
  EXPECT_EQ(ParseSequenceHeader(std::vector<uint8_t>(5, 0x16), seq, m), kErrHeader) << "cut short";

  // Sides of 0 are refused once no extension raised them; 4096 is the largest.
  ASSERT_EQ(ParseSequenceHeader(SequenceBytes({0, 240}), seq, m), kOk);
  EXPECT_EQ(CheckSequence(seq), kErrHeader);
  ASSERT_EQ(ParseSequenceHeader(SequenceBytes({0, 0}), seq, m), kOk);
  SequenceInfo ext = seq;
  ASSERT_EQ(ParseSequenceExtension(SequenceExtensionBytes(1, 1, 1), ext), kOk);
  EXPECT_EQ(ext.horizontalSize, 4096);
  EXPECT_EQ(ext.verticalSize, 4096);
  EXPECT_EQ(CheckSequence(ext), kOk);
  ASSERT_EQ(ParseSequenceHeader(SequenceBytes({1, 16}), seq, m), kOk);
  ext = seq;
  EXPECT_EQ(ParseSequenceExtension(SequenceExtensionBytes(1, 0, 1), ext), kErrHeader) << "4097 wide";
  EXPECT_EQ(ParseSequenceExtension(SequenceExtensionBytes(0, 0, 0), ext), kErrHeader) << "chroma format 0";
  ASSERT_EQ(ParseSequenceExtension(SequenceExtensionBytes(0, 0, 2), ext), kOk);
  EXPECT_TRUE(ext.mpeg2);
  EXPECT_EQ(ext.chromaFormat, kChroma422);
  EXPECT_EQ(ext.matrixCoefficients, 0) << "MPEG-2 without a display extension";

  // The program's picture limit, 2^28 pixels, stands behind the side cap.
  for (auto [w, h, code] : {std::tuple{16384, 16384, kOk}, {16384, 16385, kErrHeader}, {16385, 16384, kErrHeader},
                            {65535, 4096, kOk}, {65535, 4097, kErrHeader}}) {
    ext.horizontalSize = uint16_t(w), ext.verticalSize = uint16_t(h);
    EXPECT_EQ(CheckSequence(ext), code) << w << " x " << h;
  }
}

TEST(Headers, GroupAndPictureHeadersCheckTheirRanges) {
  auto gop = [](int h, int m, int marker, int s, int p) {
    BitWriter w;
    w.Put(0, 1);
    w.Put(uint32_t(h), 5);
    w.Put(uint32_t(m), 6);
    w.Put(uint32_t(marker), 1);
    w.Put(uint32_t(s), 6);
    w.Put(uint32_t(p), 6);
    w.Put(0, 7);
    return w.Finish();
  };
  GroupOfPictures g;
  EXPECT_EQ(ParseGroupOfPictures(gop(1, 2, 1, 3, 4), g), kOk);
  EXPECT_EQ(g.hours * 1000000 + g.minutes * 10000 + g.seconds * 100 + g.pictures, 1020304);
  EXPECT_EQ(ParseGroupOfPictures(gop(24, 0, 1, 0, 0), g), kErrHeader);
  EXPECT_EQ(ParseGroupOfPictures(gop(0, 60, 1, 0, 0), g), kErrHeader);
  EXPECT_EQ(ParseGroupOfPictures(gop(0, 0, 0, 0, 0), g), kErrHeader);
  EXPECT_EQ(ParseGroupOfPictures(gop(0, 0, 1, 60, 0), g), kErrHeader);
  EXPECT_EQ(ParseGroupOfPictures(gop(0, 0, 1, 0, 60), g), kErrHeader);

  auto picture = [](int type, int fCode) {
    BitWriter w;
    w.Put(5, 10);
    w.Put(uint32_t(type), 3);
    w.Put(0xFFFF, 16);
    w.Put(0, 1);
    w.Put(uint32_t(fCode), 3);
    w.Put(0, 1);
    w.Put(uint32_t(fCode), 3);
    w.Put(0, 8);
    return w.Finish();
  };
  PictureHeader p;
  EXPECT_EQ(ParsePictureHeader(picture(3, 2), false, p), kOk);
  EXPECT_EQ(p.temporalReference, 5);
  EXPECT_EQ(p.fCode[1][1], 2);
  EXPECT_EQ(ParsePictureHeader(picture(4, 0), false, p), kOk) << "D pictures in MPEG-1";
  EXPECT_EQ(ParsePictureHeader(picture(4, 0), true, p), kErrHeader) << "no D pictures in MPEG-2";
  EXPECT_EQ(ParsePictureHeader(picture(0, 1), false, p), kErrHeader);
  EXPECT_EQ(ParsePictureHeader(picture(2, 0), false, p), kErrHeader) << "MPEG-1 f_code 0";
  EXPECT_EQ(ParsePictureHeader(picture(2, 7), true, p), kOk);

  auto coding = [](int fCode, int structure) {
    BitWriter w;
    w.Put(8, 4);
    for (int i = 0; i < 4; ++i) w.Put(uint32_t(fCode), 4);
    w.Put(0, 2);
    w.Put(uint32_t(structure), 2);
    w.Put(0, 16);
    return w.Finish();
  };
  SequenceInfo interlaced;
  interlaced.mpeg2 = true;
  interlaced.progressiveSequence = false;
  QuantMatrices m{};
  EXPECT_EQ(ParsePictureExtension(coding(9, 1), interlaced, p, m), kOk);
  EXPECT_EQ(p.pictureStructure, kTopField);
  EXPECT_EQ(ParsePictureExtension(coding(10, 3), interlaced, p, m), kErrHeader) << "f_code 10 is reserved";
  EXPECT_EQ(ParsePictureExtension(coding(0, 3), interlaced, p, m), kErrHeader);
  EXPECT_EQ(ParsePictureExtension(coding(2, 0), interlaced, p, m), kErrHeader) << "structure 0";
  SequenceInfo progressive = interlaced;
  progressive.progressiveSequence = true;
  EXPECT_EQ(ParsePictureExtension(coding(2, 2), progressive, p, m), kErrHeader) << "fields in a progressive sequence";
}

TEST(Headers, QuantMatrixExtensionLoadsInZigzagOrderAndRefusesZero) {
  auto matrices = [](int zeroAt) {
    BitWriter w;
    w.Put(3, 4);
    w.Put(1, 1);  // intra
    for (int i = 0; i < 64; ++i) w.Put(i == zeroAt ? 0 : uint32_t(i + 1), 8);
    w.Put(0, 3);
    return w.Finish();
  };
  SequenceInfo seq;
  PictureHeader p;
  QuantMatrices m{};
  ASSERT_EQ(ParsePictureExtension(matrices(-1), seq, p, m), kOk);
  EXPECT_EQ(m.intra[0], 1);
  EXPECT_EQ(m.intra[1], 2);   // zigzag index 1 is position (0, 1)
  EXPECT_EQ(m.intra[8], 3);   // index 2 is (1, 0)
  EXPECT_EQ(m.intra[63], 64);
  EXPECT_EQ(m.chromaIntra[8], 3) << "chroma follows luma unless loaded itself";
  QuantMatrices before = m;
  EXPECT_EQ(ParsePictureExtension(matrices(17), seq, p, m), kErrHeader);
  EXPECT_EQ(m.intra[1], before.intra[1]);
}

TEST(Headers, PictureNumbersFollowTheDropFrameRule) {
  GroupOfPictures g;
  g.hours = 1;
  g.pictures = 5;
  const double ntsc = 30000.0 / 1001;
  EXPECT_EQ(PictureNumber(g, ntsc), 3600 * 30 + 5) << "rate rounded to 30 first";
  g.dropFrame = true;
  EXPECT_EQ(PictureNumber(g, ntsc), int64_t(3600 * ntsc) + 5) << "exact rate, product truncated";
  EXPECT_EQ(PictureNumber(g, ntsc), 107892 + 5);
  g.dropFrame = false;
  EXPECT_EQ(PictureNumber(g, 25), 90005);
}

TEST(Headers, ScalableExtensionsCarryTheLowerLayersPlaceAndRatios) {
  auto scalable = [](int mode, int lowerWidth, int marker, int factor) {
    BitWriter w;
    w.Put(5, 4);
    w.Put(uint32_t(mode), 2);
    w.Put(3, 4);  // layer_id
    if (mode == kSpatialScalability) {
      w.Put(uint32_t(lowerWidth), 14);
      w.Put(uint32_t(marker), 1);
      w.Put(240, 14);
      w.Put(uint32_t(factor), 5);
      w.Put(1, 5);
      w.Put(2, 5);
      w.Put(1, 5);
    }
    return w.Finish();
  };
  SequenceInfo seq;
  ASSERT_EQ(ParseSequenceExtension(scalable(kSpatialScalability, 352, 1, 2), seq), kOk);
  EXPECT_TRUE(seq.hasScalableExtension);
  EXPECT_EQ(seq.scalableMode, kSpatialScalability);
  EXPECT_EQ(seq.layerId, 3);
  EXPECT_EQ(seq.lowerWidth, 352);
  EXPECT_EQ(seq.lowerHeight, 240);
  EXPECT_EQ(seq.horizontalFactorM, 2);
  EXPECT_EQ(seq.horizontalFactorN, 1);
  EXPECT_EQ(seq.verticalFactorM, 2);
  EXPECT_EQ(seq.verticalFactorN, 1);
  SequenceInfo refused;
  EXPECT_EQ(ParseSequenceExtension(scalable(kSpatialScalability, 352, 0, 2), refused), kErrHeader) << "marker";
  EXPECT_EQ(ParseSequenceExtension(scalable(kSpatialScalability, 0, 1, 2), refused), kErrHeader) << "no lower width";
  EXPECT_EQ(ParseSequenceExtension(scalable(kSpatialScalability, 352, 1, 0), refused), kErrHeader) << "ratio 0";
  EXPECT_FALSE(refused.hasScalableExtension);
  SequenceInfo snr;
  ASSERT_EQ(ParseSequenceExtension(scalable(kSnrScalability, 0, 0, 0), snr), kOk);
  EXPECT_EQ(snr.scalableMode, kSnrScalability);

  // The picture spatial scalable extension with offsets in two's complement.
  auto spatial = [](int offsetX, int offsetY, int marker) {
    BitWriter w;
    w.Put(9, 4);
    w.Put(17, 10);
    w.Put(1, 1);
    w.Put(uint32_t(offsetX) & 0x7FFF, 15);
    w.Put(uint32_t(marker), 1);
    w.Put(uint32_t(offsetY) & 0x7FFF, 15);
    w.Put(2, 2);
    w.Put(0, 1);
    w.Put(1, 1);
    return w.Finish();
  };
  PictureHeader p;
  QuantMatrices m{};
  ASSERT_EQ(ParsePictureExtension(spatial(-16, 32, 1), seq, p, m), kOk);
  EXPECT_TRUE(p.spatial.present);
  EXPECT_EQ(p.spatial.temporalReference, 17);
  EXPECT_EQ(p.spatial.horizontalOffset, -16);
  EXPECT_EQ(p.spatial.verticalOffset, 32);
  EXPECT_EQ(p.spatial.weightTableIndex, 2);
  EXPECT_FALSE(p.spatial.lowerProgressiveFrame);
  EXPECT_TRUE(p.spatial.lowerDeinterlacedFieldSelect);
  PictureHeader q;
  EXPECT_EQ(ParsePictureExtension(spatial(0, 0, 0), seq, q, m), kErrHeader);
  EXPECT_FALSE(q.spatial.present);
}

TEST(VlcTables, EveryTableIsPrefixFreeAndDecodes) {
  for (int type = 1; type <= 4; ++type) EXPECT_TRUE(MacroblockTypeTable(type).valid()) << type;
  EXPECT_TRUE(SnrMacroblockTypeTable().valid());
  EXPECT_TRUE(SpatialIMacroblockTypeTable().valid());
  EXPECT_TRUE(AddressIncrementTable().valid());
  EXPECT_TRUE(CodedBlockPatternTable().valid());
  EXPECT_TRUE(MotionCodeTable().valid());
  EXPECT_TRUE(DualPrimeTable().valid());
  EXPECT_TRUE(DcSizeTable(false).valid());
  EXPECT_TRUE(DcSizeTable(true).valid());
  EXPECT_TRUE(DctTable(false).valid());
  EXPECT_TRUE(DctTable(true).valid());

  // A few codes of the long tail, and an invalid pattern.
  BitWriter w;
  w.Code("0000 0000 0001 1011");  // table zero/one: run 31, level 1
  w.Code("0000 0011 01");         // motion code -15... magnitude 15 then sign
  w.Code("1");
  w.Code("0000 0000 0000 0000");
  std::vector<uint8_t> bytes = w.Finish();
  MsbBitReader br(bytes);
  int v;
  ASSERT_TRUE(DctTable(false).Decode(br, v));
  EXPECT_EQ(v, 31 | 1 << 6);
  ASSERT_TRUE(MotionCodeTable().Decode(br, v));
  EXPECT_EQ(v, -15);
  EXPECT_FALSE(DctTable(true).Decode(br, v)) << "sixteen zeros are no code";
  EXPECT_EQ(br.consumed(), 16u + 11u) << "a failed decode consumes nothing";
}

}  // namespace
}  // namespace lumora::mpeg
