// Preview sheet and window mock-ups of the skin generator.
#include "tools/skin/Preview.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <optional>
#include <span>
#include <vector>

#include "editor/EditorLayout.h"
#include "resources/SkinLayout.h"
#include "tools/skin/Canvas.h"
#include "tools/skin/Illustration.h"
#include "tools/skin/Palette.h"
#include "tools/skin/SkinFiles.h"

namespace lumora::skin {
namespace {

const QColor kDesktop{86, 96, 108};
const QColor kCompactBand{117, 192, 252};
const QColor kMaxBand{125, 169, 194};
const QColor kSelection{4, 157, 255};
constexpr int kSheetWidth = 1100;

// A keyed bitmap with its key turned transparent.
QImage Cut(const QImage& keyed) {
  QImage out = keyed.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < out.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) {
      if (IsKey(row[x])) row[x] = 0;
    }
  }
  return out;
}

// The same with black transparent (the item list's image-list mask).
QImage CutBlack(const QImage& picture) {
  QImage out = picture.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < out.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) {
      if ((row[x] & 0xFFFFFF) == 0) row[x] = 0;
    }
  }
  return out;
}

// A thumbnail made as the item list makes it: white, the frame ANDed in, the
// picture stretched to the whole-number scale at the layout's offsets.
QImage Thumbnail(const QImage& frame, const QImage& picture, bool full) {
  const int W = frame.width(), H = frame.height();
  const int w = picture.width(), h = picture.height();
  int tw = w, th = h;
  if (h < w) {
    if (W - 10 < w) { tw = W - 10; th = h / (w / (W - 10)); }
  } else if (H - 10 < h) {
    th = H - 10;
    tw = w / (h / (H - 10));
  }
  tw = std::min(tw, W - 10);
  th = std::min(th, H - 10);
  const int x = full ? (W - tw - 4) / 2 : (W - tw - 1) / 2;
  const int y = full ? (H - th - 4) / 2 : (H - th - 1) / 2;
  QImage out(W, H, QImage::Format_RGB32);
  out.fill(Qt::white);
  const QImage f = frame.convertToFormat(QImage::Format_RGB32);
  for (int r = 0; r < H; ++r) {
    auto* o = reinterpret_cast<QRgb*>(out.scanLine(r));
    const auto* s = reinterpret_cast<const QRgb*>(f.constScanLine(r));
    for (int c = 0; c < W; ++c) o[c] &= s[c] | 0xFF000000;
  }
  QPainter p(&out);
  p.drawImage(QRect(x, y, tw, th), picture);
  p.end();
  return out;
}

// Sample pictures for the mock item lists: scenes in landscape and portrait.
QImage SamplePicture(int index) {
  const bool portrait = index % 4 == 3;
  QImage image(portrait ? 480 : 640, portrait ? 640 : 480, QImage::Format_RGB32);
  QPainter p;
  BeginPainter(p, image);
  DrawScene(p, QRectF(0, 0, image.width(), image.height()), index % 3);
  p.end();
  return image;
}

void DrawButtonAt(QPainter& p, const Skin& skin, const ButtonPlace& place, int w, int h, int look) {
  const ButtonSet* set = FindButtonSet(place.set);
  if (!set) return;
  uint32_t id = set->normal;
  if (look == 1) id = set->hover;
  if (look == 2 && set->active) id = set->active;
  p.drawImage(place.x.At(w), place.y.At(h), Cut(skin.bitmaps.at(id)));
}

void Tile(QPainter& p, const QImage& tile, const QRect& r) { p.drawTiledPixmap(r, QPixmap::fromImage(tile)); }

// Background pieces as the window paints them.
void PaintPieces(QPainter& p, const Skin& skin, std::span<const Piece> pieces, int w, int h) {
  for (const Piece& piece : pieces) {
    const QImage& image = skin.bitmaps.at(piece.bitmap);
    const int left = piece.left.At(w), top = piece.top.At(h);
    if (piece.fill == Fill::Once) {
      p.drawImage(left, top, image);
    } else {
      Tile(p, image, QRect(left, top, piece.right.At(w) - left, piece.bottom.At(h) - top));
    }
  }
}

