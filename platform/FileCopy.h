// Copies, moves and the trash for the album's files: nothing ever replaces a
// file the user did not ask to replace, and no failure leaves a half file
// under a real name.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace lumora {

// ---- Copies and moves that keep every file ----------------------------------

enum class FileOpStatus {
  Done,
  Exists,      // the destination was taken (also when it appeared meanwhile): nothing was written
  SourceGone,  // the source could not be opened
  Failed,      // anything else (full disk, no permission): nothing is left at the destination
};

struct FileOp {
  FileOpStatus status = FileOpStatus::Failed;
  std::string reason;  // for the user, with Failed: the system's text
  explicit operator bool() const { return status == FileOpStatus::Done; }
};

// Copies `from` to `to`, which must not exist: the data go to a temporary
// file in `to`'s folder (copy_file_range, else a read/write loop), are
// synced, and the file is renamed into place without replacing (a file that
// appeared meanwhile stays and the result is Exists). A failed copy removes
// its temporary file.
FileOp CopyNoReplace(const std::string& from, const std::string& to);
// The same, but an existing `to` is replaced once the copy is complete (the
// old file stays until then): Export.
FileOp CopyReplacing(const std::string& from, const std::string& to);
// Many copies at the disk's pace: Start copies each file into its
// temporary and starts writing it out without waiting (Done means started;
// other results are final); Finish waits for the started copies' data in
// order and renames each into place as CopyNoReplace or CopyReplacing does,
// so a copy has its real name only once its data are on the disk. Copies
// never finished leave no temporary behind. One fsync a file makes a batch of
// single copies wait for the disk once a file; a batch overlaps them.
class CopyBatch {
 public:
  CopyBatch() = default;
  ~CopyBatch();
  CopyBatch(const CopyBatch&) = delete;
  CopyBatch& operator=(const CopyBatch&) = delete;

  FileOp Start(const std::string& from, const std::string& to, bool replace);
  // The results of the started copies, in the order started.
  std::vector<FileOp> Finish();

 private:
  struct Pending {
    std::string tmp, to;
    bool replace = false;
  };
  std::vector<Pending> pending_;
};

// One rename without replacing when both are on one file system; Failed with
// `crossDevice` set when they are not (the caller copies).
FileOp MoveNoReplace(const std::string& from, const std::string& to, bool& crossDevice);

// For tests: `hook` runs with the destination once a copy's temporary file
// is complete and synced, just before it is renamed into place (where a file
// appearing meanwhile must survive). An empty function removes it.
void SetCopyBeforeRenameHook(std::function<void(const std::string& to)> hook);

// ---- Trash ----------------------------------------------------------------

// Moves a file or folder to the desktop trash (the freedesktop.org trash:
// $XDG_DATA_HOME/Trash on the home's file system, else $topdir/.Trash/$uid
// or $topdir/.Trash-$uid), with its .trashinfo. False when no usable trash
// exists for it or the move failed: nothing changed, the caller may delete.
bool MoveToTrash(const std::string& path);

}  // namespace lumora
