// Decodes the first picture of IN and writes exactly the bytes FetchPicture
// gives for the format (default 5, a complete BMP file) to OUT. With
// --count-test the item-list variant's picture-count test applies first. A
// decoder failure prints its negative code, e.g. "error -9".
#include "cli/MpegStillCommand.h"

#include <charconv>
#include <vector>

#include "io/FileBytes.h"
#include "mpeg/MpegErrors.h"
#include "mpeg/MpegStill.h"
#include "mpeg/PictureOutput.h"

namespace lumora::cli {

int RunMpegStillCommand(std::span<const std::string> args, Io io) {
  static const Command self{"mpeg-still", "IN OUT [--format N] [--count-test]", "", nullptr};
  std::vector<std::string> paths;
  int format = mpeg::kFormatBmp;
  bool countTest = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--count-test") {
      countTest = true;
    } else if (a == "--format") {
      if (i + 1 == args.size()) return UsageError(self, "--format needs a number", io);
      const std::string& n = args[++i];
      auto [end, ec] = std::from_chars(n.data(), n.data() + n.size(), format);
      if (ec != std::errc() || end != n.data() + n.size())
        return UsageError(self, "format '" + n + "' is not a number", io);
    } else if (a.size() > 1 && a[0] == '-') {
      return UsageError(self, "unexpected option '" + a + "'", io);
    } else {
      paths.push_back(a);
    }
  }
  if (paths.size() != 2) return UsageError(self, "needs IN and OUT", io);

  std::vector<uint8_t> bytes;
  int width = 0, height = 0;
  auto variant = countTest ? mpeg::StillVariant::ItemList : mpeg::StillVariant::Information;
  int r = mpeg::DecodeFirstPicture(paths[0], variant, format, bytes, width, height);
  if (r != mpeg::kOk) {
    io.err << "lumora-cli mpeg-still: error " << r << "\n";
    return kExitBadInput;
  }
  if (!ReplaceFileWith(paths[1], {bytes})) {
    io.err << "lumora-cli mpeg-still: cannot write " << paths[1] << "\n";
    return kExitCannotWrite;
  }
  return kExitOk;
}

}  // namespace lumora::cli
