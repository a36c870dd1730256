// lumora-cli: subcommands over the core libraries, for scripts, tests and
// machines without a display. Exit codes are the same for every subcommand.
#pragma once

#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace lumora::cli {

enum ExitCode : int {
  kExitOk = 0,
  kExitBadInput = 1,     // input unreadable or undecodable
  kExitBadArguments = 2,
  kExitCannotWrite = 3,  // output not writable
};

struct Io {
  std::ostream& out;
  std::ostream& err;
};

// One subcommand: its name, the arguments it takes, one line on what it does,
// and the function that runs it on the arguments after its name.
struct Command {
  std::string_view name;
  std::string_view usage;
  std::string_view summary;
  int (*run)(std::span<const std::string> args, Io io);
};

std::span<const Command> Commands();

// Runs the tool as main() would; errors are one line on `err`, "lumora-cli: ...".
int Run(std::span<const std::string> argv, Io io);

// Reports a usage error for `command` and returns kExitBadArguments.
int UsageError(const Command& command, std::string_view why, Io io);

}  // namespace lumora::cli
