// Chroma up-sampling, colour conversion and the byte layouts of the output formats.
#include "mpeg/PictureOutput.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "mpeg/MpegErrors.h"

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

// Sample i of a row of n, with indices outside replaced by the first or last.
inline int At(const uint8_t* x, ptrdiff_t step, int i, int n) {
  return x[(i < 0 ? 0 : i >= n ? n - 1 : i) * step];
}

// The two outputs of sample i along a line of n samples `step` apart.
inline void FilterPair(const uint8_t* x, ptrdiff_t step, int i, int n, UpsampleMode mode, uint8_t& even,
                       uint8_t& odd) {
  auto s = [&](int k) { return At(x, step, i + k, n); };
  switch (mode) {
    case UpsampleMode::Mpeg1:
      even = Clip((5 * s(-3) - 21 * s(-2) + 70 * s(-1) + 228 * s(0) - 37 * s(1) + 11 * s(2) + 128) >> 8);
      odd = Clip((11 * s(-2) - 37 * s(-1) + 228 * s(0) + 70 * s(1) - 21 * s(2) + 5 * s(3) + 128) >> 8);
      return;
    case UpsampleMode::Mpeg2:
      even = uint8_t(s(0));
      odd = Clip((21 * (s(-2) + s(3)) - 52 * (s(-1) + s(2)) + 159 * (s(0) + s(1)) + 128) >> 8);
      return;
    case UpsampleMode::Interlaced:
      even = Clip((3 * s(-3) - 16 * s(-2) + 67 * s(-1) + 227 * s(0) - 32 * s(1) + 7 * s(2) + 128) >> 8);
      odd = Clip((7 * s(-2) - 32 * s(-1) + 227 * s(0) + 67 * s(1) - 16 * s(2) + 3 * s(3) + 128) >> 8);
      return;
    case UpsampleMode::Replicate:
      even = odd = uint8_t(s(0));
      return;
  }
}

void PutLe16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
void PutLe32(uint8_t* p, uint32_t v) {
  PutLe16(p, v);
  PutLe16(p + 2, v >> 16);
}

// BMP rows: exactly width x 3 bytes when that is a multiple of 4 (every
// common MPEG width), else padded to 4 so the file stays a valid bitmap.
size_t BmpRowBytes(int width) { return (size_t(width) * 3 + 3) & ~size_t(3); }

int PpmHeader(const PictureView& pic, char (&text)[32]) {
  return std::snprintf(text, sizeof text, "P6\n%d %d\n255\n", pic.width, pic.height);
}

