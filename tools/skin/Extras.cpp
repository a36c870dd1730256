// The pictures outside the window's chrome: the splash shown while the window
// starts, the hand cursor of the About box's link, the program icon at 16, 32
// and 48 pixels, and the picture shown for recordings without video.
#include "tools/skin/Skin.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

#include "resources/ResourceIds.h"
#include "resources/SkinLayout.h"
#include "tools/skin/Canvas.h"
#include "tools/skin/Glyphs.h"
#include "tools/skin/Illustration.h"
#include "tools/skin/Palette.h"

namespace lumora::skin {
namespace {

constexpr int kCursorSide = 32;
constexpr int kCursorHotspotX = 11;  // the tip of the pointing finger
constexpr int kCursorHotspotY = 1;
constexpr int kIconSides[] = {16, 32, 48};

// A dark backdrop with a soft light towards `light`.
void FillBackdrop(QPainter& p, const QRectF& r, const QPointF& light) {
  QLinearGradient base(r.topLeft(), r.bottomLeft());
  base.setColorAt(0, kPanel);
  base.setColorAt(1, kInk);
  p.fillRect(r, base);
  QRadialGradient glow(light, r.width() * 0.6);
  glow.setColorAt(0, QColor(120, 150, 196, 70));
  glow.setColorAt(1, QColor(120, 150, 196, 0));
  p.fillRect(r, glow);
}

QImage DrawSplash() {
  QImage image(kSplashWidth, kSplashHeight, QImage::Format_RGB32);
  QPainter p;
  BeginPainter(p, image);
  const QRectF all(0, 0, kSplashWidth, kSplashHeight);
  FillBackdrop(p, all, QPointF(110, 110));
  DrawPhotoStack(p, QPointF(112, 124), 1.45);
  const qreal width = DrawWordmark(p, QPointF(212, 126), 38, kTextLight);
  p.fillRect(QRectF(214, 140, width - 10, 2), kAmber);
  p.setFont(SkinFont(FontFace::Sans, 13));
  p.setPen(kTextDim);
  p.drawText(QPointF(214, 164), QStringLiteral("Photo and video albums"));
  p.setFont(SkinFont(FontFace::Sans, 10));
  p.setPen(kSteel);
  p.drawText(QRectF(0, kSplashHeight - 30, kSplashWidth - 16, 20), Qt::AlignRight | Qt::AlignVCenter,
             QStringLiteral("Starting..."));
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QColor(86, 110, 146));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRect(0, 0, kSplashWidth - 1, kSplashHeight - 1));
  p.end();
  return image;
}

// The hand: a pointing finger, three folded fingers, thumb and palm, white with
// a dark outline so it reads on light and dark ground.
QImage DrawHandCursor() {
  QImage layer = NewLayer(kCursorSide, kCursorSide);
  QPainter p;
  BeginPainter(p, layer);
  QPainterPath hand;
  hand.moveTo(9, 3.5);
  hand.arcTo(QRectF(9, 1, 5, 5), 180, -180);               // fingertip
  hand.lineTo(14, 12);
  hand.cubicTo(14, 9.5, 18, 9.5, 18, 12.5);                // middle finger
  hand.cubicTo(18, 10.5, 22, 10.5, 22, 13.5);              // ring finger
  hand.cubicTo(22, 11.8, 25.5, 11.8, 25.5, 14.5);          // little finger
  hand.lineTo(25.5, 20);
  hand.cubicTo(25.5, 24, 23.5, 26, 22.5, 27);
  hand.lineTo(22.5, 30);                                   // cuff
  hand.lineTo(12, 30);
  hand.lineTo(12, 27);
  hand.cubicTo(10, 25, 7, 22, 4.5, 18.5);                  // thumb
  hand.cubicTo(3.5, 17, 5.5, 15, 7, 16.5);
  hand.lineTo(9, 18.5);
  hand.closeSubpath();
  p.setPen(QPen(QColor(16, 20, 28), 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::white);
  p.drawPath(hand);
  p.setPen(QPen(QColor(120, 128, 140), 1, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(14, 12.5), QPointF(14, 15.5));
  p.drawLine(QPointF(18, 13), QPointF(18, 16));
  p.drawLine(QPointF(22, 14), QPointF(22, 16.5));
  p.drawLine(QPointF(12.5, 27), QPointF(22, 27));
  p.end();
  return layer;
}

// The program icon: a print with a lake scene on a rounded slate tile.
QImage DrawIcon(int side) {
  QImage layer = NewLayer(side, side);
  QPainter p;
  BeginPainter(p, layer);
  p.scale(side / 48.0, side / 48.0);
  const QRectF tile(1, 1, 46, 46);
  FillVertical(p, Rounded(tile, 10), tile, kSlateLight, kNavy);
  p.setPen(QPen(QColor(255, 255, 255, 40), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(tile.adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
  p.save();
  p.translate(24, 25);
  p.rotate(-6);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 60));
  p.drawRoundedRect(QRectF(-16, -13, 34, 30), 2, 2);
  p.setBrush(QColor(250, 248, 243));
  p.drawRoundedRect(QRectF(-17, -15, 34, 30), 1.5, 1.5);
  DrawScene(p, QRectF(-14, -12, 28, 20), 0);
  p.restore();
  p.setPen(Qt::NoPen);
  p.setBrush(kAmber);
  p.drawEllipse(QPointF(36, 11), 4.5, 4.5);
  p.end();
  return layer;
}

// Shown for recordings and MPEG files that hold sound only.
QImage DrawAudioPicture() {
  QImage image(kAudioPictureWidth, kAudioPictureHeight, QImage::Format_RGB32);
  QPainter p;
  BeginPainter(p, image);
  const QRectF all(0, 0, kAudioPictureWidth, kAudioPictureHeight);
  FillBackdrop(p, all, QPointF(160, 100));
  const QPointF centre(160, 100);
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 15; ++i) {  // a sound wave behind the disc
    const qreal x = 40 + i * 17.3;
    const qreal amp = 8 + 30 * std::pow(std::sin(i * 0.61 + 0.4), 2) * (1 - std::abs(i - 7) / 9.0);
    p.setBrush(QColor(98, 124, 160, 110));
    p.drawRoundedRect(QRectF(x, centre.y() - amp, 7, amp * 2), 3.5, 3.5);
  }
  p.setBrush(kAmber);
  p.drawEllipse(centre, 44, 44);
  p.setBrush(QColor(255, 255, 255, 40));
  p.drawEllipse(centre, 40, 40);
  DrawGlyph(p, Glyph::Note, QRectF(centre.x() - 26, centre.y() - 26, 52, 52), kTextDark, 2.2);
  CentredText(p, QRectF(0, 170, kAudioPictureWidth, 30), QStringLiteral("Audio only"), SkinFont(FontFace::SansBold, 20),
              kTextLight);
  CentredText(p, QRectF(0, 198, kAudioPictureWidth, 20), QStringLiteral("This recording has no picture"),
              SkinFont(FontFace::Sans, 12), kTextDim);
  p.end();
  return image;
}

}  // namespace

void DrawExtras(Skin& skin) {
  skin.bitmaps[res::kBitmapSplash] = DrawSplash();
  skin.audioPicture = DrawAudioPicture();
  skin.cursor = {IconImage{DrawHandCursor(), kCursorHotspotX, kCursorHotspotY}};
  for (int side : kIconSides) skin.icon.push_back(IconImage{DrawIcon(side), 0, 0});
}

}  // namespace lumora::skin
