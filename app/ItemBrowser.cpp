// Loading, sorting and selecting the items of the current album in the item
// list, with the progress window during a load.
#include "app/ItemBrowser.h"

#include <QCoreApplication>
#include <QDialog>

#include <algorithm>
#include <chrono>
#include <utility>

#include "albums/AlbumStore.h"
#include "albums/ItemLoader.h"
#include "app/ItemListView.h"
#include "app/MessageStrings.h"
#include "picture/qt/DibQImage.h"
#include "media/codecs/Bmp.h"
#include "ui/ProgressDialog.h"
#include "platform/Desktop.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "resources/ResourceIds.h"
#include "resources/Resources.h"

namespace lumora {

namespace {

// The progress bar's range while the window comes up, before the steps are known.
constexpr int kInitialRangeTop = 100;
// Past the first screen, items made meanwhile go into the list this often.
constexpr std::chrono::milliseconds kBatchInterval{100};

std::string Format(const char* format, const std::string& argument) {
  const std::string::size_type at = std::string(format).find("%s");
  std::string text(format);
  if (at != std::string::npos) text.replace(at, 2, argument);
  return text;
}

}  // namespace

QPixmap ThumbnailPixmap(const Thumbnail& thumbnail) {
  QImage image = ToQImage(thumbnail.cell).convertToFormat(QImage::Format_ARGB32);
  if (image.isNull()) return {};
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if (thumbnail.IsTransparent(x, y)) row[x] = qRgba(0, 0, 0, 0);
    }
  }
  return QPixmap::fromImage(image);
}

// The progress window as the loader reports to it.
class ItemBrowser::LoadProgress final : public ItemLoadProgress {
 public:
  explicit LoadProgress(ItemBrowser& browser) : browser_(browser) {}

  void Begin(int steps) override {
    ItemBrowser& b = browser_;
    b.progress_ = std::make_unique<ProgressDialog>(b.services_.resources, res::kStringProgramName);
    ProgressDialog& progress = *b.progress_;
    progress.Create(&b.owner_);
    progress.SetRange(0, kInitialRangeTop);
    progress.SetPos(0);
    progress.SetText(b.services_.messages.Text(kWaitText));
    progress.Show();
    if (b.firstLoad_ && progress.window()) {
      const ScreenRect area = b.services_.desktop.WorkArea();
      progress.window()->setFixedSize(kFirstProgressSize);
      progress.window()->move(area.right - kFirstProgressFromRight, area.bottom - kFirstProgressFromBottom);
    }
    progress.SetRange(0, steps);
  }

  void Step(int step) override {
    ProgressDialog& progress = *browser_.progress_;
    progress.SetText(browser_.services_.messages.Text(kMakingPreviewsText));
    progress.SetPos(step);
  }

  void StillNotLoaded(const std::string& stillPath) override {
    browser_.services_.prompts.ShowMessage(Format(kStillNotLoaded, stillPath), "", box::kOk);
  }

  // The list fills while the progress window pumps: the first screen item
  // by item, the rest in batches, so a long album is not laid out and drawn
  // again for every item.
  bool Take(NewItem& made) override {
    ItemListView& list = browser_.list_;
    pending_.emplace_back(ItemEntry(std::move(made.item)), ThumbnailPixmap(made.thumbnail));
    const auto now = std::chrono::steady_clock::now();
    if (list.Count() < list.CellsOnScreen() || now - lastBatch_ >= kBatchInterval) {
      AddPending();
      lastBatch_ = now;
    }
    return true;
  }

  // What is waiting goes into the list.
  void AddPending() { browser_.list_.AppendAll(std::exchange(pending_, {})); }

  // The window stays alive while the workers make the next item.
  void Waiting() override { QCoreApplication::processEvents(); }

 private:
  ItemBrowser& browser_;
  std::vector<std::pair<ItemEntry, QPixmap>> pending_;
  std::chrono::steady_clock::time_point lastBatch_{};
};

ItemBrowser::ItemBrowser(Services services, ItemListView& list, QWidget& owner)
    : services_(services), list_(list), owner_(owner), threads_(LoadThreadsForThisMachine()),
      cache_(ThumbnailCache::ForThisUser()) {
  SetLayout(layout::WindowMode::Original);
  // A thumbnail that left the list's store is made again from the cache.
  list_.SetThumbnailMaker([this](const AlbumItem& item) {
    const NewItem made = Make(item.path);
    return made.status == NewItemStatus::Added ? ThumbnailPixmap(made.thumbnail) : QPixmap();
  });
}

ItemBrowser::~ItemBrowser() = default;

