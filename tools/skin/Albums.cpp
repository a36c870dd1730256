// The album pictures: the two icon strips (a leather photo album seen from the
// front, closed in frame 0 and swinging open round its spine), the two
// thumbnail frames (a paper print with a soft shadow; black is masked out by the
// item list), and the linen backgrounds of the album lists.
#include "tools/skin/Skin.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <cmath>

#include "resources/SkinLayout.h"
#include "tools/skin/Canvas.h"
#include "tools/skin/Palette.h"

namespace lumora::skin {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr uint32_t kLinenSeed = 7;
constexpr int kOpeningFrames = 5;  // frames 1..5 of the large strip open the album

// Book proportions for one cell size.
struct BookShape {
  qreal halfCell;  // horizontal centre of the cell
  qreal top;
  qreal bottom;
  qreal width;     // one cover
  qreal lift;      // how much taller the swinging cover's free edge looks
  bool detailed;   // photos on the pages, the gold window on the cover
};

// A tiny photograph: white border, sky, sun and hill.
void DrawPhoto(QPainter& p, const QRectF& r, int variant) {
  p.save();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255));
  p.drawRect(r);
  const QRectF in = r.adjusted(1, 1, -1, -1);
  const QColor sky = variant == 0 ? QColor(126, 182, 226) : QColor(246, 176, 108);
  const QColor land = variant == 0 ? QColor(92, 158, 98) : QColor(120, 86, 120);
  p.setBrush(sky);
  p.drawRect(in);
  p.setClipRect(in);
  p.setBrush(variant == 0 ? QColor(255, 236, 160) : QColor(255, 240, 210));
  p.drawEllipse(QPointF(in.right() - in.width() * 0.3, in.top() + in.height() * 0.35), in.height() * 0.18,
                in.height() * 0.18);
  p.setBrush(land);
  QPainterPath hill;
  hill.moveTo(in.left(), in.bottom());
  hill.lineTo(in.left(), in.top() + in.height() * 0.7);
  hill.quadTo(in.left() + in.width() * 0.4, in.top() + in.height() * 0.35, in.right(), in.top() + in.height() * 0.75);
  hill.lineTo(in.right(), in.bottom());
  p.drawPath(hill);
  p.restore();
}

// The page block on the right of the spine, with photos when detailed.
void DrawRightPage(QPainter& p, const BookShape& b, qreal spine) {
  const QRectF back(spine, b.top, b.width + 1, b.bottom - b.top + 1);
  p.setPen(Qt::NoPen);
  p.setBrush(kCognacDark);
  p.drawRoundedRect(back, 1.5, 1.5);
  const QRectF page(spine, b.top + 1, b.width - 1, b.bottom - b.top - 2);
  p.setBrush(kPaper);
  p.drawRect(page);
  p.setBrush(kPaperShade);  // page edges
  p.drawRect(QRectF(page.right() - 1, page.top(), 1, page.height()));
  if (b.detailed) {
    const qreal w = page.width() - 6;
    const qreal h = (page.height() - 9) / 2;
    DrawPhoto(p, QRectF(page.left() + 3, page.top() + 3, w, h), 0);
    DrawPhoto(p, QRectF(page.left() + 3, page.top() + 6 + h, w, h), 1);
  } else {
    p.setBrush(QColor(126, 182, 226));
    p.drawRect(QRectF(page.left() + 2, page.top() + 2, page.width() - 4, page.height() / 2 - 2));
  }
}

