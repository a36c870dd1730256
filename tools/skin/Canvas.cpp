// Drawing helpers of the skin generator.
#include "tools/skin/Canvas.h"

#include <QFontDatabase>
#include <QLinearGradient>
#include <QStringList>
#include <algorithm>
#include <cstdlib>

#include "resources/SkinLayout.h"

namespace lumora::skin {
namespace {

constexpr int kCoverageThreshold = 128;  // alpha from which a pixel belongs to the shape

struct FontFile {
  FontFace face;
  const char* path;
  const char* family;
  bool bold;
};
constexpr FontFile kFontFiles[] = {
    {FontFace::Sans, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "DejaVu Sans", false},
    {FontFace::SansBold, "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", "DejaVu Sans", true},
    {FontFace::SerifBold, "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf", "DejaVu Serif", true},
};

bool NearKey(int r, int g, int b) {
  return std::abs(r - kKeyRed) <= kKeyClearance && std::abs(g - kKeyGreen) <= kKeyClearance &&
         std::abs(b - kKeyBlue) <= kKeyClearance;
}

// Premultiplied pixel over an opaque base.
QRgb Over(QRgb premultiplied, const QColor& base) {
  const int a = qAlpha(premultiplied);
  const auto mix = [a](int top, int under) { return top + (under * (255 - a) + 127) / 255; };
  return qRgb(mix(qRed(premultiplied), base.red()), mix(qGreen(premultiplied), base.green()),
              mix(qBlue(premultiplied), base.blue()));
}

}  // namespace

QImage NewLayer(int width, int height) {
  QImage layer(width, height, QImage::Format_ARGB32_Premultiplied);
  layer.fill(Qt::transparent);
  return layer;
}

void BeginPainter(QPainter& painter, QImage& image) {
  painter.begin(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

QImage Keyed(const QImage& source, const QColor& matte) {
  const QImage layer = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  QImage out(layer.size(), QImage::Format_RGB32);
  for (int y = 0; y < layer.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < layer.width(); ++x) {
      if (qAlpha(in[x]) < kCoverageThreshold) {
        row[x] = qRgb(kKeyRed, kKeyGreen, kKeyBlue);
        continue;
      }
      QRgb c = Over(in[x], matte);
      // Keep shape pixels clear of the key so that a tolerant cut never eats them.
      if (NearKey(qRed(c), qGreen(c), qBlue(c))) c = qRgb(qRed(c), kKeyGreen + 2 * kKeyClearance, qBlue(c));
      row[x] = c;
    }
  }
  return out;
}

QImage Flattened(const QImage& source, const QColor& base) {
  const QImage layer = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  QImage out(layer.size(), QImage::Format_RGB32);
  for (int y = 0; y < layer.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < layer.width(); ++x) row[x] = Over(in[x], base);
  }
  return out;
}

bool IsKey(QRgb rgb) { return qRed(rgb) == kKeyRed && qGreen(rgb) == kKeyGreen && qBlue(rgb) == kKeyBlue; }

QPainterPath Rounded(const QRectF& rect, qreal radius) {
  QPainterPath path;
  path.addRoundedRect(rect, radius, radius);
  return path;
}

void FillVertical(QPainter& painter, const QPainterPath& path, const QRectF& rect, const QColor& top,
                  const QColor& bottom) {
  QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
  gradient.setColorAt(0, top);
  gradient.setColorAt(1, bottom);
  painter.fillPath(path, gradient);
}

bool LoadFonts(QString& error) {
  for (const FontFile& file : kFontFiles) {
    const int id = QFontDatabase::addApplicationFont(QString::fromUtf8(file.path));
    if (id < 0 || !QFontDatabase::applicationFontFamilies(id).contains(QString::fromUtf8(file.family))) {
      error = QStringLiteral("font file %1 missing or not %2 (install fonts-dejavu-core)")
                  .arg(QString::fromUtf8(file.path), QString::fromUtf8(file.family));
      return false;
    }
  }
  return true;
}

QFont SkinFont(FontFace face, qreal pixelSize) {
  const FontFile* file = &kFontFiles[0];
  for (const FontFile& f : kFontFiles) {
    if (f.face == face) file = &f;
  }
  QFont font(QString::fromUtf8(file->family));
  font.setPixelSize(static_cast<int>(pixelSize));
  font.setBold(file->bold);
  font.setHintingPreference(QFont::PreferFullHinting);
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

void CentredText(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
                 const QColor& colour) {
  painter.save();
  painter.setFont(font);
  painter.setPen(colour);
  painter.drawText(rect, Qt::AlignCenter, text);
  painter.restore();
}

QColor Mix(const QColor& a, const QColor& b, qreal t) {
  const auto lerp = [t](int x, int y) { return static_cast<int>(x + (y - x) * t + 0.5); };
  return QColor(lerp(a.red(), b.red()), lerp(a.green(), b.green()), lerp(a.blue(), b.blue()),
                lerp(a.alpha(), b.alpha()));
}

QColor WithAlpha(const QColor& colour, int alpha) {
  QColor c = colour;
  c.setAlpha(alpha);
  return c;
}

double Noise(uint32_t x, uint32_t y, uint32_t seed) {
  uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
  h ^= h >> 13;
  h *= 0x5BD1E995u;
  h ^= h >> 15;
  return (h & 0xFFFFFF) / static_cast<double>(0x1000000);
}

}  // namespace lumora::skin
