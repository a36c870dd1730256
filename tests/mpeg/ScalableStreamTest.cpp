// Two-layer streams written bit by bit: an SNR enhancement layer refining the
// base layer's coefficients (intra and non-intra macroblocks, the layer's own
// quantiser, macroblocks it passes over), a spatial layer of twice the size
// predicting from the up-sampled base layer (with and without a residual,
// next to intra macroblocks), and the layers disagreeing. Base
// blocks are flat (DC only) and refinements touch the DC only, so every
// expected sample is known exactly: an intra block's DC of value v gives v,
// a refinement adds level * W * scale / 16 (intra) or (2 * level + 1) * W *
// scale / 32 (non-intra) to the coefficient, an eighth of that to each sample.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <vector>

#include "mpeg/MpegStillDecoder.h"
#include "tests/TempDir.h"
#include "tests/mpeg/StreamWriter.h"

namespace lumora::mpeg {
namespace {

using test::BitWriter;
using test::TestPicture;
using test::TestSequence;
using test::WriteDcBlock;

constexpr int kSide = 32;  // 2 x 2 macroblocks
constexpr int kMbCols = kSide / 16;

std::string Save(const lumora::test::TempDir& dir, const std::string& name, const std::vector<uint8_t>& bytes) {
  auto path = dir / name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return path.string();
}

TestSequence Sequence(int scalableMode) {
  TestSequence s;
  s.width = s.height = kSide;
  s.progressive = true;
  s.scalableMode = scalableMode;
  return s;
}

// Base intra value of block `b` (0-3 luma, 4 Cb, 5 Cr) of macroblock (mbx, mby).
int BaseValue(int b, int mbx, int mby) {
  if (b < 4) return 40 + 11 * b + 50 * mbx + 21 * mby;  // odd steps: up-sampled means need rounding
  return b == 4 ? 100 + 9 * mbx : 150 - 7 * mby;
}

void WriteSlice(BitWriter& w, int row, int quantiserCode) {
  w.StartCode(uint8_t(row + 1));
  w.Put(uint32_t(quantiserCode), 5);
  w.Put(0, 1);
}

// The base layer: an intra frame of flat blocks, then (with `pFrame`) a P
// frame whose macroblocks copy it with a zero vector and no coefficients.
std::vector<uint8_t> BaseLayer(bool pFrame) {
  BitWriter w;
  TestSequence s = Sequence(-1);
  test::WriteSequence(w, s);
  TestPicture intra;
  test::WritePicture(w, s, intra, 0);
  for (int mby = 0; mby < kMbCols; ++mby) {
    WriteSlice(w, mby, 8);
    int pred[3] = {128, 128, 128};
    for (int mbx = 0; mbx < kMbCols; ++mbx) {
      w.Code("1");  // address increment
      w.Code("1");  // intra
      for (int b = 0; b < 6; ++b) WriteDcBlock(w, b >= 4, pred[b < 4 ? 0 : b - 3], BaseValue(b, mbx, mby), true);
    }
  }
  if (pFrame) {
    TestPicture p;
    p.type = 2;
    p.fCode = 1;
    test::WritePicture(w, s, p, 1);
    for (int mby = 0; mby < kMbCols; ++mby) {
      WriteSlice(w, mby, 8);
      for (int mbx = 0; mbx < kMbCols; ++mbx) {
        w.Code("1");    // address increment
        w.Code("001");  // motion compensated, not coded
        w.Code("1");    // horizontal motion code 0
        w.Code("1");    // vertical motion code 0
      }
    }
  }
  w.StartCode(0xB7);
  return w.Finish();
}

// An escaped coefficient (run, 12-bit level) of a non-intra table block.
void WriteEscape(BitWriter& w, int run, int level) {
  w.Code("0000 01");
  w.Put(uint32_t(run), 6);
  w.Put(uint32_t(level & 0xFFF), 12);
}

struct Refinement {
  int mbx, mby;
  int type;             // 1 coded, 2 coded with a quantiser, 3 not coded
  int quantiserCode;    // with type 2
  const char* cbpCode;  // coded_block_pattern code
  int blocks;           // how many blocks the pattern codes
  int level;            // each coded block's DC refinement
};

// An enhancement picture: one slice per row that has refinements, the
// macroblocks in between passed over.
void WriteEnhancementPicture(BitWriter& w, const TestSequence& s, const TestPicture& p, int temporalReference,
                             const std::vector<Refinement>& refinements, int sliceQuantiser) {
  test::WritePicture(w, s, p, temporalReference);
  int row = -1, address = 0;
  for (const Refinement& r : refinements) {
    if (r.mby != row) {
      row = r.mby;
      WriteSlice(w, row, sliceQuantiser);
      address = row * kMbCols - 1;
    }
    int increment = r.mby * kMbCols + r.mbx - address;
    w.Code(increment == 1 ? "1" : "011");  // increments 1 and 2
    address += increment;
    if (r.type == 3) {
      w.Code("001");
      continue;
    }
    w.Code(r.type == 1 ? "1" : "01");
    if (r.type == 2) w.Put(uint32_t(r.quantiserCode), 5);
    w.Code(r.cbpCode);
    for (int b = 0; b < r.blocks; ++b) {
      WriteEscape(w, 0, r.level);
      w.Code("10");  // end of block
    }
  }
}

struct Expected {
  int v[kMbCols][kMbCols][6];
};

void ExpectBlocks(MpegStillDecoder& d, const Expected& e, const std::string& what) {
  std::vector<uint8_t> plane[3];
  for (int c = 0; c < 3; ++c) {
    plane[c].resize(d.PictureBytes(c));
    int w, h;
    ASSERT_EQ(d.FetchPicture(plane[c], w, h, c), plane[c].size()) << what;
  }
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      int b = (y % 16) / 8 * 2 + (x % 16) / 8;
      ASSERT_EQ(int(plane[0][size_t(y) * kSide + size_t(x)]), e.v[y / 16][x / 16][b])
          << what << " luma (" << x << ", " << y << ")";
    }
  for (int c = 1; c < 3; ++c)
    for (int y = 0; y < kSide / 2; ++y)
      for (int x = 0; x < kSide / 2; ++x)
        ASSERT_EQ(int(plane[c][size_t(y) * kSide / 2 + size_t(x)]), e.v[y / 8][x / 8][3 + c])
            << what << " chroma " << c << " (" << x << ", " << y << ")";
}

Expected BaseExpected() {
  Expected e;
  for (int mby = 0; mby < kMbCols; ++mby)
    for (int mbx = 0; mbx < kMbCols; ++mbx)
      for (int b = 0; b < 6; ++b) e.v[mby][mbx][b] = BaseValue(b, mbx, mby);
  return e;
}

TEST(ScalableStreams, SnrLayerRefinesIntraCoefficientsWithItsOwnQuantiser) {
  lumora::test::TempDir dir;
  std::string base = Save(dir, "base.m2v", BaseLayer(false));
  BitWriter w;
  TestSequence s = Sequence(kSnrScalability);
  test::WriteSequence(w, s);
  // Slice quantiser code 8 (scale 16): an intra refinement adds level * 8 *
  // 16 / 16 to the DC, level to each sample. Macroblock (1, 0) sets code 16
  // (scale 32): 2 * level.
  WriteEnhancementPicture(w, s, TestPicture{}, 0,
                          {{0, 0, 1, 0, "1010", 1, 6},      // block 0: +6
                           {1, 0, 2, 16, "0100 1", 1, -3},  // Cb: -6
                           {1, 1, 1, 0, "111", 4, 2}},      // (0, 1) passed over; blocks 0-3: +2
                          8);
  w.StartCode(0xB7);
  std::string enhancement = Save(dir, "snr.m2v", w.Finish());

  MpegStillDecoder d;
  ASSERT_EQ(d.Open(base, enhancement, kDefaultReaderBufferBytes, kDefaultReaderBufferBytes), kOk);
  ASSERT_EQ(d.DecodePicture(), kOk);
  Expected e = BaseExpected();
  e.v[0][0][0] += 6;
  e.v[0][1][4] -= 6;
  for (int b = 0; b < 4; ++b) e.v[1][1][b] += 2;
  ExpectBlocks(d, e, "refined intra frame");

  // The base layer alone decodes to the unrefined blocks.
  MpegStillDecoder alone;
  ASSERT_EQ(alone.Open(base), kOk);
  ASSERT_EQ(alone.DecodePicture(), kOk);
  ExpectBlocks(alone, BaseExpected(), "base layer alone");
}

TEST(ScalableStreams, SnrLayerRefinesPredictedMacroblocksAndPassesOverTheRest) {
  lumora::test::TempDir dir;
  std::string base = Save(dir, "base.m2v", BaseLayer(true));
  BitWriter w;
  TestSequence s = Sequence(kSnrScalability);
  test::WriteSequence(w, s);
  WriteEnhancementPicture(w, s, TestPicture{}, 0, {}, 8);  // the intra frame stays as it is
  TestPicture p;
  p.type = 2;
  p.fCode = 1;
  // Scale 16, non-intra: (2 * 1 + 1) * 16 * 16 / 32 = 24, 3 per sample;
  // level -2: (-4 - 1) * 16 * 16 / 32 = -40, -5 per sample.
  WriteEnhancementPicture(w, s, p, 1,
                          {{1, 0, 1, 0, "1011", 1, 1},     // block 1: +3
                           {0, 1, 3, 0, "", 0, 0},         // not coded
                           {1, 1, 1, 0, "0101 1", 1, -2}},  // Cr: -5
                          8);
  w.StartCode(0xB7);
  std::string enhancement = Save(dir, "snr.m2v", w.Finish());

  MpegStillDecoder d;
  ASSERT_EQ(d.Open(base, enhancement, kDefaultReaderBufferBytes, kDefaultReaderBufferBytes), kOk);
  ASSERT_EQ(d.DecodePicture(), kOk);
  ExpectBlocks(d, BaseExpected(), "intra frame without refinements");
  ASSERT_EQ(d.DecodePicture(), kOk);
  Expected e = BaseExpected();
  e.v[0][1][1] += 3;
  e.v[1][1][5] -= 5;
  ExpectBlocks(d, e, "refined P frame");
}

TEST(ScalableStreams, LayersThatDisagreeAreRefused) {
  lumora::test::TempDir dir;
  std::string base = Save(dir, "base.m2v", BaseLayer(false));
  auto layer = [&](const std::string& name, TestSequence s, int temporalReference) {
    BitWriter w;
    test::WriteSequence(w, s);
    WriteEnhancementPicture(w, s, TestPicture{}, temporalReference, {}, 8);
    w.StartCode(0xB7);
    return Save(dir, name, w.Finish());
  };
  TestSequence snr = Sequence(kSnrScalability);
  TestSequence plain = Sequence(-1);
  TestSequence wider = snr;
  wider.width = 48;
  TestSequence chroma422 = snr;
  chroma422.chromaFormat = 2;
  TestSequence interlaced = snr;
  interlaced.progressive = false;
  const struct {
    std::string path;
    int open;
  } cases[] = {
      {layer("plain.m2v", plain, 0), kErrLayers},          // no scalable extension
      {layer("wider.m2v", wider, 0), kErrLayers},          // another size
      {layer("422.m2v", chroma422, 0), kErrLayers},        // another chroma format
      {layer("interlaced.m2v", interlaced, 0), kErrLayers},  // another picture structure
      {layer("temporal.m2v", Sequence(kTemporalScalability), 0), kErrUnsupported},
      {dir / "missing.m2v", kErrOpen},
  };
  for (const auto& c : cases) {
    MpegStillDecoder d;
    EXPECT_EQ(d.Open(base, c.path, kDefaultReaderBufferBytes, kDefaultReaderBufferBytes), c.open) << c.path;
    EXPECT_EQ(d.state(), kStateClosed) << c.path;
  }

  // Pictures that do not pair up: another temporal reference, or none at all.
  std::string shifted = layer("shifted.m2v", snr, 3);
  BitWriter empty;
  test::WriteSequence(empty, snr);
  empty.StartCode(0xB7);
  std::string ended = Save(dir, "ended.m2v", empty.Finish());
  for (const std::string& path : {shifted, ended}) {
    MpegStillDecoder d;
    ASSERT_EQ(d.Open(base, path, kDefaultReaderBufferBytes, kDefaultReaderBufferBytes), kOk) << path;
    EXPECT_EQ(d.DecodePicture(), kErrLayers) << path;
    EXPECT_FALSE(d.HasPicture()) << path;
  }

  // An enhancement layer alone has nothing to refine.
  MpegStillDecoder alone;
  EXPECT_EQ(alone.Open(layer("alone.m2v", snr, 0)), kErrUnsupported);
}

TEST(ScalableStreams, SnrLayerRefinesTheFieldItBelongsTo) {
  // Two intra fields in each layer; the enhancement refines block 0 of the
  // bottom field's first macroblock only, by 4 (level 4 at scale 16).
  lumora::test::TempDir dir;
  auto fieldValue = [](int field, int b, int mbx) { return 60 + 40 * field + 9 * b + 20 * mbx; };
  auto layer = [&](int scalableMode) {
    BitWriter w;
    TestSequence s = Sequence(scalableMode);
    s.progressive = false;
    test::WriteSequence(w, s);
    for (int field = 0; field < 2; ++field) {
      TestPicture p;
      p.structure = field == 0 ? 1 : 2;
      test::WritePicture(w, s, p, 0);
      if (scalableMode < 0) {
        WriteSlice(w, 0, 8);  // one macroblock row per field
        int pred[3] = {128, 128, 128};
        for (int mbx = 0; mbx < kMbCols; ++mbx) {
          w.Code("1");
          w.Code("1");
          for (int b = 0; b < 6; ++b) WriteDcBlock(w, b >= 4, pred[b < 4 ? 0 : b - 3], fieldValue(field, b, mbx), true);
        }
      } else if (field == 1) {
        WriteSlice(w, 0, 8);
        w.Code("1");
        w.Code("1");     // coded
        w.Code("1010");  // block 0
        WriteEscape(w, 0, 4);
        w.Code("10");
      }
    }
    w.StartCode(0xB7);
    return w.Finish();
  };
  std::string base = Save(dir, "fields.m2v", layer(-1));
  std::string enhancement = Save(dir, "fields-snr.m2v", layer(kSnrScalability));
  MpegStillDecoder d;
  ASSERT_EQ(d.Open(base, enhancement, kDefaultReaderBufferBytes, kDefaultReaderBufferBytes), kOk);
  ASSERT_EQ(d.DecodePicture(), kOk);
  std::vector<uint8_t> luma(d.PictureBytes(0));
  int w, h;
  ASSERT_EQ(d.FetchPicture(luma, w, h, 0), size_t(kSide) * kSide);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      int field = y & 1, fy = y >> 1, b = fy / 8 * 2 + (x % 16) / 8;
      int expected = fieldValue(field, b, x / 16) + (field == 1 && x < 8 && fy < 8 ? 4 : 0);
      ASSERT_EQ(int(luma[size_t(y) * kSide + x]), expected) << "(" << x << ", " << y << ")";
    }
}

