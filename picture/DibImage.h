// DibImage: the program's one in-memory picture. A packed device-independent
// bitmap in one owned, zero-initialised byte block (40-byte information
// header, colour table, pixel rows bottom row first, each row padded to 4
// bytes, 24-bit pixels stored blue, green, red), a second block that is a
// byte-for-byte backup of the first, the width and height, and a palette
// built from the colour table.
//
// Blocks may come from files, so every access checks the header against the
// block's size (DibLayout); a block whose header lies is treated as no picture.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "picture/DibHeader.h"

namespace lumora {

// Largest block a picture may have: refuses sizes no album picture needs and
// keeps hostile headers from asking for absurd allocations.
inline constexpr size_t kMaxPictureBlockBytes = size_t(1) << 30;

// Most pixels a decoder accepts (16384 x 16384). Every decoder checks the size
// a header declares against it before allocating anything, so a tiny file
// that claims a huge picture fails at once as "cannot decode".
inline constexpr int64_t kMaxPicturePixels = int64_t(1) << 28;

// True when width x height is positive in both and at most kMaxPicturePixels.
constexpr bool PictureSizeAllowed(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxPicturePixels && height <= kMaxPicturePixels &&
         width * height <= kMaxPicturePixels;
}

// Room for a full 256-entry colour table after the header.
inline constexpr uint32_t kPalettedPixelOffset = kInfoHeaderBytes + 256 * 4;

struct PaletteEntry {
  uint8_t red = 0, green = 0, blue = 0, flags = 0;
  bool operator==(const PaletteEntry&) const = default;
};

// Where things are in a packed bitmap, read from its header and checked
// against the block's size.
struct DibLayout {
  uint32_t headerBytes = 0;  // 40 or 12
  int32_t width = 0;
  int32_t height = 0;  // rows; the block stores them bottom-up
  uint16_t bitCount = 0;
  uint32_t compression = 0;
  uint32_t colours = 0;     // colour-table entries
  uint32_t entryBytes = 0;  // 4 after a 40-byte header, 3 after a core header
  size_t pixelOffset = 0;   // header + colour table
  size_t stride = 0;        // bytes per stored row
  size_t imageBytes = 0;    // stride * height

  // The layout of `block`, or nothing when the header is unknown, the sizes
  // are not positive, the rows are compressed, or the table or the rows
  // would run past the block.
  static std::optional<DibLayout> Of(std::span<const uint8_t> block);
};

// Bytes per stored row: ((width * bits + 31) / 32) * 4, or 0 on overflow.
size_t DibStride(int64_t width, int bitsPerPixel);

// The rows of a block, read only, entry 0 the top row of the picture as
// displayed (the last stored row). Valid while the block is not resized or
// replaced; no rows when the block's header lies.
class RowView {
 public:
  RowView() = default;
  explicit RowView(std::span<const uint8_t> block);
  const uint8_t* operator[](int32_t row) const { return first_ + size_t(rows_ - 1 - row) * stride_; }
  int32_t rows() const { return rows_; }
  size_t stride() const { return stride_; }

 private:
  const uint8_t* first_ = nullptr;
  int32_t rows_ = 0;
  size_t stride_ = 0;
};

class DibImage {
 public:
  DibImage() = default;
  virtual ~DibImage();
  DibImage(const DibImage&) = delete;
  DibImage& operator=(const DibImage&) = delete;
  DibImage(DibImage&&) noexcept = default;
  DibImage& operator=(DibImage&&) noexcept = default;

  // A new zeroed picture: 40-byte header, for 8 bits a 256-entry grey ramp
  // (colours used 256). Row size = (width * bits / 8 + 3) & ~3. Frees the old
  // content first. No palette is built. False when the size is not positive,
  // the depth is not 8, 16 or 24 (1- and 4-bit pictures only come from
  // files), or the block would be too large.
  bool Create(int32_t width, int32_t height, int bitsPerPixel);
  // Create, then copies row size * height bytes of `bits` into the rows.
  bool CreateFromBits(const uint8_t* bits, int32_t width, int32_t height, int bitsPerPixel);
  // Re-reads width and height from the header; with `buildPalette` rebuilds
  // the palette (false, and no palette, when that fails).
  bool RefreshInfo(bool buildPalette);
  // The palette from the colour table; false when there is no table.
  bool BuildPalette();
  // Takes a copy of `other`'s pixel block, size and palette; never its backup.
  void Assign(const DibImage& other);
  // Makes `block` the pixel block (freeing the old content) and refreshes the
  // size and, with `buildPalette`, the palette (none without a colour table).
  // False, leaving the picture unchanged, when the block is not a valid
  // packed bitmap.
  bool Adopt(std::vector<uint8_t> block, bool buildPalette);
  void Free();

