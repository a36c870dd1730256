// The button sets: menu buttons (glyph and label), launch tiles (glyph over a
// short label), round window buttons, album buttons and the round mark, and the
// photo editor's: its commands in the menu buttons' style, the panel tabs, the
// tools of the panel and of the view tray (glyph faces), and the colour toggles
// (coloured dots, a grey ramp). Each set is drawn in its normal and hover looks
// and, when the set has one, its active look (pressed, a companion running, the
// current panel, a mode that is on): amber, pressed one pixel in.
#include "tools/skin/Skin.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPolygonF>
#include <QString>
#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "resources/SkinLayout.h"
#include "tools/skin/Canvas.h"
#include "tools/skin/Glyphs.h"
#include "tools/skin/Palette.h"

namespace lumora::skin {
namespace {

enum class Look { Normal, Hover, Active };
enum class Kind {
  Menu, Launch, Window, Album, Mark,
  Tab,          // editor panel tab: label only, on the tab tray
  Tile,         // editor geometry tile: glyph only, on the panel sheet
  Wide,         // editor overlay button: glyph and label, on the panel sheet
  Tool,         // small glyph face on the panel sheet (toggles, level steps)
  TrayTool,     // small glyph face in the view tray (zoom)
  Swap,         // channel swap: its two channels' dots and a two-way arrow
  Grey,         // grey scale: a ramp from white to black
};

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
    {"ed-prev", Kind::Menu, Glyph::ChevronLeft, "Prev"},
    {"ed-next", Kind::Menu, Glyph::ChevronRight, "Next"},
    {"ed-original", Kind::Menu, Glyph::Revert, "Original"},
    {"ed-save", Kind::Menu, Glyph::Floppy, "Save"},
    {"ed-wallpaper", Kind::Menu, Glyph::Wallpaper, "Wallpaper"},
    {"ed-close", Kind::Menu, Glyph::Cross, "Close"},
    {"ed-tab-distortion", Kind::Tab, Glyph::None, "Distort"},
    {"ed-tab-color", Kind::Tab, Glyph::None, "Color"},
    {"ed-tab-filter", Kind::Tab, Glyph::None, "Filter"},
    {"ed-flip-h", Kind::Tile, Glyph::FlipHorizontal, ""},
    {"ed-flip-v", Kind::Tile, Glyph::FlipVertical, ""},
    {"ed-rotate-ccw", Kind::Tile, Glyph::RotateLeft, ""},
    {"ed-rotate-cw", Kind::Tile, Glyph::RotateRight, ""},
    {"ed-load-image", Kind::Wide, Glyph::PictureAdd, "Insert picture"},
    {"ed-unload-image", Kind::Wide, Glyph::PictureRemove, "Remove picture"},
    {"ed-invert", Kind::Tool, Glyph::Invert, ""},
    {"ed-grey", Kind::Grey, Glyph::None, ""},
    {"ed-swap-rg", Kind::Swap, Glyph::None, ""},
    {"ed-swap-gb", Kind::Swap, Glyph::None, ""},
    {"ed-swap-rb", Kind::Swap, Glyph::None, ""},
    {"ed-down", Kind::Tool, Glyph::Minus, ""},
    {"ed-up", Kind::Tool, Glyph::Plus, ""},
    {"ed-zoom-out", Kind::TrayTool, Glyph::ZoomOut, ""},
    {"ed-zoom-in", Kind::TrayTool, Glyph::ZoomIn, ""},
    {"ed-region", Kind::Menu, Glyph::Marquee, "Select"},
    {"ed-trim", Kind::Menu, Glyph::Crop, "Trim"},
    {"ed-bgcolor", Kind::Menu, Glyph::Bucket, "Backdrop"},
};

// The two channels each swap exchanges, as dots in their own colours.
struct SwapArt {
  std::string_view set;
  QColor first;
  QColor second;
};
const QColor kChannelRed{232, 70, 58};
const QColor kChannelGreen{64, 186, 84};
const QColor kChannelBlue{60, 128, 240};
const SwapArt kSwaps[] = {
    {"ed-swap-rg", kChannelRed, kChannelGreen},
    {"ed-swap-gb", kChannelGreen, kChannelBlue},
    {"ed-swap-rb", kChannelRed, kChannelBlue},
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
    case Kind::Album:
    case Kind::Tab:
    case Kind::TrayTool: return kTray;
    case Kind::Launch: return kCard;
    case Kind::Mark: return kNavy;
    case Kind::Tile:
    case Kind::Wide:
    case Kind::Tool:
    case Kind::Swap:
    case Kind::Grey: return kSheet;
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

// The bold face at `fontSize`, or smaller until `label` is no wider than `width`.
QFont FittedFont(const QString& label, qreal fontSize, qreal width) {
  QFont font = SkinFont(FontFace::SansBold, fontSize);
  while (fontSize > 8 && QFontMetricsF(font).horizontalAdvance(label) > width) {
    fontSize -= 1;
    font = SkinFont(FontFace::SansBold, fontSize);
  }
  return font;
}

// Glyph and label side by side, centred together; the label's font shrinks
// when the two would not fit with a margin of 5 pixels each side.
void DrawGlyphAndLabel(QPainter& p, const QRectF& rect, const ButtonArt& art, Look look, qreal glyphSize,
                       qreal fontSize) {
  const Face& face = FaceOf(look);
  const QString label = QString::fromUtf8(art.label);
  const qreal gap = 5;
  const QFont font = FittedFont(label, fontSize, rect.width() - 10 - glyphSize - gap);
  const qreal textWidth = QFontMetricsF(font).horizontalAdvance(label);
  const qreal left = rect.left() + std::floor((rect.width() - glyphSize - gap - textWidth) / 2);
  const qreal glyphTop = rect.top() + std::floor((rect.height() - glyphSize) / 2);
  DrawGlyph(p, art.glyph, QRectF(left, glyphTop, glyphSize, glyphSize), face.glyph, 2.1);
  const QRectF textBox(left + glyphSize + gap, rect.top(), textWidth + 2, rect.height());
  p.setFont(font);
  p.setPen(face.ink);
  p.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter, label);
}

// A two-headed arrow from (x1, y) to (x2, y).
void TwoWayArrow(QPainter& p, qreal x1, qreal x2, qreal y, const QColor& colour) {
  p.save();
  p.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawLine(QPointF(x1, y), QPointF(x2, y));
  const qreal head = 3;
  p.drawPolyline(QPolygonF({{x1 + head, y - head}, {x1, y}, {x1 + head, y + head}}));
  p.drawPolyline(QPolygonF({{x2 - head, y - head}, {x2, y}, {x2 - head, y + head}}));
  p.restore();
}

// A dot in a channel's colour with a thin dark rim, legible on every face.
void ChannelDot(QPainter& p, const QPointF& centre, const QColor& colour) {
  p.save();
  p.setPen(QPen(QColor(16, 24, 36, 150), 1));
  p.setBrush(colour);
  p.drawEllipse(centre, 3.9, 3.9);
  p.restore();
}

const SwapArt& SwapOf(std::string_view set) {
  for (const SwapArt& swap : kSwaps) {
    if (swap.set == set) return swap;
  }
  throw std::logic_error("no channel colours for " + std::string(set));
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
    case Kind::Tab: {
      // The three tabs touch; each face keeps a pixel clear on either side.
      const QRectF body = full.adjusted(1, sink, -1, 0);
      DrawFace(p, body, 6, look);
      const QString label = QString::fromUtf8(art.label);
      CentredText(p, body.adjusted(0, 0, 0, -1), label, FittedFont(label, 11, body.width() - 4), face.ink);
      break;
    }
    case Kind::Tile: {
      const QRectF body = full.adjusted(0, sink, 0, 0);
      DrawFace(p, body, 8, look);
      const qreal glyph = 28;
      DrawGlyph(p, art.glyph, QRectF((set.width - glyph) / 2, (set.height - glyph) / 2 + sink, glyph, glyph),
                face.glyph, 1.8);
      break;
    }
    case Kind::Wide: {
      DrawFace(p, full.adjusted(0, sink, 0, 0), 7, look);
      DrawGlyphAndLabel(p, full.adjusted(0, sink, 0, 0), art, look, 16, 11);
      break;
    }
    case Kind::Tool:
    case Kind::TrayTool: {
      const QRectF body = full.adjusted(0, sink, 0, 0);
      DrawFace(p, body, std::min(6, set.height / 4), look);
      // Small faces get proportionally larger glyphs with heavier strokes.
      const qreal glyph = std::round(set.height * (set.height <= 20 ? 0.8 : 0.72));
      const qreal weight = set.height <= 20 ? 2.8 : 2.3;
      DrawGlyph(p, art.glyph, QRectF((set.width - glyph) / 2, (set.height - glyph) / 2 + sink, glyph, glyph),
                face.glyph, weight);
      break;
    }
    case Kind::Swap: {
      const SwapArt& swap = SwapOf(art.set);
      DrawFace(p, full.adjusted(0, sink, 0, 0), 6, look);
      ChannelDot(p, QPointF(8.5, 9.5 + sink), swap.first);
      ChannelDot(p, QPointF(17.5, 9.5 + sink), swap.second);
      TwoWayArrow(p, 6, 20, 18.5 + sink, face.glyph);
      break;
    }
    case Kind::Grey: {
      DrawFace(p, full.adjusted(0, sink, 0, 0), 6, look);
      const QRectF ramp(5.5, 8.5 + sink, 15, 9);
      QLinearGradient gradient(ramp.topLeft(), ramp.topRight());
      gradient.setColorAt(0, Qt::white);
      gradient.setColorAt(1, Qt::black);
      p.setPen(QPen(face.glyph, 1.2));
      p.setBrush(gradient);
      p.drawRoundedRect(ramp, 2, 2);
      break;
    }
  }
  p.end();
  return Keyed(layer, MatteOf(art.kind));
}

}  // namespace

QColor ButtonMatte(std::string_view set) {
  for (const ButtonArt& art : kArt) {
    if (art.set == set) return MatteOf(art.kind);
  }
  throw std::logic_error("no button set " + std::string(set));
}

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
