// Line glyphs of the skin generator on a 24 x 24 grid.
#include "tools/skin/Glyphs.h"

#include <QPainterPath>
#include <QPen>
#include <cmath>

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

void Draw(QPainter& p, Glyph glyph, const QColor& colour) {
  switch (glyph) {
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
