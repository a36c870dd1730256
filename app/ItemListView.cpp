// The item list: entries, cell geometry, drawing of thumbnails, labels and
// the selection frame, the name tooltip, clicks and the Delete key.
#include "app/ItemListView.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTimerEvent>
#include <QToolTip>

#include <filesystem>

#include "albums/AlbumStore.h"
#include "app/ToolTipControl.h"

namespace lumora {

namespace {

// The grid cell around a thumbnail: room for the frame and the label.
constexpr int kCellExtraWidth = 6;
constexpr int kCellExtraHeight = 24;
constexpr QPoint kThumbnailOffset{3, 2};

class ItemDelegate final : public QStyledItemDelegate {
 public:
  explicit ItemDelegate(ItemListView& view) : QStyledItemDelegate(&view), view_(view) {}

  QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return view_.gridSize(); }

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const ItemEntry* entry = view_.Entry(index.row());
    if (!entry) return;
    painter->save();
    const QString name = QString::fromStdString(entry->Item().name);
    if (!name.isEmpty()) painter->drawPixmap(view_.ThumbnailRect(index.row()).topLeft(), view_.Thumbnail(index.row()));
    painter->setPen(Qt::black);
    painter->drawText(view_.LabelRect(index.row()), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                      view_.LabelText(name));
    if (option.state & QStyle::State_Selected) {
      // Along the inside of the cell, right and bottom edges 2 pixels in.
      const QRect cell = option.rect;
      const int left = cell.left() + 1, top = cell.top() + 1;
      const int right = cell.right() - 1, bottom = cell.bottom() - 1;
      painter->setPen(QPen(QColor(ItemListView::kSelectionColour), ItemListView::kSelectionPen, Qt::SolidLine,
                           Qt::SquareCap, Qt::MiterJoin));
      painter->drawPolyline(QPolygon({QPoint(left, top), QPoint(right, top), QPoint(right, bottom),
                                      QPoint(left, bottom), QPoint(left, top - 1)}));
    }
    painter->restore();
  }

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
    auto* editor = new QLineEdit(parent);
    editor->setFrame(true);
    return editor;
  }

  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    const ItemEntry* entry = view_.Entry(index.row());
    auto* line = static_cast<QLineEdit*>(editor);
    line->setText(entry ? QString::fromStdString(entry->Item().name) : QString());
    line->selectAll();
  }

  void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem&, const QModelIndex& index) const override {
    const QRect label = view_.LabelRect(index.row());
    editor->setGeometry(label.left(), label.top(), label.width(), editor->sizeHint().height());
  }

  // The typed text goes to the list's handler, which decides what it means.
  void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
    view_.LabelEdited(index.row(), static_cast<QLineEdit*>(editor)->text());
  }

 private:
  ItemListView& view_;
};

}  // namespace

ItemListView::ItemListView(QWidget* parent)
    : EntryListView(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsDragEnabled, parent) {
  setViewMode(QListView::IconMode);
  setMovement(QListView::Static);
  setResizeMode(QListView::Adjust);
  setFrameShape(QFrame::NoFrame);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::DragOnly);
  setAutoFillBackground(true);
  setMouseTracking(true);
  // Every cell has the grid's size, so a long list is laid out without
  // asking each entry, and in batches while it fills.
  setUniformItemSizes(true);
  setLayoutMode(QListView::Batched);
  setItemDelegate(new ItemDelegate(*this));
}

void ItemListView::Append(ItemEntry entry, QPixmap thumbnail) {
  Keep(entry.Key(), std::move(thumbnail));
  EntryListView::Append(std::move(entry));
}

void ItemListView::AppendAll(std::vector<std::pair<ItemEntry, QPixmap>> entries) {
  std::vector<ItemEntry> records;
  records.reserve(entries.size());
  for (auto& [entry, thumbnail] : entries) {
    Keep(entry.Key(), std::move(thumbnail));
    records.push_back(std::move(entry));
  }
  EntryListView::AppendAll(std::move(records));
}

int ItemListView::CellsOnScreen() const {
  const QSize grid = gridSize(), view = viewport()->size();
  if (grid.width() <= 0 || grid.height() <= 0) return 1;
  return std::max(1, view.width() / grid.width()) * std::max(1, (view.height() + grid.height() - 1) / grid.height());
}

void ItemListView::Replace(int row, ItemEntry entry, QPixmap thumbnail) {
  if (!Entry(row)) return;
  Keep(entry.Key(), std::move(thumbnail));
  EntryListView::Replace(row, std::move(entry));
}

void ItemListView::Clear() {
  EntryListView::Clear();
  kept_.clear();
  keptAt_.clear();
}

