// The skin's recurring picture motifs: a loose stack of three prints (a lake
// under mountains, a sunset over the sea, a meadow) and the program's wordmark.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QString>

namespace lumora::skin {

// Three overlapping prints centred on `centre`; `scale` 1 makes each print 70 x 60.
void DrawPhotoStack(QPainter& painter, const QPointF& centre, qreal scale);

// One scene of the stack, filling `rect` (0 lake, 1 sunset, 2 meadow).
void DrawScene(QPainter& painter, const QRectF& rect, int scene);

// "Lumora" in the wordmark's face with an amber sun after it: its
// left baseline point at `origin`, `size` its pixel size. Returns its width.
qreal DrawWordmark(QPainter& painter, const QPointF& origin, qreal size, const QColor& colour);

// The largest whole pixel size, at most `largest`, at which the wordmark is no
// wider than `width`.
qreal WordmarkSizeFor(qreal width, qreal largest);

}  // namespace lumora::skin
