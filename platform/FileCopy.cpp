// Copies through a temporary file and a no-replace rename, moves as one
// rename, and the freedesktop.org trash, over Linux system calls.
#include "platform/FileCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <random>
#include <vector>

#include "platform/FileIo.h"

namespace lumora {

namespace {

// Tries this many temporary names before a copy gives up.
constexpr int kTempNameAttempts = 16;

std::function<void(const std::string&)>& BeforeRenameHook() {
  static std::function<void(const std::string&)> hook;
  return hook;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

FileOp Result(FileOpStatus status, int error = 0) {
  FileOp op;
  op.status = status;
  if (error != 0) op.reason = std::strerror(error);
  return op;
}

void SyncFolderOf(const std::string& path) {
  if (const UniqueFd dir = OpenFd(FolderOf(path), O_RDONLY | O_DIRECTORY)) ::fsync(dir.get());
}

// Puts `from` at `to` without ever replacing a file there: renameat2 with
// RENAME_NOREPLACE, or a hard link and an unlink where the file system does
// not support that flag. 0 or the errno (EEXIST when `to` is taken).
int RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  ::unlink(from.c_str());
  return 0;
}

// Copies the data of `in` into `out`: copy_file_range where the kernel can
// (within one file system it may share or offload the blocks), a read/write
// loop where it cannot. 0 or the errno of the failure.
int CopyData(int in, int out) {
  for (;;) {
    const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size_t(1) << 30, 0);
    if (n == 0) return 0;
    if (n > 0 || errno == EINTR) continue;
    if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) break;
    return errno;
  }
  // What copy_file_range did copy before it gave up stays; the loop goes on
  // from both files' positions.
  static constexpr size_t kChunk = size_t(1) << 20;
  std::vector<uint8_t> buffer(kChunk);
  for (;;) {
    const ssize_t n = ReadFully(in, buffer);
    if (n < 0) return errno;
    if (n > 0 && !WriteAll(out, {buffer.data(), size_t(n)})) return errno;
    if (size_t(n) < kChunk) return 0;
  }
}

// The first half of a copy: the data of `from` in a new temporary file in
// `to`'s folder (its path in `tmp`), with the source's permission bits and
// times, synced with `sync`, else with its write-back started. Done, or a
// final result with no temporary left.
FileOp WriteTemporary(const std::string& from, const std::string& to, bool replace, bool sync, std::string& tmp) {
  const UniqueFd in = OpenFd(from, O_RDONLY);
  if (!in) return Result(FileOpStatus::SourceGone, errno);
  struct stat st {};
  if (::fstat(in.get(), &st) != 0) return Result(FileOpStatus::Failed, errno);
  if (!S_ISREG(st.st_mode)) return Result(FileOpStatus::Failed, S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
  struct stat there {};
  if (!replace && ::lstat(to.c_str(), &there) == 0) return Result(FileOpStatus::Exists);

  const std::string prefix = FolderOf(to) + "/." + NameOf(to) + ".copy-";
  std::random_device random;
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    tmp = prefix + std::to_string(random() % 1000000000u) + ".tmp";
    UniqueFd out = OpenFd(tmp, O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (!out) {
      if (errno == EEXIST) continue;
      return Result(FileOpStatus::Failed, errno);
    }
    int error = CopyData(in.get(), out.get());
    // The copy keeps the source's permission bits and times, as a copy in a
    // file manager does, so it sorts where the original did.
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (error == 0 && ::fchmod(out.get(), st.st_mode & 07777) != 0) error = errno;
    if (error == 0 && ::futimens(out.get(), times) != 0) error = errno;
    if (error == 0 && sync && ::fsync(out.get()) != 0) error = errno;
    if (error == 0 && !sync && ::sync_file_range(out.get(), 0, 0, SYNC_FILE_RANGE_WRITE) != 0) error = errno;
    if (!out.Close() && error == 0) error = errno;
    if (error != 0) {
      ::unlink(tmp.c_str());
      return Result(FileOpStatus::Failed, error);
    }
    return Result(FileOpStatus::Done);
  }
  return Result(FileOpStatus::Failed, EEXIST);
}

// The second half: the synced temporary `tmp` renamed to `to` (without
// replacing unless `replace`); on failure it is removed.
FileOp PlaceTemporary(const std::string& tmp, const std::string& to, bool replace) {
  if (BeforeRenameHook()) BeforeRenameHook()(to);
  const int error = replace ? (::rename(tmp.c_str(), to.c_str()) == 0 ? 0 : errno) : RenameNoReplace(tmp, to);
  if (error != 0) {
    ::unlink(tmp.c_str());
    if (error == EEXIST && !replace) return Result(FileOpStatus::Exists);
    return Result(FileOpStatus::Failed, error);
  }
  SyncFolderOf(to);
  return Result(FileOpStatus::Done);
}

FileOp Copy(const std::string& from, const std::string& to, bool replace) {
  std::string tmp;
  FileOp written = WriteTemporary(from, to, replace, true, tmp);
  if (!written) return written;
  return PlaceTemporary(tmp, to, replace);
}

// ---- Trash ----

// A trash's two folders ("files" and "info"), made with mode 0700 where
// missing; false when either cannot be made or is no folder.
bool MakeTrashFolders(const std::string& trash) {
  for (const std::string& dir : {trash, trash + "/files", trash + "/info"}) {
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  }
  return true;
}

// Makes every missing folder of `path` with mode 0700.
bool MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) return true;
  }
}

