// The window's backgrounds: the compact panel's one picture (178 x 400, shaped
// by the window outline with its 3-pixel corners), the full-screen pieces and
// the photo editor's pieces laid over them.
//
// The full-screen pieces are cut from one scene painted at a reference window
// size: the chrome underneath everything (bars, side panel, rim; uniform along
// the direction they tile in), plus for each piece only its own decoration.
// Because every piece is placed by the same table the window uses, the pieces
// join without seams at any window size.
#include "tools/skin/Skin.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>
#include <stdexcept>
#include <string>

#include "resources/SkinLayout.h"
#include "tools/skin/Canvas.h"
#include "tools/skin/Illustration.h"
#include "tools/skin/Palette.h"

namespace lumora::skin {
namespace {

constexpr int kReferenceWidth = 1280;
constexpr int kReferenceHeight = 800;
constexpr int kTopBar = 74;      // the item frame's top edge
constexpr int kBottomBar = 109;  // distance of the item frame's bottom edge from the window's bottom
constexpr int kLeftPanel = 144;  // the item frame's left edge
constexpr int kRightRim = 29;    // distance of the item frame's right edge from the window's right
constexpr int kEditorSide = 164; // the editor view frame's left edge: panel and gutter

// What each piece adds to the chrome.
enum class Decoration {
  None, Brand, WindowTray, MenuTray, Heading, LaunchCard, Foot, ButtonTray, Caption, Well, Corner,
  EditorSurround, EditorPanel, EditorFoot, ViewTray, ViewCaption,
};

Decoration DecorationOf(uint32_t bitmap) {
  switch (bitmap) {
    case 229: return Decoration::Brand;
    case 231: return Decoration::WindowTray;
    case 232: case 233: case 234: return Decoration::MenuTray;
    case 235: return Decoration::Heading;
    case 237: return Decoration::LaunchCard;
    case 238: return Decoration::Foot;
    case 291: case 477: return Decoration::ButtonTray;
    case 480: return Decoration::Caption;
    case 517: case 518: case 519: case 520: case 521: case 522: case 523: case 524: return Decoration::Well;
    case 525: case 526: case 527: case 529: return Decoration::Corner;
    case 700: return Decoration::EditorSurround;
    case 701: return Decoration::EditorFoot;
    case 702: case 703: case 704: return Decoration::EditorPanel;
    case 705: return Decoration::ViewTray;
    case 706: return Decoration::ViewCaption;
    default: return Decoration::None;
  }
}

// A recessed tray: darker fill, an inner shadow along its top, a faint light
// edge along its bottom.
void DrawTray(QPainter& p, const QRectF& r, qreal radius) {
  p.save();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 22));
  p.drawRoundedRect(r.adjusted(0, 1, 0, 1), radius, radius);
  p.setBrush(kTray);
  p.drawRoundedRect(r, radius, radius);
  p.setClipPath(Rounded(r, radius));
  p.setBrush(QColor(0, 0, 0, 60));
  p.drawRect(QRectF(r.left(), r.top(), r.width(), 1.5));
  p.restore();
}

// The chrome under everything: bars, side panel and rim.
void PaintChrome(QPainter& p, int w, int h) {
  p.fillRect(QRect(0, 0, w, h), kMist);
  QLinearGradient top(0, 0, 0, kTopBar);
  top.setColorAt(0, kBarTop);
  top.setColorAt(1, kBarBottom);
  p.fillRect(QRect(0, 0, w, kTopBar), top);
  p.fillRect(QRect(0, 0, w, 1), QColor(64, 84, 114));       // light top edge
  p.fillRect(QRect(0, kTopBar - 1, w, 1), kInk);             // line above the frame
  QLinearGradient bottom(0, h - kBottomBar, 0, h);
  bottom.setColorAt(0, kNavy);
  bottom.setColorAt(1, kBarBottom);
  p.fillRect(QRect(0, h - kBottomBar, w, kBottomBar), bottom);
  p.fillRect(QRect(0, h - kBottomBar, w, 1), QColor(60, 80, 110));
  // Side panel: lighter towards the middle, a dark seam at the frame.
  const int panelHeight = h - kBottomBar - kTopBar;
  QLinearGradient side(0, 0, kLeftPanel, 0);
  side.setColorAt(0, kNavy);
  side.setColorAt(0.5, kPanel);
  side.setColorAt(1, kNavy);
  p.fillRect(QRect(0, kTopBar, kLeftPanel, panelHeight), side);
  p.fillRect(QRect(kLeftPanel - 1, kTopBar, 1, panelHeight), kInk);
  QLinearGradient rim(w - kRightRim, 0, w, 0);
  rim.setColorAt(0, kPanel);
  rim.setColorAt(1, kNavy);
  p.fillRect(QRect(w - kRightRim, kTopBar, kRightRim, panelHeight), rim);
}

