// Line glyphs for the skin's buttons, drawn on a 24 x 24 design grid and scaled
// into any box: rounded strokes of one weight, so every button speaks the same
// visual language.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>

namespace lumora::skin {

enum class Glyph {
  None,                                             // no glyph: label-only and coloured buttons
  Folder, Sort, Sliders, Envelope, Import, Export,  // menu buttons
  Plus, Trash, Pencil, Info,                        // album buttons
  Tv, Film, Encode, Disc, Camera, Guide,            // launch buttons
  Question, Minus, Expand, Cross,                   // window buttons
  Aperture,                                         // the mark
  Note,                                             // audio-only picture
  ChevronLeft, ChevronRight, Revert, Floppy,        // editor: picture commands
  Wallpaper, Marquee, Crop, Bucket,                 // editor: wallpaper, view commands
  FlipHorizontal, FlipVertical, RotateLeft,         // editor: geometry
  RotateRight, PictureAdd, PictureRemove,           // editor: overlay picture
  Invert, ZoomIn, ZoomOut,                          // editor: colour, zoom
};

// Draws `glyph` into the square `box` with strokes of `weight` design units.
void DrawGlyph(QPainter& painter, Glyph glyph, const QRectF& box, const QColor& colour, qreal weight = 2.0);

}  // namespace lumora::skin
