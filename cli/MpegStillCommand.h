// lumora-cli mpeg-still: the first picture of an MPEG stream or recording, in
// one of the decoder's output formats, written to a file.
#pragma once

#include "cli/Cli.h"

namespace lumora::cli {
int RunMpegStillCommand(std::span<const std::string> args, Io io);
}
