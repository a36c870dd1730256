// One item from one file, and the two passes that load a whole album.
#include "albums/ItemLoader.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <system_error>

#include "albums/ItemSteps.h"
#include "media/video/ItemPreview.h"

namespace fs = std::filesystem;

namespace lumora {

namespace {

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

}  // namespace

void ItemLoadProgress::NotMade(const NewItem& made) { std::fprintf(stderr, "lumora: %s\n", made.error.c_str()); }

NewItem MakeAlbumItem(const std::string& path, const ThumbnailCell& cell, const DibImage& frame) {
  if (!IsVideoKind(ItemKindOf(path))) return MakePictureItem(path, cell, frame);
  NewItem made = BeginAlbumItem(path);
  if (!made.error.empty()) return made;
  video::ItemPreviewResult preview = video::LoadItemPreview(path);
  if (!preview.ok()) {
    made.status = NewItemStatus::NoPreview;
    made.error = "no preview of '" + path + "': " + preview.error;
    if (preview.status == video::PreviewStatus::StillNotLoaded) {
      made.stillNotLoaded = preview.error;
      made.error += " (" + preview.stillReason + ")";
    }
    return made;
  }
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
  if (!LoadItemPicture(path, kind, kOriginalCell, picture, size.width, size.height).empty()) return std::nullopt;
  return size;
}

AlbumLoad LoadAlbumItems(const std::string& albumFolder, const ThumbnailCell& cell, const DibImage& frame,
                         ItemLoadProgress& progress) {
  AlbumLoad load;
  std::optional<std::map<std::string, SeenEntry>> seen = FirstPass(albumFolder);
  if (!seen) return load;
  load.enumerated = true;
  load.counted = int(seen->size());
  if (load.counted == 0) return load;
  progress.Begin(2 * load.counted);

  int step = 0;
  std::error_code ec;
  for (fs::directory_iterator it(albumFolder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const auto before = seen->find(name);
    if (before == seen->end()) continue;  // unrecognised, appeared since, or already made
    const std::optional<SeenEntry> now = Look(*it);
    const bool unchanged = now && *now == before->second;
    seen->erase(before);
    if (!unchanged) continue;

    progress.Step(step++);
    NewItem made = MakeAlbumItem(albumFolder + "/" + name, cell, frame);
    if (!made.stillNotLoaded.empty()) progress.StillNotLoaded(made.stillNotLoaded);
    if (made.status != NewItemStatus::Added) progress.NotMade(made);
    else if (!progress.Take(made)) load.items.push_back(std::move(made));
    progress.Step(step++);
  }
  progress.Step(step);
  return load;
}

}  // namespace lumora
