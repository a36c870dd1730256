// GIF decoding and encoding. The decoder walks the blocks of the file up to
// the first image descriptor, joins the image's data sub-blocks and expands
// the LZW codes into palette indices; the encoder is the GIF87a writer with a
// hashed LZW string table.
#include "media/codecs/Gif.h"

#include <algorithm>
#include <cstring>

#include "io/ByteReader.h"
#include "io/FileBytes.h"
#include "picture/LittleEndian.h"

namespace lumora {

namespace {

constexpr std::array<const char*, 19> kErrorTexts = {
    "No Error",
    "No Name Given",
    "Cant open GIF :\n",  // + path
    "Error reading GIF Magic #\n",  // + path
    "",  // NotGif: built with the path in GifErrorText
    "Error, Bad GIF Version number",
    "Error, failed to GIF read screen descriptor.\nGiving up",
    "Error reading GIF colormap",
    "Non-square pixels in GIF image.\nIgnoring that fact...",
    "Unexpected EOF in GIF.\nGiving up",
    "Error on extension read.\nGiving up",
    "Error on dimension read\nGiving up",
    "Out of Memory in GIFRead",
    "Error reading GIF file\nGIFScreen Colormap\nGiving up",
    "Error reading GIF colormap\nGiving up",
    "Error reading GIF file\nLocalColorMap\nGiving up",
    "Can't open GIF for writing",
    "Error, bad GIF image size or background",
    "Error, only pictures of 1, 4 or 8 bits with a palette can be written as GIF",
};
static_assert(kErrorTexts.size() == size_t(GifError::BadDepth) + 1);

constexpr size_t kHeaderBytes = 6;
constexpr size_t kScreenBytes = 7;
constexpr size_t kDescriptorBytes = 9;
constexpr uint8_t kExtensionIntroducer = 0x21;  // "!"
constexpr uint8_t kImageSeparator = 0x2C;       // ","
constexpr uint8_t kTrailer = 0x3B;              // ";"
constexpr uint8_t kTableFlag = 0x80;
constexpr uint8_t kInterlaceFlag = 0x40;
constexpr uint8_t kSquareAspect = 49;  // (49 + 15) / 64 = 1
// Largest prefix a size probe needs: header, screen, a 256-entry table, the
// separator and the image descriptor.
constexpr size_t kProbeBytes = kHeaderBytes + kScreenBytes + 256 * 3 + 1 + kDescriptorBytes;
constexpr size_t kMaxGifFileBytes = kMaxPictureBlockBytes;

// LZW codes are at most 12 bits wide, so the string table has 4096 entries.
constexpr int kMaxCodeBits = 12;
constexpr int kMaxCodes = 1 << kMaxCodeBits;
// Minimum code sizes allowed in image data: at least 2 even for two-colour
// images, at most 8 for 256 colours.
constexpr int kMinCodeSizeLow = 2;
constexpr int kMinCodeSizeHigh = 8;

// Encoder: the string table's open-addressing hash and the sub-block size.
constexpr int kHashSlots = 5003;
constexpr int HashShift() {
  int doublings = 0;
  for (long size = kHashSlots; size < 65536; size *= 2) ++doublings;
  return 8 - doublings;
}
constexpr int kHashShift = HashShift();
static_assert(kHashShift == 4);
constexpr size_t kSubBlockBytes = 254;
constexpr int kEncodeCodeSize = 8;
constexpr uint8_t kScreenFlags = 0xE7;  // global table, colour resolution 7, 256 entries
constexpr int kMaxGifSide = 65535;

bool HasVersion(std::span<const uint8_t> header) {
  return std::memcmp(header.data() + 3, "87a", 3) == 0 || std::memcmp(header.data() + 3, "89a", 3) == 0;
}

// How the LZW data of one image ended.
enum class LzwEnd { Complete, EndCode, RanOut, BadCode };

// Expands LZW codes into `out` until it is full, the end code comes, or the
// codes run out. Every code is checked against the table before it is used,
// so the table can never refer to an entry that does not exist yet.
LzwEnd DecodeLzw(std::span<const uint8_t> data, int minCodeSize, std::span<uint8_t> out, size_t& decoded) {
  std::array<uint16_t, kMaxCodes> prefix;
  std::array<uint16_t, kMaxCodes> length;
  std::array<uint8_t, kMaxCodes> suffix;
  std::array<uint8_t, kMaxCodes> first;
  const int clear = 1 << minCodeSize;
  const int endCode = clear + 1;
  for (int i = 0; i < clear; ++i) {
    prefix[size_t(i)] = 0;
    length[size_t(i)] = 1;
    suffix[size_t(i)] = first[size_t(i)] = uint8_t(i);
  }
  int next = clear + 2;
  int width = minCodeSize + 1;
  int prev = -1;
  LsbBitReader bits(data);
  const size_t total = out.size();
  size_t pos = 0;
  while (pos < total) {
    const int code = int(bits.Read(width));
    if (bits.truncated()) {
      decoded = pos;
      return LzwEnd::RanOut;
    }
    if (code == clear) {
      next = clear + 2;
      width = minCodeSize + 1;
      prev = -1;
      continue;
    }
    if (code == endCode) {
      decoded = pos;
      return LzwEnd::EndCode;
    }
    if (prev < 0) {
      // After a clear code only the single-index codes exist.
      if (code > clear) {
        decoded = pos;
        return LzwEnd::BadCode;
      }
    } else {
      if (code > next) {
        decoded = pos;
        return LzwEnd::BadCode;
      }
      if (next < kMaxCodes) {  // a full table stops growing until the next clear code
        prefix[size_t(next)] = uint16_t(prev);
        length[size_t(next)] = uint16_t(length[size_t(prev)] + 1);
        first[size_t(next)] = first[size_t(prev)];
        suffix[size_t(next)] = code == next ? first[size_t(prev)] : first[size_t(code)];
        ++next;
        if (next == 1 << width && width < kMaxCodeBits) ++width;
      }
    }
    // The string of `code`, written back to front; what would run past the
    // end of the image is left off.
    size_t stop = pos + length[size_t(code)];
    size_t k = size_t(code);
    for (; stop > total; --stop) k = prefix[k];
    for (size_t p = stop; p > pos; k = prefix[k]) out[--p] = suffix[k];
    pos = stop;
    prev = code;
  }
  decoded = pos;
  return LzwEnd::Complete;
}

// Packs codes least significant bit first into data sub-blocks.
class CodePacker {
 public:
  explicit CodePacker(std::vector<uint8_t>& out) : out_(out) {}
  void Put(int code, int width) {
    acc_ |= uint32_t(code) << held_;
    held_ += width;
    for (; held_ >= 8; held_ -= 8, acc_ >>= 8) Byte(uint8_t(acc_));
  }
  void Finish() {
    if (held_ > 0) Byte(uint8_t(acc_));
    acc_ = 0;
    held_ = 0;
    FlushBlock();
  }

