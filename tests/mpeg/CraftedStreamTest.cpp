// Streams written bit by bit for what the ffmpeg encoder never produces:
// field pictures predicting from the right field (including the second field
// from the first), 16x8 prediction, dual prime, 4:4:4 block placement, MPEG-1
// D pictures, concealment motion vectors, and damaged data (slices past the
// grid, addresses past the end, vectors far outside the picture). Intra
// blocks are DC only and vectors whole samples, so every expected sample is
// known exactly.
#include <gtest/gtest.h>

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
using test::WriteMotionDelta;

// Planes of a frame as the test expects them.
struct Planes {
  int w = 0, h = 0, cw = 0, ch = 0;
  std::vector<uint8_t> p[3];
  Planes(int width, int height, int chromaFormat)
      : w(width), h(height), cw(chromaFormat == 3 ? width : width / 2), ch(chromaFormat == 1 ? height / 2 : height) {
    p[0].assign(size_t(w) * h, 0);
    p[1].assign(size_t(cw) * ch, 0);
    p[2].assign(size_t(cw) * ch, 0);
  }
  uint8_t& at(int c, int x, int y) { return p[c][size_t(y) * (c ? cw : w) + x]; }
  // Sample of field `f` (rows f, f + 2, ...) with coordinates clamped to the field.
  uint8_t field(int c, int f, int x, int y) {
    int width = c ? cw : w, rows = (c ? ch : h) / 2;
    x = std::clamp(x, 0, width - 1);
    y = std::clamp(y, 0, rows - 1);
    return p[c][size_t(2 * y + f) * width + x];
  }
};

std::string Save(const lumora::test::TempDir& dir, const std::string& name, const std::vector<uint8_t>& bytes) {
  auto path = dir / name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return path.string();
}

void ExpectPlanes(MpegStillDecoder& d, Planes& expected, const std::string& what) {
  for (int c = 0; c < 3; ++c) {
    std::vector<uint8_t> plane(d.PictureBytes(c));
    int w, h;
    ASSERT_EQ(d.FetchPicture(plane, w, h, c), expected.p[c].size()) << what << " plane " << c;
    for (size_t i = 0; i < plane.size(); ++i) {
      int width = c ? expected.cw : expected.w;
      ASSERT_EQ(int(plane[i]), int(expected.p[c][i]))
          << what << " plane " << c << " at (" << i % size_t(width) << ", " << i / size_t(width) << ")";
    }
  }
}

// Intra field or frame: every macroblock flat at values from `value(c, f, mbx, mby)`.
template <class Value>
void WriteIntraPicture(BitWriter& w, const TestSequence& s, const TestPicture& p, int mbRows, Value value) {
  const int mbCols = s.width / 16;
  for (int mby = 0; mby < mbRows; ++mby) {
    test::WriteSliceHeader(w, mby, s.mpeg2);
    int pred[3] = {128, 128, 128};
    for (int mbx = 0; mbx < mbCols; ++mbx) {
      w.Code("1");  // address increment 1
      w.Code("1");  // intra
      if (p.structure == 3 && !p.framePredFrameDct) w.Put(0, 1);  // frame DCT
      int f = p.structure == 2 ? 1 : 0;
      for (int b = 0; b < 4; ++b) WriteDcBlock(w, false, pred[0], value(0, f, mbx, mby), p.type != 4);
      WriteDcBlock(w, true, pred[1], value(1, f, mbx, mby), p.type != 4);
      WriteDcBlock(w, true, pred[2], value(2, f, mbx, mby), p.type != 4);
      if (p.type == 4) w.Code("1");  // end_of_macroblock
    }
  }
}

int IntraValue(int c, int f, int mbx, int mby) {
  if (c == 0) return 20 + 100 * f + 20 * mbx + 7 * mby;
  if (c == 1) return 60 + 30 * f + 10 * mbx + 5 * mby;
  return 200 - 30 * f - 10 * mbx - 5 * mby;
}

// Expected intra frame of field pictures (or of a frame picture when `fields` is false).
Planes IntraPlanes(int width, int height, bool fields) {
  Planes e(width, height, 1);
  for (int c = 0; c < 3; ++c) {
    int pw = c ? e.cw : e.w, ph = c ? e.ch : e.h, mbSize = c ? 8 : 16;
    for (int y = 0; y < ph; ++y)
      for (int x = 0; x < pw; ++x) {
        int f = fields ? y & 1 : 0, fy = fields ? y >> 1 : y;
        e.at(c, x, y) = uint8_t(IntraValue(c, f, x / mbSize, fy / mbSize));
      }
  }
  return e;
}

