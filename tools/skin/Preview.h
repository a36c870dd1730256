// Pictures for looking at the skin, not shipped: a sheet with every button in
// each of its looks, the strips, frames and pieces; and mock-ups of the compact
// panel and the full-screen window composed the way the window composes them
// (pieces by the layout table, thumbnails made by the item list's rule, lists
// drawn with their label bands), and of the photo editor in that window.
#pragma once

#include <QImage>

#include "tools/skin/Skin.h"

namespace lumora::skin {

QImage PreviewSheet(const Skin& skin);
QImage CompactMock(const Skin& skin);
QImage MaxMock(const Skin& skin, int width, int height);
// The full-screen window with the photo editor open on panel `panel` (0
// "Distortion", 1 "Color", 2 "Filter").
QImage EditorMock(const Skin& skin, int width, int height, int panel);

}  // namespace lumora::skin