 private:
  void Byte(uint8_t b) {
    block_[fill_++] = b;
    if (fill_ == kSubBlockBytes) FlushBlock();
  }
  void FlushBlock() {
    if (fill_ == 0) return;
    out_.push_back(uint8_t(fill_));
    out_.insert(out_.end(), block_.begin(), block_.begin() + std::ptrdiff_t(fill_));
    fill_ = 0;
  }

  std::vector<uint8_t>& out_;
  std::array<uint8_t, kSubBlockBytes> block_{};
  size_t fill_ = 0;
  uint32_t acc_ = 0;
  int held_ = 0;
};

// The LZW coder for 8-bit indices: codes from 9 to 12 bits, a clear code when
// the table is full.
void EncodeLzw(std::span<const uint8_t> pixels, CodePacker& packer) {
  constexpr int kFirstWidth = kEncodeCodeSize + 1;
  constexpr int kClear = 1 << kEncodeCodeSize;
  constexpr int kEnd = kClear + 1;
  constexpr int kFirstFree = kClear + 2;
  constexpr int32_t kEmpty = -1;
  std::vector<int32_t> keys(kHashSlots, kEmpty);
  std::vector<uint16_t> codes(kHashSlots, 0);
  int next = kFirstFree;
  int width = kFirstWidth;
  auto emit = [&](int code) {
    packer.Put(code, width);
    if (width < kMaxCodeBits && next > (1 << width) - 1) ++width;
  };

  emit(kClear);
  int prefix = pixels[0];
  for (size_t i = 1; i < pixels.size(); ++i) {
    const int pixel = pixels[i];
    const int32_t key = (pixel << kMaxCodeBits) + prefix;
    int slot = (pixel << kHashShift) ^ prefix;
    const int step = slot == 0 ? 1 : kHashSlots - slot;
    bool found = false;
    while (keys[size_t(slot)] != kEmpty) {
      if (keys[size_t(slot)] == key) {
        found = true;
        break;
      }
      slot -= step;
      if (slot < 0) slot += kHashSlots;
    }
    if (found) {
      prefix = codes[size_t(slot)];
      continue;
    }
    emit(prefix);
    prefix = pixel;
    if (next < kMaxCodes) {
      codes[size_t(slot)] = uint16_t(next++);
      keys[size_t(slot)] = key;
    } else {
      std::fill(keys.begin(), keys.end(), kEmpty);
      next = kFirstFree;
      packer.Put(kClear, width);
      width = kFirstWidth;
    }
  }
  emit(prefix);
  emit(kEnd);
  packer.Finish();
}

// Walks data sub-blocks (a count byte, that many bytes, until a count of 0),
// appending their bytes to `joined` when given. False when the file ends
// before the terminating count.
bool ReadSubBlocks(ByteReader& in, std::vector<uint8_t>* joined) {
  while (true) {
    uint8_t count = in.U8();
    if (in.truncated()) return false;
    if (count == 0) return true;
    std::span<const uint8_t> bytes = in.Bytes(count);
    if (joined) joined->insert(joined->end(), bytes.begin(), bytes.end());
    if (in.truncated()) return false;
  }
}

// Writes the colour of every pixel the data reached, three bytes a pixel
// (red first, or blue first), into the row `rowAt` gives for each picture row.
template <typename RowAt>
void PaintRows(const GifImage& image, bool blueFirst, RowAt rowAt) {
  const std::vector<int> rows = image.PictureRows();
  const size_t width = size_t(image.width);
  const int red = blueFirst ? 2 : 0;
  const int blue = 2 - red;
  for (size_t k = 0; k * width < image.decoded; ++k) {
    const size_t count = std::min(width, image.decoded - k * width);
    const uint8_t* in = image.indices.data() + k * width;
    uint8_t* out = rowAt(rows[k]);
    for (size_t x = 0; x < count; ++x, out += 3) {
      const uint8_t* c = &image.colours[size_t(in[x]) * 3];
      out[red] = c[0];
      out[1] = c[1];
      out[blue] = c[2];
    }
  }
}

}  // namespace

std::string GifErrorText(GifError error, const std::string& path) {
  switch (error) {
    case GifError::CantOpen:
    case GifError::NoMagic: return kErrorTexts[size_t(error)] + path;
    case GifError::NotGif: return "Error, " + path + " is not a valid .GIF file";
    default: return kErrorTexts[size_t(error)];
  }
}

std::vector<int> GifImage::PictureRows() const {
  std::vector<int> rows;
  rows.reserve(size_t(std::max(height, 0)));
  if (!interlaced) {
    for (int r = 0; r < height; ++r) rows.push_back(r);
    return rows;
  }
  constexpr int kPassStart[] = {0, 4, 2, 1};
  constexpr int kPassStep[] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int r = kPassStart[pass]; r < height; r += kPassStep[pass]) rows.push_back(r);
  return rows;
}

