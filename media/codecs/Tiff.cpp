// TIFF reading and writing over libtiff.
//
// Reading goes strip by strip: each strip is decoded by libtiff into a
// scratch block of exactly the strip's rows, and each row is converted into
// the picture, the file's first row becoming the picture's top row. Every
// size the file states is checked against the picture before it is used.
// Writing builds the file in memory through libtiff and then replaces the
// file on disk in one step.
#include "media/codecs/Tiff.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <new>

#include <tiffio.h>

#include "io/FileBytes.h"

namespace lumora {

namespace {

constexpr std::array<std::string_view, 11> kErrorTexts = {
    "no error",
    "not a TIFF file libtiff can open",
    "tiled TIFF images are not supported",
    "the image has no width or height",
    "this kind of TIFF image is not supported",
    "the strip layout is inconsistent",
    "the picture is too large",
    "a strip can't be read",
    "pictures of this depth can't be written as TIFF",
    "libtiff reported an error while writing",
    "the file can't be written",
};
static_assert(kErrorTexts.size() == size_t(TiffError::CantWrite) + 1);

TiffResult Failure(TiffError error, std::string detail) { return {error, std::move(detail)}; }

// --- libtiff's messages -------------------------------------------------------

// What libtiff said about one open file. Kept in a fixed buffer: the handler
// runs inside libtiff and must neither allocate nor throw.
struct TiffMessages {
  char firstError[256] = {};
  bool hasError = false;

  std::string Detail() const { return hasError ? std::string(firstError) : std::string("no message"); }
};

int OnTiffError(TIFF*, void* user, const char* module, const char* format, va_list args) {
  auto& messages = *static_cast<TiffMessages*>(user);
  if (!messages.hasError) {
    messages.hasError = true;
    int used = std::snprintf(messages.firstError, sizeof messages.firstError, "%s: ", module ? module : "libtiff");
    if (used < 0 || size_t(used) >= sizeof messages.firstError) used = 0;
    std::vsnprintf(messages.firstError + used, sizeof messages.firstError - size_t(used), format, args);
  }
  return 1;  // handled: nothing reaches libtiff's global handlers, which print
}

int OnTiffWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

struct OptionsDeleter {
  void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};
using UniqueOptions = std::unique_ptr<TIFFOpenOptions, OptionsDeleter>;

struct TiffCloser {
  void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using UniqueTiff = std::unique_ptr<TIFF, TiffCloser>;

// Open options that route libtiff's messages for the file into `messages`
// and cap any one of libtiff's own allocations at `maxAlloc` bytes.
UniqueOptions MakeOptions(TiffMessages& messages, size_t maxAlloc) {
  UniqueOptions options(TIFFOpenOptionsAlloc());
  if (!options) return options;
  TIFFOpenOptionsSetErrorHandlerExtR(options.get(), OnTiffError, &messages);
  TIFFOpenOptionsSetWarningHandlerExtR(options.get(), OnTiffWarning, nullptr);
  TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), tmsize_t(maxAlloc));
  return options;
}

// --- A TIFF file in memory ------------------------------------------------------

// libtiff's client procedures over bytes in memory: read-only over `view`,
// or growing `sink` when writing.
struct MemoryFile {
  std::span<const uint8_t> view;
  std::vector<uint8_t>* sink = nullptr;
  uint64_t pos = 0;

  std::span<const uint8_t> bytes() const { return sink ? std::span<const uint8_t>(*sink) : view; }
};

MemoryFile& FileOf(thandle_t handle) { return *static_cast<MemoryFile*>(handle); }

tmsize_t MemoryRead(thandle_t handle, void* buffer, tmsize_t size) {
  MemoryFile& f = FileOf(handle);
  std::span<const uint8_t> bytes = f.bytes();
  if (size < 0) return -1;
  if (f.pos >= bytes.size()) return 0;
  size_t n = std::min(size_t(size), size_t(bytes.size() - f.pos));
  std::memcpy(buffer, bytes.data() + f.pos, n);
  f.pos += n;
  return tmsize_t(n);
}

tmsize_t MemoryWrite(thandle_t handle, void* buffer, tmsize_t size) {
  MemoryFile& f = FileOf(handle);
  if (!f.sink || size < 0) return -1;
  size_t end = size_t(f.pos) + size_t(size);
  try {
    if (end > f.sink->size()) f.sink->resize(end);
  } catch (const std::exception&) {
    return -1;  // never throw through libtiff
  }
  std::memcpy(f.sink->data() + f.pos, buffer, size_t(size));
  f.pos = end;
  return size;
}

toff_t MemorySeek(thandle_t handle, toff_t offset, int whence) {
  MemoryFile& f = FileOf(handle);
  if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) return toff_t(-1);
  const uint64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? f.pos : f.bytes().size();
  if (offset > UINT64_MAX - base) return toff_t(-1);
  f.pos = base + offset;
  return f.pos;
}

