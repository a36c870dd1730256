// A small MPEG video writer for tests: the headers, and macroblocks of the
// kinds the ffmpeg encoder never writes (field pictures with field, 16x8 and
// dual-prime prediction, 4:4:4 chroma, MPEG-1 D pictures, concealment motion
// vectors). Intra macroblocks carry DC coefficients only, so every block of
// the decoded picture is flat at a known value.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace lumora::mpeg::test {

class BitWriter {
 public:
  void Put(uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      acc_ = uint8_t(acc_ << 1 | ((value >> i) & 1));
      if (++held_ == 8) Flush();
    }
  }
  // A code written as '0' and '1' characters (spaces ignored).
  void Code(const std::string& text) {
    for (char c : text)
      if (c == '0' || c == '1') Put(c == '1', 1);
  }
  void StartCode(uint8_t code) {
    while (held_ != 0) Put(0, 1);
    for (uint8_t b : {uint8_t(0), uint8_t(0), uint8_t(1), code}) bytes_.push_back(b);
  }
  std::vector<uint8_t> Finish() {
    while (held_ != 0) Put(0, 1);
    return bytes_;
  }

 private:
  void Flush() {
    bytes_.push_back(acc_);
    acc_ = 0;
    held_ = 0;
  }
  std::vector<uint8_t> bytes_;
  uint8_t acc_ = 0;
  int held_ = 0;
};

struct TestSequence {
  int width = 64, height = 64;
  bool mpeg2 = true;
  bool progressive = false;
  int chromaFormat = 1;
  int scalableMode = -1;  // a sequence scalable extension with this mode (1 spatial, 2 SNR), none when negative
  // Spatial layers: the lower layer's size and the up-sampling ratio m / n.
  int lowerWidth = 0, lowerHeight = 0;
  int factorM = 2, factorN = 1;
};

inline void WriteSequence(BitWriter& w, const TestSequence& s) {
  w.StartCode(0xB3);
  w.Put(uint32_t(s.width), 12);
  w.Put(uint32_t(s.height), 12);
  w.Put(1, 4);       // square samples
  w.Put(3, 4);       // 25 pictures a second
  w.Put(20000, 18);  // bit rate
  w.Put(1, 1);       // marker
  w.Put(20, 10);     // vbv buffer size
  w.Put(0, 1);
  w.Put(0, 1);  // default matrices
  w.Put(0, 1);
  if (s.mpeg2) {
    w.StartCode(0xB5);
    w.Put(1, 4);
    w.Put(0x48, 8);  // main profile, main level
    w.Put(s.progressive, 1);
    w.Put(uint32_t(s.chromaFormat), 2);
    w.Put(0, 2);
    w.Put(0, 2);
    w.Put(0, 12);
    w.Put(1, 1);
    w.Put(0, 8);
    w.Put(0, 1);
    w.Put(0, 2);
    w.Put(0, 5);
  }
  if (s.scalableMode >= 0) {
    w.StartCode(0xB5);
    w.Put(5, 4);
    w.Put(uint32_t(s.scalableMode), 2);
    w.Put(1, 4);  // layer_id
    if (s.scalableMode == 1) {
      w.Put(uint32_t(s.lowerWidth), 14);
      w.Put(1, 1);
      w.Put(uint32_t(s.lowerHeight), 14);
      for (int i = 0; i < 2; ++i) {
        w.Put(uint32_t(s.factorM), 5);
        w.Put(uint32_t(s.factorN), 5);
      }
    }
  }
  w.StartCode(0xB8);
  w.Put(0, 1);
  w.Put(0, 5);
  w.Put(0, 6);
  w.Put(1, 1);
  w.Put(0, 6);
  w.Put(0, 6);
  w.Put(1, 1);  // closed group
  w.Put(0, 1);
}

struct TestPicture {
  int type = 1;        // 1 I, 2 P, 3 B, 4 D
  int structure = 3;   // 1 top field, 2 bottom field, 3 frame
  int fCode = 3;       // all directions
  bool framePredFrameDct = true;
  bool concealment = false;
  bool topFieldFirst = true;
  bool fullPel = false;  // MPEG-1 vectors in whole samples
};

