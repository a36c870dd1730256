// The media subcommands run in this process (lumora-cli-media and tests).
#include "cli/MediaCommands.h"

#include "cli/InfoCommand.h"
#include "cli/PreviewCommand.h"
#include "cli/ThumbnailCommand.h"

namespace lumora::cli {

int RunInfo(std::span<const std::string> args, Io io) { return RunInfoCommand(args, io); }
int RunPreview(std::span<const std::string> args, Io io) { return RunPreviewCommand(args, io); }
int RunThumbnail(std::span<const std::string> args, Io io) { return RunThumbnailCommand(args, io); }

}  // namespace lumora::cli
