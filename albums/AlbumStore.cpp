// Albums on disk: the root beside the program, the folders in it, and the
// album commands' rules.
#include "albums/AlbumStore.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "platform/Desktop.h"
#include "platform/FileTimes.h"
#include "platform/Paths.h"

namespace fs = std::filesystem;

namespace lumora {

namespace {

// The names of every entry of `folder` (folders and files), in listing order.
// Empty when the folder cannot be listed.
std::vector<std::string> EntryNames(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    names.push_back(it->path().filename().string());
  return names;
}

bool IsUsableAlbumName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string_view::npos;
}

// The entry of `root` named `name`: the exact spelling when present, else the
// first that equals it ignoring case (how a find on a case-blind file system
// answers). Empty when none is there.
std::string FindEntryName(const std::string& root, const std::string& name) {
  std::string ignoringCase;
  for (const std::string& entry : EntryNames(root)) {
    if (entry == name) return entry;
    if (ignoringCase.empty() && EqualsIgnoreCase(entry, name)) ignoringCase = entry;
  }
  return ignoringCase;
}

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::string AlbumsRoot(const fs::path& programPath) {
  return programPath.parent_path().string() + "/" + std::string(kAlbumsFolderName) + "/";
}

AlbumEnumeration EnumerateAlbums(const std::string& root, std::string_view wantedName) {
  AlbumEnumeration result;
  std::error_code ec;
  for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (!it->is_directory(typeError)) continue;
    std::string name = it->path().filename().string();
    if (result.matched < 0 && EqualsIgnoreCase(name, wantedName)) result.matched = int(result.albums.size());
    result.albums.push_back({name, root + name, 0});
  }
  return result;
}

int CompareAlbumNames(const AlbumItem& a, const AlbumItem& b) { return a.name.compare(b.name); }

void SortAlbums(std::vector<AlbumItem>& albums) {
  std::ranges::stable_sort(albums, [](const AlbumItem& a, const AlbumItem& b) { return CompareAlbumNames(a, b) < 0; });
}

StartAlbums BuildStartAlbums(const std::string& root, std::string_view storedAlbumName) {
  AlbumEnumeration found = EnumerateAlbums(root, storedAlbumName);
  StartAlbums start{std::move(found.albums), found.matched};
  if (start.albums.empty()) return start;
  const std::string remembered = start.current >= 0 ? start.albums[size_t(start.current)].name : std::string();
  SortAlbums(start.albums);
  start.current = 0;
  for (size_t i = 0; i < start.albums.size(); ++i) {
    if (start.albums[i].name != remembered) continue;
    start.current = int(i);
    break;
  }
  return start;
}

int FindAlbumIgnoringCase(const std::vector<AlbumItem>& albums, std::string_view name) {
  for (size_t i = 0; i < albums.size(); ++i)
    if (EqualsIgnoreCase(albums[i].name, name)) return int(i);
  return -1;
}

std::string ShortenLabel(std::string_view text, size_t keepBytes) {
  size_t cut = std::min(keepBytes, text.size());
  // Cutting inside a character would leave half of it: back off to its start.
  while (cut > 0 && cut < text.size() && IsUtf8Continuation(text[cut])) --cut;
  return std::string(text.substr(0, cut)) + "...";
}

std::string AlbumLabelText(std::string_view name) {
  return name.size() > kAlbumLabelMaxBytes ? ShortenLabel(name, kAlbumLabelKeptBytes) : std::string(name);
}

std::string NewAlbumName(const std::string& root) {
  const std::vector<std::string> entries = EntryNames(root);
  std::string candidate(kNewAlbumBaseName);
  for (int n = 1;; ++n) {
    const bool taken =
        std::ranges::any_of(entries, [&](const std::string& entry) { return EqualsIgnoreCase(entry, candidate); });
    if (!taken) return candidate;
    candidate = std::string(kNewAlbumBaseName) + " (" + std::to_string(n) + ")";
  }
}