// The device of the nearest existing folder of `path`.
std::optional<dev_t> DeviceOfNearest(std::string path) {
  struct stat st {};
  while (::stat(path.c_str(), &st) != 0) {
    if (path == "/" || path.empty()) return std::nullopt;
    path = FolderOf(path);
  }
  return st.st_dev;
}

// The top folder of the file system that holds the folder `dir` (its mount
// point): the last folder upwards on the same device.
std::string TopFolderOf(std::string dir, dev_t device) {
  while (dir != "/") {
    const std::string up = FolderOf(dir);
    struct stat st {};
    if (::stat(up.c_str(), &st) != 0 || st.st_dev != device) break;
    dir = up;
  }
  return dir;
}

// The trash for a file on `device` in the folder `dir`: the home trash when
// it lives on that file system, else $topdir/.Trash/$uid (only when .Trash is
// a real sticky folder, no symbolic link) or $topdir/.Trash-$uid.
std::optional<std::string> TrashFor(const std::string& dir, dev_t device) {
  std::string dataHome;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/') {
    dataHome = xdg;
  } else if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
    dataHome = std::string(home) + "/.local/share";
  }
  if (!dataHome.empty() && DeviceOfNearest(dataHome) == device) {
    const std::string trash = dataHome + "/Trash";
    if (MakeFolders(dataHome) && MakeTrashFolders(trash)) return trash;
    return std::nullopt;
  }
  const std::string top = TopFolderOf(dir, device);
  const std::string base = top == "/" ? "" : top;
  const std::string uid = std::to_string(::getuid());
  struct stat shared {};
  if (::lstat((base + "/.Trash").c_str(), &shared) == 0 && S_ISDIR(shared.st_mode) && (shared.st_mode & S_ISVTX)) {
    const std::string trash = base + "/.Trash/" + uid;
    if (MakeTrashFolders(trash)) return trash;
  }
  const std::string trash = base + "/.Trash-" + uid;
  if (MakeTrashFolders(trash)) return trash;
  return std::nullopt;
}