struct FieldMotion {
  bool split;      // 16x8: two halves
  int sel[2];      // field select of each half
  int dx[2], dy[2];  // whole-sample vectors (luma), written as half samples
};

TEST(CraftedStreams, FieldPicturesPredictFromTheSelectedFields) {
  lumora::test::TempDir dir;
  TestSequence s;  // 64 x 64, interlaced, 4:2:0
  BitWriter w;
  test::WriteSequence(w, s);
  TestPicture intra;
  intra.framePredFrameDct = false;
  for (int structure : {1, 2}) {
    intra.structure = structure;
    test::WritePicture(w, s, intra, 0);
    WriteIntraPicture(w, s, intra, 2, IntraValue);
  }
  // Motion of each macroblock of both P fields: [field][mby][mbx].
  const FieldMotion motion[2][2][4] = {
      {{{false, {1, 1}, {16, 0}, {0, 0}}, {true, {0, 1}, {0, -16}, {8, 0}}, {false, {0, 0}, {0, 0}, {0, 0}},
        {false, {1, 1}, {-16, 0}, {16, 0}}},
       {{true, {1, 0}, {0, 48}, {-8, 0}}, {false, {0, 0}, {16, 0}, {-16, 0}}, {false, {1, 1}, {-16, 0}, {-16, 0}},
        {true, {0, 0}, {-32, 0}, {0, -8}}}},
      {{{false, {0, 0}, {16, 0}, {0, 0}}, {false, {1, 1}, {0, 16}, {0, 16}}, {true, {0, 1}, {-16, 8}, {16, -8}},
        {false, {0, 0}, {-48, 16}, {0, 0}}},
       {{false, {0, 0}, {0, -16}, {0, -16}}, {true, {1, 1}, {16, -16}, {-16, 0}}, {false, {1, 1}, {0, 0}, {0, 0}},
        {false, {0, 0}, {-16, -16}, {0, 0}}}},
  };
  TestPicture p;
  p.type = 2;
  p.framePredFrameDct = false;
  p.fCode = 4;  // vectors up to 64 samples
  for (int f = 0; f < 2; ++f) {
    p.structure = f + 1;
    test::WritePicture(w, s, p, 1);
    for (int mby = 0; mby < 2; ++mby) {
      test::WriteSliceHeader(w, mby, true);
      int pmv[2][2] = {};
      for (int mbx = 0; mbx < 4; ++mbx) {
        const FieldMotion& m = motion[f][mby][mbx];
        w.Code("1");    // address increment
        w.Code("001");  // motion compensated, not coded
        w.Code(m.split ? "10" : "01");
        for (int r = 0; r < (m.split ? 2 : 1); ++r) {
          w.Put(uint32_t(m.sel[r]), 1);
          WriteMotionDelta(w, 2 * m.dx[r] - pmv[r][0], p.fCode);
          WriteMotionDelta(w, 2 * m.dy[r] - pmv[r][1], p.fCode);
          pmv[r][0] = 2 * m.dx[r];
          pmv[r][1] = 2 * m.dy[r];
          if (!m.split) pmv[1][0] = pmv[0][0], pmv[1][1] = pmv[0][1];
        }
      }
    }
  }
  std::string path = Save(dir, "fields.m2v", w.Finish());

  Planes i = IntraPlanes(64, 64, true);
  Planes e = i;
  for (int f = 0; f < 2; ++f) {
    for (int c = 0; c < 3; ++c) {
      int mbSize = c ? 8 : 16, scale = c ? 2 : 1;
      for (int mby = 0; mby < 2; ++mby)
        for (int mbx = 0; mbx < 4; ++mbx) {
          const FieldMotion& m = motion[f][mby][mbx];
          for (int y = 0; y < mbSize; ++y)
            for (int x = 0; x < mbSize; ++x) {
              int r = m.split && y >= mbSize / 2 ? 1 : 0;
              int sel = m.sel[r];
              // The second field's opposite parity is the first field of this frame.
              Planes& src = f == 1 && sel == 0 ? e : i;
              int fx = mbx * mbSize + x, fy = mby * mbSize + y;
              e.at(c, fx, 2 * fy + f) = src.field(c, sel, fx + m.dx[r] / scale, fy + m.dy[r] / scale);
            }
        }
    }
  }

  MpegStillDecoder d;
  ASSERT_EQ(d.Open(path), kOk);
  ASSERT_EQ(d.DecodePicture(), kOk);
  ExpectPlanes(d, i, "I fields");
  ASSERT_EQ(d.DecodePicture(), kOk);
  EXPECT_EQ(d.LastPictureHeader().pictureStructure, kBottomField) << "both fields make one picture";
  ExpectPlanes(d, e, "P fields");
  EXPECT_EQ(d.DecodePicture(), kErrState);
}

