// The shared thumbnail cache: MD5 names of file URIs, PNG entries with
// their text keys, and the rules for which entry serves.
#include "albums/ThumbnailCache.h"

#include <png.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/AtomicFile.h"

namespace fs = std::filesystem;

namespace lumora {

namespace {

// ---- MD5 (RFC 1321) ---------------------------------------------------------

constexpr std::array<uint32_t, 64> kSines = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};
constexpr std::array<int, 16> kShifts = {7, 12, 17, 22, 5, 9, 14, 20, 4, 11, 16, 23, 6, 10, 15, 21};

uint32_t RotateLeft(uint32_t v, int n) { return v << n | v >> (32 - n); }

void Md5Block(std::array<uint32_t, 4>& state, const uint8_t* block) {
  uint32_t m[16];
  for (int i = 0; i < 16; ++i)
    m[i] = uint32_t(block[4 * i]) | uint32_t(block[4 * i + 1]) << 8 | uint32_t(block[4 * i + 2]) << 16 |
           uint32_t(block[4 * i + 3]) << 24;
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  for (int i = 0; i < 64; ++i) {
    uint32_t f;
    int g;
    switch (i / 16) {
      case 0: f = (b & c) | (~b & d), g = i; break;
      case 1: f = (d & b) | (~d & c), g = (5 * i + 1) % 16; break;
      case 2: f = b ^ c ^ d, g = (3 * i + 5) % 16; break;
      default: f = c ^ (b | ~d), g = (7 * i) % 16; break;
    }
    const uint32_t next = d;
    d = c;
    c = b;
    b = b + RotateLeft(a + f + kSines[size_t(i)] + m[g], kShifts[size_t(i / 16 * 4 + i % 4)]);
    a = next;
  }
  state[0] += a, state[1] += b, state[2] += c, state[3] += d;
}

// ---- The file's state -------------------------------------------------------

// Entries are named by the absolute, normal form of a path.
std::string Absolute(const std::string& path) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(path, ec);
  return ec ? path : absolute.lexically_normal().string();
}

struct FileState {
  std::string uri;
  int64_t mtime = 0;  // seconds since the epoch, UTC
  uint64_t size = 0;
};

std::optional<FileState> StateOf(const std::string& path) {
  std::error_code ec;
  const fs::file_time_type written = fs::last_write_time(path, ec);
  if (ec) return std::nullopt;
  const uint64_t size = fs::file_size(path, ec);
  if (ec) return std::nullopt;
  const auto seconds = std::chrono::floor<std::chrono::seconds>(std::chrono::file_clock::to_sys(written));
  return FileState{FileUri(Absolute(path)), int64_t(seconds.time_since_epoch().count()), size};
}

std::optional<std::vector<uint8_t>> ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// True when the entry's keys say it was made from the file as it is now: the
// same URI and last-write time, and the same size where the entry gives one.
bool IsCurrent(const ThumbnailPng& png, const FileState& file) {
  const std::string* uri = png.Key(kThumbUri);
  const std::string* mtime = png.Key(kThumbMTime);
  if (!uri || !mtime || *uri != file.uri || *mtime != std::to_string(file.mtime)) return false;
  const std::string* size = png.Key(kThumbSize);
  return !size || *size == std::to_string(file.size);
}

std::optional<int> PositiveKey(const ThumbnailPng& png, std::string_view key) {
  const std::string* text = png.Key(key);
  if (!text || text->empty() || text->size() > 9) return std::nullopt;
  int value = 0;
  for (const char c : *text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value > 0 ? std::optional<int>(value) : std::nullopt;
}

bool WriteEntry(const std::string& file, std::span<const uint8_t> bytes) {
  std::error_code ec;
  const fs::path folder = fs::path(file).parent_path();
  if (!fs::is_directory(folder, ec)) {
    fs::create_directories(folder, ec);
    if (ec) return false;
    // The cache shows what the user has: only the user reads it.
    fs::permissions(folder, fs::perms::owner_all, ec);
  }
  return ReplaceFileWith(file, {bytes}, ReplaceOptions{0600, false});
}

// ---- PNG ---------------------------------------------------------------------

constexpr png_uint_32 kLargestPngSide = 4096;
constexpr png_uint_32 kMostPngChunks = 256;

struct PngSource {
  std::span<const uint8_t> bytes;
  size_t at = 0;
};

// True when every chunk up to the end chunk lies inside `bytes`: libpng
// allocates a text chunk by its stated length, which a damaged file could
// make any size.
bool ChunksFit(std::span<const uint8_t> bytes) {
  constexpr size_t kSignature = 8, kFraming = 12;  // length, type, CRC
  for (size_t at = kSignature; at + kFraming <= bytes.size();) {
    const size_t length = size_t(bytes[at]) << 24 | size_t(bytes[at + 1]) << 16 | size_t(bytes[at + 2]) << 8 |
                          size_t(bytes[at + 3]);
    if (length > bytes.size() - at - kFraming) return false;
    if (std::memcmp(&bytes[at + 4], "IEND", 4) == 0) return true;
    at += kFraming + length;
  }
  return false;
}

void ReadFromSpan(png_structp png, png_bytep out, png_size_t length) {
  auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
  if (length > source->bytes.size() - source->at) png_error(png, "truncated");
  std::memcpy(out, source->bytes.data() + source->at, length);
  source->at += length;
}

void WriteToVector(png_structp png, png_bytep data, png_size_t length) {
  static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png))->insert(
      static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png))->end(), data, data + length);
}