GifError DecodeGif(std::span<const uint8_t> file, GifImage& image, size_t maxPixels) {
  image = GifImage();
  ByteReader in(file);
  std::span<const uint8_t> header = in.Bytes(kHeaderBytes);
  if (in.truncated()) return GifError::NoMagic;
  if (std::memcmp(header.data(), "GIF", 3) != 0) return GifError::NotGif;
  if (!HasVersion(header)) return GifError::BadVersion;

  std::span<const uint8_t> screen = in.Bytes(kScreenBytes);
  if (in.truncated()) return GifError::NoScreen;
  std::array<uint8_t, 256 * 3> global{};
  if (screen[4] & kTableFlag) {
    std::span<const uint8_t> table = in.Bytes(size_t(2 << (screen[4] & 7)) * 3);
    if (in.truncated()) return GifError::GlobalTable;
    std::copy(table.begin(), table.end(), global.begin());
  }
  image.nonSquare = screen[6] != 0 && screen[6] != kSquareAspect;

  // Extensions are skipped whole; any other byte before the image separator,
  // the trailer included, is passed over.
  while (true) {
    uint8_t b = in.U8();
    if (in.truncated()) return GifError::UnexpectedEof;
    if (b == kImageSeparator) break;
    if (b != kExtensionIntroducer) continue;
    in.U8();  // label: every kind is skipped alike
    if (in.truncated()) return GifError::Extension;
    ReadSubBlocks(in, nullptr);  // a cut-short extension ends the file: the next read reports it
  }

  std::span<const uint8_t> descriptor = in.Bytes(kDescriptorBytes);
  if (in.truncated()) return GifError::Dimensions;
  image.width = GetLe16(descriptor.data() + 4);
  image.height = GetLe16(descriptor.data() + 6);
  const uint8_t flags = descriptor[8];
  image.interlaced = flags & kInterlaceFlag;
  if (image.width == 0 || image.height == 0) return GifError::Dimensions;
  const size_t pixels = size_t(image.width) * size_t(image.height);
  if (!PictureSizeAllowed(image.width, image.height) || pixels > maxPixels) return GifError::OutOfMemory;

  const bool local = flags & kTableFlag;
  const GifError decodeError = local ? GifError::LocalDecode : GifError::GlobalDecode;
  if (local) {
    std::span<const uint8_t> table = in.Bytes(size_t(1 << ((flags & 7) + 1)) * 3);
    if (in.truncated()) return GifError::LocalTable;
    std::copy(table.begin(), table.end(), image.colours.begin());
  } else {
    image.colours = global;
  }

  const int minCodeSize = in.U8();
  if (in.truncated() || minCodeSize < kMinCodeSizeLow || minCodeSize > kMinCodeSizeHigh) return decodeError;
  std::vector<uint8_t> data;
  const bool terminated = ReadSubBlocks(in, &data);
  try {
    image.indices.assign(pixels, 0);
  } catch (const std::bad_alloc&) {
    return GifError::OutOfMemory;
  }
  switch (DecodeLzw(data, minCodeSize, image.indices, image.decoded)) {
    case LzwEnd::Complete:
    case LzwEnd::EndCode: return GifError::None;
    // Codes that run out inside a properly ended chain of sub-blocks leave
    // the rest of the image black; a file cut short is an error.
    case LzwEnd::RanOut: return terminated ? GifError::None : decodeError;
    case LzwEnd::BadCode: return decodeError;
  }
  return decodeError;
}