inline void WritePicture(BitWriter& w, const TestSequence& s, const TestPicture& p, int temporalReference) {
  w.StartCode(0x00);
  w.Put(uint32_t(temporalReference), 10);
  w.Put(uint32_t(p.type), 3);
  w.Put(0xFFFF, 16);
  if (p.type == 2 || p.type == 3) {
    w.Put(p.fullPel, 1);
    w.Put(s.mpeg2 ? 7 : uint32_t(p.fCode), 3);
  }
  if (p.type == 3) {
    w.Put(p.fullPel, 1);
    w.Put(s.mpeg2 ? 7 : uint32_t(p.fCode), 3);
  }
  w.Put(0, 1);  // extra_bit_picture
  if (!s.mpeg2) return;
  w.StartCode(0xB5);
  w.Put(8, 4);
  for (int i = 0; i < 4; ++i) w.Put(uint32_t(p.type == 1 ? 15 : p.fCode), 4);
  w.Put(0, 2);  // intra_dc_precision 8 bits
  w.Put(uint32_t(p.structure), 2);
  w.Put(p.topFieldFirst, 1);
  w.Put(p.framePredFrameDct, 1);
  w.Put(p.concealment, 1);
  w.Put(0, 1);  // q_scale_type
  w.Put(0, 1);  // intra_vlc_format
  w.Put(0, 1);  // alternate_scan
  w.Put(0, 1);  // repeat_first_field
  w.Put(1, 1);  // chroma_420_type
  w.Put(s.progressive, 1);
  w.Put(0, 1);  // composite_display_flag
}

// Picture spatial scalable extension: the lower picture's temporal
// reference, no offsets, a progressive lower frame.
inline void WriteSpatialExtension(BitWriter& w, int lowerTemporalReference) {
  w.StartCode(0xB5);
  w.Put(9, 4);
  w.Put(uint32_t(lowerTemporalReference), 10);
  w.Put(1, 1);
  w.Put(0, 15);  // horizontal offset
  w.Put(1, 1);
  w.Put(0, 15);  // vertical offset
  w.Put(0, 2);   // spatial_temporal_weight_code_table_index
  w.Put(1, 1);   // lower_layer_progressive_frame
  w.Put(0, 1);   // lower_layer_deinterlaced_field_select
}

inline void WriteSliceHeader(BitWriter& w, int row, bool mpeg2) {
  w.StartCode(uint8_t(row + 1));
  w.Put(8, 5);  // quantiser_scale_code
  w.Put(0, 1);  // no extra information
  (void)mpeg2;
}

// DC differential of an intra block (luma or chroma sizes), then end of block.
inline void WriteDcBlock(BitWriter& w, bool chroma, int& predictor, int value, bool endOfBlock) {
  static const char* kLuma[] = {"100", "00", "01", "101", "110", "1110", "11110", "111110", "1111110"};
  static const char* kChroma[] = {"00", "01", "10", "110", "1110", "11110", "111110", "1111110", "11111110"};
  int diff = value - predictor;
  predictor = value;
  int size = 0;
  while ((1 << size) <= std::abs(diff)) ++size;
  w.Code(chroma ? kChroma[size] : kLuma[size]);
  if (size > 0) w.Put(uint32_t(diff > 0 ? diff : diff + (1 << size) - 1), size);
  if (endOfBlock) w.Code("10");
}

// A motion vector component as motion_code and residual for f_code `fCode`.
inline void WriteMotionDelta(BitWriter& w, int delta, int fCode) {
  static const char* kMagnitude[] = {"1",           "01",          "001",         "0001",        "0000 11",
                                     "0000 101",    "0000 100",    "0000 011",    "0000 0101 1", "0000 0101 0",
                                     "0000 0100 1", "0000 0100 01", "0000 0100 00", "0000 0011 11", "0000 0011 10",
                                     "0000 0011 01", "0000 0011 00"};
  int rSize = fCode - 1, f = 1 << rSize;
  if (delta == 0) {
    w.Code(kMagnitude[0]);
    return;
  }
  int magnitude = (std::abs(delta) - 1) / f + 1;
  int residual = (std::abs(delta) - 1) % f;
  w.Code(kMagnitude[magnitude]);
  w.Put(delta < 0, 1);
  if (rSize > 0) w.Put(uint32_t(residual), rSize);
}

}  // namespace lumora::mpeg::test
