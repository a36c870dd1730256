// Makes the thumbnail of IN exactly as the item list makes and draws it, and
// writes the cell as a 24-bit BMP: the compact window's 58 x 42 cell, or the
// full layout's 107 x 86 one with --max. The frame's clear pixels show the
// item list's background colour of that layout, as they do on screen. The
// picture comes from the file itself, never from the desktop's thumbnail
// cache, unless --cache asks for the cache (read, and written when missing).
#include "cli/ThumbnailCommand.h"

#include "albums/ItemLoader.h"
#include "media/codecs/Bmp.h"
#include "platform/Desktop.h"
#include "resources/Resources.h"

namespace lumora::cli {

namespace {

const Command kSelf{"thumbnail", "IN OUT.bmp [--max] [--cache]", "", nullptr};

bool EndsWithBmp(const std::string& name) { return name.size() > 4 && LowerExtension(name) == ".bmp"; }

void PaintClear(Thumbnail& thumbnail, CellColour colour) {
  RowTable rows(thumbnail.cell);
  for (int y = 0; y < thumbnail.cell.height(); ++y)
    for (int x = 0; x < thumbnail.cell.width(); ++x) {
      if (!thumbnail.IsTransparent(x, y)) continue;
      uint8_t* p = rows[y] + size_t(x) * 3;
      p[0] = colour.blue, p[1] = colour.green, p[2] = colour.red;
    }
}

}  // namespace

int RunThumbnailCommand(std::span<const std::string> args, Io io) {
  std::vector<std::string> paths;
  bool max = false, cached = false;
  for (const std::string& a : args) {
    if (a == "--max") {
      max = true;
    } else if (a == "--cache") {
      cached = true;
    } else if (a.size() > 1 && a[0] == '-') {
      return UsageError(kSelf, "unexpected option '" + a + "'", io);
    } else {
      paths.push_back(a);
    }
  }
  if (paths.size() != 2) return UsageError(kSelf, "needs IN and OUT.bmp", io);
  const std::string& in = paths[0];
  const std::string& out = paths[1];
  if (ItemKindOf(in) == ItemKind::None)
    return UsageError(kSelf, "'" + in + "' is no album item (.jpg, .tif, .bmp, .mpeg, .mpg, .avi, .erm)", io);
  if (!EndsWithBmp(out)) return UsageError(kSelf, "'" + out + "' does not end in .bmp", io);

  const ThumbnailCell& cell = max ? kMaxCell : kOriginalCell;
  const Resources resources(RunningProgramPath().parent_path());
  DibImage frame;
  const auto frameBytes = resources.Bitmap(cell.frameBitmap);
  if (!frameBytes) {
    io.err << "lumora-cli thumbnail: the frame bitmap " << cell.frameBitmap << " is missing or damaged\n";
    return kExitBadInput;
  }
  if (BmpResult read = ReadBmpMemory(frame, *frameBytes); !read) {
    io.err << "lumora-cli thumbnail: the frame bitmap " << cell.frameBitmap << " is missing or damaged: BMP: "
           << read.Reason() << "\n";
    return kExitBadInput;
  }

  const std::optional<ThumbnailCache> cache = cached ? ThumbnailCache::ForThisUser() : std::nullopt;
  NewItem made = MakeAlbumItem(in, cell, frame, cache ? &*cache : nullptr);
  if (made.status != NewItemStatus::Added) {
    io.err << "lumora-cli thumbnail: " << made.error << "\n";
    return kExitBadInput;
  }
  PaintClear(made.thumbnail, cell.listBackground);
  if (BmpResult written = WriteBmpFile(made.thumbnail.cell, out); !written) {
    io.err << "lumora-cli thumbnail: cannot write '" << out << "': BMP: " << written.Reason() << "\n";
    return kExitCannotWrite;
  }
  return kExitOk;
}

}  // namespace lumora::cli
