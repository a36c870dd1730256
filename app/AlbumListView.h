// AlbumListView: the album list of the main window (control 1002), the strip
// of album folders. Each entry carries its album record and the frame of the
// album picture it shows (0 closed, 1 to 5 opening). The list draws every
// entry itself: a coloured label band, the name (cut when long) in black,
// and the album picture only for the selected entry, over the tiled
// background of the layout; it never shows a vertical scroll bar. The wheel
// and the arrow, page, Home and End keys scroll the strip without changing
// the current album (only a click, which loads it, does), and every layout
// or size change scrolls the current album into view. Label edits end in a
// callback that decides what the edit means; the list never applies the
// typed text itself.
#pragma once

#include <QImage>

#include <functional>
#include <vector>

#include "albums/AlbumItem.h"
#include "app/EntryListView.h"
#include "app/MainLayout.h"

namespace lumora {

// One album of the list: its record and the frame of its picture.
class AlbumEntry {
 public:
  explicit AlbumEntry(AlbumItem album) : album_(std::move(album)) {}
  const AlbumItem& Album() const { return album_; }
  const std::string& Text() const { return album_.name; }
  // Replaces the record (after a rename).
  void SetAlbum(AlbumItem album) { album_ = std::move(album); }
  // The frame of the album picture this entry shows.
  int Image() const { return image_; }
  void SetImage(int frame) { image_ = frame; }

 private:
  AlbumItem album_;
  int image_ = 0;
};

// How the list looks in one layout.
struct AlbumListLook {
  layout::WindowMode mode = layout::WindowMode::Original;
  // The album picture's frames, cut from the layout's strip, magenta clear.
  std::vector<QImage> frames;
  // Tiled behind the entries; null: the plain colour below.
  QImage background;
  QColor plainBackground;
};

class AlbumListView final : public EntryListView<AlbumEntry> {
 public:
  // Band colours behind the labels.
  static constexpr QRgb kBandOriginal = 0x75C0FC;  // RGB(117, 192, 252)
  static constexpr QRgb kBandMax = 0x7DA9C2;       // RGB(125, 169, 194)
  // The label font's pixel height.
  static constexpr int kLabelFontHeight = 13;

  explicit AlbumListView(QWidget* parent);

  void SetLook(AlbumListLook look);
  const AlbumListLook& Look() const { return look_; }

  // Every album record in list order.
  std::vector<AlbumItem> Albums() const;
  // Empties the list and fills it with `albums` in their order.
  void SetAlbums(const std::vector<AlbumItem>& albums);
  // Sorts the entries by name, byte-wise (the album order).
  void SortAlbums();

  // Where each entry's parts are drawn, in viewport coordinates.
  QRect IconRect(int row) const;
  QRect LabelRect(int row) const;

  // Opens the label editor on `row`.
  void OpenLabelEditor(int row);
  // The end of a label edit (not called when the user escapes it): the row
  // and the text as typed.
  void OnLabelEdited(std::function<void(int row, const QString& text)> handler) { labelEdited_ = std::move(handler); }
  // A click on an entry (the row) or beside every entry (-1).
  void OnClicked(std::function<void(int row)> handler) { clicked_ = std::move(handler); }
  // The pointer moved onto the entry `row` (-1: onto no entry); only in the
  // full layout.
  void OnHover(std::function<void(int row)> handler) { hover_ = std::move(handler); }
  // The entry under the pointer in the full layout, -1 for none.
  int HoverRow() const { return hoverRow_; }

  void LabelEdited(int row, const QString& text);

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void updateGeometries() override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void SetHoverRow(int row);

  AlbumListLook look_;
  std::function<void(int, const QString&)> labelEdited_;
  std::function<void(int)> clicked_;
  std::function<void(int)> hover_;
  int hoverRow_ = -1;
};

}  // namespace lumora