TEST(CraftedStreams, DualPrimeAveragesSameAndOppositeFields) {
  lumora::test::TempDir dir;
  TestSequence s;
  BitWriter w;
  test::WriteSequence(w, s);
  TestPicture intra;
  intra.framePredFrameDct = false;
  for (int structure : {1, 2}) {
    intra.structure = structure;
    test::WritePicture(w, s, intra, 0);
    WriteIntraPicture(w, s, intra, 2, IntraValue);
  }
  // A P frame picture, every macroblock dual prime with a zero vector and
  // zero differentials: each field averages its own field of the reference
  // with the other one moved half a line (up for the top field, down for the
  // bottom), the vertical offset of the fields.
  TestPicture p;
  p.type = 2;
  p.framePredFrameDct = false;
  test::WritePicture(w, s, p, 1);
  for (int mby = 0; mby < 4; ++mby) {
    test::WriteSliceHeader(w, mby, true);
    for (int mbx = 0; mbx < 4; ++mbx) {
      w.Code("1");
      w.Code("001");
      w.Code("11");  // dual prime
      w.Code("1 0 1 0");  // motion code 0 and dmvector 0, both components
    }
  }
  std::string path = Save(dir, "dual.m2v", w.Finish());

  Planes i = IntraPlanes(64, 64, true);
  Planes e = i;
  for (int c = 0; c < 3; ++c) {
    int pw = c ? e.cw : e.w, rows = (c ? e.ch : e.h) / 2;
    for (int f = 0; f < 2; ++f)
      for (int y = 0; y < rows; ++y)
        for (int x = 0; x < pw; ++x) {
          int same = i.field(c, f, x, y);
          int o0 = i.field(c, 1 - f, x, f == 0 ? y - 1 : y), o1 = i.field(c, 1 - f, x, f == 0 ? y : y + 1);
          // Chroma halves the half-line vector towards zero: no offset at all.
          int opposite = c ? i.field(c, 1 - f, x, y) : (o0 + o1 + 1) >> 1;
          e.at(c, x, 2 * y + f) = uint8_t((same + opposite + 1) >> 1);
        }
  }
  MpegStillDecoder d;
  ASSERT_EQ(d.Open(path), kOk);
  ASSERT_EQ(d.DecodePicture(), kOk);
  ASSERT_EQ(d.DecodePicture(), kOk);
  ExpectPlanes(d, e, "dual prime");
}

TEST(CraftedStreams, Chroma444BlocksLandInTheirQuarters) {
  lumora::test::TempDir dir;
  TestSequence s{32, 32, true, true, 3};
  BitWriter w;
  test::WriteSequence(w, s);
  TestPicture p;
  test::WritePicture(w, s, p, 0);
  auto value = [](int c, int mb, int block) { return 30 + 40 * c + 9 * block + 3 * mb; };
  for (int mby = 0; mby < 2; ++mby) {
    test::WriteSliceHeader(w, mby, true);
    int pred[3] = {128, 128, 128};
    for (int mbx = 0; mbx < 2; ++mbx) {
      w.Code("1");
      w.Code("1");
      int mb = mby * 2 + mbx;
      for (int b = 0; b < 4; ++b) WriteDcBlock(w, false, pred[0], value(0, mb, b), true);
      for (int b = 0; b < 4; ++b) {  // blocks 4 to 11: Cb, Cr of each quarter in turn
        WriteDcBlock(w, true, pred[1], value(1, mb, b), true);
        WriteDcBlock(w, true, pred[2], value(2, mb, b), true);
      }
    }
  }
  std::string path = Save(dir, "c444.m2v", w.Finish());
  Planes e(32, 32, 3);
  for (int c = 0; c < 3; ++c)
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) e.at(c, x, y) = uint8_t(value(c, (y / 16) * 2 + x / 16, ((y / 8) & 1) * 2 + ((x / 8) & 1)));
  MpegStillDecoder d;
  ASSERT_EQ(d.Open(path), kOk);
  EXPECT_EQ(d.sequence().chromaFormat, kChroma444);
  ASSERT_EQ(d.DecodePicture(), kOk);
  ExpectPlanes(d, e, "4:4:4");
  std::vector<uint8_t> bmp(d.PictureBytes(kFormatBmp));
  int w2, h2;
  EXPECT_EQ(d.FetchPicture(bmp, w2, h2, kFormatBmp), 32u * 32 * 3 + 54) << "4:4:4 converts without up-sampling";
}

