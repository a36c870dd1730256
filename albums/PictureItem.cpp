// The items of still pictures (JPEG, TIFF, BMP) and the steps every item
// shares. Nothing here reaches the video previews, so a program that makes
// only these links no video code.
#include "albums/ItemSteps.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "media/codecs/Bmp.h"
#include "media/codecs/Jpeg.h"
#include "media/codecs/Tiff.h"
#include "platform/FileTimes.h"

namespace fs = std::filesystem;

namespace lumora {

NewItem BeginAlbumItem(const std::string& path) {
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
  if (ec || size == 0) made.error = "'" + path + "' is empty or not a readable file";
  return made;
}

std::string LoadItemPicture(const std::string& path, ItemKind kind, int minWidth, int minHeight, DibImage& picture,
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

void FinishAlbumItem(NewItem& made, const DibImage& picture, int fullWidth, int fullHeight, const ThumbnailCell& cell,
                     const DibImage& frame) {
  const ThumbnailPlace place = PlaceThumbnail(fullWidth, fullHeight, cell);
  if (!ComposeThumbnail(picture, place, frame, cell, made.thumbnail)) {
    made.error = "cannot compose the " + std::to_string(cell.width) + " x " + std::to_string(cell.height) +
                 " thumbnail of '" + made.item.path + "' (" + std::to_string(picture.BitCount()) + " bits a pixel)";
    return;
  }
  made.status = NewItemStatus::Added;
}

bool FinishFromCache(NewItem& made, const ThumbnailCache* cache, const ThumbnailCell& cell, const DibImage& frame) {
  if (!cache) return false;
  CachedThumbnail entry;
  switch (cache->Find(made.item.path, IsVideoKind(made.kind), cell, entry)) {
    case CacheLookup::Missing:
      return false;
    case CacheLookup::Failed:
      made.status = IsVideoKind(made.kind) ? NewItemStatus::NoPreview : NewItemStatus::Left;
      made.error = "no thumbnail of '" + made.item.path + "': it failed before, as the thumbnail cache records";
      return true;
    case CacheLookup::Found:
      FinishAlbumItem(made, entry.picture, entry.fullWidth, entry.fullHeight, cell, frame);
      return true;
  }
  return false;
}

NewItem MakePictureItem(const std::string& path, const ThumbnailCell& cell, const DibImage& frame,
                        const ThumbnailCache* cache) {
  NewItem made = BeginAlbumItem(path);
  if (!made.error.empty()) return made;
  if (IsVideoKind(made.kind)) {
    made.error = "'" + path + "' is a video, not a still picture";
    return made;
  }
  if (FinishFromCache(made, cache, cell, frame)) return made;
  DibImage picture;
  int fullWidth = 0, fullHeight = 0;
  // A picture for the cache is decoded large enough for its 128-pixel entry
  // (a landscape picture at least 128 wide, a portrait one 128 high).
  const int minWidth = cache ? std::max(cell.width, ThumbnailCache::kNormalSide) : cell.width;
  const int minHeight = cache ? std::max(cell.height, ThumbnailCache::kNormalSide * 3 / 4) : cell.height;
  if (std::string why = LoadItemPicture(path, made.kind, minWidth, minHeight, picture, fullWidth, fullHeight);
      !why.empty()) {
    made.error = "cannot read or decode the picture '" + path + "': " + why;
    if (cache) cache->StoreFailure(path);
    return made;
  }
  if (cache) cache->Store(path, picture, fullWidth, fullHeight);
  FinishAlbumItem(made, picture, fullWidth, fullHeight, cell, frame);
  return made;
}

}  // namespace lumora
