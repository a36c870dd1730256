// Starting programs: replacing the running process with execv, children through posix_spawn.
#include "platform/Exec.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/FileIo.h"

extern char** environ;

extern char** environ;

namespace lumora {

namespace {

std::vector<char*> ArgumentVector(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  return argv;
}

}  // namespace

int ReplaceProcess(const std::string& path, const std::vector<std::string>& args) {
  std::vector<char*> argv = ArgumentVector(args);
  execv(path.c_str(), argv.data());
  return errno;
}

ChildRun RunChild(const std::string& path, const std::vector<std::string>& args) {
  ChildRun run;
  // Both ends close on exec, so children started by other threads meanwhile
  // never hold this write end open; dup2 in the child clears the flag on 2.
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
    run.startError = errno;
    return run;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
  std::vector<char*> argv = ArgumentVector(args);
  pid_t child = 0;
  run.startError = posix_spawn(&child, path.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (run.startError != 0) {
    close(pipeEnds[0]);
    return run;
  }
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(pipeEnds[0], buffer, sizeof buffer);
    if (n > 0) run.errorOutput.append(buffer, size_t(n));
    else if (n == 0 || errno != EINTR) break;
  }
  close(pipeEnds[0]);
  int status = 0;
  pid_t waited = 0;
  do {
    waited = waitpid(child, &status, 0);
  } while (waited < 0 && errno == EINTR);
  run.exitCode = waited == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string FindProgram(std::string_view name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string_view::npos)
    return IsExecutableFile(std::string(name)) ? std::string(name) : std::string();
  const char* path = std::getenv("PATH");
  std::string_view folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    const size_t colon = folders.find(':');
    std::string_view folder = folders.substr(0, colon);
    // An empty entry is the current folder.
    std::string candidate = folder.empty() ? std::string(".") : std::string(folder);
    candidate += '/';
    candidate += name;
    if (IsExecutableFile(candidate)) return candidate;
    if (colon == std::string_view::npos) return {};
    folders.remove_prefix(colon + 1);
  }
}

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args) {
  ProgramRun run;
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return run;
  const UniqueFd readEnd(pipeFds[0]);
  UniqueFd writeEnd(pipeFds[1]);

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), STDOUT_FILENO);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  writeEnd.Close();
  if (rc != 0) return run;

  char buffer[4096];
  while (true) {
    const ssize_t n = ::read(readEnd.get(), buffer, sizeof buffer);
    if (n > 0) {
      run.output.append(buffer, size_t(n));
    } else if (n == 0 || errno != EINTR) {
      break;
    }
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return run;
  }
  if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
  return run;
}

}  // namespace lumora