bool ProbeGifImageSize(std::span<const uint8_t> head, int& width, int& height) {
  width = height = -1;
  ByteReader in(head);
  std::span<const uint8_t> header = in.Bytes(kHeaderBytes);
  if (in.truncated() || std::memcmp(header.data(), "GIF", 3) != 0 || !HasVersion(header)) return false;
  std::span<const uint8_t> screen = in.Bytes(kScreenBytes);
  if (in.truncated()) return false;
  if (screen[4] & kTableFlag) in.Skip(size_t(2 << (screen[4] & 7)) * 3);
  uint8_t separator = in.U8();
  std::span<const uint8_t> descriptor = in.Bytes(kDescriptorBytes);
  if (in.truncated() || separator != kImageSeparator) return false;
  width = GetLe16(descriptor.data() + 4);
  height = GetLe16(descriptor.data() + 6);
  return true;
}

GifError EncodeGif87aBytes(std::vector<uint8_t>& file, const uint8_t* indices, int width, int height, int background,
                           const uint8_t red[256], const uint8_t green[256], const uint8_t blue[256]) {
  if (!indices || width < 1 || width > kMaxGifSide || height < 1 || height > kMaxGifSide || background < 0 ||
      background > 255)
    return GifError::BadParameters;
  const size_t pixels = size_t(width) * size_t(height);
  file.clear();
  // LZW rarely grows 8-bit data by more than the 12-bit code size allows.
  file.reserve(kHeaderBytes + kScreenBytes + 256 * 3 + 1 + kDescriptorBytes + 1 + pixels * 3 / 2 + 64);
  const char magic[] = "GIF87a";
  file.insert(file.end(), magic, magic + kHeaderBytes);
  AppendLe16(file, uint16_t(width));
  AppendLe16(file, uint16_t(height));
  file.push_back(kScreenFlags);
  file.push_back(uint8_t(background));
  file.push_back(0);  // aspect: square pixels
  for (int i = 0; i < 256; ++i) {
    file.push_back(red[i]);
    file.push_back(green[i]);
    file.push_back(blue[i]);
  }
  file.push_back(kImageSeparator);
  AppendLe16(file, 0);  // left
  AppendLe16(file, 0);  // top
  AppendLe16(file, uint16_t(width));
  AppendLe16(file, uint16_t(height));
  file.push_back(0);  // no local table, not interlaced
  file.push_back(uint8_t(kEncodeCodeSize));
  CodePacker packer(file);
  EncodeLzw({indices, pixels}, packer);
  file.push_back(0);  // block terminator
  file.push_back(kTrailer);
  return GifError::None;
}