// An L-shaped amber photo corner round the frame corner at (cx, cy); `sx`, `sy`
// point away from the frame (-1 left or up, +1 right or down).
void DrawPhotoCorner(QPainter& p, qreal cx, qreal cy, int sx, int sy) {
  constexpr qreal kArm = 13;
  constexpr qreal kGap = 2;    // distance from the frame line
  constexpr qreal kThick = 3;
  const qreal ox = cx + sx * (kGap + kThick);  // outer corner of the L
  const qreal oy = cy + sy * (kGap + kThick);
  QPainterPath l;
  l.moveTo(ox, oy);
  l.lineTo(ox - sx * kArm, oy);
  l.lineTo(ox - sx * kArm, oy - sy * kThick);
  l.lineTo(ox - sx * kThick, oy - sy * kThick);
  l.lineTo(ox - sx * kThick, oy - sy * kArm);
  l.lineTo(ox, oy - sy * kArm);
  l.closeSubpath();
  QLinearGradient g(ox, oy, ox - sx * kArm, oy - sy * kArm);
  g.setColorAt(0, kAmberLight);
  g.setColorAt(1, kAmberDeep);
  p.save();
  p.setPen(Qt::NoPen);
  p.fillPath(l, g);
  p.restore();
}

// A caption in the bottom bar, over a tray or well, in the place of the album
// list's.
void DrawBarCaption(QPainter& p, int h, const QString& text) {
  p.setFont(SkinFont(FontFace::SansBold, 10));
  p.setPen(kTextDim);
  p.drawText(QRectF(124, h - 107, 76, 19), Qt::AlignLeft | Qt::AlignVCenter, text);
}

// The editor panel's surround: the side panel's, widened to the view's frame.
void DrawEditorSurround(QPainter& p, int h) {
  const int panelHeight = h - kBottomBar - kTopBar;
  QLinearGradient side(0, 0, kEditorSide, 0);
  side.setColorAt(0, kNavy);
  side.setColorAt(0.5, kPanel);
  side.setColorAt(1, kNavy);
  p.fillRect(QRect(0, kTopBar, kEditorSide, panelHeight), side);
  p.fillRect(QRect(kEditorSide - 1, kTopBar, 1, panelHeight), kInk);
}

// On the surround: the recessed tray the three tabs sit in, and the light
// sheet under the panel's controls.
void DrawEditorPanel(QPainter& p, int w, int h) {
  DrawEditorSurround(p, h);
  DrawTray(p, QRectF(2, kTopBar + 7, 150, 34), 9);
  const QRectF sheet(kEditorSheet.left.At(w), kEditorSheet.top.At(h), kEditorSheet.right.At(w) - kEditorSheet.left.At(w),
                     kEditorSheet.bottom.At(h) - kEditorSheet.top.At(h));
  p.setPen(QPen(kSheetEdge, 1));
  p.setBrush(kSheet);
  p.drawRoundedRect(sheet.adjusted(0.5, 0.5, -0.5, -0.5), 7, 7);
}

void PaintDecoration(QPainter& p, Decoration decoration, uint32_t bitmap, int w, int h) {
  switch (decoration) {
    case Decoration::None: return;
    case Decoration::Brand:
      DrawWordmark(p, QPointF(58, 42), WordmarkSizeFor(72, 19), kTextLight);
      p.setFont(SkinFont(FontFace::Sans, 9));
      p.setPen(kTextDim);
      p.drawText(QPointF(59, 58), QStringLiteral("photo albums"));
      return;
    case Decoration::WindowTray:
      DrawTray(p, QRectF(w - 116, 1, 104, 26), 13);
      return;
    case Decoration::MenuTray:
      DrawTray(p, QRectF(w - 665, 28, 649, 38), 10);
      return;
    case Decoration::Heading:
      p.setFont(SkinFont(FontFace::SansBold, 10));
      p.setPen(kTextDim);
      p.drawText(QRectF(14, kTopBar + 18, 120, 16), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("PROGRAMS"));
      p.fillRect(QRectF(14, kTopBar + 36, 24, 2), kAmber);
      return;
    case Decoration::LaunchCard:
      p.setPen(QPen(QColor(58, 78, 108), 1));
      p.setBrush(kCard);
      p.drawRoundedRect(QRectF(6.5, 118.5, 131, 99), 10, 10);
      return;
    case Decoration::Foot:
      DrawPhotoStack(p, QPointF(kLeftPanel / 2.0, h - kBottomBar - 70), 0.8);
      return;
    case Decoration::ButtonTray:
      if (bitmap == 291) DrawTray(p, QRectF(17, h - 97, 96, 75), 12);
      else DrawTray(p, QRectF(w - 112, h - 97, 100, 75), 12);
      return;
    case Decoration::Caption:
      DrawBarCaption(p, h, QStringLiteral("ALBUMS"));
      return;
    case Decoration::Well:
      p.save();
      p.setPen(Qt::NoPen);
      p.setBrush(kInk);
      p.drawRoundedRect(QRectF(114, h - 88, w - 230, 88 + 6), 4, 4);  // open at the bottom edge
      p.setBrush(kLinenMax);
      p.drawRect(QRectF(118, h - 84, w - 238, 80));
      p.restore();
      return;
    case Decoration::Corner: {
      const qreal left = kLeftPanel, right = w - kRightRim + 1, topEdge = kTopBar, bottomEdge = h - kBottomBar + 1;
      if (bitmap == 525) DrawPhotoCorner(p, left, topEdge, -1, -1);
      if (bitmap == 526) DrawPhotoCorner(p, right, topEdge, +1, -1);
      if (bitmap == 527) DrawPhotoCorner(p, left, bottomEdge, -1, +1);
      if (bitmap == 529) DrawPhotoCorner(p, right, bottomEdge, +1, +1);
      return;
    }
    case Decoration::EditorSurround:
      DrawEditorSurround(p, h);
      return;
    case Decoration::EditorPanel:
      DrawEditorPanel(p, w, h);
      return;
    case Decoration::EditorFoot:
      DrawEditorSurround(p, h);
      DrawPhotoStack(p, QPointF(kEditorSide / 2.0 - 5, h - kBottomBar - 40), 0.66);
      return;
    case Decoration::ViewTray:
      DrawTray(p, QRectF(114, h - 88, 468, 43), 10);
      return;
    case Decoration::ViewCaption:
      DrawBarCaption(p, h, QStringLiteral("VIEW"));
      return;
  }
}

