// The subcommands that hand pictures to the desktop, through the same code as
// the main window: "wallpaper" (the editor's Wallpaper button) and "mail"
// (the Mail button).
#pragma once

#include "cli/Cli.h"

namespace lumora::cli {

int RunWallpaperCommand(std::span<const std::string> args, Io io);
int RunMailCommand(std::span<const std::string> args, Io io);

}  // namespace lumora::cli
