// The album list's behaviour: the albums at start, selecting an album with
// its open animation, and the album commands (new, delete, rename with the
// label editor, information).
#include "app/AlbumBrowser.h"

#include <utility>

#include "albums/AlbumStore.h"
#include "app/AlbumInfoDialog.h"
#include "app/AlbumListView.h"
#include "app/ItemBrowser.h"
#include "app/MessageStrings.h"
#include "app/Skin.h"
#include "platform/Desktop.h"
#include "platform/Prompts.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "settings/Settings.h"

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

// The root without its trailing "/".
std::string WithoutTrailingSlash(std::string path) {
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

AlbumBrowser::AlbumBrowser(Services services, AlbumListView& list, ItemBrowser& items, QWidget& owner)
    : services_(std::move(services)), list_(list), items_(items), owner_(owner) {
  animation_.setInterval(kAnimationMs);
  QObject::connect(&animation_, &QTimer::timeout, &list_, [this] { OnAnimationTick(); });
  list_.OnClicked([this](int row) { OnClicked(row); });
  list_.OnHover([this](int row) { OnHover(row); });
  list_.OnLabelEdited([this](int row, const QString& text) { OnLabelEdited(row, text); });
}

std::string AlbumBrowser::RootPath() const { return AlbumsRoot(services_.desktop.ProgramPath()); }

std::string AlbumBrowser::CurrentPath() const {
  const AlbumEntry* entry = list_.Entry(current_);
  return entry ? entry->Album().path : std::string();
}

int AlbumBrowser::ShowMessage(const std::string& text, uint32_t style) {
  return services_.prompts.ShowMessage(text, services_.messages.Caption(), style | box::kTopmost);
}

void AlbumBrowser::SetLayout(layout::WindowMode mode) {
  mode_ = mode;
  const layout::ModeLook look = layout::LookOf(mode_);
  AlbumListLook albums;
  albums.mode = mode_;
  albums.frames = CutFrames(services_.skin.Bitmap(look.albumIcons.bitmap), look.albumIcons.cell);
  albums.background = services_.skin.AlbumBase(mode_);
  albums.plainBackground = QColor(look.itemListColour.red, look.itemListColour.green, look.itemListColour.blue);
  list_.SetLook(std::move(albums));
  hover_ = -1;
}

void AlbumBrowser::Build() {
  startAlbumName_ = ReadStartAlbumName(services_.registry);
  const std::string root = RootPath();
  const StartAlbums start = BuildStartAlbums(root, startAlbumName_);
  list_.SetAlbums(start.albums);
  current_ = start.current;

  list_.setFocus();
  if (current_ >= 0) {
    list_.SetCurrentRow(current_);
    list_.ScrollToRow(current_);
  }
  StartOpenAnimation();

  // The sort is read even without albums: it is written back at exit, so
  // not reading it would replace the user's choice with the defaults.
  items_.SetSort(ReadSortSettings(services_.registry));
  if (list_.Count() == 0) {
    services_.desktop.SetCurrentFolder(WithoutTrailingSlash(root));
    return;
  }
  services_.desktop.SetCurrentFolder(list_.Entry(current_)->Album().path);
  LoadItems();
}

bool AlbumBrowser::LoadItems() {
  const AlbumEntry* entry = list_.Entry(current_);
  if (!entry) return false;
  bool loaded = items_.Load(entry->Album().path);
  // Clicked during the load, which stopped for it: the clicked album opens
  // now that the load is off the stack.
  while (list_.Entry(clickedWhileLoading_)) {
    OpenAlbum(std::exchange(clickedWhileLoading_, -1));
    list_.SetCurrentRow(current_);
    loaded = items_.Load(list_.Entry(current_)->Album().path);
  }
  clickedWhileLoading_ = -1;
  return loaded;
}

void AlbumBrowser::OpenAlbum(int index) {
  if (AlbumEntry* old = list_.Entry(current_)) old->SetImage(kClosedFrame);
  current_ = index;
  StartOpenAnimation();
}

void AlbumBrowser::StartOpenAnimation() { animation_.start(); }

void AlbumBrowser::OnAnimationTick() {
  AlbumEntry* entry = list_.Entry(current_);
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
  list_.viewport()->update();
}

void AlbumBrowser::EndOpenAnimation() {
  animation_.stop();
  if (!animationHolds_) return;
  animationHolds_ = false;
  list_.releaseMouse();
  services_.desktop.SetWaitCursor(false);
}

void AlbumBrowser::Clear() {
  EndOpenAnimation();
  list_.Clear();
}

void AlbumBrowser::OnClicked(int row) {
  // A click on another album while an album loads stops that load at once
  // and opens the clicked album when the load has returned; any other click
  // then leaves the loading album current and selected.
  if (items_.Loading()) {
    if (row >= 0 && row != current_ && list_.HasSelection()) {
      clickedWhileLoading_ = row;
      items_.CancelLoad();
    } else {
      list_.SetCurrentRow(current_);
    }
    return;
  }
  // A click during an animation ends it, giving the mouse back.
  EndOpenAnimation();
  if (row < 0 || row == current_ || !list_.HasSelection()) return;
  animationHolds_ = true;
  list_.grabMouse();
  services_.desktop.SetWaitCursor(true);
  OpenAlbum(row);
  LoadItems();
}

void AlbumBrowser::OnHover(int row) {
  if (AlbumEntry* left = list_.Entry(hover_); left && hover_ != current_) left->SetImage(kClosedFrame);
  hover_ = row;
  if (AlbumEntry* under = list_.Entry(row); under && row != current_) under->SetImage(kOpenFrameCompact);
  list_.viewport()->update();
}

void AlbumBrowser::NewAlbum() {
  const std::string root = RootPath();
  const std::string name = NewAlbumName(root);
  const std::optional<AlbumItem> album = CreateAlbum(root, name);
  if (!album) {
    ShowMessage(services_.messages.Text(kCannotCreate) + " " + name, box::kOk);
    return;
  }
  list_.Append(AlbumEntry(*album));
  list_.doItemsLayout();

  EndOpenAnimation();
  items_.Clear();
  const int added = list_.Count() - 1;
  OpenAlbum(added);
  list_.SetCurrentRow(added);
  list_.OpenLabelEditor(added);
}

void AlbumBrowser::DeleteAlbum() {
  if (!list_.HasSelection()) ShowMessage(services_.messages.Text(kNoAlbumSelected), box::kOk);
  AlbumEntry* entry = list_.Entry(current_);
  if (!entry) return;
  if (list_.Count() < int(kFewestAlbumsToDelete)) {
    ShowMessage(services_.messages.Text(kCannotDelete) + " " + entry->Album().name, box::kOk);
    return;
  }
  if (ShowMessage(services_.messages.Text(kConfirmDelete), box::kYesNo) != kAnswerYes) return;

  switch (lumora::DeleteAlbum(services_.shell, entry->Album())) {
    case AlbumDeleteResult::Aborted:
      return;
    case AlbumDeleteResult::Failed:
      // The folder is still there, so the album stays where the user sees it.
      ShowMessage(services_.messages.Text(kCannotDelete) + " " + entry->Album().name, box::kOk);
      return;
    case AlbumDeleteResult::Deleted:
      break;
  }
  EndOpenAnimation();
  items_.Clear();
  list_.Remove(current_);
  hover_ = -1;
  current_ = 0;
  list_.setFocus();
  list_.SetCurrentRow(0);
  list_.ScrollToRow(0);
  LoadItems();
  StartOpenAnimation();
}

void AlbumBrowser::RenameAlbum() {
  if (!list_.Entry(current_)) {
    ShowMessage(services_.messages.Text(kNoAlbumSelected), box::kOk);
    return;
  }
  list_.OpenLabelEditor(current_);
}

void AlbumBrowser::OpenLabelEditorLater(int row) {
  // The editor that just ended closes first; then it opens again.
  QTimer::singleShot(0, &list_, [this, row] { list_.OpenLabelEditor(row); });
}

void AlbumBrowser::OnLabelEdited(int row, const QString& text) {
  AlbumEntry* entry = list_.Entry(row);
  if (!entry) return;
  const std::string newName = text.toStdString();
  if (newName.empty()) {
    OpenLabelEditorLater(current_);
    return;
  }
  const AlbumRename rename = lumora::RenameAlbum(services_.shell, RootPath(), entry->Album().name, newName);
  if (rename.step == AlbumRenameStep::EditAgain) {
    OpenLabelEditorLater(row);
    return;
  }
  if (rename.step == AlbumRenameStep::Missing) return;

  entry->SetAlbum(rename.entry);
  list_.SortAlbums();
  current_ = FindAlbumIgnoringCase(list_.Albums(), newName);
  hover_ = -1;
  if (current_ >= 0) {
    list_.SetCurrentRow(current_);
    list_.ScrollToRow(current_);
  }
  items_.Repoint(rename.entry.path);
}

void AlbumBrowser::ShowInfo() {
  const AlbumEntry* entry = list_.Entry(current_);
  if (!entry) {
    ShowMessage(services_.messages.Text(kNoAlbumSelected), box::kOk);
    return;
  }
  const uint32_t bytes = SumItemSizes(items_.Paths());
  const AlbumInfo info = ReadAlbumInfo(entry->Album().path, items_.Count(), bytes);
  const std::vector<QImage> frames =
      CutFrames(services_.skin.Bitmap(layout::kAlbumIconsMax.bitmap), layout::kAlbumIconsMax.cell);
  const QImage picture = frames.size() > kInfoPictureFrame ? frames[kInfoPictureFrame] : QImage();
  AlbumInfoDialog dialog(info, picture, &owner_);
  services_.runDialog(dialog);
}

}  // namespace lumora