// The base planes (32 x 32 luma, 16 x 16 chroma) as BaseLayer writes them.
std::vector<int> BasePlane(int c) {
  const int side = c ? kSide / 2 : kSide, block = 8;
  std::vector<int> p(size_t(side) * side);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      int mbx = c ? x / 8 : x / 16, mby = c ? y / 8 : y / 16;
      int b = c ? 3 + c : (y % 16) / block * 2 + (x % 16) / block;
      p[size_t(y) * side + x] = BaseValue(b, mbx, mby);
    }
  return p;
}

// Twice the size: enhancement sample x lies on lower sample x / 2 when even
// and halfway to the next (the edge sample repeated) when odd; a sample
// between two or four lower samples is their mean, rounded half up.
int Doubled(const std::vector<int>& lower, int side, int x, int y) {
  int x0 = x / 2, y0 = y / 2;
  int x1 = std::min(x0 + (x & 1), side - 1), y1 = std::min(y0 + (y & 1), side - 1);
  auto at = [&](int xx, int yy) { return lower[size_t(yy) * side + xx]; };
  return (at(x0, y0) + at(x1, y0) + at(x0, y1) + at(x1, y1) + 2) / 4;
}

TestSequence SpatialSequence() {
  TestSequence s;
  s.width = s.height = 2 * kSide;
  s.progressive = true;
  s.scalableMode = kSpatialScalability;
  s.lowerWidth = s.lowerHeight = kSide;
  return s;
}