// The path as a URL path: bytes other than unreserved characters and "/"
// become %XX.
std::string PercentEncoded(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' || c == '-' ||
        c == '_' || c == '.' || c == '~') {
      out += char(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string LocalDateTime(std::time_t when) {
  std::tm local{};
  char text[32] = "";
  if (::localtime_r(&when, &local)) std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

// Names tried in the trash for one file before giving up.
constexpr int kTrashNameAttempts = 1000;

}  // namespace

void SetCopyBeforeRenameHook(std::function<void(const std::string& to)> hook) { BeforeRenameHook() = std::move(hook); }

FileOp CopyNoReplace(const std::string& from, const std::string& to) { return Copy(from, to, false); }

FileOp CopyReplacing(const std::string& from, const std::string& to) { return Copy(from, to, true); }

CopyBatch::~CopyBatch() {
  for (const Pending& p : pending_) ::unlink(p.tmp.c_str());
}

FileOp CopyBatch::Start(const std::string& from, const std::string& to, bool replace) {
  Pending p{{}, to, replace};
  FileOp written = WriteTemporary(from, to, replace, false, p.tmp);
  if (written) pending_.push_back(std::move(p));
  return written;
}

std::vector<FileOp> CopyBatch::Finish() {
  std::vector<FileOp> results;
  for (const Pending& p : pending_) {
    // fsync waits for the inode's data through any descriptor.
    const UniqueFd fd = OpenFd(p.tmp, O_RDONLY);
    if (!fd || ::fsync(fd.get()) != 0) {
      results.push_back(Result(FileOpStatus::Failed, errno));
      ::unlink(p.tmp.c_str());
      continue;
    }
    results.push_back(PlaceTemporary(p.tmp, p.to, p.replace));
  }
  pending_.clear();
  return results;
}

FileOp MoveNoReplace(const std::string& from, const std::string& to, bool& crossDevice) {
  crossDevice = false;
  struct stat st {};
  if (::lstat(from.c_str(), &st) != 0) return Result(FileOpStatus::SourceGone, errno);
  const int error = RenameNoReplace(from, to);
  if (error == 0) return Result(FileOpStatus::Done);
  if (error == EEXIST) return Result(FileOpStatus::Exists);
  crossDevice = error == EXDEV;
  return Result(FileOpStatus::Failed, error);
}

bool MoveToTrash(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::lstat(path.c_str(), &st) != 0) return false;
  // The trash records the absolute path of the entry itself (a symbolic
  // link stays a link), so only its folder is resolved.
  char* resolved = ::realpath(FolderOf(path).c_str(), nullptr);
  if (!resolved) return false;
  std::string folder = resolved;
  std::free(resolved);
  const std::string name = NameOf(path);
  if (name.empty() || name == "." || name == "..") return false;
  const std::string absolute = (folder == "/" ? "" : folder) + "/" + name;
  const std::optional<std::string> trash = TrashFor(folder, st.st_dev);
  if (!trash) return false;

  const std::string info = "[Trash Info]\nPath=" + PercentEncoded(absolute) +
                           "\nDeletionDate=" + LocalDateTime(std::time(nullptr)) + "\n";
  const size_t dot = name.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && dot > 0;
  const std::string title = hasExtension ? name.substr(0, dot) : name;
  const std::string extension = hasExtension ? name.substr(dot) : "";
  for (int n = 1; n <= kTrashNameAttempts; ++n) {
    // The info file, made exclusively, claims the name in the trash.
    const std::string trashName = n == 1 ? name : title + "." + std::to_string(n) + extension;
    const std::string infoPath = *trash + "/info/" + trashName + ".trashinfo";
    UniqueFd fd = OpenFd(infoPath, O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (!fd) {
      if (errno == EEXIST) continue;
      return false;
    }
    const bool written = WriteAll(fd.get(), info) && ::fsync(fd.get()) == 0;
    if (!fd.Close() || !written) {
      ::unlink(infoPath.c_str());
      return false;
    }
    const int error = RenameNoReplace(path, *trash + "/files/" + trashName);
    if (error == 0) return true;
    ::unlink(infoPath.c_str());
    if (error != EEXIST) return false;
  }
  return false;
}

}  // namespace lumora
