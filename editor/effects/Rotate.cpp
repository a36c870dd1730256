// Rotation: the whole picture (never a selection) turned by quarter turns,
// clockwise for positive counts, every pixel landing exactly once in a block
// of the turned size with the old header fields and colour table.
#include "editor/effects/Passes.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace lumora {

namespace {

// Square blocks of pixels copied together, so that both the rows read and the
// rows written stay in the cache for a quarter turn.
constexpr int32_t kBlockEdge = 64;

// dst(i, j) of the turned picture from src of the w x h picture:
// 1: src(h - 1 - j, i); 2: src(h - 1 - i, w - 1 - j); 3: src(j, w - 1 - i).
template <size_t B>
void TurnPixels(int turns, const RowView& src, RowTable& dst, int32_t w, int32_t h, const PassProgress& progress) {
  const int32_t W = turns == 2 ? w : h, H = turns == 2 ? h : w;
  if (turns == 2) {
    for (int32_t i = 0; i < H; ++i) {
      const uint8_t* s = src[h - 1 - i] + size_t(w - 1) * B;
      uint8_t* d = dst[i];
      for (int32_t j = 0; j < W; ++j, d += B, s -= B) std::memcpy(d, s, B);
      progress.Report();
    }
    return;
  }
  for (int32_t i0 = 0; i0 < H; i0 += kBlockEdge) {
    const int32_t i1 = std::min(i0 + kBlockEdge, H);
    for (int32_t j0 = 0; j0 < W; j0 += kBlockEdge) {
      const int32_t j1 = std::min(j0 + kBlockEdge, W);
      for (int32_t i = i0; i < i1; ++i) {
        uint8_t* d = dst[i] + size_t(j0) * B;
        if (turns == 1) {
          for (int32_t j = j0; j < j1; ++j, d += B) std::memcpy(d, src[h - 1 - j] + size_t(i) * B, B);
        } else {
          for (int32_t j = j0; j < j1; ++j, d += B) std::memcpy(d, src[j] + size_t(w - 1 - i) * B, B);
        }
      }
    }
    progress.Report(i1 - i0);
  }
}

}  // namespace

bool Rotate(DibImage& picture, int quarterTurns, const PassProgress& progress) {
  auto layout = picture.layout();
  if (!layout) return true;
  const size_t pixelBytes = layout->bitCount / 8u;
  if (layout->bitCount % 8 != 0 || pixelBytes < 1 || pixelBytes > 4) return true;
  const int turns = (quarterTurns % 4 + 4) % 4;
  const int32_t w = layout->width, h = layout->height;
  const int32_t W = turns % 2 ? h : w, H = turns % 2 ? w : h;
  if (turns == 0) {
    progress.Report(H);
    return true;
  }

  const size_t stride = DibStride(W, layout->bitCount);
  if (stride == 0 || stride > (kMaxPictureBlockBytes - layout->pixelOffset) / size_t(H)) return false;
  const size_t image = stride * size_t(H);
  std::vector<uint8_t> block;
  try {
    block.assign(layout->pixelOffset + image, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::memcpy(block.data(), picture.block().data(), layout->pixelOffset);
  DibHeader header = *DibHeader::Read(block);
  header.width = W;  // the sides of a core header picture fit 16 bits either way round
  header.height = H;
  if (layout->headerBytes != kCoreHeaderBytes) header.imageBytes = uint32_t(image);
  header.Write(block);

  {
    const RowView src = picture.Rows();
    RowTable dst(block);
    switch (pixelBytes) {
      case 1: TurnPixels<1>(turns, src, dst, w, h, progress); break;
      case 2: TurnPixels<2>(turns, src, dst, w, h, progress); break;
      case 3: TurnPixels<3>(turns, src, dst, w, h, progress); break;
      default: TurnPixels<4>(turns, src, dst, w, h, progress); break;
    }
  }
  picture.Adopt(std::move(block), /*buildPalette=*/picture.palette().has_value());
  return true;
}

}  // namespace lumora
