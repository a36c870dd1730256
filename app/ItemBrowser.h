// ItemBrowser: the item list's behaviour. It loads the current album into
// the list (two passes over the folder with the progress window, the first
// load of a run placed at the bottom right of the work area), turns each
// composed thumbnail into a picture the list draws with the frame's black
// clear, sorts by the sort in force, selects all, follows clicks to the
// current item, tells whether a double-clicked item opens, and makes an
// item's thumbnail again after its file was written.
// The load's pictures are made on one worker thread per core and come from
// the desktop's thumbnail cache when it holds them; the items still reach the
// list one by one in the folder's order, between the progress window's
// steps. A load can be cancelled at once (another album, the window closing);
// the list is then left empty. The cache follows the item operations: an
// item's entries go with its file and move with its name.
// It holds the sort in force: read from the settings at start, changed by
// the sort commands, written back at exit.
#pragma once

#include <QPixmap>
#include <QSize>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "albums/AlbumItem.h"
#include "albums/ItemLoader.h"
#include "albums/Thumbnail.h"
#include "albums/ThumbnailCache.h"
#include "app/MainLayout.h"
#include "picture/DibImage.h"
#include "settings/Settings.h"

class QWidget;

namespace lumora {

class Desktop;
class ItemListView;
class MessageStrings;
class ProgressDialog;
class Prompts;
class Resources;
class Shell;

// A composed thumbnail as the list draws it: transparent where the cell's
// frame is black.
QPixmap ThumbnailPixmap(const Thumbnail& thumbnail);

class ItemBrowser {
 public:
  struct Services {
    const Resources& resources;
    Prompts& prompts;
    Shell& shell;
    Desktop& desktop;
    const MessageStrings& messages;
  };
  // The progress window's place on the first load of a run: this far from
  // the work area's right and bottom edges, at this size.
  static constexpr int kFirstProgressFromRight = 349;
  static constexpr int kFirstProgressFromBottom = 105;
  static constexpr QSize kFirstProgressSize{333, 97};
  // The progress texts: the message while items are made, and the text
  // shown when the window comes up.
  static constexpr uint32_t kMakingPreviewsText = 15;
  static constexpr uint32_t kWaitText = 16;
  // The message when an MPEG still cannot be loaded back.
  static constexpr char kStillNotLoaded[] = "Load() failed - %s";

  // `owner` is the window the progress window disables while it runs.
  ItemBrowser(Services services, ItemListView& list, QWidget& owner);
  ~ItemBrowser();
  ItemBrowser(const ItemBrowser&) = delete;
  ItemBrowser& operator=(const ItemBrowser&) = delete;

  // The layout's thumbnail cell; the frame bitmap is decoded for it. The
  // list keeps its entries: the caller reloads.
  void SetLayout(layout::WindowMode mode);
  const ThumbnailCell& Cell() const { return cell_; }

  // Refills the list from `albumFolder` and sorts it by the sort in force; false when the folder
  // could not be listed or the load was cancelled (the list is then empty).
  // Each item goes into the list as soon as it is made, while the progress
  // window pumps the events; the owner stays disabled until the load ends,
  // even when the user closes the progress window. A load never starts
  // inside another: a call during a load does nothing and returns false.
  bool Load(const std::string& albumFolder);
  // True while Load runs.
  bool Loading() const { return loading_; }
  // Stops the running load at once: no item made after this reaches the
  // list, and Load returns with the list empty. Nothing without a load.
  void CancelLoad() { cancel_ = true; }
  // The workers of a load (one per core unless set, 1 for none), and the
  // thumbnail cache (none when null).
  void SetLoadThreads(int threads) { threads_ = threads; }
  void SetThumbnailCache(std::optional<ThumbnailCache> cache) { cache_ = std::move(cache); }
  const ThumbnailCache* Cache() const { return cache_ ? &*cache_ : nullptr; }
  // An item's file was renamed or went: its cache entries follow.
  void FileMoved(const std::string& from, const std::string& to);
  void FileGone(const std::string& path);
  // Frees every entry and empties the list.
  void Clear();
  // The sort in force: the key and the direction (menu command ids).
  const SortSettings& Sorting() const { return sort_; }
  void SetSort(SortSettings sort) { sort_ = sort; }
  // A sort command (a key or a direction) becomes the sort in force, and
  // the list is sorted by it: then item 0 is selected and current. The
  // choice stands (and shows in the menus) even while the list is empty.
  void SortBy(uint32_t command);
  // Focuses the list and selects every item.
  void SelectAll();
  // After the album folder was renamed: every item's path moves into it.
  void Repoint(const std::string& albumFolder);
  // The items' paths in list order.
  std::vector<std::string> Paths() const;
  int Count() const;

  // The file at `path` was written: its cache entries go, and its item and
  // thumbnail are made again (an item whose file no longer makes one keeps
  // its old thumbnail).
  void RefreshItem(const std::string& path);

  // The current item, -1 for none.
  int CurrentItem() const { return currentItem_; }
  void SetCurrentItem(int row) { currentItem_ = row; }
  // Makes the item of the file at `path` with its thumbnail and appends it
  // to the list; its row, or -1 when the file makes no item.
  int AddItem(const std::string& path);
  void OnClicked(int row);
  // True when the double-clicked item opens (a selection, and the item has a
  // name and a path); without a selection the current item becomes -1.
  bool OnDoubleClicked(int row);

  // The progress window of the last load, for tests (its window is gone once
  // the load is over); null when none was made.
  const ProgressDialog* Progress() const { return progress_.get(); }

 private:
  class LoadProgress;

  // Sorts by the sort in force; an empty list stays as it is.
  void Sort();
  NewItem Make(const std::string& path) const;

  Services services_;
  ItemListView& list_;
  QWidget& owner_;
  layout::WindowMode mode_ = layout::WindowMode::Original;
  ThumbnailCell cell_ = kOriginalCell;
  DibImage frame_;
  std::unique_ptr<ProgressDialog> progress_;
  bool firstLoad_ = true;
  bool loading_ = false;
  std::atomic<bool> cancel_ = false;
  int threads_;
  std::optional<ThumbnailCache> cache_;
  int currentItem_ = -1;
  SortSettings sort_;
};

}  // namespace lumora
