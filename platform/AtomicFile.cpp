// Atomic whole-file replacement over POSIX.
#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "platform/FileIo.h"

namespace lumora {

namespace {

// Tries this many temporary names before a save gives up.
constexpr int kTempNameAttempts = 16;

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool ReplaceFileWith(const std::string& path, std::initializer_list<std::span<const uint8_t>> parts,
                     FileSync sync) {
  struct stat old {};
  const bool existed = ::stat(path.c_str(), &old) == 0;

  std::random_device random;
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    std::string tmp = path + ".save-" + std::to_string(random() % 1000000000u) + ".tmp";
    // A new file gets the usual permissions (0666 less the umask).
    UniqueFd fd = OpenFd(tmp, O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (!fd) {
      if (errno == EEXIST) continue;
      return false;  // the folder can't be written
    }
    bool ok = true;
    for (auto part : parts) ok = ok && WriteAll(fd.get(), part);
    // A replaced file keeps its permission bits.
    if (existed) ok = ok && ::fchmod(fd.get(), old.st_mode & 07777) == 0;
    if (sync == FileSync::Disk) ok = ok && ::fsync(fd.get()) == 0;
    ok = fd.Close() && ok;
    if (!ok || ::rename(tmp.c_str(), path.c_str()) != 0) {
      ::unlink(tmp.c_str());
      return false;
    }
    if (sync == FileSync::None) return true;
    if (const UniqueFd dir = OpenFd(FolderOf(path), O_RDONLY | O_DIRECTORY)) ::fsync(dir.get());
    return true;
  }
  return false;
}

}  // namespace lumora
