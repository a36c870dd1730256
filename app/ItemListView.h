// ItemListView: the item list of the main window (control 1039), the
// album's pictures and videos as thumbnails with their names. Its model
// holds each entry's item record; the thumbnails live in a bounded store
// beside it, so an album of ten thousand items keeps the pictures of the
// rows drawn lately, and a thumbnail that left the store is made again when
// its row is drawn (from the desktop's thumbnail cache, which makes that
// cheap). The list draws every entry
// itself: the thumbnail (its frame's black clear), the name cut to fit the
// layout, and a 2-pixel frame in RGB(4, 157, 255) inside a selected cell.
// Its label editor and its drags end in callbacks: the list neither renames
// nor moves anything itself.
// In the full layout the list's tooltip shows, over a name, the file name
// with its extension after 300 ms; elsewhere the tip is empty.
#pragma once

#include <QBasicTimer>
#include <QImage>
#include <QPixmap>

#include <cstdint>
#include <functional>
#include <list>
#include <unordered_map>
#include <vector>

#include "albums/AlbumItem.h"
#include "app/EntryListView.h"
#include "app/MainLayout.h"

namespace lumora {

class ToolTipControl;

// One item of the list: its record, and the key of its thumbnail in the
// list's store. A new entry (an item made again) gets a new key; a copy of
// an entry (a renamed record) keeps the picture.
class ItemEntry {
 public:
  explicit ItemEntry(AlbumItem item) : item_(std::move(item)), key_(++lastKey_) {}
  const AlbumItem& Item() const { return item_; }
  const std::string& Text() const { return item_.name; }
  AlbumItem& Item() { return item_; }
  uint64_t Key() const { return key_; }

 private:
  static inline uint64_t lastKey_ = 0;  // entries are made on the user-interface thread only
  AlbumItem item_;
  uint64_t key_;
};

class ItemListView final : public EntryListView<ItemEntry> {
 public:
  static constexpr QRgb kSelectionColour = 0x049DFF;  // RGB(4, 157, 255)
  static constexpr int kSelectionPen = 2;
  // Names are cut to 6 bytes and "..." when they draw 46 pixels wide or more
  // in the compact layout, to 10 bytes and "..." when wider than 100 pixels
  // in the full one.
  static constexpr int kCutWidthOriginal = 46;
  static constexpr size_t kKeptBytesOriginal = 6;
  static constexpr int kCutWidthMax = 100;
  static constexpr size_t kKeptBytesMax = 10;
  // The label runs from 7 to 20 pixels below the thumbnail.
  static constexpr int kLabelTop = 7;
  static constexpr int kLabelBottom = 20;
  // The name's tooltip waits this long; an empty tip follows at once.
  static constexpr int kTipDelayMs = 300;
  static constexpr int kNoTipDelayMs = 10;

  // Thumbnails the store keeps: many screens of the full layout's cells.
  static constexpr size_t kKeptThumbnails = 1024;

  explicit ItemListView(QWidget* parent);

  // Entries with their thumbnails (the entry alone: its thumbnail is made
  // when its row is first drawn).
  using EntryListView::Append;
  using EntryListView::Replace;
  void Append(ItemEntry entry, QPixmap thumbnail);
  void AppendAll(std::vector<std::pair<ItemEntry, QPixmap>> entries);
  void Replace(int row, ItemEntry entry, QPixmap thumbnail);
  // Empties the list and the thumbnail store.
  void Clear();
  // The thumbnail of `row`: from the store, or made again (and kept) by the
  // maker; null for no row.
  QPixmap Thumbnail(int row) const;
  // How a thumbnail that is not in the store is made.
  void SetThumbnailMaker(std::function<QPixmap(const AlbumItem&)> maker) { maker_ = std::move(maker); }
  // The cells the viewport shows at once (at least 1).
  int CellsOnScreen() const;
  // Thumbnails in the store now.
  size_t KeptThumbnails() const { return kept_.size(); }

  // The layout (it decides the label cut) and the thumbnail cell.
  void SetCell(layout::WindowMode mode, QSize cell);
  layout::WindowMode Mode() const { return mode_; }

  // The tooltip control that shows the names.
  void SetTips(ToolTipControl* tips) { tips_ = tips; }

  // Where each entry's thumbnail and label are drawn, in viewport coordinates.
  QRect ThumbnailRect(int row) const;
  QRect LabelRect(int row) const;
  // The name as drawn: whole, or cut by the layout's rule.
  QString LabelText(const QString& name) const;

  // A click on an entry (the row) or beside every entry (-1), a double
  // click, and the Delete key.
  void OnClicked(std::function<void(int row)> handler) { clicked_ = std::move(handler); }
  void OnDoubleClicked(std::function<void(int row)> handler) { doubleClicked_ = std::move(handler); }
  void OnDeleteKey(std::function<void()> handler) { deleteKey_ = std::move(handler); }
  // The context menu asked for at a global point.
  void OnContextMenu(std::function<void(const QPoint& global)> handler) { contextMenu_ = std::move(handler); }

  // Opens the label editor on `row`, with the item's name (its title).
  void OpenLabelEditor(int row);
  // The end of a label edit (not called when the user escapes it): the row
  // and the typed text. The list never applies the text itself.
  void OnLabelEdited(std::function<void(int row, const QString& text)> handler) { labelEdited_ = std::move(handler); }
  void LabelEdited(int row, const QString& text);
  // A drag of the selection begins.
  void OnBeginDrag(std::function<void()> handler) { beginDrag_ = std::move(handler); }

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void startDrag(Qt::DropActions supportedActions) override;

 private:
  void ShowTip(const QString& text, int delayMs);
  void Keep(uint64_t key, QPixmap thumbnail) const;

  layout::WindowMode mode_ = layout::WindowMode::Original;
  QSize cell_;
  ToolTipControl* tips_ = nullptr;
  QBasicTimer tipTimer_;
  QString pendingTip_;
  std::function<void(int)> clicked_;
  std::function<void(int)> doubleClicked_;
  std::function<void()> deleteKey_;
  std::function<void(const QPoint&)> contextMenu_;
  std::function<void(int, const QString&)> labelEdited_;
  std::function<void()> beginDrag_;
  std::function<QPixmap(const AlbumItem&)> maker_;
  // The store, most recently drawn first; the index finds a key's place.
  mutable std::list<std::pair<uint64_t, QPixmap>> kept_;
  mutable std::unordered_map<uint64_t, std::list<std::pair<uint64_t, QPixmap>>::iterator> keptAt_;
};

}  // namespace lumora
