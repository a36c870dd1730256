// The names item operations choose, drops into albums and a file's
// information, over the platform's copies and moves.
#include "albums/ItemFiles.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "albums/AlbumItem.h"
#include "albums/ItemLoader.h"
#include "media/codecs/Jpeg.h"
#include "platform/FileIo.h"
#include "platform/FileTimes.h"
#include "platform/Paths.h"

namespace fs = std::filesystem;

namespace lumora {

namespace {

// How often a drop picks a new free name when another file took the chosen
// one between the choice and the copy.
constexpr int kPutAttempts = 8;

struct Entry {
  std::string name;
  bool folder = false;
};

// Every entry of `folder` ("." and ".." are never listed); none when it
// cannot be read.
std::vector<Entry> EntriesOf(const std::string& folder) {
  std::vector<Entry> entries;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    // The name straight from the entry's path: a drop walks the whole album
    // for each file, so this loop is what a large drop costs.
    const std::string& full = it->path().native();
    std::error_code kindError;
    entries.push_back({full.substr(full.find_last_of('/') + 1), it->is_directory(kindError)});
  }
  return entries;
}

// The name before its last "." and the rest ("beach", ".jpg"); a name
// without "." is all title.
std::pair<std::string, std::string> SplitName(const std::string& name) {
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos) return {name, {}};
  return {name.substr(0, dot), name.substr(dot)};
}

std::string Numbered(const std::string& title, int n, const std::string& extension) {
  return title + " (" + std::to_string(n) + ")" + extension;
}