void ItemBrowser::SetLayout(layout::WindowMode mode) {
  mode_ = mode;
  cell_ = mode == layout::WindowMode::Max ? kMaxCell : kOriginalCell;
  frame_ = DibImage();
  // Without its frame bitmap a cell is plain white around the picture.
  if (const std::optional<std::vector<uint8_t>> bitmap = services_.resources.Bitmap(cell_.frameBitmap))
    if (!ReadBmpMemory(frame_, *bitmap)) frame_ = DibImage();
  list_.SetCell(mode, QSize(cell_.width, cell_.height));
}

bool ItemBrowser::Load(const std::string& albumFolder) {
  // The progress window pumps the events: whatever reaches the program then
  // must not replace the progress window whose pump is running, nor refill
  // the list under the running load.
  if (loading_) return false;
  loading_ = true;
  cancel_ = false;
  services_.desktop.SetCurrentFolder(albumFolder);
  Clear();
  LoadProgress progress(*this);
  AlbumLoad load = LoadAlbumItems(albumFolder, cell_, frame_, progress, {threads_, Cache(), &cancel_});
  if (!load.cancelled) progress.AddPending();
  firstLoad_ = false;
  // The window goes whether it closed itself at 100 per cent, was closed by
  // the user or stands short of 100 (files that vanished or changed during
  // the load were skipped); only now does the owner get its input back.
  if (progress_) progress_->Destroy();
  loading_ = false;
  if (load.cancelled) {
    // What was added belongs to an album no longer wanted.
    Clear();
    return false;
  }
  if (!load.enumerated) return false;
  Sort();
  list_.show();
  return true;
}

void ItemBrowser::Clear() {
  list_.Clear();
  currentItem_ = -1;
}

void ItemBrowser::SortBy(uint32_t command) {
  if (command == kSortByName || command == kSortByDate || command == kSortByType)
    sort_.sortID = command;
  else
    sort_.sortFR = command;
  Sort();
}

void ItemBrowser::Sort() {
  if (list_.Count() == 0) return;
  const ItemOrder order{SortKeyOfCommand(sort_.sortID), IsForwardCommand(sort_.sortFR)};
  list_.SortEntries([&](const ItemEntry& a, const ItemEntry& b) { return order(a.Item(), b.Item()); });
  list_.clearSelection();
  currentItem_ = 0;
  list_.setFocus();
  list_.SetCurrentRow(0);
}

void ItemBrowser::SelectAll() {
  list_.setFocus();
  list_.selectAll();
}

void ItemBrowser::Repoint(const std::string& albumFolder) {
  std::vector<AlbumItem> items;
  for (int row = 0; row < list_.Count(); ++row) items.push_back(list_.Entry(row)->Item());
  RepointItems(items, albumFolder);
  for (int row = 0; row < list_.Count(); ++row) list_.Entry(row)->Item() = std::move(items[size_t(row)]);
}

std::vector<std::string> ItemBrowser::Paths() const {
  std::vector<std::string> paths;
  for (int row = 0; row < list_.Count(); ++row) paths.push_back(list_.Entry(row)->Item().path);
  return paths;
}

int ItemBrowser::Count() const { return list_.Count(); }

void ItemBrowser::OnClicked(int row) { currentItem_ = !list_.HasSelection() ? -1 : row; }

bool ItemBrowser::OnDoubleClicked(int row) {
  if (!list_.HasSelection()) {
    currentItem_ = -1;
    return false;
  }
  const ItemEntry* entry = list_.Entry(row);
  return entry && !entry->Item().name.empty() && !entry->Item().path.empty();
}

NewItem ItemBrowser::Make(const std::string& path) const { return MakeAlbumItem(path, cell_, frame_, Cache()); }

int ItemBrowser::AddItem(const std::string& path) {
  NewItem made = Make(path);
  if (made.status != NewItemStatus::Added) return -1;
  list_.Append(ItemEntry(std::move(made.item)), ThumbnailPixmap(made.thumbnail));
  return list_.Count() - 1;
}

void ItemBrowser::RefreshItem(const std::string& path) {
  // Written within the second of the old picture, the file may look
  // unchanged to the cache: its entries go first.
  FileGone(path);
  for (int row = 0; row < list_.Count(); ++row) {
    if (list_.Entry(row)->Item().path != path) continue;
    NewItem made = Make(path);
    if (made.status == NewItemStatus::Added)
      list_.Replace(row, ItemEntry(std::move(made.item)), ThumbnailPixmap(made.thumbnail));
    return;
  }
}

void ItemBrowser::FileMoved(const std::string& from, const std::string& to) {
  if (cache_) cache_->Move(from, to);
}

void ItemBrowser::FileGone(const std::string& path) {
  if (cache_) cache_->Remove(path);
}

}  // namespace lumora
