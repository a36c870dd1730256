// .bmp files: the headers are read and checked field by field, then the rows
// are copied (flipped when the file is top-down), converted from 16 or 32
// bits to 24, or expanded from RLE8/RLE4 into a new block in the in-memory
// form. Writing puts a file header before the picture's own block.
#include "media/codecs/Bmp.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "io/ByteReader.h"
#include "io/FileBytes.h"
#include "picture/DibHeader.h"
#include "picture/LittleEndian.h"

namespace lumora {

namespace {

// Information header sizes in use: core, the 40-byte one, the two mask-carrying
// extensions of it, OS/2 2.x, V4 and V5.
constexpr uint32_t kCoreHeader = 12;
constexpr uint32_t kInfoHeader = 40;
constexpr uint32_t kV2Header = 52;
constexpr uint32_t kV3Header = 56;
constexpr uint32_t kOs2Header = 64;
constexpr uint32_t kV4Header = 108;
constexpr uint32_t kV5Header = 124;

constexpr uint32_t kCompressRgb = 0;
constexpr uint32_t kCompressRle8 = 1;
constexpr uint32_t kCompressRle4 = 2;
constexpr uint32_t kCompressBitFields = 3;

// After a 40-byte header, bit-field files carry their red, green and blue
// masks in the 12 bytes that follow it.
constexpr size_t kMaskBytes = 12;

// A 32-bit file of the largest picture is a third larger than its 24-bit block.
constexpr size_t kMaxBmpFileBytes = 2 * kMaxPictureBlockBytes;

constexpr std::array<std::string_view, 15> kErrorTexts = {
    "no error",
    "not a bitmap file",
    "file ends inside its headers",
    "unknown information header size",
    "bad picture size",
    "planes must be 1",
    "unsupported bits per pixel",
    "unsupported compression",
    "bit-field masks are all zero",
    "picture too large",
    "file ends before the rows it promises",
    "run-length data ends early",
    "the file can't be read",
    "the file can't be written",
    "the picture can't be written as a bitmap file",
};
static_assert(kErrorTexts.size() == size_t(BmpError::NotWritable) + 1);

BmpResult Fail(BmpError error, std::string detail) { return {error, std::move(detail)}; }

std::string N(uint64_t v) { return std::to_string(v); }

// What the headers of a file say, checked.
struct BmpInfo {
  uint32_t headerBytes = 0;
  int64_t width = 0;
  int64_t rows = 0;  // always positive; topDown tells the order
  bool topDown = false;
  uint16_t bits = 0;
  uint32_t compression = 0;
  int32_t xResolution = 0, yResolution = 0;
  uint32_t coloursUsed = 0, coloursImportant = 0;
  std::array<uint32_t, 3> masks{};  // red, green, blue
  size_t tableOffset = 0;
  uint32_t entryBytes = 4;
  uint32_t entries = 0;  // colour-table entries kept (paletted files only)
  size_t pixelOffset = 0;
};

bool KnownHeaderSize(uint32_t size) {
  for (uint32_t known : {kCoreHeader, kInfoHeader, kV2Header, kV3Header, kOs2Header, kV4Header, kV5Header})
    if (size == known) return true;
  return false;
}

BmpResult ParseHeaders(std::span<const uint8_t> file, BmpInfo& info) {
  ByteReader in(file);
  uint16_t magic = in.U16Le();
  if (in.truncated() || magic != kBmpMagic)
    return Fail(BmpError::NotBmp, "first two bytes are " + N(magic & 0xFF) + ", " + N(magic >> 8));
  in.Skip(8);  // file size and reserved words: writers disagree on them, nothing depends on them
  uint32_t offBits = in.U32Le();
  info.headerBytes = in.U32Le();
  if (in.truncated())
    return Fail(BmpError::Truncated, "file of " + N(file.size()) + " bytes ends inside the file header");
  if (!KnownHeaderSize(info.headerBytes))
    return Fail(BmpError::UnknownHeader, "information header of " + N(info.headerBytes) + " bytes");
  if (file.size() < kBmpFileHeaderBytes + info.headerBytes)
    return Fail(BmpError::Truncated, "information header of " + N(info.headerBytes) + " bytes, file of " +
                                         N(file.size()) + " bytes");

  // Every known header size is 12 or at least 40, and the file holds it.
  const DibHeader header = *DibHeader::Read(file.subspan(kBmpFileHeaderBytes, info.headerBytes));
  const uint16_t planes = header.planes;
  info.width = header.width;
  info.bits = header.bitCount;
  info.compression = header.compression;
  info.xResolution = header.xPixelsPerMetre;
  info.yResolution = header.yPixelsPerMetre;
  info.coloursUsed = header.coloursUsed;
  info.coloursImportant = header.coloursImportant;
  info.topDown = header.height < 0;
  info.rows = header.height < 0 ? -int64_t(header.height) : header.height;
  if (info.headerBytes == kCoreHeader) {
    info.entryBytes = 3;
  } else if (info.headerBytes >= kV2Header && info.headerBytes != kOs2Header) {
    // V2 and later hold the masks in the header; OS/2 2.x uses those bytes
    // for fields of its own.
    in.Seek(kBmpFileHeaderBytes + kInfoHeader);
    for (uint32_t& mask : info.masks) mask = in.U32Le();
  }

  if (info.width <= 0 || info.rows <= 0)
    return Fail(BmpError::BadDimensions, "width " + std::to_string(info.width) + ", height " +
                                             std::to_string(info.topDown ? -info.rows : info.rows));
  if (!PictureSizeAllowed(info.width, info.rows))
    return Fail(BmpError::TooLarge, std::to_string(info.width) + " x " + std::to_string(info.rows) +
                                        " pixels exceed the limit of " + std::to_string(kMaxPicturePixels));
  if (planes != 1) return Fail(BmpError::BadPlanes, "planes " + N(planes));
  switch (info.bits) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return Fail(BmpError::BadDepth, N(info.bits) + " bits per pixel");
  }
  bool compressionFits = false;
  switch (info.compression) {
    case kCompressRgb: compressionFits = true; break;
    case kCompressRle8: compressionFits = info.bits == 8; break;
    case kCompressRle4: compressionFits = info.bits == 4; break;
    // OS/2 2.x uses 3 for its own Huffman coding.
    case kCompressBitFields:
      compressionFits = (info.bits == 16 || info.bits == 32) && info.headerBytes != kOs2Header;
      break;
  }
  if (!compressionFits)
    return Fail(BmpError::BadCompression, "compression " + N(info.compression) + " at " + N(info.bits) + " bits");
  bool rle = info.compression == kCompressRle8 || info.compression == kCompressRle4;
  if (rle && info.topDown) return Fail(BmpError::BadDimensions, "top-down rows cannot be run-length coded");

