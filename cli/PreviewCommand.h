// lumora-cli preview: the picture the item browser shows for a video item
// (".avi", ".mpg", ".mpeg", ".erm"), written as a .bmp file.
#pragma once

#include "cli/Cli.h"

namespace lumora::cli {
int RunPreviewCommand(std::span<const std::string> args, Io io);
}