// A spatial layer's intra picture over base picture 0. Macroblock kinds by
// position: 0 up-sampled base only, 1 up-sampled base plus a DC residual of
// `level` on every block, 2 intra with flat blocks of IntraValue.
constexpr int kMbs = 2 * kMbCols;
constexpr int kKind[kMbs][kMbs] = {{0, 1, 2, 0}, {1, 0, 0, 2}, {2, 1, 0, 1}, {0, 0, 2, 1}};
constexpr int kLevel = 1;  // (2 + 1) * 16 * 16 / 32 = 24 in the DC: +3 per sample
int IntraValue(int b, int mbx, int mby) { return b < 4 ? 30 + 20 * b + 5 * mbx + 3 * mby : b == 4 ? 90 : 170; }

// A negative `lowerTemporalReference` leaves the picture spatial scalable extension out.
std::vector<uint8_t> SpatialLayer(const TestSequence& s, int type, int lowerTemporalReference) {
  BitWriter w;
  test::WriteSequence(w, s);
  TestPicture p;
  p.type = type;
  test::WritePicture(w, s, p, 0);
  if (lowerTemporalReference >= 0) test::WriteSpatialExtension(w, lowerTemporalReference);
  for (int mby = 0; mby < kMbs; ++mby) {
    WriteSlice(w, mby, 8);
    int pred[3] = {128, 128, 128};
    for (int mbx = 0; mbx < kMbs; ++mbx) {
      w.Code("1");  // address increment
      switch (kKind[mby][mbx]) {
        case 0:
          w.Code("0001");  // compatible, not coded
          break;
        case 1:
          w.Code("1");    // compatible, coded
          w.Code("0011 00");  // all six blocks
          for (int b = 0; b < 6; ++b) {
            w.Code("1");  // first coefficient: run 0, level 1
            w.Put(0, 1);  // positive
            w.Code("10");
          }
          break;
        default:
          w.Code("0011");  // intra
          for (int b = 0; b < 6; ++b) WriteDcBlock(w, b >= 4, pred[b < 4 ? 0 : b - 3], IntraValue(b, mbx, mby), true);
          continue;
      }
      pred[0] = pred[1] = pred[2] = 128;  // a non-intra macroblock resets the DC predictors
    }
  }
  w.StartCode(0xB7);
  return w.Finish();
}