  info.tableOffset = kBmpFileHeaderBytes + info.headerBytes;
  if (info.compression == kCompressBitFields) {
    if (info.headerBytes == kInfoHeader) {
      in.Seek(info.tableOffset);
      for (uint32_t& mask : info.masks) mask = in.U32Le();
      if (in.truncated()) return Fail(BmpError::Truncated, "file ends inside the bit-field masks");
      info.tableOffset += kMaskBytes;
    }
    if ((info.masks[0] | info.masks[1] | info.masks[2]) == 0) return Fail(BmpError::BadMasks, "masks 0, 0, 0");
  } else if (info.bits == 16) {
    info.masks = {0x7C00, 0x03E0, 0x001F};
  } else if (info.bits == 32) {
    info.masks = {0xFF0000, 0xFF00, 0xFF};
  }

  size_t tableEnd = info.tableOffset;
  if (info.bits <= 8) {
    uint32_t full = 1u << info.bits;
    bool counted = info.headerBytes != kCoreHeader && info.coloursUsed != 0;
    info.entries = counted ? std::min(info.coloursUsed, full) : full;
    // Pixels that start inside the table cut it short (older writers give
    // core files only the colours they use).
    if (offBits > info.tableOffset && offBits < info.tableOffset + size_t(info.entries) * info.entryBytes)
      info.entries = uint32_t((offBits - info.tableOffset) / info.entryBytes);
    if (info.entries == 0)
      return Fail(BmpError::Truncated, "pixels start at " + N(offBits) + ", inside the first colour entry");
    tableEnd += size_t(info.entries) * info.entryBytes;
    if (tableEnd > file.size())
      return Fail(BmpError::Truncated, "colour table of " + N(info.entries) + " entries ends at " + N(tableEnd) +
                                           ", file of " + N(file.size()) + " bytes");
  }
  // The pixels are where the file header says; a pixel offset that points
  // into the headers (some writers leave it 0) means right after the table.
  info.pixelOffset = offBits >= tableEnd ? offBits : tableEnd;
  if (info.pixelOffset > file.size())
    return Fail(BmpError::PixelsTruncated,
                "pixels at " + N(info.pixelOffset) + ", file of " + N(file.size()) + " bytes");
  return {};
}

// One channel of a bit-field pixel: where it sits and how it widens to 8
// bits. Narrower channels repeat their bits (5 bits abcde become abcdeabc),
// so 0 stays 0 and the largest value becomes 255; wider ones keep their top 8.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  std::array<uint8_t, 256> widened{};

