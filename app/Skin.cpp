// The skin's pictures: decoding, the outline region, and the full-screen
// background composed from its pieces.
#include "app/Skin.h"

#include <QBrush>
#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>

#include <cstdio>
#include <string>
#include <vector>

#include "picture/DibImage.h"
#include "picture/qt/DibQImage.h"
#include "media/codecs/Bmp.h"
#include "media/codecs/Jpeg.h"
#include "resources/Region.h"
#include "resources/ResourceIds.h"
#include "resources/Resources.h"
#include "resources/SkinLayout.h"
#include "media/codecs/PictureFiles.h"

namespace lumora {

namespace {

QImage ToRgb32(const DibImage& picture) {
  const QImage image = ToQImage(picture);
  if (image.isNull()) return {};
  return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

QImage DecodeBitmap(std::span<const uint8_t> bmpFile) {
  DibImage picture;
  if (BmpResult read = ReadBmpMemory(picture, bmpFile); !read) {
    std::fprintf(stderr, "lumora: skin bitmap: BMP: %s\n", read.Reason().c_str());
    return {};
  }
  return ToRgb32(picture);
}

std::optional<QRegion> RegionFromData(std::span<const uint8_t> regionData) {
  const RegionParseResult parsed = ParseRegionData(regionData);
  if (!parsed.region) return std::nullopt;
  std::vector<QRect> rects;
  rects.reserve(parsed.region->rects.size());
  for (const RegionRect& r : parsed.region->rects) rects.emplace_back(r.left, r.top, r.right - r.left, r.bottom - r.top);
  QRegion region;
  region.setRects(rects.data(), int(rects.size()));
  return region;
}

Skin::Skin(const Resources& resources, std::filesystem::path programFolder)
    : resources_(resources), programFolder_(std::move(programFolder)) {}

QImage Skin::Bitmap(uint32_t id) const {
  const auto known = bitmaps_.find(id);
  if (known != bitmaps_.end()) return known->second;
  const std::optional<std::vector<uint8_t>> file = resources_.Bitmap(id);
  QImage image = file ? DecodeBitmap(*file) : QImage();
  if (!image.isNull()) bitmaps_[id] = image;
  return image;
}

void Skin::LoadBackgroundPieces() {
  for (const skin::Piece& piece : skin::kMaxPieces) Bitmap(piece.bitmap);
  for (const skin::Piece& piece : skin::kEditorPieces) Bitmap(piece.bitmap);
}

void Skin::Release() { bitmaps_.clear(); }

std::optional<QImage> Skin::CompactBackground() const {
  const std::optional<std::vector<uint8_t>> data = resources_.Data(res::kDataCompactBackground);
  if (!data) return std::nullopt;
  DibImage picture;
  if (JpegResult read = ReadJpegResource(picture, *data); !read) {
    std::fprintf(stderr, "lumora: compact background: JPEG: %s\n", read.Reason().c_str());
    return std::nullopt;
  }
  QImage image = ToRgb32(picture);
  if (image.isNull()) return std::nullopt;
  return image;
}

std::optional<QRegion> Skin::WindowOutline() const {
  const std::optional<std::vector<uint8_t>> data = resources_.OwnData(res::kDataWindowOutline);
  if (!data) return std::nullopt;
  return RegionFromData(*data);
}

QImage Skin::AlbumBase(layout::WindowMode mode) const {
  const std::string_view name = mode == layout::WindowMode::Max ? skin::kMaxAlbumBase : skin::kCompactAlbumBase;
  DibImage picture;
  const std::string path = (programFolder_ / name).string();
  if (PictureFileResult loaded = LoadPictureFile(picture, path); !loaded) {
    std::fprintf(stderr, "lumora: album background %s: %s\n", path.c_str(), loaded.Message().c_str());
    return {};
  }
  return ToRgb32(picture);
}

std::optional<QCursor> Skin::Cursor(uint32_t id) const {
  const std::optional<CursorImage> cursor = resources_.Cursor(id);
  if (!cursor) return std::nullopt;
  QPixmap pixmap;
  if (!pixmap.loadFromData(cursor->bytes.data(), uint(cursor->bytes.size()), "CUR")) return std::nullopt;
  return QCursor(pixmap, cursor->hotspotX, cursor->hotspotY);
}

QIcon Skin::Icon(uint32_t id) const {
  const std::optional<std::vector<uint8_t>> bytes = resources_.Icon(id);
  if (!bytes) return {};
  QByteArray data(reinterpret_cast<const char*>(bytes->data()), qsizetype(bytes->size()));
  QBuffer buffer(&data);
  QImageReader reader(&buffer, "ICO");
  QIcon icon;
  // Every size the icon file holds, so each place picks the one that fits.
  for (int i = 0; i < reader.imageCount(); ++i) {
    if (!reader.jumpToImage(i)) break;
    const QImage image = reader.read();
    if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
  }
  return icon;
}

void Skin::PaintMaxBackground(QPainter& painter, const QSize& size, bool editor) const {
  PaintPieces(painter, size, skin::kMaxPieces);
  if (editor) PaintPieces(painter, size, skin::kEditorPieces);
}

void Skin::PaintPieces(QPainter& painter, const QSize& size, std::span<const skin::Piece> pieces) const {
  for (const skin::Piece& piece : pieces) {
    const QImage image = Bitmap(piece.bitmap);
    if (image.isNull()) continue;
    const QPoint at(piece.left.At(size.width()), piece.top.At(size.height()));
    if (piece.fill == skin::Fill::Once) {
      painter.drawImage(at, image);
      continue;
    }
    const QRect area(at, QPoint(piece.right.At(size.width()) - 1, piece.bottom.At(size.height()) - 1));
    if (area.isEmpty()) continue;
    painter.setBrushOrigin(at);
    painter.fillRect(area, QBrush(image));
  }
  painter.setBrushOrigin(0, 0);
}

}  // namespace lumora
