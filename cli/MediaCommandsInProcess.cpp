// The media subcommands run in this process (lumora-cli-media and tests);
// the thumbnail cells take their frames from the resources, so a resource
// library beside the program replaces them as it does in the program.
#include "cli/MediaCommands.h"

#include "cli/InfoCommand.h"
#include "cli/PreviewCommand.h"
#include "cli/ThumbnailCommand.h"
#include "platform/Desktop.h"
#include "resources/Resources.h"

namespace lumora::cli {

namespace {

class ResourceCells final : public CellMaker {
 public:
  ResourceCells() : resources_(RunningProgramPath().parent_path()) {}

  std::optional<std::vector<uint8_t>> FrameBitmap(uint32_t id) const override { return resources_.Bitmap(id); }

  CellFile MakeCellFile(const std::string& in, const std::string& out, bool max, const DibImage& frame,
                        const ThumbnailCache* cache) const override {
    const ThumbnailCell& cell = max ? kMaxCell : kOriginalCell;
    return WriteCellFile(MakeAlbumItem(in, cell, frame, cache), cell, out);
  }

 private:
  const Resources resources_;
};

}  // namespace

int RunInfo(std::span<const std::string> args, Io io) { return RunInfoCommand(args, io); }
int RunPreview(std::span<const std::string> args, Io io) { return RunPreviewCommand(args, io); }
int RunThumbnail(std::span<const std::string> args, Io io) {
  const ResourceCells maker;
  return RunThumbnailCommand(args, io, maker);
}

}  // namespace lumora::cli