  explicit Channel(uint32_t m) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    bits = std::bit_width(m >> shift);
    if (bits >= 8) return;
    for (uint32_t v = 0; v < (1u << bits); ++v) {
      uint32_t repeated = 0;
      int filled = 0;
      for (; filled < 8; filled += bits) repeated = repeated << bits | v;
      widened[v] = uint8_t(repeated >> (filled - 8));
    }
  }
  uint8_t Of(uint32_t pixel) const {
    uint32_t v = (pixel & mask) >> shift;
    return bits >= 8 ? uint8_t(v >> (bits - 8)) : widened[v];
  }
};

void ConvertRowTo24(const uint8_t* in, uint8_t* out, int64_t width, int bits, const Channel (&rgb)[3]) {
  for (int64_t x = 0; x < width; ++x) {
    uint32_t pixel;
    if (bits == 16) {
      pixel = GetLe16(in);
      in += 2;
    } else {
      pixel = GetLe32(in);
      in += 4;
    }
    out[0] = rgb[2].Of(pixel);
    out[1] = rgb[1].Of(pixel);
    out[2] = rgb[0].Of(pixel);
    out += 3;
  }
}

// Expands RLE8 or RLE4 data into zeroed bottom-up rows. Runs and deltas that
// reach past the right edge or the top are cut off there; the data must end
// with its end-of-bitmap mark unless every row has been reached.
BmpResult ExpandRle(std::span<const uint8_t> data, bool rle8, int64_t width, int64_t rows, size_t stride,
                    uint8_t* pixels) {
  auto put = [&](int64_t x, int64_t y, uint8_t v) {
    if (x >= width || y >= rows) return;
    uint8_t* row = pixels + size_t(y) * stride;
    if (rle8) {
      row[x] = v;
    } else {
      uint8_t& b = row[x / 2];
      b = x % 2 ? uint8_t((b & 0xF0) | v) : uint8_t((b & 0x0F) | v << 4);
    }
  };
  ByteReader in(data);
  int64_t x = 0, y = 0;
  while (true) {
    size_t at = in.position();
    uint8_t count = in.U8();
    uint8_t value = in.U8();
    if (in.truncated()) {
      if (y >= rows) return {};
      return Fail(BmpError::BadRle, "data ends at byte " + N(at) + " in row " + N(uint64_t(y)) + " of " +
                                        N(uint64_t(rows)) + " without an end-of-bitmap mark");
    }
    if (count > 0) {  // a run of one value (RLE4: two alternating nibbles)
      if (rle8 && y < rows && x < width) {
        std::memset(pixels + size_t(y) * stride + size_t(x), value, size_t(std::min<int64_t>(count, width - x)));
      } else if (!rle8) {
        for (int i = 0; i < count; ++i) put(x + i, y, i % 2 ? value & 0x0F : value >> 4);
      }
      x += count;
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        ++y;
        break;
      case 1:  // end of bitmap
        return {};
      case 2: {  // delta: right and up
        uint8_t dx = in.U8();
        uint8_t dy = in.U8();
        if (in.truncated()) return Fail(BmpError::BadRle, "delta at byte " + N(at) + " cut short");
        x += dx;
        y += dy;
        break;
      }
      default: {  // absolute run of `value` pixels, padded to a 16-bit boundary
        size_t bytes = rle8 ? value : (value + 1u) / 2;
        std::span<const uint8_t> run = in.Bytes(bytes);
        if (in.truncated())
          return Fail(BmpError::BadRle, "absolute run of " + N(value) + " pixels at byte " + N(at) + " cut short");
        for (int i = 0; i < value; ++i) {
          uint8_t v = rle8 ? run[size_t(i)] : uint8_t(i % 2 ? run[size_t(i) / 2] & 0x0F : run[size_t(i) / 2] >> 4);
          put(x + i, y, v);
        }
        x += value;
        if (bytes % 2 && !in.AtEnd()) in.Skip(1);
        break;
      }
    }
  }
}

// Where the picture goes in memory, worked out from the checked headers.
struct BmpPlan {
  BmpInfo info;
  int bits = 0;  // in memory
  size_t stride = 0;
  size_t fileStride = 0;
  size_t fixed = 0;  // header and colour table
  size_t imageBytes = 0;
  bool rle = false;
  // The file's rows are already the in-memory rows: uncompressed at the same depth.
  bool copyRows() const { return !rle && int(info.bits) == bits; }
};

