// The album list: entries, geometry of the icon box and the label, drawing,
// the label editor and the pointer's clicks and hovering.
#include "app/AlbumListView.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>

#include "albums/AlbumStore.h"

namespace lumora {

namespace {

// One layout's entry geometry: the grid cell, the icon box centred at its
// top (the picture sits 3 pixels in from the box's left), and the label
// below the box across the cell but for a gap to the neighbours.
struct EntryGeometry {
  QSize cell;
  QSize iconBox;
  int labelHeight;
  int shiftDown;    // both rectangles move down this much before drawing
  int iconTop;      // the picture's offset from the icon box's top
};
constexpr int kIconLeft = 3;
constexpr int kLabelGap = 3;
constexpr EntryGeometry kOriginalGeometry{{46, 44}, {31, 26}, 15, 2, 5};
constexpr EntryGeometry kMaxGeometry{{76, 62}, {48, 44}, 15, 0, 2};
// The band runs from one pixel above the label's top down to, not
// including, 14 pixels below it: 15 rows.
constexpr int kBandAbove = 1;
constexpr int kBandBelow = 14;
// The text is drawn in the label rectangle moved this far to the left, but
// never past the list's left edge, where the first column's name would lose
// its first letter.
constexpr int kTextShiftLeft = 5;

const EntryGeometry& GeometryOf(layout::WindowMode mode) {
  return mode == layout::WindowMode::Max ? kMaxGeometry : kOriginalGeometry;
}

QString Utf8(const std::string& text) { return QString::fromStdString(text); }

class AlbumDelegate final : public QStyledItemDelegate {
 public:
  explicit AlbumDelegate(AlbumListView& view) : QStyledItemDelegate(&view), view_(view) {}

  QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
    return GeometryOf(view_.Look().mode).cell;
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const AlbumEntry* entry = view_.Entry(index.row());
    if (!entry) return;
    const bool max = view_.Look().mode == layout::WindowMode::Max;
    const QRect icon = view_.IconRect(index.row());
    const QRect label = view_.LabelRect(index.row());
    painter->save();
    const QRect band(QPoint(label.left(), label.top() - kBandAbove),
                     QPoint(label.right(), label.top() + kBandBelow - 1));
    painter->fillRect(band, QColor(max ? AlbumListView::kBandMax : AlbumListView::kBandOriginal));

    QFont font = painter->font();
    font.setPixelSize(AlbumListView::kLabelFontHeight);
    font.setWeight(QFont::Normal);
    painter->setFont(font);
    painter->setPen(Qt::black);
    // A cut name still wider than its band is shortened further on screen,
    // so names never run into their neighbours.
    const QRect textRect = label.translated(-std::min(kTextShiftLeft, std::max(label.left(), 0)), 0);
    const QString text = painter->fontMetrics().elidedText(Utf8(AlbumLabelText(entry->Album().name)),
                                                           Qt::ElideRight, label.width());
    painter->drawText(textRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, text);

    const std::vector<QImage>& frames = view_.Look().frames;
    const int frame = entry->Image();
    // The selected album shows its picture; so does the album under the
    // pointer in the full layout, which hovering half opens.
    const bool shown = (option.state & QStyle::State_Selected) || index.row() == view_.HoverRow();
    if (shown && frame >= 0 && size_t(frame) < frames.size()) {
      const EntryGeometry& geometry = GeometryOf(view_.Look().mode);
      painter->drawImage(icon.topLeft() + QPoint(kIconLeft, geometry.iconTop), frames[size_t(frame)]);
    }
    painter->restore();
  }

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
    auto* editor = new QLineEdit(parent);
    editor->setFrame(true);
    return editor;
  }

  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    const AlbumEntry* entry = view_.Entry(index.row());
    auto* line = static_cast<QLineEdit*>(editor);
    line->setText(entry ? Utf8(entry->Album().name) : QString());
    line->selectAll();
  }

  void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem&, const QModelIndex& index) const override {
    const QRect label = view_.LabelRect(index.row());
    const int height = editor->sizeHint().height();
    editor->setGeometry(label.left(), label.top() + label.height() - height, label.width(), height);
  }

  // The typed text goes to the list's handler; the model keeps the old text,
  // the handler decides what the edit means.
  void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
    view_.LabelEdited(index.row(), static_cast<QLineEdit*>(editor)->text());
  }

 private:
  AlbumListView& view_;
};

}  // namespace

AlbumListView::AlbumListView(QWidget* parent)
    : EntryListView(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable, parent) {
  setViewMode(QListView::IconMode);
  setFlow(QListView::LeftToRight);
  setWrapping(true);
  setMovement(QListView::Static);
  setResizeMode(QListView::Adjust);
  setFrameShape(QFrame::NoFrame);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setAutoFillBackground(true);
  setMouseTracking(true);
  setItemDelegate(new AlbumDelegate(*this));
  SetLook(look_);
}