// Fills the scratch planes with full-resolution Cb and Cr; returns their
// rows (width samples each) or nullptr when memory runs out.
bool FullChroma(const PictureView& pic, OutputScratch& scratch, const uint8_t* out[2]) {
  int cw, ch;
  PlaneSize(pic, 1, cw, ch);
  const size_t fullBytes = size_t(pic.width + 1) * size_t(pic.height + 1);
  UpsampleMode horizontal = pic.mpeg2 ? UpsampleMode::Mpeg2 : UpsampleMode::Mpeg1;
  UpsampleMode vertical = horizontal;
  if (pic.mpeg2 && !pic.progressiveFrame) vertical = (ch & 1) ? UpsampleMode::Replicate : UpsampleMode::Interlaced;
  try {
    for (int c = 0; c < 2; ++c) {
      const uint8_t* src = pic.plane[c + 1];
      ptrdiff_t stride = pic.stride[c + 1];
      if (pic.chromaFormat == 3) {
        out[c] = src;
        continue;
      }
      if (pic.chromaFormat == 1) {
        auto& v = scratch.vertical[c];
        if (v.size() < size_t(cw) * size_t(2 * ch)) v.resize(size_t(cw) * size_t(2 * ch));
        UpsampleVertical(src, cw, ch, stride, vertical, v.data());
        src = v.data();
        stride = cw;
      }
      auto& f = scratch.full[c];
      if (f.size() < fullBytes * 2) f.resize(fullBytes * 2);
      UpsampleHorizontal(src, cw, pic.height, stride, horizontal, f.data());
      out[c] = f.data();
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
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

Rgb YCbCrToRgb(int y, int cb, int cr, const ConversionRow& row) {
  int l = kLumaFactor * (y - 16), u = cb - 128, v = cr - 128;
  return {Clip((l + row.crv * v + 32768) >> 16), Clip((l - row.cgu * u - row.cgv * v + 32768) >> 16),
          Clip((l + row.cbu * u + 32768) >> 16)};
}

void UpsampleVertical(const uint8_t* src, int width, int height, ptrdiff_t stride, UpsampleMode mode, uint8_t* dst) {
  if (mode == UpsampleMode::Interlaced) {
    // Each field on its own: field f's row j gives frame rows 4j + f and 4j + 2 + f.
    for (int f = 0; f < 2; ++f) {
      int rows = (height - f + 1) / 2;
      for (int x = 0; x < width; ++x) {
        const uint8_t* column = src + f * stride + x;
        for (int j = 0; j < rows; ++j)
          FilterPair(column, 2 * stride, j, rows, mode, dst[size_t(4 * j + f) * width + x],
                     dst[size_t(4 * j + 2 + f) * width + x]);
      }
    }
    return;
  }
  for (int i = 0; i < height; ++i) {
    uint8_t* even = dst + size_t(2 * i) * width;
    uint8_t* odd = even + width;
    for (int x = 0; x < width; ++x) FilterPair(src + x, stride, i, height, mode, even[x], odd[x]);
  }
}

void UpsampleHorizontal(const uint8_t* src, int width, int rows, ptrdiff_t stride, UpsampleMode mode, uint8_t* dst) {
  for (int r = 0; r < rows; ++r) {
    const uint8_t* row = src + r * stride;
    uint8_t* out = dst + size_t(r) * 2 * width;
    for (int i = 0; i < width; ++i) FilterPair(row, 1, i, width, mode, out[2 * i], out[2 * i + 1]);
  }
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

size_t WritePicture(const PictureView& pic, int format, std::span<uint8_t> dest, OutputScratch& scratch, int& width,
                    int& height, int& error) {
  size_t bytes = OutputBytes(pic, format);
  if (bytes == 0 || dest.size() < bytes) {
    error = kErrState;
    return 0;
  }
  uint8_t* out = dest.data();
  const int w = pic.width, h = pic.height;
  width = w;
  height = h;

  if (format <= kFormatCr) {
    PlaneSize(pic, format, width, height);
    for (int r = 0; r < height; ++r)
      std::memcpy(out + size_t(r) * width, pic.plane[format] + r * pic.stride[format], size_t(width));
    return bytes;
  }

  if (format == kFormatPacked422) {
    // Chroma at half width: 4:2:0 rows up-sampled vertically, 4:4:4 rows take every other sample.
    const uint8_t* cb = pic.plane[1];
    const uint8_t* cr = pic.plane[2];
    ptrdiff_t cstride = pic.stride[1];
    int step = pic.chromaFormat == 3 ? 2 : 1;
    if (pic.chromaFormat == 1) {
      int cw, ch;
      PlaneSize(pic, 1, cw, ch);
      UpsampleMode mode = !pic.mpeg2 ? UpsampleMode::Mpeg1
                          : pic.progressiveFrame ? UpsampleMode::Mpeg2
                          : (ch & 1) ? UpsampleMode::Replicate
                                     : UpsampleMode::Interlaced;
      try {
        for (int c = 0; c < 2; ++c) {
          auto& v = scratch.vertical[c];
          if (v.size() < size_t(cw) * size_t(2 * ch)) v.resize(size_t(cw) * size_t(2 * ch));
          UpsampleVertical(pic.plane[c + 1], cw, ch, pic.stride[c + 1], mode, v.data());
        }
      } catch (const std::bad_alloc&) {
        error = kErrMemory;
        return 0;
      }
      cb = scratch.vertical[0].data();
      cr = scratch.vertical[1].data();
      cstride = cw;
    }
    for (int r = 0; r < h; ++r) {
      const uint8_t* y = pic.plane[0] + r * pic.stride[0];
      const uint8_t* u = cb + r * cstride;
      const uint8_t* v = cr + r * cstride;
      for (int x = 0; x < w; x += 2) {
        *out++ = u[x / 2 * step];
        *out++ = y[x];
        *out++ = v[x / 2 * step];
        *out++ = y[x + 1 < w ? x + 1 : x];
      }
    }
    return bytes;
  }

  const uint8_t* chroma[2];
  if (!FullChroma(pic, scratch, chroma)) {
    error = kErrMemory;
    return 0;
  }
  const ptrdiff_t cstride = pic.chromaFormat == 3 ? pic.stride[1] : ptrdiff_t(2) * ((w + 1) / 2);
  const ConversionRow row = ConversionFor(pic.matrixCoefficients);
  auto convertRow = [&](int r, uint8_t* dst, bool bgr) {
    const uint8_t* y = pic.plane[0] + r * pic.stride[0];
    const uint8_t* u = chroma[0] + r * cstride;
    const uint8_t* v = chroma[1] + r * cstride;
    for (int x = 0; x < w; ++x, dst += 3) {
      Rgb c = YCbCrToRgb(y[x], u[x], v[x], row);
      dst[0] = bgr ? c.b : c.r;
      dst[1] = c.g;
      dst[2] = bgr ? c.r : c.b;
    }
  };

  if (format == kFormatBmp) {
    const size_t rowBytes = BmpRowBytes(w);
    std::memset(out, 0, bytes);
    out[0] = 'B';
    out[1] = 'M';
    PutLe32(out + 2, uint32_t(bytes));
    PutLe32(out + 10, uint32_t(kBmpHeaderBytes));
    PutLe32(out + 14, 40);
    PutLe32(out + 18, uint32_t(w));
    PutLe32(out + 22, uint32_t(h));
    PutLe16(out + 26, 1);
    PutLe16(out + 28, 24);
    PutLe32(out + 34, uint32_t(rowBytes * size_t(h)));
    PutLe32(out + 38, kBmpPixelsPerMetre);
    PutLe32(out + 42, kBmpPixelsPerMetre);
    for (int r = 0; r < h; ++r) convertRow(r, out + kBmpHeaderBytes + size_t(h - 1 - r) * rowBytes, true);
    return bytes;
  }
  if (format == kFormatTarga) {
    std::memset(out, 0, kTargaHeaderBytes);
    out[2] = 2;
    PutLe16(out + 12, uint32_t(w));
    PutLe16(out + 14, uint32_t(h));
    out[16] = 24;
    out[17] = 0x20;
    for (int r = 0; r < h; ++r) convertRow(r, out + kTargaHeaderBytes + size_t(r) * w * 3, true);
    return bytes;
  }
  char text[32];
  int headerBytes = PpmHeader(pic, text);
  std::memcpy(out, text, size_t(headerBytes));
  for (int r = 0; r < h; ++r) convertRow(r, out + headerBytes + size_t(r) * w * 3, false);
  return bytes;
}

}  // namespace lumora::mpeg