void FlushNothing(png_structp) {}

// Damaged entries are ordinary here: no messages, the read just fails.
[[noreturn]] void QuietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void QuietWarning(png_structp, png_const_charp) {}

void CollectText(png_structp png, png_infop info, ThumbnailPng& out) {
  png_textp text = nullptr;
  int count = 0;
  png_get_text(png, info, &text, &count);
  for (int i = 0; i < count; ++i)
    out.keys.emplace_back(text[i].key, std::string(text[i].text ? text[i].text : "", text[i].text_length
                                                                                        ? text[i].text_length
                                                                                        : text[i].itxt_length));
}

// The parts of the read that libpng may leave by a long jump: no object
// with a destructor lives in this frame.
bool ReadPngInto(png_structp png, png_infop info, png_infop end, PngSource* source, bool pixels, ThumbnailPng* out,
                 std::vector<uint8_t>* rgba) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, source, ReadFromSpan);
  png_set_user_limits(png, kLargestPngSide, kLargestPngSide);
  png_set_chunk_cache_max(png, kMostPngChunks);
  png_read_info(png, info);
  out->width = int(png_get_image_width(png, info));
  out->height = int(png_get_image_height(png, info));
  CollectText(png, info, *out);
  if (!pixels) return true;
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  const int passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != size_t(out->width) * 4) return false;
  rgba->resize(size_t(out->width) * 4 * size_t(out->height));
  for (int pass = 0; pass < passes; ++pass)
    for (int y = 0; y < out->height; ++y) png_read_row(png, rgba->data() + size_t(y) * size_t(out->width) * 4, nullptr);
  png_read_end(png, end);
  CollectText(png, end, *out);
  return true;
}

bool WritePngFrom(png_structp png, png_infop info, std::vector<uint8_t>* bytes, const std::vector<uint8_t>* rgb,
                  int width, int height, std::vector<png_text>* text) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, bytes, WriteToVector, FlushNothing);
  // Small files written often: speed before size.
  png_set_compression_level(png, 1);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_text(png, info, text->data(), int(text->size()));
  png_write_info(png, info);
  for (int y = 0; y < height; ++y)
    png_write_row(png, const_cast<png_bytep>(rgb->data() + size_t(y) * size_t(width) * 3));
  png_write_end(png, info);
  return true;
}

}  // namespace

std::string Md5Hex(std::string_view bytes) {
  std::array<uint32_t, 4> state = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  const size_t whole = bytes.size() / 64 * 64;
  for (size_t at = 0; at < whole; at += 64) Md5Block(state, reinterpret_cast<const uint8_t*>(bytes.data()) + at);
  // The tail, the 0x80 marker, zeros and the bit length, in one or two blocks.
  std::array<uint8_t, 128> tail{};
  const size_t rest = bytes.size() - whole;
  std::memcpy(tail.data(), bytes.data() + whole, rest);
  tail[rest] = 0x80;
  const size_t blocks = rest < 56 ? 1 : 2;
  const uint64_t bits = uint64_t(bytes.size()) * 8;
  for (int i = 0; i < 8; ++i) tail[blocks * 64 - 8 + size_t(i)] = uint8_t(bits >> (8 * i));
  for (size_t b = 0; b < blocks; ++b) Md5Block(state, tail.data() + 64 * b);

  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (const uint32_t word : state)
    for (int i = 0; i < 4; ++i) {
      const uint8_t byte = uint8_t(word >> (8 * i));
      hex += kHex[byte >> 4];
      hex += kHex[byte & 15];
    }
  return hex;
}

