// The button sets: menu buttons (glyph and label), launch tiles (glyph over a
// short label), round window buttons, album buttons and the round mark. Each
// set is drawn in its normal and hover looks and, when the set has one, its
// active look (pressed, or a companion running): amber, pressed one pixel in.
#include "tools/skin/Skin.h"

#include <QFontMetricsF>
#include <QString>
#include <stdexcept>
#include <string>

#include "resources/SkinLayout.h"
#include "tools/skin/Canvas.h"
#include "tools/skin/Glyphs.h"
#include "tools/skin/Palette.h"

namespace lumora::skin {
namespace {

enum class Look { Normal, Hover, Active };
enum class Kind { Menu, Launch, Window, Album, Mark };

struct ButtonArt {
  std::string_view set;
  Kind kind;
  Glyph glyph;
  const char* label;
};

constexpr ButtonArt kArt[] = {
    {"mark", Kind::Mark, Glyph::Aperture, ""},
    {"File", Kind::Menu, Glyph::Folder, "File"},
    {"Sort", Kind::Menu, Glyph::Sort, "Sort"},
    {"Edit", Kind::Menu, Glyph::Sliders, "Edit"},
    {"Mail", Kind::Menu, Glyph::Envelope, "Mail"},
    {"Import", Kind::Menu, Glyph::Import, "Import"},
    {"Export", Kind::Menu, Glyph::Export, "Export"},
    {"DVR", Kind::Launch, Glyph::Tv, "TV"},
    {"editor", Kind::Launch, Glyph::Film, "Video"},
    {"encoder", Kind::Launch, Glyph::Encode, "MPEG"},
    {"iepg", Kind::Launch, Glyph::Guide, "Guide"},
    {"security", Kind::Launch, Glyph::Camera, "Cam"},
    {"VCD", Kind::Launch, Glyph::Disc, "Disc"},
    {"Help", Kind::Window, Glyph::Question, ""},
    {"Close", Kind::Window, Glyph::Cross, ""},
    {"Minimize", Kind::Window, Glyph::Minus, ""},
    {"Maximize", Kind::Window, Glyph::Expand, ""},
    {"NEW", Kind::Album, Glyph::Plus, "New"},
    {"DELETE", Kind::Album, Glyph::Trash, "Delete"},
    {"RENAME", Kind::Album, Glyph::Pencil, "Rename"},
    {"INFO", Kind::Album, Glyph::Info, "Info"},
};

const Face& FaceOf(Look look) {
  switch (look) {
    case Look::Hover: return kFaceHover;
    case Look::Active: return kFaceActive;
    case Look::Normal: break;
  }
  return kFaceNormal;
}

// The colour each kind of button is shown on, for its soft edges.
QColor MatteOf(Kind kind) {
  switch (kind) {
    case Kind::Menu:
    case Kind::Window:
    case Kind::Album: return kTray;
    case Kind::Launch: return kCard;
    case Kind::Mark: return kNavy;
  }
  return kNavy;
}

// A rounded face with a top highlight; pressed faces sit one pixel lower.
void DrawFace(QPainter& p, QRectF rect, qreal radius, Look look) {
  const Face& face = FaceOf(look);
  const QRectF body = rect.adjusted(0.5, 0.5, -0.5, -0.5);
  FillVertical(p, Rounded(body, radius), body, face.top, face.bottom);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(face.border, 1));
  p.drawPath(Rounded(body, radius));
  // A thin light line under the top edge gives the face its slight relief.
  p.setPen(QPen(WithAlpha(Qt::white, look == Look::Active ? 110 : 38), 1));
  p.drawLine(QPointF(body.left() + radius, body.top() + 1.5), QPointF(body.right() - radius, body.top() + 1.5));
}

// Glyph and label side by side, centred together.
void DrawGlyphAndLabel(QPainter& p, const QRectF& rect, const ButtonArt& art, Look look, qreal glyphSize,
                       qreal fontSize) {
  const Face& face = FaceOf(look);
  const QFont font = SkinFont(FontFace::SansBold, fontSize);
  const QString label = QString::fromUtf8(art.label);
  const qreal textWidth = QFontMetricsF(font).horizontalAdvance(label);
  const qreal gap = 5;
  const qreal left = rect.left() + std::floor((rect.width() - glyphSize - gap - textWidth) / 2);
  const qreal glyphTop = rect.top() + std::floor((rect.height() - glyphSize) / 2);
  DrawGlyph(p, art.glyph, QRectF(left, glyphTop, glyphSize, glyphSize), face.glyph, 2.1);
  const QRectF textBox(left + glyphSize + gap, rect.top(), textWidth + 2, rect.height());
  p.setFont(font);
  p.setPen(face.ink);
  p.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter, label);
}

