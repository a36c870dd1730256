// One item from one file, and the two passes that load a whole album.
#include "albums/ItemLoader.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <system_error>

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
std::string LoadPicture(const std::string& path, ItemKind kind, const ThumbnailCell& cell, DibImage& picture,
                        int& fullWidth, int& fullHeight) {
  switch (kind) {
    case ItemKind::Jpeg:
      if (JpegResult r = ReadJpegFileReduced(picture, path, cell.width, cell.height, fullWidth, fullHeight); !r)
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
  if (IsVideoKind(made.kind)) {
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
    picture = std::move(preview.picture);
    fullWidth = picture.width();
    fullHeight = picture.height();
  } else if (std::string why = LoadPicture(path, made.kind, cell, picture, fullWidth, fullHeight); !why.empty()) {
    made.error = "cannot read or decode the picture '" + path + "': " + why;
    return made;
  }

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
  if (!LoadPicture(path, kind, kOriginalCell, picture, size.width, size.height).empty()) return std::nullopt;
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