const std::string* ThumbnailPng::Key(std::string_view name) const {
  for (const auto& [key, value] : keys)
    if (key == name) return &value;
  return nullptr;
}

std::optional<ThumbnailPng> ReadThumbnailPng(std::span<const uint8_t> bytes, bool pixels) {
  if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0 || !ChunksFit(bytes)) return std::nullopt;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, QuietWarning);
  if (!png) return std::nullopt;
  png_infop info = png_create_info_struct(png);
  png_infop end = png_create_info_struct(png);
  ThumbnailPng out;
  std::vector<uint8_t> rgba;
  PngSource source{bytes};
  const bool read = info && end && ReadPngInto(png, info, end, &source, pixels, &out, &rgba);
  png_destroy_read_struct(&png, info ? &info : nullptr, end ? &end : nullptr);
  if (!read) return std::nullopt;
  if (!pixels) return out;

  if (!out.picture.Create(out.width, out.height, 24)) return std::nullopt;
  RowTable rows(out.picture);
  for (int y = 0; y < out.height; ++y) {
    const uint8_t* from = rgba.data() + size_t(y) * size_t(out.width) * 4;
    uint8_t* to = rows[y];
    for (int x = 0; x < out.width; ++x, from += 4, to += 3) {
      // Transparent parts show white, as on a cell.
      const unsigned alpha = from[3], clear = 255 - alpha;
      to[0] = uint8_t((from[2] * alpha + 255 * clear + 127) / 255);
      to[1] = uint8_t((from[1] * alpha + 255 * clear + 127) / 255);
      to[2] = uint8_t((from[0] * alpha + 255 * clear + 127) / 255);
    }
  }
  return out;
}

std::vector<uint8_t> WriteThumbnailPng(const DibImage& picture,
                                       const std::vector<std::pair<std::string, std::string>>& keys) {
  DibImage bgr;
  if (!ShrinkPicture(picture, picture.width(), picture.height(), bgr)) return {};
  const int width = bgr.width(), height = bgr.height();
  std::vector<uint8_t> rgb(size_t(width) * 3 * size_t(height));
  const RowView rows = bgr.Rows();
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = rows[y] + size_t(x) * 3;
      uint8_t* q = rgb.data() + (size_t(y) * size_t(width) + size_t(x)) * 3;
      q[0] = p[2], q[1] = p[1], q[2] = p[0];
    }
  std::vector<png_text> text;
  for (const auto& [key, value] : keys) {
    png_text t{};
    t.compression = PNG_TEXT_COMPRESSION_NONE;
    t.key = const_cast<char*>(key.c_str());
    t.text = const_cast<char*>(value.c_str());
    t.text_length = value.size();
    text.push_back(t);
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, QuietWarning);
  if (!png) return {};
  png_infop info = png_create_info_struct(png);
  std::vector<uint8_t> bytes;
  const bool written = info && WritePngFrom(png, info, &bytes, &rgb, width, height, &text);
  png_destroy_write_struct(&png, info ? &info : nullptr);
  return written ? bytes : std::vector<uint8_t>();
}

std::string ThumbnailCache::DefaultRoot() {
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && cache[0] == '/')
    return std::string(cache) + "/thumbnails";
  if (const char* home = std::getenv("HOME"); home && home[0] == '/') return std::string(home) + "/.cache/thumbnails";
  return {};
}

std::optional<ThumbnailCache> ThumbnailCache::ForThisUser() {
  std::string root = DefaultRoot();
  if (root.empty()) return std::nullopt;
  return ThumbnailCache(std::move(root), LUMORA_VERSION);
}

ThumbnailCache::ThumbnailCache(std::string root, std::string version)
    : root_(std::move(root)), software_("Lumora " + version), failFolder_("fail/lumora-" + version) {}

std::string ThumbnailCache::NormalPath(const std::string& path) const {
  return root_ + "/normal/" + Md5Hex(FileUri(Absolute(path))) + ".png";
}

std::string ThumbnailCache::LargePath(const std::string& path) const {
  return root_ + "/large/" + Md5Hex(FileUri(Absolute(path))) + ".png";
}

std::string ThumbnailCache::FailPath(const std::string& path) const {
  return root_ + "/" + failFolder_ + "/" + Md5Hex(FileUri(Absolute(path))) + ".png";
}