BmpResult Plan(std::span<const uint8_t> file, size_t maxBlockBytes, BmpPlan& plan) {
  BmpInfo& info = plan.info;
  if (BmpResult r = ParseHeaders(file, info); !r) return r;
  plan.bits = info.bits <= 8 ? info.bits : 24;
  plan.stride = DibStride(info.width, plan.bits);
  plan.fixed = kInfoHeaderBytes + size_t(info.entries) * 4;
  const size_t rows = size_t(info.rows);
  if (plan.stride == 0 || plan.fixed > maxBlockBytes || plan.stride > (maxBlockBytes - plan.fixed) / rows)
    return Fail(BmpError::TooLarge, std::to_string(info.width) + " x " + N(rows) + " at " + N(plan.bits) +
                                        " bits exceeds " + N(maxBlockBytes) + " bytes");
  plan.imageBytes = plan.stride * rows;
  plan.rle = info.compression == kCompressRle8 || info.compression == kCompressRle4;
  plan.fileStride = DibStride(info.width, info.bits);
  if (!plan.rle && plan.fileStride > (file.size() - info.pixelOffset) / rows)
    return Fail(BmpError::PixelsTruncated, N(rows) + " rows of " + N(plan.fileStride) + " bytes at " +
                                               N(info.pixelOffset) + ", file of " + N(file.size()) + " bytes");
  return {};
}

// The 40-byte header and the colour table of the in-memory form.
void WriteHead(const BmpPlan& plan, std::span<const uint8_t> file, uint8_t* h) {
  const BmpInfo& info = plan.info;
  std::memset(h, 0, plan.fixed);
  DibHeader header;
  header.width = int32_t(info.width);
  header.height = int32_t(info.rows);
  header.bitCount = uint16_t(plan.bits);
  header.imageBytes = uint32_t(plan.imageBytes);
  header.xPixelsPerMetre = info.xResolution;
  header.yPixelsPerMetre = info.yResolution;
  if (info.bits <= 8) {
    // Colours used stays 0 when the table is the full one the depth implies.
    bool full = info.entries == (1u << info.bits) && (info.headerBytes == kCoreHeader || info.coloursUsed == 0);
    header.coloursUsed = full ? 0 : info.entries;
    header.coloursImportant = info.coloursImportant <= info.entries ? info.coloursImportant : 0;
  }
  header.Write({h, kInfoHeaderBytes});
  if (info.bits > 8) return;
  const uint8_t* entry = file.data() + info.tableOffset;
  for (uint32_t i = 0; i < info.entries; ++i, entry += info.entryBytes)
    std::memcpy(h + kInfoHeaderBytes + size_t(i) * 4, entry, info.entryBytes);
}

}  // namespace

std::string_view BmpErrorText(BmpError error) { return kErrorTexts[size_t(error)]; }

BmpResult DecodeBmp(std::span<const uint8_t> file, std::vector<uint8_t>& block, size_t maxBlockBytes) {
  BmpPlan plan;
  if (BmpResult r = Plan(file, maxBlockBytes, plan); !r) return r;
  const BmpInfo& info = plan.info;
  const size_t rows = size_t(info.rows);
  std::span<const uint8_t> data = file.subspan(info.pixelOffset);

  std::vector<uint8_t> out;
  try {
    out.reserve(plan.fixed + plan.imageBytes);
  } catch (const std::bad_alloc&) {
    return Fail(BmpError::TooLarge, "no memory for " + N(plan.fixed + plan.imageBytes) + " bytes");
  }
  out.resize(plan.fixed);
  WriteHead(plan, file, out.data());

  // Rows stored as they are in memory are appended, without zero-filling
  // first; the others are converted or expanded into zeroed rows.
  if (plan.copyRows()) {
    for (size_t i = 0; i < rows; ++i) {
      auto row = data.begin() + std::ptrdiff_t((info.topDown ? rows - 1 - i : i) * plan.fileStride);
      out.insert(out.end(), row, row + std::ptrdiff_t(plan.stride));
    }
    block = std::move(out);
    return {};
  }
  out.resize(plan.fixed + plan.imageBytes);
  uint8_t* pixels = out.data() + plan.fixed;
  if (plan.rle) {
    BmpResult r = ExpandRle(data, info.compression == kCompressRle8, info.width, info.rows, plan.stride, pixels);
    if (!r) return r;
  } else {
    const Channel rgb[3] = {Channel(info.masks[0]), Channel(info.masks[1]), Channel(info.masks[2])};
    for (size_t i = 0; i < rows; ++i)
      ConvertRowTo24(data.data() + i * plan.fileStride, pixels + (info.topDown ? rows - 1 - i : i) * plan.stride,
                     info.width, info.bits, rgb);
  }
  block = std::move(out);
  return {};
}