QImage CutPiece(const Piece& piece) {
  QImage image(piece.width, piece.height, QImage::Format_RGB32);
  QPainter p;
  BeginPainter(p, image);
  p.translate(-piece.left.At(kReferenceWidth), -piece.top.At(kReferenceHeight));
  PaintChrome(p, kReferenceWidth, kReferenceHeight);
  PaintDecoration(p, DecorationOf(piece.bitmap), piece.bitmap, kReferenceWidth, kReferenceHeight);
  p.end();
  return image;
}

// The compact panel: one slate body whose lists and launch buttons share a
// recessed panel, a header for the title and window buttons, and the photo
// stack below.
QImage DrawCompact() {
  QImage image(kCompactWidth, kCompactHeight, QImage::Format_RGB32);
  QPainter p;
  BeginPainter(p, image);
  const QRectF all(0, 0, kCompactWidth, kCompactHeight);
  QLinearGradient body(0, 0, 0, kCompactHeight);
  body.setColorAt(0, kBarTop);
  body.setColorAt(0.12, kPanel);
  body.setColorAt(1, kNavy);
  p.fillRect(all, body);
  // Header.
  QLinearGradient header(0, 0, 0, 33);
  header.setColorAt(0, kBarTop);
  header.setColorAt(1, kBarBottom);
  p.fillRect(QRectF(0, 0, kCompactWidth, 33), header);
  p.fillRect(QRectF(0, 33, kCompactWidth, 1), kInk);
  DrawWordmark(p, QPointF(10, 22), WordmarkSizeFor(66, 15), kTextLight);
  DrawTray(p, QRectF(82, 3, 94, 26), 13);
  // The panel holding the two lists and the launch buttons.
  p.setPen(QPen(QColor(62, 82, 112), 1));
  p.setBrush(kCard);
  p.drawRoundedRect(QRectF(5.5, 35.5, 167, 188), 8, 8);
  // Frames round the lists (the lists paint inside them).
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  p.drawRect(QRectF(12, 39, 96, 118));
  p.drawRect(QRectF(12, 162, 96, 57));
  p.fillRect(QRectF(13, 40, 94, 116), kHaze);
  p.fillRect(QRectF(13, 163, 94, 55), kLinenCompact);
  // The lower part: the photo stack and a line of text beside the mark.
  DrawPhotoStack(p, QPointF(kCompactWidth / 2.0, 290), 1.0);
  p.setFont(SkinFont(FontFace::Sans, 9));
  p.setPen(kTextDim);
  p.drawText(QRectF(14, 352, 110, 36), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Photos and videos,\nkept in albums"));
  // The outline: 3-pixel corners as the window region cuts them, with a light rim.
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QColor(86, 110, 146));
  p.setBrush(Qt::NoBrush);
  p.drawLine(3, 0, 174, 0);
  p.drawLine(3, kCompactHeight - 1, 174, kCompactHeight - 1);
  p.drawLine(0, 3, 0, kCompactHeight - 4);
  p.drawLine(kCompactWidth - 1, 3, kCompactWidth - 1, kCompactHeight - 4);
  p.drawPoint(1, 2); p.drawPoint(2, 1);
  p.drawPoint(kCompactWidth - 2, 2); p.drawPoint(kCompactWidth - 3, 1);
  p.drawPoint(1, kCompactHeight - 3); p.drawPoint(2, kCompactHeight - 2);
  p.drawPoint(kCompactWidth - 2, kCompactHeight - 3); p.drawPoint(kCompactWidth - 3, kCompactHeight - 2);
  p.end();
  return image;
}

}  // namespace

void DrawChrome(Skin& skin) {
  for (const Piece& piece : kMaxPieces) skin.bitmaps[piece.bitmap] = CutPiece(piece);
  // The editor's own pieces; the ones it borrows from the album view are drawn already.
  for (const Piece& piece : kEditorPieces) {
    if (!skin.bitmaps.contains(piece.bitmap)) skin.bitmaps[piece.bitmap] = CutPiece(piece);
  }
  skin.compactBackground = DrawCompact();
}

}  // namespace lumora::skin
