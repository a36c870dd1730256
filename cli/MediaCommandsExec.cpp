// lumora-cli's media subcommands. info and preview: the process becomes
// lumora-cli-media from the same folder, with the same command and
// arguments. thumbnail runs here for the still pictures, with the frames
// built into this program, and starts lumora-cli-media for each video item;
// only with a resource library beside the program (whose frames may differ)
// does the whole command go to lumora-cli-media.
#include "cli/MediaCommands.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "cli/BuiltinBitmaps.h"
#include "cli/ThumbnailCommand.h"
#include "platform/Desktop.h"
#include "platform/Exec.h"
#include "resources/Resources.h"

namespace lumora::cli {

namespace {

std::string MediaTool() { return (RunningProgramPath().parent_path() / kMediaToolName).string(); }

std::string ErrorText(int error) { return std::generic_category().message(error); }

int RunInMediaTool(std::string_view command, std::span<const std::string> args, Io io) {
  const std::string tool = MediaTool();
  std::vector<std::string> argv{tool, std::string(command)};
  argv.insert(argv.end(), args.begin(), args.end());
  io.out.flush();
  io.err.flush();
  const int error = ReplaceProcess(tool, argv);
  io.err << "lumora-cli " << command << ": cannot start " << tool << ": " << ErrorText(error) << "\n";
  return kExitBadInput;
}

class BuiltinCells final : public CellMaker {
 public:
  std::optional<std::vector<uint8_t>> FrameBitmap(uint32_t id) const override {
    const std::optional<std::span<const uint8_t>> bytes = BuiltinBitmap(id);
    if (!bytes) return std::nullopt;
    return std::vector<uint8_t>(bytes->begin(), bytes->end());
  }

  CellFile MakeCellFile(const std::string& in, const std::string& out, bool max, const DibImage& frame,
                        const ThumbnailCache* cache) const override {
    const ThumbnailCell& cell = max ? kMaxCell : kOriginalCell;
    if (!IsVideoKind(ItemKindOf(in))) return WriteCellFile(MakePictureItem(in, cell, frame, cache), cell, out);
    std::vector<std::string> argv{tool_, "thumbnail"};
    if (max) argv.emplace_back("--max");
    if (cache) argv.emplace_back("--cache");
    argv.insert(argv.end(), {in, out});
    const ChildRun run = RunChild(tool_, argv);
    if (run.startError != 0)
      return {kExitBadInput, "lumora-cli thumbnail: cannot start " + tool_ + ": " + ErrorText(run.startError) + "\n"};
    if (run.exitCode < 0)
      return {kExitBadInput, run.errorOutput + "lumora-cli thumbnail: " + tool_ + " ended by a signal on '" + in + "'\n"};
    return {run.exitCode, run.errorOutput};
  }

 private:
  const std::string tool_ = MediaTool();
};

}  // namespace

int RunInfo(std::span<const std::string> args, Io io) { return RunInMediaTool("info", args, io); }
int RunPreview(std::span<const std::string> args, Io io) { return RunInMediaTool("preview", args, io); }
int RunThumbnail(std::span<const std::string> args, Io io) {
  std::error_code ec;
  if (std::filesystem::exists(RunningProgramPath().parent_path() / kResourceLibraryFileName, ec))
    return RunInMediaTool("thumbnail", args, io);
  const BuiltinCells maker;
  return RunThumbnailCommand(args, io, maker);
}

}  // namespace lumora::cli