QImage DrawButton(const ButtonArt& art, const ButtonSet& set, Look look) {
  QImage layer = NewLayer(set.width, set.height);
  QPainter p;
  BeginPainter(p, layer);
  const qreal sink = look == Look::Active ? 1 : 0;
  const QRectF full(0, 0, set.width, set.height);
  const Face& face = FaceOf(look);
  switch (art.kind) {
    case Kind::Menu:
    case Kind::Album: {
      DrawFace(p, full.adjusted(0, sink, 0, 0), 7, look);
      const qreal glyph = art.kind == Kind::Menu ? 16 : 15;
      const qreal font = art.kind == Kind::Menu ? 12 : 11;
      DrawGlyphAndLabel(p, full.adjusted(0, sink, 0, 0), art, look, glyph, font);
      break;
    }
    case Kind::Launch: {
      DrawFace(p, full.adjusted(0, sink, 0, 0), 7, look);
      DrawGlyph(p, art.glyph, QRectF(17, 4 + sink, 20, 20), face.glyph, 1.9);
      CentredText(p, QRectF(0, 24 + sink, set.width, 13), QString::fromUtf8(art.label),
                  SkinFont(FontFace::SansBold, 10), face.ink);
      break;
    }
    case Kind::Window: {
      const bool close = art.set == "Close";
      const QRectF disc = full.adjusted(1, 1, -1, -1);
      QColor fill = look == Look::Hover ? (close ? kCoral : kTextLight) : QColor(56, 76, 106);
      QColor ring = look == Look::Hover ? fill.lighter(112) : QColor(82, 106, 140);
      QColor ink = look == Look::Hover ? (close ? QColor(Qt::white) : kInk) : kTextDim;
      p.setPen(QPen(ring, 1));
      p.setBrush(fill);
      p.drawEllipse(disc.adjusted(0.5, 0.5, -0.5, -0.5));
      DrawGlyph(p, art.glyph, QRectF(3, 3, 14, 14), ink, art.glyph == Glyph::Question ? 2.6 : 2.4);
      break;
    }
    case Kind::Mark: {
      const QRectF disc = full.adjusted(1, 1 + sink, -1, -1 + sink);
      if (look == Look::Active) {
        FillVertical(p, [&] { QPainterPath e; e.addEllipse(disc); return e; }(), disc, kAmberLight, kAmberDeep);
      } else {
        const QColor top = look == Look::Hover ? QColor(76, 102, 140) : QColor(54, 74, 104);
        const QColor bottom = look == Look::Hover ? QColor(54, 76, 108) : QColor(34, 48, 71);
        FillVertical(p, [&] { QPainterPath e; e.addEllipse(disc); return e; }(), disc, top, bottom);
      }
      p.setBrush(Qt::NoBrush);
      p.setPen(QPen(look == Look::Active ? kAmberLight : (look == Look::Hover ? kAmberLight : kAmber), 1.6));
      p.drawEllipse(disc.adjusted(0.8, 0.8, -0.8, -0.8));
      const QColor ink = look == Look::Active ? kTextDark : (look == Look::Hover ? kAmberLight : kAmber);
      DrawGlyph(p, Glyph::Aperture, disc.adjusted(6, 6, -6, -6), ink, 1.9);
      break;
    }
  }
  p.end();
  return Keyed(layer, MatteOf(art.kind));
}

}  // namespace

void DrawButtons(Skin& skin) {
  for (const ButtonArt& art : kArt) {
    const ButtonSet* set = FindButtonSet(art.set);
    if (!set) throw std::logic_error("no button set " + std::string(art.set));
    skin.bitmaps[set->normal] = DrawButton(art, *set, Look::Normal);
    skin.bitmaps[set->hover] = DrawButton(art, *set, Look::Hover);
    if (set->active != 0) skin.bitmaps[set->active] = DrawButton(art, *set, Look::Active);
  }
}

}  // namespace lumora::skin