int MemoryClose(thandle_t) { return 0; }

toff_t MemorySize(thandle_t handle) { return FileOf(handle).bytes().size(); }

// Reading maps the bytes where they are, as libtiff does with files.
int MemoryMap(thandle_t handle, void** base, toff_t* size) {
  MemoryFile& f = FileOf(handle);
  if (f.sink) return 0;
  *base = const_cast<uint8_t*>(f.view.data());  // libtiff only reads a mapped file
  *size = f.view.size();
  return 1;
}

void MemoryUnmap(thandle_t, void*, toff_t) {}

UniqueTiff OpenMemory(MemoryFile& file, const char* mode, TIFFOpenOptions* options) {
  return UniqueTiff(TIFFClientOpenExt("memory", mode, &file, MemoryRead, MemoryWrite, MemorySeek, MemoryClose,
                                      MemorySize, MemoryMap, MemoryUnmap, options));
}

// --- Reading --------------------------------------------------------------------

enum class SampleKind { Grey, Palette, Colour };

// What the reader understood of the image, checked against itself.
struct StripLayout {
  SampleKind kind = SampleKind::Grey;
  bool minIsWhite = false;
  uint32_t width = 0, height = 0;
  int bits = 0;          // per sample: 1, 2, 4, 8 or 16
  unsigned samples = 0;  // per pixel: 1, 3 or 4
  size_t rowBytes = 0;   // one row as the file stores it
  uint32_t stripRows = 0;
};

// Sample `i` of a row of `Bits`-bit samples packed most significant first;
// 16-bit samples (which libtiff hands over in the machine's byte order) are
// scaled to 0..255 and rounded, as other readers do.
template <int Bits>
unsigned Sample(const uint8_t* row, size_t i) {
  if constexpr (Bits == 8) {
    return row[i];
  } else if constexpr (Bits == 16) {
    uint16_t v;
    std::memcpy(&v, row + 2 * i, 2);
    return (uint32_t(v) * 255 + 32767) / 65535;
  } else {
    size_t bit = i * Bits;
    return (row[bit / 8] >> (8 - Bits - bit % 8)) & ((1u << Bits) - 1);
  }
}

// A grey or palette row to one byte a pixel through `level` (grey level or index).
template <int Bits>
void LevelRow(const uint8_t* src, uint8_t* dst, const StripLayout& l, const std::array<uint8_t, 256>& level) {
  for (uint32_t x = 0; x < l.width; ++x) dst[x] = level[Sample<Bits>(src, x)];
}

// An RGB row to blue-green-red; a fourth sample is passed over.
template <int Bits>
void ColourRow(const uint8_t* src, uint8_t* dst, const StripLayout& l, const std::array<uint8_t, 256>&) {
  for (uint32_t x = 0; x < l.width; ++x) {
    size_t first = size_t(x) * l.samples;
    dst[3 * x] = uint8_t(Sample<Bits>(src, first + 2));
    dst[3 * x + 1] = uint8_t(Sample<Bits>(src, first + 1));
    dst[3 * x + 2] = uint8_t(Sample<Bits>(src, first));
  }
}

using RowConverter = void (*)(const uint8_t*, uint8_t*, const StripLayout&, const std::array<uint8_t, 256>&);

RowConverter ConverterFor(const StripLayout& l) {
  if (l.kind == SampleKind::Colour) return l.bits == 8 ? ColourRow<8> : ColourRow<16>;
  switch (l.bits) {
    case 1: return LevelRow<1>;
    case 2: return LevelRow<2>;
    case 4: return LevelRow<4>;
    case 8: return LevelRow<8>;
    default: return LevelRow<16>;
  }
}

std::string Numbers(const char* what, uint64_t value) { return std::string(what) + " " + std::to_string(value); }