std::optional<AlbumItem> CreateAlbum(const std::string& root, const std::string& name) {
  if (!IsUsableAlbumName(name)) return std::nullopt;
  MakeCurrentDirectory(root);
  std::error_code ec;
  if (!fs::create_directory(root + name, ec) || ec) return std::nullopt;
  return AlbumItem{name, root + name, 0};
}

AlbumDeleteResult DeleteAlbum(Shell& shell, const AlbumItem& album) {
  std::error_code ec;
  // To the trash, where the user can take the album back; where there is no
  // usable trash, deleted for good (the user confirmed the delete).
  if (shell.TrashPaths({album.path}) == FileOpResult::Done && !fs::exists(fs::symlink_status(album.path, ec)))
    return AlbumDeleteResult::Deleted;
  const FileOpResult result = shell.DeletePaths({album.path});
  if (result == FileOpResult::Aborted) return AlbumDeleteResult::Aborted;
  if (fs::exists(fs::symlink_status(album.path, ec))) return AlbumDeleteResult::Failed;
  return AlbumDeleteResult::Deleted;
}

AlbumRename RenameAlbum(Shell& shell, const std::string& root, const std::string& oldName,
                        const std::string& newName) {
  AlbumRename rename;
  if (!IsUsableAlbumName(newName)) return rename;
  // After a change of case only, the name shown and the folder's differ:
  // the folder is the one the old name finds, ignoring case.
  const std::string oldOnDisk = FindEntryName(root, oldName);
  // Another entry with the new name in any case is a clash, as on a
  // case-blind file system: the album found by name ignoring case would
  // otherwise be the other one.
  for (const std::string& entry : EntryNames(root))
    if (entry != oldOnDisk && EqualsIgnoreCase(entry, newName)) return rename;
  const std::string oldPath = root + (oldOnDisk.empty() ? oldName : oldOnDisk);
  const std::string newPath = root + newName;
  if (!EqualsIgnoreCase(oldPath, newPath)) {
    if (shell.RenamePath(oldPath, newPath) != FileOpResult::Done) return rename;
    rename.renamedOnDisk = true;
  }
  const std::string onDisk = FindEntryName(root, rename.renamedOnDisk ? newName : oldName);
  if (onDisk.empty()) {
    rename.step = AlbumRenameStep::Missing;
    return rename;
  }
  rename.step = AlbumRenameStep::Renamed;
  rename.entry = {newName, root + onDisk, 0};
  return rename;
}

void RepointItems(std::vector<AlbumItem>& items, const std::string& albumFolder) {
  for (AlbumItem& item : items) {
    const size_t slash = item.path.find_last_of('/');
    const size_t dot = item.path.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    item.path = albumFolder + "/" + item.name + (hasExtension ? item.path.substr(dot) : std::string());
  }
}

uint32_t SumItemSizes(const std::vector<std::string>& paths) {
  uint32_t sum = 0;
  for (const std::string& path : paths) {
    if (ItemKindOf(path) == ItemKind::None) continue;
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) continue;
    const uintmax_t size = fs::file_size(path, ec);
    if (!ec) sum += static_cast<uint32_t>(size);
  }
  return sum;
}

AlbumInfo ReadAlbumInfo(const std::string& folderPath, int itemCount, uint32_t totalBytes) {
  AlbumInfo info;
  std::error_code ec;
  const std::optional<FileTimes> times = ReadFileTimes(folderPath);
  if (!times || !fs::is_directory(folderPath, ec)) return info;
  info.found = true;
  info.name = fs::path(folderPath).filename().string();
  info.path = folderPath;
  if (times->created) info.created = FormatLocalSeconds(*times->created);
  info.modified = FormatLocalSeconds(times->modified);
  info.accessed = FormatLocalSeconds(times->accessed);
  info.count = std::to_string(itemCount);
  info.size = FormatSize(totalBytes);
  return info;
}

std::string FormatSize(uint32_t bytes) {
  static constexpr const char* kUnits[] = {"bytes", "KB", "MB", "GB"};
  if (bytes == 0) return "0 bytes";
  float value = float(bytes);
  size_t unit = 0;
  while (value > 1000 && unit + 1 < std::size(kUnits)) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", double(value), kUnits[unit]);
  return text;
}

}  // namespace lumora
