// Showing a DibImage with Qt: the picture as a QImage (palette-aware, rows
// turned top-down). The editor's view samples only its visible part instead
// (editor/ViewRender.h).
#pragma once

#include <QImage>

#include "picture/DibImage.h"

namespace lumora {

// The picture as Qt shows it: 24-bit as BGR888, 16-bit as RGB555, 8-bit and
// 4-bit as Indexed8 with the colour table, 1-bit as Mono. A null image for an
// empty or invalid picture. One copy: Qt has no bottom-up rows.
QImage ToQImage(const DibImage& picture);

}  // namespace lumora
