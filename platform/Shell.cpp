// The shell over POSIX: programs are spawned in a session of their own and
// reaped in the background; copies go through a temporary file in the
// destination folder so a failed copy never replaces a good file.
#include "platform/Shell.h"

#include "platform/FileCopy.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <thread>

#include "platform/FileIo.h"

extern char** environ;

namespace lumora {

namespace fs = std::filesystem;

namespace {

// Copies one regular file to `to`, replacing it only once the copy is whole.
bool CopyFileReplacing(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  if (fs::exists(to, ec) && fs::equivalent(from, to, ec)) return true;  // copying a file onto itself
  fs::path tmp = to;
  tmp += ".lumora-copy-" + std::to_string(::getpid());
  fs::copy_file(from, tmp, fs::copy_options::overwrite_existing, ec);
  if (ec) {
    fs::remove(tmp, ec);
    return false;
  }
  const UniqueFd fd = OpenFd(tmp, O_RDONLY);
  const bool synced = fd && ::fsync(fd.get()) == 0;
  if (!synced || ::rename(tmp.c_str(), to.c_str()) != 0) {
    fs::remove(tmp, ec);
    return false;
  }
  return true;
}

bool CopyTree(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  fs::file_status st = fs::symlink_status(from, ec);
  if (ec) return false;
  if (!fs::is_directory(st)) return CopyFileReplacing(from, to);
  // A folder copied into itself would never end.
  fs::path canonFrom = fs::weakly_canonical(from, ec);
  fs::path canonTo = fs::weakly_canonical(to, ec);
  auto mismatch = std::mismatch(canonFrom.begin(), canonFrom.end(), canonTo.begin(), canonTo.end());
  if (mismatch.first == canonFrom.end()) return false;
  fs::create_directories(to, ec);
  if (ec) return false;
  bool ok = true;
  for (const auto& entry : fs::directory_iterator(from, ec))
    ok = CopyTree(entry.path(), to / entry.path().filename()) && ok;
  return ok && !ec;
}

}  // namespace

bool PosixShell::OpenDocument(const std::string& target) {
  return StartProgram("xdg-open", {target}, "");
}

bool PosixShell::StartProgram(const std::string& program, const std::vector<std::string>& args,
                              const std::string& startFolder) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  posix_spawnattr_t attr;
  posix_spawn_file_actions_t actions;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
  posix_spawn_file_actions_init(&actions);
  if (!startFolder.empty()) posix_spawn_file_actions_addchdir_np(&actions, startFolder.c_str());
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, program.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) return false;
  // The program lives on its own; reap it whenever it ends so no zombie stays.
  std::thread([pid] {
    int status;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

FileOpResult PosixShell::DeletePaths(const std::vector<std::string>& paths) {
  bool ok = true;
  for (const auto& p : paths) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(p, ec)) || fs::remove_all(p, ec) == static_cast<std::uintmax_t>(-1) || ec)
      ok = false;
  }
  return ok ? FileOpResult::Done : FileOpResult::Failed;
}

FileOpResult PosixShell::TrashPaths(const std::vector<std::string>& paths) {
  bool ok = true;
  for (const auto& p : paths) ok = MoveToTrash(p) && ok;
  return ok ? FileOpResult::Done : FileOpResult::Failed;
}

FileOpResult PosixShell::RenamePath(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
    return FileOpResult::Done;
  return FileOpResult::Failed;
}

FileOpResult PosixShell::CopyPaths(const std::vector<std::string>& sources, const std::string& toFolder) {
  std::error_code ec;
  fs::create_directories(toFolder, ec);
  if (!fs::is_directory(toFolder, ec)) return FileOpResult::Failed;
  bool ok = true;
  for (const auto& s : sources) {
    fs::path from(s);
    ok = CopyTree(from, fs::path(toFolder) / from.filename()) && ok;
  }
  return ok ? FileOpResult::Done : FileOpResult::Failed;
}

}  // namespace lumora
