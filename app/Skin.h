// The skin of the main window: every picture the window and its controls
// draw, taken by id from the program's resources (a resource library replaces
// any of them) or by name from the program folder. Controls ask this object
// for their bitmaps and hold no colours or file names of their own.
//
// - Bitmaps: BMP resources decoded by our codec, kept byte-exact so the
//   magenta transparency key survives.
// - The compact background: the JPEG resource data 452 (178 x 400).
// - The compact window's outline: region data 369 from the program itself.
// - The album list backgrounds "TValbumbase.bmp" and "newAlbumBase.bmp" beside
//   the program.
// - The full-screen background: the pieces of resources/SkinLayout.h, drawn
//   at their places or tiled over their rectangles.
// - The hover cursor of links and the application icon.
#pragma once

#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QRegion>

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>

#include "app/MainLayout.h"
#include "resources/SkinLayout.h"

class QPainter;

namespace lumora {

class Resources;

// Where skinned controls take their bitmaps from.
class BitmapSource {
 public:
  virtual ~BitmapSource() = default;
  // Bitmap `id`; a null image when the skin has none or it does not decode.
  virtual QImage Bitmap(uint32_t id) const = 0;
};

class Skin final : public BitmapSource {
 public:
  Skin(const Resources& resources, std::filesystem::path programFolder);

  // Decoded once and kept until Release.
  QImage Bitmap(uint32_t id) const override;
  // Decodes every bitmap of the full-screen background now.
  void LoadBackgroundPieces();
  // Frees every decoded picture (the window's destroy sequence).
  void Release();

  // The compact background; nothing when the data is missing or does not
  // decode.
  std::optional<QImage> CompactBackground() const;
  // The compact window's outline; nothing when the region data is missing
  // or malformed.
  std::optional<QRegion> WindowOutline() const;
  // The album list's tiled background for a layout; a null image when its
  // file is missing or does not decode.
  QImage AlbumBase(layout::WindowMode mode) const;
  // A cursor resource with its hotspot; nothing when missing or undecodable.
  std::optional<QCursor> Cursor(uint32_t id) const;
  // An icon resource; a null icon when missing or undecodable.
  QIcon Icon(uint32_t id) const;

  // Paints the full-screen background for a window of `size`; with `editor`
  // the photo editor's pieces over it.
  void PaintMaxBackground(QPainter& painter, const QSize& size, bool editor = false) const;

 private:
  void PaintPieces(QPainter& painter, const QSize& size, std::span<const skin::Piece> pieces) const;

  const Resources& resources_;
  std::filesystem::path programFolder_;
  mutable std::map<uint32_t, QImage> bitmaps_;
};

// A BMP file's bytes as a 32-bit picture; a null image when our codec refuses
// them.
QImage DecodeBitmap(std::span<const uint8_t> bmpFile);
// A region from the stored outline form (resources/Region.h); nothing when it
// does not parse.
std::optional<QRegion> RegionFromData(std::span<const uint8_t> regionData);

}  // namespace lumora
