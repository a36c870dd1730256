// One item from one file, and the two passes that load a whole album.
#include "albums/ItemLoader.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

#include "albums/ItemSteps.h"
#include "media/video/ItemPreview.h"

namespace fs = std::filesystem;

namespace lumora {

namespace {

// Finished items the workers may keep ahead of the reports, per worker: a
// slow report (a message box) holds back at most this many thumbnails.
constexpr size_t kItemsAheadPerWorker = 4;
// How often the caller's window gets its events while the next item is made.
constexpr std::chrono::milliseconds kWaitingInterval{10};

// What the first pass saw of one entry; the second pass makes only entries
// that still look the same.
struct SeenEntry {
  bool directory = false;
  uintmax_t size = 0;
  fs::file_time_type written{};
  bool operator==(const SeenEntry&) const = default;
};

std::optional<SeenEntry> Look(const fs::directory_entry& entry) {
  std::error_code ec;
  SeenEntry seen;
  seen.directory = entry.is_directory(ec);
  if (ec) return std::nullopt;
  if (!seen.directory) {
    seen.size = entry.file_size(ec);
    if (ec) return std::nullopt;
  }
  seen.written = entry.last_write_time(ec);
  if (ec) return std::nullopt;
  return seen;
}

// The recognised entries of `folder` by file name; nothing when it cannot be listed.
std::optional<std::map<std::string, SeenEntry>> FirstPass(const std::string& folder) {
  std::map<std::string, SeenEntry> seen;
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) return std::nullopt;
  for (fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (ItemKindOf(name) == ItemKind::None) continue;
    if (std::optional<SeenEntry> look = Look(*it)) seen.emplace(std::move(name), *look);
  }
  return seen;
}

// Makes the items of `paths` on worker threads, in any order, while the
// caller takes them in order with Next; workers stay at most a few items
// ahead of the caller.
class ItemMaker {
 public:
  ItemMaker(const std::vector<std::string>& paths, const ThumbnailCell& cell, const DibImage& frame,
            const ItemLoadOptions& options)
      : paths_(paths), cell_(cell), frame_(frame), options_(options), made_(paths.size()),
        ahead_(kItemsAheadPerWorker * size_t(options.threads)) {
    for (int i = 0; i < options.threads; ++i) workers_.emplace_back([this] { Work(); });
  }
  ~ItemMaker() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    room_.notify_all();
    for (std::thread& worker : workers_) worker.join();
  }
  ItemMaker(const ItemMaker&) = delete;
  ItemMaker& operator=(const ItemMaker&) = delete;

  // The item at `index` (the one after the last taken); the progress's
  // Waiting runs, with no lock held, while it is being made. Nothing when
  // the load was cancelled.
  std::optional<NewItem> Next(size_t index, ItemLoadProgress& progress) {
    std::unique_lock lock(mutex_);
    while (!made_[index]) {
      if (Cancelled()) return std::nullopt;
      if (!madeChanged_.wait_for(lock, kWaitingInterval, [&] { return made_[index].has_value(); })) {
        lock.unlock();
        progress.Waiting();
        lock.lock();
      }
    }
    NewItem item = std::move(*made_[index]);
    made_[index].reset();
    taken_ = index + 1;
    lock.unlock();
    room_.notify_all();
    return item;
  }

 private:
  bool Cancelled() const { return options_.cancel && options_.cancel->load(); }

  void Work() {
    for (;;) {
      size_t index;
      {
        std::unique_lock lock(mutex_);
        room_.wait(lock, [&] { return stop_ || next_ >= paths_.size() || next_ < taken_ + ahead_; });
        if (stop_ || next_ >= paths_.size()) return;
        index = next_++;
      }
      if (Cancelled()) return;
      NewItem item = MakeAlbumItem(paths_[index], cell_, frame_, options_.cache);
      {
        std::lock_guard lock(mutex_);
        made_[index] = std::move(item);
      }
      madeChanged_.notify_all();
    }
  }

