// ItemListView: the item list of the main window (control 1039), the
// album's pictures and videos as thumbnails with their names. Its model
// holds each entry's item record and thumbnail; the list draws every entry
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

#include <functional>
#include <vector>

#include "albums/AlbumItem.h"
#include "app/EntryListView.h"
#include "app/MainLayout.h"

namespace lumora {

class ToolTipControl;

// One item of the list: its record and its thumbnail.
class ItemEntry {
 public:
  ItemEntry(AlbumItem item, QPixmap thumbnail) : item_(std::move(item)), thumbnail_(std::move(thumbnail)) {}
  const AlbumItem& Item() const { return item_; }
  const std::string& Text() const { return item_.name; }
  AlbumItem& Item() { return item_; }
  const QPixmap& Thumbnail() const { return thumbnail_; }

 private:
  AlbumItem item_;
  QPixmap thumbnail_;
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

  explicit ItemListView(QWidget* parent);

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
};

}  // namespace lumora
