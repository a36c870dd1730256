// lumora-cli effects: a picture file run through the editor's effect pipeline
// with the levels given as the editor holds them, written to another file.
#pragma once

#include "cli/Cli.h"

namespace lumora::cli {

inline constexpr std::string_view kEffectsUsage =
    "IN OUT [--red|--green|--blue L] [--brightness|--contrast L] "
    "[--blur|--sharpen|--emboss|--mosaic|--noise|--tile|--scatter L] [--rotate C] [--flip-h] [--flip-v] "
    "[--swap-rg] [--swap-gb] [--swap-rb] [--invert] [--grey] [--overlay FILE --blend M] "
    "[--background RRGGBB] [--region L,T,R,B] [--seed S]";

int RunEffectsCommand(std::span<const std::string> args, Io io);

}  // namespace lumora::cli
