// The photo-stack illustration and the wordmark.
#include "tools/skin/Illustration.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>
#include <cmath>

#include "tools/skin/Canvas.h"
#include "tools/skin/Palette.h"

namespace lumora::skin {
namespace {

constexpr qreal kPrintWidth = 70;
constexpr qreal kPrintHeight = 60;
constexpr qreal kBorder = 4;
constexpr qreal kBottomBorder = 11;  // the wide lower margin of an instant print

struct Sky {
  QColor top, bottom, far, near, sun;
};
constexpr int kScenes = 3;
const Sky kSkies[kScenes] = {
    {{118, 170, 222}, {200, 226, 244}, {116, 138, 176}, {74, 120, 108}, {255, 250, 226}},
    {{242, 140, 96}, {252, 206, 138}, {150, 92, 118}, {62, 60, 96}, {255, 238, 180}},
    {{150, 200, 232}, {226, 240, 246}, {120, 176, 110}, {84, 150, 80}, {255, 240, 170}},
};

void DrawPrint(QPainter& p, int scene) {
  const QRectF print(-kPrintWidth / 2, -kPrintHeight / 2, kPrintWidth, kPrintHeight);
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 3; ++i) {
    p.setBrush(QColor(8, 14, 24, 34 - 8 * i));
    const qreal g = 1.0 + 1.3 * i;
    p.drawRoundedRect(print.translated(1.5, 2.5).adjusted(-g, -g, g, g), 2 + g, 2 + g);
  }
  p.setBrush(QColor(250, 248, 243));
  p.drawRoundedRect(print, 1.5, 1.5);
  const QRectF picture(print.left() + kBorder, print.top() + kBorder, kPrintWidth - 2 * kBorder,
                       kPrintHeight - kBorder - kBottomBorder);
  DrawScene(p, picture, scene);
}

}  // namespace

void DrawScene(QPainter& p, const QRectF& r, int scene) {
  const Sky& s = kSkies[scene % kScenes];
  p.save();
  p.setClipRect(r);
  p.setPen(Qt::NoPen);
  QLinearGradient sky(r.topLeft(), r.bottomLeft());
  sky.setColorAt(0, s.top);
  sky.setColorAt(1, s.bottom);
  p.fillRect(r, sky);
  const qreal w = r.width(), h = r.height();
  const auto at = [&](qreal fx, qreal fy) { return QPointF(r.left() + fx * w, r.top() + fy * h); };
  p.setBrush(s.sun);
  p.drawEllipse(at(scene == 1 ? 0.5 : 0.74, scene == 1 ? 0.58 : 0.28), h * 0.12, h * 0.12);
  QPainterPath far;
  far.moveTo(at(0, 1));
  if (scene == 0) {  // mountains
    far.lineTo(at(0, 0.62));
    far.lineTo(at(0.22, 0.34));
    far.lineTo(at(0.4, 0.56));
    far.lineTo(at(0.58, 0.3));
    far.lineTo(at(0.82, 0.6));
    far.lineTo(at(1, 0.5));
  } else if (scene == 1) {  // the far shore
    far.lineTo(at(0, 0.66));
    far.quadTo(at(0.3, 0.6), at(0.5, 0.66));
    far.quadTo(at(0.75, 0.62), at(1, 0.67));
  } else {  // hills
    far.lineTo(at(0, 0.6));
    far.quadTo(at(0.35, 0.4), at(0.7, 0.58));
    far.quadTo(at(0.85, 0.5), at(1, 0.55));
  }
  far.lineTo(at(1, 1));
  p.setBrush(s.far);
  p.drawPath(far);
  QPainterPath near;
  near.moveTo(at(0, 1));
  if (scene == 0) {  // the lake's shore
    near.lineTo(at(0, 0.72));
    near.quadTo(at(0.5, 0.66), at(1, 0.74));
  } else if (scene == 1) {  // sea
    near.lineTo(at(0, 0.7));
    near.lineTo(at(1, 0.7));
  } else {  // the meadow
    near.lineTo(at(0, 0.78));
    near.quadTo(at(0.5, 0.62), at(1, 0.8));
  }
  near.lineTo(at(1, 1));
  p.setBrush(s.near);
  p.drawPath(near);
  if (scene == 0) {  // a glint on the lake
    p.setBrush(QColor(255, 255, 255, 90));
    p.drawRect(QRectF(at(0.5, 0.82), QSizeF(w * 0.22, 1)));
  }
  if (scene == 1) {  // the sun's path on the water
    p.setBrush(QColor(255, 226, 170, 150));
    for (int i = 0; i < 3; ++i) p.drawRect(QRectF(at(0.42 + 0.02 * i, 0.76 + 0.07 * i), QSizeF(w * (0.16 - 0.04 * i), 1.2)));
  }
  if (scene == 2) {  // flowers
    const QColor petals[] = {{250, 250, 250}, {248, 206, 96}, {238, 128, 128}};
    for (int i = 0; i < 9; ++i) {
      p.setBrush(petals[i % 3]);
      p.drawEllipse(at(0.08 + 0.1 * i, 0.86 + 0.05 * ((i * 7) % 3)), 1.3, 1.3);
    }
  }
  p.restore();
}

void DrawPhotoStack(QPainter& p, const QPointF& centre, qreal scale) {
  struct Placed {
    qreal dx, dy, angle;
    int scene;
  };
  const Placed prints[] = {{-16, 4, -13, 2}, {17, 2, 9, 1}, {0, -6, -2, 0}};
  for (const Placed& placed : prints) {
    p.save();
    p.translate(centre + QPointF(placed.dx, placed.dy) * scale);
    p.rotate(placed.angle);
    p.scale(scale, scale);
    DrawPrint(p, placed.scene);
    p.restore();
  }
}

namespace {
qreal WordmarkWidth(qreal size) {
  const qreal r = size * 0.12;
  return QFontMetricsF(SkinFont(FontFace::SerifBold, size)).horizontalAdvance(QStringLiteral("Lumora")) + r * 2.6;
}
}  // namespace

qreal WordmarkSizeFor(qreal width, qreal largest) {
  qreal size = std::floor(largest);
  while (size > 8 && WordmarkWidth(size) > width) size -= 1;
  return size;
}

qreal DrawWordmark(QPainter& p, const QPointF& origin, qreal size, const QColor& colour) {
  const QFont font = SkinFont(FontFace::SerifBold, size);
  const QString word = QStringLiteral("Lumora");
  QFontMetricsF metrics(font);
  p.save();
  p.setFont(font);
  p.setPen(colour);
  p.drawText(origin, word);
  // An amber sun rising above the last letter.
  const qreal width = metrics.horizontalAdvance(word);
  p.setPen(Qt::NoPen);
  p.setBrush(kAmber);
  const qreal r = size * 0.12;
  p.drawEllipse(QPointF(origin.x() + width + r * 1.4, origin.y() - metrics.capHeight() + r), r, r);
  p.restore();
  return WordmarkWidth(size);
}

}  // namespace lumora::skin
