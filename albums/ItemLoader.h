// Loading an album into the item list without the list: the two passes over
// the album folder (count, then make each item with its thumbnail), the
// progress steps the caller's progress window shows, and the making of one
// item from one file by its kind (pictures through the codecs, JPEGs decoded
// at the smallest DCT scale that still covers the cell, the place always from
// the full size; videos through the video previews), or from the desktop's
// thumbnail cache when it holds a current picture of the file.
// The second pass makes the items on a pool of worker threads while the
// calling thread reports them in the folder's order, so the reports are the
// same as those of a load on one thread.
#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "albums/AlbumItem.h"
#include "albums/Thumbnail.h"
#include "albums/ThumbnailCache.h"
#include "picture/DibImage.h"

namespace lumora {

enum class NewItemStatus {
  Added,      // item and thumbnail made
  Left,       // an empty file, an unrecognised kind or a picture that does not decode: left out
  NoPreview,  // a video that gave no picture: left out
};

struct NewItem {
  NewItemStatus status = NewItemStatus::Left;
  AlbumItem item;
  ItemKind kind = ItemKind::None;
  Thumbnail thumbnail;  // with Added
  // An MPEG whose still could not be loaded back: the still file's path, for
  // "Load() failed - %s". Empty otherwise.
  std::string stillNotLoaded;
  // What failed and where, for the command-line tool and standard error; empty with Added.
  std::string error;
};

// The item for the file at `path` with its thumbnail for `cell` (the frame
// is the cell's frame bitmap, decoded; empty for none). With a `cache`, a
// current entry there gives the picture, one made here is stored, and a file
// recorded there as failed is left out without being read. Safe to call on several threads at once.
NewItem MakeAlbumItem(const std::string& path, const ThumbnailCell& cell, const DibImage& frame,
                      const ThumbnailCache* cache = nullptr);

// MakeAlbumItem for the still pictures (JPEG, TIFF, BMP), in a file of its
// own (PictureItem.cpp) so that a program making only these links no video
// code; a video item is left out with an error.
NewItem MakePictureItem(const std::string& path, const ThumbnailCell& cell, const DibImage& frame,
                        const ThumbnailCache* cache = nullptr);

// The full width and height of the picture a thumbnail of the item at
// `path` is made from (a video's preview frame); nothing for files that are
// no items and for pictures that cannot be made.
struct PictureSize {
  int width = 0;
  int height = 0;
};
std::optional<PictureSize> ItemPictureSize(const std::string& path);

// The caller's progress window. Step reports pump the user interface, so a
// long load keeps the window responsive.
class ItemLoadProgress {
 public:
  virtual ~ItemLoadProgress() = default;
  // Once, before the second pass, when the first pass counted n > 0
  // recognised entries: the bar runs from 0 to `steps` = 2n. Not called for
  // an album without items (no progress window then).
  virtual void Begin(int steps) = 0;
  // The running step count: k before and k + 1 after each file, and the
  // final count once after the last.
  virtual void Step(int step) = 0;
  // An MPEG still that could not be loaded back, with the still file's path.
  virtual void StillNotLoaded(const std::string& stillPath) {}
  // Each entry left out (status other than Added), with what failed in
  // `made.error`; by default that line goes to standard error.
  virtual void NotMade(const NewItem& made);
  // Each item as soon as it is made, between its two steps, so a list can
  // show it while the load goes on. True when the caller took it (moving
  // from `made`); otherwise the load keeps it in AlbumLoad::items.
  virtual bool Take(NewItem& made) { return false; }
  // Called again and again while the next item in order is still being made
  // by the workers, so the caller keeps its window alive meanwhile.
  virtual void Waiting() {}
};

// How the second pass runs.
struct ItemLoadOptions {
  // Threads making items; 1 makes them on the calling thread.
  int threads = 1;
  const ThumbnailCache* cache = nullptr;
  // When set (by a report, or by another thread), the load stops at once:
  // no further report is made, no item made after it is kept, and the
  // workers are gone when the load returns.
  const std::atomic<bool>* cancel = nullptr;
};
// One thread per core.
int LoadThreadsForThisMachine();

struct AlbumLoad {
  bool enumerated = false;     // the album folder could be listed
  std::vector<NewItem> items;  // the items made (status Added) and not taken, in the folder's order
  int counted = 0;             // recognised entries of the first pass
  bool cancelled = false;      // stopped by ItemLoadOptions::cancel
};

// The two passes over `albumFolder`: the first counts the entries with a
// recognised extension (folders with such names too); the second makes each
// item. An entry that vanished, appeared or changed (type, size or time)
// since the first pass is skipped, so the steps never pass 2n.
AlbumLoad LoadAlbumItems(const std::string& albumFolder, const ThumbnailCell& cell, const DibImage& frame,
                         ItemLoadProgress& progress, const ItemLoadOptions& options = {});

}  // namespace lumora