CacheLookup ThumbnailCache::Find(const std::string& path, bool video, const ThumbnailCell& cell,
                                 CachedThumbnail& out) const {
  const std::optional<FileState> file = StateOf(path);
  if (!file) return CacheLookup::Missing;
  for (const std::string& entry : {NormalPath(path), LargePath(path)}) {
    const std::optional<std::vector<uint8_t>> bytes = ReadWhole(entry);
    if (!bytes) continue;
    std::optional<ThumbnailPng> png = ReadThumbnailPng(*bytes, true);
    if (!png || !IsCurrent(*png, *file)) continue;
    const std::string* software = png->Key(kThumbSoftware);
    if (video && (!software || *software != software_)) continue;
    const std::optional<int> fullWidth = PositiveKey(*png, kThumbImageWidth);
    const std::optional<int> fullHeight = PositiveKey(*png, kThumbImageHeight);
    if (!fullWidth || !fullHeight) continue;
    const ThumbnailPlace place = PlaceThumbnail(*fullWidth, *fullHeight, cell);
    if (png->width < place.width || png->height < place.height) continue;
    out.picture = std::move(png->picture);
    out.fullWidth = *fullWidth;
    out.fullHeight = *fullHeight;
    return CacheLookup::Found;
  }
  if (const std::optional<std::vector<uint8_t>> bytes = ReadWhole(FailPath(path))) {
    const std::optional<ThumbnailPng> png = ReadThumbnailPng(*bytes, false);
    if (png && IsCurrent(*png, *file)) return CacheLookup::Failed;
  }
  return CacheLookup::Missing;
}

bool ThumbnailCache::Store(const std::string& path, const DibImage& picture, int fullWidth, int fullHeight) const {
  const std::optional<FileState> file = StateOf(path);
  if (root_.empty() || !file || picture.width() <= 0 || picture.height() <= 0) return false;
  // At most 128 a side, never larger than the picture at hand.
  int width = picture.width(), height = picture.height();
  if (std::max(width, height) > kNormalSide) {
    if (width >= height) {
      height = std::max(1, int(int64_t(height) * kNormalSide / width));
      width = kNormalSide;
    } else {
      width = std::max(1, int(int64_t(width) * kNormalSide / height));
      height = kNormalSide;
    }
  }
  DibImage shrunk;
  if (!ShrinkPicture(picture, width, height, shrunk)) return false;
  // Every entry names Lumora in "Software", which is what makes a video's entry usable.
  const std::vector<uint8_t> png =
      WriteThumbnailPng(shrunk, {{kThumbUri, file->uri},
                                 {kThumbMTime, std::to_string(file->mtime)},
                                 {kThumbSize, std::to_string(file->size)},
                                 {kThumbImageWidth, std::to_string(fullWidth)},
                                 {kThumbImageHeight, std::to_string(fullHeight)},
                                 {kThumbSoftware, software_}});
  return !png.empty() && WriteEntry(NormalPath(path), png);
}

bool ThumbnailCache::StoreFailure(const std::string& path) const {
  const std::optional<FileState> file = StateOf(path);
  if (root_.empty() || !file) return false;
  DibImage dot;
  if (!dot.Create(1, 1, 24)) return false;
  const std::vector<uint8_t> png = WriteThumbnailPng(dot, {{kThumbUri, file->uri},
                                                          {kThumbMTime, std::to_string(file->mtime)},
                                                          {kThumbSize, std::to_string(file->size)},
                                                          {kThumbSoftware, software_}});
  return !png.empty() && WriteEntry(FailPath(path), png);
}

void ThumbnailCache::Remove(const std::string& path) const {
  if (root_.empty()) return;
  std::error_code ec;
  for (const std::string& entry : {NormalPath(path), LargePath(path), FailPath(path)}) fs::remove(entry, ec);
}

void ThumbnailCache::Move(const std::string& from, const std::string& to) const {
  if (root_.empty()) return;
  Remove(to);
  const std::string uri = FileUri(Absolute(to));
  const std::string entries[][2] = {{NormalPath(from), NormalPath(to)}, {LargePath(from), LargePath(to)}};
  for (const auto& [old, moved] : entries) {
    const std::optional<std::vector<uint8_t>> bytes = ReadWhole(old);
    std::optional<ThumbnailPng> png = bytes ? ReadThumbnailPng(*bytes, true) : std::nullopt;
    std::error_code ec;
    fs::remove(old, ec);
    if (!png) continue;
    for (auto& [key, value] : png->keys)
      if (key == kThumbUri) value = uri;
    const std::vector<uint8_t> rewritten = WriteThumbnailPng(png->picture, png->keys);
    if (!rewritten.empty()) WriteEntry(moved, rewritten);
  }
  std::error_code ec;
  fs::remove(FailPath(from), ec);
}

}  // namespace lumora