TEST(CraftedStreams, Mpeg1DPicturesAndConcealmentVectorsDecode) {
  lumora::test::TempDir dir;
  {
    TestSequence s{32, 32, false, true, 1};
    BitWriter w;
    test::WriteSequence(w, s);
    TestPicture p;
    p.type = 4;
    test::WritePicture(w, s, p, 0);
    WriteIntraPicture(w, s, p, 2, IntraValue);
    MpegStillDecoder d;
    ASSERT_EQ(d.Open(Save(dir, "d.m1v", w.Finish())), kOk);
    ASSERT_EQ(d.DecodePicture(), kOk);
    EXPECT_EQ(d.LastPictureHeader().codingType, kPictureD);
    Planes e = IntraPlanes(32, 32, false);
    ExpectPlanes(d, e, "D picture");
  }
  {
    TestSequence s{32, 32, true, true, 1};
    BitWriter w;
    test::WriteSequence(w, s);
    TestPicture p;
    p.concealment = true;
    p.fCode = 2;
    test::WritePicture(w, s, p, 0);
    // The I picture's f_codes are 15 when written by the helper; concealment
    // vectors need real ones.
    for (int mby = 0; mby < 2; ++mby) {
      test::WriteSliceHeader(w, mby, true);
      int pred[3] = {128, 128, 128};
      for (int mbx = 0; mbx < 2; ++mbx) {
        w.Code("1");
        w.Code("1");
        WriteMotionDelta(w, 5 * mbx - 3, 15);
        WriteMotionDelta(w, -7 * mby + 2, 15);
        w.Code("1");  // marker
        for (int b = 0; b < 4; ++b) WriteDcBlock(w, false, pred[0], IntraValue(0, 0, mbx, mby), true);
        WriteDcBlock(w, true, pred[1], IntraValue(1, 0, mbx, mby), true);
        WriteDcBlock(w, true, pred[2], IntraValue(2, 0, mbx, mby), true);
      }
    }
    MpegStillDecoder d;
    ASSERT_EQ(d.Open(Save(dir, "conceal.m2v", w.Finish())), kOk);
    ASSERT_EQ(d.DecodePicture(), kOk);
    Planes e = IntraPlanes(32, 32, false);
    ExpectPlanes(d, e, "concealment vectors");
  }
}

TEST(CraftedStreams, DamagedSlicesAndWildVectorsStayInsideThePicture) {
  lumora::test::TempDir dir;
  TestSequence s{32, 32, true, true, 1};
  BitWriter w;
  test::WriteSequence(w, s);
  TestPicture intra;
  test::WritePicture(w, s, intra, 0);
  WriteIntraPicture(w, s, intra, 2, IntraValue);
  // Slices for rows past the grid, and one whose address runs past the end.
  w.StartCode(0x10);
  w.Put(8, 5);
  w.Put(0, 1);
  w.Code("1 1 100 10");
  w.StartCode(0x02);
  w.Put(8, 5);
  w.Put(0, 1);
  for (int i = 0; i < 4; ++i) w.Code("0000 0001 000");  // escapes: 132 macroblocks on
  w.Code("1 1 100 10");
  // A P picture whose vectors point 64 samples up and left of every macroblock.
  TestPicture p;
  p.type = 2;
  p.fCode = 7;
  test::WritePicture(w, s, p, 1);
  for (int mby = 0; mby < 2; ++mby) {
    test::WriteSliceHeader(w, mby, true);
    int pmv[2] = {};
    for (int mbx = 0; mbx < 2; ++mbx) {
      w.Code("1");
      w.Code("001");
      WriteMotionDelta(w, -128 - pmv[0], p.fCode);
      WriteMotionDelta(w, -128 - pmv[1], p.fCode);
      pmv[0] = pmv[1] = -128;
    }
  }
  MpegStillDecoder d;
  ASSERT_EQ(d.Open(Save(dir, "damaged.m2v", w.Finish())), kOk);
  ASSERT_EQ(d.DecodePicture(), kOk);
  Planes i = IntraPlanes(32, 32, false);
  ExpectPlanes(d, i, "after damaged slices");
  ASSERT_EQ(d.DecodePicture(), kOk);
  // Every prediction reads the reference's top-left sample.
  Planes e(32, 32, 1);
  for (int c = 0; c < 3; ++c) std::fill(e.p[c].begin(), e.p[c].end(), i.at(c, 0, 0));
  ExpectPlanes(d, e, "vectors outside");
}

