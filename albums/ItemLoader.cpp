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

#include "media/codecs/Bmp.h"
#include "media/codecs/Jpeg.h"
#include "media/codecs/Tiff.h"
#include "media/video/ItemPreview.h"
#include "platform/FileTimes.h"

namespace fs = std::filesystem;

namespace lumora {

namespace {

// Decodes the picture a thumbnail is made from and reports the full size its
// place comes from. JPEGs decode at reduced scale while the result still
// covers the cell; the codec is chosen by the item's kind, not by searching
// the whole name, so "a.gif.jpg" is read as the JPEG it is. Empty on
// success, else "<FORMAT>: <reason>".
std::string LoadPicture(const std::string& path, ItemKind kind, int minWidth, int minHeight, DibImage& picture,
                        int& fullWidth, int& fullHeight) {
  switch (kind) {
    case ItemKind::Jpeg:
      if (JpegResult r = ReadJpegFileReduced(picture, path, minWidth, minHeight, fullWidth, fullHeight); !r)
        return "JPEG: " + r.Reason();
      return {};
    case ItemKind::Tiff:
      if (TiffResult r = ReadTiffFile(picture, path); !r) return "TIFF: " + r.Reason();
      break;
    case ItemKind::Bmp:
      if (BmpResult r = ReadBmpFile(picture, path); !r) return "BMP: " + r.Reason();
      break;
    default:
      return "no picture reader for this kind";
  }
  fullWidth = picture.width();
  fullHeight = picture.height();
  return {};
}

// A JPEG for the cache decodes large enough for its 128-pixel picture: a
// landscape picture at least 128 wide, a portrait one at least 128 high.
constexpr int kCacheDecodeWidth = ThumbnailCache::kNormalSide;
constexpr int kCacheDecodeHeight = ThumbnailCache::kNormalSide * 3 / 4;

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
  NewItem made;
  const std::string fileName = fs::path(path).filename().string();
  made.item.name = ItemNameOf(fileName);
  made.item.path = path;
  made.kind = ItemKindOf(fileName);
  if (const std::optional<FileTimes> times = ReadFileTimes(path)) made.item.time = times->modified;
  if (made.kind == ItemKind::None) {
    made.error = "'" + fileName + "' has none of the item extensions";
    return made;
  }
  std::error_code ec;
  const uintmax_t size = fs::is_regular_file(path, ec) ? fs::file_size(path, ec) : 0;
  if (ec || size == 0) {
    made.error = "'" + path + "' is empty or not a readable file";
    return made;
  }

  DibImage picture;
  int fullWidth = 0, fullHeight = 0;
  const bool video = IsVideoKind(made.kind);
  CacheLookup cached = CacheLookup::Missing;
  if (cache) {
    CachedThumbnail entry;
    cached = cache->Find(path, video, cell, entry);
    if (cached == CacheLookup::Failed) {
      made.status = video ? NewItemStatus::NoPreview : NewItemStatus::Left;
      made.error = "no thumbnail of '" + path + "': it failed before, as the thumbnail cache records";
      return made;
    }
    picture = std::move(entry.picture);
    fullWidth = entry.fullWidth;
    fullHeight = entry.fullHeight;
  }
  if (cached == CacheLookup::Found) {
    // The cached picture stands in for the decoded one.
  } else if (video) {
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
    picture = std::move(preview.picture);
    fullWidth = picture.width();
    fullHeight = picture.height();
  } else if (std::string why = LoadPicture(path, made.kind, cache ? std::max(cell.width, kCacheDecodeWidth) : cell.width,
                                           cache ? std::max(cell.height, kCacheDecodeHeight) : cell.height, picture,
                                           fullWidth, fullHeight);
             !why.empty()) {
    made.error = "cannot read or decode the picture '" + path + "': " + why;
    if (cache) cache->StoreFailure(path);
    return made;
  }
  if (cache && cached == CacheLookup::Missing) cache->Store(path, picture, fullWidth, fullHeight);

  const ThumbnailPlace place = PlaceThumbnail(fullWidth, fullHeight, cell);
  if (!ComposeThumbnail(picture, place, frame, cell, made.thumbnail)) {
    made.error = "cannot compose the " + std::to_string(cell.width) + " x " + std::to_string(cell.height) +
                 " thumbnail of '" + path + "' (" + std::to_string(picture.BitCount()) + " bits a pixel)";
    return made;
  }
  made.status = NewItemStatus::Added;
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
  if (!LoadPicture(path, kind, kOriginalCell.width, kOriginalCell.height, picture, size.width, size.height).empty())
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
