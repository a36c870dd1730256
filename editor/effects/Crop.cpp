#include "editor/effects/Crop.h"

#include <algorithm>
#include <cstring>

namespace lumora {

bool CropPicture(const DibImage& source, const PictureRect& rect, DibImage& out) {
  const PictureRect clipped{std::max(rect.left, 0), std::max(rect.top, 0), std::min(rect.right, source.width()),
                            std::min(rect.bottom, source.height())};
  const int bits = source.BitCount();
  if (clipped.empty() || (bits != 8 && bits != 16 && bits != 24)) return false;
  const std::optional<DibLayout> from = source.layout();
  if (!from) return false;

  DibImage cut;
  const int32_t width = clipped.right - clipped.left;
  const int32_t height = clipped.bottom - clipped.top;
  if (!cut.Create(width, height, bits)) return false;
  if (bits == 8) {
    // The new table starts as a grey ramp: the source's entries replace it.
    const std::span<const uint8_t> table = source.ColourTable();
    uint8_t* to = cut.block().data() + cut.layout()->headerBytes;
    for (size_t i = 0; i < std::min<size_t>(from->colours, 256); ++i)
      std::memcpy(to + i * 4, table.data() + i * from->entryBytes, 3);
  }
  const size_t pixelBytes = size_t(bits / 8);
  const RowView rows = source.Rows();
  RowTable target(cut);
  for (int32_t y = 0; y < height; ++y)
    std::memcpy(target[y], rows[clipped.top + y] + size_t(clipped.left) * pixelBytes, size_t(width) * pixelBytes);
  cut.RefreshInfo(bits == 8);
  out = std::move(cut);
  return true;
}

}  // namespace lumora
