// The thumbnail's place in its cell and the composed cell. Both stretches
// are nearest-neighbour, each target pixel taking the source pixel under its
// centre, so a picture shrinks without blending and black stays black.
#include "albums/Thumbnail.h"

#include <algorithm>

namespace lumora {

namespace {

struct Bgr {
  uint8_t blue = 0, green = 0, red = 0;
};

// Reads pixels of a packed bitmap of any stored depth (1, 4 and 8 bits
// through the colour table, 16 bits as 5-5-5, 24 and 32 bits direct), rows
// counted from the top.
class PixelReader {
 public:
  PixelReader(const DibImage& picture, const DibLayout& layout)
      : rows_(picture.Rows()), table_(picture.ColourTable().data()), layout_(layout) {}

  Bgr At(int x, int y) const {
    const uint8_t* row = rows_[y];
    switch (layout_.bitCount) {
      case 1:
        return Entry((row[x / 8] >> (7 - x % 8)) & 1);
      case 4:
        return Entry((row[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F);
      case 8:
        return Entry(row[x]);
      case 16: {
        const unsigned v = unsigned(row[2 * x]) | unsigned(row[2 * x + 1]) << 8;
        return {Expand5(v & 0x1F), Expand5((v >> 5) & 0x1F), Expand5((v >> 10) & 0x1F)};
      }
      default: {
        const uint8_t* p = row + size_t(x) * (layout_.bitCount / 8);
        return {p[0], p[1], p[2]};
      }
    }
  }

 private:
  static uint8_t Expand5(unsigned v) { return uint8_t(v << 3 | v >> 2); }
  // A colour-table entry; indices past the table are black.
  Bgr Entry(unsigned index) const {
    if (index >= layout_.colours) return {};
    const uint8_t* e = table_ + size_t(index) * layout_.entryBytes;
    return {e[0], e[1], e[2]};
  }

  RowView rows_;
  const uint8_t* table_;
  DibLayout layout_;
};

bool IsReadableDepth(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }

// The source coordinate under the centre of target pixel `t` of `targetSize`.
int SourceUnder(int t, int targetSize, int sourceSize) {
  return int((int64_t(2) * t + 1) * sourceSize / (int64_t(2) * targetSize));
}

void Put(const RowTable& rows, int x, int y, Bgr c) {
  uint8_t* p = rows[y] + size_t(x) * 3;
  p[0] = c.blue;
  p[1] = c.green;
  p[2] = c.red;
}

}  // namespace

ThumbnailPlace PlaceThumbnail(int pictureWidth, int pictureHeight, const ThumbnailCell& cell) {
  if (pictureWidth <= 0 || pictureHeight <= 0) return {};
  const int roomW = cell.width - kThumbnailBorder;
  const int roomH = cell.height - kThumbnailBorder;
  int tw = pictureWidth, th = pictureHeight;
  if (pictureHeight < pictureWidth) {
    if (roomW < pictureWidth) {
      tw = roomW;
      th = pictureHeight / (pictureWidth / roomW);
    }
  } else if (roomH < pictureHeight) {
    th = roomH;
    tw = pictureWidth / (pictureHeight / roomH);
  }
  // Held inside the cell. Holding them to the cell less 10 instead would
  // squash a 4:3 photo to 48 x 32 where the whole-number scale gives 48 x 36.
  tw = std::min(tw, cell.width - cell.offsetMargin);
  th = std::min(th, cell.height - cell.offsetMargin);
  return {(cell.width - tw - cell.offsetMargin) / 2, (cell.height - th - cell.offsetMargin) / 2, tw, th};
}

bool Thumbnail::IsTransparent(int x, int y) const {
  if (x < 0 || y < 0 || x >= cell.width() || y >= cell.height()) return false;
  if (x >= place.x && x < place.x + place.width && y >= place.y && y < place.y + place.height) return false;
  const std::optional<DibLayout> layout = cell.layout();
  if (!layout) return false;
  const Bgr c = PixelReader(cell, *layout).At(x, y);
  return c.blue == 0 && c.green == 0 && c.red == 0;
}

bool ComposeThumbnail(const DibImage& picture, const ThumbnailPlace& place, const DibImage& frame,
                      const ThumbnailCell& cell, Thumbnail& out) {
  const std::optional<DibLayout> source = picture.layout();
  if (!source || !IsReadableDepth(source->bitCount)) return false;
  Thumbnail made;
  if (!made.cell.Create(cell.width, cell.height, 24)) return false;
  made.place = place;
  RowTable rows(made.cell);
  for (int y = 0; y < cell.height; ++y) std::fill_n(rows[y], size_t(cell.width) * 3, uint8_t(0xFF));

  // White AND the frame is the frame.
  const std::optional<DibLayout> frameLayout = frame.layout();
  if (frameLayout && IsReadableDepth(frameLayout->bitCount)) {
    const PixelReader framePixels(frame, *frameLayout);
    for (int y = 0; y < cell.height; ++y) {
      const int fy = SourceUnder(y, cell.height, frameLayout->height);
      for (int x = 0; x < cell.width; ++x) Put(rows, x, y, framePixels.At(SourceUnder(x, cell.width, frameLayout->width), fy));
    }
  }

  const PixelReader pixels(picture, *source);
  const int left = std::max(place.x, 0), top = std::max(place.y, 0);
  const int right = std::min(place.x + place.width, cell.width);
  const int bottom = std::min(place.y + place.height, cell.height);
  for (int y = top; y < bottom; ++y) {
    const int sy = SourceUnder(y - place.y, place.height, source->height);
    for (int x = left; x < right; ++x)
      Put(rows, x, y, pixels.At(SourceUnder(x - place.x, place.width, source->width), sy));
  }
  out = std::move(made);
  return true;
}

bool ShrinkPicture(const DibImage& picture, int width, int height, DibImage& out) {
  const std::optional<DibLayout> source = picture.layout();
  if (!source || !IsReadableDepth(source->bitCount) || width <= 0 || height <= 0 || width > source->width ||
      height > source->height)
    return false;
  DibImage made;
  if (!made.Create(width, height, 24)) return false;
  const PixelReader pixels(picture, *source);
  RowTable rows(made);
  for (int y = 0; y < height; ++y) {
    const int top = int(int64_t(y) * source->height / height);
    const int bottom = std::max(top + 1, int(int64_t(y + 1) * source->height / height));
    for (int x = 0; x < width; ++x) {
      const int left = int(int64_t(x) * source->width / width);
      const int right = std::max(left + 1, int(int64_t(x + 1) * source->width / width));
      unsigned blue = 0, green = 0, red = 0;
      for (int sy = top; sy < bottom; ++sy)
        for (int sx = left; sx < right; ++sx) {
          const Bgr c = pixels.At(sx, sy);
          blue += c.blue, green += c.green, red += c.red;
        }
      const unsigned n = unsigned((bottom - top) * (right - left));
      Put(rows, x, y, {uint8_t((blue + n / 2) / n), uint8_t((green + n / 2) / n), uint8_t((red + n / 2) / n)});
    }
  }
  out = std::move(made);
  return true;
}

}  // namespace lumora
