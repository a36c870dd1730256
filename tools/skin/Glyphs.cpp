// Line glyphs of the skin generator on a 24 x 24 grid.
#include "tools/skin/Glyphs.h"

#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <cmath>
#include <iterator>

namespace lumora::skin {
namespace {

constexpr qreal kGrid = 24.0;
constexpr qreal kPi = 3.14159265358979323846;

void Line(QPainter& p, qreal x1, qreal y1, qreal x2, qreal y2) { p.drawLine(QPointF(x1, y1), QPointF(x2, y2)); }

void Polyline(QPainter& p, std::initializer_list<QPointF> points) {
  QPainterPath path;
  bool first = true;
  for (const QPointF& pt : points) {
    if (first) path.moveTo(pt); else path.lineTo(pt);
    first = false;
  }
  p.drawPath(path);
}

void RoundedBox(QPainter& p, qreal x, qreal y, qreal w, qreal h, qreal r) {
  p.drawRoundedRect(QRectF(x, y, w, h), r, r);
}

// A filled polygon in the glyph's colour, outlined like the strokes.
void Solid(QPainter& p, const QColor& colour, std::initializer_list<QPointF> points) {
  p.save();
  p.setBrush(colour);
  p.drawPolygon(std::data(points), static_cast<int>(points.size()));
  p.restore();
}

// A dashed line: the mirror axis of the flips.
void Dashed(QPainter& p, qreal x1, qreal y1, qreal x2, qreal y2) {
  p.save();
  QPen pen = p.pen();
  pen.setWidthF(pen.widthF() * 0.6);
  pen.setCapStyle(Qt::FlatCap);
  pen.setDashPattern({2.2, 1.6});
  p.setPen(pen);
  Line(p, x1, y1, x2, y2);
  p.restore();
}

// A framed landscape (the picture motif of the overlay buttons).
void Landscape(QPainter& p, qreal x, qreal y, qreal w, qreal h) {
  RoundedBox(p, x, y, w, h, 1.5);
  Polyline(p, {{x + 2.5, y + h - 2.5}, {x + w * 0.38, y + h * 0.42}, {x + w * 0.6, y + h * 0.7},
               {x + w * 0.72, y + h * 0.56}, {x + w - 2.5, y + h - 2.5}});
}

// A magnifier: lens and handle.
void Magnifier(QPainter& p) {
  p.drawEllipse(QPointF(10, 10), 6.8, 6.8);
  p.save();
  QPen pen = p.pen();
  pen.setWidthF(pen.widthF() * 1.35);
  p.setPen(pen);
  Line(p, 15.2, 15.2, 20.5, 20.5);
  p.restore();
}

void Draw(QPainter& p, Glyph glyph, const QColor& colour) {
  switch (glyph) {
    case Glyph::None:
      break;
    case Glyph::Folder: {
      QPainterPath path;
      path.moveTo(3, 7);
      path.lineTo(3, 18.5);
      path.quadTo(3, 20, 4.5, 20);
      path.lineTo(19.5, 20);
      path.quadTo(21, 20, 21, 18.5);
      path.lineTo(21, 9.5);
      path.quadTo(21, 8, 19.5, 8);
      path.lineTo(12, 8);
      path.lineTo(10, 5);
      path.lineTo(4.5, 5);
      path.quadTo(3, 5, 3, 7);
      p.drawPath(path);
      Line(p, 3, 11, 21, 11);
      break;
    }
    case Glyph::Sort:
      Line(p, 7, 4, 7, 20);
      Polyline(p, {{3.5, 7.5}, {7, 4}, {10.5, 7.5}});
      Line(p, 17, 4, 17, 20);
      Polyline(p, {{13.5, 16.5}, {17, 20}, {20.5, 16.5}});
      break;
    case Glyph::Sliders:
      Line(p, 4, 7, 20, 7);
      Line(p, 4, 17, 20, 17);
      p.save();
      p.setBrush(colour);
      p.drawEllipse(QPointF(9, 7), 2.6, 2.6);
      p.drawEllipse(QPointF(15, 17), 2.6, 2.6);
      p.restore();
      break;
    case Glyph::Envelope:
      RoundedBox(p, 3, 6, 18, 13, 1.5);
      Polyline(p, {{3.5, 7}, {12, 13.5}, {20.5, 7}});
      break;
    case Glyph::Import:
      Polyline(p, {{4, 14}, {4, 20}, {20, 20}, {20, 14}});
      Line(p, 12, 3, 12, 15);
      Polyline(p, {{7.5, 10.5}, {12, 15}, {16.5, 10.5}});
      break;
    case Glyph::Export:
      Polyline(p, {{4, 14}, {4, 20}, {20, 20}, {20, 14}});
      Line(p, 12, 15, 12, 3);
      Polyline(p, {{7.5, 7.5}, {12, 3}, {16.5, 7.5}});
      break;
    case Glyph::Plus:
      Line(p, 12, 5, 12, 19);
      Line(p, 5, 12, 19, 12);
      break;
    case Glyph::Trash:
      Line(p, 4, 7, 20, 7);
      Polyline(p, {{9, 7}, {9.5, 4}, {14.5, 4}, {15, 7}});
      Polyline(p, {{6, 7}, {7, 20}, {17, 20}, {18, 7}});
      Line(p, 10, 10.5, 10, 16.5);
      Line(p, 14, 10.5, 14, 16.5);
      break;
    case Glyph::Pencil:
      Polyline(p, {{5, 19}, {5.8, 15}, {16, 4.8}, {19.2, 8}, {9, 18.2}, {5, 19}});
      Line(p, 13.6, 7.2, 16.8, 10.4);
      break;
    case Glyph::Info:
      p.drawEllipse(QPointF(12, 12), 8.5, 8.5);
      Line(p, 12, 11, 12, 16.5);
      p.save();
      p.setBrush(colour);
      p.setPen(Qt::NoPen);
      p.drawEllipse(QPointF(12, 7.6), 1.5, 1.5);
      p.restore();
      break;
    case Glyph::Tv:
      RoundedBox(p, 3, 7, 18, 12.5, 2);
      Polyline(p, {{8, 3}, {12, 7}, {16, 3}});
      Line(p, 8.5, 21, 15.5, 21);
      break;
    case Glyph::Film:
      RoundedBox(p, 4, 3, 16, 18, 1.5);
      Line(p, 8, 3, 8, 21);
      Line(p, 16, 3, 16, 21);
      Line(p, 8, 12, 16, 12);
      Line(p, 4, 7.5, 8, 7.5);
      Line(p, 4, 12, 8, 12);
      Line(p, 4, 16.5, 8, 16.5);
      Line(p, 16, 7.5, 20, 7.5);
      Line(p, 16, 12, 20, 12);
      Line(p, 16, 16.5, 20, 16.5);
      break;
    case Glyph::Encode:
      RoundedBox(p, 3, 5, 18, 14, 2);
      Polyline(p, {{7, 9}, {10, 12}, {7, 15}});
      Polyline(p, {{17, 9}, {14, 12}, {17, 15}});
      break;
    case Glyph::Disc:
      p.drawEllipse(QPointF(12, 12), 8.5, 8.5);
      p.drawEllipse(QPointF(12, 12), 2.5, 2.5);
      p.drawArc(QRectF(6.5, 6.5, 11, 11), 100 * 16, 60 * 16);
      break;
    case Glyph::Camera:
      RoundedBox(p, 3, 7, 18, 13, 2);
      Polyline(p, {{8, 7}, {9.5, 4.5}, {14.5, 4.5}, {16, 7}});
      p.drawEllipse(QPointF(12, 13.5), 3.5, 3.5);
      break;
    case Glyph::Guide:
      RoundedBox(p, 3, 5, 18, 15, 2);
      Line(p, 3, 10, 21, 10);
      Line(p, 8, 3, 8, 7);
      Line(p, 16, 3, 16, 7);
      Line(p, 7, 14, 9, 14);
      Line(p, 11, 14, 13, 14);
      Line(p, 15, 14, 17, 14);
      break;
    case Glyph::Question: {
      QPainterPath path;
      path.moveTo(8.5, 9);
      path.cubicTo(8.5, 4.5, 15.5, 4.5, 15.5, 9);
      path.cubicTo(15.5, 12, 12, 12, 12, 15);
      p.drawPath(path);
      p.save();
      p.setBrush(colour);
      p.setPen(Qt::NoPen);
      p.drawEllipse(QPointF(12, 19), 1.5, 1.5);
      p.restore();
      break;
    }
    case Glyph::Minus:
      Line(p, 6, 12, 18, 12);
      break;
    case Glyph::Expand:
      Polyline(p, {{13.5, 5}, {19, 5}, {19, 10.5}});
      Line(p, 19, 5, 13.5, 10.5);
      Polyline(p, {{10.5, 19}, {5, 19}, {5, 13.5}});
      Line(p, 5, 19, 10.5, 13.5);
      break;
    case Glyph::Cross:
      Line(p, 6.5, 6.5, 17.5, 17.5);
      Line(p, 17.5, 6.5, 6.5, 17.5);
      break;
    case Glyph::Aperture: {
      // Six blades around an open centre, like a lens iris: the mark.
      p.drawEllipse(QPointF(12, 12), 9, 9);
      for (int i = 0; i < 6; ++i) {
        const qreal a = kPi / 3 * i;
        const QPointF inner(12 + 3.6 * std::cos(a), 12 + 3.6 * std::sin(a));
        const QPointF outer(12 + 9 * std::cos(a + 1.05), 12 + 9 * std::sin(a + 1.05));
        p.drawLine(inner, outer);
      }
      break;
    }
    case Glyph::Note:
      p.save();
      p.setBrush(colour);
      p.drawEllipse(QPointF(7.5, 18), 3, 2.3);
      p.drawEllipse(QPointF(17.5, 16), 3, 2.3);
      p.restore();
      Polyline(p, {{10.5, 18}, {10.5, 5}, {20.5, 3}, {20.5, 16}});
      Line(p, 10.5, 8.5, 20.5, 6.5);
      break;
    case Glyph::ChevronLeft:
      Polyline(p, {{15, 4.5}, {7.5, 12}, {15, 19.5}});
      break;
    case Glyph::ChevronRight:
      Polyline(p, {{9, 4.5}, {16.5, 12}, {9, 19.5}});
      break;
    case Glyph::Revert: {
      // A return arrow: back to the picture as it was stored.
      Polyline(p, {{8.5, 4.5}, {4, 9}, {8.5, 13.5}});
      QPainterPath path;
      path.moveTo(4, 9);
      path.lineTo(14, 9);
      path.cubicTo(21.5, 9, 21.5, 20, 14, 20);
      path.lineTo(8, 20);
      p.drawPath(path);
      break;
    }
    case Glyph::Floppy: {
      QPainterPath path;
      path.moveTo(5.5, 3.5);
      path.lineTo(16.5, 3.5);
      path.lineTo(20.5, 7.5);
      path.lineTo(20.5, 19);
      path.quadTo(20.5, 20.5, 19, 20.5);
      path.lineTo(5, 20.5);
      path.quadTo(3.5, 20.5, 3.5, 19);
      path.lineTo(3.5, 5);
      path.quadTo(3.5, 3.5, 5.5, 3.5);
      p.drawPath(path);
      Polyline(p, {{8, 3.5}, {8, 8.5}, {15, 8.5}, {15, 3.5}});
      Polyline(p, {{7.5, 20.5}, {7.5, 13.5}, {16.5, 13.5}, {16.5, 20.5}});
      break;
    }
    case Glyph::Wallpaper:
      RoundedBox(p, 2.5, 3.5, 19, 13.5, 1.5);
      Polyline(p, {{5.5, 14}, {9.5, 9.5}, {12.5, 12.5}, {14.5, 10.5}, {18.5, 14}});
      Line(p, 12, 17, 12, 20.5);
      Line(p, 8, 20.5, 16, 20.5);
      p.save();
      p.setBrush(colour);
      p.setPen(Qt::NoPen);
      p.drawEllipse(QPointF(16.5, 7.5), 1.5, 1.5);
      p.restore();
      break;
    case Glyph::Marquee:
      // Corner marks and dashes: a selection rectangle.
      Polyline(p, {{3.5, 8}, {3.5, 3.5}, {8, 3.5}});
      Polyline(p, {{16, 3.5}, {20.5, 3.5}, {20.5, 8}});
      Polyline(p, {{20.5, 16}, {20.5, 20.5}, {16, 20.5}});
      Polyline(p, {{8, 20.5}, {3.5, 20.5}, {3.5, 16}});
      Line(p, 11, 3.5, 13, 3.5);
      Line(p, 20.5, 11, 20.5, 13);
      Line(p, 11, 20.5, 13, 20.5);
      Line(p, 3.5, 11, 3.5, 13);
      break;
    case Glyph::Crop:
      Polyline(p, {{7, 2.5}, {7, 17}, {21.5, 17}});
      Polyline(p, {{2.5, 7}, {17, 7}, {17, 21.5}});
      break;
    case Glyph::Bucket: {
      // A tipped paint bucket with a drop: the colour round the picture.
      QPainterPath body;
      body.moveTo(3, 11.5);
      body.lineTo(10.5, 4);
      body.lineTo(18, 11.5);
      body.lineTo(11.5, 18);
      body.quadTo(10.5, 19, 9.5, 18);
      body.closeSubpath();
      p.drawPath(body);
      Line(p, 3, 11.5, 18, 11.5);
      Polyline(p, {{10.5, 4}, {8.5, 2}, {6.5, 4}, {8.5, 6}});
      p.save();
      p.setBrush(colour);
      QPainterPath drop;
      drop.moveTo(20, 13.5);
      drop.cubicTo(21.8, 16.5, 22, 19.5, 20, 19.5);
      drop.cubicTo(18, 19.5, 18.2, 16.5, 20, 13.5);
      p.drawPath(drop);
      p.restore();
      break;
    }
    case Glyph::FlipHorizontal:
      Dashed(p, 12, 2.5, 12, 21.5);
      Solid(p, colour, {{9.5, 5}, {9.5, 19}, {2.5, 12}});
      p.drawPolygon(QPolygonF({{14.5, 5}, {14.5, 19}, {21.5, 12}}));
      break;
    case Glyph::FlipVertical:
      Dashed(p, 2.5, 12, 21.5, 12);
      Solid(p, colour, {{5, 9.5}, {19, 9.5}, {12, 2.5}});
      p.drawPolygon(QPolygonF({{5, 14.5}, {19, 14.5}, {12, 21.5}}));
      break;
    case Glyph::RotateLeft:
      // Three quarters of a turn ending at the top, heading left.
      p.drawArc(QRectF(4.5, 5.5, 15, 15), 90 * 16, -270 * 16);
      Polyline(p, {{14.5, 2.5}, {12, 5.5}, {14.5, 8.5}});
      p.drawRect(QRectF(10, 11, 4, 4));
      break;
    case Glyph::RotateRight:
      p.drawArc(QRectF(4.5, 5.5, 15, 15), 90 * 16, 270 * 16);
      Polyline(p, {{9.5, 2.5}, {12, 5.5}, {9.5, 8.5}});
      p.drawRect(QRectF(10, 11, 4, 4));
      break;
    case Glyph::PictureAdd:
      Landscape(p, 2.5, 4, 14, 11.5);
      Line(p, 18.5, 13.5, 18.5, 21.5);
      Line(p, 14.5, 17.5, 22.5, 17.5);
      break;
    case Glyph::PictureRemove:
      Landscape(p, 2.5, 4, 14, 11.5);
      Line(p, 14.5, 17.5, 22.5, 17.5);
      break;
    case Glyph::Invert: {
      p.drawEllipse(QPointF(12, 12), 8.5, 8.5);
      QPainterPath half;
      half.moveTo(12, 3.5);
      half.arcTo(QRectF(3.5, 3.5, 17, 17), 90, -180);
      half.closeSubpath();
      p.save();
      p.setBrush(colour);
      p.drawPath(half);
      p.restore();
      break;
    }
    case Glyph::ZoomIn:
      Magnifier(p);
      Line(p, 7, 10, 13, 10);
      Line(p, 10, 7, 10, 13);
      break;
    case Glyph::ZoomOut:
      Magnifier(p);
      Line(p, 7, 10, 13, 10);
      break;
  }
}

}  // namespace

void DrawGlyph(QPainter& painter, Glyph glyph, const QRectF& box, const QColor& colour, qreal weight) {
  painter.save();
  painter.translate(box.topLeft());
  painter.scale(box.width() / kGrid, box.height() / kGrid);
  QPen pen(colour, weight, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  Draw(painter, glyph, colour);
  painter.restore();
}

}  // namespace lumora::skin