TEST(ScalableStreams, SpatialLayerPredictsFromTheUpsampledBaseLayer) {
  lumora::test::TempDir dir;
  std::string base = Save(dir, "base.m2v", BaseLayer(false));
  std::string spatial = Save(dir, "spatial.m2v", SpatialLayer(SpatialSequence(), 1, 0));
  MpegStillDecoder d;
  ASSERT_EQ(d.Open(base, spatial, kDefaultReaderBufferBytes, kDefaultReaderBufferBytes), kOk);
  EXPECT_EQ(d.sequence().horizontalSize, 2 * kSide);
  ASSERT_EQ(d.DecodePicture(), kOk);
  for (int c = 0; c < 3; ++c) {
    const int lowerSide = c ? kSide / 2 : kSide, side = 2 * lowerSide, mbSize = c ? 8 : 16;
    std::vector<int> lower = BasePlane(c);
    std::vector<uint8_t> plane(d.PictureBytes(c));
    int w, h;
    ASSERT_EQ(d.FetchPicture(plane, w, h, c), size_t(side) * side);
    ASSERT_EQ(w, side);
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) {
        int mbx = x / mbSize, mby = y / mbSize, expected;
        switch (kKind[mby][mbx]) {
          case 0: expected = Doubled(lower, lowerSide, x, y); break;
          case 1: expected = Doubled(lower, lowerSide, x, y) + 3 * kLevel; break;
          default: expected = IntraValue(c ? 3 + c : (y % 16) / 8 * 2 + (x % 16) / 8, mbx, mby);
        }
        ASSERT_EQ(int(plane[size_t(y) * side + x]), expected) << "plane " << c << " (" << x << ", " << y << ")";
      }
  }
}

