// Cutting a button's shape out of its bitmap, row by row from the top.
#include "app/ButtonShape.h"

#include <algorithm>
#include <vector>

namespace lumora {

namespace {

bool WithinKey(int value, int key, int tolerance) { return value >= key && value <= std::min(key + tolerance, 255); }

}  // namespace

QRegion ShapeFromBitmap(const QImage& bitmap, QRgb transparent, int tolerance) {
  QRegion shape;
  if (bitmap.isNull()) return shape;
  const QImage pixels = bitmap.convertToFormat(QImage::Format_RGB32);
  const int keyRed = qRed(transparent), keyGreen = qGreen(transparent), keyBlue = qBlue(transparent);
  auto isTransparent = [&](QRgb pixel) {
    return WithinKey(qRed(pixel), keyRed, tolerance) && WithinKey(qGreen(pixel), keyGreen, tolerance) &&
           WithinKey(qBlue(pixel), keyBlue, tolerance);
  };

  std::vector<QRect> batch;
  batch.reserve(kShapeRectsPerBatch);
  auto flush = [&] {
    if (batch.empty()) return;
    QRegion part;
    part.setRects(batch.data(), int(batch.size()));
    shape += part;
    batch.clear();
  };

  for (int y = 0; y < pixels.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
    int x = 0;
    while (x < pixels.width()) {
      while (x < pixels.width() && isTransparent(row[x])) ++x;
      const int start = x;
      while (x < pixels.width() && !isTransparent(row[x])) ++x;
      if (x == start) continue;
      batch.emplace_back(start, y, x - start, 1);
      if (int(batch.size()) == kShapeRectsPerBatch) flush();
    }
  }
  flush();
  return shape;
}

}  // namespace lumora