BmpResult DecodeBmp(std::vector<uint8_t>&& file, std::vector<uint8_t>& block, size_t maxBlockBytes) {
  BmpPlan plan;
  if (BmpResult r = Plan(file, maxBlockBytes, plan); !r) return r;
  if (!plan.copyRows() || plan.info.topDown) return DecodeBmp(std::span<const uint8_t>(file), block, maxBlockBytes);
  // Bottom-up rows as in memory: the new header and table go in front of
  // them in the file's own buffer.
  std::array<uint8_t, kPalettedPixelOffset> head;
  WriteHead(plan, file, head.data());
  const size_t size = plan.fixed + plan.imageBytes;
  const size_t from = plan.info.pixelOffset;
  try {
    if (file.size() < size) file.resize(size);  // headers that grew: a core table widened to 4-byte entries
  } catch (const std::bad_alloc&) {
    return Fail(BmpError::TooLarge, "no memory for " + N(size) + " bytes");
  }
  std::memmove(file.data() + plan.fixed, file.data() + from, plan.imageBytes);
  std::memcpy(file.data(), head.data(), plan.fixed);
  file.resize(size);
  block = std::move(file);
  return {};
}

std::optional<BmpFileParts> EncodeBmp(const DibImage& picture) {
  std::optional<DibLayout> l = picture.layout();
  if (!l) return std::nullopt;
  const size_t tableBytes = size_t(l->colours) * l->entryBytes;
  const size_t offBits = kBmpFileHeaderBytes + l->headerBytes + tableBytes;
  // Blocks made here hold uncompressed rows, so the image size is always the
  // computed one.
  const uint64_t imageBytes = uint64_t(DibStride(l->width, l->bitCount)) * uint64_t(l->height);
  if (offBits + imageBytes > 0xFFFFFFFFu) return std::nullopt;  // no room in the file header's size field

  BmpFileParts parts;
  parts.head.resize(offBits);
  WriteBmpFileHeader(parts.head, uint32_t(offBits + imageBytes), uint32_t(offBits));
  std::span<uint8_t> info = std::span<uint8_t>(parts.head).subspan(kBmpFileHeaderBytes);
  std::memcpy(info.data(), picture.block().data(), l->headerBytes + tableBytes);
  if (l->headerBytes == kInfoHeaderBytes) {
    DibHeader header = *DibHeader::Read(info);
    header.imageBytes = uint32_t(imageBytes);
    header.Write(info);
  }
  parts.rows = std::span<const uint8_t>(picture.block()).subspan(l->pixelOffset, l->imageBytes);
  return parts;
}

namespace {
BmpResult AdoptBlock(DibImage& picture, std::vector<uint8_t> block) {
  std::optional<DibLayout> layout = DibLayout::Of(block);
  if (!layout || !picture.Adopt(std::move(block), layout->colours > 0))
    return Fail(BmpError::BadDimensions, "the decoded rows do not make a picture");
  return {};
}
}  // namespace

BmpResult ReadBmpMemory(DibImage& picture, std::span<const uint8_t> file) {
  std::vector<uint8_t> block;
  if (BmpResult r = DecodeBmp(file, block); !r) return r;
  return AdoptBlock(picture, std::move(block));
}

BmpResult ReadBmpFile(DibImage& picture, const std::string& path) {
  std::optional<std::vector<uint8_t>> file = ReadFileBytes(path, kMaxBmpFileBytes);
  if (!file) return Fail(BmpError::CantRead, "missing, unreadable or over " + N(kMaxBmpFileBytes) + " bytes");
  std::vector<uint8_t> block;
  if (BmpResult r = DecodeBmp(std::move(*file), block); !r) return r;
  return AdoptBlock(picture, std::move(block));
}

BmpResult WriteBmpFile(const DibImage& picture, const std::string& path) {
  std::optional<BmpFileParts> parts = EncodeBmp(picture);
  if (!parts) return Fail(BmpError::NotWritable, "empty, or over 4 GB as a file");
  if (!ReplaceFileWith(path, {parts->head, parts->rows})) return Fail(BmpError::CantWrite, path);
  return {};
}

}  // namespace lumora