TEST(CraftedStreams, PicturesWithoutTheirReferencesAreRefusedOrUseTheOneThereIs) {
  lumora::test::TempDir dir;
  TestSequence s{32, 32, true, true, 1};
  BitWriter w;
  test::WriteSequence(w, s);
  // Macroblocks predicted with no motion, nothing coded.
  auto writeNotCoded = [&](const TestPicture& p, const char* type) {
    test::WritePicture(w, s, p, 0);
    for (int mby = 0; mby < 2; ++mby) {
      test::WriteSliceHeader(w, mby, true);
      for (int mbx = 0; mbx < 2; ++mbx) {
        w.Code("1");
        w.Code(type);
        w.Code("1 1");  // motion codes 0
      }
    }
  };
  TestPicture p;
  p.type = 2;
  writeNotCoded(p, "001");  // a P picture before any reference
  TestPicture intra;
  test::WritePicture(w, s, intra, 1);
  WriteIntraPicture(w, s, intra, 2, IntraValue);
  TestPicture b;
  b.type = 3;
  writeNotCoded(b, "0010");  // forward only: the forward reference is missing
  MpegStillDecoder d;
  ASSERT_EQ(d.Open(Save(dir, "refs.m2v", w.Finish())), kOk);
  EXPECT_EQ(d.DecodePicture(), kErrState) << "P without a reference";
  EXPECT_FALSE(d.HasPicture());
  ASSERT_EQ(d.DecodePicture(), kOk);
  Planes i = IntraPlanes(32, 32, false);
  ExpectPlanes(d, i, "I");
  ASSERT_EQ(d.DecodePicture(), kOk);
  EXPECT_EQ(d.LastPictureHeader().codingType, kPictureB);
  ExpectPlanes(d, i, "B from the one reference");
}

TEST(CraftedStreams, Mpeg1WholeSampleVectorsAndStuffing) {
  lumora::test::TempDir dir;
  TestSequence s{32, 32, false, true, 1};
  BitWriter w;
  test::WriteSequence(w, s);
  TestPicture intra;
  test::WritePicture(w, s, intra, 0);
  // The intra picture, with macroblock stuffing before every address increment.
  for (int mby = 0; mby < 2; ++mby) {
    test::WriteSliceHeader(w, mby, false);
    int pred[3] = {128, 128, 128};
    for (int mbx = 0; mbx < 2; ++mbx) {
      w.Code("0000 0001 111 0000 0001 111");
      w.Code("1 1");
      for (int b = 0; b < 4; ++b) WriteDcBlock(w, false, pred[0], IntraValue(0, 0, mbx, mby), true);
      WriteDcBlock(w, true, pred[1], IntraValue(1, 0, mbx, mby), true);
      WriteDcBlock(w, true, pred[2], IntraValue(2, 0, mbx, mby), true);
    }
  }
  // A P picture with whole-sample vectors: each macroblock takes its
  // neighbour's content (16 samples right, or left for the right column).
  TestPicture p;
  p.type = 2;
  p.fullPel = true;
  p.fCode = 2;
  test::WritePicture(w, s, p, 1);
  for (int mby = 0; mby < 2; ++mby) {
    test::WriteSliceHeader(w, mby, false);
    int pmv = 0;
    for (int mbx = 0; mbx < 2; ++mbx) {
      int dx = mbx == 0 ? 16 : -16;
      w.Code("1 001");
      WriteMotionDelta(w, dx - pmv, p.fCode);
      WriteMotionDelta(w, 0, p.fCode);
      pmv = dx;
    }
  }
  MpegStillDecoder d;
  ASSERT_EQ(d.Open(Save(dir, "fullpel.m1v", w.Finish())), kOk);
  ASSERT_EQ(d.DecodePicture(), kOk);
  Planes i = IntraPlanes(32, 32, false);
  ExpectPlanes(d, i, "I with stuffing");
  ASSERT_EQ(d.DecodePicture(), kOk);
  Planes e = i;
  for (int c = 0; c < 3; ++c) {
    int half = c ? 8 : 16;
    for (int y = 0; y < 2 * half; ++y)
      for (int x = 0; x < 2 * half; ++x) e.at(c, x, y) = i.at(c, (x + half) % (2 * half), y);
  }
  ExpectPlanes(d, e, "whole-sample vectors");
}

}  // namespace
}  // namespace lumora::mpeg