// The frame the window draws round the item list and the editor's view:
// top and left edges in the 1-pixel black pen, right and bottom in the
// 2-pixel white pen.
void DrawListFrame(QPainter& p, int left, int top, int right, int bottom) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QPen(Qt::black, 1));
  p.drawLine(left, top, right, top);
  p.drawLine(left, top, left, bottom);
  p.setPen(QPen(Qt::white, 2));
  p.drawLine(right, top, right, bottom);
  p.drawLine(left, bottom, right, bottom);
  p.restore();
}

// Icon-view items of the item list: thumbnail, label under it, the selected one framed.
void DrawItems(QPainter& p, const QImage& frame, const QRect& list, int stepX, int stepY, bool full, int selected,
               const std::vector<QString>& names) {
  p.save();
  p.setClipRect(list);
  const QFont font = SkinFont(FontFace::Sans, full ? 12 : 10);
  int col = 0, row = 0;
  const int columns = std::max(1, list.width() / stepX);
  const int margin = (list.width() - columns * stepX) / 2;
  for (size_t i = 0; i < names.size(); ++i) {
    const QRect cell(list.left() + margin + col * stepX, list.top() + 4 + row * stepY, frame.width(), frame.height());
    p.drawImage(cell.topLeft(), CutBlack(Thumbnail(frame, SamplePicture(static_cast<int>(i)), full)));
    if (static_cast<int>(i) == selected) {
      p.setPen(QPen(kSelection, 2));
      p.setBrush(Qt::NoBrush);
      p.drawRect(cell.adjusted(1, 1, -2, -2));
    }
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRect(cell.left(), cell.bottom() + 7, cell.width(), 14), Qt::AlignCenter, names[i]);
    if (++col == columns) { col = 0; ++row; }
  }
  p.restore();
}

// Album list items: label band under each, the icon only on the selected one.
void DrawAlbumItems(QPainter& p, const QImage& strip, int cellW, int cellH, const QRect& list, int stepX,
                    const QColor& band, bool compact, int selected, int frame, const std::vector<QString>& names) {
  p.save();
  p.setClipRect(list);
  const QImage icons = Cut(strip);
  const QFont font = SkinFont(FontFace::Sans, 11);
  for (size_t i = 0; i < names.size(); ++i) {
    const int left = list.left() + 2 + static_cast<int>(i) * stepX;
    const int shift = compact ? 2 : 0;
    const QRect icon(left, list.top() + 2 + shift, stepX - 4, cellH + 6);
    const int labelTop = icon.bottom() + 1;
    p.fillRect(QRect(icon.left(), labelTop - 1, icon.width(), 15), band);
    p.setFont(font);
    p.setPen(Qt::black);
    QString text = names[i].size() > 8 ? names[i].left(6) + "..." : names[i];
    p.drawText(QRect(icon.left() - 5, labelTop, icon.width(), 14), Qt::AlignCenter, text);
    if (static_cast<int>(i) == selected) {
      const QRect source(frame * cellW, 0, cellW, cellH);
      p.drawImage(QPoint(icon.left() + 3, icon.top() + (compact ? 5 : 2)), icons.copy(source));
    }
  }
  p.restore();
}

// The editor panel that shows `control`; nothing for the buttons every panel shares.
std::optional<editor::Panel> PanelOfButton(uint32_t control) {
  using editor::Panel;
  for (const editor::LevelRow& row : editor::kLevelRows) {
    if (control == row.down || control == row.up) return row.panel;
  }
  for (uint32_t id : {editor::kFlipHorizontal, editor::kFlipVertical, editor::kRotateLeft, editor::kRotateRight,
                      editor::kLoadImage, editor::kUnloadImage}) {
    if (control == id) return Panel::Distortion;
  }
  for (uint32_t id : {editor::kInvert, editor::kGreyScale, editor::kSwapRedGreen, editor::kSwapGreenBlue,
                      editor::kSwapRedBlue}) {
    if (control == id) return Panel::Color;
  }
  return std::nullopt;
}

