// DibImage to QImage conversion and drawing.
#include "picture/qt/DibQImage.h"


namespace lumora {

QImage ToQImage(const DibImage& picture) {
  auto l = picture.layout();
  if (!l) return {};
  const uint8_t* bits = picture.PixelBits();
  const int w = l->width, h = l->height;
  const auto stride = qsizetype(l->stride);
  // Rows are stored bottom-up: wrap them as they are, then flip while copying.
  auto flipped = [&](QImage::Format format) {
    return QImage(bits, w, h, stride, format).mirrored(false, true);
  };

  QList<QRgb> colours;
  if (l->colours > 0) {
    const uint8_t* table = picture.ColourTable().data();
    for (uint32_t i = 0; i < l->colours; ++i) {
      const uint8_t* e = table + size_t(i) * l->entryBytes;
      colours.push_back(qRgb(e[2], e[1], e[0]));
    }
  }

  switch (l->bitCount) {
    case 24:
      return flipped(QImage::Format_BGR888);
    case 16:
      return flipped(QImage::Format_RGB555);
    case 32:
      return flipped(QImage::Format_RGB32);
    case 8: {
      QImage image = flipped(QImage::Format_Indexed8);
      image.setColorTable(colours);
      return image;
    }
    case 1: {
      QImage image = flipped(QImage::Format_Mono);
      image.setColorTable(colours);
      return image;
    }
    case 4: {
      // Qt has no 4-bit format: one byte per pixel over the same table.
      QImage image(w, h, QImage::Format_Indexed8);
      image.setColorTable(colours);
      for (int y = 0; y < h; ++y) {
        const uint8_t* row = bits + size_t(h - 1 - y) * l->stride;
        uchar* out = image.scanLine(y);
        for (int x = 0; x < w; ++x) out[x] = (x & 1) ? (row[x / 2] & 0x0f) : (row[x / 2] >> 4);
      }
      return image;
    }
    default:
      return {};
  }
}

}  // namespace lumora
