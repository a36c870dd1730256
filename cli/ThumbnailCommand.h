// lumora-cli thumbnail: the item list's thumbnail cell of one file, or of
// many files into a folder on every core.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "albums/ItemLoader.h"
#include "cli/Cli.h"

namespace lumora::cli {

// One cell file made, or why not: `message` holds the whole lines for
// standard error ("lumora-cli thumbnail: ..."), empty with kExitOk.
struct CellFile {
  int code = kExitOk;
  std::string message;
};

// What the two programs do differently: lumora-cli takes its frames from
// the bitmaps built into it and hands videos to its sibling program;
// lumora-cli-media takes them from the resources and makes every kind.
class CellMaker {
 public:
  virtual ~CellMaker() = default;
  // The BMP bytes of frame bitmap `id`; nothing when it is missing.
  virtual std::optional<std::vector<uint8_t>> FrameBitmap(uint32_t id) const = 0;
  // Makes the cell of the item at `in` (its kind already checked) in the
  // compact or, with `max`, the full layout, with `frame` decoded from that
  // layout's frame bitmap, and writes it to `out`; through the desktop's
  // thumbnail `cache` when one is given. Called from several threads at once.
  virtual CellFile MakeCellFile(const std::string& in, const std::string& out, bool max, const DibImage& frame,
                                const ThumbnailCache* cache) const = 0;
};

// The cell of `made` with the list's background in its clear pixels,
// written to `out` (the one way both programs write a cell).
CellFile WriteCellFile(NewItem made, const ThumbnailCell& cell, const std::string& out);

int RunThumbnailCommand(std::span<const std::string> args, Io io, const CellMaker& maker);

}  // namespace lumora::cli
