// lumora-cli info: the information window's fields of one file.
#pragma once

#include "cli/Cli.h"

namespace lumora::cli {
int RunInfoCommand(std::span<const std::string> args, Io io);
}