// Reads the tags that say how the image is stored and refuses every
// combination the row converters do not handle.
TiffResult ReadLayout(TIFF* tif, StripLayout& l) {
  if (TIFFIsTiled(tif)) return Failure(TiffError::Tiled, "tiled image");
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.width) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.height) ||
      l.width == 0 || l.height == 0)
    return Failure(TiffError::BadDimensions, Numbers("width", l.width) + ", " + Numbers("height", l.height));
  if (!PictureSizeAllowed(l.width, l.height))
    return Failure(TiffError::TooLarge, std::to_string(l.width) + " x " + std::to_string(l.height) +
                                            " pixels exceed the limit of " + std::to_string(kMaxPicturePixels));

  uint16_t bits = 0, samples = 0, planar = 0, format = 0, photometric = 0;
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric))
    return Failure(TiffError::Unsupported, "no photometric interpretation");
  const std::string what = Numbers("photometric", photometric) + ", " + Numbers("bits a sample", bits) + ", " +
                           Numbers("samples a pixel", samples);
  if (format != SAMPLEFORMAT_UINT) return Failure(TiffError::Unsupported, Numbers("sample format", format));
  if (samples > 1 && planar != PLANARCONFIG_CONTIG)
    return Failure(TiffError::Unsupported, Numbers("planar configuration", planar));

  bool ok = false;
  switch (photometric) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK:
      l.kind = SampleKind::Grey;
      l.minIsWhite = photometric == PHOTOMETRIC_MINISWHITE;
      ok = samples == 1 && (bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16);
      break;
    case PHOTOMETRIC_PALETTE:
      l.kind = SampleKind::Palette;
      ok = samples == 1 && (bits == 1 || bits == 2 || bits == 4 || bits == 8);
      break;
    case PHOTOMETRIC_RGB:
      l.kind = SampleKind::Colour;
      ok = (samples == 3 || samples == 4) && (bits == 8 || bits == 16);
      break;
    default:
      break;
  }
  if (!ok) return Failure(TiffError::Unsupported, what);
  l.bits = bits;
  l.samples = samples;

  const uint64_t rowBytes = (uint64_t(l.width) * samples * uint64_t(bits) + 7) / 8;
  if (uint64_t(TIFFScanlineSize64(tif)) != rowBytes)
    return Failure(TiffError::BadStrips, Numbers("libtiff's scanline of", uint64_t(TIFFScanlineSize64(tif))) +
                                             " bytes instead of " + std::to_string(rowBytes));
  l.rowBytes = size_t(rowBytes);

  uint32_t rowsPerStrip = 0;
  TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
  if (rowsPerStrip == 0) return Failure(TiffError::BadStrips, "rows per strip 0");
  l.stripRows = std::min(rowsPerStrip, l.height);
  const uint64_t stripsNeeded = (uint64_t(l.height) + l.stripRows - 1) / l.stripRows;
  if (TIFFNumberOfStrips(tif) < stripsNeeded)
    return Failure(TiffError::BadStrips, Numbers("strips", TIFFNumberOfStrips(tif)) + " for " +
                                             Numbers("rows", l.height) + " at " + Numbers("a strip", l.stripRows));
  return {};
}

// The file's colour map into the first entries of the picture's 256-entry
// colour table. 16-bit maps (any value above 255) are scaled by 255 / 65535;
// maps whose values all fit a byte are taken as they are.
bool CopyColourMap(TIFF* tif, int bits, uint8_t* table) {
  uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
  if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue) return false;
  const size_t n = size_t(1) << bits;
  bool wide = false;
  for (size_t i = 0; i < n; ++i) wide = wide || red[i] > 255 || green[i] > 255 || blue[i] > 255;
  auto toByte = [wide](uint16_t v) { return uint8_t(wide ? uint32_t(v) * 255 / 65535 : v); };
  std::memset(table, 0, 256 * 4);
  for (size_t i = 0; i < n; ++i) {
    table[4 * i] = toByte(blue[i]);
    table[4 * i + 1] = toByte(green[i]);
    table[4 * i + 2] = toByte(red[i]);
  }
  return true;
}

// Grey levels, or palette indices as they are, for each sample value.
std::array<uint8_t, 256> LevelsFor(const StripLayout& l) {
  std::array<uint8_t, 256> level{};
  // Samples of fewer than 8 bits are spread over 0..255; 16-bit ones arrive scaled to 8.
  const unsigned top = l.bits < 8 ? (1u << l.bits) - 1 : 255;
  for (unsigned v = 0; v < 256; ++v) {
    if (l.kind == SampleKind::Palette || v > top) {
      level[v] = uint8_t(v);
      continue;
    }
    unsigned grey = v * 255 / top;
    level[v] = uint8_t(l.minIsWhite ? 255 - grey : grey);
  }
  return level;
}

