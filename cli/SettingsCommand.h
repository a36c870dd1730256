// lumora-cli settings: the settings table as stored, read without changing it.
#pragma once

#include "cli/Cli.h"

namespace lumora::cli {
int RunSettingsCommand(std::span<const std::string> args, Io io);
}
