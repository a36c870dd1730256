// lumora-cli's media subcommands: the process becomes lumora-cli-media from
// the same folder, with the same command and arguments.
#include "cli/MediaCommands.h"

#include <cstring>
#include <vector>

#include "platform/Desktop.h"
#include "platform/Exec.h"

namespace lumora::cli {

namespace {

int RunInMediaTool(std::string_view command, std::span<const std::string> args, Io io) {
  const std::string tool = (RunningProgramPath().parent_path() / kMediaToolName).string();
  std::vector<std::string> argv{tool, std::string(command)};
  argv.insert(argv.end(), args.begin(), args.end());
  io.out.flush();
  io.err.flush();
  const int error = ReplaceProcess(tool, argv);
  io.err << "lumora-cli " << command << ": cannot start " << tool << ": " << std::strerror(error) << "\n";
  return kExitBadInput;
}

}  // namespace

int RunInfo(std::span<const std::string> args, Io io) { return RunInMediaTool("info", args, io); }
int RunPreview(std::span<const std::string> args, Io io) { return RunInMediaTool("preview", args, io); }
int RunThumbnail(std::span<const std::string> args, Io io) { return RunInMediaTool("thumbnail", args, io); }

}  // namespace lumora::cli
