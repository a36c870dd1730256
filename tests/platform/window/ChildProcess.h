// A helper program started by a test, with its standard input and output on
// pipes; killed and reaped when the test lets go of it.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace lumora::testing {

// Longest wait for one line of a helper; a helper that says nothing for this
// long has failed.
inline constexpr int kHelperLineTimeoutMs = 10000;

class ChildProcess {
 public:
  explicit ChildProcess(const std::vector<std::string>& argv) {
    int toChild[2];
    int fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0) return;
    if (::pipe2(fromChild, O_CLOEXEC) != 0) {
      ::close(toChild[0]);
      ::close(toChild[1]);
      return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    if (::posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(toChild[0]);
    ::close(fromChild[1]);
    input_ = toChild[1];
    output_ = fromChild[0];
  }
  ~ChildProcess() {
    CloseInput();
    if (output_ >= 0) ::close(output_);
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  bool started() const { return pid_ > 0; }

  // The next line the helper writes, without its line break; nothing when it
  // ends or stays silent for kHelperLineTimeoutMs.
  std::optional<std::string> ReadLine() {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kHelperLineTimeoutMs);
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return std::nullopt;
      pollfd wait{output_, POLLIN, 0};
      if (::poll(&wait, 1, int(left.count())) <= 0) continue;
      char c;
      if (::read(output_, &c, 1) != 1) return std::nullopt;
      if (c == '\n') return line;
      line.push_back(c);
    }
  }

  // Closing its input asks the helper to end normally.
  void CloseInput() {
    if (input_ >= 0) ::close(input_);
    input_ = -1;
  }

  // SIGKILL, then wait until it is a zombie without reaping it: its pid stays
  // taken, the way an ended process looks before its parent collects it.
  void KillLeavingZombie() {
    ::kill(pid_, SIGKILL);
    siginfo_t info{};
    ::waitid(P_PID, id_t(pid_), &info, WEXITED | WNOWAIT);
  }

  // Waits for the end; the exit status, or -1.
  int Wait() {
    int status = 0;
    if (pid_ <= 0 || ::waitpid(pid_, &status, 0) != pid_) return -1;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
};

}  // namespace lumora::testing