// The front cover at angle `angle` (0 closed over the pages, pi open on the left).
void DrawCover(QPainter& p, const BookShape& b, qreal spine, double angle) {
  const qreal freeX = spine + b.width * std::cos(angle);
  const qreal lift = b.lift * std::sin(angle);
  QPolygonF cover;
  cover << QPointF(spine, b.top) << QPointF(freeX, b.top - lift) << QPointF(freeX, b.bottom + lift)
        << QPointF(spine, b.bottom);
  const bool inside = angle > kPi / 2;  // the inside of the cover faces us
  p.setPen(Qt::NoPen);
  p.setBrush(inside ? kCognacDark : kCognac);
  p.drawPolygon(cover);
  if (inside) {
    // The inside: a page framed by the leather's rim.
    const qreal rim = 1.2;
    const qreal dir = -1;  // the cover lies to the left
    const qreal span = std::abs(freeX - spine);
    if (span > 3) {
      const qreal left = spine + dir * (span - rim);
      const QRectF page(left, b.top + 1 - lift * 0.4, span - rim, b.bottom - b.top - 2 + lift * 0.8);
      p.setBrush(kPaper);
      p.drawRect(page);
      if (b.detailed && angle >= kPi * 0.75) {
        const qreal w = page.width() - 6;
        const qreal h = (page.height() - 9) / 2;
        DrawPhoto(p, QRectF(page.left() + 3, page.top() + 3, w, h), 1);
        DrawPhoto(p, QRectF(page.left() + 3, page.top() + 6 + h, w, h), 0);
      } else if (!b.detailed && angle >= kPi * 0.99) {
        p.setBrush(QColor(246, 176, 108));
        p.drawRect(QRectF(page.left() + 2, page.bottom() - page.height() / 2, page.width() - 4, page.height() / 2 - 2));
      }
    }
    return;
  }
  // The outside: leather with a stitched gold frame round a photo window.
  const qreal span = freeX - spine;
  if (span < 3) return;
  p.setBrush(QColor(0, 0, 0, 40));  // the spine's crease
  p.drawRect(QRectF(spine, b.top, std::min<qreal>(2, span), b.bottom - b.top));
  if (!b.detailed) {
    p.setBrush(kGold);
    p.drawRect(QRectF(spine + span * 0.35, b.top + (b.bottom - b.top) * 0.3, span * 0.45, (b.bottom - b.top) * 0.3));
    return;
  }
  if (span < b.width * 0.6) return;  // too steep for the window to read
  const qreal inset = 3 * span / b.width;
  QPolygonF window;
  const qreal wl = spine + span * 0.28, wr = freeX - inset;
  const qreal liftAt = [&](qreal x) { return lift * (x - spine) / span; }(wr);
  window << QPointF(wl, b.top + 6) << QPointF(wr, b.top + 6 - liftAt * 0.5) << QPointF(wr, b.top + 16 + liftAt * 0.5)
         << QPointF(wl, b.top + 16);
  p.setBrush(kGold);
  p.drawPolygon(window);
  const QRectF photo = window.boundingRect().adjusted(1.2, 1.2, -1.2, -1.2);
  if (photo.width() > 3) DrawPhoto(p, photo, 0);
  p.setPen(QPen(WithAlpha(kGold, 200), 0.8, Qt::DotLine));
  p.setBrush(Qt::NoBrush);
  p.drawLine(QPointF(spine + 3.5, b.bottom - 4), QPointF(freeX - inset, b.bottom - 4 + lift * 0.6));
}

QImage DrawAlbum(const BookShape& b, double progress, int cellWidth, int cellHeight) {
  QImage layer = NewLayer(cellWidth, cellHeight);
  QPainter p;
  BeginPainter(p, layer);
  const qreal spine = b.halfCell - b.width / 2 + b.width / 2 * progress;
  // Soft contact shadow under the book.
  p.setPen(Qt::NoPen);
  const qreal left = spine - b.width * progress;
  p.setBrush(QColor(20, 30, 45, 60));
  p.drawRoundedRect(QRectF(left + 1, b.bottom - 1, spine + b.width + 1 - left, 2.5), 1.2, 1.2);
  DrawRightPage(p, b, spine);
  DrawCover(p, b, spine, kPi * progress);
  if (progress > 0.7) {  // the gutter's shade where the pages meet the spine
    QLinearGradient gutter(spine - 2, 0, spine + 2, 0);
    gutter.setColorAt(0, QColor(80, 50, 30, 0));
    gutter.setColorAt(0.5, QColor(80, 50, 30, 90));
    gutter.setColorAt(1, QColor(80, 50, 30, 0));
    p.fillRect(QRectF(spine - 2, b.top + 1, 4, b.bottom - b.top - 2), gutter);
  }
  p.end();
  return layer;
}