std::string InFolder(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::string FileNameOf(const std::string& path) { return fs::path(path).filename().string(); }

bool NameTaken(const std::vector<Entry>& entries, const std::string& name, bool filesOnly) {
  for (const Entry& e : entries)
    if (!(filesOnly && e.folder) && EqualsIgnoreCase(e.name, name)) return true;
  return false;
}

// Local wall-clock seconds as "%Y-%m-%d %H:%M:%S".
std::string TimeText(int64_t localSeconds) {
  const std::time_t t = static_cast<std::time_t>(localSeconds);
  std::tm tm{};
  char text[32] = "";
  if (::gmtime_r(&t, &tm)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
  return text;
}

std::string TypeName(const std::string& fileName) {
  const size_t dot = fileName.find_last_of('.');
  if (dot == std::string::npos) return {};
  const std::string extension = LowerExtension(fileName.substr(dot));
  static constexpr std::pair<std::string_view, std::string_view> kNames[] = {
      {".bmp", "BITMAP"}, {".jpg", "JPEG"}, {".jpeg", "JPEG"}, {".avi", "AVI"},
      {".mpg", "MPEG"},   {".mpeg", "MPEG"}, {".erm", "ERM"},
  };
  for (const auto& [ext, name] : kNames)
    if (extension == ext) return std::string(name);
  return extension;
}

// An MPEG file whose first four bytes, as a little-endian value v, have
// every bit of 0xFDFF set is an audio-only stream: it shows the stored
// picture instead of a frame.
bool IsAudioOnlyMpeg(int fd) {
  uint8_t head[4] = {};
  if (ReadFullyAt(fd, 0, head) != 4) return false;
  const uint32_t v = uint32_t(head[0]) | uint32_t(head[1]) << 8 | uint32_t(head[2]) << 16 | uint32_t(head[3]) << 24;
  return (v & 0xFDFF) == 0xFDFF;
}

// The names of the files (not folders) among `entries`.
std::vector<std::string> FileNamesOf(std::vector<Entry> entries) {
  std::vector<std::string> names;
  for (Entry& e : entries)
    if (!e.folder) names.push_back(std::move(e.name));
  return names;
}

// MakeUniqueName over the file names `files` of `folder`.
std::string UniqueNameAmong(const std::vector<std::string>& files, const std::string& folder, const std::string& name) {
  const auto taken = [&](const std::string& candidate) {
    return std::any_of(files.begin(), files.end(), [&](const std::string& f) { return EqualsIgnoreCase(f, candidate); });
  };
  if (!taken(name)) return InFolder(folder, name);
  const auto [title, extension] = SplitName(name);
  int n = 0;
  while (taken(Numbered(title, n, extension))) ++n;
  return InFolder(folder, Numbered(title, n, extension));
}

}  // namespace

std::string MakeUniqueName(const std::string& folder, const std::string& name) {
  return UniqueNameAmong(FileNamesOf(EntriesOf(folder)), folder, name);
}

namespace {

// The folder's entries and the names of the copies under way into it.
std::vector<Entry> EntriesWith(const std::string& folder, const std::vector<std::string>& inFlight) {
  std::vector<Entry> entries = EntriesOf(folder);
  for (const std::string& path : inFlight) entries.push_back({FileNameOf(path), false});
  return entries;
}

}  // namespace

std::string AddDestination(const std::string& folder, const std::string& source,
                           const std::vector<std::string>& inFlight) {
  const std::string name = FileNameOf(source);
  const std::vector<Entry> entries = EntriesWith(folder, inFlight);
  if (!NameTaken(entries, name, false)) return InFolder(folder, name);
  const auto [title, extension] = SplitName(name);
  const auto titleTaken = [&](const std::string& candidate) {
    for (const Entry& e : entries)
      if (EqualsIgnoreCase(SplitName(e.name).first, candidate)) return true;
    return false;
  };
  int n = 0;
  std::string candidate = title;
  while (titleTaken(candidate)) candidate = title + " (" + std::to_string(++n) + ")";
  return InFolder(folder, candidate + extension);
}

std::string DuplicateDestination(const std::string& path, const std::vector<std::string>& inFlight) {
  const std::string folder = fs::path(path).parent_path().string();
  const std::string name = FileNameOf(path);
  const std::vector<Entry> entries = EntriesWith(folder, inFlight);
  const auto [title, extension] = SplitName(name);
  int n = 1;
  while (NameTaken(entries, Numbered(title, n, extension), false)) ++n;
  return InFolder(folder, Numbered(title, n, extension));
}

AlbumDrop::AlbumDrop(std::string albumFolder) : folder_(std::move(albumFolder)) {}

PutResult AlbumDrop::Put(const std::string& source) {
  PutResult put;
  struct stat from {};
  if (::stat(source.c_str(), &from) != 0) {
    put.op = {FileOpStatus::SourceGone, "the file is gone"};
    return put;
  }
  if (S_ISDIR(from.st_mode)) {
    put.op = {FileOpStatus::Failed, "a folder is no album item"};
    return put;
  }
  const std::string name = FileNameOf(source);
  struct stat there {};
  if (::stat(InFolder(folder_, name).c_str(), &there) == 0 && there.st_dev == from.st_dev &&
      there.st_ino == from.st_ino) {
    put.op = {FileOpStatus::Failed, "the file is already in this album"};
    return put;
  }
  bool move = SameFileSystem(source, folder_);
  for (int attempt = 0; attempt < kPutAttempts; ++attempt) {
    // A name another program took since the folder was read makes the copy
    // or move refuse (Exists); the next round reads the folder again.
    if (!listed_ || attempt > 0) files_ = FileNamesOf(EntriesOf(folder_));
    listed_ = true;
    put.path = UniqueNameAmong(files_, folder_, name);
    put.renamed = put.path != InFolder(folder_, name);
    if (move) {
      bool crossDevice = false;
      put.op = MoveNoReplace(source, put.path, crossDevice);
      // One file system seen through two mounts still needs a copy.
      if (crossDevice) {
        move = false;
        put.op = CopyNoReplace(source, put.path);
      }
    } else {
      put.op = CopyNoReplace(source, put.path);
    }
    put.moved = move;
    if (put.op.status != FileOpStatus::Exists) break;
  }
  if (put.op)
    files_.push_back(FileNameOf(put.path));
  else
    put.path.clear();
  return put;
}

PutResult PutFileIntoAlbum(const std::string& source, const std::string& albumFolder) {
  return AlbumDrop(albumFolder).Put(source);
}

std::optional<ItemInfo> ReadItemInfo(const std::string& path, const std::vector<uint8_t>& audioPicture) {
  const UniqueFd fd = OpenFd(path, O_RDONLY);
  struct stat st {};
  if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  const std::optional<FileTimes> times = ReadFileTimes(path);
  if (!times) return std::nullopt;

  const std::string fileName = FileNameOf(path);
  ItemInfo info;
  info.title = ItemNameOf(fileName);
  info.folder = fs::path(path).parent_path().string();
  info.created = TimeText(times->created.value_or(times->changed));
  info.modified = TimeText(times->modified);
  info.accessed = TimeText(times->accessed);
  info.type = TypeName(fileName);

  PictureSize size;
  if (ItemKindOf(fileName) == ItemKind::Mpeg && IsAudioOnlyMpeg(fd.get())) {
    DibImage picture;
    if (!audioPicture.empty() && ReadJpegResource(picture, audioPicture)) size = {picture.width(), picture.height()};
  } else if (const std::optional<PictureSize> made = ItemPictureSize(path)) {
    size = *made;
  }
  info.size = GroupThousands(uint64_t(st.st_size)) + " bytes( " + std::to_string(size.width) + " * " +
              std::to_string(size.height) + ")";
  return info;
}

std::string GroupThousands(uint64_t value) {
  std::string digits = std::to_string(value);
  for (size_t i = digits.size(); i > 3; i -= 3) digits.insert(i - 3, ",");
  return digits;
}

}  // namespace lumora