const char* RowName(Level level) {
  switch (level) {
    case Level::Brightness: return "Brightness";
    case Level::Contrast: return "Contrast";
    case Level::Red: return "Red";
    case Level::Green: return "Green";
    case Level::Blue: return "Blue";
    case Level::Blur: return "Blur";
    case Level::Sharpen: return "Sharpen";
    case Level::Emboss: return "Emboss";
    case Level::Mosaic: return "Mosaic";
    case Level::RandomPattern: return "Random pattern";
    case Level::TileSize: return "Tile size";
    case Level::Scatter: return "Scatter";
  }
  return "";
}

// A level bar roughly as the window paints it: a pale trough, the filled part
// in shades of blue; a reversed bar fills from its right end.
void DrawLevelBar(QPainter& p, const QRect& bar, int position, int maximum, bool reversed) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QColor(132, 146, 166));
  p.setBrush(QColor(246, 248, 251));
  p.drawRect(bar.adjusted(0, 0, -1, -1));
  const int inner = bar.width() - 2;
  const int filled = maximum > 0 ? inner * position / maximum : 0;
  if (filled > 0) {
    const QRect fill(reversed ? bar.right() - filled : bar.left() + 1, bar.top() + 1, filled, bar.height() - 2);
    QLinearGradient blue(fill.topLeft(), fill.bottomLeft());
    blue.setColorAt(0, QColor(110, 110, 255));
    blue.setColorAt(0.5, QColor(0, 0, 255));
    blue.setColorAt(1, QColor(0, 0, 170));
    p.fillRect(fill, blue);
  }
  p.restore();
}

// A closed list box with its current entry.
void DrawListBox(QPainter& p, const QRect& box, const QString& text) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(QColor(122, 138, 160));
  p.setBrush(Qt::white);
  p.drawRect(box.adjusted(0, 0, -1, -1));
  const QRect arrow(box.right() - 17, box.top() + 2, 16, box.height() - 4);
  p.fillRect(arrow, QColor(226, 232, 240));
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(kTextDark, 1.5));
  const QPointF c = QRectF(arrow).center();
  p.drawPolyline(QPolygonF({{c.x() - 3.5, c.y() - 1.5}, {c.x(), c.y() + 2}, {c.x() + 3.5, c.y() - 1.5}}));
  p.setFont(SkinFont(FontFace::Sans, 12));
  p.setPen(Qt::black);
  p.drawText(box.adjusted(5, 0, -20, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
  p.restore();
}

}  // namespace

