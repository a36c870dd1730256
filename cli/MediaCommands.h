// The subcommands that need the media libraries (FFmpeg for video previews,
// the resources for the audio-only picture and a resource library's frames).
// lumora-cli itself links neither, so its subcommands start without loading
// them (or the window-system libraries FFmpeg brings along): its versions of
// these hand the work over to the sibling program lumora-cli-media (all of
// info and preview, a thumbnail's video items), whose versions run them.
#pragma once

#include "cli/Cli.h"

namespace lumora::cli {

// The sibling program beside lumora-cli that runs these subcommands.
inline constexpr const char* kMediaToolName = "lumora-cli-media";

int RunInfo(std::span<const std::string> args, Io io);
int RunPreview(std::span<const std::string> args, Io io);
int RunThumbnail(std::span<const std::string> args, Io io);

}  // namespace lumora::cli
