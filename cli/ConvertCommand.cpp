// Loads IN and saves OUT exactly as the program's load-by-name and
// save-by-name do: the codec comes from ".BMP", ".TIF", ".GIF" or ".JPG"
// found in the upper-cased name, in that order.
#include "cli/ConvertCommand.h"

#include "picture/DibImage.h"
#include "media/codecs/PictureFiles.h"

namespace lumora::cli {

namespace {
const Command kSelf{"convert", "IN OUT", "", nullptr};
}

int RunConvertCommand(std::span<const std::string> args, Io io) {
  if (args.size() != 2) return UsageError(kSelf, "needs exactly two file names", io);
  const std::string& in = args[0];
  const std::string& out = args[1];
  for (const std::string* name : {&in, &out})
    if (FormatForName(*name) == PictureFormat::None)
      return UsageError(kSelf, "'" + *name + "' names none of .bmp, .tif, .gif, .jpg", io);

  DibImage picture;
  if (PictureFileResult loaded = LoadPictureFile(picture, in); !loaded) {
    io.err << "lumora-cli convert: cannot read or decode '" << in << "': " << loaded.Message() << "\n";
    return kExitBadInput;
  }
  const int bits = picture.BitCount();
  if (FormatForName(out) == PictureFormat::Gif && bits > 8) {
    io.err << "lumora-cli convert: '" << in << "' is a " << bits
           << "-bit picture; a GIF file holds at most 256 colours\n";
    return kExitBadArguments;
  }
  if (PictureFileResult saved = SavePictureFile(picture, out); !saved) {
    io.err << "lumora-cli convert: cannot write '" << out << "': " << saved.Message() << "\n";
    return kExitCannotWrite;
  }
  return kExitOk;
}

}  // namespace lumora::cli
