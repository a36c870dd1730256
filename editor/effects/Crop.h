// Cutting a rectangle out of a picture, as the editor's trim does.
#pragma once

#include "picture/DibImage.h"

namespace lumora {

// Makes `out` a new picture holding the pixels of `rect` (picture
// coordinates, clipped to the source) of `source`, at the source's depth
// (8, 16 or 24 bits) and, at 8 bits, with the source's colour table, so
// every pixel keeps its colour. False, with `out` unchanged, when the clipped
// rectangle holds no pixel, the depth is another one or memory runs out.
bool CropPicture(const DibImage& source, const PictureRect& rect, DibImage& out);

}  // namespace lumora
