// What the item operations do to the album's files, without any window:
// the names they choose (Add's clash rule, Duplicate's numbering,
// MakeUniqueName for drops), copies that never replace a file and never
// leave a half file under a real name, moves that are one rename on one file
// system and a copy across two, the trash, and a file's information.
// The item list and the messages are the window's; the copies, moves and
// the trash themselves are the platform's (platform/FileCopy.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileCopy.h"

namespace lumora {

// ---- Names ------------------------------------------------------------------

// `folder` + "/" + `name` when no file of that name is there; otherwise
// title + " (" + n + ")" + extension for the first n = 0, 1, 2, ... that is
// free, whole names compared ignoring case (folders and "." entries are not
// files and do not count).
std::string MakeUniqueName(const std::string& folder, const std::string& name);

// Add's destination for `source` in `folder`: its own name when free;
// otherwise its title numbered from 1, where any entry whose title (the name
// without its extension) equals the candidate ignoring case counts as taken,
// whatever its extension: beach.jpg beside beach.jpg and Beach (1).bmp
// becomes beach (2).jpg.
// `inFlight`: the full paths of copies already started into the folder that
// are not there yet (a batch of copies); their names count as taken.
std::string AddDestination(const std::string& folder, const std::string& source,
                           const std::vector<std::string>& inFlight = {});

// Duplicate's name for the item at `path`: title + " (" + n + ")" +
// extension in the same folder for the first n = 1, 2, ... whose whole name
// no entry (and no name of `inFlight`, as for AddDestination) has.
std::string DuplicateDestination(const std::string& path, const std::vector<std::string>& inFlight = {});

// A drop's file into an album folder: a move on the same file system, a copy
// (the source stays) across two; a taken name is made free with
// MakeUniqueName (numbering from 0).
struct PutResult {
  FileOp op;
  std::string path;      // where the file is now (with Done)
  bool moved = false;    // moved rather than copied
  bool renamed = false;  // the name was taken: `path` has a number
};
PutResult PutFileIntoAlbum(const std::string& source, const std::string& albumFolder);

// A drop of many files into one album, as PutFileIntoAlbum one by one, but
// the album folder is read once for the batch (and again only when another
// program took a chosen name meanwhile, which is never replaced), so a drop
// of n files does not cost n walks of a growing folder.
class AlbumDrop {
 public:
  explicit AlbumDrop(std::string albumFolder);
  PutResult Put(const std::string& source);

 private:
  std::string folder_;
  std::vector<std::string> files_;  // the album's file names as last read, plus the batch's own
  bool listed_ = false;
};

// ---- Information ----------------------------------------------------------

struct ItemInfo {
  std::string title;     // the file name without its extension
  std::string folder;    // the folder that holds it
  std::string created;   // "%Y-%m-%d %H:%M:%S": the birth time where the file system keeps one, else the change time
  std::string modified;  // last write
  std::string accessed;  // last access
  std::string type;      // "BITMAP", "JPEG", "AVI", "MPEG", "ERM", else the extension lower-cased
  std::string size;      // "1,048,576 bytes( 640 * 480)"
};
// Nothing when the file cannot be opened. The picture size comes from a
// picture made as for thumbnails; `audioPicture` is the JPEG shown for
// audio-only MPEG files (resource 436), empty for none.
std::optional<ItemInfo> ReadItemInfo(const std::string& path, const std::vector<uint8_t>& audioPicture);

// 1048576 -> "1,048,576".
std::string GroupThousands(uint64_t value);

}  // namespace lumora
