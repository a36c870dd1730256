// Makes the preview of IN exactly as the item browser does and writes it to
// OUT with the .bmp writer. A file the preview can't be made of exits 1 with
// the reason; an MPEG still that can't be loaded back gives the browser's
// message, "Load() failed - <still path>", with the reason after it.
#include "cli/PreviewCommand.h"

#include <vector>

#include "media/codecs/Bmp.h"
#include "media/video/ItemPreview.h"

namespace lumora::cli {

int RunPreviewCommand(std::span<const std::string> args, Io io) {
  static const Command self{"preview", "IN OUT.bmp", "", nullptr};
  std::vector<std::string> paths;
  for (const std::string& a : args) {
    if (a.size() > 1 && a[0] == '-') return UsageError(self, "unexpected option '" + a + "'", io);
    paths.push_back(a);
  }
  if (paths.size() != 2) return UsageError(self, "needs IN and OUT.bmp", io);

  video::ItemPreviewResult preview = video::LoadItemPreview(paths[0]);
  switch (preview.status) {
    case video::PreviewStatus::Ok:
      break;
    case video::PreviewStatus::NotVideo:
      return UsageError(self, preview.error, io);
    case video::PreviewStatus::StillNotLoaded:
      io.err << "lumora-cli preview: Load() failed - " << preview.error << " (" << preview.stillReason << ")\n";
      return kExitBadInput;
    case video::PreviewStatus::NoPicture:
      io.err << "lumora-cli preview: " << preview.error << "\n";
      return kExitBadInput;
  }
  if (BmpResult written = WriteBmpFile(preview.picture, paths[1]); !written) {
    io.err << "lumora-cli preview: cannot write " << paths[1] << ": BMP: " << written.Reason() << "\n";
    return kExitCannotWrite;
  }
  return kExitOk;
}

}  // namespace lumora::cli
