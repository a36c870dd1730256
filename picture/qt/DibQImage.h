// Showing a DibImage with Qt: the picture as a QImage (palette-aware, rows
// turned top-down) and drawing a part of it stretched with nearest-neighbour
// sampling, as the picture view and thumbnails draw it.
#pragma once

#include <QImage>
#include <QRect>

#include "picture/DibImage.h"

class QPainter;

namespace lumora {

// The picture as Qt shows it: 24-bit as BGR888, 16-bit as RGB555, 8-bit and
// 4-bit as Indexed8 with the colour table, 1-bit as Mono. A null image for an
// empty or invalid picture. One copy: Qt has no bottom-up rows.
QImage ToQImage(const DibImage& picture);

// Draws `source` (picture coordinates, top-left origin) of the picture into
// `target`; same sizes are copied pixel for pixel, others stretched by
// nearest-neighbour sampling.
void DrawPicture(QPainter& painter, const DibImage& picture, const QRect& source, const QRect& target);

}  // namespace lumora
