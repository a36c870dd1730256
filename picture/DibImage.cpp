// The packed-bitmap picture, its row table and effect regions.
#include "picture/DibImage.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace lumora {

namespace {

uint32_t Get32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
void Put32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}
void Put16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

}  // namespace

size_t DibStride(int64_t width, int bitsPerPixel) {
  if (width <= 0 || bitsPerPixel <= 0 || width > (int64_t(1) << 31)) return 0;
  return size_t(((width * bitsPerPixel + 31) / 32) * 4);
}

std::optional<DibLayout> DibLayout::Of(std::span<const uint8_t> block) {
  if (block.size() < 4) return std::nullopt;
  DibLayout l;
  l.headerBytes = Get32(block.data());
  if (l.headerBytes == kCoreHeaderBytes) {
    if (block.size() < kCoreHeaderBytes) return std::nullopt;
    l.width = Get16(block.data() + 4);
    l.height = Get16(block.data() + 6);
    l.bitCount = Get16(block.data() + 10);
    l.entryBytes = 3;
  } else if (l.headerBytes == kInfoHeaderBytes) {
    if (block.size() < kInfoHeaderBytes) return std::nullopt;
    l.width = int32_t(Get32(block.data() + 4));
    l.height = int32_t(Get32(block.data() + 8));
    l.bitCount = Get16(block.data() + 14);
    l.compression = Get32(block.data() + 16);
    l.colours = Get32(block.data() + 32);
    l.entryBytes = 4;
  } else {
    return std::nullopt;
  }
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
  uint8_t* h = block.data();
  Put32(h, kInfoHeaderBytes);
  Put32(h + 4, uint32_t(width));
  Put32(h + 8, uint32_t(height));
  Put16(h + 12, 1);
  Put16(h + 14, uint16_t(bitsPerPixel));
  Put32(h + 20, uint32_t(image));
  if (bitsPerPixel == 8) {
    Put32(h + 32, 256);
    for (int i = 0; i < 256; ++i) std::memset(h + kInfoHeaderBytes + i * 4, i, 3);
  }
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
  Free();
  block_ = other.block_;
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
  return Get16(block_.data() + 14);
}

uint8_t* DibImage::PixelBits() {
  auto l = layout();
  return l ? block_.data() + l->pixelOffset : nullptr;
}

const uint8_t* DibImage::PixelBits() const { return const_cast<DibImage*>(this)->PixelBits(); }

bool DibImage::Snapshot() {
  backup_ = {};
  if (block_.empty()) return false;
  try {
    backup_ = block_;
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
  const uint8_t* old = picture.block().data();
  uint8_t* h = block.data();
  if (l->headerBytes == kInfoHeaderBytes) std::memcpy(h, old, kInfoHeaderBytes);  // resolutions, important colours
  Put32(h, kInfoHeaderBytes);
  Put32(h + 4, uint32_t(l->width));
  Put32(h + 8, uint32_t(l->height));
  Put16(h + 12, 1);
  Put16(h + 14, 8);
  Put32(h + 16, 0);
  Put32(h + 20, uint32_t(stride * size_t(l->height)));
  Put32(h + 32, l->colours);  // 0 would mean 256 entries at 8 bits
  for (uint32_t i = 0; i < l->colours; ++i)
    std::memcpy(h + kInfoHeaderBytes + size_t(i) * 4, old + l->headerBytes + size_t(i) * l->entryBytes, 3);

  const int bits = l->bitCount;
  const int perByte = 8 / bits;
  const unsigned mask = (1u << bits) - 1;
  for (int32_t r = 0; r < l->height; ++r) {
    // Stored rows stay in their order; pixels come first in the high bits.
    const uint8_t* src = old + l->pixelOffset + size_t(r) * l->stride;
    uint8_t* dst = h + offset + size_t(r) * stride;
    for (int32_t x = 0; x < l->width; ++x)
      dst[x] = uint8_t(src[x / perByte] >> (8 - bits * (x % perByte + 1)) & mask);
  }
  return picture.Adopt(std::move(block), true);
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

OverlayRegion::OverlayRegion(DibImage& target, DibImage& over, std::optional<PictureRect> selection)
    : EffectRegion(target, selection),
      overlay(&over),
      overlayWidth(over.width()),
      overlayHeight(over.height()),
      overlayBits(over.BitCount()) {}

}  // namespace lumora