  // The header's bit count; -1 without a pixel block.
  int BitCount() const;
  // The first stored (bottom) row; nullptr without a valid block.
  uint8_t* PixelBits();
  const uint8_t* PixelBits() const;
  // The rows, read only.
  RowView Rows() const { return RowView(block_); }
  // The colour table's bytes (entryBytes each, blue, green, red first), read
  // only; empty without a table or a valid block.
  std::span<const uint8_t> ColourTable() const;

  // Copy of the pixel block into the backup block; false (and no backup) on failure.
  bool Snapshot();
  // Exchanges the pixel and backup blocks when there is a backup.
  bool SwapBackup();

  bool empty() const { return block_.empty(); }
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  std::vector<uint8_t>& block() { return block_; }
  const std::vector<uint8_t>& block() const { return block_; }
  std::vector<uint8_t>& backup() { return backup_; }
  const std::vector<uint8_t>& backup() const { return backup_; }
  const std::optional<std::vector<PaletteEntry>>& palette() const { return palette_; }
  std::optional<DibLayout> layout() const { return DibLayout::Of(block_); }

 private:
  std::vector<uint8_t> block_;
  std::vector<uint8_t> backup_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::optional<std::vector<PaletteEntry>> palette_;
};

// Makes a 1- or 4-bit picture an 8-bit one with the same colour table (the
// same entries, colours used stating their count), one index byte a pixel,
// so the effect passes, which handle 8 and 24 bits, work on it: every pixel
// keeps its index and so its colour. The header's resolutions and important
// colours are kept; a core header becomes a 40-byte one. Pictures entering
// the effect pipeline go through this. Other depths and empty pictures are
// left as they are. False, leaving the picture unchanged, when the 8-bit
// block would pass kMaxPictureBlockBytes or memory runs out. The backup is
// dropped with the old block.
bool ExpandToEightBits(DibImage& picture);

// Pointers to the rows of a picture's block, entry 0 the top row of the
// picture as displayed (the last stored row). Valid while the block is not
// resized or replaced.
class RowTable {
 public:
  explicit RowTable(DibImage& picture);
  // Over a bare block with the same header, e.g. the backup block.
  explicit RowTable(std::vector<uint8_t>& block);
  uint8_t* operator[](int32_t row) const { return rows_[size_t(row)]; }
  int32_t rows() const { return int32_t(rows_.size()); }
  size_t stride() const { return stride_; }

 private:
  std::vector<uint8_t*> rows_;
  size_t stride_ = 0;
};

struct PictureRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool empty() const { return right <= left || bottom <= top; }
};

// The part of a picture one effect pass may touch: the selection in picture
// coordinates (clamped to the picture, possibly empty) when the editor has
// one, else (no selection given) the whole picture.
struct EffectRegion {
  int32_t width = 0, height = 0;
  int bits = 0;
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int32_t regionWidth = 0, regionHeight = 0;
  DibImage* picture = nullptr;

  explicit EffectRegion(DibImage& pic, std::optional<PictureRect> selection = std::nullopt);
};

// The compositing form: the target region plus the overlay picture.
struct OverlayRegion : EffectRegion {
  const DibImage* overlay = nullptr;
  int32_t overlayWidth = 0, overlayHeight = 0;
  int overlayBits = 0;

  OverlayRegion(DibImage& target, const DibImage& over, std::optional<PictureRect> selection = std::nullopt);
};

// Channel arithmetic: effects compute on plain ints and clamp only when a
// value is stored into a pixel byte (above 255 gives 255, below 1 gives 0).
inline uint8_t StoreChannel(int value) {
  return value > 255 ? uint8_t(255) : value < 1 ? uint8_t(0) : uint8_t(value);
}
// value / n + 0.5 in floating point, truncated toward zero.
inline int DivideChannel(int value, int n) { return int(double(value) / n + 0.5); }

}  // namespace lumora
