// Running other programs: handing the running process over to another
// program, as a small front program does when a command needs a larger
// sibling program; running one as a child and waiting for it; finding a
// program on the PATH; and running a desktop tool to its end to read its answer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lumora {

// Replaces the running process with the program at `path`, given `args`
// (args[0] included). Returns only when that fails, with errno's value.
int ReplaceProcess(const std::string& path, const std::vector<std::string>& args);

struct ChildRun {
  // errno's value when the program could not be started; 0 when it ran.
  int startError = 0;
  // The exit code; -1 when the child ended by a signal.
  int exitCode = -1;
  // Everything the child wrote to its standard error.
  std::string errorOutput;
};

// Runs the program at `path` with `args` (args[0] included) as a child
// process with this one's environment and standard output, collects its
// standard error and waits for it to end. Safe to call from several threads
// at once: each child inherits only its own end of its own pipe.
ChildRun RunChild(const std::string& path, const std::vector<std::string>& args);

// The executable file a name stands for: a name holding "/" as it is, any
// other the first executable regular file of that name in a folder of $PATH.
// Empty when there is none.
std::string FindProgram(std::string_view name);

// How a program run to its end went: its exit status (-1 when it could not
// be started or ended by a signal) and everything it wrote to its standard
// output.
struct ProgramRun {
  int status = -1;
  std::string output;
  bool ok() const { return status == 0; }
};

// Runs `program` (looked up on $PATH) with `args`, its standard input
// /dev/null and its standard error ours, and waits for it to end.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args);

}  // namespace lumora