QPixmap ItemListView::Thumbnail(int row) const {
  const ItemEntry* entry = Entry(row);
  if (!entry) return {};
  if (const auto at = keptAt_.find(entry->Key()); at != keptAt_.end()) {
    kept_.splice(kept_.begin(), kept_, at->second);
    return at->second->second;
  }
  // Kept even when null, so a file that makes no picture any more is not
  // tried again at every repaint.
  QPixmap made = maker_ ? maker_(entry->Item()) : QPixmap();
  Keep(entry->Key(), made);
  return made;
}

void ItemListView::Keep(uint64_t key, QPixmap thumbnail) const {
  if (const auto at = keptAt_.find(key); at != keptAt_.end()) {
    kept_.erase(at->second);
    keptAt_.erase(at);
  }
  kept_.emplace_front(key, std::move(thumbnail));
  keptAt_[key] = kept_.begin();
  while (kept_.size() > kKeptThumbnails) {
    keptAt_.erase(kept_.back().first);
    kept_.pop_back();
  }
}

void ItemListView::SetCell(layout::WindowMode mode, QSize cell) {
  mode_ = mode;
  cell_ = cell;
  setIconSize(cell);
  setGridSize(cell + QSize(kCellExtraWidth, kCellExtraHeight));
  doItemsLayout();
}

QRect ItemListView::ThumbnailRect(int row) const {
  return QRect(RowRect(row).topLeft() + kThumbnailOffset, cell_);
}

QRect ItemListView::LabelRect(int row) const {
  const QRect thumbnail = ThumbnailRect(row);
  return QRect(QPoint(thumbnail.left(), thumbnail.bottom() + 1 + kLabelTop),
               QPoint(thumbnail.right(), thumbnail.bottom() + kLabelBottom));
}

QString ItemListView::LabelText(const QString& name) const {
  const int width = fontMetrics().horizontalAdvance(name);
  const bool max = mode_ == layout::WindowMode::Max;
  const bool tooWide = max ? width > kCutWidthMax : width >= kCutWidthOriginal;
  if (!tooWide) return name;
  return QString::fromStdString(ShortenLabel(name.toStdString(), max ? kKeptBytesMax : kKeptBytesOriginal));
}

void ItemListView::OpenLabelEditor(int row) {
  if (!Entry(row)) return;
  setFocus();
  ScrollToRow(row);
  edit(model()->index(row, 0));
}

void ItemListView::LabelEdited(int row, const QString& text) {
  if (labelEdited_) labelEdited_(row, text);
}

void ItemListView::startDrag(Qt::DropActions) {
  if (beginDrag_) beginDrag_();
}

void ItemListView::mouseReleaseEvent(QMouseEvent* event) {
  EntryListView::mouseReleaseEvent(event);
  if (event->button() != Qt::LeftButton || !clicked_) return;
  const QModelIndex at = indexAt(event->position().toPoint());
  clicked_(at.isValid() ? at.row() : -1);
}

void ItemListView::mouseDoubleClickEvent(QMouseEvent* event) {
  EntryListView::mouseDoubleClickEvent(event);
  if (event->button() != Qt::LeftButton || !doubleClicked_) return;
  const QModelIndex at = indexAt(event->position().toPoint());
  doubleClicked_(at.isValid() ? at.row() : -1);
}

void ItemListView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete && deleteKey_) {
    deleteKey_();
    return;
  }
  EntryListView::keyPressEvent(event);
}

void ItemListView::contextMenuEvent(QContextMenuEvent* event) {
  if (contextMenu_) contextMenu_(event->globalPos());
}

void ItemListView::mouseMoveEvent(QMouseEvent* event) {
  EntryListView::mouseMoveEvent(event);
  // Names show as tips in the full layout only.
  const QPoint at = event->position().toPoint();
  const QModelIndex index = indexAt(at);
  if (mode_ == layout::WindowMode::Max && index.isValid() && LabelRect(index.row()).contains(at)) {
    const ItemEntry* entry = Entry(index.row());
    ShowTip(QString::fromStdString(std::filesystem::path(entry->Item().path).filename().string()), kTipDelayMs);
    return;
  }
  ShowTip(QString(), kNoTipDelayMs);
}

void ItemListView::ShowTip(const QString& text, int delayMs) {
  if (tips_) {
    if (tips_->TipText(viewport()) == text && tipTimer_.isActive()) return;
    tips_->UpdateTipText(viewport(), text);
  }
  pendingTip_ = text;
  tipTimer_.start(delayMs, this);
}

void ItemListView::timerEvent(QTimerEvent* event) {
  if (event->timerId() != tipTimer_.timerId()) {
    EntryListView::timerEvent(event);
    return;
  }
  tipTimer_.stop();
  if (pendingTip_.isEmpty())
    QToolTip::hideText();
  else
    QToolTip::showText(QCursor::pos(), pendingTip_, viewport());
}

}  // namespace lumora