QImage PreviewSheet(const Skin& skin) {
  // Drawn on a tall page and cut to what it holds.
  QImage sheet(kSheetWidth, 2400, QImage::Format_RGB32);
  sheet.fill(QColor(60, 66, 76));
  QPainter p;
  BeginPainter(p, sheet);
  p.setFont(SkinFont(FontFace::Sans, 11));
  int y = 12;
  const auto caption = [&](const QString& text) {
    p.setPen(QColor(220, 226, 234));
    p.drawText(QPointF(12, y + 11), text);
    y += 18;
  };
  caption("Buttons: normal, hover, active (on their matte); ids below");
  int x = 12, rowHeight = 0;
  for (const ButtonSet& set : kButtonSets) {
    const uint32_t ids[] = {set.normal, set.hover, set.active};
    const int needed = 3 * (set.width + 8) + 16;
    if (x + needed > kSheetWidth) { x = 12; y += rowHeight + 22; rowHeight = 0; }
    p.fillRect(QRect(x - 4, y - 4, needed - 8, set.height + 8), ButtonMatte(set.name));
    for (int i = 0; i < 3; ++i) {
      if (!ids[i]) continue;
      p.drawImage(x + i * (set.width + 8), y, Cut(skin.bitmaps.at(ids[i])));
      p.setPen(QColor(200, 206, 214));
      p.setFont(SkinFont(FontFace::Sans, 9));
      p.drawText(QPointF(x + i * (set.width + 8), y + set.height + 14), QString::number(ids[i]));
    }
    x += needed;
    rowHeight = std::max(rowHeight, set.height);
  }
  y += rowHeight + 30;
  p.setFont(SkinFont(FontFace::Sans, 11));
  caption("Album strips 428 and 427 (x3, on the key) and thumbnail frames 479, 269 (x2)");
  p.save();
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  const QImage s428 = skin.bitmaps.at(kMaxAlbums.bitmap), s427 = skin.bitmaps.at(kCompactAlbums.bitmap);
  p.drawImage(QRect(12, y, s428.width() * 3, s428.height() * 3), s428);
  p.drawImage(QRect(12, y + 126, s427.width() * 3, s427.height() * 3), s427);
  const QImage f479 = skin.bitmaps.at(kMaxThumbnailFrame.bitmap), f269 = skin.bitmaps.at(kCompactThumbnailFrame.bitmap);
  p.drawImage(QRect(920, y, f479.width() * 1, f479.height() * 1), f479);
  p.drawImage(QRect(920, y + 96, f269.width() * 2, f269.height() * 2), f269);
  p.restore();
  y += 200;
  caption("Album list backgrounds (tiled) with items; full-screen pieces");
  Tile(p, skin.compactAlbumBase, QRect(12, y, 200, 60));
  DrawAlbumItems(p, s427, 25, 20, QRect(12, y, 200, 60), 46, kCompactBand, true, 0, 1, {"Holidays2", "Family"});
  Tile(p, skin.maxAlbumBase, QRect(230, y, 420, 80));
  DrawAlbumItems(p, s428, 42, 40, QRect(230, y, 420, 80), 84, kMaxBand, false, 1, 5, {"Album", "Summer", "Garden 2023", "Cats"});
  x = 670;
  int py = y;
  for (const Piece& piece : kMaxPieces) {
    const QImage& image = skin.bitmaps.at(piece.bitmap);
    if (x + image.width() > kSheetWidth - 8) { x = 670; py += 80; }
    p.drawImage(x, py, image);
    x += image.width() + 6;
  }
  y = std::max(y + 100, py + 120);
  caption("The editor's own pieces (the others it lays are the full-screen layout's)");
  x = 12;
  int editorRow = 0;
  for (const Piece& piece : kEditorPieces) {
    if (std::find_if(kMaxPieces.begin(), kMaxPieces.end(), [&](const Piece& m) { return m.bitmap == piece.bitmap; }) !=
        kMaxPieces.end()) {
      continue;
    }
    p.drawImage(x, y, skin.bitmaps.at(piece.bitmap));
    p.setPen(QColor(200, 206, 214));
    p.setFont(SkinFont(FontFace::Sans, 9));
    p.drawText(QPointF(x, y + piece.height + 14), QString::number(piece.bitmap));
    x += piece.width + 12;
    editorRow = std::max(editorRow, piece.height);
  }
  y += editorRow + 30;
  p.setFont(SkinFont(FontFace::Sans, 11));
  caption("Splash 530, audio-only 436, icon 128 (48, 32, 16), cursor 532");
  p.drawImage(12, y, skin.bitmaps.at(530));
  p.drawImage(430, y, skin.audioPicture);
  int ix = 770;
  for (const IconImage& icon : skin.icon) {
    p.drawImage(ix, y, icon.picture);
    ix += icon.picture.width() + 12;
  }
  p.fillRect(QRect(770, y + 70, 60, 40), QColor(240, 240, 240));
  p.drawImage(780, y + 74, skin.cursor.front().picture);
  p.fillRect(QRect(840, y + 70, 60, 40), kNavy);
  p.drawImage(850, y + 74, skin.cursor.front().picture);
  p.end();
  return sheet.copy(0, 0, kSheetWidth, y + skin.bitmaps.at(530).height() + 12);
}

