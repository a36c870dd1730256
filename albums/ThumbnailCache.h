// The thumbnail cache the desktop shares: under the cache root (normally
// $XDG_CACHE_HOME/thumbnails, else ~/.cache/thumbnails) the folders
// "normal" (pictures of at most 128 pixels a side) and "large" (256) hold
// one PNG per file, named by the MD5 of the file's URI, with the file's URI
// and last-write time (and its size and full picture size) as text keys. A
// file whose picture cannot be made is recorded under "fail/lumora-<version>"
// so it is not tried again until it changes. File managers read the entries
// Lumora writes, and Lumora reads theirs: for pictures any program's entry
// serves; for videos only Lumora's own (its still, not a frame of another
// program's choosing), told by the "Software" key.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "albums/Thumbnail.h"
#include "picture/DibImage.h"
#include "platform/Paths.h"

namespace lumora {

// RFC 1321 MD5 of `bytes`, as 32 lower-case hex digits.
std::string Md5Hex(std::string_view bytes);

// The text keys of a cache entry.
inline constexpr char kThumbUri[] = "Thumb::URI";
inline constexpr char kThumbMTime[] = "Thumb::MTime";
inline constexpr char kThumbSize[] = "Thumb::Size";
inline constexpr char kThumbImageWidth[] = "Thumb::Image::Width";
inline constexpr char kThumbImageHeight[] = "Thumb::Image::Height";
inline constexpr char kThumbSoftware[] = "Software";

// A PNG entry: its text keys and, when asked for, its picture (24-bit,
// transparency composed onto white).
struct ThumbnailPng {
  std::vector<std::pair<std::string, std::string>> keys;
  DibImage picture;
  int width = 0, height = 0;
  const std::string* Key(std::string_view name) const;
};
// Reads a PNG from memory, the picture only with `pixels`. Nothing for
// anything but a well-formed PNG of at most 4096 pixels a side.
std::optional<ThumbnailPng> ReadThumbnailPng(std::span<const uint8_t> bytes, bool pixels);
// A 24-bit picture (any depth the codecs give is converted) as an 8-bit RGB
// PNG with `keys` as text chunks before the pixels. Empty on failure.
std::vector<uint8_t> WriteThumbnailPng(const DibImage& picture,
                                       const std::vector<std::pair<std::string, std::string>>& keys);

// The cached picture of one file.
struct CachedThumbnail {
  DibImage picture;       // at most 256 pixels a side
  int fullWidth = 0;      // the file's picture, from which the cell's place comes
  int fullHeight = 0;
};

enum class CacheLookup {
  Missing,  // no usable entry: make the picture
  Found,    // a current entry of at least the asked size
  Failed,   // a current failure record: the file is not tried again
};

class ThumbnailCache {
 public:
  static constexpr int kNormalSide = 128;
  static constexpr int kLargeSide = 256;
  // $XDG_CACHE_HOME/thumbnails, else $HOME/.cache/thumbnails; empty when
  // neither is set (no cache then).
  static std::string DefaultRoot();
  // The cache at DefaultRoot for this program's version; nothing without a root.
  static std::optional<ThumbnailCache> ForThisUser();

  // The entries written name "Lumora <version>" as their "Software";
  // failures go under fail/lumora-<version>.
  ThumbnailCache(std::string root, std::string version);
  const std::string& Root() const { return root_; }

  // Paths are taken as absolute (against the current folder) and normal.
  // The entry of the file at `path` that is current (same URI,
  // last-write time and size as the file now) and whose picture covers the
  // thumbnail's place in `cell` (worked out from the full size the entry
  // gives); a video's entry only when Lumora wrote it.
  CacheLookup Find(const std::string& path, bool video, const ThumbnailCell& cell, CachedThumbnail& out) const;
  // Writes the normal entry of `path` from `picture` (the decoded picture at
  // any reduced scale, shrunk here to at most 128 a side), with the full
  // picture size. A stale entry is replaced. False when it cannot be written.
  bool Store(const std::string& path, const DibImage& picture, int fullWidth, int fullHeight) const;
  // Records that no picture could be made of `path` as it is now.
  bool StoreFailure(const std::string& path) const;
  // The file at `path` changed or went: its entries go.
  void Remove(const std::string& path) const;
  // The file moved from `from` to `to`: its entries follow (their URI key
  // rewritten), anything cached under `to` before goes.
  void Move(const std::string& from, const std::string& to) const;

  // The entry file names of `path`, for the folders above.
  std::string NormalPath(const std::string& path) const;
  std::string LargePath(const std::string& path) const;
  std::string FailPath(const std::string& path) const;
  const std::string& Software() const { return software_; }

 private:
  std::string root_;
  std::string software_;
  std::string failFolder_;
};

}  // namespace lumora
