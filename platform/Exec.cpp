// Replacing the running process with execv; children through posix_spawn.
#include "platform/Exec.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

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

}  // namespace lumora