QImage CompactMock(const Skin& skin) {
  QImage mock(kCompactWidth + 40, kCompactHeight + 40, QImage::Format_RGB32);
  mock.fill(kDesktop);
  // The background as the window gets it: through its JPEG file.
  const std::vector<uint8_t> jpeg = JpegBytes(skin.compactBackground);
  QImage panel = QImage::fromData(jpeg.data(), static_cast<int>(jpeg.size()), "JPG").convertToFormat(QImage::Format_ARGB32);
  // The window outline: 3-pixel corners.
  for (int y = 0; y < 3; ++y) {
    const int cut = y == 0 ? 3 : 1;
    for (int x = 0; x < cut; ++x) {
      for (int yy : {y, kCompactHeight - 1 - y}) {
        panel.setPixel(x, yy, 0);
        panel.setPixel(kCompactWidth - 1 - x, yy, 0);
      }
    }
  }
  QPainter p;
  BeginPainter(p, panel);
  const QRect items(13, 40, 94, 116);
  p.fillRect(items, kHaze);
  DrawItems(p, skin.bitmaps.at(kCompactThumbnailFrame.bitmap), items, 58, 58, false, 0,
            {"Beach", "Sunset", "Meadow", "Hike"});
  const QRect albums(13, 163, 94, 55);
  Tile(p, skin.compactAlbumBase, albums);
  DrawAlbumItems(p, skin.bitmaps.at(kCompactAlbums.bitmap), 25, 20, albums, 46, kCompactBand, true, 0, 1,
                 {"Holidays2", "Family"});
  for (const ButtonPlace& place : kCompactButtons) {
    DrawButtonAt(p, skin, place, kCompactWidth, kCompactHeight, place.control == 1127 ? 2 : (place.control == 1128 ? 1 : 0));
  }
  p.end();
  QPainter m(&mock);
  m.drawImage(20, 20, panel);
  m.end();
  return mock;
}

QImage MaxMock(const Skin& skin, int w, int h) {
  QImage mock(w, h, QImage::Format_RGB32);
  mock.fill(Qt::black);
  QPainter p;
  BeginPainter(p, mock);
  PaintPieces(p, skin, kMaxPieces, w, h);
  const QRect items(145, 75, w - 175, h - 185);
  p.fillRect(items, kMist);
  std::vector<QString> names = {"Beach day", "Sunset", "Meadow", "Portrait", "Lake", "Evening", "Flowers", "Tall",
                                "Shore", "Dusk", "Hills", "Window", "Morning", "Sea"};
  DrawItems(p, skin.bitmaps.at(kMaxThumbnailFrame.bitmap), items.adjusted(8, 6, -8, 0), 123, 116, true, 1, names);
  DrawListFrame(p, 144, 74, w - 29, h - 109);
  const QRect albums(118, h - 84, w - 238, 80);
  Tile(p, skin.maxAlbumBase, albums);
  DrawAlbumItems(p, skin.bitmaps.at(kMaxAlbums.bitmap), 42, 40, albums, 84, kMaxBand, false, 1, 5,
                 {"Album", "Summer 2023", "Garden", "Family", "Trips", "Cats"});
  for (const ButtonPlace& place : kMaxButtons) {
    int look = 0;
    if (place.control == 1016 || place.control == 1023) look = 1;
    if (place.control == 1011) look = 2;
    DrawButtonAt(p, skin, place, w, h, look);
  }
  p.end();
  return mock;
}