TiffResult ReadImage(TIFF* tif, const TiffMessages& messages, std::vector<uint8_t>& block, size_t maxBlockBytes) {
  StripLayout l;
  if (TiffResult r = ReadLayout(tif, l); !r) return r;

  const int pictureBits = l.kind == SampleKind::Colour ? 24 : 8;
  const size_t limit = std::min(maxBlockBytes, kMaxPictureBlockBytes);
  const size_t stride = DibStride(l.width, pictureBits);
  const size_t offset = pictureBits == 8 ? kPalettedPixelOffset : kInfoHeaderBytes;
  if (stride == 0 || offset > limit || stride > (limit - offset) / l.height)
    return Failure(TiffError::TooLarge, std::to_string(l.width) + " x " + std::to_string(l.height) + " pixels at " +
                                            std::to_string(pictureBits) + " bits exceed " + std::to_string(limit) +
                                            " bytes");
  if (l.rowBytes > limit / l.stripRows)
    return Failure(TiffError::TooLarge, Numbers("strips of", uint64_t(l.rowBytes) * l.stripRows) + " bytes exceed " +
                                            std::to_string(limit));

  DibImage picture;
  if (!picture.Create(int32_t(l.width), int32_t(l.height), pictureBits))
    return Failure(TiffError::TooLarge, "no memory for the picture");
  if (l.kind == SampleKind::Palette && !CopyColourMap(tif, l.bits, picture.block().data() + kInfoHeaderBytes))
    return Failure(TiffError::Unsupported, "palette image without a colour map");

  std::vector<uint8_t> scratch;
  try {
    scratch.resize(l.rowBytes * l.stripRows);
  } catch (const std::bad_alloc&) {
    return Failure(TiffError::TooLarge, "no memory for a strip");
  }
  const RowConverter convert = ConverterFor(l);
  const std::array<uint8_t, 256> level = LevelsFor(l);
  RowTable rows(picture);
  for (uint32_t top = 0, strip = 0; top < l.height; top += l.stripRows, ++strip) {
    const uint32_t count = std::min(l.stripRows, l.height - top);
    const tmsize_t want = tmsize_t(l.rowBytes * count);
    const tmsize_t got = TIFFReadEncodedStrip(tif, strip, scratch.data(), want);
    if (got != want)
      return Failure(TiffError::StripUnreadable, Numbers("strip", strip) + " gave " + std::to_string(got) + " of " +
                                                     std::to_string(want) + " bytes: " + messages.Detail());
    for (uint32_t i = 0; i < count; ++i) convert(scratch.data() + i * l.rowBytes, rows[int32_t(top + i)], l, level);
  }
  block = std::move(picture.block());
  return {};
}

// --- Writing --------------------------------------------------------------------

// True when the first 2^bits entries of the colour table are the grey ramp of
// that depth (black to white in equal steps) and there are no others.
bool IsGreyRamp(const DibLayout& l, const uint8_t* table) {
  const uint32_t n = 1u << l.bitCount;
  if (l.colours != n) return false;
  for (uint32_t i = 0; i < n; ++i) {
    const uint8_t* e = table + size_t(i) * l.entryBytes;
    const uint32_t grey = i * 255 / (n - 1);
    if (e[0] != grey || e[1] != grey || e[2] != grey) return false;
  }
  return true;
}

bool SetColourMap(TIFF* tif, const DibLayout& l, const uint8_t* table) {
  const size_t n = size_t(1) << l.bitCount;
  std::vector<uint16_t> red(n), green(n), blue(n);
  for (size_t i = 0; i < n && i < l.colours; ++i) {
    const uint8_t* e = table + i * l.entryBytes;
    blue[i] = uint16_t(e[0] * 257);
    green[i] = uint16_t(e[1] * 257);
    red[i] = uint16_t(e[2] * 257);
  }
  return TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data()) != 0;
}

bool WriteTags(TIFF* tif, const DibLayout& l, const uint8_t* table) {
  const bool colour = l.bitCount == 24;
  const uint16_t photometric = colour                  ? PHOTOMETRIC_RGB
                               : IsGreyRamp(l, table) ? PHOTOMETRIC_MINISBLACK
                                                       : PHOTOMETRIC_PALETTE;
  bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(l.width)) &&
            TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(l.height)) &&
            TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, colour ? 8 : int(l.bitCount)) &&
            TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, colour ? 3 : 1) &&
            TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric) &&
            TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
            TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
            TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  ok = ok && TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
  if (ok && photometric == PHOTOMETRIC_PALETTE) ok = SetColourMap(tif, l, table);
  return ok;
}