QImage DrawStrip(const Strip& strip, const BookShape& shape, const QColor& matte, bool animated) {
  QImage out(strip.cellWidth * strip.cells, strip.cellHeight, QImage::Format_RGB32);
  QPainter p(&out);
  for (int frame = 0; frame < strip.cells; ++frame) {
    const double progress = frame == 0 ? 0.0 : (animated ? std::min(1.0, frame / double(kOpeningFrames)) : 1.0);
    const QImage cell = Keyed(DrawAlbum(shape, progress, strip.cellWidth, strip.cellHeight), matte);
    p.drawImage(frame * strip.cellWidth, 0, cell);
  }
  p.end();
  return out;
}

// A paper print with a shadow, over the list colour; pixels left exactly at the
// list colour become black, which the item list masks out.
QImage DrawThumbnailFrame(const Frame& frame, const QRectF& card, qreal shadow, const QColor& listColour) {
  QImage layer = NewLayer(frame.width, frame.height);
  QPainter p;
  BeginPainter(p, layer);
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 3; ++i) {  // a soft shadow to the lower right
    p.setBrush(QColor(20, 34, 56, 26 + 12 * i));
    const qreal grow = 1.2 - 0.5 * i;
    p.drawRoundedRect(card.translated(shadow, shadow).adjusted(-grow, -grow, grow, grow), 2.5, 2.5);
  }
  p.setBrush(QColor(253, 251, 247));
  p.drawRoundedRect(card, 1.5, 1.5);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(206, 200, 188), 1));
  p.drawRoundedRect(card.adjusted(0.5, 0.5, -0.5, -0.5), 1.5, 1.5);
  p.end();
  QImage out = Flattened(layer, listColour);
  for (int y = 0; y < out.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) {
      if (row[x] == listColour.rgb()) row[x] = qRgb(0, 0, 0);
      else if (row[x] == qRgb(0, 0, 0)) row[x] = qRgb(1, 1, 1);  // only the surround is masked
    }
  }
  return out;
}

// Linen: fine horizontal and vertical threads over a flat colour. Every value
// depends on the pixel's place in the tile only, so tiles join without seams.
QImage DrawLinen(const QColor& base) {
  QImage out(kAlbumBaseTile, kAlbumBaseTile, QImage::Format_RGB32);
  for (int y = 0; y < kAlbumBaseTile; ++y) {
    const double row = Noise(0, static_cast<uint32_t>(y), kLinenSeed) - 0.5;
    for (int x = 0; x < kAlbumBaseTile; ++x) {
      const double column = Noise(static_cast<uint32_t>(x), 0, kLinenSeed + 1) - 0.5;
      const double grain = Noise(static_cast<uint32_t>(x), static_cast<uint32_t>(y), kLinenSeed + 2) - 0.5;
      const int d = static_cast<int>(std::lround(4.0 * row + 4.0 * column + 2.5 * grain));
      const auto clamp = [](int v) { return std::min(255, std::max(0, v)); };
      out.setPixel(x, y, qRgb(clamp(base.red() + d), clamp(base.green() + d), clamp(base.blue() + d)));
    }
  }
  return out;
}

}  // namespace

void DrawAlbums(Skin& skin) {
  const BookShape large{21, 6, 34, 19, 2, true};
  const BookShape small{12.5, 2, 17, 10, 1.5, false};
  skin.bitmaps[kMaxAlbums.bitmap] = DrawStrip(kMaxAlbums, large, kLinenMax, true);
  skin.bitmaps[kCompactAlbums.bitmap] = DrawStrip(kCompactAlbums, small, kLinenCompact, false);

  // Picture areas: compact pictures at most 48 x 32 from (4, 4); full-screen at
  // most 97 x 76 from (3, 3). The print leaves a 2-pixel margin round them.
  skin.bitmaps[kCompactThumbnailFrame.bitmap] =
      DrawThumbnailFrame(kCompactThumbnailFrame, QRectF(2, 2, 52, 36), 1, kHaze);
  skin.bitmaps[kMaxThumbnailFrame.bitmap] = DrawThumbnailFrame(kMaxThumbnailFrame, QRectF(1, 1, 101, 80), 2, kMist);

  skin.compactAlbumBase = DrawLinen(kLinenCompact);
  skin.maxAlbumBase = DrawLinen(kLinenMax);
}

}  // namespace lumora::skin
