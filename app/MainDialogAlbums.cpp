// MainDialog's albums: the album list at start, selecting an album with its
// open animation, the album commands (new, delete, rename with the label
// editor, information), and the item commands it hands to the ItemBrowser
// (sort, select all, refresh, the Delete key).
#include "app/MainDialog.h"

#include <QTimer>

#include "albums/AlbumStore.h"
#include "app/AlbumInfoDialog.h"
#include "app/AlbumListView.h"
#include "app/ItemBrowser.h"
#include "app/ItemListView.h"
#include "platform/Desktop.h"
#include "platform/Prompts.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "resources/ResourceIds.h"

namespace lumora {

namespace {

// Message texts of the album commands.
constexpr uint32_t kCannotCreate = 9;
constexpr uint32_t kCannotDelete = 10;
constexpr uint32_t kNoAlbumSelected = 19;
constexpr uint32_t kConfirmDelete = 21;

// The frames of the open animation: 0 closed; the full layout opens the
// album through 1 to 5, the compact one shows 1 at once.
constexpr int kClosedFrame = 0;
constexpr int kOpenFrameCompact = 1;
constexpr int kLastOpeningFrame = 4;
// The picture of the open album in the information dialog: frame 5 of the
// full layout's strip.
constexpr int kInfoPictureFrame = 5;

constexpr QRgb kMagenta = 0xFF00FF;

// The album picture's frames cut from a strip of cells, magenta clear.
std::vector<QImage> CutFrames(const QImage& strip, layout::Size cell) {
  std::vector<QImage> frames;
  if (strip.isNull() || cell.width <= 0) return frames;
  for (int x = 0; x + cell.width <= strip.width(); x += cell.width) {
    QImage frame = strip.copy(x, 0, cell.width, cell.height).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < frame.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(frame.scanLine(y));
      for (int i = 0; i < frame.width(); ++i) {
        if ((row[i] & RGB_MASK) == kMagenta) row[i] = qRgba(0, 0, 0, 0);
      }
    }
    frames.push_back(std::move(frame));
  }
  return frames;
}

bool IsSortKeyCommand(uint32_t id) { return id == kSortByName || id == kSortByDate || id == kSortByType; }

// The root without its trailing "/".
std::string WithoutTrailingSlash(std::string path) {
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

std::string MainDialog::AlbumsRootPath() const { return AlbumsRoot(services_.desktop.ProgramPath()); }

int MainDialog::ShowAlbumMessage(const std::string& text, uint32_t style) {
  return services_.prompts.ShowMessage(text, messages_.Caption(), style | box::kTopmost);
}

void MainDialog::ApplyAlbumLook() {
  const layout::ModeLook look = layout::LookOf(mode_);
  AlbumListLook albums;
  albums.mode = mode_;
  albums.frames = CutFrames(skin_.Bitmap(look.albumIcons.bitmap), look.albumIcons.cell);
  albums.background = skin_.AlbumBase(mode_);
  albums.plainBackground = QColor(look.itemListColour.red, look.itemListColour.green, look.itemListColour.blue);
  albumList_->SetLook(std::move(albums));
  hoverAlbum_ = -1;
}

void MainDialog::BuildAlbumList() {
  ApplyAlbumLook();
  startAlbumName_ = ReadStartAlbumName(services_.registry);
  const std::string root = AlbumsRootPath();
  const StartAlbums start = BuildStartAlbums(root, startAlbumName_);
  albumList_->SetAlbums(start.albums);
  currentAlbum_ = start.current;

  albumList_->setFocus();
  if (currentAlbum_ >= 0) {
    albumList_->setCurrentRow(currentAlbum_, QItemSelectionModel::ClearAndSelect);
    albumList_->scrollToItem(albumList_->item(currentAlbum_));
  }
  StartOpenAnimation();

  // The sort is read even without albums: it is written back at exit, so
  // not reading it would replace the user's choice with the defaults.
  const SortSettings sort = ReadSortSettings(services_.registry);
  sortId_ = sort.sortID;
  sortDirection_ = sort.sortFR;
  if (albumList_->count() == 0) {
    MakeCurrentDirectory(WithoutTrailingSlash(root));
    return;
  }
  MakeCurrentDirectory(albumList_->Entry(currentAlbum_)->Album().path);
  LoadAlbumItems();
}

bool MainDialog::LoadAlbumItems() {
  const AlbumEntry* entry = albumList_->Entry(currentAlbum_);
  if (!entry) return false;
  return items_->Load(entry->Album().path, sortId_, sortDirection_);
}

void MainDialog::OpenAlbum(int index) {
  if (AlbumEntry* old = albumList_->Entry(currentAlbum_)) old->SetImage(kClosedFrame);
  currentAlbum_ = index;
  StartOpenAnimation();
}

void MainDialog::StartOpenAnimation() { SetTimer(kAlbumAnimationTimer, kAlbumAnimationMs); }

void MainDialog::OnOpenAnimationTick() {
  AlbumEntry* entry = albumList_->Entry(currentAlbum_);
  if (!entry) {
    EndOpenAnimation();
    return;
  }
  if (mode_ == layout::WindowMode::Original) {
    entry->SetImage(kOpenFrameCompact);
    EndOpenAnimation();
  } else if (entry->Image() >= kClosedFrame && entry->Image() <= kLastOpeningFrame) {
    entry->SetImage(entry->Image() + 1);
  } else {
    EndOpenAnimation();
  }
  albumList_->viewport()->update();
}

void MainDialog::EndOpenAnimation() {
  KillTimer(kAlbumAnimationTimer);
  if (!animationHolds_) return;
  animationHolds_ = false;
  albumList_->releaseMouse();
  services_.desktop.SetWaitCursor(false);
}

void MainDialog::OnAlbumClicked(int row) {
  // A click that reaches the list while an album loads opens nothing: the
  // loaded album stays the current one and keeps its selection.
  if (items_->Loading()) {
    albumList_->setCurrentRow(currentAlbum_, QItemSelectionModel::ClearAndSelect);
    return;
  }
  // A click during an animation ends it, giving the mouse back.
  EndOpenAnimation();
  if (row < 0 || row == currentAlbum_ || albumList_->selectedItems().isEmpty()) return;
  animationHolds_ = true;
  albumList_->grabMouse();
  services_.desktop.SetWaitCursor(true);
  OpenAlbum(row);
  LoadAlbumItems();
}

void MainDialog::OnAlbumHover(int row) {
  if (AlbumEntry* left = albumList_->Entry(hoverAlbum_); left && hoverAlbum_ != currentAlbum_)
    left->SetImage(kClosedFrame);
  hoverAlbum_ = row;
  if (AlbumEntry* under = albumList_->Entry(row); under && row != currentAlbum_) under->SetImage(kOpenFrameCompact);
  albumList_->viewport()->update();
}

void MainDialog::OnNewAlbum(uint32_t) {
  const std::string root = AlbumsRootPath();
  const std::string name = NewAlbumName(root);
  const std::optional<AlbumItem> album = CreateAlbum(root, name);
  if (!album) {
    ShowAlbumMessage(messages_.Text(kCannotCreate) + " " + name, box::kOk);
    return;
  }
  albumList_->addItem(new AlbumEntry(*album));
  albumList_->doItemsLayout();

  EndOpenAnimation();
  items_->Clear();
  const int added = albumList_->count() - 1;
  OpenAlbum(added);
  albumList_->setCurrentRow(added, QItemSelectionModel::ClearAndSelect);
  albumList_->OpenLabelEditor(added);
}

void MainDialog::OnDeleteAlbum(uint32_t) {
  if (albumList_->selectedItems().isEmpty()) ShowAlbumMessage(messages_.Text(kNoAlbumSelected), box::kOk);
  AlbumEntry* entry = albumList_->Entry(currentAlbum_);
  if (!entry) return;
  if (albumList_->count() < int(kFewestAlbumsToDelete)) {
    ShowAlbumMessage(messages_.Text(kCannotDelete) + " " + entry->Album().name, box::kOk);
    return;
  }
  if (ShowAlbumMessage(messages_.Text(kConfirmDelete), box::kYesNo) != kAnswerYes) return;

  switch (DeleteAlbum(services_.shell, entry->Album())) {
    case AlbumDeleteResult::Aborted:
      return;
    case AlbumDeleteResult::Failed:
      // The folder is still there, so the album stays where the user sees it.
      ShowAlbumMessage(messages_.Text(kCannotDelete) + " " + entry->Album().name, box::kOk);
      return;
    case AlbumDeleteResult::Deleted:
      break;
  }
  EndOpenAnimation();
  items_->Clear();
  delete albumList_->takeItem(currentAlbum_);
  hoverAlbum_ = -1;
  currentAlbum_ = 0;
  albumList_->setFocus();
  albumList_->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
  albumList_->scrollToItem(albumList_->item(0));
  LoadAlbumItems();
  StartOpenAnimation();
}

void MainDialog::OnRenameAlbum(uint32_t) {
  if (!albumList_->Entry(currentAlbum_)) {
    ShowAlbumMessage(messages_.Text(kNoAlbumSelected), box::kOk);
    return;
  }
  albumList_->OpenLabelEditor(currentAlbum_);
}

void MainDialog::OpenAlbumLabelEditorLater(int row) {
  // The editor that just ended closes first; then it opens again.
  QTimer::singleShot(0, this, [this, row] { albumList_->OpenLabelEditor(row); });
}

void MainDialog::OnAlbumLabelEdited(int row, const QString& text) {
  AlbumEntry* entry = albumList_->Entry(row);
  if (!entry) return;
  const std::string newName = text.toStdString();
  if (newName.empty()) {
    OpenAlbumLabelEditorLater(currentAlbum_);
    return;
  }
  const AlbumRename rename = RenameAlbum(services_.shell, AlbumsRootPath(), entry->Album().name, newName);
  if (rename.step == AlbumRenameStep::EditAgain) {
    OpenAlbumLabelEditorLater(row);
    return;
  }
  if (rename.step == AlbumRenameStep::Missing) return;

  entry->SetAlbum(rename.entry);
  albumList_->SortAlbums();
  currentAlbum_ = FindAlbumIgnoringCase(albumList_->Albums(), newName);
  hoverAlbum_ = -1;
  if (currentAlbum_ >= 0) {
    albumList_->setCurrentRow(currentAlbum_, QItemSelectionModel::ClearAndSelect);
    albumList_->scrollToItem(albumList_->item(currentAlbum_));
  }
  items_->Repoint(rename.entry.path);
}

void MainDialog::OnAlbumInfo(uint32_t) {
  const AlbumEntry* entry = albumList_->Entry(currentAlbum_);
  if (!entry) {
    ShowAlbumMessage(messages_.Text(kNoAlbumSelected), box::kOk);
    return;
  }
  const uint32_t bytes = SumItemSizes(items_->Paths());
  const AlbumInfo info = ReadAlbumInfo(entry->Album().path, items_->Count(), bytes);
  const std::vector<QImage> frames = CutFrames(skin_.Bitmap(layout::kAlbumIconsMax.bitmap), layout::kAlbumIconsMax.cell);
  const QImage picture = frames.size() > kInfoPictureFrame ? frames[kInfoPictureFrame] : QImage();
  AlbumInfoDialog dialog(info, picture, this);
  services_.runDialog(dialog);
}

void MainDialog::OnSortCommand(uint32_t id) {
  // The choice stands (and shows in the menus) even while the list is empty.
  if (IsSortKeyCommand(id))
    sortId_ = id;
  else
    sortDirection_ = id;
  items_->Sort(sortId_, sortDirection_);
}

void MainDialog::OnSelectAll(uint32_t) { items_->SelectAll(); }

void MainDialog::OnRefresh(uint32_t) { LoadAlbumItems(); }

void MainDialog::OnItemDeleteKey() { OnCommand(res::kCmdDelete); }

}  // namespace lumora