TEST(ScalableStreams, SpatialLayersThatDisagreeOrPredictOverTimeAreRefused) {
  lumora::test::TempDir dir;
  std::string base = Save(dir, "base.m2v", BaseLayer(false));
  TestSequence otherLower = SpatialSequence();
  otherLower.lowerWidth = 48;
  MpegStillDecoder mismatch;
  EXPECT_EQ(mismatch.Open(base, Save(dir, "lower48.m2v", SpatialLayer(otherLower, 1, 0)), kDefaultReaderBufferBytes,
                          kDefaultReaderBufferBytes),
            kErrLayers);

  const struct {
    const char* name;
    int type, lowerTemporalReference, decode;
  } cases[] = {
      {"other-reference.m2v", 1, 5, kErrLayers},  // predicts from a picture the base layer has not got here
      {"no-reference.m2v", 1, -1, kErrLayers},    // says nothing of the lower layer
      {"predicted.m2v", 2, 0, kErrUnsupported},   // a P picture of the spatial layer
  };
  for (const auto& c : cases) {
    MpegStillDecoder d;
    std::string path = Save(dir, c.name, SpatialLayer(SpatialSequence(), c.type, c.lowerTemporalReference));
    ASSERT_EQ(d.Open(base, path, kDefaultReaderBufferBytes, kDefaultReaderBufferBytes), kOk) << c.name;
    EXPECT_EQ(d.DecodePicture(), c.decode) << c.name;
    EXPECT_FALSE(d.HasPicture()) << c.name;
  }
}

}  // namespace
}  // namespace lumora::mpeg
