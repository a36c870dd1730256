// Argument dispatch and help of lumora-cli.
#include "cli/Cli.h"

#include <exception>
#include <new>

#include "cli/ConvertCommand.h"
#include "cli/DesktopCommands.h"
#include "cli/EffectsCommand.h"
#include "cli/MediaCommands.h"
#include "cli/MpegStillCommand.h"
#include "cli/SettingsCommand.h"

namespace lumora::cli {

namespace {

constexpr Command kCommands[] = {
    {"convert", "IN OUT",
     "load a picture and save it in the format its new name asks for (.bmp, .tif, .gif, .jpg)",
     RunConvertCommand},
    {"effects", kEffectsUsage,
     "run picture file IN through the editor's effect pipeline with the levels given and write OUT",
     RunEffectsCommand},
    {"info", "FILE",
     "print the information window's fields of a file (title, folder, times, type, size and picture size)",
     RunInfo},
    {"mail", "FILE...",
     "open the mail client's compose window with the files attached (as the main window's Mail button)",
     RunMailCommand},
    {"mpeg-still", "IN OUT [--format N] [--count-test]",
     "write the first picture of an MPEG stream or recording (format 5 BMP by default; 0-2 planes, "
     "6 Targa, 7 packed 4:2:2, 8 PPM)",
     RunMpegStillCommand},
    {"preview", "IN OUT.bmp",
     "write the picture the item list shows for a video item (.avi, .mpg, .mpeg, .erm) as a .bmp file",
     RunPreview},
    {"settings", "[--registry DIR]",
     "show every stored setting of Lumora and its companions, with the default of a missing one",
     RunSettingsCommand},
    {"thumbnail", "IN OUT.bmp [--max] [--cache] | --out-dir DIR FILE... [--max] [--cache]",
     "write the thumbnail cell of an album item exactly as the item list shows it (58 x 42, or the full "
     "layout's 107 x 86 with --max); with --out-dir, each FILE's cell as DIR/NAME.bmp, on every core; "
     "with --cache, through the desktop's thumbnail cache",
     RunThumbnail},
    {"wallpaper", "FILE | --restore",
     "make a picture the desktop wallpaper (saved as \"Lumora Wallpaper.bmp\" in the data folder), or set "
     "the wallpaper from before again",
     RunWallpaperCommand},
};

void PrintHelp(std::ostream& out) {
  out << "Usage: lumora-cli COMMAND [ARGS...]\n"
         "       lumora-cli --help | --version\n\n"
         "Commands:\n";
  for (const auto& c : kCommands) out << "  " << c.name << " " << c.usage << "\n      " << c.summary << "\n";
  out << "\nExit codes: 0 ok, 1 input unreadable or undecodable, 2 bad arguments, "
         "3 output not writable.\n";
}

}  // namespace

std::span<const Command> Commands() { return kCommands; }

int UsageError(const Command& command, std::string_view why, Io io) {
  io.err << "lumora-cli " << command.name << ": " << why << " (usage: lumora-cli " << command.name << " "
         << command.usage << ")\n";
  return kExitBadArguments;
}

int Run(std::span<const std::string> argv, Io io) {
  if (argv.size() < 2) {
    io.err << "lumora-cli: no command given (try lumora-cli --help)\n";
    return kExitBadArguments;
  }
  const std::string& name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    PrintHelp(io.out);
    return kExitOk;
  }
  if (name == "--version") {
    io.out << "lumora-cli " LUMORA_VERSION "\n";
    return kExitOk;
  }
  for (const auto& c : kCommands) {
    if (c.name != name) continue;
    try {
      return c.run(argv.subspan(2), io);
    } catch (const std::bad_alloc&) {
      io.err << "lumora-cli " << name << ": out of memory\n";
      return kExitBadInput;
    } catch (const std::exception& e) {
      io.err << "lumora-cli " << name << ": " << e.what() << "\n";
      return kExitBadInput;
    }
  }
  io.err << "lumora-cli: unknown command '" << name << "' (try lumora-cli --help)\n";
  return kExitBadArguments;
}

}  // namespace lumora::cli
