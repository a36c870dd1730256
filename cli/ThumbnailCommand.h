// lumora-cli thumbnail: the item list's thumbnail cell of one file.
#pragma once

#include "cli/Cli.h"

namespace lumora::cli {
int RunThumbnailCommand(std::span<const std::string> args, Io io);
}
