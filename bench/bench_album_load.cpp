// Loads album folders the way the item list does (both passes, every
// thumbnail, the full layout's 107 x 86 cell unless --compact) and prints
// the median time of the load and its cost per file. A folder of GIF
// pictures, which are no items, is timed through the same decode, place and
// compose steps one file at a time, as their cost if they were.
// --threads N makes the items on N workers (0: one per core; 1, the
// default: on the calling thread). --cache DIR loads through the thumbnail
// cache at DIR: a first load fills it (its time printed as "cold"), the
// timed runs then find every picture there.
//   bench_album_load [--runs N] [--compact] [--threads N] [--cache DIR] FOLDER...
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "albums/ItemLoader.h"
#include "albums/ThumbnailCache.h"
#include "media/codecs/Gif.h"

namespace fs = std::filesystem;
using namespace lumora;

namespace {

constexpr int kDefaultRuns = 5;

class SilentProgress final : public ItemLoadProgress {
 public:
  void Begin(int) override {}
  void Step(int) override {}
};

// One run over `folder`: the number of files made into thumbnails.
size_t LoadOnce(const std::string& folder, const ThumbnailCell& cell, bool gif, const ItemLoadOptions& options) {
  if (!gif) {
    SilentProgress progress;
    return LoadAlbumItems(folder, cell, DibImage(), progress, options).items.size();
  }
  size_t made = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    DibImage picture;
    if (ReadGifFile(picture, entry.path().string()) != GifError::None) continue;
    Thumbnail thumbnail;
    const ThumbnailPlace place = PlaceThumbnail(picture.width(), picture.height(), cell);
    made += ComposeThumbnail(picture, place, DibImage(), cell, thumbnail) ? 1 : 0;
  }
  return made;
}

bool HoldsGifs(const std::string& folder) {
  for (const auto& entry : fs::directory_iterator(folder))
    if (LowerExtension(entry.path().filename().string()) == ".gif") return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = kDefaultRuns;
  int threads = 1;
  ThumbnailCell cell = kMaxCell;
  std::optional<ThumbnailCache> cache;
  std::vector<std::string> folders;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--compact") {
      cell = kOriginalCell;
    } else if ((a == "--runs" || a == "--threads") && i + 1 < argc) {
      const std::string n = argv[++i];
      int& value = a == "--runs" ? runs : threads;
      if (std::from_chars(n.data(), n.data() + n.size(), value).ec != std::errc() || value < (a == "--runs")) {
        std::fprintf(stderr, "bench_album_load: %s needs a number, not '%s'\n", a.c_str(), n.c_str());
        return 2;
      }
    } else if (a == "--cache" && i + 1 < argc) {
      cache.emplace(fs::absolute(argv[++i]).string(), "bench");
    } else {
      folders.push_back(a);
    }
  }
  if (folders.empty()) {
    std::fprintf(stderr, "usage: bench_album_load [--runs N] [--compact] [--threads N] [--cache DIR] FOLDER...\n");
    return 2;
  }
  const ItemLoadOptions options{threads == 0 ? LoadThreadsForThisMachine() : threads, cache ? &*cache : nullptr};
  std::printf("%-28s %6s %12s %14s\n", "folder", "files", "median ms", "ms per file");
  for (const std::string& folder : folders) {
    const bool gif = HoldsGifs(folder);
    std::vector<double> times;
    size_t made = 0;
    if (cache) {
      const auto start = std::chrono::steady_clock::now();
      made = LoadOnce(folder, cell, gif, options);
      const double cold = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
      std::printf("%-28s %6zu %12.1f %14.2f\n", (fs::path(folder).filename().string() + " (cold)").c_str(), made,
                  cold, made ? cold / double(made) : 0.0);
    }
    for (int r = 0; r < runs; ++r) {
      const auto start = std::chrono::steady_clock::now();
      made = LoadOnce(folder, cell, gif, options);
      times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::ranges::sort(times);
    const double median = times[times.size() / 2];
    std::printf("%-28s %6zu %12.1f %14.2f\n", fs::path(folder).filename().c_str(), made, median,
                made ? median / double(made) : 0.0);
  }
  return 0;
}
