// The record behind every entry of the album list and the item list, the
// rule that decides which files of an album are items and of which kind, and
// the three item orders (by name, by type, by date) in both directions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lumora {

// One album (a folder of the albums root) or one item (a file of an album).
struct AlbumItem {
  // Item: the file name without its extension (everything before the last
  // "."). Album: the folder name.
  std::string name;
  // The full path of the file or folder, "/"-separated, no trailing "/".
  std::string path;
  // Item: the file's last-write time as local wall-clock seconds since
  // 1970-01-01 00:00:00 (so it formats with a plain calendar conversion and
  // orders like its "%Y-%m-%d %H:%M:%S" text). Album: 0, unset.
  int64_t time = 0;
};

enum class ItemKind {
  None,       // not an item
  Jpeg,       // ".jpg"
  Tiff,       // ".tif"
  Bmp,        // ".bmp"
  Mpeg,       // ".mpeg", ".mpg"
  Avi,        // ".avi"
  Recording,  // ".erm": an MPEG video stream with a 16-byte trailer
};

inline bool IsVideoKind(ItemKind kind) {
  return kind == ItemKind::Mpeg || kind == ItemKind::Avi || kind == ItemKind::Recording;
}

// The lower-cased text from the last "." of `text` to its end; the whole
// text, lower-cased, when it has no ".". ("Photo.JPG" gives ".jpg".)
std::string LowerExtension(std::string_view text);

// The kind of a file by its name (the last path component of `path`), from
// the album item rows of the file kinds table (io/FileKinds.h): Photo.JPG
// is a Jpeg item, Photo.jpeg, Photo.tiff and Photo.gif are none.
ItemKind ItemKindOf(std::string_view path);

// The item name of a file name: everything before its last "." (the whole
// name when it has none).
std::string ItemNameOf(std::string_view fileName);

// The item orders; the codes are those the sort settings are turned into.
enum class SortKey {
  Name = 0,  // byte-wise, case-sensitive: "Zebra" before "apple"
  Type = 1,  // the lower-cased extensions of the paths, byte-wise; no second key
  Date = 2,  // the times to the whole second
};

// The sort menu's command ids (stored as they are in "SortID" and "SortFR").
inline constexpr uint32_t kSortCommandByName = 32771;
inline constexpr uint32_t kSortCommandByDate = 32772;
inline constexpr uint32_t kSortCommandByType = 32773;
inline constexpr uint32_t kSortCommandForward = 32811;
inline constexpr uint32_t kSortCommandReverse = 32812;

// 32771 Name, 32773 Type, 32772 Date; any other id gives Name.
SortKey SortKeyOfCommand(uint32_t commandId);
// True unless the id is 32812 "Reverse(z-a)".
bool IsForwardCommand(uint32_t commandId);

// -1, 0 or 1: how `a` orders against `b` under `key`; reverse order is the
// forward one with a and b exchanged. Equal records keep no defined order.
int CompareItems(const AlbumItem& a, const AlbumItem& b, SortKey key, bool forward);

// A strict weak order for std::sort and friends.
struct ItemOrder {
  SortKey key = SortKey::Name;
  bool forward = true;
  bool operator()(const AlbumItem& a, const AlbumItem& b) const { return CompareItems(a, b, key, forward) < 0; }
};

// Local wall-clock seconds as "%Y-%m-%d %H:%M:%S".
std::string FormatLocalSeconds(int64_t localSeconds);

}  // namespace lumora