TiffResult WriteImage(TIFF* tif, const DibImage& picture, const DibLayout& l) {
  if (!WriteTags(tif, l, picture.ColourTable().data())) return Failure(TiffError::Library, "the tags were refused");
  const size_t rowBytes = (size_t(l.width) * (l.bitCount == 24 ? 24 : l.bitCount) + 7) / 8;
  std::vector<uint8_t> row(rowBytes);
  const RowView rows = picture.Rows();
  for (int32_t r = 0; r < l.height; ++r) {
    const uint8_t* stored = rows[r];
    if (l.bitCount == 24) {
      for (size_t x = 0; x < size_t(l.width); ++x) {
        row[3 * x] = stored[3 * x + 2];
        row[3 * x + 1] = stored[3 * x + 1];
        row[3 * x + 2] = stored[3 * x];
      }
    } else {
      std::memcpy(row.data(), stored, rowBytes);
    }
    if (TIFFWriteScanline(tif, row.data(), uint32_t(r), 0) < 0)
      return Failure(TiffError::Library, Numbers("row", uint32_t(r)));
  }
  if (!TIFFWriteDirectory(tif)) return Failure(TiffError::Library, "the directory can't be written");
  return {};
}

}  // namespace

std::string_view TiffErrorText(TiffError error) { return kErrorTexts[size_t(error)]; }

TiffResult DecodeTiff(std::span<const uint8_t> file, std::vector<uint8_t>& block, size_t maxBlockBytes) {
  TiffMessages messages;
  UniqueOptions options = MakeOptions(messages, std::min(maxBlockBytes, kMaxPictureBlockBytes));
  if (!options) return Failure(TiffError::CantOpen, "no memory for the open options");
  MemoryFile memory{file};
  UniqueTiff tif = OpenMemory(memory, "r", options.get());
  if (!tif) return Failure(TiffError::CantOpen, messages.Detail());
  return ReadImage(tif.get(), messages, block, maxBlockBytes);
}

TiffResult EncodeTiff(const DibImage& picture, std::vector<uint8_t>& file) {
  auto layout = picture.layout();
  if (!layout) return Failure(TiffError::UnsupportedDepth, "the picture has no valid pixel block");
  const int bits = layout->bitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
    return Failure(TiffError::UnsupportedDepth, Numbers("bits a pixel", uint64_t(bits)));

  TiffMessages messages;
  UniqueOptions options = MakeOptions(messages, kMaxPictureBlockBytes);
  if (!options) return Failure(TiffError::Library, "no memory for the open options");
  std::vector<uint8_t> bytes;
  MemoryFile memory{{}, &bytes};
  {
    UniqueTiff tif = OpenMemory(memory, "w", options.get());
    if (!tif) return Failure(TiffError::Library, messages.Detail());
    if (TiffResult r = WriteImage(tif.get(), picture, *layout); !r) {
      r.detail += ": " + messages.Detail();
      return r;
    }
  }
  if (messages.hasError) return Failure(TiffError::Library, messages.Detail());
  file = std::move(bytes);
  return {};
}

namespace {
TiffResult AdoptBlock(DibImage& picture, std::vector<uint8_t> block) {
  if (!picture.Adopt(std::move(block), true))
    return Failure(TiffError::Unsupported, "the decoded rows do not make a picture");
  return {};
}
}  // namespace

TiffResult ReadTiffMemory(DibImage& picture, std::span<const uint8_t> file) {
  std::vector<uint8_t> block;
  if (TiffResult r = DecodeTiff(file, block); !r) return r;
  return AdoptBlock(picture, std::move(block));
}

TiffResult ReadTiffFile(DibImage& picture, const std::string& path) {
  TiffMessages messages;
  UniqueOptions options = MakeOptions(messages, kMaxPictureBlockBytes);
  if (!options) return Failure(TiffError::CantOpen, "no memory for the open options");
  UniqueTiff tif(TIFFOpenExt(path.c_str(), "r", options.get()));
  if (!tif) return Failure(TiffError::CantOpen, messages.Detail());
  std::vector<uint8_t> block;
  if (TiffResult r = ReadImage(tif.get(), messages, block, kMaxPictureBlockBytes); !r) return r;
  return AdoptBlock(picture, std::move(block));
}

TiffResult WriteTiffFile(const DibImage& picture, const std::string& path) {
  std::vector<uint8_t> file;
  if (TiffResult r = EncodeTiff(picture, file); !r) return r;
  if (!ReplaceFileWith(path, {file})) return Failure(TiffError::CantWrite, path);
  return {};
}

}  // namespace lumora
