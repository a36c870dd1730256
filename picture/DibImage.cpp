// The packed-bitmap picture, its row table and effect regions.
#include "picture/DibImage.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "picture/LittleEndian.h"

namespace lumora {

size_t DibStride(int64_t width, int bitsPerPixel) {
  if (width <= 0 || bitsPerPixel <= 0 || width > (int64_t(1) << 31)) return 0;
  return size_t(((width * bitsPerPixel + 31) / 32) * 4);
}

std::optional<DibLayout> DibLayout::Of(std::span<const uint8_t> block) {
  const std::optional<DibHeader> h = DibHeader::Read(block);
  if (!h || (h->headerBytes != kCoreHeaderBytes && h->headerBytes != kInfoHeaderBytes)) return std::nullopt;
  DibLayout l;
  l.headerBytes = h->headerBytes;
  l.width = h->width;
  l.height = h->height;
  l.bitCount = h->bitCount;
  l.compression = h->compression;
  l.colours = h->coloursUsed;
  l.entryBytes = h->headerBytes == kCoreHeaderBytes ? 3 : 4;
  if (l.width <= 0 || l.height <= 0) return std::nullopt;
  if (l.colours == 0 || l.headerBytes == kCoreHeaderBytes) {
    switch (l.bitCount) {
      case 1: l.colours = 2; break;
      case 4: l.colours = 16; break;
      case 8: l.colours = 256; break;
      default: l.colours = 0; break;
    }
  }
  if (l.colours > 256) return std::nullopt;
  l.pixelOffset = size_t(l.headerBytes) + size_t(l.colours) * l.entryBytes;
  l.stride = DibStride(l.width, l.bitCount);
  if (l.stride == 0 || l.pixelOffset > block.size()) return std::nullopt;
  // Pictures in memory are always uncompressed: readers expand RLE and
  // bit-field files.
  if (l.compression != 0) return std::nullopt;
  if (l.stride > (block.size() - l.pixelOffset) / size_t(l.height)) return std::nullopt;
  l.imageBytes = l.stride * size_t(l.height);
  return l;
}

DibImage::~DibImage() = default;

bool DibImage::Create(int32_t width, int32_t height, int bitsPerPixel) {
  if (width <= 0 || height <= 0) return false;
  if (bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24) return false;
  size_t stride = DibStride(width, bitsPerPixel);
  if (stride == 0 || stride > kMaxPictureBlockBytes / size_t(height)) return false;
  size_t image = stride * size_t(height);
  size_t extra = bitsPerPixel == 24 ? kInfoHeaderBytes : kPalettedPixelOffset;
  if (image > kMaxPictureBlockBytes - extra) return false;

  std::vector<uint8_t> block;
  try {
    block.assign(image + extra, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  DibHeader header;
  header.width = width;
  header.height = height;
  header.bitCount = uint16_t(bitsPerPixel);
  header.imageBytes = uint32_t(image);
  if (bitsPerPixel == 8) {
    header.coloursUsed = 256;
    for (int i = 0; i < 256; ++i) std::memset(block.data() + kInfoHeaderBytes + i * 4, i, 3);
  }
  header.Write(block);
  Free();
  block_ = std::move(block);
  return RefreshInfo(false);
}

bool DibImage::CreateFromBits(const uint8_t* bits, int32_t width, int32_t height, int bitsPerPixel) {
  if (!Create(width, height, bitsPerPixel)) return false;
  size_t offset = bitsPerPixel == 8 ? kPalettedPixelOffset : kInfoHeaderBytes;
  std::memcpy(block_.data() + offset, bits, DibStride(width, bitsPerPixel) * size_t(height));
  return true;
}

bool DibImage::RefreshInfo(bool buildPalette) {
  auto l = layout();
  width_ = l ? l->width : 0;
  height_ = l ? l->height : 0;
  if (!buildPalette) return true;
  palette_.reset();
  return BuildPalette();
}

bool DibImage::BuildPalette() {
  auto l = layout();
  if (!l || l->colours == 0) return false;
  std::vector<PaletteEntry> entries(l->colours);
  const uint8_t* table = block_.data() + l->headerBytes;
  for (uint32_t i = 0; i < l->colours; ++i) {
    const uint8_t* e = table + size_t(i) * l->entryBytes;
    entries[i] = {e[2], e[1], e[0], 0};
  }
  palette_ = std::move(entries);
  return true;
}

void DibImage::Assign(const DibImage& other) {
  // Into the blocks this picture already holds: the editor copies its effect
  // base into the displayed picture on every click, and a freshly allocated
  // block of a large picture costs its page faults again each time.
  block_.assign(other.block_.begin(), other.block_.end());
  backup_.clear();
  palette_.reset();
  width_ = other.width_;
  height_ = other.height_;
  BuildPalette();
}

bool DibImage::Adopt(std::vector<uint8_t> block, bool buildPalette) {
  if (!DibLayout::Of(block)) return false;
  Free();
  block_ = std::move(block);
  RefreshInfo(buildPalette);  // a picture without a colour table simply has no palette
  return true;
}

void DibImage::Free() {
  block_ = {};
  backup_ = {};
  palette_.reset();
  width_ = height_ = 0;
}

int DibImage::BitCount() const {
  if (block_.size() < 16) return -1;
  return GetLe16(block_.data() + 14);
}

uint8_t* DibImage::PixelBits() {
  auto l = layout();
  return l ? block_.data() + l->pixelOffset : nullptr;
}

const uint8_t* DibImage::PixelBits() const { return const_cast<DibImage*>(this)->PixelBits(); }

std::span<const uint8_t> DibImage::ColourTable() const {
  auto l = layout();
  if (!l) return {};
  return std::span<const uint8_t>(block_).subspan(l->headerBytes, size_t(l->colours) * l->entryBytes);
}

bool DibImage::Snapshot() {
  // The backup keeps its block between passes for the same reason as Assign.
  backup_.clear();
  if (block_.empty()) return false;
  try {
    backup_.assign(block_.begin(), block_.end());
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool DibImage::SwapBackup() {
  if (backup_.empty()) return false;
  std::swap(block_, backup_);
  return true;
}

bool ExpandToEightBits(DibImage& picture) {
  const std::optional<DibLayout> l = picture.layout();
  if (!l || (l->bitCount != 1 && l->bitCount != 4)) return true;
  const size_t offset = kInfoHeaderBytes + size_t(l->colours) * 4;
  const size_t stride = DibStride(l->width, 8);
  if (stride == 0 || stride > (kMaxPictureBlockBytes - offset) / size_t(l->height)) return false;
  std::vector<uint8_t> block;
  try {
    block.assign(offset + stride * size_t(l->height), 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  uint8_t* h = block.data();
  // A 40-byte header keeps its resolutions and important colours; a core
  // header has none.
  DibHeader header = *DibHeader::Read(picture.block());
  header.headerBytes = kInfoHeaderBytes;
  header.planes = 1;
  header.bitCount = 8;
  header.compression = 0;
  header.imageBytes = uint32_t(stride * size_t(l->height));
  header.coloursUsed = l->colours;  // 0 would mean 256 entries at 8 bits
  header.Write(block);
  const uint8_t* table = picture.ColourTable().data();
  for (uint32_t i = 0; i < l->colours; ++i)
    std::memcpy(h + kInfoHeaderBytes + size_t(i) * 4, table + size_t(i) * l->entryBytes, 3);

  const int bits = l->bitCount;
  const int perByte = 8 / bits;
  const unsigned mask = (1u << bits) - 1;
  const RowView rows = picture.Rows();
  for (int32_t r = 0; r < l->height; ++r) {
    // Rows keep their places; pixels come first in the high bits.
    const uint8_t* src = rows[r];
    uint8_t* dst = h + offset + size_t(l->height - 1 - r) * stride;
    for (int32_t x = 0; x < l->width; ++x)
      dst[x] = uint8_t(src[x / perByte] >> (8 - bits * (x % perByte + 1)) & mask);
  }
  return picture.Adopt(std::move(block), true);
}

RowView::RowView(std::span<const uint8_t> block) {
  auto l = DibLayout::Of(block);
  if (!l) return;
  first_ = block.data() + l->pixelOffset;
  rows_ = l->height;
  stride_ = l->stride;
}

RowTable::RowTable(DibImage& picture) : RowTable(picture.block()) {}

RowTable::RowTable(std::vector<uint8_t>& block) {
  auto l = DibLayout::Of(block);
  if (!l) return;
  stride_ = l->stride;
  rows_.resize(size_t(l->height));
  uint8_t* first = block.data() + l->pixelOffset;
  for (int32_t r = 0; r < l->height; ++r) rows_[size_t(r)] = first + size_t(l->height - 1 - r) * stride_;
}

EffectRegion::EffectRegion(DibImage& pic, std::optional<PictureRect> selection)
    : width(pic.width()), height(pic.height()), bits(pic.BitCount()), picture(&pic) {
  if (selection) {
    // The selection never reaches outside the picture; one that holds no
    // pixel of it leaves an empty region.
    left = std::clamp(selection->left, 0, width);
    top = std::clamp(selection->top, 0, height);
    right = std::clamp(selection->right, left, width);
    bottom = std::clamp(selection->bottom, top, height);
  } else {
    right = width;
    bottom = height;
  }
  regionWidth = right - left;
  regionHeight = bottom - top;
}

OverlayRegion::OverlayRegion(DibImage& target, const DibImage& over, std::optional<PictureRect> selection)
    : EffectRegion(target, selection),
      overlay(&over),
      overlayWidth(over.width()),
      overlayHeight(over.height()),
      overlayBits(over.BitCount()) {}

}  // namespace lumora
