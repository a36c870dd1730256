// The album store on disk: albums are the folders of one "Albums" folder
// beside the program, and nothing else remembers them. Here are the rules
// for finding the albums root, listing and ordering albums, choosing the
// album to open at start, naming, creating, deleting and renaming albums,
// the album information texts and the size format. No window is involved:
// the caller shows the messages and keeps the list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "albums/AlbumItem.h"
#include "platform/Shell.h"

namespace lumora {

inline constexpr std::string_view kAlbumsFolderName = "Albums";
inline constexpr std::string_view kNewAlbumBaseName = "Album";
// Album labels longer than this many bytes are cut ...
inline constexpr size_t kAlbumLabelMaxBytes = 8;
// ... to this many bytes followed by "...".
inline constexpr size_t kAlbumLabelKeptBytes = 6;

// The albums root: the folder of the program file, then "/Albums/" (with the
// trailing "/"). Rebuilt from the program path on every call; no setting
// changes it, and it is never created here.
std::string AlbumsRoot(const std::filesystem::path& programPath);

// Every directory entry of `root` (not files, not "." or ".."), in the order
// the file system lists them, as album entries (name = folder name, path =
// root + name, time 0), and the index of the album whose lower-cased name
// equals the lower-cased `wantedName`, or -1. A root that does not exist or
// cannot be read gives no albums.
struct AlbumEnumeration {
  std::vector<AlbumItem> albums;
  int matched = -1;
};
AlbumEnumeration EnumerateAlbums(const std::string& root, std::string_view wantedName);

// Byte-wise, case-sensitive comparison of the names (<0, 0, >0): "Zoo"
// before "apple".
int CompareAlbumNames(const AlbumItem& a, const AlbumItem& b);
// Ascending by CompareAlbumNames.
void SortAlbums(std::vector<AlbumItem>& albums);

// The album list at start and the album to open: enumerate with the stored
// "AlbumName", remember the matched album's name, sort, then the current
// album is the first sorted album with exactly that name, else 0. -1 only
// when there are no albums.
struct StartAlbums {
  std::vector<AlbumItem> albums;
  int current = -1;
};
StartAlbums BuildStartAlbums(const std::string& root, std::string_view storedAlbumName);

// The first index whose name equals `name` ignoring case, or -1 (where the
// current album goes after a rename re-sorts the list).
int FindAlbumIgnoringCase(const std::vector<AlbumItem>& albums, std::string_view name);

// The text the album list shows: names longer than 8 bytes become their
// first 6 bytes followed by "..." ("Holidays2" shows as "Holida..."). The cut
// never splits a UTF-8 character: it backs off to the character's start.
std::string AlbumLabelText(std::string_view name);
// `text` cut to at most `keepBytes` bytes (whole UTF-8 characters) followed
// by "...", for labels that are too long.
std::string ShortenLabel(std::string_view text, size_t keepBytes);

// The name `NEW` gives: "Album", else "Album (1)", "Album (2)", ...: the
// first in that order that no entry of `root` (folders and files alike)
// equals ignoring case, even when a later one is also free.
std::string NewAlbumName(const std::string& root);

// Makes `root` the process's current directory and creates the folder
// root + name (never the root itself). The new album's entry on success;
// nothing when the folder could not be made (the caller shows
// "Cannot create" with the name).
std::optional<AlbumItem> CreateAlbum(const std::string& root, const std::string& name);

// The last album can never be deleted: deleting needs at least this many.
inline constexpr size_t kFewestAlbumsToDelete = 2;

enum class AlbumDeleteResult {
  Deleted,  // the folder is gone: the album leaves the list
  Aborted,  // the user stopped the shell: nothing changes
  Failed,   // the folder is still there: the album stays in the list
};
// Moves the album folder with everything in it to the desktop trash through
// the shell, or deletes it for good where there is no usable trash (no
// confirmation: the caller asked).
AlbumDeleteResult DeleteAlbum(Shell& shell, const AlbumItem& album);

enum class AlbumRenameStep {
  EditAgain,  // empty or unusable name, or the shell could not rename: reopen the label editor
  Missing,    // the folder could not be found afterwards: nothing more happens
  Renamed,    // `entry` replaces the album's entry; re-sort and re-point the items
};
struct AlbumRename {
  AlbumRenameStep step = AlbumRenameStep::EditAgain;
  // With Renamed: name = the new name as typed, path = the folder as it now
  // lies on disk.
  AlbumItem entry;
  // True when the folder was renamed on disk. A change of case only
  // ("Trip" to "TRIP") renames nothing: the paths compare equal ignoring
  // case, and the entry keeps pointing at the folder as it is.
  bool renamedOnDisk = false;
};
// The end of an album label edit. The folder renamed is the one `oldName`
// finds ignoring case (after a change of case only the shown name and the
// folder's differ). Names holding "/" or "\" or being "." or ".." never
// leave the albums root, and a name that another entry of the root has,
// ignoring case, would make two albums differing in case only: both are
// refused like a failed rename.
AlbumRename RenameAlbum(Shell& shell, const std::string& root, const std::string& oldName,
                        const std::string& newName);

// After a rename: every item's path becomes `albumFolder` + "/" + its name +
// the extension of its old path; names and times stay.
void RepointItems(std::vector<AlbumItem>& items, const std::string& albumFolder);

// The bytes of the files at `paths` whose lower-cased extension is
// recognised, summed into an unsigned 32-bit number (wrapping as it would).
// Paths that no longer name a file add nothing.
uint32_t SumItemSizes(const std::vector<std::string>& paths);

// The texts of the album information dialog. When the folder cannot be found
// every text stays empty.
struct AlbumInfo {
  bool found = false;
  std::string name;      // the folder name as the file system has it
  std::string path;      // the folder path as passed in
  std::string created;   // local time, "%Y-%m-%d %H:%M:%S"; empty where the file system keeps no birth time
  std::string modified;  // local time, "%Y-%m-%d %H:%M:%S"
  std::string accessed;  // local time, "%Y-%m-%d %H:%M:%S"
  std::string count;     // "%d"
  std::string size;      // FormatSize
};
AlbumInfo ReadAlbumInfo(const std::string& folderPath, int itemCount, uint32_t totalBytes);

// Sizes as the program shows them: v = bytes, unit "bytes"; while v > 1000,
// v /= 1024 and the unit steps to KB, MB, GB. 0 gives "0 bytes", anything else
// "%.1f %s": 512 gives "512.0 bytes", 1000 "1000.0 bytes", 1001 "1.0 KB",
// 1048576 "1.0 MB".
std::string FormatSize(uint32_t bytes);

}  // namespace lumora