QImage EditorMock(const Skin& skin, int w, int h, int panelIndex) {
  const auto panel = static_cast<editor::Panel>(panelIndex);
  QImage mock(w, h, QImage::Format_RGB32);
  mock.fill(Qt::black);
  QPainter p;
  BeginPainter(p, mock);
  PaintPieces(p, skin, kMaxPieces, w, h);
  PaintPieces(p, skin, kEditorPieces, w, h);

  // The view: a picture on the default black background, at 100% on the larger
  // windows and at 50% on the smallest, scrolled to its middle when larger.
  const QRect view(kEditorView.left.At(w), kEditorView.top.At(h), kEditorView.right.At(w) - kEditorView.left.At(w),
                   kEditorView.bottom.At(h) - kEditorView.top.At(h));
  p.fillRect(view, Qt::black);
  const bool small = w < 1000;
  const QImage photo = SamplePicture(0);
  const QSize shown = small ? photo.size() / 2 : photo.size();
  QRect picture(QPoint(0, 0), shown);
  picture.moveCenter(view.center());
  p.save();
  p.setClipRect(view);
  p.drawImage(picture, photo);
  // Region select on in the larger mock-up: the selection in the tracker's style.
  const bool region = !small;
  if (region) {
    const QRect selection(view.left() + view.width() / 4, view.top() + view.height() / 4, view.width() / 2,
                          view.height() / 2);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(selection);
  }
  p.restore();
  DrawListFrame(p, kEditorFrame.left.At(w), kEditorFrame.top.At(h), kEditorFrame.right.At(w),
                kEditorFrame.bottom.At(h));

  // The mark and the window buttons stay; the album view's other buttons are hidden.
  for (const ButtonPlace& place : kMaxButtons) {
    if (place.set == "mark" || place.set == "Help" || place.set == "Minimize" || place.set == "Maximize" ||
        place.set == "Close") {
      DrawButtonAt(p, skin, place, w, h, 0);
    }
  }
  // Buttons: the shared ones, and the current panel's; its tab pressed.
  const uint32_t currentTab = editor::kPanelTabs[panelIndex];
  for (const ButtonPlace& place : kEditorButtons) {
    const std::optional<editor::Panel> owner = PanelOfButton(place.control);
    if (owner && *owner != panel) continue;
    int look = 0;
    if (place.control == currentTab || (region && place.control == editor::kRegionSelect)) look = 2;
    if (place.control == editor::kSave) look = 1;
    DrawButtonAt(p, skin, place, w, h, look);
  }

  // The panel's other controls: the level rows (name, bars) and the blend list.
  p.setFont(SkinFont(FontFace::Sans, 11));
  const int colorLevels[] = {40, -20, 100, 0, -50};
  const int filterLevels[] = {2, 0, 1, 0, 0, 3, 1};
  for (const editor::LevelRow& row : editor::kLevelRows) {
    if (row.panel != panel) continue;
    const int top = EditorRow(row.panel == editor::Panel::Color ? kEditorColorRowsTop : kEditorFilterRowsTop, row.row);
    p.setPen(kTextDark);
    p.drawText(QRectF(editor::kRowLabelLeft, top - kEditorRowLabel, 140, kEditorRowLabel),
               Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(RowName(row.level)));
    const int barTop = top + editor::kBarTopInRow;
    if (row.negativeBar != 0) {
      const int maximum = row.level == Level::Brightness || row.level == Level::Contrast ? 100 : 250;
      const int level = colorLevels[row.row] * maximum / 100;
      DrawLevelBar(p, QRect(editor::kNegativeBarLeft, barTop, editor::kPairBarWidth, editor::kBarHeight),
                   level < 0 ? maximum + level : maximum, maximum, true);
      DrawLevelBar(p, QRect(editor::kPositiveBarLeft, barTop, editor::kPairBarWidth, editor::kBarHeight),
                   std::max(level, 0), maximum, false);
    } else {
      DrawLevelBar(p, QRect(editor::kSingleBarLeft, barTop, editor::kSingleBarWidth, editor::kBarHeight),
                   filterLevels[row.row], 4, false);
    }
  }
  if (panel == editor::Panel::Distortion) {
    const editor::Box& box = editor::kBlendListBox;
    p.setPen(kTextDark);
    p.drawText(QRectF(box.left.At(w), editor::kBlendLabelTop, box.width, box.top.At(h) - editor::kBlendLabelTop),
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Blend method"));
    DrawListBox(p, QRect(box.left.At(w), box.top.At(h), box.width, box.height), QStringLiteral("Screen"));
  }
  const editor::Box& zoom = editor::kZoomListBox;
  DrawListBox(p, QRect(zoom.left.At(w), zoom.top.At(h), zoom.width, zoom.height),
              small ? QStringLiteral("50%") : QStringLiteral("100%"));
  // The effect progress bar, shown while the effects are recomputed.
  if (small) {
    const editor::Box& bar = editor::kProgressBox;
    DrawLevelBar(p, QRect(bar.left.At(w), bar.top.At(h), bar.width, bar.height), 60, 100, false);
  }
  p.end();
  return mock;
}

}  // namespace lumora::skin
