// Drawing helpers shared by the skin's pictures: layers with transparency,
// flattening them into keyed or opaque pictures, rounded shapes, gradients,
// text in the skin's fonts, and a small deterministic noise for textures.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <cstdint>

namespace lumora::skin {

// A transparent layer to draw on (premultiplied 32-bit).
QImage NewLayer(int width, int height);

// A painter with antialiasing on, for `image`.
void BeginPainter(QPainter& painter, QImage& image);

// The layer as a bitmap with the magenta key: pixels at least half covered are
// composed over `matte` (the colour the picture will be shown on, so its soft
// edges blend into that), the rest become the key. No opaque pixel ends up
// near the key (see kKeyClearance).
QImage Keyed(const QImage& layer, const QColor& matte);

// The layer composed over a solid `base`, opaque.
QImage Flattened(const QImage& layer, const QColor& base);

// True when `rgb` is the key colour exactly.
bool IsKey(QRgb rgb);

// Rounded rectangle path; `radius` in pixels.
QPainterPath Rounded(const QRectF& rect, qreal radius);

// Fills `path` with a vertical gradient from `top` to `bottom` over `rect`.
void FillVertical(QPainter& painter, const QPainterPath& path, const QRectF& rect, const QColor& top,
                  const QColor& bottom);

// The skin's fonts (DejaVu, registered at start by LoadFonts).
enum class FontFace { Sans, SansBold, SerifBold };
QFont SkinFont(FontFace face, qreal pixelSize);
// Registers the font files; false with the missing path in `error`.
bool LoadFonts(QString& error);

// Draws `text` centred in `rect`.
void CentredText(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
                 const QColor& colour);

// `a` mixed towards `b` by `t` (0: a, 1: b).
QColor Mix(const QColor& a, const QColor& b, qreal t);
// `colour` with alpha `alpha` (0..255).
QColor WithAlpha(const QColor& colour, int alpha);

// Deterministic value noise in [0, 1) for pixel (x, y) and a seed.
double Noise(uint32_t x, uint32_t y, uint32_t seed);

}  // namespace lumora::skin
