// A tmpfs mounted on a new folder for one test (another file system, or a
// small one that fills up), unmounted afterwards. Mounting needs privileges
// the test may not have: then it is empty and says why, for GTEST_SKIP.
#pragma once

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

namespace lumora::test {

class Tmpfs {
 public:
  // `options` as for mount -o, e.g. "size=256k".
  Tmpfs(const std::filesystem::path& at, const std::string& options) : path_(at) {
    std::filesystem::create_directories(at);
    if (::mount("tmpfs", at.c_str(), "tmpfs", 0, options.c_str()) == 0)
      mounted_ = true;
    else
      skipReason_ = "cannot mount a tmpfs on " + at.string() + " (" + std::strerror(errno) + ")";
  }
  ~Tmpfs() {
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
  }
  Tmpfs(const Tmpfs&) = delete;
  Tmpfs& operator=(const Tmpfs&) = delete;
  explicit operator bool() const { return mounted_; }
  const std::string& skipReason() const { return skipReason_; }

 private:
  std::filesystem::path path_;
  bool mounted_ = false;
  std::string skipReason_;
};

}  // namespace lumora::test
