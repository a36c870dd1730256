// lumora-cli convert: load a picture by its name and save it by another.
#pragma once

#include "cli/Cli.h"

namespace lumora::cli {
int RunConvertCommand(std::span<const std::string> args, Io io);
}
