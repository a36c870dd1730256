// Chroma up-sampling, colour conversion and the byte layouts of the output formats.
#include "mpeg/PictureOutput.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "mpeg/MpegErrors.h"
#include "picture/DibHeader.h"
#include "picture/LittleEndian.h"

namespace lumora::mpeg {

namespace {

constexpr ConversionRow kConversionRows[8] = {
    {117504, 138453, 13954, 34903},  // 0: no sequence display extension
    {117504, 138453, 13954, 34903},  // 1: ITU-R BT.709
    {104597, 132201, 25675, 53279},  // 2: unspecified
    {104597, 132201, 25675, 53279},  // 3: reserved
    {104448, 132798, 24759, 53109},  // 4: FCC
    {104597, 132201, 25675, 53279},  // 5: ITU-R BT.470 System B, G
    {104597, 132201, 25675, 53279},  // 6: SMPTE 170M
    {117579, 136230, 16907, 35559},  // 7: SMPTE 240M
};
constexpr int kLumaFactor = 76309;
constexpr int kDefaultMatrix = 5;

inline uint8_t Clip(int v) { return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v); }

// Six-tap pairs of each mode over samples i-3 .. i+3 (the even output uses
// the first six, the odd one the last six); 256 is the identity.
struct Taps {
  int even[7];
  int odd[7];
};
constexpr Taps kTaps[4] = {
    {{5, -21, 70, 228, -37, 11, 0}, {0, 11, -37, 228, 70, -21, 5}},   // Mpeg1
    {{0, 0, 0, 256, 0, 0, 0}, {0, 21, -52, 159, 159, -52, 21}},       // Mpeg2
    {{3, -16, 67, 227, -32, 7, 0}, {0, 7, -32, 227, 67, -16, 3}},     // Interlaced
    {{0, 0, 0, 256, 0, 0, 0}, {0, 0, 0, 256, 0, 0, 0}},               // Replicate
};

// Samples beyond the ends of a line are replaced by the first or last one:
// lines are filtered from rows (or a padded copy) with those replaced.
constexpr int kPad = 3;

// Both outputs for each column from seven rows (i-3 .. i+3).
template <int M>
void FilterRows(const uint8_t* const rows[7], int width, uint8_t* even, uint8_t* odd) {
  constexpr Taps t = kTaps[M];
  for (int x = 0; x < width; ++x) {
    int e = 128, o = 128;
    for (int k = 0; k < 7; ++k) {
      e += t.even[k] * rows[k][x];
      o += t.odd[k] * rows[k][x];
    }
    even[x] = Clip(e >> 8);
    odd[x] = Clip(o >> 8);
  }
}

// Both outputs for each sample of a padded line (kPad samples either side).
template <int M>
void FilterLine(const uint8_t* padded, int n, uint8_t* out) {
  constexpr Taps t = kTaps[M];
  for (int i = 0; i < n; ++i) {
    const uint8_t* x = padded + i;  // x[k] is sample i - 3 + k
    int e = 128, o = 128;
    for (int k = 0; k < 7; ++k) {
      e += t.even[k] * x[k];
      o += t.odd[k] * x[k];
    }
    out[2 * i] = Clip(e >> 8);
    out[2 * i + 1] = Clip(o >> 8);
  }
}

using RowsFn = void (*)(const uint8_t* const[7], int, uint8_t*, uint8_t*);
using LineFn = void (*)(const uint8_t*, int, uint8_t*);
constexpr RowsFn kRowFilters[4] = {FilterRows<0>, FilterRows<1>, FilterRows<2>, FilterRows<3>};
constexpr LineFn kLineFilters[4] = {FilterLine<0>, FilterLine<1>, FilterLine<2>, FilterLine<3>};

// One line of n samples into 2n through `padded` (n + 2 x kPad bytes).
void UpsampleLine(const uint8_t* line, int n, UpsampleMode mode, uint8_t* padded, uint8_t* out) {
  std::memset(padded, line[0], kPad);
  std::memcpy(padded + kPad, line, size_t(n));
  std::memset(padded + kPad + n, line[n - 1], kPad);
  kLineFilters[int(mode)](padded, n, out);
}

// The n rows at `src`, `stride` apart, into `outRows` rows of `dst`, `outStep`
// rows apart: row i gives output rows 2i and 2i + 1. Rows past the last
// filter from the last one (a field one row short of its frame's half); an
// odd output row past `outRows` is dropped (a field one row longer).
void FilterColumns(const uint8_t* src, int width, int n, ptrdiff_t stride, UpsampleMode mode, uint8_t* dst,
                   ptrdiff_t outStep, int outRows) {
  RowsFn filter = kRowFilters[int(mode)];
  std::vector<uint8_t> dropped;
  for (int i = 0; 2 * i < outRows; ++i) {
    const uint8_t* rows[7];
    for (int k = 0; k < 7; ++k) {
      int r = i - kPad + k;
      rows[k] = src + (r < 0 ? 0 : r >= n ? n - 1 : r) * stride;
    }
    uint8_t* even = dst + 2 * i * outStep * width;
    uint8_t* odd = even + outStep * width;
    if (2 * i + 1 == outRows) {
      dropped.resize(size_t(width));
      odd = dropped.data();
    }
    filter(rows, width, even, odd);
  }
}

// The conversion as written: luma scaled by 76309 from 16, chroma from 128,
// rounded with 32768 before the shift by 16, clipped to 0..255.
inline Rgb ConvertPixel(int y, int cb, int cr, const ConversionRow& row) {
  int l = kLumaFactor * (y - 16), u = cb - 128, v = cr - 128;
  return {Clip((l + row.crv * v + 32768) >> 16), Clip((l - row.cgu * u - row.cgv * v + 32768) >> 16),
          Clip((l + row.cbu * u + 32768) >> 16)};
}

// One row of pixels, blue-green-red or red-green-blue.
template <bool Bgr>
void ConvertRow(const uint8_t* y, const uint8_t* cb, const uint8_t* cr, int w, const ConversionRow& row, uint8_t* dst) {
  for (int x = 0; x < w; ++x, dst += 3) {
    Rgb c = ConvertPixel(y[x], cb[x], cr[x], row);
    dst[0] = Bgr ? c.b : c.r;
    dst[1] = c.g;
    dst[2] = Bgr ? c.r : c.b;
  }
}

// BMP rows: exactly width x 3 bytes when that is a multiple of 4 (every
// common MPEG width), else padded to 4 so the file stays a valid bitmap.
size_t BmpRowBytes(int width) { return (size_t(width) * 3 + 3) & ~size_t(3); }

// The Targa header of an uncompressed true-colour picture, 24 bits a pixel
// stored blue, green, red, top row first: no image identification, no colour
// map, origin 0, 0. Fields not named here are 0.
constexpr size_t kTargaImageTypeAt = 2;
constexpr size_t kTargaWidthAt = 12;
constexpr size_t kTargaHeightAt = 14;
constexpr size_t kTargaPixelDepthAt = 16;
constexpr size_t kTargaDescriptorAt = 17;
constexpr uint8_t kTargaTrueColour = 2;
constexpr uint8_t kTargaTopRowFirst = 0x20;  // image descriptor bit 5

int PpmHeader(const PictureView& pic, char (&text)[32]) {
  return std::snprintf(text, sizeof text, "P6\n%d %d\n255\n", pic.width, pic.height);
}

// The chroma rows at full height: 4:2:0 planes are up-sampled vertically
// into the scratch planes, others used as they are. False when memory runs out.
bool FullHeightChroma(const PictureView& pic, OutputScratch& scratch, const uint8_t* out[2], ptrdiff_t& stride) {
  int cw, ch;
  PlaneSize(pic, 1, cw, ch);
  stride = pic.stride[1];
  out[0] = pic.plane[1];
  out[1] = pic.plane[2];
  if (pic.chromaFormat != 1) return true;
  UpsampleMode mode = !pic.mpeg2 ? UpsampleMode::Mpeg1
                      : pic.progressiveFrame ? UpsampleMode::Mpeg2
                                             : UpsampleMode::Interlaced;
  try {
    for (int c = 0; c < 2; ++c) {
      auto& v = scratch.vertical[c];
      if (v.size() < size_t(cw) * size_t(2 * ch)) v.resize(size_t(cw) * size_t(2 * ch));
      UpsampleVertical(pic.plane[c + 1], cw, ch, pic.stride[c + 1], mode, v.data());
      out[c] = v.data();
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  stride = cw;
  return true;
}

}  // namespace

void PlaneSize(const PictureView& pic, int component, int& width, int& height) {
  width = pic.width;
  height = pic.height;
  if (component == 0 || pic.chromaFormat == 3) return;
  width = (pic.width + 1) / 2;
  if (pic.chromaFormat == 1) height = (pic.height + 1) / 2;
}

ConversionRow ConversionFor(int matrixCoefficients) {
  if (matrixCoefficients < 0 || matrixCoefficients > 7) matrixCoefficients = kDefaultMatrix;
  return kConversionRows[matrixCoefficients];
}

Rgb YCbCrToRgb(int y, int cb, int cr, const ConversionRow& row) { return ConvertPixel(y, cb, cr, row); }

void UpsampleVertical(const uint8_t* src, int width, int height, ptrdiff_t stride, UpsampleMode mode, uint8_t* dst) {
  // A single row belongs to the top field alone: the bottom field has no
  // sample of its own, and both fields repeat the row.
  if (mode == UpsampleMode::Interlaced && height < 2) mode = UpsampleMode::Replicate;
  if (mode != UpsampleMode::Interlaced) {
    FilterColumns(src, width, height, stride, mode, dst, 1, 2 * height);
    return;
  }
  // Each field on its own: field f's row j gives frame rows 4j + f and 4j + 2
  // + f, `height` rows a field. With an odd height the top field has a row
  // more than the bottom one: its last odd output falls past the frame and
  // the bottom field's last row is filtered from its last sample.
  for (int f = 0; f < 2; ++f)
    FilterColumns(src + f * stride, width, (height - f + 1) / 2, 2 * stride, mode, dst + size_t(f) * width, 2,
                  height);
}

void UpsampleHorizontal(const uint8_t* src, int width, int rows, ptrdiff_t stride, UpsampleMode mode, uint8_t* dst) {
  std::vector<uint8_t> padded(size_t(width) + 2 * kPad);
  for (int r = 0; r < rows; ++r) UpsampleLine(src + r * stride, width, mode, padded.data(), dst + size_t(r) * 2 * width);
}

size_t OutputBytes(const PictureView& pic, int format) {
  const size_t w = size_t(pic.width), h = size_t(pic.height);
  int pw, ph;
  switch (format) {
    case kFormatLuma:
    case kFormatCb:
    case kFormatCr:
      PlaneSize(pic, format, pw, ph);
      return size_t(pw) * size_t(ph);
    case kFormatBmp: return BmpRowBytes(pic.width) * h + kBmpHeaderBytes;
    case kFormatTarga: return w * h * 3 + kTargaHeaderBytes;
    case kFormatPacked422: return (w + 1) / 2 * 4 * h;
    case kFormatPpm: {
      char text[32];
      return size_t(PpmHeader(pic, text)) + w * h * 3;
    }
    default: return 0;
  }
}

namespace {

// The planes as they are (formats 0 to 2): `width` x `height` bytes.
void WritePlane(const PictureView& pic, int component, uint8_t* out, int& width, int& height) {
  PlaneSize(pic, component, width, height);
  for (int r = 0; r < height; ++r)
    std::memcpy(out + size_t(r) * width, pic.plane[component] + r * pic.stride[component], size_t(width));
}

// Packed 4:2:2, Cb Y Cr Y for every two pixels: chroma at half width, 4:2:0
// rows up-sampled vertically, 4:4:4 rows take every other sample.
bool WritePacked422(const PictureView& pic, OutputScratch& scratch, uint8_t* out) {
  const uint8_t* chroma[2];
  ptrdiff_t cstride;
  if (!FullHeightChroma(pic, scratch, chroma, cstride)) return false;
  const int w = pic.width;
  const int step = pic.chromaFormat == 3 ? 2 : 1;
  for (int r = 0; r < pic.height; ++r) {
    const uint8_t* y = pic.plane[0] + r * pic.stride[0];
    const uint8_t* u = chroma[0] + r * cstride;
    const uint8_t* v = chroma[1] + r * cstride;
    for (int x = 0; x < w; x += 2) {
      *out++ = u[x / 2 * step];
      *out++ = y[x];
      *out++ = v[x / 2 * step];
      *out++ = y[x + 1 < w ? x + 1 : x];
    }
  }
  return true;
}

// Rows of RGB pixels: the chroma brought to full height once, then each
// row's chroma to full width (4:4:4 rows as they are) and converted.
class RgbRows {
 public:
  RgbRows(const PictureView& pic, OutputScratch& scratch) : pic_(pic), scratch_(scratch) {}

  // Grows the scratch planes; false when memory runs out.
  bool Prepare() {
    if (!FullHeightChroma(pic_, scratch_, chroma_, cstride_)) return false;
    int ch;
    PlaneSize(pic_, 1, cw_, ch);
    try {
      for (auto& f : scratch_.full)
        if (f.size() < size_t(2 * cw_)) f.resize(size_t(2 * cw_));
      if (scratch_.line.size() < size_t(cw_ + 2 * kPad)) scratch_.line.resize(size_t(cw_ + 2 * kPad));
    } catch (const std::bad_alloc&) {
      return false;
    }
    return true;
  }

  // Row `r` (0 the top) as blue-green-red or red-green-blue pixels.
  template <bool Bgr>
  void Convert(int r, uint8_t* dst) const {
    const uint8_t* y = pic_.plane[0] + r * pic_.stride[0];
    const uint8_t* uv[2];
    for (int c = 0; c < 2; ++c) {
      const uint8_t* line = chroma_[c] + r * cstride_;
      if (pic_.chromaFormat == 3) {
        uv[c] = line;
      } else {
        UpsampleLine(line, cw_, horizontal_, scratch_.line.data(), scratch_.full[c].data());
        uv[c] = scratch_.full[c].data();
      }
    }
    ConvertRow<Bgr>(y, uv[0], uv[1], pic_.width, conversion_, dst);
  }

 private:
  const PictureView& pic_;
  OutputScratch& scratch_;
  const UpsampleMode horizontal_ = pic_.mpeg2 ? UpsampleMode::Mpeg2 : UpsampleMode::Mpeg1;
  const ConversionRow conversion_ = ConversionFor(pic_.matrixCoefficients);
  const uint8_t* chroma_[2] = {};
  ptrdiff_t cstride_ = 0;
  int cw_ = 0;
};

// A BMP file: file header, 40-byte information header, then the rows bottom
// first, each padded with zeros to 4 bytes.
void WriteBmp(const PictureView& pic, const RgbRows& rows, uint8_t* out, size_t bytes) {
  const int w = pic.width, h = pic.height;
  const size_t rowBytes = BmpRowBytes(w);
  std::memset(out, 0, bytes);
  WriteBmpFileHeader({out, kBmpFileHeaderBytes}, uint32_t(bytes), uint32_t(kBmpHeaderBytes));
  DibHeader header;
  header.width = w;
  header.height = h;
  header.bitCount = 24;
  header.imageBytes = uint32_t(rowBytes * size_t(h));
  header.xPixelsPerMetre = header.yPixelsPerMetre = int32_t(kBmpPixelsPerMetre);
  header.Write({out + kBmpFileHeaderBytes, kInfoHeaderBytes});
  for (int r = 0; r < h; ++r) rows.Convert<true>(r, out + kBmpHeaderBytes + size_t(h - 1 - r) * rowBytes);
}

void WriteTarga(const PictureView& pic, const RgbRows& rows, uint8_t* out) {
  const int w = pic.width, h = pic.height;
  std::memset(out, 0, kTargaHeaderBytes);
  out[kTargaImageTypeAt] = kTargaTrueColour;
  PutLe16(out + kTargaWidthAt, uint16_t(w));
  PutLe16(out + kTargaHeightAt, uint16_t(h));
  out[kTargaPixelDepthAt] = 24;
  out[kTargaDescriptorAt] = kTargaTopRowFirst;
  for (int r = 0; r < h; ++r) rows.Convert<true>(r, out + kTargaHeaderBytes + size_t(r) * w * 3);
}

// A binary portable pixmap: the text header, then red-green-blue rows top first.
void WritePpm(const PictureView& pic, const RgbRows& rows, uint8_t* out) {
  char text[32];
  const int headerBytes = PpmHeader(pic, text);
  std::memcpy(out, text, size_t(headerBytes));
  for (int r = 0; r < pic.height; ++r) rows.Convert<false>(r, out + headerBytes + size_t(r) * pic.width * 3);
}

}  // namespace

size_t WritePicture(const PictureView& pic, int format, std::span<uint8_t> dest, OutputScratch& scratch, int& width,
                    int& height, int& error) {
  size_t bytes = OutputBytes(pic, format);
  if (bytes == 0 || dest.size() < bytes) {
    error = kErrState;
    return 0;
  }
  uint8_t* out = dest.data();
  width = pic.width;
  height = pic.height;
  if (format <= kFormatCr) {
    WritePlane(pic, format, out, width, height);
    return bytes;
  }
  if (format == kFormatPacked422) {
    if (!WritePacked422(pic, scratch, out)) {
      error = kErrMemory;
      return 0;
    }
    return bytes;
  }
  RgbRows rows(pic, scratch);
  if (!rows.Prepare()) {
    error = kErrMemory;
    return 0;
  }
  switch (format) {
    case kFormatBmp: WriteBmp(pic, rows, out, bytes); break;
    case kFormatTarga: WriteTarga(pic, rows, out); break;
    default: WritePpm(pic, rows, out); break;
  }
  return bytes;
}

}  // namespace lumora::mpeg
