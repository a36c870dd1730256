// Output of a decoded picture in the formats FetchPicture offers: the three
// planes (0, 1, 2), a BMP file (5), a Targa file (6), packed 4:2:2 (7) and a
// binary portable pixmap (8); the chroma up-sampling filters that bring 4:2:0
// and 4:2:2 chroma to full resolution; and the YCbCr to RGB conversion with
// the coefficient rows chosen by matrix_coefficients.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "picture/DibHeader.h"

namespace lumora::mpeg {

enum OutputFormat : int {
  kFormatLuma = 0,
  kFormatCb = 1,
  kFormatCr = 2,
  kFormatBmp = 5,
  kFormatTarga = 6,
  kFormatPacked422 = 7,
  kFormatPpm = 8,
};

// The BMP file header and the 40-byte information header, no colour table.
inline constexpr size_t kBmpHeaderBytes = kBmpFileHeaderBytes + kInfoHeaderBytes;
inline constexpr size_t kTargaHeaderBytes = 18;
// Pixels per metre written into the BMP header, both directions.
inline constexpr uint32_t kBmpPixelsPerMetre = 200;

// A decoded picture as the output sees it: planes over the macroblock grid,
// the displayed size, and what decides the filters and the conversion.
struct PictureView {
  const uint8_t* plane[3] = {};
  int stride[3] = {};
  int width = 0, height = 0;  // horizontal_size, vertical_size
  int chromaFormat = 1;
  bool mpeg2 = false;
  bool progressiveFrame = true;
  int matrixCoefficients = 0;
};

// Size of a plane of the displayed picture: luma is width x height; chroma
// is halved (rounding up) across for 4:2:0 and 4:2:2 and down for 4:2:0.
void PlaneSize(const PictureView& pic, int component, int& width, int& height);

struct ConversionRow {
  int crv, cbu, cgu, cgv;
};
// The coefficient row for matrix_coefficients 0..7; values outside the table
// use the row of 5 (the MPEG-1 meaning).
ConversionRow ConversionFor(int matrixCoefficients);

struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb&) const = default;
};
Rgb YCbCrToRgb(int y, int cb, int cr, const ConversionRow& row);

enum class UpsampleMode { Mpeg1, Mpeg2, Interlaced, Replicate };

// 4:2:0 to 4:2:2: the `height` rows of `src` (width samples, `stride` apart)
// give 2 x height rows of `dst` (width samples each). Interlaced: each field
// (the even rows, the odd rows) is filtered on its own into the frame rows of
// its parity, at any height; a single row is repeated.
void UpsampleVertical(const uint8_t* src, int width, int height, ptrdiff_t stride, UpsampleMode mode, uint8_t* dst);
// 4:2:2 to 4:4:4: each sample of a row gives two; `rows` rows of `width`
// samples (`stride` apart) into rows of 2 x width samples.
void UpsampleHorizontal(const uint8_t* src, int width, int rows, ptrdiff_t stride, UpsampleMode mode, uint8_t* dst);

// Scratch of the conversion, grown only for a larger picture: Cb and Cr at
// full height (4:2:0 only), one row of each at full width, and a padded copy
// of the row being filtered.
struct OutputScratch {
  std::vector<uint8_t> vertical[2];
  std::vector<uint8_t> full[2];
  std::vector<uint8_t> line;
};

// Bytes `format` needs for `pic`; 0 for a format outside the list.
size_t OutputBytes(const PictureView& pic, int format);

// Writes `pic` in `format` into `dest`, returning the bytes written and the
// size of what was written (the plane's size for formats 0 to 2). 0 with
// `error` set (-3 for an unknown format or a buffer too small, -5 when the
// scratch planes cannot grow) on failure.
size_t WritePicture(const PictureView& pic, int format, std::span<uint8_t> dest, OutputScratch& scratch, int& width,
                    int& height, int& error);

}  // namespace lumora::mpeg