std::vector<uint8_t> ReadGifRgb(std::string& error, const std::string& path, int& width, int& height) {
  error.clear();
  if (path.empty()) {
    error = GifErrorText(GifError::NoName, path);
    return {};
  }
  std::optional<std::vector<uint8_t>> file = ReadFileBytes(path, kMaxGifFileBytes);
  if (!file) {
    error = GifErrorText(GifError::CantOpen, path);
    return {};
  }
  GifImage image;
  GifError result = DecodeGif(*file, image);
  if (result != GifError::None) {
    error = GifErrorText(result, path);
    return {};
  }
  if (image.nonSquare) error = GifErrorText(GifError::NonSquare, path);
  std::vector<uint8_t> rgb;
  try {
    rgb.assign(image.indices.size() * 3, 0);
  } catch (const std::bad_alloc&) {
    error = GifErrorText(GifError::OutOfMemory, path);
    return {};
  }
  const size_t rowBytes = size_t(image.width) * 3;
  PaintRows(image, false, [&](int row) { return rgb.data() + size_t(row) * rowBytes; });
  width = image.width;
  height = image.height;
  return rgb;
}

GifError ReadGifFile(DibImage& picture, const std::string& path) {
  std::optional<std::vector<uint8_t>> file = ReadFileBytes(path, kMaxGifFileBytes);
  if (!file) return GifError::CantOpen;
  GifImage image;
  if (GifError result = DecodeGif(*file, image); result != GifError::None) return result;
  DibImage decoded;
  if (!decoded.Create(image.width, image.height, 24)) return GifError::OutOfMemory;
  RowTable table(decoded);
  PaintRows(image, true, [&](int row) { return table[row]; });
  picture = std::move(decoded);
  return GifError::None;
}

int GetGifImageSize(const std::string& path, int& width, int& height) {
  width = height = -1;
  std::optional<std::vector<uint8_t>> head = ReadFileHead(path, kProbeBytes);
  if (!head) return 0;
  return ProbeGifImageSize(*head, width, height) ? 1 : 0;
}

namespace {
GifError WriteGif87a(const std::string& path, const uint8_t* indices, int width, int height, int background,
                     const uint8_t red[256], const uint8_t green[256], const uint8_t blue[256]) {
  std::vector<uint8_t> file;
  GifError result = EncodeGif87aBytes(file, indices, width, height, background, red, green, blue);
  if (result == GifError::None && !ReplaceFileWith(path, {file})) result = GifError::CantWrite;
  return result;
}
}  // namespace

GifError WriteGifFile(const DibImage& picture, const std::string& path) {
  std::optional<DibLayout> l = picture.layout();
  if (!l || !picture.palette()) return GifError::BadDepth;
  const int bits = l->bitCount;
  if (bits != 1 && bits != 4 && bits != 8) return GifError::BadDepth;

  std::vector<uint8_t> indices(size_t(l->width) * size_t(l->height));
  const RowView rows = picture.Rows();
  uint8_t* out = indices.data();
  for (int32_t r = 0; r < l->height; ++r) {
    const uint8_t* row = rows[r];
    for (int32_t x = 0; x < l->width; ++x) {
      switch (bits) {
        case 8: *out++ = row[x]; break;
        case 4: *out++ = uint8_t(x % 2 ? row[x / 2] & 0x0F : row[x / 2] >> 4); break;
        default: *out++ = uint8_t(row[x / 8] >> (7 - x % 8) & 1); break;
      }
    }
  }
  uint8_t red[256] = {}, green[256] = {}, blue[256] = {};
  const std::vector<PaletteEntry>& palette = *picture.palette();
  for (size_t i = 0; i < palette.size() && i < 256; ++i) {
    red[i] = palette[i].red;
    green[i] = palette[i].green;
    blue[i] = palette[i].blue;
  }
  return WriteGif87a(path, indices.data(), l->width, l->height, 0, red, green, blue);
}

int EncodeGif87a(std::string& error, const std::string& path, const uint8_t* indices, int width, int height,
                 int background, const uint8_t red[256], const uint8_t green[256], const uint8_t blue[256]) {
  const GifError result = WriteGif87a(path, indices, width, height, background, red, green, blue);
  if (result != GifError::None) {
    error = GifErrorText(result, path);
    return 0;
  }
  return 1;
}

}  // namespace lumora