void AlbumListView::SetLook(AlbumListLook look) {
  look_ = std::move(look);
  QPalette colours = palette();
  if (look_.background.isNull())
    colours.setColor(QPalette::Base, look_.plainBackground);
  else
    colours.setBrush(QPalette::Base, QBrush(look_.background));
  setPalette(colours);
  const EntryGeometry& geometry = GeometryOf(look_.mode);
  setIconSize(look_.frames.empty() ? geometry.iconBox : look_.frames.front().size());
  setGridSize(geometry.cell);
  SetHoverRow(-1);
  doItemsLayout();
}

std::vector<AlbumItem> AlbumListView::Albums() const {
  std::vector<AlbumItem> albums;
  albums.reserve(size_t(Count()));
  for (int row = 0; row < Count(); ++row) albums.push_back(Entry(row)->Album());
  return albums;
}

void AlbumListView::SetAlbums(const std::vector<AlbumItem>& albums) {
  Clear();
  for (const AlbumItem& album : albums) Append(AlbumEntry(album));
}

void AlbumListView::SortAlbums() {
  SortEntries([](const AlbumEntry& a, const AlbumEntry& b) { return CompareAlbumNames(a.Album(), b.Album()) < 0; });
}

QRect AlbumListView::IconRect(int row) const {
  const EntryGeometry& geometry = GeometryOf(look_.mode);
  const QRect cell = RowRect(row);
  const int left = cell.left() + (geometry.cell.width() - geometry.iconBox.width()) / 2;
  return QRect(QPoint(left, cell.top() + geometry.shiftDown), geometry.iconBox);
}

QRect AlbumListView::LabelRect(int row) const {
  const EntryGeometry& geometry = GeometryOf(look_.mode);
  const QRect cell = RowRect(row);
  return QRect(cell.left() + kLabelGap, cell.top() + geometry.iconBox.height() + geometry.shiftDown,
               geometry.cell.width() - 2 * kLabelGap, geometry.labelHeight);
}

void AlbumListView::OpenLabelEditor(int row) {
  if (!Entry(row)) return;
  setFocus();
  ScrollToRow(row);
  edit(model()->index(row, 0));
}

void AlbumListView::LabelEdited(int row, const QString& text) {
  if (labelEdited_) labelEdited_(row, text);
}

void AlbumListView::mouseReleaseEvent(QMouseEvent* event) {
  EntryListView::mouseReleaseEvent(event);
  if (event->button() != Qt::LeftButton || !clicked_) return;
  const QModelIndex at = indexAt(event->position().toPoint());
  clicked_(at.isValid() ? at.row() : -1);
}

void AlbumListView::mouseMoveEvent(QMouseEvent* event) {
  EntryListView::mouseMoveEvent(event);
  if (look_.mode != layout::WindowMode::Max) return;
  const QModelIndex at = indexAt(event->position().toPoint());
  SetHoverRow(at.isValid() ? at.row() : -1);
}

void AlbumListView::leaveEvent(QEvent* event) {
  EntryListView::leaveEvent(event);
  SetHoverRow(-1);
}

void AlbumListView::keyPressEvent(QKeyEvent* event) {
  // The keys that would move the current entry scroll instead: a current
  // album that changed without its items would show one album's name over
  // another's items.
  QAbstractSlider::SliderAction action;
  switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left: action = QAbstractSlider::SliderSingleStepSub; break;
    case Qt::Key_Down:
    case Qt::Key_Right: action = QAbstractSlider::SliderSingleStepAdd; break;
    case Qt::Key_PageUp: action = QAbstractSlider::SliderPageStepSub; break;
    case Qt::Key_PageDown: action = QAbstractSlider::SliderPageStepAdd; break;
    case Qt::Key_Home: action = QAbstractSlider::SliderToMinimum; break;
    case Qt::Key_End: action = QAbstractSlider::SliderToMaximum; break;
    default: EntryListView::keyPressEvent(event); return;
  }
  verticalScrollBar()->triggerAction(action);
  event->accept();
}

void AlbumListView::updateGeometries() {
  EntryListView::updateGeometries();
  // The strip is laid out again after a layout switch, a resize and every
  // change of its entries; the current album stays in sight. (Qt scrolls to
  // a new current entry only while the list is visible, so a current album
  // restored at start before the window shows needs this too.)
  if (currentIndex().isValid()) scrollTo(currentIndex());
}

void AlbumListView::SetHoverRow(int row) {
  if (row == hoverRow_) return;
  hoverRow_ = row;
  if (hover_) hover_(row);
}

void AlbumListView::paintEvent(QPaintEvent* event) {
  EntryListView::paintEvent(event);
  // Scrolling never shows a vertical bar, however many rows there are.
  verticalScrollBar()->hide();
}

}  // namespace lumora