  const std::vector<std::string>& paths_;
  const ThumbnailCell& cell_;
  const DibImage& frame_;
  const ItemLoadOptions& options_;
  std::mutex mutex_;
  std::condition_variable madeChanged_;  // an item was made
  std::condition_variable room_;          // the caller took an item, or the load stops
  std::vector<std::optional<NewItem>> made_;
  size_t next_ = 0;   // the next index a worker takes
  size_t taken_ = 0;  // items the caller took
  const size_t ahead_;
  bool stop_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace

int LoadThreadsForThisMachine() { return int(std::max(1u, std::thread::hardware_concurrency())); }

void ItemLoadProgress::NotMade(const NewItem& made) { std::fprintf(stderr, "lumora: %s\n", made.error.c_str()); }

NewItem MakeAlbumItem(const std::string& path, const ThumbnailCell& cell, const DibImage& frame,
                      const ThumbnailCache* cache) {
  if (!IsVideoKind(ItemKindOf(path))) return MakePictureItem(path, cell, frame, cache);
  NewItem made = BeginAlbumItem(path);
  if (!made.error.empty() || FinishFromCache(made, cache, cell, frame)) return made;
  video::ItemPreviewResult preview = video::LoadItemPreview(path);
  if (!preview.ok()) {
    made.status = NewItemStatus::NoPreview;
    made.error = "no preview of '" + path + "': " + preview.error;
    if (preview.status == video::PreviewStatus::StillNotLoaded) {
      // The private still file failed, not the video: tried again next time.
      made.stillNotLoaded = preview.error;
      made.error += " (" + preview.stillReason + ")";
    } else if (cache) {
      cache->StoreFailure(path);
    }
    return made;
  }
  if (cache) cache->Store(path, preview.picture, preview.picture.width(), preview.picture.height());
  FinishAlbumItem(made, preview.picture, preview.picture.width(), preview.picture.height(), cell, frame);
  return made;
}

std::optional<PictureSize> ItemPictureSize(const std::string& path) {
  const ItemKind kind = ItemKindOf(path);
  if (kind == ItemKind::None) return std::nullopt;
  if (IsVideoKind(kind)) {
    const video::ItemPreviewResult preview = video::LoadItemPreview(path);
    if (!preview.ok()) return std::nullopt;
    return PictureSize{preview.picture.width(), preview.picture.height()};
  }
  DibImage picture;
  PictureSize size;
  if (!LoadItemPicture(path, kind, kOriginalCell.width, kOriginalCell.height, picture, size.width, size.height).empty())
    return std::nullopt;
  return size;
}

AlbumLoad LoadAlbumItems(const std::string& albumFolder, const ThumbnailCell& cell, const DibImage& frame,
                         ItemLoadProgress& progress, const ItemLoadOptions& options) {
  AlbumLoad load;
  std::optional<std::map<std::string, SeenEntry>> seen = FirstPass(albumFolder);
  if (!seen) return load;
  load.enumerated = true;
  load.counted = int(seen->size());
  if (load.counted == 0) return load;
  progress.Begin(2 * load.counted);

  // The second pass's listing: the entries that still look as the first
  // pass saw them, in the folder's order.
  std::vector<std::string> paths;
  std::error_code ec;
  for (fs::directory_iterator it(albumFolder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const auto before = seen->find(name);
    if (before == seen->end()) continue;  // unrecognised, appeared since, or already listed
    const std::optional<SeenEntry> now = Look(*it);
    const bool unchanged = now && *now == before->second;
    seen->erase(before);
    if (unchanged) paths.push_back(albumFolder + "/" + name);
  }

  const auto cancelled = [&] { return options.cancel && options.cancel->load(); };
  std::optional<ItemMaker> maker;
  if (options.threads > 1 && paths.size() > 1) maker.emplace(paths, cell, frame, options);
  int step = 0;
  for (size_t i = 0; i < paths.size(); ++i) {
    progress.Step(step++);
    if (cancelled()) break;
    std::optional<NewItem> next = maker ? maker->Next(i, progress) : MakeAlbumItem(paths[i], cell, frame, options.cache);
    if (!next || cancelled()) break;
    NewItem& made = *next;
    if (!made.stillNotLoaded.empty()) progress.StillNotLoaded(made.stillNotLoaded);
    if (cancelled()) break;
    if (made.status != NewItemStatus::Added) progress.NotMade(made);
    else if (!progress.Take(made)) load.items.push_back(std::move(made));
    if (cancelled()) break;
    progress.Step(step++);
  }
  maker.reset();
  if (cancelled()) {
    load.cancelled = true;
    return load;
  }
  progress.Step(step);
  return load;
}

}  // namespace lumora
