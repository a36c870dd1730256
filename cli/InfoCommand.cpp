// Prints the fields the information window shows for FILE, one
// "Label: value" line each. Audio-only MPEG files take their picture size
// from the program's stored picture, so this runs where the resources are.
#include "cli/InfoCommand.h"

#include <filesystem>
#include <system_error>

#include "albums/ItemFiles.h"
#include "platform/Desktop.h"
#include "resources/ResourceIds.h"
#include "resources/Resources.h"

namespace lumora::cli {

namespace {

const Command kSelf{"info", "FILE", "", nullptr};

}  // namespace

int RunInfoCommand(std::span<const std::string> args, Io io) {
  if (args.size() != 1 || (args[0].size() > 1 && args[0][0] == '-')) return UsageError(kSelf, "needs one FILE", io);
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(args[0], ec);
  const std::string path = ec ? args[0] : absolute.lexically_normal().string();
  const Resources resources(RunningProgramPath().parent_path());
  const std::vector<uint8_t> audioPicture = resources.Data(res::kDataAudioOnlyPicture).value_or(std::vector<uint8_t>{});
  const std::optional<ItemInfo> info = ReadItemInfo(path, audioPicture);
  if (!info) {
    io.err << "lumora-cli info: cannot open '" << path << "'\n";
    return kExitBadInput;
  }
  io.out << "Title name: " << info->title << "\n"
         << "Path: " << info->folder << "\n"
         << "Created: " << info->created << "\n"
         << "Modified: " << info->modified << "\n"
         << "Accessed: " << info->accessed << "\n"
         << "Type: " << info->type << "\n"
         << "File Size: " << info->size << "\n";
  return kExitOk;
}

}  // namespace lumora::cli
